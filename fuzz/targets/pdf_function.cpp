// Fuzz entry point: PDF functions. The input is a function dictionary's text, then after a
// line "%%" the stream data (samples or a calculator program), then after another "%%" the
// text of object 2, which the function may reference (as may object 2 itself, and object 1 is
// the function: cycles are possible). The function is built and evaluated at a few inputs;
// evaluation may raise its own error and nothing else.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/functions/pdf_function.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string parts[3];
  for (int i = 0; i < 3; ++i) {
    const size_t at = i < 2 ? text.find("\n%%\n") : std::string_view::npos;
    parts[i] = std::string(text.substr(0, at));
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + 4);
  }
  TPDFStructure store;
  TPDFObject* objects[3] = {nullptr, nullptr, nullptr};
  store.OnResolve = [&objects](TPDFIndRef&, int number, int) -> TPDFObject* {
    return number >= 1 && number <= 2 ? objects[number] : nullptr;
  };
  TPDFStream* stream = store.NewStream(parts[1], false);
  if (auto* dict = PDFCast<TPDFDictionary>(store.ParseObject(parts[0])))
    for (const auto& [key, value] : dict->Pairs()) stream->Dictionary()->SetPair(key, value);
  objects[1] = stream;
  objects[2] = store.ParseObject(parts[2]);

  auto function = CreatePDFFunction(stream, nullptr);
  if (!function) function = CreatePDFFunction(objects[2], nullptr);
  if (!function) return 0;
  const double probes[] = {0, 0.5, 1, -1, 1e9, std::numeric_limits<double>::quiet_NaN(), 0.25};
  std::vector<double> outputs;
  for (size_t i = 0; i < std::size(probes); ++i) {
    std::vector<double> inputs(size_t(std::min(function->InputCount, 64)), probes[i]);
    if (!inputs.empty()) inputs[0] = probes[(i + 3) % std::size(probes)];
    try {
      function->Evaluate(inputs, outputs);
    } catch (const EPDFFunctionError&) {
    }
  }
  ShadingSampleCount(*function);
  return 0;
}
