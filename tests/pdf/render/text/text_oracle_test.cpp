// Text of every font kind rendered at 150 dpi by us and by poppler (pdftocairo -r 150) from the
// same file: each text run lies in a band of its own, and its ink must have the same bounding
// box (within 2 pixels) and cover the same pixels (90 % of each side's ink lies within a pixel
// of the other's). Font programs come from the Debian font packages; widths and glyph indexes
// are read with FreeType, independently of our font engines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/pdf/fonts/formats/cff_builder.h"
#include "tests/pdf/fonts/formats/type1_builder.h"
#include "tests/pdf/fonts/sfnt_builder.h"
#include "tests/pdf/render/support/face_metrics.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::FaceMetrics;
using rendertest::Measure;
using rendertest::TestPdf;
using rendertest::WidthArray;

constexpr double kDpi = 150;
constexpr int kPageHeight = 360;  // points
constexpr int kBand = 30;         // points per text run

const std::string kFonts = "/usr/share/fonts/";
const std::string kSerif = kFonts + "truetype/liberation2/LiberationSerif-Regular.ttf";
const std::string kSans = kFonts + "truetype/liberation2/LiberationSans-Regular.ttf";
const std::string kType1 = kFonts + "type1/urw-base35/NimbusSans-Regular.t1";
const std::string kOpenType = kFonts + "opentype/urw-base35/NimbusRoman-Regular.otf";

uint32_t Big32(const std::string& d, size_t at) {
  return uint32_t(uint8_t(d[at])) << 24 | uint32_t(uint8_t(d[at + 1])) << 16 | uint32_t(uint8_t(d[at + 2])) << 8 |
         uint8_t(d[at + 3]);
}

// The "CFF " table of an OpenType font.
std::string CFFTable(const std::string& otf) {
  const size_t tables = size_t(uint8_t(otf[4]) << 8 | uint8_t(otf[5]));
  for (size_t i = 0; i < tables; ++i) {
    const size_t entry = 12 + 16 * i;
    if (otf.compare(entry, 4, "CFF ") == 0) return otf.substr(Big32(otf, entry + 8), Big32(otf, entry + 12));
  }
  return {};
}

struct TextLine {
  std::string font;     // resource name
  std::string text;     // the operand of Tj (or TJ's array), as written
  int size = 20;
  int tolerance = 2;    // pixels per box edge
  double overlap = 0.9;
  std::string state = "";  // text state operators before the text
  std::string show = "Tj";
  bool blank = false;  // neither side draws anything
};

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  int ink = 0;
  bool Empty() const { return x1 < 0; }
};

bool Ink(const testraster::Raster& r, int x, int y) {
  const uint8_t* p = r.At(x, y);
  return std::min({p[0], p[1], p[2]}) < 128;
}

Box InkBox(const testraster::Raster& r, int top, int bottom) {
  Box b;
  for (int y = std::max(top, 0); y < std::min(bottom, r.Height); ++y)
    for (int x = 0; x < r.Width; ++x)
      if (Ink(r, x, y)) {
        b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
        b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
        ++b.ink;
      }
  return b;
}

// The share of a's ink in the band that has ink of b within one pixel.
double Covered(const testraster::Raster& a, const testraster::Raster& b, int top, int bottom) {
  int ink = 0, near = 0;
  for (int y = std::max(top, 1); y < std::min(bottom, a.Height - 1); ++y)
    for (int x = 1; x < a.Width - 1; ++x) {
      if (!Ink(a, x, y)) continue;
      ++ink;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) found = Ink(b, x + dx, y + dy);
      near += found;
    }
  return ink == 0 ? 1.0 : double(near) / ink;
}

