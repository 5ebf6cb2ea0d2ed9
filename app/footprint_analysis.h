// The footprint analysis shared by the master and every candidate: the image file goes through
// the PDF library (imported into a one-page document of its own size, rendered at 72 dpi into
// a BMP), and the rendered page is reduced, cut into cells, measured and classified.
#pragma once

#include <string>

#include "app/footprint.h"

class TBitmap;

namespace Tarnwick1 {

// Fills `print` for the file with the current PixelsSquare and CellSize. A file the library
// cannot load or render gives a footprint that is all zeros with Loaded false (its ImageType
// still named by the extension). Errors of the settings (a bitmap too large for the square)
// are raised.
void AnalyseFootprint(const std::string& fileName, TFootprint& print);

// Copies `from` into `to` when `from` is a loaded footprint of the same file name under the
// current PixelsSquare and the file is provably unchanged since: its analysis need not run
// again (the master lying in the searched folder). False when the file must be analysed.
bool ReuseFootprint(const std::string& fileName, const TFootprint& from, TFootprint& to);

// The import-and-render road alone: the page bitmap of the file and the image's size. False
// when the library could not load or render it.
bool RenderImageFile(const std::string& fileName, TBitmap& page, int32_t& width, int32_t& height);

}  // namespace Tarnwick1
