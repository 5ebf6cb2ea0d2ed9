// Runs work in a child process under an address-space ceiling and an alarm, so that a test can
// see a crash, a runaway allocation or an endless loop as an outcome instead of suffering it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Sanitizer runtimes reserve terabytes of address space up front, so in those builds the parent
// watches the child's resident memory instead and kills it past twice the ceiling (the runtime's
// own bookkeeping is resident too).
struct ChildLimits {
  unsigned long long address_space = 1ull << 30;  // bytes
  unsigned seconds = 30;                          // wall-clock alarm
  // The size any file may be written to (0: no ceiling); a write past it fails with EFBIG, as
  // on a full disk or past a quota, instead of ending the child.
  unsigned long long file_size = 0;
  // The number of file descriptors the child may hold (0: no ceiling); past it opening a file
  // fails with EMFILE.
  unsigned long long open_files = 0;
};

struct ChildEnd {
  enum class How { kExited, kSignalled, kTimedOut, kPastMemoryCeiling, kNotStarted };
  How how = How::kNotStarted;
  int code = 0;  // exit status, or the signal that ended the child
  // The most resident memory the child held, in KiB (from wait4; 0 when it was not waited for).
  // An executed program's peak counts what the test program itself held when it started it: the
  // kernel counts the forked copy's memory until exec (see ResidentKiB).
  long peak_kib = 0;
  // The processor time the child used, user and system, in seconds (0 when it was not waited
  // for): what a machine shared with other work still measures.
  double cpu_seconds = 0;

  bool Normal() const { return how == How::kExited && code == 0; }
};

// How the child ended, for assertion messages: "exit 0", "signal 11 (Segmentation fault)",
// "timed out", "past the memory ceiling".
std::string Describe(const ChildEnd& end);

// Where an executed program starts and where its output goes ("" leaves it as the parent's).
struct ExecOptions {
  std::string cwd;
  std::string stdout_path;
  std::string stderr_path;
  std::vector<std::string> unset_env{};
  std::vector<std::string> set_env{};  // "NAME=value", in place of the parent's value
  // Runs the program as this user and group (needs root; -1 keeps the parent's), so that file
  // permissions hold for it as for anyone but root.
  long user = -1;
  long group = -1;
  // Starts the program with standard input, output and error closed (as a daemon or a broken
  // launcher may); the two paths above are then not used.
  bool close_standard_streams = false;
};

// False in sanitizer builds, where the ceiling is on resident memory.
bool LimitsAddressSpace();

// The most resident memory this process has held, in KiB. A forked child starts from what its
// parent held at the fork, not from the parent's peak: work run in one shows its own peak.
long PeakResidentKiB();

// The resident memory this process holds now, in KiB. Every child's peak is at least this much
// (the copy made by fork counts until exec, for vfork as well), so a test that bounds a child's
// peak needs a test program that holds little: ctest runs each test in a process of its own.
long ResidentKiB();

// Runs body in a forked child; its return value is the exit status (an exception ends it with 125).
ChildEnd RunLimited(const std::function<int()>& body, const ChildLimits& limits = {});
// Executes argv[0] with argv in a child under the limits (status 127 when it cannot be started).
ChildEnd ExecLimited(const std::vector<std::string>& argv, const ExecOptions& options = {},
                     const ChildLimits& limits = {});
// The same in two steps, for a test that acts on the running child (signals it, takes its display
// away): StartLimited returns the child's process id (-1 when fork failed), WaitLimited how it ended.
int StartLimited(const std::vector<std::string>& argv, const ExecOptions& options = {}, const ChildLimits& limits = {});
ChildEnd WaitLimited(int pid, const ChildLimits& limits = {});

}  // namespace testsupport
