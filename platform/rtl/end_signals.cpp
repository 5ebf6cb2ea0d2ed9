#include "platform/rtl/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The signals of the header's list that every Linux has; the real-time ones are added when the
// handlers are installed (their range is known only at run time).
constexpr int kFixedEndSignals[] = {SIGTERM, SIGHUP, SIGINT,    SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1,
                                    SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,   SIGPWR,  SIGSTKFLT};

// Module-level because a signal handler can reach nothing else.
volatile std::sig_atomic_t caught = 0;
std::array<volatile std::sig_atomic_t, NSIG> seen{};
std::atomic<int> wakeWrite{-1};
int wakeRead = -1;
bool installed = false;
std::array<struct sigaction, NSIG> previous{};
std::vector<int> handled;
// The scratch file: its name is written only while it is not published.
char scratch[PATH_MAX];
std::atomic<bool> scratchSet{false};

void SetAction(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // Interrupted reads and writes go on; code that must not wait for ever watches the wake pipe.
  action.sa_flags = SA_RESTART;
  ::sigaction(signal, &action, nullptr);
}

void OnEndSignal(int signal) {
  // Only async-signal-safe work: flags, an unlink and a write that never blocks.
  const int saved = errno;
  // SIGPIPE is no person insisting: every later write into the closed pipe raises it again, and
  // those writes fail with EPIPE while the program ends in order.
  if (signal != SIGPIPE && seen[size_t(signal)] != 0) {
    if (scratchSet.load()) ::unlink(scratch);
    SetAction(signal, SIG_DFL);
    ::raise(signal);  // blocked while this handler runs: it takes its default action on return
    errno = saved;
    return;
  }
  seen[size_t(signal)] = 1;
  if (caught == 0) caught = signal;
  const int fd = wakeWrite.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

// The write past the limit then fails with EFBIG, which the writer reports as it reports a full
// disk; the default action would end the program without a word and without its settings.
void OnFileTooLarge(int) {}

void Drain() {
  if (wakeRead < 0) return;
  char bytes[64];
  while (::read(wakeRead, bytes, sizeof bytes) > 0) {
  }
}

// Installs the handler unless the program was started with the signal ignored.
void Catch(int signal, void (*handler)(int)) {
  struct sigaction now {};
  if (::sigaction(signal, nullptr, &now) != 0) return;
  previous[size_t(signal)] = now;
  handled.push_back(signal);
  if (now.sa_handler == SIG_IGN) return;
  SetAction(signal, handler);
}

}  // namespace

void CatchEndSignals() {
  if (installed) return;
  if (wakeRead < 0) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
      wakeRead = fds[0];
      wakeWrite.store(fds[1]);
    }
  }
  handled.clear();
  for (const int signal : kFixedEndSignals) Catch(signal, OnEndSignal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) Catch(signal, OnEndSignal);
  Catch(SIGXFSZ, OnFileTooLarge);
  installed = true;
}

int CaughtEndSignal() {
  // The handler notes the signal before it writes: an empty flag means an empty pipe.
  const int signal = caught;
  if (signal != 0) Drain();
  return signal;
}

int EndSignalWakeFd() { return wakeRead; }

std::string EndSignalName(int signal) {
  if (signal >= SIGRTMIN && signal <= SIGRTMAX)
    return signal == SIGRTMIN ? "SIGRTMIN" : "SIGRTMIN+" + std::to_string(signal - SIGRTMIN);
  if (signal == SIGIO) return "SIGIO";
  if (const char* abbreviation = sigabbrev_np(signal)) return std::string("SIG") + abbreviation;
  return "signal " + std::to_string(signal);
}

void ResetEndSignals() {
  if (installed)
    for (const int signal : handled) ::sigaction(signal, &previous[size_t(signal)], nullptr);
  installed = false;
  caught = 0;
  for (auto& s : seen) s = 0;
  ClearScratchFile();
  Drain();
}

void SetScratchFile(const std::string& path) {
  scratchSet.store(false);
  if (path.size() >= sizeof scratch) return;
  std::memcpy(scratch, path.c_str(), path.size() + 1);
  scratchSet.store(true);
}

void ClearScratchFile() { scratchSet.store(false); }
