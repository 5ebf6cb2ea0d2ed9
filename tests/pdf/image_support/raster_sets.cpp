#include "tests/pdf/image_support/raster_sets.h"

namespace rastertest {

bool HaveRasterTools() {
  static const bool have = imagetest::HaveImageTools() && testsupport::HaveTool("tiffcp") &&
                           testsupport::HaveTool("tifftopnm") && testsupport::HaveTool("giftopnm") &&
                           testsupport::HaveTool("pbmtog3") && testsupport::HaveTool("fax2tiff");
  return have;
}

}  // namespace rastertest
