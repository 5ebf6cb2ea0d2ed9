// Lab, Separation and DeviceN images through the renderer's colour-space objects, Indexed over
// each of them; expected colours computed here from the space definitions.
#include <gtest/gtest.h>

#include "pdf/render/colour/color_manager.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"

using namespace imgtest;

namespace {

uint32_t CmykColour(double c, double m, double y, double k) {
  TPDFSimpleColorManager manager;
  double r, g, b;
  manager.CMYKToRGB(c, m, y, k, r, g, b);
  return Rgb(Byte(r), Byte(g), Byte(b));
}

uint32_t LabColour(double l, double a, double b, const double white[3], const double range[4]) {
  TPDFSimpleColorManager manager;
  manager.SetWhitePoint(white[0], white[1], white[2]);
  manager.SetRanges(range[0], range[1], range[2], range[3]);
  double r, g, bl;
  manager.LabToRGB(l, a, b, r, g, bl);
  return Rgb(Byte(r), Byte(g), Byte(bl));
}

const std::string kRedTint =
    "[ /Separation /Spot /DeviceRGB << /FunctionType 2 /Domain [ 0 1 ] /C0 [ 1 1 1 ] /C1 [ 1 0 0 ] /N 1 >> ]";
const std::string kBlackTint =
    "[ /Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [ 0 1 ] /C0 [ 0 0 0 0 ] /C1 [ 0 0 0 1 ] /N 1 >> ]";
const std::string kTwoInks =
    "[ /DeviceN [ /Cyan /Magenta ] /DeviceCMYK << /FunctionType 4 /Domain [ 0 1 0 1 ] /Range [ 0 1 0 1 0 1 0 1 ] >> ]";

}  // namespace

TEST(SpecialSpaces, LabSamplesThroughTheSpaceRanges) {
  const double white[3] = {0.9642, 1.0, 0.8249};
  const double range[4] = {-50, 60, -70, 80};
  TestStore t;
  std::string data;
  const uint8_t samples[4][3] = {{255, 128, 128}, {0, 0, 255}, {100, 200, 30}, {50, 90, 170}};
  for (const auto& s : samples) data.append(reinterpret_cast<const char*>(s), 3);
  auto d =
      Decode(t.Image("<< /Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace [ /Lab << /WhitePoint [ 0.9642 1 "
                     "0.8249 ] /Range [ -50 60 -70 80 ] >> ] >>",
                     data));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(d->ColorSpace, "Lab");
  const Pixels p = DecodedPixels(*d);
  for (int i = 0; i < 4; ++i) {
    const double l = samples[i][0] * 100.0 / 255, a = range[0] + (range[1] - range[0]) * samples[i][1] / 255.0,
                 b = range[2] + (range[3] - range[2]) * samples[i][2] / 255.0;
    EXPECT_EQ(p.Rgb(i % 2, i / 2), LabColour(l, a, b, white, range)) << i;
  }
}

TEST(SpecialSpaces, SeparationTintsThroughTheTransform) {
  for (const std::string decode : {"", " /Decode [ 1 0 ]"}) {
    for (int bits : {1, 2, 4, 8, 16}) {
      SCOPED_TRACE(decode + " " + std::to_string(bits));
      TestStore t;
      const auto samples = RandomSamples(6, bits, uint32_t(bits + 3));
      auto d = Decode(t.Image("<< /Width 3 /Height 2 /BitsPerComponent " + std::to_string(bits) + " /ColorSpace " +
                                  kRedTint + decode + " >>",
                              PackSamples(samples, 3, bits)));
      ASSERT_FALSE(d->Failed);
      const Pixels p = DecodedPixels(*d);
      for (int i = 0; i < 6; ++i) {
        const int top = (1 << bits) - 1;
        uint32_t v = bits == 16 ? samples[i] >> 8 : samples[i] * 255 / uint32_t(top);
        if (!decode.empty()) v = 255 - v;
        // Tint v / 255 gives (1, 1 - t, 1 - t).
        const uint32_t gb = Byte(1 - v / 255.0);
        EXPECT_EQ(p.Rgb(i % 3, i / 3), Rgb(255, gb, gb)) << i;
      }
    }
  }
  TestStore t;
  auto d = Decode(t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace " + kBlackTint + " >>",
                          std::string("\x00\x80", 2)));
  ASSERT_FALSE(d->Failed);
  const Pixels p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), CmykColour(0, 0, 0, 0));
  EXPECT_EQ(p.Rgb(1, 0), CmykColour(0, 0, 0, 128 / 255.0));
}

