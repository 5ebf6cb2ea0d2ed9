// Popup menus on the screen (windows of class "#32768"), the menu loop, the menu bar and the
// system menu.
#include <algorithm>

#include "platform/gdi/text.h"
#include "platform/user/hooks.h"
#include "platform/user/icons.h"
#include "platform/user/input.h"
#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/internal/menu_model.h"
#include "platform/user/menu_marks.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

constexpr int kCheckColumn = 17;
constexpr int kArrowColumn = 17;
constexpr int kSeparatorHeight = 9;
constexpr int kMaxLevels = 32;

struct Level {
  HMENU menu = nullptr;
  HWND hwnd = nullptr;
  int selected = -1;
};

struct Tracking {
  HWND owner = nullptr;
  UINT flags = 0;
  bool system = false;
  bool fromBar = false;
  std::vector<Level> levels;
  bool done = false;
  bool chose = false;
  UINT chosen = 0;
  int switchBar = 0;  // -1 / +1: move to the neighbouring bar item
  POINT origin{};
};

Tracking* tracking = nullptr;

bool Selectable(const MenuItem& it) { return !(it.type & MFT_SEPARATOR); }
bool Enabled(const MenuItem& it) { return !(it.state & (MFS_GRAYED | MFS_DISABLED)); }

std::u16string_view Label(const std::u16string& text) {
  size_t tab = text.find(u'\t');
  return std::u16string_view(text).substr(0, tab);
}

char16_t Mnemonic(const std::u16string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == u'&') {
      if (text[i + 1] == u'&') {
        ++i;
        continue;
      }
      char16_t c = text[i + 1];
      return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    }
  }
  return 0;
}

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// Lays the items of a popup menu out top to bottom; returns the window size.
SIZE LayoutPopup(Menu* m, HWND owner) {
  int itemH = GetSystemMetrics(SM_CYMENU) - 2;
  int width = 0;
  std::vector<int> heights;
  for (MenuItem& it : m->items) {
    int w = 0, h = itemH;
    if (it.type & MFT_OWNERDRAW) {
      // Owner-drawn separators too: the owner draws them, so it says how high they are.
      // The owner starts from the height of an item of text.
      MEASUREITEMSTRUCT mis{ODT_MENU, 0, it.id, 0, static_cast<UINT>(itemH), it.data};
      if (owner) Send(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
      w = static_cast<int>(std::min<UINT>(mis.itemWidth, 4000)) + GetSystemMetrics(SM_CXMENUCHECK) - 1;
      h = static_cast<int>(std::min<UINT>(mis.itemHeight, 1000));
    } else if (it.type & MFT_SEPARATOR) {
      h = kSeparatorHeight;
    } else {
      size_t tab = it.text.find(u'\t');
      w = kCheckColumn + MeasureTextLine(Label(it.text)).cx + kArrowColumn;
      if (tab != std::u16string::npos)
        w += 16 + MeasureTextLine(std::u16string_view(it.text).substr(tab + 1)).cx;
    }
    width = std::max(width, w);
    heights.push_back(h);
  }
  int y = 0;
  width = std::max(width, 60);
  for (size_t i = 0; i < m->items.size(); ++i) {
    m->items[i].rect = RECT{0, y, width, y + heights[i]};
    y += heights[i];
  }
  int border = GetSystemMetrics(SM_CXDLGFRAME);
  return SIZE{width + 2 * border, y + 2 * border};
}

Level* LevelOfWindow(HWND hwnd) {
  if (!tracking) return nullptr;
  for (Level& l : tracking->levels)
    if (l.hwnd == hwnd) return &l;
  return nullptr;
}

void NotifySelect(const Level& level) {
  if (!tracking) return;
  Menu* m = FindMenu(level.menu);
  if (!m || level.selected < 0 || level.selected >= static_cast<int>(m->items.size())) return;
  const MenuItem& it = m->items[static_cast<size_t>(level.selected)];
  UINT flags = it.type | it.state | MF_HILITE | (it.submenu ? MF_POPUP : 0) | (tracking->system ? MF_SYSMENU : 0);
  UINT item = it.submenu ? static_cast<UINT>(level.selected) : it.id;
  Send(tracking->owner, WM_MENUSELECT, MAKEWPARAM(static_cast<int>(item), static_cast<int>(flags & 0xffff)),
       reinterpret_cast<LPARAM>(level.menu));
}

void CloseLevelsAfter(size_t keep) {
  while (tracking && tracking->levels.size() > keep) {
    Level l = tracking->levels.back();
    tracking->levels.pop_back();
    if (!(tracking->flags & TPM_NONOTIFY))
      Send(tracking->owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(l.menu), 0);
    if (IsWindow(l.hwnd)) DestroyWindow(l.hwnd);
  }
}

bool OpenLevel(HMENU menu, POINT at, UINT align, int parentIndex) {
  if (!tracking || tracking->levels.size() >= kMaxLevels) return false;
  Menu* m = FindMenu(menu);
  if (!m) return false;
  if (!(tracking->flags & TPM_NONOTIFY))
    Send(tracking->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
         MAKELPARAM(std::max(parentIndex, 0), tracking->system ? 1 : 0));
  if (!tracking || !(m = FindMenu(menu)) || m->items.empty()) return false;
  SIZE size = LayoutPopup(m, tracking->owner);
  int x = at.x, y = at.y;
  if (align & TPM_RIGHTALIGN) x -= size.cx;
  else if (align & TPM_CENTERALIGN) x -= size.cx / 2;
  if (align & TPM_BOTTOMALIGN) y -= size.cy;
  else if (align & TPM_VCENTERALIGN) y -= size.cy / 2;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  x = std::clamp(x, 0, std::max(0, sw - size.cx));
  y = std::clamp(y, 0, std::max(0, sh - size.cy));
  tracking->levels.push_back(Level{menu, nullptr, -1});
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, u"#32768", u"",
                              WS_POPUP | WS_CLIPSIBLINGS, x, y, size.cx, size.cy, tracking ? tracking->owner : nullptr,
                              nullptr, nullptr, nullptr);
  if (!tracking) {
    if (hwnd) DestroyWindow(hwnd);
    return false;
  }
  if (!hwnd) {
    tracking->levels.pop_back();
    return false;
  }
  tracking->levels.back().hwnd = hwnd;
  ShowWindow(hwnd, SW_SHOWNA);
  UpdateWindow(hwnd);
  return true;
}

