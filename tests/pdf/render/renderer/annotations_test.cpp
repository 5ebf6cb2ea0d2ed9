// Annotations drawn by the page render: appearance streams against poppler, and the rules
// poppler does not share (flags, highlight order, link borders, the stamp fallback) by probes.
#include <gtest/gtest.h>

#include <string>

#include "pdf/core/annots/stamp_appearances.h"
#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::PixelAt;
using rendertest::TestPdf;

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0x000000;

// A 100 x 100 page whose content is given, with annotation objects added after the page (their
// numbers start at 5) and listed in /Annots as given.
struct AnnotPage {
  TestPdf pdf;
  int page = 0;
  AnnotPage(const std::string& content, const std::string& annots, const std::vector<std::string>& objects) {
    page = pdf.AddPage(content, "<< >>", "[0 0 100 100]", "/Annots " + annots);
    for (const std::string& o : objects) {
      const size_t bar = o.find('|');
      if (o.rfind("stream:", 0) == 0) pdf.AddStream(o.substr(7, bar - 7), o.substr(bar + 1));
      else pdf.Add(o);
    }
  }
  testraster::Raster Ours() {
    std::string error;
    testraster::Raster r = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "");
    return r;
  }
};

// PDF y up, raster rows down.
uint32_t At(const testraster::Raster& r, int x, int y) { return PixelAt(r, x, r.Height - 1 - y); }

const std::string kRedBox = "stream:<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] >>|1 0 0 rg 0 0 10 10 re f "
                            "0 0 1 rg 0 0 5 5 re f";

struct OracleCase {
  const char* name;
  std::string annots;
  std::vector<std::string> objects;
};

class AppearanceOracle : public testing::TestWithParam<OracleCase> {};

TEST_P(AppearanceOracle, MatchesPoppler) {
  REQUIRE_TOOL("pdftoppm");
  const OracleCase& c = GetParam();
  AnnotPage p("", c.annots, c.objects);
  const testraster::Raster ours = p.Ours(), theirs = rendertest::RenderPoppler(p.pdf);
  ASSERT_EQ(ours.Width, theirs.Width);
  EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, theirs, 8), 0) << c.name;
  EXPECT_NE(ours.RGB, testraster::Raster{}.RGB);
}

