#include "pdf/content/image_import/bmp_samples.h"

#include <vector>

#include "platform/gdi/dib.h"

namespace {

// 16-bit rows are widened to 24-bit ones first, as the bitmap reads their pixels.
TBitmapSamples LayoutOf(const TDibRows& rows) {
  return TBitmapSamples(rows.BitsPerPixel() == 16 ? 24 : rows.BitsPerPixel(), rows.Colors(), nullptr, false);
}

}  // namespace

class TBMPSamples::TPictureRows : public TPDFSampleSource::TRows {
 public:
  explicit TPictureRows(const TBMPSamples& source)
      : source_(source),
        reading_(source.rows_.Open()),
        wide_(source.rows_.BitsPerPixel() == 16 ? size_t(source.rows_.Width()) * 3 : 0),
        samples_(size_t(source.RowBytes())) {}

  const uint8_t* Next() override {
    const uint8_t* row = reading_->Next();
    const int32_t width = source_.rows_.Width();
    if (!wide_.empty()) {
      Packed16ToBgr(row, width, source_.rows_.Is565(), wide_.data());
      row = wide_.data();
    }
    source_.layout_.Convert(row, width, samples_.data());
    return samples_.data();
  }

 private:
  const TBMPSamples& source_;
  std::unique_ptr<TDibRows::TReading> reading_;
  std::vector<uint8_t> wide_, samples_;
};

TBMPSamples::TBMPSamples(TDibRows rows)
    : TPDFSampleSource(LayoutOf(rows).RowBytes(rows.Width()), rows.Height()),
      rows_(std::move(rows)),
      layout_(LayoutOf(rows_)) {}

std::unique_ptr<TPDFSampleSource::TRows> TBMPSamples::Open() const { return std::make_unique<TPictureRows>(*this); }