// Our picture of the page against the reference's (poppler's cairo back end unless named).
void CompareRuns(TestPdf& pdf, int page, const std::vector<TextLine>& runs, const std::string& name,
                 testraster::Raster (*reference)(const TestPdf&, double) = rendertest::RenderPopplerCairo) {
  std::string error;
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error, kDpi);
  const testraster::Raster theirs = reference(pdf, kDpi);
  if (theirs.Width == 0) GTEST_SKIP() << "the reference renderer or Pillow missing";
  EXPECT_EQ(error, "");
  ASSERT_EQ(ours.Width, theirs.Width);
  ASSERT_EQ(ours.Height, theirs.Height);
  const double px = kDpi / 72;
  bool failed = false;
  for (size_t i = 0; i < runs.size(); ++i) {
    const int top = int(i * kBand * px), bottom = int((i + 1) * kBand * px);
    const Box a = InkBox(ours, top, bottom), b = InkBox(theirs, top, bottom);
    const std::string what = name + " run " + std::to_string(i) + " (" + runs[i].font + ")";
    if (runs[i].blank) {
      EXPECT_TRUE(b.Empty()) << what << ": the reference drew something";
      EXPECT_TRUE(a.Empty()) << what << ": we drew something";
      continue;
    }
    ASSERT_FALSE(b.Empty()) << what << ": the reference drew nothing";
    ASSERT_FALSE(a.Empty()) << what << ": we drew nothing";
    const int t = runs[i].tolerance;
    EXPECT_NEAR(a.x0, b.x0, t) << what;
    EXPECT_NEAR(a.x1, b.x1, t) << what;
    EXPECT_NEAR(a.y0, b.y0, t) << what;
    EXPECT_NEAR(a.y1, b.y1, t) << what;
    EXPECT_GE(Covered(ours, theirs, top, bottom), runs[i].overlap) << what;
    EXPECT_GE(Covered(theirs, ours, top, bottom), runs[i].overlap) << what;
    failed = failed || ::testing::Test::HasFailure();
  }
  // VELMORA_RENDER_DUMP=folder keeps both pictures of a failing page there (as PPM).
  if (failed && std::getenv("VELMORA_RENDER_DUMP") != nullptr) {
    for (const auto& [picture, suffix] : {std::pair{&ours, "ours"}, std::pair{&theirs, "poppler"}}) {
      std::string ppm = "P6 " + std::to_string(picture->Width) + " " + std::to_string(picture->Height) + " 255\n";
      ppm.append(picture->RGB.begin(), picture->RGB.end());
      testsupport::WriteFile(std::string(std::getenv("VELMORA_RENDER_DUMP")) + "/" + name + "_" + suffix + ".ppm", ppm);
    }
  }
}

// A page with one run per band, top down; fonts maps resource names to object numbers.
int AddTextPage(TestPdf& pdf, const std::vector<TextLine>& runs, const std::string& fonts) {
  std::string content;
  for (size_t i = 0; i < runs.size(); ++i) {
    const int baseline = kPageHeight - int(i + 1) * kBand + 8;
    content += "BT /" + runs[i].font + " " + std::to_string(runs[i].size) + " Tf 12 " + std::to_string(baseline) +
               " Td " + runs[i].state + " " + runs[i].text + " " + runs[i].show + " ET\n";
  }
  return pdf.AddPage(content, "<< /Font << " + fonts + " >> >>", "[0 0 300 " + std::to_string(kPageHeight) + "]");
}

std::string Ref(int n) { return std::to_string(n) + " 0 R"; }

}  // namespace

