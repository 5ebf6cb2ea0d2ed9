#include "platform/forms/combo_box.h"

#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& ComboBoxStyleEnumInfo() {
  static const TEnumInfo e{"TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList"}};
  return e;
}

const TClassInfo& TCustomComboBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomComboBox>("TCustomComboBox", &TWinControl::StaticClassInfo())
          .Prop("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle,
                {.Enum = &ComboBoxStyleEnumInfo(), .Default = csDropDown})
          .Prop("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems)
          .Prop("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex, {.Default = -1})
          .Prop("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, {.Default = 0})
          .Event("OnChange", &TCustomComboBox::OnChange)
          .Event("OnSelect", &TCustomComboBox::OnSelect)
          .Event("OnDropDown", &TCustomComboBox::OnDropDown)
          .Event("OnCloseUp", &TCustomComboBox::OnCloseUp)
          .Build();
  return info;
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
  width_ = 145;
  height_ = 21;
  color_ = clWindow;
  SetTabStop(true);
  items_.OnChange = [this] { Fill(); };
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_COMBOBOX;
  p.SystemClass = true;
  static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
  p.Style |= kStyles[style_] | CBS_AUTOHSCROLL;
}

void TCustomComboBox::Fill() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  const std::u16string text = style_ == csDropDownList ? std::u16string() : GetTextW();
  SendMessageW(h, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_.Count(); ++i) {
    std::u16string w = Utf8ToWide(items_[i]);
    SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  if (itemIndex_ >= 0) {
    SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
  } else if (!text.empty()) {
    SetWindowTextW(h, text.c_str());
  }
}

void TCustomComboBox::InitializeWnd() {
  const std::u16string text = text_;
  Fill();
  if (itemIndex_ < 0 && !text.empty()) SetWindowTextW(HandleIfAllocated(), text.c_str());
}

void TCustomComboBox::SaveWndState() {
  itemIndex_ = ItemIndex();
  text_ = GetTextW();
}

void TCustomComboBox::SetItems(TStrings* items) {
  if (items && items != &items_) items_.Assign(*items);
}

int TCustomComboBox::ItemIndex() const {
  HWND h = HandleIfAllocated();
  return h ? static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0)) : itemIndex_;
}

void TCustomComboBox::SetItemIndex(int index) {
  if (!IsLoading() && (index < -1 || index >= items_.Count())) index = -1;
  itemIndex_ = index;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle s) {
  if (s == style_) return;
  style_ = s;
  if (HandleAllocated()) {
    // The style is the window's: make it again.
    DestroyHandle();
    if (Parent()) HandleNeeded();
  }
}

bool TCustomComboBox::DroppedDown() const {
  HWND h = HandleIfAllocated();
  return h && SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0);
}

void TCustomComboBox::SetDroppedDown(bool v) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, CB_SHOWDROPDOWN, v ? TRUE : FALSE, 0);
}

void TCustomComboBox::Notified(WORD code) {
  switch (code) {
    case CBN_SELCHANGE:
      itemIndex_ = ItemIndex();
      Click();
      if (OnSelect) OnSelect(this);
      if (OnChange) OnChange(this);
      break;
    case CBN_EDITCHANGE:
      if (OnChange) OnChange(this);
      break;
    case CBN_DROPDOWN:
      if (OnDropDown) OnDropDown(this);
      break;
    case CBN_CLOSEUP:
      if (OnCloseUp) OnCloseUp(this);
      break;
    default:
      break;
  }
}

void TCustomComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    Notified(HIWORD(m.WParam));
    return;
  }
  TWinControl::WndProc(m);
}

const TClassInfo& TComboBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TComboBox>("TComboBox", &TCustomComboBox::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TComboBox(o); })
                                     .Build();
  return info;
}

TComboBox::TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
