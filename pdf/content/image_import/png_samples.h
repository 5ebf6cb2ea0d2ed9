// The samples of a PNG picture that needs decoding (alpha, interlacing, 16-bit samples handed on
// at 8 bits), made from its image data row by row when they are needed: a render draws them a
// band at a time, and neither the inflated data nor the picture's samples are held whole. The
// colour samples and the alpha samples of one picture are two sources sharing its image data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/codecs/png/png_image_data.h"
#include "pdf/core/objects/sample_source.h"

class TPNGSamples : public TPDFSampleSource {
 public:
  enum TPart { kColour, kAlpha };

  // idat: the picture's image data; reduce: 16-bit samples are handed on at 8 bits.
  TPNGSamples(std::shared_ptr<const TPNGImageData> idat, const TPNGFormat& format, TPart part, bool reduce);

  std::unique_ptr<TRows> Open() const override;
  int64_t HeldBytes() const override { return idat_->HeldBytes(); }

 private:
  class TPictureRows;

  std::shared_ptr<const TPNGImageData> idat_;
  TPNGFormat format_;
  TPart part_;
  bool reduce_;
};
