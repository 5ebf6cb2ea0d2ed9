// TJpeg2000Bitmap: a bitmap that loads JPEG 2000 data (JP2 files and bare codestreams) and
// saves itself as a JP2 file, through OpenJPEG. It is registered with the picture class for
// "jp2", "j2k" and "jpc". Failures raise EJpeg2000Error; a failed load leaves the bitmap as
// it was.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/rtl/streams.h"

class EJpeg2000Error : public EInvalidGraphic {
  using EInvalidGraphic::EInvalidGraphic;
};

// 1 for a JP2 file, 2 for a J2K codestream, 0 otherwise; the stream's position is kept.
int DetectJpeg2000Codec(TStream& Stream);

class TJpeg2000Bitmap : public TBitmap {
 public:
  TJpeg2000Bitmap() = default;

  // Decodes from the stream's position; leaves the stream just after the codestream.
  void LoadFromStream(TStream& Stream) override;
  // Writes the bitmap as a JP2 file at the stream's position.
  void SaveToStream(TStream& Stream) override;
  const char* ClassName() const override { return "TJpeg2000Bitmap"; }
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TJpeg2000Bitmap>(); }

  // The compression ratio of the single quality layer a save writes (0: lossless).
  float ComputeRate(int64_t Width, int64_t Height, int Components) const;

  bool Lossless = false;
  uint8_t Quality = 80;
};

// Decoding is refused past this many samples over all components: the library holds each
// sample in 32 bits, and decoding stays within a gigabyte for any input.
inline constexpr int64_t kMaxJpeg2000Samples = int64_t{1} << 27;
// Decoding is refused past this many tiles times components (the library keeps coding
// parameters for every one of them).
inline constexpr int64_t kMaxJpeg2000TileComponents = int64_t{1} << 16;
