// Helpers of the raster output tests: small 24-bit bitmaps made from a colour rule, their
// pixels as RGB rasters, and a python3 to run reference scripts with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/gdi/bitmap.h"
#include "tests/pdf/end_to_end/raster_compare.h"

namespace outputtest {

struct RGB {
  uint8_t R = 0, G = 0, B = 0;
};

// A 24-bit bitmap whose pixel (x, y) is colour(x, y).
void Fill24(TBitmap& bitmap, int width, int height, const std::function<RGB(int x, int y)>& colour);

// A named test picture: its size and the rule that colours its pixels.
struct Picture {
  const char* name;
  int width, height;
  std::function<RGB(int, int)> colour;
};
inline void Fill24(TBitmap& bitmap, const Picture& p) { Fill24(bitmap, p.width, p.height, p.colour); }
// The bitmap's pixels (any depth) as an RGB raster, top row first.
testraster::Raster ToRaster(const TBitmap& bitmap);
// A deterministic stream of bytes (a linear congruential generator).
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  uint8_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state_ >> 24);
  }

 private:
  uint32_t state_;
};

// /usr/bin/python3 when present (Debian's, with Pillow), else "python3"; empty when neither.
const std::string& Python();
// Runs a python script with arguments; its standard output in *out. Returns the exit status.
int RunPython(const std::string& script, const std::string& args, std::string* out, const std::string& folder);

// A python script: given a file of RGB bytes, its width and height, prints as hexadecimal the
// RGB bytes of every pixel after octree quantisation to 256 colours (at most 256 leaves after
// each row, the deepest newest inner node merged first, palette in depth-first leaf order) and
// the nearest-colour lookup with its cache of 15-bit cells. Written from the rules alone.
extern const char* const kReferenceQuantiser;
// The raster's pixels as that script quantises them (RGB bytes); empty when python fails.
std::string ReferenceGIFPixels(const testraster::Raster& raster, const std::string& folder);

}  // namespace outputtest
