// Type 3 fonts whose glyph procedures are the filled outlines of an installed font.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_set>

#include "pdf/content/font/font_selection.h"
#include "pdf/content/font/pdf_font.h"
#include "pdf/content/font/tounicode_writer.h"
#include "pdf/core/cmaps/cmap.h"
#include "pdf/core/encodings/glyph_tables.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/formats/vectoriser/ttf_to_vector.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "platform/gdi/text.h"
#include "platform/rtl/code_pages.h"
#include "platform/rtl/numbers.h"

namespace {

struct TGlyphBox {
  bool Empty = true;
  int64_t Left = 0, Bottom = 0, Right = 0, Top = 0;
  void Add(int64_t x, int64_t y) {
    Left = Empty ? x : std::min(Left, x);
    Right = Empty ? x : std::max(Right, x);
    Bottom = Empty ? y : std::min(Bottom, y);
    Top = Empty ? y : std::max(Top, y);
    Empty = false;
  }
  void Add(const TGlyphBox& b) {
    if (b.Empty) return;
    Add(b.Left, b.Bottom);
    Add(b.Right, b.Top);
  }
};

// The glyph's contours as one filled path in whole glyph units; box receives its extent.
std::string GlyphPath(const TFontCurveCollection& curves, TGlyphBox& box) {
  std::string path;
  auto point = [&](double x, double y) {
    const int64_t ix = RoundHalfEven(x), iy = RoundHalfEven(y);
    box.Add(ix, iy);
    return std::to_string(ix) + " " + std::to_string(iy);
  };
  for (int i = 0; i < curves.ContourCount(); ++i) {
    path += point(curves.StartPoint(i).X, curves.StartPoint(i).Y) + " m\n";
    for (const TFontSegment& segment : curves.Segments(i)) {
      if (const auto* line = std::get_if<TFontLine>(&segment)) {
        path += point(line->X, line->Y) + " l\n";
      } else {
        const auto& s = std::get<TFontSpline>(segment);
        path += point(s.X1, s.Y1) + " " + point(s.X2, s.Y2) + " " + point(s.X3, s.Y3) + " c\n";
      }
    }
    path += "h\n";
  }
  if (!path.empty()) path += "f\n";
  return path;
}

std::string GlyphName(char16_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "TalvoPDF%04X", unsigned(c));
  return name;
}

// The slot of c: its byte in the ANSI code page (the default character's for one the code
// page lacks) when free, else the highest free slot; -1 when all are taken.
int FreeSlot(char16_t c, const std::array<std::string, 256>& glyphs) {
  if (c < 256) {
    const std::string ansi = WideCharToMultiByte(GetACP(), std::u16string_view(&c, 1));
    if (ansi.size() == 1 && glyphs[uint8_t(ansi[0])].empty()) return uint8_t(ansi[0]);
  }
  for (int slot = 255; slot >= 0; --slot)
    if (glyphs[size_t(slot)].empty()) return slot;
  return -1;
}

// Faces that may hold a character the named face has no glyph for: the face of the character
// set's own script first, then the system's usual faces.
std::vector<std::string> SubstituteFaces(int charset) {
  std::vector<std::string> faces;
  switch (charset) {
    case 128: faces.push_back("MS Gothic"); break;
    case 129:
    case 130: faces.push_back("Dotum"); break;
    case 134: faces.push_back("SimSun"); break;
    case 136: faces.push_back("MingLiU"); break;
    default: break;
  }
  for (const char* face : {"Arial", "Tahoma", "MS Gothic", "SimSun", "MingLiU", "Dotum"})
    if (std::find(faces.begin(), faces.end(), face) == faces.end()) faces.push_back(face);
  return faces;
}

// The Symbol face's own code of a character, as the private-use character U+F000 + code that
// text in a symbol face is recorded as; 0 when the face's encoding has no such character.
char16_t SymbolFaceCode(char16_t c) {
  for (const TSymbolGlyph& g : SymbolGlyphTable)
    if (g.Unicode == c && g.Code >= 0) return char16_t(0xF000 + g.Code);
  return 0;
}

