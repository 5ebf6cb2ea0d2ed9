#include "pdf/content/font/standard_font_names.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 14> kAliases = {
    "Courier*CourierNew*CourierNewPS*CourierNewPSMT*",
    "Courier-Bold*CourierNew,Bold*Courier,Bold*CourierNewPS-BoldMT*CourierNew-Bold*",
    "Courier-BoldOblique*CourierNew,BoldItalic*Courier,BoldItalic*CourierNewPS-BoldItalicMT*CourierNew-BoldItalic*",
    "Courier-Oblique*CourierNew,Italic*Courier,Italic*CourierNewPS-ItalicMT*CourierNew-Italic*",
    "Helvetica*Arial*HelveticaNeue-Roman*HelveticaNeue-UltraLight*Arial,BoldMT,Bold*ArialMT*",
    "Helvetica-Bold*Arial,Bold*Arial-BoldMT*Helvetica,Bold*Arial-Bold*",
    "Helvetica-BoldOblique*Arial,BoldItalic*Arial-BoldItalicMT*Helvetica,BoldItalic*Arial-BoldItalic*",
    "Helvetica-Oblique*Arial,Italic*Arial-ItalicMT*Helvetica,Italic*Arial-Italic*",
    "Times-Roman*TimesNewRoman*TimesNewRomanPS*TimesNewRomanPSMT*Times*",
    "Times-Bold*TimesNewRoman,Bold*TimesNewRomanPS-BoldMT*Times,Bold*TimesNewRoman-Bold*",
    "Times-Italic*TimesNewRoman,Italic*TimesNewRomanPS-ItalicMT*Times,Italic*TimesNewRoman-Italic*",
    "Times-BoldItalic*TimesNewRoman,BoldItalic*TimesNewRomanPS-BoldItalicMT*Times,BoldItalic*"
    "TimesNewRoman-BoldItalic*",
    "Symbol*",
    "ZapfDingbats*",
};

constexpr std::array<std::string_view, 14> kTrueTypeNames = {
    "CourierNew",    "CourierNew,Bold",      "CourierNew,BoldItalic", "CourierNew,Italic", "Arial",
    "Arial,Bold",    "Arial,BoldItalic",     "Arial,Italic",          "TimesNewRoman",     "TimesNewRoman,Bold",
    "TimesNewRoman,Italic", "TimesNewRoman,BoldItalic", "Symbol",      "ZapfDingbats",
};

bool ListHolds(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const size_t end = list.find('*');
    if (list.substr(0, end) == name) return true;
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

int FindStandardFont(std::string_view name) {
  if (name.empty()) return 0;
  for (size_t i = 0; i < kAliases.size(); ++i)
    if (ListHolds(kAliases[i], name)) return static_cast<int>(i) + 1;
  return 0;
}

std::string_view StandardFontTrueTypeName(int n) { return n >= 1 && n <= 14 ? kTrueTypeNames[size_t(n - 1)] : ""; }

std::string_view StandardFontAliases(int n) { return n >= 1 && n <= 14 ? kAliases[size_t(n - 1)] : ""; }
