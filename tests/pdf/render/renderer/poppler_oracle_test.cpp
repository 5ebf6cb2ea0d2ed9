// Pages written as content-stream text, rendered at 72 dpi by us and by poppler's pdftoppm,
// compared pixel by pixel: shapes on whole pixels exactly, anti-aliased edges within the range
// poppler has around each pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/render/support/oracle_pages.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::OnSharedPage;
using rendertest::TestPdf;

struct OracleCase {
  const char* name;
  std::string content{};
  std::string resources = "<< >>";
  std::vector<std::string> objects{};  // objects 5, 6, ...: "stream:<dict>|<data>" for streams
  std::string mediaBox = "[0 0 100 100]";
  std::string pageExtra = "";
  std::string contentDict = "<< >>";  // the page content stream's dictionary
  // Exact: pixels differing by more than 2 per channel; otherwise pixels outside poppler's
  // neighbourhood range.
  bool exact = false;
  int allowed = 0;
  // GDI has no alpha: exact cases without transparency are checked on it too.
  bool gdi = true;
  // Optional-content groups (object numbers) and those of them off by default.
  std::vector<int> groups = {}, hidden = {};
  // The cairo output (mode 11) and the EPS output (drawn by Ghostscript) are compared with
  // poppler too, by the neighbourhood measure.
  bool outputs = false;
  bool eps = true;  // false: the cairo output only (EPS writes no dash patterns)
  std::string error = "";  // the render's error text
};

void PrintTo(const OracleCase& c, std::ostream* os) { *os << c.name; }

// Text as RunLengthDecode data: literal runs of up to 128 bytes, then the end marker.
std::string RunLength(const std::string& text) {
  std::string out;
  for (size_t at = 0; at < text.size(); at += 128) {
    const std::string run = text.substr(at, 128);
    out += char(run.size() - 1) + run;
  }
  return out + '\x80';
}

// Data as ASCII85 text that ends in `end` instead of its end marker "~>".
std::string Ascii85Ending(const std::string& data, const std::string& end) {
  const std::string text = ASCII85EncodeString(data);
  return text.substr(0, text.size() - 2) + end;
}

// A 2 x 2 image XObject of 8-bit samples in the space, with the dictionary entries and data given.
std::string TinyImage(const std::string& space, const std::string& entries, const std::string& data) {
  return "stream:<< /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace " + space + " " + entries +
         " >>|" + data;
}

class PopplerOracle : public ::testing::TestWithParam<OracleCase> {};

