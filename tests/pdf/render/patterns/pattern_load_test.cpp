// Reading patterns and shadings for the back ends (axial samples, tiling cells, what stays
// unusable) and writing a bitmap brush as a tiling pattern.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include "pdf/core/filters/flate.h"
#include "pdf/core/pdf_helpers.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "platform/gdi/bitmap.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::TestPdf;

struct Loaded {
  TestPdf pdf;
  TPDFSimpleColorManager manager;
  TZRXPattern pattern{&manager};
  // Loads object n (the first object added unless said otherwise).
  TZRXPattern& Load(int n = 1) {
    pattern.Load(pdf.Object(n));
    return pattern;
  }
};

// The samples as text; of many, only the first, the one halfway (rounded up) and the last.
std::string Samples(const TZRXPattern& p) {
  std::string s;
  const int n = p.ColorCount();
  for (int i = 0; i < n; i = n > 16 && i == 0 ? n / 2 : n > 16 && i == n / 2 ? n - 1 : i + 1) {
    for (int c = 0; c < 3; ++c) s += std::to_string(int(p.GetColor(i, c) * 255 + 0.5)) + (c < 2 ? "," : "");
    s += " ";
  }
  return s;
}

TEST(PatternLoad, AxialShadingsBecomeSamplesAlongTheAxis) {
  struct Case {
    const char* name;
    std::string shading;  // the dictionary under /Shading
    std::string samples;
    std::string profile = {};  // object 2: an ICC profile's dictionary
    // Converted colours (inks, tints) are sampled densely along the axis, so that blending
    // the samples in RGB follows the conversion: that many samples, samples above the ends.
    int converted = 0;
  } cases[] = {
      {"exponential red to blue",
       "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>",
       "255,0,0 0,0,255 "},
      {"stitching of two",
       "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function << /FunctionType 3 /Domain [0 1] "
       "/Functions [<< /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 1 0] /N 1 >> "
       "<< /FunctionType 2 /Domain [0 1] /C0 [0 1 0] /C1 [0 0 1] /N 1 >>] /Bounds [0.5] /Encode [0 1 0 1] >> >>",
       "255,0,0 153,102,0 51,204,0 0,204,51 0,102,153 0,0,255 "},
      {"CMYK through the colour manager",
       "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 1 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1] /N 1 >> >>",
       "255,255,255 145,143,143 35,31,32 ", {}, 256},
      // Inks beyond 1 go to the conversion as they are: k 2 is black, not k 1's dark grey.
      {"CMYK beyond its range",
       "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 1 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 2] /N 1 >> >>",
       "255,255,255 34,30,31 0,0,0 ", {}, 256},
      // Cyan to red in inks: halfway (sample 128 of 256, t = 0.502) lies the colour of half of
      // each ink (0.5 0.5 0.5 0 k is 135,121,119), not the mean of the two ends' colours.
      {"CMYK halfway",
       "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 1 0] /Function << /FunctionType 2 /Domain [0 1] "
       "/C0 [1 0 0 0] /C1 [0 1 1 0] /N 1 >> >>",
       "0,173,239 136,121,119 237,28,36 ", {}, 256},
      {"separation over CMYK",
       "<< /ShadingType 2 /ColorSpace [/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
       "/C0 [1 0 0 0] /C1 [0 1 1 0] /N 1 >>] /Coords [0 0 1 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>",
       "0,173,239 136,121,119 237,28,36 ", {}, 256},
      // A function without a Range is asked at 0 for its number of outputs.
      {"a stitching function without a Range",
       "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] /Function << /FunctionType 3 /Domain [0 1] "
       "/Functions [<< /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >>] /Bounds [] /Encode [0 1] >> >>",
       "255,0,0 170,0,85 85,0,170 0,0,255 "},
      {"grey",
       "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 1 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>",
       "0,0,0 255,255,255 "},
      // A profile without Alternate is read by its number of channels, one and four included.
      {"one-channel ICC",
       "<< /ShadingType 2 /ColorSpace [/ICCBased 2 0 R] /Coords [0 0 1 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>",
       "0,0,0 255,255,255 ", "<< /N 1 >>"},
      {"four-channel ICC",
       "<< /ShadingType 2 /ColorSpace [/ICCBased 2 0 R] /Coords [0 0 1 0] "
       "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1] /N 1 >> >>",
       "255,255,255 145,143,143 35,31,32 ", "<< /N 4 >>", 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded l;
    l.pdf.Add("<< /PatternType 2 /Shading " + c.shading + " /Matrix [2 0 0 2 5 5] >>");
    if (!c.profile.empty()) l.pdf.AddStream(c.profile, "");
    TZRXPattern& p = l.Load();
    ASSERT_EQ(p.Kind, TZRXPattern::kAxial);
    if (c.converted != 0) {
      ASSERT_EQ(p.ColorCount(), c.converted);
      EXPECT_EQ(Samples(p), c.samples) << "first, halfway (rounded up), last";
    } else {
      EXPECT_EQ(Samples(p), c.samples);
    }
    EXPECT_EQ(p.GetMatrix(0), 2);
    EXPECT_EQ(p.GetMatrix(4), 5);
    EXPECT_EQ(p.GetMatrix(6), 0);
  }
  // The shading of the sh operator is a shading dictionary of its own.
  Loaded l;
  l.pdf.Add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [1 2 3 4] /Extend [true false] /Domain [0 1] "
            "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 1 1] /N 1 >> >>");
  TZRXPattern& p = l.Load();
  ASSERT_EQ(p.Kind, TZRXPattern::kAxial);
  EXPECT_EQ(p.GetCoords(3), 4);
  EXPECT_TRUE(p.GetExtend(0));
  EXPECT_FALSE(p.GetExtend(1));
  EXPECT_FALSE(p.GetExtend(2));
}

