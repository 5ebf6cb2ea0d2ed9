// The EPS writer: its header and prolog, the lines of each operator, colours written only when
// they change (and kept by gsave), custom colour comments, images with and without masks, and
// saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "pdf/render/canvas/eps_export.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/support/full_stream.h"

namespace {

// The lines written after the header.
std::vector<std::string> Body(const TPDFEPSExport& eps, size_t headerLines) {
  return {eps.Lines().begin() + std::ptrdiff_t(headerLines), eps.Lines().end()};
}

size_t HeaderSize() {
  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  return eps.Lines().size();
}

TEST(EPSExport, HeaderNamesTheRoundedBoxAndDefinesTheProlog) {
  TPDFEPSExport eps;
  eps.WriteHeader(0.4, 2.5, 611.6, 791.5);
  const std::vector<std::string>& lines = eps.Lines();
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[0], "%!PS-Adobe-3.0 EPSF-3.0");
  EXPECT_EQ(lines[1], "%%BoundingBox: 0 2 612 792");  // halves to even
  EXPECT_EQ(lines[2], "%%Creator: (Talvo PDF Library DVer)");
  EXPECT_EQ(lines[3], "%%DocumentProcessColors: (Cyan) (Magenta) (Yellow) (Black)");
  EXPECT_EQ(lines[4], "%%EndComments");
  EXPECT_EQ(lines[5], "%%OrvanePDFLibrary-Start");
  EXPECT_EQ(lines[6], "/c { curveto } def");
  EXPECT_EQ(lines[11], "/h { closepath } def");
  EXPECT_EQ(lines[23], "/W* { eoclip } def");
  EXPECT_EQ(lines[24], "%%OrvanePDFLibrary-End");
  EXPECT_EQ(eps.CurrentColor(), "0 1 0 setrgbcolor");
}

TEST(EPSExport, OperatorsWriteTheirLinesWithoutATrailingBlank) {
  struct Case {
    const char* name;
    void (*write)(TPDFEPSExport&);
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"move", [](TPDFEPSExport& e) { e.MoveTo(1, 2); }, {"1 2 m"}},
      {"line with decimals", [](TPDFEPSExport& e) { e.LineTo(0.12346, -3.5); }, {"0.1235 -3.5 l"}},
      {"curve", [](TPDFEPSExport& e) { e.CurveTo(1, 2, 3, 4, 5, 6); }, {"1 2 3 4 5 6 c"}},
      {"quadratic as cubic",
       [](TPDFEPSExport& e) {
         e.MoveTo(0, 0);
         e.QuadCurveTo(3, 3, 6, 0);
       },
       {"0 0 m", "2 2 4 2 6 0 c"}},
      {"v curve", [](TPDFEPSExport& e) { e.CurveToV(1, 2, 3, 4); }, {"cp 1 2 3 4 c"}},
      {"y curve", [](TPDFEPSExport& e) { e.CurveToY(1, 2, 3, 4); }, {"1 2 3 4 3 4 c"}},
      {"fill rules", [](TPDFEPSExport& e) { e.FillPath(true), e.FillPath(false); }, {"f*", "f"}},
      {"clips", [](TPDFEPSExport& e) { e.Clip(true), e.Clip(false); }, {"W*", "W"}},
      {"line style",
       [](TPDFEPSExport& e) { e.SetLineCap(1), e.SetLineJoin(2), e.SetLineWidth(0.5), e.SetMiterLimit(10); },
       {"1 J", "2 j", "0.5 w", "10 M"}},
      {"matrix", [](TPDFEPSExport& e) { e.ConcatMatrix({1, 0, 0, -1, 2.5, 3}); }, {"[ 1 0 0 -1 2.5 3 ] cm"}},
      {"path ends", [](TPDFEPSExport& e) { e.NewPath(), e.ClosePath(), e.Stroke(), e.Fill(); }, {"n", "h", "s", "f"}},
      // The stroke keeps the path that the fill uses up.
      {"fill and stroke", [](TPDFEPSExport& e) { e.FillAndStroke(); }, {"q", "f", "Q", "s"}},
  };
  const size_t header = HeaderSize();
  for (const Case& c : cases) {
    TPDFEPSExport eps;
    eps.WriteHeader(0, 0, 10, 10);
    c.write(eps);
    EXPECT_EQ(Body(eps, header), c.lines) << c.name;
  }
}

