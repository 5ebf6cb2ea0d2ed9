// The footprint of real image files through the library: pictures of 4 x 4 solid cells made
// by Pillow give the cell colours back, in every format the import reads.
#include <gtest/gtest.h>

#include "app/footprint.h"
#include "app/footprint_analysis.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;

namespace {

// The cell colours, row-major: chosen so that the expected values need no rounding luck.
const int kCells[16][3] = {
    {255, 0, 0},   {0, 255, 0},     {0, 0, 255},     {255, 255, 255}, {0, 0, 0},     {128, 128, 128},
    {200, 100, 0}, {10, 10, 235},   {255, 255, 0},   {0, 255, 255},   {255, 0, 255}, {60, 120, 180},
    {90, 30, 30},  {30, 90, 30},    {30, 30, 90},    {240, 240, 240},
};

// Cell values with PixelsSquare 4: one pixel per cell.
std::array<int32_t, kGridValues> ExpectedGrid() {
  std::array<int32_t, kGridValues> v{};
  const int expected[16][3] = {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}, {33, 33, 33}, {33, 33, 33}, {33, 33, 33},
                               {67, 33, 0}, {24, 24, 53}, {50, 50, 0}, {0, 50, 50}, {50, 0, 50}, {11, 33, 56},
                               {60, 20, 20}, {20, 60, 20}, {20, 20, 60}, {33, 33, 33}};
  for (int c = 0; c < 16; ++c)
    for (int k = 0; k < 3; ++k) v[size_t(3 * c + k)] = expected[c][k];
  return v;
}

std::string MakeCells(const testsupport::TempDir& dir, const std::string& name, int w, int h) {
  std::string colours;
  for (const auto& c : kCells) colours += "(" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," +
                                          std::to_string(c[2]) + "),";
  const std::string path = dir.File(name);
  const std::string script =
      "from PIL import Image\n"
      "w, h = " + std::to_string(w) + ", " + std::to_string(h) + "\n"
      "cells = [" + colours + "]\n"
      "im = Image.new('RGB', (w, h))\n"
      "px = im.load()\n"
      "for y in range(h):\n"
      "  for x in range(w):\n"
      "    px[x, y] = cells[(y * 4 // h) * 4 + x * 4 // w]\n"
      "im.save('" + path + "', quality=98, subsampling=0) if '" + name + "'.lower().endswith('jpg') else im.save('" + path + "')\n";
  testsupport::WriteFile(dir.File("make.py"), script);
  EXPECT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  return path;
}

}  // namespace

TEST(AnalysisRoad, SolidCellsComeBackInEveryFormat) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  PixelsSquare = 4;
  CellSize = 1;
  for (const char* name : {"cells.bmp", "cells.png", "cells.jpg"}) {
    const std::string file = MakeCells(dir, name, 64, 48);
    TFootprint f;
    AnalyseFootprint(file, f);
    ASSERT_TRUE(f.Loaded) << name;
    EXPECT_EQ(f.Width, 64) << name;
    EXPECT_EQ(f.Height, 48) << name;
    EXPECT_EQ(f.Orientation, "L");
    EXPECT_EQ(f.ColourDistribution, ExpectedGrid()) << name << ": " << PropertyString(f);
    EXPECT_EQ(f.ColourClass, "CO") << name;
  }
}

TEST(AnalysisRoad, UnreadableFilesGiveTheEmptyFootprint) {
  testsupport::TempDir dir;
  PixelsSquare = 4;
  CellSize = 1;
  testsupport::WriteFile(dir.File("bad.jpg"), "not a picture at all");
  testsupport::WriteFile(dir.File("empty.png"), "");
  testsupport::WriteFile(dir.File("cut.bmp"), std::string("BM\x40\0\0\0\0\0\0\0\x36\0\0\0", 14));
  for (const char* name : {"bad.jpg", "empty.png", "cut.bmp", "missing.gif", "bad.ico"}) {
    TFootprint f;
    f.Width = 99;
    AnalyseFootprint(dir.File(name), f);
    EXPECT_FALSE(f.Loaded) << name;
    EXPECT_EQ(f.Width, 0);
    EXPECT_EQ(f.Orientation, "");
    EXPECT_EQ(f.ColourClass, "");
    for (int32_t v : f.ColourDistribution) EXPECT_EQ(v, 0);
  }
}
