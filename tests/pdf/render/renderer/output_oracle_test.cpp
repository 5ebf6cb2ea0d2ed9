// EPS, HTML5 canvas, metafile and GDI+ EMF output checked by independent readers against our
// BMP output of the same page: the EPS file rendered by Ghostscript (gs -sDEVICE=ppmraw -r72
// -dEPSCrop), the HTML page opened by headless Chromium and screenshotted, the EMF turned into
// SVG by emf2svg and drawn by rsvg-convert (metafiles recorded with either back end, compared
// with that back end's bitmap; our own metafile reader loads them and plays the WMF), the WMF turned into
// SVG by libwmf's wmf2svg and drawn by rsvg-convert, the EMF+
// records as emf2svg reads them, modes 10 and 11 drawn by the system's libcairo. Pixels are
// compared by the neighbourhood measure of the poppler oracle (anti-aliased edges of two rasterizers agree by it, misplaced or
// miscoloured shapes do not). A reader that is not installed skips its half of the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/metafile.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/render/support/emfplus_fills.h"
#include "tests/pdf/render/support/face_metrics.h"
#include "tests/pdf/render/support/oracle_pages.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/emf2svg_records.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::OnSharedPage;
using rendertest::TestPdf;

struct OutputCase {
  const char* name;
  std::string content{};
  std::string resources = "<< >>";
  std::vector<std::string> objects{};  // objects 5, 6, ...: "stream:<dict>|<data>" for streams
  bool eps = true, html5 = true;     // which outputs can show the page
  int allowed = 0;                   // pixels outside the reader's neighbourhood range
  std::string pageExtra = "";        // further entries of the page dictionary
  // Whether a metafile recorded by the GDI back end is compared too: GDI's aliased one-pixel
  // pens and curves differ from an SVG renderer's along every stroke, so only pages of fills
  // and pictures are.
  bool gdiMetafile = true;
};

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }

// The EMF as emf2svg converts it and rsvg-convert draws it on white at the page's size.
testraster::Raster Emf2svg(const std::string& emf, int width, int height) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("page.emf"), emf);
  const std::string svg = dir.File("page.svg"), png = dir.File("page.png");
  if (testsupport::Run("emf2svg-conv -i '" + dir.File("page.emf") + "' -o '" + svg + "'") != 0) return {};
  // emf2svg sizes the drawing by the inclusive bounds' difference, one pixel short: the
  // drawing is given the page's size back, unscaled.
  const std::string size = "width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"";
  testsupport::WriteFile(svg, std::regex_replace(testsupport::ReadFile(svg), std::regex("width=\"[0-9.]+\" height=\"[0-9.]+\""),
                                                 size, std::regex_constants::format_first_only));
  if (testsupport::Run("rsvg-convert -b white -w " + std::to_string(width) + " -h " + std::to_string(height) +
                       " -o '" + png + "' '" + svg + "'") != 0)
    return {};
  return testraster::DecodeWithPillow(png);
}

// libwmf sizes its picture by the extent the records draw, not by the placeable bounds. Two
// pixels set far outside anything a page draws, right after the page's mapping records, fix
// that extent; their places in wmf2svg's SVG give its mapping of our coordinates, by which
// the page's bounds are cut out of the drawing.
constexpr int16_t kProbe = 32000;

