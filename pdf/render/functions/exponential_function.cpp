// Type 2: C0 + x^N (C1 - C0).
#include <cmath>

#include "pdf/render/functions/pdf_function.h"

TPDFType2Function::TPDFType2Function(TPDFObject* obj, TPDFResolveMethod resolver)
    : TPDFFunction(obj, std::move(resolver)) {
  std::vector<double> c0 = ReadNumbers("C0");
  std::vector<double> c1 = ReadNumbers("C1");
  if (!c0.empty()) C0 = std::move(c0);
  if (!c1.empty()) C1 = std::move(c1);
  N = ReadNumber("N", 1.0);
  if (Range.empty()) OutputCount = static_cast<int32_t>(C0.size());
  Complexity = 2;
}

void TPDFType2Function::Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) {
  const double x = inputs.empty() ? 0.0 : inputs[0];
  double power = std::pow(x, N);
  // A negative base under a fractional exponent has no real value.
  if (std::isnan(power)) power = 0;
  outputs.assign(size_t(OutputCount), 0.0);
  for (size_t j = 0; j < outputs.size(); ++j) {
    const double c0 = j < C0.size() ? C0[j] : 0.0;
    const double c1 = j < C1.size() ? C1[j] : 0.0;
    const double y = c0 + power * (c1 - c0);
    outputs[j] = std::isnan(y) ? 0.0 : y;
  }
}