void Select(size_t levelIndex, int item) {
  if (!tracking || levelIndex >= tracking->levels.size()) return;
  Level& l = tracking->levels[levelIndex];
  if (l.selected == item) return;
  CloseLevelsAfter(levelIndex + 1);
  Level& lv = tracking->levels[levelIndex];
  Menu* m = FindMenu(lv.menu);
  if (!m) return;
  auto redraw = [&](int index) {
    if (index >= 0 && index < static_cast<int>(m->items.size())) {
      RECT r = m->items[static_cast<size_t>(index)].rect;
      InvalidateRect(lv.hwnd, &r, TRUE);
    }
  };
  redraw(lv.selected);
  lv.selected = item;
  redraw(item);
  UpdateWindow(lv.hwnd);
  NotifySelect(lv);
}

// Opens the submenu of the selected item of a level.
bool OpenSelectedSubmenu(size_t levelIndex, bool selectFirst) {
  if (!tracking || levelIndex >= tracking->levels.size()) return false;
  Level lv = tracking->levels[levelIndex];
  Menu* m = FindMenu(lv.menu);
  if (!m || lv.selected < 0 || lv.selected >= static_cast<int>(m->items.size())) return false;
  const MenuItem& it = m->items[static_cast<size_t>(lv.selected)];
  if (!it.submenu || !Enabled(it)) return false;
  if (tracking->levels.size() > levelIndex + 1) return true;
  RECT wr;
  GetWindowRect(lv.hwnd, &wr);
  int border = GetSystemMetrics(SM_CXDLGFRAME);
  // A right-to-left menu cascades to the left.
  const bool rtl = (it.type & MFT_RIGHTORDER) != 0;
  POINT at{rtl ? wr.left + border : wr.right - border, wr.top + it.rect.top};
  if (!OpenLevel(it.submenu, at, rtl ? TPM_RIGHTALIGN : TPM_LEFTALIGN, lv.selected)) return false;
  if (selectFirst) {
    Menu* sub = FindMenu(tracking->levels.back().menu);
    for (size_t i = 0; sub && i < sub->items.size(); ++i)
      if (Selectable(sub->items[i])) {
        Select(tracking->levels.size() - 1, static_cast<int>(i));
        break;
      }
  }
  return true;
}

