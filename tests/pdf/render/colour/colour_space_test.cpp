// Lab, Separation, DeviceN and Indexed spaces: loading, the colours and PostScript texts of tints,
// clamping, and the DeviceN cache.
#include <gtest/gtest.h>

#include <cmath>

#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/indexed_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "tests/pdf/render/support/render_test_pdf.h"

namespace {

using rendertest::TestPdf;

TPDFArray* ArrayOf(TestPdf& pdf, int n) { return PDFCast<TPDFArray>(pdf.Object(n)); }

TEST(LabColorSpace, LoadsWhitePointAndRange) {
  TestPdf pdf;
  pdf.Add("[/Lab << /WhitePoint [0.9642 1 0.8249] /Range [-50 60 -70 80] >>]");
  pdf.Add("[/Lab << /WhitePoint [0.9642 1] /Range [1 2 3] >>]");
  TPDFLabColorSpace lab;
  lab.Load(ArrayOf(pdf, 1));
  EXPECT_DOUBLE_EQ(lab.WhitePointX, 0.9642);
  EXPECT_DOUBLE_EQ(lab.WhitePointZ, 0.8249);
  EXPECT_EQ(lab.AMin, -50);
  EXPECT_EQ(lab.BMax, 80);
  EXPECT_DOUBLE_EQ(lab.DecodeA(255, 255), 60);
  EXPECT_DOUBLE_EQ(lab.DecodeB(0, 255), -70);
  // Samples of no levels (N 0) decode to the minimum, not to 0 / 0.
  EXPECT_DOUBLE_EQ(lab.DecodeA(0, 0), -50);
  EXPECT_DOUBLE_EQ(lab.DecodeB(1, 0), -70);
  TPDFLabColorSpace bad;
  bad.Load(ArrayOf(pdf, 2));
  EXPECT_EQ(bad.WhitePointX, 0);
  EXPECT_EQ(bad.AMin, -100);
  EXPECT_EQ(bad.BMax, 100);
}

TEST(LabColorSpace, ConvertsThroughTheManagerWithItsWhitePoint) {
  TestPdf pdf;
  pdf.Add("[/Lab << /WhitePoint [0.9505 1 1.089] >>]");
  TPDFLabColorSpace lab;
  lab.Load(ArrayOf(pdf, 1));
  TPDFSimpleColorManager manager;
  const COLORREF white = lab.ToColor(100, 0, 0, manager);
  EXPECT_GE(white & 0xFF, 0xFE);
  EXPECT_GE((white >> 8) & 0xFF, 0xFE);
  EXPECT_GE((white >> 16) & 0xFF, 0xFE);
  EXPECT_EQ(lab.ToColor(150, 0, 0, manager), white);  // L* beyond 100 is 100
  // The space's range -100..100 goes to the manager: a* -200 acts as -100.
  EXPECT_EQ(lab.ToColor(50, -200, 0, manager), lab.ToColor(50, -100, 0, manager));
  EXPECT_EQ(manager.AMin, -100);
  // A space without a white point hands the manager none: it falls back to its default.
  TPDFLabColorSpace unloaded;
  unloaded.ToColor(50, 0, 0, manager);
  EXPECT_DOUBLE_EQ(manager.WhitePointX, TPDFSimpleColorManager::kDefaultWhiteX);
}

TEST(SeparationColorSpace, CmykAlternateGivesCustomColourText) {
  TestPdf pdf;
  pdf.Add("[/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0.1 0.2 0.3 0.4] "
          "/N 1 >>]");
  TPDFSimpleColorManager manager;
  TPDFSeparationColorSpace sep(&manager);
  sep.Load(ArrayOf(pdf, 1), "/CS0");
  EXPECT_EQ(sep.ColorantName, "Spot");
  EXPECT_EQ(sep.AlternateName, "DeviceCMYK");
  EXPECT_EQ(sep.ResourceKey, "/CS0");
  sep.SetTint(0.5, false);
  EXPECT_EQ(sep.ColorText, "0.100 0.200 0.300 0.400 (Spot) findcmykcustomcolor 0.500 setcustomcolor");
  EXPECT_DOUBLE_EQ(sep.CMYK[0], 0.05);
  EXPECT_DOUBLE_EQ(sep.CMYK[3], 0.2);
  double r = 0, g = 0, b = 0;
  manager.CMYKToRGB(0.05, 0.1, 0.15, 0.2, r, g, b);
  EXPECT_EQ(sep.Color, manager.RGBToColor(r, g, b));
}

TEST(SeparationColorSpace, GreyAndRgbAlternatesAreClampedBeforeTheyBecomeColours) {
  TestPdf pdf;
  // Transforms that overshoot: grey 1.5 at full tint, RGB (1.2, -0.1, 0.5).
  pdf.Add("[/Separation /A /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1.5] /N 1 >>]");
  pdf.Add("[/Separation /B /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1.2 -0.1 0.5] /N 1 >>]");
  TPDFSimpleColorManager manager;
  TPDFSeparationColorSpace grey(&manager);
  grey.Load(ArrayOf(pdf, 1), "/A");
  grey.SetTint(1, false);
  EXPECT_EQ(grey.Color, 0xFFFFFFu);
  EXPECT_EQ(grey.ColorText, "1.000 1.000 1.000 setrgbcolor");
  grey.SetTint(0.5, true);
  EXPECT_EQ(grey.Color, 0xBFBFBFu);  // 0.75 x 255 = 191.25
  grey.SetTint(3, false);            // the transform's 4.5 is clamped
  EXPECT_EQ(grey.Color, 0xFFFFFFu);
  TPDFSeparationColorSpace rgb(&manager);
  rgb.Load(ArrayOf(pdf, 2), "/B");
  rgb.SetTint(1, false);
  EXPECT_EQ(rgb.Color, 0x8000FFu);
  EXPECT_EQ(rgb.ColorText, "1.000 0.000 0.500 setrgbcolor");
}

// Tints reach the tint transform as content gives them (a calculator does not clip them to its
// domain), and CMYK inks are kept as the transform gives them; only the packed colour is
// clamped.
TEST(SeparationColorSpace, TintsAndInksGoAsGiven) {
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", "{ 2 div }");
  pdf.Add("[/Separation /A /DeviceGray 1 0 R]");
  pdf.Add("[/Separation /K /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1.5] /N 1 >>]");
  pdf.AddStream("<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1] >>", "{ 2 div dup dup }");
  pdf.Add("[/DeviceN [/Spot] /DeviceRGB 4 0 R]");
  TPDFSimpleColorManager manager;
  TPDFSeparationColorSpace grey(&manager);
  grey.Load(ArrayOf(pdf, 2), "/A");
  grey.SetTint(1.5, false);
  EXPECT_EQ(grey.Color, 0xBFBFBFu);  // 0.75, not the 0.5 of a tint clamped to 1
  TPDFSeparationColorSpace black(&manager);
  black.Load(ArrayOf(pdf, 3), "/K");
  black.SetTint(1, false);
  EXPECT_DOUBLE_EQ(black.CMYK[3], 1.5);
  EXPECT_EQ(black.ColorText, "0.000 0.000 0.000 1.500 (K) findcmykcustomcolor 1.000 setcustomcolor");
  double r = 0, g = 0, b = 0;
  manager.CMYKToRGB(0, 0, 0, 1.5, r, g, b);
  EXPECT_EQ(black.Color, manager.RGBToColor(r, g, b));
  EXPECT_EQ(black.Color, 0x000000u);  // the polynomial's colour at k 1.5; k clamped to 1 is 231F20
  TPDFDeviceNColorSpace spot(&manager);
  spot.Load(ArrayOf(pdf, 5), "/N");
  spot.SetTints({1.5}, false);
  EXPECT_EQ(spot.Color, 0xBFBFBFu);
  EXPECT_EQ(spot.CacheKeys, std::vector<std::string>{"1.500 "});
}

TEST(SeparationColorSpace, UnusableSpacesAreBlackWithTheFallbackText) {
  TestPdf pdf;
  pdf.Add("[/Separation /A /DeviceRGB]");
  pdf.Add("[/Separation /A /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>]");
  pdf.Add("[/Separation /A /DeviceRGB << /FunctionType 2 /Domain [0 1 0 1] /C0 [0 0 0] /C1 [1 1 1] /N 1 >>]");
  pdf.Add("[/Separation /A [/ICCBased 5 0 R] << /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 1 1] /N 1 >>]");
  pdf.AddStream("<< /N 3 >>", "profile");
  TPDFSimpleColorManager manager;
  for (int n = 1; n <= 3; ++n) {
    TPDFSeparationColorSpace sep(&manager);
    sep.Load(ArrayOf(pdf, n), "/X");
    sep.SetTint(1, false);
    EXPECT_EQ(sep.Color, 0u) << n;
    EXPECT_EQ(sep.ColorText, "0.5 setgray") << n;
  }
  TPDFSeparationColorSpace icc(&manager);
  icc.Load(ArrayOf(pdf, 4), "/X");
  EXPECT_EQ(icc.AlternateName, "DeviceRGB");
  icc.SetTint(1, false);
  EXPECT_EQ(icc.Color, 0xFFFFFFu);
}

TEST(SeparationColorSpace, LabAlternateUsesItsOwnWhitePoint) {
  TestPdf pdf;
  pdf.Add("[/Separation /L [/Lab << /WhitePoint [0.9642 1 0.8249] >>] "
          "<< /FunctionType 2 /Domain [0 1] /C0 [100 0 0] /C1 [50 40 -30] /N 1 >>]");
  TPDFSimpleColorManager manager;
  TPDFSeparationColorSpace sep(&manager);
  sep.Load(ArrayOf(pdf, 1), "/L");
  ASSERT_TRUE(sep.Lab);
  sep.SetTint(1, false);
  TPDFLabColorSpace expected;
  expected.Load(PDFCast<TPDFArray>(ArrayOf(pdf, 1)->GetItem(2)));
  TPDFSimpleColorManager other;
  EXPECT_EQ(sep.Color, expected.ToColor(50, 40, -30, other));
  EXPECT_TRUE(sep.ColorText.ends_with("setrgbcolor"));
}

TEST(DeviceNColorSpace, LoadsColorantsAndConvertsCmyk) {
  TestPdf pdf;
  pdf.AddStream("<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1] >>", "{ 0 0 }");
  pdf.Add("[/DeviceN [/Cyan /Spot] /DeviceCMYK 1 0 R]");
  TPDFSimpleColorManager manager;
  TPDFDeviceNColorSpace devn(&manager);
  devn.Load(ArrayOf(pdf, 2), "/N0");
  EXPECT_EQ(devn.ComponentCount, 2);
  EXPECT_EQ(devn.ColorantText, "[Cyan,Spot]");
  devn.SetTints({0.25, 0.75}, false);
  EXPECT_EQ(devn.ColorText, "0.250 0.750 0.000 0.000 ([Cyan,Spot]) findcmykcustomcolor 0.250 0.750 setcustomcolor");
  double r = 0, g = 0, b = 0;
  manager.CMYKToRGB(0.25, 0.75, 0, 0, r, g, b);
  EXPECT_EQ(devn.Color, manager.RGBToColor(r, g, b));
  // Two colorants never use the cache.
  EXPECT_TRUE(devn.CacheKeys.empty());
  // A tint count the transform does not take gives black.
  devn.SetTints({0.5}, false);
  EXPECT_EQ(devn.Color, 0u);
  EXPECT_EQ(devn.ColorText, "0.5 setgray");
}

TEST(DeviceNColorSpace, OneColorantRemembersItsColoursWithinALimit) {
  TestPdf pdf;
  pdf.Add("[/DeviceN [/Spot] /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 0 1] /N 1 >>]");
  TPDFSimpleColorManager manager;
  TPDFDeviceNColorSpace devn(&manager);
  devn.Load(ArrayOf(pdf, 1), "/N1");
  devn.SetTints({1}, false);
  EXPECT_EQ(devn.Color, 0xFF0000u);
  devn.SetTints({1}, false);
  EXPECT_EQ(devn.CacheKeys.size(), 1u);
  devn.SetTints({0}, false);
  EXPECT_EQ(devn.Color, 0xFFFFFFu);
  for (int i = 0; i < 10000; ++i) devn.SetTints({i / 10000.0}, true);
  EXPECT_LE(devn.CacheKeys.size(), TPDFDeviceNColorSpace::kCacheLimit);
}

// A table is read within its own bytes and at most 256 entries whatever its high value says,
// and a space that names itself through its base ends (its colours black).
TEST(IndexedColorSpace, TablesStayWithinTheirBytesAndTheirNesting) {
  TestPdf pdf;
  pdf.Add("[/Indexed /DeviceRGB 1000000000 <FF0000>]");
  pdf.Add("[/Indexed [/Separation /S 2 0 R << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>] 1 <00FF>]");
  pdf.Add("[/Separation /S 3 0 R << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>]");
  pdf.Add("[/Indexed /DeviceRGB 2 5 0 R]");
  pdf.AddStream("<< >>", std::string("\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00", 9));
  TPDFSimpleColorManager manager;
  TPDFIndexedColorSpace big(&manager);
  big.Load(ArrayOf(pdf, 1));
  EXPECT_EQ(big.EntryCount(), TPDFIndexedColorSpace::kMaxEntries);
  big.SetIndex(0, false);
  EXPECT_EQ(big.Color, 0x0000FFu);
  EXPECT_EQ(big.ColorText, "1.000 0.000 0.000 setrgbcolor");
  for (double index : {1.0, 255.0, 1e12}) {
    big.SetIndex(index, true);
    EXPECT_EQ(big.Color, 0u) << index;  // bytes the table lacks read as 0
  }
  for (double index : {-3.0, std::nan("")}) {
    big.SetIndex(index, true);
    EXPECT_EQ(big.Color, 0x0000FFu) << index;
  }
  TPDFIndexedColorSpace looped(&manager);
  looped.Load(ArrayOf(pdf, 2));
  looped.SetIndex(1, true);
  EXPECT_EQ(looped.Color, 0u);
  TPDFSeparationColorSpace spot(&manager);
  spot.Load(ArrayOf(pdf, 3), "/S");
  spot.SetTint(1, false);
  EXPECT_EQ(spot.Color, 0u);
  // A table in a stream; entries past the high value take the last one.
  TPDFIndexedColorSpace streamed(&manager);
  streamed.Load(ArrayOf(pdf, 4));
  streamed.SetIndex(2, true);
  EXPECT_EQ(streamed.Color, 0x0000FFu);
  streamed.SetIndex(7, true);
  EXPECT_EQ(streamed.Color, 0x0000FFu);
  streamed.SetIndex(1, true);
  EXPECT_EQ(streamed.Color, 0x00FF00u);
}

}  // namespace
