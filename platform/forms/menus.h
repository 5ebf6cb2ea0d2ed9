// Menus of the class library: TMenuItem trees, TMenu with its image list and owner drawing,
// and TPopupMenu shown at a screen point. Items reach the screen as items of menus of the
// window layer; with OwnerDraw each item is measured and drawn through its OnMeasureItem and
// OnDrawItem events, or by its own default look when it has none.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/classes.h"
#include "platform/forms/controls.h"

class TCustomImageList;
class TMenu;

// A key with its modifiers: the virtual key in the low byte, scShift, scCtrl, scAlt above.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
// "Ctrl+S", "Shift+Del", "Alt+F4"; empty for 0 or a key without a name.
std::string ShortCutToText(TShortCut shortCut);

using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // "-" makes a separator.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { Change(caption_, v); }
  bool IsLine() const { return caption_ == "-"; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { Change(enabled_, v); }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { Change(checked_, v); }
  bool Default() const { return default_; }
  void SetDefault(bool v) { Change(default_, v); }
  // A checked radio item shows a bullet instead of a check mark.
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v) { Change(radioItem_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Change(visible_, v); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { Change(imageIndex_, v); }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v) { Change(shortCut_, v); }
  int ShortCutValue() const { return shortCut_; }
  void SetShortCutValue(int v) { SetShortCut(static_cast<TShortCut>(v)); }
  // The images of the items below this one; GetImageList gives the nearest list up the tree,
  // else the menu's.
  TCustomImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList* v) { subMenuImages_ = v; }
  TCustomImageList* GetImageList() const;

  // In a form description an item's parent is its menu or the item above it.
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }

  // The tree: an item owns the items added to it (freeing it frees them).
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);  // takes it out without freeing it
  void Delete(int index);        // frees it
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  // The menu the tree belongs to, or nullptr.
  TMenu* GetParentMenu() const;
  // The number the item has on the screen (WM_COMMAND), unique in the program.
  UINT Command() const { return command_; }
  // The window layer's menu that holds this item's sub-items (for the root: the menu itself),
  // as last built; nullptr before.
  HMENU Handle() const { return handle_; }
  // This item or one below it with that number.
  TMenuItem* Find(UINT command);

  virtual void Click();
  // Owner drawing: the events, or the item's own look when an event is not set. The measure
  // event starts from the item's own size.
  virtual void MeasureItem(TCanvas& canvas, int& width, int& height);
  // The item's own size, whatever its events.
  void DefaultMeasure(TCanvas& canvas, int& width, int& height) const;
  virtual void DrawItem(TCanvas& canvas, const TRect& rect, bool selected);

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

 private:
  friend class TMenu;
  friend class TMainMenu;
  // A change of what the item shows is told to its menu.
  template <typename T>
  void Change(T& field, const T& value) {
    if (field == value) return;
    field = value;
    MenuChanged();
  }
  void MenuChanged();
  std::string caption_;
  bool enabled_ = true;
  bool checked_ = false;
  bool default_ = false;
  bool radioItem_ = false;
  bool visible_ = true;
  int imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  TCustomImageList* subMenuImages_ = nullptr;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item only
  UINT command_ = 0;
  mutable HMENU handle_ = nullptr;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TMenuItem* Items() const { return items_; }
  // The items' glyphs (ImageIndex); the menu forgets a list that is freed.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v);
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool v) {
    if (ownerDraw_ == v) return;
    ownerDraw_ = v;
    Changed();
  }
  // Right to left: the items read and cascade right to left (and a bar runs from its right
  // end). With ParentBiDiMode the menu follows the control that owns it.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode mode);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool v);
  bool IsRightToLeft() const { return BiDiMode() != bdLeftToRight; }
  // Something the menu shows has changed.
  virtual void Changed() {}
  TMenuItem* FindItem(UINT command) const { return items_->Find(command); }
  void Notification(TComponent* component, TOperation operation) override;

  // A menu of the window layer holding the visible items below `root` (separators, states,
  // owner drawing, submenus); the caller destroys it.
  HMENU BuildHandle(TMenuItem* root) const;

 private:
  TMenuItem* items_;
  TCustomImageList* images_ = nullptr;
  bool ownerDraw_ = false;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
};

// The class library's message to a form whose main menu has changed.
inline constexpr UINT CM_MENUCHANGED = CM_BASE + 21;

// A form's menu bar. Its window-layer menu holds the top-level items, those with sub-items
// opening submenus built as BuildHandle builds them; a change builds it again and tells the
// window that shows it (CM_MENUCHANGED), which takes the new menu.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  HMENU Handle();
  void SetWindowHandle(HWND window) { window_ = window; }
  HWND WindowHandle() const { return window_; }
  void Changed() override;

 private:
  HMENU handle_ = nullptr;
  HWND window_ = nullptr;
};

// Owner-drawn items of a menu, as the window that owns the menu gets them: measured with the
// menu font on the window's DC, drawn on the DC of the message. False when the item is not
// one of the menu's.
bool MeasureMenuItemMessage(TMenu& menu, HWND window, MEASUREITEMSTRUCT* mis);
bool DrawMenuItemMessage(TMenu& menu, DRAWITEMSTRUCT* dis);

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Shows the menu with its top-left corner at the screen point and tracks it; the chosen
  // item's OnClick runs after the menu has closed.
  virtual void Popup(int x, int y);
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* v) { popupComponent_ = v; }
  TNotifyEvent OnPopup;

 private:
  TComponent* popupComponent_ = nullptr;
  // Set while the menu is on the screen: freeing the menu then closes it and tells Popup.
  bool* freedWhileOpen_ = nullptr;
};
