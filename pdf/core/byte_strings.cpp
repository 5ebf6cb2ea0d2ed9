#include "pdf/core/byte_strings.h"

#include "platform/rtl/numbers.h"
#include "platform/rtl/string_compare.h"
#include "platform/rtl/strings.h"

int PosA(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const size_t at = s.find(sub);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string TrimA(std::string_view s) { return Trim(s); }

std::string CopyA(std::string_view s, int64_t index, int64_t count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<int64_t>(s.size())) return std::string();
  return std::string(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

bool StartsWithA(std::string_view s, std::string_view prefix) { return s.starts_with(prefix); }
bool EndsWithA(std::string_view s, std::string_view suffix) { return s.ends_with(suffix); }

int32_t StrToIntA(std::string_view s) { return StrToInt(s); }
int32_t StrToIntDefA(std::string_view s, int32_t def) { return StrToIntDef(s, def); }
int64_t StrToInt64DefA(std::string_view s, int64_t def) { return StrToInt64Def(s, def); }
std::string IntToStrA(int64_t value) { return IntToStr(value); }
std::string IntToHexA(uint64_t value, int digits) { return IntToHex(value, digits); }
std::string UpperCaseA(std::string_view s) { return UpperCaseAscii(s); }

std::string StringReplaceA(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                           unsigned flags) {
  return StringReplace(s, oldPattern, newPattern, flags);
}

std::string FloatToStrA(double value) { return FloatToStr(value); }
std::string FormatFloatA(std::string_view format, double value) { return FormatFloat(format, value); }
double StrToFloatA(std::string_view s) { return StrToFloat(s); }
std::string DateTimeToStrA(std::string_view format, TDateTime value) { return FormatDateTime(format, value); }

int CompareStrA(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, 0, a, b) - CSTR_EQUAL;
}

int CompareTextA(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, b) - CSTR_EQUAL;
}