TEST(EPSExport, ColoursAreWrittenOnlyWhenTheyChangeAndComeBackWithGrestore) {
  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  const size_t header = eps.Lines().size();
  eps.SetColor("1.000 0.000 0.000 setrgbcolor");
  eps.SetColor("1.000 0.000 0.000 setrgbcolor");
  eps.SaveState();
  eps.SetColor("0.000 setgray");
  eps.RestoreState();
  eps.SetColor("1.000 0.000 0.000 setrgbcolor");  // current again after Q: nothing written
  eps.RestoreState();                               // an extra Q keeps the colour
  EXPECT_EQ(Body(eps, header), (std::vector<std::string>{"1.000 0.000 0.000 setrgbcolor", "q", "0.000 setgray", "Q",
                                                         "Q"}));
  EXPECT_EQ(eps.CurrentColor(), "1.000 0.000 0.000 setrgbcolor");
}

TEST(EPSExport, PaintingSetsEachColourBeforeItsOperator) {
  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  const size_t header = eps.Lines().size();
  eps.Paint("1 0 0 setrgbcolor", "0 0 1 setrgbcolor", true, true, true);
  eps.Paint("1 0 0 setrgbcolor", "0 0 1 setrgbcolor", true, false, false);
  eps.Paint("1 0 0 setrgbcolor", "0 0 1 setrgbcolor", false, true, false);
  EXPECT_EQ(Body(eps, header),
            (std::vector<std::string>{"1 0 0 setrgbcolor", "q", "f*", "Q", "0 0 1 setrgbcolor", "s",
                                      "1 0 0 setrgbcolor", "f", "0 0 1 setrgbcolor", "s"}));
}

TEST(EPSExport, TrailerListsCustomColoursBeforeTheEndOfComments) {
  const std::string spot = "0.000 0.500 1.000 0.000 (Spot One) findcmykcustomcolor 0.300 setcustomcolor";
  const std::string gold = "0.000 0.200 0.900 0.100 (Gold) findcmykcustomcolor 1.000 setcustomcolor";
  TPDFEPSExport plain;
  plain.WriteHeader(0, 0, 10, 10);
  plain.SetColor("0 setgray");
  plain.WriteTrailer();
  for (const std::string& line : plain.Lines()) EXPECT_EQ(line.find("CustomColor"), std::string::npos) << line;
  EXPECT_EQ(plain.Lines().back(), "%%EOF");

  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  eps.SetColor(spot);
  eps.SetColor(gold);
  eps.SetColor(spot);
  eps.WriteTrailer();
  const std::vector<std::string>& lines = eps.Lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.begin() + 9),
            (std::vector<std::string>{"%%DocumentCustomColors: (Spot One)", "%%+ (Gold)",
                                      "%%CMYKCustomColor: 0.000 0.500 1.000 0.000 (Spot One)",
                                      "%%+ 0.000 0.200 0.900 0.100 (Gold)", "%%EndComments"}));
  EXPECT_EQ(lines.back(), "%%EOF");
  // A new header starts a new file: no colours of the last one.
  eps.WriteHeader(0, 0, 10, 10);
  eps.WriteTrailer();
  EXPECT_EQ(eps.Lines()[4], "%%EndComments");
}

