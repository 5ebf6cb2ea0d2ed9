// The form wrapper's window procedures: what the skinned window answers itself (non-client
// size and hit testing, the caption buttons' mouse handling, activation, window state, the
// caption button actions, the hover timer) and what it passes on to the procedure it replaced.
#include <algorithm>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/call_depth.h"
#include "skin/controls/skin_control.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool InRect(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool IsSysCommandId(WPARAM id) {
  switch (id) {
    case SC_SIZE: case SC_MOVE: case SC_MINIMIZE: case SC_MAXIMIZE: case SC_NEXTWINDOW: case SC_PREVWINDOW:
    case SC_CLOSE: case SC_RESTORE:
      return true;
    default:
      return false;
  }
}

// Hit-test codes of caption parts the wrapper draws itself (or not at all).
bool CaptionCode(LRESULT code) {
  return code == HTNOWHERE || code == HTCAPTION || code == HTSYSMENU || code == HTMINBUTTON || code == HTMAXBUTTON ||
         code == HTCLOSE || code == HTHELP;
}

}  // namespace

LRESULT TWinSkinForm::Previous(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return previousProc_ ? CallWindowProcW(previousProc_, hwnd, msg, wParam, lParam)
                       : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT TWinSkinForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const TCallDepth guard(Depth);
  LRESULT result = 0;
  if (Stage1(hwnd, msg, wParam, lParam, result)) return result;
  if (!FrameSkinned) return Previous(hwnd, msg, wParam, lParam);
  if (Stage2(hwnd, msg, wParam, lParam, result)) return result;
  return Stage3(hwnd, msg, wParam, lParam);
}

bool TWinSkinForm::Stage1(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_NCPAINT:
      if (SkinPhase != 0) return false;
      result = 0;
      return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      result = Previous(hwnd, msg, wParam, lParam);
      if (!Form) SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      if (!Form && msg == WM_CTLCOLORSTATIC && SkinData->FaceBrush) result = reinterpret_cast<LRESULT>(SkinData->FaceBrush);
      return true;
    case WM_NCACTIVATE:
      if (SkinPhase != 0 || FormKind == 2) return false;
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = Previous(hwnd, msg, wParam, lParam);
      if (!Form && SkinData->FaceBrush) {
        RECT r{};
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, SkinData->FaceBrush);
        result = 1;
      }
      return true;
    case WM_NCDESTROY:
      SkinPhase = 4;
      DetachOnDestroy();
      result = Previous(hwnd, msg, wParam, lParam);
      SkinPhase = 6;
      return true;
    case 0xAE:
      result = 0;
      return true;
    case WM_INITMENUPOPUP:
      Manager->MenuKind = reinterpret_cast<HMENU>(wParam) == SystemMenu ? 2 : 1;
      result = Previous(hwnd, msg, wParam, lParam);
      return true;
    case CM_SKINAPPLY:
      HandleApply();
      result = 0;
      return true;
    case CM_SKINRESCROLL:
      ReplaceScrollbar(reinterpret_cast<HWND>(wParam));
      result = 0;
      return true;
    case CM_SKINQUERY:
      PostMessageW(hwnd, CM_SKINAPPLIED, 0, kSkinMagic);
      result = 1;
      return true;
    default:
      return false;
  }
}

bool TWinSkinForm::Stage2(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (ChildWindow && FormKind != 2) {
    result = Previous(hwnd, msg, wParam, lParam);
    return true;
  }
  if (MenuBarMessage(hwnd, msg, wParam, lParam, result)) return true;
  switch (msg) {
    case WM_COMMAND: {
      const WPARAM id = LOWORD(wParam);
      if (IsSysCommandId(id) && id < 0xFF00) {
        PostMessageW(hwnd, WM_SYSCOMMAND, id, 0);
        result = 0;
      } else {
        result = Previous(hwnd, msg, wParam, lParam);
      }
      return true;
    }
    case WM_GETMINMAXINFO:
      result = Previous(hwnd, msg, wParam, lParam);
      ReadPlacement();
      return true;
    case WM_SIZE:
      result = Previous(hwnd, msg, wParam, lParam);
      WindowState = wParam == SIZE_MINIMIZED ? 2 : wParam == SIZE_MAXIMIZED ? 1 : 0;
      if (WindowState != 2 && !(FormKind == 2 && (Manager->MDIMaximized || WindowState != 0)) &&
          (SkinPhase == 1 || SkinPhase == 3))
        UpdateRegion();
      return true;
    case WM_ACTIVATE:
      Active = LOWORD(wParam) != WA_INACTIVE;
      return false;
    case WM_WINDOWPOSCHANGED:
      ReadPlacement();
      result = Previous(hwnd, msg, wParam, lParam);
      return true;
    case WM_SETTEXT:
      result = Previous(hwnd, msg, wParam, lParam);
      // The default procedure draws its own caption for the new text; the skin's goes over it.
      if (!Form && IsWindowVisible(hwnd)) PaintFrame();
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_KEYMENU && LOWORD(lParam) == ' ' && !MenuTracking) {
        // Answered here: passed on, the default procedure would open the window's own system
        // menu as soon as the skinned one closes.
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        ShowSystemMenu(origin);
        result = 0;
        return true;
      }
      TrackSysCommand(wParam);
      result = Previous(hwnd, msg, wParam, lParam);
      return true;
    default:
      return false;
  }
}

