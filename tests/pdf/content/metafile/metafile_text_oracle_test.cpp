// Metafile text against independent renderers: scenes of strings (several faces, sizes, styles,
// alignments, escapements, advance arrays, an opaque box) written by libUEMF, rendered through
// the API, and compared string by string (each in a colour of its own) by the box of its ink
// with the picture of the same file that emf2svg and rsvg-convert make, or, for what emf2svg
// does not draw as the platform's player does (advance arrays, escapements, bottom alignment,
// opaque boxes), with an SVG written from the scene's numbers and the faces' own metrics (read
// with fontTools) and drawn by rsvg-convert.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/test_support.h"

namespace {

using testraster::Raster;

enum : uint32_t { kTop = 0, kRight = 2, kCentre = 6, kBottom = 8, kBaseline = 24 };

struct Line {
  const char* face;
  const char* style;  // as fontconfig names it
  int height;         // logical font height (negative: the em)
  int escapement;     // tenths of a degree
  uint32_t align;
  uint32_t rgb;
  int x, y;
  const char* text;  // "_" for blanks
  int pitch;         // advance of every character; 0: the face's own advances
};

// Colours far enough apart that no pixel of one string passes for another's.
constexpr uint32_t kRed = 0xDC0000, kGreen = 0x00A000, kBlue = 0x0000E6, kMagenta = 0xDC00DC, kCyan = 0x00AAAA,
                   kBlack = 0x000000;

std::string Uemf() { return testsupport::BinaryDir() + "/test-fixtures/uemf_text"; }
std::string Metrics() {
  return "/usr/bin/python3 " + testsupport::SourceDir() + "/tests/pdf/content/metafile/fixtures/text_metrics.py";
}

struct FaceMetrics {
  double ascent = 0, descent = 0;
  std::vector<double> advances;  // ems
  bool ok = false;
};

FaceMetrics Measure(const Line& l) {
  FaceMetrics m;
  std::string out;
  if (testsupport::Run(Metrics() + " '" + l.face + "' '" + l.style + "' '" + l.text + "'", &out) != 0) return m;
  std::istringstream in(out);
  in >> m.ascent >> m.descent;
  double advance = 0;
  int glyph = 0;
  while (in >> advance >> glyph) m.advances.push_back(advance);
  m.ok = !m.advances.empty();
  return m;
}

// The em of a line's font: a positive height is the character cell, of which the em is the part
// the face's ascent and descent leave it.
double EmSize(const Line& l, const FaceMetrics& m) { return l.height > 0 ? l.height / (m.ascent + m.descent) : -l.height; }

// Whole-unit advances whose running sums stay within half a unit of the face's own.
std::vector<int> Advances(const Line& l, const FaceMetrics& m) {
  std::vector<int> dx;
  double sum = 0;
  long placed = 0;
  for (double a : m.advances) {
    if (l.pitch > 0) {
      dx.push_back(l.pitch);
      continue;
    }
    sum += a * EmSize(l, m);
    dx.push_back(int(std::lround(sum) - placed));
    placed = std::lround(sum);
  }
  return dx;
}

int Weight(const Line& l) { return std::string(l.style).find("Bold") != std::string::npos ? 700 : 400; }
bool Italic(const Line& l) { return std::string(l.style).find("Italic") != std::string::npos; }

// The scene as the generator's script.
std::string Script(const std::vector<Line>& lines, const std::vector<FaceMetrics>& metrics) {
  std::string s = "bkmode 1\n";
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    std::string face = l.face;
    for (char& c : face)
      if (c == ' ') c = '_';
    s += "font " + face + " " + std::to_string(l.height) + " " + std::to_string(l.escapement) + " " +
         std::to_string(Weight(l)) + " " + (Italic(l) ? "1" : "0") + " 0\n";
    const uint32_t c = l.rgb;
    s += "colour " + std::to_string(c >> 16) + " " + std::to_string((c >> 8) & 0xFF) + " " + std::to_string(c & 0xFF) + "\n";
    s += "align " + std::to_string(l.align) + "\n";
    s += "text " + std::to_string(l.x) + " " + std::to_string(l.y) + " 0 0 0 0 0 " + l.text;
    for (int d : Advances(l, metrics[i])) s += " " + std::to_string(d);
    s += "\n";
  }
  return s;
}

