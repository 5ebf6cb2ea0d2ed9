#include "platform/forms/hint_window.h"

#include "platform/forms/application.h"
#include "platform/forms/screen.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

const TClassInfo& THintWindow::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<THintWindow>("THintWindow", &TWinControl::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new THintWindow(o); })
                                     .Build();
  return info;
}

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner) {
  color_ = clInfoBk;
  visible_ = false;
  parentFont_ = false;
  if (Screen) font_.Assign(*Screen->HintFont());
  font_.SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  p.WndParent = nullptr;
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
  std::u16string text = Utf8ToWide(hint);
  RECT r{0, 0, maxWidth, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_.Handle());
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteDC(dc);
  r.right += 6;
  r.bottom += 4;
  return r;
}

void THintWindow::ActivateHint(TRect rect, const std::string& hint) {
  SetText(hint);
  HWND h = Handle();
  const TRect work = Screen ? Screen->WorkAreaRect() : TRect{0, 0, 1280, 1024};
  if (rect.right > work.right) OffsetRect(rect, work.right - rect.right, 0);
  if (rect.bottom > work.bottom) OffsetRect(rect, 0, work.bottom - rect.bottom);
  if (rect.left < work.left) OffsetRect(rect, work.left - rect.left, 0);
  if (rect.top < work.top) OffsetRect(rect, 0, work.top - rect.top);
  visible_ = true;
  SetWindowPos(h, HWND_TOPMOST, rect.left, rect.top, rect.Width(), rect.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(h, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
  visible_ = false;
  DestroyHandle();
}

void THintWindow::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST:
      m.Result = HTTRANSPARENT;
      return;
    case WM_ERASEBKGND:
      m.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : BeginPaint(HandleIfAllocated(), &ps);
      RECT r;
      GetClientRect(HandleIfAllocated(), &r);
      HBRUSH b = CreateSolidBrush(ColorToRGB(color_));
      FillRect(dc, &r, b);
      DeleteObject(b);
      HGDIOBJ old = SelectObject(dc, font_.Handle());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, ColorToRGB(font_.Color()));
      std::u16string text = GetTextW();
      InflateRect(r, -2, -1);
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
      SelectObject(dc, old);
      if (!m.WParam) EndPaint(HandleIfAllocated(), &ps);
      return;
    }
    default:
      TWinControl::WndProc(m);
  }
}
