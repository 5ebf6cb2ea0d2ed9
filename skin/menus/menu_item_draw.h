// Drawing the items of skinned menus: the submenus of the skinned menu bar, the form's popup
// menus and the skinned system menu. Items are switched to owner drawing and painted from the
// skin's MenuItem element (frame 1 normal, 2 separator, 4 selected) over the background that
// the popup skinner has painted into the menu window; without the element they are drawn in
// the skin's plain colours.
#pragma once

#include "platform/forms/menus.h"

class TCustomForm;
class TCustomImageList;
class TSkinData;
class TSkinManage;

// What drawing an item needs beside the item.
struct TMenuItemLook {
  TSkinData* SkinData = nullptr;
  TSkinManage* Manager = nullptr;
  TCustomImageList* BarImages = nullptr;  // the images of the menu bar's main menu
  ULONG_PTR OwnerKey = 0;                 // the handle of the menu that holds the item
};

void DrawSkinMenuItem(const TMenuItemLook& look, TMenuItem& item, TCanvas& canvas, const TRect& r, bool selected);
// The item's own size, widened for the skin's glyph column.
void SystemMeasureMenuItem(TSkinData* skinData, TMenuItem& item, TCanvas& canvas, int& width, int& height);

// The handlers the skin gives menu items; their type tells them from the application's own.
struct TSkinMenuItemDraw {
  TSkinData* SkinData;
  TMenu* BarMenu;
  TMenuDrawItemEvent Replaced;  // the application's drawing it stands in for, given back when off
  void operator()(TObject* sender, TCanvas* canvas, TRect rect, bool selected) const;
};
struct TSkinMenuItemMeasure {
  TSkinData* SkinData;
  bool System;  // system measure (main menus) or form measure (popup menus)
  void operator()(TObject* sender, TCanvas* canvas, int& width, int& height) const;
};

// Owner drawing of a main menu: the items below the top level that have no drawing of their
// own get the skin's handlers. Off takes away only the skin's handlers.
void SetMainMenuOwnerDraw(TSkinData* skinData, TMenu& menu, bool on);
// Owner drawing of a popup menu: every item gets the skin's drawing, and the skin's measure
// when it has none.
void SetPopupMenuOwnerDraw(TSkinData* skinData, TMenu& menu, TMenu* barMenu, bool on);
// The popup menus of a form and of the forms among its components (with xcPopupMenu, not for
// menus tagged with DisableTag).
void SetFormPopupMenusOwnerDraw(TSkinData* skinData, TCustomForm& form, TMenu* barMenu, bool on);
