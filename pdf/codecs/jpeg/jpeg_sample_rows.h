// The rows of a JPEG picture one after another, as libjpeg gives its samples (grey, RGB,
// CMYK, or the stored components of data in no colour space libjpeg knows): for readers that
// take a picture's samples a row at a time and turn them into pixels themselves. Only
// libjpeg's own buffers of a few rows are held; progressive data are not read.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct vj_rows;

class TJPEGSampleRows {
 public:
  // The data are held by the caller while rows are read: `head` (which may be empty), then
  // `data`, read as one datastream (tables kept apart from the data they serve).
  explicit TJPEGSampleRows(std::string_view data, std::string_view head = {});
  ~TJPEGSampleRows();
  TJPEGSampleRows(const TJPEGSampleRows&) = delete;
  TJPEGSampleRows& operator=(const TJPEGSampleRows&) = delete;

  // Whether the decode started: a picture of sequential JPEG data. Width, Height and
  // Components are 0 when it did not.
  bool Opened() const { return rows_ != nullptr; }
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  uint32_t Components() const { return components_; }
  // The next row (Width x Components bytes), valid until the next call; nullptr past the last
  // row or once the data failed.
  const uint8_t* Next();

 private:
  vj_rows* rows_ = nullptr;
  uint32_t width_ = 0, height_ = 0, components_ = 0;
  std::vector<uint8_t> row_;
};
