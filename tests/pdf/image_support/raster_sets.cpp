#include "tests/pdf/image_support/raster_sets.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace rastertest {

bool HaveRasterTools() {
  static const bool have = imagetest::HaveImageTools() && testsupport::HaveTool("tiffcp") &&
                           testsupport::HaveTool("tifftopnm") && testsupport::HaveTool("giftopnm") &&
                           testsupport::HaveTool("pbmtog3") && testsupport::HaveTool("fax2tiff");
  return have;
}

const RasterSet& RasterSet::Get(const std::string& kind) {
  static std::map<std::string, std::unique_ptr<RasterSet>> sets;
  auto& set = sets[kind];
  if (set) return *set;
  set.reset(new RasterSet);
  set->dir_ = std::make_unique<testsupport::TempDir>();
  std::string out;
  const int rc = testsupport::Run(imagetest::PilPython() + " " + testsupport::DataPath("pdf/raster/make_rasters.py") +
                                      " " + kind + " '" + set->dir_->path() + "' 2>&1",
                                  &out);
  if (rc != 0) {
    set->error_ = out;
    return *set;
  }
  std::istringstream manifest(testsupport::ReadFile(set->dir_->File("manifest.txt")));
  std::string line;
  while (std::getline(manifest, line)) {
    std::istringstream words(line);
    imagetest::ImageCase c;
    words >> c.name;
    std::string kv;
    while (words >> kv) {
      const auto eq = kv.find('=');
      c.values[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    set->cases_.push_back(std::move(c));
  }
  set->ok_ = !set->cases_.empty();
  return *set;
}

const imagetest::ImageCase& RasterSet::Case(const std::string& name) const {
  for (const auto& c : cases_)
    if (c.name == name) return c;
  static const imagetest::ImageCase none;
  ADD_FAILURE() << "no raster case " << name;
  return none;
}

std::string RasterSet::Read(const std::string& file) const { return testsupport::ReadFile(dir_->File(file)); }

}  // namespace rastertest
