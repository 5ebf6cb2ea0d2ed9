// Fuzz entry point: a page's annotations through the renderer. The input is parts split at
// lines "%%": the page's content, then the text of objects 2, 3, ... (the page's /Annots is
// object 2); an object "<dictionary>\nstream\n<data>" becomes a stream. Odd first bytes draw
// form fields only, bytes with bit 1 set turn the other annotations off.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"

namespace {

constexpr size_t kMaxObjects = 12;

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts;
  for (;;) {
    const size_t at = text.find("\n%%\n");
    if (at == std::string_view::npos || parts.size() == kMaxObjects) break;
    parts.emplace_back(text.substr(0, at));
    text.remove_prefix(at + 4);
  }
  parts.emplace_back(text);
  return parts;
}

TPDFObject* MakeObject(TPDFStructure& store, const std::string& text) {
  const size_t at = text.find("\nstream\n");
  if (at == std::string::npos) return store.ParseObject(text);
  TPDFStream* stream = store.NewStream(text.substr(at + 8), false);
  if (auto* dict = PDFCast<TPDFDictionary>(store.ParseObject(text.substr(0, at))))
    for (const auto& [key, value] : dict->Pairs())
      if (key->Name() != "Length") stream->Dictionary()->SetPair(key, value);
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = Split({reinterpret_cast<const char*>(data), size});
  TPDFStructure store;
  std::vector<TPDFObject*> objects(parts.size() + 2, nullptr);
  store.OnResolve = [&objects](TPDFIndRef&, int number, int) -> TPDFObject* {
    return number >= 1 && number < int(objects.size()) ? objects[size_t(number)] : nullptr;
  };
  objects[1] = store.ParseObject("<< /Type /Page /MediaBox [0 0 64 48] /Annots 2 0 R /Contents 99 0 R >>");
  auto* page = PDFCast<TPDFDictionary>(objects[1]);
  page->SetValue("Contents", store.NewStream(parts[0], false));
  for (size_t i = 1; i < parts.size(); ++i) objects[i + 1] = MakeObject(store, parts[i]);

  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.UseGDIPlus = 0;
  const uint8_t first = size > 0 ? data[0] : 0;
  renderer.Options.FormFieldsOnly = first & 1;
  renderer.Options.DrawAnnotations = (first & 2) == 0;
  renderer.Page = page;
  renderer.RenderPage();
  return 0;
}
