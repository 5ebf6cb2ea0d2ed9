#include "pdf/core/api/talvo_pdf.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/core/xmp/xmp_packet.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"

namespace {

TEST(TalvoPDF, FreshObject) {
  TOrvanePDFLibrary0915 api;
  ASSERT_NE(api.CurrentDocument(), nullptr);
  EXPECT_EQ(api.PageCount(), 1);
  EXPECT_EQ(api.CurrentPageNumber(), 1);
  EXPECT_EQ(api.DocumentFromHandle(0x58000000), api.CurrentDocument());
  EXPECT_EQ(api.CurrentImage(), nullptr);
  EXPECT_EQ(api.CurrentFont(), nullptr);
  EXPECT_EQ(api.CurrentImageWidth(), 0);
  EXPECT_EQ(api.CurrentImageHeight(), 0);
  EXPECT_EQ(api.LastError(), 0);
  EXPECT_EQ(api.JPEGQuality, 75);
  EXPECT_EQ(api.DPIFactor, 1.0);
  EXPECT_EQ(api.PageBox, 2);
  TGDIPlusSettings defaults;
  InitDaubrixOptions(defaults);
  EXPECT_EQ(api.GDIPlusSettings, defaults);
  EXPECT_EQ(api.CurrentDocument()->PageTree().GetPageWidth(), 612);
  EXPECT_EQ(api.CurrentDocument()->PageTree().GetPageHeight(), 792);
}

TEST(TalvoPDF, ConstructorSetsDocumentProperties) {
  TTalvoPDF api;
  TPDFDocument& doc = *api.CurrentDocument();
  TPDFDictionary* info = doc.GetInfoDictionary();
  const std::string producer = info->GetValueText("Producer");
  EXPECT_EQ(producer.rfind("Orvane Talvo PDF Library 9.15 (", 0), 0u);
  // The address lies under the reserved example domain.
  EXPECT_TRUE(producer.find("example.com") != std::string::npos || producer.find("example.org") != std::string::npos);
  EXPECT_EQ(producer.back(), ')');
  EXPECT_EQ(info->GetValueText("Creator"), producer);
  const std::string created = info->GetValueText("CreationDate");
  EXPECT_EQ(created.rfind("D:", 0), 0u);
  EXPECT_EQ(info->GetValueText("ModDate"), created);
  ASSERT_NE(doc.XMP(), nullptr);
  EXPECT_EQ(doc.XMP()->SelectText("//pdf:Producer"), producer);
  EXPECT_EQ(doc.XMP()->SelectText("//xmp:CreatorTool"), producer);
  const std::string xmpDate = doc.XMP()->SelectText("//xmp:CreateDate");
  EXPECT_EQ(xmpDate.substr(0, 4), created.substr(2, 4));
  EXPECT_EQ(xmpDate[4], '-');
  EXPECT_EQ(doc.XMP()->SelectText("//xmp:ModifyDate"), xmpDate);
}

TEST(TalvoPDF, HandleRules) {
  TTalvoPDF api;
  EXPECT_EQ(api.RegisterDocument(api.CurrentDocument()), 0x58000000);
  EXPECT_EQ(api.RegisterDocument(nullptr), 0);
  EXPECT_EQ(api.DocumentFromHandle(0x78000000), api.CurrentDocument());  // more high bits set
  EXPECT_EQ(api.DocumentFromHandle(0x58000001), nullptr);                // count is 1
  EXPECT_EQ(api.DocumentFromHandle(0x18000000), nullptr);                // a base bit missing
  EXPECT_EQ(api.DocumentFromHandle(0), nullptr);
  EXPECT_EQ(api.ImageFromHandle(0x58000000), nullptr);  // wrong class
  EXPECT_EQ(api.FontFromHandle(0x58000000), nullptr);
  EXPECT_EQ(api.SetCurrentDocument(0x58000001), 0);
  EXPECT_EQ(api.SetCurrentDocument(0x58000000), 1);
  EXPECT_EQ(api.SetCurrentImage(0x58000000), 0);
  EXPECT_EQ(api.SetCurrentFont(0x58000000), 0);
}

TEST(TalvoPDF, FontsAndTextSize) {
  TTalvoPDF api;
  EXPECT_EQ(api.AddStandardFontByIndex(14), 0);
  EXPECT_EQ(api.AddStandardFontByIndex(-1), 0);
  const int32_t h = api.AddStandardFontByIndex(8);
  EXPECT_EQ(h, 0x58000001);
  ASSERT_NE(api.CurrentFont(), nullptr);
  EXPECT_EQ(api.CurrentFont()->BaseFont(), "Times-Roman");
  EXPECT_EQ(api.CurrentFontHandle(), h);
  EXPECT_EQ(api.TextSize(), 12);
  auto* fonts = PDFCast<TPDFDictionary>(api.CurrentDocument()->PageTree().GetResources()->GetValue("Font"));
  ASSERT_NE(fonts, nullptr);
  EXPECT_NE(fonts->GetValue(api.CurrentFont()->Name()), nullptr);
  EXPECT_EQ(api.SetTextSize(20), 1);
  EXPECT_EQ(api.TextSize(), 20);
  // Selecting the page again clears the painter; the current font comes back at 12.
  EXPECT_EQ(api.SetCurrentPage(1), 1);
  EXPECT_EQ(api.TextSize(), 12);
  EXPECT_EQ(api.CurrentDocument()->PageTree().Painter().Font, api.CurrentFont());
}

TEST(TalvoPDF, TextSizeWithoutFontAddsHelvetica) {
  TTalvoPDF api;
  EXPECT_EQ(api.SetTextSize(9), 1);
  ASSERT_NE(api.CurrentFont(), nullptr);
  EXPECT_EQ(api.CurrentFont()->BaseFont(), "Helvetica");
  EXPECT_EQ(api.TextSize(), 9);
}

TEST(TalvoPDF, SetCurrentPageWithFontKeepsSize12) {
  TTalvoPDF api;
  api.AddStandardFontByIndex(0);
  EXPECT_EQ(api.SetCurrentPage(1), 1);
  EXPECT_EQ(api.TextSize(), 12);
  EXPECT_EQ(api.SetCurrentPage(2), 0);
  EXPECT_EQ(api.SetCurrentPage(0), 0);
  EXPECT_EQ(api.CurrentPageNumber(), 1);
}

TEST(TalvoPDF, UnitsAndOrigins) {
  TTalvoPDF api;
  TPDFDocument& doc = *api.CurrentDocument();
  for (int bad : {7, -1}) {
    EXPECT_EQ(api.SetUnits(bad), 1);
    EXPECT_EQ(doc.UnitsDivisor, 1.0);
  }
  api.SetUnits(1);
  EXPECT_EQ(std::bit_cast<uint64_t>(doc.UnitsDivisor), 0x3FD693E93E93E93Full);
  EXPECT_NEAR(api.ConvertLength(25.4), 72, 1e-9);
  api.SetUnits(2);
  EXPECT_EQ(std::bit_cast<uint64_t>(doc.UnitsDivisor), 0x3F8C71C71C71C71Cull);
  EXPECT_NEAR(api.ConvertLength(2), 144, 1e-9);
  api.SetUnits(0);
  EXPECT_EQ(api.SetCoordinateOrigin(4), 1);
  EXPECT_EQ(doc.CoordinateOrigin, 0);
  const struct {
    int origin;
    double x, y;
  } cases[] = {{0, 10, 20}, {1, 10, 772}, {2, 602, 772}, {3, 602, 20}};
  for (const auto& c : cases) {
    api.SetCoordinateOrigin(c.origin);
    EXPECT_EQ(api.ConvertX(10), c.x) << c.origin;
    EXPECT_EQ(api.ConvertY(20), c.y) << c.origin;
  }
}

TEST(TalvoPDF, PageSize) {
  TTalvoPDF api;
  TPDFPageTree& tree = api.CurrentDocument()->PageTree();
  EXPECT_EQ(api.SetPageSize(100, 50), 1);
  EXPECT_EQ(tree.GetPageWidth(), 100);
  EXPECT_EQ(tree.Page()->GetValue("MediaBox")->ToString(), "[ 0 0 100 50 ]");
  api.SetUnits(2);
  EXPECT_EQ(api.SetPageSize(1, 2), 1);
  EXPECT_NEAR(tree.GetPageWidth(), 72, 1e-9);
  EXPECT_NEAR(tree.GetPageHeight(), 144, 1e-9);
  api.SetUnits(0);
  // Sizes no PDF number can hold do not take, and the old size stays.
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double bad[][2] = {{inf, 10}, {10, -inf}, {10, nan}, {nan, 10}};
  for (const auto& b : bad) {
    EXPECT_EQ(api.SetPageSize(b[0], b[1]), 0) << b[0] << " x " << b[1];
    EXPECT_NEAR(tree.GetPageWidth(), 72, 1e-9);
    EXPECT_NEAR(tree.GetPageHeight(), 144, 1e-9);
  }
  // Any size that reads back takes, also one no raster at 72 dpi could hold: whether a page
  // can be drawn is the render's answer, at the resolution asked for.
  const double taken[][2] = {{0, 10}, {10, -1}, {16385, 16385}, {268435457, 1}, {20000, 20000}};
  for (const auto& t : taken) {
    EXPECT_EQ(api.SetPageSize(t[0], t[1]), 1) << t[0] << " x " << t[1];
    EXPECT_EQ(tree.GetPageWidth(), t[0]);
    EXPECT_EQ(tree.GetPageHeight(), t[1]);
  }
}

// A page of 20,000 x 20,000 points is a valid page: at 72 dpi its raster is beyond the bitmap
// cap and the render says so; at 9 dpi it is drawn.
TEST(TalvoPDF, APageTooLargeFor72DpiRendersSmaller) {
  TTalvoPDF api;
  ASSERT_EQ(api.SetPageSize(20000, 20000), 1);
  TMemoryStream large;
  EXPECT_EQ(api.RenderPage(72, 1, 0, large), 0);
  EXPECT_FALSE(api.RenderMessage().empty());
  TMemoryStream small;
  ASSERT_EQ(api.RenderPage(9, 1, 0, small), 1) << api.RenderMessage();
  TBitmap page;
  small.SetPosition(0);
  page.LoadFromStream(small);
  EXPECT_EQ(page.Width(), 2500);
  EXPECT_EQ(page.Height(), 2500);
}

TEST(TalvoPDF, PlaceImageWithoutImage) {
  TTalvoPDF api;
  EXPECT_EQ(api.PlaceImage(1, 1, 10, 10), 0);
}

TEST(TalvoPDF, LoadFailuresAnswerZero) {
  TTalvoPDF api;
  EXPECT_EQ(api.LoadImageFile(u"/nonexistent/file.png", 0), 0);
  EXPECT_EQ(api.LoadImageFile(u"/tmp", 0), 0);  // a folder
  TMemoryStream junk("not an image at all");
  EXPECT_EQ(api.LoadImageStream(junk, 0), 0);
  TMemoryStream empty;
  EXPECT_EQ(api.LoadImageStream(empty, 0), 0);
  EXPECT_EQ(api.CurrentDocument()->ImageCount(), 0);
  EXPECT_EQ(api.CurrentDocument()->SlotCount(), 5);
}

}  // namespace
