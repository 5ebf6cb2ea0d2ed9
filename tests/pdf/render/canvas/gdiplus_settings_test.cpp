#include "pdf/render/canvas/gdiplus_settings.h"

#include <gtest/gtest.h>

#include <vector>

TEST(GDIPlusSettings, Defaults) {
  TGDIPlusSettings s;
  EXPECT_EQ(s, TGDIPlusSettings{});  // all zero until initialised
  EXPECT_TRUE(s.LibraryPath.empty());
  InitDaubrixOptions(s);
  EXPECT_EQ(s.LibraryPath, u"libvelmora-gdiplus.so");
  const uint8_t first[] = {s.SmoothPaths, s.UseGDIPlus, s.ReservedFlag, s.HighQualityImages, s.ClipWithPaths};
  const uint8_t middle[] = {s.SuppressBackgroundThread, s.ReuseLoadedGDIPlus, s.StartupPolicy};
  const uint8_t last[] = {s.DrawFormFields, s.DrawAnnotations, s.PolynomialCMYK, s.FormFieldsOnly,
                          s.HighQualityPaths};
  EXPECT_EQ(std::vector<uint8_t>(std::begin(first), std::end(first)), (std::vector<uint8_t>{1, 1, 1, 0, 1}));
  EXPECT_EQ(std::vector<uint8_t>(std::begin(middle), std::end(middle)), (std::vector<uint8_t>{1, 0, 1}));
  EXPECT_EQ(std::vector<uint8_t>(std::begin(last), std::end(last)), (std::vector<uint8_t>{1, 1, 1, 0, 0}));
  EXPECT_EQ(s.MonochromeThreshold, 0);
  EXPECT_EQ(s.ReservedNumber, 0);
  // A copy is a whole record with its own string.
  TGDIPlusSettings copy = s;
  copy.LibraryPath += u"x";
  EXPECT_EQ(s.LibraryPath, u"libvelmora-gdiplus.so");
}
