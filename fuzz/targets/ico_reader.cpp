// Fuzz entry point: .ico files (directory, BMP and PNG entries) at a few requested sizes; a DIB
// entry's rows as the import makes them over white must be the icon's picture shown on white.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "pdf/content/image_import/icon_samples.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/ico_reader.h"
#include "platform/gdi/png_image.h"

namespace {

void ExpectRowsOnWhite(const std::string& bytes, int want, const GdiBitmap& picture) {
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const IcoEntry& entry = PickIcoEntry(ReadIcoDirectory(data, int64_t(data.size())), want, want);
  const std::span<const uint8_t> image = data.subspan(entry.offset, entry.size);
  if (IsPngSignature(image)) return;
  std::unique_ptr<TIconDIBSamples> made;
  try {
    made = std::make_unique<TIconDIBSamples>(TDibRows::OfIconImage(BytesWindow(MemoryBytes(bytes), entry.offset, entry.size)));
  } catch (const EInvalidGraphic&) {
    // Only a header larger than any the formats know is refused where the whole read takes it.
    if (image.size() >= 4 && (image[0] | image[1] << 8 | image[2] << 16 | uint32_t(image[3]) << 24) > (1u << 20)) return;
    std::abort();
  }
  const TIconDIBSamples& samples = *made;
  if (samples.Rows() != picture.Height() || samples.RowBytes() != 3 * int64_t(picture.Width())) std::abort();
  const auto rows = samples.Open();
  for (int32_t y = 0; y < picture.Height(); ++y) {
    const uint8_t* rgb = rows->Next();
    for (int32_t x = 0; x < picture.Width(); ++x, rgb += 3) {
      const uint8_t* p = picture.Row(y) + 4 * x;
      for (int c = 0; c < 3; ++c) {
        const unsigned a = p[3], v = p[2 - c];
        if (rgb[c] != (a == 255 ? v : (v * a + 255 * (255 - a) + 127) / 255)) std::abort();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (int want : {0, 16, 48}) {
    try {
      IconImage icon = ReadIcoFile(std::span<const uint8_t>(data, size), want, want);
      if (!icon.image || icon.image->BitsPerPixel() != 32) __builtin_trap();
      ExpectRowsOnWhite(bytes, want, *icon.image);
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfMemory&) {
    }
  }
  return 0;
}
