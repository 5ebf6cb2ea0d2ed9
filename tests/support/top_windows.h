// Clearing up after a test of windows.
#pragma once

#include <vector>

#include "platform/user/window.h"

namespace testsupport {

// Destroys every top-level window still there, so that windows a failed test left behind do
// not block the next one.
inline void DestroyTopWindows() {
  std::vector<HWND> tops;
  EnumWindows(
      [](HWND h, LPARAM p) {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tops));
  for (HWND h : tops) DestroyWindow(h);
}

}  // namespace testsupport
