// Helpers of the tests that use an X display: screenshots of an X display read back as pixels, and
// external commands that run while the calling test keeps serving its display.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace displaytest {

// The colour (0x00RRGGBB) of one screen pixel, read by ImageMagick's import from the root
// window; nothing when the screenshot fails.
std::optional<std::uint32_t> ScreenshotPixel(int x, int y);

// Runs a shell command in the background and calls `serve` until it has finished (at most
// `timeoutMs`); returns its standard output, or nothing on timeout.
std::optional<std::string> RunWhileServing(const std::string& command, const std::function<void()>& serve,
                                           int timeoutMs = 5000);

// Calls `serve` for `ms` milliseconds.
void ServeFor(int ms, const std::function<void()>& serve);

}  // namespace displaytest
