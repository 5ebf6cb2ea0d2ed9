#include "pdf/content/font/pdf_font.h"

#include "pdf/core/encodings/font_encodings.h"
#include "pdf/core/objects/pdf_objects.h"
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

// Widths of codes 0..255 of standard font n (1..14) for measuring: fonts 1..12 through the
// WinAnsi code of each glyph (160, the no-break space, measured as the space), 13 and 14 through
// their own code tables; codes without a glyph are 0.
std::array<int, 256> StandardCodeWidths(int n) {
  TGlyphNames names;
  if (n >= 1 && n <= 12) {
    for (const auto& g : StandardGlyphTable)
      if (g.WinAnsiCode >= 0) names[static_cast<size_t>(g.WinAnsiCode)] = g.Name;
    names[160] = names[32];
  } else if (n == 13) {
    GetStandardEncoding(kSymbolBuiltInEncoding, names);
  }
  TEncodingWidths widths{};
  GetStandardFontWidths(n, names, widths);
  std::array<int, 256> result{};
  for (size_t code = 0; code < 256; ++code) {
    const bool hasGlyph = n == 14 ? code >= 32 && code <= 254 : !names[code].empty();
    result[code] = hasGlyph ? static_cast<int>(RoundHalfEven(widths[code])) : 0;
  }
  return result;
}

}  // namespace

TPDFFont::TPDFFont(TPDFStructure* owner, std::string_view resourceName) : owner_(owner), name_(resourceName) {}

TPDFFont::~TPDFFont() = default;

bool TPDFFont::WriteStandardFont(std::string_view baseFont, int fontNumber) {
  if (owner_ == nullptr || fontNumber < 1 || fontNumber > 14 || !owner_->OnMakeIndirect) return false;
  baseFont_ = std::string(baseFont);
  TPDFDictionary* dict = owner_->NewDictionary();
  dict->SetValue("Type", owner_->GetKeyName("Font"));
  dict->SetValue("Subtype", owner_->GetKeyName("Type1"));
  dict->SetValue("BaseFont", owner_->GetKeyName(baseFont_));
  const bool symbolic = baseFont_ == "Symbol" || baseFont_ == "ZapfDingbats";
  if (!symbolic) dict->SetValue("Encoding", owner_->GetKeyName("WinAnsiEncoding"));
  FirstChar = symbolic ? 32 : 24;
  LastChar = symbolic ? 254 : 255;
  const int widthFont = baseFont_ == "Symbol" ? 13 : baseFont_ == "ZapfDingbats" ? 14 : fontNumber;
  const auto codeWidths = StandardCodeWidths(widthFont);
  Widths.assign(codeWidths.begin() + FirstChar, codeWidths.begin() + LastChar + 1);
  const int* m = kStandardFontMetrics[fontNumber - 1];
  FontBBox = {m[0], m[3], m[2], m[1]};
  Ascent = m[4];
  Descent = m[5];
  int num = 0, gen = 0;
  owner_->MakeIndirect(dict, num, gen);
  dict_ = dict;
  ref_ = owner_->NewIndRef(num, gen);
  kind_ = 1;
  return true;
}

int TPDFFont::GetCodeWidth(int code) const {
  if (code < FirstChar || code > LastChar) return 0;
  const auto i = static_cast<size_t>(code - FirstChar);
  return i < Widths.size() ? Widths[i] : 0;
}
