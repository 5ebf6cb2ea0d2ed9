#include <dlfcn.h>
#include <gtest/gtest.h>

#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pagetree/page_tree.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/streams.h"
#include "tests/support/full_stream.h"

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
  EXPECT_EQ(api.RenderMessage(), "Page 0 not found");
}

// A resolution goes to the renderer as it is: a raster cannot be sized from a negative one,
// which fails the call with the renderer's message; outputs without a raster render.
TEST(TalvoPDFRender, NegativeResolution) {
  TTalvoPDF api;
  TMemoryStream out;
  EXPECT_EQ(api.RenderPage(-72, 1, 0, out), 0);
  EXPECT_FALSE(api.RenderMessage().empty());
  EXPECT_EQ(api.CurrentPageNumber(), 1);
  TMemoryStream eps;
  EXPECT_EQ(api.RenderPage(-72, 1, 4, eps), 1) << api.RenderMessage();
  EXPECT_GT(eps.Size(), 0);
}

// Formats whose writer is not part of the library report failure instead of an empty success.
TEST(TalvoPDFRender, UnavailableFormatsFail) {
  TTalvoPDF api;
  // Format 8 records through the GDI+ provider, which stays mapped once a test of this program
  // has loaded it: then the EMF is written, otherwise the call fails with a message.
  void* provider = dlopen("libvelmora-gdiplus.so", RTLD_NOW | RTLD_NOLOAD);
  {
    TMemoryStream out;
    EXPECT_EQ(api.RenderPage(72, 1, 8, out), provider ? 1 : 0);
    EXPECT_EQ(api.RenderMessage().empty(), provider != nullptr);
  }
  if (provider) dlclose(provider);
  TMemoryStream out;
  EXPECT_EQ(api.RenderPage(72, 1, kNoOutputFormat, out), 1);
  EXPECT_TRUE(api.RenderMessage().empty());  // each render clears the message first
}

// Formats 2 and 3: the page as a placeable WMF and as an EMF, each read back at the page's
// size in pixels; a stream that takes nothing fails the call.
TEST(TalvoPDFRender, MetafileFormatsWriteThePage) {
  for (const auto& [format, enhanced] : {std::pair{2, false}, std::pair{3, true}}) {
    TTalvoPDF api;
    TMemoryStream out;
    ASSERT_EQ(api.RenderPage(72, 1, format, out), 1) << format << ": " << api.RenderMessage();
    out.SetPosition(0);
    TMetafile metafile;
    metafile.LoadFromStream(out);
    EXPECT_EQ(metafile.Enhanced(), enhanced);
    EXPECT_EQ(metafile.Width(), 612);
    EXPECT_EQ(metafile.Height(), 792);

    testsupport::FullStream refusing;
    EXPECT_EQ(api.RenderPage(72, 1, format, refusing), 0) << format;
    EXPECT_EQ(api.RenderMessage(), "Stream write error");
  }
}

uint32_t LE32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

TEST(TalvoPDFRender, BmpResolutionFields) {
  const struct {
    int dpi;
    uint32_t ppm;
    int side;
  } cases[] = {{72, 2834, 10}, {300, 11811, 42}, {96, 3779, 14}};
  for (const auto& c : cases) {
    TTalvoPDF api;
    ASSERT_EQ(api.SetPageSize(10, 10), 1);
    TMemoryStream out;
    ASSERT_EQ(api.RenderPage(c.dpi, 1, 0, out), 1) << api.RenderMessage();
    const std::string b = out.DataString();
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(LE32(b, 38), c.ppm) << c.dpi;
    EXPECT_EQ(LE32(b, 42), c.ppm) << c.dpi;
    EXPECT_EQ(LE32(b, 18), static_cast<uint32_t>(c.side)) << c.dpi;
    EXPECT_EQ(out.Position(), 46);
  }
}

// A BMP rendered into a stream that already holds data is patched in its own header.
TEST(TalvoPDFRender, BmpAfterExistingData) {
  TTalvoPDF api;
  ASSERT_EQ(api.SetPageSize(4, 4), 1);
  TMemoryStream out;
  out.WriteString(std::string(60, 'x'));
  ASSERT_EQ(api.RenderPage(72, 1, 0, out), 1);
  const std::string b = out.DataString();
  EXPECT_EQ(b.substr(0, 60), std::string(60, 'x'));
  EXPECT_EQ(b.substr(60, 2), "BM");
  EXPECT_EQ(LE32(b, 60 + 38), 2834u);
  EXPECT_EQ(LE32(b, 60 + 42), 2834u);
}

TEST(TalvoPDFRender, PngAndJpegCarryTheResolution) {
  TTalvoPDF api;
  ASSERT_EQ(api.SetPageSize(8, 8), 1);
  TMemoryStream png;
  ASSERT_EQ(api.RenderPage(150, 1, 5, png), 1) << api.RenderMessage();
  const std::string p = png.DataString();
  ASSERT_EQ(p.substr(1, 3), "PNG");
  const size_t phys = p.find("pHYs");
  ASSERT_NE(phys, std::string::npos);
  // 150 dpi in pixels per metre, big-endian.
  const uint32_t ppmX = static_cast<uint32_t>(static_cast<uint8_t>(p[phys + 4])) << 24 |
                        static_cast<uint8_t>(p[phys + 5]) << 16 | static_cast<uint8_t>(p[phys + 6]) << 8 |
                        static_cast<uint8_t>(p[phys + 7]);
  EXPECT_EQ(ppmX, 5906u);
  TMemoryStream jpeg;
  ASSERT_EQ(api.RenderPage(150, 1, 1, jpeg), 1) << api.RenderMessage();
  const std::string j = jpeg.DataString();
  ASSERT_EQ(j.substr(0, 2), "\xFF\xD8");
  const size_t jfif = j.find("JFIF");
  ASSERT_NE(jfif, std::string::npos);
  EXPECT_EQ(j[jfif + 7], 1);  // dots per inch
  EXPECT_EQ(static_cast<uint8_t>(j[jfif + 8]) << 8 | static_cast<uint8_t>(j[jfif + 9]), 150);
}

// The JPEG quality is taken into 1 to 100: a value beyond writes at the nearest end of the
// range, never at the value's low byte.
TEST(TalvoPDFRender, JpegQualityOutsideItsRange) {
  auto jpeg = [](int quality) {
    TTalvoPDF api;
    EXPECT_EQ(api.SetPageSize(16, 16), 1);
    api.JPEGQuality = quality;
    TMemoryStream out;
    EXPECT_EQ(api.RenderPage(72, 1, 1, out), 1) << quality << ": " << api.RenderMessage();
    return out.DataString();
  };
  EXPECT_EQ(jpeg(300), jpeg(100));
  EXPECT_EQ(jpeg(-5), jpeg(1));
  EXPECT_NE(jpeg(44), jpeg(100));
  EXPECT_NE(jpeg(1), jpeg(100));
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
