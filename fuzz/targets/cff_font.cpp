// Fuzz entry point for CFF fonts and Type 2 charstrings. The first byte chooses what the rest
// is:
//   0: CFF data, bare or an OpenType font with a "CFF " table, loaded and its first glyphs drawn
//      by name and by glyph index;
//   1: plain Type 2 charstrings separated by "\n\n": the glyph, then alternately local and
//      global subroutines, with glyphs "A" and "acute" for accents.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/support/glyph_fuzz.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"

namespace {

void DrawSome(TPDFType1Decoder& d) {
  TCheckingCanvas canvas;
  const TPDFMatrix m = {0.01, 0, 0, 0.01, 3, 4};
  for (size_t i = 0; i < d.CharStringNames.size() && i < 8; ++i) {
    double x = 0, y = 0;
    d.DrawGlyph(x, y, 0, d.CharStringNames[i], m, &canvas);
    const std::string gid = "GID:" + std::to_string(i);
    d.DrawGlyph(x, y, 0, gid, m, &canvas);
  }
  std::array<std::string, 256> names;
  d.GetEncoding(names);
  for (int code : {32, 65, 97, 200}) {
    double x = 0, y = 0;
    if (!names[size_t(code)].empty()) d.DrawGlyph(x, y, 0, names[size_t(code)], m, &canvas);
  }
}

void Font(std::string_view data) {
  TPDFType1Decoder d;
  d.LoadCFFData(data);
  DrawSome(d);
  TPDFType1Decoder cid;
  cid.ForceCID = true;
  cid.LoadCFFData(data);
  DrawSome(cid);
}

void Charstrings(std::string_view data) {
  TPDFType1Decoder d;
  d.FontKind = TPDFType1Decoder::kType2Charstrings;
  const std::vector<std::string> pieces = SplitCharstrings(data);
  d.AddCharString("glyph", pieces[0]);
  for (size_t i = 1; i < pieces.size(); ++i) (i % 2 == 1 ? d.Subrs : d.GlobalSubrs).push_back(pieces[i]);
  d.AddCharString("A", "\x8b\x8b\x15\xef\x06\x0e");
  d.AddCharString("acute", "\x90\x8b\x15\xef\x07\x0e");
  DrawSome(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ReadFontOrCharstrings(data, size, Font, Charstrings);
}
