// Encoded pictures on the cairo back end: cairo reads PNG alone, so BMP and JPEG data are first
// written as PNG; cairo then reads the PNG through a callback over the stream.
#include "pdf/render/canvas/cairo_png.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/render/canvas/cairo_binding.h"
#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/dib.h"

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

std::unique_ptr<TMemoryStream> ConvertImageStreamToPNG(TStream& stream, bool& isPNG) {
  const int64_t start = stream.Position();
  uint8_t head[8] = {};
  const int64_t got = stream.Read(head, sizeof head);
  stream.SetPosition(start);
  isPNG = got == 8 && std::memcmp(head, kPngSignature, 8) == 0;
  const bool bmp = got >= 2 && head[0] == 'B' && head[1] == 'M';
  const bool jpeg = got >= 2 && head[0] == 0xFF && head[1] == 0xD8;
  if (isPNG || !(bmp || jpeg)) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  if (bmp) {
    bitmap->LoadFromStream(stream);
  } else {
    TPDFJPEGImage jpegImage;
    jpegImage.LoadFromStream(stream);
    jpegImage.AssignTo(*bitmap);
  }
  stream.SetPosition(start);
  if (bitmap->Empty()) return nullptr;
  TPNGWriter writer(std::move(bitmap));
  // Handed on at once and read once: stored, not compressed.
  writer.StoreOnly = true;
  auto png = std::make_unique<TMemoryStream>();
  writer.SaveToStream(*png);
  png->SetPosition(0);
  return png;
}

cairo_status_t ReadPNGFromStream(void* closure, unsigned char* data, unsigned int length) {
  auto* stream = static_cast<TStream*>(closure);
  try {
    return stream->Read(data, length) == int64_t(length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_READ_ERROR;
  } catch (const std::exception&) {
    return CAIRO_STATUS_READ_ERROR;
  }
}

bool PNGSizeAccepted(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t head[24] = {};
  const int64_t got = stream.Read(head, sizeof head);
  stream.SetPosition(start);
  if (got != 24 || std::memcmp(head + 12, "IHDR", 4) != 0) return false;
  const uint64_t w = BigEndian32(head + 16), h = BigEndian32(head + 20);
  return w > 0 && h > 0 && w * h <= uint64_t(kMaxBitmapPixels);
}

bool TPDFDaubrix::CairoDrawImageData(TStream& stream, const double* pts) {
  TCairoDLL& cairo = *cairo_;
  if (!cairo.cairo_image_surface_create_from_png_stream) return false;
  bool isPNG = false;
  std::unique_ptr<TMemoryStream> converted;
  try {
    converted = ConvertImageStreamToPNG(stream, isPNG);
  } catch (const std::exception&) {
    return false;
  }
  TStream& source = converted ? *converted : stream;
  // cairo takes a PNG's stated size at its word; one beyond what any bitmap may have is not read.
  if ((isPNG || converted) && !PNGSizeAccepted(source)) return false;
  cairo_surface_t* surface = cairo.cairo_image_surface_create_from_png_stream(ReadPNGFromStream, &source);
  converted.reset();
  // A surface in any error state, used as a source, would stop all later drawing.
  bool drawn = false;
  if (cairo.cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS)
    drawn = CairoPaintSurface(surface, cairo.cairo_image_surface_get_width(surface),
                              cairo.cairo_image_surface_get_height(surface), pts);
  cairo.cairo_surface_destroy(surface);
  return drawn;
}
