// The form wrapper of an MDI frame and its client window: the client's procedure is replaced
// so that the skinned frame hears of children being made, destroyed and arranged and of a new
// frame menu, and so that the client shows no scroll bars of its own unless the skin lets it.
#include "platform/forms/form.h"
#include "platform/user/mdi.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/object_instance.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

void TWinSkinForm::HookClient() {
  if (FormKind != 1 || !MDIClient || clientInstance_) return;
  savedMenuUpdate_ = SkinData->MenuUpdate();
  clientLink_ = std::make_shared<Link>();
  clientLink_->self = this;
  clientInstance_ = MakeObjectInstance([link = clientLink_](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (link->self) return link->self->ClientWndProc(h, m, w, l);
    return CallWindowProcW(link->previous, h, m, w, l);
  });
  if (!clientInstance_) return;
  clientLink_->previous =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(MDIClient, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(clientInstance_)));
}

void TWinSkinForm::UnhookClient() {
  if (!clientInstance_) return;
  clientLink_->self = nullptr;
  // Someone may have subclassed the client on top: then the instance stays in its chain and
  // keeps passing everything on.
  if (IsWindow(MDIClient) &&
      GetWindowLongPtrW(MDIClient, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(clientInstance_)) {
    SetWindowLongPtrW(MDIClient, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(clientLink_->previous));
    FreeObjectInstance(clientInstance_);
  } else if (!IsWindow(MDIClient)) {
    FreeObjectInstance(clientInstance_);
  }
  clientInstance_ = nullptr;
}

bool TWinSkinForm::ActiveChildMaximized(HWND* active) const {
  BOOL maximized = FALSE;
  HWND child = MDIClient && IsWindow(MDIClient)
                   ? reinterpret_cast<HWND>(SendMessageW(MDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)))
                   : nullptr;
  if (active) *active = child;
  return child && maximized;
}

LRESULT TWinSkinForm::ClientWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = clientLink_ ? clientLink_->previous : nullptr;
  auto pass = [&] { return previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam) : 0; };
  switch (msg) {
    case WM_NCDESTROY: {
      const LRESULT r = pass();
      UnhookClient();
      return r;
    }
    case WM_NCCALCSIZE:
      if (FrameSkinned && !InSkinOptions(SkinData->Options(), xoMDIScrollbar)) {
        const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        if (style & (WS_HSCROLL | WS_VSCROLL))
          SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~LONG_PTR(WS_HSCROLL | WS_VSCROLL));
      }
      return pass();
    case WM_MDICREATE:
      SkinData->SetMenuUpdate(false);
      return pass();
    case WM_MDIDESTROY: {
      const LRESULT r = pass();
      if (!FrameSkinned || SkinPhase == 6) return r;
      HWND active = nullptr;
      Manager->SetMDIMaximized(ActiveChildMaximized(&active));
      if (!active && MenuBar) {
        SkinData->SetMenuUpdate(savedMenuUpdate_);
        MenuBar->BuildMenuBar();
        PaintFrame();
      }
      return r;
    }
    case WM_MDITILE:
    case WM_MDICASCADE:
      if (FrameSkinned && Manager->MDIMaximized) Manager->SetMDIMaximized(false);
      return pass();
    case WM_MDISETMENU: {
      const LRESULT r = pass();
      if (FrameSkinned && SkinPhase != 6) {
        if (wParam) FrameMenuChanged(reinterpret_cast<HMENU>(wParam));
        SetMenu(Window, nullptr);
      }
      return r;
    }
    case CM_SKINMDIREDRAW:
      RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
      return 0;
    default:
      return pass();
  }
}

// A new frame menu: the bar is built again from it, laid out without painting and painted
// with the frame. A frame skinned while it had no menu gets its bar now: the frame's own menu
// is taken from it right after, and without a bar the menu would be out of reach, also once
// the skin is switched off. Like a window given a menu, the frame keeps its size.
void TWinSkinForm::FrameMenuChanged(HMENU menu) {
  if (!MenuBar) {
    AttachMenuBar();
    if (!MenuBar) return;
  }
  MenuBar->SetMainMenu(Form ? Form->MainMenu() : nullptr);
  MenuBar->RebuildFromFrameMenu(menu);
  PaintFrame();
}
