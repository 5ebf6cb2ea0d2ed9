// The converter's device-context model where records mean what the file format and the
// player define: the world transform's set mode, the isotropic mapping, the fixed modes' unit
// sizes, the miter limit written either way, the default pen, the DC brush and pen, and an
// object index created again. Drawn through our renderer; a logical unit is one pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "pdf/content/metafile/pdf_metafile.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"

namespace {

using namespace mftest;

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;  // COLORREF
constexpr uint32_t kRedRGB = 0xFF0000, kBlueRGB = 0x0000FF, kGreenRGB = 0x00FF00, kWhite = 0xFFFFFF, kBlack = 0;

Record World(uint32_t type, float m11, float m12, float m21, float m22, float dx, float dy, int32_t mode = -1) {
  Bytes b;
  b.F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy);
  if (mode >= 0) b.U32(uint32_t(mode));
  return Rec(type, b);
}

struct PictureCase {
  const char* name;
  std::vector<Record> records;
  std::vector<std::pair<std::pair<int, int>, uint32_t>> pixels;  // (x, y) and the colour expected there
};

TEST(MetafileFrame, RecordsDrawAsTheFormatAndThePlayerDefineThem) {
  const std::vector<PictureCase> cases = {
      // The format's fourth mode of MODIFYWORLDTRANSFORM sets the transform as SETWORLDTRANSFORM.
      {"world transform set by its fourth mode",
       {World(36, 0.5f, 0, 0, 0.5f, 0, 0, 4), SolidBrush(1, kRed), Select(1), Select(kNullPen),
        Rectangle(20, 20, 100, 100)},
       {{{30, 30}, kRedRGB}, {{55, 55}, kWhite}, {{5, 5}, kWhite}}},
      // The identity mode reads no matrix, so an unusable one there does not stop it.
      {"identity whatever the matrix says",
       {World(35, 0.5f, 0, 0, 0.5f, 0, 0), World(36, NAN, 0, 0, 1, 0, 0, 1), SolidBrush(1, kRed), Select(1),
        Select(kNullPen), Rectangle(20, 20, 100, 100)},
       {{{60, 60}, kRedRGB}, {{15, 15}, kWhite}}},
      // Isotropic: both axes take the smaller scale, so a square stays square.
      {"isotropic mapping",
       {One(17, 7), Two(9, 100, 100), Two(11, 96, 48), SolidBrush(1, kRed), Select(1), Select(kNullPen),
        Rectangle(0, 0, 100, 100)},
       {{{24, 24}, kRedRGB}, {{70, 24}, kWhite}, {{24, 60}, kWhite}}},
      // Before any pen is selected the player draws with its black pen.
      {"the default pen outlines",
       {SolidBrush(1, kRed), Select(1), Rectangle(10, 10, 80, 60)},
       {{{40, 35}, kRedRGB}, {{10, 35}, kBlack}, {{40, 10}, kBlack}}},
      // Stock objects 18 and 19 are the DC brush and pen, white and black unless a program set
      // their colours (which no record does).
      {"DC brush and DC pen",
       {SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2), Select(0x80000012), Select(0x80000013),
        Rectangle(10, 10, 80, 60)},
       {{{40, 35}, kWhite}, {{10, 35}, kBlack}}},
      // An index created again holds the newest object, as the player's handle table does.
      {"an index created again",
       {SolidBrush(1, kRed), SolidBrush(1, kGreen), Select(1), Select(kNullPen), Rectangle(10, 10, 80, 60)},
       {{{40, 35}, kGreenRGB}}},
      // A plain pen wider than a pixel draws round ends (here half its width past the end).
      {"round ends of a wide pen",
       {Pen(2, 0, 9, kBlue), Select(2), Two(27, 20, 36), Two(54, 70, 36)},
       {{{73, 36}, kBlueRGB}, {{17, 36}, kBlueRGB}, {{75, 36}, kWhite}}},
      // A pen's width is in the logical units in force when it draws: made before the mapping
      // doubles them, it draws 8 pixels wide.
      {"a pen made before the mapping changes",
       {Pen(2, 0, 4, kBlue), One(17, 8), Two(9, 48, 36), Two(11, 96, 72), Select(2), Two(27, 5, 18), Two(54, 40, 18)},
       {{{45, 33}, kBlueRGB}, {{45, 39}, kBlueRGB}, {{45, 29}, kWhite}}},
      // A user style of an odd number of entries alternates through the list: 12 on, 4 off,
      // 8 on, then 12 off, 4 on, 8 off (not its last entry repeated).
      {"user style of three entries",
       {Rec(95, Bytes().U32(2).U32(0).U32(0).U32(0).U32(0).U32(0x10000 | 0x200 | 7).U32(4).U32(0).U32(kBlue).U32(0)
                    .U32(3).U32(12).U32(4).U32(8)),
        Select(2), Two(27, 0, 36), Two(54, 96, 36)},
       {{{5, 36}, kBlueRGB}, {{14, 36}, kWhite}, {{20, 36}, kBlueRGB}, {{34, 36}, kWhite}, {{38, 36}, kBlueRGB},
        {{42, 36}, kWhite}, {{53, 36}, kBlueRGB}}},
      // A pen whose brush is the null brush draws nothing.
      {"extended pen of the null brush",
       {SolidBrush(1, kRed), Select(1),
        Rec(95, Bytes().U32(2).U32(0).U32(0).U32(0).U32(0).U32(0x10000).U32(6).U32(1).U32(kBlue).U32(0).U32(0)),
        Select(2), Rectangle(10, 10, 80, 60)},
       {{{40, 35}, kRedRGB}, {{10, 35}, kRedRGB}}},
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string content;
    const auto r = Draw(c.records, 96, 72, &content);
    for (const auto& [at, colour] : c.pixels) EXPECT_EQ(Pixel(r, at.first, at.second), colour) << at.first << "," << at.second;
  }
}

