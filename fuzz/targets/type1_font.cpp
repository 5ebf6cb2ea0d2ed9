// Fuzz entry point for Type 1 fonts. The first byte chooses what the rest is:
//   0: a font program (a PFB file, or a cleartext part and an eexec part split at "eexec"),
//      loaded and parsed, and its first glyphs drawn;
//   1: plain charstrings separated by "\n\n": the first is the glyph, the others subroutines
//      0, 1, 2 ... (the standard flex and hint-replacement ones when fewer are given), with
//      glyphs "a" and "acute" for accents.
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
  size_t drawn = 0;
  for (size_t i = 0; i < d.CharStringNames.size() && drawn < 10; ++i, ++drawn) {
    double x = 0, y = 0;
    d.DrawGlyph(x, y, 0, d.CharStringNames[i], m, &canvas);
    // A second call replays the cached shape.
    d.DrawGlyph(x, y, 0, d.CharStringNames[i], m, &canvas);
  }
  double x = 1, y = 2;
  d.DrawGlyph(x, y, 0, "GID:0", m, &canvas);
  d.DrawGlyph(x, y, 0, "not there", m, nullptr);
}

void Program(std::string_view data) {
  TPDFType1Decoder d;
  if (!d.LoadFromPFB(data)) {
    const size_t eexec = data.find("eexec");
    const size_t split = eexec == std::string_view::npos ? data.size() : eexec + 6;
    d.ClearText = std::string(data.substr(0, split));
    d.BinaryPart = std::string(data.substr(split < data.size() ? split : data.size()));
  }
  d.ConvertFontProgram();
  std::array<std::string, 256> names;
  d.GetEncoding(names);
  if (d.ParsePrivate()) DrawSome(d);
}

void Charstrings(std::string_view data) {
  TPDFType1Decoder d;
  d.LenIV = -1;
  const std::vector<std::string> pieces = SplitCharstrings(data);
  d.AddCharString("glyph", pieces[0]);
  for (size_t i = 1; i < pieces.size(); ++i) {
    d.Subrs.push_back(pieces[i]);
    d.SubrNumbers.push_back(int32_t(i - 1));
  }
  // The standard subroutines 0 to 3 where the input gave none.
  const char* standard[] = {"\x8e\x8b\x0c\x10\x0c\x11\x0c\x11\x0c\x21\x0b", "\x8b\x8c\x0c\x10\x0b",
                            "\x8b\x8d\x0c\x10\x0b", "\x0b"};
  for (int k = int(d.Subrs.size()); k < 4; ++k) {
    d.Subrs.push_back(standard[k]);
    d.SubrNumbers.push_back(k);
  }
  d.AddCharString("a", "\x8b\xf8\x88\x0d\x8b\x8b\x15\xef\x06\x09\x0e");
  d.AddCharString("acute", "\x8b\xf7\x88\x0d\x90\x8b\x15\xef\x07\x09\x0e");
  DrawSome(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ReadFontOrCharstrings(data, size, Program, Charstrings);
}