std::string WithProbes(std::string wmf) {
  constexpr size_t kPlaceable = 22, kHeader = 18;
  size_t at = kPlaceable + kHeader;
  // After the window's extent, the first record given in the page's coordinates.
  for (;;) {
    if (at + 6 > wmf.size()) return {};
    const uint32_t words = uint8_t(wmf[at]) | uint8_t(wmf[at + 1]) << 8 | uint8_t(wmf[at + 2]) << 16 |
                           uint32_t(uint8_t(wmf[at + 3])) << 24;
    const uint16_t function = uint16_t(uint8_t(wmf[at + 4]) | uint8_t(wmf[at + 5]) << 8);
    if (words < 3 || function == 0) return {};
    at += size_t(words) * 2;
    if (function == 0x020C) break;  // META_SETWINDOWEXT
  }
  std::string probes;
  auto put16 = [&](int v) { probes += char(v & 0xFF), probes += char((v >> 8) & 0xFF); };
  for (const int place : {-kProbe, int(kProbe)}) {
    put16(7), put16(0), put16(0x041F), put16(0), put16(0), put16(place), put16(place);  // META_SETPIXEL, black
  }
  wmf.insert(at, probes);
  uint32_t fileWords = 0;
  for (int i = 3; i >= 0; --i) fileWords = fileWords << 8 | uint8_t(wmf[kPlaceable + 6 + size_t(i)]);
  fileWords += uint32_t(probes.size() / 2);
  for (int i = 0; i < 4; ++i) wmf[kPlaceable + 6 + size_t(i)] = char(fileWords >> (8 * i));
  return wmf;
}

// The placeable WMF as libwmf converts it to SVG (wmf2svg), cut to the page's bounds by the
// probes' places and drawn by rsvg-convert on white at the page's size.
testraster::Raster Wmf2svg(const std::string& wmf, int width, int height) {
  testsupport::TempDir dir;
  const std::string probed = WithProbes(wmf);
  EXPECT_NE(probed, "") << "no window extent record to place the probes after";
  if (probed.empty()) return {};
  testsupport::WriteFile(dir.File("page.wmf"), probed);
  const std::string svg = dir.File("page.svg"), png = dir.File("page.png");
  // Asked for a large picture, so that the page's few pixels take many of the SVG's printed digits.
  if (testsupport::Run("wmf2svg --inline --maxsize --maxwidth=6400000 --maxheight=6400000 -o '" + svg + "' '" + dir.File("page.wmf") + "' >/dev/null 2>&1") != 0) return {};
  std::string text = testsupport::ReadFile(svg);
  const std::regex probe(R"re(<rect x="([-0-9.]+)" y="([-0-9.]+)" width="[0-9.]+" height="[0-9.]+" style="fill:black; stroke:none" />\s*)re");
  double place[2][2];
  for (auto& p : place) {
    std::smatch m;
    EXPECT_TRUE(std::regex_search(text, m, probe)) << "probe pixel missing from the SVG";
    if (m.empty()) return {};
    p[0] = std::stod(m[1]), p[1] = std::stod(m[2]);
    text.erase(size_t(m.position(0)), size_t(m.length(0)));
  }
  // SVG units per page unit, and where the page's origin lies.
  const double sx = (place[1][0] - place[0][0]) / (2.0 * kProbe), sy = (place[1][1] - place[0][1]) / (2.0 * kProbe);
  const double x0 = place[0][0] + kProbe * sx, y0 = place[0][1] + kProbe * sy;
  const std::string box = "width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
                          "\" viewBox=\"" + std::to_string(x0) + " " + std::to_string(y0) + " " +
                          std::to_string(width * sx) + " " + std::to_string(height * sy) +
                          "\" preserveAspectRatio=\"none\"";
  text = std::regex_replace(text, std::regex("width=\"[0-9.]+\" height=\"[0-9.]+\""), box,
                            std::regex_constants::format_first_only);
  // wmf2svg's images use the xlink prefix without declaring it, and carry a transform that
  // places and scales them a second time over their own x, y, width and height.
  text = std::regex_replace(text, std::regex("<svg "), "<svg xmlns:xlink=\"http://www.w3.org/1999/xlink\" ",
                            std::regex_constants::format_first_only);
  text = std::regex_replace(text, std::regex("\\s*transform=\"matrix\\([^)]*\\)\"(\\s*xlink:href)"), "$1");
  testsupport::WriteFile(svg, text);
  if (testsupport::Run("rsvg-convert -b white -w " + std::to_string(width) + " -h " + std::to_string(height) +
                       " -o '" + png + "' '" + svg + "'") != 0)
    return {};
  return testraster::DecodeWithPillow(png);
}

