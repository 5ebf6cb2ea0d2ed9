// The MDI client window, DefFrameProc and DefMDIChildProc.
#include "platform/user/mdi.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>

#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll.h"
#include "platform/user/scroll_request.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

struct ClientInfo {
  HMENU windowMenu = nullptr;
  UINT firstChild = 0;
  HWND active = nullptr;
  HWND barChild = nullptr;  // the maximised child whose buttons stand on the frame's menu bar
  bool wantsScrollBars = false;
  bool allChildStyles = false;
  bool scrolling = false;  // the bars are being shown or hidden
  std::u16string frameTitle;  // the frame's own title while a maximised child's is joined to it
  bool titleJoined = false;
  bool settingTitle = false;
};

std::map<HWND, ClientInfo>& Clients() {
  static auto* clients = new std::map<HWND, ClientInfo>();
  return *clients;
}

ClientInfo* InfoOf(HWND client) {
  auto it = Clients().find(client);
  return it == Clients().end() ? nullptr : &it->second;
}

bool IsMdiChildOf(HWND client, HWND child) {
  return child && IsWindow(child) && GetParent(child) == client &&
         (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_MDICHILD);
}

// The client's children, topmost first.
std::vector<HWND> ChildrenOf(HWND client) {
  std::vector<HWND> list;
  for (HWND c = GetWindow(client, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsMdiChildOf(client, c)) list.push_back(c);
  return list;
}

HWND ActiveOf(HWND client) {
  ClientInfo* info = InfoOf(client);
  if (!info) return nullptr;
  if (!IsMdiChildOf(client, info->active)) info->active = nullptr;
  return info->active;
}

// ---- The maximised child's buttons on the frame's menu bar ----

bool IsBarBitmap(HBITMAP b) {
  return b == HBMMENU_SYSTEM || b == HBMMENU_MBAR_MINIMIZE || b == HBMMENU_MBAR_RESTORE || b == HBMMENU_MBAR_CLOSE;
}

HBITMAP ItemBitmap(HMENU menu, int position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP;
  return GetMenuItemInfoW(menu, UINT(position), TRUE, &info) ? info.hbmpItem : nullptr;
}

void RemoveBarItems(HMENU menu) {
  if (!IsMenu(menu)) return;
  // RemoveMenu keeps the child's system menu, which stays the child's.
  for (int i = GetMenuItemCount(menu); i-- > 0;)
    if (IsBarBitmap(ItemBitmap(menu, i))) RemoveMenu(menu, UINT(i), MF_BYPOSITION);
}

void AddBarItems(HMENU menu, HWND child) {
  if (!IsMenu(menu)) return;
  RemoveBarItems(menu);
  const DWORD style = DWORD(GetWindowLongPtrW(child, GWL_STYLE));
  if (HMENU sys = GetSystemMenu(child, FALSE)) {
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_POPUP | MF_BITMAP, reinterpret_cast<UINT_PTR>(sys),
                reinterpret_cast<const char16_t*>(HBMMENU_SYSTEM));
    // The icon drawn there is the child's.
    MENUITEMINFOW data{};
    data.cbSize = sizeof data;
    data.fMask = MIIM_DATA;
    data.dwItemData = reinterpret_cast<ULONG_PTR>(child);
    SetMenuItemInfoW(menu, 0, TRUE, &data);
  }
  auto add = [&](UINT id, HBITMAP glyph, bool enabled) {
    AppendMenuW(menu, MF_BITMAP | MF_RIGHTJUSTIFY | (enabled ? MF_ENABLED : MF_GRAYED), id,
                reinterpret_cast<const char16_t*>(glyph));
  };
  add(SC_MINIMIZE, HBMMENU_MBAR_MINIMIZE, (style & WS_MINIMIZEBOX) != 0);
  add(SC_RESTORE, HBMMENU_MBAR_RESTORE, true);
  add(SC_CLOSE, HBMMENU_MBAR_CLOSE, true);
}

