// Locale-free number conversion and formatting (the decimal separator is always ".").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Round to nearest, halves to the even neighbour (the class library's Round). NaN gives 0;
// values beyond the 64-bit range saturate.
int64_t RoundHalfEven(double value);
// Truncation toward zero with the same guards.
int64_t TruncSaturate(double value);
// Clamps a 64-bit value into the 32-bit range.
int32_t ClampToInt32(int64_t value);

std::string IntToStr(int64_t value);
// Upper-case hexadecimal, left-padded with '0' to at least `digits` characters.
std::string IntToHex(uint64_t value, int digits);

// The class library's integer reading: leading blanks, an optional sign, decimal digits or
// hexadecimal after "$", "0x" or "x"; nothing may follow. StrToInt raises EConvertError with
// "'<text>' is not a valid integer value".
bool TryStrToInt64(std::string_view text, int64_t& value);
bool TryStrToInt(std::string_view text, int32_t& value);
int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t def);
int64_t StrToInt64Def(std::string_view text, int64_t def);

// Reads a decimal floating-point number ("1.5", "-2e3", " 7 "); raises EConvertError with
// "'<text>' is not a valid floating point value".
bool TryStrToFloat(std::string_view text, double& value);
double StrToFloat(std::string_view text);
double StrToFloatDef(std::string_view text, double def);

// The class library's general format with 15 significant digits ("0.1", "1E20", "-1.5E-7").
std::string FloatToStr(double value);
// Fixed notation with `decimals` digits after the point; an exact tie rounds to even.
std::string FormatFixed(double value, int decimals);
// The class library's FormatFloat for masks made of '0', '#', one '.', and ',' (thousands).
std::string FormatFloat(std::string_view mask, double value);
