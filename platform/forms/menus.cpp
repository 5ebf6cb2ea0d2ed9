#include "platform/forms/menus.h"

#include <algorithm>

#include "platform/forms/image_list.h"

#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/system_metrics.h"
#include "platform/gdi/font.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/menu_marks.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/system_params.h"
#include "platform/user/window.h"

namespace {

// Command numbers of items; the window layer's menu ids are 16 bits wide.
UINT NextCommand() {
  static UINT next = 0;
  next = next % 0xFFFE + 1;
  return next;
}

// Bounds what a hostile tree could make of a menu of the window layer.
constexpr int kMaxMenuDepth = 16;
// The column left of the caption that holds the glyph or the check mark: 16 pixels, or the
// image list's width.
int GlyphSize(const TCustomImageList* images) { return images ? std::max(images->Width(), 16) : 16; }

const char* KeyName(unsigned key) {
  static const std::pair<unsigned, const char*> names[] = {
      {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},  {VK_SPACE, "Space"},
      {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},  {VK_END, "End"},      {VK_HOME, "Home"},   {VK_LEFT, "Left"},
      {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},  {VK_DELETE, "Del"}};
  for (const auto& [k, n] : names)
    if (k == key) return n;
  return nullptr;
}

std::u16string Wide(const std::string& s) { return Utf8ToWide(s); }

// The menu font of the desktop settings, for measuring items outside any paint.
HFONT CreateMenuFont() {
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof m;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) return nullptr;
  return CreateFontIndirectW(m.lfMenuFont);
}

// The owner window of an open popup menu: it measures and draws the menu's owner-drawn items.
TPopupMenu* trackedMenu = nullptr;

LRESULT CALLBACK_PopupOwner(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (trackedMenu && msg == WM_MEASUREITEM &&
      MeasureMenuItemMessage(*trackedMenu, h, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
    return TRUE;
  if (trackedMenu && msg == WM_DRAWITEM && DrawMenuItemMessage(*trackedMenu, reinterpret_cast<DRAWITEMSTRUCT*>(lParam)))
    return TRUE;
  return DefWindowProcW(h, msg, wParam, lParam);
}

HWND CreatePopupOwner() {
  static const char16_t* const kClass = u"TPopupMenuOwner";
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, kClass, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CALLBACK_PopupOwner;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
  }
  return CreateWindowExW(WS_EX_TOOLWINDOW, kClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

bool MeasureMenuItemMessage(TMenu& menu, HWND window, MEASUREITEMSTRUCT* mis) {
  TMenuItem* item = mis && mis->CtlType == ODT_MENU ? menu.FindItem(mis->itemID) : nullptr;
  if (!item) return false;
  HDC dc = GetDC(window);
  HFONT font = CreateMenuFont();
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  int width = 0, height = 0;
  {
    TCanvas canvas(dc);
    if (font) canvas.Font().SetHandle(font);
    item->MeasureItem(canvas, width, height);
  }
  if (old) SelectObject(dc, old);
  if (font) DeleteObject(font);
  ReleaseDC(window, dc);
  mis->itemWidth = static_cast<UINT>(std::max(width, 0));
  mis->itemHeight = static_cast<UINT>(std::max(height, 0));
  return true;
}

bool DrawMenuItemMessage(TMenu& menu, DRAWITEMSTRUCT* dis) {
  TMenuItem* item = dis && dis->CtlType == ODT_MENU ? menu.FindItem(dis->itemID) : nullptr;
  if (!item || !dis->hDC) return false;
  int saved = SaveDC(dis->hDC);
  {
    TCanvas canvas(dis->hDC);
    const RECT& r = dis->rcItem;
    item->DrawItem(canvas, TRect{r.left, r.top, r.right, r.bottom}, (dis->itemState & ODS_SELECTED) != 0);
  }
  RestoreDC(dis->hDC, saved);
  return true;
}

std::string ShortCutToText(TShortCut shortCut) {
  unsigned key = shortCut & 0xFF;
  std::string name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
    name = std::string(1, static_cast<char>(key));
  } else if (key >= VK_F1 && key <= VK_F1 + 11) {
    name = "F" + std::to_string(key - VK_F1 + 1);
  } else if (const char* n = KeyName(key)) {
    name = n;
  } else {
    return "";
  }
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

// ---- TMenuItem ----

const TClassInfo& TMenuItem::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClassInfo())
                                     .Prop("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
                                     .Prop("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, {.Default = 0})
                                     .Prop("Default", &TMenuItem::Default, &TMenuItem::SetDefault, {.Default = 0})
                                     .Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, {.Default = 1})
                                     .Prop("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem,
                                           {.Default = 0})
                                     .Prop("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex,
                                           {.Default = -1})
                                     .Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, {.Default = 1})
                                     .Prop("ShortCut", &TMenuItem::ShortCutValue, &TMenuItem::SetShortCutValue,
                                           {.Default = 0})
                                     .Event("OnClick", &TMenuItem::OnClick)
                                     .Creator([](TComponent* o) { return new TMenuItem(o); })
                                     .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  Clear();
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent)) {
    menu->Items()->Add(this);
  } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
    item->Add(this);
  }
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::MenuChanged() {
  if (TMenu* menu = GetParentMenu()) menu->Changed();
}

