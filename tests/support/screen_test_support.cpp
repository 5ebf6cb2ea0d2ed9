#include "tests/support/screen_test_support.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/test_support.h"

extern char** environ;

namespace displaytest {

namespace {

// A P6 PPM of a single pixel: header fields, then three bytes.
std::optional<std::uint32_t> ParsePpmPixel(const std::string& data) {
  size_t pos = 0;
  int fields = 0;
  std::string token;
  if (data.rfind("P6", 0) != 0) return std::nullopt;
  pos = 2;
  while (fields < 3 && pos < data.size()) {
    while (pos < data.size() && std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
    if (pos < data.size() && data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n') ++pos;
      continue;
    }
    while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
    ++fields;
  }
  ++pos;  // the single whitespace before the samples
  if (pos + 3 > data.size()) return std::nullopt;
  auto b = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[pos + i])); };
  return (b(0) << 16) | (b(1) << 8) | b(2);
}

}  // namespace

PrivateXServer::PrivateXServer() {
  if (const char* d = std::getenv("DISPLAY")) {
    previous_ = d;
    hadPrevious_ = true;
  }
  if (testsupport::HaveTool("Xvfb")) {
    int fds[2];
    if (pipe(fds) == 0) {
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);  // O_WRONLY
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
      const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr};
      pid_t pid = -1;
      if (posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), ::environ) == 0) pid_ = pid;
      posix_spawn_file_actions_destroy(&actions);
      close(fds[1]);
      std::string number;
      auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        if (c == '\n') break;
        number.push_back(c);
      }
      close(fds[0]);
      if (!number.empty()) {
        setenv("DISPLAY", (":" + number).c_str(), 1);
        available_ = true;
        return;
      }
      if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
      }
    }
  }
  available_ = hadPrevious_ && !previous_.empty();
}

PrivateXServer::~PrivateXServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    if (hadPrevious_) {
      setenv("DISPLAY", previous_.c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
}

std::optional<std::uint32_t> ScreenshotPixel(int x, int y) {
  testsupport::TempDir dir;
  std::string file = dir.File("shot.ppm");
  std::string cmd = "import -silent -window root -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) +
                    " -depth 8 ppm:" + file + " 2>/dev/null";
  // A busy X server now and then refuses a new connection; try again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (testsupport::Run(cmd) == 0) return ParsePpmPixel(testsupport::ReadFile(file));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
}

std::optional<std::string> RunWhileServing(const std::string& command, const std::function<void()>& serve,
                                           int timeoutMs) {
  testsupport::TempDir dir;
  std::string out = dir.File("out"), flag = dir.File("done");
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::filesystem::remove(flag);
    testsupport::Run("( " + command + " > " + out + " 2>/dev/null; echo $? > " + flag + " ) >/dev/null 2>&1 &");
    while (!std::filesystem::exists(flag) || testsupport::ReadFile(flag).empty()) {
      if (std::chrono::steady_clock::now() > end) return std::nullopt;
      serve();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (testsupport::ReadFile(flag) == "0\n") return testsupport::ReadFile(out);
    serve();  // the command failed (often: no connection); try again
  }
  return std::nullopt;
}

void ServeFor(int ms, const std::function<void()>& serve) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    serve();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace displaytest
