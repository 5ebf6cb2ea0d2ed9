// From logical units to content units: the header's frame, mapping modes, window and viewport,
// and the world transform.
#include <algorithm>
#include <cmath>

#include "pdf/content/metafile/pdf_metafile.h"
#include "platform/rtl/numbers.h"

namespace {

bool Usable(double v) { return std::isfinite(v) && v > 0; }

int32_t RoundExtent(double v) {
  if (!std::isfinite(v)) return 1;
  const int64_t n = RoundHalfEven(std::clamp(v, -2e9, 2e9));
  return n == 0 ? 1 : int32_t(n);
}

TPDFMatrix Multiply(const TPDFMatrix& a, const TPDFMatrix& b) {
  TPDFMatrix r;
  MatrixMultiply(r, a, b);
  return r;
}

}  // namespace

void TPDFMetafile::ReadHeader(const TMetafileRecord& r) {
  // The reference device: pixels and whole millimetres, as the player reads them (the
  // micrometres some writers add are not what a frame is measured against in playback).
  double px = r.I32(72), py = r.I32(76), mx = r.I32(80), my = r.I32(84);
  // Without one, a 96-dpi screen: an inch of it stands for a missing picture, its whole
  // millimetres and pixels for the mapping modes.
  const bool screenX = !Usable(px) || !Usable(mx), screenY = !Usable(py) || !Usable(my);
  if (screenX) px = 96, mx = 25.4;
  if (screenY) py = 96, my = 25.4;
  DevicePixelsX = screenX ? 960 : px, DeviceMillimetresX = screenX ? 254 : mx;
  DevicePixelsY = screenY ? 960 : py, DeviceMillimetresY = screenY ? 254 : my;
  const double ppmX = px / mx, ppmY = py / my;  // device pixels a millimetre

  // The frame (hundredths of a millimetre) is the picture; without one the bounds (device
  // pixels) are, and without those the device.
  double left = r.I32(24), top = r.I32(28);
  double fw = double(r.I32(32)) - left, fh = double(r.I32(36)) - top;  // hundredths of a millimetre
  if (!(fw > 0 && fh > 0)) {
    left = r.I32(8) / ppmX * 100, top = r.I32(12) / ppmY * 100;
    fw = (double(r.I32(16)) - r.I32(8)) / ppmX * 100, fh = (double(r.I32(20)) - r.I32(12)) / ppmY * 100;
  }
  // Device pixels to frame units: the frame's width spans two units and its height as many as
  // the picture box's aspect gives, so that the frame fills the box exactly (as the player
  // stretches a frame onto its rectangle); the box's aspect is the frame's within rounding.
  double boxAspect = double(Height) / double(Width);
  if (!(fw > 0 && fh > 0)) {
    // No picture at all: the reference device, its pixels square.
    left = top = 0, fw = mx * 100, fh = my * 100;
    boxAspect = fh / fw;
  }
  const double sx = 200.0 / (fw * ppmX), sy = 200.0 * boxAspect / (fh * ppmY);
  FrameTransform = {sx, 0, 0, sy, -left * 2 / fw, -top * 2 * boxAspect / fh};
  RecomputeTransforms();
}

void TPDFMetafile::SetMapMode(int32_t mode) {
  if (mode < 1 || mode > 8) return;
  MapMode = mode;
  // The fixed modes' extents in whole units of the reference device (div truncates):
  // millimetres and pixels, so that a logical unit is the mode's size on that device.
  const int64_t mx = int64_t(DeviceMillimetresX), my = int64_t(DeviceMillimetresY);
  const int64_t px = int64_t(DevicePixelsX), py = int64_t(DevicePixelsY);
  auto set = [this](int64_t wx, int64_t wy, int64_t vx, int64_t vy) {
    // A reference device of a few pixels would give an extent of 0: it counts as 1.
    auto extent = [](int64_t v) { return v == 0 ? 1 : int32_t(std::clamp<int64_t>(v, -2000000000, 2000000000)); };
    WindowExtX = extent(wx), WindowExtY = extent(wy), ViewportExtX = extent(vx), ViewportExtY = extent(vy);
  };
  switch (mode) {
    case 1: set(1, 1, 1, 1); break;
    case 2: set(mx, my, px / 10, -(py / 10)); break;                                  // 0.1 mm
    case 3: set(mx * 10, my * 10, px / 10, -(py / 10)); break;                        // 0.01 mm
    case 4: set(mx, my, px * 254 / 1000, -(py * 254 / 1000)); break;                  // 0.01 inch
    case 5: set(mx * 10, my * 10, px * 254 / 1000, -(py * 254 / 1000)); break;        // 0.001 inch
    case 6: set(mx * 1440 / 100, my * 1440 / 100, px * 254 / 1000, -(py * 254 / 1000)); break;  // twips
    case 7: set(mx, my, px / 10, -(py / 10)); break;                                  // isotropic, from 0.1 mm
    default: break;                                                                    // anisotropic: unchanged
  }
  RecomputeTransforms();
}

