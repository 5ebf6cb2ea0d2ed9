// The skin manager's side of popup menus: a skinner per open popup menu window, and the
// bookkeeping through which the menu bar and the item drawing find a popup's background.
#include <algorithm>

#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

bool TSkinManage::SkinPopupMenu(HWND window) {
  if (!Enabled || !IsWindow(window)) return false;
  // The kind of menu about to open was set before its window was made; the sweep keeps it.
  const int kind = MenuKind;
  const bool fromBar = MenuFromBar;
  SweepPopupMenus();
  MenuKind = kind;
  MenuFromBar = fromBar;
  if (SendMessageW(window, CM_SKINQUERY, 0, 0) == 1 || FindPopupMenu(window)) return false;
  TSkinData* sd = ChooseSkinData(window, "#32768");
  if (!sd || !sd->Ready()) return false;
  const TSkinControlTypes kinds = sd->SkinControls();
  const bool wanted = MenuKind == 0   ? InSkinControls(kinds, xcPopupMenu)
                      : MenuKind == 1 ? InSkinControls(kinds, xcMainMenu) || InSkinControls(kinds, xcMenuItem)
                                      : InSkinControls(kinds, xcSystemMenu);
  if (!wanted) return false;
  auto skinner = std::make_unique<TWinSkinPopMenu>(this);
  skinner->Attach(window, sd, 0);
  if (!skinner->Attached()) return false;
  skinner->FromBar = MenuFromBar;
  lists_->Popups.push_back(std::move(skinner));
  return true;
}

void TSkinManage::UnskinPopupMenu(HWND window) {
  for (auto& p : lists_->Popups)
    if (p->Window == window) p->Detach();
  SweepPopupMenus();
}

TWinSkinPopMenu* TSkinManage::FindPopupMenu(HWND window) const {
  for (const auto& p : lists_->Popups)
    if (p->Window == window && p->Attached()) return p.get();
  return nullptr;
}

void TSkinManage::SweepPopupMenus() {
  for (size_t i = lists_->Popups.size(); i-- > 0;) {
    TWinSkinPopMenu* p = lists_->Popups[i].get();
    if (p->Depth > 0) continue;
    if (p->Attached() && IsWindow(p->Window)) continue;
    lists_->Popups.erase(lists_->Popups.begin() + long(i));
  }
  const bool open = std::any_of(lists_->Popups.begin(), lists_->Popups.end(), [](const auto& p) { return p->Attached(); });
  if (!open) {
    MenuKind = 0;
    MenuFromBar = false;
  }
}

void TSkinManage::DropPopupMenus(TSkinData* skinData) {
  for (auto& p : lists_->Popups)
    if (!skinData || p->SkinData == skinData) p->Detach();
  SweepPopupMenus();
}

void TSkinManage::MarkPopupsFromBar() {
  for (auto& p : lists_->Popups) p->FromBar = true;
}

void TSkinManage::SetPopupOwnerKey(ULONG_PTR key) {
  if (!key || FindPopupByOwnerKey(key)) return;
  for (size_t i = lists_->Popups.size(); i-- > 0;)
    if (lists_->Popups[i]->Attached() && lists_->Popups[i]->OwnerKey == 0) {
      lists_->Popups[i]->OwnerKey = key;
      return;
    }
}

TWinSkinPopMenu* TSkinManage::FindPopupByOwnerKey(ULONG_PTR key) const {
  for (const auto& p : lists_->Popups)
    if (key && p->OwnerKey == key && p->Attached()) return p.get();
  return nullptr;
}

void TSkinManage::RepaintPopups() {
  for (auto& p : lists_->Popups)
    if (p->Attached()) p->EnsureBackground();
}
