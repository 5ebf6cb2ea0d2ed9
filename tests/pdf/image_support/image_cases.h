// Image files made by Pillow and ImageMagick for the codec and import tests, with what those
// tools decode from them (see tests/data/pdf/image_import/make_images.py).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace imagetest {

// A python3 that has PIL, or empty.
std::string PilPython();
bool HaveImageTools();

struct ImageCase {
  std::string name;
  std::map<std::string, std::string> values;
  std::string Get(const std::string& key) const;
  int Int(const std::string& key) const;
};

// One set of files that a generator script under tests/data makes into a folder of its own,
// with a manifest line for each case ("name key=value ..."). Made once per test program for
// each script and kind.
class ImageSet {
 public:
  // Kind "bmp", "png" or "jpeg" of make_images.py.
  static const ImageSet& Get(const std::string& kind) { return Made("pdf/image_import/make_images.py", kind); }
  static const ImageSet& Made(const std::string& script, const std::string& kind);
  const std::vector<ImageCase>& Cases() const { return cases_; }
  const ImageCase& Case(const std::string& name) const;
  std::string Path(const std::string& file) const { return dir_->File(file); }
  std::string Read(const std::string& file) const;
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  std::string script_;
  std::unique_ptr<testsupport::TempDir> dir_;
  std::vector<ImageCase> cases_;
  bool ok_ = false;
  std::string error_;
};

// Runs a Python snippet (with PIL imported as Image) over argv; its standard output.
std::string RunPython(const std::string& script, const std::vector<std::string>& args, int* status = nullptr);

}  // namespace imagetest

#define REQUIRE_IMAGE_TOOLS()                                                 \
  do {                                                                        \
    if (!::imagetest::HaveImageTools()) GTEST_SKIP() << "needs PIL and convert"; \
  } while (0)
