// Mouse and keyboard input from the display, hit testing, frame metrics, moving and sizing.
#include <algorithm>

#include "platform/user/menus.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;
using display::MouseButton;

namespace {

class NonClient : public UserTest {
 protected:
  // The screen's window for a top-level window, found by its title.
  display::NativeWindow NativeOf(const std::string& title) const {
    for (display::NativeWindow n = 1; n <= 256; ++n)
      if (screen->Title(n) == title) return n;
    return 0;
  }
};
class Input : public UserTest {};

struct AdjustCase {
  DWORD style;
  DWORD exStyle;
  BOOL menu;
  RECT expected;  // of the client rectangle (0, 0, 100, 100)
};

TEST_F(NonClient, AdjustWindowRectExMatchesTheClassicFrame) {
  const int cap = GetSystemMetrics(SM_CYCAPTION), menu = GetSystemMetrics(SM_CYMENU);
  const int small = GetSystemMetrics(SM_CYSMCAPTION);
  const AdjustCase cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, FALSE, {-4, -4 - cap, 104, 104}},
      {WS_OVERLAPPEDWINDOW, 0, TRUE, {-4, -4 - cap - menu, 104, 104}},
      {WS_CAPTION | WS_SYSMENU, 0, FALSE, {-3, -3 - cap, 103, 103}},
      {WS_POPUP | WS_BORDER, 0, FALSE, {-1, -1, 101, 101}},
      {WS_POPUP, WS_EX_DLGMODALFRAME, FALSE, {-3, -3, 103, 103}},
      {WS_CHILD, WS_EX_CLIENTEDGE, FALSE, {-2, -2, 102, 102}},
      {WS_CHILD | WS_BORDER, WS_EX_CLIENTEDGE, FALSE, {-3, -3, 103, 103}},
      {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, FALSE, {-3, -3 - small, 103, 103}},
      {WS_CHILD, 0, TRUE, {0, 0, 100, 100}},  // children have no menu bar
  };
  for (const AdjustCase& c : cases) {
    RECT r{0, 0, 100, 100};
    ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, c.menu, c.exStyle));
    EXPECT_EQ(r.left, c.expected.left) << std::hex << c.style;
    EXPECT_EQ(r.top, c.expected.top) << std::hex << c.style;
    EXPECT_EQ(r.right, c.expected.right) << std::hex << c.style;
    EXPECT_EQ(r.bottom, c.expected.bottom) << std::hex << c.style;
  }
}

TEST_F(NonClient, ClientRectFollowsAdjustWindowRect) {
  RECT want{0, 0, 676, 429};
  AdjustWindowRectEx(&want, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"F", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0,
                              want.right - want.left, want.bottom - want.top, nullptr, nullptr, nullptr, nullptr);
  RECT c;
  GetClientRect(hwnd, &c);
  EXPECT_EQ(c.right, 676 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(c.bottom, 429);
  HMENU menu = CreateMenu();
  AppendMenuW(menu, MF_STRING, 1, u"&File");
  SetMenu(hwnd, menu);
  GetClientRect(hwnd, &c);
  EXPECT_EQ(c.bottom, 429 - GetSystemMetrics(SM_CYMENU));
  SetMenu(hwnd, nullptr);
  GetClientRect(hwnd, &c);
  EXPECT_EQ(c.bottom, 429);
  DestroyMenu(menu);
}

TEST_F(NonClient, HitTestCodesAcrossTheFrame) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"F", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, 100, 100,
                              300, 200, nullptr, nullptr, nullptr, nullptr);
  struct Probe {
    int x, y;
    LRESULT hit;
  } probes[] = {
      {99, 150, HTNOWHERE},       {100, 100, HTTOPLEFT},     {250, 100, HTTOP},
      {399, 100, HTTOPRIGHT},     {101, 200, HTLEFT},        {398, 200, HTRIGHT},
      {250, 298, HTBOTTOM},       {101, 299, HTBOTTOMLEFT},  {399, 299, HTBOTTOMRIGHT},
      {250, 110, HTCAPTION},      {100 + 286, 113, HTCLOSE}, {100 + 268, 113, HTMAXBUTTON},
      {100 + 252, 113, HTMINBUTTON}, {100 + 10, 113, HTSYSMENU}, {200, 200, HTCLIENT},
      {100 + 287, 200, HTVSCROLL}, {200, 100 + 187, HTHSCROLL}, {100 + 287, 100 + 187, HTSIZE},
  };
  for (const Probe& p : probes)
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), p.hit) << p.x << "," << p.y;
  // A fixed frame gives HTBORDER on its edges.
  HWND fixed = CreateWindowExW(0, RecordingClass(), u"G", WS_CAPTION | WS_SYSMENU, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageW(fixed, WM_NCHITTEST, 0, MAKELPARAM(0, 50)), HTBORDER);
}

