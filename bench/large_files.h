// Large test pictures for the memory benchmark, written row by row (never held whole) by the
// libraries themselves: PNG of every colour type, TIFF of several kinds, JPEG, BMP and GIF.
// Colour pictures are photograph-like (benchphoto::Row); palette pictures are smooth gradients
// over 256 colours, which compress about a thousand to one.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "bench/photo_files.h"

namespace benchlarge {

// Fills one row of samples (row y) in the file's own layout.
using RowMaker = std::function<void(int y, std::vector<uint8_t>& row)>;

// The 256 colours of the palette pictures: 3 bits red, 3 bits green, 2 bits blue.
inline uint8_t PaletteRed(int i) { return uint8_t((i >> 5) * 255 / 7); }
inline uint8_t PaletteGreen(int i) { return uint8_t(((i >> 2) & 7) * 255 / 7); }
inline uint8_t PaletteBlue(int i) { return uint8_t((i & 3) * 85); }

// A palette picture's row: red across, green down, blue along the diagonal.
inline RowMaker PaletteRows(int w, int h) {
  return [w, h](int y, std::vector<uint8_t>& row) {
    for (int x = 0; x < w; ++x)
      row[size_t(x)] = uint8_t((int64_t(x) * 8 / w) << 5 | (int64_t(y) * 8 / h) << 2 | (int64_t(x) + y) * 4 / (int64_t(w) + h));
  };
}

// Photograph rows: 8-bit RGB, one channel of it (grey), or 16-bit big-endian RGB whose high
// bytes are the 8-bit picture and whose low bytes are noise (as a scanner's are); with alpha,
// each pixel is followed by a smooth vignette of coverage (fully opaque in the middle, fading
// at the edges), in 8 bits or in 16 with a noisy low byte.
// Pictures of other numbers differ in their shapes and grain.
enum class Photo { RGB8, Grey8, RGB16, RGBA8, GreyAlpha8, RGBA16, GreyAlpha16, Grey16 };
inline RowMaker PhotoRows(int w, int h, Photo kind, int picture = 3) {
  auto rng = std::make_shared<std::mt19937>(4 + picture);
  auto rgb = std::make_shared<std::vector<uint8_t>>(size_t(w) * 3);
  const bool grey =
      kind == Photo::Grey8 || kind == Photo::GreyAlpha8 || kind == Photo::GreyAlpha16 || kind == Photo::Grey16;
  const bool alpha = kind == Photo::RGBA8 || kind == Photo::GreyAlpha8 || kind == Photo::RGBA16 ||
                     kind == Photo::GreyAlpha16;
  const int wide =
      kind == Photo::RGB16 || kind == Photo::RGBA16 || kind == Photo::GreyAlpha16 || kind == Photo::Grey16 ? 2 : 1;
  const int colours = grey ? 1 : 3, channels = colours + (alpha ? 1 : 0);
  return [=](int y, std::vector<uint8_t>& row) {
    benchphoto::Row(picture, y, benchphoto::Size{w, h}, *rng, *rgb);
    const double fy = std::min(y, h - 1 - y) / (0.1 * h);
    for (size_t x = 0; x < size_t(w); ++x) {
      uint8_t* out = row.data() + x * size_t(channels * wide);
      for (int c = 0; c < colours; ++c) {
        out[c * wide] = (*rgb)[3 * x + size_t(grey ? 1 : c)];
        if (wide == 2) out[c * wide + 1] = uint8_t((*rng)());
      }
      if (!alpha) continue;
      const double fx = std::min<double>(double(x), double(w - 1 - x)) / (0.1 * w);
      out[colours * wide] = uint8_t(255 * std::clamp(std::min(fx, fy), 0.0, 1.0));
      if (wide == 2) out[colours * wide + 1] = uint8_t((*rng)());
    }
  };
}

struct PngKind {
  int depth = 8;
  int colorType = PNG_COLOR_TYPE_RGB;
  bool transparency = false;  // a tRNS chunk (palette pictures: half the entries translucent)
  int level = 3;
  bool interlaced = false;
};

// An icon of one entry: the PNG WritePng writes (read back from a file of its own beside it).
inline void WritePngIcon(const std::string& name, int w, int h, const PngKind& k, const RowMaker& rows);

inline void WritePng(const std::string& name, int w, int h, const PngKind& k, const RowMaker& rows) {
  std::vector<png_color> colours(256);
  std::vector<png_byte> alpha(256);
  for (int i = 0; i < 256; ++i) {
    colours[size_t(i)] = {PaletteRed(i), PaletteGreen(i), PaletteBlue(i)};
    alpha[size_t(i)] = png_byte(i % 2 ? 255 : i);
  }
  auto palette = [&](png_structp p, png_infop info) {
    if (k.colorType != PNG_COLOR_TYPE_PALETTE) return;
    png_set_PLTE(p, info, colours.data(), 256);
    if (k.transparency) png_set_tRNS(p, info, alpha.data(), 256, nullptr);
  };
  benchphoto::WritePngRows(name, benchphoto::Size{w, h}, k.depth, k.colorType, k.level, palette, rows, k.interlaced);
}

struct TiffKind {
  int bits = 8;
  int samples = 3;
  int photometric = PHOTOMETRIC_RGB;
  int predictor = 1;
  uint32_t rowsPerStrip = 0;  // 0: libtiff's default (strips of about 8 KB)
  uint32_t tileSize = 0;      // tiles of this many pixels square instead of strips
  int compression = COMPRESSION_LZW;
};

inline void WriteTiff(const std::string& name, int w, int h, const TiffKind& k, const RowMaker& rows) {
  TIFF* t = TIFFOpen(name.c_str(), "w");
  if (!t) std::exit(2);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, k.bits);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, k.samples);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, k.photometric);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, k.compression);
  if (k.predictor > 1) TIFFSetField(t, TIFFTAG_PREDICTOR, k.predictor);
  if (k.tileSize) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, k.tileSize);
    TIFFSetField(t, TIFFTAG_TILELENGTH, k.tileSize);
  } else {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, k.rowsPerStrip ? k.rowsPerStrip : TIFFDefaultStripSize(t, 0));
  }
  std::vector<uint16_t> map[3];
  if (k.photometric == PHOTOMETRIC_PALETTE) {
    for (auto& m : map) m.resize(256);
    for (int i = 0; i < 256; ++i) {
      map[0][size_t(i)] = uint16_t(PaletteRed(i) * 257);
      map[1][size_t(i)] = uint16_t(PaletteGreen(i) * 257);
      map[2][size_t(i)] = uint16_t(PaletteBlue(i) * 257);
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
  }
  const size_t rowBytes = size_t(w) * size_t(k.samples) * size_t(k.bits / 8);
  std::vector<uint8_t> row(rowBytes);
  // Tiles are written a band of one tile row at a time.
  std::vector<uint8_t> band(k.tileSize ? rowBytes * k.tileSize : 0), tile(k.tileSize ? size_t(TIFFTileSize(t)) : 0);
  for (int y = 0; y < h; ++y) {
    rows(y, row);
    // libtiff takes 16-bit samples in the machine's order.
    if (k.bits == 16)
      for (size_t i = 0; i + 1 < row.size(); i += 2) std::swap(row[i], row[i + 1]);
    if (!k.tileSize) {
      TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
      continue;
    }
    std::copy(row.begin(), row.end(), band.begin() + long(rowBytes * (uint32_t(y) % k.tileSize)));
    if ((uint32_t(y) + 1) % k.tileSize != 0 && y != h - 1) continue;
    const uint32_t top = uint32_t(y) / k.tileSize * k.tileSize, pixel = uint32_t(k.samples * k.bits / 8);
    for (uint32_t x = 0; x < uint32_t(w); x += k.tileSize) {
      std::fill(tile.begin(), tile.end(), 0);
      for (uint32_t r = 0; r < k.tileSize && top + r < uint32_t(h); ++r) {
        const uint32_t n = std::min(k.tileSize, uint32_t(w) - x) * pixel;
        std::copy_n(band.begin() + long(rowBytes * r + x * pixel), n, tile.begin() + long(r * k.tileSize * pixel));
      }
      TIFFWriteTile(t, tile.data(), x, top, 0, 0);
    }
  }
  TIFFClose(t);
}

