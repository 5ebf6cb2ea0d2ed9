#include "platform/forms/edit.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& EditCharCaseEnumInfo() {
  static const TEnumInfo e{"TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}};
  return e;
}
const TEnumInfo& BorderStyleEnumInfo() {
  static const TEnumInfo e{"TBorderStyle", {"bsNone", "bsSingle"}};
  return e;
}

const TClassInfo& TCustomEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomEdit>("TCustomEdit", &TWinControl::StaticClassInfo())
          .Prop("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, {.Default = 1})
          .Prop("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle,
                {.Enum = &BorderStyleEnumInfo(), .Default = bsSingleBorder})
          .Prop("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, {.Enum = &EditCharCaseEnumInfo(), .Default = ecNormal})
          .Prop("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, {.Default = 0})
          .Prop("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, {.Default = 0})
          .Prop("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, {.Default = 1})
          .Prop("Text", &TControl::Text, &TControl::SetText)
          .Event("OnChange", &TCustomEdit::OnChange)
          .Build();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 21;
  color_ = clWindow;
  cursor_ = crDefault;
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_EDIT;
  p.SystemClass = true;
  p.Style |= ES_AUTOHSCROLL;
  if (readOnly_) p.Style |= ES_READONLY;
  if (!hideSelection_) p.Style |= ES_NOHIDESEL;
  if (charCase_ == ecUpperCase) p.Style |= ES_UPPERCASE;
  if (charCase_ == ecLowerCase) p.Style |= ES_LOWERCASE;
  if (borderStyle_ == bsSingleBorder) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::InitializeWnd() {
  SendMessageW(HandleIfAllocated(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle s) {
  if (s == borderStyle_) return;
  borderStyle_ = s;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    SetWindowLongPtrW(h, GWL_EXSTYLE, s == bsSingleBorder ? (ex | WS_EX_CLIENTEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE)));
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TCustomEdit::SetCharCase(TEditCharCase c) {
  charCase_ = c;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(ES_UPPERCASE | ES_LOWERCASE);
    if (c == ecUpperCase) style |= ES_UPPERCASE;
    if (c == ecLowerCase) style |= ES_LOWERCASE;
    SetWindowLongPtrW(h, GWL_STYLE, style);
  }
  if (c == ecUpperCase) SetText(UpperCaseAscii(Text()));
  if (c == ecLowerCase) SetText(LowerCaseAscii(Text()));
}

void TCustomEdit::SetMaxLength(int n) {
  maxLength_ = std::max(0, n);
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETREADONLY, v ? 1 : 0, 0);
}

bool TCustomEdit::Modified() const {
  HWND h = HandleIfAllocated();
  return h && SendMessageW(h, EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool v) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_SETMODIFY, v ? 1 : 0, 0);
}

int TCustomEdit::SelStart() const {
  HWND h = HandleIfAllocated();
  if (!h) return 0;
  DWORD a = 0, b = 0;
  SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  return static_cast<int>(a);
}

int TCustomEdit::SelLength() const {
  HWND h = HandleIfAllocated();
  if (!h) return 0;
  DWORD a = 0, b = 0;
  SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  return static_cast<int>(b - a);
}

void TCustomEdit::SetSelStart(int v) {
  v = std::max(0, v);
  SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(v), v);
}

void TCustomEdit::SetSelLength(int v) {
  int start = SelStart();
  SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + std::max(0, v));
}

std::string TCustomEdit::SelText() const {
  std::u16string t = GetTextW();
  size_t a = std::min<size_t>(static_cast<size_t>(SelStart()), t.size());
  size_t n = std::min<size_t>(static_cast<size_t>(SelLength()), t.size() - a);
  return WideToFileName(t.substr(a, n));
}

void TCustomEdit::SetSelText(const std::string& v) {
  std::u16string w = FileNameToWide(v);
  SendMessageW(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void TCustomEdit::SelectAll() { SendMessageW(Handle(), EM_SETSEL, 0, -1); }
void TCustomEdit::ClearSelection() { SendMessageW(Handle(), WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { SendMessageW(Handle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageW(Handle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageW(Handle(), WM_PASTE, 0, 0); }

bool TCustomEdit::CanUndo() const {
  HWND h = HandleIfAllocated();
  return h && SendMessageW(h, EM_CANUNDO, 0, 0) != 0;
}

void TCustomEdit::Undo() {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, EM_UNDO, 0, 0);
}

void TCustomEdit::Change() {
  if (OnChange && !IsLoading()) OnChange(this);
}

void TCustomEdit::DoEnter() {
  // Entered from the keyboard: everything selected, ready to be typed over.
  if (autoSelect_ && !clicking_ && HandleAllocated()) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == EN_CHANGE) Change();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      clicking_ = true;
      try {
        TWinControl::WndProc(m);
      } catch (...) {
        clicking_ = false;
        throw;
      }
      clicking_ = false;
      return;
    default:
      TWinControl::WndProc(m);
  }
}

const TClassInfo& TEdit::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TEdit>("TEdit", &TCustomEdit::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TEdit(o); })
                                     .Build();
  return info;
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {}
