#include "pdf/codecs/png/png_image_data.h"

#include <algorithm>

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// The chunks walked as the reader walked them: the data of each IDAT chunk, every other chunk
// passed over with its CRC, until the reader's count of image data bytes is reached.
class TChunkData : public TFlateInput {
 public:
  TChunkData(TSharedBytes file, int64_t firstChunk, int64_t bytes)
      : cursor_(file, firstChunk, file->Size()), left_(bytes) {}

  std::unique_ptr<TFlateInput> Clone() const override { return std::make_unique<TChunkData>(*this); }

  int64_t Read(uint8_t* out, int64_t n) override {
    int64_t done = 0;
    while (done < n && left_ > 0) {
      if (chunkLeft_ == 0 && !NextImageChunk()) break;
      const int64_t got = cursor_.Read(out + done, std::min({n - done, chunkLeft_, left_}));
      if (got <= 0) break;
      done += got;
      chunkLeft_ -= got;
      left_ -= got;
      // The CRC after the chunk's data.
      if (chunkLeft_ == 0) cursor_.Read(nullptr, 4);
    }
    return done;
  }

 private:
  // Passes over chunks up to the next IDAT chunk's data; false where there is none.
  bool NextImageChunk() {
    uint8_t head[8];
    while (cursor_.Read(head, 8) == 8) {
      const int64_t length = BigEndian32(head);
      if (head[4] == 'I' && head[5] == 'D' && head[6] == 'A' && head[7] == 'T') {
        if (length == 0) {
          cursor_.Read(nullptr, 4);
          continue;
        }
        chunkLeft_ = length;
        return true;
      }
      cursor_.Read(nullptr, length + 4);
    }
    left_ = 0;
    return false;
  }

  TByteCursor cursor_;
  int64_t left_;           // image data bytes still to come
  int64_t chunkLeft_ = 0;  // of the chunk being read
};

}  // namespace

TPNGImageData::TPNGImageData(std::string joined) : joined_(std::move(joined)), bytes_(int64_t(joined_.size())) {}

TPNGImageData::TPNGImageData(TSharedBytes file, int64_t firstChunk, int64_t bytes)
    : file_(std::move(file)), firstChunk_(firstChunk), bytes_(bytes) {}

std::unique_ptr<TPNGRows> TPNGImageData::Rows(const TPNGFormat& format) const {
  if (!file_) return std::make_unique<TPNGRows>(format, joined_);
  return std::make_unique<TPNGRows>(format, std::make_unique<TChunkData>(file_, firstChunk_, bytes_));
}
