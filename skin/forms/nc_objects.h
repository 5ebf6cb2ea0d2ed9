// The clickable elements a skinned window draws in its non-client area: a rectangle in window
// coordinates and a state (1 normal, 2 pressed, 3 hot) driven by the mouse messages the form
// wrapper routes to them. At most one element of a window is its wrapper's hot element.
#pragma once

#include "platform/user/wintypes.h"

class TWinSkinForm;
class TDataSkinSysButton;

class TNCObject {
 public:
  explicit TNCObject(TWinSkinForm* owner) : Owner(owner) {}
  virtual ~TNCObject() = default;
  TNCObject(const TNCObject&) = delete;
  TNCObject& operator=(const TNCObject&) = delete;

  virtual void MouseDown();
  virtual void MouseUp();
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Paint() {}

  TWinSkinForm* Owner;
  RECT Rect{0, 0, 0, 0};
  bool Visible = false;
  int State = 1;
  bool Enabled = true;
};

// A caption button: close, maximise, minimise, help, the window icon, the MDI child buttons
// or a button of the skin's own action.
class TWinSysButton : public TNCObject {
 public:
  TWinSysButton(TWinSkinForm* owner, TDataSkinSysButton* element) : TNCObject(owner), Element(element) {}
  void Paint() override;
  TDataSkinSysButton* Element;
};
