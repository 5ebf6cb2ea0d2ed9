#include "skin/menus/win_skin_pop_menu.h"

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/region.h"
#include "platform/user/default_proc.h"
#include "platform/user/message_loop.h"
#include "platform/user/object_instance.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/call_depth.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

TWinSkinPopMenu::TWinSkinPopMenu(TSkinManage* manager) : manager_(manager) { Background.SetPixelFormat(pf24bit); }

TWinSkinPopMenu::~TWinSkinPopMenu() {
  Detach();
  if (link_) link_->self = nullptr;
}

void TWinSkinPopMenu::Attach(HWND window, TSkinData* skinData, ULONG_PTR ownerKey) {
  if (instance_) return;
  Window = window;
  SkinData = skinData;
  OwnerKey = ownerKey;
  FromBar = false;
  link_ = std::make_shared<Link>();
  link_->self = this;
  TSkinManage* manager = manager_;
  instance_ = MakeObjectInstance([link = link_, manager](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (!link->self) return CallWindowProcW(link->previous, h, m, w, l);
    const LRESULT result = link->self->WndProc(h, m, w, l);
    // A menu closed while its own procedure ran leaves its skinner to be freed here.
    if (manager && (!link->self || !link->self->Attached())) manager->SweepPopupMenus();
    return result;
  });
  if (!instance_) return;
  oldWndProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(instance_)));
  link_->previous = oldWndProc_;
}

void TWinSkinPopMenu::Detach() {
  if (!instance_) return;
  if (region_ && deleteRegion_) DeleteObject(region_);
  region_ = nullptr;
  deleteRegion_ = false;
  const bool ours = IsWindow(Window) &&
                    GetWindowLongPtrW(Window, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(instance_);
  if (ours) SetWindowLongPtrW(Window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
  // With another procedure subclassed on top the instance stays in the chain and passes on.
  link_->self = nullptr;
  if (ours || !IsWindow(Window)) FreeObjectInstance(instance_);
  instance_ = nullptr;
  Background.SetSize(0, 0);
}

LRESULT TWinSkinPopMenu::Pass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return oldWndProc_ ? CallWindowProcW(oldWndProc_, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool TWinSkinPopMenu::CanPaint() const {
  return SkinData && SkinData->Ready() && SkinData->MenuBackground && !SkinData->MenuBackground->Bitmap.Empty();
}

LRESULT TWinSkinPopMenu::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const TCallDepth guard(Depth);
  if (msg == CM_SKINQUERY) return 1;
  if (!manager_ || !manager_->Enabled) return Pass(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_DESTROY: {
      const WNDPROC old = oldWndProc_;
      Detach();
      return old ? CallWindowProcW(old, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_ERASEBKGND:
      if (!SkinData || !InSkinOptions(SkinData->Options(), xoMenuBG)) Pass(hwnd, msg, wParam, lParam);
      return 1;
    case WM_NCPAINT:
      return NcPaint(hwnd, wParam, lParam);
    case WM_PRINT:
      return Print(hwnd, wParam, lParam);
    default:
      return Pass(hwnd, msg, wParam, lParam);
  }
}

void TWinSkinPopMenu::RenderBackground(int width, int height) {
  const TDataSkinObject& e = *SkinData->MenuBackground;
  auto scaled = NinePartScale(SIZE{width, height}, SkinData->MenuBackground->Bitmap, e.Margins(), false,
                              e.Tile != 0, 1, 1);
  Background.Assign(*scaled);
}

void TWinSkinPopMenu::EnsureBackground() {
  if (!CanPaint() || !IsWindow(Window)) return;
  RECT r{};
  GetWindowRect(Window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (Background.Width() != w || Background.Height() != h) RenderBackground(w, h);
}

LRESULT TWinSkinPopMenu::NcPaint(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (!CanPaint()) return Pass(hwnd, WM_NCPAINT, wParam, lParam);
  // Windows 10 (version 10.0), the newest system the code knows, paints only the part of the
  // frame the message names (its region, in screen coordinates, or 1 for all of it).
  HDC dc = GetDCEx(hwnd, reinterpret_cast<HRGN>(wParam), DCX_WINDOW | DCX_INTERSECTRGN | DCX_USESTYLE);
  if (!dc) return 0;
  RECT wr{};
  GetWindowRect(hwnd, &wr);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  RenderBackground(w, h);
  HDC src = Background.Canvas().Handle();
  const int b = kPopupBand;
  BitBlt(dc, 0, 0, w, b, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, h - b, w, b, src, 0, h - b, SRCCOPY);
  BitBlt(dc, 0, 0, b, h, src, 0, 0, SRCCOPY);
  BitBlt(dc, w - b, 0, b, h, src, w - b, 0, SRCCOPY);
  BitBlt(dc, 0, 0, w, h, src, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, dc);
  return 0;
}

LRESULT TWinSkinPopMenu::Print(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (!CanPaint()) return Pass(hwnd, WM_PRINT, wParam, lParam);
  RECT wr{};
  if (!GetWindowRect(hwnd, &wr)) return Pass(hwnd, WM_PRINT, wParam, lParam);
  HDC dc = reinterpret_cast<HDC>(wParam);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  HRGN inner = CreateRectRgn(kPopupBand, kPopupBand, w - kPopupBand, h - kPopupBand);
  RenderBackground(w, h);
  BitBlt(dc, 0, 0, w, h, Background.Canvas().Handle(), 0, 0, SRCCOPY);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  SelectClipRgn(dc, inner);
  const LRESULT result = Pass(hwnd, WM_PRINT, wParam, lParam);
  SelectClipRgn(dc, nullptr);
  DeleteObject(inner);
  SetBkMode(dc, oldMode);
  return result;
}
