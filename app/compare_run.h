// The comparison run ("Compare images"): collects the image files, asks before it starts,
// prepares the target folder, tests every file against the master and copies each match
// there (never over an existing file) or lists the matches on the clipboard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/run_summary.h"

class TStringList;

namespace Tarnwick1 {

// Module-level state of the run.
extern std::unique_ptr<TStringList> FileList;  // full names in search order, duplicates kept
extern bool SearchSubfolders;                  // CheckBox10 at the start of the run
extern std::string TargetFolder;               // ends in "/"; also chosen with Button6
extern int32_t FilesFound;                     // m
extern int32_t MatchCount;                     // n
extern TCopyTally CopyTally;                   // what became of the n matches
extern std::string ClipboardText;              // the list of matches in clipboard mode

// "Process ended ..." after a completed run; empty when the person declined to go on. Raises
// Exception naming the folder to compare when there is none or it cannot be listed (before
// anything is asked or made), and "Error while creating directory <T>" when the target folder
// cannot be made; other errors of the analysis end the run where they happen. The target folder
// is not searched as part of the folder compared; a copy that fails is counted and told.
std::string CompareRun(const std::string& directory);

// The question asked before a run.
std::string RunQuestion(int count, const std::string& directory, bool subfolders);

}  // namespace Tarnwick1
