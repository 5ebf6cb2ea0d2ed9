// Text of fonts of other character sets, in metafiles written by libUEMF: 8-bit text of an EMF
// and of a WMF comes back from the written document (read by poppler's pdftotext) as the
// characters Python's codecs read the bytes as, and a symbol face draws its own glyphs for its
// private-use characters, its byte codes and the Unicode letters of its encoding, on the
// document road and on the road that draws the picture into a bitmap first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/test_support.h"

namespace {

using testraster::Raster;

std::string Uemf() { return testsupport::BinaryDir() + "/test-fixtures/uemf_text"; }

// The bytes (hex) as the codec reads them, UTF-8.
std::string Decoded(const std::string& hex, const std::string& codec) {
  std::string out;
  testsupport::Run("/usr/bin/python3 -c 'import sys; sys.stdout.write(bytes.fromhex(sys.argv[1]).decode(sys.argv[2]))' " +
                       hex + " " + codec,
                   &out);
  return out;
}

struct Line {
  int charset;
  const char* codec;
  const char* hex;
};

// One line per character set: Cyrillic, Greek, Central European, Turkish, Baltic, OEM, Hebrew,
// Thai, and the double-byte sets of Japanese, Korean and both Chineses.
const std::vector<Line> kLines = {
    {204, "cp1251", "cff0e8e2e5f2"}, {161, "cp1253", "e1e2e3e4"},     {238, "cp1250", "8ae8f8e6"},
    {162, "cp1254", "f0fdfe"},       {186, "cp1257", "e0e8ebf0"},     {255, "cp437", "809a"},
    {177, "cp1255", "f9ece5ed"},     {222, "cp874", "a1a2a3"},        {128, "cp932", "93fa967b8cea"},
    {129, "cp949", "c7d1b1b9"},      {134, "gbk", "d6d0cec4"},       {136, "cp950", "a4a4a4e5"},
};

class MetafileCharsets : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::HaveTool(Uemf())) GTEST_SKIP() << "needs libuemf (uemf_text)";
    if (!testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "needs python3";
  }

  // The picture of the script written as the scene (emf_script or wmf_script); the document
  // road's PDF is kept as text.pdf.
  std::string Write(const std::string& scene, const std::string& script, const std::string& name) {
    testsupport::WriteFile(dir.File(name + ".txt"), script);
    const std::string file = dir.File(name);
    if (testsupport::Run(Uemf() + " " + scene + " " + file + " < " + dir.File(name + ".txt")) != 0) return "";
    return file;
  }

  testsupport::TempDir dir;
};

TEST_F(MetafileCharsets, EightBitTextComesBackAsTheCharactersOfItsCodePage) {
  REQUIRE_TOOL("pdftotext");
  std::string script = "align 24\n";
  int y = 20;
  for (const Line& l : kLines) {
    script += "cfont Arial -24 400 0 0 " + std::to_string(l.charset) + "\n";
    // Advances of 12 units a byte: a character of two bytes takes 24.
    script += "bytes 10 " + std::to_string(y) + " " + l.hex;
    for (size_t i = 0; i < std::string(l.hex).size() / 2; ++i) script += " 12";
    script += "\n";
    y += 22;
  }
  for (const char* scene : {"emf_script", "wmf_script"}) {
    const std::string file = Write(scene, script, std::string(scene) == "emf_script" ? "text.emf" : "text.wmf");
    ASSERT_FALSE(file.empty()) << scene;
    const std::string pdf = dir.File("text.pdf");
    std::string message;
    const Raster page = mftest::RenderThroughApi(file, 96, 0, &message, pdf);
    ASSERT_EQ(page.Width, 384) << scene << " " << message;
    // Each line is drawn, through a face that has its glyphs (no Thai face is installed).
    for (size_t i = 0; i < kLines.size(); ++i) {
      if (kLines[i].charset == 222) continue;
      const int baseline = 20 + 22 * int(i);
      EXPECT_GT(mftest::CountColor(page, 0, baseline - 20, 200, baseline + 2, 0x000000, 100), 30)
          << scene << " " << kLines[i].codec;
    }
    std::string extracted;
    ASSERT_EQ(testsupport::Run("pdftotext -enc UTF-8 " + pdf + " - 2>&1", &extracted), 0);
    // pdftotext puts blanks where characters stand apart, and marks right-to-left runs.
    std::u16string kept;
    for (const char16_t c : Utf8ToWide(extracted))
      if (c != u' ' && c != u'\n' && !(c >= 0x202A && c <= 0x202E)) kept += c;
    const std::string text = WideToUtf8(kept);
    for (const Line& l : kLines) {
      std::string want = Decoded(l.hex, l.codec);
      ASSERT_FALSE(want.empty()) << l.codec;
      // Hebrew is shown right to left; the extracted text is in either order.
      if (l.charset == 177) {
        const std::u16string w = Utf8ToWide(want);
        const std::string reversed = WideToUtf8(std::u16string(w.rbegin(), w.rend()));
        EXPECT_TRUE(text.find(want) != std::string::npos || text.find(reversed) != std::string::npos)
            << scene << " " << l.codec << " in " << text;
        continue;
      }
      EXPECT_NE(text.find(want), std::string::npos) << scene << " " << l.codec << ": " << want << " in " << text;
    }
  }
}

