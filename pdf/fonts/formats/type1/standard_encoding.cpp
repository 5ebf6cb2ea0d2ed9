#include "pdf/fonts/formats/type1/standard_encoding.h"

#include "pdf/core/encodings/font_encodings.h"

std::string_view Type1StandardEncodingName(int64_t code) {
  // Built once from the library's encoding tables and kept for the program's life.
  static const TGlyphNames names = [] {
    TGlyphNames n;
    GetStandardEncoding(kStandardEncoding, n);
    for (auto& name : n) {
      if (name == ".notdef") name.clear();
    }
    return n;
  }();
  if (code < 0 || code > 255) return {};
  return names[size_t(code)];
}
