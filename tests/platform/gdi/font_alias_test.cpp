// Which installed face answers a platform face name: the alias table first, then fontconfig by
// family, weight, slant and character set. The test support pins fontconfig to the project's own
// configuration (tests/data/fonts/fonts.conf), so the answers do not depend on the machine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "platform/gdi/font_faces.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "tests/support/test_support.h"

namespace {

struct AliasCase {
  const char* face;
  uint8_t charSet;
  const char* family;  // the family fontconfig must answer with
};

const AliasCase kAliases[] = {
    {"Arial", ANSI_CHARSET, "Liberation Sans"},
    {"Times New Roman", ANSI_CHARSET, "Liberation Serif"},
    {"Courier New", ANSI_CHARSET, "Liberation Mono"},
    {"Symbol", SYMBOL_CHARSET, "Standard Symbols PS"},
    {"MS Mincho", SHIFTJIS_CHARSET, "IPAMincho"},
    {"MS PMincho", SHIFTJIS_CHARSET, "IPAPMincho"},
    {"MS Gothic", SHIFTJIS_CHARSET, "IPAGothic"},
    {"MS PGothic", SHIFTJIS_CHARSET, "IPAPGothic"},
    {"MSPGothic", SHIFTJIS_CHARSET, "IPAPGothic"},
    {"\xef\xbc\xad\xef\xbc\xb3 \xe6\x98\x8e\xe6\x9c\x9d", SHIFTJIS_CHARSET, "IPAMincho"},  // native MS Mincho
    {"SimSun", GB2312_CHARSET, "AR PL UMing CN"},
    {"NSimSun", GB2312_CHARSET, "AR PL UMing CN"},
    {"MingLiU", CHINESEBIG5_CHARSET, "AR PL UMing TW"},
    {"PMingLiU", CHINESEBIG5_CHARSET, "AR PL UMing TW"},
    {"DFKai-SB", CHINESEBIG5_CHARSET, "AR PL UKai TW"},
    {"Dotum", HANGEUL_CHARSET, "NanumGothic"},
    {"Batang", HANGEUL_CHARSET, "NanumMyeongjo"},
};

bool Pinned() {
  const char* file = std::getenv("FONTCONFIG_FILE");
  return testsupport::FontsPinned() && file != nullptr && std::string(file).ends_with("tests/data/fonts/fonts.conf");
}

}  // namespace

TEST(FontAlias, TableAnswersInstalledSubstitutes) {
  if (!Pinned()) GTEST_SKIP() << "fontconfig is not pinned to the project configuration";
  for (const AliasCase& c : kAliases) {
    const ResolvedFace face = ResolveFace(c.face, FW_NORMAL, false, false, c.charSet);
    EXPECT_EQ(face.family, c.family) << c.face;
    EXPECT_TRUE(std::filesystem::exists(face.file)) << c.face;
  }
}

TEST(FontAlias, UnknownNamesStillGetAFace) {
  for (const uint8_t charSet : {ANSI_CHARSET, SHIFTJIS_CHARSET, GB2312_CHARSET, HANGEUL_CHARSET}) {
    const ResolvedFace face = ResolveFace("No Such Face 12345", FW_BOLD, true, false, charSet);
    EXPECT_FALSE(face.file.empty()) << int(charSet);
  }
}

TEST(FontAlias, CharacterSetPicksACoveringFace) {
  if (!Pinned()) GTEST_SKIP() << "fontconfig is not pinned to the project configuration";
  // A Western name with a Japanese character set must still cover Japanese text.
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(10, 10);
  LOGFONTA lf;
  lf.lfHeight = -100;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  std::strncpy(lf.lfFaceName, "No Such Face", LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectA(lf);
  HDC dc = bmp.Canvas().Handle();
  HGDIOBJ old = SelectObject(dc, font);
  GLYPHMETRICS gm;
  EXPECT_NE(GetGlyphOutlineW(dc, 0x3042 /* hiragana a */, GGO_NATIVE, &gm, 0, nullptr, nullptr), GDI_ERROR);
  EXPECT_GT(gm.gmBlackBoxX, 10u);
  SelectObject(dc, old);
  DeleteObject(font);
}

TEST(FontAlias, CharSetLanguages) {
  EXPECT_EQ(CharSetLanguage(SHIFTJIS_CHARSET), "ja");
  EXPECT_EQ(CharSetLanguage(GB2312_CHARSET), "zh-cn");
  EXPECT_EQ(CharSetLanguage(CHINESEBIG5_CHARSET), "zh-tw");
  EXPECT_EQ(CharSetLanguage(HANGEUL_CHARSET), "ko");
  EXPECT_EQ(CharSetLanguage(ANSI_CHARSET), "");
  EXPECT_EQ(CharSetLanguage(SYMBOL_CHARSET), "");
}

TEST(FontResources, PrivateFontByFileName) {
  testsupport::TempDir dir;
  const std::string copy = dir.File("velmora-private.ttf");
  // A face no other test sees, under a family name of its own.
  const std::string source = ResolveFace("Courier New", FW_NORMAL, false, false).file;
  ASSERT_FALSE(source.empty());
  testsupport::WriteFile(copy, testsupport::ReadFile(source));
  const std::u16string wide = FileNameToWide(copy);
  EXPECT_EQ(AddFontResourceExW(wide.c_str(), FR_PRIVATE | 0x1000, nullptr), 0);  // unknown flag
  int reserved = 0;
  EXPECT_EQ(AddFontResourceExW(wide.c_str(), FR_PRIVATE, &reserved), 0);
  ASSERT_EQ(AddFontResourceExW(wide.c_str(), FR_PRIVATE, nullptr), 1);
  EXPECT_TRUE(RemoveFontResourceExW(wide.c_str(), FR_PRIVATE, nullptr));
  EXPECT_FALSE(RemoveFontResourceExW(wide.c_str(), FR_PRIVATE, nullptr));  // already gone
}
