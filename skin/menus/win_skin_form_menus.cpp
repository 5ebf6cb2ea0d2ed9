// The form wrapper's side of the skinned menus: switching the form's menus to the skin's item
// drawing and back.
#include "platform/forms/form.h"
#include "platform/user/menus.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/menu_item_draw.h"
#include "skin/skin_data.h"

void TWinSkinForm::SetMenusOwnerDraw(bool on) {
  if (!Form || !SkinData) return;
  SetFormPopupMenusOwnerDraw(SkinData, *Form, nullptr, on);
}

void TWinSkinForm::CloseMenus() {
  // A window that goes while its menu is open takes the menu with it.
  if (MenuTracking) EndMenu();
  if (SystemPopup) SetPopupMenuOwnerDraw(SkinData, *SystemPopup, nullptr, false);
}
