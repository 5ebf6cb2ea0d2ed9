// The ceiling on what one decoding stage may produce.
//
// Stream data comes from files we do not trust: a few kilobytes of Flate or LZW data can
// expand to gigabytes. Every decoding stage takes a ceiling and stops there, keeping what it
// produced so far, the way it treats damaged data.
#pragma once

#include <algorithm>
#include <cstdint>

// 512 MiB: the ceiling of a stream whose output has no size of its own (content, fonts,
// metadata), small enough that a hostile stream cannot exhaust memory. Image samples have a
// size and take ImageOutputLimit instead. Callers that know a tighter bound pass it.
inline constexpr int64_t kDefaultFilterOutputLimit = int64_t{1} << 29;

// The most sample bytes an image may have: a picture at the size cap (2^28 pixels) with four
// 16-bit samples a pixel, the deepest any image file brings (16-bit CMYK). Deeper images of
// that size are refused before they are decoded, never cut.
inline constexpr int64_t kMaxImageSampleBytes = (int64_t{1} << 28) * 8;

// The ceiling of what the filters of an image with sampleBytes of samples make: twice its
// samples and a megabyte, room for PNG row tags and for data before the last stage (run-length
// runs, compressed data). It never cuts an image the size cap admits: a page of 16,000 x 16,000
// RGB pixels is 768 MB of samples, past the default ceiling.
inline constexpr int64_t ImageOutputLimit(int64_t sampleBytes) {
  return 2 * std::clamp<int64_t>(sampleBytes, 0, kMaxImageSampleBytes) + (int64_t{1} << 20);
}

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
