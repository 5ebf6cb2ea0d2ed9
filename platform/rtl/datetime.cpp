#include "platform/rtl/datetime.h"

#include <sys/time.h>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpoch = 25569.0;

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

TTimeZoneInfo ReadZone() {
  TTimeZoneInfo z;
  const time_t now = std::time(nullptr);
  struct tm lt {};
  if (!localtime_r(&now, &lt)) return z;
  const long gmtoff = lt.tm_gmtoff / 60;  // minutes east
  if (lt.tm_isdst > 0) {
    z.CurrentState = TTimeZoneInfo::Daylight;
    z.Bias = static_cast<int>(-gmtoff + 60);
    z.DaylightBias = -60;
  } else {
    z.CurrentState = lt.tm_isdst == 0 ? TTimeZoneInfo::Standard : TTimeZoneInfo::Unknown;
    z.Bias = static_cast<int>(-gmtoff);
  }
  return z;
}

}  // namespace

int TTimeZoneInfo::OffsetMinutes() const {
  switch (CurrentState) {
    case Standard: return -(Bias + StandardBias);
    case Daylight: return -(Bias + DaylightBias);
    default: return -Bias;
  }
}

const TTimeZoneInfo& GetLocalTimeZone() {
  static const TTimeZoneInfo zone = ReadZone();
  return zone;
}

TDateTime Now() {
  struct timeval tv {};
  gettimeofday(&tv, nullptr);
  struct tm lt {};
  const time_t secs = tv.tv_sec;
  localtime_r(&secs, &lt);
  TDateTimeParts p;
  p.Year = lt.tm_year + 1900;
  p.Month = lt.tm_mon + 1;
  p.Day = lt.tm_mday;
  p.Hour = lt.tm_hour;
  p.Minute = lt.tm_min;
  p.Second = lt.tm_sec;
  p.Millisecond = static_cast<int>(tv.tv_usec / 1000);
  return EncodeDateTime(p);
}

TDateTime EncodeDateTime(const TDateTimeParts& p) {
  const double days = static_cast<double>(DaysFromCivil(p.Year, static_cast<unsigned>(p.Month), static_cast<unsigned>(p.Day))) + kUnixEpoch;
  const double frac = (p.Hour * 3600000.0 + p.Minute * 60000.0 + p.Second * 1000.0 + p.Millisecond) / 86400000.0;
  return days + frac;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
  TDateTimeParts p;
  if (!std::isfinite(value)) return p;
  const double day = std::floor(value);
  int64_t ms = static_cast<int64_t>(std::llround((value - day) * 86400000.0));
  int64_t days = static_cast<int64_t>(day) - static_cast<int64_t>(kUnixEpoch);
  if (ms >= 86400000) { ms -= 86400000; ++days; }
  CivilFromDays(days, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(ms / 3600000);
  p.Minute = static_cast<int>(ms / 60000 % 60);
  p.Second = static_cast<int>(ms / 1000 % 60);
  p.Millisecond = static_cast<int>(ms % 1000);
  return p;
}

std::string FormatDateTime(std::string_view f, TDateTime value) {
  const TDateTimeParts p = DecodeDateTime(value);
  std::string out;
  bool afterHour = false;
  auto num = [&](int v, int width) {
    char b[16];
    std::snprintf(b, sizeof b, "%0*d", width, v);
    out += b;
  };
  for (size_t i = 0; i < f.size();) {
    auto run = [&](char c) {
      size_t n = 0;
      while (i + n < f.size() && (f[i + n] | 0x20) == c) ++n;
      return n;
    };
    const char c = static_cast<char>(f[i] | 0x20);
    if (f[i] == '"') {
      const size_t end = f.find('"', i + 1);
      out += f.substr(i + 1, (end == std::string_view::npos ? f.size() : end) - i - 1);
      i = end == std::string_view::npos ? f.size() : end + 1;
      continue;
    }
    size_t n = (c >= 'a' && c <= 'z') ? run(c) : 0;
    if (c == 'y' && n) { n >= 3 ? num(p.Year, 4) : num(p.Year % 100, 2); afterHour = false; }
    else if (c == 'm' && n) { afterHour ? num(p.Minute, n >= 2 ? 2 : 1) : num(p.Month, n >= 2 ? 2 : 1); afterHour = false; }
    else if (c == 'd' && n) { num(p.Day, n >= 2 ? 2 : 1); afterHour = false; }
    else if (c == 'h' && n) { num(p.Hour, n >= 2 ? 2 : 1); afterHour = true; }
    else if (c == 'n' && n) { num(p.Minute, n >= 2 ? 2 : 1); afterHour = false; }
    else if (c == 's' && n) { num(p.Second, n >= 2 ? 2 : 1); afterHour = false; }
    else if (c == 'z' && n) { num(p.Millisecond, n >= 3 ? 3 : 1); afterHour = false; }
    else { out += f[i]; n = 1; }
    i += n;
  }
  return out;
}
