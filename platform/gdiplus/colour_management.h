// Colour management of decoded pictures: an ICC profile embedded in the file turns the
// picture's colours into sRGB, the space everything else here draws in.
#pragma once

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {

// Converts the pixels (or, for indexed pictures, the palette) of data from its embedded
// profile to sRGB and forgets the profile. Pictures without a profile, with a profile that does
// not open or whose colour space does not match the pixels stay as they are.
void ApplyEmbeddedProfile(ImageData& data);

}  // namespace gdiplus
