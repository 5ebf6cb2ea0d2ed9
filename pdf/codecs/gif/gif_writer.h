// TPDFGIFWriter: saves a rendered page as a single-image GIF87a file. The page bitmap is
// reduced to at most 256 colours by the octree quantiser; the index bytes go through the LZW
// encoder with a local colour table of 256 entries.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/gdi/gdi_types.h"

class TBitmap;
class TStream;

class TPDFGIFWriter {
 public:
  TPDFGIFWriter();
  ~TPDFGIFWriter();
  TPDFGIFWriter(const TPDFGIFWriter&) = delete;
  TPDFGIFWriter& operator=(const TPDFGIFWriter&) = delete;

  // Turns the caller's bitmap into 24 bit (in place) and quantises it. False, with no
  // quantised bitmap kept, for a bitmap that is empty, wider or higher than a GIF can say
  // (65,535), or that cannot be converted.
  bool SetBitmap(TBitmap& Bitmap);
  // Writes the GIF at the stream's position; false, writing nothing, without a quantised
  // bitmap.
  bool SaveToStream(TStream& Stream);

  static constexpr int32_t kMaxSide = 65535;

  int32_t Width = 0;
  int32_t Height = 0;
  std::unique_ptr<TBitmap> QuantizedBitmap;
  std::array<PALETTEENTRY, 256> PaletteEntries{};
};
