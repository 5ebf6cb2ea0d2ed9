// The hint window: a small bordered popup in the hint colour that shows a control's hint
// near the mouse.
#pragma once

#include <string>

#include "platform/forms/controls.h"

class THintWindow : public TWinControl {
 public:
  explicit THintWindow(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // The size the text needs, at most maxWidth wide (screen coordinates from (0, 0)).
  TRect CalcHintRect(int maxWidth, const std::string& hint);
  // Shows the hint in the rectangle (screen coordinates) without taking the focus.
  void ActivateHint(TRect rect, const std::string& hint);
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};
