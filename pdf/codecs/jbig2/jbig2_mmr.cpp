#include "pdf/codecs/jbig2/jbig2_mmr.h"

#include "pdf/codecs/ccitt/ccitt_bit_reader.h"
#include "pdf/codecs/ccitt/ccitt_rows.h"
#include "pdf/codecs/jbig2/jbig2_bitmap.h"
#include "platform/rtl/exceptions.h"

namespace jbig2 {

namespace {

// Two EOL codes: 000000000001 000000000001.
constexpr uint32_t kEOFB = 0x001001;

bool EOFBAhead(const ccitt::TCCITTBitReader& reader) { return reader.Fits(24) && reader.Peek(24) == kEOFB; }

}  // namespace

size_t TMMRDecoder::ReadRegion(TJBIG2Bitmap& bitmap, std::span<const uint8_t> data, bool consumeEOFB) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0 || data.empty()) return 0;
  ccitt::TCCITTBitReader reader(data, false);
  ccitt::TCCITTRowDecoder rows(reader, bitmap.Width());
  rows.ResetReference();
  try {
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
      if (EOFBAhead(reader)) break;
      rows.SetOutputRow(bitmap.Row(y));
      if (rows.DecodeTwoDRow(true) == ccitt::TRowEnd::OutOfData) break;
    }
  } catch (const Exception&) {
    // A code that means nothing here ends the bitmap; the rows before it stand.
  }
  if (consumeEOFB && EOFBAhead(reader)) reader.Skip(24);
  return static_cast<size_t>((reader.Position() + 7) / 8);
}

}  // namespace jbig2
