#include "platform/forms/tab_set.h"

#include <algorithm>

#include "platform/forms/win/control_util.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

const TClassInfo& TTabSet::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TTabSet>("TTabSet", &TWinControl::StaticClassInfo())
                                     .Prop("Tabs", &TTabSet::Tabs, &TTabSet::SetTabs)
                                     .Prop("TabIndex", &TTabSet::TabIndex, &TTabSet::SetTabIndex, {.Default = -1})
                                     .Event("OnChange", &TTabSet::OnChange)
                                     .Creator([](TComponent* o) { return new TTabSet(o); })
                                     .Build();
  return info;
}

TTabSet::TTabSet(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 21;
  color_ = clBtnFace;
  tabs_.OnChange = [this] {
    if (tabIndex_ >= tabs_.Count()) tabIndex_ = tabs_.Count() - 1;
    Invalidate();
  };
}

void TTabSet::SetTabs(TStrings* tabs) {
  if (tabs && tabs != &tabs_) tabs_.Assign(*tabs);
}

void TTabSet::SetTabIndex(int index) {
  if (index < -1 || index >= tabs_.Count() || index == tabIndex_) return;
  tabIndex_ = index;
  Invalidate();
}

TRect TTabSet::TabRect(int index) {
  if (index < 0 || index >= tabs_.Count() || !HandleAllocated()) return TRect{0, 0, 0, 0};
  HWND h = Handle();
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  int x = 0;
  TRect r{0, 0, 0, 0};
  for (int i = 0; i <= index; ++i) {
    const std::u16string text = Utf8ToWide(tabs_[i]);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
    r = TRect{x, 0, x + size.cx + 9, Height()};
    x = r.right;
  }
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return r;
}

void TTabSet::Paint() {
  HWND h = Handle();
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(h, &ps);
  RECT c{};
  GetClientRect(h, &c);
  HBRUSH face = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(dc, &c, face);
  DeleteObject(face);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  for (int i = 0; i < tabs_.Count(); ++i) {
    RECT r = TabRect(i);
    // Tabs hang from the top edge; the current one is white and joined to it.
    if (i == tabIndex_) FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    RECT edge = r;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_LEFT | BF_RIGHT | BF_BOTTOM | BF_SOFT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    stdctl::DrawControlText(dc, Utf8ToWide(tabs_[i]), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Enabled());
  }
  SelectObject(dc, old);
  EndPaint(h, &ps);
}

void TTabSet::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: Paint(); m.Result = 0; return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_LBUTTONDOWN: {
      const POINT p{short(LOWORD(m.LParam)), short(HIWORD(m.LParam))};
      for (int i = 0; i < tabs_.Count(); ++i)
        if (PtInRect(TabRect(i), p) && i != tabIndex_) {
          SetTabIndex(i);
          if (OnChange) OnChange(this);
          break;
        }
      break;
    }
    default: break;
  }
  TWinControl::WndProc(m);
}