TEST(SpecialSpaces, DeviceNTintsThroughTheTransform) {
  TestStore t;
  // { 0 0 } leaves cyan and magenta and adds yellow and black 0.
  TPDFStream* fn = t.Stream("<< /FunctionType 4 /Domain [ 0 1 0 1 ] /Range [ 0 1 0 1 0 1 0 1 ] >>", "{ 0 0 }");
  t.Register(6, fn);
  const std::string space = "[ /DeviceN [ /Cyan /Magenta ] /DeviceCMYK 6 0 R ]";
  for (int bits : {2, 8, 16}) {
    SCOPED_TRACE(bits);
    const auto samples = RandomSamples(8, bits, 11);
    auto d = Decode(
        t.Image("<< /Width 2 /Height 2 /BitsPerComponent " + std::to_string(bits) + " /ColorSpace " + space + " >>",
                PackSamples(samples, 4, bits)));
    ASSERT_FALSE(d->Failed);
    EXPECT_EQ(d->ColorSpace, "DeviceN");
    const Pixels p = DecodedPixels(*d);
    for (int i = 0; i < 4; ++i) {
      auto scaled = [&](uint32_t s) { return (bits == 16 ? s >> 8 : s * 255 / uint32_t((1 << bits) - 1)) / 255.0; };
      EXPECT_EQ(p.Rgb(i % 2, i / 2), CmykColour(scaled(samples[2 * i]), scaled(samples[2 * i + 1]), 0, 0)) << i;
    }
  }
}

TEST(SpecialSpaces, IndexedOverSpecialBases) {
  TestStore t;
  auto d = Decode(
      t.Image("<< /Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace [ /Indexed " + kRedTint + " 2 <00 80 FF> ] >>",
              std::string("\0\1\2", 3)));
  ASSERT_FALSE(d->Failed);
  Pixels p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(p.Rgb(1, 0), Rgb(255, Byte(1 - 128 / 255.0), Byte(1 - 128 / 255.0)));
  EXPECT_EQ(p.Rgb(2, 0), 0xFF0000u);

  const double white[3] = {0.9505, 1.0, 1.089};
  const double range[4] = {-100, 100, -100, 100};
  d =
      Decode(t.Image("<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace [ /Indexed [ /Lab << /WhitePoint [ 0.9505 "
                     "1 1.089 ] >> ] 0 <C04080> ] >>",
                     std::string("\0", 1)));
  ASSERT_FALSE(d->Failed);
  p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0),
            LabColour(0xC0 * 100.0 / 255, -100 + 200 * 0x40 / 255.0, -100 + 200 * 0x80 / 255.0, white, range));

  TPDFStream* fn = t.Stream("<< /FunctionType 4 /Domain [ 0 1 0 1 ] /Range [ 0 1 0 1 0 1 0 1 ] >>", "{ 0 0 }");
  t.Register(7, fn);
  d =
      Decode(t.Image("<< /Width 2 /Height 1 /BitsPerComponent 1 /ColorSpace [ /Indexed [ /DeviceN [ /Cyan /Magenta ] "
                     "/DeviceCMYK 7 0 R ] 1 <FF00 0080> ] >>",
                     "\x40"));
  ASSERT_FALSE(d->Failed);
  p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), CmykColour(1, 0, 0, 0));
  EXPECT_EQ(p.Rgb(1, 0), CmykColour(0, 128 / 255.0, 0, 0));
}
