// A picture of an EMF+ recording drawn from what emf2svg reads of it (emf2svg prints the
// records but draws none): solid fills of paths through clip paths and clip regions, sampled
// at pixel centres without anti-aliasing, on white. An oracle for pages made of fills only.
#pragma once

#include <string>
#include <vector>

#include "tests/pdf/end_to_end/raster_compare.h"

namespace rendertest {

// The lines are those of testsupport::Emf2svgPlusRecords. An empty raster, with the reason in
// *why, when a record is not one of those this drawing knows (strokes, images, brushes other
// than colours, transforms other than the identity).
testraster::Raster DrawEmfPlusFills(const std::vector<std::string>& lines, int width, int height, std::string* why);

}  // namespace rendertest
