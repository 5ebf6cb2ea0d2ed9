// Type 0: a table of samples, interpolated multilinearly between the samples around a point.
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

void TPDFType0Function::MixSamples(size_t corners, std::vector<double>& mixed) {
  const uint64_t outputs = mixed.size();
  // Each corner's first sample, kBeyond for corners that read 0 or weigh nothing.
  for (size_t c = 0; c < corners; ++c)
    if (weights_[c] == 0 || indexes_[c] == kBeyond || !MultiplyChecked(indexes_[c], outputs, indexes_[c]))
      indexes_[c] = kBeyond;
  if (BitsPerSample == 8) {
    // A byte a sample, the common width: one sum per output over the corners, straight from the
    // data (samples past them read 0).
    const uint64_t size = Program.size();
    const auto* data = reinterpret_cast<const uint8_t*>(Program.data());
    for (size_t j = 0; j < mixed.size(); ++j) {
      double sum = 0;
      for (size_t c = 0; c < corners; ++c)
        if (indexes_[c] < size && size - indexes_[c] > j) sum += weights_[c] * data[indexes_[c] + j];
      mixed[j] = sum;
    }
    return;
  }
  for (size_t c = 0; c < corners; ++c) {
    uint64_t bitOffset = 0;
    if (indexes_[c] == kBeyond || !MultiplyChecked(indexes_[c], uint64_t(std::max(0, BitsPerSample)), bitOffset))
      continue;
    for (size_t j = 0; j < mixed.size(); ++j) mixed[j] += weights_[c] * ReadSample(bitOffset);
  }
}

void TPDFType0Function::Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) {
  outputs.assign(size_t(OutputCount), 0.0);
  std::vector<TAxis>& axes = axes_;
  axes.clear();
  uint64_t base = 0;   // index of the corner below every encoded value
  uint64_t stride = 1;  // Size_0 x ... x Size_(i-1)
  bool beyond = false, strideBeyond = false;
  for (int32_t i = 0; i < InputCount; ++i) {
    const size_t k = size_t(i);
    const double x = Clip(k < inputs.size() ? inputs[k] : 0.0, Domain[2 * k], Domain[2 * k + 1]);
    const double e0 = 2 * k < Encode.size() ? Encode[2 * k] : 0.0;
    const double e1 = 2 * k + 1 < Encode.size() ? Encode[2 * k + 1] : 0.0;
    const double size = k < Size.size() ? Size[k] : 1.0;
    const auto sizeCount = static_cast<uint64_t>(std::max<int64_t>(1, RoundHalfEven(size)));
    const double e = Clip(Interpolate(x, Domain[2 * k], Domain[2 * k + 1], e0, e1), 0,
                          std::min(std::max(0.0, size - 1), double(sizeCount - 1)));
    TAxis axis;
    axis.low = static_cast<uint64_t>(std::floor(e));
    axis.weight = e - std::floor(e);
    if (axis.weight > 0 && axis.low + 1 < sizeCount && !strideBeyond) axis.stride = stride;
    uint64_t offset = 0;
    if (axis.low != 0 && (strideBeyond || !MultiplyChecked(axis.low, stride, offset) || !AddChecked(base, offset, base)))
      beyond = true;
    if (!MultiplyChecked(stride, sizeCount, stride)) strideBeyond = true;
    axes.push_back(axis);
  }
  // Multilinear interpolation between the samples around the point: each corner of the cell
  // weighs the product of its weights along every input. Inputs that sit on a sample add no
  // corners; past kMaxInterpolatedInputs the remaining inputs take their nearer sample, so one
  // evaluation reads at most 2^kMaxInterpolatedInputs samples per output.
  std::vector<size_t>& between = between_;
  between.clear();
  for (size_t k = 0; k < axes.size(); ++k) {
    TAxis& axis = axes[k];
    if (axis.stride == 0) continue;
    if (between.size() < kMaxInterpolatedInputs) {
      between.push_back(k);
    } else if (axis.weight > 0.5 && !beyond && !AddChecked(base, axis.stride, base)) {
      beyond = true;
    }
  }
  // The corners' weights and indexes, one input at a time: each corner so far splits into the
  // one below (weight 1 - w) and the one above (weight w, one stride on).
  const size_t corners = size_t(1) << between.size();
  weights_.resize(std::max(weights_.size(), corners));
  indexes_.resize(std::max(indexes_.size(), corners));
  weights_[0] = 1;
  indexes_[0] = beyond ? kBeyond : base;
  for (size_t b = 0, count = 1; b < between.size(); ++b, count *= 2) {
    const TAxis& axis = axes[between[b]];
    for (size_t c = 0; c < count; ++c) {
      weights_[c + count] = weights_[c] * axis.weight;
      weights_[c] *= 1 - axis.weight;
      uint64_t above = kBeyond;
      if (indexes_[c] != kBeyond && (!AddChecked(indexes_[c], axis.stride, above) || above == kBeyond)) above = kBeyond;
      indexes_[c + count] = above;
    }
  }
  const double maxSample = BitsPerSample > 0 && BitsPerSample <= 32 ? std::ldexp(1.0, BitsPerSample) - 1 : 0.0;
  // The blended samples, then their decoded values, in place.
  MixSamples(corners, outputs);
  for (int32_t j = 0; j < OutputCount; ++j) {
    const size_t k = size_t(j);
    const double d0 = 2 * k < Decode.size() ? Decode[2 * k] : 0.0;
    const double d1 = 2 * k + 1 < Decode.size() ? Decode[2 * k + 1] : 0.0;
    outputs[k] = Clip(Interpolate(outputs[k], 0, maxSample, d0, d1), Range[2 * k], Range[2 * k + 1]);
  }
}
