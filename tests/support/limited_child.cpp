#include "tests/support/limited_child.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <grp.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>

namespace testsupport {
namespace {

// An address-space ceiling would stop a sanitizer runtime before main.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// In the child, before the work: the ceilings, and no core file for the crash a test expects.
void ApplyLimits(const ChildLimits& limits) {
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  if (!kSanitized) {
    const rlimit as{limits.address_space, limits.address_space};
    setrlimit(RLIMIT_AS, &as);
  }
  if (limits.file_size) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit fsize{limits.file_size, limits.file_size};
    setrlimit(RLIMIT_FSIZE, &fsize);
  }
  if (limits.open_files) {
    const rlimit files{limits.open_files, limits.open_files};
    setrlimit(RLIMIT_NOFILE, &files);
  }
  // The signals that end a program are not ignored in the child whatever the test runner inherited
  // (a shell's background job ignores SIGINT, some runners SIGPIPE), as for a program started
  // from a terminal.
  for (const int s : {SIGTERM, SIGHUP, SIGINT, SIGPIPE, SIGQUIT, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,
                      SIGPWR, SIGSTKFLT})
    signal(s, SIG_DFL);
  signal(SIGALRM, SIG_DFL);
  alarm(limits.seconds);
}

bool Redirect(const std::string& path, int fd) {
  if (path.empty()) return true;
  const int f = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (f < 0) return false;
  const bool ok = dup2(f, fd) == fd;
  close(f);
  return ok;
}

// The parent's environment without the named variables and with the given ones.
std::vector<char*> Environment(const ExecOptions& options) {
  std::vector<std::string> unset = options.unset_env;
  for (const auto& entry : options.set_env) unset.push_back(entry.substr(0, entry.find('=')));
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) {
    bool keep = true;
    for (const auto& name : unset) {
      if (strncmp(*e, name.c_str(), name.size()) == 0 && (*e)[name.size()] == '=') keep = false;
    }
    if (keep) env.push_back(*e);
  }
  for (const auto& entry : options.set_env) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  return env;
}

unsigned long long ResidentBytes(pid_t pid) {
  std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
  unsigned long long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
}

// A program that takes SIGALRM as a request to end may not end on it: past the alarm and this
// much more, the child is killed.
constexpr int kGraceSeconds = 15;

// Waits for the child, looking every 10 ms whether it is past its time (and in sanitizer builds
// past its memory).
ChildEnd Wait(pid_t pid, const ChildLimits& limits) {
  ChildEnd end;
  if (pid < 0) return end;
  int status = 0;
  rusage usage{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds + kGraceSeconds);
  for (;;) {
    const pid_t got = wait4(pid, &status, WNOHANG, &usage);
    if (got == pid) break;
    if (got < 0 && errno != EINTR) return end;
    if (got == 0 && std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      end.how = ChildEnd::How::kTimedOut;
      return end;
    }
    // The runtime's quarantine of freed blocks and its shadow memory are resident too.
    if (got == 0 && kSanitized && ResidentBytes(pid) > 2 * limits.address_space) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      end.how = ChildEnd::How::kPastMemoryCeiling;
      return end;
    }
    if (got == 0) usleep(10000);
  }
  end.peak_kib = usage.ru_maxrss;
  end.cpu_seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (WIFEXITED(status)) {
    end.how = ChildEnd::How::kExited;
    end.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    end.code = WTERMSIG(status);
    end.how = end.code == SIGALRM ? ChildEnd::How::kTimedOut : ChildEnd::How::kSignalled;
  }
  return end;
}

}  // namespace

std::string Describe(const ChildEnd& end) {
  switch (end.how) {
    case ChildEnd::How::kExited:
      return "exit " + std::to_string(end.code);
    case ChildEnd::How::kSignalled:
      return "signal " + std::to_string(end.code) + " (" + strsignal(end.code) + ")";
    case ChildEnd::How::kTimedOut:
      return "timed out";
    case ChildEnd::How::kPastMemoryCeiling:
      return "past the memory ceiling";
    case ChildEnd::How::kNotStarted:
      break;
  }
  return "not started";
}

bool LimitsAddressSpace() { return !kSanitized; }

long ResidentKiB() { return long(ResidentBytes(getpid()) / 1024); }

long PeakResidentKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

ChildEnd RunLimited(const std::function<int()>& body, const ChildLimits& limits) {
  const pid_t pid = fork();
  if (pid == 0) {
    ApplyLimits(limits);
    int code = 125;
    try {
      code = body();
    } catch (...) {
    }
    _exit(code);
  }
  return Wait(pid, limits);
}

ChildEnd ExecLimited(const std::vector<std::string>& argv, const ExecOptions& options,
                     const ChildLimits& limits) {
  if (argv.empty()) return {};
  return Wait(StartLimited(argv, options, limits), limits);
}

ChildEnd WaitLimited(int pid, const ChildLimits& limits) { return Wait(pid, limits); }

int StartLimited(const std::vector<std::string>& argv, const ExecOptions& options, const ChildLimits& limits) {
  if (argv.empty()) return -1;
  // Everything the child needs is prepared before fork: only async-signal-safe calls follow.
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env = Environment(options);
  // The child's peak counts what this program holds at the fork: what the heap keeps of blocks
  // freed by earlier tests is given back first.
  malloc_trim(0);
  const pid_t pid = fork();
  if (pid == 0) {
    if ((!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) || !Redirect(options.stdout_path, 1) ||
        !Redirect(options.stderr_path, 2))
      _exit(127);
    if (options.close_standard_streams)
      for (int fd = 0; fd <= 2; ++fd) close(fd);
    ApplyLimits(limits);
    // Another user's rights (the group first: after the user is changed it may not be).
    if (options.user >= 0 && (setgroups(0, nullptr) != 0 || setgid(gid_t(options.group)) != 0 ||
                              setuid(uid_t(options.user)) != 0))
      _exit(127);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  return pid;
}

}  // namespace testsupport
