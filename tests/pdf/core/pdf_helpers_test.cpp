#include "pdf/core/pdf_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <sstream>
#include <string>

#include "platform/rtl/streams.h"
#include "tests/support/test_support.h"

TEST(FormatPDFNumber, WriterTexts) {
  const struct { double v; int d; const char* text; } cases[] = {
      {0.5, 0, "0"}, {1.5, 0, "2"}, {2.5, 0, "2"}, {3.5, 0, "4"}, {-2.5, 0, "-2"},
      {-1.25, 1, "-1.2"}, {12, 2, "12"}, {0.001, 2, "0"}, {0, 4, "0"}, {-0.0, 4, "0"},
      {1.5, 4, "1.5"}, {-0.5, 4, "-0.5"}, {100, 4, "100"}, {0.25, 4, "0.25"}, {0.00004, 4, "0"},
      {-0.00004, 4, "0"}, {612, 4, "612"},
      {123.456789, 6, "123.456789"}, {1e-6, 6, "0.000001"}, {-7, -3, "-7"}, {10, 1, "10"},
      // Rounded on the exact binary value: 0.1 is 0.1000000000000000055..., 0.00025 is
      // 0.000250000000000000005..., 2.675 is 2.67499999999999982...
      {0.1, 30, "0.100000000000000006"}, {0.1, 17, "0.10000000000000001"}, {0.1, 16, "0.1"},
      {0.00025, 4, "0.0003"}, {-0.00025, 4, "-0.0003"},
      {0.00035, 4, "0.0003"}, {2.675, 2, "2.67"}, {0.15, 1, "0.1"}, {1.00005, 4, "1.0001"}, {0.125, 2, "0.12"},
      {5e-7, 6, "0"}, {4.9406564584124654e-324, 18, "0"}, {9007199254740993.0, 2, "9007199254740992"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPDFNumber(c.v, c.d), c.text) << c.v << " with " << c.d;
  EXPECT_EQ(FormatPDFFloat(0.75, 1), "0.8");
}

// Python's Decimal holds a double's exact value: it rounds each generated value at the asked
// decimals, halves to even, and writes the text as the writer must (trailing zeros and a bare
// point dropped, "0" for nothing). Most values lie next to a decimal half, where a product
// taken in doubles is itself rounded and lands on the wrong side.
TEST(FormatPDFNumber, AgreesWithExactDecimalRounding) {
  REQUIRE_TOOL("/usr/bin/python3");
  const char* oracle = R"PY(
from decimal import Decimal as D, ROUND_HALF_EVEN
import random, sys
rnd = random.Random(2104)
out = []
def text(v, d):
    n = int(D(v).scaleb(d).quantize(D(1), rounding=ROUND_HALF_EVEN))
    if n == 0: return '0'
    digits = str(abs(n)).rjust(d + 1, '0')
    s = digits[:-d] + '.' + digits[-d:]
    s = s.rstrip('0').rstrip('.')
    return ('-' if n < 0 else '') + s
for _ in range(30000):
    d = rnd.randint(1, 8)
    k = rnd.randint(-10**rnd.randint(1, 9), 10**rnd.randint(1, 9))
    v = float(D(2 * k + 1) / 2 / D(10) ** d)  # next to a half of the last decimal
    if rnd.random() < 0.2: v = rnd.uniform(-1e6, 1e6)
    out.append('%r %d %s' % (v, d, text(v, d)))
sys.stdout.write('\n'.join(out) + '\n')
)PY";
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("oracle.py"), oracle);
  std::string table;
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("oracle.py"), &table), 0);
  std::istringstream in(table);
  std::string value, expected;
  int decimals = 0, rows = 0, wrong = 0;
  while (in >> value >> decimals >> expected) {
    ++rows;
    const double v = std::strtod(value.c_str(), nullptr);
    const std::string got = FormatPDFNumber(v, decimals);
    if (got != expected && ++wrong <= 10) ADD_FAILURE() << value << " with " << decimals << ": " << got << ", not " << expected;
  }
  EXPECT_EQ(rows, 30000);
  EXPECT_EQ(wrong, 0);
}

