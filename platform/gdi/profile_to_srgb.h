// The colours of 8-bit pixels turned from the ICC profile a picture carries into sRGB, the space
// everything else is drawn in: LittleCMS's built-in sRGB, perceptual intent. The GDI+ provider
// converts pictures loaded with colour management through it, and the PDF library the JPEG
// pictures it decodes itself, so that both show a picture alike. The colours come out within one
// level of LittleCMS's 8-bit transform: an RGB profile's pixels go through its road
// (profile_road.h), LittleCMS's own transform only where nothing faster gives its colours.
// Depends on nothing else of the graphics layer: the provider compiles it in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/gdi/channel_sums_to_srgb.h"

class TProfileToSRGB {
 public:
  // How the pixels handed over lie.
  enum class TPixels : uint8_t {
    BGR,      // three bytes a pixel: blue, green, red
    BGRX,     // four bytes a pixel, the fourth left as it is
    BGRA,     // four bytes a pixel, the fourth (alpha) copied
    Palette,  // 0xAARRGGBB entries; a grey profile reads their blue byte
  };

  // Profiles larger than this are not colour profiles a picture honestly carries.
  static constexpr size_t kMaxProfileBytes = size_t(16) << 20;

  // The conversion of such pixels from the profile, or nullptr when they are left as they are:
  // an empty or oversized profile, one LittleCMS cannot open or make a transform of, one of
  // another colour space than the pixels' (RGB for pixels; RGB or grey for palette entries), or
  // an RGB profile that is sRGB already.
  static std::unique_ptr<TProfileToSRGB> For(std::span<const uint8_t> Profile, TPixels Pixels);

  // How pixels are converted.
  enum class TRoad : uint8_t { ChannelSums, LittleCMS };
  TRoad Road() const { return sums_ ? TRoad::ChannelSums : TRoad::LittleCMS; }

  ~TProfileToSRGB();
  TProfileToSRGB(const TProfileToSRGB&) = delete;
  TProfileToSRGB& operator=(const TProfileToSRGB&) = delete;

  // Converts Count pixels in place (BGR, BGRX, BGRA).
  void Convert(uint8_t* Pixels, size_t Count) const;
  // Converts palette entries in place, keeping their alpha (Palette).
  void Convert(std::span<uint32_t> Entries) const;

 private:
  struct TContextRelease {
    void operator()(void* Context) const;
  };
  struct TTransformRelease {
    void operator()(void* Transform) const;
  };
  TProfileToSRGB() = default;

  // The context outlives the transform made in it (members go in reverse order).
  std::unique_ptr<void, TContextRelease> context_;
  std::unique_ptr<void, TTransformRelease> transform_;
  // Pixels of an RGB profile the channel sums convert; then there is no transform.
  std::shared_ptr<const TChannelSumsToSRGB> sums_;
  TPixels pixels_ = TPixels::BGR;
  bool grey_ = false;  // a palette read through a grey profile
};
