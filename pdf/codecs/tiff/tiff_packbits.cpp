#include "pdf/codecs/tiff/tiff_packbits.h"

#include <algorithm>

namespace {

// Walks the runs of Input, calling Literal(pointer, length) and Repeat(byte, length) until
// Budget decoded bytes have been produced or the input ends. Returns the bytes produced.
template <typename LiteralFn, typename RepeatFn>
int64_t WalkRuns(std::string_view in, int64_t budget, LiteralFn literal, RepeatFn repeat) {
  int64_t produced = 0;
  size_t i = 0;
  while (i < in.size() && produced < budget) {
    const uint8_t n = uint8_t(in[i++]);
    if (n == 128) continue;
    if (n < 128) {
      const int64_t len = std::min<int64_t>({int64_t(n) + 1, int64_t(in.size() - i), budget - produced});
      if (len <= 0) break;
      literal(in.data() + i, len);
      i += size_t(n) + 1;
      produced += len;
    } else {
      if (i >= in.size()) break;
      const int64_t len = std::min<int64_t>(257 - n, budget - produced);
      repeat(in[i++], len);
      produced += len;
    }
  }
  return produced;
}

}  // namespace

void PackBitsToRunLength(std::string_view Input, int64_t Expected, std::string& Out, size_t Chunk,
                         const std::function<void(std::string&)>& Full) {
  const auto repeat = [&](char b, int64_t n) {
    // A cut repeat of one byte is written as a literal of one.
    Out.push_back(n == 1 ? char(0) : char(257 - n));
    Out.push_back(b);
    if (Out.size() >= Chunk) Full(Out);
  };
  const int64_t produced = WalkRuns(
      Input, Expected,
      [&](const char* p, int64_t n) {
        Out.push_back(char(n - 1));
        Out.append(p, size_t(n));
        if (Out.size() >= Chunk) Full(Out);
      },
      repeat);
  for (int64_t left = Expected - produced; left > 0;) {
    const int64_t n = std::min<int64_t>(left, 128);
    repeat('\xFF', n);
    left -= n;
  }
}
