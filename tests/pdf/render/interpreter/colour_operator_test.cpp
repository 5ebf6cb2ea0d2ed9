// The colour operators: device colours (grey clamped before it becomes a colour value), colour
// spaces selected from resources, special spaces registered once per array, and d1's lock.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/recording_canvas.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::RecordingCanvas;
using rendertest::TestPdf;

const char* kResources =
    "<< /ColorSpace << /Icc4 [/ICCBased 5 0 R] /IccGrey [/ICCBased 6 0 R] /Cal [/CalRGB << >>] "
    "/CalG [/CalGray << >>] /Sep 7 0 R /Sep2 [/Separation /B /DeviceGray 8 0 R] /LabA [/Lab << >>] "
    "/LabB [/Lab << >>] /DevN [/DeviceN [/A /B] /DeviceRGB 9 0 R] /Pat [/Pattern] /Odd [/Indexed] "
    "/Ix [/Indexed /DeviceRGB 1 <FF000000FF00>] /Unknown [/Foo] /Name /DeviceCMYK >> >>";

class Colours : public ::testing::Test {
 protected:
  void SetUp() override {
    page_ = pdf_.AddPage("", kResources);
    pdf_.AddStream("<< /N 4 >>", "profile");
    pdf_.AddStream("<< /N 3 /Alternate /DeviceGray >>", "profile");
    pdf_.Add("[/Separation /A /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [1 0 0] /N 1 >>]");
    pdf_.Add("<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>");
    pdf_.AddStream("<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] >>", "{ 0 }");
  }
  // The fill colour at the first fill of the content, as RRGGBB.
  std::string Fill(const std::string& content) {
    canvas_.Calls.clear();
    renderer_.RunContentStream(&canvas_, pdf_.Dict(page_), nullptr, content + " 0 0 1 1 re f");
    const std::string text = canvas_.Text();
    const size_t at = text.find("f color=");
    return at == std::string::npos ? "none" : text.substr(at + 8, 6);
  }

  TestPdf pdf_;
  int page_ = 0;
  TPDFFontCollection fonts_;
  TPDFRenderer renderer_{&fonts_};
  RecordingCanvas canvas_;
};

TEST_F(Colours, DeviceColoursAreClampedAndPacked) {
  struct Case {
    const char* content;
    const char* rgb;
  } cases[] = {
      {"0.5 g", "808080"},         {"1.5 g", "FFFFFF"},         {"-1 g", "000000"},
      {"1.2 -0.1 0.5 rg", "FF0080"}, {"0 0 0 0 k", "FFFFFF"},   {"0 0 0 1 k", "231F20"},
      {"0 0 0 2 k", "000000"},  // as given: the polynomial's red at k 2 is below 0
      {"/DeviceRGB cs 0 1 0 sc", "00FF00"}, {"/DeviceGray cs 0.25 sc", "404040"}};
  for (const auto& c : cases) EXPECT_EQ(Fill(c.content), c.rgb) << c.content;
}

TEST_F(Colours, ResourceSpacesTakeTheirComponentCounts) {
  struct Case {
    const char* content;
    const char* rgb;
  } cases[] = {
      {"/Icc4 cs 0 0 0 1 sc", "231F20"},      // ICCBased N 4 without Alternate: CMYK
      {"/IccGrey cs 0.5 sc", "808080"},       // its Alternate wins over N
      {"/Cal cs 0 0 1 sc", "0000FF"},         {"/CalG cs 0.5 sc", "808080"},
      {"/Name cs 0 1 0 0 sc", "EC008C"},      // a name entry; the polynomial CMYK of magenta
      {"/Odd cs 1 0 0 sc", "000000"},         // an Indexed space takes one component (no table: black)
      {"/Ix cs 1 sc", "00FF00"},              {"/Ix cs 0 1 0 sc", "FF0000"},
      {"/Unknown cs 1 0 0 sc", "FF0000"},     // spaces not read here take three components
      {"/Nowhere cs 0 0 1 sc", "0000FF"},
      {"/Sep cs 1 sc", "FF0000"},             {"/Sep cs 0 sc", "FFFFFF"},
      {"/Sep2 cs 7 sc", "FFFFFF"},            // the tint is clamped to 1
      {"/LabA cs 100 0 0 sc", "FFFFFF"},      {"/DevN cs 0.2 0.4 scn", "336600"},  // the calculator leaves 0.2 0.4 0
      {"1 0 0 rg /Pat cs /P0 scn", "FFFFFF"},  // a pattern the resources do not hold fills white
      {"1 0 0 rg /Pattern cs 0 0 1 sc", "FF0000"},  // no pattern named: nothing changes
  };
  for (const auto& c : cases) EXPECT_EQ(Fill(c.content), c.rgb) << c.content;
}

TEST_F(Colours, SpecialSpacesAreMadeOncePerArray) {
  Fill("/Sep cs 1 sc /Sep cs 0.5 sc /Sep CS 1 SC");
  EXPECT_EQ(renderer_.SeparationSpaces.size(), 1u);
  Fill("/LabA cs 50 0 0 sc /LabA cs 50 0 0 sc /LabB cs 50 0 0 sc");
  EXPECT_EQ(renderer_.LabSpaces.size(), 2u);
  for (int i = 0; i < 1000; ++i) Fill("/DevN cs 0 0 scn");
  EXPECT_EQ(renderer_.DeviceNSpaces.size(), 1u);
}

