// The ceiling on what one decoding stage may produce.
//
// Stream data comes from files we do not trust: a few kilobytes of Flate or LZW data can
// expand to gigabytes. Every decoding stage takes a ceiling and stops there, keeping what it
// produced so far, the way it treats damaged data.
#pragma once

#include <algorithm>
#include <cstdint>

// 512 MiB: more than any page image that the image decoder accepts in practice (a 2^28-pixel
// grey image at 16 bits, or an RGB image of about 179 million pixels), small enough that a
// hostile stream cannot exhaust memory. Callers that know a tighter bound pass it.
inline constexpr int64_t kDefaultFilterOutputLimit = int64_t{1} << 29;

// What a chain of stages may produce in all: each stage up to its own ceiling, all of them
// together up to twice it plus the chain's input. Honest chains decode to one large result
// through smaller ones; a chain of many expanding stages would otherwise cost a ceiling per
// stage named, a few bytes of names each.
class FilterChainBudget {
 public:
  FilterChainBudget(int64_t stageCeiling, int64_t inputBytes)
      : ceiling_(std::max<int64_t>(stageCeiling, 0)), left_(2 * ceiling_ + std::max<int64_t>(inputBytes, 0)) {}
  int64_t NextStage() const { return std::min(ceiling_, left_); }
  void Spent(int64_t produced) { left_ = std::max<int64_t>(0, left_ - std::max<int64_t>(produced, 0)); }

 private:
  int64_t ceiling_;
  int64_t left_;
};
