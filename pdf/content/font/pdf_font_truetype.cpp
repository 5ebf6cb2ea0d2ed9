// Installed TrueType fonts as font resources, referenced by name or embedded with their file.
#include <array>
#include <cmath>
#include <cstdlib>

#include "pdf/content/font/code_page_differences.h"
#include "pdf/content/font/font_selection.h"
#include "pdf/content/font/pdf_font.h"
#include "pdf/content/font/tounicode_writer.h"
#include "pdf/core/cmaps/cmap.h"
#include "pdf/core/encodings/glyph_list.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/formats/truetype/truetype_parser.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "platform/rtl/code_pages.h"

namespace {

// Widths and metrics are read at an em of this many pixels: 1/1000 em each.
constexpr int kMeasuringEm = 1000;
constexpr DWORD kCollectionTag = 0x66637474;  // 'ttcf' as its bytes lie in memory

// The font file of the selected font, self-contained even when the font lies in a collection.
std::string ReadFontFile(HDC dc) {
  const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0 || size > TPDFTrueTypeParser::kMaxFontSize) return {};
  std::string data(size, '\0');
  if (GetFontData(dc, 0, 0, data.data(), size) != size) return {};
  // A collection's tables are counted from the start of the collection file, which lies
  // (collection size - font size) bytes before the font's own table directory.
  const DWORD collection = GetFontData(dc, kCollectionTag, 0, nullptr, 0);
  if (collection != GDI_ERROR && collection > size) TPDFTrueTypeParser().RebaseTableOffsets(data, int32_t(collection - size));
  return data;
}

// The names of the glyphs of a symbolic OpenType face of CFF outlines by code: the character
// map takes a code (or the code moved to U+F000) to a glyph, the CFF data names the glyph. A
// reader of the font program knows its glyphs by these names only.
std::array<std::string, 256> SymbolicGlyphNames(const std::string& file) {
  std::array<std::string, 256> names;
  TPDFTrueTypeParser parser;
  parser.LoadFromString(file);
  const TTrueTypeTableRecord* cff = parser.FindTable("CFF ");
  if (cff == nullptr || cff->Offset > file.size() || cff->Length > file.size() - cff->Offset) return names;
  TPDFType1Decoder decoder;
  if (!decoder.LoadCFFData(std::string_view(file).substr(cff->Offset, cff->Length))) return names;
  int table = parser.FindCmap(3, 0);
  if (table < 0) table = parser.FindCmap(3, 1);
  if (table < 0) table = parser.FindCmap(0, 3);
  if (table < 0) return names;
  const TTrueTypeCmap& cmap = parser.CmapAt(table);
  for (size_t i = 0; i < cmap.Codes.size() && i < cmap.GlyphIds.size(); ++i) {
    uint32_t code = cmap.Codes[i];
    if (code >= 0xF000 && code <= 0xF0FF) code -= 0xF000;
    const size_t glyph = cmap.GlyphIds[i];
    if (code < 256 && names[code].empty() && glyph != 0 && glyph < decoder.CharStringNames.size())
      names[code] = decoder.CharStringNames[glyph];
  }
  return names;
}

std::string BaseFontName(const TFontNameParts& name) {
  std::string base;
  for (const char c : name.Face)
    if (c != ' ') base.push_back(c);
  if (name.Bold && name.Italic) return base + ",BoldItalic";
  if (name.Bold) return base + ",Bold";
  if (name.Italic) return base + ",Italic";
  return base;
}

}  // namespace

std::string TPDFFont::WriteToUnicodeCMap(const TPDFArray* differences) {
  TCodeUnicodePairs pairs;
  if (differences != nullptr) {
    int code = 0;
    for (const TPDFObject* item : differences->Items()) {
      if (const auto* number = PDFCast<TPDFNumeric>(item)) {
        code = number->AsInteger();
      } else if (const auto* name = PDFCast<TPDFName>(item)) {
        const uint16_t unicode = GlyphNameToUnicode(name->Name());
        // A name the glyph list does not know maps to nothing rather than to U+0000.
        if (code >= 0 && code < 256 && unicode != 0) pairs.emplace_back(uint8_t(code), unicode);
        ++code;
      }
    }
  }
  return ReencodingToUnicodeText(pairs);
}