TEST_P(PopplerOracle, MatchesPoppler) {
  REQUIRE_TOOL("pdftoppm");
  const OracleCase& c = GetParam();
  TestPdf pdf;
  const int page = pdf.AddPage(c.content, c.resources, c.mediaBox, c.pageExtra, c.contentDict);
  pdf.AddObjects(c.objects);
  if (!c.groups.empty()) pdf.SetOptionalContent(c.groups, c.hidden);
  std::string error;
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error, 72, true, false);
  const testraster::Raster theirs = rendertest::RenderPoppler(pdf);
  ASSERT_GT(theirs.Width, 0);
  EXPECT_EQ(error, c.error);
  if (c.outputs) {
    const testraster::Raster cairo = rendertest::RenderOursCairo(pdf, page, &error);
    EXPECT_EQ(error, c.error) << "cairo";
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(cairo, theirs, 8), c.allowed) << c.name << " (cairo)";
    if (c.eps && testsupport::HaveTool("gs")) {
      const testraster::Raster eps = rendertest::RenderOursEPS(pdf, page, &error);
      EXPECT_EQ(error, c.error) << "EPS";
      EXPECT_LE(rendertest::CountOutsideNeighbourhood(eps, theirs, 8), c.allowed) << c.name << " (EPS)";
    }
  }
  ASSERT_EQ(ours.Width, theirs.Width);
  ASSERT_EQ(ours.Height, theirs.Height);
  const int different = c.exact ? rendertest::CountDifferent(ours, theirs, 2)
                                : rendertest::CountOutsideNeighbourhood(ours, theirs, 8);
  EXPECT_LE(different, c.allowed) << c.name;
  // Plain GDI draws without anti-aliasing: shapes on whole pixels still agree exactly.
  if (c.exact && c.gdi) {
    const testraster::Raster gdi = rendertest::RenderOurs(pdf, page, &error, 72, false, false);
    EXPECT_EQ(rendertest::CountDifferent(gdi, theirs, 2), 0) << c.name << " (GDI)";
  }
  // VELMORA_RENDER_DUMP=folder keeps both pictures of a failing case there (as PPM).
  if (different > c.allowed && std::getenv("VELMORA_RENDER_DUMP") != nullptr) {
    const std::string folder = std::getenv("VELMORA_RENDER_DUMP");
    for (const auto& [picture, suffix] : {std::pair{&ours, "ours"}, std::pair{&theirs, "poppler"}}) {
      std::string ppm = "P6 " + std::to_string(picture->Width) + " " + std::to_string(picture->Height) + " 255\n";
      ppm.append(picture->RGB.begin(), picture->RGB.end());
      testsupport::WriteFile(folder + "/" + c.name + "_" + suffix + ".ppm", ppm);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PopplerOracle,
    ::testing::Values(
        OnSharedPage("rectangles", OracleCase{.name = "rectangles", .exact = true}),
        OracleCase{.name = "device_colours",
                   .content = "0.5 g 40 10 20 20 re f 0.2 0.4 0.6 rg 70 10 20 20 re f 1 0 0 RG 0.25 G "
                              "/DeviceRGB cs 1 1 0 sc 40 40 20 20 re f",
                   .exact = true},
        OracleCase{.name = "separation_and_icc",
                   .content = "/Sp cs 0.5 sc 10 10 30 30 re f /Icc cs 0 0 1 sc 50 10 30 30 re f",
                   .resources = "<< /ColorSpace << /Sp [/Separation /Spot /DeviceRGB 5 0 R] "
                                "/Icc [/ICCBased 6 0 R] >> >>",
                   .objects = {"<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0.5 1] /N 1 >>",
                               "stream:<< /N 3 /Alternate /DeviceRGB >>|"},
                   .exact = true},
        OnSharedPage("nonzero_and_even_odd", OracleCase{.name = "nonzero_and_even_odd", .allowed = 6}),
        OnSharedPage("curves", OracleCase{.name = "curves", .allowed = 4}),
        OnSharedPage("strokes_caps_joins", OracleCase{.name = "strokes_caps_joins", .allowed = 16}),
        OracleCase{.name = "dashes",
                   .content = "1 0 0 RG 2 w [6 4] 0 d 10 80 m 90 80 l S [2] 1 d 10 60 m 90 60 l S",
                   .allowed = 16},
        // Dashes of each cap: butt caps end where the dash ends, round ones reach half the
        // width beyond both ends of every dash (the pen's own caps), square ones as far.
        OracleCase{.name = "dashes_butt_caps", .content = "0 0 1 RG 4 w [6 10] 0 d 10 50 m 90 50 l S", .allowed = 4},
        OracleCase{.name = "dashes_round_caps", .content = "0 0 1 RG 4 w 1 J [6 10] 0 d 10 50 m 90 50 l S",
                   .allowed = 16},
        // Dashes of no length are round dots (the back end's pen refuses an entry of 0).
        OracleCase{.name = "dots_round_caps", .content = "0 0 1 RG 4 w 1 J [0 8] 0 d 10 50 m 90 50 l S",
                   .allowed = 16},
        // Square caps sit on each dash as they do on a line: centred on its ends, also where the
        // phase starts a line in a gap or the line ends in one, round the corner where a closed
        // line starts, and along curves; on the cairo and EPS outputs too.
        OracleCase{.name = "dashes_square_caps", .content = "0 0 1 RG 4 w 2 J [6 10] 0 d 10 50 m 90 50 l S",
                   .allowed = 4, .outputs = true, .eps = false},
        OracleCase{.name = "dashes_square_caps_phases",
                   .content = "0 0 1 RG 5 w 2 J [2 12] 0 d 10 85 m 90 85 l S [2 12] 3 d 10 70 m 90 70 l S "
                              "[2 12] 5 d 10 55 m 90 55 l S [2 12] 10 d 10 40 m 90 40 l S "
                              "[3 9] 13 d 10 25 m 90 25 l S 3 w [4 4] 2 d 10 10 m 90 10 l S",
                   .allowed = 4,
                   .outputs = true,
                   .eps = false},
        OracleCase{.name = "dashes_square_caps_closed",
                   .content = "0 0 1 RG 4 w 2 J [30 10] 20 d 20 20 60 60 re S 3 w [7 5] 1 d 30 40 m 70 35 l 50 70 l h S",
                   .allowed = 4,
                   .outputs = true,
                   .eps = false},
        OracleCase{.name = "dashes_square_caps_curve", .content = "0 0 1 RG 3 w 2 J [8 6] 2 d 20 20 m 20 80 80 80 80 20 c S",
                   .allowed = 4, .outputs = true, .eps = false},
        // Lines thinner than a pixel: drawn a pixel wide, dashed by their own width.
        OracleCase{.name = "dashes_of_thin_lines",
                   .content = "0 0 1 RG 0.75 w [13.5 4.5] 0 d 10 80 m 90 80 l S 0.5 w [3 5] 1 d 10 60 m 90 60 l S "
                              "0.1 w [6 2] 0 d 10 40 m 90 40 l S 2 J 0.75 w [13.5 4.5] 0 d 10 20 m 90 20 l S",
                   .allowed = 4,
                   .outputs = true,
                   .eps = false},
        // Dashes of no length are the caps alone, nothing with butt caps, and a gap of no
        // length joins its dashes into one: the pattern keeps its exact length down a long line
        // and no seam shows inside a dash.
        OracleCase{.name = "dots_down_a_long_line", .content = "0 0 1 RG 2 w 1 J [0 4] 0 d 10 50 m 590 50 l S",
                   .mediaBox = "[0 0 600 100]", .allowed = 16, .outputs = true, .eps = false},
        OracleCase{.name = "dashes_with_zero_entries",
                   .content = "0 0 1 RG 10 w [0 0 5 3] 0 d 10 85 m 90 85 l S 1 J [0 0 5 3] 0 d 10 65 m 90 65 l S "
                              "0 J 4 w [0 6] 0 d 10 45 m 90 45 l S "
                              "20 w [4 0 4 6] 0 d 10 20 m 90 20 l S",
                   .allowed = 16,
                   .outputs = true,
                   .eps = false},
        OracleCase{.name = "dashes_with_no_gap", .content = "0 0 1 RG 20 w [7 0] 0 d 10 50 m 90 50 l S [3 0 2] 1 d 10 20 m 90 20 l S",
                   .allowed = 4, .outputs = true, .eps = false},
        // A dash that only begins or ends at a corner draws no join there; one running through
        // it does.
        OracleCase{.name = "dashes_from_a_corner",
                   .content = "0 0 1 RG 25 w [6 4] 0 d 10 70 m 80 70 l 80 15 l S",
                   .allowed = 16,
                   .outputs = true,
                   .eps = false},
        OracleCase{.name = "dashes_round_a_rectangle",
                   .content = "0 0 1 RG 7 w [6 4] 0 d 20 20 60 60 re S 1 0 0 RG 3 w [5 5] 0 d 40 40 20 20 re S",
                   .allowed = 16,
                   .outputs = true,
                   .eps = false},
        // Round caps where a dash turns back sharply at a corner: the bevel is capped round.
        OracleCase{.name = "round_dashes_at_a_sharp_corner",
                   .content = "0 0 1 RG 25 w 1 J 2 j [10 3] 11.6 d 15 15 m 85 20 l 50 85 l h S",
                   .allowed = 16,
                   .outputs = true,
                   .eps = false},
        OracleCase{.name = "transforms",
                   .content = "q 0.7071 0.7071 -0.7071 0.7071 50 10 cm 1 0 1 rg 0 0 40 40 re f Q "
                              "q 2 0 0 0.5 5 80 cm 0 0 0 rg 0 0 10 20 re f Q",
                   .allowed = 6},
        OnSharedPage("clips_restored", OracleCase{.name = "clip_does_not_survive_restore"}),
        OnSharedPage("nested_forms", OracleCase{.name = "nested_forms"}),
        OracleCase{.name = "form_left_open_is_unwound",
                   .content = "/Fm Do 0 0 1 rg 0 0 100 100 re f",
                   .resources = "<< /XObject << /Fm 5 0 R >> >>",
                   .objects = {"stream:<< /Subtype /Form /BBox [0 0 100 100] >>|q q 20 20 10 10 re W n q"}},
        OracleCase{.name = "rotated_page",
                   .content = "1 0 0 rg 0 0 40 20 re f 0 0 1 rg 100 120 20 30 re f",
                   .mediaBox = "[0 0 120 150]",
                   .pageExtra = "/Rotate 90",
                   .exact = true},
        OracleCase{.name = "rotated_page_270_with_crop_box",
                   .content = "1 0 0 rg 10 10 40 20 re f 0 0 1 rg 90 110 20 30 re f",
                   .mediaBox = "[0 0 120 150]",
                   .pageExtra = "/Rotate 270 /CropBox [5 5 115 145]",
                   .exact = true},
        OracleCase{.name = "transparency",
                   .content = "1 0 0 rg 10 10 60 60 re f /Half gs 0 0 1 rg 30 30 60 60 re f",
                   .resources = "<< /ExtGState << /Half << /ca 0.5 >> >> >>",
                   .exact = true,
                   .gdi = false},
        // A form's resources may name another Separation by the page's name: each is its own.
        OracleCase{.name = "separations_of_one_name_in_a_page_and_a_form",
                   .content = "/CS0 cs 1 sc 0 0 50 100 re f /Fm Do",
                   .resources = "<< /ColorSpace << /CS0 [/Separation /A /DeviceRGB 5 0 R] >> "
                                "/XObject << /Fm 6 0 R >> >>",
                   .objects = {"<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [1 0 0] /N 1 >>",
                               "stream:<< /Subtype /Form /BBox [0 0 100 100] /Resources << /ColorSpace << "
                               "/CS0 [/Separation /B /DeviceRGB 7 0 R] >> >> >>|/CS0 cs 1 sc 50 0 50 100 re f",
                               "<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0 1] /N 1 >>"},
                   .exact = true},
        // cvi drops the fraction: 4.9 becomes 4, so the tint 0.49 picks (0.5, 0.5, 0.3), not
        // the (1, 0, 0.3) of 5.
        OracleCase{.name = "calculator_cvi_truncates",
                   .content = "/Sp cs 0.49 sc 0 0 100 100 re f",
                   .resources = "<< /ColorSpace << /Sp [/Separation /Spot /DeviceRGB 5 0 R] >> >>",
                   .objects = {"stream:<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1] >>|"
                               "{ 10 mul cvi 3 mod 2 div dup 1 exch sub 0.3 }"},
                   .exact = true},
        // A sampled tint transform blends the samples around the tint: of one input (a
        // Separation at 0.4 and 0.6 of the way from white to its colour) and of two (a DeviceN
        // between the four corners of its table).
        OracleCase{.name = "sampled_tint_transforms_interpolate",
                   .content = "/Sp cs 0.4 sc 0 0 30 100 re f 0.6 sc 30 0 30 100 re f "
                              "/Dn cs 0.3 0.7 sc 60 0 40 50 re f 0.85 0.1 sc 60 50 40 50 re f",
                   .resources = "<< /ColorSpace << /Sp [/Separation /Spot /DeviceRGB 5 0 R] "
                                "/Dn [/DeviceN [/A /B] /DeviceRGB 6 0 R] >> >>",
                   .objects = {"stream:<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Size [2] "
                               "/BitsPerSample 8 /Filter /ASCIIHexDecode >>|FFFFFF 0080FF>",
                               "stream:<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [2 2] "
                               "/BitsPerSample 8 /Filter /ASCIIHexDecode >>|FFFFFF FF0000 00FF00 0000FF>"},
                   .exact = true,
                   .outputs = true},
        // Content streams under run-length coding, the page's own (its first operator too) and
        // a form's under hexadecimal text.
        OracleCase{.name = "run_length_content",
                   .content = RunLength("1 0 0 rg 10 10 30 30 re f /Fm Do 0 0 1 rg 50 50 40 40 re f"),
                   .resources = "<< /XObject << /Fm 5 0 R >> >>",
                   .objects = {"stream:<< /Subtype /Form /BBox [0 0 100 100] /Filter [/AHx /RL] >>|" +
                               [] {
                                 std::string hex;
                                 for (unsigned char ch : RunLength("0 1 0 rg 60 10 30 30 re f"))
                                   hex += "0123456789ABCDEF"[ch >> 4], hex += "0123456789ABCDEF"[ch & 15];
                                 return hex + ">";
                               }()},
                   .contentDict = "<< /Filter /RunLengthDecode >>",
                   .exact = true,
                   .outputs = true},
        // A form under a filter content cannot be decoded with draws nothing, and the page says
        // so; the rest of the page is drawn.
        OracleCase{.name = "content_under_an_unknown_filter",
                   .content = "1 0 0 rg 10 10 30 30 re f /Fm Do 0 0 1 rg 50 50 40 40 re f",
                   .resources = "<< /XObject << /Fm 5 0 R >> >>",
                   .objects = {"stream:<< /Subtype /Form /BBox [0 0 100 100] /Filter /NoSuchFilter >>|"
                               "0 1 0 rg 0 0 100 100 re f"},
                   .exact = true,
                   .error = "Content filter not supported: /NoSuchFilter"},
        // Images and image masks are painted with the fill alpha, as fills are.
        OracleCase{.name = "images_under_fill_alpha",
                   .content = "1 1 0 rg 0 0 100 100 re f /Half gs q 60 0 0 40 10 50 cm BI /W 2 /H 2 /CS /RGB /BPC 8 "
                              "/F /AHx ID 0000FF00FF00FF000000FF00> EI Q 0 0 1 rg q 60 0 0 40 30 5 cm BI /W 2 /H 2 "
                              "/IM true /BPC 1 /F /AHx ID 4080> EI Q",
                   .resources = "<< /ExtGState << /Half << /ca 0.5 >> >> >>",
                   .allowed = 40},
        OracleCase{.name = "hairline",
                   .content = "0 w 10 50.5 m 90 50.5 l S",
                   .allowed = 4},
        // A comment runs to the end of its line: the blue square after it is not drawn.
        OracleCase{.name = "comment_to_the_end_of_the_line",
                   .content = "1 0 0 rg 0 0 50 50 re f %draw later: 0 0 1 rg 50 50 50 50 re f\r"
                              "0 1 0 rg 60 0 40 40 re f%\n0 0 1 rg 0 60 40 40 re f",
                   .exact = true,
                   .outputs = true},
        // A shading the resources do not hold paints nothing (and the error text says so).
        OracleCase{.name = "missing_shading",
                   .content = "1 0 0 rg 0 0 50 50 re f /Missing sh",
                   .exact = true,
                   .outputs = true,
                   .error = "Shading not found: /Missing"},
        // not of a comparison is a boolean: at tint 0.2, 0.2 > 0.5 is false, not false is true.
        OracleCase{.name = "calculator_not_of_a_boolean",
                   .content = "/Sp cs 0.2 sc 0 0 50 100 re f 0.7 sc 50 0 50 100 re f",
                   .resources = "<< /ColorSpace << /Sp [/Separation /Spot /DeviceRGB 5 0 R] >> >>",
                   .objects = {"stream:<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1] >>|"
                               "{ 0.5 gt not { 1 0 0 } { 0 0 1 } ifelse }"},
                   .exact = true,
                   .outputs = true},
        // Inside a hidden group nothing shows, whatever a group nested in it says; the end of
        // the hidden section gives back what was visible before it.
        OracleCase{.name = "nested_optional_content",
                   .content = "/OC /Off BDC 1 0 0 rg 0 0 50 50 re f /OC /On BDC 0 0 1 rg 50 50 50 50 re f EMC "
                              "/OC /Md BDC 0 0 0 rg 0 50 50 50 re f EMC EMC "
                              "/OC /On BDC 0 1 0 rg 50 0 50 50 re f /OC /Off BDC 0 0 0 rg 50 0 20 20 re f EMC EMC",
                   .resources = "<< /Properties << /Off 5 0 R /On 6 0 R /Md 7 0 R >> >>",
                   .objects = {"<< /Type /OCG /Name (off) >>", "<< /Type /OCG /Name (on) >>",
                               "<< /Type /OCMD /OCGs [6 0 R] /P /AnyOn >>"},
                   .exact = true,
                   .groups = {5, 6},
                   .hidden = {5},
                   .outputs = true},
        // ASCII85 data end at "~" alone, or at the end of the stream without a marker: the page's
        // content, a form's and an image's are drawn whole. (Without a marker poppler misreads a
        // last group of fewer than five digits: the form's text is whole groups.)
        OracleCase{.name = "ascii85_without_its_end_marker",
                   .content = Ascii85Ending("1 0 0 rg 10 10 30 30 re f /Fm Do q 40 0 0 40 50 50 cm /Im Do Q ", "~"),
                   .resources = "<< /XObject << /Fm 5 0 R /Im 6 0 R >> >>",
                   .objects = {"stream:<< /Subtype /Form /BBox [0 0 100 100] /Filter /A85 >>|" +
                                   Ascii85Ending("0 1 0 rg 60 10 30 30 re f   ", ""),
                               TinyImage("/DeviceRGB", "/Filter /ASCII85Decode",
                                         Ascii85Ending(std::string("\0\0\xFF\xFF\0\0\0\xFF\0\xFF\xFF\0", 12), "\n"))},
                   .contentDict = "<< /Filter /ASCII85Decode >>",
                   .allowed = 8},
        // An image whose filters cannot all be read is not drawn (nor its undecoded bytes), an
        // image mask no more than a picture; the page says that an image failed.
        OracleCase{.name = "images_under_filters_that_cannot_be_read",
                   .content = "0 0 1 rg 0 0 10 10 re f q 40 0 0 40 5 55 cm /I1 Do Q q 40 0 0 40 55 55 cm /I2 Do Q "
                              "q 40 0 0 40 5 5 cm /I3 Do Q q 40 0 0 40 55 5 cm /I4 Do Q",
                   .resources = "<< /XObject << /I1 5 0 R /I2 6 0 R /I3 7 0 R /I4 8 0 R >> >>",
                   .objects = {TinyImage("/DeviceRGB", "/Filter /BogusDecode", std::string(12, '\x40')),
                               TinyImage("/DeviceRGB", "/Filter [/FlateDecode /BogusDecode]", FlateCompressString(std::string(12, '\x40'))),
                               "stream:<< /Subtype /Image /Width 2 /Height 2 /ImageMask true /Filter /BogusDecode >>|" + std::string(2, '\0'),
                               TinyImage("/DeviceRGB", "/Filter [/FlateDecode 5]", FlateCompressString(std::string(12, '\x40')))},
                   .exact = true,
                   .outputs = true,
                   .error = "Error rendering image"},
        // The colorant None paints nothing: fills, strokes, text and image masks in it leave the
        // page as it was, whether the colour was set or only the space; a clip still clips.
        OracleCase{.name = "separation_none_paints_nothing",
                   .content = "0 1 0 rg 0 0 100 100 re f /None cs 1 sc 10 10 30 30 re f /None CS 1 SC 4 w 10 50 m 90 50 l S "
                              "q 40 0 0 20 50 10 cm /Mk Do Q BT /F1 30 Tf 10 60 Td (AB) Tj ET "
                              "q /Rgb cs 0 0 1 sc /None cs 60 60 30 30 re W f 0 0 1 rg 0 0 100 100 re f Q",
                   .resources = "<< /ColorSpace << /None [/Separation /None /DeviceCMYK 5 0 R] /Rgb /DeviceRGB >> "
                                "/XObject << /Mk 6 0 R >> /Font << /F1 7 0 R >> >>",
                   .objects = {"<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1] /N 1 >>",
                               "stream:<< /Subtype /Image /Width 2 /Height 2 /ImageMask true >>|" + std::string(2, '\0'),
                               "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
                   .outputs = true},
        // An Indexed space takes one component, its index into the table.
        OracleCase{.name = "indexed_fill_and_stroke",
                   .content = "/Ix cs 1 sc 0 0 50 100 re f 0 sc 50 0 50 100 re f /Ix CS 1 SC 10 w 0 25 m 100 25 l S",
                   .resources = "<< /ColorSpace << /Ix [/Indexed /DeviceRGB 1 <FF000000FF00>] >> >>",
                   .exact = true,
                   .outputs = true},
        // A tiling pattern paints only what its cell paints: the grey below shows between the
        // squares.
        OracleCase{.name = "tiling_pattern_gaps",
                   .content = "q 0.46 g 45 8 34 60 re f Q q /Pattern cs /P0 scn 11 12 56 17 re f Q",
                   .resources = "<< /Pattern << /P0 5 0 R >> >>",
                   .objects = {"stream:<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 "
                               "/BBox [0 0 10 10] /XStep 10 /YStep 10 /Resources << >> >>|"
                               "1 0 0 rg 2 2 4 4 re f 0 0 1 rg 6 6 2 2 re f"},
                   .outputs = true},
        // An uncoloured cell's shapes take the colour scn gives with the pattern, each use its
        // own, and its gaps show what lies below.
        OracleCase{.name = "uncoloured_tiling_pattern_gaps",
                   .content = "q 0.46 g 45 8 34 60 re f Q q /Cs cs 0 0.5 1 /P0 scn 11 12 56 17 re f Q "
                              "q /Cs cs 1 0.5 0 /P0 scn 11 62 56 17 re f Q",
                   .resources = "<< /Pattern << /P0 5 0 R >> /ColorSpace << /Cs [/Pattern /DeviceRGB] >> >>",
                   .objects = {"stream:<< /Type /Pattern /PatternType 1 /PaintType 2 /TilingType 1 "
                               "/BBox [0 0 10 10] /XStep 10 /YStep 10 /Resources << >> >>|"
                               "2 2 4 4 re f 6 6 2 2 re f"},
                   .outputs = true}));

// A name-keyed CFF program (no ROS) in a CIDFontType0 font: its CIDs are glyph indexes. The
// program, written by fontTools, names glyph 1 (a square) "exclam" and glyph 2 (a bar) "space",
// whose standard string number is 1, so reading names as CIDs would draw the bar for <0001>.
TEST(PopplerOracle, ANameKeyedCffProgramInACIDFontDrawsByGlyphIndex) {
  REQUIRE_TOOL("pdftoppm");
  if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("make.py"),
                         "import sys\n"
                         "from fontTools.fontBuilder import FontBuilder\n"
                         "from fontTools.pens.t2CharStringPen import T2CharStringPen\n"
                         "def glyph(points):\n"
                         "    pen = T2CharStringPen(1000, None)\n"
                         "    if points:\n"
                         "        pen.moveTo(points[0])\n"
                         "        for p in points[1:]: pen.lineTo(p)\n"
                         "        pen.closePath()\n"
                         "    return pen.getCharString()\n"
                         "fb = FontBuilder(1000, isTTF=False)\n"
                         "fb.setupGlyphOrder(['.notdef', 'exclam', 'space'])\n"
                         "fb.setupCharacterMap({})\n"
                         "square = [(100, 0), (900, 0), (900, 800), (100, 800)]\n"
                         "bar = [(450, 0), (550, 0), (550, 800), (450, 800)]\n"
                         "fb.setupCFF('Test', {}, {'.notdef': glyph([]), 'exclam': glyph(square), "
                         "'space': glyph(bar)}, {})\n"
                         "open(sys.argv[1], 'wb').write(fb.font['CFF '].compile(fb.font))\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " " + dir.File("font.cff")), 0);
  const std::string program = testsupport::ReadFile(dir.File("font.cff"));
  // Filled, then stroked: a stroke goes round every contour, the last one closed too.
  for (const std::string mode : {"", "1 Tr 4 w "}) {
    TestPdf pdf;
    const int file = pdf.AddStream("<< /Subtype /CIDFontType0C >>", program);
    const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /Test /Flags 4 /FontBBox [0 0 1000 1000] "
                                   "/ItalicAngle 0 /Ascent 1000 /Descent 0 /CapHeight 1000 /StemV 80 /FontFile3 " +
                                   std::to_string(file) + " 0 R >>");
    const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Test /CIDSystemInfo << /Registry "
                            "(Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
                            std::to_string(descriptor) + " 0 R /DW 1000 >>");
    const int type0 = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /Test /Encoding /Identity-H "
                              "/DescendantFonts [" + std::to_string(cid) + " 0 R] >>");
    const int page = pdf.AddPage("BT /F1 80 Tf " + mode + "10 10 Td <0001> Tj ET",
                                 "<< /Font << /F1 " + std::to_string(type0) + " 0 R >> >>");
    std::string error;
    const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error, 72, true, false);
    const testraster::Raster theirs = rendertest::RenderPoppler(pdf);
    EXPECT_EQ(error, "") << mode;
    ASSERT_EQ(ours.Width, theirs.Width);
    ASSERT_EQ(ours.Height, theirs.Height);
    // The square covers x 18..82, y 26..90 (from the top), its left side on x 18; the bar
    // lies on x 46..54 only.
    const int x = mode.empty() ? 25 : 18;
    EXPECT_EQ(rendertest::PixelAt(theirs, x, 50), 0x000000u) << mode;
    EXPECT_EQ(rendertest::PixelAt(ours, x, 50), 0x000000u) << mode;
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, theirs, 8), 4) << mode;
  }
}

