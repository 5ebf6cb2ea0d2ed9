// Helpers of the metafile tests: the libUEMF generator, hand-made records for hostile files,
// and playback onto a white 24-bit surface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/dib.h"
#include "platform/gdi/metafile/emf_types.h"
#include "tests/support/le_bytes.h"

namespace mftest {

// The generator's path, or empty when it was not built.
std::string Generator();
struct Generated {
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> types;  // what the generator says it wrote, in order
};
Generated Generate(const std::string& scene);

// Little-endian record bytes for hand-made files.
using Bytes = testsupport::LeBytes;

// An EMF header (96 x 72 pixels at 96 dpi, 108 bytes) followed by `records`; the header's
// nBytes and nRecords are filled in. `eof` appends an EOF record.
std::vector<uint8_t> Emf(const std::vector<std::vector<uint8_t>>& records, bool eof = true);
// One record: type, size (the real size unless `sizeOverride` is given), parameters.
std::vector<uint8_t> Rec(uint32_t type, const Bytes& params, int64_t sizeOverride = -1);

// A placeable WMF (bounds 0, 0, w, h, `inch` units an inch, checksum right) with `objects`
// table entries around `records` (each: function, parameter words); EOF appended.
struct WmfRec {
  uint16_t function;
  std::vector<uint16_t> words;
};
std::vector<uint8_t> Wmf(const std::vector<WmfRec>& records, int16_t w = 96, int16_t h = 72, uint16_t inch = 96,
                         uint16_t objects = 8, bool eof = true);

// The metafile played into a white 24-bit bitmap of w x h onto the rectangle (0, 0, w, h).
std::shared_ptr<GdiBitmap> Render(const std::vector<uint8_t>& metafile, int w = 96, int h = 72);
// Record types of the EMF (as enumerated by EnumEnhMetaFile without a DC).
std::vector<uint32_t> Enumerate(const std::vector<uint8_t>& emf);

}  // namespace mftest
