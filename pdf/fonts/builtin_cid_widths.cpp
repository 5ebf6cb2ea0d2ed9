#include "pdf/fonts/builtin_cid_widths.h"

#include <cstdint>
#include <span>

#include "pdf/core/filters/flate.h"
#include "platform/rtl/resources.h"

namespace {

constexpr std::string_view kHeiseiKakuGoW5 = "HeiseiKakuGo-W5";
constexpr std::string_view kResource = "HeiseiKakuGoW5Widths";
constexpr size_t kRecordSize = 1 + 256 * 2;
// Six records; the cap only stops a broken resource.
constexpr int64_t kMaxTableSize = 256 * kRecordSize;

}  // namespace

bool HasBuiltInCIDWidths(std::string_view subtype, std::string_view baseFont) {
  return subtype == "CIDFontType0" && baseFont.starts_with(kHeiseiKakuGoW5);
}

void ReadCIDWidthRecords(std::string_view records, TCIDWidths& widths) {
  for (size_t at = 0; records.size() - at >= kRecordSize; at += kRecordSize) {
    const uint32_t high = uint8_t(records[at]);
    for (uint32_t low = 0; low < 256; ++low) {
      const size_t p = at + 1 + 2 * low;
      const int32_t width = int32_t(uint8_t(records[p]) << 8 | uint8_t(records[p + 1]));
      if (width != 0) widths.Set(high * 256 + low, high * 256 + low, width);
    }
  }
}

void LoadBuiltInCIDWidths(TCIDWidths& widths) {
  // Inflated on every load: a render meets the font once, and the table is small.
  const std::span<const uint8_t> packed = FindResourceData(kResource);
  const std::string_view data(reinterpret_cast<const char*>(packed.data()), packed.size());
  ReadCIDWidthRecords(FlateDecompressString(data, kMaxTableSize), widths);
}
