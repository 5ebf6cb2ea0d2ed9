#include "app/page_samples.h"

#include <algorithm>
#include <cstring>

#include "app/footprint_pixels.h"
#include "platform/gdi/dib.h"

namespace Tarnwick1 {

namespace {

// BITMAPFILEHEADER and BITMAPINFOHEADER, the pixels right after them.
constexpr int64_t kHeaderSize = 54;

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// The distinct sampled places in order: a place's slot is its index here. (A slot for every
// place of a page 2^28 rows high, or wide, took a gigabyte beside the page.)
std::vector<int32_t> Distinct(std::vector<int32_t> sampled) {
  std::sort(sampled.begin(), sampled.end());
  sampled.erase(std::unique(sampled.begin(), sampled.end()), sampled.end());
  return sampled;
}

// The slot of place `at` among the sampled ones, or -1.
int32_t SlotOf(const std::vector<int32_t>& distinct, int64_t at) {
  const auto found = std::lower_bound(distinct.begin(), distinct.end(), at);
  return found != distinct.end() && *found == at ? int32_t(found - distinct.begin()) : -1;
}

}  // namespace

int64_t TPageSamples::Read(void* buffer, int64_t count) {
  whole_.SetPosition(pos_);
  const int64_t n = whole_.Read(buffer, count);
  pos_ += n;
  return n;
}

int64_t TPageSamples::Write(const void* buffer, int64_t count) {
  if (count <= 0 || pos_ < 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  const int64_t end = pos_ + count;
  // While sampling, only the header's bytes are kept as they are.
  const int64_t kept = sampling_ ? std::clamp<int64_t>(kHeaderSize - pos_, 0, count) : count;
  if (kept > 0) {
    whole_.SetPosition(pos_);
    whole_.WriteBuffer(bytes, kept);
  }
  if (sampling_ && kept < count) TakePixels(pos_ + kept - kHeaderSize, bytes + kept, count - kept);
  pos_ = end;
  size_ = std::max(size_, end);
  if (!sampling_ && !decided_ && whole_.Size() >= kHeaderSize) StartSampling();
  return count;
}

int64_t TPageSamples::Seek(int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: pos_ = offset; break;
    case TSeekOrigin::soCurrent: pos_ += offset; break;
    case TSeekOrigin::soEnd: pos_ = size_ + offset; break;
  }
  return pos_;
}

void TPageSamples::SetSize(int64_t size) {
  size_ = std::max<int64_t>(size, 0);
  if (!sampling_ || size_ < kHeaderSize) whole_.SetSize(size_);
  if (pos_ > size_) pos_ = size_;
}

void TPageSamples::StartSampling() {
  decided_ = true;
  const uint8_t* h = whole_.Memory();
  const int64_t w = int32_t(U32(h + 18)), ht = int32_t(U32(h + 22));
  const bool plain = h[0] == 'B' && h[1] == 'M' && U32(h + 10) == kHeaderSize && U32(h + 14) == 40 && w > 0 &&
                     ht > 0 && w * ht <= kMaxBitmapPixels && U16(h + 28) == 24 && U32(h + 30) == 0 &&
                     U32(h + 46) == 0;
  if (!plain) return;
  sampling_ = true;
  width_ = int32_t(w);
  height_ = int32_t(ht);
  stride_ = DibStride(w, 24);
  columns_ = Distinct(SamplePositions(w, side_));
  rows_ = Distinct(SamplePositions(ht, side_));
  samples_.assign(rows_.size() * columns_.size() * 3, 0);
  // Pixels already written go to the samples; from here on only the header is kept whole.
  if (whole_.Size() > kHeaderSize) TakePixels(0, whole_.Memory() + kHeaderSize, whole_.Size() - kHeaderSize);
  whole_.SetSize(kHeaderSize);
}

void TPageSamples::TakePixels(int64_t offset, const uint8_t* bytes, int64_t count) {
  while (count > 0 && offset / stride_ < height_) {
    // Rows that are not sampled are passed over at once (BMP rows run bottom-up: the next
    // sampled one is the sampled page row at or above this one).
    const int64_t pageRow = height_ - 1 - offset / stride_;
    const auto above = std::upper_bound(rows_.begin(), rows_.end(), pageRow);
    const int64_t next = above == rows_.begin() ? height_ : height_ - 1 - int64_t(*(above - 1));
    if (next * stride_ > offset) {
      const int64_t skip = std::min(count, next * stride_ - offset);
      offset += skip;
      bytes += skip;
      count -= skip;
      continue;
    }
    const int64_t within = offset % stride_;
    const int64_t take = std::min(count, stride_ - within);
    // BMP rows run bottom-up.
    const int32_t slot = SlotOf(rows_, height_ - 1 - offset / stride_);
    for (size_t k = 0; slot >= 0 && k < columns_.size(); ++k) {
      const int64_t first = std::max<int64_t>(3 * int64_t(columns_[k]), within);
      const int64_t last = std::min<int64_t>(3 * int64_t(columns_[k]) + 3, within + take);
      uint8_t* sample = &samples_[(size_t(slot) * columns_.size() + k) * 3];
      for (int64_t b = first; b < last; ++b) sample[b - 3 * int64_t(columns_[k])] = bytes[b - within];
    }
    offset += take;
    bytes += take;
    count -= take;
  }
}

bool TPageSamples::Complete() const {
  return sampling_ && size_ >= kHeaderSize + stride_ * (height_ - 1) + 3 * int64_t(width_);
}

void TPageSamples::Pixel(int32_t x, int32_t y, uint8_t* bgr) const {
  const size_t k = size_t(SlotOf(columns_, x)), slot = size_t(SlotOf(rows_, y));
  std::memcpy(bgr, &samples_[(slot * columns_.size() + k) * 3], 3);
}

}  // namespace Tarnwick1
