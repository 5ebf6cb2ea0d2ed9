// Type 3: the domain cut into subdomains, each mapped onto one subfunction.
#include <algorithm>
#include <limits>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/functions/function_build.h"
#include "pdf/render/functions/pdf_function.h"

TPDFType3Function::TPDFType3Function(TPDFObject* obj, TPDFResolveMethod resolver, TPDFFunctionBuild& build)
    : TPDFFunction(obj, std::move(resolver)) {
  Bounds = ReadNumbers("Bounds");
  Bounds.push_back(Domain.size() >= 2 ? Domain[1] : 0.0);
  std::vector<double> encode = ReadNumbers("Encode");
  if (!encode.empty()) Encode = std::move(encode);
  int64_t complexity = 2;
  if (Dictionary != nullptr) {
    if (auto* list = PDFCast<TPDFArray>(Resolve(Dictionary->GetValue("Functions")))) {
      for (TPDFObject* item : list->Items()) {
        Functions.push_back(CreateFunctionIn(item, build));
        if (Functions.back()) complexity += Functions.back()->Complexity;
        complexity = std::min<int64_t>(complexity, std::numeric_limits<int32_t>::max());
      }
    }
  }
  Complexity = static_cast<int32_t>(complexity);
}

void TPDFType3Function::Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) {
  if (Domain.size() < 2) return;
  double x = inputs.empty() ? 0.0 : inputs[0];
  if (!(x >= Domain[0])) x = Domain[0];
  if (x > Domain[1]) x = Domain[1];
  double lower = Domain[0];
  for (size_t k = 0; k < Bounds.size(); ++k) {
    if (lower <= x && x <= Bounds[k]) {
      // A subfunction that could not be made leaves the outputs as they are.
      if (k >= Functions.size() || !Functions[k]) return;
      // Encode holds two numbers per subfunction; a short array maps onto 0..1.
      const double e0 = 2 * k + 1 < Encode.size() ? Encode[2 * k] : 0.0;
      const double e1 = 2 * k + 1 < Encode.size() ? Encode[2 * k + 1] : 1.0;
      const std::vector<double> sub{Interpolate(x, lower, Bounds[k], e0, e1)};
      Functions[k]->Evaluate(sub, outputs);
      return;
    }
    lower = Bounds[k];
  }
}