TEST(PatternLoad, WhatCannotBeDrawnStaysUnusable) {
  const char* fn = "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >>";
  const std::string cases[] = {
      // A radial shading, malformed axes and functions, an unknown space.
      std::string("<< /PatternType 2 /Shading << /ShadingType 3 /ColorSpace /DeviceRGB /Coords [0 0 0 1 1 1] ") + fn +
          " >> >>",
      std::string("<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1] ") + fn +
          " >> >>",
      "<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] /Function 5 >> >>",
      std::string("<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /Lab /Coords [0 0 1 0] ") + fn + " >> >>",
      "<< /PatternType 7 >>",
      // Functions of two inputs, or of more outputs than the space has components.
      std::string("<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] "
                  "/Function << /FunctionType 2 /Domain [0 1 0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >> >>"),
      std::string("<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] "
                  "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] /C1 [0 0 1 0] /N 1 >> >> >>"),
      // A box that is no box, a tiling type that is none.
      "<< /PatternType 1 /PaintType 1 /TilingType 1.5 /BBox [0 0 10 10] >>",
      "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10] >>",
      "<< /PatternType 1 /PaintType 1 /TilingType 4 /BBox [0 0 10 10] >>",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    Loaded l;
    l.pdf.Add(text);
    EXPECT_EQ(l.Load().Kind, TZRXPattern::kUnusable);
  }
  // Tiling cells of no size are tiling patterns still (the renderer makes no image of them).
  for (const char* text : {"<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 0 10] /XStep 5 /YStep 5 >>",
                           "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 0 /YStep 5 >>",
                           "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 5 /YStep 0 >>"}) {
    SCOPED_TRACE(text);
    Loaded l;
    l.pdf.Add(text);
    EXPECT_EQ(l.Load().Kind, TZRXPattern::kTiling);
  }
}

TEST(PatternLoad, TilingCellsAreNormalised) {
  Loaded l;
  l.pdf.AddStream("<< /PatternType 1 /PaintType 1 /TilingType 2 /BBox [10 20 0 0] /Matrix [1 2 3] >>", "");
  TZRXPattern& p = l.Load();
  ASSERT_EQ(p.Kind, TZRXPattern::kTiling);
  EXPECT_EQ(p.GetBBox(0), 0);
  EXPECT_EQ(p.GetBBox(1), 0);
  EXPECT_EQ(p.GetBBox(2), 10);
  EXPECT_EQ(p.GetBBox(3), 20);
  EXPECT_EQ(p.GetStep(0), 10);
  EXPECT_EQ(p.GetStep(1), 20);
  EXPECT_EQ(p.GetStep(2), 1.0);
  EXPECT_EQ(p.GetMatrix(0), 1);  // a matrix of three numbers is not taken
  EXPECT_EQ(p.GetMatrix(3), 1);
  // Negative steps are steps.
  Loaded n;
  n.pdf.AddStream("<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 4 4] /XStep -4 /YStep 6 >>", "");
  EXPECT_EQ(n.Load().Kind, TZRXPattern::kTiling);
  EXPECT_EQ(n.pattern.GetStep(0), -4);
}

// The number of a dictionary entry (or of an array item) as the written text gives it.
double WrittenNumber(TPDFDictionary* dict, const char* key, int item = -1) {
  TPDFObject* value = dict->GetValue(key);
  if (auto* array = PDFCast<TPDFArray>(value)) value = array->GetItem(item);
  std::string text;
  value->WriteToString(text);
  return std::stod(text);
}

