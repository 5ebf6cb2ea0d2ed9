// Where a tab control's tabs, strip and display area lie: one row of tabs along the side the
// style names, each as long as its measured caption, starting 2 pixels in from the corner.
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
};

// `lengths`: each tab's extent along the strip.
TabGeometry LayTabs(const RECT& client, TabSide side, int rowHeight, const std::vector<int>& lengths);
// TCM_ADJUSTRECT: a window rectangle to its display area, or (larger) the reverse.
RECT AdjustTabRect(RECT r, TabSide side, int strip, bool larger);
// The current tab, drawn 2 pixels larger and joined to the display area.
RECT SelectedTabRect(RECT r, TabSide side);
