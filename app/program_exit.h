// How the program ends: the exit status of the process and the failures of batch mode.
#pragma once

#include <string>

namespace Tarnwick1 {

inline constexpr int kExitRunError = 1;     // an error of the analysis or the run
inline constexpr int kExitMasterError = 2;  // the master file failed its checks
inline constexpr int kExitConfigError = 3;  // the configuration could not be saved
inline constexpr int kExitNoDisplay = 4;    // the window was asked for without a display

// The status the process ends with (0 unless something failed).
extern int ExitStatus;

// Writes the message (when there is one) to standard error, keeps the first failure's status
// and asks the application to end.
void FailBatch(const std::string& message, int status);

}  // namespace Tarnwick1
