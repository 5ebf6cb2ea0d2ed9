// The samples of a TIFF page that only the reader can decode (16-bit little-endian samples,
// extra samples, predictors on deeper samples, CMYK PackBits), made from the page's strips row
// by row when they are needed: a render draws them a band at a time, and no bitmap of the page
// is held beside its samples.
#pragma once

#include <cstdint>
#include <memory>

#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/content/image_import/bitmap_samples.h"
#include "pdf/core/objects/sample_source.h"

class TTIFFPageSamples : public TPDFSampleSource {
 public:
  // A source for the page, taking its strips over; nullptr when the reader cannot decode it.
  // The samples are those WriteBitmap makes of the decoded page.
  static std::unique_ptr<TTIFFPageSamples> Make(TPDFTIFFPage&& page);

  const TBitmapSamples& Layout() const { return layout_; }
  std::unique_ptr<TRows> Open() const override;
  int64_t HeldBytes() const override;

 private:
  TTIFFPageSamples(TPDFTIFFPage&& page, const TBitmapSamples& layout, int64_t rowBytes);
  class TPageRows;

  TPDFTIFFPage page_;
  TBitmapSamples layout_;
};