inline void WriteJpeg(const std::string& name, int w, int h, int quality) {
  benchphoto::WriteJpegRows(name, benchphoto::Size{w, h}, quality, PhotoRows(w, h, Photo::RGB8));
}

// The photograph as a CMYK JPEG (its colours' complements, the black their least, all sampled
// 1x1), or as a progressive one of the defaults (4:2:0).
inline void WriteJpegOf(const std::string& name, int w, int h, bool cmyk, bool progressive) {
  const RowMaker rows = PhotoRows(w, h, Photo::RGB8);
  std::vector<uint8_t> rgb(size_t(w) * 3);
  const auto row = [&](int y, std::vector<uint8_t>& out) {
    if (!cmyk) return rows(y, out);
    rows(y, rgb);
    for (size_t x = 0; x < size_t(w); ++x) {
      const uint8_t* p = &rgb[3 * x];
      const uint8_t k = uint8_t(255 - std::max({p[0], p[1], p[2]}));
      for (int i = 0; i < 3; ++i) out[4 * x + size_t(i)] = uint8_t(255 - p[i] - k);
      out[4 * x + 3] = k;
    }
  };
  benchphoto::WriteJpegRows(name, benchphoto::Size{w, h}, 90, row, {}, benchphoto::JpegForm{cmyk, progressive});
}

