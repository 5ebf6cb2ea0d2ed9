// The class library's tab set (TTabSet): a row of tabs named by a string list, each as wide as
// its caption plus 9 pixels, laid from the left; a press on a tab makes it the current one
// (TabIndex) and runs OnChange. It draws itself (a window class of its own).
#pragma once

#include "platform/forms/controls.h"
#include "platform/rtl/string_list.h"

class TTabSet : public TWinControl {
 public:
  explicit TTabSet(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TStrings* Tabs() const { return &tabs_; }
  void SetTabs(TStrings* tabs);
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int index);
  // The tab's rectangle in client coordinates (empty for no such tab).
  TRect TabRect(int index);
  TNotifyEvent OnChange;

 protected:
  void WndProc(TMessage& message) override;

 private:
  void Paint();
  mutable TStringList tabs_;
  int tabIndex_ = -1;
};
