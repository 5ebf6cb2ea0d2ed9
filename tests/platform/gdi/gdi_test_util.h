// Oracles for the graphics tests: Pillow (through a python3 that has it) and ImageMagick.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/dib.h"

namespace gditest {

// A python3 with PIL, or empty when there is none.
std::string PilPython();

struct Pixels {
  int width = 0, height = 0;
  std::string mode;
  std::vector<uint32_t> rgba;  // 0xAABBGGRR per pixel, rows top-down
  uint32_t At(int x, int y) const { return rgba[size_t(y) * width + x]; }
};

// Decodes a file with Pillow (converted to RGBA). `select` is extra Python run on `im` first
// (e.g. choosing an icon size). Fails the test when Pillow fails.
Pixels PilDecode(const std::string& file, const std::string& select = "");

// Our bitmap's pixel as 0xAABBGGRR with alpha 255 (or the stored alpha for 32 bits when
// `withAlpha`).
uint32_t OurPixel(const GdiBitmap& b, int x, int y, bool withAlpha = false);

std::string ImageMagick();  // "convert" when present, else empty

}  // namespace gditest

#define REQUIRE_PIL()                                                 \
  do {                                                                \
    if (::gditest::PilPython().empty()) {                             \
      GTEST_SKIP() << "needs PIL";                                    \
    }                                                                 \
  } while (0)
#define REQUIRE_IM()                                                  \
  do {                                                                \
    if (::gditest::ImageMagick().empty()) {                           \
      GTEST_SKIP() << "needs convert";                                \
    }                                                                 \
  } while (0)
