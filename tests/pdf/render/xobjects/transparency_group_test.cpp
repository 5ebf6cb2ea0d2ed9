// Transparency groups of forms on the cairo output (mode 11) against poppler's cairo back end
// (pdftocairo) for the same page: a group that is neither isolated nor knockout, an isolated
// group, a knockout group and one that is both, each of half-transparent fills over a backdrop
// that is blue on the left half and white on the right; a group on a page wider than 1000
// pixels; the other outputs run the same form as plain content.
#include <gtest/gtest.h>

#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

// Red over the lower left, green over the upper right, overlapping in the middle; both at
// half alpha, so that every way of compositing them shows.
const std::string kOverlapping = "/Half gs 1 0 0 rg 10 10 60 60 re f 0 1 0 rg 30 30 60 60 re f";

int GroupPage(TestPdf& pdf, const std::string& group, const std::string& formContent = kOverlapping,
              const std::string& mediaBox = "[0 0 100 100]") {
  const int page = pdf.AddPage("0 0 1 rg 0 0 50 100 re f /Fm Do", "<< /XObject << /Fm 5 0 R >> >>", mediaBox);
  pdf.AddStream("<< /Type /XObject /Subtype /Form /BBox [0 0 2000 100] " + group +
                    " /Resources << /ExtGState << /Half << /ca 0.5 >> >> >> >>",
                formContent);
  return page;
}

struct GroupCase {
  const char* name;
  std::string group;
  uint32_t overlapOnBlue;   // at (40, 50): both fills over the blue half
  uint32_t overlapOnWhite;  // at (60, 50): both fills over the white half
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class TransparencyGroups : public testing::TestWithParam<GroupCase> {};

TEST_P(TransparencyGroups, DrawAsPopplersCairoBackEndDraws) {
  const GroupCase& c = GetParam();
  TestPdf pdf;
  const int page = GroupPage(pdf, c.group);
  std::string error;
  const testraster::Raster ours = rendertest::RenderOursCairo(pdf, page, &error);
  if (error.find("not available") != std::string::npos) GTEST_SKIP() << "libcairo.so.2 not loadable";
  EXPECT_EQ(error, "");
  // Inside the group a knockout fill meets the backdrop, not the red fill before it.
  EXPECT_NEAR(int(rendertest::PixelAt(ours, 40, 50) >> 16), int(c.overlapOnBlue >> 16), 2) << c.name;
  EXPECT_NEAR(int(rendertest::PixelAt(ours, 40, 50) >> 8 & 0xFF), int(c.overlapOnBlue >> 8 & 0xFF), 2) << c.name;
  EXPECT_NEAR(int(rendertest::PixelAt(ours, 40, 50) & 0xFF), int(c.overlapOnBlue & 0xFF), 2) << c.name;
  EXPECT_NEAR(int(rendertest::PixelAt(ours, 60, 50) >> 16), int(c.overlapOnWhite >> 16), 2) << c.name;
  EXPECT_NEAR(int(rendertest::PixelAt(ours, 60, 50) >> 8 & 0xFF), int(c.overlapOnWhite >> 8 & 0xFF), 2) << c.name;
  EXPECT_NEAR(int(rendertest::PixelAt(ours, 60, 50) & 0xFF), int(c.overlapOnWhite & 0xFF), 2) << c.name;
  const testraster::Raster theirs = rendertest::RenderPopplerCairo(pdf);
  if (theirs.Width == 0) GTEST_SKIP() << "needs pdftocairo and Pillow";
  ASSERT_EQ(ours.Width, theirs.Width);
  ASSERT_EQ(ours.Height, theirs.Height);
  EXPECT_EQ(rendertest::CountOutsideNeighbourhood(ours, theirs, 3), 0) << c.name;
}

// Green at half alpha over red at half alpha over blue is (64, 128, 63); a knockout group's
// green meets the blue alone (0, 128, 127). Over white: (128, 191, 63) and (127, 255, 127).
INSTANTIATE_TEST_SUITE_P(
    Branches, TransparencyGroups,
    testing::Values(GroupCase{"no_group", "", 0x40803F, 0x80BF3F},
                    GroupCase{"plain_group", "/Group << /S /Transparency >>", 0x40803F, 0x80BF3F},
                    GroupCase{"isolated", "/Group << /S /Transparency /I true /CS /DeviceRGB >>", 0x40803F, 0x80BF3F},
                    GroupCase{"knockout", "/Group << /S /Transparency /K true >>", 0x00807F, 0x7FFF7F},
                    GroupCase{"isolated_knockout", "/Group << /S /Transparency /I true /K true >>", 0x00807F,
                              0x7FFF7F},
                    GroupCase{"not_a_transparency_group", "/Group << /S /Other /K true >>", 0x40803F, 0x80BF3F}),
    [](const testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.name); });