void Choose(const MenuItem& it) {
  tracking->chose = true;
  tracking->chosen = it.id;
  tracking->done = true;
}

// The level and item under a screen point; false when the point is on no menu window.
bool HitItem(POINT pt, size_t* level, int* item) {
  for (size_t i = tracking->levels.size(); i-- > 0;) {
    const Level& l = tracking->levels[i];
    RECT wr;
    if (!GetWindowRect(l.hwnd, &wr) || !PointInRect(wr, pt.x, pt.y)) continue;
    *level = i;
    *item = -1;
    POINT c = pt;
    ScreenToClient(l.hwnd, &c);
    Menu* m = FindMenu(l.menu);
    for (size_t k = 0; m && k < m->items.size(); ++k)
      if (PointInRect(m->items[k].rect, c.x, c.y)) *item = static_cast<int>(k);
    return true;
  }
  return false;
}

void MoveSelection(int step) {
  size_t li = tracking->levels.size() - 1;
  Menu* m = FindMenu(tracking->levels[li].menu);
  if (!m || m->items.empty()) return;
  int n = static_cast<int>(m->items.size());
  int i = tracking->levels[li].selected;
  if (i < 0) i = step > 0 ? -1 : 0;
  for (int k = 0; k < n; ++k) {
    i = (i + step + n) % n;
    if (Selectable(m->items[static_cast<size_t>(i)])) {
      Select(li, i);
      return;
    }
  }
}

void HandleKey(const MSG& m) {
  size_t li = tracking->levels.size() - 1;
  Level& lv = tracking->levels[li];
  Menu* menu = FindMenu(lv.menu);
  switch (static_cast<int>(m.wParam)) {
    case VK_UP:
      MoveSelection(-1);
      break;
    case VK_DOWN:
      MoveSelection(1);
      break;
    case VK_RIGHT:
      if (!OpenSelectedSubmenu(li, true) && tracking->fromBar) {
        tracking->switchBar = 1;
        tracking->done = true;
      }
      break;
    case VK_LEFT:
      if (li > 0) {
        CloseLevelsAfter(li);
      } else if (tracking->fromBar) {
        tracking->switchBar = -1;
        tracking->done = true;
      }
      break;
    case VK_RETURN:
      if (menu && lv.selected >= 0 && lv.selected < static_cast<int>(menu->items.size())) {
        const MenuItem& it = menu->items[static_cast<size_t>(lv.selected)];
        if (it.submenu) OpenSelectedSubmenu(li, true);
        else if (Enabled(it) && Selectable(it)) Choose(it);
      }
      break;
    case VK_ESCAPE:
      if (li > 0) CloseLevelsAfter(li);
      else tracking->done = true;
      break;
    case VK_MENU:
    case VK_F10:
      tracking->done = true;
      break;
    default:
      break;
  }
}

void HandleChar(const MSG& m) {
  size_t li = tracking->levels.size() - 1;
  Menu* menu = FindMenu(tracking->levels[li].menu);
  if (!menu) return;
  char16_t key = Upper(static_cast<char16_t>(m.wParam));
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const MenuItem& it = menu->items[i];
    if (!Selectable(it) || Mnemonic(it.text) != key) continue;
    Select(li, static_cast<int>(i));
    if (it.submenu) OpenSelectedSubmenu(li, true);
    else if (Enabled(it)) Choose(it);
    return;
  }
}

