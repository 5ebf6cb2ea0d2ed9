#include "pdf/content/font/pdf_font.h"

#include <algorithm>

#include "pdf/core/cmaps/cmap.h"
#include "pdf/core/encodings/font_encodings.h"
#include "pdf/core/encodings/glyph_list.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/code_pages.h"
#include "platform/rtl/numbers.h"

namespace {

// FontBBox llx, lly, urx, ury, Ascent, Descent of the standard fonts 1..14.
constexpr int kStandardFontMetrics[14][6] = {
    {-28, -250, 628, 805, 629, -157},    {-113, -250, 749, 801, 626, -142},
    {-56, -250, 868, 801, 626, -142},    {-28, -250, 742, 805, 629, -157},
    {-166, -225, 1000, 931, 718, -207},  {-170, -228, 1003, 962, 718, -207},
    {-174, -228, 1114, 962, 718, -207},  {-170, -225, 1116, 931, 718, -207},
    {-168, -218, 1000, 898, 683, -217},  {-168, -218, 1000, 935, 676, -205},
    {-169, -217, 1010, 883, 683, -205},  {-200, -218, 996, 921, 699, -205},
    {-180, -293, 1090, 1010, 699, -205}, {-180, -293, 1090, 1010, 699, -205},
};

constexpr int kFirstStandardCode = 24;
constexpr int kFirstSymbolicCode = 32;

// The glyph names of one code column of the Latin glyph table.
TGlyphNames ColumnNames(uint8_t kind) {
  TGlyphNames names;
  for (const auto& g : StandardGlyphTable) {
    const int code = g.Code(kind);
    if (code >= 0 && code < 256) names[static_cast<size_t>(code)] = g.Name;
  }
  return names;
}

std::array<int, 256> RoundedWidths(int font, const TGlyphNames& names) {
  TEncodingWidths widths{};
  GetStandardFontWidths(font, names, widths);
  std::array<int, 256> result{};
  for (size_t code = 0; code < 256; ++code) result[code] = static_cast<int>(RoundHalfEven(widths[code]));
  return result;
}

}  // namespace

TPDFFont::TPDFFont(TPDFStructure* owner, std::string_view resourceName)
    : owner_(owner), name_(resourceName), cmap_(std::make_unique<TOrvanePDFLibraryCMap>()) {}

TPDFFont::~TPDFFont() = default;

bool TPDFFont::Publish(TPDFDictionary* dict, uint8_t kind) {
  int num = 0, gen = 0;
  if (!owner_->MakeIndirect(dict, num, gen)) return false;
  dict_ = dict;
  ref_ = owner_->NewIndRef(num, gen);
  kind_ = kind;
  return true;
}

TPDFArray* TPDFFont::NewDifferences(const std::array<std::string, 256>& names) const {
  TPDFArray* differences = owner_->NewArray();
  for (int code = 0; code < 256; ++code) {
    if (names[static_cast<size_t>(code)].empty()) continue;
    if (code == 0 || names[static_cast<size_t>(code - 1)].empty()) differences->Add(owner_->NewNumeric(code));
    differences->Add(owner_->NewName(names[static_cast<size_t>(code)]));
  }
  return differences;
}

void TPDFFont::SetIdentityCMap(int low, int high) {
  cmap_ = std::make_unique<TOrvanePDFLibraryCMap>();
  cmap_->AddCodespaceRange(static_cast<uint32_t>(low), static_cast<uint32_t>(high), 1);
  codeToUnicode_.fill(0);
  for (int code = low; code <= high; ++code) {
    cmap_->AddMapping(2, static_cast<uint32_t>(code), std::string(1, static_cast<char>(code)));
    codeToUnicode_[static_cast<size_t>(code)] = static_cast<uint16_t>(code);
  }
}

bool TPDFFont::WriteStandardFont(std::string_view baseFont, int fontNumber) {
  if (owner_ == nullptr || fontNumber < 1 || fontNumber > 14 || !owner_->OnMakeIndirect) return false;
  baseFont_ = std::string(baseFont);
  TPDFDictionary* dict = owner_->NewDictionary();
  dict->SetValue("Type", owner_->GetKeyName("Font"));
  dict->SetValue("Subtype", owner_->GetKeyName("Type1"));
  dict->SetValue("BaseFont", owner_->GetKeyName(baseFont_));
  if (baseFont_ == "Symbol") {
    FirstChar = kFirstSymbolicCode;
    LastChar = 254;
    const auto w = GetSymbolicWidths(13);
    Widths.assign(w.begin(), w.end());
    cmap_ = std::make_unique<TOrvanePDFLibraryCMap>();
    cmap_->AddCodespaceRange(32, 254, 1);
    codeToUnicode_.fill(0);
    for (const auto& g : SymbolGlyphTable)
      if (g.Code >= 32 && g.Code <= 254) {
        cmap_->AddMapping(2, g.Unicode, std::string(1, static_cast<char>(g.Code)));
        codeToUnicode_[static_cast<size_t>(g.Code)] = g.Unicode;
      }
  } else if (baseFont_ == "ZapfDingbats") {
    FirstChar = kFirstSymbolicCode;
    LastChar = 254;
    const auto w = GetSymbolicWidths(14);
    Widths.assign(w.begin(), w.end());
    SetIdentityCMap(32, 254);
  } else {
    dict->SetValue("Encoding", owner_->GetKeyName("WinAnsiEncoding"));
    FirstChar = kFirstStandardCode;
    LastChar = 255;
    const auto w = GetStandardWidths(kWinAnsiEncoding, fontNumber);
    Widths.assign(w.begin(), w.end());
    SetEncodingCMap("WinAnsiEncoding", nullptr);
  }
  const int* m = kStandardFontMetrics[fontNumber - 1];
  FontBBox = {m[0], m[3], m[2], m[1]};
  Ascent = m[4];
  Descent = m[5];
  return Publish(dict, 1);
}