TEST_F(NonClient, CloseBoxClickClosesTheWindow) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"F", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  Pump();
  Log().clear();
  screen->Click(100 + 286, 113);
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(Names(Filtered(hwnd, {WM_NCLBUTTONDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY})),
            Names({WM_NCLBUTTONDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
}

TEST_F(NonClient, DraggingTheCaptionMovesAndTheEdgeSizes) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"F", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  Pump();
  screen->MoveMouse(200, 110);
  screen->PressButton(MouseButton::Left);
  screen->MoveMouse(230, 150);
  screen->MoveMouse(260, 170);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 160);
  EXPECT_EQ(r.top, 160);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(screen->WindowRect(screen->FocusedWindow()).left, 160);  // the native window followed
  // Bottom-right corner: size, never below the minimum tracking size.
  screen->MoveMouse(r.right - 1, r.bottom - 1);
  screen->PressButton(MouseButton::Left);
  screen->MoveMouse(r.right - 400, r.bottom - 400);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 160);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINTRACK));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMINTRACK));
  EXPECT_FALSE(Filtered(hwnd, {WM_ENTERSIZEMOVE}).empty());
  EXPECT_FALSE(Filtered(hwnd, {WM_EXITSIZEMOVE}).empty());
}

// Move and Size from the system menu run on the arrow keys: each key moves the window (or the
// border the first key of its direction chose) eight pixels; Enter or a click keeps the place,
// Esc puts the window back. The caption stays on the work area (here below a panel of 30 pixels
// at the top and above one of 24 at the bottom), its middle within it; a sized border stays in it.
TEST_F(NonClient, MoveAndSizeFromTheSystemMenuFollowTheArrowKeys) {
  constexpr unsigned L = 0x25, U = 0x26, R = 0x27, D = 0x28, Enter = 0x0D, Esc = 0x1B, Click = 0;
  const int minW = GetSystemMetrics(SM_CXMINTRACK), caption = GetSystemMetrics(SM_CYCAPTION);
  screen->SetWorkAreas({{0, 0, 1280, 1024}}, {{0, 30, 1280, 1000}});
  // Presses of keys, each `count` times.
  auto keys = [](std::initializer_list<std::pair<unsigned, int>> presses) {
    std::vector<unsigned> v;
    for (auto [key, count] : presses) v.insert(v.end(), static_cast<size_t>(count), key);
    return v;
  };
  struct KeyCase {
    WPARAM command;
    DWORD style;
    std::vector<unsigned> keys;  // the last one ends the loop
    RECT expected;               // the window was at (100, 100, 400, 300)
    WPARAM lastEdge = 0;         // of the last WM_SIZING
  };
  const DWORD sizable = WS_OVERLAPPEDWINDOW, dialog = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const KeyCase cases[] = {
      {SC_MOVE, sizable, {R, R, D, Enter}, {116, 108, 416, 308}},
      {SC_MOVE, sizable, {L, U, U, Esc}, {100, 100, 400, 300}},
      {SC_MOVE, sizable, {D, Click}, {100, 108, 400, 308}},
      {SC_MOVE, dialog, {L, Enter}, {92, 100, 392, 300}},
      {SC_SIZE, sizable, {R, R, R, Enter}, {100, 100, 416, 300}, WMSZ_RIGHT},
      {SC_SIZE, sizable, {L, L, R, R, R, Enter}, {116, 100, 400, 300}, WMSZ_LEFT},
      {SC_SIZE, sizable, {U, D, Enter}, {100, 108, 400, 300}, WMSZ_TOP},
      {SC_SIZE, sizable, {D, R, D, R, Enter}, {100, 100, 408, 308}, WMSZ_BOTTOMRIGHT},
      {SC_SIZE, sizable, {U, L, L, U, Enter}, {92, 92, 400, 300}, WMSZ_TOPLEFT},
      {SC_SIZE, sizable, {R, R, Esc}, {100, 100, 400, 300}, WMSZ_RIGHT},
      // Never below the minimum tracking size, and the way back starts at once.
      {SC_SIZE, sizable, {R, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, L, R, Enter},
       {100, 100, 100 + minW + 8, 300}, WMSZ_RIGHT},
      // A window without a sizing border keeps its size.
      {SC_SIZE, dialog, {R, R, Enter}, {100, 100, 400, 300}},
      // The caption stays on the work area: not above it, not below it, not beside it.
      {SC_MOVE, sizable, keys({{U, 40}, {Enter, 1}}), {100, 30, 400, 230}},
      {SC_MOVE, dialog, keys({{D, 150}, {Enter, 1}}), {100, 1000 - caption, 400, 1200 - caption}},
      {SC_MOVE, sizable, keys({{L, 60}, {Enter, 1}}), {-150, 100, 150, 300}},
      {SC_MOVE, sizable, keys({{R, 200}, {Enter, 1}}), {1129, 100, 1429, 300}},
      {SC_SIZE, sizable, keys({{U, 1}, {L, 1}, {U, 61}, {L, 91}, {Enter, 1}}), {0, 30, 400, 300}, WMSZ_TOPLEFT},
      {SC_SIZE, sizable, keys({{D, 1}, {R, 1}, {D, 120}, {R, 140}, {Enter, 1}}), {100, 100, 1280, 1000},
       WMSZ_BOTTOMRIGHT},
  };
  for (const KeyCase& c : cases) {
    const std::string what = std::to_string(c.command) + " keys " + std::to_string(c.keys.size());
    HWND hwnd = CreateWindowExW(0, RecordingClass(), u"K", c.style | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
    Pump();
    Log().clear();
    // As the system menu hands it on: posted, with the point where the menu was.
    PostMessageW(hwnd, WM_SYSCOMMAND, c.command, MAKELPARAM(100, 120));
    for (unsigned key : c.keys) {
      if (key == Click) {
        screen->Click(600, 600);
      } else {
        screen->TypeKey(key);
      }
    }
    Pump();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, c.expected.left) << what;
    EXPECT_EQ(r.top, c.expected.top) << what;
    EXPECT_EQ(r.right, c.expected.right) << what;
    EXPECT_EQ(r.bottom, c.expected.bottom) << what;
    EXPECT_EQ(screen->WindowRect(NativeOf("K")).left, c.expected.left) << what;  // the native window too
    EXPECT_EQ(GetCapture(), nullptr) << what;
    auto sizing = std::find_if(Log().rbegin(), Log().rend(), [](const Entry& e) { return e.msg == WM_SIZING; });
    EXPECT_EQ(sizing == Log().rend() ? 0 : sizing->wParam, c.lastEdge) << what;
    if (c.style == sizable) {
      EXPECT_EQ(Names(Filtered(hwnd, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE})), Names({WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}))
          << what;
    }
    DestroyWindow(hwnd);
    Pump();
  }
}

