#include "skin/controls/skin_date_time.h"

#include <algorithm>

#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"


RECT TArrowButton::Place(int hostWidth, DWORD hostExStyle) {
  const int w = GetSystemMetrics(SM_CXHSCROLL);
  const int left = (hostExStyle & WS_EX_LEFTSCROLLBAR) ? 2 : hostWidth - w - 4;
  return RECT{left, 0, left + w, w + 1};
}

TArrowButton::TArrowButton(TSkinControl* skin, TControl* hostControl, HWND host)
    : Skin(skin), HostControl(hostControl), HostHandle(host), ButtonSize(GetSystemMetrics(SM_CXHSCROLL)) {
  SetWindowLongPtrW(host, GWL_STYLE, GetWindowLongPtrW(host, GWL_STYLE) | WS_CLIPCHILDREN);
  RECT w{};
  GetWindowRect(host, &w);
  const RECT r = Place(w.right - w.left, DWORD(GetWindowLongPtrW(host, GWL_EXSTYLE)));
  CreateOwnWindow(u"TArrowButton", host, r);
}

void TArrowButton::Reposition() {
  if (!Handle) return;
  RECT w{};
  GetWindowRect(HostHandle, &w);
  const RECT r = Place(w.right - w.left, DWORD(GetWindowLongPtrW(HostHandle, GWL_EXSTYLE)));
  SetWindowPos(Handle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TArrowButton::Paint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(Handle, &ps);
  RECT r{};
  GetClientRect(Handle, &r);
  Skin->FillFace(dc, r);
  TDataSkinObject* arrow = Skin->SkinData ? Skin->SkinData->ComboxArrow.get() : nullptr;
  if (arrow && !arrow->Bitmap.Empty())
    DrawSkinFrame(dc, r, arrow->Bitmap, false, arrow->Frames(), (MouseState & 1) ? 4 : 1);
  EndPaint(Handle, &ps);
}

LRESULT TArrowButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND self = Handle;
  switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: {
      if (IsWindowEnabled(HostHandle) && !(MouseState & 1)) {
        MouseState |= 1;
        InvalidateRect(self, nullptr, FALSE);
      }
      TRACKMOUSEEVENT t{sizeof(TRACKMOUSEEVENT), TME_LEAVE, self, 0};
      TrackMouseEvent(&t);
      return 0;
    }
    case WM_MOUSELEAVE:
      MouseState &= uint8_t(~1);
      InvalidateRect(self, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The host opens its drop-down for a press at the same place of its own.
      RECT r{};
      GetWindowRect(self, &r);
      POINT at{r.left, r.top};
      ScreenToClient(HostHandle, &at);
      const LPARAM p = MAKELPARAM(short(LOWORD(lParam)) + at.x, short(HIWORD(lParam)) + at.y);
      PostMessageW(HostHandle, WM_LBUTTONDOWN, MK_LBUTTON, p);
      PostMessageW(HostHandle, WM_LBUTTONUP, 0, p);
      return 0;
    }
    case WM_LBUTTONUP: SetFocus(HostHandle); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

void TSkinDateTime::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                  int attachData) {
  if (Attached) return;
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  if (Handle && !ArrowButton) ArrowButton = std::make_unique<TArrowButton>(this, control, Handle);
}

void TSkinDateTime::PaintControl(HDC dc, const RECT& rect) {
  if (ArrowButton) ArrowButton->Reposition();
  RECT client{};
  GetClientRect(Handle, &client);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (client.right == w || client.bottom == h) return;  // no frame to skin
  HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colors.ButtonShadow));
  FrameRect(dc, &rect, shadow);
  DeleteObject(shadow);
  RECT ring = rect;
  InflateRect(ring, -1, -1);
  HBRUSH white = CreateSolidBrush(0xFFFFFF);
  FrameRect(dc, &ring, white);
  DeleteObject(white);
}