// A colour given in a special space (Indexed, Separation, DeviceN) over each base space the
// renderer reads comes out as poppler draws it, and exactly as the same colour given in the base
// space directly (its twin). Poppler tints calibrated grey by the space's white point; the
// renderer takes calibrated spaces as their device spaces, so those rows allow more.
TEST(PopplerOracle, SpecialSpacesColourThroughTheirBaseSpaces) {
  REQUIRE_TOOL("pdftoppm");
  struct Case {
    const char* name;
    std::string space, operands, twin;
    int tolerance;  // per channel against poppler
  };
  const std::string calGray = "[/CalGray << /WhitePoint [0.9505 1 1.089] /Gamma 2.2 >>]";
  const Case cases[] = {
      {"indexed rgb, entry 1", "[/Indexed /DeviceRGB 1 <FF000000FF00>]", "1", "0 1 0 rg", 2},
      {"indexed rgb, entry 0", "[/Indexed /DeviceRGB 1 <FF000000FF00>]", "0", "1 0 0 rg", 2},
      {"indexed rgb, a fraction rounds", "[/Indexed /DeviceRGB 1 <FF000000FF00>]", "0.6", "0 1 0 rg", 2},
      {"indexed cmyk", "[/Indexed /DeviceCMYK 1 <FF00000000FF0000>]", "1", "0 1 0 0 k", 2},
      {"indexed grey", "[/Indexed /DeviceGray 1 <2080>]", "1", "0.502 g", 2},
      {"indexed icc", "[/Indexed [/ICCBased 8 0 R] 1 <FF000000FF00>]", "1", "0 1 0 rg", 2},
      {"indexed calibrated rgb", "[/Indexed [/CalRGB << /WhitePoint [0.9505 1 1.089] >>] 1 <FF000000FF00>]", "1",
       "0 1 0 rg", 2},
      {"indexed separation", "[/Indexed [/Separation /Spot /DeviceRGB 7 0 R] 1 <00FF>]", "1", "0 0.5 1 rg", 2},
      {"separation over calibrated grey", "[/Separation /Spot " + calGray + " 5 0 R]", "0.5", "0.5 g", 16},
      {"separation over icc grey", "[/Separation /Spot [/ICCBased 9 0 R] 5 0 R]", "0.2", "0.8 g", 2},
      {"separation over indexed", "[/Separation /Spot [/Indexed /DeviceRGB 1 <FF000000FF00>] 6 0 R]", "1",
       "0 1 0 rg", 2},
      {"devicen over grey", "[/DeviceN [/Spot] /DeviceGray 5 0 R]", "0.2", "0.8 g", 2},
      {"devicen over calibrated grey", "[/DeviceN [/Spot] " + calGray + " 5 0 R]", "0.5", "0.5 g", 16},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage("/S cs " + c.operands + " sc 0 0 100 100 re f",
                                 "<< /ColorSpace << /S " + c.space + " >> >>");
    pdf.AddObjects({"<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 1 >>",
                    "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>",
                    "<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0.5 1] /N 1 >>", "stream:<< /N 3 >>|",
                    "stream:<< /N 1 >>|"});
    TestPdf twin;
    const int twinPage = twin.AddPage(c.twin + " 0 0 100 100 re f");
    std::string error;
    const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "") << c.name;
    const testraster::Raster direct = rendertest::RenderOurs(twin, twinPage);
    const testraster::Raster theirs = rendertest::RenderPoppler(pdf);
    ASSERT_EQ(ours.Width, 100) << c.name;
    ASSERT_EQ(theirs.Width, 100) << c.name;
    EXPECT_EQ(rendertest::PixelAt(ours, 50, 50), rendertest::PixelAt(direct, 50, 50)) << c.name;
    EXPECT_EQ(rendertest::CountDifferent(ours, theirs, c.tolerance), 0)
        << c.name << ": ours " << std::hex << rendertest::PixelAt(ours, 50, 50) << ", poppler "
        << rendertest::PixelAt(theirs, 50, 50);
  }
}

