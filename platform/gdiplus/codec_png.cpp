// PNG files through libpng: palette and grey pictures stay indexed, the rest becomes 24-bit
// RGB or 32-bit ARGB; the writer mirrors that.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>

#include "platform/gdi/png_data_limits.h"
#include "platform/gdiplus/codecs.h"

namespace gdiplus {
namespace {

struct Reader {
  std::span<const uint8_t> data;
  size_t pos = 0;
};

void ReadFn(png_structp png, png_bytep out, png_size_t count) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (count > r->data.size() - r->pos) png_error(png, "truncated");
  std::memcpy(out, r->data.data() + r->pos, count);
  r->pos += count;
}

[[noreturn]] void ErrorFn(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningFn(png_structp, png_const_charp) {}

struct ReadState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Reader reader;
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  std::vector<ARGB> palette;
  PixelFormat format = 0;
  png_uint_32 w = 0, h = 0;
  bool expandTwoBit = false;
  size_t rowBytes = 0;
  float dpiX = 96, dpiY = 96;
  std::vector<uint8_t> icc;
  ~ReadState() { png_destroy_read_struct(&png, &info, nullptr); }
};

struct WriteState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t>* out = nullptr;
  std::vector<uint8_t> pixels;
  std::vector<png_color> entries;
  std::vector<png_byte> alpha;
  std::vector<ARGB> row;
  ~WriteState() { png_destroy_write_struct(&png, &info); }
};

void WriteFn(png_structp png, png_bytep data, png_size_t count) {
  auto* w = static_cast<WriteState*>(png_get_io_ptr(png));
  w->out->insert(w->out->end(), data, data + count);
}
void FlushFn(png_structp) {}

// The libpng part of reading. It runs inside the setjmp frame of DecodePng, so everything it
// keeps lives in the state object (a long jump skips local destructors).
GpStatus ReadPicture(ReadState& s) {
  png_structp png = s.png;
  png_infop info = s.info;
  png_set_read_fn(png, &s.reader, ReadFn);
  pngdata::LimitToData(png, s.reader.data.size());
  png_read_info(png, info);
  png_charp iccName = nullptr;
  png_bytep iccData = nullptr;
  png_uint_32 iccLength = 0;
  int iccCompression = 0;
  if (png_get_iCCP(png, info, &iccName, &iccCompression, &iccData, &iccLength) != 0 && iccData != nullptr)
    s.icc.assign(iccData, iccData + iccLength);
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &s.w, &s.h, &depth, &colorType, &interlace, nullptr, nullptr);
  if (!SizeAllowed(s.w, s.h, s.reader.data.size()) || !pngdata::PictureBackedByData(png, info, s.reader.data.size()))
    return InvalidParameter;
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE || (colorType == PNG_COLOR_TYPE_GRAY && !hasTrns)) {
    if (depth == 16) png_set_strip_16(png);
    s.format = depth == 1 ? PixelFormat1bppIndexed : depth <= 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
    s.expandTwoBit = depth == 2;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
      png_colorp entries = nullptr;
      int count = 0;
      png_get_PLTE(png, info, &entries, &count);
      png_bytep alpha = nullptr;
      int alphaCount = 0;
      if (hasTrns) png_get_tRNS(png, info, &alpha, &alphaCount, nullptr);
      s.palette.reserve(256);
      for (int i = 0; i < count; ++i) {
        const uint32_t a = i < alphaCount ? alpha[i] : 255;
        s.palette.push_back(a << 24 | uint32_t(entries[i].red) << 16 | uint32_t(entries[i].green) << 8 | entries[i].blue);
      }
    } else {
      const int levels = depth >= 8 ? 256 : 1 << depth;
      s.palette.reserve(256);
      for (int i = 0; i < levels; ++i) {
        const uint32_t v = uint32_t(i * 255 / (levels - 1));
        s.palette.push_back(0xff000000u | v << 16 | v << 8 | v);
      }
    }
  } else {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    const bool alpha = hasTrns || (colorType & PNG_COLOR_MASK_ALPHA);
    s.format = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    png_set_bgr(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  s.rowBytes = png_get_rowbytes(png, info);
  const size_t needed = (size_t(s.w) * GetPixelFormatSize(s.format) + 7) / 8;
  if (s.rowBytes == 0 || s.rowBytes > (size_t(1) << 32) || (!s.expandTwoBit && s.rowBytes < needed))
    return InvalidParameter;
  s.pixels.resize(s.rowBytes * s.h);
  s.rows.resize(s.h);
  for (png_uint_32 y = 0; y < s.h; ++y) s.rows[y] = s.pixels.data() + size_t(y) * s.rowBytes;
  png_read_image(png, s.rows.data());
  png_uint_32 resX = 0, resY = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER && resX > 0 && resY > 0) {
    s.dpiX = float(resX * 0.0254);
    s.dpiY = float(resY * 0.0254);
  }
  return Ok;
}

