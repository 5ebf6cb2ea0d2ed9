#include "platform/rtl/code_pages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

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
      {CP_SYMBOL, "a\xB1", u"\uF061\uF0B1"},               // a symbol font's own codes
      {1258, "a\xEC", u"a\u0301"},                         // the accent stays a character of its own
      {932, "\x80\xA0\xFD\xFF", u"\u0080\uF8F0\uF8F1\uF8F3"},  // single bytes Windows reads
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

// Python's codecs are the oracle: every single byte and every two-byte sequence of each code
// page that a font character set reads its text in, as one character at a time.
TEST(CodePages, EveryCharacterOfTheFontCodePagesReadsAsPythonsCodecs) {
  REQUIRE_TOOL("/usr/bin/python3");
  const struct {
    uint8_t charset;
    const char* codec;
  } sets[] = {{0, "cp1252"},   {128, "cp932"},  {129, "cp949"},  {134, "gbk"},    {136, "cp950"},
              {161, "cp1253"}, {162, "cp1254"}, {163, "cp1258"}, {177, "cp1255"}, {178, "cp1256"},
              {186, "cp1257"}, {204, "cp1251"}, {222, "cp874"},  {238, "cp1250"}, {255, "cp437"}};
  for (const auto& set : sets) {
    // Python writes one line per character it defines: the bytes and the UTF-16 units, in hex.
    const std::string script =
        "import sys\n"
        "c = sys.argv[1]\n"
        "units = [bytes([b]) for b in range(256)] + [bytes([l, t]) for l in range(0x81, 0xFF) for t in range(0x40, 0xFF)]\n"
        "for u in units:\n"
        "    try: s = u.decode(c)\n"
        "    except UnicodeDecodeError: continue\n"
        "    if len(s) != 1: continue\n"
        "    print(u.hex(), s.encode('utf-16-be').hex())\n";
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("decode.py"), script);
    std::string out;
    ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("decode.py") + " " + set.codec, &out), 0) << set.codec;
    const uint32_t codePage = CharsetCodePage(set.charset);
    std::istringstream lines(out);
    std::string hex, want;
    int compared = 0, differing = 0;
    while (lines >> hex >> want) {
      std::string bytes;
      for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
      // Windows reads the extensions of 950 at C6A1..C8FE as private-use characters, where
      // Python gives the kana and signs they were once meant for.
      if (codePage == 950 && bytes.size() == 2 && uint8_t(bytes[0]) >= 0xC6 && uint8_t(bytes[0]) <= 0xC8) continue;
      std::vector<size_t> firstByte;
      const WideString got = MultiByteToWideCharUnits(codePage, bytes, firstByte);
      std::string gotHex;
      char buf[8];
      for (char16_t c : got) std::snprintf(buf, sizeof buf, "%04x", unsigned(c)), gotHex += buf;
      ++compared;
      if (gotHex != want && ++differing <= 5) ADD_FAILURE() << set.codec << " " << hex << ": " << gotHex << " for " << want;
    }
    EXPECT_EQ(differing, 0) << set.codec;
    EXPECT_GT(compared, set.charset == 0 || set.charset > 136 ? 120 : 5000) << set.codec;
  }
}

TEST(CodePages, CharacterSetsReadInTheirCodePages) {
  const std::pair<uint8_t, uint32_t> sets[] = {{0, 1252},   {1, 1252},   {2, CP_SYMBOL}, {77, 10000}, {128, 932},
                                               {129, 949},  {130, 1361}, {134, 936},     {136, 950},  {161, 1253},
                                               {162, 1254}, {163, 1258}, {177, 1255},    {178, 1256}, {186, 1257},
                                               {204, 1251}, {222, 874},  {238, 1250},    {255, 437},  {99, 1252}};
  for (const auto& [charset, codePage] : sets) EXPECT_EQ(CharsetCodePage(charset), codePage) << int(charset);
}

// Each character's first byte: a two-byte character spans two, a byte the code page lacks one.
TEST(CodePages, CharactersKnowTheBytesTheyCameFrom) {
  std::vector<size_t> firstByte;
  EXPECT_EQ(MultiByteToWideCharUnits(932, "a\x93\xFA\x82 \x82", firstByte), u"a\u65E5\uFFFD \uFFFD");
  EXPECT_EQ(firstByte, (std::vector<size_t>{0, 1, 3, 4, 5}));
  EXPECT_EQ(MultiByteToWideCharUnits(1251, "\xCF\xF0", firstByte), u"\u041F\u0440");
  EXPECT_EQ(firstByte, (std::vector<size_t>{0, 1}));
  EXPECT_TRUE(MultiByteToWideCharUnits(936, "", firstByte).empty());
  EXPECT_TRUE(firstByte.empty());
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x93));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA0));
  EXPECT_FALSE(IsDBCSLeadByteEx(1251, 0xCF));
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
