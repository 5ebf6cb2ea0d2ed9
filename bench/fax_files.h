// Fax pages for the benchmarks: bilevel TIFF files of one Group 4 strip.
#pragma once

#include <string>

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

}  // namespace benchfax
