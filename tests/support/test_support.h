// Helpers shared by the test programs.
#pragma once

#include <string>
#include <string_view>
#include <vector>
#include <cstdint>

namespace testsupport {

// Whether the process pinned fontconfig to the project configuration (tests/data/fonts).
bool FontsPinned();

// The project's source folder and build folder (absolute, no trailing "/").
std::string SourceDir();
std::string BinaryDir();
// A fixture below tests/data.
std::string DataPath(std::string_view relative);

// A fresh folder below the build's temporary area, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// True when an external program is on PATH (for oracles: pdftoppm, qpdf, tiffcp, convert...).
bool HaveTool(std::string_view name);
// Runs a shell command in the C locale; returns its exit status, with its standard output in *out
// when given.
int Run(const std::string& command, std::string* out = nullptr);

std::string ReadFile(const std::string& path);
// One page (from 1) of a PDF file as pdftoppm draws it at dpi, as top-down RGB rows; empty when
// pdftoppm failed. options go on its command line (e.g. "-cropbox").
struct PpmImage {
  int Width = 0, Height = 0;
  std::vector<uint8_t> RGB;
};
PpmImage RasterizeWithPdftoppm(const std::string& pdf, double dpi, int page = 1, const std::string& options = "");
void WriteFile(const std::string& path, std::string_view bytes);

}  // namespace testsupport

// Skips the current test when a tool is missing, naming it.
#define REQUIRE_TOOL(name)                                             \
  do {                                                                 \
    if (!::testsupport::HaveTool(name)) GTEST_SKIP() << "needs " name; \
  } while (0)
