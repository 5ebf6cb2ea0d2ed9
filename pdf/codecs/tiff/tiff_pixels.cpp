#include "pdf/codecs/tiff/tiff_pixels.h"

#include <cstring>

bool TTIFFPixelConverter::Init(const TPDFTIFFPage& page) {
  photometric_ = page.Photometric;
  bits_ = page.BitsPerSample;
  samples_ = page.SamplesPerPixel;
  bigEndian_ = page.BigEndian;
  if (bits_ < 1 || bits_ > 32 || samples_ < 1 || page.SampleFormat != 1 || page.PhotometricTag > 7) return false;
  if (samples_ < page.ColorChannels() || page.ColorChannels() == 0) return false;
  colors_.clear();
  switch (photometric_) {
    case 0:
    case 1:
      invert_ = photometric_ == 0;
      if (bits_ == 1 && samples_ == 1) {
        format_ = pf1bit;
        const RGBQUAD black{0, 0, 0, 0}, white{255, 255, 255, 0};
        colors_ = invert_ ? std::vector<RGBQUAD>{white, black} : std::vector<RGBQUAD>{black, white};
      } else {
        format_ = pf8bit;
        colors_.resize(256);
        for (int i = 0; i < 256; ++i) colors_[size_t(i)] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      }
      return true;
    case 2:
      format_ = pf24bit;
      return true;
    case 3: {
      if (bits_ > 16) return false;
      format_ = pf24bit;
      const size_t entries = size_t(1) << bits_;
      palette_.assign(entries * 3, 0);
      // Entries the colour map does not hold stay black.
      if (page.ColorMap.size() >= entries * 3)
        for (size_t i = 0; i < entries; ++i)
          for (size_t c = 0; c < 3; ++c) palette_[i * 3 + c] = uint8_t(page.ColorMap[c * entries + i] >> 8);
      return true;
    }
    case 5:
      format_ = pf32bit;
      return true;
    case 6:
      // libjpeg gives a JPEG page's YCbCr samples as RGB; other YCbCr data are not read.
      if (page.Compression != kTIFFJPEG) return false;
      photometric_ = 2;
      format_ = pf24bit;
      return true;
    default:
      return false;
  }
}

uint32_t TTIFFPixelConverter::RawSample(const uint8_t* row, uint64_t index) const {
  switch (bits_) {
    case 8:
      return row[index];
    case 16: {
      const uint8_t* p = row + index * 2;
      return bigEndian_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    }
    default:
      break;
  }
  // Any other width: read the bits most significant first. Wider than 16 bits only in whole
  // bytes, in the file's byte order.
  if (bits_ % 8 == 0) {
    const uint32_t n = bits_ / 8;
    const uint8_t* p = row + index * n;
    uint32_t v = 0;
    for (uint32_t i = 0; i < n; ++i) v = v << 8 | p[bigEndian_ ? i : n - 1 - i];
    return v;
  }
  // Five bytes hold any sample of up to 32 bits wherever it starts; the caller's row has room
  // for them (kSampleReadSlack bytes beyond its end).
  const uint64_t bit = index * bits_;
  const uint8_t* p = row + (bit >> 3);
  const uint64_t window = uint64_t(p[0]) << 32 | uint64_t(p[1]) << 24 | uint64_t(p[2]) << 16 | uint64_t(p[3]) << 8 | p[4];
  return uint32_t((window >> (40 - (bit & 7) - bits_)) & ((uint64_t(1) << bits_) - 1));
}

uint8_t TTIFFPixelConverter::Sample8(const uint8_t* row, uint64_t index) const {
  const uint32_t v = RawSample(row, index);
  switch (bits_) {
    case 1: return v ? 255 : 0;
    case 2: return uint8_t(v * 85);
    case 4: return uint8_t(v * 17);
    case 8: return uint8_t(v);
    default:
      if (bits_ > 8) return uint8_t(v >> (bits_ - 8));
      return uint8_t((v * 255 + ((1u << bits_) - 1) / 2) / ((1u << bits_) - 1));
  }
}