// The WMF as our own metafile reader plays it onto a white bitmap of the page's size.
testraster::Raster OurPlayer(const std::string& wmf, int width, int height) {
  TMemoryStream stream;
  stream.WriteString(wmf);
  stream.SetPosition(0);
  TMetafile metafile;
  metafile.LoadFromStream(stream);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  bitmap.Canvas().Brush().SetColor(TColor(0xFFFFFF));
  bitmap.Canvas().FillRect(TRect{0, 0, width, height});
  bitmap.Canvas().Draw(0, 0, metafile);
  testraster::Raster r;
  r.Width = width, r.Height = height;
  r.RGB.resize(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* px = bitmap.ScanLine(y) + x * 3;
      for (int c = 0; c < 3; ++c) r.RGB[(size_t(y) * width + x) * 3 + c] = px[2 - c];
    }
  return r;
}

// The canvas sits at the body's margin of 8 pixels; a fresh profile's window shows less than
// its size, so the window is made well larger than the page.
testraster::Raster Chromium(const std::string& html, int width, int height) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("page.html"), html);
  const std::string command =
      "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 "
      "--user-data-dir='" +
      dir.File("profile") + "' --window-size=" + std::to_string(width + 100) + "," + std::to_string(height + 200) +
      " --screenshot='" + dir.File("shot.png") + "' 'file://" + dir.File("page.html") + "' >/dev/null 2>&1";
  if (testsupport::Run(command) != 0) return {};
  const testraster::Raster shot = testraster::DecodeWithPillow(dir.File("shot.png"));
  if (shot.Width < width + 8 || shot.Height < height + 8) return {};
  return testraster::Crop(shot, 8, 8, width, height);
}

// VELMORA_RENDER_DUMP=folder keeps both pictures of a failing case there (as PPM).
void Dump(const char* name, const testraster::Raster& ours, const testraster::Raster& theirs, const char* reader) {
  if (std::getenv("VELMORA_RENDER_DUMP") == nullptr) return;
  const std::string folder = std::getenv("VELMORA_RENDER_DUMP");
  for (const auto& [picture, suffix] : {std::pair{&ours, "ours"}, std::pair{&theirs, reader}}) {
    std::string ppm = "P6 " + std::to_string(picture->Width) + " " + std::to_string(picture->Height) + " 255\n";
    ppm.append(picture->RGB.begin(), picture->RGB.end());
    testsupport::WriteFile(folder + "/" + name + "_" + suffix + ".ppm", ppm);
  }
}

// Cairo output (mode 11): the system's libcairo draws the page into our bitmap. Empty when the
// library does not load.
testraster::Raster Cairo(TestPdf& pdf, int page, std::string& error) {
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderCairoBitmap;
  renderer.SetCairoTarget(u"libcairo.so.2", nullptr, 1, 0, 0);
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  error = renderer.ErrorText;
  testraster::Raster r;
  TBitmap& bitmap = renderer.Bitmap();
  if (!error.empty() || bitmap.Empty()) return r;
  r.Width = bitmap.Width(), r.Height = bitmap.Height();
  for (int y = 0; y < r.Height; ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < r.Width; ++x) r.RGB.insert(r.RGB.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
  }
  return r;
}

bool Inked(const testraster::Raster& r) {
  return std::any_of(r.RGB.begin(), r.RGB.end(), [](uint8_t v) { return v < 224; });
}

class OutputOracle : public ::testing::TestWithParam<OutputCase> {
 protected:
  // The page in some output as its reader draws it (error: the render's error text; output:
  // the text of the output, shown when the pictures differ).
  using Reader = std::function<testraster::Raster(TestPdf&, int, int, int, std::string&, std::string&)>;