TEST(TextOracle, SimpleFontsOfEveryKind) {
  REQUIRE_TOOL("pdftocairo");
  for (const std::string& f : {kSerif, kType1, kOpenType})
    if (testsupport::ReadFile(f).empty()) GTEST_SKIP() << f << " missing";
  TestPdf pdf;
  const int helvetica = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const int times = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Bold /Encoding /WinAnsiEncoding >>");
  const int courier = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier-Oblique >>");
  // Embedded TrueType.
  const FaceMetrics serif = Measure(kSerif);
  const int serifFile = pdf.AddStream("<< >>", testsupport::ReadFile(kSerif));
  const int serifDescriptor = pdf.Add("<< /Type /FontDescriptor /FontName /ABCDEF+LiberationSerif /Flags 34 "
                                      "/FontBBox [-600 -300 2000 1000] /ItalicAngle 0 /Ascent 891 /Descent -216 "
                                      "/CapHeight 662 /StemV 80 /FontFile2 " + Ref(serifFile) + " >>");
  const int serifFont = pdf.Add("<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+LiberationSerif /FirstChar 32 "
                                "/LastChar 126 /Widths " + WidthArray(serif, 32, 126) +
                                " /Encoding /WinAnsiEncoding /FontDescriptor " + Ref(serifDescriptor) + " >>");
  // An installed TrueType face by name.
  const FaceMetrics sans = Measure(kSans);
  const int arial = pdf.Add("<< /Type /Font /Subtype /TrueType /BaseFont /Arial,Bold /FirstChar 32 /LastChar 126 "
                            "/Widths " + WidthArray(Measure(kFonts + "truetype/liberation2/LiberationSans-Bold.ttf"), 32, 126) +
                            " /Encoding /WinAnsiEncoding >>");
  // Embedded Type 1 (binary eexec section between the clear text and the zeros).
  const std::string t1 = testsupport::ReadFile(kType1);
  const size_t clear = t1.find("eexec") + 6;
  const size_t zeros = t1.find("0000000000000000000000000000000000000000");
  const int t1File = pdf.AddStream("<< /Length1 " + std::to_string(clear) + " /Length2 " +
                                       std::to_string(zeros - clear) + " /Length3 " + std::to_string(t1.size() - zeros) +
                                       " >>",
                                   t1);
  const int t1Descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /NimbusSans-Regular /Flags 32 "
                                   "/FontBBox [-200 -300 1000 1000] /ItalicAngle 0 /Ascent 718 /Descent -207 "
                                   "/CapHeight 718 /StemV 80 /FontFile " + Ref(t1File) + " >>");
  const int t1Font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /NimbusSans-Regular /FirstChar 32 "
                             "/LastChar 126 /Widths " + WidthArray(Measure(kType1), 32, 126) +
                             " /FontDescriptor " + Ref(t1Descriptor) + " >>");
  // Embedded CFF (FontFile3 /Type1C).
  const int cffFile = pdf.AddStream("<< /Subtype /Type1C >>", CFFTable(testsupport::ReadFile(kOpenType)));
  const int cffDescriptor = pdf.Add("<< /Type /FontDescriptor /FontName /NimbusRoman-Regular /Flags 34 "
                                    "/FontBBox [-200 -300 1000 1000] /ItalicAngle 0 /Ascent 683 /Descent -217 "
                                    "/CapHeight 662 /StemV 80 /FontFile3 " + Ref(cffFile) + " >>");
  const int cffFont = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /NimbusRoman-Regular /FirstChar 32 "
                              "/LastChar 126 /Widths " + WidthArray(Measure(kOpenType), 32, 126) +
                              " /Encoding /WinAnsiEncoding /FontDescriptor " + Ref(cffDescriptor) + " >>");
  (void)sans;
  const std::vector<TextLine> runs = {
      {"F1", "(Hamburgefonstiv 0123)"}, {"F2", "(Quixotic Jabberwock!)"}, {"F3", "(Courier -> {x})"},
      {"F4", "(Liberation Serif gy)"},  {"F5", "(Arial Bold W&M)"},       {"F6", "(Type 1 program AVA)"},
      {"F7", "(CFF program fij)"},
  };
  const std::string fonts = "/F1 " + Ref(helvetica) + " /F2 " + Ref(times) + " /F3 " + Ref(courier) + " /F4 " +
                            Ref(serifFont) + " /F5 " + Ref(arial) + " /F6 " + Ref(t1Font) + " /F7 " + Ref(cffFont);
  const int page = AddTextPage(pdf, runs, fonts);
  CompareRuns(pdf, page, runs, "simple");
}