bool TPDFFont::WriteTrueTypeFont(std::string_view fontName, bool embed) {
  if (owner_ == nullptr || !owner_->OnMakeIndirect) return false;
  const TFontNameParts name = ParseFontName(fontName);
  const int codePage = CodePageDifferences(name.CodePage).empty() ? 0 : name.CodePage;
  TSelectedFont selected(name, codePage != 0 ? CodePageCharset(codePage) : 1, kMeasuringEm);
  if (!selected.Valid()) return false;
  const HDC dc = selected.DC();
  OUTLINETEXTMETRICA otm;
  if (GetOutlineTextMetricsA(dc, sizeof otm, &otm) == 0) return false;
  const TEXTMETRICA& tm = otm.otmTextMetrics;
  const bool symbolic = tm.tmCharSet == SYMBOL_CHARSET;
  const bool fixedPitch = (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
  baseFont_ = BaseFontName(name);
  codePage_ = codePage != 0 ? uint32_t(codePage) : 1252;

  TPDFDictionary* descriptor = owner_->NewDictionary();
  descriptor->SetValue("Type", owner_->GetKeyName("FontDescriptor"));
  descriptor->SetValue("FontName", owner_->GetKeyName(baseFont_));
  const RECT& box = otm.otmrcFontBox;
  descriptor->SetValue("FontBBox", owner_->NewIntegerArray({int(box.left), int(box.bottom), int(box.right), int(box.top)}));
  descriptor->SetValue("Flags", owner_->NewNumeric((symbolic ? 4 : 32) + (fixedPitch ? 1 : 0)));
  descriptor->SetValue("MissingWidth", owner_->NewNumeric(750));
  descriptor->SetValue("StemV", owner_->NewNumeric(0));
  // The outline metrics give tenths of a degree.
  descriptor->SetValue("ItalicAngle", owner_->NewNumeric(otm.otmItalicAngle / 10.0));
  descriptor->SetValue("CapHeight", owner_->NewNumeric(otm.otmAscent));
  descriptor->SetValue("Ascent", owner_->NewNumeric(otm.otmAscent));
  descriptor->SetValue("Descent", owner_->NewNumeric(-std::abs(otm.otmDescent)));
  descriptor->SetValue("MaxWidth", owner_->NewNumeric(tm.tmMaxCharWidth));
  descriptor->SetValue("AvgWidth", owner_->NewNumeric(tm.tmAveCharWidth));
  Ascent = otm.otmAscent;
  Descent = -std::abs(otm.otmDescent);
  FontBBox = {int(box.left), int(box.top), int(box.right), int(box.bottom)};
  Symbolic = symbolic;
  CellAscent = tm.tmAscent;
  CellDescent = tm.tmDescent;
  InternalLeading = tm.tmInternalLeading;
  Height = tm.tmHeight;
  AverageWidth = tm.tmAveCharWidth;

  uint8_t kind = 0;
  // An OpenType face of CFF outlines is no TrueType program: it is embedded as an OpenType font
  // file, under a Type 1 font, as readers take the font of such a file.
  bool openTypeCff = false;
  std::array<std::string, 256> symbolNames;
  if (embed) {
    kind = 3;
    const std::string file = ReadFontFile(dc);
    if (!file.empty()) {
      TPDFStream* stream = owner_->NewStream(file, CompressFontFile);
      openTypeCff = file.compare(0, 4, "OTTO") == 0;
      if (openTypeCff && symbolic) symbolNames = SymbolicGlyphNames(file);
      if (openTypeCff)
        stream->Dictionary()->SetValue("Subtype", owner_->GetKeyName("OpenType"));
      else
        stream->Dictionary()->SetValue("Length1", owner_->NewNumeric(double(file.size())));
      int num = 0, gen = 0;
      if (owner_->MakeIndirect(stream, num, gen))
        descriptor->SetValue(openTypeCff ? "FontFile3" : "FontFile2", owner_->NewIndRef(num, gen));
    }
  }
  int num = 0, gen = 0;
  if (!owner_->MakeIndirect(descriptor, num, gen)) return false;

  TPDFDictionary* dict = owner_->NewDictionary();
  dict->SetValue("Type", owner_->GetKeyName("Font"));
  dict->SetValue("Subtype", owner_->GetKeyName(openTypeCff ? "Type1" : "TrueType"));
  dict->SetValue("BaseFont", owner_->GetKeyName(baseFont_));
  if (symbolic) {
    SetIdentityCMap(0, 255);
    // A Type 1 font's codes reach its glyphs by name: the face's own codes are named.
    if (openTypeCff) {
      TPDFArray* differences = NewDifferences(symbolNames);
      TPDFDictionary* encoding = owner_->NewDictionary();
      encoding->SetValue("Type", owner_->GetKeyName("Encoding"));
      encoding->SetValue("Differences", differences);
      dict->SetValue("Encoding", encoding);
    }
  } else if (codePage == 0) {
    dict->SetValue("Encoding", owner_->GetKeyName("WinAnsiEncoding"));
    SetEncodingCMap("WinAnsiEncoding", nullptr);
  } else {
    auto* differences = PDFCast<TPDFArray>(owner_->ParseObject(CodePageDifferences(codePage)));
    TPDFDictionary* encoding = owner_->NewDictionary();
    encoding->SetValue("Type", owner_->GetKeyName("Encoding"));
    encoding->SetValue("BaseEncoding", owner_->GetKeyName("WinAnsiEncoding"));
    if (differences != nullptr) encoding->SetValue("Differences", differences);
    dict->SetValue("Encoding", encoding);
    SetEncodingCMap("WinAnsiEncoding", differences);
    TPDFStream* toUnicode = owner_->NewStream(WriteToUnicodeCMap(differences), false);
    int cmapNum = 0, cmapGen = 0;
    if (owner_->MakeIndirect(toUnicode, cmapNum, cmapGen)) dict->SetValue("ToUnicode", owner_->NewIndRef(cmapNum, cmapGen));
  }

  FirstChar = tm.tmFirstChar;
  LastChar = tm.tmLastChar;
  Widths.assign(size_t(std::max(0, LastChar - FirstChar + 1)), 0);
  for (int code = FirstChar; code <= LastChar; ++code) {
    const WideString ch = MultiByteToWideChar(codePage_, std::string(1, char(code)));
    int width = 0;
    if (ch.size() == 1 && GetCharWidthW(dc, ch[0], ch[0], &width)) {
      Widths[size_t(code - FirstChar)] = width;
      widthLookup_.Add(ch[0], width);
    }
  }
  dict->SetValue("FirstChar", owner_->NewNumeric(FirstChar));
  dict->SetValue("LastChar", owner_->NewNumeric(LastChar));
  dict->SetValue("Widths", owner_->NewIntegerArray(Widths));
  dict->SetValue("FontDescriptor", owner_->NewIndRef(num, gen));
  return Publish(dict, kind);
}
