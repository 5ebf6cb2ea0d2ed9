#include "pdf/codecs/dither/dither.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "tests/pdf/codecs/output/output_test_util.h"
#include "tests/support/test_support.h"

namespace {

using outputtest::Fill24;
using outputtest::Picture;
using outputtest::RGB;

// Stucki error diffusion written from the kernel's definition over whole-image error planes
// (no row rotation, no guard cells): the reference the ditherer is checked against.
const char* kStuckiReference = R"PY(
import sys
data = open(sys.argv[1], 'rb').read()
w, h = int(sys.argv[2]), int(sys.argv[3])
pix = [[data[(y * w + x) * 3:(y * w + x) * 3 + 3] for x in range(w)] for y in range(h)]
err = [[[0, 0, 0] for _ in range(w)] for _ in range(h)]
kernel = [(1, 0, 8), (2, 0, 4),
          (-2, 1, 2), (-1, 1, 4), (0, 1, 8), (1, 1, 4), (2, 1, 2),
          (-2, 2, 1), (-1, 2, 2), (0, 2, 4), (1, 2, 2), (2, 2, 1)]
def trunc_div(a, b):
    q = abs(a) // b
    return q if a >= 0 else -q
out = []
for y in range(h):
    d = 1 if y % 2 == 0 else -1
    row = ['?'] * w
    for x in (range(w) if d == 1 else range(w - 1, -1, -1)):
        adj = [min(255, max(0, pix[y][x][c] + trunc_div(err[y][x][c] + 21, 42))) for c in range(3)]
        white = 77 * adj[0] + 150 * adj[1] + 29 * adj[2] > 32512
        o = 255 if white else 0
        row[x] = '1' if white else '0'
        for c in range(3):
            e = adj[c] - o
            for dx, dy, k in kernel:
                xx, yy = x + dx * d, y + dy
                if 0 <= xx < w and yy < h:
                    err[yy][xx][c] += k * e
    out.append(''.join(row))
print('\n'.join(out))
)PY";

std::vector<Picture> Pictures() {
  auto noise = std::make_shared<std::vector<uint8_t>>();
  outputtest::Noise n(7);
  for (int i = 0; i < 64 * 64 * 3; ++i) noise->push_back(n.Next());
  return {
      {"noise", 23, 17,
       [noise](int x, int y) {
         const size_t i = size_t(y * 23 + x) * 3;
         return RGB{(*noise)[i], (*noise)[i + 1], (*noise)[i + 2]};
       }},
      {"gradient", 40, 6, [](int x, int y) { return RGB{uint8_t(x * 6), uint8_t(y * 40), uint8_t(255 - x * 6)}; }},
      {"mid_grey", 16, 16, [](int, int) { return RGB{128, 128, 128}; }},
      {"one_column", 1, 9, [](int, int y) { return RGB{uint8_t(100 + y * 7), 90, 200}; }},
      {"one_row", 11, 1, [](int x, int) { return RGB{uint8_t(x * 23), uint8_t(x * 23), uint8_t(x * 23)}; }},
      {"saturated", 9, 8, [](int x, int y) { return (x + y) % 3 ? RGB{255, 0, 0} : RGB{0, 0, 255}; }},
  };
}

std::string Dithered8(TBitmap& source) {
  TBitmap target;
  target.SetPixelFormat(pf8bit);
  target.SetSize(source.Width(), source.Height());
  EXPECT_TRUE(DitherToMonochrome(source, target));
  std::string text;
  for (int y = 0; y < source.Height(); ++y) {
    if (y) text += '\n';
    for (int x = 0; x < source.Width(); ++x) text += char('0' + target.ScanLine(y)[x]);
  }
  return text;
}

TEST(Dither, MatchesTheStuckiReference) {
  if (outputtest::Python().empty()) GTEST_SKIP() << "needs python3";
  testsupport::TempDir dir;
  for (const Picture& p : Pictures()) {
    TBitmap source;
    Fill24(source, p);
    std::string rgb;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const RGB c = p.colour(x, y);
        rgb += char(c.R);
        rgb += char(c.G);
        rgb += char(c.B);
      }
    testsupport::WriteFile(dir.File("rgb"), rgb);
    std::string expected;
    ASSERT_EQ(outputtest::RunPython(kStuckiReference,
                                    dir.File("rgb") + " " + std::to_string(p.width) + " " + std::to_string(p.height),
                                    &expected, dir.path()),
              0);
    while (!expected.empty() && expected.back() == '\n') expected.pop_back();
    EXPECT_EQ(Dithered8(source), expected) << p.name;
  }
}

