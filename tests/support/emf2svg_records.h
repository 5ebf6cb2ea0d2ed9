// emf2svg does not draw EMF+ records, but with -p -v it reads each one and prints its fields:
// an independent reader of their layouts for the tests of EMF+ recording.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// What emf2svg-conv prints of the EMF+ records of an EMF file: for each record its name
// ("U_PMR_FillPath") and then its field lines ("+  PathID:0 ..."), without colour escapes,
// surrounding blanks, or emf2svg's remarks on what it leaves undrawn. Empty when emf2svg
// fails.
std::vector<std::string> Emf2svgPlusRecords(const std::string& emf);

}  // namespace testsupport