// The ink of the three strings drawn in the symbol face, each in its own third of the picture.
struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  int count = 0;
};
Ink InkIn(const Raster& r, int third) {
  const int x0 = r.Width * third / 3, x1 = r.Width * (third + 1) / 3;
  Ink ink;
  for (int y = 0; y < r.Height; ++y)
    for (int x = x0; x < x1 && x < r.Width; ++x) {
      if (mftest::CountColor(r, x, y, x + 1, y + 1, 0x000000, 110) == 0) continue;
      ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      ++ink.count;
    }
  return ink;
}

// "a" under the symbol character set, U+F061 and U+03B1 are the face's alpha: the same glyph,
// drawn on the document road; the bitmap road draws the first two (U+03B1 is not a character
// of the face's own map).
TEST_F(MetafileCharsets, TheSymbolFaceDrawsItsOwnGlyphs) {
  const std::string script =
      "align 24\n"
      "cfont Symbol -60 400 0 0 2\n"
      "bytes 20 100 61 40\n"
      "font Symbol -60 0 400 0 0\n"
      "text 148 100 0 0 0 0 0 \xEF\x81\xA1 40\n"
      "text 276 100 0 0 0 0 0 \xCE\xB1 40\n";
  const std::string emf = Write("emf_script", script, "symbol.emf");
  ASSERT_FALSE(emf.empty());
  std::string message;
  const Raster document = mftest::RenderThroughApi(emf, 96, 0, &message);
  ASSERT_EQ(document.Width, 384) << message;
  // The bitmap road draws the picture at the reference device's size first.
  const Raster bitmap = mftest::RenderThroughApi(emf, 96, 0, &message, "", -1);
  ASSERT_GT(bitmap.Width, 0) << message;
  const Ink byte = InkIn(document, 0), privateUse = InkIn(document, 1), greek = InkIn(document, 2);
  ASSERT_GT(byte.count, 100);
  for (const Ink* other : {&privateUse, &greek}) {
    ASSERT_GT(other->count, 100);
    EXPECT_LE(std::abs((other->right - other->left) - (byte.right - byte.left)), 1);
    EXPECT_LE(std::abs(other->top - byte.top), 1);
    EXPECT_LE(std::abs(other->bottom - byte.bottom), 1);
    EXPECT_NEAR(other->count, byte.count, byte.count / 10);
  }
  const Ink drawnByte = InkIn(bitmap, 0), drawnPrivateUse = InkIn(bitmap, 1);
  ASSERT_GT(drawnByte.count, 100);
  ASSERT_GT(drawnPrivateUse.count, 100);
  EXPECT_LE(std::abs((drawnPrivateUse.right - drawnPrivateUse.left) - (drawnByte.right - drawnByte.left)), 1);
  EXPECT_LE(std::abs(drawnPrivateUse.top - drawnByte.top), 1);
  EXPECT_NEAR(drawnPrivateUse.count, drawnByte.count, drawnByte.count / 10);
  // Both roads draw the same alpha: as wide against its height.
  const double documentShape = double(byte.right - byte.left + 1) / (byte.bottom - byte.top + 1);
  const double bitmapShape = double(drawnByte.right - drawnByte.left + 1) / (drawnByte.bottom - drawnByte.top + 1);
  EXPECT_NEAR(documentShape, bitmapShape, 0.1);
}

// Text in the selected face and Type 3 text drawn from the same face sit alike: "HH" and "ЖЖ"
// (capitals of one height) at one reference point, top, bottom and baseline aligned, at an em
// of 40 pixels and in a cell of 40 pixels, ink from the same rows.
TEST_F(MetafileCharsets, Type3TextIsAlignedByTheFacesCell) {
  for (const int height : {-40, 40}) {
    for (const int align : {0, 8, 24}) {
      const std::string script = "font Arial " + std::to_string(height) + " 0 400 0 0\nalign " + std::to_string(align) +
                                 "\ncolour 220 0 0\ntext 10 120 0 0 0 0 0 HH 30 30\n"
                                 "colour 0 0 230\ntext 200 120 0 0 0 0 0 \xD0\x96\xD0\x96 38 38\n";
      const std::string emf = Write("emf_script", script, "align.emf");
      ASSERT_FALSE(emf.empty());
      std::string message;
      const Raster page = mftest::RenderThroughApi(emf, 96, 0, &message);
      ASSERT_EQ(page.Width, 384) << message;
      auto rows = [&](int x0, int x1, uint32_t rgb) {
        int top = page.Height, bottom = -1;
        for (int y = 0; y < page.Height; ++y)
          if (mftest::CountColor(page, x0, y, x1, y + 1, rgb, 60) > 0) top = std::min(top, y), bottom = std::max(bottom, y);
        return std::pair<int, int>{top, bottom};
      };
      const auto latin = rows(0, 190, 0xDC0000), cyrillic = rows(190, 384, 0x0000E6);
      SCOPED_TRACE(std::to_string(height) + " " + std::to_string(align));
      ASSERT_LE(latin.first, latin.second);
      ASSERT_LE(cyrillic.first, cyrillic.second);
      EXPECT_LE(std::abs(latin.first - cyrillic.first), 1) << latin.first << " " << cyrillic.first;
      EXPECT_LE(std::abs(latin.second - cyrillic.second), 1) << latin.second << " " << cyrillic.second;
    }
  }
}

}  // namespace