TEST_F(NonClient, MaximiseAndRestoreThroughSysCommand) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"F", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  Log().clear();
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(IsZoomed(hwnd));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, -4);
  EXPECT_EQ(r.right - r.left, screen->ScreenWidth() + 8);  // the frame lies outside the screen
  auto size = std::find_if(Log().rbegin(), Log().rend(), [](const Entry& e) { return e.msg == WM_SIZE; });
  ASSERT_NE(size, Log().rend());
  EXPECT_EQ(size->wParam, SIZE_MAXIMIZED);
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right, 400);
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(hwnd));
  EXPECT_TRUE(screen->IsMinimized(screen->FocusedWindow()) || GetActiveWindow() != hwnd);
  WINDOWPLACEMENT wp{};
  GetWindowPlacement(hwnd, &wp);
  EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
  EXPECT_EQ(wp.rcNormalPosition.left, 100);
}

// Maximised, a window fills the work area of the monitor that holds it (what the desktop's
// panels leave there), its frame just outside; a window manager that keeps the maximised state
// is asked for it, and its own maximising and restoring are the window's, restore size kept.
TEST_F(NonClient, MaximiseFillsTheWorkAreaOfItsMonitorAndFollowsTheWindowManager) {
  screen->SetWorkAreas({{0, 0, 1280, 1024}, {1280, 0, 3200, 1080}}, {{0, 26, 1280, 1024}, {1280, 0, 3200, 1040}});
  struct MaxCase {
    int x;               // of the window, 300 x 200 at y 100
    bool managerKeeps;   // the window manager keeps the maximised state
    RECT expected;       // maximised by the program
  };
  const MaxCase cases[] = {
      {100, false, {-4, 22, 1284, 1028}},   // below a panel at the top
      {1500, false, {1276, -4, 3204, 1044}},  // the second monitor, a panel at its bottom
      {100, true, {-4, 22, 1284, 1028}},
      {2800, true, {1276, -4, 3204, 1044}},  // mostly on the second monitor
  };
  for (const MaxCase& c : cases) {
    const std::string what = std::to_string(c.x) + (c.managerKeeps ? " managed" : "");
    screen->SetManagerKeepsMaximized(c.managerKeeps);
    HWND hwnd = CreateWindowExW(0, RecordingClass(), u"M", WS_OVERLAPPEDWINDOW | WS_VISIBLE, c.x, 100, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
    Pump();
    const display::NativeWindow n = NativeOf("M");
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, c.expected.left) << what;
    EXPECT_EQ(r.top, c.expected.top) << what;
    EXPECT_EQ(r.right, c.expected.right) << what;
    EXPECT_EQ(r.bottom, c.expected.bottom) << what;
    EXPECT_EQ(screen->IsMaximized(n), c.managerKeeps) << what;
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(screen->IsMaximized(n)) << what;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, c.x) << what;
    if (c.managerKeeps) {
      // The manager maximises the window from its own menu: the window is maximised, as its
      // caption button shows it, and the program's restore brings back its own size.
      const display::Rect area = screen->WorkArea(display::Rect{c.x, 100, c.x + 300, 300});
      Log().clear();
      screen->MaximizeFromOutside(n, true, area);
      Pump();
      EXPECT_TRUE(IsZoomed(hwnd)) << what;
      GetWindowRect(hwnd, &r);
      EXPECT_EQ(r.left, area.left) << what;
      EXPECT_EQ(r.bottom, area.bottom) << what;
      auto size = std::find_if(Log().rbegin(), Log().rend(), [&](const Entry& e) { return e.msg == WM_SIZE; });
      ASSERT_NE(size, Log().rend()) << what;
      EXPECT_EQ(size->wParam, SIZE_MAXIMIZED) << what;
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
      Pump();
      GetWindowRect(hwnd, &r);
      EXPECT_FALSE(IsZoomed(hwnd)) << what;
      EXPECT_EQ(r.left, c.x) << what;
      EXPECT_EQ(r.right - r.left, 300) << what;
      EXPECT_FALSE(screen->IsMaximized(n)) << what;
      // Maximised by the manager and restored by it: the place it restores to.
      screen->MaximizeFromOutside(n, true, area);
      Pump();
      screen->MaximizeFromOutside(n, false, display::Rect{c.x + 10, 110, c.x + 310, 310});
      Pump();
      EXPECT_FALSE(IsZoomed(hwnd)) << what;
      GetWindowRect(hwnd, &r);
      EXPECT_EQ(r.left, c.x + 10) << what;
    }
    DestroyWindow(hwnd);
    Pump();
  }
}

