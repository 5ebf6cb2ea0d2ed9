// MDI windows: a frame whose "MDIClient" makes, activates, maximises, restores, tiles and
// destroys its children on request, the maximised child's buttons on the frame's menu bar
// (drawn there and clicked), and the client's scroll bars while a child reaches beyond it.
#include "platform/user/mdi.h"

#include "platform/user/menus.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

HWND frameClient = nullptr;

LRESULT CALLBACK_Frame(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefFrameProcW(h, frameClient, msg, w, l); }
LRESULT CALLBACK_Child(HWND h, UINT msg, WPARAM w, LPARAM l) {
  Log().push_back(Entry{h, msg, w, l});
  return DefMDIChildProcW(h, msg, w, l);
}

void Register(const char16_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  RegisterClassExW(&wc);
}

class Mdi : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    Register(u"MdiTestFrame", CALLBACK_Frame);
    Register(u"MdiTestChild", CALLBACK_Child);
    menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 10, u"&New");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    frame = CreateWindowExW(0, u"MdiTestFrame", u"Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500, 400,
                            nullptr, menu, nullptr, nullptr);
    RECT r{};
    GetClientRect(frame, &r);
    CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
    frameClient = client = CreateWindowExW(0, u"MDIClient", nullptr, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                                           0, 0, r.right, r.bottom, frame, nullptr, nullptr, &ccs);
    ASSERT_NE(client, nullptr);
  }
  void TearDown() override {
    DestroyWindow(frame);
    frameClient = nullptr;
    UserTest::TearDown();
  }
  HWND NewChild(const char16_t* title, int x, int y, DWORD style = WS_VISIBLE) {
    MDICREATESTRUCTW cs{u"MdiTestChild", title, nullptr, x, y, 200, 150, style, 0};
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&cs)));
  }
  HWND Active(BOOL* maximised = nullptr) {
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(maximised)));
  }
  // A child's window rectangle in the client's coordinates.
  RECT InClient(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  RECT ScreenClient(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  HBITMAP ItemBitmap(int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(GetMenu(frame), UINT(position), TRUE, &info);
    return info.hbmpItem;
  }

  HMENU menu = nullptr;
  HWND frame = nullptr, client = nullptr;
};

TEST_F(Mdi, ChildrenAreMadeActivatedMaximisedAndDestroyed) {
  HWND a = NewChild(u"A", 10, 10);
  HWND b = NewChild(u"B", 40, 40);
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(GetWindowLongPtrW(a, GWL_EXSTYLE) & WS_EX_MDICHILD);
  // Every child gets a caption, a sizing frame and both boxes.
  EXPECT_EQ(GetWindowLongPtrW(a, GWL_STYLE) & WS_OVERLAPPEDWINDOW, LONG_PTR(WS_OVERLAPPEDWINDOW));
  BOOL maximised = TRUE;
  EXPECT_EQ(Active(&maximised), b);
  EXPECT_FALSE(maximised);
  EXPECT_EQ(GetTopWindow(client), b);
  // The one activated hears of it, and the other of losing it.
  Log().clear();
  SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
  EXPECT_EQ(Active(), a);
  EXPECT_EQ(GetTopWindow(client), a);
  EXPECT_EQ(Filtered(b, {WM_NCACTIVATE, WM_MDIACTIVATE}), (std::vector<UINT>{WM_NCACTIVATE, WM_MDIACTIVATE}));
  EXPECT_EQ(Filtered(a, {WM_NCACTIVATE, WM_MDIACTIVATE}), (std::vector<UINT>{WM_NCACTIVATE, WM_MDIACTIVATE}));
  // A maximised child's client area is the client's.
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
  EXPECT_TRUE(IsZoomed(a));
  EXPECT_EQ(ScreenClient(a), ScreenClient(client));
  EXPECT_EQ(Active(&maximised), a);
  EXPECT_TRUE(maximised);
  // Activating another child carries the maximised state over.
  SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b), 0);
  EXPECT_TRUE(IsZoomed(b));
  EXPECT_FALSE(IsZoomed(a));
  EXPECT_EQ(ScreenClient(b), ScreenClient(client));
  // A child made while one is maximised is maximised too.
  HWND c = NewChild(u"C", 5, 5);
  EXPECT_TRUE(IsZoomed(c));
  EXPECT_FALSE(IsZoomed(b));
  SendMessageW(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(c), 0);
  EXPECT_FALSE(IsZoomed(c));
  // Destroying the active child activates the next one.
  SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c), 0);
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(Active(), b);
  // Closing a child destroys it through its client.
  SendMessageW(b, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(Active(), a);
  DestroyWindow(a);
  EXPECT_EQ(Active(), nullptr);
}

