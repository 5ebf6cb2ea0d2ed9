// Which road the pixels of pictures carrying a profile take: sRGB in all but name, they stay as
// they are; a matrix/TRC profile goes through the channel sums; a table that mixes the channels
// through LittleCMS itself. (That every road's colours are LittleCMS's within one level is
// profile_to_srgb_test's.)
#include "platform/gdi/profile_road.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "platform/gdi/profile_to_srgb.h"
#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/platform/gdi/lcms_profiles.h"
#include "tests/support/test_support.h"

using gditest::FileBytes;
using K = TProfileRoad::TKind;
using R = TProfileToSRGB::TRoad;

TEST(ProfileRoad, AProfileThatIsSRGBInAllButNameLeavesPixelsAsTheyAre) {
  REQUIRE_PIL();
  testsupport::TempDir dir;
  ASSERT_EQ(testsupport::Run(gditest::PilPython() + " " + testsupport::SourceDir() +
                             "/tests/support/make_icc_profiles.py " + dir.path()),
            0);
  const struct {
    const char* name;
    std::vector<uint8_t> profile;
    K kind;
    std::optional<R> pixels;  // the road of blue-green-red pixels; none: left as they are
  } cases[] = {
      {"LittleCMS's sRGB", gditest::LittleCMSSRGB(), K::Unchanged, {}},
      {"LittleCMS's sRGB through Pillow", FileBytes(dir.File("srgb.icc")), K::Unchanged, {}},
      {"sRGB with its curve as a table", FileBytes(dir.File("srgb-by-name.icc")), K::Unchanged, {}},
      {"sRGB's primaries under gamma 2.2", gditest::SRGBPrimariesGamma22(), K::Sums, R::ChannelSums},
      {"Adobe-RGB-like", FileBytes(dir.File("adobe-like.icc")), K::Sums, R::ChannelSums},
      {"Display-P3-like", FileBytes(dir.File("display-p3-like.icc")), K::Sums, R::ChannelSums},
      {"wide gamut, gamma 1.8", FileBytes(testsupport::DataPath("icc/wide-gamut-gamma18.icc")), K::Sums,
       R::ChannelSums},
      {"a table that mixes the channels", gditest::MixingTable(), K::LittleCMS, R::LittleCMS},
      {"grey", FileBytes(dir.File("grey-linear.icc")), K::LittleCMS, {}},
      {"not a profile", std::vector<uint8_t>(300, 'x'), K::Refused, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TProfileRoad road = TProfileRoad::Of(c.profile);
    EXPECT_EQ(road.kind, c.kind);
    EXPECT_EQ(road.sums != nullptr, c.kind == K::Sums);
    const auto pixels = TProfileToSRGB::For(c.profile, TProfileToSRGB::TPixels::BGR);
    ASSERT_EQ(pixels != nullptr, c.pixels.has_value());
    if (pixels) {
      EXPECT_EQ(pixels->Road(), *c.pixels);
    }
  }
}

// Ghostscript's sRGB profiles (Debian package libgs-common) as editors and printers embed them.
TEST(ProfileRoad, GhostscriptsSRGBProfilesAreSRGB) {
  const std::string folder = "/usr/share/color/icc/ghostscript/";
  if (access((folder + "srgb.icc").c_str(), R_OK) != 0) GTEST_SKIP() << "needs libgs-common";
  for (const char* name : {"srgb.icc", "default_rgb.icc"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(TProfileRoad::Of(FileBytes(folder + name)).kind, K::Unchanged);
  }
  EXPECT_EQ(TProfileRoad::Of(FileBytes(folder + "a98.icc")).kind, K::Sums);
}

// The decision is made once for a profile's bytes: the second picture finds the same sums.
TEST(ProfileRoad, TheDecisionIsKeptByTheProfilesBytes) {
  const std::vector<uint8_t> profile = gditest::SRGBPrimariesGamma22();
  const TProfileRoad first = TProfileRoad::Of(profile), second = TProfileRoad::Of(profile);
  ASSERT_NE(first.sums, nullptr);
  EXPECT_EQ(first.sums.get(), second.sums.get());
  std::vector<uint8_t> other = profile;
  other[other.size() - 1] ^= 1;  // the same profile in all but a byte: decided anew
  EXPECT_NE(TProfileRoad::Of(other).sums.get(), first.sums.get());
}
