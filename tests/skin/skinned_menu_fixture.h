// A skinned form whose menus the tests drive on the headless screen: steps run from a timer
// while a menu loop holds the program, and pixels read back from the open menus.
#pragma once

#include <functional>
#include <vector>

#include "platform/forms/timer.h"
#include "tests/skin/skin_test_support.h"

namespace skintest {

class SkinnedMenuForm : public SkinnedFormFixture {
 protected:
  void TearDown() override;
  // Runs the steps one per timer tick; the menu loop delivers the ticks while a menu is open.
  void Schedule(std::vector<std::function<void()>> steps);
  bool AllStepsRan() const { return next_ == steps_.size(); }
  // A screen pixel as a TColor.
  TColor ScreenAt(int x, int y) const { return ScreenColor(x, y); }
  // A pixel of a window's client area on the screen.
  TColor ClientAt(HWND h, int x, int y) const;
  // A pixel of a window (window coordinates) on the screen.
  TColor WindowAt(HWND h, int x, int y) const;

 private:
  TComponentPtr<TTimer> timer_;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

// The window of the index-th open skinned popup (oldest first), or nothing.
HWND OpenPopup(size_t index = 0);
// The newest open skinned popup's window (the open bar menu, or the deepest submenu), or nothing.
HWND NewestPopup();

}  // namespace skintest
