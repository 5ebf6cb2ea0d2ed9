#include "platform/gdi/channel_sums_to_srgb.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi/lcms_handles.h"

namespace {

// Linear light 1.0 in the sums' units, which index the tone curve's table.
constexpr int kBits = 14;
constexpr int16_t kOne = int16_t(1) << kBits;

using lcms::CurvePtr;
using lcms::ProfilePtr;

// LittleCMS's sRGB with a straight tone curve: the same primaries and white, so that its
// colours are linear sRGB.
ProfilePtr LinearSRGB(cmsContext ctx) {
  ProfilePtr linear(cmsCreate_sRGBProfileTHR(ctx));
  CurvePtr straight(cmsBuildGamma(ctx, 1.0));
  if (!linear || !straight) return nullptr;
  for (cmsTagSignature tag : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
    if (!cmsWriteTag(linear.get(), tag, straight.get())) return nullptr;
  return linear;
}

// The 8-bit sRGB level of each linear value k / kOne (0 to 1), through the inverse of
// LittleCMS's own sRGB tone curve.
const std::vector<uint8_t>& SRGBCurve() {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> levels(size_t(kOne) + 1, 0);
    ProfilePtr srgb(cmsCreate_sRGBProfile());
    const auto* curve = srgb ? static_cast<const cmsToneCurve*>(cmsReadTag(srgb.get(), cmsSigRedTRCTag)) : nullptr;
    CurvePtr inverse(curve ? cmsReverseToneCurve(curve) : nullptr);
    for (size_t k = 0; k < levels.size(); ++k) {
      const double linear = double(k) / double(kOne);
      const double v = inverse ? cmsEvalToneCurveFloat(inverse.get(), cmsFloat32Number(linear)) : linear;
      levels[k] = uint8_t(std::clamp(std::lround(v * 255.0), 0L, 255L));
    }
    return levels;
  }();
  return table;
}

// Sums saturate at +-2.0, as far as the 16-bit units reach: a wider gamut's lone channel can
// reach beyond, and a sum that should have come back from there may come out wrong. The
// profile's road compares the sums with LittleCMS before using them.
int16_t Units(float v) {
  if (!std::isfinite(v)) return 0;  // a damaged profile's; the check against LittleCMS rejects it
  return int16_t(std::clamp(std::lround(double(v) * kOne), long(INT16_MIN), long(INT16_MAX)));
}

}  // namespace

std::unique_ptr<TChannelSumsToSRGB> TChannelSumsToSRGB::Sample(void* context, void* profile) {
  cmsContext ctx = static_cast<cmsContext>(context);
  ProfilePtr linear = LinearSRGB(ctx);
  if (!linear) return nullptr;
  lcms::TransformPtr toLinear(cmsCreateTransformTHR(ctx, static_cast<cmsHPROFILE>(profile), TYPE_RGB_FLT, linear.get(),
                                              TYPE_RGB_FLT, INTENT_PERCEPTUAL, 0));
  if (!toLinear) return nullptr;
  // Black, then each channel's levels alone.
  std::vector<float> in(3 * (1 + 3 * 256), 0.0f), out(in.size(), 0.0f);
  for (size_t channel = 0; channel < 3; ++channel)
    for (size_t v = 0; v < 256; ++v) in[3 * (1 + 256 * channel + v) + channel] = float(v) / 255.0f;
  cmsDoTransform(toLinear.get(), in.data(), out.data(), cmsUInt32Number(in.size() / 3));
  std::unique_ptr<TChannelSumsToSRGB> t(new TChannelSumsToSRGB);
  for (size_t channel = 0; channel < 3; ++channel)
    for (size_t v = 0; v < 256; ++v) {
      TLinear& to = t->levels_[channel][v];
      for (size_t k = 0; k < 3; ++k) {
        const float alone = out[3 * (1 + 256 * channel + v) + k];
        to.c[k] = Units(channel == 0 ? alone : alone - out[k]);
      }
    }
  return t;
}

void TChannelSumsToSRGB::Convert(uint8_t* pixels, size_t count, size_t size) const {
  const uint8_t* curve = SRGBCurve().data();
  const TLinear* red = levels_[0].data();
  const TLinear* green = levels_[1].data();
  const TLinear* blue = levels_[2].data();
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi16(kOne);
  // The sums go through memory: cheaper than taking the three words out of the register.
  alignas(16) uint16_t sum[4];
  for (size_t i = 0; i < count; ++i, pixels += size) {
    const __m128i r = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&red[pixels[2]]));
    const __m128i g = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&green[pixels[1]]));
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&blue[pixels[0]]));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(sum),
                     _mm_min_epi16(_mm_max_epi16(_mm_adds_epi16(_mm_adds_epi16(r, g), b), zero), one));
    pixels[0] = curve[sum[2]];
    pixels[1] = curve[sum[1]];
    pixels[2] = curve[sum[0]];
  }
#else
  for (size_t i = 0; i < count; ++i, pixels += size) {
    const TLinear& r = red[pixels[2]];
    const TLinear& g = green[pixels[1]];
    const TLinear& b = blue[pixels[0]];
    int32_t sum[3];
    for (int k = 0; k < 3; ++k)
      sum[k] = std::clamp(std::clamp(std::clamp(r.c[k] + g.c[k], INT16_MIN, INT16_MAX) + b.c[k], INT16_MIN, INT16_MAX),
                          0, int32_t(kOne));
    pixels[0] = curve[sum[2]];
    pixels[1] = curve[sum[1]];
    pixels[2] = curve[sum[0]];
  }
#endif
}
