#include "platform/user/scroll_request.h"

#include <algorithm>
#include <cstdint>

#include "platform/user/scroll.h"

std::optional<int> ScrollTarget(WORD code, int pos, int line, int page, int thumb, int first, int last) {
  std::int64_t to = pos;  // steps past the ends of the int range are only clamped
  switch (code) {
    case SB_LINEUP: to -= line; break;
    case SB_LINEDOWN: to += line; break;
    case SB_PAGEUP: to -= page; break;
    case SB_PAGEDOWN: to += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: to = thumb; break;
    case SB_TOP: to = first; break;
    case SB_BOTTOM: to = last; break;
    default: return std::nullopt;
  }
  return static_cast<int>(std::clamp<std::int64_t>(to, first, std::max(first, last)));
}

int TrackPosOf(HWND hwnd, int bar) {
  SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, bar, &si);
  return si.nTrackPos;
}
