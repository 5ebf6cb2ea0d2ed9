// JPXDecode images: decoded by the image decoder, and pages holding them rendered as
// poppler renders them.
#include <gtest/gtest.h>

#include <string>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/codecs/jpeg2000/jpeg2000_fixtures.h"
#include "tests/pdf/render/support/render_test_pdf.h"

using namespace imgtest;
using jp2test::ComponentFormat;

namespace {

const ComponentFormat kU8{8, false};

std::string ImageDict(int w, int h, const std::string& space, const std::string& extra = "/BitsPerComponent 8") {
  return "<< /Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " + std::to_string(h) +
         " /ColorSpace " + space + " /Filter /JPXDecode " + extra + " >>";
}

// An opj_compress file of the pattern planes.
std::string JpxOf(const testsupport::TempDir& dir, int w, int h, const std::vector<ComponentFormat>& components,
                  const std::string& name) {
  return jp2test::CompressPlanes(dir, jp2test::PatternPlanes(w, h, components), w, h, name, "-n 3");
}

TEST(JpxPath, DecodesRGBAndGreyPictures) {
  REQUIRE_TOOL("opj_compress");
  testsupport::TempDir dir;
  const int w = 20, h = 12;
  const auto planes = jp2test::PatternPlanes(w, h, {kU8, kU8, kU8});
  struct Case {
    const char* name;
    std::string data;
    std::string space;
    int components;
  };
  const std::vector<Case> cases = {
      {"rgb_jp2", jp2test::CompressPlanes(dir, planes, w, h, "rgb.jp2", "-n 3"), "/DeviceRGB", 3},
      {"rgb_j2k", jp2test::CompressPlanes(dir, planes, w, h, "rgb.j2k", "-n 3"), "/DeviceRGB", 3},
      {"grey_j2k", JpxOf(dir, w, h, {kU8}, "grey.j2k"), "/DeviceGray", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.data.empty());
    TestStore store;
    auto d = Decode(store.Image(ImageDict(w, h, c.space), c.data));
    ASSERT_TRUE(d->Decoded);
    ASSERT_FALSE(d->Failed);
    const Pixels p = DecodedPixels(*d);
    ASSERT_EQ(p.width, w);
    ASSERT_EQ(p.height, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t r = uint32_t(planes[0].At(x, y));
        const uint32_t expected = c.components == 3 ? Rgb(r, uint32_t(planes[1].At(x, y)), uint32_t(planes[2].At(x, y)))
                                                    : Rgb(r, r, r);
        ASSERT_EQ(p.Rgb(x, y), expected) << x << "," << y;
      }
  }
}

TEST(JpxPath, FourComponentsOfACMYKImageBecomeRGB) {
  REQUIRE_TOOL("opj_compress");
  testsupport::TempDir dir;
  const int w = 8, h = 4;
  // One pixel per corner of the colour cube that matters: white, cyan, magenta, yellow, black.
  const std::vector<std::array<int, 4>> inks = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0},
                                                {0, 0, 0, 255}};
  std::vector<jp2test::Plane> planes(4);
  for (int c = 0; c < 4; ++c) {
    planes[size_t(c)].Width = w;
    planes[size_t(c)].Height = h;
    for (int i = 0; i < w * h; ++i) planes[size_t(c)].Samples.push_back(inks[size_t(i) % inks.size()][size_t(c)]);
  }
  const std::string data = jp2test::CompressPlanes(dir, planes, w, h, "cmyk.j2k", "-n 2");
  ASSERT_FALSE(data.empty());
  TestStore store;
  auto d = Decode(store.Image(ImageDict(w, h, "/DeviceCMYK"), data), true);
  ASSERT_TRUE(d->Decoded);
  ASSERT_TRUE(d->Bitmap);
  EXPECT_EQ(d->Bitmap->PixelFormat(), pf24bit);
  TPDFSimpleColorManager manager;
  const Pixels p = DecodedPixels(*d);
  for (int i = 0; i < w * h; ++i) {
    const auto& ink = inks[size_t(i) % inks.size()];
    double r, g, b;
    manager.CMYKToRGB(ink[0] / 255.0, ink[1] / 255.0, ink[2] / 255.0, ink[3] / 255.0, r, g, b);
    EXPECT_EQ(p.Rgb(i % w, i / w), Rgb(Byte(r), Byte(g), Byte(b))) << i;
  }
  EXPECT_EQ(p.Rgb(0, 0), Rgb(255, 255, 255));
}

