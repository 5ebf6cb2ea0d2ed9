#include "platform/gdi/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/large_blocks.h"

namespace {

bool ValidDepth(int bpp) {
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

uint8_t Expand5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }
uint8_t Expand6(uint32_t v) { return uint8_t((v << 2) | (v >> 4)); }

}  // namespace

void CheckBitmapSize(int64_t width, int64_t height) {
  if (width < 0 || height < 0 || (width > 0 && height > kMaxBitmapPixels / width))
    throw EOutOfMemory("Not enough storage is available to process this command");
}

std::vector<RGBQUAD> DefaultColorTable(int bpp) {
  auto q = [](uint8_t r, uint8_t g, uint8_t b) { return RGBQUAD{b, g, r, 0}; };
  std::vector<RGBQUAD> t;
  if (bpp == 1) {
    t = {q(0, 0, 0), q(255, 255, 255)};
  } else if (bpp == 4 || bpp == 8) {
    // The sixteen colours in the order of the platform's 16-colour palette.
    t = {q(0, 0, 0),       q(128, 0, 0),   q(0, 128, 0),   q(128, 128, 0),
         q(0, 0, 128),     q(128, 0, 128), q(0, 128, 128), q(128, 128, 128),
         q(192, 192, 192), q(255, 0, 0),   q(0, 255, 0),   q(255, 255, 0),
         q(0, 0, 255),     q(255, 0, 255), q(0, 255, 255), q(255, 255, 255)};
    if (bpp == 8) {
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b) t.push_back(q(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)));
      // 16 + 216 = 232; a grey ramp fills the rest.
      for (int i = 0; t.size() < 256; ++i) {
        const uint8_t v = uint8_t(8 + i * 10);
        t.push_back(q(v, v, v));
      }
    }
  }
  return t;
}

void* AllocatePixelMemory(size_t bytes) {
  if (VELMORA_LARGE_BLOCKS && bytes >= LargeBlocks::kMinimum)
    if (void* block = LargeBlocks::Allocate(bytes, LargeBlocks::Use::Pixels)) return block;
  return ::operator new(bytes);
}

void FreePixelMemory(void* memory, size_t bytes) noexcept {
  if (VELMORA_LARGE_BLOCKS && bytes >= LargeBlocks::kMinimum && LargeBlocks::FreeIfOwned(memory)) return;
  ::operator delete(memory);
}

GdiBitmap::GdiBitmap(int32_t width, int32_t height, int bpp, bool rgb565) {
  Reset(width, height, bpp, rgb565);
}

void GdiBitmap::Reset(int32_t width, int32_t height, int bpp, bool rgb565) {
  Allocate(width, height, bpp, rgb565);
  std::fill(pixels_.begin(), pixels_.end(), uint8_t{0});
}

void GdiBitmap::Allocate(int32_t width, int32_t height, int bpp, bool rgb565) {
  if (!ValidDepth(bpp)) throw EInvalidOperation("Invalid pixel format");
  CheckBitmapSize(width, height);
  const int64_t stride = DibStride(width, bpp);
  PixelBytes pixels(size_t(stride * height));
  pixels_ = std::move(pixels);
  width_ = width;
  height_ = height;
  bpp_ = bpp;
  rgb565_ = bpp == 16 && rgb565;
  stride_ = stride;
  colors_ = DefaultColorTable(bpp);
  nearestCache_.clear();
  bottomUp_ = false;
}

void GdiBitmap::SetBottomUp(bool value) {
  if (value == bottomUp_) return;
  for (int32_t y = 0; y < height_ / 2; ++y)
    std::swap_ranges(pixels_.begin() + stride_ * y, pixels_.begin() + stride_ * (y + 1),
                     pixels_.begin() + stride_ * (height_ - 1 - y));
  bottomUp_ = value;
}

void GdiBitmap::SetColors(std::span<const RGBQUAD> colors) {
  if (bpp_ > 8) return;
  const size_t max = size_t(1) << bpp_;
  colors_.assign(colors.begin(), colors.begin() + std::min(colors.size(), max));
  nearestCache_.clear();
}

uint32_t GdiBitmap::RawMask() const { return bpp_ == 32 ? 0xFFFFFFFFu : (1u << bpp_) - 1; }

uint32_t GdiBitmap::GetRaw(int32_t x, int32_t y) const {
  const uint8_t* row = Row(y);
  switch (bpp_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
    case 24: {
      const uint8_t* p = row + 3 * x;
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    }
    default: {
      const uint8_t* p = row + 4 * x;
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    }
  }
}