void TPDFMetafile::SetExtent(bool window, int32_t x, int32_t y) {
  // The fixed modes keep their extents, and an extent of 0 is refused.
  if ((MapMode != 7 && MapMode != 8) || x == 0 || y == 0) return;
  if (window)
    WindowExtX = x, WindowExtY = y;
  else
    ViewportExtX = x, ViewportExtY = y;
  RecomputeTransforms();
}

void TPDFMetafile::ScaleExtent(bool window, const TMetafileRecord& r) {
  const int64_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
  if ((MapMode != 7 && MapMode != 8) || xDenom == 0 || yDenom == 0) return;
  int32_t& ex = window ? WindowExtX : ViewportExtX;
  int32_t& ey = window ? WindowExtY : ViewportExtY;
  // An extent that comes out 0 becomes 1.
  ex = RoundExtent(double(ex) * double(xNum) / double(xDenom));
  ey = RoundExtent(double(ey) * double(yNum) / double(yDenom));
  RecomputeTransforms();
}

void TPDFMetafile::ModifyWorld(const TPDFMatrix& x, uint32_t mode) {
  switch (mode) {
    case 1: WorldTransform = kIdentityMatrix; break;
    case 2: WorldTransform = Multiply(x, WorldTransform); break;
    case 3: WorldTransform = Multiply(WorldTransform, x); break;
    case 4: WorldTransform = x; break;
    default: return;
  }
  RecomputeTransforms();
}

void TPDFMetafile::PageScale(double& sx, double& sy) const {
  sx = double(ViewportExtX) / WindowExtX;
  sy = double(ViewportExtY) / WindowExtY;
  if (MapMode == 7) {
    // Isotropic: both axes take the smaller scale, each keeping its direction.
    const double m = std::min(std::abs(sx), std::abs(sy));
    sx = std::copysign(m, sx), sy = std::copysign(m, sy);
  }
}

void TPDFMetafile::RecomputeTransforms() {
  double sx = 1, sy = 1;
  PageScale(sx, sy);
  const TPDFMatrix page = {sx, 0, 0, sy, ViewportOrgX - WindowOrgX * sx, ViewportOrgY - WindowOrgY * sy};
  DeviceTransform = Multiply(FrameTransform, BaseTransform);
  Transform = Multiply(Multiply(WorldTransform, page), DeviceTransform);
}

TMetafilePoint TPDFMetafile::Map(double x, double y) const {
  const TPDFMatrix& m = Transform;
  return {x * m[0] + y * m[2] + m[4], x * m[1] + y * m[3] + m[5]};
}

TMetafilePoint TPDFMetafile::MapDevice(double x, double y) const {
  const TPDFMatrix& m = DeviceTransform;
  return {x * m[0] + y * m[2] + m[4], x * m[1] + y * m[3] + m[5]};
}

double TPDFMetafile::LineScale() const {
  // The mean of the two axes' scales, so that rotated and mirrored drawings keep their widths.
  const TPDFMatrix& m = Transform;
  return std::sqrt(std::abs(m[0] * m[3] - m[1] * m[2]));
}

double TPDFMetafile::DevicePixel() const { return std::abs(DeviceTransform[0]); }