// While a child is maximised the frame's title carries the child's: "Frame - [Child]".
void UpdateFrameTitle(HWND client, ClientInfo& info, HWND maximized) {
  HWND frame = GetParent(client);
  if (!info.titleJoined) info.frameTitle = GetWindowTextString(frame);
  const std::u16string want =
      maximized ? info.frameTitle + u" - [" + GetWindowTextString(maximized) + u"]" : info.frameTitle;
  info.titleJoined = maximized != nullptr;
  if (GetWindowTextString(frame) == want) return;
  info.settingTitle = true;
  SetWindowTextW(frame, want.c_str());
  if (ClientInfo* again = InfoOf(client)) again->settingTitle = false;
}

// The frame's menu bar shows the buttons of the child that is maximised, and no others, and
// its title the child's.
void UpdateMaximizedLook(HWND client) {
  ClientInfo* info = InfoOf(client);
  if (!info) return;
  HWND frame = GetParent(client);
  HWND active = ActiveOf(client);
  HWND wanted = active && IsZoomed(active) ? active : nullptr;
  const bool changed = wanted != info->barChild;
  info->barChild = wanted;
  if (changed || info->titleJoined != (wanted != nullptr)) UpdateFrameTitle(client, *info, wanted);
  HMENU menu = GetMenu(frame);
  if (!menu) return;
  const bool shown = ItemBitmap(menu, 0) == HBMMENU_SYSTEM;
  if (wanted && (changed || !shown)) {
    AddBarItems(menu, wanted);
  } else if (!wanted && shown) {
    RemoveBarItems(menu);
  } else {
    return;
  }
  DrawMenuBar(frame);
}

// ---- Scroll bars ----

RECT ChildrenExtent(HWND client) {
  RECT extent{};
  for (HWND c : ChildrenOf(client)) {
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & (WS_MINIMIZE | WS_MAXIMIZE))) continue;
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
    if (extent.IsEmpty()) {
      extent = r;
    } else {
      UnionRect(extent, extent, r);
    }
  }
  return extent;
}

// The client shows a bar in a direction while a child reaches beyond its area that way; each
// bar's range is the children's extent together with the area, its position the area's origin.
void UpdateScrollBars(HWND client) {
  ClientInfo* info = InfoOf(client);
  if (!info || !info->wantsScrollBars || info->scrolling) return;
  HWND active = ActiveOf(client);
  if (active && IsZoomed(active)) return;
  info->scrolling = true;
  const LONG_PTR style = GetWindowLongPtrW(client, GWL_STYLE);
  RECT area{};
  GetClientRect(client, &area);
  // The area as it is without the bars it shows now.
  if (style & WS_VSCROLL) area.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) area.bottom += GetSystemMetrics(SM_CYHSCROLL);
  const RECT extent = ChildrenExtent(client);
  bool horz = !extent.IsEmpty() && (extent.left < 0 || extent.right > area.right);
  bool vert = !extent.IsEmpty() && (extent.top < 0 || extent.bottom > area.bottom);
  if (horz && !vert) vert = extent.bottom > area.bottom - GetSystemMetrics(SM_CYHSCROLL);
  if (vert && !horz) horz = extent.right > area.right - GetSystemMetrics(SM_CXVSCROLL);
  if (vert) area.right -= GetSystemMetrics(SM_CXVSCROLL);
  if (horz) area.bottom -= GetSystemMetrics(SM_CYHSCROLL);
  RECT range = area;
  if (!extent.IsEmpty()) UnionRect(range, range, extent);
  auto set = [&](int bar, int lo, int hi, int page) {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, lo, hi - 1, UINT(std::max(page, 0)), 0, 0};
    SetScrollInfo(client, bar, &si, FALSE);
  };
  set(SB_HORZ, range.left, range.right, area.right);
  set(SB_VERT, range.top, range.bottom, area.bottom);
  ShowScrollBar(client, SB_HORZ, horz);
  ShowScrollBar(client, SB_VERT, vert);
  if ((info = InfoOf(client))) info->scrolling = false;
}

