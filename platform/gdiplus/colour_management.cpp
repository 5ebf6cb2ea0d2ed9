#include "platform/gdiplus/colour_management.h"

#include <lcms2.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace gdiplus {
namespace {

// Profiles larger than this are not colour profiles a picture honestly carries.
constexpr size_t kMaxProfileBytes = size_t(16) << 20;

void Quiet(cmsContext, cmsUInt32Number, const char*) {}

struct ContextDeleter {
  void operator()(cmsContext c) const { cmsDeleteContext(c); }
};
struct ProfileDeleter {
  void operator()(void* p) const { cmsCloseProfile(static_cast<cmsHPROFILE>(p)); }
};
struct TransformDeleter {
  void operator()(void* t) const { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(t)); }
};
using ContextPtr = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;
using ProfilePtr = std::unique_ptr<void, ProfileDeleter>;
using TransformPtr = std::unique_ptr<void, TransformDeleter>;

// The pixel layout lcms reads and writes for a plane format; 0 for formats left alone.
cmsUInt32Number PixelType(PixelFormat format) {
  switch (format) {
    case PixelFormat24bppRGB: return TYPE_BGR_8;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB: return TYPE_BGRA_8;
    default: return 0;
  }
}

void TransformPalette(cmsContext ctx, cmsHPROFILE source, cmsHPROFILE srgb, bool grey, std::vector<ARGB>& palette) {
  TransformPtr t(cmsCreateTransformTHR(ctx, source, grey ? TYPE_GRAY_8 : TYPE_RGB_8, srgb, TYPE_RGB_8,
                                       INTENT_PERCEPTUAL, 0));
  if (!t) return;
  for (ARGB& entry : palette) {
    const uint8_t in[3] = {uint8_t(entry >> 16), uint8_t(entry >> 8), uint8_t(entry)};
    uint8_t out[3];
    cmsDoTransform(t.get(), grey ? &in[2] : in, out, 1);
    entry = (entry & 0xff000000u) | ARGB(out[0]) << 16 | ARGB(out[1]) << 8 | out[2];
  }
}

}  // namespace

void ApplyEmbeddedProfile(ImageData& data) {
  const std::vector<uint8_t> icc = std::move(data.iccProfile);
  data.iccProfile.clear();
  Plane& plane = data.plane;
  if (icc.empty() || icc.size() > kMaxProfileBytes || plane.empty()) return;
  ContextPtr ctx(cmsCreateContext(nullptr, nullptr));
  if (!ctx) return;
  cmsSetLogErrorHandlerTHR(ctx.get(), Quiet);
  ProfilePtr source(cmsOpenProfileFromMemTHR(ctx.get(), icc.data(), cmsUInt32Number(icc.size())));
  ProfilePtr srgb(cmsCreate_sRGBProfileTHR(ctx.get()));
  if (!source || !srgb) return;
  // Kept as a number: a profile's header may name any value, not only the signatures the
  // enumeration lists.
  const cmsUInt32Number space = cmsGetColorSpace(source.get());
  if (plane.indexed()) {
    if (space == cmsSigRgbData || space == cmsSigGrayData)
      TransformPalette(ctx.get(), source.get(), srgb.get(), space == cmsSigGrayData, plane.palette());
    ++data.generation;
    return;
  }
  const cmsUInt32Number type = PixelType(plane.format());
  if (type == 0 || space != cmsSigRgbData) return;
  const cmsUInt32Number flags = plane.format() == PixelFormat32bppARGB ? cmsFLAGS_COPY_ALPHA : 0;
  TransformPtr t(cmsCreateTransformTHR(ctx.get(), source.get(), type, srgb.get(), type, INTENT_PERCEPTUAL, flags));
  if (!t) return;
  for (int32_t y = 0; y < plane.height(); ++y)
    cmsDoTransform(t.get(), plane.Row(y), plane.Row(y), cmsUInt32Number(plane.width()));
  ++data.generation;
}

}  // namespace gdiplus
