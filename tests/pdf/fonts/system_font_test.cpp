// Installed faces: their data read back into the TrueType rasterizer (plain, OpenType CFF, and
// a face of a collection file), the GDI outline rasterizer against the outlines read from the
// same font file, and the native-outline vectoriser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "pdf/fonts/formats/vectoriser/ttf_to_vector.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/support/test_support.h"

namespace {

const std::string kSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const std::string kMono = "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf";

struct Box {
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  int calls = 0;
};

// The box of every point the canvas received.
Box BoxOf(const std::vector<std::string>& calls) {
  Box b;
  for (const std::string& c : calls) {
    std::vector<double> v;
    const char* p = c.c_str() + 1;
    char* end = nullptr;
    for (double d = std::strtod(p, &end); end != p; d = std::strtod(p, &end)) {
      v.push_back(d);
      p = end;
    }
    for (size_t i = 0; i + 1 < v.size(); i += 2) {
      b.x0 = std::min(b.x0, v[i]), b.x1 = std::max(b.x1, v[i]);
      b.y0 = std::min(b.y0, v[i + 1]), b.y1 = std::max(b.y1, v[i + 1]);
    }
    ++b.calls;
  }
  return b;
}

std::vector<std::string> Draw(TPDFFontRasterizer& r, const std::string& key, bool* found = nullptr) {
  canvastest::RecordingCanvas canvas;
  double x = 0, y = 0;
  const bool result = r.DrawGlyph(x, y, 0, key, kIdentityMatrix, &canvas);
  if (found != nullptr) *found = result;
  return canvas.calls;
}

}  // namespace

TEST(SystemFontData, InstalledTrueTypeFace) {
  if (!std::filesystem::exists(kSans)) GTEST_SKIP() << "missing " << kSans;
  TPDFTrueTypeRasterizer2 r;
  r.GetFont().SetName("Liberation Sans");
  r.LoadSystemFontData();
  TPDFTrueTypeParser file;
  file.LoadFromString(testsupport::ReadFile(kSans));
  EXPECT_EQ(r.Parser.GlyphCount(), file.GlyphCount());
  EXPECT_EQ(r.Parser.OffsetDelta, 0);
  EXPECT_FALSE(r.HasCFF);
  EXPECT_TRUE(r.FontData.empty());
  bool found = false;
  EXPECT_GT(Draw(r, "U+0041", &found).size(), 4u);
  EXPECT_TRUE(found);
}

TEST(SystemFontData, InstalledOpenTypeCffFaceKeepsItsData) {
  const std::string otf = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
  if (!std::filesystem::exists(otf)) GTEST_SKIP() << "missing " << otf;
  TPDFTrueTypeRasterizer2 r;
  r.GetFont().SetName("Nimbus Sans");
  r.LoadSystemFontData();
  EXPECT_TRUE(r.HasCFF);
  EXPECT_EQ(r.FontData, testsupport::ReadFile(otf));
  EXPECT_NE(r.Parser.GetCFFTable(), 0u);
}

TEST(SystemFontData, FaceOfACollectionIsRebased) {
  if (!std::filesystem::exists(kSans) || !std::filesystem::exists(kMono)) GTEST_SKIP() << "fonts missing";
  if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
  testsupport::TempDir dir;
  const std::string ttc = dir.File("pair.ttc");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 '" + testsupport::SourceDir() +
                             "/tests/support/make_font_collection.py' '" + ttc + "' 'Velmora Rebase One=" + kSans +
                             "' 'Velmora Rebase Two=" + kMono + "'"),
            0);
  const std::u16string wide(ttc.begin(), ttc.end());
  ASSERT_GT(AddFontResourceW(wide.c_str()), 0);
  {
    TPDFTrueTypeRasterizer2 r;
    r.GetFont().SetName("Velmora Rebase Two");
    r.LoadSystemFontData();
    TPDFTrueTypeRasterizer2 direct;
    direct.Parser.LoadFromString(testsupport::ReadFile(kMono));
    EXPECT_GT(r.Parser.OffsetDelta, 0);
    EXPECT_EQ(r.Parser.GlyphCount(), direct.Parser.GlyphCount());
    for (const char* key : {"U+0041", "U+00E9", "U+0067", "GID:100"}) {
      const std::vector<std::string> ours = Draw(r, key);
      EXPECT_FALSE(ours.empty()) << key;
      EXPECT_EQ(ours, Draw(direct, key)) << key;
    }
  }
  RemoveFontResourceW(wide.c_str());
}

