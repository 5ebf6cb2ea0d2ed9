#include "app/console.h"

#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

#include "platform/rtl/end_signals.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

// Some of standard output was lost.
bool outputFailed = false;

// At most this much goes into a pipe at a time: a pipe that says it takes more takes that much
// without waiting.
constexpr size_t kPipeChunk = PIPE_BUF;

// Writes the bytes, waiting while the reader does not read (a full pipe, "| sleep 15") only
// until the program is asked to end: then what is left is given up rather than waited for.
// False with errno set when they could not all be written (EINTR: given up).
bool WriteWithoutHanging(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    pollfd p[2] = {{fd, POLLOUT, 0}, {EndSignalWakeFd(), POLLIN, 0}};
    // Once the end is asked for, the wake pipe is empty: nothing more is waited for.
    const int ready = ::poll(p, CaughtEndSignal() != 0 ? 1 : 2, CaughtEndSignal() != 0 ? 0 : -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0 || (ready > 0 && (p[0].revents & (POLLOUT | POLLERR | POLLHUP | POLLNVAL)) == 0)) {
      if (CaughtEndSignal() == 0) continue;
      errno = EINTR;
      return false;
    }
    const ssize_t n = ::write(fd, bytes.data(), std::min(bytes.size(), kPipeChunk));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

}  // namespace

void SetCommandLine(std::vector<std::string> arguments) { Arguments() = std::move(arguments); }

const std::vector<std::string>& CommandLine() { return Arguments(); }

bool ConsoleMode() { return !Arguments().empty() && Trim(Arguments().front()) == "X"; }

void WriteConsoleLine(const std::string& line) {
  // The first failed write is told; the later ones are lost alike.
  if (outputFailed) return;
  if (WriteWithoutHanging(STDOUT_FILENO, line + "\r\n")) return;
  const int error = errno;
  outputFailed = true;
  // A reader that went away (SIGPIPE), or a signal that came while the reader did not read,
  // ends the run as a signal does, and says so then.
  if (error == EINTR || (error == EPIPE && CaughtEndSignal() == SIGPIPE)) return;
  WriteConsoleError(std::string("Standard output could not be written: ") + std::strerror(error) +
                    "; what follows of it is lost.");
}

bool ConsoleOutputFailed() { return outputFailed; }

void WriteConsoleError(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\r') c = '\n';
  }
  out += '\n';
  WriteWithoutHanging(STDERR_FILENO, out);
}

}  // namespace Tarnwick1