inline void PutLE(FILE* f, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(int((v >> (8 * i)) & 0xFF), f);
}

// A bottom-up 24-bit BMP.
inline void WriteBmp(const std::string& name, int w, int h) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::exit(2);
  const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
  std::fputs("BM", f);
  PutLE(f, 54 + stride * uint32_t(h), 4);
  PutLE(f, 0, 4);
  PutLE(f, 54, 4);
  for (const uint32_t v : {40u, uint32_t(w), uint32_t(h)}) PutLE(f, v, 4);
  PutLE(f, 1, 2);
  PutLE(f, 24, 2);
  for (const uint32_t v : {0u, stride * uint32_t(h), 3780u, 3780u, 0u, 0u}) PutLE(f, v, 4);
  // The rows are made top to bottom and written from the bottom up: seek to each row's place.
  const RowMaker rows = PhotoRows(w, h, Photo::RGB8);
  std::vector<uint8_t> rgb(size_t(w) * 3), bgr(stride, 0);
  for (int y = 0; y < h; ++y) {
    rows(y, rgb);
    for (size_t x = 0; x < size_t(w); ++x) {
      bgr[3 * x] = rgb[3 * x + 2];
      bgr[3 * x + 1] = rgb[3 * x + 1];
      bgr[3 * x + 2] = rgb[3 * x];
    }
    std::fseek(f, long(54 + uint64_t(h - 1 - y) * stride), SEEK_SET);
    std::fwrite(bgr.data(), 1, stride, f);
  }
  std::fclose(f);
}

// Interlaced (as Pillow saves GIFs), the picture is made whole first: its rows go in four passes.
inline void WriteGif(const std::string& name, int w, int h, bool interlaced = false) {
  int error = 0;
  GifFileType* g = EGifOpenFileName(name.c_str(), false, &error);
  if (!g) std::exit(2);
  std::vector<GifColorType> colours(256);
  for (int i = 0; i < 256; ++i) colours[size_t(i)] = {PaletteRed(i), PaletteGreen(i), PaletteBlue(i)};
  ColorMapObject* map = GifMakeMapObject(256, colours.data());
  EGifPutScreenDesc(g, w, h, 8, 0, map);
  EGifPutImageDesc(g, 0, 0, w, h, interlaced, nullptr);
  // A photograph reduced to the palette's colours, so that the LZW data are of a usual size.
  const RowMaker rows = PhotoRows(w, h, Photo::RGB8);
  std::vector<uint8_t> rgb(size_t(w) * 3);
  std::vector<GifPixelType> lines(static_cast<size_t>(w) * (interlaced ? size_t(h) : 1));
  for (int y = 0; y < h; ++y) {
    rows(y, rgb);
    GifPixelType* line = lines.data() + (interlaced ? size_t(y) * size_t(w) : 0);
    for (size_t x = 0; x < size_t(w); ++x)
      line[x] = GifPixelType((rgb[3 * x] >> 5) << 5 | (rgb[3 * x + 1] >> 5) << 2 | rgb[3 * x + 2] >> 6);
    if (!interlaced) EGifPutLine(g, line, w);
  }
  if (interlaced) {
    for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
      for (int y = first; y < h; y += step) EGifPutLine(g, lines.data() + size_t(y) * size_t(w), w);
  }
  GifFreeMapObject(map);
  EGifCloseFile(g, &error);
}

inline void WritePngIcon(const std::string& name, int w, int h, const PngKind& k, const RowMaker& rows) {
  const std::string png = name + ".png";
  WritePng(png, w, h, k, rows);
  FILE* in = std::fopen(png.c_str(), "rb");
  FILE* out = std::fopen(name.c_str(), "wb");
  if (!in || !out) std::exit(2);
  std::fseek(in, 0, SEEK_END);
  const uint32_t size = uint32_t(std::ftell(in));
  std::fseek(in, 0, SEEK_SET);
  PutLE(out, 0, 2), PutLE(out, 1, 2), PutLE(out, 1, 2);
  PutLE(out, 0, 4);  // 0 x 0 stands for 256: the entry's own size is its PNG's
  PutLE(out, 1, 2), PutLE(out, 32, 2), PutLE(out, size, 4), PutLE(out, 22, 4);
  std::vector<char> buffer(1 << 20);
  for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) std::fwrite(buffer.data(), 1, n, out);
  std::fclose(in);
  std::fclose(out);
  std::remove(png.c_str());
}

}  // namespace benchlarge
