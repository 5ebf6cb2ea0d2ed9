// The rendered page as the footprint reads it. The library hands the page over as a BMP written
// into a stream, and the footprint reads side x side pixels of it; this stream takes the BMP
// as it is written and keeps its header and the pixels at the sampled places only, so that a
// page of many megapixels never needs a second full-size buffer. A file of any other layout
// than the plain 24-bit one the library writes is kept whole, for the general reader.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/streams.h"

namespace Tarnwick1 {

class TPageSamples : public TStream {
 public:
  explicit TPageSamples(int32_t side) : side_(side) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

  // True once the header showed the plain layout: the samples below are then all that is
  // kept of the pixels; else Whole() holds every byte written.
  bool Sampling() const { return sampling_; }
  TMemoryStream& Whole() { return whole_; }
  // The page's size, and whether every row reached the stream.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Complete() const;
  // Blue, green, red of page pixel (x, y) at a sampled column and row.
  void Pixel(int32_t x, int32_t y, uint8_t* bgr) const;

 private:
  void StartSampling();
  void TakePixels(int64_t offset, const uint8_t* bytes, int64_t count);

  int32_t side_;
  TMemoryStream whole_;  // the header while sampling, every byte otherwise
  int64_t size_ = 0, pos_ = 0;
  bool sampling_ = false, decided_ = false;
  int32_t width_ = 0, height_ = 0;
  int64_t stride_ = 0;
  // The sampled columns and rows in order (a place's slot is its index), and the samples' blue,
  // green, red by row slot and column slot.
  std::vector<int32_t> columns_, rows_;
  std::vector<uint8_t> samples_;
};

}  // namespace Tarnwick1
