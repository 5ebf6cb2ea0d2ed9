// GIF decoder entry point: reading, then painting every frame into the screen bitmap and into
// RGB samples, which must hold the same picture.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pdf/codecs/gif/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data), size));
  TPDFGIFDecoder gif;
  gif.LoadFromStream(stream);
  if (!gif.Valid && !gif.Frames.empty()) std::abort();
  TBitmap bitmap;
  std::string samples;
  const bool painted = gif.GetFrameSamples(samples);
  if (gif.GetFrameBitmap(bitmap) != painted) std::abort();
  if (!painted) {
    if (bitmap.Width() != 0 || bitmap.Height() != 0 || !samples.empty()) std::abort();
    return 0;
  }
  if (bitmap.Width() != gif.ScreenWidth || bitmap.Height() != gif.ScreenHeight) std::abort();
  const size_t rowBytes = size_t(bitmap.Width()) * 3;
  if (samples.size() != rowBytes * size_t(bitmap.Height())) std::abort();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* bgr = bitmap.ScanLine(y);
    const auto* rgb = reinterpret_cast<const uint8_t*>(samples.data()) + rowBytes * size_t(y);
    for (size_t i = 0; i < rowBytes; i += 3)
      if (rgb[i] != bgr[i + 2] || rgb[i + 1] != bgr[i + 1] || rgb[i + 2] != bgr[i]) std::abort();
  }
  return 0;
}
