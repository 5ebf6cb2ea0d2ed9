// Noisy photographs of 36 and 64 megapixels in every format and compression the program reads,
// as Debian's tools write them: cjpeg (4:2:0 and 4:4:4), Pillow (PNG, GIF, BMP, CMYK JPEG and the
// bilevel picture) and tiffcp (TIFF uncompressed, LZW, Deflate, PackBits, JPEG and Group 4, in
// tiffcp's strips of about 8 KB). Heavy grain is what a camera at a high sensitivity makes, and
// it keeps every decoder's loop busy: the page's fixed costs no longer hide it.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/child_runs.h"
#include "bench/photo_files.h"

namespace benchnoisy {

constexpr benchphoto::Size k36Mpx{7360, 4912};  // a 36-megapixel camera's frame
constexpr benchphoto::Size k64Mpx{9248, 6936};  // a 64-megapixel phone's

struct Kind {
  const char* name;  // the folder's
  const char* ext;   // the file's type, which picks the plain decode
  const char* make;  // how it is written from the picture's PPM: a tool name and its options
  benchphoto::Size size;
};

// Every format and compression at 36 megapixels; at 64 those whose files stay small.
inline const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
      {"noisy-jpeg420", "jpg", "cjpeg -quality 90", k36Mpx},
      {"noisy-jpeg444", "jpg", "cjpeg -quality 90 -sample 1x1", k36Mpx},
      {"noisy-jpeg-cmyk", "jpg", "pillow cmyk", k36Mpx},
      {"noisy-png", "png", "pillow png", k36Mpx},
      {"noisy-gif", "gif", "pillow gif", k36Mpx},
      {"noisy-bmp", "bmp", "pillow bmp", k36Mpx},
      {"noisy-tif-none", "tif", "tiffcp -c none", k36Mpx},
      {"noisy-tif-lzw", "tif", "tiffcp -c lzw", k36Mpx},
      {"noisy-tif-deflate", "tif", "tiffcp -c zip", k36Mpx},
      {"noisy-tif-packbits", "tif", "tiffcp -c packbits", k36Mpx},
      {"noisy-tif-jpeg", "tif", "tiffcp -c jpeg:90 -r 16", k36Mpx},
      {"noisy-tif-g4", "tif", "tiffcp -c g4", k36Mpx},
      {"noisy-jpeg420-64", "jpg", "cjpeg -quality 90", k64Mpx},
      {"noisy-gif-64", "gif", "pillow gif", k64Mpx},
      {"noisy-tif-jpeg-64", "tif", "tiffcp -c jpeg:90 -r 16", k64Mpx},
      {"noisy-tif-g4-64", "tif", "tiffcp -c g4", k64Mpx},
  };
  return kinds;
}

// The photograph's gradient and shapes under grain of about +-24 levels a channel.
inline void WritePpm(const std::string& path, const benchphoto::Size& s) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::exit(2);
  std::fprintf(f, "P6\n%d %d\n255\n", s.w, s.h);
  std::mt19937 rng{36};
  std::vector<uint8_t> rgb(size_t(s.w) * 3);
  for (int y = 0; y < s.h; ++y) {
    benchphoto::Row(7, y, s, rng, rgb);
    for (uint8_t& v : rgb) v = uint8_t(std::clamp(int(v) + int(rng() % 49) - 24, 0, 255));
    if (std::fwrite(rgb.data(), 1, rgb.size(), f) != rgb.size()) std::exit(2);
  }
  if (std::fclose(f) != 0) std::exit(2);
}

// A small master no noisy photograph resembles: red and blue checks over a white and a black
// half.
inline void WriteUnlikeMaster(const std::string& path) {
  const benchphoto::Size s{64, 48};
  benchphoto::WritePngRows(path, s, 8, PNG_COLOR_TYPE_RGB, 3, [](png_structp, png_infop) {},
                           [&](int y, std::vector<uint8_t>& rgb) {
                             for (int x = 0; x < s.w; ++x) {
                               const bool red = (x / 8 + y / 8) % 2 == 1, white = x < s.w / 2;
                               const uint8_t r = y < s.h / 2 ? (red ? 255 : 0) : (white ? 255 : 0);
                               const uint8_t b = y < s.h / 2 ? (red ? 0 : 255) : (white ? 255 : 0);
                               rgb[3 * size_t(x)] = r, rgb[3 * size_t(x) + 1] = y < s.h / 2 ? 0 : r, rgb[3 * size_t(x) + 2] = b;
                             }
                           });
}

// Pillow's writing of the PPM in argv[1] to argv[2] as argv[3] says: a 256-colour GIF (median
// cut, Floyd-Steinberg), a CMYK JPEG (Adobe's inverted inks), a bilevel TIFF (dithered; tiffcp
// then codes it as Group 4), or the type argv[3] names (the file's name ends in ".part").
inline const char* PillowWriter() {
  return "import sys\nfrom PIL import Image\n"
         "im, out, kind = Image.open(sys.argv[1]), sys.argv[2], sys.argv[3]\n"
         "if kind == 'gif': im.quantize(256).save(out, 'GIF')\n"
         "elif kind == 'cmyk': im.convert('CMYK').save(out, 'JPEG', quality=90)\n"
         "elif kind == 'bilevel': im.convert('1').save(out, 'TIFF')\n"
         "elif kind == 'rgb-tiff': im.save(out, 'TIFF')\n"
         "else: im.save(out, kind.upper())\n";
}

inline bool Pillow(const std::string& from, const std::string& to, const std::string& kind) {
  return benchchild::RunProgram({"/usr/bin/python3", "-c", PillowWriter(), from, to, kind}, "/").failed == false;
}

// The file of `kind` at `path`, written once from a PPM (and for tiffcp a plain TIFF) made in
// `scratch` and removed again; a file cut short by an interrupted run is never left under the
// final name.
inline void Write(const Kind& kind, const std::string& path, const std::string& scratch) {
  const std::string ppm = scratch + "noisy.ppm", part = path + ".part";
  WritePpm(ppm, kind.size);
  const std::string make = kind.make;
  bool ok = true;
  if (make.rfind("cjpeg", 0) == 0) {
    ok = benchchild::Shell(make + " -outfile '" + part + "' '" + ppm + "'");
  } else if (make.rfind("pillow ", 0) == 0) {
    ok = Pillow(ppm, part, make.substr(7));
  } else {
    // tiffcp takes a TIFF: Pillow's plain RGB one, or its dithered bilevel one for Group 4.
    const bool g4 = make.find("g4") != std::string::npos;
    const std::string tiff = scratch + "noisy-plain.tif";
    ok = Pillow(ppm, tiff, g4 ? "bilevel" : "rgb-tiff") &&
         benchchild::Shell(make + " '" + tiff + "' '" + part + "'");
    std::remove(tiff.c_str());
  }
  std::remove(ppm.c_str());
  if (!ok || std::rename(part.c_str(), path.c_str()) != 0) std::exit(2);
}

}  // namespace benchnoisy
