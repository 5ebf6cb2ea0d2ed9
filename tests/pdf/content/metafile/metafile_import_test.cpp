// The image import's metafile branch: a Form XObject whose shorter side is one unit, sized in
// points from the picture's frame, or (options -1) the picture drawn into a bitmap with its
// resolution; text records read and passed over until fonts come, their opaque boxes painted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/support/test_support.h"
#include "tests/pdf/image_support/import_store.h"

namespace {

using namespace mftest;

// An EMF of Header(w, h) (a frame of w x h pixels at 96 dpi) with the records and EOF.
std::string Emf(int w, int h, const std::vector<Record>& records) { return EmfFile(records, w, h); }

// A placeable WMF of bounds (0, 0, w, h) at `inch` units an inch holding one rectangle.
std::string Wmf(int16_t w, int16_t h, uint16_t inch) { return WmfFile({{0x041B, {20, 20, 2, 2}}}, w, h, inch, 1); }

struct Imported : imagetest::ImportedImage {
  Imported(const std::string& file, int32_t options)
      : imagetest::ImportedImage(imagetest::ImportImage(file, options, 0, false)) {}
  std::string Text(const char* key) const {
    if (!image->Dict || !image->Dict->GetValue(key)) return "";
    std::string text;
    image->Dict->GetValue(key)->WriteToString(text);
    return text;
  }
};

TEST(MetafileImport, FormsAreSizedInPointsWithTheShorterSideOneUnit) {
  struct Case {
    const char* name;
    std::string file;
    int width, height;  // points
    const char* box;
  } cases[] = {
      {"wide EMF (2540 x 1270 hundredths of a millimetre)", Emf(96, 48, {}), 72, 36, "[ 0 0 2 1 ]"},
      {"tall EMF", Emf(48, 96, {}), 36, 72, "[ 0 0 1 2 ]"},
      {"square EMF", Emf(96, 96, {}), 72, 72, "[ 0 0 1 1 ]"},
      {"WMF of 192 x 96 units at 96 an inch", Wmf(192, 96, 96), 144, 72, "[ 0 0 2 1 ]"},
      {"WMF of 1440 x 720 twips", Wmf(1440, 720, 1440), 72, 36, "[ 0 0 2 1 ]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Imported i(c.file, 0);
    ASSERT_TRUE(i.ok);
    EXPECT_EQ(i.image->Kind, 6);
    EXPECT_EQ(i.image->Width, c.width);
    EXPECT_EQ(i.image->Height, c.height);
    EXPECT_EQ(i.Text("Subtype"), "/Form");
    EXPECT_EQ(i.Text("BBox"), c.box);
    EXPECT_EQ(i.Text("Matrix"), "[ 1 0 0 1 0 0 ]");
    EXPECT_EQ(i.Text("Filter"), "/FlateDecode");
    EXPECT_NE(i.image->Ref, nullptr);
  }
  // A picture less than half a point across has no form.
  EXPECT_FALSE(Imported(Emf(0, 48, {}), 0).ok);
}

TEST(MetafileImport, OptionsMinusOneDrawTheBitmapWithItsResolution) {
  const Imported i(Emf(96, 48, {SolidBrush(1, 0x0000FF), Select(1), Rectangle(0, 0, 96, 48)}), -1);
  ASSERT_TRUE(i.ok);
  EXPECT_EQ(i.image->Kind, 2);
  EXPECT_EQ(i.image->Width, 96);
  EXPECT_EQ(i.image->Height, 48);
  EXPECT_EQ(i.image->ResolutionX, 96);
  EXPECT_EQ(i.image->ResolutionY, 96);
  EXPECT_EQ(i.Text("Subtype"), "/Image");
  EXPECT_EQ(i.Text("ColorSpace"), "/DeviceRGB");
  EXPECT_EQ(i.image->Compression, 0);  // forced on only while writing
  // Only -1 rasterises a metafile: other values make the form.
  const Imported form(Emf(96, 48, {}), -2);
  ASSERT_TRUE(form.ok);
  EXPECT_EQ(form.image->Kind, 6);
}

TEST(MetafileImport, TextRecordsPaintTheirOpaqueBoxesAndTheirText) {
  const uint32_t opaque = 2;
  // EXTTEXTOUTW of "Ab" at (10, 10), opaque over (5, 5) - (40, 25).
  const Record ext = Rec(84, Bytes().Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).Pt(10, 10).U32(2).U32(76).U32(opaque)
                                 .Rect(5, 5, 40, 25).U32(0).U16('A').U16('b'));
  // SMALLTEXTOUT of 8-bit "x" at (50, 10), opaque over (50, 5) - (80, 25).
  const Record small = Rec(108, Bytes().I32(50).I32(10).U32(1).U32(opaque | 0x200).U32(1).F32(1).F32(1)
                                    .Rect(50, 5, 80, 25).U32('x'));
  // POLYTEXTOUTW of two strings, the second opaque over (10, 40) - (40, 60).
  const Record poly = Rec(97, Bytes().Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).U32(2)
                                  .Pt(10, 30).U32(1).U32(120).U32(0).Rect(0, 0, 0, 0).U32(0)
                                  .Pt(10, 50).U32(1).U32(124).U32(opaque).Rect(10, 40, 40, 60).U32(0)
                                  .U16('a').U16(0).U16('b').U16(0));
  const Record font = Rec(82, Bytes().U32(3).I32(-12).I32(0).I32(0).I32(0).I32(700).U32(0).U32(0).U32(0)
                                  .Raw(std::vector<uint8_t>(92 - 32, 0)));
  std::string content;
  const auto r = Draw({Rec(25, Bytes().U32(0x00FF00)), Rec(24, Bytes().U32(0xFF0000)), font, Select(3), ext, small,
                       poly, SolidBrush(1, 0x0000FF), Select(1), Select(0x80000008), Rectangle(60, 40, 90, 70)},
                      96, 72, &content);
  // Each text is drawn in the text colour (blue) over its box, which fills the rest.
  for (const std::string text : {"(Ab)Tj", "(x)Tj", "(a)Tj", "(b)Tj"}) EXPECT_NE(content.find(text), std::string::npos) << text;
  EXPECT_GT(CountColor(r, 6, 6, 39, 24, 0x0000FF, 100), 10);
  EXPECT_GT(CountColor(r, 51, 6, 79, 24, 0x0000FF, 100), 5);
  EXPECT_GT(CountColor(r, 6, 6, 39, 24, 0x00FF00), 33 * 18 * 3 / 4);
  EXPECT_GT(CountColor(r, 51, 6, 79, 24, 0x00FF00), 28 * 18 * 3 / 4);
  EXPECT_GT(CountColor(r, 11, 41, 39, 59, 0x00FF00), 28 * 18 * 3 / 4);
  EXPECT_EQ(Pixel(r, 20, 32), 0xFFFFFFu);  // the first string is not opaque
  // The state goes on: the rectangle after them in the selected brush.
  EXPECT_EQ(Pixel(r, 75, 55), 0xFF0000u);
}

