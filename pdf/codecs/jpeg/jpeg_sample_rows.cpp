#include "pdf/codecs/jpeg/jpeg_sample_rows.h"

#include "pdf/codecs/jpeg/jpeg_glue.h"

TJPEGSampleRows::TJPEGSampleRows(std::string_view data, std::string_view head) {
  vj_header header{};
  if (vj_rows_open(reinterpret_cast<const unsigned char*>(head.data()), head.size(),
                   reinterpret_cast<const unsigned char*>(data.data()), data.size(), &rows_, &header) != VJ_OK)
    return;
  width_ = header.width;
  height_ = header.height;
  components_ = uint32_t(header.components);
  // A frame is at most 65,535 samples wide and libjpeg knows at most 10 components.
  row_.resize(size_t(width_) * components_);
}

TJPEGSampleRows::~TJPEGSampleRows() { vj_rows_close(rows_); }

const uint8_t* TJPEGSampleRows::Next() {
  if (rows_ == nullptr || row_.empty() || vj_rows_read(rows_, row_.data()) != VJ_OK) return nullptr;
  return row_.data();
}