// Each string drawn as the player places it: its baseline start found from the alignment and
// the face's Windows ascent and descent, each character at its advance, turned by the
// escapement about that start; logical units are `scale` pixels.
std::string HandSvg(const std::vector<Line>& lines, const std::vector<FaceMetrics>& metrics, int w, int h,
                    const std::string& extra, double scale = 1) {
  std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(w) + "' height='" +
                    std::to_string(h) + "'>" + extra + "<g transform='scale(" + std::to_string(scale) + ")'>";
  char buf[256];
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    const FaceMetrics& m = metrics[i];
    const double size = EmSize(l, m);
    const double theta = l.escapement / 10.0 * M_PI / 180;
    // Screen directions (y down) along the baseline and down the characters.
    const double bx = std::cos(theta), by = -std::sin(theta), dx = std::sin(theta), dy = std::cos(theta);
    double down = 0;
    if ((l.align & kBaseline) == kTop) down = m.ascent * size;
    if ((l.align & kBaseline) == kBottom) down = -m.descent * size;
    const std::vector<int> adv = Advances(l, m);
    double width = 0;
    for (int a : adv) width += a;
    double along = 0;
    if ((l.align & kCentre) == kCentre) along = -width / 2;
    else if ((l.align & kCentre) == kRight) along = -width;
    const double sx = l.x + dx * down + bx * along, sy = l.y + dy * down + by * along;
    // One element per character: a list of positions is not drawn by every renderer.
    const std::u16string text = Utf8ToWide(l.text);
    double at = 0;
    for (size_t k = 0; k < adv.size() && k < text.size(); ++k, at += adv[k - 1]) {
      if (text[k] == u'_') continue;
      std::snprintf(buf, sizeof buf,
                    "<text x='%.3f' y='%.3f' font-family='%s' font-size='%g' font-weight='%d' font-style='%s' "
                    "fill='#%06X' transform='rotate(%g %.3f %.3f)'>",
                    sx + at, sy, l.face, size, Weight(l), Italic(l) ? "italic" : "normal", l.rgb,
                    -l.escapement / 10.0, sx, sy);
      svg += buf + WideToUtf8(text.substr(k, 1)) + "</text>";
    }
  }
  return svg + "</g></svg>";
}

struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

// Pixels whose channels all lie within `tolerance` of the colour: the strings' colours are
// chosen so that no edge of one, blended with what lies under it, comes that near another's.
Box InkBox(const Raster& r, uint32_t rgb, int tolerance = 40) {
  Box b;
  for (int y = 0; y < r.Height; ++y)
    for (int x = 0; x < r.Width; ++x) {
      const uint32_t p = mftest::Pixel(r, x, y);
      bool near = true;
      for (int s = 0; s < 24; s += 8) near = near && std::abs(int((p >> s) & 0xFF) - int((rgb >> s) & 0xFF)) <= tolerance;
      if (!near) continue;
      b.left = std::min(b.left, x), b.top = std::min(b.top, y);
      b.right = std::max(b.right, x), b.bottom = std::max(b.bottom, y);
    }
  return b;
}

class MetafileTextOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::HaveTool(Uemf())) GTEST_SKIP() << "needs libuemf (uemf_text)";
    if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
    if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
    if (!testsupport::HaveTool("rsvg-convert")) GTEST_SKIP() << "needs rsvg-convert";
  }

  // Writes the scene, renders it through the API at 96 dpi (a logical unit is a pixel).
  Raster Ours(const std::vector<Line>& lines, std::vector<FaceMetrics>& metrics, const std::string& extraScript = "") {
    for (const Line& l : lines) metrics.push_back(Measure(l));
    for (const FaceMetrics& m : metrics)
      if (!m.ok) return {};
    testsupport::WriteFile(dir.File("scene.txt"), Script(lines, metrics) + extraScript);
    emf = dir.File("scene.emf");
    if (testsupport::Run(Uemf() + " emf_script " + emf + " < " + dir.File("scene.txt")) != 0) return {};
    std::string message;
    return mftest::RenderThroughApi(emf, 96, 0, &message);
  }

  // The scene as a placeable WMF of a window of w x h logical units at `inch` units an inch
  // (lines of 8-bit text, upright, not italic), rendered through the API at `dpi`.
  Raster OursWmf(const std::vector<Line>& lines, std::vector<FaceMetrics>& metrics, int w, int h, int inch, int dpi) {
    std::string script = "window " + std::to_string(w) + " " + std::to_string(h) + "\n";
    for (const Line& l : lines) {
      metrics.push_back(Measure(l));
      if (!metrics.back().ok) return {};
      std::string face = l.face, hex;
      for (char& c : face)
        if (c == ' ') c = '_';
      char buf[4];
      for (const char c : std::string(l.text)) {
        std::snprintf(buf, sizeof buf, "%02X", unsigned(c == '_' ? ' ' : c));
        hex += buf;
      }
      script += "cfont " + face + " " + std::to_string(l.height) + " " + std::to_string(Weight(l)) + " 0 0 0\n";
      script += "colour " + std::to_string(l.rgb >> 16) + " " + std::to_string((l.rgb >> 8) & 0xFF) + " " +
                std::to_string(l.rgb & 0xFF) + "\nalign " + std::to_string(l.align) + "\n";
      script += "bytes " + std::to_string(l.x) + " " + std::to_string(l.y) + " " + hex;
      for (int d : Advances(l, metrics.back())) script += " " + std::to_string(d);
      script += "\n";
    }
    testsupport::WriteFile(dir.File("scene.txt"), script);
    const std::string wmf = dir.File("scene.wmf");
    if (testsupport::Run(Uemf() + " wmf_script " + wmf + " " + std::to_string(w) + " " + std::to_string(h) + " " +
                         std::to_string(inch) + " < " + dir.File("scene.txt")) != 0)
      return {};
    std::string message;
    return mftest::RenderThroughApi(wmf, dpi, 0, &message);
  }

  Raster Svg(const std::string& svg) {
    const std::string png = svg + ".png";
    if (testsupport::Run("rsvg-convert -b white " + svg + " -o " + png) != 0) return {};
    return testraster::DecodeWithPillow(png);
  }

  void ExpectSameBoxes(const Raster& ours, const Raster& theirs, const std::vector<Line>& lines) {
    ASSERT_GT(ours.Width, 0);
    ASSERT_GT(theirs.Width, 0);
    if (const char* dump = std::getenv("VELMORA_METAFILE_DUMP")) {
      const std::string name = std::string(dump) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
      for (const auto& [suffix, r] : {std::pair<const char*, const Raster*>{"-ours.ppm", &ours}, {"-theirs.ppm", &theirs}})
        testsupport::WriteFile(name + suffix, "P6\n" + std::to_string(r->Width) + " " + std::to_string(r->Height) +
                                                  "\n255\n" + std::string(r->RGB.begin(), r->RGB.end()));
    }
    for (const Line& l : lines) {
      const Box a = InkBox(ours, l.rgb), b = InkBox(theirs, l.rgb);
      ASSERT_FALSE(a.Empty()) << l.text;
      ASSERT_FALSE(b.Empty()) << l.text;
      EXPECT_LE(std::abs(a.left - b.left), 3) << l.text;
      EXPECT_LE(std::abs(a.top - b.top), 3) << l.text;
      EXPECT_LE(std::abs(a.right - b.right), 3) << l.text;
      EXPECT_LE(std::abs(a.bottom - b.bottom), 3) << l.text;
    }
  }

  testsupport::TempDir dir;
  std::string emf;
};

