// Mouse and keyboard input from the display, hit testing, frame metrics, moving and sizing.
#include <algorithm>

#include "platform/user/menus.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;
using display::MouseButton;

namespace {

class NonClient : public UserTest {};
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

}  // namespace