// CMYK turns into colour as poppler and Ghostscript turn it: the sixteen ink corners (white,
// the inks, their overprints, each with and without black) as both draw them, and a grid of
// tints between them as poppler draws them (Ghostscript goes through its default press
// profile there, which bends the tints between the corners by up to a quarter). Each colour
// once as a fill and once as a sample of an image drawn four times its size.
TEST(PopplerOracle, CMYKCornersAndTintsAgreeWithPopplerAndGhostscript) {
  REQUIRE_TOOL("pdftoppm");
  constexpr int kSteps = 5, kColumns = 25, kCell = 4;
  constexpr int kColours = kSteps * kSteps * kSteps * kSteps, kRows = kColours / kColumns;
  std::string fills, samples;
  for (int i = 0; i < kColours; ++i) {
    int ink[4];
    for (int j = 0, rest = i; j < 4; ++j, rest /= kSteps) ink[3 - j] = rest % kSteps;
    for (int j = 0; j < 4; ++j) {
      fills += std::to_string(ink[j] / double(kSteps - 1)) + " ";
      samples += static_cast<char>(ink[j] * 255 / (kSteps - 1));
    }
    fills += "k " + std::to_string((i % kColumns) * kCell) + " " + std::to_string((kRows - 1 - i / kColumns) * kCell) +
             " " + std::to_string(kCell) + " " + std::to_string(kCell) + " re f\n";
  }
  TestPdf pdf;
  const int width = kColumns * kCell, height = kRows * kCell;
  const int page = pdf.AddPage(fills + "q " + std::to_string(width) + " 0 0 " + std::to_string(height) + " " +
                                   std::to_string(width) + " 0 cm /Im Do Q",
                               "<< /XObject << /Im 5 0 R >> >>",
                               "[0 0 " + std::to_string(2 * width) + " " + std::to_string(height) + "]");
  pdf.AddStream("<< /Subtype /Image /Width " + std::to_string(kColumns) + " /Height " + std::to_string(kRows) +
                    " /ColorSpace /DeviceCMYK /BitsPerComponent 8 >>",
                samples);
  std::string error;
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error);
  const testraster::Raster poppler = rendertest::RenderPoppler(pdf);
  const testraster::Raster gs = rendertest::RenderGhostscript(pdf);
  EXPECT_EQ(error, "");
  ASSERT_EQ(ours.Width, 2 * width);
  ASSERT_EQ(poppler.Width, ours.Width);
  int checked = 0;
  for (int i = 0; i < kColours; ++i) {
    bool corner = true;
    for (int rest = i; rest > 0; rest /= kSteps) corner = corner && (rest % kSteps == 0 || rest % kSteps == kSteps - 1);
    for (int half = 0; half < 2; ++half) {
      const int x = half * width + (i % kColumns) * kCell + kCell / 2, y = (i / kColumns) * kCell + kCell / 2;
      const uint32_t mine = rendertest::PixelAt(ours, x, y);
      std::vector<std::pair<const char*, const testraster::Raster*>> references = {{"poppler", &poppler}};
      if (corner && gs.Width == ours.Width) references.push_back({"gs", &gs});
      for (const auto& [name, reference] : references) {
        const uint32_t theirs = rendertest::PixelAt(*reference, x, y);
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::abs(int((mine >> shift) & 0xFF) - int((theirs >> shift) & 0xFF)));
        EXPECT_LE(worst, 2) << "colour " << i << (half ? " (image)" : " (fill)") << " against " << name << ": ours "
                            << std::hex << mine << ", theirs " << theirs;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 2 * kColours + (gs.Width > 0 ? 2 * 16 : 0));
}

