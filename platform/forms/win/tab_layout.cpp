#include "platform/forms/win/tab_layout.h"

#include "platform/forms/win/common_controls.h"

TabSide TabSideOfStyle(DWORD style) {
  const bool bottom = (style & TCS_BOTTOM) != 0, vertical = (style & TCS_VERTICAL) != 0;
  if (vertical) return bottom ? TabSide::Right : TabSide::Left;
  return bottom ? TabSide::Bottom : TabSide::Top;
}

TabGeometry LayTabs(const RECT& client, TabSide side, int rowHeight, const std::vector<int>& lengths) {
  TabGeometry g;
  const int s = rowHeight + 2;
  g.strip = s;
  const LONG l = client.left, t = client.top, r = client.right, b = client.bottom;
  int at = 2;
  for (int length : lengths) {
    switch (side) {
      case TabSide::Top: g.tabs.push_back(RECT{l + at, t + 2, l + at + length, t + s}); break;
      case TabSide::Bottom: g.tabs.push_back(RECT{l + at, b - s, l + at + length, b - 2}); break;
      case TabSide::Left: g.tabs.push_back(RECT{l + 2, t + at, l + s, t + at + length}); break;
      case TabSide::Right: g.tabs.push_back(RECT{r - s, t + at, r - 2, t + at + length}); break;
    }
    at += length;
  }
  switch (side) {
    case TabSide::Top: g.stripRect = RECT{l, t, r, t + s}; g.pane = RECT{l, t + s, r, b}; break;
    case TabSide::Bottom: g.stripRect = RECT{l, b - s, r, b}; g.pane = RECT{l, t, r, b - s}; break;
    case TabSide::Left: g.stripRect = RECT{l, t, l + s, b}; g.pane = RECT{l + s, t, r, b}; break;
    case TabSide::Right: g.stripRect = RECT{r - s, t, r, b}; g.pane = RECT{l, t, r - s, b}; break;
  }
  return g;
}

RECT AdjustTabRect(RECT r, TabSide side, int strip, bool larger) {
  const int sign = larger ? -1 : 1;
  const int inset = sign * kTabPaneInset, s = sign * strip;
  r.left += inset;
  r.top += inset;
  r.right -= inset;
  r.bottom -= inset;
  switch (side) {
    case TabSide::Top: r.top += s; break;
    case TabSide::Bottom: r.bottom -= s; break;
    case TabSide::Left: r.left += s; break;
    case TabSide::Right: r.right -= s; break;
  }
  return r;
}

RECT SelectedTabRect(RECT r, TabSide side) {
  switch (side) {
    case TabSide::Top: return RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 1};
    case TabSide::Bottom: return RECT{r.left - 2, r.top - 1, r.right + 2, r.bottom + 2};
    case TabSide::Left: return RECT{r.left - 2, r.top - 2, r.right + 1, r.bottom + 2};
    case TabSide::Right: return RECT{r.left - 1, r.top - 2, r.right + 2, r.bottom + 2};
  }
  return r;
}
