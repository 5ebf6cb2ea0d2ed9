// The order of the messages around creation, showing, activation, closing and destruction.
#include <algorithm>

#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

// A CBT hook that writes its calls into the log (as kHookBase + code, for the window in wParam
// or, for focus, the window getting it).
LRESULT LoggingCbt(int code, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Entry{reinterpret_cast<HWND>(wParam), kHookBase + static_cast<UINT>(code), wParam, lParam});
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct CbtLogger {
  HHOOK hook = SetWindowsHookExW(WH_CBT, LoggingCbt, nullptr, GetCurrentThreadId());
  ~CbtLogger() { UnhookWindowsHookEx(hook); }
};

const std::vector<UINT> kLifecycle = {
    kHookBase + HCBT_CREATEWND, kHookBase + HCBT_ACTIVATE, kHookBase + HCBT_SETFOCUS,
    kHookBase + HCBT_DESTROYWND, WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE,
    WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATEAPP,
    WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_NCPAINT, WM_ERASEBKGND, WM_PAINT,
    WM_CLOSE, WM_DESTROY, WM_NCDESTROY, WM_PARENTNOTIFY};

class MessageOrder : public UserTest {};

TEST_F(MessageOrder, CreateHiddenOverlappedWindow) {
  CbtLogger cbt;
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Main", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  std::vector<UINT> expected = {kHookBase + HCBT_CREATEWND, WM_GETMINMAXINFO, WM_NCCREATE,
                                WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
  EXPECT_EQ(Names(Filtered(hwnd, kLifecycle)), Names(expected));
  EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(MessageOrder, ShowActivatesAndPaints) {
  CbtLogger cbt;
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Main", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  Log().clear();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  std::vector<UINT> expected = {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, kHookBase + HCBT_ACTIVATE,
                                WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, kHookBase + HCBT_SETFOCUS,
                                WM_SETFOCUS, WM_NCPAINT, WM_ERASEBKGND, WM_WINDOWPOSCHANGED};
  EXPECT_EQ(Names(Filtered(hwnd, kLifecycle)), Names(expected));
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  Log().clear();
  Pump();
  EXPECT_EQ(Names(Filtered(hwnd, kLifecycle)), Names({WM_PAINT}));
  // Painted once: nothing more to do.
  Log().clear();
  Pump();
  EXPECT_TRUE(Filtered(hwnd, kLifecycle).empty());
}

