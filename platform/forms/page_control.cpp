#include "platform/forms/page_control.h"

#include <algorithm>

#include "platform/forms/win/common_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

const TEnumInfo& TabPositionEnumInfo() {
  static const TEnumInfo e{"TTabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"}};
  return e;
}

// ---- TCustomTabControl ----

const TClassInfo& TCustomTabControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomTabControl>("TCustomTabControl", &TWinControl::StaticClassInfo())
          .Prop("TabPosition", &TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition,
                {.Enum = &TabPositionEnumInfo(), .Default = tpTop})
          .Event("OnChange", &TCustomTabControl::OnChange)
          .Event("OnChanging", &TCustomTabControl::OnChanging)
          .Build();
  return info;
}

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
  width_ = 289;
  height_ = 193;
  color_ = clBtnFace;
  SetTabStop(true);
}

void TCustomTabControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WinClassName = WC_TABCONTROL;
  p.SystemClass = true;
  p.Style |= WS_CLIPCHILDREN;
  switch (tabPosition_) {
    case tpTop: break;
    case tpBottom: p.Style |= TCS_BOTTOM; break;
    case tpLeft: p.Style |= TCS_VERTICAL; break;
    case tpRight: p.Style |= TCS_VERTICAL | TCS_RIGHT; break;
  }
}

void TCustomTabControl::SetTabPosition(TTabPosition p) {
  if (p == tabPosition_) return;
  tabPosition_ = p;
  if (HWND h = HandleIfAllocated()) {
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~LONG_PTR(TCS_BOTTOM | TCS_VERTICAL);
    if (p == tpBottom || p == tpRight) style |= TCS_BOTTOM;
    if (p == tpLeft || p == tpRight) style |= TCS_VERTICAL;
    SetWindowLongPtrW(h, GWL_STYLE, style);
    Invalidate();
  }
}

TRect TCustomTabControl::DisplayRect() {
  RECT r{0, 0, width_, height_};
  if (HWND h = Handle()) {
    GetClientRect(h, &r);
    SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  }
  return TRect(r);
}

void TCustomTabControl::SetTabTexts(const std::vector<std::string>& texts, int current) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  SendMessageW(h, TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < texts.size(); ++i) {
    std::u16string w = Utf8ToWide(texts[i]);
    TCITEMW item;
    item.mask = TCIF_TEXT;
    item.pszText = w.data();
    SendMessageW(h, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  if (current >= 0) SendMessageW(h, TCM_SETCURSEL, WPARAM(current), 0);
}

int TCustomTabControl::CurrentTab() const {
  HWND h = HandleIfAllocated();
  return h ? int(SendMessageW(h, TCM_GETCURSEL, 0, 0)) : -1;
}

void TCustomTabControl::SelectTab(int index) {
  if (HWND h = HandleIfAllocated()) SendMessageW(h, TCM_SETCURSEL, WPARAM(index), 0);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change(int) {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY && m.LParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
    if (header->code == TCN_SELCHANGING) {
      m.Result = CanChange() ? 0 : 1;
      return;
    }
    if (header->code == TCN_SELCHANGE) {
      Change(CurrentTab());
      m.Result = 0;
      return;
    }
  }
  TWinControl::WndProc(m);
}

// ---- TTabControl ----

const TClassInfo& TTabControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TTabControl>("TTabControl", &TCustomTabControl::StaticClassInfo())
          .Prop("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs)
          .Prop("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex, {.Default = -1})
          .Creator([](TComponent* o) { return new TTabControl(o); })
          .Build();
  return info;
}

TTabControl::TTabControl(TComponent* owner) : TCustomTabControl(owner) {
  tabs_.OnChange = [this] { Fill(); };
}

void TTabControl::SetTabs(TStrings* tabs) {
  if (tabs && tabs != &tabs_) tabs_.Assign(*tabs);
}

void TTabControl::Fill() {
  if (tabIndex_ >= tabs_.Count()) tabIndex_ = tabs_.Count() - 1;
  if (tabIndex_ < 0 && tabs_.Count() > 0) tabIndex_ = 0;
  std::vector<std::string> texts;
  for (int i = 0; i < tabs_.Count(); ++i) texts.push_back(tabs_[i]);
  SetTabTexts(texts, tabIndex_);
}

void TTabControl::InitializeWnd() { Fill(); }

void TTabControl::SaveWndState() { tabIndex_ = TabIndex(); }

int TTabControl::TabIndex() const { return HandleIfAllocated() ? CurrentTab() : tabIndex_; }

void TTabControl::SetTabIndex(int index) {
  if (index < -1 || index >= tabs_.Count()) return;
  tabIndex_ = index;
  SelectTab(index);
}

void TTabControl::Change(int index) {
  tabIndex_ = index;
  TCustomTabControl::Change(index);
}

// ---- TTabSheet ----

const TClassInfo& TTabSheet::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TTabSheet>("TTabSheet", &TWinControl::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TTabSheet(o); })
                                     .Build();
  return info;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  color_ = clBtnFace;
  parentColor_ = true;
  visible_ = false;
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  auto* pc = dynamic_cast<TPageControl*>(parent);
  if (pc != pageControl_) {
    if (pageControl_) pageControl_->RemovePage(this);
    if (pc) pc->InsertPage(this);
  }
}

void TTabSheet::SetPageControl(TPageControl* control) { SetParent(control); }

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& p = pageControl_->pages_;
  return int(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetTextW(const std::u16string& text) {
  TWinControl::SetTextW(text);
  if (pageControl_) pageControl_->Arrange();
}

// ---- TPageControl ----

const TClassInfo& TPageControl::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TPageControl>("TPageControl", &TCustomTabControl::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TPageControl(o); })
                                     .Build();
  return info;
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
  return index >= 0 && size_t(index) < pages_.size() ? pages_[size_t(index)] : nullptr;
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) { SetActivePage(Pages(index)); }

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  active_ = page;
  Arrange();
}

void TPageControl::InsertPage(TTabSheet* page) {
  page->pageControl_ = this;
  pages_.push_back(page);
  if (!active_) active_ = page;
  Arrange();
}

void TPageControl::RemovePage(TTabSheet* page) {
  page->pageControl_ = nullptr;
  std::erase(pages_, page);
  if (active_ == page) active_ = pages_.empty() ? nullptr : pages_.front();
  Arrange();
}

void TPageControl::InitializeWnd() { Arrange(); }

void TPageControl::SetBounds(int left, int top, int width, int height) {
  TCustomTabControl::SetBounds(left, top, width, height);
  Arrange();
}

void TPageControl::Arrange() {
  if (!HandleAllocated() || IsDestroying()) return;
  std::vector<std::string> texts;
  for (TTabSheet* p : pages_) texts.push_back(p->Caption());
  SetTabTexts(texts, ActivePageIndex());
  const TRect area = DisplayRect();
  for (TTabSheet* p : pages_) {
    p->SetBounds(area.left, area.top, area.Width(), area.Height());
    p->SetVisible(p == active_);
  }
}

void TPageControl::Change(int index) {
  active_ = Pages(index);
  for (TTabSheet* p : pages_) p->SetVisible(p == active_);
  TCustomTabControl::Change(index);
}
