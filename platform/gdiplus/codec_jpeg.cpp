// JPEG files through libjpeg-turbo (the 6b interface): grey, RGB and CMYK pictures.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "platform/gdiplus/codecs.h"

namespace gdiplus {
namespace {

// A hostile progressive file can hold thousands of scans; past this many it is refused.
constexpr int kMaxScans = 1000;

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(e->jump, 1);
}
void OutputMessage(j_common_ptr) {}
void EmitMessage(j_common_ptr, int) {}

void Progress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) ErrorExit(cinfo);
  }
}

// Everything the decoder keeps; it outlives any long jump out of libjpeg.
struct State {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  bool created = false;
  std::vector<uint8_t> line;
  Plane plane;
  ~State() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

// C, M, Y, K with 255 meaning no ink (the form Adobe's files store) to R, G, B.
inline uint8_t InkToChannel(uint32_t c, uint32_t k) { return uint8_t((c * k + 127) / 255); }

GpStatus Decode(State& s, std::span<const uint8_t> bytes, ImageData& out) {
  jpeg_decompress_struct& ci = s.cinfo;
  jpeg_mem_src(&ci, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&ci, JPEG_APP0 + 2, 0xFFFF);  // where an ICC profile travels
  if (jpeg_read_header(&ci, TRUE) != JPEG_HEADER_OK) return InvalidParameter;
  JOCTET* icc = nullptr;
  unsigned int iccLength = 0;
  if (jpeg_read_icc_profile(&ci, &icc, &iccLength) && icc != nullptr) {
    out.iccProfile.assign(icc, icc + iccLength);
    std::free(icc);
  }
  if (!SizeAllowed(ci.image_width, ci.image_height, bytes.size())) return InvalidParameter;
  PixelFormat format;
  switch (ci.jpeg_color_space) {
    case JCS_GRAYSCALE:
      ci.out_color_space = JCS_GRAYSCALE;
      format = PixelFormat8bppIndexed;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      ci.out_color_space = JCS_CMYK;
      format = PixelFormat24bppRGB;
      break;
    default:
      ci.out_color_space = JCS_RGB;
      format = PixelFormat24bppRGB;
      break;
  }
  jpeg_start_decompress(&ci);
  if (ci.output_width != ci.image_width || ci.output_height != ci.image_height) return InvalidParameter;
  if (!s.plane.Allocate(int32_t(ci.output_width), int32_t(ci.output_height), format)) return OutOfMemory;
  if (format == PixelFormat8bppIndexed) {
    s.plane.palette().clear();
    for (uint32_t v = 0; v < 256; ++v) s.plane.palette().push_back(0xff000000u | v << 16 | v << 8 | v);
  }
  s.line.resize(size_t(ci.output_width) * size_t(ci.output_components));
  const bool inverted = ci.saw_Adobe_marker;
  while (ci.output_scanline < ci.output_height) {
    const int32_t y = int32_t(ci.output_scanline);
    JSAMPROW row = s.line.data();
    if (jpeg_read_scanlines(&ci, &row, 1) != 1) return InvalidParameter;
    uint8_t* dst = s.plane.Row(y);
    const uint8_t* src = s.line.data();
    if (format == PixelFormat8bppIndexed) {
      std::memcpy(dst, src, ci.output_width);
    } else if (ci.out_color_space == JCS_CMYK) {
      for (uint32_t x = 0; x < ci.output_width; ++x, src += 4, dst += 3) {
        uint32_t c = src[0], m = src[1], yl = src[2], k = src[3];
        if (!inverted) {
          c = 255 - c;
          m = 255 - m;
          yl = 255 - yl;
          k = 255 - k;
        }
        dst[2] = InkToChannel(c, k);
        dst[1] = InkToChannel(m, k);
        dst[0] = InkToChannel(yl, k);
      }
    } else {
      for (uint32_t x = 0; x < ci.output_width; ++x, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
    }
  }
  jpeg_finish_decompress(&ci);
  if (ci.saw_JFIF_marker && ci.X_density > 0 && ci.Y_density > 0 && (ci.density_unit == 1 || ci.density_unit == 2)) {
    const double scale = ci.density_unit == 2 ? 2.54 : 1.0;
    out.dpiX = float(ci.X_density * scale);
    out.dpiY = float(ci.Y_density * scale);
  }
  out.plane = std::move(s.plane);
  return Ok;
}

}  // namespace

GpStatus DecodeJpeg(std::span<const uint8_t> bytes, ImageData& out) {
  if (bytes.size() < 4 || bytes.size() > 0xffffffffu) return InvalidParameter;
  auto s = std::make_unique<State>();
  s->cinfo.err = jpeg_std_error(&s->err.base);
  s->err.base.error_exit = ErrorExit;
  s->err.base.output_message = OutputMessage;
  s->err.base.emit_message = EmitMessage;
  if (setjmp(s->err.jump)) return InvalidParameter;
  jpeg_create_decompress(&s->cinfo);
  s->created = true;
  s->progress.progress_monitor = Progress;
  s->cinfo.progress = &s->progress;
  return Decode(*s, bytes, out);
}

}  // namespace gdiplus
