#include "pdf/codecs/png/png_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/png_build.h"

namespace {

std::unique_ptr<TBitmap> RandomBitmap(int w, int h, unsigned seed) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < 3 * w; ++x) row[x] = uint8_t(rng());
  }
  return b;
}

// What Pillow reads from a PNG: mode, size, pixels as hex and the info entries asked for.
struct PilView {
  std::string mode;
  int w = 0, h = 0;
  std::string pixels;  // raw bytes in the file's mode (RGB or RGBA)
  std::string info;    // repr of selected info entries
};

PilView PilRead(const std::string& png, const std::string& infoExpr = "''") {
  testsupport::TempDir tmp;
  testsupport::WriteFile(tmp.File("x.png"), png);
  int status = 0;
  // verify() checks every chunk's CRC; the file is then opened again to decode it.
  const std::string out = imagetest::RunPython(
      "Image.open(sys.argv[1]).verify()\nim = Image.open(sys.argv[1]); im.load()\n"
      "print(im.mode, im.size[0], im.size[1]); print(im.tobytes().hex()); print(" + infoExpr + ")\n",
      {tmp.File("x.png")}, &status);
  PilView v;
  EXPECT_EQ(status, 0) << out;
  std::istringstream in(out);
  std::string hex;
  in >> v.mode >> v.w >> v.h >> hex;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) v.pixels += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  std::getline(in, v.info);
  std::getline(in, v.info);
  return v;
}

std::string ExpectedRGB(TBitmap& b, const std::vector<std::vector<uint8_t>>* alpha = nullptr) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    const uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < b.Width(); ++x) {
      s += char(row[3 * x + 2]);
      s += char(row[3 * x + 1]);
      s += char(row[3 * x]);
      if (alpha) s += char((*alpha)[size_t(y)][size_t(x)]);
    }
  }
  return s;
}

std::string Save(TPNGWriter& w) {
  TMemoryStream out;
  w.SaveToStream(out);
  return out.DataString();
}

TEST(PNGWriter, PillowReadsThePixels) {
  if (imagetest::PilPython().empty()) GTEST_SKIP() << "needs PIL";
  for (bool store : {false, true}) {
    auto bmp = RandomBitmap(23, 7, 5);
    TPNGWriter w(*bmp);
    w.StoreOnly = store;
    const PilView v = PilRead(Save(w), "im.info.get('dpi')");
    EXPECT_EQ(v.mode, "RGB");
    EXPECT_EQ(v.w, 23);
    EXPECT_EQ(v.h, 7);
    EXPECT_TRUE(v.pixels == ExpectedRGB(*bmp)) << store;
  }
}

TEST(PNGWriter, StoredBlocksCostNoCompression) {
  auto bmp = RandomBitmap(300, 300, 9);
  TPNGWriter fast(*bmp);
  fast.StoreOnly = true;
  const std::string idat = pngtest::JoinedIDAT(Save(fast));
  // Every deflate block is stored (type 00): the data grows by its framing only.
  ASSERT_GT(idat.size(), 300u * (300 * 3 + 1));
  EXPECT_EQ(uint8_t(idat[2]) & 0x06, 0);
  const std::string raw = FlateDecompressString(idat);
  EXPECT_EQ(raw.size(), 300u * (300 * 3 + 1));
}

TEST(PNGWriter, AlphaMaskAndInversion) {
  if (imagetest::PilPython().empty()) GTEST_SKIP() << "needs PIL";
  auto bmp = RandomBitmap(9, 6, 1);
  auto mask = RandomBitmap(9, 6, 2);
  for (bool invert : {false, true}) {
    TPNGWriter w(*bmp);
    w.SetAlphaMask(mask.get(), invert);
    std::vector<std::vector<uint8_t>> alpha(6, std::vector<uint8_t>(9));
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 9; ++x) {
        const uint8_t blue = mask->ScanLine(y)[3 * x];
        alpha[size_t(y)][size_t(x)] = invert ? uint8_t(255 - blue) : blue;
      }
    const PilView v = PilRead(Save(w));
    EXPECT_EQ(v.mode, "RGBA");
    EXPECT_TRUE(v.pixels == ExpectedRGB(*bmp, &alpha)) << invert;
  }
}

