// Fuzz entry point: the import's JPEG marker scan, and libjpeg's header reading as the JPEG
// class does it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/content/image_import/jpeg_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TJPEGHeaderInfo info;
  ParseJPEGHeader(bytes, info);
  if (info.Width < 0 || info.Width > 65535 || info.Height < 0 || info.Height > 65535) std::abort();
  if (info.Unit < -1 || info.Unit > 255 || info.XDensity < 0 || info.YDensity < 0) std::abort();
  TMemoryStream stream(bytes);
  TPDFJPEGImage image;
  image.LoadFromStream(stream);
  image.Scale = 3;
  if (image.Width() < 0 || image.Height() < 0) std::abort();
  return 0;
}
