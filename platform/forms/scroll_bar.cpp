#include "platform/forms/scroll_bar.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/scroll_request.h"
#include "platform/user/window.h"

const TEnumInfo& ScrollBarKindEnumInfo() {
  static const TEnumInfo e{"TScrollBarKind", {"sbHorizontal", "sbVertical"}};
  return e;
}

const TClassInfo& TScrollBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TScrollBar>("TScrollBar", &TWinControl::StaticClassInfo())
          .Prop("Kind", &TScrollBar::Kind, &TScrollBar::SetKind,
                {.Enum = &ScrollBarKindEnumInfo(), .Default = sbHorizontal})
          .Prop("Min", &TScrollBar::Min, &TScrollBar::SetMin, {.Default = 0})
          .Prop("Max", &TScrollBar::Max, &TScrollBar::SetMax, {.Default = 100})
          .Prop("Position", &TScrollBar::Position, &TScrollBar::SetPosition, {.Default = 0})
          .Prop("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize, {.Default = 0})
          .Prop("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange, {.Default = 1})
          .Prop("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange, {.Default = 1})
          .Creator([](TComponent* o) { return new TScrollBar(o); })
          .Build();
  return info;
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 17;
  SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_SCROLLBAR;
  p.SystemClass = true;
  if (kind_ == sbVertical) p.Style |= SBS_VERT;
}

void TScrollBar::InitializeWnd() { Push(); }

void TScrollBar::Push() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  SCROLLINFO si{sizeof si, SIF_ALL, min_, max_, static_cast<UINT>(pageSize_), position_, 0};
  SetScrollInfo(h, SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind k) {
  if (k == kind_) return;
  kind_ = k;
  if (!IsLoading()) SetBounds(left_, top_, height_, width_);
  if (HandleAllocated()) {
    // The axis is a style of the window: make it again.
    DestroyHandle();
    if (Parent()) HandleNeeded();
  }
}

void TScrollBar::SetPageSize(int v) {
  pageSize_ = std::max(0, v);
  Push();
}

void TScrollBar::SetParams(int position, int min, int max) {
  if (max < min && !IsLoading()) max = min;
  const int old = position_;
  min_ = min;
  max_ = max;
  position_ = IsLoading() ? position : std::clamp(position, min_, std::max(min_, max_));
  Push();
  if (position_ != old && !IsLoading() && OnChange) OnChange(this);
}

void TScrollBar::Scroll(int code, int thumb) {
  // A page keeps its last stretch out of reach, as the control does.
  const int top = pageSize_ > 0 ? std::max(min_, max_ - pageSize_ + 1) : max_;
  const std::optional<int> pos =
      ScrollTarget(static_cast<WORD>(code), position_, smallChange_, largeChange_, thumb, min_, top);
  if (pos) SetPosition(*pos);
}

void TScrollBar::WndProc(TMessage& m) {
  if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
    // The message holds 16 bits of the thumb; the control keeps all 32.
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    const bool full = HandleAllocated() && GetScrollInfo(HandleIfAllocated(), SB_CTL, &si);
    Scroll(LOWORD(m.WParam), full ? si.nTrackPos : static_cast<int16_t>(HIWORD(m.WParam)));
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}
