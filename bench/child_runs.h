// Measured work in child processes: a program or a function runs in a child of its own, and its
// processor time (user + system) and peak memory come from wait4.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace benchchild {

struct Usage {
  double cpu = 0;       // seconds, user + system
  long peakKiB = 0;     // largest resident set of the children
  bool failed = false;  // a child did not exit with 0
  void Add(const Usage& u) {
    cpu += u.cpu;
    peakKiB = std::max(peakKiB, u.peakKiB);
    failed = failed || u.failed;
  }
};

inline Usage Waited(pid_t child) {
  int status = 0;
  rusage r{};
  Usage u;
  if (wait4(child, &status, 0, &r) != child) return Usage{0, 0, true};
  u.cpu = double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + 1e-6 * double(r.ru_utime.tv_usec + r.ru_stime.tv_usec);
  u.peakKiB = r.ru_maxrss;
  u.failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
  return u;
}

// A program with its output to /dev/null, from the folder `cwd`, without DISPLAY.
inline Usage RunProgram(const std::vector<std::string>& argv, const std::string& cwd) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    unsetenv("DISPLAY");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return Waited(child);
}

// `work` in a child process of its own.
inline Usage RunChild(const std::function<void()>& work) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    std::_Exit(0);
  }
  return Waited(child);
}

// The run of least processor time out of `runs`.
template <class F>
Usage Best(int runs, F run) {
  Usage best;
  for (int r = 0; r < runs; ++r) {
    const Usage u = run();
    if (r == 0 || u.cpu < best.cpu) best = u;
  }
  return best;
}

inline bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// The program in a folder of its own (it finds its configuration beside itself), copied from
// the build folder or from the folder BENCH_VELMORA_DIR names (another build, for before and
// after).
inline std::string ProgramFolder(const std::string& root, const std::string& buildDir) {
  const std::string prog = root + "prog/";
  const char* other = std::getenv("BENCH_VELMORA_DIR");
  const std::string from = other && *other ? other : buildDir;
  Shell("mkdir -p '" + prog + "'");
  for (const char* file : {"velmora", "libvelmora-gdiplus.so"})
    if (!Shell("cp -f '" + from + "/" + file + "' '" + prog + file + "'")) std::exit(2);
  return prog;
}

}  // namespace benchchild
