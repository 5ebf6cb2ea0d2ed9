// The classic look of scroll bars, for the frame bars and the scroll bar control alike.
#include "platform/user/internal/back_buffer.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll_track.h"

using namespace user_internal;

namespace {

void Button(HDC dc, const RECT& r, bool sunken) {
  FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
  if (sunken) {
    FrameSolid(dc, r, GetSysColor(COLOR_BTNSHADOW), 1);
    return;
  }
  DrawEdgeRaised(dc, r, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
  DrawEdgeRaised(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, GetSysColor(COLOR_BTNHIGHLIGHT),
                 GetSysColor(COLOR_BTNSHADOW));
}

// A filled triangle of four rows pointing at `direction` (0 up, 1 down, 2 left, 3 right).
void Glyph(HDC dc, const RECT& r, int direction, COLORREF ink, int shift) {
  const int cx = (r.left + r.right) / 2 + shift, cy = (r.top + r.bottom) / 2 + shift;
  for (int i = 0; i < 4; ++i) {
    const int half = i, step = i - 2;
    switch (direction) {
      case 0: FillSolid(dc, RECT{cx - half, cy + step, cx + half + 1, cy + step + 1}, ink); break;
      case 1: FillSolid(dc, RECT{cx - half, cy - step, cx + half + 1, cy - step + 1}, ink); break;
      case 2: FillSolid(dc, RECT{cx + step, cy - half, cx + step + 1, cy + half + 1}, ink); break;
      default: FillSolid(dc, RECT{cx - step, cy - half, cx - step + 1, cy + half + 1}, ink); break;
    }
  }
}

}  // namespace

void DrawScrollArrowButton(HDC dc, const RECT& r, int direction, bool pressed, bool enabled) {
  if (r.IsEmpty()) return;
  Button(dc, r, pressed);
  Glyph(dc, r, direction, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT), pressed ? 1 : 0);
}

void DrawScrollBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& info, int held, bool enabled) {
  if (bar.IsEmpty()) return;
  const ScrollBarParts p = ScrollBarLayout(bar, vertical, info);
  FillSolid(dc, bar, GetSysColor(COLOR_SCROLLBAR));
  DrawScrollArrowButton(dc, p.arrow1, vertical ? 0 : 2, enabled && held == kScrollArrow1, enabled);
  DrawScrollArrowButton(dc, p.arrow2, vertical ? 1 : 3, enabled && held == kScrollArrow2, enabled);
  if (!enabled || p.thumb.IsEmpty()) return;
  if (held == kScrollPageBefore || held == kScrollPageAfter) {
    RECT page = bar;
    const bool before = held == kScrollPageBefore;
    if (vertical) {
      page = before ? RECT{bar.left, p.arrow1.bottom, bar.right, p.thumb.top}
                    : RECT{bar.left, p.thumb.bottom, bar.right, p.arrow2.top};
    } else {
      page = before ? RECT{p.arrow1.right, bar.top, p.thumb.left, bar.bottom}
                    : RECT{p.thumb.right, bar.top, p.arrow2.left, bar.bottom};
    }
    FillSolid(dc, page, GetSysColor(COLOR_3DDKSHADOW));
  }
  Button(dc, p.thumb, false);
}
