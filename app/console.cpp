#include "app/console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/rtl/end_signals.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

}  // namespace

void SetCommandLine(std::vector<std::string> arguments) { Arguments() = std::move(arguments); }

const std::vector<std::string>& CommandLine() { return Arguments(); }

bool ConsoleMode() { return !Arguments().empty() && Trim(Arguments().front()) == "X"; }

void WriteConsoleLine(const std::string& line) {
  // The stream remembers a failed write: the first one is told, the later ones are lost alike.
  const bool failedBefore = std::ferror(stdout) != 0;
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputs("\r\n", stdout);
  if (std::fflush(stdout) == 0 || failedBefore) return;
  const int error = errno;
  // A reader that went away (SIGPIPE) ends the run as a signal does, and says so then.
  if (error == EPIPE && CaughtEndSignal() == SIGPIPE) return;
  WriteConsoleError(std::string("Standard output could not be written: ") + std::strerror(error) +
                    "; what follows of it is lost.");
}

bool ConsoleOutputFailed() { return std::ferror(stdout) != 0; }

void WriteConsoleError(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\r') c = '\n';
  }
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
}

}  // namespace Tarnwick1
