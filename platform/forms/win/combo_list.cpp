// "ComboLBox": the list of a combo box, a list box underneath. A simple combo's list is its
// child and behaves as a list box. A drop-down's list is a popup shown under the combo while it
// is dropped and holds the mouse: the row under the cursor is highlighted, a release over a row
// takes it, a press outside the list closes it, and its scroll bar scrolls as usual.
#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The row at a client point, -1 for none.
int RowAt(HWND h, POINT p) {
  RECT c{};
  GetClientRect(h, &c);
  if (!Inside(c, p)) return -1;
  const auto ih = static_cast<int>(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0));
  if (ih <= 0) return -1;
  const int row = p.y / ih + static_cast<int>(SendMessageW(h, LB_GETTOPINDEX, 0, 0));
  return row < SendMessageW(h, LB_GETCOUNT, 0, 0) ? row : -1;
}

void Close(HWND h, bool take) {
  const auto combo = reinterpret_cast<HWND>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (combo) SendMessageW(combo, CBM_CLOSELIST, take ? 1 : 0, 0);
}

// A press on the list's own scroll bar while it holds the mouse: scroll (sent, so that a
// procedure subclassing the list sees it), then hold the mouse again.
void PressScrollBar(HWND h, POINT screen) {
  const LRESULT hit = SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  if (hit != HTVSCROLL && hit != HTHSCROLL) return;
  SendMessageW(h, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(screen.x, screen.y));
  if (IsWindowVisible(h)) SetCapture(h);
}

LRESULT ComboListProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_POPUP)) return ListBoxProc(h, msg, wParam, lParam);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
      const int row = RowAt(h, p);
      if (row >= 0 && IsWindowVisible(h)) ListBoxProc(h, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT c{}, wr{};
      GetClientRect(h, &c);
      if (Inside(c, p)) return 0;  // taken on release
      POINT screen = p;
      ClientToScreen(h, &screen);
      GetWindowRect(h, &wr);
      if (Inside(wr, screen)) {
        PressScrollBar(h, screen);
      } else {
        Close(h, false);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const int row = RowAt(h, p);
      if (row < 0) return 0;
      ListBoxProc(h, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
      Close(h, true);
      return 0;
    }
    default:
      return ListBoxProc(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterComboListClass() { RegisterControlClass(WC_COMBOLBOX, ComboListProc, IDC_ARROW); }
}  // namespace stdctl