// One face the glyphs are drawn from, and its answers.
class TOutlineFace {
 public:
  TOutlineFace(const std::string& face, bool bold, bool italic, int pointSize, int charset) {
    converter_.Font().SetName(face);
    converter_.Font().SetStyle((bold ? fsBold : 0) | (italic ? fsItalic : 0));
    converter_.Font().SetSize(pointSize);
    converter_.Font().SetCharset(uint8_t(charset));
    if (const HDC dc = Select()) {
      valid_ = GetTextMetricsW(dc, &metrics_);
      Release(dc);
    }
  }
  TTTFToVectorConverter& Converter() { return converter_; }
  // The face's cell (ascent, descent, height ...) at the outline size.
  const TEXTMETRICW& Metrics() const { return metrics_; }
  bool Symbolic() const { return valid_ && metrics_.tmCharSet == SYMBOL_CHARSET; }
  bool HasGlyph(char16_t c) {
    const HDC dc = Select();
    if (dc == nullptr) return false;
    WORD index = 0xFFFF;
    const bool has = GetGlyphIndicesW(dc, &c, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == 1 && index != 0xFFFF;
    Release(dc);
    return has;
  }

 private:
  HDC Select() {
    HFONT handle = converter_.Font().Handle();
    if (handle == nullptr) return nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    if (dc != nullptr) previous_ = SelectObject(dc, handle);
    return dc;
  }
  void Release(HDC dc) {
    SelectObject(dc, previous_);
    DeleteDC(dc);
  }

  TTTFToVectorConverter converter_;
  TEXTMETRICW metrics_{};
  bool valid_ = false;
  HGDIOBJ previous_ = nullptr;
};

// Points at which one em of the screen's font is 1,000 pixels.
int OutlinePointSize() {
  const HDC screen = CreateCompatibleDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) DeleteDC(screen);
  return dpi > 0 ? int(RoundHalfEven(72000.0 / dpi)) : 750;
}

}  // namespace

