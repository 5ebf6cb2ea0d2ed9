// Named values of integer properties as form descriptions write them: colours ("clBtnFace"),
// cursors ("crHourGlass") and character sets ("DEFAULT_CHARSET").
#pragma once

#include <string>
#include <string_view>

#include "platform/forms/rtti.h"
#include "platform/gdi/colors.h"

using TCursor = int;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                         crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                         crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                         crHandPoint = -21, crSizeAll = -22, crSize = -22;

inline constexpr TColor clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
inline constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
inline constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;

const TIdentMap& ColorIdents();
const TIdentMap& CursorIdents();
const TIdentMap& CharsetIdents();

bool IdentToColor(std::string_view ident, TColor& color);
// The identifier of a colour, or "$00BBGGRR" in hexadecimal.
std::string ColorToString(TColor color);
// An identifier or a number ("clRed", "$0000FF", "255"); raises EConvertError otherwise.
TColor StringToColor(std::string_view text);