void GdiBitmap::SetRaw(int32_t x, int32_t y, uint32_t v) {
  uint8_t* row = Row(y);
  switch (bpp_) {
    case 1: {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case 4:
      if (x & 1)
        row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (v & 0x0F));
      else
        row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
      break;
    case 8: row[x] = uint8_t(v); break;
    case 16:
      row[2 * x] = uint8_t(v);
      row[2 * x + 1] = uint8_t(v >> 8);
      break;
    case 24: {
      uint8_t* p = row + 3 * x;
      p[0] = uint8_t(v);
      p[1] = uint8_t(v >> 8);
      p[2] = uint8_t(v >> 16);
      break;
    }
    default: {
      uint8_t* p = row + 4 * x;
      p[0] = uint8_t(v);
      p[1] = uint8_t(v >> 8);
      p[2] = uint8_t(v >> 16);
      p[3] = uint8_t(v >> 24);
    }
  }
}

void Packed16ToBgr(const uint8_t* row, int64_t width, bool rgb565, uint8_t* bgr) {
  for (int64_t x = 0; x < width; ++x, bgr += 3) {
    const uint32_t raw = uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
    bgr[0] = Expand5(raw & 31);
    if (rgb565) {
      bgr[1] = Expand6((raw >> 5) & 63);
      bgr[2] = Expand5((raw >> 11) & 31);
    } else {
      bgr[1] = Expand5((raw >> 5) & 31);
      bgr[2] = Expand5((raw >> 10) & 31);
    }
  }
}

COLORREF GdiBitmap::RawToColor(uint32_t raw) const {
  switch (bpp_) {
    case 1:
    case 4:
    case 8: {
      if (raw >= colors_.size()) return 0;
      const RGBQUAD& q = colors_[raw];
      return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    case 16:
      if (rgb565_) return RGB(Expand5((raw >> 11) & 31), Expand6((raw >> 5) & 63), Expand5(raw & 31));
      return RGB(Expand5((raw >> 10) & 31), Expand5((raw >> 5) & 31), Expand5(raw & 31));
    default: return RGB(uint8_t(raw >> 16), uint8_t(raw >> 8), uint8_t(raw));
  }
}

uint32_t GdiBitmap::ColorToRaw(COLORREF c) const {
  const uint32_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  switch (bpp_) {
    case 1:
    case 4:
    case 8: return NearestIndex(c);
    case 16:
      if (rgb565_) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    default: return (r << 16) | (g << 8) | b;
  }
}

uint32_t GdiBitmap::NearestIndex(COLORREF c) const {
  if (colors_.empty()) return 0;
  const uint32_t key = c & 0xFFFFFF;
  if (auto it = nearestCache_.find(key); it != nearestCache_.end()) return it->second;
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  uint32_t best = 0;
  int bestDist = 1 << 30;
  for (size_t i = 0; i < colors_.size(); ++i) {
    const int dr = colors_[i].rgbRed - r, dg = colors_[i].rgbGreen - g, db = colors_[i].rgbBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = uint32_t(i);
      if (d == 0) break;
    }
  }
  if (nearestCache_.size() < 65536) nearestCache_.emplace(key, uint8_t(best));
  return best;
}

void GdiBitmap::Fill(COLORREF color) {
  const uint32_t raw = ColorToRaw(color);
  if (Empty()) return;
  // Row 0 is written whole (its padding 0) and then copied to every other row.
  uint8_t* row = Row(0);
  std::fill_n(row, size_t(stride_), uint8_t{0});
  if (bpp_ >= 8) {
    // Whole bytes a pixel: the first pixel's bytes, then the row doubled onto itself.
    const size_t pixel = size_t(bpp_ / 8), bytes = pixel * size_t(width_);
    if (bytes > 0) {
      for (size_t i = 0; i < pixel; ++i) row[i] = uint8_t(raw >> (8 * i));
      for (size_t done = pixel; done < bytes; done *= 2) std::memcpy(row + done, row, std::min(done, bytes - done));
    }
  } else {
    for (int32_t x = 0; x < width_; ++x) SetRaw(x, 0, raw);
  }
  // Every row alike: the filled ones doubled onto the rest (a page of 2^28 rows of 4 bytes
  // took a copy call a row).
  uint8_t* first = pixels_.data();
  if (row != first) std::memcpy(first, row, size_t(stride_));
  const size_t total = size_t(stride_) * size_t(height_);
  for (size_t done = size_t(stride_); done < total; done *= 2) std::memcpy(first + done, first, std::min(done, total - done));
}

