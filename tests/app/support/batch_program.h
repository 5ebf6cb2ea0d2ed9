// The built program in a scratch program folder of its own, run as "velmora X" in a child
// process under an address-space ceiling and an alarm, with a Velmora.cfg written by the test.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/limited_child.h"
#include "tests/support/test_support.h"

namespace apptest {

struct BatchResult {
  testsupport::ChildEnd end;
  int status = -1;  // the exit status, -1 when the program did not exit by itself
  std::string out;  // standard output
  std::string err;  // standard error
};

class BatchProgram {
 public:
  // Makes <dir>/prog/ holding links to (or copies of) the program and its GDI+ provider.
  explicit BatchProgram(const testsupport::TempDir& dir);

  bool ready() const { return ready_; }
  const std::string& folder() const { return prog_; }
  // Writes Velmora.cfg beside the program, CR LF after each line.
  void Config(const std::vector<std::string>& lines) const;
  BatchResult Run(const std::string& argument = "X", const testsupport::ChildLimits& limits = {.seconds = 300}) const;
  // The same with DISPLAY left as it is (it is taken away otherwise).
  BatchResult RunWithDisplay(const std::string& argument = "X") const;
  // The same with standard output going to that file (a device, a pipe), which is not read back.
  BatchResult RunInto(const std::string& stdoutPath, const testsupport::ChildLimits& limits = {.seconds = 300}) const;
  // The same with standard input, output and error closed (nothing is read back).
  BatchResult RunWithStreamsClosed(const testsupport::ChildLimits& limits = {.seconds = 300}) const;
  // "velmora X" with standard output into a named pipe of that name that the caller then opens
  // for reading (the program waits for it); Finish waits for the end.
  int Start(const std::string& fifoPath, const testsupport::ChildLimits& limits = {.seconds = 300}) const;
  BatchResult Finish(int pid, const testsupport::ChildLimits& limits = {.seconds = 300}) const;
  // Variables ("NAME=value") every later run gets besides the test's own environment.
  void SetEnvironment(std::vector<std::string> entries) { environment_ = std::move(entries); }
  // Later runs run as this user and group (which needs a test run by root).
  void RunAs(long user, long group) {
    user_ = user;
    group_ = group;
  }

 private:
  BatchResult Exec(const std::string& argument, const testsupport::ChildLimits& limits, bool withDisplay,
                   const std::string& stdoutPath = {}) const;
  testsupport::ExecOptions Options(bool withDisplay, const std::string& stdoutPath) const;
  BatchResult Collect(const testsupport::ChildEnd& end, bool readOut) const;

  const testsupport::TempDir& dir_;
  std::string prog_;
  std::vector<std::string> environment_;
  long user_ = -1, group_ = -1;
  bool ready_ = false;
};

// Shell functions for a script that drives the program's window from outside: "await <title>"
// waits for a window of that title, "click <x> <y>" clicks a point of the main window's client
// area, "run" presses "Compare images", answers "Yes" and closes the summary.
extern const char* const kWindowSteps;

// The CR LF lines of batch output; a last line without CR LF is marked "<no CR LF>".
std::vector<std::string> OutputLines(const std::string& out);
// File name -> property string of every match in batch output.
std::map<std::string, std::string> OutputMatches(const std::string& out);

}  // namespace apptest
