// PDF functions: the worked examples of each type, and functions built to hurt (cycles,
// stack bombs, enormous sample tables, checked integer arithmetic).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "pdf/render/functions/pdf_function.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::TestPdf;

std::unique_ptr<TPDFFunction> Make(TestPdf& pdf, int n) { return CreatePDFFunction(pdf.Object(n), nullptr); }

std::vector<double> Eval(TPDFFunction& f, std::vector<double> in) {
  std::vector<double> out;
  f.Evaluate(in, out);
  return out;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST(PdfFunction, ExponentialFunctionFollowsC0AndC1) {
  struct Case {
    const char* n;
    double x;
    double expected;
  } cases[] = {{"1", 0.25, 0.25}, {"2", 0.25, 0.0625}, {"1", 1.5, 1.5}, {"0.5", 0.64, 0.8}};
  for (const Case& c : cases) {
    TestPdf pdf;
    pdf.Add(std::string("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 0 0] /N ") + c.n + " >>");
    auto f = Make(pdf, 1);
    ASSERT_TRUE(f);
    const auto out = Eval(*f, {c.x});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NEAR(out[0], c.expected, 1e-12) << c.n << " " << c.x;
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
  }
}

TEST(PdfFunction, ExponentialDefaultsAndRangeGiveTheOutputCount) {
  TestPdf pdf;
  pdf.Add("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
  pdf.Add("<< /FunctionType 2 /Domain [0 1] /Range [0 1 0 1] /C0 [0.2] /C1 [0.4] /N 1 >>");
  // A negative base under a fractional exponent has no real value: 0, not NaN.
  pdf.Add("<< /FunctionType 2 /Domain [-1 1] /C0 [0] /C1 [1] /N 0.5 >>");
  auto defaults = Make(pdf, 1);
  EXPECT_EQ(Eval(*defaults, {0.3}), std::vector<double>{0.3});
  auto ranged = Make(pdf, 2);
  const auto out = Eval(*ranged, {0.5});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_NEAR(out[0], 0.3, 1e-12);
  EXPECT_EQ(out[1], 0.0);  // no C0/C1 entry for the second output
  auto root = Make(pdf, 3);
  EXPECT_EQ(Eval(*root, {-0.5}), std::vector<double>{0.0});
}

TEST(PdfFunction, SampledFunctionInterpolatesBetweenSamples) {
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 0 /Size [2] /BitsPerSample 8 /Domain [0 1] /Range [0 1] >>", Bytes({0, 255}));
  // Order 3 tables are interpolated linearly as well.
  pdf.AddStream("<< /FunctionType 0 /Size [3] /BitsPerSample 8 /Order 3 /Domain [0 1] /Range [0 1] >>",
                Bytes({0, 255, 51}));
  auto f = Make(pdf, 1);
  ASSERT_TRUE(f);
  for (int i = 0; i <= 20; ++i) {
    const double x = i / 20.0;
    const auto out = Eval(*f, {x});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0], x, 1e-12) << x;
  }
  EXPECT_EQ(Eval(*f, {-3}), std::vector<double>{0.0});  // clipped to the domain
  EXPECT_EQ(Eval(*f, {7}), std::vector<double>{1.0});
  EXPECT_EQ(f->Complexity, 2);
  auto cubic = Make(pdf, 2);
  ASSERT_TRUE(cubic);
  EXPECT_NEAR(Eval(*cubic, {0.25})[0], 0.5, 1e-12);
  EXPECT_NEAR(Eval(*cubic, {0.75})[0], 0.6, 1e-12);
  EXPECT_NEAR(Eval(*cubic, {0.5})[0], 1.0, 1e-12);
}

