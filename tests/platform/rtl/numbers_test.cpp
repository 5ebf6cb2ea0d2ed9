#include "platform/rtl/numbers.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "platform/rtl/exceptions.h"

TEST(Numbers, RoundHalfEvenAndGuards) {
  const struct { double in; int64_t out; } cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {1e300, INT64_MAX},
      {-1e300, INT64_MIN}, {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
  // Whatever rounding mode is set, and for values just beside the halves.
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in << " mode " << mode;
    EXPECT_EQ(RoundHalfEven(std::nextafter(2.5, 3.0)), 3);
    EXPECT_EQ(RoundHalfEven(std::nextafter(-2.5, -3.0)), -3);
    EXPECT_EQ(RoundHalfEven(std::nextafter(0.5, 0.0)), 0);
    EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497);  // 2^52 + 1
    EXPECT_EQ(RoundHalfEven(-7.5), -8);
    std::fesetround(FE_TONEAREST);
  }
  // Every byte value a sample scaled to 0..1 comes back to.
  for (int v = 0; v < 256; ++v) EXPECT_EQ(RoundHalfEven(v / 255.0 * 255), v);
}

TEST(Numbers, IntegerTextFollowsTheClassLibrary) {
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("-17"), -17);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToIntDef("12a", 7), 7);
  EXPECT_EQ(StrToIntDef("", 7), 7);
  EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
  EXPECT_EQ(StrToInt64Def("9223372036854775807", 0), INT64_MAX);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 1), 1);
  EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), INT64_MIN);
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x58000000, 1), "58000000");
}

TEST(Numbers, FloatTextIsLocaleFree) {
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(-1.5e-7), "-1.5E-7");
  EXPECT_EQ(FloatToStr(123456.75), "123456.75");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_DOUBLE_EQ(StrToFloat("1.25"), 1.25);
  EXPECT_THROW(StrToFloat("1,25"), EConvertError);
  EXPECT_THROW(StrToFloat("nan"), EConvertError);
  EXPECT_EQ(FormatFixed(1.0005, 3), "1.000");  // 1.0005 is just below the tie in binary
  EXPECT_EQ(FormatFixed(0.125, 2), "0.12");    // exact tie goes to even
  EXPECT_EQ(FormatFixed(-0.0001, 3), "0.000");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("0.000", 1.5), "1.500");
  EXPECT_EQ(FormatFloat("#,##0.##", 1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatFloat("0.##", 2.0), "2");
}
