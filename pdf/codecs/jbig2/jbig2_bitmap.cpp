#include "pdf/codecs/jbig2/jbig2_bitmap.h"

#include <algorithm>
#include <cstring>

namespace jbig2 {

namespace {

// Eight bits of a packed row starting at bit position pos (may be negative); bits outside
// 0..width-1 read as 0.
inline uint32_t EightBits(const uint8_t* row, int64_t width, int64_t pos) {
  const int64_t bytes = (width + 7) >> 3;
  const int64_t index = pos >> 3;  // arithmetic shift: floor
  const int shift = static_cast<int>(pos & 7);
  uint32_t hi = (index >= 0 && index < bytes) ? row[index] : 0;
  uint32_t lo = (index + 1 >= 0 && index + 1 < bytes) ? row[index + 1] : 0;
  uint32_t v = ((hi << 8) | lo) >> (8 - shift);
  v &= 0xFF;
  // Mask what lies left of 0 or right of width - 1.
  if (pos < 0) v &= 0xFFu >> std::min<int64_t>(8, -pos);
  if (pos + 8 > width) {
    const int64_t keep = width - pos;
    v &= keep <= 0 ? 0u : (0xFFu << (8 - keep)) & 0xFF;
  }
  return v;
}

inline uint8_t Apply(uint8_t d, uint8_t s, uint8_t mask, int op) {
  uint8_t r;
  switch (op) {
    case kCombineOr:
      r = d | s;
      break;
    case kCombineAnd:
      r = d & s;
      break;
    case kCombineXor:
      r = d ^ s;
      break;
    case kCombineXnor:
      r = static_cast<uint8_t>(~(d ^ s));
      break;
    default:
      r = s;
      break;
  }
  return static_cast<uint8_t>((d & ~mask) | (r & mask));
}

// Destination bytes begin..end of a row, each taken whole from the source bits at byte
// b + offset shifted left by shift; the caller makes sure both source bytes lie in the row.
template <int Op>
void CombineWholeBytes(uint8_t* d, const uint8_t* s, int64_t begin, int64_t end, int64_t offset, int shift) {
  for (int64_t b = begin; b <= end; ++b) {
    const uint8_t* p = s + (b + offset);
    const auto v = static_cast<uint8_t>(shift ? (p[0] << shift) | (p[1] >> (8 - shift)) : p[0]);
    if constexpr (Op == kCombineOr)
      d[b] |= v;
    else if constexpr (Op == kCombineAnd)
      d[b] &= v;
    else if constexpr (Op == kCombineXor)
      d[b] ^= v;
    else if constexpr (Op == kCombineXnor)
      d[b] = static_cast<uint8_t>(~(d[b] ^ v));
    else
      d[b] = v;
  }
}

void CombineWholeBytes(int op, uint8_t* d, const uint8_t* s, int64_t begin, int64_t end, int64_t offset, int shift) {
  switch (op) {
    case kCombineOr:
      return CombineWholeBytes<kCombineOr>(d, s, begin, end, offset, shift);
    case kCombineAnd:
      return CombineWholeBytes<kCombineAnd>(d, s, begin, end, offset, shift);
    case kCombineXor:
      return CombineWholeBytes<kCombineXor>(d, s, begin, end, offset, shift);
    case kCombineXnor:
      return CombineWholeBytes<kCombineXnor>(d, s, begin, end, offset, shift);
    default:
      return CombineWholeBytes<kCombineReplace>(d, s, begin, end, offset, shift);
  }
}

}  // namespace

TJBIG2Bitmap::TJBIG2Bitmap(int32_t width, int32_t height)
    : width_(width), height_(height), stride_((width + 7) / 8), bits_(static_cast<size_t>(stride_) * height, 0) {}

void TJBIG2Bitmap::Fill(int value) { std::fill(bits_.begin(), bits_.end(), value ? 0xFF : 0x00); }

void TJBIG2Bitmap::Combine(const TJBIG2Bitmap& source, int64_t x, int64_t y, int op) {
  if (op < kCombineOr || op > kCombineReplace) return;
  const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(x + source.width_, width_);
  const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(y + source.height_, height_);
  if (x0 >= x1 || y0 >= y1) return;
  const int64_t firstByte = x0 >> 3, lastByte = (x1 - 1) >> 3;
  // Destination byte b takes the source bits from 8b - x on: a whole-byte offset and a shift
  // the same for every byte. The bytes between the first and the last whose eight source bits
  // all lie in the source row are taken whole; the others bit by bit, with their masks.
  const int64_t offset = (-x) >> 3;
  const int shift = static_cast<int>((-x) & 7);
  const int64_t wholeBegin = std::max(firstByte + 1, -offset);
  const int64_t wholeEnd = std::min(lastByte - 1, (source.width_ + x - 8) >> 3);
  const auto edge = [&](uint8_t* d, const uint8_t* s, int64_t b) {
    uint8_t mask = 0xFF;
    if (b == firstByte) mask &= static_cast<uint8_t>(0xFFu >> (x0 & 7));
    if (b == lastByte) mask &= static_cast<uint8_t>(0xFFu << (7 - ((x1 - 1) & 7)));
    const auto bits = static_cast<uint8_t>(EightBits(s, source.width_, b * 8 - x));
    d[b] = Apply(d[b], bits, mask, op);
  };
  for (int64_t row = y0; row < y1; ++row) {
    uint8_t* d = Row(static_cast<int32_t>(row));
    const uint8_t* s = source.Row(static_cast<int32_t>(row - y));
    if (wholeBegin > wholeEnd) {
      for (int64_t b = firstByte; b <= lastByte; ++b) edge(d, s, b);
      continue;
    }
    for (int64_t b = firstByte; b < wholeBegin; ++b) edge(d, s, b);
    CombineWholeBytes(op, d, s, wholeBegin, wholeEnd, offset, shift);
    for (int64_t b = wholeEnd + 1; b <= lastByte; ++b) edge(d, s, b);
  }
}

void TJBIG2Bitmap::DuplicateRow(int32_t to, int32_t from) {
  if (to < 0 || to >= height_ || from < 0 || from >= height_ || to == from || stride_ == 0) return;
  std::memcpy(Row(to), Row(from), static_cast<size_t>(stride_));
}

void TJBIG2Bitmap::GetRowBytes(int32_t y, std::vector<uint8_t>& row) const {
  row.assign(static_cast<size_t>(width_), 0);
  if (y < 0 || y >= height_) return;
  const uint8_t* r = Row(y);
  for (int32_t x = 0; x < width_; ++x) row[static_cast<size_t>(x)] = (r[x >> 3] >> (7 - (x & 7))) & 1;
}

TJBIG2Bitmap* TJBIG2BitmapFactory::Create(int64_t width, int64_t height) {
  if (!SizeAccepted(width, height)) return nullptr;
  const int64_t cost = Cost(width, height);
  if (used_ + cost > budget_) return nullptr;
  try {
    bitmaps_.push_back(std::make_unique<TJBIG2Bitmap>(static_cast<int32_t>(width), static_cast<int32_t>(height)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  used_ += cost;
  return bitmaps_.back().get();
}

TJBIG2Bitmap* TJBIG2BitmapFactory::Extract(const TJBIG2Bitmap& source, int64_t x, int64_t y, int64_t width,
                                          int64_t height) {
  TJBIG2Bitmap* out = Create(width, height);
  if (out) out->Combine(source, -x, -y, kCombineReplace);
  return out;
}

bool TJBIG2BitmapFactory::ExpandHeight(TJBIG2Bitmap& bitmap, int64_t newHeight, int value) {
  if (newHeight <= bitmap.height_) return true;
  if (!SizeAccepted(bitmap.width_, newHeight)) return false;
  const int64_t extra = Cost(bitmap.width_, newHeight) - Cost(bitmap.width_, bitmap.height_);
  if (used_ + extra > budget_) return false;
  try {
    bitmap.bits_.resize(static_cast<size_t>(bitmap.stride_) * static_cast<size_t>(newHeight), value ? 0xFF : 0x00);
  } catch (const std::bad_alloc&) {
    return false;
  }
  bitmap.height_ = static_cast<int32_t>(newHeight);
  used_ += extra;
  return true;
}

void TJBIG2BitmapFactory::ShrinkHeight(TJBIG2Bitmap& bitmap, int32_t newHeight) {
  if (newHeight < 0 || newHeight >= bitmap.height_) return;
  used_ -= Cost(bitmap.width_, bitmap.height_) - Cost(bitmap.width_, newHeight);
  bitmap.bits_.resize(static_cast<size_t>(bitmap.stride_) * static_cast<size_t>(newHeight));
  bitmap.bits_.shrink_to_fit();
  bitmap.height_ = newHeight;
}

void TJBIG2BitmapFactory::Release(TJBIG2Bitmap* bitmap) {
  if (!bitmap) return;
  auto it = std::find_if(bitmaps_.rbegin(), bitmaps_.rend(), [&](const auto& p) { return p.get() == bitmap; });
  if (it == bitmaps_.rend()) return;
  used_ -= Cost(bitmap->width_, bitmap->height_);
  bitmaps_.erase(std::next(it).base());
}

}  // namespace jbig2
