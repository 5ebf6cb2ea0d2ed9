#include "pdf/codecs/tiff/tiff_data.h"

#include <algorithm>

#include "platform/rtl/file_at.h"

namespace {

// The file is read in blocks of at least this size: a directory and the values after it, or
// a run of strip offsets, take a read or two.
constexpr uint64_t kBlock = 64 * 1024;

}  // namespace

TTIFFData::TTIFFData(std::shared_ptr<const TFileAt> file, uint64_t size) : size_(size), file_(std::move(file)) {}

TTIFFData::~TTIFFData() = default;

std::string_view TTIFFData::View(uint64_t pos, uint64_t n) {
  if (pos > size_ || n > size_ - pos) return {};
  if (!file_) return bytes_.substr(size_t(pos), size_t(n));
  if (pos < blockAt_ || pos + n > blockAt_ + block_.size()) {
    // Not cleared before the file is read into it.
    block_.resize(size_t(std::min(std::max(n, kBlock), size_ - pos)));
    blockAt_ = pos;
    // Bytes the file no longer has (it shrank since its size was taken) are missing.
    block_.resize(size_t(std::max<int64_t>(0, file_->Read(int64_t(pos), block_.data(), int64_t(block_.size())))));
    if (n > block_.size()) return {};
  }
  return std::string_view(block_).substr(size_t(pos - blockAt_), size_t(n));
}