// With no window manager (a kiosk or VNC session) a minimised window stays on the screen as its
// caption, side by side from the bottom left (the row above once a row is full), and a click
// brings it back.
TEST_F(NonClient, WithoutAWindowManagerAMinimisedWindowStaysOnTheScreenAsItsCaption) {
  screen = UseHeadlessDisplay(400, 300);  // room for two in a row
  ASSERT_NE(screen, nullptr);
  screen->SetWindowManager(false);
  const int cx = GetSystemMetrics(SM_CXMINIMIZED), cy = GetSystemMetrics(SM_CYMINIMIZED);
  const int dx = GetSystemMetrics(SM_CXMINSPACING), dy = GetSystemMetrics(SM_CYMINSPACING);
  std::vector<HWND> w;
  for (const char16_t* title : {u"A", u"B", u"C"})
    w.push_back(CreateWindowExW(0, RecordingClass(), title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 200, 150,
                                nullptr, nullptr, nullptr, nullptr));
  for (HWND h : w) ShowWindow(h, SW_MINIMIZE);
  Pump();
  const POINT expected[] = {{0, 300 - cy}, {dx, 300 - cy}, {0, 300 - dy - cy}};
  for (size_t i = 0; i < w.size(); ++i) {
    RECT r;
    GetWindowRect(w[i], &r);
    EXPECT_EQ(r.left, expected[i].x) << i;
    EXPECT_EQ(r.top, expected[i].y) << i;
    EXPECT_EQ(r.right - r.left, cx) << i;
  }
  EXPECT_TRUE(screen->IsVisible(NativeOf("A")));
  EXPECT_EQ(screen->WindowRect(NativeOf("A")).top, 300 - cy);
  EXPECT_EQ(screen->ScreenPixel(8, 300 - cy / 2), Pixel(GetSysColor(COLOR_INACTIVECAPTION)));
  screen->Click(8, 300 - cy / 2);
  Pump();
  EXPECT_FALSE(IsIconic(w[0]));
  EXPECT_EQ(screen->WindowRect(NativeOf("A")).left, 100);
  // The place it left is the next one's.
  ShowWindow(w[2], SW_RESTORE);
  ShowWindow(w[2], SW_MINIMIZE);
  RECT r;
  GetWindowRect(w[2], &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 300 - cy);
  // The keyboard brings a minimised caption back too: Enter, or Restore from its system menu,
  // where Move and Size are greyed.
  PostMessageW(w[0], WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump();
  ASSERT_TRUE(IsIconic(w[0]));
  screen->TypeKey(VK_RETURN, U'\r');
  Pump();
  EXPECT_FALSE(IsIconic(w[0]));
  PostMessageW(w[0], WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump();
  ASSERT_TRUE(IsIconic(w[0]));
  screen->PressKey(VK_MENU);
  screen->TypeKey(VK_SPACE, U' ');
  screen->ReleaseKey(VK_MENU);
  screen->TypeKey('R', U'r');
  Pump();
  EXPECT_FALSE(IsIconic(w[0]));
  HMENU sys = GetSystemMenu(w[0], FALSE);
  EXPECT_EQ(GetMenuState(sys, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(sys, SC_MOVE, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
}

TEST_F(Input, ClickOnInactiveWindowActivatesAndDelivers) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  HWND b = CreateWindowExW(0, RecordingClass(), u"B", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  Pump();
  ASSERT_EQ(GetActiveWindow(), b);
  Log().clear();
  screen->Click(30, 40);
  Pump();
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(Names(Filtered(a, {WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEACTIVATE, WM_ACTIVATE, WM_LBUTTONDOWN,
                               WM_LBUTTONUP})),
            Names({WM_NCHITTEST, WM_SETCURSOR, WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEACTIVATE, WM_ACTIVATE,
                   WM_LBUTTONDOWN, WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONUP}));
  auto down = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.msg == WM_LBUTTONDOWN; });
  EXPECT_EQ(GET_X_LPARAM(down->lParam), 30);
  EXPECT_EQ(GET_Y_LPARAM(down->lParam), 40);
  EXPECT_EQ(down->wParam & MK_LBUTTON, MK_LBUTTON);
  auto act = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.hwnd == a && e.msg == WM_ACTIVATE; });
  EXPECT_EQ(LOWORD(act->wParam), WA_CLICKACTIVE);
}

TEST_F(Input, DoubleClickNeedsTheClassStyle) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  Pump();
  Log().clear();
  screen->Click(10, 10);
  screen->Click(11, 11);
  screen->Click(11, 11);
  Pump();
  EXPECT_EQ(Names(Filtered(a, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK})),
            Names({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
}

TEST_F(Input, KeysGoToTheFocusAndTranslateToCharacters) {
  HWND parent = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  HWND edit = CreateWindowExW(0, RecordingClass(), u"E", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, nullptr,
                              nullptr, nullptr);
  SetFocus(edit);
  Pump();
  Log().clear();
  screen->TypeKey('A', U'a');
  screen->TypeKey('E', U'\u00e9');
  screen->TypeKey(0x41, U'\U0001F600');
  Pump();
  std::vector<char16_t> chars;
  for (const Entry& e : Log())
    if (e.msg == WM_CHAR && e.hwnd == edit) chars.push_back(static_cast<char16_t>(e.wParam));
  EXPECT_EQ(std::u16string(chars.begin(), chars.end()), u"a\u00e9\U0001F600");
  std::vector<UINT> first = Filtered(edit, {WM_KEYDOWN, WM_CHAR, WM_KEYUP});
  first.resize(3);
  EXPECT_EQ(first, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  EXPECT_TRUE(Filtered(parent, {WM_KEYDOWN}).empty());
  // Alt+F4 closes the top-level window through WM_SYSCOMMAND.
  screen->PressKey(0xA4);  // left Alt
  screen->TypeKey(0x73);   // F4
  screen->ReleaseKey(0xA4);
  Pump();
  EXPECT_FALSE(IsWindow(parent));
}

TEST_F(Input, CaptureTakesTheMouseEverywhere) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  HWND b = CreateWindowExW(0, RecordingClass(), u"B", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  Pump();
  SetCapture(a);
  Log().clear();
  screen->MoveMouse(250, 50);
  Pump();
  EXPECT_TRUE(Filtered(b, {WM_MOUSEMOVE}).empty());
  auto move = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.hwnd == a && e.msg == WM_MOUSEMOVE; });
  ASSERT_NE(move, Log().end());
  EXPECT_EQ(GET_X_LPARAM(move->lParam), 250);
  Log().clear();
  SetCapture(b);
  EXPECT_EQ(Names(Filtered(a, {WM_CAPTURECHANGED})), Names({WM_CAPTURECHANGED}));
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, MouseLeaveIsTrackedOnRequest) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  Pump();
  screen->MoveMouse(10, 10);
  Pump();
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, a, 0};
  EXPECT_TRUE(TrackMouseEvent(&tme));
  Log().clear();
  screen->MoveMouse(20, 20);
  Pump();
  EXPECT_TRUE(Filtered(a, {WM_MOUSELEAVE}).empty());
  screen->MoveMouse(500, 500);
  Pump();
  EXPECT_EQ(Filtered(a, {WM_MOUSELEAVE}).size(), 1u);
  screen->MoveMouse(10, 10);
  screen->MoveMouse(600, 600);
  Pump();
  EXPECT_EQ(Filtered(a, {WM_MOUSELEAVE}).size(), 1u);  // tracking ends with the first leave
}

