#include "platform/forms/progress_bar.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& ProgressBarOrientationEnumInfo() {
  static const TEnumInfo e{"TProgressBarOrientation", {"pbHorizontal", "pbVertical"}};
  return e;
}

const TClassInfo& TProgressBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TProgressBar>("TProgressBar", &TWinControl::StaticClassInfo())
          .Prop("Min", &TProgressBar::Min, &TProgressBar::SetMin, {.Default = 0})
          .Prop("Max", &TProgressBar::Max, &TProgressBar::SetMax, {.Default = 100})
          .Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition, {.Default = 0})
          .Prop("Step", &TProgressBar::Step, &TProgressBar::SetStep, {.Default = 10})
          .Prop("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth, {.Default = 0})
          .Prop("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation,
                {.Enum = &ProgressBarOrientationEnumInfo(), .Default = pbHorizontal})
          .Creator([](TComponent* o) { return new TProgressBar(o); })
          .Build();
  return info;
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 16;
  parentColor_ = true;
}

void TProgressBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = PROGRESS_CLASS;
  p.SystemClass = true;
  if (smooth_) p.Style |= PBS_SMOOTH;
  if (orientation_ == pbVertical) p.Style |= PBS_VERTICAL;
}

void TProgressBar::InitializeWnd() {
  HWND h = HandleIfAllocated();
  SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SendMessageW(h, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
  SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int v) {
  min_ = v;
  if (!IsLoading() && max_ < min_) max_ = min_;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  if (HWND h = HandleIfAllocated()) SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  if (!IsLoading() && max_ < min_) min_ = max_;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  if (HWND h = HandleIfAllocated()) SendMessageW(h, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

int TProgressBar::Position() const {
  HWND h = HandleIfAllocated();
  return h ? static_cast<int>(SendMessageW(h, PBM_GETPOS, 0, 0)) : position_;
}

void TProgressBar::SetPosition(int v) {
  position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  if (HWND h = HandleIfAllocated()) SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(int v) {
  step_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, PBM_SETSTEP, static_cast<WPARAM>(v), 0);
}

void TProgressBar::StepIt() {
  if (HWND h = HandleIfAllocated()) {
    SendMessageW(h, PBM_STEPIT, 0, 0);
    position_ = Position();
  } else {
    int64_t next = static_cast<int64_t>(position_) + step_;
    if (next > max_) next = min_ + (next - max_);
    position_ = static_cast<int>(std::clamp<int64_t>(next, min_, max_));
  }
}

void TProgressBar::StepBy(int delta) { SetPosition(static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(Position()) + delta, INT32_MIN, INT32_MAX))); }

void TProgressBar::UpdateStyle() {
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(PBS_SMOOTH | PBS_VERTICAL);
    if (smooth_) style |= PBS_SMOOTH;
    if (orientation_ == pbVertical) style |= PBS_VERTICAL;
    SetWindowLongPtrW(h, GWL_STYLE, style);
    Invalidate();
  }
}

void TProgressBar::SetSmooth(bool v) {
  smooth_ = v;
  UpdateStyle();
}

void TProgressBar::SetOrientation(TProgressBarOrientation o) {
  orientation_ = o;
  UpdateStyle();
}