TEST(TextOracle, CompositeAndType3Fonts) {
  REQUIRE_TOOL("pdftocairo");
  if (testsupport::ReadFile(kSans).empty()) GTEST_SKIP() << kSans << " missing";
  TestPdf pdf;
  // Type0 over an embedded CIDFontType2, Identity-H with CID = GID.
  const FaceMetrics sans = Measure(kSans);
  const int sansFile = pdf.AddStream("<< >>", testsupport::ReadFile(kSans));
  const int sansDescriptor = pdf.Add("<< /Type /FontDescriptor /FontName /LiberationSans /Flags 32 "
                                     "/FontBBox [-600 -300 2000 1000] /ItalicAngle 0 /Ascent 905 /Descent -212 "
                                     "/CapHeight 716 /StemV 80 /FontFile2 " + Ref(sansFile) + " >>");
  std::string w = "[", hex = "<";
  const std::string text = "Identity-H glyphs";
  char buf[8];
  for (unsigned char c : text) {
    const int g = sans.glyphs[c];
    w += std::to_string(g) + " [" + std::to_string(sans.widths[c]) + "] ";
    std::snprintf(buf, sizeof buf, "%04X", g);
    hex += buf;
  }
  w += "]", hex += ">";
  const int cidFont = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /LiberationSans /CIDSystemInfo "
                              "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
                              Ref(sansDescriptor) + " /DW 1000 /W " + w + " /CIDToGIDMap /Identity >>");
  const int type0 = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /LiberationSans /Encoding /Identity-H "
                            "/DescendantFonts [" + Ref(cidFont) + "] >>");
  // Type0 with a predefined CJK CMap over a substituted face: 日本語 あア in Shift-JIS.
  const int jaDescriptor = pdf.Add("<< /Type /FontDescriptor /FontName /MS-Mincho /Flags 6 /FontBBox [0 -141 1000 859] "
                                   "/ItalicAngle 0 /Ascent 859 /Descent -141 /CapHeight 700 /StemV 80 >>");
  const int jaCID = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /MS-Mincho /CIDSystemInfo << /Registry "
                            "(Adobe) /Ordering (Japan1) /Supplement 2 >> /FontDescriptor " + Ref(jaDescriptor) +
                            " /DW 1000 >>");
  const int ja = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /MS-Mincho /Encoding /90ms-RKSJ-H "
                         "/DescendantFonts [" + Ref(jaCID) + "] >>");
  // Type 3 fonts of a square and a triangle: in thousandths of the size, in a glyph space twice
  // as fine, upside down, and with the glyph's x axis tilted (a vertical shear). The text state
  // (rise, spacing, scaling) is text space whatever the font's matrix, and glyphs advance along
  // the line by their width's x part alone.
  auto type3 = [&pdf](int fine, int up, const std::string& shear = "0") {
    auto number = [](int v) { return std::to_string(v); };
    auto glyph = [&](int width, const std::vector<std::pair<int, int>>& corners) {
      const int w = width * fine;
      std::string text = number(w) + " 0 0 " + number(std::min(0, up * w)) + " " + number(w) + " " +
                         number(std::max(0, up * w)) + " d1";
      for (size_t i = 0; i < corners.size(); ++i)
        text += " " + number(corners[i].first * fine) + " " + number(corners[i].second * fine * up) + (i ? " l" : " m");
      return Ref(pdf.AddStream("<< >>", text + " h f"));
    };
    const std::string scale = fine == 1 ? "0.001" : "0.0005", em = number(1000 * fine);
    return pdf.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 " + (up > 0 ? "0 " + em + " " + em : "-" + em + " " + em + " 0") +
                   "] /FontMatrix [" + scale + " " + shear + " 0 " + (up > 0 ? "" : "-") + scale +
                   " 0 0] /CharProcs << /square " +
                   glyph(1000, {{100, 0}, {900, 0}, {900, 800}, {100, 800}}) + " /triangle " +
                   glyph(800, {{0, 0}, {800, 0}, {400, 700}}) +
                   " >> /Encoding << /Type /Encoding /Differences [97 /square /triangle] >> /FirstChar 97 /LastChar 98 "
                   "/Widths [" + number(1000 * fine) + " " + number(800 * fine) + "] /Resources << >> >>");
  };
  const int type3Font = type3(1, 1), fine = type3(2, 1), flipped = type3(1, -1), sheared = type3(1, 1, "0.0003");
  const std::vector<TextLine> runs = {
      {"F1", hex},
      {"F2", "<93FA967B8CEA2082A08341>", 20, 3, 0.8},
      {"F3", "(abba ab)"},
      {"F3", "(aaa)", 20, 2, 0.9, "10 Ts"},
      {"F3", "(abba)", 20, 2, 0.9, "-5 Ts 2 Tc 130 Tz"},
      {"F4", "(abab)", 20, 2, 0.9, "6 Ts 0 Tc 100 Tz"},
      {"F4", "(aba)", 20, 2, 0.9, "-4 Ts 3 Tc 70 Tz"},
      {"F5", "(abba)", 20, 2, 0.9, "8 Ts 1 Tc 100 Tz"},
      {"F6", "(aaaaa)", 16, 2, 0.9, "0 Ts 0 Tc"},
      {"F6", "(abab)", 16, 2, 0.9, "3 Ts 2 Tc 120 Tz"},
  };
  const std::string fonts = "/F1 " + Ref(type0) + " /F2 " + Ref(ja) + " /F3 " + Ref(type3Font) + " /F4 " + Ref(fine) +
                            " /F5 " + Ref(flipped) + " /F6 " + Ref(sheared);
  const int page = AddTextPage(pdf, runs, fonts);
  CompareRuns(pdf, page, runs, "composite");
}

TEST(TextOracle, TextState) {
  REQUIRE_TOOL("pdftocairo");
  TestPdf pdf;
  const int helvetica = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  std::vector<TextLine> runs = {
      {"F1", "(spaced out words)"}, {"F1", "(wide and narrow)"}, {"F1", "(risen text)"},
      {"F1", "[(A) 120 (V) -200 (A) 1000 (W)]"}, {"F1", "(outlined)"}, {"F1", "(filled again)"},
      {"F1", "(turned a little)"},
  };
  runs[0].state = "3 Tc 8 Tw";
  runs[1].state = "0 Tc 0 Tw 150 Tz";
  runs[2].state = "100 Tz 4 Ts";
  runs[3].state = "0 Ts";
  runs[3].show = "TJ";
  runs[4].state = "1 Tr 0.5 w";
  runs[4].overlap = 0.8;
  runs[5].state = "0 Tr";  // the mode lasts beyond the text object
  runs[6].state = "0.98 0.17 -0.17 0.98 12 158 Tm";
  runs[6].tolerance = 3;
  const int page = AddTextPage(pdf, runs, "/F1 " + Ref(helvetica));
  CompareRuns(pdf, page, runs, "state");
}

