#include "platform/forms/win/tab_layout.h"

#include <algorithm>
#include <cstdint>

#include "platform/forms/win/common_controls.h"

TabSide TabSideOfStyle(DWORD style) {
  const bool bottom = (style & TCS_BOTTOM) != 0, vertical = (style & TCS_VERTICAL) != 0;
  if (vertical) return bottom ? TabSide::Right : TabSide::Left;
  return bottom ? TabSide::Bottom : TabSide::Top;
}

namespace {

constexpr int kRowInset = 2;  // the row's first tab from the corner, its last from the far end

int64_t Sum(const std::vector<int>& lengths, size_t from, size_t to) {
  int64_t total = 0;
  for (size_t i = from; i < to; ++i) total += lengths[i];
  return total;
}

LONG Clamped(int64_t v) { return LONG(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); }

}  // namespace

TabGeometry LayTabs(const RECT& client, TabSide side, int rowHeight, const std::vector<int>& lengths,
                    const TabScroll& scroll) {
  TabGeometry g;
  const int s = rowHeight + 2;
  g.strip = s;
  const LONG l = client.left, t = client.top, r = client.right, b = client.bottom;
  const bool across = side == TabSide::Top || side == TabSide::Bottom;
  int64_t rowStart = (across ? l : t) + kRowInset, rowEnd = (across ? r : b) - kRowInset;
  const size_t n = lengths.size();
  if (across && n > 0 && scroll.arrowsWidth > 0 && rowStart + Sum(lengths, 0, n) > rowEnd) {
    const LONG x = scroll.arrowsLeft ? l : r - scroll.arrowsWidth;
    const LONG y = side == TabSide::Top ? t + 2 : b - s;
    g.arrows = RECT{x, y, x + scroll.arrowsWidth, y + rowHeight};
    if (scroll.arrowsLeft)
      rowStart = g.arrows.right + kRowInset;
    else
      rowEnd = x;
    g.lastFirst = int(n) - 1;
    int64_t tail = lengths[n - 1];
    while (g.lastFirst > 0 && rowStart + tail + lengths[size_t(g.lastFirst) - 1] <= rowEnd) tail += lengths[size_t(--g.lastFirst)];
    g.first = std::clamp(scroll.first, 0, g.lastFirst);
  }
  g.rowEnd = Clamped(rowEnd);
  int64_t at = rowStart - Sum(lengths, 0, size_t(g.first));
  for (int length : lengths) {
    const LONG from = Clamped(at), to = Clamped(at + length);
    switch (side) {
      case TabSide::Top: g.tabs.push_back(RECT{from, t + 2, to, t + s}); break;
      case TabSide::Bottom: g.tabs.push_back(RECT{from, b - s, to, b - 2}); break;
      case TabSide::Left: g.tabs.push_back(RECT{l + 2, from, l + s, to}); break;
      case TabSide::Right: g.tabs.push_back(RECT{r - s, from, r - 2, to}); break;
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

int TabFirstShowing(const TabGeometry& g, int index) {
  if (g.arrows.right <= g.arrows.left || index < 0 || size_t(index) >= g.tabs.size()) return g.first;
  if (index < g.first) return index;
  int first = g.first;
  int64_t shift = 0;
  while (first < index && first < g.lastFirst && g.tabs[size_t(index)].right - shift > g.rowEnd) {
    shift += g.tabs[size_t(first)].right - g.tabs[size_t(first)].left;
    ++first;
  }
  return first;
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
