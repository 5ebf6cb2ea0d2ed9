// The form wrapper's side of the skinned menus: the menu bar it draws in place of the
// window's, the keys and messages that open its menus, the owner-drawn items of the window's
// menus, and switching the form's menus to the skin's item drawing and back.
#include <algorithm>

#include "platform/forms/form.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/system_metrics.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/menu_item_draw.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

// Ids of the class library's and the program's own items; the rest belong to the system.
bool ApplicationId(UINT id) { return id >= 1 && id <= 4095; }

int ItemLeftMargin(const TSkinData& sd) {
  return sd.MenuItem && !sd.MenuItem->Bitmap.Empty() ? sd.MenuItem->LeftWidth : 0;
}

}  // namespace

void TWinSkinForm::SetMenusOwnerDraw(bool on) {
  if (!Form || !SkinData) return;
  TMainMenu* main = Form->MainMenu();
  if (main && InSkinControls(SkinData->SkinControls(), xcMenuItem)) SetMainMenuOwnerDraw(SkinData, *main, on);
  SetFormPopupMenusOwnerDraw(SkinData, *Form, main, on);
}

void TWinSkinForm::CloseMenus() {
  // A window that goes while its menu is open takes the menu with it.
  if (MenuTracking) EndMenu();
  if (SystemPopup) SetPopupMenuOwnerDraw(SkinData, *SystemPopup, nullptr, false);
}

void TWinSkinForm::AttachMenuBar() {
  if (MenuBar || FormKind == 2 || !GetMenu(Window)) return;
  MenuBar.reset(new TWinSkinMenu(this, SkinData));
  MenuBarHeight = GetSystemMetrics(SM_CYMENU);
  MenuBar->SetMainMenu(Form ? Form->MainMenu() : nullptr);
  MenuBar->BuildMenuBar();
}

void TWinSkinForm::DetachMenuBar() {
  if (!MenuBar) return;
  HMENU menu = Form && Form->MainMenu() ? Form->MainMenu()->Handle() : MenuBar->WindowMenu;
  if (HotElement && dynamic_cast<TMenuBtn*>(HotElement)) HotElement = nullptr;
  MenuBar.reset();
  if (IsWindow(Window) && menu && IsMenu(menu)) SetMenu(Window, menu);
}

TMenuBtn* TWinSkinForm::FindMenuButton(POINT windowPoint) const {
  return MenuBar ? MenuBar->FindButton(windowPoint) : nullptr;
}

bool TWinSkinForm::MenuBarMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_MENUSELECT:
      NoteMenuSelect(wParam, lParam);
      return false;
    case CM_MENUCHANGED: {
      // The class library gives the window its changed menu: no skinned frame is painted
      // until the bar is built again.
      struct PaintHeld {
        bool& flag;
        const bool was;
        explicit PaintHeld(bool& f) : flag(f), was(f) { flag = false; }
        ~PaintHeld() { flag = was; }
      };
      {
        PaintHeld held(SkinData->NonClientPaint);
        result = Previous(hwnd, msg, wParam, lParam);
      }
      if (!GetMenu(hwnd)) return true;
      if (MenuBar && SkinData->MenuUpdate()) {
        MenuBar->SetMainMenu(Form ? Form->MainMenu() : nullptr);
        MenuBar->BuildMenuBar();
      }
      SetMenu(hwnd, nullptr);
      PaintFrame();
      return true;
    }
    case CM_SKINMENUHIT: {
      RECT wr{};
      GetWindowRect(hwnd, &wr);
      const POINT p{GET_X_LPARAM(lParam) - wr.left, GET_Y_LPARAM(lParam) - wr.top};
      if (TMenuBtn* b = FindMenuButton(p)) TrackButtonMenu(b);
      result = 0;
      return true;
    }
    case WM_SYSCOMMAND: {
      if ((wParam & 0xFFF0) != SC_KEYMENU || MenuTracking || !MenuBar || GetCapture()) return false;
      const auto key = char16_t(LOWORD(lParam));
      if (key == u' ' || key == u'-') return false;
      TMenuBtn* b = key == 0 ? (MenuBar->Buttons.empty() ? nullptr : MenuBar->Buttons.front().get())
                             : MenuBar->FindAccelButton(key);
      if (!b) return false;
      TrackButtonMenu(b);
      result = 1;
      return true;
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      return MenuBar && OwnerDrawMessage(hwnd, msg, wParam, lParam, result);
    default:
      return false;
  }
}

void TWinSkinForm::PostMenuButtonDown(const TMenuBtn* button) {
  RECT wr{};
  GetWindowRect(Window, &wr);
  PostMessageW(Window, WM_NCLBUTTONDOWN, 1, MAKELPARAM(wr.left + button->Rect.left + 1, wr.top + button->Rect.top + 1));
}

bool TWinSkinForm::OwnerDrawMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  TMainMenu* main = MenuBar->MainMenu;
  if (msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!mis || mis->CtlType != ODT_MENU) return false;
    TMenuItem* item = main ? main->FindItem(mis->itemID) : nullptr;
    if (!item && ApplicationId(mis->itemID)) return false;
    HDC dc = GetWindowDC(hwnd);
    HGDIOBJ old = SelectObject(dc, Manager->MenuTexts.Font(false));
    if (item) {
      int w = 0, h = 0;
      {
        TCanvas canvas(dc);
        SystemMeasureMenuItem(SkinData, *item, canvas, w, h);
      }
      mis->itemWidth = UINT(std::max(w, 0));
      mis->itemHeight = UINT(std::max(h, 0));
    } else {
      char text[81] = {};
      GetMenuStringA(MenuBar->TrackedMenu, mis->itemID, text, 80, MF_BYCOMMAND);
      const SIZE extent = Manager->MenuTexts.Extent(Utf8ToWide(text), false);
      mis->itemWidth = UINT(extent.cx + 26 + ItemLeftMargin(*SkinData));
      mis->itemHeight += text[0] ? 4 : 8;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    result = TRUE;
    return true;
  }
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (!dis || dis->CtlType != ODT_MENU || !dis->hDC) return false;
  const auto menu = reinterpret_cast<HMENU>(dis->hwndItem);
  TMenuItem* item = main ? main->FindItem(dis->itemID) : nullptr;
  if (!item && ApplicationId(dis->itemID)) return false;
  TMenuItemLook look{SkinData, Manager, main ? main->Images() : nullptr, reinterpret_cast<ULONG_PTR>(menu)};
  const TRect r{dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom};
  const bool selected = (dis->itemState & ODS_SELECTED) != 0;
  TCanvas canvas(dis->hDC);
  if (item) {
    DrawSkinMenuItem(look, *item, canvas, r, selected);
  } else {
    // A raw item of the window's menu, drawn as a class-library item would be.
    TComponentPtr<TMenuItem> raw(new TMenuItem(nullptr));
    char text[81] = {};
    GetMenuStringA(menu, dis->itemID, text, 80, MF_BYCOMMAND);
    const UINT state = GetMenuState(menu, dis->itemID, MF_BYCOMMAND);
    raw->SetCaption(text[0] ? text : "-");
    raw->SetEnabled(state == 0xFFFFFFFF || !(state & (MF_GRAYED | MF_DISABLED)));
    raw->SetChecked(state != 0xFFFFFFFF && (state & MF_CHECKED));
    DrawSkinMenuItem(look, *raw, canvas, r, selected);
  }
  canvas.Refresh();
  result = TRUE;
  return true;
}
