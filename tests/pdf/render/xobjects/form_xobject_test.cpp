// Form XObjects: matrix, bounding-box clip and inherited resources; optional content of an
// XObject; forms that draw themselves, chains past the nesting limit and fan-outs past the
// render budget; the error text of a render that met a failing image.
#include <gtest/gtest.h>

#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"
#include "tests/pdf/render/support/recording_canvas.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::RecordingCanvas;
using rendertest::TestPdf;

std::string RunPage(TestPdf& pdf, int page, const std::string& content, std::string* error = nullptr,
                    TPDFRenderer* use = nullptr) {
  TPDFFontCollection fonts;
  TPDFRenderer own(&fonts);
  TPDFRenderer& renderer = use != nullptr ? *use : own;
  RecordingCanvas canvas;
  renderer.RunContentStream(&canvas, pdf.Dict(page), nullptr, content);
  if (error != nullptr) *error = renderer.ErrorText;
  return canvas.Text();
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(FormXObject, RunsUnderItsMatrixInsideItsBox) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /XObject << /Fm 5 0 R >> >>");
  pdf.AddStream("<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Matrix [2 0 0 2 100 0] >>", "1 1 m 3 3 l S");
  std::string error;
  EXPECT_EQ(RunPage(pdf, page, "q 1 0 0 1 0 50 cm /Fm Do Q 0 0 m 1 1 l S", &error),
            "newpath\nm 100 50\nl 100 70\nl 120 70\nl 120 50\nh\n"  // the box, made the clip
            "newpath\nm 102 52\nl 106 56\nS color=000000 width=2 dash=\n"
            "newpath\nm 0 0\nl 1 1\nS color=000000 width=1 dash=\n");
  EXPECT_EQ(error, "");
}

TEST(FormXObject, WithoutResourcesItUsesTheCallersAndStartsFromItsState) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /XObject << /Outer 5 0 R /Inner 6 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form >>", "/Inner Do");
  pdf.AddStream("<< /Subtype /Form >>", "0 0 m 1 1 l S");
  EXPECT_EQ(RunPage(pdf, page, "1 0 0 RG 3 w /Outer Do"), "newpath\nm 0 0\nl 1 1\nS color=FF0000 width=3 dash=\n");
}

TEST(FormXObject, NamesWithEscapesAndMissingEntriesAreHandled) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /XObject << /A#20B 5 0 R /NotStream 6 0 R /NoType 7 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form >>", "0 0 m 1 1 l S");
  pdf.Add("<< /Subtype /Form >>");
  pdf.AddStream("<< >>", "0 0 m 1 1 l S");
  EXPECT_EQ(Count(RunPage(pdf, page, "/A#20B Do"), "S color"), 1u);
  EXPECT_EQ(RunPage(pdf, page, "/NotStream Do /NoType Do /Missing Do Do"), "");
}

TEST(FormXObject, OptionalContentOfTheXObjectDecides) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /XObject << /Off 5 0 R /Unknown 6 0 R /Md 8 0 R >> "
                                   "/Properties << /Hide 9 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form /OC 9 0 R >>", "0 0 m 1 1 l S");
  pdf.AddStream("<< /Subtype /Form /OC 10 0 R >>", "0 0 m 1 1 l S");
  pdf.Add("<< >>");
  pdf.AddStream("<< /Subtype /Form /OC 11 0 R >>", "0 0 m 1 1 l S");
  pdf.Add("<< /Type /OCG >>");                                  // 9: off
  pdf.Add("<< /Type /OCG >>");                                  // 10: not in the list
  pdf.Add("<< /Type /OCMD /OCGs [9 0 R 10 0 R] /P /AllOn >>");  // 11
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  pdf.Dict(page);
  renderer.OptionalContentStates = {{pdf.Store().NewIndRef(9, 0), false}};
  EXPECT_EQ(RunPage(pdf, page, "/Off Do", nullptr, &renderer), "");
  EXPECT_EQ(Count(RunPage(pdf, page, "/Unknown Do", nullptr, &renderer), "S color"), 1u);
  EXPECT_EQ(RunPage(pdf, page, "/Md Do", nullptr, &renderer), "");
  // Inside hidden marked content Do draws nothing either.
  EXPECT_EQ(RunPage(pdf, page, "/OC /Hide BDC /Unknown Do EMC", nullptr, &renderer), "");
}

