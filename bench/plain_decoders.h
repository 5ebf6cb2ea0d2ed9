// The plain decodes the benchmarks compare the program's road with: each library alone,
// decoding a whole file.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

namespace benchplain {

// libpng's decode, row by row, in the bitmap's byte order.
inline void PlainPng(const std::string& name) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return;
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::exit(2);
  png_init_io(p, f);
  png_read_info(p, info);
  png_set_bgr(p);
  png_read_update_info(p, info);
  std::vector<uint8_t> row(png_get_rowbytes(p, info));
  for (png_uint_32 y = 0; y < png_get_image_height(p, info); ++y) png_read_row(p, row.data(), nullptr);
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  std::fclose(f);
}

// libtiff's decode of the strips as they are (bilevel rows for the fax page).
inline void PlainTiffStrips(const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "r");
  std::vector<uint8_t> buffer(size_t(TIFFStripSize(t)));
  for (tstrip_t s = 0; s < TIFFNumberOfStrips(t); ++s) TIFFReadEncodedStrip(t, s, buffer.data(), -1);
  TIFFClose(t);
}

// giflib's decode, each index mapped to its colour.
inline void PlainGif(const std::string& path) {
  int error = 0;
  GifFileType* g = DGifOpenFileName(path.c_str(), &error);
  DGifSlurp(g);
  const SavedImage& im = g->SavedImages[0];
  const ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : g->SColorMap;
  const size_t n = size_t(im.ImageDesc.Width) * im.ImageDesc.Height;
  std::vector<uint8_t> rgb(n * 3);
  for (size_t i = 0; i < n; ++i) {
    const GifColorType& c = map->Colors[im.RasterBits[i]];
    rgb[i * 3] = c.Red, rgb[i * 3 + 1] = c.Green, rgb[i * 3 + 2] = c.Blue;
  }
  DGifCloseFile(g, &error);
}

}  // namespace benchplain
