#include "platform/rtl/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <atomic>
#include <csignal>
#include <string>

namespace {

constexpr std::array<int, 4> kEndSignals = {SIGTERM, SIGHUP, SIGINT, SIGPIPE};

// Module-level because a signal handler can reach nothing else.
volatile std::sig_atomic_t caught = 0;
std::atomic<int> wakeWrite{-1};
int wakeRead = -1;
bool installed = false;
std::array<struct sigaction, kEndSignals.size()> previous{};

void OnEndSignal(int signal) {
  // Only async-signal-safe work: a flag and a write that never blocks.
  const int saved = errno;
  if (caught == 0) caught = signal;
  const int fd = wakeWrite.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

void Drain() {
  if (wakeRead < 0) return;
  char bytes[64];
  while (::read(wakeRead, bytes, sizeof bytes) > 0) {
  }
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
  for (size_t i = 0; i < kEndSignals.size(); ++i) {
    struct sigaction now {};
    ::sigaction(kEndSignals[i], nullptr, &now);
    previous[i] = now;
    if (now.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes go on; the second signal of a kind is not caught. SIGPIPE
    // is no person insisting: every later write into the closed pipe raises it again, and
    // those writes fail with EPIPE while the program ends in order.
    action.sa_flags = SA_RESTART | (kEndSignals[i] == SIGPIPE ? 0 : SA_RESETHAND);
    ::sigaction(kEndSignals[i], &action, nullptr);
  }
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
  switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGINT: return "SIGINT";
    case SIGPIPE: return "SIGPIPE";
    default: return "signal " + std::to_string(signal);
  }
}

void ResetEndSignals() {
  if (installed)
    for (size_t i = 0; i < kEndSignals.size(); ++i) ::sigaction(kEndSignals[i], &previous[i], nullptr);
  installed = false;
  caught = 0;
  Drain();
}
