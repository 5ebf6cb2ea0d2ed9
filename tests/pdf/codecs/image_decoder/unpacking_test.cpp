// Sample unpacking: every device colour space, Indexed over each base and ICCBased at every
// depth, with and without Decode arrays. The expected pixels are computed here from the same
// samples by the PDF definition of each space; the decoded PNG is read back with libpng.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace imgtest;

namespace {

constexpr int kW = 7, kH = 5;

double Scaled(uint32_t s, int bits) {
  // The 8-bit value a sample stands for (16 bits keep their high byte).
  switch (bits) {
    case 1:
      return s ? 255 : 0;
    case 2:
      return double(s * 255 / 3);
    case 4:
      return double(s * 255 / 15);
    case 16:
      return double(s >> 8);
    default:
      return double(s);
  }
}

uint32_t Mapped(uint32_t s, int bits, double d0, double d1) { return Byte(d0 + Scaled(s, bits) / 255.0 * (d1 - d0)); }

std::string DecodeText(const std::vector<double>& d) {
  if (d.empty()) return "";
  std::string t = " /Decode [";
  for (double v : d) t += " " + std::to_string(v);
  return t + " ]";
}

struct Case {
  std::string space;  // PDF text of /ColorSpace
  int components;
  int bits;
  std::vector<double> decode;  // empty: none
};

std::string Name(const Case& c) {
  std::string n = c.space + " " + std::to_string(c.bits) + " bits";
  if (!c.decode.empty()) n += DecodeText(c.decode);
  return n;
}

uint32_t Expected(const Case& c, const uint32_t* s) {
  auto pair = [&](int k) {
    return c.decode.size() >= size_t(2 * c.components) ? std::pair{c.decode[2 * k], c.decode[2 * k + 1]}
                                                       : std::pair{0.0, 1.0};
  };
  if (c.components == 1) {
    const auto [d0, d1] = pair(0);
    const uint32_t v = Mapped(s[0], c.bits, d0, d1);
    return Rgb(v, v, v);
  }
  if (c.components == 3) {
    uint32_t v[3];
    for (int k = 0; k < 3; ++k) v[k] = Mapped(s[k], c.bits, pair(k).first, pair(k).second);
    return Rgb(v[0], v[1], v[2]);
  }
  double ink[4];
  for (int k = 0; k < 4; ++k) ink[k] = Mapped(s[k], c.bits, pair(k).first, pair(k).second) / 255.0;
  TPDFSimpleColorManager m;
  double r, g, b;
  m.CMYKToRGB(ink[0], ink[1], ink[2], ink[3], r, g, b);
  return Rgb(Byte(r), Byte(g), Byte(b));
}

}  // namespace