// The group's surfaces cover the whole raster: a fill 1,100 pixels to the right is drawn.
TEST(TransparencyGroupSurfaces, CoverPagesWiderThanAThousandPixels) {
  for (const std::string group : {"/Group << /S /Transparency /I true >>", "/Group << /S /Transparency /K true >>"}) {
    TestPdf pdf;
    const int page = GroupPage(pdf, group, "1 0 0 rg 1100 20 60 60 re f 1 1 0 rg 1130 40 60 20 re f", "[0 0 1200 100]");
    std::string error;
    const testraster::Raster ours = rendertest::RenderOursCairo(pdf, page, &error);
    if (error.find("not available") != std::string::npos) GTEST_SKIP() << "libcairo.so.2 not loadable";
    ASSERT_EQ(ours.Width, 1200);
    EXPECT_EQ(rendertest::PixelAt(ours, 1110, 50), 0xFF0000u) << group;
    EXPECT_EQ(rendertest::PixelAt(ours, 1150, 50), 0xFFFF00u) << group;
    EXPECT_EQ(rendertest::PixelAt(ours, 1110, 10), 0xFFFFFFu) << group;
  }
}

// Groups nest: a knockout group inside an isolated one inside a knockout one, and the canvas
// left drawing on the page (a fill after the form lands on it). The isolated group, an object
// of the outer knockout group, puts the white backdrop back under itself; inside it the
// opaque fills knock out the half-transparent blue.
TEST(TransparencyGroupSurfaces, NestedGroupsReturnToThePage) {
  TestPdf pdf;
  const int page = pdf.AddPage("/Outer Do 0 0 0 rg 0 0 10 10 re f", "<< /XObject << /Outer 5 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form /BBox [0 0 100 100] /Group << /S /Transparency /K true >> "
                "/Resources << /XObject << /Mid 6 0 R >> >> >>",
                "1 0 0 rg 20 20 60 60 re f /Mid Do");
  pdf.AddStream("<< /Subtype /Form /BBox [0 0 100 100] /Group << /S /Transparency /I true >> "
                "/Resources << /XObject << /Inner 7 0 R >> >> >>",
                "/Inner Do");
  pdf.AddStream("<< /Subtype /Form /BBox [0 0 100 100] /Group << /S /Transparency /K true >> "
                "/Resources << /ExtGState << /Half << /ca 0.5 >> /Full << /ca 1 >> >> >> >>",
                "/Half gs 0 0 1 rg 40 40 20 20 re f 1 g /Full gs 45 45 10 10 re f 0 0 1 rg 48 48 4 4 re f");
  std::string error;
  const testraster::Raster ours = rendertest::RenderOursCairo(pdf, page, &error);
  if (error.find("not available") != std::string::npos) GTEST_SKIP() << "libcairo.so.2 not loadable";
  EXPECT_EQ(error, "");
  EXPECT_EQ(rendertest::PixelAt(ours, 5, 95), 0x000000u);
  EXPECT_EQ(rendertest::PixelAt(ours, 30, 70), 0xFF0000u);
  EXPECT_EQ(rendertest::PixelAt(ours, 47, 50), 0xFFFFFFu);
  EXPECT_EQ(rendertest::PixelAt(ours, 50, 50), 0x0000FFu);
}

// A knockout fill puts the backdrop back under its own shape only, by its own fill rule: the
// hole of an even-odd ring keeps the earlier fill.
TEST(TransparencyGroupSurfaces, KnockoutFollowsTheFillRule) {
  TestPdf pdf;
  const int page = GroupPage(pdf, "/Group << /S /Transparency /K true >>",
                             "1 0 0 rg 60 10 30 30 re f /Half gs 0 1 0 rg 55 5 40 40 re 65 15 20 20 re f*");
  std::string error;
  const testraster::Raster ours = rendertest::RenderOursCairo(pdf, page, &error);
  if (error.find("not available") != std::string::npos) GTEST_SKIP() << "libcairo.so.2 not loadable";
  EXPECT_EQ(rendertest::PixelAt(ours, 75, 75), 0xFF0000u) << "the hole";
  EXPECT_EQ(rendertest::PixelAt(ours, 62, 88), 0x7FFF7Fu) << "the ring knocked out the red";
  const testraster::Raster theirs = rendertest::RenderPopplerCairo(pdf);
  if (theirs.Width == 0) GTEST_SKIP() << "needs pdftocairo and Pillow";
  EXPECT_EQ(rendertest::CountOutsideNeighbourhood(ours, theirs, 3), 0);
}

// Outputs other than cairo run a group's content once as plain content.
TEST(TransparencyGroupSurfaces, OtherOutputsRunTheContentAsItIs) {
  TestPdf pdf;
  const int page = GroupPage(pdf, "/Group << /S /Transparency /I true /K true >>");
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page);
  EXPECT_EQ(rendertest::PixelAt(ours, 40, 50), 0x40803Fu);
}

}  // namespace