void TTIFFPixelConverter::Convert(const uint8_t* src, uint32_t count, uint8_t* dst) const {
  const uint64_t s = samples_;
  switch (format_) {
    case pf1bit:
      std::memcpy(dst, src, (size_t(count) + 7) / 8);
      return;
    case pf8bit:
      if (bits_ == 8 && s == 1) {
        if (!invert_) {
          std::memcpy(dst, src, count);
        } else {
          for (uint32_t x = 0; x < count; ++x) dst[x] = uint8_t(255 - src[x]);
        }
        return;
      }
      for (uint32_t x = 0; x < count; ++x) {
        const uint8_t v = Sample8(src, x * s);
        dst[x] = invert_ ? uint8_t(255 - v) : v;
      }
      return;
    case pf24bit:
      if (photometric_ == 3) {
        for (uint32_t x = 0; x < count; ++x, dst += 3) {
          const uint8_t* e = &palette_[size_t(RawSample(src, x * s)) * 3];
          dst[0] = e[2], dst[1] = e[1], dst[2] = e[0];
        }
        return;
      }
      if (bits_ == 8) {
        for (uint32_t x = 0; x < count; ++x, dst += 3, src += s) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
        return;
      }
      if (bits_ == 16) {
        // A 16-bit sample's 8 bits are its high byte.
        const uint8_t* high = src + (bigEndian_ ? 0 : 1);
        for (uint32_t x = 0; x < count; ++x, dst += 3, high += 2 * s) dst[0] = high[4], dst[1] = high[2], dst[2] = high[0];
        return;
      }
      for (uint32_t x = 0; x < count; ++x, dst += 3) {
        dst[2] = Sample8(src, x * s);
        dst[1] = Sample8(src, x * s + 1);
        dst[0] = Sample8(src, x * s + 2);
      }
      return;
    case pf32bit:
      // C, M, Y, K stored last to first: the bitmap writer turns them back.
      for (uint32_t x = 0; x < count; ++x, dst += 4)
        for (uint32_t c = 0; c < 4; ++c) dst[3 - c] = Sample8(src, x * s + c);
      return;
    default:
      return;
  }
}

void UndoHorizontalPredictor(uint8_t* row, uint32_t count, uint32_t samples, uint32_t bits, bool bigEndian) {
  if (count < 2) return;
  const uint64_t n = uint64_t(count) * samples;
  if (bits == 8) {
    for (uint64_t i = samples; i < n; ++i) row[i] = uint8_t(row[i] + row[i - samples]);
    return;
  }
  if (bits == 16) {
    // Sums of whole 16-bit samples in the file's byte order, wrapping as 16-bit numbers.
    const int hi = bigEndian ? 0 : 1, lo = 1 - hi;
    for (uint64_t i = samples; i < n; ++i) {
      uint8_t* at = row + 2 * i;
      const uint8_t* left = row + 2 * (i - samples);
      const uint32_t v = uint32_t(at[hi] << 8 | at[lo]) + uint32_t(left[hi] << 8 | left[lo]);
      at[hi] = uint8_t(v >> 8);
      at[lo] = uint8_t(v);
    }
    return;
  }
  const uint32_t bytes = bits / 8;
  auto get = [&](uint64_t i) {
    uint32_t v = 0;
    for (uint32_t k = 0; k < bytes; ++k) v = v << 8 | row[i * bytes + (bigEndian ? k : bytes - 1 - k)];
    return v;
  };
  auto put = [&](uint64_t i, uint32_t v) {
    for (uint32_t k = 0; k < bytes; ++k) row[i * bytes + (bigEndian ? bytes - 1 - k : k)] = uint8_t(v >> (8 * k));
  };
  for (uint64_t i = samples; i < n; ++i) put(i, get(i) + get(i - samples));
}
