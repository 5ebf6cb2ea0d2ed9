// What the files of the image decoder share: size limits, sample geometry, Decode arrays and
// the small PNG the stencil paths hand to the canvas.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/codecs/image_decoder/cmyk_terms.h"
#include "platform/gdi/gdi_types.h"

class TBitmap;

namespace imgdec {

// A decoded image over this many pixels is refused.
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 28;

// True for a size worth decoding: both sides positive and at most kMaxImagePixels in all.
bool ImageSizeAccepted(int64_t width, int64_t height);

// Samples per pixel of a colour space text (DeviceN: its component count).
int ComponentsOf(std::string_view colorSpace, int deviceNComponents);
// Bytes of one row of samples (no padding between rows); depths other than 1, 2, 4, 8 and 16
// give width.
int64_t RowBytesFor(int64_t width, int components, int bitsPerComponent);
bool UnpackableDepth(int bitsPerComponent);

// The numbers of an array text such as "[ 1 0 ]"; empty when the text is not an array of
// numbers.
std::vector<double> ParseNumberArray(std::string_view text);
// True when the Decode text begins with "[ 1 0" (the inverted form of a one-bit image).
bool DecodeStartsInverted(std::string_view decode);

// The Decode pair of component c, or the default (0, 1) when the array does not have one for
// every component.
std::pair<double, double> DecodePair(const std::vector<double>& decode, int c, int components);
// Maps a sample (its 8-bit scaled value) through one Decode pair onto 0..255.
using TByteTable = std::array<uint8_t, 256>;
TByteTable DecodeTable(double low, double high);
bool IsIdentity(const TByteTable& table);

// An 8-bit value of a sample of the given depth: 1 bit 0 or 255, 2 and 4 bits stretched,
// 8 bits itself, 16 bits its high byte.
inline uint8_t ScaleSample(uint32_t sample, int bitsPerComponent) {
  switch (bitsPerComponent) {
    case 1:
      return sample ? 255 : 0;
    case 2:
      return uint8_t(sample * 255 / 3);
    case 4:
      return uint8_t(sample * 255 / 15);
    case 16:
      return uint8_t(sample >> 8);
    default:
      return uint8_t(sample);
  }
}

// One row of 8-bit RGB samples (or grey samples, each made the three components) as the
// blue-green-red pixels of a 24-bit bitmap.
void SamplesToBGR(const uint8_t* samples, uint8_t* pixels, int64_t width, bool grey);

// How the raw samples of one row of a colour image become 24-bit pixels: per-component tables
// that scale the samples and apply Decode, an Indexed image's palette, and the state of the
// space's conversion (the last CMYK or DeviceN colour, asked for again only when it changes).
// Prepared once per image (TPDFImageDecoder::PrepareColorRows), used row after row.
struct TColorRows {
  enum Space { kGray, kRGB, kCMYK, kDeviceN, kIndexed };
  Space space = kGray;
  int components = 1;
  int bpc = 8;
  std::vector<TByteTable> tables;
  std::array<uint8_t, 256> indexOf{};
  std::array<std::array<uint8_t, 4>, 256> pixelOf{};  // Indexed: a sample's pixel bytes (blue, green, red, 0)
  std::vector<COLORREF> palette;
  // 8-bit RGB under the identity Decode: the samples are the pixels.
  bool fastRGB = false;
  // The row's raw samples are left in `samples` (for a colour key).
  bool keepSamples = false;
  std::vector<uint16_t> samples;
  std::vector<double> tints;
  bool haveLastTints = false;
  uint32_t lastCMYK = 0xFFFFFFFF;
  COLORREF lastColor = 0;
  std::shared_ptr<TCMYKTerms> cmykTerms;  // 8-bit CMYK with a manager of that form
};

// round(x * 255) of a colour component 0..1, halves to even, clamped.
uint8_t ComponentByte(double x);

// A PNG of one bit per pixel with a two-entry palette (entry 0, entry 1), image data in stored
// deflate blocks. rows holds height rows of rowBytes bytes, most significant bit first.
std::string TwoColourPNG(int32_t width, int32_t height, const uint8_t* rows, int64_t rowBytes, COLORREF entry0,
                         COLORREF entry1);

// A one-pixel bitmap made width x height pixels of its colour (24 bits).
void FillWithItsPixel(TBitmap& bitmap, int32_t width, int32_t height);
// The size at which an image and its mask are put together: the larger width and the larger
// height, unless that holds far more pixels than the larger of the two (a wide image over a
// tall mask), when the larger one's size serves.
std::pair<int32_t, int32_t> MaskMeetingSize(int32_t imageWidth, int32_t imageHeight, int32_t maskWidth,
                                            int32_t maskHeight);

}  // namespace imgdec
