// How text records are sized and placed: a positive height is the character cell, a stock
// font's size is in points of the reference device, sizes and advances follow the transform
// along and across the baseline, a box at the reference point moves nothing, Type 3 text is
// measured at its real size, and the opaque boxes of SMALLTEXTOUT and POLYTEXTOUT. The picture
// is 200 x 100 pixels: one logical unit is one pixel, ten content units (within the rounding
// of the frame to whole hundredths of a millimetre, about 0.05 %).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/core/objects/pdf_objects.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"

namespace {

using namespace mftest;

constexpr uint32_t kGreen = 0x00FF00, kGreenRGB = 0x00FF00;

Record Font(uint32_t index, int32_t height, const std::u16string& face, int32_t escapement = 0) {
  Bytes b;
  b.U32(index).I32(height).I32(0).I32(escapement).I32(escapement).I32(400);
  b.b.insert(b.b.end(), {0, 0, 0, 1});
  b.U32(0);
  for (size_t i = 0; i < 32; ++i) b.U16(i < face.size() ? face[i] : 0);
  return Rec(82, b);
}

// The text part of EXTTEXTOUTW and of a POLYTEXTOUTW entry (at `at` in the record), its
// characters and advances placed from `dataAt` on.
void TextEntry(Bytes& b, int32_t x, int32_t y, const std::u16string& text, uint32_t options,
               const std::array<int32_t, 4>& rect, uint32_t textAt, const std::vector<int32_t>& dx) {
  const uint32_t dxAt = dx.empty() ? 0 : uint32_t(textAt + (text.size() * 2 + 3) / 4 * 4);
  b.Pt(x, y).U32(uint32_t(text.size())).U32(textAt).U32(options).Rect(rect[0], rect[1], rect[2], rect[3]).U32(dxAt);
}
void TextData(Bytes& b, const std::u16string& text, const std::vector<int32_t>& dx) {
  for (char16_t c : text) b.U16(c);
  while (b.b.size() % 4 != 0) b.b.push_back(0);
  for (int32_t d : dx) b.I32(d);
}
Record TextW(int32_t x, int32_t y, const std::u16string& text, const std::vector<int32_t>& dx = {},
             uint32_t options = 0, std::array<int32_t, 4> rect = {0, 0, 0, 0}) {
  Bytes b;
  b.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1);
  TextEntry(b, x, y, text, options, rect, 76, dx);
  TextData(b, text, dx);
  return Rec(84, b);
}
Record Align(uint32_t a) { return Rec(22, Bytes().U32(a)); }
const Record kQuarterTurn = Rec(35, Bytes().F32(0).F32(1).F32(-1).F32(0).F32(150).F32(0));

// The size of the first "/name size Tf" line of a font, or -1.
double TfSize(const std::string& content, const std::string& font) {
  const size_t at = content.find("/" + font + " ");
  if (at == std::string::npos) return -1;
  return std::stod(content.substr(at + font.size() + 2));
}

// The numbers of the first "... Tm" line.
std::vector<double> Tm(const std::string& content) {
  const size_t end = content.find(" Tm\n");
  if (end == std::string::npos) return {};
  const size_t start = content.rfind('\n', end) + 1;
  std::vector<double> n;
  std::string line = content.substr(start, end - start);
  for (size_t i = 0; i < line.size();) {
    size_t used = 0;
    n.push_back(std::stod(line.substr(i), &used));
    i += used;
  }
  return n;
}

struct Converted {
  std::string content;
  Converter c;
  explicit Converted(const std::vector<Record>& records) { content = c.Convert(records, 200, 100); }
  TPDFFont* Font(uint8_t kind) const {
    for (TPDFFont* f : c.lists->fonts)
      if (f->Kind() == kind) return f;
    return nullptr;
  }
  TPDFFont* First() const { return c.lists->fonts.empty() ? nullptr : c.lists->fonts.front(); }
};

TEST(MetafileTextPlacement, SizesFollowTheCellThePointsAndTheTransform) {
  // A positive height is the character cell: the em is the part of it the face's cell
  // height (at an em of 1000) leaves.
  {
    Converted c({Font(1, 20, u"Arial"), Select(1), TextW(10, 50, u"cell")});
    ASSERT_NE(c.First(), nullptr);
    EXPECT_NEAR(TfSize(c.content, c.First()->Name()), 200.0 * 1000 / c.First()->Height, 0.2) << c.content;
  }
  // A stock font's 8 points on the 96-dpi reference device.
  {
    Converted c({Select(0x8000000B), TextW(10, 50, u"stock")});
    ASSERT_NE(c.First(), nullptr);
    EXPECT_NEAR(TfSize(c.content, c.First()->Name()), 8.0 / 72 * 96 * 10, 0.2) << c.content;
  }
  // The size is measured across the baseline: an anisotropic mapping twice as wide as high
  // keeps the height, and a quarter turn keeps the size.
  {
    Converted c({Rec(17, Bytes().U32(8)), Two(9, 100, 100), Two(11, 200, 100), Font(1, -20, u"Arial"), Select(1),
                 TextW(10, 50, u"wide")});
    EXPECT_NEAR(TfSize(c.content, c.First()->Name()), 200, 0.2) << c.content;
  }
  {
    Converted c({kQuarterTurn, Font(1, -20, u"Arial"), Select(1), TextW(10, 50, u"ab", {20, 20})});
    EXPECT_NEAR(TfSize(c.content, c.First()->Name()), 200, 0.2) << c.content;
    // Advances run along the turned baseline, at their full length.
    const size_t td = c.content.find(" 0 Td\n(b)");
    ASSERT_NE(td, std::string::npos) << c.content;
    EXPECT_NEAR(std::stod(c.content.substr(c.content.rfind('\n', td) + 1)), 200, 0.2) << c.content;
  }
}