// A scroll request moves every child the other way; the bars then start again from the area.
void ScrollChildren(HWND client, bool vertical, WPARAM request) {
  const int bar = vertical ? SB_VERT : SB_HORZ;
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(client, bar, &si)) return;
  const int page = std::max<int>(int(si.nPage), 1);
  const std::optional<int> pos =
      ScrollTarget(LOWORD(request), si.nPos, kScrollLinePixels, page, si.nTrackPos, si.nMin, si.nMax - page + 1);
  if (!pos) return;
  const int delta = *pos - si.nPos;
  if (delta == 0) return;
  for (HWND c : ChildrenOf(client)) {
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(c, nullptr, r.left - (vertical ? 0 : delta), r.top - (vertical ? delta : 0), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UpdateScrollBars(client);
}

// ---- Activation, creation, arrangement ----

RECT MaximizedRect(HWND client, HWND child) {
  RECT area{};
  GetClientRect(client, &area);
  const DWORD style = DWORD(GetWindowLongPtrW(child, GWL_STYLE)) & ~(WS_MAXIMIZE | WS_MINIMIZE | WS_HSCROLL | WS_VSCROLL);
  AdjustWindowRectEx(&area, style, FALSE, DWORD(GetWindowLongPtrW(child, GWL_EXSTYLE)));
  return area;
}

void Activate(HWND client, HWND child) {
  ClientInfo* info = InfoOf(client);
  if (!info || (child && !IsMdiChildOf(client, child))) return;
  HWND old = ActiveOf(client);
  if (old == child) {
    if (child) SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  const bool carryMaximized = old && child && IsZoomed(old);
  info->active = child;
  if (old) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(old, WM_MDIACTIVATE, WPARAM(old), LPARAM(child));
  }
  if (child && IsWindow(child)) {
    // A maximised child hands its state on: the one activated fills the client instead.
    if (carryMaximized) {
      if (!IsZoomed(child)) ShowWindow(child, SW_SHOWMAXIMIZED);
      if (IsWindow(old) && IsZoomed(old)) ShowWindow(old, SW_SHOWNOACTIVATE);
    }
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(child, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(child, WM_MDIACTIVATE, WPARAM(old), LPARAM(child));
    if (IsWindow(child) && GetActiveWindow() == GetAncestor(client, GA_ROOT)) SetFocus(child);
  }
  UpdateMaximizedLook(client);
}

// The cascade's stack: each window the caption height and the sizing frame further right and
// down than the one before; a run holds as many as fit while each keeps at least half the
// client area, and then the stack starts again at the corner.
struct CascadeRun {
  int step = 1, slots = 1;
  // The offset from the corner, right and down, of the window at `index` in the stack.
  int At(int index) const { return step * (index % slots); }
};

CascadeRun CascadeRunOf(const RECT& area) {
  CascadeRun run;
  run.step = std::max(GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME), 1);
  run.slots = std::max(1, std::min(area.right, area.bottom) / 2 / run.step);
  return run;
}

POINT CascadePosition(HWND client, int index) {
  RECT area{};
  GetClientRect(client, &area);
  const int at = CascadeRunOf(area).At(index);
  return POINT{at, at};
}

HWND CreateChild(HWND client, const MDICREATESTRUCTW* cs) {
  ClientInfo* info = InfoOf(client);
  if (!info || !cs) return nullptr;
  DWORD style = cs->style | WS_CHILD | WS_CLIPSIBLINGS;
  if (!info->allChildStyles)
    style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  HWND old = ActiveOf(client);
  const bool maximize = (style & WS_MAXIMIZE) || (old && IsZoomed(old));
  RECT area{};
  GetClientRect(client, &area);
  int x = cs->x, y = cs->y, cx = cs->cx, cy = cs->cy;
  if (x == CW_USEDEFAULT) {
    const POINT p = CascadePosition(client, int(ChildrenOf(client).size()));
    x = p.x;
    y = p.y;
  }
  if (cx == CW_USEDEFAULT) {
    cx = area.right * 3 / 4;
    cy = area.bottom * 3 / 4;
  }
  // A child that is to be maximised is made with the state, and sized when it shows.
  style = (style & ~(WS_VISIBLE | WS_MAXIMIZE)) | (maximize ? WS_MAXIMIZE : 0);
  HWND child = CreateWindowExW(WS_EX_MDICHILD, cs->szClass, cs->szTitle, style, x, y, cx, cy, client, nullptr,
                               cs->hOwner, const_cast<MDICREATESTRUCTW*>(cs));
  if (!child) return nullptr;
  if (cs->style & WS_VISIBLE) ShowWindow(child, maximize ? SW_SHOWMAXIMIZED : SW_SHOWNOACTIVATE);
  if (IsWindow(child)) Activate(client, child);
  UpdateScrollBars(client);
  return IsWindow(child) ? child : nullptr;
}

void DestroyChild(HWND client, HWND child) {
  if (!IsMdiChildOf(client, child)) return;
  if (ActiveOf(client) == child) {
    HWND next = nullptr;
    for (HWND c : ChildrenOf(client))
      if (c != child && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE)) {
        next = c;
        break;
      }
    Activate(client, next);
  }
  DestroyWindow(child);
  if (InfoOf(client)) {
    UpdateMaximizedLook(client);
    UpdateScrollBars(client);
  }
}

