#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// Font resolution sees only the faces the project's fontconfig configuration lists, so text
// tests give the same answers on every machine (and poppler, started from the tests, sees the
// same faces). fontconfig reads the variable when it first loads, after this has run.
const bool kFontsPinned = [] {
  return setenv("FONTCONFIG_FILE", VELMORA_SOURCE_DIR "/tests/data/fonts/fonts.conf", 0) == 0;
}();

}  // namespace

namespace testsupport {

bool FontsPinned() { return kFontsPinned; }

std::string SourceDir() { return VELMORA_SOURCE_DIR; }
std::string BinaryDir() { return VELMORA_BINARY_DIR; }
std::string DataPath(std::string_view relative) { return SourceDir() + "/tests/data/" + std::string(relative); }

TempDir::TempDir() {
  const std::string base = BinaryDir() + "/test-tmp";
  std::filesystem::create_directories(base);
  std::string tmpl = base + "/t-XXXXXX";
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool HaveTool(std::string_view name) {
  return Run("command -v " + std::string(name) + " >/dev/null 2>&1") == 0;
}

int Run(const std::string& command, std::string* out) {
  // The tools answer the same under every locale the tests run in: ls and sort do not collate
  // by it, and ImageMagick does not map a name's case by it (under tr_TR "ico" is no "ICO").
  // C.UTF-8 collates by code point as C does, and still takes UTF-8 arguments (hb-shape's text).
  FILE* p = popen(("export LC_ALL=C.UTF-8; " + command).c_str(), "r");
  if (!p) return -1;
  std::array<char, 4096> buf;
  std::string text;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) text.append(buf.data(), n);
  const int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

PpmImage RasterizeWithPdftoppm(const std::string& pdf, double dpi, int page, const std::string& options) {
  TempDir dir;
  const std::string prefix = dir.File("p");
  const std::string pageText = std::to_string(page);
  if (Run("pdftoppm " + options + " -r " + std::to_string(dpi) + " -f " + pageText + " -l " + pageText +
          " -singlefile '" + pdf + "' '" + prefix + "' 2>/dev/null") != 0)
    return {};
  const std::string ppm = ReadFile(prefix + ".ppm");
  // P6, width, height, 255, one white-space byte, then the pixels.
  int w = 0, h = 0, max = 0, consumed = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &consumed) != 3 || max != 255 || w <= 0 || h <= 0)
    return {};
  const size_t start = size_t(consumed) + 1;
  if (ppm.size() < start + size_t(w) * size_t(h) * 3) return {};
  PpmImage image;
  image.Width = w;
  image.Height = h;
  image.RGB.assign(ppm.begin() + ptrdiff_t(start), ppm.begin() + ptrdiff_t(start + size_t(w) * size_t(h) * 3));
  return image;
}

}  // namespace testsupport