TEST(TextOracle, VerticalIdentityFont) {
  REQUIRE_TOOL("pdftocairo");
  if (testsupport::ReadFile(kSans).empty()) GTEST_SKIP() << kSans << " missing";
  TestPdf pdf;
  const FaceMetrics sans = Measure(kSans);
  const int sansFile = pdf.AddStream("<< >>", testsupport::ReadFile(kSans));
  const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /LiberationSans /Flags 32 /FontBBox [-600 -300 "
                                 "2000 1000] /ItalicAngle 0 /Ascent 905 /Descent -212 /CapHeight 716 /StemV 80 "
                                 "/FontFile2 " + Ref(sansFile) + " >>");
  std::string hex = "<";
  char buf[8];
  for (unsigned char c : std::string("VERT")) {
    std::snprintf(buf, sizeof buf, "%04X", sans.glyphs[c]);
    hex += buf;
  }
  hex += ">";
  const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /LiberationSans /CIDSystemInfo << "
                          "/Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " + Ref(descriptor) +
                          " /DW 700 /DW2 [880 -1100] /W2 [" + std::to_string(sans.glyphs['E']) +
                          " [-1500 350 880]] /CIDToGIDMap /Identity >>");
  const int type0 = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /LiberationSans /Encoding /Identity-V "
                            "/DescendantFonts [" + Ref(cid) + "] >>");
  // One run down the page, W2 giving one glyph an advance of its own.
  const int page = pdf.AddPage("BT /F1 24 Tf 60 " + std::to_string(kPageHeight - 20) + " Td " + hex + " Tj ET",
                               "<< /Font << /F1 " + Ref(type0) + " >> >>",
                               "[0 0 300 " + std::to_string(kPageHeight) + "]");
  std::string error;
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error, kDpi);
  const testraster::Raster theirs = rendertest::RenderPopplerCairo(pdf, kDpi);
  if (theirs.Width == 0) GTEST_SKIP() << "pdftocairo or Pillow missing";
  EXPECT_EQ(error, "");
  ASSERT_EQ(ours.Height, theirs.Height);
  const Box a = InkBox(ours, 0, ours.Height), b = InkBox(theirs, 0, theirs.Height);
  ASSERT_FALSE(b.Empty());
  EXPECT_NEAR(a.x0, b.x0, 2);
  EXPECT_NEAR(a.x1, b.x1, 2);
  EXPECT_NEAR(a.y0, b.y0, 2);
  EXPECT_NEAR(a.y1, b.y1, 2);
  EXPECT_GE(Covered(ours, theirs, 0, ours.Height), 0.9);
  EXPECT_GE(Covered(theirs, ours, 0, ours.Height), 0.9);
}

namespace {

// A Type 1 program of two glyphs, a triangle and a square, in its own encoding (65, 66).
glyphtest::TType1Builder ShapesProgram() {
  using glyphtest::TCharstring;
  glyphtest::TType1Builder b;
  b.EncodingText = "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\ndup 65 /Tri put\n"
                   "dup 66 /Sq put\nreadonly def\n";
  b.Glyphs = {{".notdef", TCharstring().N(0).N(1000).O(13).O(14).Bytes()},
              {"Tri", TCharstring().N(0).N(1000).O(13).N(100).N(0).O(21).N(800).N(0).O(5).N(-400).N(700).O(5)
                          .O(9).O(14).Bytes()},
              {"Sq", TCharstring().N(0).N(1000).O(13).N(100).N(0).O(21).N(800).O(6).N(800).O(7).N(-800).O(6)
                         .O(9).O(14).Bytes()}};
  return b;
}

int AddType1Font(TestPdf& pdf, const glyphtest::TType1Builder& b, const std::string& encoding) {
  const std::string clear = b.ClearText(), binary = b.BinaryPart(), trailer = b.Trailer();
  const int file = pdf.AddStream("<< /Length1 " + std::to_string(clear.size()) + " /Length2 " +
                                     std::to_string(binary.size()) + " /Length3 " + std::to_string(trailer.size()) + " >>",
                                 clear + binary + trailer);
  const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Test-Font /Flags 4 /FontBBox [0 0 1000 1000] "
                                 "/ItalicAngle 0 /Ascent 1000 /Descent 0 /CapHeight 700 /StemV 80 /FontFile " +
                                 Ref(file) + " >>");
  return pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Test-Font /FirstChar 65 /LastChar 67 /Widths [1000 1000 "
                 "1000] " + encoding + " /FontDescriptor " + Ref(descriptor) + " >>");
}