// The children that tiling and cascading arrange: the visible ones that are not minimised (nor
// disabled, with MDITILE_SKIPDISABLED), from the bottom of the stacking order up.
std::vector<HWND> ArrangedChildren(HWND client, WPARAM how) {
  std::vector<HWND> arranged;
  for (HWND c : ChildrenOf(client)) {
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_MINIMIZE)) continue;
    if ((how & MDITILE_SKIPDISABLED) && (style & WS_DISABLED)) continue;
    arranged.push_back(c);
  }
  std::reverse(arranged.begin(), arranged.end());
  return arranged;
}

// Children side by side (vertical) or one above the other, each row or column the same size;
// more than three children make a grid.
void Tile(HWND client, WPARAM how) {
  const std::vector<HWND> tiles = ArrangedChildren(client, how);
  if (tiles.empty()) return;
  for (HWND c : tiles)
    if (IsZoomed(c)) ShowWindow(c, SW_SHOWNOACTIVATE);
  RECT area{};
  GetClientRect(client, &area);
  const int n = int(tiles.size());
  int across = n <= 3 ? n : int(std::ceil(std::sqrt(double(n))));
  int down = (n + across - 1) / across;
  if (how & MDITILE_HORIZONTAL) std::swap(across, down);
  const int w = area.right / std::max(across, 1), h = area.bottom / std::max(down, 1);
  for (int i = 0; i < n; ++i) {
    const int col = (how & MDITILE_HORIZONTAL) ? i / down : i % across;
    const int row = (how & MDITILE_HORIZONTAL) ? i % down : i / across;
    SetWindowPos(tiles[size_t(i)], nullptr, col * w, row * h, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UpdateScrollBars(client);
}

// Maximised children are restored first. The visible children that are not minimised (nor
// disabled, with MDITILE_SKIPDISABLED) are stacked from the client's top-left corner from the
// bottom of the stacking order up, the active child last and on top, so that every caption
// shows; all get one size, with which the last window of a full run ends at the client's
// bottom-right corner. The client's stacking order is the only order it keeps, so
// MDITILE_ZORDER arranges as the default does. FALSE when there was nothing to arrange.
LRESULT Cascade(HWND client, WPARAM how) {
  for (HWND c : ChildrenOf(client))
    if (IsZoomed(c)) ShowWindow(c, SW_SHOWNOACTIVATE);
  std::vector<HWND> stack = ArrangedChildren(client, how);
  if (stack.empty()) return FALSE;
  HWND active = ActiveOf(client);
  const auto it = std::find(stack.begin(), stack.end(), active);
  const bool activeStacked = it != stack.end();
  if (activeStacked) std::rotate(it, it + 1, stack.end());
  RECT area{};
  GetClientRect(client, &area);
  const CascadeRun run = CascadeRunOf(area);
  const int span = run.step * (run.slots - 1);
  const int w = std::max(area.right - span, 0), h = std::max(area.bottom - span, 0);
  for (size_t i = 0; i < stack.size(); ++i) {
    const int at = run.At(int(i));
    if (IsWindow(stack[i])) SetWindowPos(stack[i], nullptr, at, at, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (activeStacked && IsWindow(active))
    SetWindowPos(active, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  UpdateScrollBars(client);
  return TRUE;
}

// WM_MDINEXT: from `from` (the active child when none) round the stacking order, the next child
// below it is activated and `from` goes behind all the others; or the previous one, the child
// above it (from the top: the bottom one), is activated in front of it. Hidden and disabled
// children are passed over; a maximised state goes over to the child activated.
void ActivateNext(HWND client, HWND from, bool previous) {
  if (!from) from = ActiveOf(client);
  if (!IsMdiChildOf(client, from)) return;
  const std::vector<HWND> order = ChildrenOf(client);
  const auto at = std::find(order.begin(), order.end(), from);
  if (at == order.end()) return;
  const size_t n = order.size(), i = size_t(at - order.begin());
  for (size_t k = 1; k < n; ++k) {
    HWND c = order[previous ? (i + n - k) % n : (i + k) % n];
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
    Activate(client, c);
    if (!previous && IsWindow(from))
      SetWindowPos(from, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
}

LRESULT SetFrameMenu(HWND client, HMENU frameMenu, HMENU windowMenu) {
  ClientInfo* info = InfoOf(client);
  if (!info) return 0;
  HWND frame = GetParent(client);
  HMENU old = GetMenu(frame);
  if (windowMenu) info->windowMenu = windowMenu;
  if (frameMenu && frameMenu != old) {
    RemoveBarItems(old);
    info->barChild = nullptr;
    SetMenu(frame, frameMenu);
    UpdateMaximizedLook(client);
  }
  return reinterpret_cast<LRESULT>(old);
}

LRESULT MDIClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ClientInfo info;
      if (cs) {
        if (auto* ccs = static_cast<const CLIENTCREATESTRUCT*>(cs->lpCreateParams)) {
          info.windowMenu = ccs->hWindowMenu;
          info.firstChild = ccs->idFirstChild;
        }
        info.wantsScrollBars = (cs->style & (WS_HSCROLL | WS_VSCROLL)) != 0;
        info.allChildStyles = (cs->style & MDIS_ALLCHILDSTYLES) != 0;
      }
      Clients()[hwnd] = info;
      // The bars show only while a child reaches beyond the client.
      SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~LONG_PTR(WS_HSCROLL | WS_VSCROLL));
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
      Clients().erase(hwnd);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_MDICREATE:
      return reinterpret_cast<LRESULT>(CreateChild(hwnd, reinterpret_cast<const MDICREATESTRUCTW*>(lParam)));
    case WM_MDIDESTROY:
      DestroyChild(hwnd, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_MDIACTIVATE:
      Activate(hwnd, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_MDINEXT:
      ActivateNext(hwnd, reinterpret_cast<HWND>(wParam), lParam != 0);
      return 0;
    case WM_MDIGETACTIVE: {
      HWND active = ActiveOf(hwnd);
      if (lParam) *reinterpret_cast<BOOL*>(lParam) = active && IsZoomed(active) ? TRUE : FALSE;
      return reinterpret_cast<LRESULT>(active);
    }
    case WM_MDIMAXIMIZE:
      if (IsMdiChildOf(hwnd, reinterpret_cast<HWND>(wParam))) ShowWindow(reinterpret_cast<HWND>(wParam), SW_MAXIMIZE);
      return 0;
    case WM_MDIRESTORE:
      if (IsMdiChildOf(hwnd, reinterpret_cast<HWND>(wParam))) ShowWindow(reinterpret_cast<HWND>(wParam), SW_RESTORE);
      return 0;
    case WM_MDITILE:
      Tile(hwnd, wParam);
      return TRUE;
    case WM_MDICASCADE:
      return Cascade(hwnd, wParam);
    case WM_MDISETMENU:
      return SetFrameMenu(hwnd, reinterpret_cast<HMENU>(wParam), reinterpret_cast<HMENU>(lParam));
    case WM_MDIREFRESHMENU:
      return reinterpret_cast<LRESULT>(GetMenu(GetParent(hwnd)));
    case WM_NCACTIVATE:
      if (HWND active = ActiveOf(hwnd)) SendMessageW(active, WM_NCACTIVATE, wParam, lParam);
      return TRUE;
    case WM_SETFOCUS:
      if (HWND active = ActiveOf(hwnd); active && !IsIconic(active)) SetFocus(active);
      return 0;
    case WM_SIZE:
      if (HWND active = ActiveOf(hwnd); active && IsZoomed(active)) {
        const RECT r = MaximizedRect(hwnd, active);
        SetWindowPos(active, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      UpdateScrollBars(hwnd);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      ScrollChildren(hwnd, msg == WM_VSCROLL, wParam);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

namespace user_internal {

LRESULT MDIClientWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return MDIClientProc(hwnd, msg, wParam, lParam);
}

}  // namespace user_internal

LRESULT DefFrameProcW(HWND hwnd, HWND client, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!client || !InfoOf(client)) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_COMMAND: {
      // The maximised child's buttons and system menu on the frame's bar act on the child.
      HWND active = ActiveOf(client);
      if (LOWORD(wParam) >= 0xF000 && active) {
        SendMessageW(active, WM_SYSCOMMAND, LOWORD(wParam), lParam);
        return 0;
      }
      break;
    }
    case WM_SIZE: {
      RECT r{};
      GetClientRect(hwnd, &r);
      MoveWindow(client, 0, 0, r.right, r.bottom, TRUE);
      break;
    }
    case WM_SETFOCUS:
      if (IsWindowVisible(client)) SetFocus(client);
      return 0;
    case WM_SETTEXT: {
      // A new title of the frame's own keeps the maximised child's joined to it.
      ClientInfo* info = InfoOf(client);
      if (!info->titleJoined || info->settingTitle || !info->barChild) break;
      info->frameTitle = lParam ? reinterpret_cast<const char16_t*>(lParam) : u"";
      const std::u16string joined = info->frameTitle + u" - [" + GetWindowTextString(info->barChild) + u"]";
      return DefWindowProcW(hwnd, msg, wParam, reinterpret_cast<LPARAM>(joined.c_str()));
    }
    case WM_NCACTIVATE:
      SendMessageW(client, WM_NCACTIVATE, wParam, lParam);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT DefMDIChildProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND client = GetParent(hwnd);
  if (!InfoOf(client)) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CLOSE:
      SendMessageW(client, WM_MDIDESTROY, WPARAM(hwnd), 0);
      return 0;
    case WM_MOUSEACTIVATE:
    case WM_CHILDACTIVATE:
    case WM_SETFOCUS:
      if (ActiveOf(client) != hwnd) Activate(client, hwnd);
      break;
    case WM_SYSCOMMAND: {
      // The window menu's Next and Previous go round the client's children.
      const WPARAM command = wParam & 0xFFF0;
      if (command == SC_NEXTWINDOW || command == SC_PREVWINDOW) {
        SendMessageW(client, WM_MDINEXT, WPARAM(hwnd), command == SC_PREVWINDOW);
        return 0;
      }
      break;
    }
    case WM_GETMINMAXINFO: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      if (auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam)) {
        const RECT max = MaximizedRect(client, hwnd);
        mmi->ptMaxPosition = POINT{max.left, max.top};
        mmi->ptMaxSize = POINT{max.right - max.left, max.bottom - max.top};
        mmi->ptMaxTrackSize.x = std::max(mmi->ptMaxTrackSize.x, mmi->ptMaxSize.x);
        mmi->ptMaxTrackSize.y = std::max(mmi->ptMaxTrackSize.y, mmi->ptMaxSize.y);
      }
      return r;
    }
    case WM_SIZE: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      if (wParam == SIZE_MAXIMIZED && ActiveOf(client) != hwnd) Activate(client, hwnd);
      UpdateMaximizedLook(client);
      UpdateScrollBars(client);
      return r;
    }
    case WM_WINDOWPOSCHANGED: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      UpdateScrollBars(client);
      return r;
    }
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      if (ClientInfo* info = InfoOf(client); info && info->barChild == hwnd) UpdateFrameTitle(client, *info, hwnd);
      return r;
    }
    case WM_DESTROY:
      // A child destroyed without WM_MDIDESTROY hands the activation on too.
      if (ActiveOf(client) == hwnd) {
        if (ClientInfo* info = InfoOf(client)) info->active = nullptr;
        for (HWND c : ChildrenOf(client))
          if (c != hwnd && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE)) {
            Activate(client, c);
            break;
          }
        UpdateMaximizedLook(client);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