TEST(ImageUnpacking, DeviceSpacesAtEveryDepthWithDecodeArrays) {
  std::vector<Case> cases;
  for (int bits : {1, 2, 4, 8, 16}) {
    cases.push_back({"/DeviceGray", 1, bits, {}});
    cases.push_back({"/DeviceGray", 1, bits, {1, 0}});
    cases.push_back({"/DeviceGray", 1, bits, {0.25, 0.75}});
    cases.push_back({"/DeviceGray", 1, bits, {1, 0.5}});  // a range, not an inversion
    cases.push_back({"[ /CalGray << /WhitePoint [ 0.9505 1 1.089 ] >> ]", 1, bits, {}});
    cases.push_back({"/DeviceRGB", 3, bits, {}});
    cases.push_back({"/DeviceRGB", 3, bits, {1, 0, 1, 0, 1, 0}});
    cases.push_back({"/DeviceRGB", 3, bits, {0, 1, 1, 0, 0.5, 1}});
    cases.push_back({"[ /CalRGB << /WhitePoint [ 0.9505 1 1.089 ] >> ]", 3, bits, {}});
    cases.push_back({"/DeviceCMYK", 4, bits, {}});
    cases.push_back({"/DeviceCMYK", 4, bits, {1, 0, 1, 0, 1, 0, 1, 0}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(Name(c));
    TestStore t;
    const auto samples = RandomSamples(size_t(kW * kH * c.components), c.bits, uint32_t(c.bits * 31 + c.components));
    TPDFStream* image =
        t.Image("<< /Width " + std::to_string(kW) + " /Height " + std::to_string(kH) + " /BitsPerComponent " +
                    std::to_string(c.bits) + " /ColorSpace " + c.space + DecodeText(c.decode) + " >>",
                PackSamples(samples, kW * c.components, c.bits));
    auto d = Decode(image);
    ASSERT_FALSE(d->Failed);
    ASSERT_TRUE(d->Decoded);
    const Pixels p = DecodedPixels(*d);
    ASSERT_EQ(p.width, kW);
    ASSERT_EQ(p.height, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(p.Rgb(x, y), Expected(c, &samples[size_t((y * kW + x) * c.components)])) << x << "," << y;
  }
}

// A photograph's CMYK pixels go through terms found once per black value; they must give the
// manager's own colour, byte for byte, under both of its formulas: every value of each ink
// beside random others, and a few million random pixels.
TEST(ImageUnpacking, CMYKPixelsTakeTheManagersColours) {
  for (uint8_t polynomial : {uint8_t(1), uint8_t(0)}) {
    SCOPED_TRACE(int(polynomial));
    TPDFSimpleColorManager m;
    m.PolynomialCMYK = polynomial;
    TCMYKTerms terms;
    ASSERT_TRUE(terms.Prepare(m));
    uint32_t state = 12345;
    auto next = [&] {
      state = state * 1664525u + 1013904223u;
      return uint8_t(state >> 24);
    };
    for (int i = 0; i < 4'000'000; ++i) {
      uint8_t ink[4] = {next(), next(), next(), next()};
      if (i < 1024) ink[i / 256] = uint8_t(i);
      double r, g, b;
      m.CMYKToRGB(ink[0] / 255.0, ink[1] / 255.0, ink[2] / 255.0, ink[3] / 255.0, r, g, b);
      ASSERT_EQ(terms.Color(ink[0], ink[1], ink[2], ink[3]), RGB(Byte(r), Byte(g), Byte(b)))
          << int(ink[0]) << " " << int(ink[1]) << " " << int(ink[2]) << " " << int(ink[3]);
    }
  }
  // A manager that does not say its conversion is of that form is asked for every colour.
  struct TOther : TPDFSimpleColorManager {
    bool MultilinearCMYK() const override { return false; }
  } other;
  EXPECT_FALSE(TCMYKTerms().Prepare(other));
}

TEST(ImageUnpacking, ResultsAreHandedOnAsPNG) {
  TestStore t;
  TPDFStream* image = t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>",
                              std::string("\xFF\0\0\0\xFF\0", 6));
  auto d = Decode(image);
  EXPECT_EQ(d->DataFormat, kDataPNG);
  EXPECT_EQ(d->Bitmap, nullptr);
  EXPECT_EQ(d->Decode, "[ 0 1 0 1 0 1 ]");
  EXPECT_TRUE(d->Data.empty());
  std::string bytes;
  d->GetData(bytes);
  EXPECT_EQ(bytes.substr(0, 4), "\x89PNG");
  EXPECT_EQ(d->GetDataSize(), int64_t(bytes.size()));
  // The image data of the PNG lie in stored deflate blocks (the first byte after the zlib
  // header marks the final stored block).
  const size_t idat = bytes.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  EXPECT_EQ(uint8_t(bytes[idat + 6]), 0x01);
  std::string bmp;
  d->GetBitmapBytes(bmp);
  EXPECT_TRUE(bmp.empty());

  auto kept = Decode(image, true);
  ASSERT_NE(kept->Bitmap, nullptr);
  const Pixels p = BitmapPixels(*kept->Bitmap);
  EXPECT_EQ(p.Rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(p.Rgb(1, 0), 0x00FF00u);
  kept->GetBitmapBytes(bmp);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
}

// A decoder whose image is only drawn keeps the unpacked samples in its bitmap (no PNG form),
// with the pixels the PNG form holds, and draws them as that form draws.
TEST(ImageUnpacking, DrawOnlyKeepsTheBitmapInsteadOfPNG) {
  TestStore t;
  const std::vector<uint32_t> samples = RandomSamples(7 * 5 * 3, 8, 11);
  TPDFStream* image =
      t.Image("<< /Width 7 /Height 5 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>", PackSamples(samples, 21, 8));
  auto png = Decode(image);
  auto drawn = std::make_unique<TPDFImageDecoder>();
  drawn->Settings = png->Settings;
  drawn->DrawOnly = true;
  drawn->SetImage(image);
  ASSERT_FALSE(drawn->Failed);
  EXPECT_EQ(drawn->DataStream, nullptr);
  EXPECT_EQ(drawn->DataFormat, kDataNone);
  ASSERT_NE(drawn->Bitmap, nullptr);
  // What the decoder holds is its bitmap: the size it reports counts the bitmap's rows.
  EXPECT_TRUE(drawn->Data.empty());
  EXPECT_EQ(drawn->GetDataSize(), drawn->Bitmap->Dib().Stride() * 5);
  const Pixels a = DecodedPixels(*png), b = BitmapPixels(*drawn->Bitmap);
  ASSERT_EQ(b.width, 7);
  ASSERT_EQ(b.height, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(b.Rgb(x, y), a.Rgb(x, y)) << x << "," << y;
  for (uint8_t backEnd : {kBackEndGDI, kBackEndGDIPlus}) {
    auto fromPng = canvastest::WhiteBitmap(9, 7), fromBitmap = canvastest::WhiteBitmap(9, 7);
    for (auto [decoder, page] : {std::pair{png.get(), fromPng.get()}, std::pair{drawn.get(), fromBitmap.get()}}) {
      auto canvas = canvastest::CanvasOn(*page, backEnd);
      decoder->DrawImage(*canvas, {7, 0, 0, -5, 1, 6}, 0);
      EXPECT_FALSE(decoder->DrawFailed);
    }
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x)
        ASSERT_EQ(canvastest::Pixel(*fromBitmap, x, y), canvastest::Pixel(*fromPng, x, y)) << x << "," << y;
  }
}

TEST(ImageUnpacking, OneBitGreyStaysOneBit) {
  struct {
    std::string decode;
    uint32_t zero, one;
  } cases[] = {
      {"", 0x000000, 0xFFFFFF}, {" /Decode [ 1 0 ]", 0xFFFFFF, 0x000000}, {" /Decode [ 0.2 0.6 ]", 0x333333, 0x999999}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.decode);
    TestStore t;
    // 10 pixels a row: two bytes, the second padded.
    TPDFStream* image = t.Image("<< /Width 10 /Height 2 /BitsPerComponent 1 /ColorSpace /DeviceGray" + c.decode + " >>",
                                std::string("\xA5\xC0\x0F\x40", 4));
    auto d = Decode(image);
    ASSERT_FALSE(d->Failed);
    ASSERT_NE(d->Bitmap, nullptr);
    EXPECT_EQ(d->Bitmap->PixelFormat(), pf1bit);
    EXPECT_EQ(d->DataStream, nullptr);
    EXPECT_EQ(d->Decode, "[ 0 1 ]");
    const Pixels p = DecodedPixels(*d);
    const uint32_t bits[2] = {0xA5C0, 0x0F40};
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 10; ++x) EXPECT_EQ(p.Rgb(x, y), (bits[y] >> (15 - x)) & 1 ? c.one : c.zero) << x << "," << y;
    // GetData gives the bitmap as BMP when there is no data stream.
    std::string bytes;
    d->GetData(bytes);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
  }
}

TEST(ImageUnpacking, IndexedOverEveryBase) {
  // Four palette entries; HiVal 2, so index 3 shows entry 2.
  struct Base {
    std::string space, lookup;
    std::vector<uint32_t> colours;
  };
  TPDFSimpleColorManager m;
  auto cmyk = [&](int c, int mm, int y, int k) {
    double r, g, b;
    m.CMYKToRGB(c / 255.0, mm / 255.0, y / 255.0, k / 255.0, r, g, b);
    return Rgb(Byte(r), Byte(g), Byte(b));
  };
  const Base bases[] = {
      {"/DeviceRGB", "<FF0000 00FF00 0000FF 808080>", {0xFF0000, 0x00FF00, 0x0000FF}},
      {"/DeviceGray", "<10 80 F0 FF>", {0x101010, 0x808080, 0xF0F0F0}},
      {"/DeviceCMYK",
       "<FF000000 00FF0000 0000FF00 000000FF>",
       {cmyk(255, 0, 0, 0), cmyk(0, 255, 0, 0), cmyk(0, 0, 255, 0)}},
      {"[ /ICCBased 9 0 R ]", "<FF0000 00FF00 0000FF 808080>", {0xFF0000, 0x00FF00, 0x0000FF}},
  };
  for (const Base& base : bases)
    for (int bits : {1, 2, 4, 8}) {
      SCOPED_TRACE(base.space + " " + std::to_string(bits));
      TestStore t;
      t.Register(9, t.Stream("<< /N 3 >>", "not a real profile"));
      const int top = (1 << bits) - 1;
      std::vector<uint32_t> samples = RandomSamples(kW * kH, bits, uint32_t(bits));
      samples[0] = uint32_t(std::min(3, top));
      TPDFStream* image = t.Image("<< /Width 7 /Height 5 /BitsPerComponent " + std::to_string(bits) +
                                      " /ColorSpace [ /Indexed " + base.space + " 2 " + base.lookup + " ] >>",
                                  PackSamples(samples, kW, bits));
      auto d = Decode(image);
      ASSERT_FALSE(d->Failed);
      EXPECT_EQ(d->ColorSpace, "Indexed");
      EXPECT_EQ(d->HiVal, 2);
      const Pixels p = DecodedPixels(*d);
      for (int i = 0; i < kW * kH; ++i)
        ASSERT_EQ(p.Rgb(i % kW, i / kW), base.colours[std::min<uint32_t>(samples[i], 2)]) << i;
    }
}

TEST(ImageUnpacking, IndexedDecodeAndShortLookups) {
  TestStore t;
  // Decode [3 0] reverses the indices of a 2-bit image.
  auto d =
      Decode(t.Image("<< /Width 4 /Height 1 /BitsPerComponent 2 /Decode [ 3 0 ] "
                     "/ColorSpace [ /Indexed /DeviceGray 3 <00 55 AA FF> ] >>",
                     "\x1B"));  // 0 1 2 3
  Pixels p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(p.Rgb(1, 0), 0xAAAAAAu);
  EXPECT_EQ(p.Rgb(2, 0), 0x555555u);
  EXPECT_EQ(p.Rgb(3, 0), 0x000000u);
  // A lookup shorter than HiVal: the missing entries are black.
  d = Decode(t.Image("<< /Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace [ /Indexed /DeviceRGB 2 <FFFFFF> ] >>",
                     std::string("\0\1\2", 3)));
  ASSERT_FALSE(d->Failed);
  p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(p.Rgb(1, 0), 0x000000u);
  EXPECT_EQ(p.Rgb(2, 0), 0x000000u);
  // The lookup as a stream, through a reference.
  TestStore u;
  u.Register(5, u.Stream("<< >>", "\x11\x22\x33\x44\x55\x66"));
  d = Decode(u.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace [ /Indexed /DeviceRGB 1 5 0 R ] >>",
                     std::string("\1\0", 2)));
  p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), 0x445566u);
  EXPECT_EQ(p.Rgb(1, 0), 0x112233u);
}

