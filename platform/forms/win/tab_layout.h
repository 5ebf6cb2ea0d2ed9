// Where a tab control's tabs, strip and display area lie: one row of tabs along the side the
// style names, each as long as its measured caption, starting 2 pixels in from the corner.
// A row above or below that does not fit gets scroll arrows at its right end (its left end
// for right-to-left controls) and shows its tabs from a first one on.
#pragma once

#include <vector>

#include "platform/user/wintypes.h"

enum class TabSide { Top, Bottom, Left, Right };

inline constexpr int kTabPadding = 6;    // caption to tab edge
inline constexpr int kTabPaneInset = 4;  // display area to the frame round it

// TCS_BOTTOM alone puts the tabs below, TCS_VERTICAL alone on the left, both on the right.
TabSide TabSideOfStyle(DWORD style);

struct TabGeometry {
  std::vector<RECT> tabs;  // one per item, in client coordinates
  int strip = 0;           // the strip's depth: the row plus 2
  RECT stripRect{};
  RECT pane{};             // the framed area beside the strip
  RECT arrows{};           // the scroll arrows; empty when every tab fits
  int first = 0;           // the tab at the row's start; those before it are scrolled off
  int lastFirst = 0;       // the furthest the row scrolls: from that tab on, all fit
  int rowEnd = 0;          // where the room for tabs ends along the row
};

// How the row may scroll: the first tab asked for (held within the scroll range), the arrows'
// width (0: the row never scrolls; they are as high as the row), and whether they stand at the
// left end.
struct TabScroll {
  int first = 0;
  int arrowsWidth = 0;
  bool arrowsLeft = false;
};

// `lengths`: each tab's extent along the strip.
TabGeometry LayTabs(const RECT& client, TabSide side, int rowHeight, const std::vector<int>& lengths,
                    const TabScroll& scroll = {});
// The first tab that brings tab `index` whole into view (as far as the row scrolls), moving the
// row as little as it can.
int TabFirstShowing(const TabGeometry& g, int index);
// TCM_ADJUSTRECT: a window rectangle to its display area, or (larger) the reverse.
RECT AdjustTabRect(RECT r, TabSide side, int strip, bool larger);
// The current tab, drawn 2 pixels larger and joined to the display area.
RECT SelectedTabRect(RECT r, TabSide side);
