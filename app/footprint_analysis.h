// The footprint analysis shared by the master and every candidate: the image file goes through
// the PDF library (imported into a one-page document of its own size, rendered at 72 dpi into
// a BMP), and the rendered page is reduced, cut into cells, measured and classified.
#pragma once

#include <string>

#include "app/footprint.h"
#include "platform/rtl/exceptions.h"

namespace Tarnwick1 {

// The image file could not be read, placed on a page or rendered; the message names the file
// and the step.
class EUnreadableImage : public Exception {
  using Exception::Exception;
};

// What an image file that the library cannot read, place or render does to the analysis.
enum class TUnreadable {
  Raises,               // the master: the error reaches the caller
  LeavesEmptyFootprint  // a candidate: all zeros, Loaded false, never a match
};

// Fills `print` for the file with the current PixelsSquare and CellSize. Errors of the settings
// (a bitmap too large for the square) are raised either way.
void AnalyseFootprint(const std::string& fileName, TFootprint& print, TUnreadable unreadable);

// Copies `from` into `to` when `from` is a loaded footprint of the same file name under the
// current PixelsSquare and the file is provably unchanged since: its analysis need not run
// again (the master lying in the searched folder). False when the file must be analysed.
bool ReuseFootprint(const std::string& fileName, const TFootprint& from, TFootprint& to);

// What a person is told when the library's GDI+ provider cannot be loaded and pictures are
// drawn without it; empty when it can be loaded.
std::string MissingProviderMessage();

}  // namespace Tarnwick1