// The picture's frame fills the form's box exactly, although the box's aspect (whole points)
// and the player's pixel size (whole pixels) each round the frame differently: a frame of
// 10 x 5.3 mm is a box of 28 x 15 points and 38 x 20 pixels. Stripes along the frame's right
// and bottom edges (in hundredths of a millimetre) show at the page's edges.
TEST(MetafileImport, TheFrameFillsTheFormsBox) {
  Bytes h;
  h.Rect(0, 0, 37, 19).Rect(0, 0, 1000, 530).U32(0x464D4520).U32(0x10000).U32(0).U32(0).U16(16).U16(0);
  h.U32(0).U32(0).U32(0).Pt(960, 960).Pt(254, 254).U32(0).U32(0).U32(0).Pt(254000, 254000);
  std::string file;
  for (const Record& r : {Rec(1, h), Rec(17, Bytes().U32(3)), Select(0x80000008), SolidBrush(1, 0x0000FF), Select(1),
                          Rectangle(980, 0, 1000, -530), SolidBrush(2, 0xFF0000), Select(2),
                          Rectangle(0, -510, 970, -530), Rec(14, Bytes().U32(0).U32(16).U32(20))})
    file.append(r.begin(), r.end());
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("frame.emf"), file);
  std::string message;
  const auto r = RenderThroughApi(dir.File("frame.emf"), 720, 0, &message);
  ASSERT_EQ(r.Width, 280) << message;
  ASSERT_EQ(r.Height, 150) << message;
  EXPECT_EQ(Pixel(r, 278, 75), 0xFF0000u);
  EXPECT_EQ(Pixel(r, 270, 75), 0xFFFFFFu);
  EXPECT_EQ(Pixel(r, 140, 148), 0x0000FFu);
  EXPECT_EQ(Pixel(r, 140, 140), 0xFFFFFFu);
}

}  // namespace
