// The non-client area of the default procedure: frame geometry, WM_NCCALCSIZE, hit testing
// and frame painting in the classic look.
#include <algorithm>

#include "platform/gdi/text.h"
#include "platform/user/default_proc.h"
#include "platform/user/icons.h"
#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll_track.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

constexpr RECT kEmpty{0, 0, 0, 0};

RECT Clip(RECT r, int width, int height) {
  r.left = std::clamp(r.left, 0, std::max(width, 0));
  r.right = std::clamp(r.right, r.left, std::max(width, 0));
  r.top = std::clamp(r.top, 0, std::max(height, 0));
  r.bottom = std::clamp(r.bottom, r.top, std::max(height, 0));
  return r;
}

bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

// The square where both scroll bars meet: under the vertical bar, beside the horizontal one.
RECT ScrollCorner(DWORD style, const FrameLayout& f) {
  if (!(style & WS_VSCROLL) || !(style & WS_HSCROLL)) return kEmpty;
  return RECT{f.vScroll.left, f.hScroll.top, f.vScroll.right, f.hScroll.bottom};
}

}  // namespace

int FrameBorderWidth(DWORD style, DWORD exStyle) {
  if (style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
  if ((exStyle & WS_EX_DLGMODALFRAME) || (style & WS_DLGFRAME)) return GetSystemMetrics(SM_CXDLGFRAME);
  if (style & WS_BORDER) return GetSystemMetrics(SM_CXBORDER);
  return 0;
}

FrameLayout ComputeFrameLayout(DWORD style, DWORD exStyle, bool hasMenu, int width, int height) {
  FrameLayout f{};
  int b = FrameBorderWidth(style, exStyle);
  f.border = b;
  RECT inner{b, b, width - b, height - b};
  f.caption = f.menuBar = f.closeBox = f.maxBox = f.minBox = f.sysMenuBox = f.vScroll = f.hScroll = kEmpty;
  if (HasCaption(style)) {
    bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    int h = tool ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    f.caption = Clip(RECT{inner.left, inner.top, inner.right, inner.top + h - 1}, width, height);
    inner.top += h;
    if (style & WS_SYSMENU) {
      int bh = f.caption.bottom - f.caption.top - 4;
      int bw = tool ? bh : bh + 2;
      int right = f.caption.right - 2;
      int top = f.caption.top + 2;
      f.closeBox = Clip(RECT{right - bw, top, right, top + bh}, width, height);
      right -= bw + 2;
      if (!tool && (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
        f.maxBox = Clip(RECT{right - bw, top, right, top + bh}, width, height);
        right -= bw;
        f.minBox = Clip(RECT{right - bw, top, right, top + bh}, width, height);
      }
      if (!tool && !(exStyle & WS_EX_DLGMODALFRAME)) {
        int icon = GetSystemMetrics(SM_CXSMICON);
        int it = f.caption.top + (f.caption.bottom - f.caption.top - icon) / 2;
        f.sysMenuBox = Clip(RECT{f.caption.left + 2, it, f.caption.left + 2 + icon, it + icon}, width, height);
      }
    }
  }
  if (hasMenu && !(style & WS_CHILD)) {
    int h = GetSystemMetrics(SM_CYMENU);
    f.menuBar = Clip(RECT{inner.left, inner.top, inner.right, inner.top + h}, width, height);
    inner.top += h;
  }
  if (exStyle & WS_EX_CLIENTEDGE) {
    int e = GetSystemMetrics(SM_CXEDGE);
    inner = RECT{inner.left + e, inner.top + e, inner.right - e, inner.bottom - e};
  } else if (exStyle & WS_EX_STATICEDGE) {
    inner = RECT{inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1};
  }
  int sb = GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_VSCROLL) {
    // WS_EX_LEFTSCROLLBAR puts the vertical bar (and the corner under it) at the left.
    const int bottom = inner.bottom - ((style & WS_HSCROLL) ? sb : 0);
    if (exStyle & WS_EX_LEFTSCROLLBAR) {
      f.vScroll = Clip(RECT{inner.left, inner.top, inner.left + sb, bottom}, width, height);
      inner.left += sb;
    } else {
      f.vScroll = Clip(RECT{inner.right - sb, inner.top, inner.right, bottom}, width, height);
      inner.right -= sb;
    }
  }
  if (style & WS_HSCROLL) {
    f.hScroll = Clip(RECT{inner.left, inner.bottom - sb, inner.right, inner.bottom}, width, height);
    inner.bottom -= sb;
  }
  f.client = Clip(inner, width, height);
  return f;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  // Measure the frame on a window large enough that nothing is clipped.
  constexpr int kProbe = 10000;
  FrameLayout f = ComputeFrameLayout(style & ~(WS_VSCROLL | WS_HSCROLL), exStyle, menu != 0, kProbe, kProbe);
  rect->left -= f.client.left;
  rect->top -= f.client.top;
  rect->right += kProbe - f.client.right;
  rect->bottom += kProbe - f.client.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

namespace user_internal {

FrameLayout LayoutOf(const Window* w) {
  int width = w->window.right - w->window.left;
  int height = w->window.bottom - w->window.top;
  return ComputeFrameLayout(w->style, w->exStyle, w->menu != nullptr && !w->parent, width, height);
}

LRESULT DefaultNcCalcSize(Window* w, WPARAM calcValid, LPARAM lParam) {
  RECT* r = calcValid ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                      : reinterpret_cast<RECT*>(lParam);
  if (!r) return 0;
  if (w->style & WS_MINIMIZE) {
    r->right = r->left;
    r->bottom = r->top;
    return 0;
  }
  FrameLayout f = ComputeFrameLayout(w->style, w->exStyle, w->menu != nullptr && !w->parent,
                                     r->right - r->left, r->bottom - r->top);
  *r = OffsetRectBy(f.client, r->left, r->top);
  return 0;
}

LRESULT DefaultNcHitTest(Window* w, POINT screen) {
  RECT wr = WindowRectOnScreen(w);
  if (!PointInRect(wr, screen.x, screen.y)) return HTNOWHERE;
  int x = screen.x - wr.left, y = screen.y - wr.top;
  int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (w->style & WS_MINIMIZE) return HTCAPTION;
  // The client area is the one WM_NCCALCSIZE gave the window; where a procedure of its own
  // made the frame larger than the style's, the rest of the style's client area is nowhere.
  RECT client = OffsetRectBy(w->client, -w->window.left, -w->window.top);
  if (PointInRect(client, x, y)) return HTCLIENT;
  FrameLayout f = LayoutOf(w);
  if (PointInRect(f.client, x, y)) return HTNOWHERE;
  int b = f.border;
  bool inBorder = x < b || y < b || x >= width - b || y >= height - b;
  if (inBorder) {
    if (!(w->style & WS_THICKFRAME) || (w->style & WS_MAXIMIZE)) return HTBORDER;
    int corner = GetSystemMetrics(SM_CXSIZE) + b;
    bool left = x < corner, right = x >= width - corner;
    bool top = y < corner, bottom = y >= height - corner;
    if (y < b) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (y >= height - b) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (x < b) return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
    return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
  }
  if (PointInRect(f.closeBox, x, y)) return HTCLOSE;
  if (PointInRect(f.maxBox, x, y)) return HTMAXBUTTON;
  if (PointInRect(f.minBox, x, y)) return HTMINBUTTON;
  if (PointInRect(f.sysMenuBox, x, y)) return HTSYSMENU;
  RECT captionRow = f.caption;
  captionRow.bottom += 1;  // the line under the caption belongs to it
  if (PointInRect(captionRow, x, y)) return HTCAPTION;
  if (PointInRect(f.menuBar, x, y)) return HTMENU;
  if (PointInRect(f.vScroll, x, y)) return HTVSCROLL;
  if (PointInRect(f.hScroll, x, y)) return HTHSCROLL;
  if (PointInRect(ScrollCorner(w->style, f), x, y)) {
    if (!(w->style & WS_THICKFRAME)) return HTNOWHERE;
    return (w->exStyle & WS_EX_LEFTSCROLLBAR) ? HTBOTTOMLEFT : HTSIZE;
  }
  return HTBORDER;
}

namespace {

void PaintScrollBar(Window* w, HDC dc, const RECT& bar, bool vertical) {
  const Window::ScrollState& s = w->scroll[vertical ? SB_VERT : SB_HORZ];
  SCROLLINFO si{sizeof si, SIF_ALL, s.min, s.max, static_cast<UINT>(s.page), s.tracking ? s.trackPos : s.pos, 0};
  DrawScrollBar(dc, bar, vertical, si, kScrollNoPart, !(w->style & WS_DISABLED) && !s.disabled);
}

}  // namespace

void PaintCaptionGlyph(HDC dc, const RECT& r, int glyph, bool enabled) {
  if (IsRectEmptyValue(r)) return;
  FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
  DrawEdgeRaised(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
  DrawEdgeRaised(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, GetSysColor(COLOR_3DLIGHT),
                 GetSysColor(COLOR_BTNSHADOW));
  COLORREF ink = enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT);
  int w = r.right - r.left, h = r.bottom - r.top;
  int cx = r.left + w / 2, cy = r.top + h / 2;
  switch (glyph) {
    case 0:  // close: a cross
      for (int i = -3; i <= 3; ++i) {
        FillSolid(dc, RECT{cx + i - 1, cy + i, cx + i + 1, cy + i + 1}, ink);
        FillSolid(dc, RECT{cx + i - 1, cy - i, cx + i + 1, cy - i + 1}, ink);
      }
      break;
    case 1:  // maximise: a window
      FrameSolid(dc, RECT{cx - 4, cy - 4, cx + 5, cy + 4}, ink, 1);
      FillSolid(dc, RECT{cx - 4, cy - 3, cx + 5, cy - 2}, ink);
      break;
    case 2:  // restore: two windows
      FrameSolid(dc, RECT{cx - 2, cy - 5, cx + 5, cy + 1}, ink, 1);
      FillSolid(dc, RECT{cx - 4, cy - 2, cx + 3, cy + 4}, GetSysColor(COLOR_BTNFACE));
      FrameSolid(dc, RECT{cx - 4, cy - 2, cx + 3, cy + 4}, ink, 1);
      break;
    case 3:  // minimise: a bar
      FillSolid(dc, RECT{cx - 4, cy + 2, cx + 2, cy + 4}, ink);
      break;
    default:
      break;
  }
}

void DefaultNcPaint(Window* w) {
  HWND hwnd = w->handle;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  if ((w = State().Find(hwnd))) PaintFrameInto(w, dc);
  ReleaseDC(hwnd, dc);
}

void PaintFrameInto(Window* w, HDC dc) {
  int width = w->window.right - w->window.left, height = w->window.bottom - w->window.top;
  FrameLayout f = LayoutOf(w);
  RECT all{0, 0, width, height};
  int b = f.border;
  if (b > 0) {
    if (b == 1) {
      FrameSolid(dc, all, GetSysColor(COLOR_WINDOWFRAME), 1);
    } else {
      FrameSolid(dc, all, GetSysColor(w->ncActive ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER), b);
      DrawEdgeRaised(dc, all, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
      DrawEdgeRaised(dc, RECT{1, 1, width - 1, height - 1}, GetSysColor(COLOR_BTNHIGHLIGHT),
                     GetSysColor(COLOR_BTNSHADOW));
    }
  }
  if (!IsRectEmptyValue(f.caption)) {
    COLORREF bar = GetSysColor(w->ncActive ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    FillSolid(dc, f.caption, bar);
    FillSolid(dc, RECT{f.caption.left, f.caption.bottom, f.caption.right, f.caption.bottom + 1},
              GetSysColor(COLOR_BTNFACE));
    RECT text = f.caption;
    text.left = IsRectEmptyValue(f.sysMenuBox) ? text.left + 3 : f.sysMenuBox.right + 3;
    if (!IsRectEmptyValue(f.minBox)) text.right = f.minBox.left - 2;
    else if (!IsRectEmptyValue(f.closeBox)) text.right = f.closeBox.left - 2;
    DrawTextLine(dc, text, w->text,
                 GetSysColor(w->ncActive ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT),
                 DT_NOPREFIX | kTextBold);
    if (!IsRectEmptyValue(f.sysMenuBox)) {
      HICON icon = w->iconSmall ? w->iconSmall : (w->cls->iconSmall ? w->cls->iconSmall : w->cls->icon);
      if (icon)
        DrawIconEx(dc, f.sysMenuBox.left, f.sysMenuBox.top, icon, f.sysMenuBox.right - f.sysMenuBox.left,
                   f.sysMenuBox.bottom - f.sysMenuBox.top, 0, nullptr, DI_NORMAL);
    }
    PaintCaptionGlyph(dc, f.closeBox, 0, !(w->cls->style & CS_NOCLOSE));
    PaintCaptionGlyph(dc, f.maxBox, (w->style & WS_MAXIMIZE) ? 2 : 1, (w->style & WS_MAXIMIZEBOX) != 0);
    PaintCaptionGlyph(dc, f.minBox, (w->style & WS_MINIMIZE) ? 2 : 3, (w->style & WS_MINIMIZEBOX) != 0);
  }
  if (!IsRectEmptyValue(f.menuBar)) {
    FillSolid(dc, f.menuBar, GetSysColor(COLOR_MENU));
    PaintMenuBar(w, dc, f.menuBar);
  }
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    int e = GetSystemMetrics(SM_CXEDGE);
    RECT outer{f.client.left - e, f.client.top - e, f.client.right + e, f.client.bottom + e};
    if (w->style & WS_VSCROLL) {
      if (w->exStyle & WS_EX_LEFTSCROLLBAR) {
        outer.left -= f.vScroll.right - f.vScroll.left;
      } else {
        outer.right += f.vScroll.right - f.vScroll.left;
      }
    }
    if (w->style & WS_HSCROLL) outer.bottom += f.hScroll.bottom - f.hScroll.top;
    DrawEdgeRaised(dc, outer, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawEdgeRaised(dc, RECT{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1},
                   GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
  } else if (w->exStyle & WS_EX_STATICEDGE) {
    RECT outer{f.client.left - 1, f.client.top - 1, f.client.right + 1, f.client.bottom + 1};
    DrawEdgeRaised(dc, outer, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  }
  PaintScrollBar(w, dc, f.vScroll, true);
  PaintScrollBar(w, dc, f.hScroll, false);
  const RECT corner = ScrollCorner(w->style, f);
  if (!IsRectEmptyValue(corner)) FillSolid(dc, corner, GetSysColor(COLOR_BTNFACE));
}

}  // namespace user_internal
