// The samples of a BMP picture made from its rows when they are needed, the rows read a piece
// at a time where they lie in the file (TDibRows): a render draws them a band at a time, and
// neither the file nor the picture is held whole.
#pragma once

#include <memory>

#include "pdf/content/image_import/bitmap_samples.h"
#include "pdf/core/objects/sample_source.h"
#include "platform/gdi/dib_rows.h"

class TBMPSamples : public TPDFSampleSource {
 public:
  explicit TBMPSamples(TDibRows rows);

  // The colour space, depth and Decode of the samples (as the whole picture's would have).
  const TBitmapSamples& Layout() const { return layout_; }
  int32_t Width() const { return rows_.Width(); }
  std::unique_ptr<TRows> Open() const override;
  int64_t HeldBytes() const override { return 0; }

 private:
  class TPictureRows;

  TDibRows rows_;
  TBitmapSamples layout_;
};
