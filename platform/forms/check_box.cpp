#include "platform/forms/check_box.h"

#include "platform/forms/accel_char.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& CheckBoxStateEnumInfo() {
  static const TEnumInfo e{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
  return e;
}

const TClassInfo& TCustomCheckBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomCheckBox>("TCustomCheckBox", &TButtonControl::StaticClassInfo())
          .Prop("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment,
                {.Enum = &AlignmentEnumInfo(), .Default = taRightJustify})
          .Prop("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed, {.Default = 0})
          .Prop("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked, {.Default = 0})
          .Prop("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState,
                {.Enum = &CheckBoxStateEnumInfo(), .Default = cbUnchecked})
          .Build();
  return info;
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  width_ = 97;
  height_ = 17;
  parentColor_ = true;
}

void TCustomCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= (allowGrayed_ ? BS_3STATE : BS_CHECKBOX);
  if (alignment_ == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::InitializeWnd() { SendMessageW(HandleIfAllocated(), BM_SETCHECK, static_cast<WPARAM>(state_), 0); }

void TCustomCheckBox::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    SetWindowLongPtrW(h, GWL_STYLE, a == taLeftJustify ? (style | BS_LEFTTEXT) : (style & ~static_cast<LONG_PTR>(BS_LEFTTEXT)));
    Invalidate();
  }
}

void TCustomCheckBox::SetAllowGrayed(bool v) {
  allowGrayed_ = v;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(BS_TYPEMASK);
    SetWindowLongPtrW(h, GWL_STYLE, style | (v ? BS_3STATE : BS_CHECKBOX));
  }
}

void TCustomCheckBox::SetState(TCheckBoxState s) {
  if (s == state_) return;
  state_ = s;
  if (HWND h = HandleIfAllocated()) {
    if (s == cbGrayed && !allowGrayed_) {
      // A grey state needs a three-state window.
      LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
      SetWindowLongPtrW(h, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_3STATE);
    }
    SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>(s), 0);
  }
  if (!IsLoading()) Click();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == BN_CLICKED) Toggle();
    return;
  }
  if (m.Msg == CM_DIALOGCHAR) {
    // The access key focuses the box and ticks it, as a click would.
    if (IsAccel(char16_t(m.WParam), GetTextW()) && CanFocus()) {
      SetFocus();
      if (Focused()) Toggle();
      m.Result = 1;
    }
    return;
  }
  TButtonControl::WndProc(m);
}

const TClassInfo& TCheckBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCheckBox>("TCheckBox", &TCustomCheckBox::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TCheckBox(o); })
                                     .Build();
  return info;
}

TCheckBox::TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
