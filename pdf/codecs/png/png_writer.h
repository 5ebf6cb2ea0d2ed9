// Writing a bitmap (optionally with an alpha mask, a transparent colour, a resolution and an
// ICC profile) as an 8-bit RGB or RGBA PNG stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"

class TPNGWriter {
 public:
  // Works on a 24-bit copy of the bitmap.
  explicit TPNGWriter(const TBitmap& bitmap);
  // Takes the bitmap over (no copy) and turns it into 24 bits.
  explicit TPNGWriter(std::unique_ptr<TBitmap> bitmap);

  // Only for a mask with a width and a height: one alpha byte per mask pixel, the first
  // (blue) byte of its 24-bit form, inverted when asked.
  void SetAlphaMask(TBitmap* mask, bool invert);
  void SetResolution(int32_t dpi) { Resolution = dpi; }
  // Stores the profile Flate-compressed.
  void SetICCProfile(std::string_view profile);
  // Writes the PNG at the stream's position.
  void SaveToStream(TStream& stream);

  // Dots per inch written to pHYs; 0 means 96.
  int32_t Resolution = 0;
  std::unique_ptr<TBitmap> Bitmap;
  bool HasAlpha = false;
  std::vector<std::vector<uint8_t>> AlphaRows;
  // When set a tRNS chunk is written; the colour is 0x00BBGGRR.
  bool HasTransparentColor = false;
  uint32_t TransparentColor = 0;
  // Flate-compressed profile.
  std::string ICCProfile;
  // For a PNG that is only handed on within the program (to a canvas): the image data goes
  // into stored deflate blocks, which cost no compression time.
  bool StoreOnly = false;

  static void WriteChunk(TStream& stream, std::string_view type, std::string_view data);
  std::string BuildIHDR() const;
  std::string BuildPHYs();
  std::string BuildTRNS() const;
  std::string BuildIDAT() const;
  std::string BuildICCP() const;
};