TEST(Dither, LookupThreshold) {
  TMonochromeLookup lookup;
  std::array<uint8_t, 3> colour{};
  EXPECT_EQ(lookup.ColorCount, 2);
  EXPECT_EQ(lookup.Lookup(127, 127, 127, colour), 0);
  EXPECT_EQ(colour, (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(lookup.Lookup(128, 128, 128, colour), 1);
  EXPECT_EQ(colour, (std::array<uint8_t, 3>{255, 255, 255}));
  // Green weighs most: 77 R + 150 G + 29 B.
  EXPECT_EQ(lookup.Lookup(0, 217, 0, colour), 1);  // 32550
  EXPECT_EQ(lookup.Lookup(0, 216, 0, colour), 0);  // 32400
  EXPECT_EQ(lookup.Lookup(255, 0, 255, colour), 0);
  EXPECT_EQ(MonochromeThreshold, 32512);
}

TEST(Dither, UniformSources) {
  for (uint8_t v : {0, 255}) {
    TBitmap source;
    Fill24(source, 13, 7, [v](int, int) { return RGB{v, v, v}; });
    const std::string text = Dithered8(source);
    for (char c : text)
      if (c != '\n') { ASSERT_EQ(c, v ? '1' : '0'); }
  }
  TBitmap grey;
  Fill24(grey, 32, 32, [](int, int) { return RGB{128, 128, 128}; });
  const std::string text = Dithered8(grey);
  const auto white = std::count(text.begin(), text.end(), '1');
  EXPECT_NEAR(double(white) / (32 * 32), 0.5, 0.05);
}

TEST(Dither, RowsRunBothWays) {
  TColorLookup* unused = nullptr;
  (void)unused;
  TMonochromeLookup lookup;
  TStuckiDitherer d(4, lookup);
  EXPECT_EQ(d.Direction, 1);
  EXPECT_EQ(d.X, 0);
  EXPECT_EQ(d.Divisor, 42);
  for (int i = 0; i < 4; ++i) d.ProcessPixel(0, 0, 0);
  EXPECT_EQ(d.X, 4);
  d.NextRow();
  EXPECT_EQ(d.Direction, -1);
  EXPECT_EQ(d.X, 3);
  EXPECT_EQ(d.Step, -2);
  for (int i = 0; i < 4; ++i) d.ProcessPixel(0, 0, 0);
  EXPECT_EQ(d.X, -1);
  d.NextRow();
  EXPECT_EQ(d.X, 0);
  // A one-pixel row is column 0 both ways.
  TStuckiDitherer one(1, lookup);
  one.NextRow();
  EXPECT_EQ(one.X, 0);
}

// A bit-per-pixel target holds the same decisions as a byte-per-pixel one.
TEST(Dither, OneBitTargetPacksTheSameDecisions) {
  TBitmap source;
  outputtest::Noise n(99);
  Fill24(source, 21, 5, [&n](int, int) { return RGB{n.Next(), n.Next(), n.Next()}; });
  const std::string bytes = Dithered8(source);
  TBitmap packed;
  packed.SetPixelFormat(pf1bit);
  packed.SetSize(21, 5);
  ASSERT_TRUE(DitherToMonochrome(source, packed));
  std::string bits;
  for (int y = 0; y < 5; ++y) {
    if (y) bits += '\n';
    for (int x = 0; x < 21; ++x) bits += (packed.ScanLine(y)[x >> 3] & (0x80 >> (x & 7))) ? '1' : '0';
  }
  EXPECT_EQ(bits, bytes);
  // The 1-bit target's default colour table reads 1 as white.
  EXPECT_EQ(packed.Dib().Colors()[1].rgbRed, 255);
}

TEST(Dither, RefusesWhatItCannotWrite) {
  TBitmap source;
  Fill24(source, 8, 8, [](int, int) { return RGB{10, 200, 30}; });
  struct Case {
    const char* name;
    TPixelFormat format;
    int width, height;
  } cases[] = {
      {"narrow", pf8bit, 7, 8}, {"short", pf8bit, 8, 7}, {"24-bit", pf24bit, 8, 8}, {"4-bit", pf4bit, 8, 8}};
  for (const Case& c : cases) {
    TBitmap target;
    target.SetPixelFormat(c.format);
    target.SetSize(c.width, c.height);
    const std::vector<uint8_t> before(target.Dib().Bits().begin(), target.Dib().Bits().end());
    EXPECT_FALSE(DitherToMonochrome(source, target)) << c.name;
    EXPECT_TRUE(std::equal(before.begin(), before.end(), target.Dib().Bits().begin())) << c.name;
  }
  TBitmap empty, target;
  empty.SetPixelFormat(pf24bit);
  target.SetPixelFormat(pf8bit);
  target.SetSize(4, 4);
  EXPECT_FALSE(DitherToMonochrome(empty, target));
  TBitmap wide;  // a 32-bit source is not read as 24 bit
  wide.SetPixelFormat(pf32bit);
  wide.SetSize(4, 4);
  EXPECT_FALSE(DitherToMonochrome(wide, target));
  // A larger target takes the source's area only.
  TBitmap large;
  large.SetPixelFormat(pf8bit);
  large.SetSize(10, 10);
  std::fill(large.Dib().Bits().begin(), large.Dib().Bits().end(), uint8_t(7));
  ASSERT_TRUE(DitherToMonochrome(source, large));
  EXPECT_EQ(large.ScanLine(0)[8], 7);
  EXPECT_EQ(large.ScanLine(8)[0], 7);
  EXPECT_LE(large.ScanLine(7)[7], 1);
}

}  // namespace