TEST(FormatPDFNumber, NeverWritesNaNInfinityOrAWrappedInteger) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatPDFNumber(nan, 4), "0");
  EXPECT_EQ(FormatPDFNumber(nan, 0), "0");
  EXPECT_EQ(FormatPDFNumber(inf, 4), "340282346638528859811704183484516925440");
  EXPECT_EQ(FormatPDFNumber(-inf, 0), "-340282346638528859811704183484516925440");
  // Too large for four decimals in 64 bits: fewer decimals, never a wrapped value.
  EXPECT_EQ(FormatPDFNumber(1e15 + 0.5, 4), "1000000000000000.5");
  EXPECT_EQ(FormatPDFNumber(-1e17, 4), "-100000000000000000");
  EXPECT_EQ(FormatPDFNumber(1e20, 4), "100000000000000000000");
  EXPECT_EQ(FormatPDFNumber(1e20, 0), "100000000000000000000");
  EXPECT_EQ(FormatPDFNumber(-9.5e18, 0), "-9500000000000000000");
  for (double v : {1e300, -1e300, 9.3e18, std::numeric_limits<double>::max()}) {
    const std::string s = FormatPDFNumber(v, 4);
    EXPECT_EQ(s.find_first_not_of("-0123456789."), std::string::npos) << s;
    EXPECT_EQ(s[0] == '-', v < 0) << s;
    EXPECT_GT(s.size(), 18u) << s;
  }
}

TEST(PDFDate, ZoneSuffixes) {
  const TDateTime t = EncodeDateTime({2013, 10, 13, 14, 30, 5, 999});
  EXPECT_EQ(FormatPDFDate(t, 120), "D:20131013143005+02'00'");
  EXPECT_EQ(FormatPDFDate(t, -300), "D:20131013143005-05'00'");
  EXPECT_EQ(FormatPDFDate(t, 0), "D:20131013143005Z");
  EXPECT_EQ(FormatPDFDate(t, 330), "D:20131013143005+05'30'");
  EXPECT_EQ(FormatPDFDate(t, -570), "D:20131013143005-09'30'");
}

TEST(PDFDate, CurrentDateHasTheFormat) {
  const std::string s = PDFDateString();
  ASSERT_GE(s.size(), 17u);
  EXPECT_EQ(s.substr(0, 2), "D:");
  EXPECT_EQ(s.find_first_not_of("0123456789", 2), 16u);
  const std::string zone = s.substr(16);
  EXPECT_TRUE(zone == "Z" || (zone.size() == 7 && (zone[0] == '+' || zone[0] == '-') && zone[3] == '\'' &&
                              zone[6] == '\''))
      << s;
}

TEST(Helpers, NaNSingleAndSameDouble) {
  EXPECT_TRUE(IsNaNSingle(0x7FC00000));
  EXPECT_TRUE(IsNaNSingle(0xFF800001));
  EXPECT_FALSE(IsNaNSingle(0x7F800000));  // infinity
  EXPECT_FALSE(IsNaNSingle(0x3F800000));  // 1.0
  EXPECT_TRUE(SameDouble(1.0, 1.0 + 1e-13));
  EXPECT_FALSE(SameDouble(1.0, 1.0 + 1e-11));
  EXPECT_TRUE(SameDouble(0.0, 1e-12));
  EXPECT_TRUE(SameDouble(1e10, 1e10 + 0.001));
  EXPECT_FALSE(SameDouble(std::nan(""), std::nan("")));
  EXPECT_EQ(BoolToTF(true), "T");
  EXPECT_FALSE(TFToBool("t"));
  EXPECT_TRUE(TFToBool("T"));
}

TEST(Helpers, UniqueTagsAreEightLowerHexDigits) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const std::string tag = NewUniqueTag();
    ASSERT_EQ(tag.size(), 8u);
    EXPECT_EQ(tag.find_first_not_of("0123456789abcdef"), std::string::npos) << tag;
    seen.insert(tag);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(InsertIntoStream, MovesTheTailAndThePosition) {
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 13);
  for (int64_t pos : {int64_t{0}, int64_t{1}, int64_t{65536}, int64_t{99999}, int64_t{100000}}) {
    TMemoryStream s(data);
    s.SetPosition(50000);
    InsertIntoStream(s, "xyz", pos);
    std::string want = data;
    want.insert(static_cast<size_t>(pos), "xyz");
    EXPECT_EQ(s.DataString(), want) << pos;
    EXPECT_EQ(s.Position(), pos <= 50000 ? 50003 : 50000) << pos;
  }
  TMemoryStream s("abc");
  InsertIntoStream(s, "", 1);
  InsertIntoStream(s, "Z", 99);  // beyond the end: appended
  InsertIntoStream(s, "A", -5);  // before the start: prepended
  EXPECT_EQ(s.DataString(), "AabcZ");
}
