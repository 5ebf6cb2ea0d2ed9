// The document side of the main road, judged by poppler: a file loaded through the API and
// placed at (1, 1) at full size, the document written as PDF, checked by qpdf, and the image
// XObject pulled out and decoded by poppler's pdfimages equals Pillow's decode of the file.
// (pdftoppm's own rendering smooths images even at 1:1 and is no pixel oracle; poppler keeps
// 16-bit samples at 8 bits and wraps 0xFF80 and above to 0, so 16-bit files are left out.)
#include <gtest/gtest.h>

#include <sstream>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/api/talvo_pdf.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/pdf/support/pdf_test_writer.h"

using imagetest::ImageSet;

namespace {

std::string PillowRGB(const std::string& path) {
  const std::string hex = imagetest::RunPython("print(Image.open(sys.argv[1]).convert('RGB').tobytes().hex())", {path});
  std::string out;
  for (size_t i = 0; i + 1 < hex.size() && hex[i] != '\n'; i += 2) out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

struct RoadCase {
  const char* kind;
  const char* file;
  int tolerance;
};

TEST(ImportRoad, PopplerDecodesWhatPillowDecodes) {
  REQUIRE_IMAGE_TOOLS();
  REQUIRE_TOOL("pdfimages");
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("qpdf");
  const RoadCase cases[] = {
      {"bmp", "rgb24.bmp", 0},      {"bmp", "pal8.bmp", 0},      {"bmp", "grey8.bmp", 0},
      {"bmp", "mono.bmp", 0},       {"bmp", "mono_whitefirst.bmp", 0}, {"bmp", "rgb24_topdown.bmp", 0},
      {"png", "rgb8.png", 0},       {"png", "pal4.png", 0},      {"png", "grey1_il.png", 0},
      {"png", "grey2.png", 0},      {"png", "rgba8_il.png", 0},  {"png", "la8.png", 0},
      {"jpeg", "baseline.jpg", 2},  {"jpeg", "progressive.jpg", 2}, {"jpeg", "grey.jpg", 2},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.file);
    const ImageSet& set = ImageSet::Get(t.kind);
    ASSERT_TRUE(set.ok()) << set.error();
    TTalvoPDF api;
    api.SetCoordinateOrigin(1);
    api.SetUnits(0);
    TMemoryStream file(set.Read(t.file));
    const int32_t handle = api.LoadImageStream(file, 0);
    ASSERT_NE(handle, 0);
    api.SetCurrentImage(handle);
    const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
    ASSERT_GT(w, 0);
    ASSERT_EQ(api.SetPageSize(w, h), 1);
    ASSERT_EQ(api.PlaceImage(1, 1, w, h), 1);
    testsupport::TempDir dir;
    testpdf::WriteDocument(*api.CurrentDocument(), dir.File("road.pdf"));
    std::string out;
    EXPECT_EQ(testsupport::Run("qpdf --check " + dir.File("road.pdf") + " 2>&1", &out), 0) << out;
    EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
    ASSERT_EQ(testsupport::Run("pdfimages -png " + dir.File("road.pdf") + " " + dir.File("x") + " 2>&1", &out), 0) << out;
    EXPECT_EQ(out, "");
    const std::string extracted = PillowRGB(dir.File("x-000.png"));
    const std::string source = PillowRGB(set.Path(t.file));
    ASSERT_EQ(source.size(), size_t(w) * h * 3);
    EXPECT_LE(imagetest::MaxDifference(extracted, source), t.tolerance);
    // The page is the image's size at 72 dpi.
    ASSERT_EQ(testsupport::Run("pdftoppm -r 72 -singlefile " + dir.File("road.pdf") + " " + dir.File("p") + " 2>&1", &out), 0);
    const std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    EXPECT_EQ(testsupport::ReadFile(dir.File("p.ppm")).rfind(head, 0), 0u);
  }
}

}  // namespace