TEST(PNGWriter, SmallerMasksStretchOverTheBitmap) {
  auto bmp = RandomBitmap(5, 5, 3);
  // One mask pixel covers everything.
  TBitmap one;
  one.SetPixelFormat(pf24bit);
  one.SetSize(1, 1);
  one.ScanLine(0)[0] = 77;
  TPNGWriter w(*bmp);
  w.SetAlphaMask(&one, false);
  TMemoryStream png(Save(w));
  TPNGReader r;
  r.ReadChunks(png);
  EXPECT_TRUE(FlateDecompressString(r.AlphaData) == std::string(25, char(77)));
  // A 2 x 2 mask over 5 x 5: columns and rows 0..3 map to 0, 4 to 1.
  TBitmap two;
  two.SetPixelFormat(pf24bit);
  two.SetSize(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) two.ScanLine(y)[3 * x] = uint8_t(10 * (2 * y + x + 1));
  TPNGWriter w2(*bmp);
  w2.SetAlphaMask(&two, false);
  TMemoryStream png2(Save(w2));
  TPNGReader r2;
  r2.ReadChunks(png2);
  const std::string a = FlateDecompressString(r2.AlphaData);
  ASSERT_EQ(a.size(), 25u);
  EXPECT_EQ(uint8_t(a[0]), 10);
  EXPECT_EQ(uint8_t(a[4]), 20);
  EXPECT_EQ(uint8_t(a[20]), 30);
  EXPECT_EQ(uint8_t(a[24]), 40);
  // An empty mask is not taken.
  TBitmap none;
  TPNGWriter w3(*bmp);
  w3.SetAlphaMask(&none, false);
  w3.SetAlphaMask(nullptr, false);
  EXPECT_FALSE(w3.HasAlpha);
}

TEST(PNGWriter, ResolutionTransparencyAndProfile) {
  if (imagetest::PilPython().empty()) GTEST_SKIP() << "needs PIL";
  auto bmp = RandomBitmap(3, 2, 4);
  TPNGWriter w(*bmp);
  const std::string profile(300, 'p');
  w.SetICCProfile(profile);
  w.HasTransparentColor = true;
  w.TransparentColor = 0x00302010;  // red 0x10, green 0x20, blue 0x30
  const std::string png = Save(w);
  EXPECT_EQ(w.Resolution, 96);  // 0 became 96
  const PilView v = PilRead(png, "im.info.get('transparency'), len(im.info.get('icc_profile')), im.info['dpi']");
  EXPECT_EQ(v.info, "(16, 32, 48) 300 (96.012, 96.012)");
  EXPECT_NE(png.find(pngtest::BE32(3780) + pngtest::BE32(3780) + char(1)), std::string::npos);
  EXPECT_NE(png.find(std::string("iCCPZRXProfile\0\0", 16)), std::string::npos);
  TPNGWriter hi(*bmp);
  hi.SetResolution(300);
  EXPECT_NE(Save(hi).find(pngtest::BE32(11812) + pngtest::BE32(11812)), std::string::npos);
}

TEST(PNGWriter, TakesABitmapOverWithoutCopying) {
  auto bmp = RandomBitmap(4, 4, 6);
  TBitmap* raw = bmp.get();
  TPNGWriter w(std::move(bmp));
  EXPECT_EQ(w.Bitmap.get(), raw);
  TMemoryStream png(Save(w));
  TPNGReader r;
  r.ReadChunks(png);
  EXPECT_EQ(r.Width, 4u);
  EXPECT_TRUE(r.PassThrough);
}

}  // namespace
