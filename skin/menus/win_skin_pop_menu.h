// TWinSkinPopMenu: the skinner of one popup menu window (class "#32768": a context menu, a
// drop-down of the menu bar or the system menu). It subclasses the menu window and paints its
// frame and background from the skin's MenuBackground element; the items are drawn over that
// background by the system or by the owner-drawn items of the skinned menus, which copy their
// background from the picture kept here.
#pragma once

#include <memory>

#include "platform/gdi/bitmap.h"
#include "platform/user/wintypes.h"

class TSkinData;
class TSkinManage;

class TWinSkinPopMenu {
 public:
  explicit TWinSkinPopMenu(TSkinManage* manager);
  ~TWinSkinPopMenu();
  TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
  TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

  void Attach(HWND window, TSkinData* skinData, ULONG_PTR ownerKey);
  void Detach();
  bool Attached() const { return instance_ != nullptr; }
  LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Renders the background at the window's size unless it is there already (owner-drawn items
  // copy their background from it, and may be drawn before the frame).
  void EnsureBackground();
  // Whether the skin can paint this menu (a ready component with a MenuBackground picture).
  bool CanPaint() const;

  HWND Window = nullptr;
  TSkinData* SkinData = nullptr;
  TBitmap Background;
  ULONG_PTR OwnerKey = 0;
  bool FromBar = false;
  // Calls of the window procedure under way: the manager never frees a skinner inside one.
  int Depth = 0;

 private:
  LRESULT Pass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void RenderBackground(int width, int height);
  LRESULT NcPaint(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT Print(HWND hwnd, WPARAM wParam, LPARAM lParam);

  struct Link {
    TWinSkinPopMenu* self = nullptr;
    WNDPROC previous = nullptr;
  };
  TSkinManage* manager_;
  std::shared_ptr<Link> link_;
  WNDPROC oldWndProc_ = nullptr;
  WNDPROC instance_ = nullptr;
  HRGN region_ = nullptr;
  bool deleteRegion_ = false;
};

// The width of the popup frame bands the background is copied to first.
inline constexpr int kPopupBand = 3;
