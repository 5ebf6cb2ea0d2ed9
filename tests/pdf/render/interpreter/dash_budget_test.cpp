// Dashed strokes count against the render's budget by the dashes their paths hold: paths that
// reach far beyond the page with fine dashes end the render as too complex instead of making
// the back end step through billions of dashes; ordinary dashed pages are not charged out.
#include <gtest/gtest.h>

#include <string>

#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::TestPdf;

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(DashBudget, FarReachingFineDashesEndTheRender) {
  struct Case {
    const char* name;
    std::string content;
    bool tooComplex;
  };
  const Case cases[] = {
      // A thousand dashed lines across the page: a few hundred thousand dashes in all.
      {"page-sized lines", "[2 2] 0 d\n" + Repeat("0 50 m 100 50 l S\n", 1000), false},
      // Each line would hold a million dashes and more.
      {"lines to far away", "[1 1] 0 d\n" + Repeat("-1000000000 50 m 1000000000 50 l S\n", 100), true},
      {"curves to far away", "[0.5] 0 d\n" + Repeat("0 0 m 100000000 100000000 -100000000 100000000 100 0 c S\n", 100), true},
      {"hairlines with the finest dashes", "0 w [0 0] 0 d\n" + Repeat("0 0 m 1000000 1000000 l S\n", 100), true},
      {"thin dotted lines across the page", "0.1 w [0.05 0.05] 0 d\n" + Repeat("0 50 m 100 50 l S\n", 1000), false},
      // Undashed, the same lines cost only the pixels they cover.
      {"far lines without dashes", Repeat("-1000000000 50 m 1000000000 50 l S\n", 100), false},
  };
  for (const bool gdiplus : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (gdiplus ? " (GDI+)" : " (GDI)"));
      TestPdf pdf;
      const int page = pdf.AddPage(c.content);
      std::string error;
      rendertest::RenderOurs(pdf, page, &error, 72, gdiplus);
      EXPECT_EQ(error.find(kBudgetErrorText) != std::string::npos, c.tooComplex) << error;
    }
  }
}

}  // namespace
