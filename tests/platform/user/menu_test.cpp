// Menus: items, popup menu windows of class "#32768", the menu loop by keyboard and mouse,
// owner-drawn items, the system menu and the menu bar.
#include <algorithm>

#include "platform/user/menus.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

constexpr unsigned kDown = 0x28, kUp = 0x26, kRight = 0x27, kReturn = 0x0D, kEscape = 0x1B;

class Menus : public UserTest {
 protected:
  HWND MakeOwner(HMENU bar = nullptr) {
    HWND h = CreateWindowExW(0, RecordingClass(), u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300,
                             nullptr, bar, nullptr, nullptr);
    Pump();
    Log().clear();
    return h;
  }
  // Open(100), separator, Close(101), More -> Deep(200)
  HMENU MakeMenu() {
    HMENU more = CreatePopupMenu();
    AppendMenuW(more, MF_STRING, 200, u"&Deep");
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 100, u"&Open");
    AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m, MF_STRING, 101, u"&Close\tCtrl+W");
    AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(more), u"&More");
    return m;
  }
};

std::vector<std::u16string> createdClasses;
HHOOK cbt = nullptr;
LRESULT RecordCreates(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    auto* c = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
    createdClasses.push_back(c->lpcs->lpszClass);
    EXPECT_FALSE(c->lpcs->style & WS_CHILD);
  }
  return CallNextHookEx(cbt, code, wParam, lParam);
}

TEST_F(Menus, KeyboardChoosesAnItemInAMenuWindowTheHookSees) {
  HWND owner = MakeOwner();
  HMENU menu = MakeMenu();
  createdClasses.clear();
  cbt = SetWindowsHookExW(WH_CBT, RecordCreates, nullptr, GetCurrentThreadId());
  screen->TypeKey(kDown);
  screen->TypeKey(kDown);  // over the separator to "Close"
  screen->TypeKey(kReturn);
  UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr));
  UnhookWindowsHookEx(cbt);
  EXPECT_EQ(chosen, 101u);
  EXPECT_EQ(createdClasses, std::vector<std::u16string>{u"#32768"});
  EXPECT_EQ(Names(Filtered(owner, {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND})),
            Names({WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP}));
  // WM_MENUSELECT follows the selection and ends with the closing notice.
  std::vector<Entry> selects;
  for (const Entry& e : Log())
    if (e.hwnd == owner && e.msg == WM_MENUSELECT) selects.push_back(e);
  ASSERT_GE(selects.size(), 3u);
  EXPECT_EQ(LOWORD(selects[0].wParam), 100);
  EXPECT_EQ(LOWORD(selects[1].wParam), 101);
  EXPECT_EQ(HIWORD(selects.back().wParam), 0xffff);
  EXPECT_EQ(selects.back().lParam, 0);
  // No menu window is left.
  EXPECT_EQ(FindWindowExW(nullptr, nullptr, u"#32768", nullptr), nullptr);
  DestroyMenu(menu);
}

TEST_F(Menus, SubmenuByKeyboardPostsTheCommand) {
  HWND owner = MakeOwner();
  HMENU menu = MakeMenu();
  screen->TypeKey(kUp);  // wraps to the last item, "More"
  screen->TypeKey(kRight);
  screen->TypeKey(kReturn);
  EXPECT_TRUE(TrackPopupMenu(menu, 0, 50, 50, 0, owner, nullptr));
  Pump();
  auto cmd = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.hwnd == owner && e.msg == WM_COMMAND; });
  ASSERT_NE(cmd, Log().end());
  EXPECT_EQ(LOWORD(cmd->wParam), 200);
  EXPECT_EQ(Filtered(owner, {WM_INITMENUPOPUP}).size(), 2u);
  DestroyMenu(menu);
}

TEST_F(Menus, ClickOnAnItemAndEscapeAndAccessKeys) {
  HWND owner = MakeOwner();
  HMENU menu = MakeMenu();
  int border = GetSystemMetrics(SM_CXDLGFRAME);
  screen->Click(60, 50 + border + 5);  // inside the first item
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr), 100);
  screen->TypeKey(kEscape);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr), 0);
  screen->TypeKey('C', U'c');
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr), 101);
  // A click outside closes the menu without a choice.
  screen->Click(700, 700);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr), 0);
  // Disabled items cannot be chosen.
  EnableMenuItem(menu, 100, MF_BYCOMMAND | MF_GRAYED);
  screen->Click(60, 50 + border + 5);
  screen->TypeKey(kEscape);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr), 0);
  DestroyMenu(menu);
}

