#include "platform/forms/track_bar.h"

#include <algorithm>

#include "platform/forms/win/common_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& TrackBarOrientationEnumInfo() {
  static const TEnumInfo e{"TTrackBarOrientation", {"trHorizontal", "trVertical"}};
  return e;
}

const TClassInfo& TTrackBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TTrackBar>("TTrackBar", &TWinControl::StaticClassInfo())
          .Prop("Min", &TTrackBar::Min, &TTrackBar::SetMin, {.Default = 0})
          .Prop("Max", &TTrackBar::Max, &TTrackBar::SetMax, {.Default = 10})
          .Prop("Position", &TTrackBar::Position, &TTrackBar::SetPosition, {.Default = 0})
          .Prop("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency, {.Default = 1})
          .Prop("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize, {.Default = 1})
          .Prop("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize, {.Default = 2})
          .Prop("Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation,
                {.Enum = &TrackBarOrientationEnumInfo(), .Default = trHorizontal})
          .Event("OnChange", &TTrackBar::OnChange)
          .Creator([](TComponent* o) { return new TTrackBar(o); })
          .Build();
  return info;
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 45;
  color_ = clBtnFace;
  parentColor_ = true;
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = TRACKBAR_CLASS;
  p.SystemClass = true;
  p.Style |= TBS_AUTOTICKS | (orientation_ == trVertical ? TBS_VERT : TBS_HORZ);
}

void TTrackBar::InitializeWnd() {
  HWND h = HandleIfAllocated();
  SendMessageW(h, TBM_SETRANGEMIN, FALSE, min_);
  SendMessageW(h, TBM_SETRANGEMAX, FALSE, max_);
  SendMessageW(h, TBM_SETTICFREQ, WPARAM(frequency_), 0);
  SendMessageW(h, TBM_SETLINESIZE, 0, lineSize_);
  SendMessageW(h, TBM_SETPAGESIZE, 0, pageSize_);
  SendMessageW(h, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SaveWndState() { position_ = Position(); }

int TTrackBar::Position() const {
  HWND h = HandleIfAllocated();
  return h ? int(SendMessageW(h, TBM_GETPOS, 0, 0)) : position_;
}

void TTrackBar::SetPosition(int v) {
  v = std::clamp(v, min_, std::max(min_, max_));
  const bool moved = v != Position();
  position_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TBM_SETPOS, TRUE, v);
  if (moved && !IsLoading()) Changed();
}

void TTrackBar::SetMin(int v) {
  min_ = v;
  if (!IsLoading() && max_ < min_) max_ = min_;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TBM_SETRANGEMIN, TRUE, min_);
  position_ = std::clamp(position_, min_, std::max(min_, max_));
}

void TTrackBar::SetMax(int v) {
  max_ = v;
  if (!IsLoading() && max_ < min_) min_ = max_;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TBM_SETRANGEMAX, TRUE, max_);
  position_ = std::clamp(position_, min_, std::max(min_, max_));
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = std::max(v, 1);
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TBM_SETTICFREQ, WPARAM(frequency_), 0);
}

void TTrackBar::SetLineSize(int v) {
  lineSize_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TBM_SETLINESIZE, 0, v);
}

void TTrackBar::SetPageSize(int v) {
  pageSize_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TBM_SETPAGESIZE, 0, v);
}

void TTrackBar::SetOrientation(TTrackBarOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  if (!IsLoading()) std::swap(width_, height_);
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~LONG_PTR(TBS_VERT);
    if (o == trVertical) style |= TBS_VERT;
    SetWindowLongPtrW(h, GWL_STYLE, style);
    SetWindowPos(h, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& m) {
  // The parent reflects the bar's scroll reports back to it.
  if (m.Msg == CN_BASE + WM_HSCROLL || m.Msg == CN_BASE + WM_VSCROLL) {
    const int now = Position();
    if (now != position_) {
      position_ = now;
      Changed();
    }
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}
