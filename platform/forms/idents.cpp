#include "platform/forms/idents.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

const TIdentMap& ColorIdents() {
  static const TIdentMap map{{
      {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
      {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
      {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
      {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
      {"clMoneyGreen", clMoneyGreen}, {"clSkyBlue", clSkyBlue}, {"clCream", clCream}, {"clMedGray", clMedGray},
      {"clActiveBorder", clActiveBorder}, {"clActiveCaption", clActiveCaption},
      {"clAppWorkSpace", clAppWorkSpace}, {"clBackground", clBackground}, {"clBtnFace", clBtnFace},
      {"clBtnHighlight", clBtnHighlight}, {"clBtnShadow", clBtnShadow}, {"clBtnText", clBtnText},
      {"clCaptionText", clCaptionText}, {"clDefault", clDefault},
      {"clGradientActiveCaption", clGradientActiveCaption},
      {"clGradientInactiveCaption", clGradientInactiveCaption}, {"clGrayText", clGrayText},
      {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText}, {"clHotLight", clHotLight},
      {"clInactiveBorder", clInactiveBorder}, {"clInactiveCaption", clInactiveCaption},
      {"clInactiveCaptionText", clInactiveCaptionText}, {"clInfoBk", clInfoBk}, {"clInfoText", clInfoText},
      {"clMenu", clMenu}, {"clMenuBar", clMenuBar}, {"clMenuHighlight", clMenuHighlight},
      {"clMenuText", clMenuText}, {"clNone", clNone}, {"clScrollBar", clScrollBar},
      {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame}, {"clWindowText", clWindowText},
      // Read as well, written under the names above.
      {"clLtGray", clLtGray}, {"clDkGray", clDkGray},
  }};
  return map;
}

const TIdentMap& CursorIdents() {
  static const TIdentMap map{{
      {"crDefault", crDefault}, {"crNone", crNone}, {"crArrow", crArrow}, {"crCross", crCross},
      {"crIBeam", crIBeam}, {"crSizeNESW", crSizeNESW}, {"crSizeNS", crSizeNS}, {"crSizeNWSE", crSizeNWSE},
      {"crSizeWE", crSizeWE}, {"crUpArrow", crUpArrow}, {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
      {"crNoDrop", crNoDrop}, {"crHSplit", crHSplit}, {"crVSplit", crVSplit}, {"crMultiDrag", crMultiDrag},
      {"crSQLWait", crSQLWait}, {"crNo", crNo}, {"crAppStart", crAppStart}, {"crHelp", crHelp},
      {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll}, {"crSize", crSize},
  }};
  return map;
}

const TIdentMap& CharsetIdents() {
  static const TIdentMap map{{
      {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}, {"MAC_CHARSET", 77},
      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"JOHAB_CHARSET", 130}, {"GB2312_CHARSET", 134},
      {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161}, {"TURKISH_CHARSET", 162},
      {"VIETNAMESE_CHARSET", 163}, {"HEBREW_CHARSET", 177}, {"ARABIC_CHARSET", 178}, {"BALTIC_CHARSET", 186},
      {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222}, {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
  }};
  return map;
}

bool IdentToColor(std::string_view ident, TColor& color) {
  int64_t v = 0;
  if (!ColorIdents().IdentToInt(ident, v)) return false;
  color = static_cast<TColor>(v);
  return true;
}

std::string ColorToString(TColor color) {
  std::string ident;
  if (ColorIdents().IntToIdent(color, ident)) return ident;
  return "$" + IntToHex(static_cast<uint32_t>(color), 8);
}

TColor StringToColor(std::string_view text) {
  TColor c = 0;
  if (IdentToColor(Trim(text), c)) return c;
  int64_t v = 0;
  if (!TryStrToInt64(text, v) || v < INT32_MIN || v > UINT32_MAX)
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return static_cast<TColor>(static_cast<int32_t>(static_cast<uint32_t>(v)));
}
