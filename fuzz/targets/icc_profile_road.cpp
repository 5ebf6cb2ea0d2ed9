// Fuzz entry point: a colour profile as a picture carries it, decided on (sRGB already, channel
// sums, LittleCMS) and its conversion to sRGB run over a spread of pixels in every layout, and
// over a palette; converted colours must not come from outside the pixels' bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/gdi/profile_to_srgb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> profile(data, size);
  using P = TProfileToSRGB::TPixels;
  for (const P layout : {P::BGR, P::BGRX, P::BGRA}) {
    const auto t = TProfileToSRGB::For(profile, layout);
    if (!t) continue;
    const size_t bytes = layout == P::BGR ? 3 : 4, count = 4099;
    std::vector<uint8_t> pixels(count * bytes + 1, 0xA5);
    for (size_t i = 0; i < count * bytes; ++i) pixels[i] = uint8_t(i * 151 + i / 7);
    t->Convert(pixels.data(), count);
    if (pixels.back() != 0xA5) std::abort();  // written past the last pixel
    if (layout == P::BGRX)
      for (size_t i = 0; i < count; ++i)
        if (pixels[4 * i + 3] != uint8_t((4 * i + 3) * 151 + (4 * i + 3) / 7)) std::abort();
  }
  if (const auto palette = TProfileToSRGB::For(profile, P::Palette)) {
    std::vector<uint32_t> entries(256);
    for (uint32_t v = 0; v < 256; ++v) entries[v] = v << 24 | v * 0x010101u;
    palette->Convert(std::span<uint32_t>(entries));
    for (uint32_t v = 0; v < 256; ++v)
      if (entries[v] >> 24 != v) std::abort();
  }
  return 0;
}
