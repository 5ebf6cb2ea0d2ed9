// Colour management on load: a picture with an embedded profile, loaded with colour management,
// comes out in sRGB as LittleCMS's tificc converts the same picture; loaded without it, as
// stored. The profile is a wide-gamut, gamma 1.8 one, far enough from sRGB to tell.
#include "tests/platform/gdiplus/provider.h"

namespace gptest {
namespace {

GpImage* Load(const std::string& path, bool icm) {
  MemoryStream stream(testsupport::ReadFile(path));
  GpImage* image = nullptr;
  const GpStatus st = icm ? GP(GdipLoadImageFromStreamICM)(&stream, &image) : GP(GdipLoadImageFromStream)(&stream, &image);
  EXPECT_EQ(st, Ok) << path;
  return image;
}

void ExpectNear(const Pixels& a, const Pixels& b, int tolerance, const std::string& what) {
  ASSERT_EQ(a.argb.size(), b.argb.size()) << what;
  int worst = 0;
  for (size_t i = 0; i < a.argb.size(); ++i)
    for (int s = 0; s < 24; s += 8)
      worst = std::max(worst, std::abs(int((a.argb[i] >> s) & 0xff) - int((b.argb[i] >> s) & 0xff)));
  EXPECT_LE(worst, tolerance) << what;
}

TEST(ColourManagement, EmbeddedProfilesConvertToSrgbAsTificcDoes) {
  REQUIRE_PIL();
  REQUIRE_TOOL("tificc");
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("wide.icc"), testsupport::ReadFile(testsupport::DataPath("icc/wide-gamut-gamma18.icc")));
  std::string out;
  ASSERT_EQ(RunPython(dir.path(),
                      "prof = open('wide.icc', 'rb').read()\n"
                      "im = Image.new('RGB', (16, 6))\n"
                      "for y in range(6):\n"
                      "    for x in range(16):\n"
                      "        im.putpixel((x, y), (x * 17, (y * 51) % 256, 255 - x * 13))\n"
                      "im.save('icc.png', icc_profile=prof)\n"
                      "im.save('icc.tif', compression=None, icc_profile=prof)\n"
                      "im.save('icc.jpg', quality=95, icc_profile=prof)\n"
                      "im.save('plain.png')\n"
                      "im.convert('RGBA').save('icc-alpha.png', icc_profile=prof)\n"
                      "im.quantize(16).save('icc-pal.png', icc_profile=prof)\n"
                      "im.quantize(16).save('pal.png')\n"
                      "im.save('bad.png', icc_profile=b'not a colour profile at all' * 8)\n",
                      &out),
            0)
      << out;
  ASSERT_EQ(testsupport::Run("cd '" + dir.path() + "' && tificc icc.tif srgb.tif"), 0);
  ASSERT_EQ(RunPython(dir.path(), "dump('srgb.tif'); dump('plain.png')\n"), 0);
  const Pixels expected = PillowPixels(dir.path(), "srgb.tif");
  const Pixels stored = PillowPixels(dir.path(), "plain.png");

  struct Case {
    const char* file;
    const Pixels* icm;  // the colours with colour management
    int tolerance;
  } cases[] = {{"icc.png", &expected, 1}, {"icc.tif", &expected, 1}, {"icc-alpha.png", &expected, 1}};
  for (const Case& c : cases) {
    GpImage* managed = Load(dir.File(c.file), true);
    GpImage* raw = Load(dir.File(c.file), false);
    ASSERT_TRUE(managed && raw) << c.file;
    ExpectNear(ReadPixels(managed), *c.icm, c.tolerance, std::string(c.file) + " managed");
    ExpectNear(ReadPixels(raw), stored, 0, std::string(c.file) + " as stored");
    GP(GdipDisposeImage)(managed);
    GP(GdipDisposeImage)(raw);
  }

  // A JPEG: its own stored pixels, converted by tificc, are the oracle.
  ASSERT_EQ(RunPython(dir.path(),
                      "prof = open('wide.icc', 'rb').read()\n"
                      "Image.open('icc.jpg').convert('RGB').save('jpg.tif', compression=None, icc_profile=prof)\n"),
            0);
  ASSERT_EQ(testsupport::Run("cd '" + dir.path() + "' && tificc jpg.tif jpg-srgb.tif"), 0);
  ASSERT_EQ(RunPython(dir.path(), "dump('jpg-srgb.tif')\n"), 0);
  GpImage* jpeg = Load(dir.File("icc.jpg"), true);
  ASSERT_NE(jpeg, nullptr);
  ExpectNear(ReadPixels(jpeg), PillowPixels(dir.path(), "jpg-srgb.tif"), 1, "icc.jpg managed");
  GP(GdipDisposeImage)(jpeg);

  // A palette picture converts its palette; a profile that does not open changes nothing.
  GpImage* pal = Load(dir.File("icc-pal.png"), true);
  GpImage* plainPal = Load(dir.File("pal.png"), true);
  ASSERT_TRUE(pal && plainPal);
  int changed = 0;
  const Pixels a = ReadPixels(pal), b = ReadPixels(plainPal);
  ASSERT_EQ(a.argb.size(), b.argb.size());
  for (size_t i = 0; i < a.argb.size(); ++i) changed += a.argb[i] != b.argb[i];
  EXPECT_GT(changed, int(a.argb.size()) / 2);
  GP(GdipDisposeImage)(pal);
  GP(GdipDisposeImage)(plainPal);
  GpImage* bad = Load(dir.File("bad.png"), true);
  ASSERT_NE(bad, nullptr);
  ExpectNear(ReadPixels(bad), stored, 0, "bad profile");
  GP(GdipDisposeImage)(bad);
}

}  // namespace
}  // namespace gptest
