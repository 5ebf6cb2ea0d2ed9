// Fuzz entry point: PDF object text through the parser, the writer and the token functions.
// Writing what was parsed and parsing that again must reach a fixed point after one round.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pdf/core/object_parser.h"
#include "pdf/core/objects/pdf_objects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TPDFStructure st;
  st.MultiLine = size % 2 == 0;
  size_t consumed = 0;
  TPDFObject* o = st.ParseObjectAt(text, consumed);
  if (o == nullptr || consumed > size) std::abort();

  const std::string once = o->ToString();
  const std::string twice = st.ParseObject(once)->ToString();
  const std::string thrice = st.ParseObject(twice)->ToString();
  if (twice != thrice) std::abort();

  // Without a resolver every reference imports as null, so the import always succeeds and
  // only the references' text may differ.
  if (const auto* dict = PDFCast<TPDFDictionary>(o)) {
    TPDFStructure other;
    TPDFDictionary* copy = other.NewDictionary();
    if (!copy->ImportFrom(dict) || copy->Count() != dict->Count()) std::abort();
  }
  o->Release();

  DecodeLiteralString(text);
  DecodeHexString(text);
  ParsePDFNumber(text.substr(0, 64));
  return 0;
}