std::array<int, 232> TPDFFont::GetStandardWidths(uint8_t encodingKind, int fontNumber) {
  std::array<int, 232> out{};
  if (fontNumber == 13 || fontNumber == 14) {
    const auto w = GetSymbolicWidths(fontNumber);
    std::copy(w.begin(), w.end(), out.begin() + (kFirstSymbolicCode - kFirstStandardCode));
    return out;
  }
  if (fontNumber < 1 || fontNumber > 12 || encodingKind > kPDFDocEncoding) return out;
  TGlyphNames names = ColumnNames(encodingKind);
  // The no-break space has no glyph of its own in these fonts and measures as the space.
  if (encodingKind == kWinAnsiEncoding) names[160] = names[32];
  if (encodingKind == kMacRomanEncoding) names[202] = names[32];
  const auto widths = RoundedWidths(fontNumber, names);
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t code = i + kFirstStandardCode;
    out[i] = names[code].empty() ? 0 : widths[code];
  }
  return out;
}

std::array<int, 223> TPDFFont::GetSymbolicWidths(int fontNumber) {
  std::array<int, 223> out{};
  if (fontNumber != 13 && fontNumber != 14) return out;
  TGlyphNames names;
  if (fontNumber == 13) GetStandardEncoding(kSymbolBuiltInEncoding, names);
  const auto widths = RoundedWidths(fontNumber, names);
  for (size_t i = 0; i < out.size(); ++i) {
    const size_t code = i + kFirstSymbolicCode;
    const bool hasGlyph = fontNumber == 14 || !names[code].empty();
    out[i] = hasGlyph ? widths[code] : 0;
  }
  return out;
}

void TPDFFont::SetEncodingCMap(std::string_view encodingName, const TPDFArray* differences) {
  TGlyphNames names = ColumnNames(encodingName == "MacRomanEncoding" ? kMacRomanEncoding : kWinAnsiEncoding);
  ApplyDifferences(names, differences);
  cmap_ = std::make_unique<TOrvanePDFLibraryCMap>();
  int low = 256, high = -1;
  for (size_t code = 0; code < 256; ++code) {
    codeToUnicode_[code] = names[code].empty() ? 0 : GlyphNameToUnicode(names[code]);
    if (codeToUnicode_[code] == 0) continue;
    low = std::min(low, static_cast<int>(code));
    high = std::max(high, static_cast<int>(code));
  }
  if (high < 0) return;
  cmap_->AddCodespaceRange(static_cast<uint32_t>(low), static_cast<uint32_t>(high), 1);
  for (size_t code = 0; code < 256; ++code)
    if (codeToUnicode_[code] != 0) cmap_->AddMapping(2, codeToUnicode_[code], std::string(1, static_cast<char>(code)));
}

uint16_t TPDFFont::CodeToUnicode(int code) const {
  return code >= 0 && code < 256 ? codeToUnicode_[static_cast<size_t>(code)] : 65535;
}

void TPDFFont::SetWidthBlocks(std::string blocks) {
  widthBlocks_ = std::move(blocks);
  kind_ = 10;
}

int TPDFFont::GetCharWidth(uint16_t ch) const {
  if (widthLookup_.Count() > 0) return widthLookup_.Find(ch);
  if (kind_ != 10) return GetCodeWidth(cmap_->Lookup(2, ch == 160 ? 32 : ch));
  constexpr size_t kBlock = 513;
  for (size_t at = 0; at + kBlock <= widthBlocks_.size(); at += kBlock) {
    if (static_cast<uint8_t>(widthBlocks_[at]) != ch >> 8) continue;
    const size_t w = at + 1 + 2 * static_cast<size_t>(ch & 0xFF);
    const int width = static_cast<uint8_t>(widthBlocks_[w]) << 8 | static_cast<uint8_t>(widthBlocks_[w + 1]);
    return width != 0 ? width : 1000;
  }
  return 1000;
}

int TPDFFont::GetCodeWidth(int code) const {
  if (code < FirstChar || code > LastChar) return 0;
  const auto i = static_cast<size_t>(code - FirstChar);
  return i < Widths.size() ? Widths[i] : 0;
}

std::string TPDFFont::EncodeText(std::u16string_view text) const {
  std::string codes;
  codes.reserve(text.size());
  for (const char16_t c : text) {
    if (kind_ == 6) {
      // Only characters that were given a glyph have a code.
      const uint16_t code = cmap_->Lookup(2, c);
      if (code < 256 && !type3Glyphs_[code].empty()) codes.push_back(static_cast<char>(code));
      continue;
    }
    // The font's own code for the character first, so that re-encoded and symbolic fonts
    // keep characters their code page would lose.
    const uint16_t code = cmap_->Lookup(2, c);
    if (code != 0 && code < 256)
      codes.push_back(static_cast<char>(code));
    else
      codes += WideCharToMultiByte(codePage_, std::u16string_view(&c, 1));
  }
  return codes;
}
