// The image file search of a comparison run: every file of a folder (and, when asked, of every
// folder below it, depth first) whose name matches a mask, in a fixed order.
#pragma once

#include <string>

class TStrings;

namespace Tarnwick1 {

// The masks of a run, searched in this order.
inline constexpr const char* kImageMasks[] = {"*.tif", "*.tiff", "*.png", "*.jpg", "*.jpeg",
                                             "*.gif", "*.wmf", "*.bmp", "*.emf", "*.ico"};

// Appends to `list` the full names of the plain files under `directory` whose names match
// `mask` (without regard to case): a folder's own files first, sorted by name, then those of
// each subfolder in name order. Duplicates already in the list are kept. Folders that cannot
// be read are skipped; a symbolic link into a folder already walked is not followed. The
// window's messages are handled before each subfolder.
void FindImageFiles(const std::string& directory, const std::string& mask, TStrings& list, bool withSubfolders,
                    bool clearFirst);

}  // namespace Tarnwick1
