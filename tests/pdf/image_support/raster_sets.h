// TIFF, GIF and icon files made by libtiff's tools, ImageMagick, Pillow and netpbm, with the pixels
// an independent decoder reads from them (see tests/data/pdf/raster/make_rasters.py).
#pragma once

#include <string>

#include "tests/pdf/image_support/image_cases.h"

namespace rastertest {

bool HaveRasterTools();

struct RasterSet {
  // Kind "tiff", "gif" or "ico", made once per test program.
  static const imagetest::ImageSet& Get(const std::string& kind) {
    return imagetest::ImageSet::Made("pdf/raster/make_rasters.py", kind);
  }
};

}  // namespace rastertest

#define REQUIRE_RASTER_TOOLS()                                                                    \
  do {                                                                                            \
    if (!::rastertest::HaveRasterTools()) GTEST_SKIP() << "needs PIL, convert, tiffcp and netpbm"; \
  } while (0)