TEST(ImageUnpacking, ICCBasedTakesItsAlternateOrComponentCount) {
  struct {
    std::string profileDict;
    std::string expectSpace;
  } cases[] = {{"<< /N 1 >>", "DeviceGray"},
               {"<< /N 3 >>", "DeviceRGB"},
               {"<< /N 4 >>", "DeviceCMYK"},
               {"<< /N 3 /Alternate /DeviceGray >>", "DeviceGray"},
               {"<< /N 2 >>", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profileDict);
    TestStore t;
    t.Register(4, t.Stream(c.profileDict, "profile bytes"));
    TPDFStream* image = t.Image("<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace [ /ICCBased 4 0 R ] >>",
                                std::string("\x40\x80\xC0\x20", 4));
    auto d = Decode(image);
    EXPECT_EQ(d->ColorSpace, c.expectSpace);
    EXPECT_EQ(d->Failed, c.expectSpace.empty());
    if (c.expectSpace == "DeviceRGB") {
      EXPECT_EQ(DecodedPixels(*d).Rgb(0, 0), 0x4080C0u);
    }
    if (c.expectSpace == "DeviceGray") {
      EXPECT_EQ(DecodedPixels(*d).Rgb(0, 0), 0x404040u);
    }
    if (!c.expectSpace.empty()) {
      EXPECT_TRUE(d->ICCProfile.empty()) << "the profile was applied";
    }
  }
}