// Poppler draws nothing at all for this one, so the expectation is written out: a form's
// restore without a save of its own must not lift the form's box (nor any clip of its caller).
TEST(PopplerOracle, AFormsRestoreWithoutSaveKeepsItsBox) {
  TestPdf pdf;
  const int page = pdf.AddPage("q 0 0 70 100 re W n /Fm Do Q", "<< /XObject << /Fm 5 0 R >> >>");
  pdf.AddStream("<< /Subtype /Form /BBox [20 20 90 60] >>", "Q Q 1 0 0 rg 0 0 100 100 re f");
  std::string error;
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error);
  ASSERT_EQ(ours.Width, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool inside = x >= 20 && x < 70 && y >= 40 && y < 80;
      ASSERT_EQ(rendertest::PixelAt(ours, x, y), inside ? 0xFF0000u : 0xFFFFFFu) << x << "," << y;
    }
}

}  // namespace

// Text in render mode 7 adds its glyphs to one clip that ET makes: two showing operators in one
// text object clip to both lines, not to where they overlap (nowhere). The font is the bare CFF
// program of the differential test's generator: its "A" is a square.
TEST(PopplerOracle, TextClipsOfSeveralShowingOperatorsJoin) {
  REQUIRE_TOOL("pdftoppm");
  const std::string program = rendertest::GeneratorFont("bare_cff");
  if (program.empty()) GTEST_SKIP() << "needs fontTools";
  TestPdf pdf;
  const int file = pdf.AddStream("<< /Subtype /Type1C >>", program);
  const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /DiffCFF /Flags 32 /FontBBox [0 -100 900 800] "
                                 "/ItalicAngle 0 /Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 /FontFile3 " +
                                 std::to_string(file) + " 0 R >>");
  const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /DiffCFF /FirstChar 65 /LastChar 65 /Widths [800] "
                           "/FontDescriptor " + std::to_string(descriptor) + " 0 R >>");
  const int page = pdf.AddPage("BT /F1 40 Tf 7 Tr 10 55 Td (A) Tj 0 -45 Td (A) ' (A) Tj ET 1 0 0 rg 0 0 100 100 re f",
                               "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
  std::string error;
  const testraster::Raster theirs = rendertest::RenderPoppler(pdf);
  // The squares span x 14..38 and 46..70 (the third after the second), y 55..79 and 10..34.
  EXPECT_EQ(rendertest::PixelAt(theirs, 25, 100 - 67), 0xFF0000u);
  EXPECT_EQ(rendertest::PixelAt(theirs, 25, 100 - 22), 0xFF0000u);
  for (const bool cairo : {false, true}) {
    const testraster::Raster ours =
        cairo ? rendertest::RenderOursCairo(pdf, page, &error) : rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "") << cairo;
    ASSERT_EQ(ours.Width, theirs.Width);
    EXPECT_EQ(rendertest::PixelAt(ours, 25, 100 - 67), 0xFF0000u) << cairo;
    EXPECT_EQ(rendertest::PixelAt(ours, 25, 100 - 22), 0xFF0000u) << cairo;
    EXPECT_EQ(rendertest::PixelAt(ours, 58, 100 - 22), 0xFF0000u) << cairo;
    EXPECT_LE(rendertest::CountOutsideNeighbourhood(ours, theirs, 24), 8) << cairo;
  }
}
