#include "pdf/core/pdf_text_string.h"

#include <gtest/gtest.h>

#include "pdf/core/encodings/pdfdoc_encoding.h"
#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Hex;

TEST(PdfDocEncoding, TableHoldsThePublishedDifferences) {
  const struct { int code; uint16_t unicode; } cases[] = {
      {0, 0x0000},   {21, 0x0015},  {22, 0x0017},  {23, 0x0017},  {24, 0x02D8},  {31, 0x02DC},
      {32, 0x0020},  {65, 0x0041},  {126, 0x007E}, {127, 0xFFFD}, {128, 0x2022}, {140, 0x201E},
      {146, 0x2122}, {147, 0xFB01}, {158, 0x017E}, {159, 0xFFFD}, {160, 0x20AC}, {161, 0x00A1},
      {173, 0xFFFD}, {174, 0x00AE}, {255, 0x00FF},
  };
  for (const auto& c : cases) EXPECT_EQ(PDFDocEncodingTable[c.code], c.unicode) << c.code;
}

TEST(PdfTextString, UnicodeToPdfDocCode) {
  const struct { uint16_t ch; int code; } cases[] = {
      {'A', 65},     {0x2022, 128}, {0x20AC, 160}, {0x0141, 149}, {0x02DC, 31}, {0x0017, 23},
      {0xFFFD, 127}, {0x0016, -1},  {0x00A0, -1},  {0x00AD, -1},  {0x4E2D, -1}, {0x00E9, 0xE9},
  };
  for (const auto& c : cases) EXPECT_EQ(UnicodeToPDFDocCode(c.ch), c.code) << std::hex << c.ch;
}

TEST(PdfTextString, Encoding) {
  EXPECT_EQ(EncodePDFTextString(u"Hello", false), "Hello");
  EXPECT_EQ(EncodePDFTextString(u"caf\u00E9 \u20AC\u2022", false), Hex("63 61 66 E9 20 A0 80"));
  EXPECT_EQ(EncodePDFTextString(u"Hi\u4E2D", false), Hex("FE FF 00 48 00 69 4E 2D"));
  EXPECT_EQ(EncodePDFTextString(u"Hi", true), Hex("FE FF 00 48 00 69"));
  EXPECT_EQ(EncodePDFTextString(u"\U0001F600", false), Hex("FE FF D8 3D DE 00"));
  EXPECT_EQ(EncodePDFTextString(u"", true), "");
  // An unpaired surrogate cannot be written as UTF-16: it becomes U+FFFD.
  EXPECT_EQ(EncodePDFTextString(WideString(1, char16_t(0xD800)), true), Hex("FE FF FF FD"));
}

TEST(PdfTextString, LengthPrefixedText) {
  const WideString wrapped = {char16_t(0xE705), char16_t(0xF800), 'a', 'b', 'c', 'd', 'e', 'f'};
  EXPECT_EQ(UnwrapLengthPrefixedWide(wrapped), u"abcde");
  const WideString longer = {char16_t(0xE7FF), char16_t(0xF8FF), 'x', 'y'};
  EXPECT_EQ(UnwrapLengthPrefixedWide(longer), u"xy") << "cut to the text that is there";
  const WideString plain = {char16_t(0xE705), 'a', 'b'};
  EXPECT_EQ(UnwrapLengthPrefixedWide(plain), plain);
  EXPECT_EQ(UnwrapLengthPrefixedWide(WideString(1, char16_t(0xE705))), WideString(1, char16_t(0xE705)));
  EXPECT_EQ(EncodePDFTextString(wrapped, false), "abcde");
  EXPECT_EQ(EncodePDFTextString({char16_t(0xE700), char16_t(0xF800), 'a'}, false), "");
}
