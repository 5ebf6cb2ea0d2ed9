// TGraphicControl: a control without a window of its own (a speed button, a label drawn by its
// parent). Its parent window paints it, handing it WM_PAINT with the parent's DC moved to the
// control and clipped to it, and passes it the mouse messages that fall on it (holding the
// mouse for it while a button is down). Outside a paint the control can draw on its parent's
// DC through its canvas; it asks its parent to repaint its rectangle. When it goes it hears
// WM_NCDESTROY, as a window would, so that whoever replaced its WindowProc lets go of it.
#pragma once

#include "platform/forms/controls.h"

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void BeforeDestruction() override;

  // The canvas a paint draws on; between AcquireCanvas and ReleaseCanvas the parent's DC moved
  // to the control and clipped to it (nullptr when the parent is not on the screen).
  TCanvas* Canvas() { return &canvas_; }
  TCanvas* AcquireCanvas();
  void ReleaseCanvas();
  // A control without a window never takes the focus.
  bool CanFocus() const { return false; }

  void Invalidate() override;
  void Update() override;

 protected:
  virtual void Paint() {}
  void WndProc(TMessage& message) override;
  void VisibleChanged() override { Invalidate(); }
  void BoundsChanged() override;

 private:
  TCanvas canvas_;
  HWND dcWindow_ = nullptr;  // the window whose DC AcquireCanvas took
  HDC ownDC_ = nullptr;
  int acquired_ = 0;
  TRect lastBounds_{};
};