TEST(JpxPath, IndexedPicturesTakeTheirColoursFromTheLookup) {
  REQUIRE_TOOL("opj_compress");
  testsupport::TempDir dir;
  const int w = 16, h = 8;
  const auto planes = jp2test::PatternPlanes(w, h, {kU8});
  const std::string data = jp2test::CompressPlanes(dir, planes, w, h, "index.j2k", "-n 2");
  ASSERT_FALSE(data.empty());
  std::string lookup;
  for (int i = 0; i < 256; ++i) lookup += {char(i), char(255 - i), char(i / 2)};
  std::string hex;
  for (unsigned char ch : lookup) {
    static const char* digits = "0123456789ABCDEF";
    hex += digits[ch >> 4];
    hex += digits[ch & 15];
  }
  // The depth a JPEG 2000 image states is not needed: the picture has its own.
  for (const char* depth : {"/BitsPerComponent 8", "", "/BitsPerComponent 4"}) {
    SCOPED_TRACE(depth);
    TestStore store;
    auto d = Decode(store.Image(ImageDict(w, h, "[ /Indexed /DeviceRGB 255 <" + hex + "> ]", depth), data));
    ASSERT_TRUE(d->Decoded);
    const Pixels p = DecodedPixels(*d);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t v = uint32_t(planes[0].At(x, y));
        ASSERT_EQ(p.Rgb(x, y), Rgb(v, 255 - v, v / 2)) << x << "," << y;
      }
  }
}

TEST(JpxPath, DamagedDataLeaveTheImageUndecoded) {
  const std::vector<std::string> damaged = {"", "not a picture", std::string("\xFF\x4F\xFF\x51\0\x29", 6),
                                            std::string("\0\0\0\x0CjP  \r\n\x87\n\0\0\0\x08jp2c", 20)};
  for (const std::string& data : damaged) {
    TestStore store;
    auto d = Decode(store.Image(ImageDict(4, 4, "/DeviceRGB"), data));
    EXPECT_FALSE(d->Decoded);
    EXPECT_TRUE(d->Failed);
  }
}

// Pictures of other formats named JPXDecode are not read as what they are: the image fails,
// the page reports it and goes on (the picture's place keeps what lay under it, what follows
// is drawn).
TEST(JpxPath, OtherFormatsUnderItsNameFailTheImageAndThePageGoesOn) {
  const std::string python = testraster::PythonWithPIL();
  if (python.empty()) GTEST_SKIP() << "needs python3 with Pillow";
  testsupport::TempDir dir;
  const int w = 40, h = 24;
  for (const char* name : {"p.png", "p.jpg", "p.gif", "p.tif", "p.bmp"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name);
    ASSERT_EQ(testsupport::Run(python + " -c \"from PIL import Image; Image.new('RGB', (40, 24), (0, 200, 0)).save('" +
                               path + "')\""),
              0);
    const std::string data = testsupport::ReadFile(path);
    TestStore store;
    auto d = Decode(store.Image(ImageDict(w, h, "/DeviceRGB"), data));
    EXPECT_TRUE(d->Failed);
    EXPECT_FALSE(d->Decoded);

    rendertest::TestPdf pdf;
    const int page = pdf.AddPage("1 0 0 rg 0 0 40 24 re f q 40 0 0 24 0 0 cm /Im0 Do Q 0 0 1 rg 10 8 20 8 re f",
                                 "<< /XObject << /Im0 5 0 R >> >>", "[0 0 40 24]");
    pdf.AddStream(ImageDict(w, h, "/DeviceRGB"), data);
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, kImageDrawError);
    ASSERT_EQ(ours.Width, w);
    EXPECT_EQ(rendertest::PixelAt(ours, 2, 2), 0xFF0000u);
    EXPECT_EQ(rendertest::PixelAt(ours, 20, 12), 0x0000FFu);
  }
}

TEST(JpxPath, PagesRenderLikePoppler) {
  REQUIRE_TOOL("opj_compress");
  REQUIRE_TOOL("pdftocairo");
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  struct Case {
    const char* name;
    std::vector<ComponentFormat> components;
    const char* file;
    const char* space;
    int tolerance = 2;
  };
  const std::vector<Case> cases = {
      {"rgb_jp2", {kU8, kU8, kU8}, "p.jp2", "/DeviceRGB"},
      {"grey_j2k", {kU8}, "p.j2k", "/DeviceGray"},
      {"grey12_jp2", {{12, false}}, "p.jp2", "/DeviceGray"},
      {"rgb_signed_j2k", {{8, true}, {8, true}, {8, true}}, "p.j2k", "/DeviceRGB"},
      // poppler's CMYK conversion is not ours: the components' order is what this checks.
      {"cmyk_j2k", {kU8, kU8, kU8, kU8}, "p.j2k", "/DeviceCMYK", 24},
  };
  const int w = 40, h = 24;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    const std::string data = JpxOf(dir, w, h, c.components, c.file);
    ASSERT_FALSE(data.empty());
    rendertest::TestPdf pdf;
    const int page = pdf.AddPage("q 40 0 0 24 0 0 cm /Im0 Do Q", "<< /XObject << /Im0 5 0 R >> >>", "[0 0 40 24]");
    pdf.AddStream(ImageDict(w, h, c.space), data);
    std::string error;
    const auto ours = rendertest::RenderOurs(pdf, page, &error);
    EXPECT_EQ(error, "");
    const auto theirs = rendertest::RenderPopplerCairo(pdf);
    ASSERT_EQ(theirs.Width, w);
    EXPECT_EQ(rendertest::CountDifferent(ours, theirs, c.tolerance), 0)
        << std::hex << rendertest::PixelAt(ours, 3, 5) << " " << rendertest::PixelAt(theirs, 3, 5);
  }
}

}  // namespace
