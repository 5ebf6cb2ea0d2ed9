// The pixel store behind every bitmap: a device-independent bitmap of 1, 4, 8, 16 (5-5-5 or
// 5-6-5), 24 or 32 bits per pixel, rows padded to four bytes and kept top row first, with a
// colour table for the indexed depths. GDI bitmaps (HBITMAP) and TBitmap share this object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gdi/gdi_object.h"
#include "platform/gdi/gdi_types.h"

// Memory for pixels: pages and pictures of a megabyte and more are large blocks (see
// platform/rtl/large_blocks.h), smaller ones come from the heap.
void* AllocatePixelMemory(size_t bytes);
void FreePixelMemory(void* memory, size_t bytes) noexcept;

// Pixel memory whose bytes are left as they come until written: every writer of a bitmap's
// pixels (a clear, a fill, a decoder) sets them all, so a value written first is not wasted.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  T* allocate(size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocatePixelMemory(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept { FreePixelMemory(p, n * sizeof(T)); }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using PixelBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// An allocation of more pixels than this is refused.
inline constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;

// Bytes per row of a DIB: bits rounded up to a multiple of 32. Computed in 64 bits.
constexpr int64_t DibStride(int64_t width, int bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Raises EOutOfMemory when width x height is negative or above kMaxBitmapPixels.
void CheckBitmapSize(int64_t width, int64_t height);

class GdiBitmap : public GdiObject {
 public:
  // bitsPerPixel 1, 4, 8, 16, 24 or 32; for 16 `rgb565` picks 5-6-5 over 5-5-5.
  GdiBitmap() = default;
  GdiBitmap(int32_t width, int32_t height, int bitsPerPixel, bool rgb565 = false);
  uint32_t ObjectType() const override { return OBJ_BITMAP; }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  bool Is565() const { return rgb565_; }
  int64_t Stride() const { return stride_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Row y (0 = top). The caller keeps y within [0, Height).
  uint8_t* Row(int32_t y) { return pixels_.data() + stride_ * (bottomUp_ ? height_ - 1 - y : y); }
  const uint8_t* Row(int32_t y) const { return pixels_.data() + stride_ * (bottomUp_ ? height_ - 1 - y : y); }
  // DIB sections made for a positive height keep their last row first in memory, so that the
  // bits pointer the caller got means what the platform says it means.
  bool BottomUp() const { return bottomUp_; }
  void SetBottomUp(bool value);
  std::span<uint8_t> Bits() { return pixels_; }
  std::span<const uint8_t> Bits() const { return pixels_; }

  // The colour table of the indexed depths (up to 2^bpp entries; empty for the others).
  std::vector<RGBQUAD>& Colors() { return colors_; }
  const std::vector<RGBQUAD>& Colors() const { return colors_; }
  void SetColors(std::span<const RGBQUAD> colors);  // changes the table, not the indices

  // Reallocates without keeping pixels: all bytes 0, default colour table for the depth.
  void Reset(int32_t width, int32_t height, int bitsPerPixel, bool rgb565 = false);
  // As Reset, leaving the pixels for the caller to write every one of them (padding too).
  void Allocate(int32_t width, int32_t height, int bitsPerPixel, bool rgb565 = false);
  // New size keeping what overlaps; the new area is filled with `fill`.
  void Resize(int32_t width, int32_t height, COLORREF fill);
  // New depth converting every pixel (indexed targets map to the nearest table entry).
  void Convert(int bitsPerPixel, bool rgb565 = false);
  void CopyFrom(const GdiBitmap& other);
  // Takes the other's pixels and table; this object keeps its identity (and handle).
  void TakeFrom(GdiBitmap& other);

  // Raw pixel values: palette index, packed 16-bit value, or 0x00RRGGBB (plus alpha in the top
  // byte for 32 bits). Callers keep (x, y) inside the bitmap.
  uint32_t GetRaw(int32_t x, int32_t y) const;
  void SetRaw(int32_t x, int32_t y, uint32_t value);
  // Raw values and colours of this bitmap's format.
  COLORREF RawToColor(uint32_t raw) const;
  uint32_t ColorToRaw(COLORREF color) const;
  COLORREF GetColor(int32_t x, int32_t y) const { return RawToColor(GetRaw(x, y)); }
  void SetColor(int32_t x, int32_t y, COLORREF c) { SetRaw(x, y, ColorToRaw(c)); }
  // Sets every pixel.
  void Fill(COLORREF color);

  // The nearest entry of the colour table (first of equals).
  uint32_t NearestIndex(COLORREF color) const;

  // The raw value's significant bits (1, 4, 8, 16, 24 or 32 wide).
  uint32_t RawMask() const;

  // Resolution as read from or written to a BMP file (pixels per metre; 0 when unknown).
  int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;

 private:
  // Size, depth, layout and resolution of another bitmap (not its pixels or colours).
  void CopyLayout(const GdiBitmap& other);
  int32_t width_ = 0, height_ = 0;
  int bpp_ = 32;
  bool rgb565_ = false;
  bool bottomUp_ = false;
  int64_t stride_ = 0;
  PixelBytes pixels_;
  std::vector<RGBQUAD> colors_;
  mutable std::unordered_map<uint32_t, uint8_t> nearestCache_;
};

// A row of 16-bit pixels (5-5-5, or 5-6-5) as 24-bit BGR, each channel widened as the bitmap
// reads it.
void Packed16ToBgr(const uint8_t* row, int64_t width, bool rgb565, uint8_t* bgr);

// The colour table a new bitmap of an indexed depth gets: black and white for 1 bit, the
// sixteen standard colours for 4 bits, and for 8 bits those sixteen, a 6 x 6 x 6 colour cube
// and a grey ramp.
std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel);
