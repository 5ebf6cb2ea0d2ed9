// JPEG pictures that carry their own ICC profile. Only drawn, pixel for pixel, they wait for
// their drawing and go onto the page a band of rows at a time; decoded whole or in bands they
// come out as the canvas shows them when it loads the picture with colour management (every
// pixel the same), and as Pillow's ImageCms converts Pillow's decode of them.
#include <gtest/gtest.h>

#include <sstream>

#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace imgtest;
using canvastest::Pixel;

namespace {

// Writes the test profiles into the folder (see make_icc_profiles.py).
void MakeProfiles(const testsupport::TempDir& dir) {
  ASSERT_EQ(testsupport::Run(imagetest::PilPython() + " " + testsupport::SourceDir() +
                             "/tests/support/make_icc_profiles.py '" + dir.path() + "'"),
            0);
}

struct ProfiledJpeg {
  std::string bytes;
  std::vector<uint32_t> stored;  // Pillow's decode, 0x00RRGGBB
  std::vector<uint32_t> srgb;    // the same converted from the profile to sRGB by ImageCms
};

// A photograph-like picture in the mode ("RGB", "L" or "CMYK") saved by Pillow with the profile
// embedded (none for an empty name); a grey picture under an RGB profile is converted as the
// RGB picture of its levels.
ProfiledJpeg MakeJpeg(const testsupport::TempDir& dir, const std::string& mode, const std::string& profile, int w,
                      int h, bool progressive = false) {
  const std::string script = R"(
from PIL import ImageCms
mode, profile, w, h, progressive, path = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5] == '1', sys.argv[6]
im = Image.new('RGB', (w, h))
im.putdata([(40 + (x * 180) // w + (x * y) % 7, 30 + (y * 200) // h, 200 - (x * 150) // w + ((x ^ y) & 15))
            for y in range(h) for x in range(w)])
im = im.convert(mode)
extra = {'icc_profile': open(profile, 'rb').read()} if profile else {}
im.save(path, quality=90, progressive=progressive, **extra)
back = Image.open(path)
print(' '.join('%02x%02x%02x' % p for p in back.convert('RGB').getdata()))
if profile and mode != 'CMYK':
    source = ImageCms.ImageCmsProfile(profile)
    if back.mode == 'L' and source.profile.xcolor_space.strip() == 'RGB':
        back = back.convert('RGB')
    srgb = ImageCms.profileToProfile(back, source, ImageCms.createProfile('sRGB'), outputMode='RGB')
    print(' '.join('%02x%02x%02x' % p for p in srgb.getdata()))
)";
  const std::string path = dir.File("p" + std::to_string(w) + mode + std::to_string(progressive) + ".jpg");
  std::istringstream out(imagetest::RunPython(
      script, {mode, profile, std::to_string(w), std::to_string(h), progressive ? "1" : "0", path}));
  ProfiledJpeg j;
  j.stored = HexPixelLine(out);
  j.srgb = HexPixelLine(out);
  j.bytes = testsupport::ReadFile(path);
  return j;
}

std::string Dictionary(int w, int h, const std::string& space, const std::string& extra = "") {
  return "<< /Width " + std::to_string(w) + " /Height " + std::to_string(h) + " /BitsPerComponent 8 /ColorSpace " +
         space + " /Filter /DCTDecode" + extra + " >>";
}

bool Waits(const TPDFImageDecoder& d) { return d.Bitmap == nullptr || d.Bitmap->Empty(); }

// How the canvas shows the picture when it loads it with colour management: drawn onto a
// bitmap of its size.
std::unique_ptr<TBitmap> CanvasRoad(const std::string& jpeg, int w, int h) {
  auto bitmap = canvastest::WhiteBitmap(w, h);
  TPDFDaubrix canvas;
  canvas.Setup(&bitmap->Canvas(), canvastest::SettingsFor(canvastest::ProviderPath()));
  EXPECT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
  TMemoryStream source(jpeg);
  EXPECT_TRUE(canvas.DrawImageStream(source, 1, 0, 0, w, h, true));
  return bitmap;
}

// Pixels of `got` from (x0, y0) that differ from the reference's, the first few reported.
int Differing(TBitmap& got, int x0, int y0, TBitmap& reference) {
  int differing = 0;
  for (int y = 0; y < reference.Height(); ++y)
    for (int x = 0; x < reference.Width(); ++x)
      if (Pixel(got, x0 + x, y0 + y) != Pixel(reference, x, y) && ++differing < 4)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << Pixel(got, x0 + x, y0 + y) << " for "
                      << Pixel(reference, x, y);
  return differing;
}