// A CID-keyed CFF font of CIDs 5, 17 and 3 (boxes of three widths) at glyph indexes 1 to 3,
// as a Type0 font over Identity-H; top and fd are Top DICT and Font DICT bytes.
int AddCIDKeyedFont(TestPdf& pdf, const std::string& top, const std::string& fd) {
  using glyphtest::TType2;
  auto box = [](int w) { return TType2().N(100).N(0).O(21).N(w).N(700).N(-w).O(6).O(14).Bytes(); };
  glyphtest::TCFFBuilder b;
  b.CID = true;
  b.CharStrings = {TType2().O(14), box(800), box(400), box(150)};
  b.Charset = std::string("\x00\x00\x05\x00\x11\x00\x03", 7);
  b.FDSelect = std::string("\x00\x00\x00\x00\x00", 5);
  b.FontDictSubrs = {{}};
  b.FontDictExtra = {fd};
  b.TopExtra = top;
  const int file = pdf.AddStream("<< /Subtype /CIDFontType0C >>", b.Build());
  const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Boxes /Flags 4 /FontBBox [0 0 1000 1000] "
                                 "/ItalicAngle 0 /Ascent 1000 /Descent 0 /CapHeight 700 /StemV 80 /FontFile3 " +
                                 Ref(file) + " >>");
  const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Boxes /CIDSystemInfo << /Registry (Adobe) "
                          "/Ordering (Identity) /Supplement 0 >> /FontDescriptor " + Ref(descriptor) + " /DW 1000 >>");
  return pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /Boxes /Encoding /Identity-H /DescendantFonts [" + Ref(cid) +
                 "] >>");
}

}  // namespace

// Font programs drawn by what they say of themselves: a CID-keyed font's CIDs (a CID it lacks is
// notdef) and its Font DICT matrices, a Type 1 program's own matrix and its built-in encoding
// under Differences, an OpenType program in FontFile3, notdef of a symbolic CIDFontType2.
TEST(TextOracle, FontProgramsByTheirOwnData) {
  REQUIRE_TOOL("pdftocairo");
  if (testsupport::ReadFile(kSerif).empty()) GTEST_SKIP() << kSerif << " missing";
  using glyphtest::DictInt;
  using glyphtest::DictOp;
  using glyphtest::DictReal;
  auto matrix = [](const char* a) {
    return DictReal(a) + DictInt(0) + DictInt(0) + DictReal(a) + DictInt(0) + DictInt(0) + DictOp(1207);
  };
  TestPdf pdf;
  const int boxes = AddCIDKeyedFont(pdf, "", "");
  const int fdMatrix = AddCIDKeyedFont(pdf, matrix("1"), matrix("1E-3"));
  const int fdAlone = AddCIDKeyedFont(pdf, "", matrix("5E-4"));
  const int differences = AddType1Font(pdf, ShapesProgram(), "/Encoding << /Differences [67 /Sq] >>");
  glyphtest::TType1Builder small = ShapesProgram();
  small.FontMatrixText = "[0.0005 0 0 0.0005 0 0]";
  const int halfSize = AddType1Font(pdf, small, "");
  // Liberation Serif as FontFile3 /OpenType under a name whose substitute is a sans face.
  const FaceMetrics serif = Measure(kSerif);
  const int otf = pdf.AddStream("<< /Subtype /OpenType >>", testsupport::ReadFile(kSerif));
  const int otfDescriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Unlisted /Flags 32 /FontBBox [-600 -300 2000 "
                                    "1000] /ItalicAngle 0 /Ascent 891 /Descent -216 /CapHeight 662 /StemV 80 /FontFile3 " +
                                    Ref(otf) + " >>");
  const int openType = pdf.Add("<< /Type /Font /Subtype /TrueType /BaseFont /Unlisted /FirstChar 32 /LastChar 126 "
                               "/Widths " + WidthArray(serif, 32, 126) + " /Encoding /WinAnsiEncoding /FontDescriptor " +
                               Ref(otfDescriptor) + " >>");
  // A symbolic CIDFontType2 whose CIDToGIDMap sends CID 2 to glyph 0 (empty) and CID 1 to a
  // bar, which its (3,1) cmap gives U+4E00.
  const std::string bars = sfnttest::Font(
      {"", sfnttest::SimpleGlyph({{{0, 0}, {200, 0}, {200, 700}, {0, 700}}})},
      sfnttest::Cmap({{3, 1, sfnttest::CmapFormat4({{0x4E00, 0x4E00, 1 - 0x4E00}})}}), "");
  const int barsFile = pdf.AddStream("<< >>", bars);
  const int barsDescriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Bars /Flags 4 /FontBBox [0 0 1000 1000] "
                                     "/ItalicAngle 0 /Ascent 1000 /Descent 0 /CapHeight 700 /StemV 80 /FontFile2 " +
                                     Ref(barsFile) + " >>");
  const int map = pdf.AddStream("<< >>", std::string("\x00\x00\x00\x01\x00\x00", 6));
  const int barsCID = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Bars /CIDSystemInfo << /Registry "
                              "(Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " + Ref(barsDescriptor) +
                              " /DW 1000 /CIDToGIDMap " + Ref(map) + " >>");
  const int symbolic = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /Bars /Encoding /Identity-H "
                               "/DescendantFonts [" + Ref(barsCID) + "] >>");
  std::vector<TextLine> runs = {
      {"F1", "<000500110003>"}, {"F1", "<0001>"}, {"F2", "<0005>"},         {"F3", "<00050005>"},
      {"F4", "(ABC)"},          {"F5", "(AB)"},   {"F6", "(Serif Qgy)"}, {"F7", "<0002>"}, {"F7", "<0001>"},
  };
  runs[1].blank = runs[7].blank = true;
  // A rise is text space: the program's own matrix does not scale it.
  runs.push_back({"F3", "<00050005>"});
  runs.back().state = "6 Ts";
  runs.push_back({"F5", "(AB)"});
  runs.back().state = "6 Ts";
  const std::string fonts = "/F1 " + Ref(boxes) + " /F2 " + Ref(fdMatrix) + " /F3 " + Ref(fdAlone) + " /F4 " +
                            Ref(differences) + " /F5 " + Ref(halfSize) + " /F6 " + Ref(openType) + " /F7 " +
                            Ref(symbolic);
  const int page = AddTextPage(pdf, runs, fonts);
  CompareRuns(pdf, page, runs, "programs");
}

