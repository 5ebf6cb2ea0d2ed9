// Local time and the time zone.
#pragma once

#include <string>
#include <string_view>

// Days since 1899-12-30 with the time of day as the fraction (the class library's TDateTime).
using TDateTime = double;

struct TDateTimeParts {
  int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The local time zone as Windows describes it: UTC = local time + Bias (minutes).
struct TTimeZoneInfo {
  int Bias = 0;
  int StandardBias = 0;
  int DaylightBias = 0;
  enum State { Unknown, Standard, Daylight } CurrentState = Unknown;
  // Minutes east of UTC for the current state.
  int OffsetMinutes() const;
};

// Read from the system once per process; later calls return the same record.
const TTimeZoneInfo& GetLocalTimeZone();

TDateTime Now();
TDateTimeParts DecodeDateTime(TDateTime value);
TDateTime EncodeDateTime(const TDateTimeParts& parts);

// Formats with the class library's tokens: yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss, s, zzz;
// everything else is copied; text in double quotes is copied without the quotes.
// "mm" directly after "h"/"hh" means minutes, as in the class library.
std::string FormatDateTime(std::string_view format, TDateTime value);