  // Renders the page as BMP and in the mode, has the reader draw the mode's output, and
  // compares the two pictures.
  void Check(uint8_t mode, const char* readerName,
             const std::function<testraster::Raster(const std::string&, int, int)>& reader, bool gdiplus = true) {
    Compare(readerName, gdiplus, [&](TestPdf& pdf, int page, int width, int height, std::string& error,
                                     std::string& output) {
      output = rendertest::RenderOutput(pdf, page, mode, error, gdiplus);
      if (mode == kRenderWMF || mode == kRenderEMF) ExpectOurReaderLoads(output, width, height);
      return reader(output, width, height);
    });
  }

  // Renders the page as BMP, has the reader draw it in its output, and compares the two.
  void Compare(const char* readerName, bool gdiplus, const Reader& reader) {
    const OutputCase& c = GetParam();
    TestPdf pdf;
    const int page = pdf.AddPage(c.content, c.resources, "[0 0 100 100]", c.pageExtra);
    pdf.AddObjects(c.objects);
    std::string error, output;
    const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error, 72, gdiplus);
    ASSERT_EQ(error, "");
    ASSERT_TRUE(Inked(ours)) << c.name << ": the bitmap shows nothing to compare";
    const testraster::Raster theirs = reader(pdf, page, ours.Width, ours.Height, error, output);
    EXPECT_EQ(error, "");
    ASSERT_EQ(theirs.Width, ours.Width) << output;
    ASSERT_EQ(theirs.Height, ours.Height);
    const int different = rendertest::CountOutsideNeighbourhood(ours, theirs, 8);
    EXPECT_LE(different, c.allowed) << c.name << "\n" << output;
    if (different > c.allowed) Dump(c.name, ours, theirs, readerName);
  }

  static void ExpectOurReaderLoads(const std::string& output, int width, int height) {
    TMemoryStream stream;
    stream.WriteString(output);
    stream.SetPosition(0);
    TMetafile metafile;
    ASSERT_NO_THROW(metafile.LoadFromStream(stream));
    EXPECT_EQ(metafile.Width(), width);
    EXPECT_EQ(metafile.Height(), height);
  }
};

TEST_P(OutputOracle, EPSThroughGhostscriptMatchesTheBitmap) {
  if (!GetParam().eps) GTEST_SKIP() << "not shown by EPS output";
  REQUIRE_TOOL("gs");
  Check(kRenderEPS, "gs", [](const std::string& eps, int, int) { return rendertest::GhostscriptEPS(eps); });
}

TEST_P(OutputOracle, HTML5ThroughChromiumMatchesTheBitmap) {
  if (!GetParam().html5) GTEST_SKIP() << "not shown by HTML5 output";
  REQUIRE_TOOL("chromium");
  Check(kRenderHTML5, "chromium", Chromium);
}

TEST_P(OutputOracle, CairoMatchesTheBitmap) {
  {
    TestPdf probe;
    std::string error;
    Cairo(probe, probe.AddPage(""), error);
    if (!error.empty()) GTEST_SKIP() << "libcairo.so.2: " << error;
  }
  Compare("cairo", true, [](TestPdf& pdf, int page, int, int, std::string& error, std::string&) {
    return Cairo(pdf, page, error);
  });
}

// emf2svg prints EMF+ records without drawing them; the fills and clips it reads are drawn
// by the test (see emfplus_fills.h).
TEST_P(OutputOracle, GdiplusEmfThroughEmf2svgMatchesTheBitmap) {
  // The pages made of fills and clips only (emf2svg does not print all of a stroke, an image
  // or a brush other than a colour).
  static const std::set<std::string> fillsOnly = {"rectangles", "device_colours",      "curves", "transforms",
                                                  "clips",      "nonzero_and_even_odd", "forms_with_matrix_and_box"};
  if (!fillsOnly.count(GetParam().name)) GTEST_SKIP() << "not made of fills and clips only";
  REQUIRE_TOOL("emf2svg-conv");
  Check(kRenderGDIPlusEMF, "emf2svg", [](const std::string& emf, int width, int height) {
    std::string why;
    const testraster::Raster drawn =
        rendertest::DrawEmfPlusFills(testsupport::Emf2svgPlusRecords(emf), width, height, &why);
    EXPECT_EQ(why, "");
    return drawn;
  });
}

