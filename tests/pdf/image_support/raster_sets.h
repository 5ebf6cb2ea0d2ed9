// TIFF and GIF files made by libtiff's tools, ImageMagick, Pillow and netpbm, with the pixels
// an independent decoder reads from them (see tests/data/pdf/raster/make_rasters.py).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/pdf/image_support/image_cases.h"

namespace rastertest {

bool HaveRasterTools();

// One generated set: kind "tiff" or "gif". Made once per test program.
class RasterSet {
 public:
  static const RasterSet& Get(const std::string& kind);
  const std::vector<imagetest::ImageCase>& Cases() const { return cases_; }
  const imagetest::ImageCase& Case(const std::string& name) const;
  std::string Path(const std::string& file) const { return dir_->File(file); }
  std::string Read(const std::string& file) const;
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  std::unique_ptr<testsupport::TempDir> dir_;
  std::vector<imagetest::ImageCase> cases_;
  bool ok_ = false;
  std::string error_;
};

}  // namespace rastertest

#define REQUIRE_RASTER_TOOLS()                                                                    \
  do {                                                                                            \
    if (!::rastertest::HaveRasterTools()) GTEST_SKIP() << "needs PIL, convert, tiffcp and netpbm"; \
  } while (0)