void HandleMouse(const MSG& m, UINT buttonUp, UINT buttonDown) {
  size_t level = 0;
  int item = -1;
  bool onMenu = HitItem(m.pt, &level, &item);
  UINT msg = m.message;
  bool isDown = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
                msg == WM_NCLBUTTONDOWN || msg == WM_NCRBUTTONDOWN || msg == WM_NCMBUTTONDOWN;
  bool isUp = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_NCLBUTTONUP || msg == WM_NCRBUTTONUP;
  if (!onMenu) {
    if (isDown) tracking->done = true;  // a press elsewhere closes the menu
    return;
  }
  if (item >= 0) {
    Select(level, item);
    if (!tracking->done && tracking->levels.size() == level + 1) OpenSelectedSubmenu(level, false);
  }
  bool release = isUp && (msg == buttonUp || msg == buttonUp + (WM_NCLBUTTONUP - WM_LBUTTONUP) ||
                          ((tracking->flags & TPM_RIGHTBUTTON) && (msg == WM_RBUTTONUP || msg == WM_NCRBUTTONUP)));
  (void)buttonDown;
  if (release && item >= 0) {
    Menu* menu = FindMenu(tracking->levels[level].menu);
    if (menu && item < static_cast<int>(menu->items.size())) {
      const MenuItem& it = menu->items[static_cast<size_t>(item)];
      if (!it.submenu && Selectable(it) && Enabled(it)) Choose(it);
    }
  }
}

// Runs the menu loop until the menu closes; the first level must be open.
void RunLoop() {
  HWND captureWindow = tracking->levels.front().hwnd;
  SetCapture(captureWindow);
  MSG m;
  while (tracking && !tracking->done) {
    if (!IsWindow(tracking->owner) || tracking->levels.empty()) break;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (CallMsgFilterW(&m, MSGF_MENU)) continue;
    if (!tracking || tracking->done) break;
    bool forMenu = LevelOfWindow(m.hwnd) != nullptr;
    if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
        (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK)) {
      if (forMenu || m.hwnd == captureWindow) {
        HandleMouse(m, WM_LBUTTONUP, WM_LBUTTONDOWN);
      } else if (m.message != WM_MOUSEMOVE && m.message != WM_NCMOUSEMOVE) {
        // A press meant for another window (posted to it) closes the menu and is kept for it.
        State().posted.push_front(m);
        tracking->done = true;
      }
      continue;
    }
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
      TranslateMessage(&m);  // characters choose items by their access keys
      HandleKey(m);
      continue;
    }
    if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
      HandleChar(m);
      continue;
    }
    if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (GetCapture() == captureWindow) ReleaseCapture();
}

// Tracks a popup menu (and the levels it opens); returns the tracking outcome.
Tracking Track(HMENU menu, UINT flags, POINT at, HWND owner, bool system, bool fromBar, bool sendEnter) {
  Tracking t;
  t.owner = owner;
  t.flags = flags;
  t.system = system;
  t.fromBar = fromBar;
  t.origin = at;
  tracking = &t;
  if (sendEnter && !(flags & TPM_NONOTIFY)) {
    Send(owner, WM_ENTERMENULOOP, TRUE, 0);
    Send(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  }
  if (tracking && OpenLevel(menu, at, flags, 0)) RunLoop();
  if (tracking) CloseLevelsAfter(0);
  tracking = nullptr;
  if (IsWindow(owner)) {
    Send(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xffff), 0);
  }
  return t;
}

void FinishTracking(const Tracking& t, HWND owner, UINT flags, bool sendExit) {
  if (sendExit && !(flags & TPM_NONOTIFY) && IsWindow(owner)) Send(owner, WM_EXITMENULOOP, TRUE, 0);
}

bool SystemBitmap(const MenuItem& it) {
  return (it.type & MFT_BITMAP) && (it.bitmap == HBMMENU_SYSTEM || it.bitmap == HBMMENU_MBAR_RESTORE ||
                                    it.bitmap == HBMMENU_MBAR_MINIMIZE || it.bitmap == HBMMENU_MBAR_CLOSE);
}

