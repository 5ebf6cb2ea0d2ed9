// JBIG2 decoder entry point. The first byte chooses the form: bit 0 set splits the rest into
// a globals stream (its length in the next two bytes, little-endian) and the page data;
// otherwise the rest is the page data (embedded stream or JBIG2 file).
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pdf/codecs/jbig2/jbig2_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::span<const uint8_t> rest(data + 1, size - 1);
  std::span<const uint8_t> globals;
  if ((data[0] & 1) && rest.size() >= 2) {
    const size_t n = std::min<size_t>(rest[0] | (size_t(rest[1]) << 8), rest.size() - 2);
    globals = rest.subspan(2, n);
    rest = rest.subspan(2 + n);
  }
  TZRXJBIG2Decoder decoder;
  if (decoder.Decode(rest, globals)) {
    // A picture is never empty nor beyond the pixel limit, and its rows are all there.
    const int64_t w = decoder.Width(), h = decoder.Height();
    if (w < 1 || h < 1 || w * h > (int64_t{1} << 28)) std::abort();
    if (decoder.PackedRows().size() != size_t((w + 7) / 8 * h)) std::abort();
    std::vector<uint8_t> row;
    if (!decoder.GetRow(int32_t(h - 1), row) || row.size() != size_t(w)) std::abort();
    if (decoder.GetRow(int32_t(h), row)) std::abort();
  } else if (decoder.Width() != 0 || decoder.Height() != 0) {
    std::abort();
  }
  return 0;
}