LRESULT TWinSkinForm::Stage3(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if ((FormKind == 2 && WindowState == 1) || SkinPhase < 1) return Previous(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCACTIVATE: return NcActivate(hwnd, wParam, lParam);
    case WM_NCCALCSIZE: return NcCalcSize(hwnd, wParam, lParam);
    case WM_NCHITTEST: return NcHitTest(hwnd, wParam, lParam);
    case WM_NCPAINT:
      SetSysMenuStyle(true);
      if (!SkinData->NonClientPaint) return 0;
      if (BorderKind == 2) return Previous(hwnd, msg, wParam, lParam);
      PaintFrame();
      return 0;
    case WM_NCMOUSEMOVE: return NcMouseMove(hwnd, wParam, lParam);
    case WM_NCLBUTTONDOWN: return NcButtonDown(hwnd, wParam, lParam);
    case WM_NCLBUTTONUP: return NcButtonUp(hwnd, wParam, lParam);
    case WM_NCLBUTTONDBLCLK: return NcDoubleClick(hwnd, wParam, lParam);
    case WM_NCRBUTTONDOWN:
      if (wParam == WPARAM(HTCAPTION) && FormKind != 2) {
        ShowSystemMenu(PointOf(lParam));
        return 0;
      }
      return Previous(hwnd, msg, wParam, lParam);
    case CM_SKINPAINTFRAME:
      PaintFrame();
      return 0;
    default:
      return Previous(hwnd, msg, wParam, lParam);
  }
}

// ---- Non-client size and hit testing ----

LRESULT TWinSkinForm::NcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (!wParam) return 0;
  auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
  const RECT proposed = p->rgrc[0];
  Previous(hwnd, WM_NCCALCSIZE, wParam, lParam);
  if (!(FormKind == 2 && WindowState != 0) && BorderKind != 2) {
    p->rgrc[0] = RECT{proposed.left + LeftWidth, proposed.top + CaptionHeight + MenuBarHeight,
                      proposed.right - RightWidth, proposed.bottom - BottomHeight};
    if (p->rgrc[0].right < p->rgrc[0].left) p->rgrc[0].right = p->rgrc[0].left;
    if (p->rgrc[0].bottom < p->rgrc[0].top) p->rgrc[0].bottom = p->rgrc[0].top;
  }
  p->rgrc[1] = p->rgrc[0];
  return WVR_VALIDRECTS;
}

POINT TWinSkinForm::ToWindowPoint(POINT screen) const {
  POINT p = screen;
  ScreenToClient(Window, &p);
  if (!(FormKind == 2 && WindowState == 2)) {
    p.x += LeftWidth;
    p.y += CaptionHeight + MenuBarHeight;
  }
  return p;
}

LRESULT TWinSkinForm::NcHitTest(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  LRESULT code = Previous(hwnd, WM_NCHITTEST, wParam, lParam);
  if (!CaptionCode(code)) return code;
  // The default frame's boxes are not drawn: where they would be is caption like the rest.
  if (code != HTNOWHERE) code = HTCAPTION;
  const POINT p = ToWindowPoint(PointOf(lParam));
  if (p.y > CaptionHeight && MenuBarHeight > 0) return HTMENU;
  if (p.y > 3) return HTCAPTION;
  return code;
}

TWinSysButton* TWinSkinForm::FindButton(POINT windowPoint) const {
  for (const auto& b : CaptionButtons)
    if (b->Visible && b->Element->Visibility >= 0 && InRect(b->Rect, windowPoint)) return b.get();
  return nullptr;
}

// ---- Activation and the mouse ----