// The miter limit arrives as an integer (as the format's documentation has it) or as a
// float (as the platform writes it); below 1.4 it is raised to 1.4.
TEST(MetafileFrame, MiterLimitReadEitherWay) {
  struct Case {
    const char* name;
    Bytes value;
    const char* style;
  } cases[] = {
      {"integer 3", Bytes().U32(3), "3 M "},
      {"float 3", Bytes().F32(3), "3 M "},
      {"float 1", Bytes().F32(1), "1.4 M "},
      {"integer 1", Bytes().U32(1), "1.4 M "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Converter conv;
    const std::string content = conv.Convert(
        {Rec(58, c.value), Pen(1, 0x2000 /*miter join*/, 9, kBlue), Select(1), Poly(4, {{10, 60}, {48, 10}, {86, 60}})},
        96, 72);
    EXPECT_NE(content.find(c.style), std::string::npos) << content;
  }
  // The limit is the device context's when a line is drawn, also when set after the pen.
  Converter conv;
  const std::string content = conv.Convert(
      {Pen(1, 0x2000, 9, kBlue), Select(1), Rec(58, Bytes().F32(3)), Poly(4, {{10, 60}, {48, 10}, {86, 60}})}, 96, 72);
  EXPECT_NE(content.find("3 M "), std::string::npos) << content;
}

// The fixed mapping modes take their extents from the reference device's whole millimetres
// and pixels (divisions truncating), whatever the picture.
TEST(MetafileFrame, FixedModesTakeTheirExtentsFromTheReferenceDevice) {
  // A reference device of 1366 x 768 pixels and 361 x 203 millimetres.
  Bytes h;
  h.Rect(0, 0, 1365, 767).Rect(0, 0, 36100, 20300).U32(0x464D4520).U32(0x10000).U32(0).U32(0).U16(16).U16(0);
  h.U32(0).U32(0).U32(0).Pt(1366, 768).Pt(361, 203).U32(0).U32(0).U32(0).Pt(361000, 203000);
  struct Case {
    int mode;
    int32_t wx, wy, vx, vy;
  } cases[] = {
      {1, 1, 1, 1, 1},
      {2, 361, 203, 136, -76},
      {3, 3610, 2030, 136, -76},
      {4, 361, 203, 346, -195},
      {5, 3610, 2030, 346, -195},
      {6, 361 * 1440 / 100, 203 * 1440 / 100, 346, -195},
      {7, 361, 203, 136, -76},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Converter conv;
    conv.Convert({Rec(1, h), One(17, 8), Two(9, 5, 5), Two(11, 7, 7), One(17, uint32_t(c.mode))}, 1366, 768, false);
    const TPDFMetafile& m = *conv.converter;
    EXPECT_EQ(m.WindowExtX, c.wx);
    EXPECT_EQ(m.WindowExtY, c.wy);
    EXPECT_EQ(m.ViewportExtX, c.vx);
    EXPECT_EQ(m.ViewportExtY, c.vy);
  }
  // The anisotropic mode keeps what was there.
  Converter conv;
  conv.Convert({Rec(1, h), One(17, 8), Two(9, 5, 5), Two(11, 7, 7), One(17, 3), One(17, 8)}, 1366, 768, false);
  EXPECT_EQ(conv.converter->WindowExtX, 3610);
  EXPECT_EQ(conv.converter->ViewportExtY, -76);
  // A mode the format does not define is refused, as the player's SetMapMode refuses it: the
  // anisotropic mode stays and its extents can still be set.
  for (uint32_t bad : {0u, 9u, 0x80000008u}) {
    SCOPED_TRACE(bad);
    Converter keep;
    keep.Convert({Rec(1, h), One(17, 8), One(17, bad), Two(9, 5, 5)}, 1366, 768, false);
    EXPECT_EQ(keep.converter->MapMode, 8);
    EXPECT_EQ(keep.converter->WindowExtX, 5);
  }
}

// Values of the simple records the player would refuse count as the converter reads them: a
// fill mode other than alternate fills by winding, an arc direction other than
// counter-clockwise draws clockwise.
TEST(MetafileFrame, OtherModeValuesCountAsTheSecondMode) {
  // Two nested rectangles of one path, filled: winding fills the inner one too.
  const std::vector<Record> nested = {SolidBrush(1, kRed), Select(1), Select(kNullPen), Rec(59),
                                      Rectangle(10, 10, 80, 60), Rectangle(30, 20, 60, 50), Rec(60),
                                      Rec(62, Bytes().Rect(0, 0, 0, 0))};
  for (uint32_t mode : {2u, 3u, 0u}) {
    std::vector<Record> records = {One(19, mode)};
    records.insert(records.end(), nested.begin(), nested.end());
    EXPECT_EQ(Pixel(Draw(records, 96, 72), 45, 35), kRedRGB) << mode;
  }
  // A pie from the right to the top: clockwise (on the device) it is the other three quarters.
  for (uint32_t direction : {2u, 3u}) {
    const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(kNullPen), One(57, direction),
                         Rec(47, Bytes().Rect(16, 6, 76, 66).Pt(90, 36).Pt(46, 0))},
                        96, 72);
    EXPECT_EQ(Pixel(r, 36, 46), kRedRGB) << direction;
    EXPECT_EQ(Pixel(r, 56, 26), kWhite) << direction;
  }
}

// A path that neither brush nor pen paints is ended unpainted; a shape is not written at all.
TEST(MetafileFrame, UnpaintedPathsAndShapes) {
  Converter c;
  const std::string content = c.Convert({Select(0x80000005), Select(kNullPen), Rectangle(10, 10, 50, 50), Rec(59),
                                         Rectangle(10, 10, 50, 50), Rec(60), Rec(62, Bytes().Rect(0, 0, 0, 0))},
                                        96, 72);
  EXPECT_EQ(content.find(" re\n"), std::string::npos) << content;
  EXPECT_NE(content.find("h\nn\n"), std::string::npos) << content;
  EXPECT_EQ(content.find("\nf"), std::string::npos) << content;
  // A Bezier-to record leaves the current position at its last point, also past a curve it
  // could not finish.
  Converter b;
  b.Convert({Rec(27, Bytes().Pt(5, 5)), Poly(5, {{10, 10}, {20, 20}})}, 96, 72);
  EXPECT_EQ(b.converter->CurrentLogX, 20);
  EXPECT_EQ(b.converter->CurrentLogY, 20);
}

}  // namespace
