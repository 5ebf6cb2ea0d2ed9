// Photograph-like test pictures for the benchmarks: smooth sky-to-ground gradients, a few soft
// shapes and grain, written as JPEG (quality 88) or PNG (compression level 3).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace benchphoto {

struct Size {
  int w, h;
};

// One row of a photograph-like picture: a sky-to-ground gradient, a few soft shapes and grain.
inline void Row(int i, int y, const Size& s, std::mt19937& rng, std::vector<uint8_t>& rgb) {
  const double fy = double(y) / s.h;
  for (int x = 0; x < s.w; ++x) {
    const double fx = double(x) / s.w;
    const double sun = std::exp(-((fx - 0.3 - 0.01 * i) * (fx - 0.3) + (fy - 0.3) * (fy - 0.3)) * 20);
    const int grain = int(rng() % 9) - 4;
    const double r = 60 + 120 * fy + 70 * sun, g = 90 + 60 * std::sin(fx * 3 + i) * (1 - fy) + 50 * sun,
                 b = 200 - 150 * fy + 20 * std::cos(fx * 7);
    rgb[3 * size_t(x)] = uint8_t(std::clamp(int(r) + grain, 0, 255));
    rgb[3 * size_t(x) + 1] = uint8_t(std::clamp(int(g) + grain, 0, 255));
    rgb[3 * size_t(x) + 2] = uint8_t(std::clamp(int(b) + grain, 0, 255));
  }
}

// How a JPEG is stored: RGB rows, or CMYK ones (four samples a pixel, kept as CMYK and marked by
// Adobe's segment, as Pillow and ImageMagick write them); sequential or progressive.
struct JpegForm {
  bool cmyk = false;
  bool progressive = false;
};

// A JPEG of the rows `row(y, samples)` makes, at the given quality, carrying the ICC profile
// when one is given (as cameras and phones write their photographs).
template <class MakeRow>
inline void WriteJpegRows(const std::string& name, const Size& s, int quality, MakeRow row,
                          const std::vector<uint8_t>& profile = {}, JpegForm form = {}) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::exit(2);
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = JDIMENSION(s.w);
  c.image_height = JDIMENSION(s.h);
  c.input_components = form.cmyk ? 4 : 3;
  c.in_color_space = form.cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (form.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  if (!profile.empty()) jpeg_write_icc_profile(&c, profile.data(), unsigned(profile.size()));
  std::vector<uint8_t> rgb(size_t(c.input_components) * size_t(s.w));
  for (int y = 0; y < s.h; ++y) {
    row(y, rgb);
    JSAMPROW p = rgb.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

inline void WriteJpeg(const std::string& name, int i, const Size& s, const std::vector<uint8_t>& profile = {}) {
  std::mt19937 rng{unsigned(i)};
  WriteJpegRows(name, s, 88, [&](int y, std::vector<uint8_t>& rgb) { Row(i, y, s, rng, rgb); }, profile);
}

// A PNG of the rows `row(y, bytes)` makes (depth and colour type as PNG numbers them);
// `header(p, info)` adds what goes before the image data (a palette).
// Interlaced pictures are made whole first (libpng takes every row once per pass).
template <class Header, class MakeRow>
inline void WritePngRows(const std::string& name, const Size& s, int depth, int colorType, int level, Header header,
                         MakeRow row, bool interlaced = false) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::exit(2);
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::exit(2);
  png_init_io(p, f);
  png_set_user_limits(p, 0x7FFFFFFF, 0x7FFFFFFF);
  png_set_compression_level(p, level);
  png_set_IHDR(p, info, png_uint_32(s.w), png_uint_32(s.h), depth, colorType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  header(p, info);
  png_write_info(p, info);
  const int channels = colorType == PNG_COLOR_TYPE_RGB          ? 3
                       : colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                       : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                : 1;
  const size_t rowBytes = size_t(s.w) * size_t(channels) * size_t(depth / 8);
  std::vector<uint8_t> bytes(rowBytes);
  if (interlaced) {
    std::vector<std::vector<uint8_t>> picture(size_t(s.h), std::vector<uint8_t>(rowBytes));
    std::vector<png_bytep> rows(size_t(s.h));
    for (int y = 0; y < s.h; ++y) {
      row(y, picture[size_t(y)]);
      rows[size_t(y)] = picture[size_t(y)].data();
    }
    png_write_image(p, rows.data());
  } else {
    for (int y = 0; y < s.h; ++y) {
      row(y, bytes);
      png_write_row(p, bytes.data());
    }
  }
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  std::fclose(f);
}

inline void WritePng(const std::string& name, int i, const Size& s) {
  std::mt19937 rng{unsigned(i)};
  WritePngRows(name, s, 8, PNG_COLOR_TYPE_RGB, 3, [](png_structp, png_infop) {},
               [&](int y, std::vector<uint8_t>& rgb) { Row(i, y, s, rng, rgb); });
}

}  // namespace benchphoto