TEST_F(Menus, OwnerDrawnItemsAreMeasuredAndDrawnByTheOwner) {
  HWND owner = MakeOwner();
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_OWNERDRAW, 7, reinterpret_cast<const char16_t*>(0x77));
  std::vector<RECT> drawn;
  SetHandler([&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT* r) {
    if (msg == WM_MEASUREITEM) {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      EXPECT_EQ(mis->CtlType, ODT_MENU);
      EXPECT_EQ(mis->itemData, 0x77u);
      mis->itemWidth = 120;
      mis->itemHeight = 30;
      *r = TRUE;
      return true;
    }
    if (msg == WM_DRAWITEM) {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      EXPECT_EQ(dis->CtlType, ODT_MENU);
      EXPECT_EQ(dis->itemID, 7u);
      EXPECT_NE(dis->hDC, nullptr);
      drawn.push_back(dis->rcItem);
      *r = TRUE;
      return true;
    }
    return false;
  });
  screen->TypeKey(kEscape);
  TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, owner, nullptr);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn[0].bottom - drawn[0].top, 30);
  EXPECT_GE(drawn[0].right - drawn[0].left, 120);
  DestroyMenu(menu);
}

TEST_F(Menus, AltSpaceOpensTheSystemMenu) {
  HWND owner = MakeOwner();
  HMENU sys = GetSystemMenu(owner, FALSE);
  ASSERT_EQ(GetMenuItemCount(sys), 7);
  char16_t text[32];
  GetMenuStringW(sys, SC_CLOSE, text, 32, MF_BYCOMMAND);
  EXPECT_EQ(std::u16string(text), u"&Close\tAlt+F4");
  screen->PressKey(0xA4);
  screen->TypeKey(0x20, U' ');
  screen->ReleaseKey(0xA4);
  screen->TypeKey('C', U'c');
  Pump();
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_EQ(Names(Filtered(owner, {WM_SYSCOMMAND, WM_CLOSE})), Names({WM_SYSCOMMAND, WM_SYSCOMMAND, WM_CLOSE}));
}

TEST_F(Menus, MenuBarOpensByAltAndMovesSideways) {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, 10, u"&New");
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, 20, u"&Copy");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), u"&Edit");
  HWND owner = MakeOwner(bar);
  EXPECT_EQ(GetMenu(owner), bar);
  screen->TypeKey(0xA4);  // Alt alone
  screen->TypeKey(kRight);
  screen->TypeKey(kDown);
  screen->TypeKey(kReturn);
  Pump();
  auto cmd = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.hwnd == owner && e.msg == WM_COMMAND; });
  ASSERT_NE(cmd, Log().end());
  EXPECT_EQ(LOWORD(cmd->wParam), 20);
  DestroyWindow(owner);
  EXPECT_FALSE(IsMenu(bar));  // the window's menu goes with it
}

TEST_F(Menus, ItemInfoInBothCharacterForms) {
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING | MF_CHECKED, 5, "Gr\xC3\xBC\xC3\x9F" "e");
  MENUITEMINFOA a{};
  a.cbSize = sizeof a;
  a.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_SUBMENU;
  char buffer[80];
  a.dwTypeData = buffer;
  a.cch = sizeof buffer;
  ASSERT_TRUE(GetMenuItemInfoA(m, 0, TRUE, &a));
  EXPECT_STREQ(buffer, "Gr\xC3\xBC\xC3\x9F" "e");
  EXPECT_EQ(a.wID, 5u);
  EXPECT_EQ(a.fState & MFS_CHECKED, MFS_CHECKED);
  EXPECT_EQ(a.hSubMenu, nullptr);
  a.fMask = MIIM_TYPE;
  a.fType = MFT_OWNERDRAW;
  ASSERT_TRUE(SetMenuItemInfoA(m, 5, FALSE, &a));
  EXPECT_EQ(GetMenuState(m, 0, MF_BYPOSITION) & MF_OWNERDRAW, MF_OWNERDRAW);
  MENUITEMINFOW w{};
  w.cbSize = sizeof w;
  w.fMask = MIIM_STRING;
  w.fType = 0;
  char16_t name[] = u"Neu";
  w.dwTypeData = name;
  EXPECT_TRUE(SetMenuItemInfoW(m, 0, TRUE, &w));
  char16_t back[8];
  EXPECT_EQ(GetMenuStringW(m, 0, back, 8, MF_BYPOSITION), 3);
  EXPECT_FALSE(GetMenuItemInfoW(m, 9, TRUE, &w));
  DestroyMenu(m);
}

}  // namespace
