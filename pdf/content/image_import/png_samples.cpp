#include "pdf/content/image_import/png_samples.h"

#include <vector>

namespace {

int64_t PartRowBytes(const TPNGFormat& format, TPNGSamples::TPart part, bool reduce) {
  const int64_t bytes =
      part == TPNGSamples::kColour ? TPNGRows::ColourRowBytes(format) : TPNGRows::AlphaRowBytes(format);
  return reduce ? bytes / 2 : bytes;
}

}  // namespace

class TPNGSamples::TPictureRows : public TPDFSampleSource::TRows {
 public:
  explicit TPictureRows(const TPNGSamples& source)
      : source_(source),
        rows_(source.idat_->Rows(source.format_)),
        whole_(source.part_ == kColour ? TPNGRows::ColourRowBytes(source.format_)
                                       : TPNGRows::AlphaRowBytes(source.format_)),
        reduced_(source.reduce_ ? size_t(whole_ / 2) : 0) {}

  const uint8_t* Next() override {
    rows_->Next();
    const uint8_t* row = source_.part_ == kColour ? rows_->Colour() : rows_->Alpha();
    if (!source_.reduce_) return row;
    KeepHighBytes(row, whole_, reduced_.data());
    return reduced_.data();
  }

 private:
  const TPNGSamples& source_;
  std::unique_ptr<TPNGRows> rows_;
  int64_t whole_;
  std::vector<uint8_t> reduced_;
};

TPNGSamples::TPNGSamples(std::shared_ptr<const TPNGImageData> idat, const TPNGFormat& format, TPart part, bool reduce)
    : TPDFSampleSource(PartRowBytes(format, part, reduce), int32_t(format.Height)),
      idat_(std::move(idat)),
      format_(format),
      part_(part),
      reduce_(reduce) {}

std::unique_ptr<TPDFSampleSource::TRows> TPNGSamples::Open() const { return std::make_unique<TPictureRows>(*this); }
