#include "pdf/render/canvas/cairo_binding.h"

#include <dlfcn.h>

#include <algorithm>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"

namespace {

// A 32-bit top-down device-independent layout: cairo's RGB24 and ARGB32 rows as they lie in
// memory (blue, green, red, then the fourth byte).
BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

TCairoDLL::~TCairoDLL() {
  if (module_ != nullptr) dlclose(module_);
}

bool TCairoDLL::Load(const WideString& path) {
  if (path.empty()) return false;
  module_ = dlopen(WideToFileName(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module_ == nullptr) return false;
#define VELMORA_CAIRO_BIND(name) name = reinterpret_cast<decltype(&::name)>(dlsym(module_, #name));
  VELMORA_CAIRO_ENTRY_POINTS(VELMORA_CAIRO_BIND)
#undef VELMORA_CAIRO_BIND
  return true;
}

bool TCairoDLL::CanDraw() const {
  bool all = true;
#define VELMORA_CAIRO_FOUND(name) all = all && name != nullptr;
  VELMORA_CAIRO_DRAWING_NEEDS(VELMORA_CAIRO_FOUND)
#undef VELMORA_CAIRO_FOUND
  return all;
}

cairo_operator_t TCairoDLL::BlendModeToOperator(uint8_t mode) {
  if (mode >= 1 && mode <= 15) return cairo_operator_t(CAIRO_OPERATOR_MULTIPLY + (mode - 1));
  return CAIRO_OPERATOR_OVER;
}

cairo_surface_t* TCairoDLL::cairo_win32_surface_create_with_dib(cairo_format_t format, int width, int height) {
  return cairo_image_surface_create(format, width, height);
}

cairo_surface_t* TCairoDLL::cairo_win32_surface_create(HDC dc) {
  HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP bm{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) {
    const int w = std::max(1, GetDeviceCaps(dc, HORZRES)), h = std::max(1, GetDeviceCaps(dc, VERTRES));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    deviceSurfaces_.push_back({surface, dc, nullptr});
    return surface;
  }
  const int w = bm.bmWidth, h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  unsigned char* data = cairo_image_surface_get_data(surface);
  if (data != nullptr && cairo_image_surface_get_stride(surface) == w * 4) {
    BITMAPINFO info = TopDown32(w, h);
    cairo_surface_flush(surface);
    GetDIBits(dc, bitmap, 0, UINT(h), data, &info, DIB_RGB_COLORS);
    cairo_surface_mark_dirty(surface);
  }
  deviceSurfaces_.push_back({surface, dc, bitmap});
  return surface;
}

HDC TCairoDLL::cairo_win32_surface_get_dc(cairo_surface_t* surface) const {
  for (const DeviceSurface& d : deviceSurfaces_)
    if (d.Surface == surface) return d.Dc;
  return nullptr;
}

void TCairoDLL::FlushToDevice(cairo_surface_t* surface) {
  const auto found = std::find_if(deviceSurfaces_.begin(), deviceSurfaces_.end(),
                                  [surface](const DeviceSurface& d) { return d.Surface == surface; });
  if (found == deviceSurfaces_.end()) return;
  if (found->Bitmap != nullptr) {
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (data != nullptr && cairo_image_surface_get_stride(surface) == w * 4) {
      BITMAPINFO info = TopDown32(w, h);
      SetDIBits(found->Dc, found->Bitmap, 0, UINT(h), data, &info, DIB_RGB_COLORS);
    }
  }
  deviceSurfaces_.erase(found);
}