TEST(ImageUnpacking, SixteenBitRGBKeepsTheHighByte) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 1 /Height 1 /BitsPerComponent 16 /ColorSpace /DeviceRGB >>",
                          std::string("\x12\xFF\x34\x00\xAB\xCD", 6)));
  EXPECT_EQ(DecodedPixels(*d).Rgb(0, 0), 0x1234ABu);
}

TEST(ImageUnpacking, ShortDataIsPaddedWithOnes) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", "\x10"));
  ASSERT_FALSE(d->Failed);
  const Pixels p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), 0x101010u);
  EXPECT_EQ(p.Rgb(1, 0), 0xFFFFFFu);
  EXPECT_EQ(p.Rgb(1, 1), 0xFFFFFFu);
}

// A Decode pair's table maps each byte v to round(255 * (low + (high - low) * v / 255)), halves
// to even; the default pair gives every byte back.
TEST(ImageUnpacking, DecodeTablesRoundEveryEntry) {
  for (const auto& [low, high] : {std::pair{0.0, 1.0}, std::pair{1.0, 0.0}, std::pair{0.2, 0.8},
                                  std::pair{0.0, 0.5}, std::pair{-0.5, 1.5}}) {
    const imgdec::TByteTable t = imgdec::DecodeTable(low, high);
    for (int v = 0; v < 256; ++v) {
      const double x = std::clamp((low + (high - low) * v / 255.0) * 255, 0.0, 255.0);
      const double f = std::floor(x);
      const double rounded = x - f != 0.5 ? std::round(x) : std::fmod(f, 2.0) == 0 ? f : f + 1;
      ASSERT_EQ(t[size_t(v)], int(rounded)) << low << " " << high << " at " << v;
    }
  }
  EXPECT_TRUE(imgdec::IsIdentity(imgdec::DecodeTable(0, 1)));
}
