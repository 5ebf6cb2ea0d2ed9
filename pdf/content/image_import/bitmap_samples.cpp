#include "pdf/content/image_import/bitmap_samples.h"

#include <cstring>

#include "pdf/content/image_import/pdf_image.h"

namespace {

bool IsGreyRamp(const std::vector<RGBQUAD>& colors) {
  if (colors.size() != 256) return false;
  for (size_t i = 0; i < 256; ++i) {
    if (colors[i].rgbRed != i || colors[i].rgbGreen != i || colors[i].rgbBlue != i) return false;
  }
  return true;
}

// A two-colour table that 1-bit grey samples can stand for: black and white in either order.
bool IsBlackAndWhite(const std::vector<RGBQUAD>& colors) {
  if (colors.size() != 2) return false;
  auto grey = [](const RGBQUAD& q, uint8_t v) { return q.rgbRed == v && q.rgbGreen == v && q.rgbBlue == v; };
  return (grey(colors[0], 0) && grey(colors[1], 255)) || (grey(colors[0], 255) && grey(colors[1], 0));
}

}  // namespace

TBitmapSamples::TBitmapSamples(int bpp, const std::vector<RGBQUAD>& colors, const TPDFImagePageInfo* page,
                               bool gray)
    : bpp_(bpp) {
  if (bpp == 8 && !gray) gray = IsGreyRamp(colors);
  if (bpp == 32 && page && page->Photometric == 5) {
    kind_ = kCMYK;
    colorSpace_ = "DeviceCMYK";
  } else if (bpp == 1 && (page || IsBlackAndWhite(colors))) {
    kind_ = kMono;
    colorSpace_ = "DeviceGray";
    bits_ = 1;
    const bool blackFirst = page ? page->MinIsBlack : (!colors.empty() && colors[0].rgbRed == 0);
    decode_ = blackFirst ? std::vector<int>{0, 1} : std::vector<int>{1, 0};
  } else if (bpp == 8 && gray) {
    kind_ = kGrey;
    colorSpace_ = "DeviceGray";
  } else if (bpp == 24) {
    kind_ = kRGB24;
  } else if (bpp == 32) {
    kind_ = kRGB32;
  } else if (bpp == 1 || bpp == 4 || bpp == 8) {
    UsePalette(colors);
  } else {
    kind_ = kPacked16;
  }
}

void TBitmapSamples::UsePalette(const std::vector<RGBQUAD>& colors) {
  kind_ = kPalette;
  colorSpace_ = "DeviceRGB";
  bits_ = 8;
  decode_.clear();
  // Indices beyond the colour table are black, as the bitmap itself reads them.
  for (size_t i = 0; i < colors.size() && i < 256; ++i) table_[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue};
}

TBitmapSamples TBitmapSamples::Colour(int bpp, const std::vector<RGBQUAD>& colors) {
  TBitmapSamples samples(bpp, colors, nullptr, false);
  if (bpp == 1 || bpp == 4 || bpp == 8) samples.UsePalette(colors);
  return samples;
}

int64_t TBitmapSamples::RowBytes(int width) const {
  switch (kind_) {
    case kCMYK: return int64_t(width) * 4;
    case kMono: return (int64_t(width) + 7) / 8;
    case kGrey: return width;
    default: return int64_t(width) * 3;
  }
}

void TBitmapSamples::Convert(const uint8_t* src, int w, uint8_t* dst) const {
  switch (kind_) {
    case kCMYK:
      for (int x = 0; x < w; ++x, src += 4, dst += 4) {
        dst[0] = src[3];
        dst[1] = src[2];
        dst[2] = src[1];
        dst[3] = src[0];
      }
      return;
    case kMono:
    case kGrey:
      std::memcpy(dst, src, size_t(RowBytes(w)));
      return;
    case kRGB24:
    case kRGB32: {
      const int step = kind_ == kRGB24 ? 3 : 4;
      for (int x = 0; x < w; ++x, src += step, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
      return;
    }
    case kPalette: {
      const int mask = (1 << bpp_) - 1;
      for (int x = 0; x < w; ++x, dst += 3) {
        const int bit = x * bpp_;
        const auto& c = table_[size_t((src[bit >> 3] >> (8 - bpp_ - (bit & 7))) & mask)];
        dst[0] = c[0];
        dst[1] = c[1];
        dst[2] = c[2];
      }
      return;
    }
    case kPacked16:
      return;
  }
}
