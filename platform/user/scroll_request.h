// What a scrolled view does with a scroll request (the code of WM_HSCROLL / WM_VSCROLL): the
// standard controls and the MDI client share the rule.
#pragma once

#include <optional>

#include "platform/user/wintypes.h"

// A line of a view that scrolls by pixels: text across an edit, a list or a report, an MDI
// client's children.
inline constexpr int kScrollLinePixels = 8;

// Where the request takes a view that stands at `pos` and can stand anywhere from `first` to
// `last`: a line or a page either way, to `thumb` while the thumb is dragged or dropped, or to
// either end; the result kept within first .. last. Nothing for a request that moves nothing
// (SB_ENDSCROLL).
std::optional<int> ScrollTarget(WORD code, int pos, int line, int page, int thumb, int first, int last);

// The thumb's position while it is dragged on a frame bar of the window, all 32 bits of it.
int TrackPosOf(HWND hwnd, int bar);
