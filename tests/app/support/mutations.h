// Damaged copies of well-formed image files for hostile-input runs: bit flips, truncations,
// header bytes set to extreme values, runs of bytes overwritten, and splices of two files.
// The same seed always gives the same files, named so that a failure can be found again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace apptest {

struct ImageFile {
  std::string name;   // file name with its extension, which the copies keep
  std::string bytes;
};

// Seven damaged copies of each source, and `splices` files that join the head of one source
// to the tail of another (named after the first, whose type they claim).
std::vector<ImageFile> MutateImages(const std::vector<ImageFile>& sources, uint32_t seed, size_t splices);

}  // namespace apptest
