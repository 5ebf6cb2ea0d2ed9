// Opening the skinned menu bar's menus: a button's submenu tracked below it, and the message
// filter that moves to the neighbouring bar menu with the arrow keys or the mouse, as a menu
// bar of the system does. One bar menu can be open at a time; the loop's state lives only while
// TrackPopupMenu runs.
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_manage.h"

namespace {

struct TMenuLoop {
  HHOOK Hook = nullptr;
  TWinSkinForm* Wrapper = nullptr;
  int OpenIndex = -1;
  HMENU OpenMenu = nullptr;
  TMenuItem* Selected = nullptr;
  POINT LastMouse{-1, -1};
  bool Switching = false;
  bool First = true;
};

// The loop of the bar menu that is open, if any.
TMenuLoop* menuLoop = nullptr;

TMenuItem* FindByHandle(TMenuItem* item, HMENU handle) {
  if (!item || !handle) return nullptr;
  if (item->Handle() == handle) return item;
  for (int i = 0; i < item->Count(); ++i)
    if (TMenuItem* found = FindByHandle(item->Items(i), handle)) return found;
  return nullptr;
}

// Gives every item of a menu tree to the owner to draw.
void OwnerDrawTree(HMENU menu, int depth) {
  if (!menu || depth > 16) return;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, UINT(i), TRUE, &info)) continue;
    info.fMask = MIIM_FTYPE;
    info.fType |= MFT_OWNERDRAW;
    SetMenuItemInfoA(menu, UINT(i), TRUE, &info);
    OwnerDrawTree(info.hSubMenu, depth + 1);
  }
}

TWinSkinMenu* BarOf(const TMenuLoop& loop) { return loop.Wrapper ? loop.Wrapper->MenuBar.get() : nullptr; }

void Candidate(TMenuLoop& loop, TMenuBtn* button) {
  if (!button || button->Index == loop.OpenIndex) return;
  loop.Switching = true;
  loop.Wrapper->PostMenuButtonDown(button);
}

// Only a button with a menu is moved to: stepping over a command would carry it out.
bool Opens(const TMenuBtn& b) { return b.SubMenu && b.Visible && !b.Caption.empty(); }

// The next button with a menu in a direction, wrapping around the bar.
TMenuBtn* Neighbour(TWinSkinMenu& bar, int from, int step) {
  const int n = int(bar.Buttons.size());
  for (int k = 1; k < n; ++k) {
    TMenuBtn* b = bar.Buttons[size_t(((from + step * k) % n + n) % n)].get();
    if (Opens(*b)) return b;
  }
  return nullptr;
}

void NeighbourByKey(TMenuLoop& loop, WPARAM key) {
  TWinSkinMenu* bar = BarOf(loop);
  if (!bar || bar->Buttons.empty() || loop.OpenIndex < 0) return;
  if (key == VK_RIGHT && !(loop.Selected && loop.Selected->Count() > 0)) {
    Candidate(loop, Neighbour(*bar, loop.OpenIndex, 1));
  } else if (key == VK_LEFT) {
    const bool top = !loop.Selected || loop.Selected->Handle() == loop.OpenMenu ||
                     (loop.Selected->Parent() && loop.Selected->Parent()->Handle() == loop.OpenMenu);
    if (top) Candidate(loop, Neighbour(*bar, loop.OpenIndex, -1));
  }
}

