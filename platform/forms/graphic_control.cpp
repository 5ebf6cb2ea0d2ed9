#include "platform/forms/graphic_control.h"

#include "platform/gdi/dc.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

const TClassInfo& TGraphicControl::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClassInfo()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

TGraphicControl::~TGraphicControl() {
  while (acquired_ > 0) ReleaseCanvas();
}

void TGraphicControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  Perform(WM_NCDESTROY);
  if (parent_) parent_->ControlGone(this);
  Invalidate();
}

TCanvas* TGraphicControl::AcquireCanvas() {
  if (acquired_ > 0) {
    ++acquired_;
    return &canvas_;
  }
  if (canvas_.HandleAllocated()) return nullptr;  // a paint is under way: it has the canvas
  HWND parent = parent_ ? parent_->HandleIfAllocated() : nullptr;
  if (!parent || !visible_ || !IsWindowVisible(parent)) return nullptr;
  HDC dc = GetDC(parent);
  if (!dc) return nullptr;
  OffsetViewportOrgEx(dc, left_, top_, nullptr);
  IntersectClipRect(dc, 0, 0, width_, height_);
  dcWindow_ = parent;
  ownDC_ = dc;
  canvas_.SetHandle(dc);
  acquired_ = 1;
  return &canvas_;
}

void TGraphicControl::ReleaseCanvas() {
  if (acquired_ == 0 || --acquired_ > 0) return;
  canvas_.SetHandle(nullptr);
  if (ownDC_ && IsWindow(dcWindow_)) ReleaseDC(dcWindow_, ownDC_);
  ownDC_ = nullptr;
  dcWindow_ = nullptr;
}

void TGraphicControl::Invalidate() {
  HWND parent = parent_ ? parent_->HandleIfAllocated() : nullptr;
  if (!parent) return;
  const RECT r = BoundsRect();
  InvalidateRect(parent, &r, TRUE);
}

void TGraphicControl::Update() {
  if (parent_) parent_->Update();
}

void TGraphicControl::BoundsChanged() {
  // The place it left and the place it took.
  HWND parent = parent_ ? parent_->HandleIfAllocated() : nullptr;
  if (parent) InvalidateRect(parent, &lastBounds_, TRUE);
  lastBounds_ = BoundsRect();
  Invalidate();
}

void TGraphicControl::WndProc(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    canvas_.SetHandle(reinterpret_cast<HDC>(m.WParam));
    canvas_.Font().Assign(font_);
    Paint();
    canvas_.SetHandle(nullptr);
    m.Result = 0;
    return;
  }
  TControl::WndProc(m);
}