class OwnProfile : public testing::TestWithParam<uint8_t> {};

}  // namespace

// Every pixel of the bands on the page, and of the whole decode, is the canvas's; the canvas's
// are ImageCms's conversion of the decoded picture.
TEST_P(OwnProfile, BandsAndTheWholeDecodeGiveTheCanvasPixels) {
  REQUIRE_IMAGE_TOOLS();
  testsupport::TempDir dir;
  MakeProfiles(dir);
  const std::string srgb = dir.File("srgb.icc"), adobe = dir.File("adobe-like.icc"),
                    grey = dir.File("grey-linear.icc"), p3 = dir.File("display-p3-like.icc"),
                    srgbByName = dir.File("srgb-by-name.icc");
  const struct {
    const char* name;
    std::string mode, profile, space;
    int width, height;
    bool progressive, moves;  // the profile changes the colours
  } cases[] = {
      {"colour, sRGB profile", "RGB", srgb, "/DeviceRGB", 64, 40, false, false},
      {"colour, Adobe-RGB-like profile, three bands", "RGB", adobe, "/DeviceRGB", 1000, 300, false, true},
      {"colour, Adobe-RGB-like profile, progressive", "RGB", adobe, "/DeviceRGB", 37, 23, true, true},
      {"grey, grey profile", "L", grey, "/DeviceGray", 61, 35, false, true},
      // Greys stay nearly grey through a gamma close to sRGB's.
      {"grey, Adobe-RGB-like profile", "L", adobe, "/DeviceGray", 61, 35, false, false},
      {"colour in a grey image, Adobe-RGB-like profile", "RGB", adobe, "/DeviceGray", 40, 20, false, true},
      {"colour, sRGB in all but name", "RGB", srgbByName, "/DeviceRGB", 33, 17, false, false},
      {"colour, Display-P3-like profile, odd size", "RGB", p3, "/DeviceRGB", 1001, 7, false, true},
      {"colour, Display-P3-like profile, progressive", "RGB", p3, "/DeviceRGB", 99, 65, true, true},
      {"colour, Adobe-RGB-like profile, one pixel", "RGB", adobe, "/DeviceRGB", 1, 1, false, false},
      {"colour, Adobe-RGB-like profile, one column", "RGB", adobe, "/DeviceRGB", 1, 77, false, false},
      {"grey, Display-P3-like profile", "L", p3, "/DeviceGray", 13, 9, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProfiledJpeg j = MakeJpeg(dir, c.mode, c.profile, c.width, c.height, c.progressive);
    const size_t n = size_t(c.width) * size_t(c.height);
    ASSERT_EQ(j.stored.size(), n);
    ASSERT_EQ(j.srgb.size(), n);
    auto canvas = CanvasRoad(j.bytes, c.width, c.height);
    int worst = 0, moved = 0;
    for (size_t i = 0; i < n; ++i) {
      worst = std::max(worst, Distance(Pixel(*canvas, int(i) % c.width, int(i) / c.width), j.srgb[i]));
      moved = std::max(moved, Distance(j.stored[i], j.srgb[i]));
    }
    EXPECT_LE(worst, 1);
    if (c.moves) {
      EXPECT_GE(moved, 20) << "the profile should change the colours";
    }

    TestStore t;
    TPDFStream* image = t.Image(Dictionary(c.width, c.height, c.space), j.bytes);
    auto whole = Decoder(image, false);
    ASSERT_FALSE(whole->Failed);
    ASSERT_NE(whole->Bitmap, nullptr);
    EXPECT_EQ(Differing(*whole->Bitmap, 0, 0, *canvas), 0);

    auto rows = Decoder(image, true);
    ASSERT_FALSE(rows->Failed);
    EXPECT_TRUE(Waits(*rows)) << "decoded before it was drawn";
    auto page = canvastest::WhiteBitmap(c.width + 4, c.height + 4);
    rows->DrawImage(*canvastest::CanvasOn(*page, GetParam()), {double(c.width), 0, 0, -double(c.height), 2, 1.0 + c.height},
                    0);
    EXPECT_TRUE(Waits(*rows)) << "decoded whole to be drawn";
    EXPECT_FALSE(rows->DrawFailed);
    EXPECT_EQ(Differing(*page, 2, 1, *canvas), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(BackEnds, OwnProfile, testing::Values(uint8_t(kBackEndGDI), uint8_t(kBackEndGDIPlus)),
                         [](const testing::TestParamInfo<uint8_t>& info) {
                           return info.param == kBackEndGDI ? std::string("GDI") : std::string("GDIPlus");
                         });

// A damaged picture (its data cut short) that carries a profile comes out as the canvas shows
// it, whole or in bands; a CMYK one in a CMYK image keeps the colours it has without its
// profile.
TEST_P(OwnProfile, DamagedAndCMYKPicturesCarryingAProfile) {
  REQUIRE_IMAGE_TOOLS();
  testsupport::TempDir dir;
  MakeProfiles(dir);
  const std::string adobe = dir.File("adobe-like.icc"), p3 = dir.File("display-p3-like.icc");
  const std::string colour = MakeJpeg(dir, "RGB", p3, 300, 200).bytes;
  for (const auto& [name, data] : {std::pair<std::string, std::string>{"cut after two thirds", colour.substr(0, colour.size() * 2 / 3)},
                                   {"cut soon after the profile", colour.substr(0, colour.size() / 4)}}) {
    SCOPED_TRACE(name);
    auto canvas = CanvasRoad(data, 300, 200);
    TestStore t;
    TPDFStream* image = t.Image(Dictionary(300, 200, "/DeviceRGB"), data);
    auto whole = Decoder(image, false);
    ASSERT_NE(whole->Bitmap, nullptr);
    EXPECT_EQ(Differing(*whole->Bitmap, 0, 0, *canvas), 0);
    auto rows = Decoder(image, true);
    auto page = canvastest::WhiteBitmap(304, 204);
    rows->DrawImage(*canvastest::CanvasOn(*page, GetParam()), {300, 0, 0, -200, 2, 201}, 0);
    EXPECT_EQ(Differing(*page, 2, 1, *canvas), 0);
  }

  const std::string cmyk = MakeJpeg(dir, "CMYK", adobe, 45, 31).bytes, plain = MakeJpeg(dir, "CMYK", "", 45, 31).bytes;
  ASSERT_NE(cmyk, plain);
  TestStore t;
  auto withProfile = Decoder(t.Image(Dictionary(45, 31, "/DeviceCMYK"), cmyk), false);
  auto without = Decoder(t.Image(Dictionary(45, 31, "/DeviceCMYK"), plain), false);
  ASSERT_NE(withProfile->Bitmap, nullptr);
  ASSERT_NE(without->Bitmap, nullptr);
  EXPECT_EQ(Differing(*withProfile->Bitmap, 0, 0, *without->Bitmap), 0);
}

// Which pictures only drawn wait for their drawing: grey and colour ones that carry a profile,
// in a grey or an RGB image of their size under the identity Decode, grey ones without a
// profile in a grey image, and CMYK data in a CMYK image. A profile the image's colour space
// gives, CMYK data in an RGB image, a grey picture without a profile in an RGB image and other
// Decode arrays keep the whole decode.
TEST(OwnProfileRoad, APictureWithItsProfileWaitsToBeDrawn) {
  REQUIRE_IMAGE_TOOLS();
  testsupport::TempDir dir;
  MakeProfiles(dir);
  const std::string adobe = dir.File("adobe-like.icc"), grey = dir.File("grey-linear.icc");
  const std::string colour = MakeJpeg(dir, "RGB", adobe, 48, 32).bytes;
  const std::string greyPicture = MakeJpeg(dir, "L", grey, 48, 32).bytes;
  const std::string plainGrey = MakeJpeg(dir, "L", "", 48, 32).bytes;
  const std::string cmyk = MakeJpeg(dir, "CMYK", adobe, 48, 32).bytes;
  const struct {
    const char* name;
    std::string dictionary, data;
    bool waits;
  } cases[] = {
      {"colour in an RGB image", Dictionary(48, 32, "/DeviceRGB"), colour, true},
      {"written after a line feed", Dictionary(48, 32, "/DeviceRGB"), "\n" + colour, true},
      {"colour in a grey image", Dictionary(48, 32, "/DeviceGray"), colour, true},
      {"grey in a grey image", Dictionary(48, 32, "/DeviceGray"), greyPicture, true},
      {"grey in an RGB image", Dictionary(48, 32, "/DeviceRGB"), greyPicture, true},
      {"grey without a profile", Dictionary(48, 32, "/DeviceGray"), plainGrey, true},
      {"grey without a profile in an RGB image", Dictionary(48, 32, "/DeviceRGB"), plainGrey, false},
      {"the image's space a profile", Dictionary(48, 32, "[ /ICCBased 9 0 R ]"), colour, false},
      {"another size than the image's", Dictionary(40, 32, "/DeviceRGB"), colour, false},
      {"another Decode", Dictionary(48, 32, "/DeviceRGB", " /Decode [ 1 0 1 0 1 0 ]"), colour, false},
      {"CMYK data in an RGB image", Dictionary(48, 32, "/DeviceRGB"), cmyk, false},
      {"CMYK data in a CMYK image", Dictionary(48, 32, "/DeviceCMYK"), cmyk, true},
      {"CMYK data in a grey image", Dictionary(48, 32, "/DeviceGray"), cmyk, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestStore t;
    t.Register(9, t.Stream("<< /N 3 >>", testsupport::ReadFile(adobe)));
    auto d = Decoder(t.Image(c.dictionary, c.data), true);
    ASSERT_FALSE(d->Failed);
    EXPECT_EQ(Waits(*d), c.waits);
  }
}

namespace {

// An APP2 segment holding one piece of a profile.
std::string ProfileSegment(int sequence, int count, const std::string& piece, const char* name = "ICC_PROFILE") {
  const size_t length = 2 + 12 + 2 + piece.size();
  return std::string("\xFF\xE2", 2) + char(length >> 8) + char(length & 0xFF) + std::string(name, 11) + '\0' +
         char(sequence) + char(count) + piece;
}

}  // namespace

// The pieces of a profile are joined as the canvas joins them (in the order of their numbers);
// pieces that do not fit together are no profile, for the canvas as for the bands.
TEST(OwnProfileRoad, ProfilePiecesAreJoinedAsTheCanvasJoinsThem) {
  REQUIRE_IMAGE_TOOLS();
  testsupport::TempDir dir;
  const std::string plain = MakeJpeg(dir, "RGB", "", 40, 24).bytes;
  const std::string profile = testsupport::ReadFile(testsupport::DataPath("icc/wide-gamut-gamma18.icc"));
  const std::string head = profile.substr(0, 200), tail = profile.substr(200);
  ASSERT_FALSE(tail.empty());
  const struct {
    const char* name;
    std::string segments;
    bool converted;
  } cases[] = {
      {"one piece", ProfileSegment(1, 1, profile), true},
      {"two pieces", ProfileSegment(1, 2, head) + ProfileSegment(2, 2, tail), true},
      {"two pieces, the second first", ProfileSegment(2, 2, tail) + ProfileSegment(1, 2, head), true},
      {"a piece missing", ProfileSegment(1, 2, head), false},
      {"a piece twice", ProfileSegment(1, 2, head) + ProfileSegment(1, 2, tail), false},
      {"counts that disagree", ProfileSegment(1, 2, head) + ProfileSegment(2, 3, tail), false},
      {"piece number 0", ProfileSegment(0, 1, profile), false},
      {"another name", ProfileSegment(1, 1, profile, "ICC_PROFILX"), false},
      {"not a profile", ProfileSegment(1, 1, std::string(300, 'x')), false},
  };
  TestStore plainStore;
  auto unconverted = Decoder(plainStore.Image(Dictionary(40, 24, "/DeviceRGB"), plain), false);
  ASSERT_NE(unconverted->Bitmap, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string jpeg = plain.substr(0, 2) + c.segments + plain.substr(2);
    auto canvas = CanvasRoad(jpeg, 40, 24);
    TestStore t;
    TPDFStream* image = t.Image(Dictionary(40, 24, "/DeviceRGB"), jpeg);
    auto rows = Decoder(image, true);
    EXPECT_TRUE(Waits(*rows));
    auto page = canvastest::WhiteBitmap(44, 28);
    rows->DrawImage(*canvastest::CanvasOn(*page, kBackEndGDIPlus), {40, 0, 0, -24, 2, 25}, 0);
    EXPECT_EQ(Differing(*page, 2, 1, *canvas), 0);
    auto whole = Decoder(image, false);
    ASSERT_NE(whole->Bitmap, nullptr);
    EXPECT_EQ(Differing(*whole->Bitmap, 0, 0, *canvas), 0);
    int moved = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 40; ++x) moved = std::max(moved, Distance(Pixel(*canvas, x, y), Pixel(*unconverted->Bitmap, x, y)));
    EXPECT_EQ(moved >= 20, c.converted) << moved;
  }
}
