// List boxes (TListBox over the "ListBox" class): the items as a string list, the selected
// index, OnClick when the selection changes and OnDblClick. Emptying the items (Clear, and so
// Assign and SetText) takes the selection away, as the list box does after LB_RESETCONTENT:
// a list refilled with other rows never shows a row selected that nobody chose. ScrollWidth is
// the width in pixels the rows can be scrolled over: a horizontal scroll bar shows while it is
// wider than the list.
#pragma once

#include "platform/forms/controls.h"
#include "platform/rtl/string_list.h"

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TStrings* Items() const { return &items_; }
  void SetItems(TStrings* items);
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool Sorted() const { return items_.Sorted(); }
  void SetSorted(bool v) { items_.SetSorted(v); }
  int ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(int width);
  int TopIndex() const;
  void SetTopIndex(int index);
  void Clear() { items_.Clear(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;
  void SaveWndState() override;
  void WndProc(TMessage& message) override;

 private:
  void Fill();
  class TListBoxStrings : public TStringList {
   public:
    explicit TListBoxStrings(TCustomListBox& box) : box_(box) {}
    void Clear() override;

   private:
    TCustomListBox& box_;
  };
  mutable TListBoxStrings items_{*this};
  int itemIndex_ = -1;
  int scrollWidth_ = 0;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
