#include "app/console.h"

#include <cstdio>

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
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputs("\r\n", stdout);
  std::fflush(stdout);
}

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
