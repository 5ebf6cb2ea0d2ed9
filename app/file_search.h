// The image file search of a comparison run: every file of a folder (and, when asked, of every
// folder below it, depth first) whose name matches a mask, in a fixed order.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TStrings;

namespace Tarnwick1 {

// The masks of a run, searched in this order.
inline constexpr const char* kImageMasks[] = {"*.tif", "*.tiff", "*.png", "*.jpg", "*.jpeg",
                                             "*.gif", "*.wmf", "*.bmp", "*.emf", "*.ico"};

// A folder as the file system knows it (device and inode), whatever name leads to it.
using TFolderIdentity = std::pair<uint64_t, uint64_t>;

// What the searches of one run share, one mask after the other: the folder left out of them
// (the target folder, when it lies inside the folder compared), the folders that could not be
// listed or entered, each once, with the error that stopped it, and whether the run was asked
// to stop (looked at before each subfolder; the searches then end at once).
struct TSearchScope {
  std::optional<TFolderIdentity> LeftOut;
  std::vector<std::pair<std::string, int>> Unlisted;
  std::function<bool()> Stop = {};
  bool Stopped = false;
};

// Appends to `list` the full names of the plain files under `directory` whose names match
// `mask` (without regard to case): a folder's own files first, sorted by name, then those of
// each subfolder in name order. Duplicates already in the list are kept. Every folder is walked
// once, under whichever of its names comes first (a link to a sibling, a link back up the
// tree); folders that cannot be read or entered, and links to folders that cannot be followed,
// are skipped and noted in the scope. The window's messages are handled before each subfolder.
void FindImageFiles(const std::string& directory, const std::string& mask, TStrings& list, bool withSubfolders,
                    bool clearFirst, TSearchScope& scope);
void FindImageFiles(const std::string& directory, const std::string& mask, TStrings& list, bool withSubfolders,
                    bool clearFirst);

// Raises Exception with a message naming the folder to compare when there is none (an empty
// text), when it does not exist or when it cannot be listed or entered: a run over it would
// report an empty folder where there are files.
void CheckFolderToCompare(const std::string& directory);

}  // namespace Tarnwick1
