// The skinned system menu of a form wrapper: a popup menu of the class library made from the
// window's system menu, with the skin's glyphs and item drawing, whose items post the
// window's system commands.
#include "platform/forms/menus.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/menu_item_draw.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

constexpr int kSystemMenuTag = 33333;

struct TSysItemRule {
  int image;
  bool enabled;
};

}  // namespace

void TWinSkinForm::BuildSystemMenu() {
  SystemPopup.reset(CreateComponent<TPopupMenu>(nullptr));
  TPopupMenu& popup = *SystemPopup;
  popup.SetTag(kSystemMenuTag);
  popup.SetImages(SkinData->MenuGlyphs.get());
  HMENU sys = GetSystemMenu(Window, FALSE);
  SystemMenu = sys;
  const int count = sys ? GetMenuItemCount(sys) : 0;
  const HWND window = Window;
  for (int i = 0; i < count; ++i) {
    char text[81] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 80;
    if (!GetMenuItemInfoA(sys, static_cast<UINT>(i), TRUE, &info)) continue;
    auto* item = new TMenuItem(&popup);
    item->SetCaption(text[0] ? text : "-");
    item->SetTag(info.wID);
    TSysItemRule rule{-1, true};
    switch (info.wID) {
      // Neither a maximised nor a minimised window is moved or sized from its menu.
      case SC_SIZE: case SC_MOVE: rule = {-1, WindowState == 0}; break;
      case SC_MINIMIZE: rule = {2, WindowState != 2 && (BorderIcons & 2) != 0}; break;
      case SC_MAXIMIZE: rule = {1, WindowState != 1 && (BorderIcons & 1) != 0}; break;
      case SC_CLOSE: rule = {3, true}; break;
      case SC_RESTORE: rule = {0, WindowState != 0}; break;
      default: break;
    }
    item->SetImageIndex(rule.image);
    item->SetEnabled(rule.enabled && (info.fState & 3) == 0);
    item->SetChecked((info.fState & MFS_CHECKED) != 0);
    const UINT command = info.wID;
    item->OnClick = [window, command](TObject*) { PostMessageW(window, WM_SYSCOMMAND, command, 0); };
    popup.Items()->Add(item);
  }
  SetPopupMenuOwnerDraw(SkinData, popup, nullptr, true);
}