// Tables of every sample width (bytes read straight, other widths bit by bit) blend their
// neighbouring samples alike.
TEST(PdfFunction, SampledFunctionsOfEveryWidthBlendAlike) {
  for (const int bits : {1, 2, 4, 8, 12, 16, 24, 32})
    for (const int count : {300}) {
      SCOPED_TRACE(std::to_string(bits) + " bits");
      const double top = std::ldexp(1.0, bits) - 1;
      auto sample = [&](int i) { return std::fmod(i * 2654435761.0, top + 1); };
      std::string data;
      uint64_t acc = 0;
      int held = 0;
      for (int i = 0; i < count; ++i) {
        acc = acc << bits | uint64_t(sample(i));
        for (held += bits; held >= 8; held -= 8) data += char(acc >> (held - 8));
      }
      if (held > 0) data += char(acc << (8 - held));
      TestPdf pdf;
      pdf.AddStream("<< /FunctionType 0 /Size [" + std::to_string(count) + "] /BitsPerSample " + std::to_string(bits) +
                        " /Domain [0 1] /Range [0 1] >>",
                    data);
      auto f = Make(pdf, 1);
      ASSERT_TRUE(f);
      for (const int i : {0, 1, 137, count / 2, count - 2})
        for (const double t : {0.0, 0.25, 0.5}) {
          const double x = (i + t) / (count - 1);
          const double expected = ((1 - t) * sample(i) + t * sample(i + 1)) / top;
          EXPECT_NEAR(Eval(*f, {x})[0], expected, 1e-9) << i << " + " << t;
        }
    }
}

// Over a grid of points a table of three inputs blends the samples of the point's cell, each
// output on its own: tables of multilinear functions (a sum of lines, a product of lines) give
// those functions back everywhere between their samples.
TEST(PdfFunction, SampledFunctionInterpolatesSeveralInputsMultilinearly) {
  // Samples of (a, b, c) at indices (i, j, l) of sizes 3, 2, 4: output 0 is 10 i + 40 j + 5 l,
  // output 1 the product i j l; 8 bits each.
  std::string data;
  for (int l = 0; l < 4; ++l)
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 3; ++i) {
        data += static_cast<char>(10 * i + 40 * j + 5 * l);
        data += static_cast<char>(i * j * l);
      }
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 0 /Size [3 2 4] /BitsPerSample 8 /Domain [0 2 0 1 0 3] /Range [0 255 0 255] "
                "/Decode [0 255 0 255] >>",
                data);
  auto f = Make(pdf, 1);
  ASSERT_TRUE(f);
  for (double a = 0; a <= 2; a += 0.25)
    for (double b = 0; b <= 1; b += 0.125)
      for (double c = 0; c <= 3; c += 0.375) {
        const auto out = Eval(*f, {a, b, c});
        ASSERT_EQ(out.size(), 2u);
        EXPECT_NEAR(out[0], 10 * a + 40 * b + 5 * c, 1e-9) << a << "," << b << "," << c;
        // Within the cell the product of three lines is exactly multilinear: i j l itself.
        EXPECT_NEAR(out[1], a * b * c, 1e-9) << a << "," << b << "," << c;
      }
}

TEST(PdfFunction, SampledFunctionIndexesSeveralInputsAndPackedSamples) {
  // Two inputs of sizes 3 and 2, two outputs of 4 bits: sample (i, j) sits at index i + 3 j,
  // its outputs are the nibbles i + 3 j and 15 - (i + 3 j).
  std::string data;
  for (int k = 0; k < 6; ++k) data += static_cast<char>((k << 4) | (15 - k));
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 0 /Size [3 2] /BitsPerSample 4 /Domain [0 2 0 1] /Range [0 15 0 15] "
                "/Decode [0 15 0 15] >>",
                data);
  auto f = Make(pdf, 1);
  ASSERT_TRUE(f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) {
      const auto out = Eval(*f, {double(i), double(j)});
      ASSERT_EQ(out.size(), 2u);
      EXPECT_EQ(out[0], i + 3 * j) << i << "," << j;
      EXPECT_EQ(out[1], 15 - (i + 3 * j)) << i << "," << j;
    }
}

