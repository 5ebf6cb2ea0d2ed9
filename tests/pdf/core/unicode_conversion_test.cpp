#include "pdf/core/unicode_conversion.h"

#include <gtest/gtest.h>

#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Hex;

namespace {

WideString Units(std::initializer_list<char16_t> u) { return WideString(u); }

WideString Swapped(const WideString& w) {
  WideString s;
  for (const char16_t u : w) s.push_back(static_cast<char16_t>((u << 8 | u >> 8) & 0xFFFF));
  return s;
}

}  // namespace

// Ill-formed UTF-8 becomes one U+FFFD per maximal ill-formed subsequence; the expected values
// are what Python's decoder ("replace") gives, which follows the same practice.
TEST(UnicodeConversion, Utf8ToWideReplacesOnlyTheBrokenPart) {
  const struct {
    const char* hex;
    WideString want;
  } cases[] = {
      {"C3 A9", Units({0xE9})},
      {"C3 28", Units({0xFFFD, '('})},  // the "(" that broke the sequence is kept
      {"ED A0 80", Units({0xFFFD, 0xFFFD, 0xFFFD})},  // an encoded surrogate
      {"E2 82", Units({0xFFFD})},
      {"F0 9F 98", Units({0xFFFD})},
      {"F0 9F 98 80", Units({0xD83D, 0xDE00})},
      {"C0 80", Units({0xFFFD, 0xFFFD})},  // overlong
      {"F5", Units({0xFFFD})},
      {"E0 80 80", Units({0xFFFD, 0xFFFD, 0xFFFD})},
      {"F4 90 80 80", Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},  // above U+10FFFF
      {"E2 FF A2", Units({0xFFFD, 0xFFFD, 0xFFFD})},
      {"41 C3", Units({'A', 0xFFFD})},
      {"ED 9F BF", Units({0xD7FF})},
      {"E2 82 41 E2 82 AC", Units({0xFFFD, 'A', 0x20AC})},
      {"EF BB BF 41", Units({'A'})},  // a leading BOM is dropped
      {"41 EF BB BF", Units({'A', 0xFEFF})},  // a later one is text
      {"EF BF BE", Units({0xFFFD})},  // noncharacters are refused
      {"EF B7 90", Units({0xFFFD})},
      {"F4 8F BF BF", Units({0xFFFD})},
      {"", Units({})},
  };
  for (const auto& c : cases) EXPECT_EQ(UTF8ToWide(Hex(c.hex)), c.want) << c.hex;
}

TEST(UnicodeConversion, ErrorModes) {
  const std::string bad = Hex("41 C3 28 42");
  WideString w;
  EXPECT_FALSE(UTF8ToUTF16(bad, w, 0, kUnicodeErrorStopAndClear, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, u"");
  EXPECT_FALSE(UTF8ToUTF16(bad, w, 0, kUnicodeErrorStopAndClear, kUnicodeBomWrite, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({0xFEFF})) << "the BOM written first stays";
  EXPECT_FALSE(UTF8ToUTF16(bad, w, 0, kUnicodeErrorStop, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, u"A");
  EXPECT_TRUE(UTF8ToUTF16(bad, w, 0, kUnicodeErrorSkip, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, u"A(B");
  EXPECT_TRUE(UTF8ToUTF16(bad, w, 0, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, u"A\uFFFD(B");
  // Other modes write a bad value as it is; an ill-formed sequence has none and gives U+FFFD.
  EXPECT_TRUE(UTF8ToUTF16(Hex("EF BF BE C3"), w, 0, 9, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({0xFFFE, 0xFFFD}));
  // U+FFFF written as it is takes one unit, like every value of the first plane.
  EXPECT_TRUE(UTF8ToUTF16(Hex("EF BF BF 41"), w, 0, 9, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({0xFFFF, 'A'}));
  EXPECT_TRUE(UTF8ToUTF16(Hex("41"), w, 0, kUnicodeErrorStopAndClear, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, u"A");
}

TEST(UnicodeConversion, BomModesAndOutputFormats) {
  const std::string text = Hex("EF BB BF 41 F0 9F 98 80");
  WideString w;
  EXPECT_TRUE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomKeep, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({0xFEFF, 'A', 0xD83D, 0xDE00}));
  EXPECT_TRUE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({'A', 0xD83D, 0xDE00}));
  EXPECT_TRUE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomWrite, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({0xFEFF, 'A', 0xD83D, 0xDE00}));
  EXPECT_TRUE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomWrite, kUnicodeOutUTF16BE));
  EXPECT_EQ(w, Swapped(Units({0xFEFF, 'A', 0xD83D, 0xDE00})));
  // The two-byte formats end at U+FFFF.
  EXPECT_TRUE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUCS2LE));
  EXPECT_EQ(w, Units({'A', 0xFFFD}));
  EXPECT_TRUE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUCS2BE));
  EXPECT_EQ(w, Swapped(Units({'A', 0xFFFD})));
  // Format 0 converts nothing; formats past the known ones accept no character.
  EXPECT_FALSE(UTF8ToUTF16(text, w, 0, kUnicodeErrorReplace, kUnicodeBomWrite, kUnicodeOutNone));
  EXPECT_EQ(w, u"");
  EXPECT_FALSE(UTF8ToUTF16("A", w, 0, kUnicodeErrorStop, kUnicodeBomDrop, 5));
  EXPECT_EQ(w, u"");
  // A source format other than UTF-8 gives false and only the BOM.
  EXPECT_FALSE(UTF8ToUTF16("A", w, 1, kUnicodeErrorReplace, kUnicodeBomWrite, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({0xFEFF}));
}

TEST(UnicodeConversion, Utf16Sources) {
  const WideString le = Units({0xFEFF, 'A', 0xD83D, 0xDE00, 0xDC00, 'B', 0xD800, 'C', 0xD801});
  WideString w;
  EXPECT_TRUE(UTF16ToUTF16(le, w, kUnicodeInUTF16LE, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  // A lone low surrogate, a high one before "C" (which is kept) and one at the end.
  EXPECT_EQ(w, Units({'A', 0xD83D, 0xDE00, 0xFFFD, 'B', 0xFFFD, 'C', 0xFFFD}));
  EXPECT_TRUE(UTF16ToUTF16(Swapped(le), w, kUnicodeInUTF16BE, kUnicodeErrorReplace, kUnicodeBomDrop,
                           kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({'A', 0xD83D, 0xDE00, 0xFFFD, 'B', 0xFFFD, 'C', 0xFFFD}));
  // UCS-2 knows no pairs: every surrogate unit is bad.
  EXPECT_TRUE(UTF16ToUTF16(Units({'A', 0xD83D, 0xDE00}), w, kUnicodeInUCS2LE, kUnicodeErrorReplace,
                           kUnicodeBomDrop, kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({'A', 0xFFFD, 0xFFFD}));
  EXPECT_TRUE(UTF16ToUTF16(Swapped(Units({'A', 0x20AC})), w, 7, kUnicodeErrorReplace, kUnicodeBomDrop,
                           kUnicodeOutUTF16LE));
  EXPECT_EQ(w, Units({'A', 0x20AC}));
  EXPECT_FALSE(UTF16ToUTF16(u"A", w, 0, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUTF16LE));
  // To UTF-16BE with a BOM, as PDF text strings are written.
  EXPECT_TRUE(UTF16ToUTF16(u"Hi", w, kUnicodeInUTF16LE, kUnicodeErrorReplace, kUnicodeBomWrite,
                           kUnicodeOutUTF16BE));
  EXPECT_EQ(w, Units({0xFFFE, 0x4800, 0x6900}));
}
