// Bi-level bitmaps of the JBIG2 decoder, packed one bit per pixel (most significant bit
// first, 1 = black), and the factory that makes them within a memory budget.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace jbig2 {

class TJBIG2BitmapFactory;

// Combination operators of regions, symbols and patterns.
enum TCombinationOperator : int { kCombineOr = 0, kCombineAnd = 1, kCombineXor = 2, kCombineXnor = 3, kCombineReplace = 4 };

class TJBIG2Bitmap {
 public:
  TJBIG2Bitmap(int32_t width, int32_t height);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Bytes of one packed row.
  int32_t LineBytes() const { return stride_; }
  uint32_t BitmapNumber() const { return number_; }
  void SetBitmapNumber(uint32_t number) { number_ = number; }

  void Fill(int value);
  // 0 outside the bitmap.
  int GetPixel(int64_t x, int64_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return (bits_[static_cast<size_t>(y) * stride_ + (x >> 3)] >> (7 - (x & 7))) & 1;
  }
  // Ignored outside the bitmap.
  void SetPixel(int64_t x, int64_t y, int value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t& b = bits_[static_cast<size_t>(y) * stride_ + (x >> 3)];
    const auto mask = static_cast<uint8_t>(0x80u >> (x & 7));
    b = value ? uint8_t(b | mask) : uint8_t(b & ~mask);
  }
  uint8_t* Row(int32_t y) { return bits_.data() + static_cast<size_t>(y) * stride_; }
  const uint8_t* Row(int32_t y) const { return bits_.data() + static_cast<size_t>(y) * stride_; }

  // Places source with its top-left corner at (x, y); what falls outside this bitmap is cut.
  // Operators beyond REPLACE change nothing.
  void Combine(const TJBIG2Bitmap& source, int64_t x, int64_t y, int op);
  // Copies row from into row to.
  void DuplicateRow(int32_t to, int32_t from);
  // Row y as one byte per pixel (0 or 1); width zero bytes for a row outside the bitmap.
  void GetRowBytes(int32_t y, std::vector<uint8_t>& row) const;
  // Packed bytes of all rows.
  const std::vector<uint8_t>& Bits() const { return bits_; }

 private:
  friend class TJBIG2BitmapFactory;
  int32_t width_;
  int32_t height_;
  int32_t stride_;
  uint32_t number_ = 0;
  std::vector<uint8_t> bits_;
};

// Makes every bitmap of one decoding and owns it until it is released or the factory goes.
// A bitmap over MaxPixels pixels, or one that would take the live bitmaps past the byte
// budget, is refused (nullptr).
class TJBIG2BitmapFactory {
 public:
  static constexpr int64_t MaxPixels = int64_t{1} << 28;
  static constexpr int64_t DefaultBudget = int64_t{1} << 27;
  // What one bitmap costs besides its pixels, so that millions of tiny ones are bounded too.
  static constexpr int64_t Overhead = 128;

  explicit TJBIG2BitmapFactory(int64_t budget = DefaultBudget) : budget_(budget) {}

  TJBIG2Bitmap* Create(int64_t width, int64_t height);
  // A new bitmap holding the pixels of (x, y, width, height) of source; pixels outside it are 0.
  TJBIG2Bitmap* Extract(const TJBIG2Bitmap& source, int64_t x, int64_t y, int64_t width, int64_t height);
  // Grows bitmap to newHeight rows filled with value; false when the budget refuses it.
  bool ExpandHeight(TJBIG2Bitmap& bitmap, int64_t newHeight, int value);
  // Cuts bitmap to newHeight rows (when smaller).
  void ShrinkHeight(TJBIG2Bitmap& bitmap, int32_t newHeight);
  // Frees a bitmap nobody refers to any more.
  void Release(TJBIG2Bitmap* bitmap);
  int64_t BytesInUse() const { return used_; }
  static bool SizeAccepted(int64_t width, int64_t height) {
    return width >= 0 && height >= 0 && width <= MaxPixels && height <= MaxPixels && width * height <= MaxPixels;
  }

 private:
  static int64_t Cost(int64_t width, int64_t height) { return (width + 7) / 8 * height + Overhead; }
  int64_t budget_;
  int64_t used_ = 0;
  std::vector<std::unique_ptr<TJBIG2Bitmap>> bitmaps_;
};

}  // namespace jbig2