TEST(PdfFunction, SampledFunctionReadsZeroBeyondItsDataAndSurvivesEnormousSizes) {
  TestPdf pdf;
  // Samples past the data read 0; an index past 64 bits reads 0; widths past 32 read 0.
  pdf.AddStream("<< /FunctionType 0 /Size [4] /BitsPerSample 8 /Domain [0 1] /Range [0 1] >>", Bytes({255}));
  pdf.AddStream("<< /FunctionType 0 /Size [1000000000 1000000000 1000000000 1000000000] /BitsPerSample 32 /Domain [0 1 0 1 0 1 0 1] "
                "/Range [0 1] >>",
                Bytes({255, 255, 255, 255}));
  pdf.AddStream("<< /FunctionType 0 /Size [2] /BitsPerSample 64 /Domain [0 1] /Range [0 1] >>", Bytes({255, 255}));
  auto shortData = Make(pdf, 1);
  EXPECT_EQ(Eval(*shortData, {0}), std::vector<double>{1.0});
  EXPECT_EQ(Eval(*shortData, {1}), std::vector<double>{0.0});
  auto huge = Make(pdf, 2);
  ASSERT_TRUE(huge);
  EXPECT_EQ(Eval(*huge, {0, 0, 0, 0}), std::vector<double>{1.0});
  EXPECT_EQ(Eval(*huge, {1, 1, 1, 1}), std::vector<double>{0.0});
  EXPECT_EQ(ShadingSampleCount(*huge), 256);
  auto wide = Make(pdf, 3);
  EXPECT_EQ(Eval(*wide, {1}), std::vector<double>{0.0});
  // 24 inputs all between two samples: the first eight are blended (256 corners, only the
  // first of them 255), the rest take their nearer sample.
  std::string domain, size;
  for (int i = 0; i < 24; ++i) domain += "0 1 ", size += "2 ";
  TestPdf many;
  many.AddStream("<< /FunctionType 0 /Size [" + size + "] /BitsPerSample 8 /Domain [" + domain + "] /Range [0 1] >>",
                 Bytes({255}));
  auto blended = Make(many, 1);
  ASSERT_TRUE(blended);
  EXPECT_NEAR(Eval(*blended, std::vector<double>(24, 0.5))[0], 1.0 / 256, 1e-12);
}

TEST(PdfFunction, StitchingFunctionPicksSubdomainsAndEncodes) {
  TestPdf pdf;
  // Identity subfunctions show the input each one receives.
  pdf.Add("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 1 0 1] /Functions [2 0 R 3 0 R] >>");
  pdf.Add("<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>");
  pdf.Add("<< /FunctionType 2 /Domain [0 1] /C0 [10] /C1 [11] /N 1 >>");
  auto f = Make(pdf, 1);
  ASSERT_TRUE(f);
  EXPECT_EQ(Eval(*f, {0.5}), std::vector<double>{1.0});    // on the bound: the first, with 1.0
  EXPECT_EQ(Eval(*f, {0.75}), std::vector<double>{10.5});  // the second, with 0.5
  EXPECT_EQ(Eval(*f, {-1}), std::vector<double>{0.0});     // clipped to 0: the first, with 0
  EXPECT_EQ(f->Complexity, 6);
}

// Only sampled and calculator functions read a stream's data: exponential and stitching
// functions in streams keep their data undecoded (a kilobyte of chained filters made hundreds of
// megabytes), and evaluate from their dictionaries alone.
TEST(PdfFunction, OnlyFunctionsThatReadDataDecodeTheirStreams) {
  TestPdf pdf;
  const std::string hex = "<< /Filter /ASCIIHexDecode /Domain [0 1] ";
  pdf.AddStream(hex + "/FunctionType 2 /C0 [0] /C1 [2] /N 1 >>", "7B2032206D756C207D>");
  pdf.AddStream(hex + "/FunctionType 3 /Bounds [] /Encode [0 1] /Functions [1 0 R] >>", "7B2032206D756C207D>");
  pdf.AddStream(hex + "/FunctionType 4 /Range [0 2] >>", "7B2032206D756C207D>");  // { 2 mul }
  pdf.AddStream(hex + "/FunctionType 0 /Size [2] /BitsPerSample 8 /Range [0 2] >>", "00FF>");
  const std::string decoded[] = {"", "", "{ 2 mul }", std::string("\x00\xFF", 2)};
  for (int n = 1; n <= 4; ++n) {
    auto f = Make(pdf, n);
    ASSERT_TRUE(f) << n;
    EXPECT_EQ(f->Program, decoded[n - 1]) << n;
    EXPECT_EQ(Eval(*f, {0.25}), std::vector<double>{0.5}) << n;
  }
}

