// A press on a scroll bar, held until the button is released: the frame bars and the scroll bar
// control share it. An arrow or the track beside the thumb sends its request at once and
// repeats it while held over that part (after 250 ms, then every 50 ms); the thumb follows the
// cursor with SB_THUMBTRACK and lands with SB_THUMBPOSITION; every press ends with
// SB_ENDSCROLL.
#pragma once

#include <functional>

#include "platform/user/scroll.h"

// Parts of a bar, numbered as the scroll requests they send.
inline constexpr int kScrollNoPart = -1, kScrollArrow1 = 0, kScrollArrow2 = 1, kScrollPageBefore = 2,
                     kScrollPageAfter = 3, kScrollThumb = 5;

// The part of a bar under a point (same coordinates as the bar), kScrollNoPart outside it.
int ScrollPartAt(const RECT& bar, bool vertical, const SCROLLINFO& info, POINT p);

struct ScrollTracker {
  HWND capture = nullptr;  // holds the mouse while the button is down
  bool vertical = false;
  std::function<RECT()> bar;                          // the bar on the screen
  std::function<SCROLLINFO()> info;                   // its range, page and position
  std::function<void(int code, int pos)> notify;      // WM_HSCROLL / WM_VSCROLL
  std::function<void(int part, int trackPos)> show;   // the part held (kScrollNoPart at the end)
};

// Runs the press at a screen point until release; nothing when the point hits no part.
void TrackScrollBar(const ScrollTracker& tracker, POINT press);

// The classic look of a bar in `bar` of a DC: raised arrow buttons with their glyphs (sunken
// while held), the track, and a raised thumb. `held` is the part held down, kScrollNoPart for
// none; a disabled bar shows grey arrows and no thumb.
void DrawScrollBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& info, int held, bool enabled);
// One arrow button of that look (direction 0 up, 1 down, 2 left, 3 right), sunken when pressed;
// the combo box's drop-down button is one.
void DrawScrollArrowButton(HDC dc, const RECT& r, int direction, bool pressed, bool enabled);
