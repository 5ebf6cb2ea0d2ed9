// Fuzz entry point for the font collection's loading of a font dictionary with its program:
// the input is objects 1, 2, ... separated by "\nendobj\n"; object 1 is the font. An object
// that starts with "stream\n" is a stream whose data is the rest (a font program, a CMap, a
// ToUnicode or CIDToGIDMap stream, a Type 3 glyph procedure). The font is selected, codes are
// split and mapped, and glyphs of every key form are drawn.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support/glyph_fuzz.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TPDFStructure store;
  std::map<int, TPDFObject*> objects;
  store.OnResolve = [&](TPDFIndRef&, int number, int) -> TPDFObject* {
    const auto it = objects.find(number);
    return it == objects.end() ? nullptr : it->second;
  };
  size_t pos = 0;
  for (int number = 1; pos <= input.size() && number < 64; ++number) {
    size_t end = input.find("\nendobj\n", pos);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view text = input.substr(pos, end - pos);
    TPDFObject* object = nullptr;
    if (text.starts_with("stream\n")) {
      object = store.NewStream(text.substr(7), false);
    } else {
      object = store.ParseObject(text);
    }
    if (object != nullptr) {
      object->SetObjectNumber(number, 0);
      objects[number] = object;
    }
    pos = end + 8;
  }
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  fonts.SelectFont(store.ParseObject("1 0 R"));
  TPDFFontCollectionData* font = fonts.Current();
  if (font == nullptr) return 0;
  const std::string sample = "Ab \x81\x40\x88\x9F\xA4\x40\x00\x41\xFF";
  std::vector<uint32_t> codes;
  fonts.StringToCodes(sample, codes);
  TCheckingCanvas canvas;
  for (const uint32_t code : codes) {
    fonts.CodeToUnicode(code);
    const int cid = fonts.LookupCMap(font->CMapIndex, code);
    (void)font->CIDWidths.Find(cid);
    if (font->Rasterizer == nullptr) continue;
    double x = 0, y = 0;
    font->Rasterizer->DrawGlyph(x, y, 0, GlyphKeyGID(cid < 0 ? code : uint32_t(cid)), {0.01, 0, 0, 0.01, 0, 0}, &canvas);
  }
  if (font->Rasterizer != nullptr) {
    for (const unsigned char c : sample) {
      double x = 0, y = 0;
      font->Rasterizer->DrawGlyph(x, y, 0, font->GlyphNames[c], {0.01, 0, 0, 0.01, 0, 0}, &canvas);
      font->Rasterizer->DrawGlyph(x, y, 0, GlyphKeyCID(c), {0.01, 0, 0, 0.01, 0, 0}, &canvas);
    }
  }
  return 0;
}
