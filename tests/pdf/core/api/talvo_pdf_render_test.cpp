#include <gtest/gtest.h>

#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pagetree/page_tree.h"
#include "platform/rtl/streams.h"

namespace {

constexpr int kNoOutputFormat = 11;  // renders, writes nothing

TEST(TalvoPDFRender, PageNumbersAreClampedAndTheCurrentPageComesBack) {
  TTalvoPDF api;
  for (int page : {0, -5, 1, 99}) {
    TMemoryStream out;
    EXPECT_EQ(api.RenderPage(72, page, kNoOutputFormat, out), 1) << page << ": " << api.RenderMessage();
    EXPECT_EQ(out.Size(), 0);
    EXPECT_EQ(api.CurrentPageNumber(), 1);
  }
}

// A document without pages never hands page 0 to the renderer.
TEST(TalvoPDFRender, NoPagesNoRender) {
  TTalvoPDF api;
  auto* root = api.CurrentDocument()->FindPagesRoot();
  root->SetValue("Count", api.CurrentDocument()->Structure().NewNumeric(0));
  TMemoryStream out;
  EXPECT_EQ(api.PageCount(), 0);
  EXPECT_EQ(api.RenderPage(72, 1, 0, out), 0);
  EXPECT_EQ(out.Size(), 0);
}

TEST(TalvoPDFRender, NegativeResolutionIsRefused) {
  TTalvoPDF api;
  TMemoryStream out;
  EXPECT_EQ(api.RenderPage(-72, 1, 0, out), 0);
  EXPECT_EQ(out.Size(), 0);
}

// Formats whose writer is not part of the library report failure instead of an empty success.
TEST(TalvoPDFRender, UnavailableFormatsFail) {
  TTalvoPDF api;
  for (int format : {4, 6, 7, 10}) {
    TMemoryStream out;
    EXPECT_EQ(api.RenderPage(72, 1, format, out), 0) << format;
    EXPECT_FALSE(api.RenderMessage().empty());
  }
  TMemoryStream out;
  EXPECT_EQ(api.RenderPage(72, 1, kNoOutputFormat, out), 1);
  EXPECT_TRUE(api.RenderMessage().empty());  // each render clears the message first
}

TEST(TalvoPDFRender, MissingPageFailsInThePageTree) {
  TTalvoPDF api;
  TMemoryStream out;
  std::string message;
  TGDIPlusSettings settings;
  EXPECT_FALSE(api.CurrentDocument()->PageTree().RenderPage(2, 0, 72, 75, settings, out, message, 2, {}));
  EXPECT_EQ(message, "Page 2 not found");
}

}  // namespace
