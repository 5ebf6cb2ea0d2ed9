// Helpers of the tests that use an X display: screenshots of an X display read back as pixels, and
// external commands that run while the calling test keeps serving its display.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace displaytest {

// An X server of the test's own (Xvfb on a free display number, 1280 x 1024 x 24), so that
// tests running side by side do not share windows, pointer or clipboard. While it lives,
// DISPLAY names it (for the program and for the tools it starts). Without Xvfb the display
// already set, if any, is used.
class PrivateXServer {
 public:
  PrivateXServer();
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;
  // True when DISPLAY names a display (ours or the one that was set).
  bool available() const { return available_; }
  // True when the server is the test's own (not a display that was already set).
  bool own() const { return pid_ > 0; }
  // Ends the test's own server now, as a logout or a crash of the server would, and waits until
  // it has gone (DISPLAY still names it). False when there was none of our own.
  bool Stop();

 private:
  int pid_ = -1;
  bool available_ = false;
  std::string previous_;
  bool hadPrevious_ = false;
};

// A window manager of the test's own on its private server ("twm", "openbox", ...), running
// while the object lives. running() is false when the program is not installed or did not take
// the screen.
class PrivateWindowManager {
 public:
  explicit PrivateWindowManager(const std::string& program);
  ~PrivateWindowManager();
  PrivateWindowManager(const PrivateWindowManager&) = delete;
  PrivateWindowManager& operator=(const PrivateWindowManager&) = delete;
  bool running() const { return pid_ > 0; }

 private:
  int pid_ = -1;
};

// Pixels of the screen as 0x00RRGGBB, rows top-down.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFF000000u;  // no colour
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  void SavePpm(const std::string& file) const;
};

// The colour (0x00RRGGBB) of one screen pixel, read by ImageMagick's import from the root
// window; nothing when the screenshot fails.
std::optional<std::uint32_t> ScreenshotPixel(int x, int y);
// The whole screen at once.
std::optional<Screenshot> TakeScreenshot();

// Runs a shell command in the background and calls `serve` until it has finished (at most
// `timeoutMs`); returns its standard output, or nothing on timeout.
std::optional<std::string> RunWhileServing(const std::string& command, const std::function<void()>& serve,
                                           int timeoutMs = 5000);

// Calls `serve` for `ms` milliseconds.
void ServeFor(int ms, const std::function<void()>& serve);
// Calls `serve` until `done` holds (true) or `timeoutMs` has passed (false).
bool ServeUntil(const std::function<bool()>& done, const std::function<void()>& serve, int timeoutMs = 5000);

}  // namespace displaytest
