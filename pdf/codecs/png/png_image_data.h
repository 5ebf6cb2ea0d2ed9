// A PNG picture's image data, for the rows made from them: joined in memory, or read where
// they lie in the file a piece at a time (the data of the IDAT chunks from the first one on,
// as far as the reader took them), so that a large file is never held whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/codecs/png/png_rows.h"
#include "platform/rtl/byte_source.h"

class TPNGImageData {
 public:
  explicit TPNGImageData(std::string joined);
  // file: the PNG file; firstChunk: where its first IDAT chunk starts; bytes: how many bytes of
  // image data the chunks from there on give.
  TPNGImageData(TSharedBytes file, int64_t firstChunk, int64_t bytes);

  // Bytes of image data, and those held in memory.
  int64_t Bytes() const { return bytes_; }
  int64_t HeldBytes() const { return int64_t(joined_.size()); }
  // The picture's rows from the first.
  std::unique_ptr<TPNGRows> Rows(const TPNGFormat& format) const;

 private:
  std::string joined_;
  TSharedBytes file_;
  int64_t firstChunk_ = 0;
  int64_t bytes_ = 0;
};
