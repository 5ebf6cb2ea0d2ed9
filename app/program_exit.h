// How the program ends: the exit status of the process and the failures of batch mode.
#pragma once

#include <string>

namespace Tarnwick1 {

class TSorterView;

inline constexpr int kExitRunError = 1;     // an error of the run, a copy or standard output
inline constexpr int kExitMasterError = 2;  // the master file failed its checks
inline constexpr int kExitConfigError = 3;  // the configuration could not be saved
inline constexpr int kExitNoDisplay = 4;    // the window was asked for without a display
inline constexpr int kExitDisplayLost = 5;  // the window's display went away
// A signal that asks the program to end (SIGTERM, SIGHUP, SIGINT) ends it with 128 + its
// number, the status a shell shows for a program the signal ended.
inline constexpr int kExitSignalBase = 128;

// The status the process ends with (0 unless something failed).
extern int ExitStatus;

// Writes the message (when there is one) to standard error, keeps the first failure's status
// and asks the application to end.
void FailBatch(const std::string& message, int status);

// Saves the settings as the program ends. A save that fails never keeps the program: its
// message (the file and the cause) goes to a dialog when `toPerson` (the person pressed "E n d"
// or closed the window), else to standard error, and the status becomes kExitConfigError.
void SaveConfigOnTheWayOut(const TSorterView& view, bool toPerson);

// When the program is asked from outside to end (a signal, or the display gone), says so once
// on standard error and keeps the matching status, before the settings are saved on the way out.
void NoteEndFromOutside();

}  // namespace Tarnwick1