TEST(SimpleTrueTypeRasterizer, OutlinesInThousandthsOfTheEm) {
  if (!std::filesystem::exists(kSans)) GTEST_SKIP() << "missing " << kSans;
  TPDFSimpleTrueTypeRasterizer gdi;
  EXPECT_EQ(gdi.ScreenDPI, 96);
  EXPECT_EQ(gdi.OutlineFontSize(), 750);
  EXPECT_EQ(gdi.GetFontMatrixScale(), 1.0);
  gdi.GetFont().SetName("Liberation Sans");
  TPDFTrueTypeRasterizer2 file;
  file.Parser.LoadFromString(testsupport::ReadFile(kSans));
  for (const auto& [gdiKey, fileKey] : {std::pair{"CID:65", "U+0041"}, std::pair{"GID:103", "U+0067"},
                                        std::pair{"CID:233", "U+00E9"}, std::pair{"GID:8364", "U+20AC"}}) {
    bool found = false;
    const std::vector<std::string> calls = Draw(gdi, gdiKey, &found);
    EXPECT_TRUE(found) << gdiKey;
    ASSERT_FALSE(calls.empty()) << gdiKey;
    EXPECT_EQ(calls.front()[0], 'M');
    EXPECT_EQ(calls.back(), "Z");
    const Box a = BoxOf(calls), b = BoxOf(Draw(file, fileKey));
    // The same outline, the GDI one possibly grid-fitted at 1000 pixels per em.
    EXPECT_NEAR(a.x0, b.x0, 3) << gdiKey;
    EXPECT_NEAR(a.x1, b.x1, 3) << gdiKey;
    EXPECT_NEAR(a.y0, b.y0, 3) << gdiKey;
    EXPECT_NEAR(a.y1, b.y1, 3) << gdiKey;
  }
  // The space: an answer without contours.
  bool found = false;
  EXPECT_TRUE(Draw(gdi, "CID:32", &found).empty());
  EXPECT_TRUE(found);
  // Under an offset and a matrix.
  canvastest::RecordingCanvas canvas;
  double x = 1000, y = 0;
  gdi.DrawGlyph(x, y, 0, "GID:65", {0.01, 0, 0, -0.01, 50, 60}, &canvas);
  const Box moved = BoxOf(canvas.calls);
  EXPECT_GT(moved.x0, 50 + 10 - 1);
  EXPECT_LT(moved.y1, 60 + 0.5);
}