// A space is made once per colour-space array and kept for the render: a DeviceN whose tint
// transform holds 192 KB of samples, selected 2,000 times by 20 KB of content, holds them once
// (a space made at every selection would keep 375 MB until the render ends).
TEST(ColourSpaces, ASpaceSelectedAgainAndAgainHoldsItsTransformOnce) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /ColorSpace << /Big [/DeviceN [/A /B] /DeviceRGB 5 0 R] >> >>");
  pdf.AddStream("<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [256 256] /BitsPerSample 8 >>",
                std::string(256 * 256 * 3, '\x80'));
  std::string content;
  for (int i = 0; i < 2000; ++i) content += "/Big cs 0.5 0.5 sc ";
  content += "0 0 1 1 re f";
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  RecordingCanvas canvas;
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  renderer.RunContentStream(&canvas, pdf.Dict(page), nullptr, content);
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_EQ(renderer.ErrorText, "");
  EXPECT_NE(canvas.Text().find("f color=808080"), std::string::npos) << canvas.Text();
  // The largest the process has been, in kilobytes.
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);
}

// A Separation or DeviceN over Lab converts with its alternate's white point and ranges, as a
// Lab space of those does; not with what the colour manager was last handed, which would
// give one tint two colours on one page.
TEST(ColourSpaces, ASpotOverLabTakesItsAlternatesWhitePoint) {
  TestPdf pdf;
  const std::string d65 = "[/Lab << /WhitePoint [0.9505 1 1.089] >>]";
  const std::string toLab = "<< /FunctionType 2 /Domain [0 1] /C0 [100 0 0] /C1 [60 40 -30] /N 1 >>";
  const int page = pdf.AddPage("", "<< /ColorSpace << /D65 " + d65 +
                                       " /D50 [/Lab << /WhitePoint [0.9642 1 0.8249] >>] /Sep [/Separation /S " +
                                       d65 + " " + toLab + "] /DevN [/DeviceN [/S] " + d65 + " " + toLab +
                                       "] >> >>");
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  RecordingCanvas canvas;
  renderer.RunContentStream(&canvas, pdf.Dict(page), nullptr,
                            "/D65 cs 60 40 -30 sc 0 0 1 1 re f /Sep cs 1 sc 0 0 1 1 re f /D50 cs 60 40 -30 sc 0 0 1 1 "
                            "re f /Sep cs 1 sc 0 0 1 1 re f /DevN cs 1 sc 0 0 1 1 re f");
  std::vector<std::string> fills;
  for (const std::string& call : canvas.Calls)
    if (call.rfind("f color=", 0) == 0) fills.push_back(call.substr(8, 6));
  ASSERT_EQ(fills.size(), 5u);
  EXPECT_NE(fills[0], fills[2]);  // the white points differ
  EXPECT_EQ(fills[1], fills[0]);
  EXPECT_EQ(fills[3], fills[0]);
  EXPECT_EQ(fills[4], fills[0]);
}

// A DeviceN colour takes as many operands as the space has colorants, at most 256: a hostile
// array of 100,000 names does not make each colour operator take (and evaluate) 100,000.
TEST(ColourSpaces, ADeviceNColourTakesAtMost256Operands) {
  std::string names;
  for (int i = 0; i < 100000; ++i) names += "/C" + std::to_string(i) + " ";
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /ColorSpace << /Many [/DeviceN [" + names + "] /DeviceRGB 5 0 R] >> >>");
  pdf.Add("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 1 1] /N 1 >>");
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  RecordingCanvas canvas;
  // 257 operands: the first stays on the stack for m, the other 256 go to the colour.
  std::string operands = "7 ";
  for (int i = 0; i < 256; ++i) operands += "1 ";
  renderer.RunContentStream(&canvas, pdf.Dict(page), nullptr, "/Many cs " + operands + "sc 5 m 1 1 l S");
  EXPECT_NE(canvas.Text().find("m 7 5"), std::string::npos) << canvas.Text();
}

TEST_F(Colours, StrokeColoursFollowTheSameRules) {
  canvas_.Calls.clear();
  renderer_.RunContentStream(&canvas_, pdf_.Dict(page_), nullptr, "2 G /Sep CS 1 SC 0 0 m 1 0 l S 0.5 G 0 0 m 1 0 l S");
  const std::string text = canvas_.Text();
  EXPECT_NE(text.find("S color=FF0000"), std::string::npos) << text;
  EXPECT_NE(text.find("S color=808080"), std::string::npos) << text;
  // A stroke pattern the resources do not hold leaves the stroke colour as it was.
  canvas_.Calls.clear();
  renderer_.RunContentStream(&canvas_, pdf_.Dict(page_), nullptr, "0 0 1 RG /Pattern CS /P9 SCN 0 0 m 1 0 l S");
  EXPECT_NE(canvas_.Text().find("S color=0000FF"), std::string::npos) << canvas_.Text();
}

TEST_F(Colours, GlyphMetricsLockTheColourForTheRest) {
  EXPECT_EQ(Fill("0 0 1 rg 0 0 0 0 0 0 d1 1 0 0 rg"), "0000FF");
}

}  // namespace