LRESULT MenuMsgFilterProc(int code, WPARAM wParam, LPARAM lParam) {
  TMenuLoop* loop = menuLoop;
  // The arrows of a right-to-left menu point the other way.
  if (auto* msg = reinterpret_cast<MSG*>(lParam); loop && msg && loop->Selected && loop->Selected->GetParentMenu() &&
      loop->Selected->GetParentMenu()->IsRightToLeft() && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
      (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT))
    msg->wParam = msg->wParam == VK_LEFT ? VK_RIGHT : VK_LEFT;
  const LRESULT next = CallNextHookEx(loop ? loop->Hook : nullptr, code, wParam, lParam);
  if (next != 0 || code != MSGF_MENU || !loop || !BarOf(*loop)) return next;
  auto* m = reinterpret_cast<MSG*>(lParam);
  if (!m) return next;
  if (loop->First) {
    // The opened menu starts with its first item selected.
    loop->First = false;
    const auto& popups = loop->Wrapper->Manager->Popups();
    HWND menuWindow = popups.empty() ? m->hwnd : popups.back()->Window;
    PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  }
  switch (m->message) {
    case WM_SYSKEYDOWN:
      if (m->wParam == VK_MENU) loop->Wrapper->MenuTracking = false;
      break;
    case WM_MENUSELECT:
      NoteMenuSelect(m->wParam, m->lParam);
      break;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      if (m->pt.x != loop->LastMouse.x || m->pt.y != loop->LastMouse.y) {
        loop->LastMouse = m->pt;
        RECT wr{};
        GetWindowRect(loop->Wrapper->Window, &wr);
        TMenuBtn* under = BarOf(*loop)->FindButton(POINT{m->pt.x - wr.left, m->pt.y - wr.top});
        if (under && Opens(*under)) Candidate(*loop, under);
      }
      break;
    case WM_KEYDOWN:
      if (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) loop->Switching = false;
      if (m->wParam == VK_RIGHT || m->wParam == VK_LEFT) NeighbourByKey(*loop, m->wParam);
      break;
    default:
      break;
  }
  return next;
}

}  // namespace

void NoteMenuSelect(WPARAM wParam, LPARAM lParam) {
  TMenuLoop* loop = menuLoop;
  if (!loop) return;
  const UINT flags = HIWORD(wParam);
  const auto menu = reinterpret_cast<HMENU>(lParam);
  if (flags == 0xFFFF && !menu) {
    if (!loop->Switching && loop->Wrapper) loop->Wrapper->MenuTracking = false;
    return;
  }
  loop->Switching = false;
  TWinSkinMenu* bar = BarOf(*loop);
  TMainMenu* main = bar ? bar->MainMenu : nullptr;
  if (!main) {
    loop->Selected = nullptr;
    return;
  }
  if (flags & MF_POPUP) {
    loop->Selected = FindByHandle(main->Items(), GetSubMenu(menu, int(LOWORD(wParam))));
  } else {
    loop->Selected = main->FindItem(LOWORD(wParam));
  }
}

void TWinSkinForm::TrackButtonMenu(TMenuBtn* button) {
  if (!button || !MenuBar || menuLoop) return;
  PostMessageW(Window, WM_COMMAND, button->Command, 0);
  if (!button->SubMenu) return;
  // What tracking needs is copied: the bar may be rebuilt or freed while the menu is open.
  const HMENU submenu = button->SubMenu;
  const bool enabled = button->Enabled;
  TMenuLoop loop;
  loop.Wrapper = this;
  loop.OpenIndex = button->Index;
  loop.OpenMenu = submenu;
  RECT wr{};
  GetWindowRect(Window, &wr);
  OwnerDrawTree(submenu, 0);
  MenuTracking = true;
  // A right-to-left caption opens the menu under the button's right edge, aligned to it.
  const POINT at{wr.left + (RightToLeft ? button->Rect.right : button->Rect.left), wr.top + button->Rect.bottom};
  const UINT flags = TPM_NONOTIFY | TPM_RIGHTBUTTON | (RightToLeft ? TPM_RIGHTALIGN : 0);
  Manager->MenuKind = 1;
  Manager->MenuFromBar = true;
  MenuBar->TrackedMenu = submenu;
  GetCursorPos(&loop.LastMouse);
  loop.Hook = SetWindowsHookExA(WH_MSGFILTER, MenuMsgFilterProc, nullptr, GetCurrentThreadId());
  // The manager holds the record too: should it end meanwhile, it takes the hook away.
  Manager->RegisterHook(loop.Hook);
  menuLoop = &loop;
  struct Unhook {
    TMenuLoop& loop;
    TSkinManage* manager;
    ~Unhook() {
      if (loop.Hook) {
        manager->UnregisterHook(loop.Hook);
        UnhookWindowsHookEx(loop.Hook);
      }
      loop.Selected = nullptr;
      loop.OpenIndex = -1;
      menuLoop = nullptr;
    }
  } unhook{loop, Manager};
  if (enabled) TrackPopupMenu(submenu, flags, at.x, at.y, 0, Window, nullptr);
  MenuTracking = false;
  if (MenuBar) MenuBar->TrackedMenu = nullptr;
}
