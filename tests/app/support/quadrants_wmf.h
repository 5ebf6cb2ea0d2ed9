// A placeable WMF picture made byte by byte, for the tests of pictures of any size in points.
#pragma once

#include <string>

namespace apptest {

// A placeable WMF of `side` x `side` points (72 units an inch) in four quadrants: red, green,
// blue and white, each a rectangle filled by a brush of its colour without a pen.
std::string QuadrantsWmf(int side);

}  // namespace apptest