void GdiBitmap::Resize(int32_t width, int32_t height, COLORREF fill) {
  if (width == width_ && height == height_) return;
  GdiBitmap next;
  next.Allocate(width, height, bpp_, rgb565_);
  next.colors_ = colors_;
  next.xPelsPerMeter = xPelsPerMeter;
  next.yPelsPerMeter = yPelsPerMeter;
  next.Fill(fill);
  const int32_t w = std::min(width, width_), h = std::min(height, height_);
  const int64_t fullBytes = (int64_t(w) * bpp_) / 8;
  const int remBits = int((int64_t(w) * bpp_) % 8);
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(next.Row(y), Row(y), size_t(fullBytes));
    for (int32_t x = int32_t(fullBytes * 8 / bpp_); remBits && x < w; ++x) next.SetRaw(x, y, GetRaw(x, y));
  }
  const bool wasBottomUp = bottomUp_;
  pixels_ = std::move(next.pixels_);
  width_ = width;
  height_ = height;
  stride_ = next.stride_;
  bottomUp_ = false;
  SetBottomUp(wasBottomUp);
}

void GdiBitmap::Convert(int bpp, bool rgb565) {
  rgb565 = bpp == 16 && rgb565;
  if (bpp == bpp_ && rgb565 == rgb565_) return;
  GdiBitmap next(width_, height_, bpp, rgb565);
  if (bpp == 8 && bpp_ < 8) {
    // Widening an indexed bitmap keeps its colours exactly.
    std::vector<RGBQUAD> t = colors_;
    next.SetColors(t);
  }
  // Indexed pixels widened to 24 or 32 bits: each index's value is worked out once.
  std::vector<uint32_t> widened;
  if (bpp_ <= 8 && (bpp == 24 || bpp == 32)) {
    widened.resize(size_t(1) << bpp_);
    for (uint32_t i = 0; i < widened.size(); ++i) widened[i] = next.ColorToRaw(RawToColor(i));
  }
  for (int32_t y = 0; y < height_; ++y) {
    if (!widened.empty()) {
      uint8_t* d = next.Row(y);
      const uint8_t* s = Row(y);
      const size_t step = size_t(bpp / 8);
      const int shift = 8 - bpp_, perByte = 8 / bpp_;
      const uint32_t mask = (1u << bpp_) - 1;
      for (int32_t x = 0; x < width_; ++x, d += step) {
        const uint32_t v = widened[(s[x / perByte] >> (shift - (x % perByte) * bpp_)) & mask];
        d[0] = uint8_t(v), d[1] = uint8_t(v >> 8), d[2] = uint8_t(v >> 16);
        if (step == 4) d[3] = uint8_t(v >> 24);
      }
    } else if (bpp_ == 32 && bpp == 24) {
      const uint8_t* s = Row(y);
      uint8_t* d = next.Row(y);
      for (int32_t x = 0; x < width_; ++x, s += 4, d += 3) std::memcpy(d, s, 3);
    } else if (bpp_ == 24 && bpp == 32) {
      const uint8_t* s = Row(y);
      uint8_t* d = next.Row(y);
      for (int32_t x = 0; x < width_; ++x, s += 3, d += 4) std::memcpy(d, s, 3);
    } else if (bpp_ <= 8 && bpp == 8 && next.colors_.size() >= colors_.size() && bpp_ < 8) {
      for (int32_t x = 0; x < width_; ++x) next.SetRaw(x, y, GetRaw(x, y));
    } else {
      for (int32_t x = 0; x < width_; ++x) next.SetColor(x, y, GetColor(x, y));
    }
  }
  next.xPelsPerMeter = xPelsPerMeter;
  next.yPelsPerMeter = yPelsPerMeter;
  pixels_ = std::move(next.pixels_);
  colors_ = std::move(next.colors_);
  nearestCache_.clear();
  bpp_ = bpp;
  rgb565_ = rgb565;
  stride_ = next.stride_;
  const bool wasBottomUp = bottomUp_;
  bottomUp_ = false;
  SetBottomUp(wasBottomUp);
}

void GdiBitmap::CopyLayout(const GdiBitmap& o) {
  width_ = o.width_;
  height_ = o.height_;
  bpp_ = o.bpp_;
  rgb565_ = o.rgb565_;
  stride_ = o.stride_;
  bottomUp_ = o.bottomUp_;
  xPelsPerMeter = o.xPelsPerMeter;
  yPelsPerMeter = o.yPelsPerMeter;
}

void GdiBitmap::CopyFrom(const GdiBitmap& o) {
  if (this == &o) return;
  pixels_ = o.pixels_;
  colors_ = o.colors_;
  nearestCache_.clear();
  CopyLayout(o);
}

void GdiBitmap::TakeFrom(GdiBitmap& o) {
  if (this == &o) return;
  pixels_ = std::move(o.pixels_);
  colors_ = std::move(o.colors_);
  nearestCache_.clear();
  CopyLayout(o);
  o.Reset(0, 0, o.bpp_);
}
