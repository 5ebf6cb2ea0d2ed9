#include "platform/rtl/code_pages.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePages, BytesToUtf16) {
  const struct {
    uint32_t cp;
    const char* bytes;
    std::u16string wide;
  } cases[] = {
      {1252, "A\x80\xE9", u"A\u20AC\u00E9"},
      {CP_ACP, "\x93x\x94", u"\u201Cx\u201D"},
      {1251, "\xC6\xF3\xEA", u"\u0416\u0443\u043A"},  // Жук
      {1255, "\xE0\xE1", u"\u05D0\u05D1"},
      {437, "\x80\xDB", u"\u00C7\u2588"},
      {CP_OEMCP, "\x9B", u"\u00A2"},
      {852, "\xA5", u"\u0105"},
      {874, "\xA1", u"\u0E01"},
      {932, "a\x82\xA0", u"a\u3042"},     // hiragana a
      {936, "\xC4\xE3", u"\u4F60"},       // ni
      {CP_UTF8, "\xD0\x96", u"\u0416"},
      {1252, "\x81", u"\uFFFD"},          // undefined in the code page
      {932, "\x82", u"\uFFFD"},           // a lead byte without its trail
      {932, "\x82\xA0\x82", u"\u3042\uFFFD"},
      {1234567, "ab", u"\uFFFD\uFFFD"},   // no such code page
      {1252, "", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(MultiByteToWideChar(c.cp, c.bytes), c.wide) << c.cp << " " << c.bytes;
}

// The C library's Korean converter refuses the last sequences having taken every byte up to the
// end: the conversion stops there instead of skipping a byte past the end and reading on.
TEST(CodePages, ARefusalThatTookTheLastBytesEndsTheConversion) {
  const std::string bytes("\xE4\xFE\xA2\xE8\x13\xA2\xE8");
  const WideString wide = MultiByteToWideChar(949, bytes);
  ASSERT_FALSE(wide.empty());
  EXPECT_LE(wide.size(), bytes.size());
  EXPECT_EQ(wide.front(), u'\u984D');
  EXPECT_EQ(wide.back(), u'\uFFFD');
}

TEST(CodePages, Utf16ToBytesWithTheDefaultCharacter) {
  bool usedDefault = true;
  EXPECT_EQ(WideCharToMultiByte(1252, u"A\u20AC\u00E9", '?', &usedDefault), "A\x80\xE9");
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(1252, u"\u0416x", '?', &usedDefault), "?x");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(1251, u"\u0416\u0443\u043A"), "\xC6\xF3\xEA");
  EXPECT_EQ(WideCharToMultiByte(932, u"\u3042"), "\x82\xA0");
  EXPECT_EQ(WideCharToMultiByte(1252, u"a\xD800" u"b", '_'), "a_b");          // an unpaired surrogate
  EXPECT_EQ(WideCharToMultiByte(1252, u"a\U0001F600b", '_'), "a_b");          // a pair is one character
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, u"a\U0001F600"), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(WideCharToMultiByte(1234567, u"ab", '#', &usedDefault), "##");
  EXPECT_TRUE(usedDefault);
  EXPECT_TRUE(IsValidCodePage(1251));
  EXPECT_FALSE(IsValidCodePage(1234567));
  EXPECT_EQ(GetACP(), 1252u);
}

}  // namespace
