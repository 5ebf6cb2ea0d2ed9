// Run-time binding to the cairo library: loaded from the path the caller gives (dlopen) with
// its entry points looked up one by one, so that a missing library leaves the canvas on the
// back end it had. The three Windows surface calls have no counterpart in a Linux cairo: here
// they are image surfaces over the pixels of a device context's bitmap (copied in when made and
// back when flushed), or of the device context's size when it has none.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/rtl/strings.h"

#define VELMORA_CAIRO_ENTRY_POINTS(X)                                                                          \
  X(cairo_create) X(cairo_set_source_rgba) X(cairo_paint) X(cairo_move_to) X(cairo_line_to)                    \
  X(cairo_close_path) X(cairo_fill) X(cairo_destroy) X(cairo_surface_destroy) X(cairo_new_path) X(cairo_stroke) \
  X(cairo_curve_to) X(cairo_set_line_width) X(cairo_set_line_cap) X(cairo_set_line_join) X(cairo_set_dash)      \
  X(cairo_set_miter_limit) X(cairo_image_surface_create_from_png_stream) X(cairo_set_source_surface)             \
  X(cairo_rectangle) X(cairo_set_matrix) X(cairo_identity_matrix) X(cairo_transform)                            \
  X(cairo_image_surface_get_width) X(cairo_image_surface_get_height) X(cairo_push_group)                        \
  X(cairo_pop_group_to_source) X(cairo_paint_with_alpha) X(cairo_set_operator) X(cairo_surface_create_similar)  \
  X(cairo_mask_surface) X(cairo_pattern_create_linear) X(cairo_pattern_add_color_stop_rgb) X(cairo_set_source)  \
  X(cairo_pattern_set_matrix) X(cairo_matrix_invert) X(cairo_save) X(cairo_restore) X(cairo_fill_preserve)       \
  X(cairo_status) X(cairo_clip) X(cairo_clip_preserve) X(cairo_set_fill_rule) X(cairo_stroke_preserve)          \
  X(cairo_clip_extents) X(cairo_surface_status) X(cairo_pattern_set_extend)                                     \
  /* What the surfaces over device contexts and decoded pictures need. */                                      \
  X(cairo_image_surface_create) X(cairo_image_surface_create_for_data) X(cairo_image_surface_get_data)          \
  X(cairo_image_surface_get_stride) X(cairo_surface_flush) X(cairo_surface_mark_dirty)                          \
  X(cairo_pattern_destroy) X(cairo_get_source) X(cairo_pattern_set_filter) X(cairo_pattern_add_color_stop_rgba)    \
  X(cairo_pattern_create_for_surface)                                                                            \
  /* Dashes cut by the canvas (without them cairo dashes the path itself). */                              \
  X(cairo_copy_path) X(cairo_append_path) X(cairo_path_destroy)

// The entry points a drawing may call without looking first; the others are looked at before
// each use, and a library without them draws without the gradients, textures, groups or
// pictures that need them.
#define VELMORA_CAIRO_DRAWING_NEEDS(X)                                                                          \
  X(cairo_create) X(cairo_destroy) X(cairo_set_source_rgba) X(cairo_paint) X(cairo_move_to) X(cairo_line_to)   \
  X(cairo_close_path) X(cairo_fill) X(cairo_fill_preserve) X(cairo_stroke) X(cairo_stroke_preserve)            \
  X(cairo_new_path) X(cairo_curve_to) X(cairo_set_line_width) X(cairo_set_line_cap) X(cairo_set_line_join)     \
  X(cairo_set_dash) X(cairo_set_miter_limit) X(cairo_set_source_surface) X(cairo_set_source) X(cairo_rectangle) \
  X(cairo_set_matrix) X(cairo_identity_matrix) X(cairo_image_surface_get_width)                                 \
  X(cairo_image_surface_get_height) X(cairo_paint_with_alpha) X(cairo_set_operator) X(cairo_mask_surface)       \
  X(cairo_pattern_add_color_stop_rgb) X(cairo_pattern_set_matrix) X(cairo_matrix_invert) X(cairo_save)          \
  X(cairo_restore) X(cairo_status) X(cairo_clip) X(cairo_set_fill_rule) X(cairo_clip_extents)                   \
  X(cairo_surface_status) X(cairo_surface_destroy) X(cairo_pattern_set_extend) X(cairo_pattern_destroy)         \
  X(cairo_image_surface_create) X(cairo_image_surface_get_data) X(cairo_image_surface_get_stride)              \
  X(cairo_surface_flush) X(cairo_surface_mark_dirty)

class TCairoDLL {
 public:
  TCairoDLL() = default;
  ~TCairoDLL();
  TCairoDLL(const TCairoDLL&) = delete;
  TCairoDLL& operator=(const TCairoDLL&) = delete;

  // False for an empty path or a library that does not load; otherwise true, with every name
  // the library lacks left empty.
  bool Load(const WideString& path);
  // Whether the entry points every drawing calls were all found.
  bool CanDraw() const;
  // The cairo operator of a PDF blend mode (0 Normal .. 15 Luminosity); OVER beyond.
  static cairo_operator_t BlendModeToOperator(uint8_t mode);

#define VELMORA_CAIRO_SLOT(name) decltype(&::name) name = nullptr;
  VELMORA_CAIRO_ENTRY_POINTS(VELMORA_CAIRO_SLOT)
#undef VELMORA_CAIRO_SLOT

  // The Windows surface calls.
  cairo_surface_t* cairo_win32_surface_create(HDC dc);
  cairo_surface_t* cairo_win32_surface_create_with_dib(cairo_format_t format, int width, int height);
  HDC cairo_win32_surface_get_dc(cairo_surface_t* surface) const;
  // Copies what was drawn on a surface made over a device context back into its bitmap.
  void FlushToDevice(cairo_surface_t* surface);

 private:
  struct DeviceSurface {
    cairo_surface_t* Surface;
    HDC Dc;
    HBITMAP Bitmap;  // null: the device context had none
  };
  void* module_ = nullptr;
  std::vector<DeviceSurface> deviceSurfaces_;
};