TEST(EPSExport, ImagesCarryTheirRowsRedFirstAndAreDefinedOnce) {
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(2, 1);
  uint8_t* row = picture.ScanLine(0);
  row[0] = 3, row[1] = 2, row[2] = 1;  // blue, green, red
  row[3] = 6, row[4] = 5, row[5] = 4;
  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  const size_t header = eps.Lines().size();
  eps.WriteImage(picture, nullptr, false, "5.0.R");
  std::vector<std::string> body = Body(eps, header);
  ASSERT_GE(body.size(), 18u);
  EXPECT_EQ(body[0], "currentfile /ASCII85Decode filter /FlateDecode filter");
  EXPECT_EQ(body[1], "/ReusableStreamDecode filter");
  EXPECT_EQ(FlateDecompressString(ASCII85Decode(body[2])), std::string("\x01\x02\x03\x04\x05\x06", 6));
  EXPECT_EQ(body[3], "/datastreamfor5.0.R exch def");
  EXPECT_EQ(body[4], "/DeviceRGB setcolorspace");
  const std::vector<std::string> dictionary = {"/ImageDataDictionaryfor5.0.R 8 dict def",
                                               "ImageDataDictionaryfor5.0.R begin",
                                               "/ImageType 1 def",
                                               "/Width 2 def",
                                               "/Height 1 def",
                                               "/BitsPerComponent 8 def",
                                               "/DataSource datastreamfor5.0.R def",
                                               "/MultipleDataSources false def",
                                               "/ImageMatrix [ 2 0 0 -1 0 1 ] def",
                                               "/Decode [ 0 1 0 1 0 1 ] def",
                                               "end",
                                               "datastreamfor5.0.R resetfile",
                                               "ImageDataDictionaryfor5.0.R image"};
  EXPECT_EQ(std::vector<std::string>(body.begin() + 5, body.end()), dictionary);
  // The same identity again draws the stored data (in its colour space) without defining it.
  eps.SetColor("0 setgray");
  const size_t before = eps.Lines().size();
  eps.WriteImage(picture, nullptr, false, "5.0.R");
  EXPECT_EQ(Body(eps, before), (std::vector<std::string>{"/DeviceRGB setcolorspace", "datastreamfor5.0.R resetfile",
                                                         "ImageDataDictionaryfor5.0.R image"}));
  // The image replaced the colour: the next colour setting is written even when unchanged.
  eps.SetColor("0 setgray");
  EXPECT_EQ(eps.Lines().back(), "0 setgray");
}

TEST(EPSExport, AMaskIsDoubledDitheredAndMadeAMaskedImage) {
  TBitmap picture, mask;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(2, 2);
  mask.SetPixelFormat(pf24bit);
  mask.SetSize(2, 2);
  // White (shown) on the left column, black (hidden) on the right.
  for (int y = 0; y < 2; ++y) {
    uint8_t* row = mask.ScanLine(y);
    std::fill(row, row + 3, 255);
    std::fill(row + 3, row + 6, 0);
  }
  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  const size_t header = eps.Lines().size();
  eps.WriteImage(picture, &mask, false, "Inline7", false);
  const std::vector<std::string> body = Body(eps, header);
  ASSERT_GE(body.size(), 4u);
  EXPECT_EQ(body[3], "/maskstreamfor" + std::string("Inline7") + " exch def");
  // Four rows of four pixels, one byte each: the left half set.
  EXPECT_EQ(FlateDecompressString(ASCII85Decode(body[2])), std::string(4, '\xC0'));
  auto has = [&](const std::string& line) { return std::find(body.begin(), body.end(), line) != body.end(); };
  EXPECT_TRUE(has("/ImageMaskDictionaryforInline7 8 dict def"));
  EXPECT_TRUE(has("/Width 4 def"));
  EXPECT_TRUE(has("/Decode [ 1 0 ] def"));
  EXPECT_TRUE(has("/ImageType 3 def"));
  EXPECT_TRUE(has("/InterleaveType 3 def"));
  EXPECT_TRUE(has("/MaskDict ImageMaskDictionaryforInline7 def"));
  EXPECT_EQ(std::vector<std::string>(body.end() - 3, body.end()),
            (std::vector<std::string>{"maskstreamforInline7 resetfile", "datastreamforInline7 resetfile",
                                      "MaskedImageDictionaryforInline7 image"}));
  // Not reusable: written whole again.
  const size_t before = eps.Lines().size();
  eps.WriteImage(picture, &mask, false, "Inline7", false);
  EXPECT_EQ(eps.Lines().size() - before, body.size());
}

TEST(EPSExport, SavesEveryLineWithCRLFAndReportsAStreamThatRefuses) {
  TPDFEPSExport eps;
  eps.WriteHeader(0, 0, 10, 10);
  eps.WriteTrailer();
  TMemoryStream stream;
  EXPECT_TRUE(eps.SaveToStream(stream));
  stream.SetPosition(0);
  const std::string text = stream.ReadToEnd();
  EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 EPSF-3.0\r\n%%BoundingBox: 0 0 10 10\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 7), "%%EOF\r\n");
  testsupport::FullStream refusing(4);
  EXPECT_FALSE(eps.SaveToStream(refusing));
}

}  // namespace
