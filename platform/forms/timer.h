// TTimer: OnTimer every Interval milliseconds while Enabled (a thread timer of the window
// layer, delivered through the message loop).
#pragma once

#include "platform/forms/controls.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  TNotifyEvent OnTimer;
  void SetOnTimer(TNotifyEvent e);
  void Loaded() override;

 private:
  static void CALLBACK_Timer(HWND, UINT, UINT_PTR id, DWORD);
  void Update();
  bool enabled_ = true;
  int interval_ = 1000;
  UINT_PTR id_ = 0;
};
