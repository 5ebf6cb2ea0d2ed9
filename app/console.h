// The command line and batch ("console") mode: the program started with the argument "X"
// analyses the master and runs the comparison from the saved settings, writing its lines to
// standard output; what would be a dialog goes to standard error.
#pragma once

#include <string>
#include <vector>

namespace Tarnwick1 {

// The program's arguments without the program name (ParamStr(1) ...).
void SetCommandLine(std::vector<std::string> arguments);
const std::vector<std::string>& CommandLine();
// The first argument trimmed is "X".
bool ConsoleMode();

// One console line ended by CR LF, on standard output. The first write that fails (a full
// disk, /dev/full) is told on standard error.
void WriteConsoleLine(const std::string& line);
// Some of standard output could not be written.
bool ConsoleOutputFailed();
// A message for a person, on standard error (carriage returns between its lines become line
// feeds there).
void WriteConsoleError(const std::string& text);

}  // namespace Tarnwick1
