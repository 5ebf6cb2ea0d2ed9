// "SysDateTimePick32": a date shown as "yyyy-mm-dd" in a sunken box with a drop-down button at
// its right end (its left end for WS_EX_LEFTSCROLLBAR). The up and down keys move the date by a
// day and tell the parent (DTN_DATETIMECHANGE); a press on the button tells the parent the
// drop-down opens (DTN_DROPDOWN) and the next one that it closes (DTN_CLOSEUP). No calendar
// drops down.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct DateState {
  HFONT font = nullptr;
  TDateTime value = 0;
  bool dropped = false;
  bool focused = false;
};

SYSTEMTIME ToSystemTime(TDateTime v) {
  const TDateTimeParts p = DecodeDateTime(v);
  SYSTEMTIME st;
  st.wYear = WORD(p.Year);
  st.wMonth = WORD(p.Month);
  st.wDay = WORD(p.Day);
  st.wHour = WORD(p.Hour);
  st.wMinute = WORD(p.Minute);
  st.wSecond = WORD(p.Second);
  st.wMilliseconds = WORD(p.Millisecond);
  // 1899-12-30 was a Saturday.
  st.wDayOfWeek = WORD(((int64_t(std::floor(v)) % 7) + 13) % 7);
  return st;
}

bool Valid(const SYSTEMTIME& st) {
  return st.wYear >= 1601 && st.wYear <= 9999 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
         st.wDay <= 31 && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

void Notify(HWND h, DateState* s, UINT code) {
  if (code != DTN_DATETIMECHANGE) {
    NMHDR header;
    SendNotify(h, header, code);
    return;
  }
  NMDATETIMECHANGE change;
  change.st = ToSystemTime(s->value);
  SendNotify(h, change.nmhdr, code);
}

void Paint(HWND h, HDC dc, DateState* s) {
  RECT c{};
  GetClientRect(h, &c);
  FillRect(dc, &c, ControlBrush(h, dc, WM_CTLCOLOREDIT));
  const RECT drop = DateTimeDropRect(h);
  RECT edge = drop;
  DrawEdge(dc, &edge, s->dropped ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  // The arrow: a small triangle pointing down.
  const int cx = (drop.left + drop.right) / 2, cy = (drop.top + drop.bottom) / 2;
  for (int row = 0; row < 4; ++row) {
    RECT line{cx - 3 + row, cy - 1 + row, cx + 4 - row, cy + row};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNTEXT));
  }
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  const std::u16string text = Utf8ToWide(FormatDateTime("yyyy-mm-dd", s->value));
  // The text fills the rest of the box, beside the button on whichever side it stands.
  const RECT field =
      drop.left > c.left ? RECT{c.left, c.top, drop.left, c.bottom} : RECT{drop.right, c.top, c.right, c.bottom};
  RECT t{field.left + 2, field.top, field.right - 2, field.bottom};
  SetTextColor(dc, GetSysColor(IsWindowEnabled(h) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  const UINT reading = (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_RTLREADING) ? DT_RTLREADING : 0;
  DrawControlText(dc, text, t, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | reading, true);
  SelectObject(dc, old);
  if (s->focused) {
    RECT f{field.left + 1, field.top + 1, field.right - 1, field.bottom - 1};
    DrawFocusRect(dc, &f);
  }
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, DateState* s) {
  switch (msg) {
    case DTM_GETSYSTEMTIME:
      if (auto* st = reinterpret_cast<SYSTEMTIME*>(lParam)) *st = ToSystemTime(s->value);
      return GDT_VALID;
    case DTM_SETSYSTEMTIME: {
      const auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
      if (wParam != GDT_VALID || !st || !Valid(*st)) return FALSE;
      s->value = EncodeDateTime(TDateTimeParts{st->wYear, st->wMonth, st->wDay, st->wHour, st->wMinute, st->wSecond,
                                               st->wMilliseconds});
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case WM_SETFONT: s->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != h) SetFocus(h);
      if (!PtInRect(DateTimeDropRect(h), POINT{short(LOWORD(lParam)), short(HIWORD(lParam))})) return 0;
      s->dropped = !s->dropped;
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, s, s->dropped ? DTN_DROPDOWN : DTN_CLOSEUP);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN) {
        s->value += wParam == VK_UP ? 1 : -1;
        InvalidateRect(h, nullptr, FALSE);
        Notify(h, s, DTN_DATETIMECHANGE);
      }
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      s->focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

RECT DateTimeDropRect(HWND picker) {
  RECT c{};
  GetClientRect(picker, &c);
  const int w = GetSystemMetrics(SM_CXVSCROLL);
  // A right-to-left picker (WS_EX_LEFTSCROLLBAR) has its button at the left end.
  if (GetWindowLongPtrW(picker, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)
    return RECT{c.left, c.top, std::min(c.right, c.left + w), c.bottom};
  return RECT{std::max(c.left, c.right - w), c.top, c.right, c.bottom};
}

namespace stdctl {
void RegisterDateTimeClass() {
  RegisterControlClass(DATETIMEPICK_CLASS, ControlProc<DateState, Paint, Handle>, IDC_ARROW);
}
}  // namespace stdctl