TEST(PdfFunction, StitchingFunctionsThatListThemselvesEndQuickly) {
  TestPdf pdf;
  pdf.Add("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [1 0 R] >>");
  pdf.Add("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [3 0 R] >>");
  pdf.Add("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [2 0 R] >>");
  // A wide graph of shared subfunctions: eight entries at each of many levels.
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += "5 0 R ";
  pdf.Add("<< /FunctionType 3 /Domain [0 1] /Bounds [0.1 0.2 0.3 0.4 0.5 0.6 0.7] /Encode [0 1 0 1 0 1 0 1 0 1 0 1 "
          "0 1 0 1] /Functions [" + eight + "] >>");
  pdf.Add("<< /FunctionType 3 /Domain [0 1] /Bounds [0.1 0.2 0.3 0.4 0.5 0.6 0.7] /Encode [0 1 0 1 0 1 0 1 0 1 0 1 "
          "0 1 0 1] /Functions [" + eight + "] >>");
  auto self = Make(pdf, 1);
  ASSERT_TRUE(self);
  std::vector<double> out{7};
  self->Evaluate({0.5}, out);
  EXPECT_EQ(out, std::vector<double>{7});  // no subfunction: the outputs stay as they were
  auto mutual = Make(pdf, 2);
  ASSERT_TRUE(mutual);
  mutual->Evaluate({0.5}, out);
  auto wide = Make(pdf, 4);
  ASSERT_TRUE(wide);
  wide->Evaluate({0.5}, out);
}

TEST(PdfFunction, FactoryRefusesOtherTypes) {
  TestPdf pdf;
  pdf.Add("<< /FunctionType 1 /Domain [0 1] >>");
  pdf.Add("<< /FunctionType /Two >>");
  pdf.Add("[ /FunctionType 2 ]");
  pdf.Add("<< /Domain [0 1] >>");
  for (int n = 1; n <= 4; ++n) EXPECT_FALSE(Make(pdf, n)) << n;
  EXPECT_FALSE(CreatePDFFunction(nullptr, nullptr));
}

struct CalcCase {
  const char* program;
  std::vector<double> inputs;
  int outputs;
  std::vector<double> expected;
};

class Calculator : public ::testing::TestWithParam<CalcCase> {};

TEST_P(Calculator, Evaluates) {
  const CalcCase& c = GetParam();
  std::string domain, range;
  for (size_t i = 0; i < c.inputs.size(); ++i) domain += "-1000 1000 ";
  for (int i = 0; i < c.outputs; ++i) range += "-10000000000 10000000000 ";
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 4 /Domain [" + domain + "] /Range [" + range + "] >>", c.program);
  auto f = Make(pdf, 1);
  ASSERT_TRUE(f);
  const auto out = Eval(*f, c.inputs);
  ASSERT_EQ(out.size(), c.expected.size()) << c.program;
  for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.expected[i], 1e-9) << c.program << " #" << i;
}

