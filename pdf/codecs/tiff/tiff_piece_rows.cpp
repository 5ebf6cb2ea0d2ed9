#include "pdf/codecs/tiff/tiff_piece_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pdf/codecs/jpeg/jpeg_sample_rows.h"

namespace {

class TCodedPieceRows : public TTIFFPieceRows {
 public:
  TCodedPieceRows(std::unique_ptr<TByteFeed> bytes, TSampleRows::TCoding coding, int64_t rowBytes, uint32_t rows,
                  int64_t keepBytes)
      : rows_(std::move(bytes), coding, FlatePredictorParams{}, rowBytes, rows, keepBytes) {}
  const uint8_t* Next() override { return rows_.Next(); }
  bool PastData() const override { return rows_.PastData(); }

 private:
  TSampleRows rows_;
};

class TJPEGPieceRows : public TTIFFPieceRows {
 public:
  TJPEGPieceRows(std::string_view tables, std::string_view bytes, uint32_t width, uint32_t height, uint32_t samples,
                 int64_t rowBytes)
      : jpeg_(bytes, tables), row_(size_t(rowBytes), 0xFF) {
    usable_ = jpeg_.Opened() && jpeg_.Components() == samples &&
              JPEGFrameFitsPiece(jpeg_.Width(), jpeg_.Height(), width, height);
    copy_ = size_t(std::min<int64_t>(rowBytes, int64_t(jpeg_.Width()) * jpeg_.Components()));
  }
  const uint8_t* Next() override {
    const uint8_t* decoded = usable_ ? jpeg_.Next() : nullptr;
    pastData_ = decoded == nullptr;
    if (decoded != nullptr) std::memcpy(row_.data(), decoded, copy_);
    return row_.data();
  }
  bool PastData() const override { return pastData_; }

 private:
  TJPEGSampleRows jpeg_;
  std::vector<uint8_t> row_;  // beyond the frame's columns always 255
  size_t copy_ = 0;
  bool usable_ = false;
  bool pastData_ = false;
};

}  // namespace

std::unique_ptr<TTIFFPieceRows> CodedPieceRows(std::unique_ptr<TByteFeed> bytes, TSampleRows::TCoding coding,
                                               int64_t rowBytes, uint32_t rows, int64_t keepBytes) {
  return std::make_unique<TCodedPieceRows>(std::move(bytes), coding, rowBytes, rows, keepBytes);
}

std::unique_ptr<TTIFFPieceRows> JPEGPieceRows(std::string_view tables, std::string_view bytes, uint32_t width,
                                              uint32_t height, uint32_t samples, int64_t rowBytes) {
  return std::make_unique<TJPEGPieceRows>(tables, bytes, width, height, samples, rowBytes);
}

bool JPEGFrameFitsPiece(uint64_t frameWidth, uint64_t frameHeight, uint32_t width, uint32_t height) {
  auto fits = [](uint64_t frame, uint32_t piece) { return frame <= (uint64_t(piece) + 15) / 16 * 16; };
  return fits(frameWidth, width) && fits(frameHeight, height);
}