namespace {

// A simple TrueType font over an embedded program of a square (glyph 1), a tall bar (2) and a
// wide bar (3), every code 1000 wide.
int AddSimpleTrueType(TestPdf& pdf, const std::string& program, int flags, const std::string& encoding) {
  const int file = pdf.AddStream("<< >>", program);
  const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Shapes /Flags " + std::to_string(flags) +
                                 " /FontBBox [0 0 1000 1000] /ItalicAngle 0 /Ascent 1000 /Descent 0 /CapHeight 700 "
                                 "/StemV 80 /FontFile2 " + Ref(file) + " >>");
  std::string widths;
  for (int i = 0; i < 256; ++i) widths += " 1000";
  return pdf.Add("<< /Type /Font /Subtype /TrueType /BaseFont /Shapes /FirstChar 0 /LastChar 255 /Widths [" + widths +
                 "] /FontDescriptor " + Ref(descriptor) + (encoding.empty() ? "" : " /Encoding " + encoding) + " >>");
}

std::string ShapesProgram(const std::string& cmap) {
  using sfnttest::Contour;
  auto box = [](int x0, int y0, int x1, int y1) {
    return sfnttest::SimpleGlyph({Contour{{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}});
  };
  // Every glyph starts at x = 0, where the metrics put its left side bearing.
  return sfnttest::Font({"", box(0, 0, 600, 600), box(0, 0, 200, 750), box(0, 0, 800, 200)}, cmap, "");
}

}  // namespace

// The cmaps of TrueType programs in the order the format gives them: a symbolic font's code
// addresses its glyph through the (3,0) or (1,0) cmap, except that where the dictionary names
// an encoding its names' characters go through the (3,1) cmap first; any other font finds the
// names' characters, and where they find nothing, the code itself.
TEST(TextOracle, TrueTypeCmapsInTheFormatsOrder) {
  REQUIRE_TOOL("pdftocairo");
  using sfnttest::Cmap;
  using sfnttest::CmapFormat4;
  const std::string symbolOnly = ShapesProgram(Cmap({{3, 0, CmapFormat4({{0x41, 0x43, 1 - 0x41}})}}));
  // A, B, C are glyphs 1, 2, 3 as characters and 3, 1, 2 as Macintosh codes; the Euro sign is 2.
  std::vector<uint8_t> mac(256, 0);
  mac[65] = 3, mac[66] = 1, mac[67] = 2;
  const std::string unicodeAndMac = ShapesProgram(
      Cmap({{1, 0, sfnttest::CmapFormat0(mac)}, {3, 1, CmapFormat4({{0x41, 0x43, 1 - 0x41}, {0x20AC, 0x20AC, 2 - 0x20AC}})}}));
  TestPdf pdf;
  const int symbolPlain = AddSimpleTrueType(pdf, symbolOnly, 32, "");
  const int symbolWinAnsi = AddSimpleTrueType(pdf, symbolOnly, 32, "/WinAnsiEncoding");
  const int namedWinAnsi = AddSimpleTrueType(pdf, unicodeAndMac, 4, "/WinAnsiEncoding");
  const int namedMacRoman = AddSimpleTrueType(pdf, unicodeAndMac, 4, "/MacRomanEncoding");
  const int namedBase = AddSimpleTrueType(pdf, unicodeAndMac, 4, "<< /BaseEncoding /WinAnsiEncoding >>");
  const int unnamed = AddSimpleTrueType(pdf, unicodeAndMac, 4, "");
  const int unknownName = AddSimpleTrueType(pdf, unicodeAndMac, 32, "<< /Differences [65 /notaglyph] >>");
  const int differencesOnly = AddSimpleTrueType(pdf, unicodeAndMac, 4, "<< /Differences [66 /C] >>");
  const std::vector<TextLine> runs = {
      {"F1", "(ABC)"}, {"F2", "(CAB)"}, {"F3", "(ABC)"}, {"F4", "(BCA)"},
      {"F5", "(ABC)"}, {"F6", "(ABC)"}, {"F7", "(AB)"},  {"F8", "(AB\\200)"},
  };
  const std::string fonts = "/F1 " + Ref(symbolPlain) + " /F2 " + Ref(symbolWinAnsi) + " /F3 " + Ref(namedWinAnsi) +
                            " /F4 " + Ref(namedMacRoman) + " /F5 " + Ref(namedBase) + " /F6 " + Ref(unnamed) +
                            " /F7 " + Ref(unknownName) + " /F8 " + Ref(differencesOnly);
  const int page = AddTextPage(pdf, runs, fonts);
  CompareRuns(pdf, page, runs, "cmaps");
}