TEST_F(Mdi, TheMaximisedChildsButtonsStandOnTheFramesBarAndAct) {
  HWND a = NewChild(u"A", 10, 10);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
  // The child's system menu first, its minimise, restore and close buttons at the end.
  ASSERT_EQ(GetMenuItemCount(menu), 5);
  EXPECT_EQ(ItemBitmap(0), HBMMENU_SYSTEM);
  EXPECT_EQ(GetSubMenu(menu, 0), GetSystemMenu(a, FALSE));
  EXPECT_EQ(GetMenuItemID(menu, 2), UINT(SC_MINIMIZE));
  EXPECT_EQ(GetMenuItemID(menu, 3), UINT(SC_RESTORE));
  EXPECT_EQ(GetMenuItemID(menu, 4), UINT(SC_CLOSE));
  EXPECT_EQ(ItemBitmap(4), HBMMENU_MBAR_CLOSE);
  // The frame's title carries the child's, also when either changes.
  EXPECT_EQ(GetWindowTextString(frame), u"Frame - [A]");
  SetWindowTextW(a, u"A2");
  SetWindowTextW(frame, u"Main");
  EXPECT_EQ(GetWindowTextString(frame), u"Main - [A2]");
  Pump();
  // Drawn at the bar's right end as caption buttons: the close button's face and its cross.
  RECT close{};
  ASSERT_TRUE(GetMenuItemRect(frame, menu, 4, &close));
  RECT wr{};
  GetWindowRect(frame, &wr);
  const int border = GetSystemMetrics(SM_CXFRAME);
  EXPECT_EQ(close.right, wr.right - border);
  EXPECT_EQ(screen->ScreenPixel(close.left + 3, close.top + 4), Pixel(GetSysColor(COLOR_BTNFACE)));
  const int cx = (close.left + close.right) / 2, cy = (close.top + close.bottom) / 2;
  EXPECT_EQ(screen->ScreenPixel(cx, cy), Pixel(GetSysColor(COLOR_BTNTEXT)));
  // The restore button restores the child, and its buttons leave the bar.
  RECT restore{};
  GetMenuItemRect(frame, menu, 3, &restore);
  screen->Click((restore.left + restore.right) / 2, (restore.top + restore.bottom) / 2);
  Pump();
  EXPECT_FALSE(IsZoomed(a));
  EXPECT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(GetWindowTextString(frame), u"Main");
  // Maximised again, its close button closes it.
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
  Pump();
  GetMenuItemRect(frame, menu, 4, &close);
  screen->Click((close.left + close.right) / 2, (close.top + close.bottom) / 2);
  Pump();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(GetMenuItemCount(menu), 1);
}

TEST_F(Mdi, SetMenuGivesTheFrameAnotherMenuWithTheButtons) {
  HWND a = NewChild(u"A", 10, 10);
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
  HMENU other = CreateMenu();
  AppendMenuW(other, MF_STRING, 20, u"&Edit");
  AppendMenuW(other, MF_STRING, 21, u"&View");
  EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(other), 0)), menu);
  EXPECT_EQ(GetMenu(frame), other);
  // The old menu is left as it was; the buttons move to the new one.
  EXPECT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(GetMenuItemCount(other), 6);
  EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(client, WM_MDIREFRESHMENU, 0, 0)), other);
  // No frame menu keeps the one there is.
  EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(client, WM_MDISETMENU, 0, 0)), other);
  EXPECT_EQ(GetMenu(frame), other);
  DestroyMenu(menu);
}

TEST_F(Mdi, TileRestoresAndArrangesTheChildren) {
  HWND a = NewChild(u"A", 10, 10);
  HWND b = NewChild(u"B", 30, 30);
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(b), 0);
  EXPECT_TRUE(SendMessageW(client, WM_MDITILE, MDITILE_VERTICAL, 0));
  EXPECT_FALSE(IsZoomed(b));
  RECT area{};
  GetClientRect(client, &area);
  EXPECT_EQ(InClient(a), (RECT{0, 0, area.right / 2, area.bottom}));
  EXPECT_EQ(InClient(b), (RECT{area.right / 2, 0, area.right / 2 * 2, area.bottom}));
  SendMessageW(client, WM_MDITILE, MDITILE_HORIZONTAL, 0);
  EXPECT_EQ(InClient(a), (RECT{0, 0, area.right, area.bottom / 2}));
  EXPECT_EQ(InClient(b), (RECT{0, area.bottom / 2, area.right, area.bottom / 2 * 2}));
}

