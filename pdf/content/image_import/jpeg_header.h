// Reading a JPEG file's size, component count and resolution from its markers.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/streams.h"

// Unit is -1 when no JFIF header gave one (0 aspect ratio only, 1 dots per inch, 2 dots per
// centimetre).
struct TJPEGHeaderInfo {
  int32_t Width = 0, Height = 0;
  int32_t Components = 3;
  int32_t XDensity = 0, YDensity = 0;
  int32_t Unit = -1;
  int32_t Precision = 0;  // sample bits from the frame header (0 when none was read)
  int32_t Frame = 0;      // the frame header's marker code, 0xC0 to 0xC3 (0 when none was read)
  // An APP14 segment named "Adobe" came before the frame header: Adobe's applications store
  // four-component samples inverted, and say so by that segment.
  bool Adobe = false;
};

// Scans the markers up to the first baseline, extended, progressive or lossless frame header.
// A segment whose length is below 2 or runs past the data ends the scan.
void ParseJPEGHeader(std::string_view data, TJPEGHeaderInfo& info);
// The same over the whole stream (read from position 0).
void ReadJPEGHeader(TStream& stream, TJPEGHeaderInfo& info);

// What a DCTDecode image can be: 8-bit samples of 1, 3 or 4 components, of a real size, in a
// DCT-based (not lossless) frame.
bool JPEGEmbeddable(const TJPEGHeaderInfo& info);
// Whether a file of `bytes` bytes can hold the picture its frame header states (see the
// definition); pictures of a few megapixels always can.
bool JPEGSizeBackedByData(const TJPEGHeaderInfo& info, int64_t bytes);
