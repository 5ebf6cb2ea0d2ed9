// The footprint of real image files through the library: pictures of 4 x 4 solid cells made
// by Pillow give the cell colours back, in every format the import reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <tuple>

#include "app/footprint.h"
#include "app/footprint_analysis.h"
#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/strings.h"
#include "tests/app/support/quadrants_wmf.h"
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

// The largest difference between two footprints' colour values.
int Farthest(const TFootprint& a, const TFootprint& b) {
  int worst = 0;
  for (size_t i = 0; i < a.ColourDistribution.size(); ++i)
    worst = std::max(worst, std::abs(a.ColourDistribution[i] - b.ColourDistribution[i]));
  return worst;
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
    AnalyseFootprint(file, f, TUnreadable::Raises);
    ASSERT_TRUE(f.Loaded) << name;
    EXPECT_EQ(f.Width, 64) << name;
    EXPECT_EQ(f.Height, 48) << name;
    EXPECT_EQ(f.Orientation, "L");
    EXPECT_EQ(f.ColourDistribution, ExpectedGrid()) << name << ": " << PropertyString(f);
    EXPECT_EQ(f.ColourClass, "CO") << name;
  }
}

// A file the library cannot read is a candidate that never matches and a master whose error
// reaches the caller, naming the file.
TEST(AnalysisRoad, UnreadableFilesGiveTheEmptyFootprintOrTheError) {
  testsupport::TempDir dir;
  PixelsSquare = 4;
  CellSize = 1;
  testsupport::WriteFile(dir.File("bad.jpg"), "not a picture at all");
  testsupport::WriteFile(dir.File("empty.png"), "");
  testsupport::WriteFile(dir.File("cut.bmp"), std::string("BM\x40\0\0\0\0\0\0\0\x36\0\0\0", 14));
  testsupport::WriteFile(dir.File("bad.ico"), "an icon this is not");
  for (const char* name : {"bad.jpg", "empty.png", "cut.bmp", "missing.gif", "bad.ico"}) {
    TFootprint f;
    f.Width = 99;
    AnalyseFootprint(dir.File(name), f, TUnreadable::LeavesEmptyFootprint);
    EXPECT_FALSE(f.Loaded) << name;
    EXPECT_EQ(f.Width, 0);
    EXPECT_EQ(f.Orientation, "");
    EXPECT_EQ(f.ColourClass, "");
    for (int32_t v : f.ColourDistribution) EXPECT_EQ(v, 0);
    try {
      AnalyseFootprint(dir.File(name), f, TUnreadable::Raises);
      ADD_FAILURE() << name << " passed as a master";
    } catch (const EUnreadableImage& e) {
      EXPECT_NE(std::string(e.what()).find(dir.File(name)), std::string::npos) << e.what();
    }
  }
}


// A picture as large as its page at 72 dpi may be is measured whole; one whose page no raster
// can hold is not measured at all (never the corner of it that an earlier page would show).
TEST(AnalysisRoad, APictureItsPageCannotHoldIsNeverMeasuredInPart) {
  testsupport::TempDir dir;
  PixelsSquare = 4;
  CellSize = 1;
  const std::array<int32_t, kGridValues> quadrants = [] {
    std::array<int32_t, kGridValues> v{};
    const int cell[4][3] = {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}, {33, 33, 33}};
    for (int i = 0; i < 16; ++i) {
      const int q = (i / 8) * 2 + (i % 4) / 2;
      for (int k = 0; k < 3; ++k) v[size_t(3 * i + k)] = cell[q][k];
    }
    return v;
  }();
  testsupport::WriteFile(dir.File("small.wmf"), apptest::QuadrantsWmf(200));
  TFootprint f;
  AnalyseFootprint(dir.File("small.wmf"), f, TUnreadable::Raises);
  ASSERT_TRUE(f.Loaded);
  EXPECT_EQ(f.Width, 200);
  EXPECT_EQ(f.ColourDistribution, quadrants) << PropertyString(f);

  testsupport::WriteFile(dir.File("large.wmf"), apptest::QuadrantsWmf(20000));
  AnalyseFootprint(dir.File("large.wmf"), f, TUnreadable::LeavesEmptyFootprint);
  EXPECT_FALSE(f.Loaded) << PropertyString(f);
  EXPECT_EQ(f.Width, 0);
  try {
    AnalyseFootprint(dir.File("large.wmf"), f, TUnreadable::Raises);
    ADD_FAILURE() << "a master of 20,000 x 20,000 points was measured: " << PropertyString(f);
  } catch (const EUnreadableImage& e) {
    EXPECT_NE(std::string(e.what()).find("could not be rendered"), std::string::npos) << e.what();
  }
}

