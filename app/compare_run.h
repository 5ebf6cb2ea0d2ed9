// The comparison run ("Compare images"): collects the image files, asks before it starts,
// prepares the target folder, tests every file against the master and copies each match
// there (never over an existing file) or lists the matches on the clipboard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TStringList;

namespace Tarnwick1 {

// Module-level state of the run.
extern std::unique_ptr<TStringList> FileList;  // full names in search order, duplicates kept
extern bool SearchSubfolders;                  // CheckBox10 at the start of the run
extern std::string TargetFolder;               // ends in "/"; also chosen with Button6
extern int32_t FilesFound;                     // m
extern int32_t MatchCount;                     // n
extern std::string ClipboardText;              // the list of matches in clipboard mode

// "Process ended ..." after a completed run; empty when the person declined to go on. Raises
// Exception "Error while creating directory <T>" when the target folder cannot be made; other
// errors of the analysis end the run where they happen.
std::string CompareRun(const std::string& directory);

// The question asked before a run.
std::string RunQuestion(int count, const std::string& directory, bool subfolders);
// The summary of a run shown in a message box.
std::string RunSummary(int32_t matches, int32_t files, bool toClipboard, const std::string& target);

}  // namespace Tarnwick1