bool TPDFFont::WriteType3Font(std::string_view fontName, int charset, bool unitMatrix, std::u16string_view chars) {
  if (owner_ == nullptr || !owner_->OnMakeIndirect) return false;
  const TFontNameParts name = ParseFontName(fontName);
  baseFont_ = name.Face;
  const int pointSize = OutlinePointSize();
  TOutlineFace named(name.Face, name.Bold, name.Italic, pointSize, charset);
  const std::vector<std::string> substituteNames = SubstituteFaces(charset);
  std::vector<std::unique_ptr<TOutlineFace>> substitutes(substituteNames.size());
  // The face that draws c, and the character it draws it by: the named face when it holds c
  // (a symbol face also by its own code of c), else the first substitute that does.
  auto faceFor = [&](char16_t c, char16_t& drawn) -> TOutlineFace& {
    drawn = c;
    if (named.HasGlyph(c)) return named;
    if (named.Symbolic()) {
      const char16_t code = SymbolFaceCode(c);
      if (code != 0 && named.HasGlyph(code)) {
        drawn = code;
        return named;
      }
    }
    for (size_t i = 0; i < substitutes.size(); ++i) {
      if (!substitutes[i])
        substitutes[i] = std::make_unique<TOutlineFace>(substituteNames[i], name.Bold, name.Italic, pointSize, charset);
      if (substitutes[i]->HasGlyph(c)) return *substitutes[i];
    }
    return named;
  };

  TPDFDictionary* charProcs = owner_->NewDictionary();
  std::vector<int> widths(256, 0);
  type3Glyphs_.fill(std::string());
  codeToUnicode_.fill(0);
  cmap_ = std::make_unique<TOrvanePDFLibraryCMap>();
  cmap_->AddCodespaceRange(0, 255, 1);
  TGlyphBox fontBox;
  TCodeUnicodePairs toUnicode;
  std::unordered_set<char16_t> done;
  for (const char16_t c : chars) {
    if (!done.insert(c).second) continue;  // one glyph per character
    const int slot = FreeSlot(c, type3Glyphs_);
    if (slot < 0) continue;
    char16_t drawn = c;
    TTTFToVectorConverter& converter = faceFor(c, drawn).Converter();
    converter.Curves().Clear();
    converter.ConvertGlyph(drawn);
    TGlyphBox box;
    const std::string path = GlyphPath(converter.Curves(), box);
    fontBox.Add(box);
    const int advance = converter.CellIncX();
    const std::string proc = std::to_string(advance) + " 0 " + std::to_string(box.Left) + " " +
                             std::to_string(box.Bottom) + " " + std::to_string(box.Right) + " " +
                             std::to_string(box.Top) + " d1\n" + path;
    TPDFStream* stream = owner_->NewStream(proc, true);
    int num = 0, gen = 0;
    if (!owner_->MakeIndirect(stream, num, gen)) return false;
    const std::string glyph = GlyphName(c);
    charProcs->SetValue(glyph, owner_->NewIndRef(num, gen));
    type3Glyphs_[size_t(slot)] = glyph;
    widths[size_t(slot)] = advance;
    codeToUnicode_[size_t(slot)] = c;
    cmap_->AddMapping(2, c, std::string(1, char(slot)));
  }

  FirstChar = 0;
  LastChar = 255;
  TPDFArray* differences = NewDifferences(type3Glyphs_);
  for (int code = 0; code < 256; ++code)
    if (!type3Glyphs_[size_t(code)].empty()) toUnicode.emplace_back(uint8_t(code), codeToUnicode_[size_t(code)]);
  if (!toUnicode.empty()) {
    FirstChar = toUnicode.front().first;
    LastChar = toUnicode.back().first;
  }
  Widths.assign(widths.begin() + FirstChar, widths.begin() + LastChar + 1);
  FontBBox = {int(fontBox.Left), int(fontBox.Top), int(fontBox.Right), int(fontBox.Bottom)};
  Ascent = FontBBox[1];
  Descent = FontBBox[3];
  // The text is placed by the named face's cell, as text in that face is, whatever glyphs the
  // font holds (at the outline size one em is 1,000 units).
  const TEXTMETRICW& cell = named.Metrics();
  CellAscent = cell.tmAscent;
  CellDescent = cell.tmDescent;
  InternalLeading = cell.tmInternalLeading;
  Height = cell.tmHeight;
  AverageWidth = cell.tmAveCharWidth;

  TPDFDictionary* encoding = owner_->NewDictionary();
  encoding->SetValue("Type", owner_->GetKeyName("Encoding"));
  encoding->SetValue("Differences", differences);
  TPDFStream* cmapStream = owner_->NewStream(Type3ToUnicodeText(toUnicode), true);
  TPDFDictionary* cmapDict = cmapStream->Dictionary();
  cmapDict->SetValue("Type", owner_->GetKeyName("CMap"));
  cmapDict->SetValue("CMapName", owner_->GetKeyName("Adobe--000"));
  cmapDict->SetValue("CIDSystemInfo", owner_->ParseObject("<< /Registry (Adobe) /Ordering () /Supplement 0 >>"));
  cmapDict->SetValue("WMode", owner_->NewNumeric(0));

  TPDFDictionary* dict = owner_->NewDictionary();
  dict->SetValue("Type", owner_->GetKeyName("Font"));
  dict->SetValue("Subtype", owner_->GetKeyName("Type3"));
  dict->SetValue("FontBBox", owner_->NewIntegerArray({FontBBox[0], FontBBox[3], FontBBox[2], FontBBox[1]}));
  dict->SetValue("FontMatrix", unitMatrix ? owner_->NewDoubleArray({0.001, 0, 0, 0.001, 0, 0})
                                          : owner_->NewIntegerArray({1, 0, 0, 1, 0, 0}));
  int num = 0, gen = 0;
  for (auto [key, object] : {std::pair<const char*, TPDFObject*>{"Encoding", encoding}, {"CharProcs", charProcs},
                             {"ToUnicode", cmapStream}}) {
    if (!owner_->MakeIndirect(object, num, gen)) return false;
    dict->SetValue(key, owner_->NewIndRef(num, gen));
  }
  dict->SetValue("FirstChar", owner_->NewNumeric(FirstChar));
  dict->SetValue("LastChar", owner_->NewNumeric(LastChar));
  dict->SetValue("Widths", owner_->NewIntegerArray(Widths));
  return Publish(dict, 6);
}
