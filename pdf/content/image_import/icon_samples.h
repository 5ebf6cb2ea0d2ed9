// The samples of an icon's chosen entry as the icon shows on a white bitmap, made from the
// entry's rows when they are needed, a row at a time: a DIB entry's colours through its own
// alpha or its AND mask, a PNG entry's through its alpha channel or transparent colour (16-bit
// samples by their high bytes), composited onto white. DeviceRGB, 8 bits.
#pragma once

#include <memory>
#include <string>

#include "pdf/codecs/png/png_image_data.h"
#include "pdf/core/objects/sample_source.h"
#include "platform/gdi/dib_rows.h"

class TIconDIBSamples : public TPDFSampleSource {
 public:
  explicit TIconDIBSamples(TDibRows rows);

  std::unique_ptr<TRows> Open() const override;
  int64_t HeldBytes() const override { return 0; }

 private:
  class TPictureRows;

  TDibRows rows_;
  // 32-bit pixels carry their coverage when any of them has some; else the AND mask does.
  bool ownAlpha_ = false;
};

class TIconPNGSamples : public TPDFSampleSource {
 public:
  // palette: the PLTE entries' R, G, B; transparency: the tRNS chunk's data as read.
  TIconPNGSamples(std::shared_ptr<const TPNGImageData> idat, const TPNGFormat& format, std::string palette,
                  const std::string& transparency);

  std::unique_ptr<TRows> Open() const override;
  int64_t HeldBytes() const override { return idat_->HeldBytes(); }

 private:
  class TPictureRows;

  std::shared_ptr<const TPNGImageData> idat_;
  TPNGFormat format_;
  std::string palette_;
  // Palette pictures: each index's coverage. Grey and colour ones: the sample values that are
  // transparent, when the file names them.
  std::string coverage_;
  bool keyed_ = false;
  uint16_t key_[3] = {0, 0, 0};
};
