#include "tests/platform/gdi/gdi_test_util.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace gditest {

std::string PilPython() {
  static const std::string found = [] {
    for (const char* py : {"python3", "/usr/bin/python3"})
      if (testsupport::Run(std::string(py) + " -c 'import PIL' >/dev/null 2>&1") == 0) return std::string(py);
    return std::string();
  }();
  return found;
}

std::string ImageMagick() {
  static const std::string found = testsupport::HaveTool("convert") ? "convert" : "";
  return found;
}

Pixels PilDecode(const std::string& file, const std::string& select) {
  const std::string script =
      "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n" + select +
      "\nmode = im.mode\nim = im.convert('RGBA')\nprint(im.size[0], im.size[1], mode)\n"
      "print(im.tobytes().hex())\n";
  testsupport::TempDir tmp;
  const std::string py = tmp.File("decode.py");
  testsupport::WriteFile(py, script);
  std::string out;
  const int rc = testsupport::Run(PilPython() + " " + py + " '" + file + "' 2>&1", &out);
  Pixels p;
  EXPECT_EQ(rc, 0) << out;
  if (rc != 0) return p;
  std::istringstream in(out);
  std::string hex;
  in >> p.width >> p.height >> p.mode >> hex;
  for (size_t i = 0; i + 8 <= hex.size(); i += 8) {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= uint32_t(std::stoul(hex.substr(i + 2 * k, 2), nullptr, 16)) << (8 * k);
    p.rgba.push_back(v);
  }
  return p;
}

uint32_t OurPixel(const GdiBitmap& b, int x, int y, bool withAlpha) {
  const COLORREF c = b.GetColor(x, y);
  uint32_t alpha = 255;
  if (withAlpha && b.BitsPerPixel() == 32) alpha = b.Row(y)[4 * x + 3];
  return (c & 0xFFFFFF) | (alpha << 24);
}

}  // namespace gditest
