// The structure of JPEG 2000 data as far as the wrapper needs it before and after the
// library decodes: where the codestream lies (inside a JP2 file or alone), where it ends
// (from the box length, else from the tile-part lengths) and what its image header states.
// Every read is checked against the data; nothing here allocates by a stated size.
#pragma once

#include <cstdint>
#include <span>

// What the image and size marker at the start of a codestream states.
struct TJpeg2000Header {
  bool Valid = false;
  int64_t Width = 0, Height = 0;  // of the image area
  int32_t Components = 0;
  int64_t Tiles = 0;
  // The samples of all components together (each component on its own sampling grid).
  int64_t Samples = 0;
};

struct TJpeg2000Layout {
  // 1 for a JP2 file, 2 for a codestream, 0 otherwise (as DetectJpeg2000Codec).
  int Codec = 0;
  // Offsets in the data: the codestream's first byte, and the first byte after it.
  int64_t CodestreamStart = 0;
  int64_t CodestreamEnd = 0;
  // The JP2 header holds a channel definition box.
  bool HasChannelDefinitions = false;
  TJpeg2000Header Header;
};

// 1 for a JP2 signature box, 2 for a codestream start followed by the image and size
// marker, 0 otherwise (the first 8 bytes decide).
int Jpeg2000CodecOf(std::span<const uint8_t> data);

// Reads the layout of the data; Codec 0 when the data start as neither form. When the
// codestream's end cannot be told, CodestreamEnd is the end of the data.
TJpeg2000Layout ReadJpeg2000Layout(std::span<const uint8_t> data);
