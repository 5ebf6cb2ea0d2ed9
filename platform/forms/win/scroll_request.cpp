#include "platform/forms/win/scroll_request.h"

#include <algorithm>

#include "platform/user/scroll.h"

namespace stdctl {

int ScrollTarget(WORD code, int pos, int line, int page, int thumb, int last) {
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = thumb; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = last; break;
    default: return -1;
  }
  return std::clamp(pos, 0, std::max(0, last));
}

int TrackPosOf(HWND hwnd, int bar) {
  SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, bar, &si);
  return si.nTrackPos;
}

}  // namespace stdctl
