// The class library's string routines on byte strings, as the PDF library calls them.
// Positions are 1-based as in the class library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/datetime.h"
#include "platform/rtl/string_replace.h"

// 1-based position of sub in s; 0 when absent or sub is empty.
int PosA(std::string_view sub, std::string_view s);
std::string TrimA(std::string_view s);
// count bytes from 1-based index (an index below 1 counts from the start); clipped to s.
std::string CopyA(std::string_view s, int64_t index, int64_t count);
bool StartsWithA(std::string_view s, std::string_view prefix);
bool EndsWithA(std::string_view s, std::string_view suffix);

// Raises EConvertError on bad text. "$" followed by hexadecimal digits reads as hexadecimal.
int32_t StrToIntA(std::string_view s);
int32_t StrToIntDefA(std::string_view s, int32_t def);
int64_t StrToInt64DefA(std::string_view s, int64_t def);
std::string IntToStrA(int64_t value);
std::string IntToHexA(uint64_t value, int digits);
std::string UpperCaseA(std::string_view s);  // ASCII letters only
// flags: rfReplaceAll, rfIgnoreCase.
std::string StringReplaceA(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                           unsigned flags);

std::string FloatToStrA(double value);
std::string FormatFloatA(std::string_view format, double value);
double StrToFloatA(std::string_view s);  // raises EConvertError
std::string DateTimeToStrA(std::string_view format, TDateTime value);

// -1, 0 or 1: bytes in order (CompareStrA) or after ASCII case folding (CompareTextA).
int CompareStrA(std::string_view a, std::string_view b);
int CompareTextA(std::string_view a, std::string_view b);

inline std::string AnsiToString(std::string_view s) { return std::string(s); }
inline std::string StringToAnsi(std::string_view s) { return std::string(s); }
