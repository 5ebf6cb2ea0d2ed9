#include "tests/platform/gdi/lcms_profiles.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>

#include "platform/gdi/lcms_handles.h"
#include "tests/support/test_support.h"

namespace gditest {
namespace {

std::vector<uint8_t> Saved(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  std::vector<uint8_t> bytes;
  if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
  }
  if (profile) cmsCloseProfile(profile);
  EXPECT_FALSE(bytes.empty());
  return bytes;
}

std::vector<uint8_t> GammaProfile(const cmsCIExyY& white, const cmsCIExyYTRIPLE& primaries, double gamma) {
  const lcms::CurvePtr curve(cmsBuildGamma(nullptr, gamma));
  cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
  return Saved(cmsCreateRGBProfile(&white, &primaries, curves));
}

const cmsCIExyY kD65 = {0.3127, 0.3290, 1.0};

int Mix(const cmsUInt16Number in[], cmsUInt16Number out[], void*) {
  const double r = in[0] / 65535.0, g = in[1] / 65535.0, b = in[2] / 65535.0;
  // Lab as LittleCMS encodes it in 16 bits: L 0 to 100, a and b around 128.
  out[0] = cmsUInt16Number(std::lround(65535.0 * std::cbrt(r * g * b * 0.8 + 0.2 * (r + g + b) / 3)));
  out[1] = cmsUInt16Number(std::lround(257.0 * (128 + 60 * (r - g) * (1 - b))));
  out[2] = cmsUInt16Number(std::lround(257.0 * (128 + 60 * (g * r - b))));
  return TRUE;
}

}  // namespace

std::vector<uint8_t> LittleCMSSRGB() { return Saved(cmsCreate_sRGBProfile()); }

std::vector<uint8_t> SRGBPrimariesGamma22() {
  return GammaProfile(kD65, {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}}, 2.2);
}

std::vector<uint8_t> ProPhotoLike() {
  return GammaProfile({0.3457, 0.3585, 1.0}, {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}},
                      1.8);
}

std::vector<uint8_t> MixingTable() {
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(profile, 4.3);
  cmsSetDeviceClass(profile, cmsSigDisplayClass);
  cmsSetColorSpace(profile, cmsSigRgbData);
  cmsSetPCS(profile, cmsSigLabData);
  cmsPipeline* table = cmsPipelineAlloc(nullptr, 3, 3);
  cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
  cmsStageSampleCLut16bit(grid, Mix, nullptr, 0);
  // A table stands between curves in a profile's A-to-B tag.
  cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsPipelineInsertStage(table, cmsAT_END, grid);
  cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsMLU* text = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(text, "en", "US", "channel-mixing test table");
  cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
  cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  cmsWriteTag(profile, cmsSigAToB0Tag, table);
  cmsMLUfree(text);
  cmsPipelineFree(table);
  return Saved(profile);
}

void LittleCMSToSRGB(const std::vector<uint8_t>& profile, std::vector<uint8_t>& pixels, size_t size) {
  const lcms::ProfilePtr source(cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size())));
  const lcms::ProfilePtr srgb(cmsCreate_sRGBProfile());
  ASSERT_NE(source, nullptr);
  const cmsUInt32Number layout = size == 3 ? TYPE_BGR_8 : TYPE_BGRA_8;
  const lcms::TransformPtr t(cmsCreateTransform(source.get(), layout, srgb.get(), layout, INTENT_PERCEPTUAL, 0));
  ASSERT_NE(t, nullptr);
  cmsDoTransform(t.get(), pixels.data(), pixels.data(), cmsUInt32Number(pixels.size() / size));
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  const std::string s = testsupport::ReadFile(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace gditest