// Items run from the bar's left edge; a right-justified item and those after it stand at the
// right edge. A right-to-left bar (its first item in right order) runs from the right edge.
void LayoutMenuBar(Window* w, const RECT& bar) {
  Menu* m = FindMenu(w->menu);
  if (!m) return;
  const size_t n = m->items.size();
  std::vector<int> widths(n);
  size_t split = n;
  for (size_t i = 0; i < n; ++i) {
    const MenuItem& it = m->items[i];
    widths[i] = (it.type & MFT_SEPARATOR) ? 0
                : SystemBitmap(it)        ? bar.bottom - bar.top
                                          : MeasureTextLine(Label(it.text)).cx + 16;
    if ((it.type & MFT_RIGHTJUSTIFY) && split == n) split = i;
  }
  auto place = [&](size_t i, int x) {
    m->items[i].rect = RECT{std::max<int>(x, bar.left), bar.top, std::min<int>(x + widths[i], bar.right), bar.bottom};
  };
  if (n > 0 && (m->items[0].type & MFT_RIGHTORDER)) {
    int x = bar.right;
    for (size_t i = 0; i < n; ++i) place(i, x -= widths[i]);
    return;
  }
  int x = bar.left;
  for (size_t i = 0; i < split; ++i) {
    place(i, x);
    x += widths[i];
  }
  int right = bar.right;
  for (size_t i = split; i < n; ++i) right -= widths[i];
  right = std::max(right, x);
  for (size_t i = split; i < n; ++i) {
    place(i, right);
    right += widths[i];
  }
}

// The maximised MDI child's icon and buttons on its frame's bar.
void DrawBarBitmap(HDC dc, const MenuItem& it) {
  RECT r = it.rect;
  if (it.bitmap == HBMMENU_SYSTEM) {
    auto child = reinterpret_cast<HWND>(it.data);
    HICON icon = IsWindow(child) ? reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_SMALL, 0)) : nullptr;
    if (!icon && IsWindow(child)) icon = GetClassIcon(child, true);
    const int size = GetSystemMetrics(SM_CXSMICON);
    if (icon)
      DrawIconEx(dc, r.left + (r.right - r.left - size) / 2, r.top + (r.bottom - r.top - size) / 2, icon, size, size, 0,
                 nullptr, DI_NORMAL);
    return;
  }
  InflateRect(r, -1, -2);
  const int glyph = it.bitmap == HBMMENU_MBAR_CLOSE ? 0 : it.bitmap == HBMMENU_MBAR_RESTORE ? 2 : 3;
  PaintCaptionGlyph(dc, r, glyph, Enabled(it));
}

