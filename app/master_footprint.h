// The master analysis ("Get image properties"): checks the master file, computes its
// footprint and the tolerance bounds every candidate is measured against.
#pragma once

#include <string>

namespace Tarnwick1 {

// The master's property string, or empty when the file fails one of the three checks (its
// folder exists, it exists, its type is allowed), after a red message. Sets the tolerance,
// PixelsSquare, CellSize, the master footprint and the bounds; in batch mode writes the
// master's console lines. A non-numeric precision or square size raises EConvertError naming
// the setting (and Velmora.cfg in batch mode).
std::string MasterFootprint(const std::string& fileName);

// The bounds in memory are those the last analysis that got through made, of this master under
// this precision text (empty: the default 75).
bool MasterIsAnalysed(const std::string& fileName, const std::string& precisionText);

// The three checks alone: the message of the first that fails, or empty.
std::string MasterFileProblem(const std::string& fileName);

// Reads edit_pix ("4" when empty) into PixelsSquare and CellSize; raises EConvertError naming
// the setting when it is no number.
void ReadSquareSettings();

}  // namespace Tarnwick1
