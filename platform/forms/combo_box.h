// Combo boxes (TComboBox over the "ComboBox" class): the style (an edit with a drop-down list,
// a simple list under the edit, or a drop-down list only), the items as a string list, the
// selected index and the text; OnChange when the text changes, OnSelect when the user picks an
// item, OnDropDown and OnCloseUp around the list.
#pragma once

#include "platform/forms/controls.h"
#include "platform/rtl/string_list.h"

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
const TEnumInfo& ComboBoxStyleEnumInfo();

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TStrings* Items() const { return &items_; }
  void SetItems(TStrings* items);
  int ItemIndex() const;
  void SetItemIndex(int index);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  bool Sorted() const { return items_.Sorted(); }
  void SetSorted(bool v) { items_.SetSorted(v); }
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  void Clear() { items_.Clear(); }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWnd() override;
  void SaveWndState() override;
  void WndProc(TMessage& message) override;

 private:
  void Fill();
  void Notified(WORD code);
  mutable TStringList items_;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
