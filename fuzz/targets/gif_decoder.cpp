// GIF decoder entry point: reading, then painting every frame into the screen bitmap and a row
// at a time, which must give the same picture. Large screens are painted only a row at a time
// (as the import paints them), and only down to the last row a frame reaches: the rows below
// are white and cost nothing but their bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/codecs/gif/gif_screen_rows.h"

namespace {

// Screens up to this many pixels are also painted whole and compared.
constexpr int64_t kComparedPixels = int64_t(1) << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data), size));
  TPDFGIFDecoder gif;
  gif.LoadFromStream(stream);
  if (!gif.Valid && !gif.Frames.empty()) std::abort();
  const int64_t pixels = int64_t(gif.ScreenWidth) * gif.ScreenHeight;
  const bool inRows = gif.PaintableInRows();
  if (pixels > kComparedPixels) {
    if (!inRows) return 0;
    TPDFGIFScreenRows rows(gif);
    for (int64_t y = 0; y < rows.PaintedBottom(); ++y) rows.Next();
    return 0;
  }
  TBitmap bitmap;
  const bool painted = gif.GetFrameBitmap(bitmap);
  if (!painted) {
    if (bitmap.Width() != 0 || bitmap.Height() != 0 || inRows) std::abort();
    return 0;
  }
  if (bitmap.Width() != gif.ScreenWidth || bitmap.Height() != gif.ScreenHeight) std::abort();
  std::string samples;
  if (!gif.GetFrameSamples(samples)) std::abort();
  std::unique_ptr<TPDFGIFScreenRows> rows = inRows ? std::make_unique<TPDFGIFScreenRows>(gif) : nullptr;
  const size_t rowBytes = size_t(bitmap.Width()) * 3;
  if (samples.size() != rowBytes * size_t(bitmap.Height())) std::abort();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* bgr = bitmap.ScanLine(y);
    const auto* rgb = reinterpret_cast<const uint8_t*>(samples.data()) + rowBytes * size_t(y);
    for (size_t i = 0; i < rowBytes; i += 3)
      if (rgb[i] != bgr[i + 2] || rgb[i + 1] != bgr[i + 1] || rgb[i + 2] != bgr[i]) std::abort();
    if (rows && std::memcmp(rows->Next(), rgb, rowBytes) != 0) std::abort();
  }
  return 0;
}
