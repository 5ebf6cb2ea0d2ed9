// Small services of the skin component that the form and control wrappers use: text drawing,
// the control behind a window, scroll-bar information and mouse-leave tracking.
#pragma once

#include <string>

#include "platform/forms/controls.h"
#include "platform/user/scroll.h"

// Draws wide text (DrawTextW; the whole text).
int SkinDrawText(HDC dc, const std::u16string& text, TRect& rect, UINT format);
// 8-bit text of the program (UTF-8) as wide text.
std::u16string StringToWideText(const std::string& text);
// The first n characters (all of them for n = -1).
std::u16string CopyWideText(const std::u16string& text, int n);
// The class-library control of a window of this program (nullptr for none).
TWinControl* FindControlOfWindow(HWND window);
BOOL SkinGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info);
// Whether the system tells a scroll bar's parts (the window layer here always does).
inline bool SkinHasScrollBarInfo() { return true; }
// Asks for WM_MOUSELEAVE when the mouse leaves the window.
void TrackMouseLeave(HWND window);
