#include "pdf/codecs/image_decoder/cmyk_terms.h"

#include <algorithm>

#include "pdf/render/colour/color_manager.h"

namespace {

// round(x * 255) clamped to a byte, halves to even, without branches: a photograph's
// components fall either side of every test at random. Adding and taking away 1.5 * 2^52 leaves
// the nearest whole number in the default rounding mode (ties to even).
inline uint32_t Byte(double x) {
  x = x > 0 ? x : 0;  // NaN too
  x = std::min(x, 1.0);
  constexpr double kShift = 6755399441055744.0;
  const double rounded = (x * 255 + kShift) - kShift;
  return uint32_t(rounded);
}

}  // namespace

bool TCMYKTerms::Prepare(const TPDFColorManager& manager) {
  ready_ = false;
  if (!manager.MultilinearCMYK()) return false;
  for (int v = 0; v < 256; ++v) unit_[size_t(v)] = v / 255.0;
  for (int k = 0; k < 256; ++k) {
    // f[i]: the colour at the corner whose bits are cyan (1), magenta (2), yellow (4).
    std::array<std::array<double, 8>, 3> f{};
    for (int i = 0; i < 8; ++i)
      manager.CMYKToRGB(i & 1, (i >> 1) & 1, (i >> 2) & 1, unit_[size_t(k)], f[0][size_t(i)], f[1][size_t(i)],
                        f[2][size_t(i)]);
    Terms& t = ofBlack_[size_t(k)];
    for (size_t ch = 0; ch < 3; ++ch) {
      const auto& v = f[ch];
      t[ch] = {v[0],
               v[1] - v[0],
               v[2] - v[0],
               v[4] - v[0],
               v[3] - v[1] - v[2] + v[0],
               v[5] - v[1] - v[4] + v[0],
               v[6] - v[2] - v[4] + v[0],
               v[7] - v[3] - v[5] - v[6] + v[1] + v[2] + v[4] - v[0]};
    }
  }
  ready_ = true;
  return true;
}

COLORREF TCMYKTerms::Color(uint8_t c, uint8_t m, uint8_t y, uint8_t k) const {
  const double cv = unit_[c], mv = unit_[m], yv = unit_[y];
  const double cm = cv * mv, cy = cv * yv, my = mv * yv, cmy = cm * yv;
  const Terms& t = ofBlack_[k];
  uint32_t out[3];
  for (size_t ch = 0; ch < 3; ++ch) {
    const auto& a = t[ch];
    out[ch] = Byte(a[0] + a[1] * cv + a[2] * mv + a[3] * yv + a[4] * cm + a[5] * cy + a[6] * my + a[7] * cmy);
  }
  return RGB(out[0], out[1], out[2]);
}