TEST(FormXObject, AFormThatDrawsItselfStopsAtOnce) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /XObject << /X 5 0 R /Y 6 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form >>", "0 0 m 1 1 l S /X Do /Y Do /X Do");
  pdf.AddStream("<< /Subtype /Form >>", "/X Do 2 2 m 3 3 l S");
  std::string error;
  const std::string calls = RunPage(pdf, page, "/X Do 5 5 m 6 6 l S", &error);
  EXPECT_EQ(error, kNestingErrorText);
  EXPECT_EQ(Count(calls, "S color"), 3u);  // X once, Y once, the page's own line
  EXPECT_NE(calls.find("m 5 5"), std::string::npos);
}

TEST(FormXObject, ChainsStopAtTheNestingLimit) {
  TestPdf pdf;
  const int page = pdf.AddPage("", "<< /XObject << /F 5 0 R >> >>");
  const int kForms = 60;
  for (int i = 0; i < kForms; ++i)
    pdf.AddStream("<< /Subtype /Form /Resources << /XObject << /F " + std::to_string(6 + i) + " 0 R >> >> >>",
                  "0 0 m 1 1 l S /F Do");
  std::string error;
  const std::string calls = RunPage(pdf, page, "/F Do", &error);
  EXPECT_EQ(error, kNestingErrorText);
  // The page runs at depth 1; every form below the limit draws its line.
  EXPECT_EQ(Count(calls, "S color"), size_t(kRenderNestingLimit - 1));
}

TEST(FormXObject, FanOutsEndWithinTheRenderBudget) {
  TestPdf pdf;
  const int page = pdf.AddPage("/F Do", "<< /XObject << /F 5 0 R >> >>");
  const int kLevels = 28;
  for (int i = 0; i < kLevels; ++i)
    pdf.AddStream("<< /Subtype /Form /Resources << /XObject << /F " + std::to_string(6 + i) + " 0 R >> >> >>",
                  "0 0 m 1 1 l S /F Do /F Do /F Do /F Do");
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.LibraryPath = rendertest::ProviderPath();
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  EXPECT_NE(renderer.ErrorText.find(kBudgetErrorText), std::string::npos) << renderer.ErrorText;
  // The next render has its budget back.
  TestPdf small;
  const int smallPage = small.AddPage("0 0 m 1 1 l S");
  renderer.Page = small.Dict(smallPage);
  renderer.RenderPage();
  EXPECT_EQ(renderer.ErrorText, "");
}

TEST(FormXObject, FanOutsOfPageSizedPaintsEndWithinSeconds) {
  TestPdf pdf;
  const int page = pdf.AddPage("/F Do", "<< /XObject << /F 5 0 R >> >>", "[0 0 612 792]");
  for (int i = 0; i < 28; ++i)
    pdf.AddStream("<< /Subtype /Form /Resources << /XObject << /F " + std::to_string(6 + i) + " 0 R >> >> >>",
                  "0.5 g 0 0 612 792 re f /F Do /F Do /F Do /F Do");
  // The budget, not the size of the fan-out, ends the render (the test's time-out catches a runaway).
  std::string error;
  rendertest::RenderOurs(pdf, page, &error);
  EXPECT_NE(error.find(kBudgetErrorText), std::string::npos) << error;
}

TEST(FormXObject, AnImageFailureStaysTheRendersErrorThroughLaterForms) {
  TestPdf pdf;
  const int page = pdf.AddPage("/Im Do /Fm Do", "<< /XObject << /Im 5 0 R /Fm 6 0 R >> >>");
  pdf.AddStream("<< /Subtype /Image /Width 0 /Height 0 >>", "");
  pdf.AddStream("<< /Subtype /Form /BBox [0 0 10 10] >>", "0 0 1 1 re f");
  std::string error;
  rendertest::RenderOurs(pdf, page, &error);
  EXPECT_EQ(error, kImageDrawError);
}

}  // namespace
