// Push buttons (TButton over the "Button" class, BS_PUSHBUTTON / BS_DEFPUSHBUTTON): a click
// sets the form's ModalResult to the button's and runs OnClick; Enter clicks the focused
// button or else the Default one, Escape clicks the Cancel one.
#pragma once

#include "platform/forms/controls.h"

class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);

 protected:
  void CreateParams(TCreateParams& params) override;
  bool wordWrap_ = false;
};

class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int v) { modalResult_ = v; }
  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void SetButtonStyle(bool asDefault);
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;  // draws and acts as the default button now
  int modalResult_ = 0;
};
