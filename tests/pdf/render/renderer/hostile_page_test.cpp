// Pages built to hurt the renderer: each render ends and says what went wrong
// (or draws what it can when nothing did).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::TestPdf;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  out.reserve(s.size() * size_t(n));
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct HostileCase {
  const char* name;
  std::string content;
  std::string resources;
  std::vector<std::string> objects;  // 5, 6, ...: "stream:<dict>|<data>" for streams
  std::string error;                 // the start of the error text ("" for none)
  std::string mediaBox = "[0 0 50 50]";
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostilePage : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostilePage, EndsQuicklyWithItsErrorText) {
  const HostileCase& c = GetParam();
  TestPdf pdf;
  const int page = pdf.AddPage(c.content, c.resources, c.mediaBox);
  pdf.AddObjects(c.objects);
  std::string error;
  rendertest::RenderOurs(pdf, page, &error);
  if (c.error.empty())
    EXPECT_EQ(error, "") << c.name;
  else
    EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.name << ": " << error;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, HostilePage,
    ::testing::Values(
        HostileCase{"self_drawing_form", "/X Do", "<< /XObject << /X 5 0 R >> >>",
                    {"stream:<< /Subtype /Form /Resources << /XObject << /X 5 0 R >> >> >>|0 0 9 9 re f /X Do /X Do"},
                    kNestingErrorText},
        HostileCase{"calculator_stack_bomb", "/S cs 0.5 sc 0 0 9 9 re f",
                    "<< /ColorSpace << /S [/Separation /A /DeviceGray 5 0 R] >> >>",
                    {"stream:<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>|{ " + Repeat("dup ", 200) + "}"},
                    "Rendering exception: Calculator stack overflow"},
        HostileCase{"function_listing_itself", "/S cs 0.5 sc 0 0 9 9 re f",
                    "<< /ColorSpace << /S [/Separation /A /DeviceGray 5 0 R] >> >>",
                    {"<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [5 0 R] >>"}, ""},
        HostileCase{"huge_box", "0 0 m 1 1 l S", "<< >>", {}, kRasterTooLargeText, "[0 0 2000000 2000000]"},
        HostileCase{"save_bomb", Repeat("q 0 0 1 1 re W n ", 100000) + "0 0 9 9 re f", "<< >>", {}, ""},
        HostileCase{"clip_and_restore_flood", Repeat("q 0 0 1 1 re W n Q ", 300000) + "0 0 9 9 re f", "<< >>", {}, ""},
        HostileCase{"operand_flood", Repeat("1 ", 2000000) + "/Name (string) <abcd> 0 0 9 9 re f", "<< >>", {}, ""},
        HostileCase{"truncated_content", "q 1 0 0 RG 0 0 m 10 10 l S (unterminated string Tj 0 0 9 9 re", "<< >>", {},
                    ""},
        HostileCase{"marked_content_flood", Repeat("/Span BMC ", 200000) + Repeat("EMC ", 300000), "<< >>", {}, ""},
        HostileCase{"deep_dash_and_width", "1e300 w [" + Repeat("0.001 ", 50) + "] 0 d 0 0 m 50 50 l S "
                    "99999999999999999999999999999 0 0 1 0 0 cm 0 0 1 1 re f", "<< >>", {}, ""}));

}  // namespace
