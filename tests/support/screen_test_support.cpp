#include "tests/support/screen_test_support.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"

extern char** environ;

namespace displaytest {

namespace {

// A binary (P6) PPM of 8-bit samples: header fields, one whitespace, then the samples.
std::optional<Screenshot> ParsePpm(const std::string& data) {
  if (data.rfind("P6", 0) != 0) return std::nullopt;
  size_t pos = 2;
  long fields[3] = {0, 0, 0};
  for (long& field : fields) {
    while (pos < data.size() && (std::isspace(static_cast<unsigned char>(data[pos])) || data[pos] == '#')) {
      if (data[pos] == '#') {
        while (pos < data.size() && data[pos] != '\n') ++pos;
      } else {
        ++pos;
      }
    }
    size_t digits = pos;
    while (pos < data.size() && std::isdigit(static_cast<unsigned char>(data[pos])) && pos - digits < 6)
      field = field * 10 + (data[pos++] - '0');
    if (pos == digits) return std::nullopt;
  }
  ++pos;  // the single whitespace before the samples
  if (fields[2] != 255 || fields[0] <= 0 || fields[1] <= 0) return std::nullopt;
  Screenshot shot;
  shot.width = static_cast<int>(fields[0]);
  shot.height = static_cast<int>(fields[1]);
  size_t count = static_cast<size_t>(shot.width) * static_cast<size_t>(shot.height);
  if (pos + count * 3 > data.size()) return std::nullopt;
  shot.pixels.resize(count);
  auto b = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[pos + i])); };
  for (size_t i = 0; i < count; ++i) shot.pixels[i] = (b(3 * i) << 16) | (b(3 * i + 1) << 8) | b(3 * i + 2);
  return shot;
}

// The root window, or a part of it, through ImageMagick's import.
std::optional<Screenshot> Import(const std::string& crop) {
  testsupport::TempDir dir;
  std::string file = dir.File("shot.ppm");
  std::string cmd = "import -silent -window root " + crop + " -depth 8 ppm:" + file + " 2>/dev/null";
  // A busy X server now and then refuses a new connection; try again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (testsupport::Run(cmd) == 0) return ParsePpm(testsupport::ReadFile(file));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
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

bool PrivateXServer::Stop() {
  if (pid_ <= 0) return false;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
  return true;
}

PrivateXServer::~PrivateXServer() {
  if (pid_ >= 0) {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (hadPrevious_) {
      setenv("DISPLAY", previous_.c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
}

namespace {

// Whether some client redirects the root window's children: what makes a window manager.
bool WindowManagerTookTheScreen(::Display* dpy) {
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy, DefaultRootWindow(dpy), &a) && (a.all_event_masks & SubstructureRedirectMask);
}

// A window manager answers map requests once its start is over (openbox drops those that come
// while it starts): a small window of our own is asked for until it is shown, at the place it
// asks for (twm would otherwise ask the user where to put it).
bool WindowManagerMapsWindows(::Display* dpy, std::chrono::steady_clock::time_point end) {
  Window probe = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 10, 10, 0, 0, 0);
  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.width = hints.height = 10;
  XSetWMNormalHints(dpy, probe, &hints);
  bool shown = false;
  for (int round = 0; !shown && std::chrono::steady_clock::now() < end; ++round) {
    if (round % 10 == 0) XMapWindow(dpy, probe);
    XWindowAttributes a{};
    shown = XGetWindowAttributes(dpy, probe, &a) && a.map_state == IsViewable;
    if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  XDestroyWindow(dpy, probe);
  XSync(dpy, False);
  return shown;
}

}  // namespace

PrivateWindowManager::PrivateWindowManager(const std::string& program) {
  if (!testsupport::HaveTool(program)) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);  // O_WRONLY
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
  std::vector<const char*> argv{program.c_str()};
  if (program == "openbox") argv.push_back("--sm-disable");
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, const_cast<char* const*>(argv.data()), ::environ) == 0)
    pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  if (pid_ <= 0) return;
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  ::Display* dpy = XOpenDisplay(nullptr);
  bool ready = false;
  while (dpy && !ready && std::chrono::steady_clock::now() < end && waitpid(pid_, nullptr, WNOHANG) == 0) {
    ready = WindowManagerTookTheScreen(dpy) && WindowManagerMapsWindows(dpy, end);
    if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (dpy) XCloseDisplay(dpy);
  if (!ready) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

PrivateWindowManager::~PrivateWindowManager() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  // Some (fluxbox) now and then hang in their own handler of the signal: they are killed.
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::optional<std::uint32_t> ScreenshotPixel(int x, int y) {
  auto shot = Import("-crop 1x1+" + std::to_string(x) + "+" + std::to_string(y));
  if (!shot) return std::nullopt;
  return shot->At(0, 0);
}

std::optional<Screenshot> TakeScreenshot() { return Import(""); }

void Screenshot::SavePpm(const std::string& file) const {
  std::string data = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (std::uint32_t p : pixels) {
    data.push_back(static_cast<char>(p >> 16));
    data.push_back(static_cast<char>(p >> 8));
    data.push_back(static_cast<char>(p));
  }
  testsupport::WriteFile(file, data);
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

bool ServeUntil(const std::function<bool()>& done, const std::function<void()>& serve, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    serve();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void ServeFor(int ms, const std::function<void()>& serve) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    serve();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace displaytest
