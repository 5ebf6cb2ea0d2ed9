// "msctls_progress32": a progress bar in the classic look, filled in blocks or, with
// PBS_SMOOTH, continuously; PBS_VERTICAL fills from the bottom.
#include <algorithm>
#include <memory>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct ProgressState {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
  COLORREF bar = CLR_INVALID;
  COLORREF back = CLR_INVALID;
};

int Clamp(const ProgressState* s, int v) { return std::clamp(v, std::min(s->low, s->high), std::max(s->low, s->high)); }

int FilledLength(const ProgressState* s, int length) {
  int64_t span = static_cast<int64_t>(s->high) - s->low;
  if (span <= 0) return 0;
  int64_t done = static_cast<int64_t>(s->pos) - s->low;
  return static_cast<int>(std::clamp<int64_t>(done * length / span, 0, length));
}

void Paint(HWND h, HDC dc, ProgressState* s) {
  RECT r;
  GetClientRect(h, &r);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  RECT inner = r;
  DrawEdge(dc, &inner, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  FillSolid(dc, inner, s->back != CLR_INVALID ? s->back : GetSysColor(COLOR_BTNFACE));
  InflateRect(inner, -1, -1);
  if (inner.IsEmpty()) return;
  bool vertical = (style & PBS_VERTICAL) != 0;
  int length = vertical ? inner.Height() : inner.Width();
  int filled = FilledLength(s, length);
  HBRUSH bar = CreateSolidBrush(s->bar != CLR_INVALID ? s->bar : GetSysColor(COLOR_HIGHLIGHT));
  if (style & PBS_SMOOTH) {
    RECT f = vertical ? RECT{inner.left, inner.bottom - filled, inner.right, inner.bottom}
                      : RECT{inner.left, inner.top, inner.left + filled, inner.bottom};
    FillRect(dc, &f, bar);
  } else {
    int thickness = vertical ? inner.Width() : inner.Height();
    int chunk = std::max(2, thickness * 2 / 3);
    for (int at = 0; at < filled; at += chunk + 2) {
      int size = std::min(chunk, length - at);
      RECT f = vertical ? RECT{inner.left, inner.bottom - at - size, inner.right, inner.bottom - at}
                        : RECT{inner.left + at, inner.top, inner.left + at + size, inner.bottom};
      FillRect(dc, &f, bar);
    }
  }
  DeleteObject(bar);
}

LRESULT SetPos(HWND h, ProgressState* s, int pos) {
  int old = s->pos;
  s->pos = Clamp(s, pos);
  if (s->pos != old) InvalidateRect(h, nullptr, FALSE);
  return old;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, ProgressState* s) {
  switch (msg) {
    case PBM_SETRANGE: {
      LRESULT old = MAKELRESULT(s->low, s->high);
      s->low = LOWORD(static_cast<std::uintptr_t>(lParam));
      s->high = HIWORD(static_cast<std::uintptr_t>(lParam));
      s->pos = Clamp(s, s->pos);
      InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case PBM_SETRANGE32: {
      LRESULT old = MAKELRESULT(s->low, s->high);
      s->low = static_cast<int>(wParam);
      s->high = static_cast<int>(lParam);
      s->pos = Clamp(s, s->pos);
      InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case PBM_GETRANGE:
      if (lParam) {
        auto* range = reinterpret_cast<PBRANGE*>(lParam);
        range->iLow = s->low;
        range->iHigh = s->high;
      }
      return wParam ? s->low : s->high;
    case PBM_GETPOS:
      return s->pos;
    case PBM_SETPOS:
      return SetPos(h, s, static_cast<int>(wParam));
    case PBM_DELTAPOS:
      return SetPos(h, s, static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(s->pos) + static_cast<int>(wParam),
                                                               INT32_MIN, INT32_MAX)));
    case PBM_SETSTEP: {
      int old = s->step;
      s->step = static_cast<int>(wParam);
      return old;
    }
    case PBM_STEPIT: {
      int64_t next = static_cast<int64_t>(s->pos) + s->step;
      // Past the end the bar starts over from the beginning.
      if (next > s->high) next = s->low + (next - s->high);
      if (next < s->low) next = s->high - (s->low - next);
      return SetPos(h, s, static_cast<int>(std::clamp<int64_t>(next, INT32_MIN, INT32_MAX)));
    }
    case PBM_SETBARCOLOR: {
      COLORREF old = s->bar;
      s->bar = static_cast<COLORREF>(lParam);
      InvalidateRect(h, nullptr, FALSE);
      return static_cast<LRESULT>(old);
    }
    case PBM_SETBKCOLOR: {
      COLORREF old = s->back;
      s->back = static_cast<COLORREF>(lParam);
      InvalidateRect(h, nullptr, FALSE);
      return static_cast<LRESULT>(old);
    }
    case WM_NCHITTEST:
      return HTCLIENT;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterProgressClass() { RegisterControlClass(PROGRESS_CLASS, ControlProc<ProgressState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
