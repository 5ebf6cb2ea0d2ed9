// The summary that ends a comparison run: how many files matched out of how many, and what
// became of the matches (copied, already in the target under their name, not copied).
#pragma once

#include <cstdint>
#include <string>

namespace Tarnwick1 {

// What became of the matches of a run that copies them.
struct TCopyTally {
  int32_t Copied = 0;
  // A file of the match's name was in the target folder and stays: the match still counts.
  int32_t AlreadyThere = 0;
  int32_t Failed = 0;
  std::string FirstFailure;  // "<file>: <cause>" of the first copy that failed
};

// The message box at the end of a run in the window; `searchNote` (when not empty) says which
// folders could not be searched.
std::string RunSummary(int32_t matches, int32_t files, bool toClipboard, const std::string& target,
                       const TCopyTally& tally = {}, const std::string& searchNote = {});
// The console line of a run that copies (batch mode).
std::string ConsoleCopySummary(int32_t matches, int32_t files, const TCopyTally& tally, const std::string& target);

}  // namespace Tarnwick1
