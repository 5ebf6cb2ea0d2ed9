#include "platform/forms/button.h"

#include "platform/forms/accel_char.h"
#include "platform/forms/form.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TClassInfo& TButtonControl::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TButtonControl>("TButtonControl", &TWinControl::StaticClassInfo())
                                     .Prop("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap, {.Default = 0})
                                     .Build();
  return info;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  color_ = clBtnFace;
}

void TButtonControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_BUTTON;
  p.SystemClass = true;
  if (wordWrap_) p.Style |= BS_MULTILINE;
}

void TButtonControl::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    SetWindowLongPtrW(h, GWL_STYLE, v ? (style | BS_MULTILINE) : (style & ~static_cast<LONG_PTR>(BS_MULTILINE)));
    Invalidate();
  }
}

const TClassInfo& TButton::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TButton>("TButton", &TButtonControl::StaticClassInfo())
          .Prop("Default", &TButton::Default, &TButton::SetDefault, {.Default = 0})
          .Prop("Cancel", &TButton::Cancel, &TButton::SetCancel, {.Default = 0})
          .Prop("ModalResult", &TButton::ModalResult, &TButton::SetModalResult,
                {.Idents = &ModalResultIdents(), .Default = 0})
          .Creator([](TComponent* o) { return new TButton(o); })
          .Build();
  return info;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  width_ = 75;
  height_ = 25;
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= (active_ || default_) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetButtonStyle(bool asDefault) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, BM_SETSTYLE, asDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::SetDefault(bool v) {
  default_ = v;
  active_ = v;
  SetButtonStyle(v);
}

void TButton::Click() {
  if (TCustomForm* form = ParentForm()) form->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY: {
      auto key = static_cast<int>(m.WParam);
      if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) && !(KeyboardShiftState() & (ssAlt | ssCtrl)) &&
          CanFocus()) {
        Click();
        m.Result = 1;
      }
      return;
    }
    case CM_DIALOGCHAR:
      // The access key clicks the button where it is, as the dialog manager clicks a push
      // button, without moving the focus.
      if (IsAccel(char16_t(m.WParam), GetTextW()) && CanFocus()) {
        Click();
        m.Result = 1;
      }
      return;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
      bool nowActive = focused == this || (default_ && !dynamic_cast<TButton*>(focused));
      if (nowActive != active_) {
        active_ = nowActive;
        SetButtonStyle(active_);
      }
      return;
    }
    default:
      TButtonControl::WndProc(m);
  }
}
