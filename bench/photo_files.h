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

inline void WriteJpeg(const std::string& name, int i, const Size& s) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::exit(2);
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = JDIMENSION(s.w);
  c.image_height = JDIMENSION(s.h);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 88, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::mt19937 rng{unsigned(i)};
  std::vector<uint8_t> row(3 * size_t(s.w));
  for (int y = 0; y < s.h; ++y) {
    Row(i, y, s, rng, row);
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

inline void WritePng(const std::string& name, int i, const Size& s) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::exit(2);
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::exit(2);
  png_init_io(p, f);
  png_set_compression_level(p, 3);
  png_set_IHDR(p, info, png_uint_32(s.w), png_uint_32(s.h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(p, info);
  std::mt19937 rng{unsigned(i)};
  std::vector<uint8_t> row(3 * size_t(s.w));
  for (int y = 0; y < s.h; ++y) {
    Row(i, y, s, rng, row);
    png_write_row(p, row.data());
  }
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  std::fclose(f);
}

}  // namespace benchphoto
