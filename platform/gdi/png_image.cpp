#include "platform/gdi/png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/png_data_limits.h"

bool IsPngSignature(std::span<const uint8_t> data) {
  static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return data.size() >= 8 && std::memcmp(data.data(), sig, 8) == 0;
}

namespace {

// Everything that must survive a longjmp out of libpng lives here, outside the jumping frame.
struct PngRead {
  std::span<const uint8_t> data;
  size_t pos = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  uint32_t width = 0, height = 0;
  bool tooBig = false;
  std::vector<uint8_t> pixels;  // BGRA rows, width * 4 bytes each
  std::vector<png_bytep> rows;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* r = static_cast<PngRead*>(png_get_io_ptr(png));
  if (count > r->data.size() - r->pos) png_error(png, "truncated");
  std::memcpy(out, r->data.data() + r->pos, count);
  r->pos += count;
}

// libpng's error handler must not return: it jumps back to ReadRows without printing.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp: no object with a destructor is created in this frame.
bool ReadRows(PngRead& r) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_set_read_fn(r.png, &r, ReadFromMemory);
  pngdata::LimitToData(r.png, r.data.size());
  png_read_info(r.png, r.info);
  r.width = png_get_image_width(r.png, r.info);
  r.height = png_get_image_height(r.png, r.info);
  if (r.width == 0 || r.height == 0 || r.width > 0x7FFFFFFF || r.height > 0x7FFFFFFF ||
      uint64_t(r.width) * r.height > uint64_t(kMaxBitmapPixels)) {
    r.tooBig = true;
    return false;
  }
  // A picture its data could never fill is damaged, not large.
  if (!pngdata::PictureBackedByData(r.png, r.info, r.data.size())) return false;
  // 16-bit samples keep their high byte, as other readers do.
  png_set_strip_16(r.png);
  png_set_expand(r.png);  // palette, low-bit grey and tRNS to 8-bit channels with alpha
  png_set_gray_to_rgb(r.png);
  png_set_bgr(r.png);
  png_set_add_alpha(r.png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  if (png_get_rowbytes(r.png, r.info) != size_t(r.width) * 4) return false;
  r.pixels.resize(size_t(r.width) * 4 * r.height);
  r.rows.resize(r.height);
  for (uint32_t y = 0; y < r.height; ++y) r.rows[y] = r.pixels.data() + size_t(y) * r.width * 4;
  png_read_image(r.png, r.rows.data());
  return true;
}

}  // namespace

std::shared_ptr<GdiBitmap> DecodePngToBgra(std::span<const uint8_t> data) {
  PngRead r;
  r.data = data.first(pngdata::ChunksHeld(data));
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!r.png) throw EOutOfMemory("Out of memory");
  r.info = png_create_info_struct(r.png);
  const bool ok = r.info && ReadRows(r);
  png_destroy_read_struct(&r.png, &r.info, nullptr);
  if (r.tooBig) CheckBitmapSize(r.width, r.height);
  if (!ok || r.tooBig) throw EInvalidGraphic(SInvalidIcon);
  auto out = std::make_shared<GdiBitmap>(int32_t(r.width), int32_t(r.height), 32);
  for (uint32_t y = 0; y < r.height; ++y)
    std::memcpy(out->Row(int32_t(y)), r.rows[y], size_t(r.width) * 4);
  return out;
}
