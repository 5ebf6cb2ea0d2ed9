// TWinSkinMenu: the skinned menu bar of a form wrapper. The window's menu is taken away and
// the bar is drawn in the non-client area, between the caption and the client area, from the
// skin's "menuBar" element; every top-level item is a TMenuBtn. A button opens its item's
// submenu with TrackPopupMenu below itself, and while that menu is open a message-filter hook
// lets the arrow keys and the mouse move to the neighbouring bar menus.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/accel_char.h"
#include "platform/forms/classes.h"
#include "platform/forms/menus.h"
#include "platform/gdi/bitmap.h"
#include "skin/forms/nc_objects.h"

class TSkinData;
class TWinSkinForm;
class TWinSkinMenu;

// One top-level item of the skinned menu bar.
class TMenuBtn : public TNCObject {
 public:
  TMenuBtn(TWinSkinForm* owner, TWinSkinMenu* bar) : TNCObject(owner), Bar(bar) {}
  void Paint() override;

  TWinSkinMenu* Bar;
  TMenuItem* Item = nullptr;
  int Index = 0;
  std::u16string Caption;
  HMENU SubMenu = nullptr;
  UINT Command = 0;
  int TextWidth = 0;  // the caption's width (plus 10), measured as the bar is laid out
};

class TWinSkinMenu : public TComponent {
 public:
  TWinSkinMenu(TWinSkinForm* wrapper, TSkinData* skinData);
  ~TWinSkinMenu() override;

  void SetMainMenu(TMainMenu* menu);
  // Makes the buttons again from the window's menu and takes the menu from the window.
  void BuildMenuBar();
  // The same from an MDI frame's new menu, the buttons laid out at once.
  void RebuildFromFrameMenu(HMENU menu);
  // The main menu (or, without one, the window menu) reads right to left.
  bool RightToLeft() const;
  // Draws the bar into the rectangle (window coordinates) of the window DC.
  void Paint(HDC dc, const RECT& bar);
  // The first button under a window point whose caption is not empty.
  TMenuBtn* FindButton(POINT windowPoint) const;
  // The first visible, enabled button whose caption has the key as its access key.
  TMenuBtn* FindAccelButton(char16_t key) const;
  // Draws one button's caption centred in a rectangle of a DC.
  void DrawCaption(HDC dc, const TMenuBtn& button, const RECT& r);
  void Notification(TComponent* component, TOperation operation) override;

  std::vector<std::unique_ptr<TMenuBtn>> Buttons;
  TMainMenu* MainMenu = nullptr;
  RECT BarRect{0, 0, 0, 0};
  TSkinData* SkinData;
  TWinSkinForm* Wrapper;
  TBitmap Background;  // the bar without buttons, as last painted
  bool Painting = false;
  HMENU WindowMenu = nullptr;
  HMENU TrackedMenu = nullptr;  // the submenu open from the bar

 private:
  void DropButtons();
  void Build(bool keepWindowText);
  void Layout(const RECT& bar, HDC picture);
};

// The menu loop's note of the item selected in the open bar menu (WM_MENUSELECT, as the bar's
// window gets it); nothing when no bar menu is open.
void NoteMenuSelect(WPARAM wParam, LPARAM lParam);