TEST_P(OutputOracle, EMFThroughEmf2svgMatchesTheBitmap) {
  REQUIRE_TOOL("emf2svg-conv");
  REQUIRE_TOOL("rsvg-convert");
  Check(kRenderEMF, "emf2svg", Emf2svg, true);
  if (GetParam().gdiMetafile) Check(kRenderEMF, "emf2svg_gdi", Emf2svg, false);
}

TEST_P(OutputOracle, WMFThroughOurPlayerMatchesTheBitmap) {
  Check(kRenderWMF, "player", OurPlayer, true);
  if (GetParam().gdiMetafile) Check(kRenderWMF, "player_gdi", OurPlayer, false);
}

TEST_P(OutputOracle, WMFThroughLibwmfMatchesTheBitmap) {
  REQUIRE_TOOL("wmf2svg");
  REQUIRE_TOOL("rsvg-convert");
  Check(kRenderWMF, "wmf2svg", Wmf2svg, true);
  // libwmf's SVG names each colour by the nearest of its named colours: the GDI recording of
  // this page fills with 0.2 0.4 0.6, which comes out steelblue.
  if (GetParam().gdiMetafile && GetParam().name != std::string("device_colours"))
    Check(kRenderWMF, "wmf2svg_gdi", Wmf2svg, false);
}

// A 4 x 4 RGB picture: red, green, blue and white quarters.
std::string Quarters() {
  std::string data;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const int q = (y / 2) * 2 + x / 2;
      const char px[4][3] = {{'\xFF', 0, 0}, {0, '\xFF', 0}, {0, 0, '\xFF'}, {'\xFF', '\xFF', '\xFF'}};
      data.append(px[q], 3);
    }
  return data;
}

std::string QuartersImage(const std::string& extra = "") {
  return "stream:<< /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceRGB /BitsPerComponent 8 " + extra + ">>|" +
         Quarters();
}

// An 8 x 8 one-bit ring: rows of bits, 1 set where the mask shows (the default Decode).
const std::string kRing("\xFF\x81\xBD\xA5\xA5\xBD\x81\xFF", 8);

// Shadings and patterns: an axial shading from red to blue along x (object 5) and, as object
// 6, a pattern of it.
const std::vector<std::string> kAxialObjects = {
    "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [10 0 90 0] /Extend [true true] "
    "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>",
    "<< /Type /Pattern /PatternType 2 /Shading 5 0 R >>"};
const std::string kAxialResources = "<< /Pattern << /P0 6 0 R >> /Shading << /Sh0 5 0 R >> /ExtGState << /Half << "
                                    "/ca 0.5 >> >> /Font << /F1 7 0 R >> >>";
const std::string kHelvetica = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>";

// Text: fonts of every kind in objects from 5 on.
const std::string kFontFolder = "/usr/share/fonts/truetype/liberation2/";

// An embedded TrueType program (objects 5 to 7, the font last) with widths read by FreeType.
std::vector<std::string> EmbeddedTrueType(const std::string& face) {
  const std::string file = kFontFolder + face + ".ttf";
  return {"stream:<< >>|" + testsupport::ReadFile(file),
          "<< /Type /FontDescriptor /FontName /ABCDEF+" + face + " /Flags 34 /FontBBox [-600 -300 2000 1000] "
          "/ItalicAngle 0 /Ascent 891 /Descent -216 /CapHeight 662 /StemV 80 /FontFile2 5 0 R >>",
          "<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+" + face + " /FirstChar 32 /LastChar 126 /Widths " +
              rendertest::WidthArray(rendertest::Measure(file), 32, 126) +
              " /Encoding /WinAnsiEncoding /FontDescriptor 6 0 R >>"};
}

