#include "platform/gdi/profile_to_srgb.h"

#include <algorithm>

#include "platform/gdi/lcms_handles.h"
#include "platform/gdi/profile_road.h"

namespace {

using lcms::ProfilePtr;

// The layout LittleCMS reads and writes for the pixels; the input of a palette depends on the
// profile.
cmsUInt32Number LayoutOf(TProfileToSRGB::TPixels pixels) {
  switch (pixels) {
    case TProfileToSRGB::TPixels::BGR: return TYPE_BGR_8;
    case TProfileToSRGB::TPixels::BGRX:
    case TProfileToSRGB::TPixels::BGRA: return TYPE_BGRA_8;
    case TProfileToSRGB::TPixels::Palette: return TYPE_RGB_8;
  }
  return 0;
}

}  // namespace

void TProfileToSRGB::TContextRelease::operator()(void* context) const { lcms::ContextRelease()(context); }

void TProfileToSRGB::TTransformRelease::operator()(void* transform) const { lcms::TransformRelease()(transform); }

TProfileToSRGB::~TProfileToSRGB() = default;

std::unique_ptr<TProfileToSRGB> TProfileToSRGB::For(std::span<const uint8_t> profile, TPixels pixels) {
  if (profile.empty() || profile.size() > kMaxProfileBytes) return nullptr;
  const TProfileRoad road = TProfileRoad::Of(profile);
  const bool palette = pixels == TPixels::Palette;
  if (road.kind == TProfileRoad::TKind::Refused || road.kind == TProfileRoad::TKind::Unchanged) return nullptr;
  if (!(road.space == cmsSigRgbData || (palette && road.space == cmsSigGrayData))) return nullptr;
  std::unique_ptr<TProfileToSRGB> t(new TProfileToSRGB);
  t->pixels_ = pixels;
  // Palettes are a few entries: LittleCMS converts them itself.
  if (road.kind == TProfileRoad::TKind::Sums && !palette) {
    t->sums_ = road.sums;
    return t;
  }
  t->context_.reset(cmsCreateContext(nullptr, nullptr));
  if (!t->context_) return nullptr;
  cmsContext ctx = static_cast<cmsContext>(t->context_.get());
  lcms::SilenceErrors(ctx);
  ProfilePtr source(cmsOpenProfileFromMemTHR(ctx, profile.data(), cmsUInt32Number(profile.size())));
  ProfilePtr srgb(cmsCreate_sRGBProfileTHR(ctx));
  if (!source || !srgb) return nullptr;
  t->grey_ = palette && road.space == cmsSigGrayData;
  const cmsUInt32Number out = LayoutOf(pixels);
  const cmsUInt32Number in = t->grey_ ? TYPE_GRAY_8 : out;
  const cmsUInt32Number flags = pixels == TPixels::BGRA ? cmsFLAGS_COPY_ALPHA : 0;
  t->transform_.reset(cmsCreateTransformTHR(ctx, source.get(), in, srgb.get(), out, INTENT_PERCEPTUAL, flags));
  if (!t->transform_) return nullptr;
  return t;
}

void TProfileToSRGB::Convert(uint8_t* pixels, size_t count) const {
  if (pixels_ == TPixels::Palette) return;
  const size_t size = pixels_ == TPixels::BGR ? 3 : 4;
  if (sums_) {
    sums_->Convert(pixels, count, size);
    return;
  }
  // LittleCMS counts pixels in 32 bits.
  constexpr size_t kStep = size_t(1) << 30;
  for (size_t done = 0; done < count; done += kStep) {
    const size_t n = std::min(kStep, count - done);
    uint8_t* at = pixels + done * size;
    cmsDoTransform(transform_.get(), at, at, cmsUInt32Number(n));
  }
}

void TProfileToSRGB::Convert(std::span<uint32_t> entries) const {
  if (pixels_ != TPixels::Palette) return;
  for (uint32_t& entry : entries) {
    const uint8_t in[3] = {uint8_t(entry >> 16), uint8_t(entry >> 8), uint8_t(entry)};
    uint8_t out[3];
    cmsDoTransform(transform_.get(), grey_ ? &in[2] : in, out, 1);
    entry = (entry & 0xff000000u) | uint32_t(out[0]) << 16 | uint32_t(out[1]) << 8 | out[2];
  }
}
