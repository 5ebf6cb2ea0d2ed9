// The conversion from an embedded profile to sRGB: pixels in each layout and palettes come out
// as Pillow's ImageCms (the same LittleCMS) converts them, pixels within one level, palettes
// exactly; every colour within one level of LittleCMS's own 8-bit transform whatever road the
// profile takes; profiles of another colour space than the pixels', damaged and oversized ones
// are refused.
#include "platform/gdi/profile_to_srgb.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/platform/gdi/lcms_profiles.h"
#include "tests/support/test_support.h"

using gditest::PilPython;
using P = TProfileToSRGB::TPixels;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The largest difference of two byte strings, byte by byte.
int Farthest(const std::string& a, const std::string& b) {
  int farthest = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    farthest = std::max(farthest, std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i]))));
  return farthest;
}

// Pillow's conversion of pixels (bytes of the mode "RGB" or "L") from the profile to sRGB, as
// red, green, blue.
std::string PillowToSRGB(const testsupport::TempDir& dir, const std::string& profile, const std::string& mode,
                         const std::string& pixels) {
  testsupport::WriteFile(dir.File("pixels"), pixels);
  testsupport::WriteFile(dir.File("convert.py"),
                         "import sys\nfrom PIL import Image, ImageCms\n"
                         "data = open(sys.argv[3], 'rb').read()\n"
                         "im = Image.frombytes(sys.argv[2], (len(data) // len(sys.argv[2]), 1), data)\n"
                         "srgb = ImageCms.createProfile('sRGB')\n"
                         "sys.stdout.write(ImageCms.profileToProfile(im, sys.argv[1], srgb, outputMode='RGB').tobytes().hex())\n");
  std::string hex, bytes;
  EXPECT_EQ(testsupport::Run(PilPython() + " " + dir.File("convert.py") + " '" + profile + "' " + mode + " " +
                                 dir.File("pixels"),
                             &hex),
            0);
  for (size_t i = 0; i + 2 <= hex.size(); i += 2) bytes += char(std::stoul(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// The red, green, blue triples converted in the layout; the fourth byte of four-byte pixels
// and the alpha of palette entries must come back as they went.
std::string ConvertIn(TProfileToSRGB& t, P layout, const std::string& rgb) {
  const size_t n = rgb.size() / 3, size = layout == P::BGR ? 3 : 4;
  std::string out;
  if (layout == P::Palette) {
    std::vector<uint32_t> entries(n);
    for (size_t i = 0; i < n; ++i)
      entries[i] = uint32_t(i & 0xFF) << 24 | uint32_t(uint8_t(rgb[3 * i])) << 16 |
                   uint32_t(uint8_t(rgb[3 * i + 1])) << 8 | uint8_t(rgb[3 * i + 2]);
    t.Convert(std::span<uint32_t>(entries));
    for (size_t i = 0; i < n; ++i) {
      EXPECT_EQ(entries[i] >> 24, i & 0xFF);
      out += {char(entries[i] >> 16), char(entries[i] >> 8), char(entries[i])};
    }
    return out;
  }
  std::vector<uint8_t> pixels(n * size, uint8_t(0x5A));
  for (size_t i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) pixels[size * i + size_t(k)] = uint8_t(rgb[3 * i + 2 - size_t(k)]);
  t.Convert(pixels.data(), n);
  for (size_t i = 0; i < n; ++i) {
    if (size == 4) {
      EXPECT_EQ(pixels[size * i + 3], 0x5A);
    }
    out += {char(pixels[size * i + 2]), char(pixels[size * i + 1]), char(pixels[size * i])};
  }
  return out;
}

}  // namespace

TEST(ProfileToSRGB, ConvertsAsLittleCMSThroughPillowAndRefusesWhatDoesNotFit) {
  REQUIRE_PIL();
  testsupport::TempDir dir;
  ASSERT_EQ(testsupport::Run(PilPython() + " " + testsupport::SourceDir() + "/tests/support/make_icc_profiles.py " +
                             dir.path()),
            0);
  std::string colours, levels, greyTriples;
  for (int i = 0; i < 300; ++i) colours += {char(i * 37), char(i * 91 + 13), char(i * 151 + 7)};
  for (int v = 0; v < 256; ++v) {
    levels += char(v);
    greyTriples += {char(v), char(v), char(v)};
  }
  const std::string adobeFile = dir.File("adobe-like.icc"), greyFile = dir.File("grey-linear.icc");
  const std::string adobe = testsupport::ReadFile(adobeFile), grey = testsupport::ReadFile(greyFile);
  const std::string adobeColours = PillowToSRGB(dir, adobeFile, "RGB", colours);
  const std::string greyColours = PillowToSRGB(dir, greyFile, "L", levels);
  const std::string p3File = dir.File("display-p3-like.icc"), p3 = testsupport::ReadFile(p3File);
  const std::string p3Colours = PillowToSRGB(dir, p3File, "RGB", colours);
  std::string atLimit = adobe, overLimit = adobe, cmyk = adobe;
  atLimit.resize(TProfileToSRGB::kMaxProfileBytes, '\0');
  overLimit.resize(TProfileToSRGB::kMaxProfileBytes + 1, '\0');
  cmyk.replace(16, 4, "CMYK");
  const struct {
    const char* name;
    std::string profile;
    P layout;
    const std::string* input;     // red, green, blue; nullptr: refused
    const std::string* expected;
  } cases[] = {
      {"RGB profile, blue-green-red pixels", adobe, P::BGR, &colours, &adobeColours},
      {"RGB profile, four-byte pixels", adobe, P::BGRX, &colours, &adobeColours},
      {"RGB profile, pixels with alpha", adobe, P::BGRA, &colours, &adobeColours},
      {"RGB profile, palette", adobe, P::Palette, &colours, &adobeColours},
      {"grey profile, palette of greys", grey, P::Palette, &greyTriples, &greyColours},
      {"RGB profile padded to the size limit", atLimit, P::BGR, &colours, &adobeColours},
      {"Display-P3-like profile", p3, P::BGR, &colours, &p3Colours},
      {"Display-P3-like profile, pixels with alpha", p3, P::BGRA, &colours, &p3Colours},
      {"grey profile, colour pixels", grey, P::BGR, nullptr, nullptr},
      {"grey profile, pixels with alpha", grey, P::BGRA, nullptr, nullptr},
      {"a profile that names CMYK", cmyk, P::Palette, nullptr, nullptr},
      {"padded past the size limit", overLimit, P::BGR, nullptr, nullptr},
      {"no profile", "", P::BGR, nullptr, nullptr},
      {"words", std::string(200, 'x'), P::BGR, nullptr, nullptr},
      {"a cut profile", adobe.substr(0, 100), P::BGR, nullptr, nullptr},
  };
  ASSERT_EQ(adobeColours.size(), colours.size());
  ASSERT_EQ(greyColours.size(), greyTriples.size());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto t = TProfileToSRGB::For(Bytes(c.profile), c.layout);
    ASSERT_EQ(t != nullptr, c.input != nullptr);
    if (!t) continue;
    const std::string got = ConvertIn(*t, c.layout, *c.input);
    ASSERT_EQ(got.size(), c.expected->size());
    if (c.layout == P::Palette) {
      EXPECT_EQ(got, *c.expected);
    } else {
      EXPECT_LE(Farthest(got, *c.expected), 1);
    }
    int moved = 0;
    for (size_t i = 0; i < got.size(); ++i) moved = std::max(moved, std::abs(int(uint8_t(got[i])) - int(uint8_t((*c.input)[i]))));
    EXPECT_GE(moved, 20) << "the profile should change the colours";
  }
}

// Every one of the 2^24 colours as blue-green-red pixels (every sixteenth as four-byte ones)
// comes out within one
// level of LittleCMS's own 8-bit transform from the profile to its sRGB, whichever road the
// profile takes: left as it is, the channel sums, or LittleCMS pixel by pixel.
TEST(ProfileToSRGB, EveryColourComesOutWithinOneLevelOfLittleCMS) {
  REQUIRE_PIL();
  testsupport::TempDir dir;
  ASSERT_EQ(testsupport::Run(PilPython() + " " + testsupport::SourceDir() + "/tests/support/make_icc_profiles.py " +
                             dir.path()),
            0);
  std::vector<std::pair<std::string, std::vector<uint8_t>>> profiles = {
      {"LittleCMS's sRGB", gditest::LittleCMSSRGB()},
      {"sRGB with its curve as a table", gditest::FileBytes(dir.File("srgb-by-name.icc"))},
      {"sRGB's primaries under gamma 2.2", gditest::SRGBPrimariesGamma22()},
      {"Adobe-RGB-like", gditest::FileBytes(dir.File("adobe-like.icc"))},
      {"Display-P3-like", gditest::FileBytes(dir.File("display-p3-like.icc"))},
      {"wide gamut, gamma 1.8", gditest::FileBytes(testsupport::DataPath("icc/wide-gamut-gamma18.icc"))},
      {"ProPhoto-like", gditest::ProPhotoLike()},
      {"a table that mixes the channels", gditest::MixingTable()},
  };
  for (const char* name : {"srgb.icc", "a98.icc", "esrgb.icc"}) {
    const std::string path = std::string("/usr/share/color/icc/ghostscript/") + name;
    if (access(path.c_str(), R_OK) == 0) profiles.push_back({path, gditest::FileBytes(path)});
  }
  for (const auto& [name, profile] : profiles) {
    SCOPED_TRACE(name);
    for (const P layout : {P::BGR, P::BGRA}) {
      const size_t size = layout == P::BGR ? 3 : 4, count = layout == P::BGR ? size_t(1) << 24 : size_t(1) << 20;
      std::vector<uint8_t> pixels(count * size);
      for (size_t i = 0; i < count; ++i) {
        const size_t colour = layout == P::BGR ? i : i * 16 + (i * 5 & 15);
        pixels[size * i] = uint8_t(colour);
        pixels[size * i + 1] = uint8_t(colour >> 8);
        pixels[size * i + 2] = uint8_t(colour >> 16);
        if (size == 4) pixels[size * i + 3] = uint8_t(i * 7);
      }
      std::vector<uint8_t> expected = pixels;
      gditest::LittleCMSToSRGB(profile, expected, size);
      if (const auto t = TProfileToSRGB::For(profile, layout)) t->Convert(pixels.data(), count);
      size_t far = 0, first = 0;
      for (size_t i = 0; i < pixels.size(); ++i) {
        const bool alpha = size == 4 && i % 4 == 3;
        if (alpha ? pixels[i] != uint8_t(i / 4 * 7) : std::abs(int(pixels[i]) - int(expected[i])) > 1)
          if (far++ == 0) first = i - i % size;
      }
      EXPECT_EQ(far, 0u) << "first at blue, green, red " << int(expected[first]) << " " << int(expected[first + 1])
                         << " " << int(expected[first + 2]) << " (LittleCMS's)";
    }
  }
}