INSTANTIATE_TEST_SUITE_P(
    PdfFunction, Calculator,
    ::testing::Values(
        CalcCase{"{ 2 copy gt { exch } if pop }", {3, 5}, 1, {3}},
        CalcCase{"{ 2 copy gt { exch } if pop }", {5, 3}, 1, {3}},
        CalcCase{"{ pop 1 2 bitshift }", {0}, 1, {4}},
        CalcCase{"{ pop 8 -2 bitshift }", {0}, 1, {2}},
        CalcCase{"{ pop 1 32 bitshift 1 -32 bitshift 1 31 bitshift }", {0}, 3, {0, 0, -2147483648.0}},
        CalcCase{"{ add 2 div }", {3, 4}, 1, {3.5}},
        CalcCase{"{ 7 exch idiv -7 2 mod }", {2}, 2, {3, -1}},
        CalcCase{"{ pop -2147483648 -1 idiv }", {0}, 1, {2147483648.0}},
        CalcCase{"{ pop 1e20 cvi 2.5 cvi 3.5 round -2.5 truncate }", {0}, 4, {0, 2, 4, -2}},
        CalcCase{"{ pop 4.9 cvi -4.9 cvi 0.99 cvi }", {0}, 3, {4, -4, 0}},
        CalcCase{"{ pop 1 2 3 3 1 roll }", {0}, 3, {3, 1, 2}},
        CalcCase{"{ pop 1 2 3 3 -1 roll }", {0}, 3, {2, 3, 1}},
        CalcCase{"{ pop 1 2 3 3 7 roll }", {0}, 3, {3, 1, 2}},
        CalcCase{"{ pop 1 2 9 1 roll }", {0}, 2, {2, 1}},
        CalcCase{"{ pop 1 2 3 2 copy }", {0}, 5, {1, 2, 3, 2, 3}},
        CalcCase{"{ pop 5 6 7 2 index }", {0}, 4, {5, 6, 7, 5}},
        CalcCase{"{ pop 1 0 atan 0 1 atan -1 0 atan }", {0}, 3, {90, 0, 270}},
        CalcCase{"{ 0.5 lt { 10 } { 20 } ifelse }", {0.2}, 1, {10}},
        CalcCase{"{ 0.5 lt { 10 } { 20 } ifelse }", {0.7}, 1, {20}},
        CalcCase{"{ dup 0 gt { dup 1 gt { pop 2 } if } if }", {5}, 1, {2}},
        CalcCase{"{ 90 sin 0 cos 2 sqrt dup mul }", {0}, 4, {0, 1, 1, 2}},
        CalcCase{"{ pop 12 5 and 12 5 or 12 5 xor 0 not }", {0}, 4, {4, 13, 9, -1}},
        // not, and, or, xor: logical on booleans, bitwise on integers (1 is an integer).
        CalcCase{"{ 0.5 gt not { 1 0 0 } { 0 0 1 } ifelse }", {0.2}, 3, {1, 0, 0}},
        CalcCase{"{ 0.5 gt not { 1 0 0 } { 0 0 1 } ifelse }", {0.7}, 3, {0, 0, 1}},
        CalcCase{"{ pop true not false not 1 not 5 not }", {0}, 4, {0, 1, -2, -6}},
        CalcCase{"{ pop 1 2 lt dup and not 1 2 lt 2 1 lt or not 1 2 lt dup xor not }", {0}, 3, {0, 0, 1}},
        CalcCase{"{ pop true dup exch pop not true 1 copy pop not false 0 index exch pop not }", {0}, 3, {0, 0, 1}},
        CalcCase{"{ pop true 7 8 3 -1 roll not }", {0}, 3, {7, 8, 0}},
        CalcCase{"{ pop true 6 and not }", {0}, 1, {-1}},
        CalcCase{"{ 3 eq true false }", {3}, 3, {1, 1, 0}},
        CalcCase{"{ pop dup exch pop }", {0}, 1, {0}},
        CalcCase{"{ foo bar 4 }", {1}, 2, {1, 4}},
        CalcCase{"  \n{ 1 add }", {1}, 1, {2}}));

TEST(PdfFunction, CalculatorStopsAtItsStackLimitAndOnDivisionByZero) {
  std::string bomb = "{ ";
  for (int i = 0; i < 200; ++i) bomb += "1 ";
  bomb += "}";
  std::string copies = "{ dup 2 copy 4 copy 8 copy 16 copy 32 copy 64 copy 128 copy }";
  for (const std::string& program : {bomb, copies, std::string("{ 0 div }"), std::string("{ 0 idiv }"),
                                     std::string("{ 0 mod }")}) {
    TestPdf pdf;
    pdf.AddStream("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", program);
    auto f = Make(pdf, 1);
    ASSERT_TRUE(f);
    std::vector<double> out;
    EXPECT_THROW(f->Evaluate({1}, out), EPDFFunctionError) << program;
  }
  // 100 entries fit.
  std::string full = "{ pop ";
  for (int i = 0; i < 100; ++i) full += "1 ";
  full += "}";
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", full);
  auto f = Make(pdf, 1);
  EXPECT_EQ(Eval(*f, {0}), std::vector<double>{1});
}

TEST(PdfFunction, ShadingSamplesStayWithinTwoTo256) {
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 0 /Size [100000] /BitsPerSample 8 /Domain [0 1] /Range [0 1] >>", "x");
  pdf.AddStream("<< /FunctionType 0 /Size [-5] /BitsPerSample 8 /Domain [0 1] /Range [0 1] >>", "x");
  pdf.AddStream("<< /FunctionType 0 /Size [17] /BitsPerSample 8 /Domain [0 1] /Range [0 1] >>", "x");
  pdf.Add("<< /FunctionType 2 /Domain [0 1] >>");
  EXPECT_EQ(ShadingSampleCount(*Make(pdf, 1)), 256);
  EXPECT_EQ(ShadingSampleCount(*Make(pdf, 2)), 2);
  EXPECT_EQ(ShadingSampleCount(*Make(pdf, 3)), 17);
  EXPECT_EQ(ShadingSampleCount(*Make(pdf, 4)), 2);
}

}  // namespace
