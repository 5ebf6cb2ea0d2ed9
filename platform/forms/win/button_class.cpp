// "Button": push buttons (BS_PUSHBUTTON, BS_DEFPUSHBUTTON) and check boxes (BS_CHECKBOX,
// BS_AUTOCHECKBOX, BS_3STATE, BS_AUTO3STATE) in the classic look.
#include <memory>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct ButtonState {
  HFONT font = nullptr;
  int check = BST_UNCHECKED;
  bool pushed = false;    // drawn pressed
  bool tracking = false;  // the left button went down on us and is held
  bool spaceDown = false;
  bool focused = false;
};

DWORD Type(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)) & BS_TYPEMASK; }
bool IsCheckBox(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
// Radio buttons keep a check state too (set and read by message).
bool HasCheck(DWORD type) { return IsCheckBox(type) || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

void Redraw(HWND h) { InvalidateRect(h, nullptr, FALSE); }

void Clicked(HWND h, ButtonState* s) {
  DWORD type = Type(h);
  if (type == BS_AUTOCHECKBOX) {
    s->check = s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    Redraw(h);
  } else if (type == BS_AUTO3STATE) {
    s->check = (s->check + 1) % 3;
    Redraw(h);
  }
  NotifyParent(h, BN_CLICKED);
}

void PaintPushButton(HWND h, HDC dc, ButtonState* s, const std::u16string& text) {
  RECT r;
  GetClientRect(h, &r);
  bool enabled = IsWindowEnabled(h);
  ControlBrush(h, dc, WM_CTLCOLORBTN);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  RECT face = r;
  if (Type(h) == BS_DEFPUSHBUTTON || s->focused) {
    FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(face, -1, -1);
  }
  if (s->pushed) {
    FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
  } else {
    RECT edge = face;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  }
  HGDIOBJ oldFont = SelectObject(dc, FontOr(s->font));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT textRect = face;
  InflateRect(textRect, -2, -2);
  if (s->pushed) OffsetRect(textRect, 1, 1);
  UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (GetWindowLongPtrW(h, GWL_STYLE) & BS_MULTILINE) format = DT_CENTER | DT_WORDBREAK;
  DrawControlText(dc, text, textRect, format, enabled);
  SelectObject(dc, oldFont);
  if (s->focused) {
    RECT f = r;
    InflateRect(f, -4, -4);
    DrawFocusRect(dc, &f);
  }
}

// The classic check mark: seven columns of three pixels.
void DrawCheckMark(HDC dc, int x, int y, COLORREF color) {
  static const int tops[7] = {2, 3, 4, 3, 2, 1, 0};
  HBRUSH b = CreateSolidBrush(color);
  for (int i = 0; i < 7; ++i) {
    RECT px{x + i, y + tops[i], x + i + 1, y + tops[i] + 3};
    FillRect(dc, &px, b);
  }
  DeleteObject(b);
}

void PaintCheckBox(HWND h, HDC dc, ButtonState* s, const std::u16string& text) {
  RECT r;
  GetClientRect(h, &r);
  bool enabled = IsWindowEnabled(h);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  HBRUSH bg = ControlBrush(h, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &r, bg);
  const int box = 13;
  bool leftText = (style & BS_LEFTTEXT) != 0;
  int top = r.top + (r.Height() - box) / 2;
  RECT boxRect = leftText ? RECT{r.right - box, top, r.right, top + box} : RECT{r.left, top, r.left + box, top + box};
  RECT edge = boxRect;
  DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillSolid(dc, edge, GetSysColor(s->pushed || !enabled ? COLOR_BTNFACE : COLOR_WINDOW));
  if (s->check == BST_CHECKED) {
    DrawCheckMark(dc, edge.left + 2, edge.top + 2, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  } else if (s->check == BST_INDETERMINATE) {
    DrawCheckMark(dc, edge.left + 2, edge.top + 2, GetSysColor(COLOR_BTNSHADOW));
  }
  RECT textRect = leftText ? RECT{r.left, r.top, boxRect.left - 4, r.bottom} : RECT{boxRect.right + 4, r.top, r.right, r.bottom};
  HGDIOBJ oldFont = SelectObject(dc, FontOr(s->font));
  UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
  if (style & BS_MULTILINE) format = DT_LEFT | DT_WORDBREAK;
  if (leftText) format = (format & ~DT_LEFT) | DT_RIGHT;
  DrawControlText(dc, text, textRect, format, enabled);
  if (s->focused && !text.empty()) {
    RECT calc = textRect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc, format | DT_CALCRECT);
    int height = calc.Height();
    RECT f{calc.left - 1, textRect.top + (textRect.Height() - height) / 2 - 1, 0, 0};
    f.right = f.left + calc.Width() + 2;
    f.bottom = f.top + height + 2;
    if (leftText) OffsetRect(f, textRect.right - calc.right, 0);
    IntersectRect(f, f, r);
    DrawFocusRect(dc, &f);
  }
  SelectObject(dc, oldFont);
}

void Paint(HWND h, HDC dc, ButtonState* s) {
  std::u16string text = GetWindowTextString(h);
  if (IsCheckBox(Type(h))) {
    PaintCheckBox(h, dc, s, text);
  } else {
    PaintPushButton(h, dc, s, text);
  }
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, ButtonState* s) {
  switch (msg) {
    case WM_GETDLGCODE: {
      DWORD type = Type(h);
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      return DLGC_BUTTON;
    }
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<std::uintptr_t>(lParam))) Redraw(h);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wParam, lParam);
      Redraw(h);
      return r;
    }
    case WM_ENABLE:
      Redraw(h);
      return 0;
    case BM_GETCHECK:
      return HasCheck(Type(h)) ? s->check : 0;
    case BM_SETCHECK: {
      DWORD type = Type(h);
      if (!HasCheck(type)) return 0;
      int check = static_cast<int>(wParam);
      if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) check = BST_CHECKED;
      if (check != BST_UNCHECKED && check != BST_CHECKED && check != BST_INDETERMINATE) check = BST_CHECKED;
      if (check != s->check) {
        s->check = check;
        Redraw(h);
      }
      return 0;
    }
    case BM_GETSTATE:
      return (HasCheck(Type(h)) ? s->check : 0) | (s->pushed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      if (s->pushed != (wParam != 0)) {
        s->pushed = wParam != 0;
        Redraw(h);
      }
      return 0;
    case BM_SETSTYLE: {
      LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
      style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | static_cast<LONG_PTR>(wParam & BS_TYPEMASK);
      SetWindowLongPtrW(h, GWL_STYLE, style);
      if (lParam) Redraw(h);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(h)) Clicked(h, s);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != h) SetFocus(h);
      SetCapture(h);
      s->tracking = true;
      s->pushed = true;
      Redraw(h);
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking) {
        RECT r;
        GetClientRect(h, &r);
        bool inside = PtInRect(r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (inside != s->pushed) {
          s->pushed = inside;
          Redraw(h);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) {
        s->tracking = false;
        bool click = s->pushed;
        s->pushed = false;
        ReleaseCapture();
        Redraw(h);
        if (click) Clicked(h, s);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (s->tracking && reinterpret_cast<HWND>(lParam) != h) {
        s->tracking = false;
        s->pushed = false;
        Redraw(h);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !(lParam & (1 << 30)) && !s->tracking) {
        s->spaceDown = true;
        s->pushed = true;
        Redraw(h);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && s->spaceDown) {
        s->spaceDown = false;
        s->pushed = false;
        Redraw(h);
        Clicked(h, s);
      }
      return 0;
    case WM_CHAR:
      return 0;
    case WM_SETFOCUS:
      s->focused = true;
      Redraw(h);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      if (s->spaceDown) {
        s->spaceDown = false;
        s->pushed = false;
      }
      Redraw(h);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterButtonClass() { RegisterControlClass(WC_BUTTON, ControlProc<ButtonState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