// What emf2svg draws as the player does: faces, sizes, styles, top and baseline alignment to
// the left, centre and right, the faces' own advances.
TEST_F(MetafileTextOracle, Emf2SvgDrawsTheSameStrings) {
  REQUIRE_TOOL("emf2svg-conv");
  const std::vector<Line> lines = {
      {"Arial", "Regular", -24, 0, kTop, kRed, 10, 8, "Velmora", 0},
      {"Times New Roman", "Bold Italic", -30, 0, kTop, kGreen, 10, 44, "Sorted", 0},
      {"Courier New", "Regular", -20, 0, kTop | kCentre, kBlue, 190, 90, "centred", 0},
      {"Arial", "Bold", -28, 0, kBaseline | kRight, kMagenta, 370, 160, "Right", 0},
      {"Times New Roman", "Italic", -22, 0, kTop | kRight, kCyan, 370, 190, "Likeness", 0},
      {"Arial", "Regular", -36, 0, kBaseline, kBlack, 20, 260, "Images_of_text", 0},
  };
  std::vector<FaceMetrics> metrics;
  const Raster ours = Ours(lines, metrics);
  ASSERT_EQ(ours.Width, 384);
  const std::string svg = dir.File("emf2svg.svg");
  ASSERT_EQ(testsupport::Run("emf2svg-conv -i " + emf + " -o " + svg), 0);
  ExpectSameBoxes(ours, Svg(svg), lines);
}

// Escapements, advance arrays wider than the face's, bottom alignment and an opaque box, against
// the picture drawn from the scene's numbers.
TEST_F(MetafileTextOracle, HandDrawnSceneAgrees) {
  const std::vector<Line> lines = {
      {"Arial", "Regular", -22, 900, kBaseline, kCyan, 340, 270, "Upward", 0},
      {"Arial", "Regular", -20, 300, kTop, kRed, 30, 270, "Tilted", 0},
      {"Arial", "Regular", -18, 0, kTop, kGreen, 10, 20, "W_I_D_E", 24},
      {"Times New Roman", "Regular", -26, 0, kBottom | kCentre, kMagenta, 200, 120, "Bottom", 0},
      {"Courier New", "Bold", -20, 1800, kBaseline, kBlue, 370, 160, "turned", 0},
      {"Arial", "Regular", 30, 0, kTop, 0xFF8C00, 200, 20, "Cell", 0},
  };
  // Opaque boxes: yellow under black text, and blue under green text whose box starts at its
  // reference point (the text's top is still that point).
  const std::vector<Line> boxed = {{"Arial", "Regular", -20, 0, kTop, kBlack, 150, 190, "Boxed", 0},
                                   {"Arial", "Regular", -20, 0, kTop, 0x005A00, 20, 150, "Flush", 0}};
  const char* boxes[] = {"bkcolour 255 230 0\ncolour 0 0 0\ntext 150 190 2 140 180 240 230 Boxed",
                         "bkcolour 150 150 255\ncolour 0 90 0\ntext 20 150 2 20 150 110 180 Flush"};
  std::vector<FaceMetrics> metrics;
  std::string extra = "font Arial -20 0 400 0 0\nalign 0\n";
  for (size_t i = 0; i < boxed.size(); ++i) {
    const FaceMetrics m = Measure(boxed[i]);
    ASSERT_TRUE(m.ok);
    extra += boxes[i];
    for (int d : Advances(boxed[i], m)) extra += " " + std::to_string(d);
    extra += "\n";
  }
  const Raster ours = Ours(lines, metrics, extra);
  ASSERT_EQ(ours.Width, 384);
  std::vector<Line> all = lines;
  for (const Line& l : boxed) {
    all.push_back(l);
    metrics.push_back(Measure(l));
  }
  const std::string svg = dir.File("hand.svg");
  testsupport::WriteFile(svg, HandSvg(all, metrics, 384, 288,
                                      "<rect x='0' y='0' width='384' height='288' fill='white'/>"
                                      "<rect x='140' y='180' width='100' height='50' fill='#FFE600'/>"
                                      "<rect x='20' y='150' width='90' height='30' fill='#9696FF'/>"));
  const Raster theirs = Svg(svg);
  ExpectSameBoxes(ours, theirs, all);
  for (uint32_t box : {0xFFE600u, 0x9696FFu}) {
    // The boxes are flat fills of their colour in both pictures.
    const Box a = InkBox(ours, box, 8), b = InkBox(theirs, box, 8);
    EXPECT_LE(std::abs(a.left - b.left) + std::abs(a.top - b.top) + std::abs(a.right - b.right) +
                  std::abs(a.bottom - b.bottom),
              2);
  }
}