TEST_F(MessageOrder, CreateVisibleChildNotifiesParent) {
  HWND parent = CreateWindowExW(0, RecordingClass(), u"P", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
  Log().clear();
  HWND child = CreateWindowExW(0, RecordingClass(), u"C", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, parent,
                               reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  // A child without a frame gets no WM_GETMINMAXINFO and is not activated.
  EXPECT_EQ(Names(Filtered(child, kLifecycle)),
            Names({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                   WM_WINDOWPOSCHANGING, WM_NCPAINT, WM_ERASEBKGND, WM_WINDOWPOSCHANGED}));
  auto notify = std::find_if(Log().begin(), Log().end(),
                             [&](const Entry& e) { return e.hwnd == parent && e.msg == WM_PARENTNOTIFY; });
  ASSERT_NE(notify, Log().end());
  EXPECT_EQ(LOWORD(notify->wParam), WM_CREATE);
  EXPECT_EQ(HIWORD(notify->wParam), 7);
  EXPECT_EQ(reinterpret_cast<HWND>(notify->lParam), child);
  EXPECT_EQ(GetDlgCtrlID(child), 7);
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetFocus(), parent);
}

TEST_F(MessageOrder, CloseDestroysParentThenChildren) {
  CbtLogger cbt;
  HWND parent = CreateWindowExW(0, RecordingClass(), u"P", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(WS_EX_NOPARENTNOTIFY, RecordingClass(), u"C", WS_CHILD | WS_VISIBLE, 5, 5,
                               50, 20, parent, nullptr, nullptr, nullptr);
  HWND grandchild = CreateWindowExW(WS_EX_NOPARENTNOTIFY, RecordingClass(), u"G", WS_CHILD | WS_VISIBLE, 1,
                                    1, 10, 10, child, nullptr, nullptr, nullptr);
  Pump();
  Log().clear();
  PostMessageW(parent, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  std::vector<Entry> order;
  for (const Entry& e : Log())
    if (e.msg == WM_DESTROY || e.msg == WM_NCDESTROY || e.msg == WM_CLOSE ||
        e.msg == kHookBase + HCBT_DESTROYWND)
      order.push_back(e);
  std::vector<std::pair<HWND, UINT>> got;
  for (const Entry& e : order) got.emplace_back(e.hwnd, e.msg);
  std::vector<std::pair<HWND, UINT>> expected = {
      {parent, WM_CLOSE},          {parent, kHookBase + HCBT_DESTROYWND},
      {parent, WM_DESTROY},        {child, WM_DESTROY},
      {grandchild, WM_DESTROY},    {grandchild, WM_NCDESTROY},
      {child, WM_NCDESTROY},       {parent, WM_NCDESTROY}};
  EXPECT_EQ(got, expected);
  // The window is hidden and deactivated before WM_DESTROY.
  EXPECT_EQ(Names(Filtered(parent, {WM_CLOSE, WM_WINDOWPOSCHANGING, WM_NCACTIVATE, WM_ACTIVATE,
                                    WM_ACTIVATEAPP, WM_KILLFOCUS, WM_WINDOWPOSCHANGED, WM_DESTROY})),
            Names({WM_CLOSE, WM_WINDOWPOSCHANGING, WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP,
                   WM_KILLFOCUS, WM_WINDOWPOSCHANGED, WM_DESTROY}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(MessageOrder, ActivationMovesBetweenWindows) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExW(0, RecordingClass(), u"B", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetActiveWindow(), b);
  Log().clear();
  SetActiveWindow(a);
  std::vector<std::pair<HWND, UINT>> got;
  for (const Entry& e : Log())
    if (e.msg == WM_NCACTIVATE || e.msg == WM_ACTIVATE || e.msg == WM_SETFOCUS || e.msg == WM_KILLFOCUS ||
        e.msg == WM_ACTIVATEAPP)
      got.emplace_back(e.hwnd, e.msg);
  std::vector<std::pair<HWND, UINT>> expected = {{b, WM_NCACTIVATE}, {b, WM_ACTIVATE}, {a, WM_NCACTIVATE},
                                                 {a, WM_ACTIVATE},   {b, WM_KILLFOCUS}, {a, WM_SETFOCUS}};
  EXPECT_EQ(got, expected);
  auto act = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.hwnd == a && e.msg == WM_ACTIVATE; });
  EXPECT_EQ(LOWORD(act->wParam), WA_ACTIVE);
  EXPECT_EQ(reinterpret_cast<HWND>(act->lParam), b);
  // The newly active window is now on top.
  EXPECT_EQ(GetTopWindow(nullptr), a);
}

TEST_F(MessageOrder, HidingTheActiveWindowActivatesTheNext) {
  HWND a = CreateWindowExW(0, RecordingClass(), u"A", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExW(0, RecordingClass(), u"B", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(GetActiveWindow(), b);
  ShowWindow(b, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a);
  DestroyWindow(a);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(MessageOrder, CreateFailsCleanlyWhenWmCreateRefuses) {
  SetHandler([](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_CREATE) return false;
    *r = -1;
    return true;
  });
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"X", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                              nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(hwnd, nullptr);
  ASSERT_FALSE(Log().empty());
  HWND made = Log().front().hwnd;
  EXPECT_FALSE(IsWindow(made));
  EXPECT_EQ(Names(Filtered(made, {WM_CREATE, WM_DESTROY, WM_NCDESTROY})),
            Names({WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(MessageOrder, SetWindowPosSendsMoveAndSize) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"A", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
  Log().clear();
  SetWindowPos(hwnd, nullptr, 10, 10, 150, 120, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Names(Filtered(hwnd, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE})),
            Names({WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
  auto size = std::find_if(Log().begin(), Log().end(), [](const Entry& e) { return e.msg == WM_SIZE; });
  EXPECT_EQ(LOWORD(size->lParam), 150);
  EXPECT_EQ(HIWORD(size->lParam), 120);
  Log().clear();
  // A move alone brings no WM_SIZE.
  SetWindowPos(hwnd, nullptr, 20, 10, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(Names(Filtered(hwnd, {WM_MOVE, WM_SIZE})), Names({WM_MOVE}));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right, 170);
}

TEST_F(MessageOrder, EnableAndDisable) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"A", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(GetFocus(), hwnd);
  Log().clear();
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));  // was enabled
  EXPECT_EQ(Names(Filtered(hwnd, {WM_CANCELMODE, WM_KILLFOCUS, WM_ENABLE})),
            Names({0x1F, WM_KILLFOCUS, WM_ENABLE}));
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_EQ(SetFocus(hwnd), nullptr);  // a disabled window cannot take the focus
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));  // was disabled
  EXPECT_TRUE(IsWindowEnabled(hwnd));
}

TEST_F(MessageOrder, WindowTextThroughMessages) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"First", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindowTextString(hwnd), u"First");
  EXPECT_TRUE(SetWindowTextA(hwnd, "Gr\xC3\xBC\xC3\x9F"
                                   "e"));
  EXPECT_EQ(GetWindowTextString(hwnd), u"Grüße");
  char small[4];
  EXPECT_EQ(GetWindowTextA(hwnd, small, sizeof small), 3);
  EXPECT_STREQ(small, "Gr\xC3");  // cut at the buffer, bytes as they are
  char16_t wide[3];
  EXPECT_EQ(GetWindowTextW(hwnd, wide, 3), 2);
  EXPECT_EQ(std::u16string(wide), u"Gr");
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 5);
}

TEST_F(MessageOrder, PropertiesByNameAndAtom) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  ATOM atom = GlobalAddAtomA("ControlOfs0040000000000001");
  ASSERT_NE(atom, 0);
  int object = 5;
  EXPECT_TRUE(SetPropW(hwnd, MAKEINTRESOURCE(atom), &object));
  EXPECT_EQ(GetPropA(hwnd, "controlofs0040000000000001"), &object);
  EXPECT_EQ(GetPropW(hwnd, MAKEINTRESOURCE(atom)), &object);
  EXPECT_EQ(RemovePropA(hwnd, "ControlOfs0040000000000001"), &object);
  EXPECT_EQ(GetPropW(hwnd, MAKEINTRESOURCE(atom)), nullptr);
  EXPECT_EQ(RegisterWindowMessageA("ControlOfs0040000000000001"), atom);
  EXPECT_GE(atom, 0xC000);
}

}  // namespace

namespace {

TEST_F(MessageOrder, OwnedWindowsStayAboveTheirOwner) {
  HWND owner = CreateWindowExW(0, RecordingClass(), u"A", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                               nullptr, nullptr, nullptr);
  HWND dialog = CreateWindowExW(0, RecordingClass(), u"D", WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 20, 100, 80, owner,
                                nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, RecordingClass(), u"C", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 200, nullptr,
                               nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
  EXPECT_EQ(GetParent(dialog), owner);  // a popup's parent is its owner
  ASSERT_EQ(GetTopWindow(nullptr), other);
  SetActiveWindow(owner);
  EXPECT_EQ(GetTopWindow(nullptr), dialog);
  EXPECT_EQ(GetWindow(dialog, GW_HWNDNEXT), owner);
  EXPECT_EQ(GetWindow(owner, GW_HWNDNEXT), other);
  // Destroying the owner takes the owned window with it, first.
  Log().clear();
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(dialog));
  std::vector<HWND> order;
  for (const Entry& e : Log())
    if (e.msg == WM_NCDESTROY) order.push_back(e.hwnd);
  EXPECT_EQ(order, (std::vector<HWND>{dialog, owner}));
}

}  // namespace
