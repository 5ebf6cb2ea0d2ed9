// Fax decoder entry point. The first six bytes choose the parameters:
//   0: bits 0-1 procedure (0 Group 3 1-D, 1 Group 3 2-D, 2-3 Group 4), bit 2 EncodedByteAlign,
//      bit 3 fill-bits mode, bits 4-5 fill order (0 and 2 -> 1, 1 -> 2, 3 -> an invalid 3),
//      bit 6 columns x 16, bit 7 columns negated;
//   1-2: columns (little-endian); 3-4: rows (0 = unknown); 5: row factor (low 4 bits).
// The rest is the coded data.
#include <cstdint>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <span>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "platform/rtl/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const uint8_t mode = data[0];
  int32_t columns = data[1] | (data[2] << 8);
  if (mode & 0x40) columns *= 16;
  if (mode & 0x80) columns = -columns;
  const int32_t rows = data[3] | (data[4] << 8);
  const int32_t row_factor = data[5] & 15;
  const int fill_orders[] = {1, 2, 1, 3};
  const int32_t fill_order = fill_orders[(mode >> 4) & 3];
  const std::span<const uint8_t> coded(data + 6, size - 6);

  // Each decode runs twice, into the whole output and row by row; both must agree.
  TZRXCCITTDecoder decoder(columns, row_factor, (mode & 8) != 0, (mode & 4) != 0, fill_order, rows);
  TZRXCCITTDecoder by_rows(columns, row_factor, (mode & 8) != 0, (mode & 4) != 0, fill_order, rows);
  std::vector<uint8_t> output;
  std::vector<std::vector<uint8_t>> handed;
  const TZRXCCITTDecoder::TRowHandler keep = [&](int64_t r, std::span<const uint8_t> bits) {
    if (r != static_cast<int64_t>(handed.size())) std::abort();
    handed.emplace_back(bits.begin(), bits.end());
    return true;
  };
  bool ok = false, ok_rows = false;
  switch (mode & 3) {
    case 0:
      ok = decoder.DecodeGroup3OneD(output, coded);
      ok_rows = by_rows.DecodeGroup3OneD(keep, coded);
      break;
    case 1:
      try {
        decoder.DecodeGroup3TwoD(output, coded);
        ok = true;
      } catch (const EInvalidOperation&) {
      }
      try {
        by_rows.DecodeGroup3TwoD(keep, coded);
        ok_rows = true;
      } catch (const EInvalidOperation&) {
      }
      break;
    default:
      ok = decoder.DecodeGroup4(output, coded);
      ok_rows = by_rows.DecodeGroup4(keep, coded);
      break;
  }
  if (ok != ok_rows) std::abort();
  if (ok && static_cast<int64_t>(handed.size()) != decoder.RowsDecoded()) std::abort();
  // A failed Group 4 decode clears its output; the rows handed before the failure stand.
  if (ok || (mode & 3) < 2) {
    for (size_t r = 0; r < handed.size(); ++r) {
      const size_t row_bytes = handed[r].size();
      if ((r + 1) * row_bytes > output.size() ||
          !std::equal(handed[r].begin(), handed[r].end(), output.begin() + static_cast<std::ptrdiff_t>(r * row_bytes)))
        std::abort();
    }
  }
  // The output never holds more rows than the data can code, nor more than was asked for.
  if (decoder.RowBytes() > 0) {
    const uint64_t row_bytes = static_cast<uint64_t>(decoder.RowBytes());
    if (output.size() % row_bytes != 0) std::abort();
    const uint64_t out_rows = output.size() / row_bytes;
    if (out_rows > coded.size() * 8 + 1) std::abort();
    if (static_cast<uint64_t>(decoder.RowsDecoded()) > out_rows) std::abort();
    const uint64_t factor = (mode & 3) >= 2 && row_factor > 1 ? static_cast<uint64_t>(row_factor) : 1;
    if (rows > 0 && out_rows > (static_cast<uint64_t>(rows) - 1) * factor + 1) std::abort();
    if (out_rows * static_cast<uint64_t>(columns) > static_cast<uint64_t>(TZRXCCITTDecoder::MaxPixels)) std::abort();
  } else if (!output.empty()) {
    std::abort();
  }
  return 0;
}