// A JPEG picture that carries its own profile has the footprint of the picture the canvas
// shows when it loads it with colour management (here written as a BMP file, which goes onto
// its page as it is): every sampled pixel of the page is the canvas's. Without its profile
// the same picture measures otherwise.
TEST(AnalysisRoad, APictureWithItsOwnProfileMeasuresAsTheCanvasShowsIt) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  PixelsSquare = 8;
  CellSize = 2;
  const std::string profile = testsupport::DataPath("icc/wide-gamut-gamma18.icc");
  testsupport::WriteFile(dir.File("make.py"),
                         "import sys\nfrom PIL import Image\n"
                         "im = Image.new('RGB', (96, 64))\n"
                         "im.putdata([(30 + x * 2, 20 + (x * y) % 200, 220 - y * 3) for y in range(64) for x in range(96)])\n"
                         "im.save(sys.argv[2], quality=92, icc_profile=open(sys.argv[1], 'rb').read())\n"
                         "im.save(sys.argv[3], quality=92)\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " '" + profile + "' " + dir.File("own.jpg") +
                             " " + dir.File("plain.jpg")),
            0);
  TBitmap shown;
  shown.SetPixelFormat(pf24bit);
  shown.SetSize(96, 64);
  {
    TGDIPlusSettings settings;
    InitDaubrixOptions(settings);
    settings.LibraryPath = FileNameToWide(testsupport::BinaryDir() + "/libvelmora-gdiplus.so");
    TPDFDaubrix canvas;
    canvas.Setup(&shown.Canvas(), settings);
    ASSERT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    TMemoryStream jpeg(testsupport::ReadFile(dir.File("own.jpg")));
    ASSERT_TRUE(canvas.DrawImageStream(jpeg, 1, 0, 0, 96, 64, true));
  }
  TMemoryStream bmp;
  shown.SaveToStream(bmp);
  testsupport::WriteFile(dir.File("shown.bmp"), bmp.DataString());
  TFootprint own, asShown, plain;
  AnalyseFootprint(dir.File("own.jpg"), own, TUnreadable::Raises);
  AnalyseFootprint(dir.File("shown.bmp"), asShown, TUnreadable::Raises);
  AnalyseFootprint(dir.File("plain.jpg"), plain, TUnreadable::Raises);
  ASSERT_TRUE(own.Loaded && asShown.Loaded && plain.Loaded);
  EXPECT_EQ(own.Width, asShown.Width);
  EXPECT_EQ(own.Height, asShown.Height);
  EXPECT_EQ(own.ColourDistribution, asShown.ColourDistribution) << PropertyString(own) << "\n" << PropertyString(asShown);
  EXPECT_EQ(own.ColourClass, asShown.ColourClass);
  EXPECT_NE(own.ColourDistribution, plain.ColourDistribution) << "the profile should change the footprint";
}