TEST(TTFToVector, ParsesNativeRecords) {
  // One polygon: start (0, 0), a line to (10, 0), a quadratic record of three points.
  std::vector<uint8_t> buf;
  auto u32 = [&buf](uint32_t v) {
    for (int i = 0; i < 4; ++i) buf.push_back(uint8_t(v >> (8 * i)));
  };
  auto u16 = [&buf](uint16_t v) {
    buf.push_back(uint8_t(v));
    buf.push_back(uint8_t(v >> 8));
  };
  auto fixed = [&](double v) { u32(uint32_t(int32_t(v * 65536))); };
  u32(16 + 12 + 28);
  u32(TT_POLYGON_TYPE);
  fixed(0), fixed(0);
  u16(TT_PRIM_LINE), u16(1), fixed(10), fixed(0);
  u16(TT_PRIM_QSPLINE), u16(3), fixed(20), fixed(0), fixed(20), fixed(20), fixed(10), fixed(20);
  TFontCurveCollection curves;
  TTTFToVectorConverter::ParseNativeOutline(buf.data(), buf.size(), curves);
  ASSERT_EQ(curves.ContourCount(), 1);
  const auto& seg = curves.Segments(0);
  ASSERT_EQ(seg.size(), 3u);
  ASSERT_TRUE(std::holds_alternative<TFontLine>(seg[0]));
  const TFontSpline& first = std::get<TFontSpline>(seg[1]);
  // From (10, 0) over (20, 0) to the midpoint (20, 10): controls (P0 + 2B) / 3 and (P2 + 2B) / 3.
  EXPECT_DOUBLE_EQ(first.X1, 50.0 / 3);
  EXPECT_DOUBLE_EQ(first.Y1, 0);
  EXPECT_DOUBLE_EQ(first.X2, 20);
  EXPECT_DOUBLE_EQ(first.Y2, 10.0 / 3);
  EXPECT_DOUBLE_EQ(first.X3, 20);
  EXPECT_DOUBLE_EQ(first.Y3, 10);
  const TFontSpline& second = std::get<TFontSpline>(seg[2]);
  EXPECT_DOUBLE_EQ(second.X3, 10);
  EXPECT_DOUBLE_EQ(second.Y3, 20);
  // Appends; a buffer of another type, a record past its polygon and a short header add nothing.
  TTTFToVectorConverter::ParseNativeOutline(buf.data(), buf.size(), curves);
  EXPECT_EQ(curves.ContourCount(), 2);
  std::vector<uint8_t> other = buf;
  other[4] = 25;
  TFontCurveCollection none;
  TTTFToVectorConverter::ParseNativeOutline(other.data(), other.size(), none);
  EXPECT_EQ(none.ContourCount(), 0);
  std::vector<uint8_t> lying = buf;
  lying[16 + 12 + 2] = 200;  // the quadratic record claims 200 points
  TTTFToVectorConverter::ParseNativeOutline(lying.data(), lying.size(), none);
  EXPECT_EQ(none.ContourCount(), 1);
  EXPECT_EQ(none.Segments(0).size(), 1u);
  TTTFToVectorConverter::ParseNativeOutline(buf.data(), 15, none);
  std::vector<uint8_t> tiny = buf;
  tiny[0] = 3;  // a polygon shorter than its own header
  TFontCurveCollection still;
  TTTFToVectorConverter::ParseNativeOutline(tiny.data(), tiny.size(), still);
  EXPECT_EQ(still.ContourCount(), 0);
}

TEST(TTFToVector, InstalledGlyphsAppend) {
  TTTFToVectorConverter converter;
  EXPECT_EQ(converter.Font().Name(), "Arial");
  EXPECT_EQ(converter.Font().Size(), 28);
  EXPECT_TRUE(converter.ConvertGlyph(' '));
  EXPECT_EQ(converter.Curves().ContourCount(), 0);
  EXPECT_GT(converter.CellIncX(), 0);
  converter.ConvertGlyph('o');
  const int after = converter.Curves().ContourCount();
  EXPECT_EQ(after, 2);
  converter.ConvertGlyph('i');
  EXPECT_EQ(converter.Curves().ContourCount(), after + 2);
  TFont font;
  font.SetName("Liberation Mono");
  font.SetSize(10);
  converter.SetFont(font);
  EXPECT_EQ(converter.Font().Name(), "Liberation Mono");
  EXPECT_EQ(converter.Font().Size(), 10);
}

// The system hands the outlines of an installed CFF face as cubic records; each becomes a
// spline of its own, so the face's curves are drawn as curves.
TEST(TTFToVector, CubicRecordsOfACffFace) {
  TTTFToVectorConverter converter;
  TFont font;
  font.SetName("Nimbus Sans");
  font.SetSize(750);
  converter.SetFont(font);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, converter.Font().Handle());
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GLYPHMETRICS gm;
  const DWORD size = GetGlyphOutlineW(dc, 'o', GGO_NATIVE, &gm, 0, nullptr, &identity);
  std::vector<uint8_t> buffer(size == GDI_ERROR ? 0 : size);
  if (!buffer.empty()) GetGlyphOutlineW(dc, 'o', GGO_NATIVE, &gm, size, buffer.data(), &identity);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (buffer.size() < 20) GTEST_SKIP() << "no outline for the CFF face";
  // The first record after the polygon header is a cubic one.
  if (buffer[16] != TT_PRIM_CSPLINE) GTEST_SKIP() << "the face's outline comes as record type " << int(buffer[16]);
  ASSERT_TRUE(converter.ConvertGlyph('o'));
  ASSERT_EQ(converter.Curves().ContourCount(), 2);
  for (int c = 0; c < 2; ++c) {
    const auto& segments = converter.Curves().Segments(c);
    ASSERT_GE(segments.size(), 4u) << c;
    for (const auto& segment : segments) EXPECT_TRUE(std::holds_alternative<TFontSpline>(segment)) << c;
  }
}