namespace {

// The program with a table's tag in the directory changed, so that the table is missing.
std::string WithoutTable(std::string program, const std::string& tag) {
  const size_t tables = size_t(uint8_t(program[4]) << 8 | uint8_t(program[5]));
  for (size_t i = 0; i < tables; ++i)
    if (program.compare(12 + 16 * i, 4, tag) == 0) program.replace(12 + 16 * i, 4, "none");
  return program;
}

}  // namespace

// A font program that cannot be used (bytes that are no font, a font cut short, empty, of an
// unknown version, without the table that says where its glyphs lie, CFF data without
// charstrings) gives way to the substitute face its dictionary names, as a missing program
// does; one whose glyph outlines alone are missing is still the font, and draws nothing.
// poppler's Splash back end and Ghostscript agree on this (its cairo back end draws nothing).
TEST(TextOracle, UnusableProgramsTakeTheSubstitute) {
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("gs");
  if (testsupport::ReadFile(kSans).empty()) GTEST_SKIP() << kSans << " missing";
  const std::string sans = testsupport::ReadFile(kSans);
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += char(i * 37 + 11);
  const std::string widths = WidthArray(Measure(kSans), 32, 126);
  TestPdf pdf;
  auto font = [&](const std::string& subtype, const std::string& file, const std::string& fileDict,
                  const std::string& program) {
    const int data = pdf.AddStream(fileDict, program);
    const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /ABCDEF+Helvetica /Flags 32 /FontBBox [-600 "
                                   "-300 2000 1000] /ItalicAngle 0 /Ascent 905 /Descent -212 /CapHeight 716 /StemV 80 /" +
                                   file + " " + Ref(data) + " >>");
    return pdf.Add("<< /Type /Font /Subtype /" + subtype + " /BaseFont /ABCDEF+Helvetica /FirstChar 32 /LastChar 126 "
                   "/Widths " + widths + " /Encoding /WinAnsiEncoding /FontDescriptor " + Ref(descriptor) + " >>");
  };
  const std::vector<int> fonts = {
      font("TrueType", "FontFile2", "<< >>", garbage),
      font("TrueType", "FontFile2", "<< >>", sans.substr(0, 2000)),
      font("TrueType", "FontFile2", "<< >>", ""),
      font("TrueType", "FontFile2", "<< >>", "wxyz" + sans.substr(4)),
      font("TrueType", "FontFile2", "<< >>", WithoutTable(sans, "head")),
      font("Type1", "FontFile3", "<< /Subtype /Type1C >>", garbage),
      font("TrueType", "FontFile3", "<< /Subtype /OpenType >>", "OTTO" + garbage),
      font("TrueType", "FontFile2", "<< >>", WithoutTable(sans, "glyf")),
  };
  std::vector<TextLine> runs;
  std::string resources;
  for (size_t i = 0; i < fonts.size(); ++i) {
    runs.push_back({"F" + std::to_string(i), "(Broken font " + std::to_string(i) + " Wg)", 20, 2, 0.85});
    resources += " /F" + std::to_string(i) + " " + Ref(fonts[i]);
  }
  runs.back().blank = true;
  const int page = AddTextPage(pdf, runs, resources);
  CompareRuns(pdf, page, runs, "unusable_poppler", rendertest::RenderPoppler);
  CompareRuns(pdf, page, runs, "unusable_ghostscript", rendertest::RenderGhostscript);
}
