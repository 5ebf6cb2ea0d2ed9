#include "pdf/core/encodings/glyph_list.h"

#include <gtest/gtest.h>

#include <string>

#include "pdf/core/encodings/dingbats_font.h"
#include "pdf/core/encodings/font_family_list.h"
#include "platform/gdi/font.h"

namespace {

TEST(GlyphNameToUnicode, GlyphListEntries) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"A", 0x0041},         {"AEmacron", 0x01E2}, {"a", 0x0061},      {"Euro", 0x20AC},
      {"zcaron", 0x017E},    {"afii10017", 0x0410}, {"dalethatafpatah", 0x05D3},  // first of two
      {"zukatakana", 0x30BA}, {"ycircle", 0x24E8}, {"Zuhiragana", 0}, {"uni0041", 0},
      {"", 0},               {"1", 0},             {".notdef", 0},     {"{", 0},
      {"\xC3\xA9", 0},       {"A ", 0},            {"Aacutex", 0},     {"a1", 0},
  };
  for (const auto& [name, value] : cases) EXPECT_EQ(GlyphNameToUnicode(name), value) << name;
}

TEST(GlyphNameToCodePoint, ReadsUniAndUNames) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"uni0041", 0x41},       {"uni00410042", 0x41}, {"uni0041.sc", 0x41}, {"u1F600", 0x1F600},
      {"u0041", 0x41},         {"u10FFFF", 0x10FFFF}, {"u110000", 0},       {"uD800", 0},
      {"uniD800", 0},          {"uni00af", 0},        {"uni004", 0},        {"uni0041004", 0},
      {"uni0041D800", 0},      {"u004", 0},           {"u0041000", 0},      {"a.sc", 0x61},
      {"f_i", 0x66},           {"AEmacron", 0x1E2},   {"", 0},              {"bogus", 0},
  };
  for (const auto& [name, value] : cases) EXPECT_EQ(GlyphNameToCodePoint(name), value) << name;
}

// Whole names as the glyph naming convention reads them: every component after the suffix is
// cut, every group of a "uni" name; a component nothing reads adds nothing.
TEST(GlyphNameToText, ReadsNamesAsTheNamingConventionDoes) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"uni0416", u"\u0416"},       {"uni00410042", u"AB"},      {"uni004100420043", u"ABC"},
      {"u1F600", u"\U0001F600"},    {"u10FFFF", u"\U0010FFFF"}, {"u0041", u"A"},
      {"uni0041.sc", u"A"},         {"f_f_i", u"ffi"},           {"f_i.liga", u"fi"},
      {"uni0041_u1F600", u"A\U0001F600"}, {"uni0041_bogus_B", u"AB"}, {"Zhecyrillic", u"\u0416"},
      {"uniE000", u"\uE000"},       {"uni0041D800", u""},        {"uni00af", u""},
      {"u110000", u""},             {"uD800", u""},              {"uni004", u""},
      {".notdef", u""},             {"_", u""},                  {"", u""},
      {"bogus", u""},               {"__A__", u"A"},             {"A.B_C", u"A"},
  };
  for (const auto& [name, text] : cases) EXPECT_EQ(GlyphNameToText(name), text) << name;
}

// A TrueType font with the tables a face needs, whose glyph names are those of ZapfDingbats.
TEST(DingbatsFont, IsACompleteTrueTypeFace) {
  std::string font;
  LoadDingbatsFont(font);
  ASSERT_GT(font.size(), 20000u);
  EXPECT_EQ(font.substr(0, 4), std::string("\x00\x01\x00\x00", 4));
  const int tables = static_cast<uint8_t>(font[4]) << 8 | static_cast<uint8_t>(font[5]);
  std::string tags;
  for (int i = 0; i < tables; ++i) tags += font.substr(12 + 16 * static_cast<size_t>(i), 4) + " ";
  EXPECT_EQ(tags, "OS/2 PCLT cmap glyf head hhea hmtx loca maxp name post ");
  EXPECT_NE(font.find("a191"), std::string::npos);  // post table names
  EXPECT_EQ(LoadGlyphList(), font);                   // inflated anew each call
}

TEST(FontFamilyList, SortedCachedPerCharacterSet) {
  TTalvoPDFStringList* list = GetFontFamilyList(DEFAULT_CHARSET);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GetFontFamilyList(DEFAULT_CHARSET), list);
  EXPECT_TRUE(list->Sorted());
  EXPECT_GE(list->IndexOf("DejaVu Sans"), 0);
  for (int i = 0; i < list->Count(); ++i) {
    EXPECT_NE(list->Get(i).substr(0, 1), "@");
    if (i > 0) {
      EXPECT_LT(list->CompareStrings(list->Get(i - 1), list->Get(i)), 0);
    }
  }
  EXPECT_NE(GetFontFamilyList(SHIFTJIS_CHARSET), list);
}

}  // namespace
