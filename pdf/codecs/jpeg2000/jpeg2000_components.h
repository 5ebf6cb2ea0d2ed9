// From decoded JPEG 2000 components to bitmap pixels: each component's channel type and its
// byte within a pixel, the scaling of its samples to bytes, and the YCbCr conversion.
#pragma once

#include <openjpeg.h>

#include <cstdint>
#include <vector>

class TBitmap;

// Channel types of the components.
enum : int32_t {
  kChannelUnspecified = 0,
  kChannelRed = 1,
  kChannelGreen = 2,
  kChannelBlue = 3,
  kChannelLuminance = 4,
  kChannelChromaBlue = 5,
  kChannelChromaRed = 6,
  kChannelAlpha = 7,
};

// How one component's samples are copied: its byte within a pixel (blue, green, red,
// alpha), its channel type, its largest sample value and the offset that makes signed
// samples unsigned.
struct TJpeg2000ComponentDescriptor {
  int32_t Position = 0;
  int32_t ChannelType = kChannelUnspecified;
  int64_t MaxValue = 255;
  int64_t SignOffset = 0;
};

// The channel types of the first `used` components. The library has put the colour
// channels of a JP2 file first, in the colour space's order, and marked opacity channels;
// a bare codestream tells nothing, so all its components are unspecified.
std::vector<int32_t> Jpeg2000ChannelTypes(const opj_image_t& image, int used, bool jp2, bool hasChannelDefinitions);

// The byte within a pixel that a channel type goes to; component `index` of `used`.
int32_t Jpeg2000BytePosition(int32_t channelType, int index, int used, bool sycc);

// Writes one component's samples, scaled to bytes, into the bitmap's pixels at the byte
// Position; a component on a coarser grid fills dx by dy pixels per sample. Nothing beyond
// the component's samples or the bitmap's pixels is touched.
void CopyJpeg2000Component(const opj_image_comp_t& component, const TJpeg2000ComponentDescriptor& descriptor,
                           TBitmap& bitmap);

// Turns pixels holding Y in byte 2, Cb in byte 1 and Cr in byte 0 into blue, green, red.
void ConvertYCbCrPixels(TBitmap& bitmap);