TEST(MetafileTextPlacement, ABoxAtTheReferencePointMovesNothing) {
  Converted plain({Font(1, -20, u"Arial"), Select(1), TextW(50, 50, u"ab")});
  Converted boxed({Font(1, -20, u"Arial"), Select(1), TextW(50, 50, u"ab", {}, 0, {50, 50, 120, 80})});
  const std::vector<double> a = Tm(plain.content), b = Tm(boxed.content);
  ASSERT_EQ(a.size(), 6u) << plain.content;
  ASSERT_EQ(b.size(), 6u) << boxed.content;
  EXPECT_DOUBLE_EQ(a[4], b[4]);
  EXPECT_DOUBLE_EQ(a[5], b[5]);
}

// Text beyond WinAnsiEncoding goes through a Type 3 font of a 0.001 matrix used at the text's
// own size, so that it measures as it draws: right-aligned, it ends at the reference point.
TEST(MetafileTextPlacement, Type3TextIsMeasuredAtItsSize) {
  Converted c({Font(1, -20, u"Arial"), Select(1), Align(2 | 24), TextW(150, 50, u"Жук")});
  TPDFFont* type3 = c.Font(6);
  ASSERT_NE(type3, nullptr);
  EXPECT_NEAR(TfSize(c.content, type3->Name()), 200, 0.2) << c.content;
  const auto* matrix = PDFCast<TPDFArray>(type3->Dict()->GetValue("FontMatrix", true));
  ASSERT_NE(matrix, nullptr);
  const double unit = PDFCast<TPDFNumeric>(matrix->GetItem(0))->Value();
  EXPECT_DOUBLE_EQ(unit, 0.001);
  // The text's width as drawn: its glyphs' advances (1000 an em) at the em the size and the
  // font's matrix make.
  const double em = TfSize(c.content, type3->Name()) * unit * 1000;
  double width = 0;
  for (char16_t ch : std::u16string(u"Жук")) {
    const std::string code = type3->EncodeText(std::u16string(1, ch));
    ASSERT_EQ(code.size(), 1u);
    width += type3->GetCodeWidth(uint8_t(code[0])) * em / 1000.0;
  }
  ASSERT_GT(width, 100);
  const std::vector<double> tm = Tm(c.content);
  ASSERT_EQ(tm.size(), 6u);
  EXPECT_NEAR(tm[4] + width, 1500, 0.8);
}

// SMALLTEXTOUT and each POLYTEXTOUT string paint their opaque box in the background colour;
// POLYTEXTOUTW text beyond WinAnsiEncoding goes through a Type 3 font.
TEST(MetafileTextPlacement, SmallAndPolyTextPaintTheirBoxes) {
  const Record green = Rec(25, Bytes().U32(kGreen));
  Bytes small;
  small.Pt(20, 20).U32(2).U32(0x200 | 2).U32(1).F32(1).F32(1).Rect(10, 10, 60, 40);
  small.b.insert(small.b.end(), {'h', 'i'});
  Bytes poly;
  poly.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).U32(1);
  TextEntry(poly, 120, 20, u"Жук", 2, {110, 10, 190, 40}, 80, {});
  TextData(poly, u"Жук", {});
  std::string content;
  const auto r = Draw({Font(1, -12, u"Arial"), Select(1), green, Rec(108, small), Rec(97, poly)}, 200, 100, &content);
  EXPECT_EQ(Pixel(r, 12, 38), kGreenRGB) << content;
  EXPECT_EQ(Pixel(r, 188, 38), kGreenRGB) << content;
  Converted c({Font(1, -12, u"Arial"), Select(1), Rec(97, poly)});
  EXPECT_NE(c.Font(6), nullptr) << c.content;
}

// SMALLTEXTOUT's 16-bit text is put in display order as EXTTEXTOUTW's: Hebrew letters reversed.
TEST(MetafileTextPlacement, SmallTextIsPutInDisplayOrder) {
  Bytes small;
  small.Pt(20, 20).U32(2).U32(0x100).U32(1).F32(1).F32(1).U16(0x05D0).U16(0x05D1);
  Converted c({Font(1, -12, u"Arial"), Select(1), Rec(108, small)});
  TPDFFont* type3 = c.Font(6);
  ASSERT_NE(type3, nullptr);
  const std::string alef = type3->EncodeText(u"\u05D0"), bet = type3->EncodeText(u"\u05D1");
  ASSERT_EQ(alef.size(), 1u);
  ASSERT_EQ(bet.size(), 1u);
  std::string shown = "(" + bet + alef + ")Tj";
  EXPECT_NE(c.content.find(shown), std::string::npos) << c.content;
}

}  // namespace
