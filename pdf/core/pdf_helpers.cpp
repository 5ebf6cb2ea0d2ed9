#include "pdf/core/pdf_helpers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "pdf/core/md5.h"
#include "platform/rtl/guid.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/streams.h"

namespace {

// Magnitudes at or above 2^63 do not fit the 64-bit integer the number is built from.
constexpr double kInt64Limit = 9223372036854775808.0;
// A scaled integer has at most 19 digits, so more decimals than this can never show.
constexpr int kMaxDecimals = 18;

std::string IntegerText(double value) {
  if (std::fabs(value) < kInt64Limit) return IntToStr(RoundHalfEven(value));
  return FormatFixed(value, 0);  // the exact digits of a huge double
}

// Trailing zeros of a fraction, then a bare ".", go.
std::string StripZeros(std::string s) {
  if (s.find('.') == std::string::npos || s.back() != '0') return s;
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s;
}

// A value that does not fit 64 bits at the asked decimals keeps as many decimals as 19
// significant digits allow, written from the exact binary value.
std::string LargeNumberText(double value, int decimals) {
  while (decimals > 0 && std::fabs(value) * std::pow(10.0, decimals) >= kInt64Limit) --decimals;
  return StripZeros(FormatFixed(value, decimals));
}

// Round(value * 10^decimals), halves to even, on the exact binary value (0 <= decimals <= 18).
// The product taken in doubles is rounded first and makes false halves: 0.00025 * 10^4 is 2.5 in
// doubles but 2.50000000000000005... exactly. False when the result does not fit 64 bits.
bool ScaledExactly(double value, int decimals, int64_t& result) {
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);  // |value| = fraction * 2^exponent
  // |value| = mantissa * 2^(exponent - 53), the mantissa a whole number below 2^53.
  const auto mantissa = static_cast<unsigned __int128>(std::ldexp(fraction, 53));
  unsigned __int128 scaled = mantissa;
  for (int i = 0; i < decimals; ++i) scaled *= 10;  // below 2^113
  const int shift = 53 - exponent;
  unsigned __int128 n;
  if (shift <= 0) {
    if (-shift >= 64) return false;
    n = scaled << -shift;  // whole already; large values were refused by the caller's estimate
  } else if (shift >= 120) {
    n = 0;  // below half of one unit of the last decimal
  } else {
    n = scaled >> shift;
    const unsigned __int128 rest = scaled - (n << shift), half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (rest > half || (rest == half && (n & 1) != 0)) ++n;
  }
  if (n > static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max())) return false;
  result = value < 0 ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
  return true;
}

std::string TwoDigits(int v) { return std::string{char('0' + v / 10 % 10), char('0' + v % 10)}; }

}  // namespace

std::string FormatPDFNumber(double value, int decimals) {
  if (std::isnan(value)) return "0";
  if (std::isinf(value)) value = value > 0 ? FLT_MAX : -FLT_MAX;
  if (decimals < 1) return IntegerText(value);
  decimals = std::min(decimals, kMaxDecimals);
  int64_t n = 0;
  if (std::fabs(value) * std::pow(10.0, decimals) >= kInt64Limit || !ScaledExactly(value, decimals, n))
    return LargeNumberText(value, decimals);
  if (n == 0) return "0";
  std::string digits = IntToStr(n);
  std::string sign;
  if (digits[0] == '-') {
    sign = "-";
    digits.erase(0, 1);
  }
  if (digits.size() < static_cast<size_t>(decimals) + 1)
    digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
  digits.insert(digits.size() - static_cast<size_t>(decimals), ".");
  return sign + StripZeros(digits);
}

std::string FormatPDFDate(TDateTime local, int offsetMinutes) {
  std::string s = "D:" + FormatDateTime("yyyymmdd", local) + FormatDateTime("hhnnss", local);
  if (offsetMinutes == 0) return s + "Z";
  const int a = std::abs(offsetMinutes);
  return s + (offsetMinutes > 0 ? "+" : "-") + TwoDigits(a / 60) + "'" + TwoDigits(a % 60) + "'";
}

std::string PDFDateString() { return FormatPDFDate(Now(), GetLocalTimeZone().OffsetMinutes()); }

bool IsNaNSingle(uint32_t bits) { return (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0; }

bool SameDouble(double a, double b) {
  constexpr double kResolution = 1e-12;  // the class library's double resolution times its fuzz factor
  const double epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * kResolution, kResolution);
  return a > b ? a - b <= epsilon : b - a <= epsilon;
}

std::string NewUniqueTag() {
  const auto guid = CreateGuidBytes();
  std::string seed(reinterpret_cast<const char*>(guid.data()), guid.size());
  seed += FloatToStr(Now());
  TMD5Digest digest;
  MD5String(seed, digest);
  return MD5DigestToHex(digest).substr(0, 8);
}

void InsertIntoStream(TStream& stream, std::string_view bytes, int64_t position) {
  if (bytes.empty()) return;
  const int64_t oldPosition = stream.Position();
  const int64_t size = stream.Size();
  const int64_t at = std::clamp<int64_t>(position, 0, size);
  const auto len = static_cast<int64_t>(bytes.size());
  constexpr int64_t kBlock = 65536;
  std::vector<char> block(static_cast<size_t>(std::min(kBlock, std::max<int64_t>(size - at, 1))));
  for (int64_t remaining = size - at; remaining > 0;) {
    const int64_t chunk = std::min<int64_t>(static_cast<int64_t>(block.size()), remaining);
    const int64_t from = at + remaining - chunk;
    stream.SetPosition(from);
    stream.ReadBuffer(block.data(), chunk);
    stream.SetPosition(from + len);
    stream.WriteBuffer(block.data(), chunk);
    remaining -= chunk;
  }
  stream.SetPosition(at);
  stream.WriteBuffer(bytes.data(), len);
  stream.SetPosition(oldPosition >= at ? oldPosition + len : oldPosition);
}
