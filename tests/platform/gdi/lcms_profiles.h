// RGB profiles made with LittleCMS's own API for the colour-conversion tests, and LittleCMS's
// own 8-bit conversion of pixels to sRGB (perceptual intent, no flags), the oracle those tests
// compare with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gditest {

std::vector<uint8_t> LittleCMSSRGB();
// sRGB's primaries and white under a plain gamma 2.2: near sRGB, but dark colours move by
// several levels.
std::vector<uint8_t> SRGBPrimariesGamma22();
// ProPhoto's primaries (D50 white) and gamma 1.8: a lone channel lies far outside sRGB.
std::vector<uint8_t> ProPhotoLike();
// An RGB profile whose conversion is a table that mixes the channels (lightness from their
// product): no sum of what each channel makes alone.
std::vector<uint8_t> MixingTable();

// LittleCMS's conversion of blue-green-red pixels (Size bytes each, the rest left alone) from
// the profile to its sRGB, in place.
void LittleCMSToSRGB(const std::vector<uint8_t>& Profile, std::vector<uint8_t>& Pixels, size_t Size);

std::vector<uint8_t> FileBytes(const std::string& Path);

}  // namespace gditest
