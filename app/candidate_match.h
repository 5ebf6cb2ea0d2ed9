// The candidate analysis and the match test of a comparison run.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/footprint.h"

namespace Tarnwick1 {

// Module-level counters of the last candidate.
extern int32_t Needed;        // selected property tests
extern int32_t ColourNeeded;  // colour values that must lie within their bounds
extern int32_t Hits;          // selected property tests passed
extern int32_t ColourHits;    // colour values within their bounds

// The state of CheckBox1 .. CheckBox8 (index 0 is CheckBox1).
using TTestSelection = std::array<bool, 8>;

// The match test of a candidate footprint against the master's footprint and bounds under a
// precision in whole percent; sets the four counters. A candidate the library could not read
// never matches.
bool MatchesMaster(const TFootprint& candidate, const TFootprint& master, const TMasterBounds& bounds,
                   int32_t precision, const TTestSelection& tests);

class TSorterView;

// The tests the window's boxes select now.
TTestSelection SelectedTests(const TSorterView& view);

// Analyses the file into the candidate footprint and tests it with the boxes as they are now:
// the candidate's property string on a match, else empty.
std::string CompareImageFile(const std::string& fileName);
// The same with the tests a run started with, and the square size read before (a run reads the
// window once, at its start).
std::string CompareImageFile(const std::string& fileName, const TTestSelection& tests);

}  // namespace Tarnwick1