// Cascade: the maximised child restored first, then the visible children that are not minimised
// stacked from the client's corner by the caption height and the sizing frame, bottom of the
// stacking order first and the active child last and on top, all of one size; disabled ones
// left where they are when asked to skip them.
TEST_F(Mdi, CascadeStacksTheChildrenFromTheCorner) {
  // Nothing to arrange.
  EXPECT_FALSE(SendMessageW(client, WM_MDICASCADE, 0, 0));
  for (const WPARAM how : {WPARAM(0), MDITILE_ZORDER, MDITILE_SKIPDISABLED}) {
    SCOPED_TRACE(how);
    HWND a = NewChild(u"A", 200, 120);
    HWND b = NewChild(u"B", 150, 20);
    HWND c = NewChild(u"C", 60, 90);
    HWND off = NewChild(u"Disabled", 90, 40);
    HWND hidden = NewChild(u"Hidden", 70, 70, 0);
    HWND small = NewChild(u"Minimised", 80, 80);
    EnableWindow(off, FALSE);
    ShowWindow(small, SW_MINIMIZE);
    SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b), 0);
    SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(b), 0);
    ASSERT_TRUE(IsZoomed(b));
    // From the top of the stacking order down: B (active), Minimised, Disabled, C, A.
    const RECT offBefore = InClient(off), hiddenBefore = InClient(hidden), smallBefore = InClient(small);
    EXPECT_TRUE(SendMessageW(client, WM_MDICASCADE, how, 0));
    EXPECT_FALSE(IsZoomed(b));
    BOOL maximised = TRUE;
    EXPECT_EQ(Active(&maximised), b);
    EXPECT_FALSE(maximised);
    RECT area{};
    GetClientRect(client, &area);
    const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
    const int slots = std::min(area.right, area.bottom) / 2 / step;
    const int w = area.right - step * (slots - 1), h = area.bottom - step * (slots - 1);
    std::vector<HWND> stack{a, c, off, b};
    if (how & MDITILE_SKIPDISABLED) stack = {a, c, b};
    for (size_t i = 0; i < stack.size(); ++i) {
      const int at = step * int(i);
      EXPECT_EQ(InClient(stack[i]), (RECT{at, at, at + w, at + h})) << i;
    }
    // The last of them is drawn over the others, and every caption shows.
    EXPECT_EQ(GetTopWindow(client), b);
    for (size_t i = 1; i < stack.size(); ++i) {
      HWND above = stack[i - 1];
      while (above && above != stack[i]) above = GetWindow(above, GW_HWNDPREV);
      EXPECT_EQ(above, stack[i]) << i << " lies above " << i - 1;
    }
    if (how & MDITILE_SKIPDISABLED) {
      EXPECT_EQ(InClient(off), offBefore);
    }
    EXPECT_EQ(InClient(hidden), hiddenBefore);
    EXPECT_EQ(InClient(small), smallBefore);
    EXPECT_TRUE(IsIconic(small));
    for (HWND x : {a, b, c, off, hidden, small}) DestroyWindow(x);
  }
}

// A run of the stack holds as many windows as leave each at least half the client area; the
// next window starts again at the corner.
TEST_F(Mdi, CascadeStartsAgainAtTheCornerAfterARun) {
  RECT area{};
  GetClientRect(client, &area);
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
  const int slots = std::min(area.right, area.bottom) / 2 / step;
  ASSERT_GT(slots, 1);
  std::vector<HWND> children;
  for (int i = 0; i < slots + 2; ++i) children.push_back(NewChild(u"X", 5 * i, 3 * i));
  EXPECT_TRUE(SendMessageW(client, WM_MDICASCADE, 0, 0));
  const int w = area.right - step * (slots - 1), h = area.bottom - step * (slots - 1);
  for (size_t i = 0; i < children.size(); ++i) {
    const int at = step * (int(i) % slots);
    EXPECT_EQ(InClient(children[i]), (RECT{at, at, at + w, at + h})) << i;
  }
  // The last window of the full run ends at the client's bottom-right corner.
  const RECT last = InClient(children[size_t(slots - 1)]);
  EXPECT_EQ(last.right, area.right);
  EXPECT_EQ(last.bottom, area.bottom);
  EXPECT_EQ(GetWindowLongPtrW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0) << "all within the client";
}