// WMF text is laid out by its spacing arrays (META_EXTTEXTOUT's dx) as EMF text is, and as the
// platform's player lays both out: against the picture drawn from the scene's numbers, on a
// window of 2000 x 600 units at 1000 an inch. The strings' own widths, given as the array,
// place them as the face would.
TEST_F(MetafileTextOracle, WmfSpacingArraysPlaceTheCharacters) {
  const std::vector<Line> lines = {
      {"Arial", "Regular", -200, 0, kTop, kRed, 100, 400, "ABC", 600},
      {"Times New Roman", "Bold", -150, 0, kBaseline, kBlue, 100, 330, "Wide", 450},
      {"Courier New", "Regular", -120, 0, kTop, kGreen, 20, 20, "tight", 60},
      {"Arial", "Regular", -120, 0, kTop | kRight, kMagenta, 1980, 20, "Own_widths", 0},
  };
  constexpr int kDpi = 288;
  std::vector<FaceMetrics> metrics;
  const Raster ours = OursWmf(lines, metrics, 2000, 600, 1000, kDpi);
  ASSERT_EQ(ours.Width, 2 * kDpi);
  const std::string svg = dir.File("wmf.svg");
  testsupport::WriteFile(svg, HandSvg(lines, metrics, ours.Width, ours.Height,
                                      "<rect x='0' y='0' width='100%' height='100%' fill='white'/>", kDpi / 1000.0));
  ExpectSameBoxes(ours, Svg(svg), lines);
}

// The written document's fonts pass poppler's tools: the selected TrueType face and the Type 3
// fonts made for text beyond WinAnsiEncoding carry ToUnicode maps through which the text comes
// back, Hebrew in logical order, glyph-index text as its characters.
TEST_F(MetafileTextOracle, PopplerReadsTheFontsAndTheTextBack) {
  REQUIRE_TOOL("pdffonts");
  REQUIRE_TOOL("pdftotext");
  std::string out;
  ASSERT_EQ(testsupport::Run(Metrics() + " Arial Regular 'Глаз'", &out), 0);
  std::istringstream in(out);
  double skip = 0;
  int id = 0;
  in >> skip >> skip;
  std::string ids;
  while (in >> skip >> id) ids += " " + std::to_string(id);
  const std::vector<Line> lines = {
      {"Arial", "Regular", -24, 0, kBaseline, kBlack, 10, 40, "Price_5_€", 0},
      {"Arial", "Regular", -24, 0, kBaseline, kBlack, 10, 90, "Жук", 0},
      {"Arial", "Regular", -24, 0, kBaseline, kBlack, 10, 140, "שלום_עולם", 0},
      {"Times New Roman", "Bold", -24, 0, kBaseline, kBlack, 10, 190, "Plain", 0},
  };
  std::vector<FaceMetrics> metrics;
  const std::string glyphScript = "font Arial -24 0 400 0 0\nglyphs 10 240 16 4" + ids + " 15 15 15 15\n";
  ASSERT_GT(Ours(lines, metrics, glyphScript).Width, 0);
  const std::string pdf = dir.File("text.pdf");
  std::string message;
  ASSERT_GT(mftest::RenderThroughApi(emf, 72, 0, &message, pdf).Width, 0);
  std::string fonts;
  ASSERT_EQ(testsupport::Run("pdffonts " + pdf + " 2>&1", &fonts), 0);
  int trueType = 0, type3 = 0;
  std::istringstream rows(fonts);
  std::string row;
  while (std::getline(rows, row)) {
    if (row.find("TrueType") != std::string::npos) ++trueType;
    if (row.find("Type 3") != std::string::npos) {
      ++type3;
      EXPECT_NE(row.find(" yes "), std::string::npos) << row;  // ToUnicode
    }
  }
  EXPECT_EQ(trueType, 2) << fonts;
  EXPECT_EQ(type3, 3) << fonts;  // Cyrillic, Hebrew, the glyph indices
  EXPECT_EQ(fonts.find("Error"), std::string::npos) << fonts;
  std::string text;
  ASSERT_EQ(testsupport::Run("pdftotext -enc UTF-8 " + pdf + " - 2>&1", &text), 0);
  for (const char* want : {"Price 5 €", "Жук", "שלום", "עולם", "Plain", "Глаз"})
    EXPECT_NE(text.find(want), std::string::npos) << want << " in " << text;
  EXPECT_EQ(text.find("Error"), std::string::npos) << text;
}

}  // namespace
