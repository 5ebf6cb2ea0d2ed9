// Pictures for the end-to-end tests: made and decoded by Pillow, rendered by poppler, read
// from our BMP output, and compared pixel by pixel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testraster {

// Top-down rows of RGB bytes.
struct Raster {
  int Width = 0, Height = 0;
  std::vector<uint8_t> RGB;
  const uint8_t* At(int x, int y) const { return &RGB[(static_cast<size_t>(y) * Width + x) * 3]; }
};

// A python3 that has Pillow, or empty.
const std::string& PythonWithPIL();

// Writes a picture with gradients, hard edges and saturated blocks; the format follows the
// file's extension ("grey" in the name makes it greyscale). False when Pillow fails.
bool MakeTestPicture(const std::string& path, int width, int height, const std::string& saveOptions);
// The picture as Pillow decodes it to RGB.
Raster DecodeWithPillow(const std::string& path);
// pdftoppm -r 72 of page 1 (poppler's Splash back end: it stretches every image by one
// device pixel to the right and down and interpolates, so it is an oracle for placement, not
// for exact pixels).
Raster RenderWithPoppler(const std::string& pdf, const std::string& prefix);
// pdftocairo -r dpi of page 1 (poppler's cairo back end: an image at whole pixels is copied
// exactly).
Raster RenderWithPopplerCairo(const std::string& pdf, const std::string& prefix, double dpi = 72);
// A BMP (24-bit, bottom-up or top-down) from memory; empty on anything else.
Raster ReadBmp(std::string_view bytes);
// The picture moved one pixel right and down on a white page of the same size.
Raster ShiftedOnWhite(const Raster& source);
// The rectangle (x, y, width, height) of a raster.
Raster Crop(const Raster& r, int x, int y, int width, int height);
// The largest difference of any channel; 256 when the sizes differ.
int MaxDifference(const Raster& a, const Raster& b);

}  // namespace testraster