INSTANTIATE_TEST_SUITE_P(
    Annotations, AppearanceOracle,
    testing::Values(
        OracleCase{"scaled", "[5 0 R]",
                   {"<< /Type /Annot /Subtype /Square /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}},
        OracleCase{"reversed_rect", "[5 0 R]",
                   {"<< /Type /Annot /Subtype /Square /Rect [80 60 20 20] /AP << /N 6 0 R >> >>", kRedBox}},
        OracleCase{"matrix_rotated", "[5 0 R]",
                   {"<< /Type /Annot /Subtype /Square /Rect [10 30 90 70] /AP << /N 6 0 R >> >>",
                    "stream:<< /BBox [0 0 20 10] /Matrix [0 1 -1 0 0 0] >>|1 0 0 rg 0 0 20 10 re f "
                    "0 0 1 rg 0 0 10 5 re f"}},
        OracleCase{"state_by_AS", "[5 0 R]",
                   {"<< /Type /Annot /Subtype /Widget /Rect [10 10 50 50] /AS /Off /AP << /N << /On 6 0 R /Off 7 0 R >> >> >>",
                    kRedBox, "stream:<< /BBox [0 0 10 10] >>|0 0 1 rg 0 0 10 10 re f"}},
        OracleCase{"clipped_to_rect", "[5 0 R]",
                   {"<< /Type /Annot /Subtype /Square /Rect [30 30 70 70] /AP << /N 6 0 R >> >>",
                    "stream:<< /BBox [0 0 10 10] >>|1 0 0 rg -10 -10 30 30 re f"}},
        OracleCase{"own_resources", "[5 0 R]",
                   {"<< /Type /Annot /Subtype /Square /Rect [0 0 100 100] /AP << /N 6 0 R >> >>",
                    "stream:<< /BBox [0 0 100 100] /Resources << /XObject << /X 7 0 R >> >> >>|/X Do",
                    "stream:<< /Subtype /Form /BBox [0 0 100 100] >>|0 0 1 rg 10 10 50 50 re f"}}),
    [](const testing::TestParamInfo<OracleCase>& info) { return std::string(info.param.name); });

TEST(Annotations, FlagsOrderAndReachability) {
  struct Case {
    const char* what;
    std::string content, annots;
    std::vector<std::string> objects;
    uint32_t expected;  // at (30, 30)
  } cases[] = {
      {"hidden", "", "[5 0 R]", {"<< /Subtype /Square /F 2 /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}, kWhite},
      {"no view", "", "[5 0 R]", {"<< /Subtype /Square /F 32 /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}, kWhite},
      {"print only", "", "[5 0 R]", {"<< /Subtype /Square /F 4 /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}, kBlue},
      // Flags beyond 32 bits are held to the largest: every flag set, the annotation hidden.
      {"flags beyond 32 bits", "", "[5 0 R]",
       {"<< /Subtype /Square /F 6666666666 /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}, kWhite},
      {"direct dictionary", "", "[<< /Subtype /Square /Rect [20 20 80 60] /AP << /N 5 0 R >> >>]", {kRedBox}, kWhite},
      {"direct appearance", "", "[5 0 R]",
       {"<< /Subtype /Square /Rect [20 20 80 60] /AP << /N << /BBox [0 0 1 1] >> >> >>"}, kWhite},
      {"states without AS", "", "[5 0 R]", {"<< /Subtype /Widget /Rect [20 20 80 60] /AP << /N << /On 6 0 R >> >> >>", kRedBox}, kWhite},
      {"flat box", "", "[5 0 R]",
       {"<< /Subtype /Square /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", "stream:<< /BBox [0 0 10 0] >>|0 g 0 0 10 10 re f"}, kWhite},
      {"other annotation over the content", "0 1 0 rg 0 0 100 100 re f", "[5 0 R]",
       {"<< /Subtype /Square /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}, kBlue},
      {"highlight under the content", "0 1 0 rg 0 0 50 50 re f", "[5 0 R]",
       {"<< /Subtype /Highlight /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox}, 0x00FF00},
      {"no appearance, no fallback", "", "[5 0 R]", {"<< /Subtype /Square /Rect [0 0 100 100] >>"}, kWhite},
  };
  for (const Case& c : cases) {
    AnnotPage p(c.content, c.annots, c.objects);
    EXPECT_EQ(At(p.Ours(), 30, 30), c.expected) << c.what;
  }
  // The highlight still shows where the content leaves the page blank.
  AnnotPage p("0 1 0 rg 0 0 50 50 re f", "[5 0 R]",
              {"<< /Subtype /Highlight /Rect [20 20 80 60] /AP << /N 6 0 R >> >>", kRedBox});
  EXPECT_EQ(At(p.Ours(), 70, 55), kRed);
}

TEST(Annotations, LinkBorders) {
  struct Case {
    const char* what;
    std::string entries;
    uint32_t edge;    // on the left edge, inside the Rect
    uint32_t inside;  // well inside
  } cases[] = {
      {"default 1-unit border, half of it inside", "", 0x7F7F7F, kWhite},
      {"Border [0 0 2]", "/Border [0 0 2]", kBlack, kWhite},
      {"Border [0 0 0]", "/Border [0 0 0]", kWhite, kWhite},
      {"C [] draws no border", "/C [] /Border [0 0 2]", kWhite, kWhite},
      {"C red", "/C [1 0 0] /Border [0 0 2]", kRed, kWhite},
      {"C grey", "/C [0.5] /Border [0 0 2]", 0x7F7F7F, kWhite},
      {"BS width", "/C [0 0 1] /BS << /W 4 >>", kBlue, kWhite},
  };
  for (const Case& c : cases) {
    AnnotPage p("", "[5 0 R]", {"<< /Subtype /Link /Rect [20 20 80 60] " + c.entries + " >>"});
    const testraster::Raster r = p.Ours();
    const uint32_t edge = At(r, 20, 40);
    // Grey may round either way.
    if (c.edge == 0x7F7F7F)
      EXPECT_NEAR(double(edge & 0xFF), 127.5, 1.5) << c.what;
    else
      EXPECT_EQ(edge, c.edge) << c.what;
    EXPECT_EQ(At(r, 50, 40), c.inside) << c.what;
    EXPECT_EQ(At(r, 10, 40), kWhite) << c.what << ": the border stays inside the Rect";
  }
}

// A border's width is in the page's units: at 144 dots per inch "Border [0 0 2]" is four pixels
// wide (the clip to the Rect comes after the stroke, as the other paints' clips do).
TEST(Annotations, LinkBordersScaleWithTheResolution) {
  AnnotPage p("", "[5 0 R]", {"<< /Subtype /Link /Rect [20 20 80 60] /Border [0 0 2] >>"});
  std::string error;
  const testraster::Raster r = rendertest::RenderOurs(p.pdf, p.page, &error, 144);
  EXPECT_EQ(error, "");
  ASSERT_EQ(r.Width, 200);
  for (int x = 37; x <= 42; ++x) EXPECT_EQ(PixelAt(r, x, 100), x == 37 || x == 42 ? kWhite : kBlack) << x;
}

TEST(Annotations, LinkDashesRepeatAnOddArray) {
  AnnotPage dashed("", "[5 0 R]", {"<< /Subtype /Link /Rect [10 10 90 60] /Border [0 0 2 [3]] >>"});
  AnnotPage doubled("", "[5 0 R]", {"<< /Subtype /Link /Rect [10 10 90 60] /Border [0 0 2 [3 3]] >>"});
  AnnotPage solid("", "[5 0 R]", {"<< /Subtype /Link /Rect [10 10 90 60] /Border [0 0 2] >>"});
  // Dash items are whole numbers, taken to the nearest (2.6 is 3, not 2).
  AnnotPage fractional("", "[5 0 R]", {"<< /Subtype /Link /Rect [10 10 90 60] /Border [0 0 2 [2.6]] >>"});
  const testraster::Raster a = dashed.Ours(), b = doubled.Ours(), s = solid.Ours();
  EXPECT_EQ(a.RGB, b.RGB);
  EXPECT_EQ(fractional.Ours().RGB, a.RGB);
  EXPECT_NE(a.RGB, s.RGB);
  int white = 0;
  for (int x = 12; x < 88; ++x) white += At(a, x, 10) == kWhite;
  EXPECT_GT(white, 20) << "gaps along the bottom edge";
}

// On EPS output the border's colour is written as the colour operators write theirs: each
// component with three decimals, so that the same colour set by content is not written again.
TEST(Annotations, LinkBorderColoursOnEPSAreTheComponentsWithThreeDecimals) {
  struct Case {
    std::string c;
    std::string line;
  } cases[] = {
      {"/C [0.3]", "0.300 0.300 0.300 setrgbcolor"},
      {"/C [1 0 0.25]", "1.000 0.000 0.250 setrgbcolor"},
      {"", "0.000 0.000 0.000 setrgbcolor"},
  };
  for (const Case& c : cases) {
    AnnotPage p("", "[5 0 R]", {"<< /Subtype /Link /Rect [20 20 80 60] " + c.c + " >>"});
    std::string error;
    const std::string eps = rendertest::RenderOutput(p.pdf, p.page, kRenderEPS, error);
    EXPECT_EQ(error, "") << c.c;
    EXPECT_NE(eps.find("\r\n" + c.line + "\r\n"), std::string::npos) << c.c << "\n" << eps;
  }
}

// The stamp drawn without an appearance fills its Rect upright: the same picture given as the
// appearance (BBox of the picture's box), drawn by poppler, is the oracle.
TEST(Annotations, StampFallbackMatchesThePictureAsAppearance) {
  REQUIRE_TOOL("pdftocairo");
  const std::string rect = "[10 30 130 62]";
  AnnotPage fallback("", "[5 0 R]", {"<< /Subtype /Stamp /Name /Approved /Rect " + rect + " >>"});
  AnnotPage appearance("", "[5 0 R]",
                       {"<< /Subtype /Stamp /Name /Approved /Rect " + rect + " /AP << /N 6 0 R >> >>",
                        "stream:<< /BBox [0 0 120 32] >>|" + StampAppearanceStream("Approved")});
  const testraster::Raster ours = fallback.Ours(), theirs = rendertest::RenderPopplerCairo(appearance.pdf);
  if (theirs.Width == 0) GTEST_SKIP() << "needs pdftocairo and Pillow";
  EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, theirs, 16), 4);
  EXPECT_NE(At(ours, 12, 46), kWhite) << "the frame's left edge";
  EXPECT_EQ(At(ours, 5, 46), kWhite);

  AnnotPage unknown("", "[5 0 R]", {"<< /Subtype /Stamp /Name /NoSuchStamp /Rect " + rect + " >>"});
  AnnotPage unnamed("", "[5 0 R]", {"<< /Subtype /Stamp /Rect " + rect + " >>"});
  AnnotPage draft("", "[5 0 R]", {"<< /Subtype /Stamp /Name /Draft /Rect " + rect + " >>"});
  EXPECT_EQ(unknown.Ours().RGB, draft.Ours().RGB);
  EXPECT_EQ(unnamed.Ours().RGB, draft.Ours().RGB);
}

}  // namespace