LRESULT TWinSkinForm::NcActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  Active = wParam != 0;
  // The hover timer runs while the window is active; the frame painted below forgets the hot
  // caption button and draws every button in its inactive look.
  if (Hover) Hover->SetEnabled(Active);
  if (!Active) DropHotTool();
  if (FormKind == 1 && MDIClient) SendMessageW(MDIClient, WM_NCACTIVATE, wParam, lParam);
  if (FormKind == 2) Previous(hwnd, WM_NCACTIVATE, wParam, lParam);
  PaintFrame();
  return 1;
}

LRESULT TWinSkinForm::NcMouseMove(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (!Active) return 0;
  const POINT p = ToWindowPoint(PointOf(lParam));
  if (TWinSysButton* b = FindButton(p)) {
    b->MouseEnter();
    return 0;
  }
  if (TMenuBtn* b = FindMenuButton(p)) {
    b->MouseEnter();
    return 0;
  }
  if (HotElement) HotElement->MouseLeave();
  SetHotElement(nullptr);
  return Previous(hwnd, WM_NCMOUSEMOVE, wParam, lParam);
}

LRESULT TWinSkinForm::NcButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (TWinSysButton* b = FindButton(ToWindowPoint(PointOf(lParam)))) {
    if (!Active) SetForegroundWindow(hwnd);
    b->MouseDown();
    return 0;
  }
  if (TMenuBtn* b = FindMenuButton(ToWindowPoint(PointOf(lParam)))) {
    if (!Active) SetForegroundWindow(hwnd);
    b->MouseDown();
    // It stays the hot element when its menu closes: lit while the mouse is over it, until the
    // mouse moves off the bar or the hover timer finds it gone. A bar built again while the
    // menu was open has let go of it with its old buttons.
    TrackButtonMenu(b);
    return 0;
  }
  if (WindowState == 1 && Active && wParam == WPARAM(HTCAPTION)) wParam = HTMENU;
  return Previous(hwnd, WM_NCLBUTTONDOWN, wParam, lParam);
}

LRESULT TWinSkinForm::NcButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const POINT p = PointOf(lParam);
  TWinSysButton* b = FindButton(ToWindowPoint(p));
  // Only a button pressed here acts on its release; one pressed and left is not clicked.
  if (b && b == HotElement && b->State == 2) {
    b->MouseUp();
    ButtonAction(*b, p);
    return 0;
  }
  if (b || FindMenuButton(ToWindowPoint(p))) return 0;
  return Previous(hwnd, WM_NCLBUTTONUP, wParam, lParam);
}

LRESULT TWinSkinForm::NcDoubleClick(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (TWinSysButton* b = FindButton(ToWindowPoint(PointOf(lParam)))) {
    if (b->Element->Action == 3 || b->Element->Action == 11) {
      StopHover();
      PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    }
    // A second quick click on a button presses it again, so that its release acts.
    return NcButtonDown(hwnd, wParam, lParam);
  }
  if (FindMenuButton(ToWindowPoint(PointOf(lParam)))) return 0;
  if (WindowState != 0) {
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    return 0;
  }
  if (BorderIcons & 1) {
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    return 0;
  }
  return Previous(hwnd, WM_NCLBUTTONDBLCLK, wParam, lParam);
}

void TWinSkinForm::TrackSysCommand(WPARAM wParam) {
  switch (wParam & 0xFFF0) {
    case SC_MINIMIZE: WindowState = 2; break;
    case SC_MAXIMIZE: WindowState = 1; break;
    case SC_RESTORE:
      WindowState = 0;
      if (FormKind == 2) Manager->SetMDIMaximized(false);
      break;
    default: break;
  }
}

void TWinSkinForm::SetHotElement(TNCObject* element) { HotElement = element; }

void TWinSkinForm::StopHover() {
  if (Hover) Hover->SetEnabled(false);
}

TSkinControl* TWinSkinForm::LiveHotTool() {
  if (!Lists(HotTool) || HotTool->AttachState == kAttachDestroyed) HotTool = nullptr;
  return HotTool;
}

void TWinSkinForm::SetHotTool(TSkinControl* skinner) { HotTool = skinner; }

void TWinSkinForm::ForgetHotTool(const TSkinControl* skinner) {
  if (HotTool == skinner) HotTool = nullptr;
}

void TWinSkinForm::DropHotTool() {
  TSkinControl* tool = LiveHotTool();
  HotTool = nullptr;
  if (tool) tool->SendMouseLeave();
}

void TWinSkinForm::HoverTimer() {
  if (MenuTracking) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  if (HotElement && !InRect(HotElement->Rect, ToWindowPoint(cursor))) {
    HotElement->MouseLeave();
    HotElement = nullptr;
  }
  if (!Form)
    if (TSkinControl* tool = LiveHotTool(); tool && !InRect(tool->WindowRect, cursor)) DropHotTool();
}

