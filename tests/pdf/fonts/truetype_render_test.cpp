// Glyphs of real fonts drawn through the TrueType rasterizer and filled on the anti-aliased
// back end, compared with FreeType's unhinted rendering of the same glyphs.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kSize = 96;       // bitmap side
constexpr int kPixelsPerEm = 64;
constexpr int kOriginX = 16, kOriginY = 72;

using Coverage = std::vector<double>;

Coverage OurRendering(TPDFTrueTypeRasterizer2& rasterizer, const std::string& key, bool* found) {
  auto bitmap = canvastest::WhiteBitmap(kSize, kSize);
  {
    auto canvas = canvastest::CanvasOn(*bitmap, kBackEndGDIPlus);
    canvas->SetFillColor(0);
    canvas->SetFillRule(kFillRuleWinding);
    canvas->NewPath();
    const double s = kPixelsPerEm / 1000.0;
    double x = 0, y = 0;
    *found = rasterizer.DrawGlyph(x, y, 0, key, {s, 0, 0, -s, double(kOriginX), double(kOriginY)}, canvas.get());
    canvas->Fill();
  }
  Coverage c(size_t(kSize) * kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      c[size_t(y) * kSize + size_t(x)] = (255 - ((canvastest::Pixel(*bitmap, x, y) >> 16) & 0xFF)) / 255.0;
  return c;
}

class FreeTypeFace {
 public:
  explicit FreeTypeFace(const std::string& path) {
    if (FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, path.c_str(), 0, &face_) == 0) {
      FT_Set_Pixel_Sizes(face_, 0, kPixelsPerEm);
    }
  }
  ~FreeTypeFace() {
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  bool Ok() const { return face_ != nullptr; }
  int GlyphCount() const { return int(face_->num_glyphs); }

  Coverage Render(int glyph) const {
    Coverage c(size_t(kSize) * kSize, 0.0);
    if (FT_Load_Glyph(face_, FT_UInt(glyph), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return c;
    if (FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) return c;
    const FT_Bitmap& b = face_->glyph->bitmap;
    for (unsigned row = 0; row < b.rows; ++row)
      for (unsigned col = 0; col < b.width; ++col) {
        const int x = kOriginX + face_->glyph->bitmap_left + int(col);
        const int y = kOriginY - face_->glyph->bitmap_top + int(row);
        if (x < 0 || y < 0 || x >= kSize || y >= kSize) continue;
        c[size_t(y) * kSize + size_t(x)] = b.buffer[row * unsigned(b.pitch) + col] / 255.0;
      }
    return c;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// The summed coverage difference against the ink of the larger picture.
double RelativeDifference(const Coverage& a, const Coverage& b, double* ink) {
  double diff = 0, inkA = 0, inkB = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    diff += std::abs(a[i] - b[i]);
    inkA += a[i];
    inkB += b[i];
  }
  *ink = std::max(inkA, inkB);
  return *ink > 0 ? diff / *ink : 0.0;
}

class TrueTypeRendering : public testing::TestWithParam<const char*> {};

TEST_P(TrueTypeRendering, GlyphsMatchFreeType) {
  const std::string path = GetParam();
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "missing " << path;
  TPDFTrueTypeRasterizer2 rasterizer;
  rasterizer.Parser.LoadFromString(testsupport::ReadFile(path));
  FreeTypeFace face(path);
  ASSERT_TRUE(face.Ok());
  ASSERT_EQ(rasterizer.Parser.GlyphCount(), face.GlyphCount());
  int compared = 0, composites = 0;
  // Every 23rd glyph and the accented Latin letters, which are composites in these fonts.
  std::vector<int> glyphs;
  for (int g = 1; g < face.GlyphCount(); g += 23) glyphs.push_back(g);
  for (const char* name : {"Aacute", "ccedilla", "Ntilde", "odieresis", "Uring", "uring", "Scaron"}) {
    const int g = rasterizer.Parser.NameIndex(name);
    if (g > 0) glyphs.push_back(g);
  }
  for (const int g : glyphs) {
    bool found = false;
    const Coverage ours = OurRendering(rasterizer, "GID:" + std::to_string(g), &found);
    EXPECT_TRUE(found) << g;
    const Coverage theirs = face.Render(g);
    double ink = 0;
    const double difference = RelativeDifference(ours, theirs, &ink);
    if (ink < 4) continue;  // blank glyphs and specks
    // Anti-aliasing of the two rasterizers differs by a fraction of a pixel along the edges.
    EXPECT_LT(difference, 0.04) << "glyph " << g << " ink " << ink;
    ++compared;
    if (!rasterizer.Parser.GetGlyph(g).Components.empty()) ++composites;
  }
  EXPECT_GT(compared, 40);
  EXPECT_GT(composites, 3);
}

INSTANTIATE_TEST_SUITE_P(Fonts, TrueTypeRendering,
                         testing::Values("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                         "/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf"));

}  // namespace
