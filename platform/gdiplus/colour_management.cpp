#include "platform/gdiplus/colour_management.h"

#include <memory>
#include <vector>

#include "platform/gdi/profile_to_srgb.h"

namespace gdiplus {
namespace {

// How the profile's conversion reads a plane's pixels; none for formats left alone.
bool PixelsOf(PixelFormat format, TProfileToSRGB::TPixels& pixels) {
  switch (format) {
    case PixelFormat24bppRGB: pixels = TProfileToSRGB::TPixels::BGR; return true;
    case PixelFormat32bppRGB: pixels = TProfileToSRGB::TPixels::BGRX; return true;
    case PixelFormat32bppARGB: pixels = TProfileToSRGB::TPixels::BGRA; return true;
    default: return false;
  }
}

}  // namespace

void ApplyEmbeddedProfile(ImageData& data) {
  const std::vector<uint8_t> icc = std::move(data.iccProfile);
  data.iccProfile.clear();
  Plane& plane = data.plane;
  if (icc.empty() || plane.empty()) return;
  TProfileToSRGB::TPixels pixels = TProfileToSRGB::TPixels::Palette;
  if (!plane.indexed() && !PixelsOf(plane.format(), pixels)) return;
  const std::unique_ptr<TProfileToSRGB> toSRGB = TProfileToSRGB::For(icc, pixels);
  if (!toSRGB) return;
  if (plane.indexed()) {
    toSRGB->Convert(plane.palette());
  } else {
    for (int32_t y = 0; y < plane.height(); ++y) toSRGB->Convert(plane.Row(y), size_t(plane.width()));
  }
  ++data.generation;
}

}  // namespace gdiplus
