#include "platform/forms/label.h"

#include "platform/forms/accel_char.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

const TEnumInfo& TextLayoutEnumInfo() {
  static const TEnumInfo e{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
  return e;
}

const TClassInfo& TCustomLabel::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomLabel>("TCustomLabel", &TWinControl::StaticClassInfo())
          .Prop("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                {.Enum = &AlignmentEnumInfo(), .Default = taLeftJustify})
          .Prop("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, {.Default = 1})
          .Prop("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, {.Default = 0})
          .Prop("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, {.Default = 0})
          .Prop("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, {.Default = 1})
          .Prop("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, {.Enum = &TextLayoutEnumInfo(), .Default = tlTop})
          .Build();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TWinControl(owner) {
  width_ = 65;
  height_ = 13;
  parentColor_ = true;
}

DWORD TCustomLabel::StaticStyle() const {
  DWORD style = SS_NOTIFY;
  if (alignment_ == taCenter) {
    style |= SS_CENTER;
  } else if (alignment_ == taRightJustify) {
    style |= SS_RIGHT;
  } else if (!wordWrap_) {
    style |= SS_LEFTNOWORDWRAP;
  }
  // A wrapping label breaks a word too long for its width (a path) rather than cut it off.
  if (wordWrap_) style |= SS_EDITCONTROL;
  if (!showAccelChar_) style |= SS_NOPREFIX;
  return style;
}

void TCustomLabel::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_STATIC;
  p.SystemClass = true;
  p.Style |= StaticStyle();
  p.Style &= ~static_cast<DWORD>(WS_TABSTOP);
}

void TCustomLabel::SetAlignment(TAlignment a) {
  alignment_ = a;
  if (HWND h = HandleIfAllocated()) {
    SetWindowLongPtrW(h, GWL_STYLE, (GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(0xFFFF)) | StaticStyle());
    Invalidate();
  }
}

void TCustomLabel::SetWordWrap(bool v) {
  wordWrap_ = v;
  SetAlignment(alignment_);
  AdjustBounds();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  showAccelChar_ = v;
  SetAlignment(alignment_);
  AdjustBounds();
}

void TCustomLabel::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustBounds();
}

void TCustomLabel::Loaded() {
  TWinControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  std::u16string text = GetTextW();
  if (text.empty()) text = u" ";
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_.Handle());
  RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
  UINT format = DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK | DT_EDITCONTROL : 0) | (showAccelChar_ ? 0 : DT_NOPREFIX);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, old);
  DeleteDC(dc);
  int w = wordWrap_ ? width_ : r.Width();
  int x = left_;
  if (!wordWrap_ && alignment_ == taRightJustify) x = left_ + width_ - w;
  if (!wordWrap_ && alignment_ == taCenter) x = left_ + (width_ - w) / 2;
  SetBounds(x, top_, w, r.Height());
}

void TCustomLabel::FontChanged() {
  TWinControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = control;
  if (control) control->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::WndProc(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR) {
    if (focusControl_ && showAccelChar_ && Enabled() && IsAccel(char16_t(m.WParam), GetTextW()) &&
        focusControl_->CanFocus()) {
      focusControl_->SetFocus();
      m.Result = 1;
    }
    return;
  }
  TWinControl::WndProc(m);
  if (m.Msg == CM_TEXTCHANGED) AdjustBounds();
}

const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TLabel>("TLabel", &TCustomLabel::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TLabel(o); })
                                     .Build();
  return info;
}

TLabel::TLabel(TComponent* owner) : TCustomLabel(owner) {}
