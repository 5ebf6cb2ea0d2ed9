// Type 0: a table of samples, taken at the nearest sample without interpolation.
#include <algorithm>
#include <cmath>
#include <limits>

#include "pdf/render/functions/pdf_function.h"
#include "platform/rtl/numbers.h"

namespace {

// NaN goes to the lower end.
double Clip(double v, double lo, double hi) {
  if (!(v >= lo)) v = lo;
  if (v > hi) v = hi;
  return v;
}

bool MultiplyChecked(uint64_t a, uint64_t b, uint64_t& out) { return !__builtin_mul_overflow(a, b, &out); }
bool AddChecked(uint64_t a, uint64_t b, uint64_t& out) { return !__builtin_add_overflow(a, b, &out); }

}  // namespace

TPDFType0Function::TPDFType0Function(TPDFObject* obj, TPDFResolveMethod resolver)
    : TPDFFunction(obj, std::move(resolver)) {
  Size = ReadNumbers("Size");
  BitsPerSample = ClampToInt32(RoundHalfEven(ReadNumber("BitsPerSample", 0)));
  Order = ClampToInt32(RoundHalfEven(ReadNumber("Order", 1)));
  Encode = ReadNumbers("Encode");
  if (Encode.empty()) {
    for (int32_t i = 0; i < InputCount; ++i) {
      Encode.push_back(0);
      Encode.push_back((size_t(i) < Size.size() ? Size[size_t(i)] : 1) - 1);
    }
  }
  Decode = ReadNumbers("Decode");
  if (Decode.empty()) Decode = Range;
  Complexity = Size.empty() ? 2 : ClampToInt32(RoundHalfEven(Size[0]));
}

// Bits at the running offset, most significant first; bits past the data read as 0. Widths
// outside 1..32 are not sample widths: they read 0 without advancing.
uint32_t TPDFType0Function::ReadSample(uint64_t& bitOffset) const {
  if (BitsPerSample <= 0 || BitsPerSample > 32) return 0;
  const uint64_t totalBits = uint64_t(Program.size()) * 8;
  uint32_t value = 0;
  for (int32_t i = 0; i < BitsPerSample; ++i) {
    uint32_t bit = 0;
    if (bitOffset < totalBits) {
      const auto byte = static_cast<uint8_t>(Program[size_t(bitOffset >> 3)]);
      bit = (byte >> (7 - (bitOffset & 7))) & 1u;
    }
    value = (value << 1) | bit;
    if (bitOffset != std::numeric_limits<uint64_t>::max()) ++bitOffset;
  }
  return value;
}

void TPDFType0Function::Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) {
  outputs.assign(size_t(OutputCount), 0.0);
  // Sample index e_0 + Size_0 (e_1 + Size_1 (e_2 + ...)), built from the last input down.
  uint64_t index = 0;
  bool beyond = false;
  for (int32_t i = InputCount - 1; i >= 0; --i) {
    const size_t k = size_t(i);
    const double x = Clip(k < inputs.size() ? inputs[k] : 0.0, Domain[2 * k], Domain[2 * k + 1]);
    const double e0 = 2 * k < Encode.size() ? Encode[2 * k] : 0.0;
    const double e1 = 2 * k + 1 < Encode.size() ? Encode[2 * k + 1] : 0.0;
    const double size = k < Size.size() ? Size[k] : 1.0;
    const double e = Clip(Interpolate(x, Domain[2 * k], Domain[2 * k + 1], e0, e1), 0, std::max(0.0, size - 1));
    const auto sample = static_cast<uint64_t>(std::max<int64_t>(0, RoundHalfEven(e)));
    const auto sizeCount = static_cast<uint64_t>(std::max<int64_t>(1, RoundHalfEven(size)));
    if (i == InputCount - 1)
      index = sample;
    else if (!MultiplyChecked(index, sizeCount, index) || !AddChecked(index, sample, index))
      beyond = true;
  }
  uint64_t bitOffset = 0;
  if (beyond || !MultiplyChecked(index, uint64_t(std::max(0, BitsPerSample)) * uint64_t(OutputCount), bitOffset))
    bitOffset = std::numeric_limits<uint64_t>::max();
  const double maxSample = BitsPerSample > 0 && BitsPerSample <= 32 ? std::ldexp(1.0, BitsPerSample) - 1 : 0.0;
  for (int32_t j = 0; j < OutputCount; ++j) {
    const size_t k = size_t(j);
    const double s = ReadSample(bitOffset);
    const double d0 = 2 * k < Decode.size() ? Decode[2 * k] : 0.0;
    const double d1 = 2 * k + 1 < Decode.size() ? Decode[2 * k + 1] : 0.0;
    outputs[k] = Clip(Interpolate(s, 0, maxSample, d0, d1), Range[2 * k], Range[2 * k + 1]);
  }
}