TEST_F(Input, DisabledWindowGetsNoClicks) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_POPUP | WS_VISIBLE | WS_DISABLED, 0, 0, 100, 100, nullptr,
                           nullptr, nullptr, nullptr);
  Pump();
  Log().clear();
  screen->Click(10, 10);
  Pump();
  EXPECT_TRUE(Filtered(a, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
  EXPECT_GE(screen->BeepCount(), 1);
}

// A window that a modal dialog holds (disabled, the dialog's owner) takes nothing, nor do its
// controls: a press on it or on them beeps and brings the dialog up, keys go to the dialog, the
// desktop's close is refused and the desktop's activation goes to the dialog.
TEST_F(Input, AModalDialogHoldsItsOwnerAndItsControls) {
  enum Action { ClickClient, ClickButton, ClickCaption, ClickThenType, CloseOwner, ActivateOwner };
  auto native = [&](const std::string& title) {
    for (display::NativeWindow n = 1; n <= 256; ++n)
      if (screen->Title(n) == title) return n;
    return display::NativeWindow{0};
  };
  for (Action action : {ClickClient, ClickButton, ClickCaption, ClickThenType, CloseOwner, ActivateOwner}) {
    HWND owner = CreateWindowExW(0, RecordingClass(), u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
    HWND button = CreateWindowExW(0, RecordingClass(), u"", WS_CHILD | WS_VISIBLE, 20, 20, 100, 30, owner, nullptr,
                                  nullptr, nullptr);
    HWND dialog = CreateWindowExW(0, RecordingClass(), u"Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, 500, 100, 300,
                                  200, owner, nullptr, nullptr, nullptr);
    EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    Pump();
    ASSERT_EQ(GetActiveWindow(), dialog);
    if (action != ClickThenType) screen->FocusElsewhere();  // the user was in another program
    Pump();
    const int beeps = screen->BeepCount();
    Log().clear();
    POINT inButton{30, 30}, inClient{200, 200};
    ClientToScreen(owner, &inButton);
    ClientToScreen(owner, &inClient);
    switch (action) {
      case ClickClient: screen->Click(inClient.x, inClient.y); break;
      case ClickButton: case ClickThenType: screen->Click(inButton.x, inButton.y); break;
      case ClickCaption: screen->Click(200, 10); break;
      case CloseOwner: screen->RequestClose(native("Owner")); break;
      case ActivateOwner: screen->FocusFromOutside(native("Owner")); break;
    }
    if (action == ClickThenType) screen->TypeKey('X', U'x');
    Pump();
    const std::string what = "action " + std::to_string(action);
    const std::vector<UINT> input{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_KEYDOWN,
                                  WM_CHAR, WM_SYSCOMMAND, WM_CLOSE, WM_MOUSEACTIVATE};
    EXPECT_EQ(Names(Filtered(owner, input)), "") << what;
    EXPECT_EQ(Names(Filtered(button, input)), "") << what;
    ASSERT_TRUE(IsWindow(owner)) << what;
    EXPECT_EQ(GetActiveWindow(), dialog) << what;
    if (action != ActivateOwner) {
      EXPECT_GT(screen->BeepCount(), beeps) << what;
    }
    if (action == ClickThenType) {
      EXPECT_EQ(Names(Filtered(dialog, {WM_CHAR})), Names({WM_CHAR})) << what;
    }
    DestroyWindow(owner);
    Pump();
  }
}

}  // namespace