GpStatus BuildPlane(const ReadState& s, ImageData& out) {
  Plane plane;
  if (!plane.Allocate(int32_t(s.w), int32_t(s.h), s.format)) return OutOfMemory;
  if (!s.palette.empty()) plane.palette() = s.palette;
  const size_t rowBytes = (size_t(s.w) * GetPixelFormatSize(s.format) + 7) / 8;
  for (png_uint_32 y = 0; y < s.h; ++y) {
    const uint8_t* src = s.rows[y];
    if (s.expandTwoBit) {
      for (png_uint_32 x = 0; x < s.w; ++x)
        plane.SetIndex(int32_t(y), int32_t(x), (src[x / 4] >> (6 - 2 * (x % 4))) & 3);
    } else {
      // libpng gives B, G, R (, A): the memory order of 24-bit RGB and 32-bit ARGB.
      std::memcpy(plane.Row(int32_t(y)), src, rowBytes);
    }
  }
  out.plane = std::move(plane);
  out.dpiX = s.dpiX;
  out.iccProfile = s.icc;
  out.dpiY = s.dpiY;
  return Ok;
}

GpStatus WritePicture(WriteState& s, const ImageData& image) {
  png_structp png = s.png;
  png_infop info = s.info;
  const Plane& p = image.plane;
  png_set_write_fn(png, &s, WriteFn, FlushFn);
  png_set_compression_level(png, 1);
  const uint32_t w = uint32_t(p.width()), h = uint32_t(p.height());
  size_t rowBytes;
  if (p.indexed()) {
    const int depth = int(GetPixelFormatSize(p.format()));
    png_set_IHDR(png, info, w, h, depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const size_t count = std::min<size_t>(p.palette().size(), size_t(1) << depth);
    std::vector<png_color>& entries = s.entries;
    std::vector<png_byte>& alpha = s.alpha;
    entries.assign(std::max<size_t>(count, 1), png_color{0, 0, 0});
    alpha.assign(entries.size(), 255);
    bool anyAlpha = false;
    for (size_t i = 0; i < count; ++i) {
      const ARGB c = p.palette()[i];
      entries[i] = png_color{png_byte(c >> 16), png_byte(c >> 8), png_byte(c)};
      alpha[i] = png_byte(c >> 24);
      anyAlpha |= alpha[i] != 255;
    }
    png_set_PLTE(png, info, entries.data(), int(entries.size()));
    if (anyAlpha) png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
    rowBytes = (size_t(w) * size_t(depth) + 7) / 8;
  } else {
    const bool alpha = (p.format() & PixelFormatAlpha) != 0;
    png_set_IHDR(png, info, w, h, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    rowBytes = size_t(w) * (alpha ? 4 : 3);
  }
  png_set_pHYs(png, info, png_uint_32(std::lround(image.dpiX / 0.0254)), png_uint_32(std::lround(image.dpiY / 0.0254)),
               PNG_RESOLUTION_METER);
  png_write_info(png, info);
  s.pixels.resize(rowBytes);
  std::vector<ARGB>& row = s.row;
  row.resize(p.indexed() ? 0 : w);
  for (uint32_t y = 0; y < h; ++y) {
    if (p.indexed()) {
      std::memcpy(s.pixels.data(), p.Row(int32_t(y)), rowBytes);
    } else {
      p.ReadARGB(int32_t(y), 0, int32_t(w), row.data());
      const size_t n = rowBytes / w;
      for (uint32_t x = 0; x < w; ++x) {
        uint8_t* q = s.pixels.data() + size_t(x) * n;
        q[0] = uint8_t(row[x] >> 16);
        q[1] = uint8_t(row[x] >> 8);
        q[2] = uint8_t(row[x]);
        if (n == 4) q[3] = uint8_t(row[x] >> 24);
      }
    }
    png_write_row(png, s.pixels.data());
  }
  png_write_end(png, info);
  return Ok;
}

}  // namespace

GpStatus DecodePng(std::span<const uint8_t> bytes, ImageData& out) {
  auto state = std::make_unique<ReadState>();
  state->reader.data = bytes.first(pngdata::ChunksHeld(bytes));
  state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
  if (!state->png) return OutOfMemory;
  state->info = png_create_info_struct(state->png);
  if (!state->info) return OutOfMemory;
  if (setjmp(png_jmpbuf(state->png))) return InvalidParameter;
  const GpStatus st = ReadPicture(*state);
  return st == Ok ? BuildPlane(*state, out) : st;
}

GpStatus EncodePng(const ImageData& image, std::vector<uint8_t>& out) {
  auto state = std::make_unique<WriteState>();
  state->out = &out;
  state->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
  if (!state->png) return OutOfMemory;
  state->info = png_create_info_struct(state->png);
  if (!state->info) return OutOfMemory;
  if (setjmp(png_jmpbuf(state->png))) return GenericError;
  return WritePicture(*state, image);
}

}  // namespace gdiplus
