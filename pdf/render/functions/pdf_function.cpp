#include "pdf/render/functions/pdf_function.h"

#include <algorithm>
#include <unordered_set>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/functions/function_build.h"

double Interpolate(double x, double x0, double x1, double y0, double y1) {
  if (x1 == x0) return y0;
  return y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

TPDFFunction::TPDFFunction(TPDFObject* obj, TPDFResolveMethod resolver) : Resolver(std::move(resolver)) {
  if (auto* stream = PDFCast<TPDFStream>(obj)) {
    Dictionary = stream->Dictionary();
    if (!stream->Decode(Program)) Program.clear();
  } else {
    Dictionary = PDFCast<TPDFDictionary>(obj);
  }
  Domain = ReadNumbers("Domain");
  Range = ReadNumbers("Range");
  InputCount = static_cast<int32_t>(Domain.size() / 2);
  OutputCount = static_cast<int32_t>(Range.size() / 2);
}

std::vector<double> TPDFFunction::ReadNumbers(std::string_view key) const {
  std::vector<double> values;
  if (Dictionary == nullptr) return values;
  auto* array = PDFCast<TPDFArray>(Resolve(Dictionary->GetValue(key)));
  if (array == nullptr) return values;
  values.reserve(size_t(array->Count()));
  for (TPDFObject* item : array->Items()) {
    auto* number = PDFCast<TPDFNumeric>(Resolve(item));
    values.push_back(number ? number->AsDouble() : 0.0);
  }
  return values;
}

double TPDFFunction::ReadNumber(std::string_view key, double def) const {
  if (Dictionary == nullptr) return def;
  auto* number = PDFCast<TPDFNumeric>(Resolve(Dictionary->GetValue(key)));
  return number ? number->AsDouble() : def;
}

std::unique_ptr<TPDFFunction> CreateFunctionIn(TPDFObject* obj, TPDFFunctionBuild& build) {
  obj = ResolvePDFObject(build.Resolver, obj);
  TPDFDictionary* dict = nullptr;
  if (auto* stream = PDFCast<TPDFStream>(obj))
    dict = stream->Dictionary();
  else
    dict = PDFCast<TPDFDictionary>(obj);
  if (dict == nullptr) return nullptr;
  // A function that lists itself, or a graph too deep or too large, stops here.
  if (build.Active.count(dict) != 0 || build.Depth >= TPDFFunctionBuild::kMaxDepth ||
      build.Created >= TPDFFunctionBuild::kMaxFunctions)
    return nullptr;
  auto* type = PDFCast<TPDFNumeric>(ResolvePDFObject(build.Resolver, dict->GetValue("FunctionType")));
  if (type == nullptr) return nullptr;
  const double kind = type->AsDouble();
  ++build.Created;
  if (kind == 0) return std::make_unique<TPDFType0Function>(obj, build.Resolver);
  if (kind == 4) return std::make_unique<TPDFType4Function>(obj, build.Resolver);
  // Exponential and stitching functions read no data: a stream's dictionary is all of them
  // (its data, which nothing reads, are not decoded: a kilobyte of chained filters makes
  // hundreds of megabytes).
  if (kind == 2) return std::make_unique<TPDFType2Function>(dict, build.Resolver);
  if (kind == 3) {
    build.Active.insert(dict);
    ++build.Depth;
    auto function = std::make_unique<TPDFType3Function>(dict, build.Resolver, build);
    --build.Depth;
    build.Active.erase(dict);
    return function;
  }
  --build.Created;
  return nullptr;
}

std::unique_ptr<TPDFFunction> CreatePDFFunction(TPDFObject* obj, const TPDFResolveMethod& resolver) {
  TPDFFunctionBuild build;
  build.Resolver = resolver;
  return CreateFunctionIn(obj, build);
}

int32_t ShadingSampleCount(const TPDFFunction& function) { return std::clamp(function.Complexity, 2, 256); }