// A bitmap brush of 2 x 1 pixels (red, blue) as a tiling pattern.
TEST(BitmapPattern, WritesOneCellOfTheBitmap) {
  struct Case {
    const char* name;
    std::array<double, 6> matrix;
    double pixel;  // the written pattern's length of one bitmap pixel in the default space
  } cases[] = {
      {"fixed scale", TPDFPattern::kDefaultMatrix, 0.00072},
      {"a device pixel of a 304-pixel picture", {1 / 304.0, 0, 0, 1 / 304.0, 0.25, 1}, 1 / 304.0},
      {"of a 5000-pixel picture", {1 / 5000.0, 0, 0, 1 / 5000.0, 0, 0}, 1 / 5000.0},
      {"whole units", {2, 0, 0, 2, 0, 0}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPDFStructure store;
    int next = 1;
    std::map<int, TPDFObject*> made;
    store.OnMakeIndirect = [&](TPDFObject* obj, int& num, int& gen) {
      num = next++;
      gen = 0;
      made[num] = obj;
    };
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(2, 1);
    bitmap.ScanLine(0)[0] = 0, bitmap.ScanLine(0)[1] = 0, bitmap.ScanLine(0)[2] = 255;
    bitmap.ScanLine(0)[3] = 255, bitmap.ScanLine(0)[4] = 0, bitmap.ScanLine(0)[5] = 0;
    TPDFPattern pattern(&store, "ZRXP00000001");
    ASSERT_TRUE(pattern.WriteBitmapPattern(bitmap, c.matrix));
    ASSERT_NE(pattern.Ref, nullptr);
    auto* stream = PDFCast<TPDFStream>(made.at(pattern.Ref->TargetNumber()));
    ASSERT_NE(stream, nullptr);
    TPDFDictionary* dict = stream->Dictionary();
    std::string text;
    dict->WriteToString(text);
    for (const char* key : {"/Type /Pattern", "/PatternType 1", "/PaintType 1", "/TilingType 1", "/ProcSet"})
      EXPECT_NE(text.find(key), std::string::npos) << key << " in " << text;
    // What the written numbers give: the cell is the bitmap, a pixel the asked length.
    const double xStep = WrittenNumber(dict, "XStep"), yStep = WrittenNumber(dict, "YStep");
    EXPECT_EQ(WrittenNumber(dict, "BBox", 2), xStep);
    EXPECT_EQ(WrittenNumber(dict, "BBox", 3), yStep);
    EXPECT_NEAR(xStep * WrittenNumber(dict, "Matrix", 0) / 2, c.pixel, c.pixel * 1e-4);
    EXPECT_NEAR(yStep * WrittenNumber(dict, "Matrix", 3), c.pixel, c.pixel * 1e-4);
    EXPECT_EQ(WrittenNumber(dict, "Matrix", 4), c.matrix[4]);
    EXPECT_EQ(WrittenNumber(dict, "Matrix", 5), c.matrix[5]);
    // The content paints the image over the cell, as an inline image of 6 bytes (red, blue).
    const std::string cell = FormatPDFNumber(xStep, 4) + " 0 0 " + FormatPDFNumber(yStep, 4) + " 0 0 cm";
    const std::string head = "q \r\n" + cell + "\r\nBI\r\n/BPC 8\r\n/H 1\r\n/W 2\r\n/CS /RGB\r\n/F /Fl\r\nID\r";
    const std::string tail = "\r\nEI\r\nQ\r\n";
    const std::string& data = stream->Data();
    ASSERT_GT(data.size(), head.size() + tail.size());
    EXPECT_EQ(data.substr(0, head.size()), head);
    EXPECT_EQ(data.substr(data.size() - tail.size()), tail);
    std::string pixels;
    FlateDecompressBuffer(data.substr(head.size(), data.size() - head.size() - tail.size()), pixels);
    EXPECT_EQ(pixels, std::string("\xFF\x00\x00\x00\x00\xFF", 6));
    EXPECT_EQ(made.size(), 1u) << "the pattern stream alone";
  }
  // Without indirect objects the cell holds an inline image, and there is no reference.
  TPDFStructure inlineStore;
  TBitmap one;
  one.SetPixelFormat(pf24bit);
  one.SetSize(2, 1);
  TPDFPattern inlined(&inlineStore, "ZRXP00000002");
  EXPECT_TRUE(inlined.WriteBitmapPattern(one));
  EXPECT_EQ(inlined.Ref, nullptr);
  // A bitmap without pixels makes no pattern.
  TPDFStructure store;
  TBitmap empty;
  TPDFPattern none(&store, "ZRXP00000003");
  EXPECT_FALSE(none.WriteBitmapPattern(empty));
}

}  // namespace