// Honest files whose layout the picture does not fill: a GIF screen of 2,100 x 2,100 with one
// frame of 300 x 300 (Pillow's, set at (1700, 1500)), and a TIFF page of 10,000 x 10 in tiles of
// 1,024 x 1,024 (libtiff's tiffcp). Each measures as the picture Pillow decodes from it, saved
// as PNG: the frame on a white screen, the tiled page as it is.
TEST(AnalysisRoad, LargeScreensAndTilesMeasureAsTheirPictures) {
  REQUIRE_TOOL("/usr/bin/python3");
  REQUIRE_TOOL("tiffcp");
  testsupport::TempDir dir;
  PixelsSquare = 8;
  CellSize = 2;
  testsupport::WriteFile(dir.File("make.py"), R"(import io, subprocess, sys
from PIL import Image
d = sys.argv[1]
frame = Image.new('RGB', (300, 300))
frame.putdata([((x * 255) // 299, (y * 255) // 299, 40 + (x // 30 + y // 30) % 2 * 150) for y in range(300) for x in range(300)])
b = io.BytesIO()
frame.quantize(64).save(b, 'GIF')
g = bytearray(b.getvalue())
g[6:10] = bytes([2100 & 255, 2100 >> 8, 2100 & 255, 2100 >> 8])
pos = 13 + (3 * (2 << (g[10] & 7)) if g[10] & 0x80 else 0)
while g[pos] == 0x21:
    pos += 2
    while g[pos]:
        pos += g[pos] + 1
    pos += 1
assert g[pos] == 0x2C
g[pos + 1:pos + 5] = bytes([1700 & 255, 1700 >> 8, 1500 & 255, 1500 >> 8])
open(d + '/large.gif', 'wb').write(g)
shown = Image.new('RGB', (2100, 2100), (255, 255, 255))
shown.paste(Image.open(io.BytesIO(b.getvalue())).convert('RGB'), (1700, 1500))
shown.save(d + '/large.png')
wide = Image.new('RGB', (10000, 10))
wide.putdata([((x * 255) // 9999, 25 * y, (x // 700) % 2 * 200) for y in range(10) for x in range(10000)])
wide.save(d + '/wide_strips.tif')
subprocess.run(['tiffcp', '-c', 'lzw', '-t', '-w', '1024', '-l', '1024', d + '/wide_strips.tif', d + '/wide.tif'], check=True)
Image.open(d + '/wide.tif').convert('RGB').save(d + '/wide.png')
)");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " " + dir.File("")), 0);
  ASSERT_LT(testsupport::ReadFile(dir.File("large.gif")).size(), 20000u);
  for (const auto& [name, width, height] : {std::tuple<std::string, int, int>{"large", 2100, 2100}, {"wide", 10000, 10}}) {
    SCOPED_TRACE(name);
    TFootprint file, picture;
    AnalyseFootprint(dir.File(name + (name == "large" ? ".gif" : ".tif")), file, TUnreadable::Raises);
    AnalyseFootprint(dir.File(name + ".png"), picture, TUnreadable::Raises);
    ASSERT_TRUE(file.Loaded && picture.Loaded);
    EXPECT_EQ(file.Width, width);
    EXPECT_EQ(file.Height, height);
    EXPECT_EQ(file.ColourDistribution, picture.ColourDistribution)
        << PropertyString(file) << "\n" << PropertyString(picture);
    EXPECT_EQ(file.ColourClass, picture.ColourClass);
  }
}

// Tiled pages written by libtiff's tiffcp in every compression and tile size (one tile reaching
// past the page, one column or one row of tiles, a grid the page cuts at its right and bottom),
// from a picture whose samples do not compress: each measures as Pillow decodes the same file,
// and the lossless ones exactly as the same picture in strips. (JPEG tiles are coded and their
// colours smoothed tile by tile, so they are held to the file's own decode only, within a few
// points.)
TEST(AnalysisRoad, TiledPagesMeasureLikeTheSamePictureInStrips) {
  REQUIRE_TOOL("/usr/bin/python3");
  REQUIRE_TOOL("tiffcp");
  testsupport::TempDir dir;
  PixelsSquare = 16;
  CellSize = 4;
  testsupport::WriteFile(dir.File("make.py"), R"(import random, subprocess, sys
from PIL import Image
d = sys.argv[1]
def tiffcp(options, source, target):
    subprocess.run(['tiffcp'] + options + [source, target], check=True)
    Image.open(target).convert('RGB').save(target[:-4] + '.png')
for w, h in ((96, 32), (100, 60), (37, 131)):
    rnd = random.Random(w * h)
    im = Image.new('RGB', (w, h))
    noise = lambda v: max(0, min(255, v + rnd.randrange(-40, 41)))
    im.putdata([(noise(x * 255 // (w - 1)), noise(y * 255 // (h - 1)), noise(220 if 3 * x < w else 30))
                for y in range(h) for x in range(w)])
    base = '%s/%dx%d' % (d, w, h)
    im.save(base + '.tif')
    for c in ('none', 'lzw', 'zip', 'packbits', 'jpeg'):
        tiffcp(['-c', c, '-r', '16'], base + '.tif', '%s-%s-strips.tif' % (base, c))
        for t in ('16', '128', '256'):
            tiffcp(['-c', c, '-t', '-w', t, '-l', t], base + '.tif', '%s-%s-tiles%s.tif' % (base, c, t))
)");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " " + dir.File("")), 0);
  for (const auto& [w, h] : {std::pair<int, int>{96, 32}, {100, 60}, {37, 131}}) {
    for (const std::string c : {"none", "lzw", "zip", "packbits", "jpeg"}) {
      const std::string base = dir.File(std::to_string(w) + "x" + std::to_string(h) + "-" + c);
      TFootprint strips;
      for (const char* layout : {"strips", "tiles16", "tiles128", "tiles256"}) {
        const std::string file = base + "-" + layout;
        SCOPED_TRACE(file);
        TFootprint print, picture;
        AnalyseFootprint(file + ".tif", print, TUnreadable::Raises);
        AnalyseFootprint(file + ".png", picture, TUnreadable::Raises);
        ASSERT_TRUE(print.Loaded && picture.Loaded);
        EXPECT_EQ(print.Width, w);
        EXPECT_EQ(print.Height, h);
        EXPECT_EQ(print.ColourClass, picture.ColourClass);
        EXPECT_LE(Farthest(print, picture), c == "jpeg" ? 3 : 0) << PropertyString(print) << "\n" << PropertyString(picture);
        if (std::string(layout) == "strips") strips = print;
        if (c != "jpeg") {
          EXPECT_EQ(print.ColourDistribution, strips.ColourDistribution);
        }
      }
    }
  }
}