void TrackBar(HWND hwnd, int index) {
  Window* w = State().Find(hwnd);
  if (!w || !FindMenu(w->menu) || tracking) return;
  HMENU bar = w->menu;
  Send(hwnd, WM_ENTERMENULOOP, FALSE, 0);
  Send(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  for (int guard = 0; guard < 64 && IsWindow(hwnd); ++guard) {
    Menu* m = FindMenu(bar);
    if (!m || m->items.empty() || index < 0 || index >= static_cast<int>(m->items.size())) break;
    const MenuItem& it = m->items[static_cast<size_t>(index)];
    if (!it.submenu) {
      if (Enabled(it) && Selectable(it)) PostMessageW(hwnd, WM_COMMAND, it.id, 0);
      break;
    }
    RECT wr;
    GetWindowRect(hwnd, &wr);
    const bool rtl = (it.type & MFT_RIGHTORDER) != 0;
    POINT at{wr.left + (rtl ? it.rect.right : it.rect.left), wr.top + it.rect.bottom};
    Tracking t = Track(it.submenu, rtl ? TPM_RIGHTALIGN : TPM_LEFTALIGN, at, hwnd, false, true, false);
    if (t.chose) {
      PostMessageW(hwnd, WM_COMMAND, t.chosen, 0);
      break;
    }
    if (t.switchBar == 0) break;
    int n = static_cast<int>(FindMenu(bar) ? FindMenu(bar)->items.size() : 0);
    if (n == 0) break;
    index = (index + t.switchBar + n) % n;
  }
  if (IsWindow(hwnd)) Send(hwnd, WM_EXITMENULOOP, FALSE, 0);
}

// The arrow of an item that opens a submenu: at the right end, or pointing left at the left end
// of a right-to-left item.
void DrawSubmenuArrow(HDC dc, const MenuItem& it, COLORREF ink) {
  const RECT& r = it.rect;
  const bool rtl = (it.type & MFT_RIGHTORDER) != 0;
  DrawMenuArrow(dc, rtl ? RECT{r.left + 4, r.top, r.left + 12, r.bottom} : RECT{r.right - 12, r.top, r.right - 4, r.bottom},
                ink, rtl);
}

void DrawItem(HDC dc, HWND owner, HMENU menu, const MenuItem& it, bool selected) {
  if (it.type & MFT_OWNERDRAW) {
    DRAWITEMSTRUCT dis{ODT_MENU, 0, it.id, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(menu), dc, it.rect, it.data};
    if (selected) dis.itemState |= ODS_SELECTED;
    if (it.state & MFS_GRAYED) dis.itemState |= ODS_GRAYED;
    if (it.state & MFS_DISABLED) dis.itemState |= ODS_DISABLED;
    if (it.state & MFS_CHECKED) dis.itemState |= ODS_CHECKED;
    if (owner) Send(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    // The arrow of a submenu is the system's, drawn over what the owner drew.
    if (it.submenu)
      DrawSubmenuArrow(dc, it, GetSysColor(!Enabled(it) ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    return;
  }
  const RECT& r = it.rect;
  if (it.type & MFT_SEPARATOR) {
    int y = (r.top + r.bottom) / 2 - 1;
    FillSolid(dc, RECT{r.left + 1, y, r.right - 1, y + 1}, GetSysColor(COLOR_BTNSHADOW));
    FillSolid(dc, RECT{r.left + 1, y + 1, r.right - 1, y + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
    return;
  }
  FillSolid(dc, r, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  COLORREF ink = !Enabled(it) ? GetSysColor(COLOR_GRAYTEXT)
                              : GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  // A right-to-left item is the mirror image: the check at the right, the text right-aligned
  // and the keys and the submenu's arrow at the left.
  const bool rtl = (it.type & MFT_RIGHTORDER) != 0;
  const RECT label = rtl ? RECT{r.left + kArrowColumn, r.top, r.right - kCheckColumn, r.bottom}
                         : RECT{r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
  size_t tab = it.text.find(u'\t');
  DrawTextLine(dc, label, Label(it.text), ink, rtl ? DT_RIGHT | DT_RTLREADING : 0);
  if (tab != std::u16string::npos) {
    std::u16string_view accel = std::u16string_view(it.text).substr(tab + 1);
    int aw = MeasureTextLine(accel).cx;
    DrawTextLine(dc, RECT{label.left + (rtl ? 0 : label.right - label.left - aw), r.top, rtl ? label.left + aw : label.right,
                          r.bottom},
                 accel, ink, DT_NOPREFIX);
  }
  if (it.state & MFS_CHECKED) {
    const RECT box = rtl ? RECT{r.right - kCheckColumn + 3, r.top, r.right, r.bottom}
                         : RECT{r.left, r.top, r.left + kCheckColumn - 3, r.bottom};
    if (it.type & MFT_RADIOCHECK) DrawMenuBullet(dc, box, ink);
    else DrawMenuCheck(dc, box, ink);
  }
  if (it.submenu) DrawSubmenuArrow(dc, it, ink);
}

void DrawItems(HWND hwnd, HDC dc) {
  Level* l = LevelOfWindow(hwnd);
  Menu* m = l ? FindMenu(l->menu) : nullptr;
  if (!m || !dc) return;
  HMENU h = l->menu;
  int selected = l->selected;
  std::vector<MenuItem> items = m->items;  // drawing may call out to the owner
  for (size_t i = 0; i < items.size(); ++i)
    DrawItem(dc, tracking ? tracking->owner : nullptr, h, items[i], static_cast<int>(i) == selected);
}

}  // namespace

namespace user_internal {

LRESULT PopupMenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      DrawItems(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      DrawItems(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void PaintMenuBar(Window* w, HDC dc, const RECT& bar) {
  LayoutMenuBar(w, bar);
  Menu* m = FindMenu(w->menu);
  if (!m) return;
  for (const MenuItem& it : m->items) {
    if (it.type & MFT_OWNERDRAW) {
      DRAWITEMSTRUCT dis{ODT_MENU, 0, it.id, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(w->menu), dc, it.rect, it.data};
      Send(w->handle, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
      continue;
    }
    if (SystemBitmap(it)) {
      DrawBarBitmap(dc, it);
      continue;
    }
    COLORREF ink = Enabled(it) ? GetSysColor(COLOR_MENUTEXT) : GetSysColor(COLOR_GRAYTEXT);
    DrawTextLine(dc, it.rect, Label(it.text), ink, DT_CENTER);
  }
}

}  // namespace user_internal

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void*) {
  if (tracking || !FindMenu(menu) || !IsWindow(owner)) return FALSE;
  Tracking t = Track(menu, flags, POINT{x, y}, owner, false, false, true);
  FinishTracking(t, owner, flags, true);
  if (flags & TPM_RETURNCMD) return t.chose ? static_cast<BOOL>(t.chosen) : 0;
  if (t.chose && IsWindow(owner)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(t.chosen), 0), 0);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu() {
  if (!tracking) return FALSE;
  tracking->done = true;
  return TRUE;
}

BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, RECT* rect) {
  Menu* m = FindMenu(menu);
  if (!m || !rect || item >= m->items.size()) return FALSE;
  RECT r = m->items[item].rect;
  HWND base = hwnd;
  if (m->popup) {
    base = nullptr;
    if (tracking)
      for (const Level& l : tracking->levels)
        if (l.menu == menu) base = l.hwnd;
    if (!base) return FALSE;
    POINT o{0, 0};
    ClientToScreen(base, &o);
    *rect = OffsetRectBy(r, o.x, o.y);
    return TRUE;
  }
  RECT wr;
  if (!GetWindowRect(hwnd, &wr)) return FALSE;
  *rect = OffsetRectBy(r, wr.left, wr.top);
  return TRUE;
}

void ShowSystemMenuAt(HWND hwnd, POINT screen) {
  Window* w = State().Find(hwnd);
  if (!w || tracking) return;
  HMENU sys = GetSystemMenu(hwnd, FALSE);
  if (!sys) return;
  DWORD st = w->style;
  bool minimized = st & WS_MINIMIZE, maximized = st & WS_MAXIMIZE;
  auto enable = [&](UINT id, bool on) { EnableMenuItem(sys, id, on ? MF_ENABLED : MF_GRAYED); };
  enable(SC_RESTORE, minimized || maximized);
  enable(SC_MOVE, !maximized && !minimized);
  enable(SC_SIZE, (st & WS_THICKFRAME) && !maximized && !minimized);
  enable(SC_MINIMIZE, (st & WS_MINIMIZEBOX) && !minimized);
  enable(SC_MAXIMIZE, (st & WS_MAXIMIZEBOX) && !maximized);
  enable(SC_CLOSE, !(w->cls->style & CS_NOCLOSE));
  Tracking t = Track(sys, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen, hwnd, true, false, true);
  FinishTracking(t, hwnd, 0, true);
  if (t.chose && IsWindow(hwnd)) PostMessageW(hwnd, WM_SYSCOMMAND, t.chosen, MAKELPARAM(screen.x, screen.y));
}

void TrackMenuBarAt(HWND hwnd, POINT screen) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  Menu* m = FindMenu(w->menu);
  if (!m) return;
  FrameLayout f = LayoutOf(w);
  LayoutMenuBar(w, f.menuBar);
  RECT wr = WindowRectOnScreen(w);
  for (size_t i = 0; i < m->items.size(); ++i)
    if (PointInRect(m->items[i].rect, screen.x - wr.left, screen.y - wr.top)) {
      TrackBar(hwnd, static_cast<int>(i));
      return;
    }
}

void TrackMenuBarByKey(HWND hwnd, char16_t key) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  Menu* m = FindMenu(w->menu);
  if (!m || m->items.empty()) return;
  LayoutMenuBar(w, LayoutOf(w).menuBar);
  if (key == 0) {
    TrackBar(hwnd, 0);
    return;
  }
  for (size_t i = 0; i < m->items.size(); ++i)
    if (Mnemonic(m->items[i].text) == Upper(key)) {
      TrackBar(hwnd, static_cast<int>(i));
      return;
    }
}
