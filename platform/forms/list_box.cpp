#include "platform/forms/list_box.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TClassInfo& TCustomListBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomListBox>("TCustomListBox", &TWinControl::StaticClassInfo())
          .Prop("Items", &TCustomListBox::Items, &TCustomListBox::SetItems)
          .Prop("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex, {.Stored = false})
          .Prop("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, {.Default = 0})
          .Prop("ScrollWidth", &TCustomListBox::ScrollWidth, &TCustomListBox::SetScrollWidth, {.Default = 0})
          .Build();
  return info;
}

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 97;
  color_ = clWindow;
  SetTabStop(true);
  items_.OnChange = [this] { Fill(); };
}

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_LISTBOX;
  p.SystemClass = true;
  p.Style |= LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::Fill() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  SendMessageW(h, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_.Count(); ++i) {
    std::u16string w = Utf8ToWide(items_[i]);
    SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TCustomListBox::TListBoxStrings::Clear() {
  box_.itemIndex_ = -1;
  TStringList::Clear();
}

void TCustomListBox::InitializeWnd() {
  Fill();
  SendMessageW(HandleIfAllocated(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(scrollWidth_), 0);
}

void TCustomListBox::SetScrollWidth(int width) {
  scrollWidth_ = std::max(0, width);
  if (HWND h = HandleIfAllocated()) SendMessageW(h, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(scrollWidth_), 0);
}

void TCustomListBox::SaveWndState() { itemIndex_ = ItemIndex(); }

void TCustomListBox::SetItems(TStrings* items) {
  if (items && items != &items_) items_.Assign(*items);
}

int TCustomListBox::ItemIndex() const {
  HWND h = HandleIfAllocated();
  return h ? static_cast<int>(SendMessageW(h, LB_GETCURSEL, 0, 0)) : itemIndex_;
}

void TCustomListBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_.Count()) index = -1;
  itemIndex_ = index;
  if (HWND h = HandleIfAllocated()) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomListBox::TopIndex() const {
  HWND h = HandleIfAllocated();
  return h ? static_cast<int>(SendMessageW(h, LB_GETTOPINDEX, 0, 0)) : 0;
}

void TCustomListBox::SetTopIndex(int index) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void TCustomListBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == LBN_SELCHANGE) {
      itemIndex_ = ItemIndex();
      Click();
    }
    return;
  }
  TWinControl::WndProc(m);
}

const TClassInfo& TListBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TListBox>("TListBox", &TCustomListBox::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TListBox(o); })
                                     .Build();
  return info;
}

TListBox::TListBox(TComponent* owner) : TCustomListBox(owner) {}