// Next and previous: WM_MDINEXT (and the children's Next and Previous system commands) go round
// the stacking order, passing over hidden and disabled children; Next sends the one it leaves
// to the bottom; a maximised state goes over to the child activated.
TEST_F(Mdi, NextAndPreviousGoRoundTheChildren) {
  HWND a = NewChild(u"A", 10, 10);
  HWND off = NewChild(u"Disabled", 20, 20);
  HWND b = NewChild(u"B", 30, 30);
  HWND hidden = NewChild(u"Hidden", 35, 35, 0);
  HWND c = NewChild(u"C", 40, 40);
  EnableWindow(off, FALSE);
  auto stacking = [&] {
    std::vector<HWND> order;
    for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      if (h != off && h != hidden) order.push_back(h);
    return order;
  };
  ASSERT_EQ(Active(), c);
  ASSERT_EQ(stacking(), (std::vector<HWND>{c, b, a}));
  struct Step {
    HWND to;      // the window the request goes to (the client: WM_MDINEXT)
    WPARAM from;  // WM_MDINEXT's wParam, or the system command
    LPARAM previous;
    HWND active;
    std::vector<HWND> order;
  } steps[] = {
      {client, 0, 0, b, {b, a, c}},                      // the active one goes to the bottom
      {client, 0, 1, c, {c, b, a}},                      // the bottom one comes to the front
      {client, WPARAM(a), 0, c, {c, b, a}},              // from A: the next below A is C again
      {c, SC_NEXTWINDOW, 0, b, {b, a, c}},               // the child's own system commands
      {b, SC_PREVWINDOW, 0, c, {c, b, a}},
  };
  for (const Step& s : steps) {
    if (s.to == client)
      EXPECT_EQ(SendMessageW(client, WM_MDINEXT, s.from, s.previous), 0);
    else
      SendMessageW(s.to, WM_SYSCOMMAND, s.from, 0);
    EXPECT_EQ(Active(), s.active);
    EXPECT_EQ(stacking(), s.order);
  }
  // The maximised state goes with the activation.
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(c), 0);
  SendMessageW(client, WM_MDINEXT, 0, 0);
  BOOL maximised = FALSE;
  EXPECT_EQ(Active(&maximised), b);
  EXPECT_TRUE(maximised);
  EXPECT_FALSE(IsZoomed(c));
  EXPECT_FALSE(IsZoomed(off));
}

TEST_F(Mdi, ScrollBarsShowWhileAChildReachesBeyondTheClient) {
  HWND a = NewChild(u"A", 10, 10);
  EXPECT_EQ(GetWindowLongPtrW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
  RECT area{};
  GetClientRect(client, &area);
  SetWindowPos(a, nullptr, area.right - 50, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindowLongPtrW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), LONG_PTR(WS_HSCROLL));
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(client, SB_HORZ, &si));
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, area.right - 50 + 200 - 1);
  EXPECT_EQ(si.nPos, 0);
  // Scrolling moves the children.
  SendMessageW(client, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(InClient(a).left, area.right - 58);
  // A request that moves nothing moves nothing; to the far end the child's right edge meets the
  // client's.
  SendMessageW(client, WM_HSCROLL, SB_ENDSCROLL, 0);
  EXPECT_EQ(InClient(a).left, area.right - 58);
  SendMessageW(client, WM_HSCROLL, SB_RIGHT, 0);
  RECT now{};
  GetClientRect(client, &now);
  EXPECT_EQ(InClient(a).right, now.right);
  SetWindowPos(a, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindowLongPtrW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

TEST_F(Mdi, TheFrameKeepsItsClientFillingItsClientArea) {
  SetWindowPos(frame, nullptr, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
  RECT f{}, c{};
  GetClientRect(frame, &f);
  GetClientRect(client, &c);
  EXPECT_EQ(c.right, f.right);
  EXPECT_EQ(c.bottom, f.bottom);
  // A maximised child follows the client's size.
  HWND a = NewChild(u"A", 10, 10);
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
  SetWindowPos(frame, nullptr, 0, 0, 520, 420, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(ScreenClient(a), ScreenClient(client));
}

}  // namespace
