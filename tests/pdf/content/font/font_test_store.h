// A store whose indirect objects are numbered in order and kept, so that font tests can write
// the fonts they made into a one-page PDF for poppler and fontTools.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"

class TPDFFont;

namespace fonttest {

class FontStore {
 public:
  FontStore();
  TPDFStructure store;
  std::vector<TPDFObject*> indirect;  // object n at index n - 1

  // A one-page PDF whose resources name each font by its resource name and whose content is
  // given as it is.
  std::string OnePagePdf(const std::vector<TPDFFont*>& fonts, const std::string& content);
  // "BT /name size Tf x y Td <hex codes> Tj ET" for the font's codes of text.
  static std::string ShowText(const TPDFFont& font, std::u16string_view text, int x, int y);
  // The data of a stream decoded through its filters.
  static std::string Decoded(const TPDFObject* stream);
  // The indirect object a reference in dict names; nullptr when none.
  TPDFObject* Resolve(const TPDFDictionary* dict, std::string_view key) const;

 private:
  TPDFIndRef* MakeIndirect(TPDFObject* obj);
};

}  // namespace fonttest
