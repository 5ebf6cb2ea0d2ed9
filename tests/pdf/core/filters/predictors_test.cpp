#include "pdf/core/filters/predictors.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "pdf/core/filters/flate.h"
#include "tests/support/test_support.h"

#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Hex;

TEST(Predictors, PaethPicksTheNearestNeighbour) {
  const struct { int a, b, c, want; } cases[] = {
      {1, 2, 3, 1},        // p = 0: a nearest
      {5, 3, 5, 3},        // p = 3: b exact
      {10, 20, 15, 15},    // p = 15: c exact
      {0, 0, 0, 0},        {255, 0, 255, 0},  {0, 255, 0, 255},
      {100, 100, 100, 100}, {7, 9, 8, 8},  {1, 5, 9, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(PaethPredictor(c.a, c.b, c.c), c.want) << c.a << " " << c.b << " " << c.c;
}

TEST(Predictors, TiffPredictorOnSamplesSmallerThanAByte) {
  // Worked by hand: running sums per colour component, modulo 2^bits, MSB first.
  const struct {
    FlatePredictorParams params;
    const char* in;
    const char* out;
  } cases[] = {
      {{2, 1, 4, 5}, "12 34 50", "13 6A F0"},     // 1 2 3 4 5 -> 1 3 6 10 15
      {{2, 2, 2, 3}, "7A D0", "7D A0"},           // pairs (1,3)(2,2)(3,1) -> (1,3)(3,1)(2,2)
      {{2, 1, 1, 10}, "98 C0", "EF 40"},          // 1001100011 -> 1110111101
      {{2, 1, 1, 10}, "98 FF", "EF 40"},          // padding bits come out 0
      {{2, 1, 4, 5}, "12 34 50 FF FF F0", "13 6A F0 FE DC B0"},  // each row starts again at 0
      {{2, 3, 8, 2}, "0A 14 1E 01 02 03", "0A 14 1E 0B 16 21"},
      // RGB sums wrap; each row starts again; a short last row is filled with zeros
      {{2, 3, 8, 3}, "FF 80 01 02 90 FF 03 01 02 10 20 30 01 01 01 05 05 05 07",
       "FF 80 01 01 10 00 04 11 02 10 20 30 11 21 31 16 26 36 07 00 00 07 00 00 07 00 00"},
      {{2, 1, 16, 3}, "00 01 FF FF 00 02", "00 01 00 00 00 02"},  // carries across the byte
      {{2, 2, 16, 2}, "12 34 00 10 00 01 FF FF", "12 34 00 10 12 35 00 0F"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UndoPredictor(Hex(c.in), c.params), Hex(c.out)) << c.in;
}

TEST(Predictors, PngRowsAndTheirEdges) {
  const struct {
    FlatePredictorParams params;
    const char* in;
    const char* out;
  } cases[] = {
      // Up rows of 5 bytes; the first row's "above" is zero.
      {{12, 1, 8, 5}, "02 01 02 03 04 05 02 01 01 01 01 01", "01 02 03 04 05 02 03 04 05 06"},
      // Sub with two bytes per pixel (4 bits x 3 colours rounds up to 2 bytes).
      {{11, 3, 4, 4}, "01 10 20 01 01 05 05", "10 20 11 21 16 26"},
      // Average and Paeth against a previous row.
      {{13, 1, 8, 3}, "00 0A 14 1E 03 02 02 02", "0A 14 1E 07 0F 18"},
      {{14, 1, 8, 3}, "00 0A 14 1E 04 01 01 01", "0A 14 1E 0B 15 1F"},
      // An unknown tag leaves its row as stored, and it is the next row's "above".
      {{15, 1, 8, 2}, "07 05 06 02 01 01", "05 06 06 07"},
      // A short last row is completed with zeros before the filter runs.
      {{12, 1, 8, 4}, "00 01 02 03 04 02 01", "01 02 03 04 02 02 03 04"},
      // A last row that is only its tag.
      {{12, 1, 8, 2}, "00 05 06 02", "05 06 05 06"},
      // Predictors 3 to 9 only cut into rows.
      {{5, 1, 8, 3}, "61 62 63 64 65 66 67", "61 62 63 64 65 66 67 00 00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UndoPredictor(Hex(c.in), c.params), Hex(c.out)) << c.in;
  EXPECT_EQ(UndoPredictor("", {12, 1, 8, 5}), "");
}

TEST(Predictors, RowsWithoutASizeAreRefused) {
  const FlatePredictorParams bad[] = {
      {2, 0, 8, 1},  {2, -1, 8, 1}, {12, 0, 8, 1},  {12, 1, 0, 1}, {2, 1, -8, 1},
      {12, 1, 8, 0}, {12, 1, 8, -5}, {2, 1, 8, INT_MIN}, {5, 1, 0, 1},
  };
  for (const auto& p : bad) {
    EXPECT_FALSE(PredictorParamsUsable(p));
    EXPECT_EQ(UndoPredictor("some decompressed bytes", p), "") << p.Predictor << " " << p.Colors << " "
                                                                 << p.BitsPerComponent << " " << p.Columns;
  }
  // Predictor 1 (and below) passes data through whatever the rest says.
  for (const int pred : {1, 0, -3, INT_MIN}) {
    const FlatePredictorParams p{pred, 0, 0, 0};
    EXPECT_TRUE(PredictorParamsUsable(p));
    EXPECT_EQ(UndoPredictor("as is", p), "as is");
  }
  EXPECT_TRUE(PredictorParamsUsable({15, 32, 16, 1}));
}

// The TIFF predictor adds up samples of 1, 2, 4, 8 and 16 bits. Rows of other depths are
// refused: rows of zero bytes in their place would pass for the picture's samples.
TEST(Predictors, TiffRowsOfOtherDepthsAreRefused) {
  const std::string data = Hex("01 02 03 04 05 06");
  for (const int bits : {3, 5, 12, 32}) {
    const FlatePredictorParams p{2, 1, bits, 3};
    EXPECT_FALSE(PredictorParamsUsable(p)) << bits;
    EXPECT_EQ(UndoPredictor(data, p), "") << bits;
  }
}

// Parameters a PDF file may give beyond the usual ones: more than 32 colours, and PNG rows of
// samples of any depth, are undone like the others.
TEST(Predictors, ManyColoursAndOtherDepthsBehindPngTags) {
  std::string row(33 * 2, '\1');
  std::string want;
  for (int i = 0; i < 66; ++i) want.push_back(char(i < 33 ? 1 : 2));
  EXPECT_TRUE(PredictorParamsUsable({2, 33, 8, 2}));
  EXPECT_EQ(UndoPredictor(row, {2, 33, 8, 2}), want);
  // Three-bit grey, four columns: 12 bits, two bytes a row, one byte a pixel.
  EXPECT_TRUE(PredictorParamsUsable({11, 1, 3, 4}));
  EXPECT_EQ(UndoPredictor(Hex("01 10 01"), {11, 1, 3, 4}), Hex("10 11"));
}

TEST(Predictors, HugeRowsCostNothingAndOutputIsCapped) {
  // 2^31 columns of 32 x 16-bit samples would be a 128 GiB row: refused by the cap, not allocated.
  EXPECT_EQ(UndoPredictor(Hex("02 01 02"), {12, 32, 16, INT_MAX}), "");
  EXPECT_EQ(UndoPredictor(Hex("01 02"), {2, 32, 16, INT_MAX}), "");
  EXPECT_EQ(UndoPredictor(Hex("02 01 02"), {15, INT_MAX, 8, 1}), "");
  EXPECT_EQ(UndoPredictor(Hex("02 01 02"), {15, 1, INT_MAX, INT_MAX}), "");
  // The cap keeps whole rows.
  const std::string rows = Hex("00 01 02 03 04 00 05 06 07 08 00 09 0A 0B 0C");
  EXPECT_EQ(UndoPredictor(rows, {10, 1, 8, 4}, 10), Hex("01 02 03 04 05 06 07 08"));
  EXPECT_EQ(UndoPredictor(rows, {10, 1, 8, 4}, 3), "");
  EXPECT_EQ(UndoPredictor(rows, {10, 1, 8, 4}, -1), "");
  EXPECT_EQ(UndoPredictor(rows, {10, 1, 8, 4}).size(), 12u);
}

namespace {

// A one-stream PDF file: the stream holds data, Flate-compressed, under the predictor.
std::string PdfWithPredictedStream(const std::string& data, const FlatePredictorParams& p) {
  const std::string z = FlateCompressString(data);
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [ ] /Count 0 >>",
      "<< /Length " + std::to_string(z.size()) + " /Filter /FlateDecode /DecodeParms << /Predictor " +
          std::to_string(p.Predictor) + " /Colors " + std::to_string(p.Colors) + " /BitsPerComponent " +
          std::to_string(p.BitsPerComponent) + " /Columns " + std::to_string(p.Columns) + " >> >>\nstream\n" + z +
          "\nendstream"};
  std::string pdf = "%PDF-1.5\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < 3; ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 4\n0000000000 65535 f \n";
  for (const size_t o : offsets) {
    const std::string n = std::to_string(o);
    pdf += std::string(10 - n.size(), '0') + n + " 00000 n \n";
  }
  return pdf + "trailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

}  // namespace

// A PNG pixel is its bits rounded up to whole bytes (the PNG format's "bytes per complete
// pixel, rounding up to one"), also where the bits are not a whole number of bytes: rows of
// every tag agree with qpdf's reading of the same stream.
TEST(Predictors, PngPixelsOfPartBytesAgreeWithQpdf) {
  REQUIRE_TOOL("qpdf");
  testsupport::TempDir dir;
  std::mt19937 rng(31);
  const FlatePredictorParams cases[] = {{11, 5, 4, 7}, {12, 5, 2, 9}, {13, 12, 1, 6}, {14, 7, 2, 5}, {15, 7, 4, 4},
                                        {15, 3, 4, 9}, {10, 5, 16, 3}};
  for (const FlatePredictorParams& p : cases) {
    SCOPED_TRACE(std::to_string(p.Colors) + " x " + std::to_string(p.BitsPerComponent));
    const size_t rowBytes = (size_t(p.Colors) * size_t(p.BitsPerComponent) * size_t(p.Columns) + 7) / 8;
    std::string data;
    for (int r = 0; r < 12; ++r) {
      data.push_back(char(r % 5));
      for (size_t i = 0; i < rowBytes; ++i) data.push_back(char(rng()));
    }
    const std::string path = dir.File("p.pdf");
    testsupport::WriteFile(path, PdfWithPredictedStream(data, p));
    std::string qpdf;
    ASSERT_EQ(testsupport::Run("qpdf --show-object=3 --filtered-stream-data " + path, &qpdf), 0);
    EXPECT_TRUE(filtertest::SameBytes(UndoPredictor(data, p), qpdf));
  }
}

namespace {

// PNG rows undone the plain way: each row read from its own place, written to a new buffer.
std::string ReferencePngRows(const std::string& in, int64_t rowBytes, int64_t bpp) {
  std::string out;
  std::string above(size_t(rowBytes), '\0');
  for (size_t at = 0; at < in.size(); at += size_t(rowBytes) + 1) {
    const int tag = uint8_t(in[at]);
    std::string row = in.substr(at + 1, size_t(rowBytes));
    row.resize(size_t(rowBytes), '\0');
    for (int64_t i = 0; i < rowBytes; ++i) {
      const int a = i >= bpp ? uint8_t(row[size_t(i - bpp)]) : 0, b = uint8_t(above[size_t(i)]);
      const int c = i >= bpp ? uint8_t(above[size_t(i - bpp)]) : 0;
      const int add = tag == 1 ? a : tag == 2 ? b : tag == 3 ? (a + b) / 2 : tag == 4 ? PaethPredictor(a, b, c) : 0;
      row[size_t(i)] = char(uint8_t(row[size_t(i)]) + add);
    }
    out += row;
    above = row;
  }
  return out;
}

}  // namespace

// Many rows of every filter undone in the data's own memory, where each decoded row lands over
// bytes of the encoded rows before it: the same as rows undone one by one into a new buffer.
TEST(Predictors, InPlaceRowsMatchRowsUndoneApart) {
  std::string encoded;
  uint32_t seed = 7;
  for (int r = 0; r < 40; ++r) {
    encoded.push_back(char(r % 6));  // tags 0 to 4, and 5 (unknown)
    for (int i = 0; i < 3 * 11; ++i) encoded.push_back(char((seed = seed * 1103515245u + 12345u) >> 24));
  }
  for (const size_t cut : {size_t(0), size_t(1), size_t(20)}) {
    const std::string in = encoded.substr(0, encoded.size() - cut);
    std::string data = in;
    UndoPredictorInPlace(data, {15, 3, 8, 11});
    EXPECT_EQ(data, ReferencePngRows(in, 33, 3)) << "cut " << cut;
  }
  std::string unusable = "bytes";
  UndoPredictorInPlace(unusable, {12, 0, 8, 1});
  EXPECT_EQ(unusable, "");
}
