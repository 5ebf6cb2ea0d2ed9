// Fax pages for the benchmarks: bilevel TIFF files of one Group 4 strip.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <tiffio.h>

namespace benchfax {

// A new TIFF file for a Group 4 page of w x h pixels (white is 0) in one strip, to be written
// and closed by the caller; nothing when the file cannot be made.
inline TIFF* CreateGroup4Tiff(const std::string& path, int w, int h) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) return nullptr;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
  return t;
}

// An A4 page at 300 dpi (packed rows, black = 1): lines of "text", words of glyph-sized boxes
// with holes and strokes, like a typed page.
inline constexpr int kPageWidth = 2480;
inline constexpr int kPageHeight = 3508;
inline std::vector<uint8_t> TextPage() {
  constexpr int rowBytes = (kPageWidth + 7) / 8;
  std::vector<uint8_t> bits(static_cast<size_t>(rowBytes) * kPageHeight, 0);
  std::mt19937 rng(42);
  const auto set = [&](int x, int y) { bits[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); };
  for (int line = 200; line + 40 < kPageHeight - 200; line += 60) {
    int x = 200;
    while (x < kPageWidth - 260) {
      const int letters = 2 + static_cast<int>(rng() % 9);
      for (int l = 0; l < letters; ++l, x += 26) {
        const uint32_t shape = rng();
        for (int y = 0; y < 36; ++y)
          for (int dx = 0; dx < 22; ++dx) {
            const bool stroke = (dx < 4 && (shape & 1)) || (dx > 17 && (shape & 2)) || (y < 4 && (shape & 4)) ||
                                (y > 31 && (shape & 8)) || (y > 16 && y < 20 && (shape & 16)) ||
                                (dx > 9 && dx < 13 && (shape & 32));
            if (stroke) set(x + dx, line + y);
          }
      }
      x += 30;
    }
  }
  return bits;
}

// Writes the page as a Group 4 TIFF at path (kept for the caller) and answers its coded strip;
// empty when libtiff fails.
inline std::vector<uint8_t> Group4Strip(const std::string& path, std::vector<uint8_t> page, int w, int h) {
  TIFF* out = CreateGroup4Tiff(path, w, h);
  if (out == nullptr) return {};
  TIFFWriteEncodedStrip(out, 0, page.data(), static_cast<tmsize_t>(page.size()));
  TIFFClose(out);
  TIFF* in = TIFFOpen(path.c_str(), "r");
  if (in == nullptr) return {};
  std::vector<uint8_t> raw(static_cast<size_t>(TIFFRawStripSize(in, 0)));
  TIFFReadRawStrip(in, 0, raw.data(), static_cast<tmsize_t>(raw.size()));
  TIFFClose(in);
  return raw;
}

}  // namespace benchfax
