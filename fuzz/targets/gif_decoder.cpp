// GIF decoder entry point: reading, then painting every frame into the screen bitmap.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pdf/codecs/gif/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data), size));
  TPDFGIFDecoder gif;
  gif.LoadFromStream(stream);
  if (!gif.Valid && !gif.Frames.empty()) std::abort();
  TBitmap bitmap;
  if (gif.GetFrameBitmap(bitmap)) {
    if (bitmap.Width() != gif.ScreenWidth || bitmap.Height() != gif.ScreenHeight) std::abort();
  } else if (bitmap.Width() != 0 || bitmap.Height() != 0) {
    std::abort();
  }
  return 0;
}
