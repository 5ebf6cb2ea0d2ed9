#include "pdf/codecs/jbig2/jbig2_bitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace jbig2 {

namespace {

template <int Op, typename T>
inline T Apply(T d, T s) {
  if constexpr (Op == kCombineOr)
    return d | s;
  else if constexpr (Op == kCombineAnd)
    return d & s;
  else if constexpr (Op == kCombineXor)
    return d ^ s;
  else if constexpr (Op == kCombineXnor)
    return static_cast<T>(~(d ^ s));
  else
    return s;
}

// Eight bytes in memory order as one number whose first byte is its highest, and back.
inline uint64_t SwapBigEndian(uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(v);
  return v;
}

// Where the source lies on the destination, in bytes: destination byte b takes the source
// bits from 8b - x on, that is source byte b + Offset shifted left by Shift and the high bits
// of the byte after it.
struct TPlacement {
  int64_t FirstByte, LastByte, Offset;
  int Shift;
  uint8_t FirstMask, LastMask;  // the destination pixels of the first and last byte covered
  int64_t SourceBytes;
};

// A destination byte that takes only the pixels of Mask, with which of its two source bytes
// lie in the source row (the same in every row).
struct TEdgeByte {
  int64_t B, Index;
  bool Hi, Lo;
  uint8_t Mask;
};

TEdgeByte EdgeByte(const TPlacement& p, int64_t b, uint8_t mask) {
  const int64_t i = b + p.Offset;
  return {b, i, i >= 0 && i < p.SourceBytes, i + 1 >= 0 && i + 1 < p.SourceBytes, mask};
}

template <int Op>
inline void CombineEdge(uint8_t* d, const uint8_t* s, int shift, const TEdgeByte& e) {
  const uint32_t hi = e.Hi ? s[e.Index] : 0, lo = e.Lo ? s[e.Index + 1] : 0;
  const auto v = static_cast<uint8_t>((hi << shift) | (lo >> (8 - shift)));
  d[e.B] = static_cast<uint8_t>((d[e.B] & ~e.Mask) | (Apply<Op>(d[e.B], v) & e.Mask));
}

// n destination bytes that take all eight bits, from source bytes q[0] .. q[n] shifted left by
// shift (q[n] only when shift is not 0); eight at a time, as symbols and patterns are cut out
// of collective bitmaps as wide as all of them together.
template <int Op>
inline void CombineMiddle(uint8_t* d, const uint8_t* q, int shift, int64_t n) {
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t v, w;
    std::memcpy(&v, q + i, 8);
    if (shift) v = SwapBigEndian(SwapBigEndian(v) << shift | uint64_t(q[i + 8] >> (8 - shift)));
    std::memcpy(&w, d + i, 8);
    w = Apply<Op>(w, v);
    std::memcpy(d + i, &w, 8);
  }
  for (; i < n; ++i)
    d[i] = Apply<Op>(d[i], static_cast<uint8_t>(shift ? (q[i] << shift) | (q[i + 1] >> (8 - shift)) : q[i]));
}

// The destination pixels covered lie in the source, so only the first and the last byte hold
// pixels the source does not reach (its padding bits among them), which their masks keep
// out; the bytes between take all eight bits, which lie in the source row.
template <int Op>
void CombineRows(TJBIG2Bitmap& dst, const TJBIG2Bitmap& src, int64_t y, int64_t y0, int64_t y1, const TPlacement& p) {
  const bool single = p.FirstByte == p.LastByte;
  const TEdgeByte first = EdgeByte(p, p.FirstByte, single ? p.FirstMask & p.LastMask : p.FirstMask);
  const TEdgeByte last = EdgeByte(p, p.LastByte, p.LastMask);
  for (int64_t row = y0; row < y1; ++row) {
    uint8_t* d = dst.Row(static_cast<int32_t>(row));
    const uint8_t* s = src.Row(static_cast<int32_t>(row - y));
    CombineEdge<Op>(d, s, p.Shift, first);
    if (single) continue;
    if (p.LastByte - p.FirstByte > 1)
      CombineMiddle<Op>(d + p.FirstByte + 1, s + (p.FirstByte + 1 + p.Offset), p.Shift, p.LastByte - p.FirstByte - 1);
    CombineEdge<Op>(d, s, p.Shift, last);
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
  TPlacement p;
  p.FirstByte = x0 >> 3;
  p.LastByte = (x1 - 1) >> 3;
  p.Offset = (-x) >> 3;
  p.Shift = static_cast<int>((-x) & 7);
  p.FirstMask = static_cast<uint8_t>(0xFFu >> (x0 & 7));
  p.LastMask = static_cast<uint8_t>(0xFFu << (7 - ((x1 - 1) & 7)));
  p.SourceBytes = source.stride_;
  switch (op) {
    case kCombineOr:
      return CombineRows<kCombineOr>(*this, source, y, y0, y1, p);
    case kCombineAnd:
      return CombineRows<kCombineAnd>(*this, source, y, y0, y1, p);
    case kCombineXor:
      return CombineRows<kCombineXor>(*this, source, y, y0, y1, p);
    case kCombineXnor:
      return CombineRows<kCombineXnor>(*this, source, y, y0, y1, p);
    default:
      return CombineRows<kCombineReplace>(*this, source, y, y0, y1, p);
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
