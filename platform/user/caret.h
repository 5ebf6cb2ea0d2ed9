// The caret of the user-interface thread: one blinking rectangle in one window, drawn by
// inverting pixels, hidden while the window paints (BeginPaint to EndPaint).
#pragma once

#include "platform/user/wintypes.h"

// bitmap nullptr: a solid caret; (HBITMAP)1: a grey one (drawn solid here). The caret starts
// hidden; ShowCaret makes it blink.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
// Calls nest: as many ShowCaret as HideCaret make it visible again.
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);  // client coordinates of the caret's window
BOOL GetCaretPos(POINT* pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);
