// Tab controls of the class library over "SysTabControl32": TTabControl (a row of tabs named
// by a string list, one display area) and TPageControl (one TTabSheet per tab, the sheet of the
// current tab shown in the display area). A user's tab change asks OnChanging first and then
// runs OnChange; changing the index in code runs neither.
#pragma once

#include <vector>

#include "platform/forms/controls.h"
#include "platform/rtl/string_list.h"

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
const TEnumInfo& TabPositionEnumInfo();
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TWinControl {
 public:
  explicit TCustomTabControl(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TTabPosition TabPosition() const { return tabPosition_; }
  void SetTabPosition(TTabPosition p);
  // The area inside the frame, in client coordinates.
  TRect DisplayRect();
  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  // The tab texts the window shows, and the current one.
  void SetTabTexts(const std::vector<std::string>& texts, int current);
  int CurrentTab() const;
  void SelectTab(int index);
  virtual bool CanChange();
  // After a user's choice of tab `index`.
  virtual void Change(int index);

 private:
  TTabPosition tabPosition_ = tpTop;
};

class TTabControl : public TCustomTabControl {
 public:
  explicit TTabControl(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TStrings* Tabs() const { return &tabs_; }
  void SetTabs(TStrings* tabs);
  int TabIndex() const;
  void SetTabIndex(int index);

 protected:
  void InitializeWnd() override;
  void SaveWndState() override;
  void Change(int index) override;

 private:
  void Fill();
  mutable TStringList tabs_;
  int tabIndex_ = -1;
};

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* control);
  int PageIndex() const;
  void SetParent(TWinControl* parent) override;

 protected:
  void SetTextW(const std::u16string& text) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

class TPageControl : public TCustomTabControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int PageCount() const { return int(pages_.size()); }
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void InitializeWnd() override;
  void Change(int index) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  // The tabs, the sheets' places and which of them shows.
  void Arrange();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};
