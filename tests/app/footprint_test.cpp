// Footprint values, the property string and the master's bounds.
#include <gtest/gtest.h>

#include <limits>

#include "app/footprint.h"

using namespace Tarnwick1;

TEST(Footprint, AspectRatioText) {
  struct Case {
    int w, h;
    const char* text;
  } cases[] = {
      {640, 480, "1.330"},   {1920, 1080, "1.780"},  {300, 300, "1.000"},    {480, 640, "0.750"},
      {1080, 1920, "0.563"}, {9, 8, "1.130"},        {2499, 250, "10.000"},  {2469, 200, "12.300"},
      {9996, 100, "100.000"}, {1234, 10, "123.000"}, {9996, 10, "1000.000"}, {2469, 2, "1234.500"},
      {40000, 1, "40000.000"}, {0, 5, "0.000"},      {9996, 10000, "1.000"}, {1, 3000, "0.000"},
      {1, 2000, "0.001"},    {2, 3, "0.667"},        {5, 0, "0.000"},
      {2147483647, 1, "2147483647.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatAspectRatio(c.w, c.h), c.text) << c.w << "/" << c.h;
}

TEST(Footprint, SizeOrientationAndType) {
  struct Case {
    int w, h;
    const char* orientation;
    double pixels;
  } cases[] = {{640, 480, "L", 307200}, {480, 640, "P", 307200}, {300, 300, "Q", 90000}, {0, 0, "", 0},
               {16384, 16384, "Q", 268435456.0},
               // Past the 32-bit product: 2^31 pixels, not a negative count.
               {65536, 32768, "L", 2147483648.0}, {2147483647, 2, "L", 4294967294.0}};
  for (const auto& c : cases) {
    TFootprint f;
    SetFootprintSize(f, c.w, c.h);
    EXPECT_EQ(f.Orientation, c.orientation) << c.w << "x" << c.h;
    EXPECT_EQ(f.NumberOfPixels, c.pixels);
    EXPECT_EQ(f.AspectRatio, c.h ? double(c.w) / c.h : 0.0);
  }
  EXPECT_EQ(ImageTypeOf("/a/b/photo.Jpg"), ".JPG");
  EXPECT_EQ(ImageTypeOf("/a/b.dir/photo.tiff"), ".TIFF");
  EXPECT_EQ(ImageTypeOf("/a/b.dir/noext"), "");
  EXPECT_EQ(ImageTypeOf("/a/x.jpeg"), ".JPEG");
}

TEST(Footprint, PropertyString) {
  TFootprint f;
  SetFootprintSize(f, 640, 480);
  f.ImageType = ".JPG";
  for (int i = 0; i < kGridValues; ++i) f.ColourDistribution[size_t(i)] = i % 3 == 0 ? 33 : i % 3 == 1 ? 33 : 34;
  f.ColourDistribution[45] = 40;
  f.ColourDistribution[46] = 35;
  f.ColourDistribution[47] = 25;
  f.ColourClass = "CO";
  std::string grid;
  for (int i = 0; i < 15; ++i) grid += "-33-33-34";
  EXPECT_EQ(PropertyString(f), "640 - 480 - 1.330 - L - 307200 - .JPG" + grid + "-40-35-25 - CO");

  // An image the library could not read.
  TFootprint none;
  none.ImageType = ".PNG";
  std::string zeros;
  for (int i = 0; i < kGridValues; ++i) zeros += "-0";
  EXPECT_EQ(PropertyString(none), "0 - 0 - 0.000 -  - 0 - .PNG" + zeros + " - ");
}

TEST(Footprint, BoundsOfTheMaster) {
  TFootprint m;
  SetFootprintSize(m, 640, 480);
  m.ColourDistribution[0] = 33;
  m.ColourDistribution[1] = 0;
  TMasterBounds b = ComputeBounds(m, 0.75);
  EXPECT_EQ(b.Width.Min, 480);
  EXPECT_EQ(b.Width.Max, 853);
  EXPECT_EQ(b.Height.Min, 360);
  EXPECT_EQ(b.Height.Max, 640);
  EXPECT_DOUBLE_EQ(b.Ratio.Min, 640.0 / 480 * 0.75);
  EXPECT_DOUBLE_EQ(b.Ratio.Max, 640.0 / 480 / 0.75);
  EXPECT_DOUBLE_EQ(b.Pixels.Min, 230400);
  EXPECT_DOUBLE_EQ(b.Pixels.Max, 409600);
  EXPECT_DOUBLE_EQ(b.Colour[0].Min, 24.75);
  EXPECT_DOUBLE_EQ(b.Colour[0].Max, 44);
  EXPECT_EQ(b.Colour[1].Min, 0);  // a value of 0 must be met exactly
  EXPECT_EQ(b.Colour[1].Max, 0);

  // Halves of the integer bounds go to the even neighbour: 5 * 0.5 = 2.5 -> 2, 7 * 0.5 -> 4.
  SetFootprintSize(m, 5, 7);
  b = ComputeBounds(m, 0.5);
  EXPECT_EQ(b.Width.Min, 2);
  EXPECT_EQ(b.Height.Min, 4);
  EXPECT_EQ(b.Width.Max, 10);

  // Precision 0: no maximum, so every range holds.
  b = ComputeBounds(m, 0);
  EXPECT_EQ(b.Width.Min, 0);
  EXPECT_TRUE(b.Width.Contains(std::numeric_limits<int32_t>::max()));
  EXPECT_TRUE(b.Pixels.Contains(1e18));
  EXPECT_TRUE(b.Colour[5].Contains(100));

  // Precision 100: the bounds are the values themselves.
  b = ComputeBounds(m, 1.0);
  EXPECT_TRUE(b.Width.Contains(5));
  EXPECT_FALSE(b.Width.Contains(4));
  EXPECT_FALSE(b.Width.Contains(6));
}
