// The plain decodes the benchmarks compare the program's road with: each library alone,
// decoding a whole file.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace benchplain {

// libpng's decode, row by row, in the bitmap's byte order (of a PNG starting `offset` bytes into
// the file: an icon's entry).
inline void PlainPng(const std::string& name, long offset = 0) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return;
  std::fseek(f, offset, SEEK_SET);
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::exit(2);
  png_init_io(p, f);
  png_set_user_limits(p, 0x7FFFFFFF, 0x7FFFFFFF);
  png_read_info(p, info);
  png_set_bgr(p);
  // An interlaced picture's passes each fill some pixels of every row: libpng needs them all.
  const int passes = png_set_interlace_handling(p);
  png_read_update_info(p, info);
  const png_uint_32 height = png_get_image_height(p, info);
  std::vector<uint8_t> rows(png_get_rowbytes(p, info) * (passes > 1 ? height : 1));
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < height; ++y)
      png_read_row(p, rows.data() + (passes > 1 ? y * png_get_rowbytes(p, info) : 0), nullptr);
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
  std::fclose(f);
}

// libjpeg-turbo's decode of a source set on `c`, row by row, into the colour space; CMYK
// pictures into their CMYK samples, turned into RGB as Pillow turns them (each colour its
// ink's complement less the black).
inline void PlainJpegRows(jpeg_decompress_struct& c, J_COLOR_SPACE space) {
  jpeg_read_header(&c, TRUE);
  const bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
  c.out_color_space = cmyk ? JCS_CMYK : space;
  jpeg_start_decompress(&c);
  std::vector<uint8_t> row(size_t(c.output_width) * size_t(c.output_components)), rgb(size_t(c.output_width) * 3);
  JSAMPROW p = row.data();
  while (c.output_scanline < c.output_height) {
    jpeg_read_scanlines(&c, &p, 1);
    if (!cmyk) continue;
    for (size_t x = 0; x < c.output_width; ++x) {
      const uint8_t* ink = &row[4 * x];
      for (int i = 0; i < 3; ++i) rgb[3 * x + size_t(i)] = uint8_t(std::max(0, 255 - ink[i] - ink[3]));
    }
  }
  jpeg_finish_decompress(&c);
}

// libjpeg-turbo's decode of a file, in the bitmap's byte order (CMYK ones as PlainJpegRows says).
inline void PlainJpeg(const std::string& name) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return;
  jpeg_decompress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_decompress(&c);
  jpeg_stdio_src(&c, f);
  PlainJpegRows(c, JCS_EXT_BGR);
  jpeg_destroy_decompress(&c);
  std::fclose(f);
}

// libjpeg-turbo's decode of bytes in memory into the colour space.
inline void PlainJpegBytes(const std::string& bytes, J_COLOR_SPACE space) {
  jpeg_decompress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  PlainJpegRows(c, space);
  jpeg_destroy_decompress(&c);
}

// libtiff's decode of the strips (or tiles) as they are (bilevel rows for the fax page).
inline void PlainTiffStrips(const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "r");
  if (TIFFIsTiled(t)) {
    std::vector<uint8_t> buffer(size_t(TIFFTileSize(t)));
    for (ttile_t s = 0; s < TIFFNumberOfTiles(t); ++s) TIFFReadEncodedTile(t, s, buffer.data(), -1);
  } else {
    std::vector<uint8_t> buffer(size_t(TIFFStripSize(t)));
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(t); ++s) TIFFReadEncodedStrip(t, s, buffer.data(), -1);
  }
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
