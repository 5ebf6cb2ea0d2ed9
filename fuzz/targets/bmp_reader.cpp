// Fuzz entry point: BMP files through the reader and, when they decode, back out through the
// writer and in again (the round trip must hold); the rows read in place must be the decoded
// rows wherever they are given, and the rows read where they lie a piece at a time must be the
// decoded rows of every file the reader decodes (and refused where it refuses).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/bmp_writer.h"
#include "platform/gdi/dib_rows.h"
#include "platform/gdi/graphics_errors.h"

namespace {

// Whether the rows read where they lie refuse the file.
bool RowsRefused(const uint8_t* data, size_t size) {
  try {
    TDibRows::OfBmpFile(MemoryBytes(std::string(reinterpret_cast<const char*>(data), size)));
    return false;
  } catch (const EInvalidGraphic&) {
    return true;
  } catch (const EOutOfMemory&) {
    return true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<GdiBitmap> image;
  try {
    image = ReadBmpFile(std::span<const uint8_t>(data, size));
  } catch (const EInvalidGraphic&) {
    if (!RowsRefused(data, size)) std::abort();
    return 0;
  } catch (const EOutOfMemory&) {
    if (!RowsRefused(data, size)) std::abort();
    return 0;
  }
  {
    const TDibRows dib = TDibRows::OfBmpFile(MemoryBytes(std::string(reinterpret_cast<const char*>(data), size)));
    if (dib.Width() != image->Width() || dib.Height() != image->Height() || dib.BitsPerPixel() != image->BitsPerPixel())
      std::abort();
    const auto reading = dib.Open();
    const size_t rowBytes = (size_t(image->Width()) * size_t(image->BitsPerPixel()) + 7) / 8;
    for (int32_t y = 0; y < image->Height(); ++y)
      if (std::memcmp(reading->Next(), image->Row(y), rowBytes) != 0) std::abort();
  }
  const BmpRows24 rows = ViewBmpRows24(std::span<const uint8_t>(data, size));
  if (!rows.Empty()) {
    if (rows.width != image->Width() || rows.height != image->Height() || image->BitsPerPixel() != 24) std::abort();
    for (int32_t y = 0; y < rows.height; ++y)
      if (std::memcmp(rows.Row(y), image->Row(y), size_t(rows.width) * 3) != 0) std::abort();
  } else if (image->BitsPerPixel() == 24) {
    std::abort();
  }
  const std::string again = EncodeBmp(*image);
  auto back = ReadBmpFile({reinterpret_cast<const uint8_t*>(again.data()), again.size()});
  if (back->Width() != image->Width() || back->Height() != image->Height() ||
      std::memcmp(back->Row(0), image->Row(0), size_t(image->Stride()) * size_t(image->Height())) != 0)
    std::abort();
  return 0;
}
