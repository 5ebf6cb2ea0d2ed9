#include "pdf/codecs/jpeg/jpeg_profile_rows.h"

#include <algorithm>
#include <span>
#include <vector>

#include "pdf/codecs/jpeg/jpeg_glue.h"

namespace {

// The profile the data carry, joined as libjpeg joins its segments; empty without one.
std::vector<uint8_t> ProfileOf(std::string_view data) {
  unsigned char* profile = nullptr;
  unsigned length = 0;
  std::vector<uint8_t> bytes;
  if (vj_read_icc_profile(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &profile, &length) ==
          VJ_OK &&
      profile != nullptr)
    bytes.assign(profile, profile + length);
  vj_free(profile);
  return bytes;
}

}  // namespace

TJPEGProfileRows::TJPEGProfileRows(std::string_view data, bool grey) {
  if (data.empty()) return;
  const std::vector<uint8_t> profile = ProfileOf(data);
  if (profile.empty()) return;
  if (!grey) {
    colour_ = TProfileToSRGB::For(profile, TProfileToSRGB::TPixels::BGR);
    return;
  }
  // The canvas keeps a grey picture as palette indexes over a grey palette and converts the
  // palette: the same conversion of the 256 levels gives each level's pixel.
  const auto levels = TProfileToSRGB::For(profile, TProfileToSRGB::TPixels::Palette);
  if (!levels) return;
  std::array<uint32_t, 256> palette;
  for (uint32_t v = 0; v < 256; ++v) palette[v] = 0xff000000u | v << 16 | v << 8 | v;
  levels->Convert(std::span<uint32_t>(palette));
  greyLevels_ = std::make_unique<std::array<uint8_t, 3 * 256>>();
  for (size_t v = 0; v < 256; ++v) {
    (*greyLevels_)[3 * v] = uint8_t(palette[v]);
    (*greyLevels_)[3 * v + 1] = uint8_t(palette[v] >> 8);
    (*greyLevels_)[3 * v + 2] = uint8_t(palette[v] >> 16);
  }
}

void TJPEGProfileRows::Apply(TBitmap& band, int32_t rows) const {
  GdiBitmap& dib = band.Dib();
  if (!Converts() || dib.BitsPerPixel() != 24) return;
  const int32_t width = dib.Width();
  rows = std::min(rows, dib.Height());
  for (int32_t y = 0; y < rows; ++y) {
    uint8_t* p = dib.Row(y);
    if (colour_) {
      colour_->Convert(p, size_t(width));
      continue;
    }
    // Each pixel's three bytes are its grey level.
    const uint8_t* levels = greyLevels_->data();
    for (int32_t x = 0; x < width; ++x, p += 3) {
      const uint8_t* to = levels + 3 * size_t(p[0]);
      p[0] = to[0];
      p[1] = to[1];
      p[2] = to[2];
    }
  }
}
