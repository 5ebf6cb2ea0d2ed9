// Fuzz entry point: PNG files through the reader in its ways of reading (full, with 16-bit
// reduction, header only, samples left to be made row by row, image data left in the file);
// what it hands on must be consistent with the header, and rows made one at a time (from the
// data kept or read where they lie) must be the full read's samples.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pdf/codecs/png/png_image_data.h"
#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/filters/flate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string fullColour, fullAlpha;
  const TSharedBytes file = MemoryBytes(bytes);
  for (int variant = 0; variant < 5; ++variant) {
    TMemoryStream stream(bytes);
    TPNGReader r;
    r.Reduce16BitImage = variant == 1;
    r.Reduce16BitAlpha = variant == 1;
    r.HeaderOnly = variant == 2;
    r.DeferSamples = variant >= 3;
    if (variant == 4) {
      r.File = file;
      r.HeldFileBytes = 0;
    }
    r.ReadChunks(stream);
    if (r.PaletteCount > 256 || r.Palette.size() != size_t(r.PaletteCount) * 3) std::abort();
    if (r.HeaderOnly && !r.IDATData.empty()) std::abort();
    if (r.ImageDataInFile && variant != 4) std::abort();
    if (r.SamplesDeferred) {
      // The same rows as the full read, made one at a time from the data it kept or left.
      const TPNGImageData idat = r.ImageDataInFile ? TPNGImageData(file, r.FirstIDATPosition, r.IDATBytes)
                                                   : TPNGImageData(r.IDATData);
      const auto rows = idat.Rows(r.Format());
      const TPNGFormat f = r.Format();
      std::string colour, alpha;
      for (uint32_t y = 0; y < f.Height; ++y) {
        rows->Next();
        colour.append(reinterpret_cast<const char*>(rows->Colour()), size_t(TPNGRows::ColourRowBytes(f)));
        alpha.append(reinterpret_cast<const char*>(rows->Alpha()), size_t(TPNGRows::AlphaRowBytes(f)));
      }
      // Pictures the full read passes through keep no samples there to compare with.
      if ((variant == 3 || !fullColour.empty()) && (colour != fullColour || alpha != fullAlpha)) std::abort();
      continue;
    }
    if (r.ImageData.empty() || r.PassThrough) continue;
    if (!r.HeaderValid()) std::abort();
    // Unfiltered samples: exactly one row of the header's size per image row.
    const int colours = (r.ColorType == 2 || r.ColorType == 6) ? 3 : 1;
    const uint64_t rowBits = uint64_t(r.Width) * colours * r.ImageBitsPerComponent;
    const std::string samples = FlateDecompressString(r.ImageData);
    if (samples.size() != (rowBits + 7) / 8 * r.Height) std::abort();
    if (variant == 0) {
      fullColour = samples;
      fullAlpha = FlateDecompressString(r.AlphaData);
    }
    std::string text;
    r.GetIndexedColorSpace(text);
  }
  return 0;
}
