#include "platform/rtl/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/rtl/exceptions.h"

int64_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
  // Worked out from the floor (value - floor is exact for every double), so the rounding mode a
  // caller may have set does not matter and need not be asked for (a library call per value).
  const double f = std::floor(value), diff = value - f;
  const double r = diff < 0.5 ? f : diff > 0.5 ? f + 1 : (std::fmod(f, 2.0) == 0 ? f : f + 1);
  return static_cast<int64_t>(r);
}

int64_t TruncSaturate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

int32_t ClampToInt32(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(uint64_t value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), kHex[value & 15]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
  return s;
}

bool TryStrToInt64(std::string_view t, int64_t& value) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16; ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16; i += 2;
  } else if (i < t.size() && (t[i] == 'x' || t[i] == 'X')) {
    base = 16; ++i;
  }
  if (i >= t.size()) return false;
  uint64_t acc = 0;
  const uint64_t limit = neg ? (uint64_t{1} << 63) : (base == 16 ? ~uint64_t{0} : (uint64_t{1} << 63) - 1);
  for (; i < t.size(); ++i) {
    int d;
    const char c = t[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (acc > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return false;
    acc = acc * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  value = neg ? static_cast<int64_t>(0 - acc) : static_cast<int64_t>(acc);
  return true;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
  int64_t v;
  if (!TryStrToInt64(text, v)) return false;
  // Hexadecimal text wraps into 32 bits as the class library does ("$FFFFFFFF" is -1).
  const bool hex = text.find_first_of("$xX") != std::string_view::npos;
  if (hex && v >= 0 && v <= 0xFFFFFFFFLL) {
    value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t StrToInt(std::string_view text) {
  int32_t v;
  if (!TryStrToInt(text, v)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return v;
}

int64_t StrToInt64(std::string_view text) {
  int64_t v;
  if (!TryStrToInt64(text, v)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return v;
}

int32_t StrToIntDef(std::string_view text, int32_t def) {
  int32_t v;
  return TryStrToInt(text, v) ? v : def;
}

int64_t StrToInt64Def(std::string_view text, int64_t def) {
  int64_t v;
  return TryStrToInt64(text, v) ? v : def;
}

bool TryStrToFloat(std::string_view text, double& value) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  if (b == e) return false;
  // Only plain decimal syntax: no "inf", "nan" or hexadecimal floats.
  for (size_t i = b; i < e; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  }
  const std::string s(text.substr(b, e - b));
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);  // the C locale: "." is the separator
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

double StrToFloat(std::string_view text) {
  double v;
  if (!TryStrToFloat(text, v)) throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view text, double def) {
  double v;
  return TryStrToFloat(text, v) ? v : def;
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", value);  // 15 significant digits
  // buf: [-]d.dddddddddddddde[+-]xx
  std::string s(buf);
  const bool neg = s[0] == '-';
  if (neg) s.erase(0, 1);
  const size_t epos = s.find('e');
  int exp = std::atoi(s.c_str() + epos + 1);
  std::string digits = s.substr(0, 1) + s.substr(2, epos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  if (exp < -5 || exp >= 15) {
    out = digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exp);
  } else if (exp < 0) {
    out = "0." + std::string(static_cast<size_t>(-exp - 1), '0') + digits;
  } else {
    const size_t intLen = static_cast<size_t>(exp) + 1;
    if (digits.size() <= intLen) {
      out = digits + std::string(intLen - digits.size(), '0');
    } else {
      out = digits.substr(0, intLen) + "." + digits.substr(intLen);
    }
  }
  return neg ? "-" + out : out;
}

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) return FloatToStr(value);
  if (decimals < 0) decimals = 0;
  if (decimals > 30) decimals = 30;
  char buf[400];
  // printf rounds the exact binary value correctly, with exact ties to even in glibc.
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s(buf);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);  // no "-0.000"
  return s;
}

std::string FormatFloat(std::string_view mask, double value) {
  const size_t dot = mask.find('.');
  const std::string_view intMask = mask.substr(0, dot);
  const std::string_view fracMask = dot == std::string_view::npos ? std::string_view{} : mask.substr(dot + 1);
  int minFrac = 0, maxFrac = 0;
  for (char c : fracMask) {
    if (c == '0') { ++maxFrac; minFrac = maxFrac; }
    else if (c == '#') ++maxFrac;
  }
  int minInt = 0;
  bool thousands = false;
  for (char c : intMask) {
    if (c == '0') ++minInt;
    else if (c == ',') thousands = true;
  }
  std::string fixed = FormatFixed(value, maxFrac);
  bool neg = !fixed.empty() && fixed[0] == '-';
  if (neg) fixed.erase(0, 1);
  const size_t p = fixed.find('.');
  std::string ip = fixed.substr(0, p);
  std::string fp = p == std::string::npos ? "" : fixed.substr(p + 1);
  while (static_cast<int>(fp.size()) > minFrac && !fp.empty() && fp.back() == '0') fp.pop_back();
  if (ip == "0" && minInt == 0) ip.clear();
  while (static_cast<int>(ip.size()) < minInt) ip.insert(ip.begin(), '0');
  if (thousands) {
    for (int i = static_cast<int>(ip.size()) - 3; i > 0; i -= 3) ip.insert(static_cast<size_t>(i), ",");
  }
  std::string out = ip;
  if (!fp.empty()) out += "." + fp;
  if (out.empty()) out = "0";
  if (neg && out.find_first_not_of("0.,") != std::string::npos) out.insert(out.begin(), '-');
  return out;
}