// ---- Actions ----

void TWinSkinForm::ButtonAction(TWinSysButton& button, POINT mouse) {
  HWND hwnd = Window;
  switch (button.Element->Action) {
    case 0:
      if (!SystemMenu || GetMenuState(SystemMenu, SC_CLOSE, MF_BYCOMMAND) != 0xFFFFFFFF) {
        StopHover();
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return;
    case 1:
    case 22:
      if (!button.Enabled) return;
      if (WindowState == 1) {
        WindowState = 0;
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
      } else {
        if (FormKind == 2) Manager->SetMDIMaximized(true);
        WindowState = 1;
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        SetHotElement(nullptr);
      }
      return;
    case 2:
    case 23:
      if (!button.Enabled) return;
      if (WindowState != 2) {
        WindowState = 2;
        SetSysMenuStyle(false);
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      } else {
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
      }
      return;
    case 3:
    case 11:
    case 12:
      ShowSystemMenu(POINT{mouse.x + 1, mouse.y + 1});
      return;
    case 4:
      PostMessageW(hwnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
      return;
    case 7: case 60: case 8: case 61: case 9: case 62: {
      if (FormKind != 1 || !MDIClient) return;
      HWND child = reinterpret_cast<HWND>(SendMessageW(MDIClient, WM_MDIGETACTIVE, 0, 0));
      const int a = button.Element->Action;
      const WPARAM cmd = (a == 7 || a == 60) ? SC_MINIMIZE : (a == 8 || a == 61) ? SC_RESTORE : SC_CLOSE;
      if (child) SendMessageW(child, WM_SYSCOMMAND, cmd, 0);
      return;
    }
    default:
      PostMessageW(hwnd, CM_SKINBUTTONCLICK, WPARAM(button.Element->Action), 0);
      return;
  }
}

void TWinSkinForm::ShowSystemMenu(POINT screen) {
  // One menu at a time: the open one is never rebuilt under its own loop.
  if (Manager->ModuleHandle || MenuTracking) return;
  const DWORD now = GetTickCount();
  if (LastSysMenuTime == 0 || now - LastSysMenuTime > DoubleClickTime) {
    Manager->MenuKind = 2;
    LastSysMenuTime = now;
    BuildSystemMenu();
    MenuTracking = true;
    SystemPopup->Popup(screen.x, screen.y);
    MenuTracking = false;
  } else if (HotElement) {
    StopHover();
    PostMessageW(Window, WM_CLOSE, 0, 0);
  }
}

// ---- The form's WindowProc ----

void TWinSkinForm::FormWindowProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT:
      savedWindowProc_(m);
      if (!IsWindowVisible(Window)) return;
      if (FormKind == 2 && WindowState == 1) {
        if (Manager->MDIClient) PostMessageW(Manager->MDIClient, CM_SKINMDIREDRAW, WPARAM(Window), 0);
      } else if (WindowState == 2) {
        PaintFrame();
      } else {
        SetWindowPos(Window, nullptr, 0, 0, 0, 0, kFrameChanged);
      }
      return;
    case CM_DIALOGCHAR:
      DialogChar(m);
      return;
    case CM_SKINCOLORS:
      ApplyColors();
      return;
    case CM_SKINREPAINT:
      if (m.LParam != kSkinMagic) return;
      if (m.WParam) PaintFrame();
      m.Result = kSkinMagic;
      return;
    case CM_SKINPROBE:
      m.Result = m.LParam == kSkinMagic ? kSkinMagic : 1;
      return;
    default:
      savedWindowProc_(m);
      return;
  }
}

// The class library's dialog-character message: what the form leaves unanswered opens the
// menu-bar button of that access key while Alt alone is down; otherwise an MDI child hands it
// to its frame's form, and a form that is neither the main form nor modal to the main form.
void TWinSkinForm::DialogChar(TMessage& m) {
  savedWindowProc_(m);
  if (m.Result != 0) return;
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  if (MenuBar && KeyboardStateToShiftState(keys) == ssAlt)
    if (TMenuBtn* b = MenuBar->FindAccelButton(char16_t(m.WParam))) {
      PostMenuButtonDown(b);
      m.Result = 1;
      return;
    }
  if (FormKind == 2) {
    if (Manager->MDIFrameForm && Manager->MDIFrameForm != Form) {
      const LRESULT r = Manager->MDIFrameForm->Perform(m.Msg, m.WParam, m.LParam);
      if (r != 0) m.Result = r;
    }
    return;
  }
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (Form && main && main != Form && !Form->Modal()) main->Perform(m.Msg, m.WParam, m.LParam);
  m.Result = 0;
}