// A Type 3 font (object 5, glyph procedures 6 to 8): a square and a triangle in the text's
// colour, and a ring that sets its own colour and strokes (two pixels wide at 20 points, on
// whole pixels, where every reader draws it alike).
const std::vector<std::string> kType3Objects = {
    "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << "
    "/square 6 0 R /triangle 7 0 R /ring 8 0 R >> /Encoding << /Type /Encoding /Differences [97 /square /triangle "
    "/ring] >> /FirstChar 97 /LastChar 99 /Widths [1000 800 900] /Resources << >> >>",
    "stream:<< >>|1000 0 0 0 1000 1000 d1 100 0 m 900 0 l 900 800 l 100 800 l h f",
    "stream:<< >>|800 0 0 0 800 800 d1 0 0 m 800 0 l 400 700 l h f",
    "stream:<< >>|900 0 d0 0 0.6 0 RG 100 w 150 150 600 600 re S"};

INSTANTIATE_TEST_SUITE_P(
    Pages, OutputOracle,
    ::testing::Values(
        // An appearance fitted into its Rect and a link border.
        OutputCase{.name = "annotations",
                   .content = "0 1 0 rg 0 0 100 5 re f",
                   .objects = {"<< /Subtype /Square /Rect [10 10 50 40] /AP << /N 6 0 R >> >>",
                               "stream:<< /BBox [0 0 10 10] >>|1 0 0 rg 0 0 10 10 re f 0 0 1 rg 0 0 5 5 re f",
                               "<< /Subtype /Link /Rect [56 56 94 94] /C [0 0 1] /Border [0 0 4] >>"},
                   .allowed = 8,
                   .pageExtra = "/Annots [5 0 R 7 0 R]", .gdiMetafile = false},
        // A stamp without appearance: the small lettering's edges are shaded differently by
        // each reader; placement and colours still tell.
        OutputCase{.name = "stamp_annotation",
                   .objects = {"<< /Subtype /Stamp /Name /Approved /Rect [5 30 95 54] >>"},
                   .allowed = 120,
                   .pageExtra = "/Annots [5 0 R]", .gdiMetafile = false},
        OnSharedPage("rectangles", OutputCase{.name = "rectangles"}),
        OutputCase{.name = "device_colours",
                   .content = "0.5 g 40 10 20 20 re f 0.2 0.4 0.6 rg 70 10 20 20 re f 1 0 1 RG 0.25 G "
                              "/DeviceRGB cs 1 1 0 sc 40 40 20 20 re f"},
        OnSharedPage("curves", OutputCase{.name = "curves", .allowed = 4, .gdiMetafile = false}),
        OutputCase{.name = "transforms",
                   .content = "q 0.7071 0.7071 -0.7071 0.7071 50 10 cm 1 0 1 rg 0 0 40 40 re f Q "
                              "q 2 0 0 0.5 5 80 cm 0 0 0 rg 0 0 10 20 re f Q 0 0 1 rg 70 10 20 20 re f",
                   .allowed = 6, .gdiMetafile = false},
        OutputCase{.name = "hairline_strokes", .content = "1 0 0 RG 10 50.5 m 90 50.5 l S", .allowed = 4, .gdiMetafile = false},
        OnSharedPage("nonzero_and_even_odd",
                     OutputCase{.name = "nonzero_and_even_odd", .allowed = 10, .gdiMetafile = false}),
        OnSharedPage("strokes_caps_joins", OutputCase{.name = "strokes_caps_joins", .allowed = 16, .gdiMetafile = false}),
        // Filled and stroked: the stroke survives the fill; a closed outline keeps its last side.
        OutputCase{.name = "fill_and_stroke",
                   .content = "4 w 1 1 0 rg 0 0 1 RG 20 20 m 80 20 l 80 80 l 20 80 l h B "
                              "0 1 0 RG 30 40 m 70 40 l 50 60 l h S",
                   .allowed = 16, .gdiMetafile = false},
        OnSharedPage("clips_restored", OutputCase{.name = "clips"}),
        OnSharedPage("nested_forms", OutputCase{.name = "forms_with_matrix_and_box"}),
        // Shadings and patterns reach EPS and HTML5 output as pictures cut to the path or the clip.
        OutputCase{.name = "axial_shading_fill_and_sh",
                   .content = "/Pattern cs /P0 scn 0 55 100 40 re f q 0 5 100 40 re W n /Sh0 sh Q "
                              "q 1 0 0 1 20 0 cm 0 0 1 RG 3 w 0 50 60 5 re B Q",
                   .resources = "<< /Pattern << /P0 6 0 R >> /Shading << /Sh0 5 0 R >> >>",
                   .objects = {"<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [10 0 90 0] /Extend [true false] "
                               "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>",
                               "<< /Type /Pattern /PatternType 2 /Shading 5 0 R >>"},
                   .allowed = 40, .gdiMetafile = false},
        OutputCase{.name = "tiling_pattern_under_a_matrix",
                   .content = "q 1 0 0 1 10 0 cm /Pattern cs /P0 scn 0 10 70 80 re f Q",
                   .resources = "<< /Pattern << /P0 5 0 R >> >>",
                   .objects = {"stream:<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 2 2] "
                               "/XStep 2 /YStep 2 /Matrix [5 0 0 5 0 0] >>|"
                               "1 0 0 rg 0 0 1 1 re f 0 0 1 rg 1 1 1 1 re f"},
                   .allowed = 40},
        // A pattern fill under half alpha, even-odd, stroked too; the shading through an even-odd
        // clip. The GDI back end has no pattern fill.
        OutputCase{.name = "pattern_fill_even_odd_stroked_under_alpha",
                   .content = "/Half gs /Pattern cs /P0 scn 0 1 0 RG 2 w 10 10 80 80 re 30 30 40 40 re B*",
                   .resources = kAxialResources,
                   .objects = kAxialObjects,
                   .allowed = 8, .gdiMetafile = false},
        OutputCase{.name = "shading_in_an_even_odd_clip_of_a_form",
                   .content = "q 0.5 0 0 0.5 25 25 cm /Fm Do Q",
                   .resources = "<< /XObject << /Fm 7 0 R >> >>",
                   .objects = {kAxialObjects[0], kAxialObjects[1],
                               "stream:<< /Subtype /Form /BBox [0 0 100 100] /Resources << /Shading << /Sh0 5 0 R >> "
                               ">> >>|0 0 100 100 re 25 25 50 50 re W* n /Sh0 sh"},
                   .allowed = 8, .gdiMetafile = false},
        // Text filled with a pattern: the glyphs cut the picture.
        OutputCase{.name = "text_filled_with_a_pattern",
                   .content = "/Pattern cs /P0 scn BT /F1 44 Tf 2 30 Td (Vel) Tj ET",
                   .resources = kAxialResources,
                   .objects = {kAxialObjects[0], kAxialObjects[1], kHelvetica},
                   .allowed = 16, .gdiMetafile = false},
        // Text in the standard fonts, an embedded TrueType program and a Type 3 font. The
        // readers smooth glyph edges each in their own way: the allowance is a share of the ink.
        OutputCase{.name = "text_standard_fonts",
                   .content = "BT /F1 16 Tf 2 80 Td (Velmora) Tj ET 1 0 0 rg BT /F2 18 Tf 2 56 Td (Sorts) Tj ET "
                              "0 0 1 rg BT /F3 14 Tf 2 34 Td (Courier) Tj ET 0 0.5 0 rg BT /F4 20 Tf 2 8 Td "
                              "[(A) 120 (V) -200 (W)] TJ ET",
                   .resources = "<< /Font << /F1 5 0 R /F2 6 0 R /F3 7 0 R /F4 8 0 R >> >>",
                   .objects = {"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
                               "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Bold /Encoding /WinAnsiEncoding >>",
                               "<< /Type /Font /Subtype /Type1 /BaseFont /Courier-Oblique >>",
                               "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-BoldOblique >>"},
                   .allowed = 40},
        OutputCase{.name = "text_embedded_truetype",
                   .content = "BT /F1 18 Tf 2 66 Td (Liberation) Tj 0 -30 Td 0 0 1 rg 0.97 0.26 -0.26 0.97 8 10 Tm "
                              "(gyph) Tj ET",
                   .resources = "<< /Font << /F1 7 0 R >> >>",
                   .objects = EmbeddedTrueType("LiberationSerif-Regular"),
                   .allowed = 60},
        OutputCase{.name = "text_type3_font",
                   .content = "BT /F1 20 Tf 4 70 Td (abc) Tj 1 0 0 rg 0 -30 Td 150 Tz (cab) Tj ET "
                              "0 0 1 rg BT /F1 24 Tf 4 10 Td (ba) Tj ET",
                   .resources = "<< /Font << /F1 5 0 R >> >>",
                   .objects = kType3Objects,
                   .allowed = 8, .gdiMetafile = false},
        // Render modes: stroke, fill and stroke, invisible, and the clipping modes (a clip
        // lasts to the Q; fill-and-clip paints before it cuts). Outlines are stroked two
        // pixels wide: a thinner one is all edge, which each reader shades its own way.
        OutputCase{.name = "text_render_modes",
                   .content = "0 0 1 rg 1 0 0 RG 2 w BT /F1 20 Tf 2 80 Td 1 Tr (Stroke) Tj 0 -24 Td 2 Tr (Both) Tj "
                              "0 -24 Td 3 Tr (Hide) Tj ET q BT /F1 40 Tf 2 4 Td 7 Tr (W) Tj ET 0 0.6 0 rg "
                              "0 0 50 100 re f Q q BT /F1 40 Tf 50 4 Td 6 Tr (X) Tj ET 1 1 0 rg 50 0 50 25 re f Q",
                   .resources = "<< /Font << /F1 5 0 R >> >>",
                   .objects = {kHelvetica},
                   .allowed = 80, .gdiMetafile = false},
        OutputCase{.name = "image",
                   .content = "q 80 0 0 80 10 10 cm /Im Do Q",
                   .resources = "<< /XObject << /Im 5 0 R >> >>",
                   .objects = {QuartersImage()},
                   .allowed = 8},
        OutputCase{.name = "image_twice_and_inline",
                   .content = "q 40 0 0 40 5 5 cm /Im Do Q q 40 0 0 40 55 55 cm /Im Do Q "
                              "q 40 0 0 40 55 5 cm BI /W 2 /H 1 /CS /G /BPC 8 ID \x40\xC0 EI Q",
                   .resources = "<< /XObject << /Im 5 0 R >> >>",
                   .objects = {QuartersImage()},
                   .allowed = 8},
        OutputCase{.name = "stencil_mask_in_the_fill_colour",
                   .content = "0 0 1 rg 0 0 100 30 re f 1 0 0 rg q 80 0 0 80 10 10 cm /Im Do Q "
                              "0 1 0 rg q 30 0 0 30 60 60 cm /Im Do Q",
                   .resources = "<< /XObject << /Im 5 0 R >> >>",
                   .objects = {"stream:<< /Subtype /Image /Width 8 /Height 8 /ImageMask true /Decode [1 0] >>|" +
                               kRing},
                   .allowed = 8},
        OutputCase{.name = "image_with_mask_stream",
                   .content = "0 0 1 rg 0 0 100 50 re f q 80 0 0 80 10 10 cm /Im Do Q",
                   .resources = "<< /XObject << /Im 5 0 R >> >>",
                   .objects = {QuartersImage("/Mask 6 0 R "),
                               "stream:<< /Subtype /Image /Width 8 /Height 8 /ImageMask true >>|" + kRing},
                   .allowed = 8},
        OutputCase{.name = "image_with_colour_key",
                   .content = "0 0 1 rg 0 0 100 50 re f q 80 0 0 80 10 10 cm /Im Do Q",
                   .resources = "<< /XObject << /Im 5 0 R >> >>",
                   .objects = {QuartersImage("/Mask [250 255 250 255 250 255] ")},
                   .allowed = 8}));

}  // namespace