TMenuItem* TMenuItem::Items(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw EInvalidOperation("A menu item cannot contain itself");
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  MenuChanged();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  MenuChanged();
}

void TMenuItem::Delete(int index) {
  if (TMenuItem* item = Items(index)) {
    Remove(item);
    item->Free();
  }
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

TCustomImageList* TMenuItem::GetImageList() const {
  for (const TMenuItem* p = parent_; p; p = p->parent_)
    if (p->subMenuImages_) return p->subMenuImages_;
  TMenu* menu = GetParentMenu();
  return menu ? menu->Images() : nullptr;
}

TMenuItem* TMenuItem::Find(UINT command) {
  if (command == command_) return this;
  for (TMenuItem* item : items_)
    if (TMenuItem* found = item->Find(command)) return found;
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_ || !OnClick) return;
  TNotifyEvent handler = OnClick;
  handler(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
  DefaultMeasure(canvas, width, height);
  if (OnMeasureItem) {
    // A copy runs, so that a handler may replace or clear the event while it runs.
    TMenuMeasureItemEvent handler = OnMeasureItem;
    handler(this, &canvas, width, height);
  }
}

void TMenuItem::DefaultMeasure(TCanvas& canvas, int& width, int& height) const {
  TCustomImageList* images = GetImageList();
  int glyph = GlyphSize(images);
  if (IsLine()) {
    width = 0;
    height = GetSystemMetrics(SM_CYMENU) / 2;
    return;
  }
  RECT r{0, 0, 0, 0};
  std::u16string text = Wide(caption_);
  DrawTextW(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  width = glyph + 3 + (r.right - r.left) + 8;
  std::string keys = ShortCutToText(shortCut_);
  if (!keys.empty()) width += canvas.TextWidth(keys) + 16;
  height = std::max<int>(r.bottom - r.top + 4, (images ? images->Height() : 16) + 2);
}

void TMenuItem::DrawItem(TCanvas& canvas, const TRect& rect, bool selected) {
  if (OnDrawItem) {
    TMenuDrawItemEvent handler = OnDrawItem;
    handler(this, &canvas, rect, selected);
    return;
  }
  HDC dc = canvas.Handle();
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  FillRect(dc, &r, GetSysColorBrush(selected && !IsLine() ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (IsLine()) {
    RECT line{r.left, r.top + (r.bottom - r.top) / 2 - 1, r.right, r.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  TCustomImageList* images = GetImageList();
  int glyph = GlyphSize(images);
  RECT box{r.left + 1, r.top + 1, r.left + 1 + glyph, r.top + 1 + glyph};
  if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
    images->Draw(canvas, box.left + (glyph - images->Width()) / 2, r.top + (r.bottom - r.top - images->Height()) / 2,
                 imageIndex_, enabled_);
  } else if (checked_ && radioItem_) {
    COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    DrawMenuBullet(dc, RECT{box.left, r.top, box.right, r.bottom}, ink);
  } else if (checked_) {
    COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    DrawMenuCheck(dc, RECT{box.left, r.top, box.right, r.bottom}, ink);
  }
  RECT textRect{box.right + 3, r.top, r.right - 1, r.bottom};
  int colour = !enabled_ ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
  SetTextColor(dc, GetSysColor(colour));
  SetBkMode(dc, TRANSPARENT);
  std::u16string text = Wide(caption_);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS);
  std::u16string keys = Wide(ShortCutToText(shortCut_));
  if (!keys.empty()) {
    RECT keyRect{textRect.left, r.top, r.right - 11, r.bottom};
    DrawTextW(dc, keys.c_str(), static_cast<int>(keys.size()), &keyRect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
}

// ---- TMenu ----

const TClassInfo& TMenu::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMenu>("TMenu", &TComponent::StaticClassInfo())
                                     .Prop("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw, {.Default = 0})
                                     .Prop("BiDiMode", &TMenu::BiDiMode, &TMenu::SetBiDiMode,
                                           {.Enum = &BiDiModeEnumInfo(), .Default = 0})
                                     .Prop("ParentBiDiMode", &TMenu::ParentBiDiMode, &TMenu::SetParentBiDiMode,
                                           {.Default = 1})
                                     .Build();
  return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) { items_->menu_ = this; }

TMenu::~TMenu() {
  // The items go with the menu; the root is one of the menu's components and goes with them.
  items_->Clear();
}

TBiDiMode TMenu::BiDiMode() const {
  if (parentBiDiMode_)
    if (auto* owner = dynamic_cast<const TControl*>(Owner())) return owner->BiDiMode();
  return biDiMode_;
}

void TMenu::SetBiDiMode(TBiDiMode mode) {
  const bool was = IsRightToLeft();
  biDiMode_ = mode;
  parentBiDiMode_ = false;
  if (was != IsRightToLeft()) Changed();
}

void TMenu::SetParentBiDiMode(bool v) {
  const bool was = IsRightToLeft();
  parentBiDiMode_ = v;
  if (was != IsRightToLeft()) Changed();
}

void TMenu::SetImages(TCustomImageList* v) {
  if (images_ == v) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = v;
  if (images_) images_->FreeNotification(this);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == images_) images_ = nullptr;
}

HMENU TMenu::BuildHandle(TMenuItem* root) const {
  struct Builder {
    bool ownerDraw;
    bool rightToLeft;
    HMENU Build(const TMenuItem* parent, int depth) const {
      HMENU menu = CreatePopupMenu();
      parent->handle_ = menu;
      for (int i = 0; i < parent->Count(); ++i) {
        const TMenuItem* item = parent->Items(i);
        if (!item->Visible()) continue;
        std::u16string text = Utf8ToWide(item->Caption());
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING;
        mii.fType = (item->IsLine() ? MFT_SEPARATOR : MFT_STRING) | (ownerDraw ? MFT_OWNERDRAW : 0) |
                    (item->RadioItem() ? MFT_RADIOCHECK : 0) | (rightToLeft ? MFT_RIGHTORDER : 0);
        mii.fState = (item->Enabled() ? 0 : MFS_GRAYED) | (item->Checked() ? MFS_CHECKED : 0) |
                     (item->Default() ? MFS_DEFAULT : 0);
        mii.wID = item->Command();
        mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
        if (item->Count() > 0 && depth < kMaxMenuDepth) {
          mii.fMask |= MIIM_SUBMENU;
          mii.hSubMenu = Build(item, depth + 1);
        }
        InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &mii);
      }
      return menu;
    }
  };
  return Builder{ownerDraw_, IsRightToLeft()}.Build(root ? root : items_, 0);
}

// ---- TMainMenu ----

const TClassInfo& TMainMenu::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMainMenu>("TMainMenu", &TMenu::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TMainMenu(o); })
                                     .Build();
  return info;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
  window_ = nullptr;
  if (handle_) DestroyMenu(handle_);
}

HMENU TMainMenu::Handle() {
  if (handle_ && IsMenu(handle_)) return handle_;
  handle_ = CreateMenu();
  Items()->handle_ = handle_;
  for (int i = 0; i < Items()->Count(); ++i) {
    TMenuItem* item = Items()->Items(i);
    if (!item->Visible()) continue;
    std::u16string text = Utf8ToWide(item->Caption());
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING;
    mii.fType = (item->IsLine() ? MFT_SEPARATOR : MFT_STRING) | (IsRightToLeft() ? MFT_RIGHTORDER | MFT_RIGHTJUSTIFY : 0);
    mii.fState = item->Enabled() ? 0 : MFS_GRAYED;
    mii.wID = item->Command();
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    if (item->Count() > 0) {
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = BuildHandle(item);
    }
    InsertMenuItemW(handle_, static_cast<UINT>(GetMenuItemCount(handle_)), TRUE, &mii);
  }
  return handle_;
}

void TMainMenu::Changed() {
  if (!handle_ || (ComponentState() & csLoading)) return;
  // The old menu goes once the window has taken the new one.
  HMENU old = handle_;
  handle_ = nullptr;
  if (window_ && IsWindow(window_)) {
    SendMessageW(window_, CM_MENUCHANGED, 0, 0);
  }
  if (IsMenu(old)) DestroyMenu(old);
}

// ---- TPopupMenu ----

const TClassInfo& TPopupMenu::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TPopupMenu>("TPopupMenu", &TMenu::StaticClassInfo())
                                     .Event("OnPopup", &TPopupMenu::OnPopup)
                                     .Creator([](TComponent* o) { return new TPopupMenu(o); })
                                     .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() {
  if (!freedWhileOpen_) return;
  *freedWhileOpen_ = true;
  if (trackedMenu == this) trackedMenu = nullptr;
  EndMenu();
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  if (trackedMenu) return;  // the window layer shows one menu at a time
  HMENU menu = BuildHandle(nullptr);
  HWND owner = CreatePopupOwner();
  trackedMenu = this;
  bool freed = false;
  freedWhileOpen_ = &freed;
  UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, (IsRightToLeft() ? TPM_RIGHTALIGN : TPM_LEFTALIGN) | TPM_LEFTBUTTON | TPM_RETURNCMD, x, y, 0,
                     owner, nullptr));
  DestroyWindow(owner);
  DestroyMenu(menu);
  if (freed) return;
  freedWhileOpen_ = nullptr;
  trackedMenu = nullptr;
  if (command)
    if (TMenuItem* item = FindItem(command)) item->Click();
}
