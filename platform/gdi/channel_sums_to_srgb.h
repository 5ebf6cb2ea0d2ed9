// An RGB profile's conversion to sRGB taken apart the way a matrix/TRC profile is built: in
// linear sRGB each colour is the sum of what its red, green and blue make alone. LittleCMS
// converts the 3 x 256 lone channel levels once, in floating point; a pixel is then three table
// sums and the sRGB tone curve, a few nanoseconds where LittleCMS's own 8-bit transform takes
// about twelve. Only profiles whose conversion truly is such a sum give LittleCMS's colours
// this way: the profile's road (profile_road.h) checks that before using it.
// Depends on nothing else of the graphics layer: the GDI+ provider compiles it in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

class TChannelSumsToSRGB {
 public:
  // Sampled from an open LittleCMS RGB profile (a cmsHPROFILE) in its context (a cmsContext);
  // nullptr when LittleCMS makes no floating-point transform of it.
  static std::unique_ptr<TChannelSumsToSRGB> Sample(void* Context, void* Profile);

  // Converts Count pixels in place whose first three bytes are blue, green, red; Size bytes
  // a pixel (3 or 4, the fourth left as it is).
  void Convert(uint8_t* Pixels, size_t Count, size_t Size) const;

 private:
  TChannelSumsToSRGB() = default;

  // Linear sRGB red, green, blue in units of 2^-14 (sixteen times finer than 8-bit sRGB's
  // darkest step), and room for a fourth so that a sum is one vector addition.
  struct alignas(8) TLinear {
    int16_t c[4];
  };
  // What each level of red, green and blue adds; black's own linear colour is in red's.
  std::array<std::array<TLinear, 256>, 3> levels_{};
};
