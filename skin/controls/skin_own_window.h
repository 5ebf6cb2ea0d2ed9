// A window the skinning engine makes for itself (the date picker's arrow button, the media
// player's button panel): a class of its own name, a procedure bound to the object, and the
// window destroyed with the object unless its parent took it first.
#pragma once

#include "platform/user/wintypes.h"

class TSkinOwnWindow {
 public:
  TSkinOwnWindow() = default;
  virtual ~TSkinOwnWindow();
  TSkinOwnWindow(const TSkinOwnWindow&) = delete;
  TSkinOwnWindow& operator=(const TSkinOwnWindow&) = delete;

  HWND Handle = nullptr;

 protected:
  // Makes the window (WS_CHILD | WS_VISIBLE and `style`) under `parent`; false on failure.
  bool CreateOwnWindow(const char16_t* className, HWND parent, const RECT& r, DWORD style = 0);
  // Messages the object does not handle.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

 private:
  WNDPROC instance_ = nullptr;
};
