// Fuzz entry point: PNG files through the reader in its three ways of reading (full, with
// 16-bit reduction, header only); what it hands on must be consistent with the header.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/filters/flate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (int variant = 0; variant < 3; ++variant) {
    TMemoryStream stream(bytes);
    TPNGReader r;
    r.Reduce16BitImage = variant == 1;
    r.Reduce16BitAlpha = variant == 1;
    r.HeaderOnly = variant == 2;
    r.ReadChunks(stream);
    if (r.PaletteCount > 256 || r.Palette.size() != size_t(r.PaletteCount) * 3) std::abort();
    if (r.HeaderOnly && !r.IDATData.empty()) std::abort();
    if (r.ImageData.empty() || r.PassThrough) continue;
    if (!r.HeaderValid()) std::abort();
    // Unfiltered samples: exactly one row of the header's size per image row.
    const int colours = (r.ColorType == 2 || r.ColorType == 6) ? 3 : 1;
    const uint64_t rowBits = uint64_t(r.Width) * colours * r.ImageBitsPerComponent;
    const std::string samples = FlateDecompressString(r.ImageData);
    if (samples.size() != (rowBits + 7) / 8 * r.Height) std::abort();
    std::string text;
    r.GetIndexedColorSpace(text);
  }
  return 0;
}
