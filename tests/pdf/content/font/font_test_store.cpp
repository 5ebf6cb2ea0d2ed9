#include "tests/pdf/content/font/font_test_store.h"

#include <cstdio>

#include "pdf/content/font/pdf_font.h"
#include "tests/pdf/support/pdf_test_writer.h"

namespace fonttest {

FontStore::FontStore() {
  store.OnMakeIndirect = [this](TPDFObject* obj, int& num, int& gen) {
    indirect.push_back(obj);
    num = static_cast<int>(indirect.size());
    gen = 0;
    obj->SetObjectNumber(num, gen);
  };
}

TPDFIndRef* FontStore::MakeIndirect(TPDFObject* obj) {
  int num = 0, gen = 0;
  store.MakeIndirect(obj, num, gen);
  return store.NewIndRef(num, gen);
}

std::string FontStore::OnePagePdf(const std::vector<TPDFFont*>& fonts, const std::string& content) {
  TPDFDictionary* fontResources = store.NewDictionary();
  for (TPDFFont* font : fonts) fontResources->SetValue(font->Name(), store.NewIndRef(font->Ref()->TargetNumber(), 0));
  TPDFDictionary* resources = store.NewDictionary();
  resources->SetValue("Font", fontResources);
  TPDFIndRef* contents = MakeIndirect(store.NewStream(content, false));
  TPDFDictionary* pages = store.NewDictionary();
  TPDFIndRef* pagesRef = MakeIndirect(pages);
  TPDFDictionary* page = store.NewDictionary();
  page->SetValue("Type", store.GetKeyName("Page"));
  page->SetValue("Parent", pagesRef);
  page->SetValue("MediaBox", store.NewIntegerArray({0, 0, 400, 200}));
  page->SetValue("Resources", resources);
  page->SetValue("Contents", contents);
  TPDFIndRef* pageRef = MakeIndirect(page);
  pages->SetValue("Type", store.GetKeyName("Pages"));
  pages->SetValue("Kids", store.NewArrayFromObjects({pageRef}));
  pages->SetValue("Count", store.NewNumeric(1));
  TPDFDictionary* catalog = store.NewDictionary();
  catalog->SetValue("Type", store.GetKeyName("Catalog"));
  catalog->SetValue("Pages", store.NewIndRef(pagesRef->TargetNumber(), 0));
  TPDFIndRef* catalogRef = MakeIndirect(catalog);
  TPDFDictionary* trailer = store.NewDictionary();
  trailer->SetValue("Root", catalogRef);
  trailer->SetValue("Size", store.NewNumeric(static_cast<double>(indirect.size() + 1)));
  testpdf::IndirectObjects objects;
  for (size_t i = 0; i < indirect.size(); ++i) objects.push_back({static_cast<int>(i + 1), 0, indirect[i]});
  return testpdf::SerializeObjects(objects, *trailer);
}

std::string FontStore::ShowText(const TPDFFont& font, std::u16string_view text, int x, int y) {
  std::string hex;
  for (const char c : font.EncodeText(text)) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", static_cast<uint8_t>(c));
    hex += pair;
  }
  return "BT /" + font.Name() + " 20 Tf " + std::to_string(x) + " " + std::to_string(y) + " Td <" + hex + "> Tj ET\n";
}

std::string FontStore::Decoded(const TPDFObject* stream) {
  std::string out;
  if (const auto* s = PDFCast<TPDFStream>(stream)) s->Decode(out);
  return out;
}

TPDFObject* FontStore::Resolve(const TPDFDictionary* dict, std::string_view key) const {
  const auto* ref = PDFCast<TPDFIndRef>(dict != nullptr ? dict->GetValue(key) : nullptr);
  if (ref == nullptr || ref->TargetNumber() < 1 || size_t(ref->TargetNumber()) > indirect.size()) return nullptr;
  return indirect[size_t(ref->TargetNumber() - 1)];
}

}  // namespace fonttest
