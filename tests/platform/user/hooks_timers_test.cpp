// CBT and message-filter hooks, and timers.
#include <chrono>
#include <thread>

#include "platform/gdi/shapes.h"
#include "platform/user/menus.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class Hooks : public UserTest {};

struct HookState {
  std::vector<int> codes;
  std::vector<std::u16string> createdClasses;
  HWND refuseCreate = nullptr;
  bool refuseActivation = false;
  int widen = 0;
} hookState;

HHOOK cbtHook = nullptr;

LRESULT Cbt(int code, WPARAM wParam, LPARAM lParam) {
  hookState.codes.push_back(code);
  if (code == HCBT_CREATEWND) {
    auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
    hookState.createdClasses.push_back(cbt->lpcs->lpszClass);
    cbt->lpcs->cx += hookState.widen;
    if (std::u16string(cbt->lpcs->lpszName ? cbt->lpcs->lpszName : u"") == u"refuse") return 1;
  }
  if (code == HCBT_ACTIVATE && hookState.refuseActivation) return 1;
  return CallNextHookEx(cbtHook, code, wParam, lParam);
}

int olderCalls = 0;
LRESULT OlderCbt(int code, WPARAM wParam, LPARAM lParam) {
  ++olderCalls;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Hooks, CbtSeesCreateActivateDestroyAndCanChangeOrRefuse) {
  hookState = HookState{};
  olderCalls = 0;
  HHOOK older = SetWindowsHookExW(WH_CBT, OlderCbt, nullptr, GetCurrentThreadId());
  cbtHook = SetWindowsHookExW(WH_CBT, Cbt, nullptr, GetCurrentThreadId());
  ASSERT_NE(cbtHook, nullptr);
  EXPECT_EQ(SetWindowsHookExW(WH_CBT, Cbt, nullptr, GetCurrentThreadId() + 1), nullptr);  // other threads: no

  hookState.widen = 10;
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, 210);  // the hook's change of the size took effect
  EXPECT_EQ(hookState.createdClasses.back(), u"RecordingWindow");
  std::vector<int> expected = {HCBT_CREATEWND, HCBT_ACTIVATE, HCBT_SETFOCUS};
  EXPECT_EQ(hookState.codes, expected);
  EXPECT_EQ(olderCalls, 3);  // every call was passed down the chain

  EXPECT_EQ(CreateWindowExW(0, RecordingClass(), u"refuse", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);

  hookState.codes.clear();
  hookState.refuseActivation = true;
  HWND second = CreateWindowExW(0, RecordingClass(), u"Second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                100, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetActiveWindow(), hwnd);  // the refused activation did not happen
  hookState.refuseActivation = false;
  hookState.codes.clear();
  DestroyWindow(second);
  EXPECT_EQ(hookState.codes.front(), HCBT_DESTROYWND);
  EXPECT_TRUE(UnhookWindowsHookEx(cbtHook));
  EXPECT_FALSE(UnhookWindowsHookEx(cbtHook));
  EXPECT_TRUE(UnhookWindowsHookEx(older));
  hookState.codes.clear();
  DestroyWindow(hwnd);
  EXPECT_TRUE(hookState.codes.empty());
}

HHOOK selfRemoving = nullptr;
int selfRemovingCalls = 0;
LRESULT SelfRemoving(int code, WPARAM wParam, LPARAM lParam) {
  ++selfRemovingCalls;
  UnhookWindowsHookEx(selfRemoving);
  return CallNextHookEx(selfRemoving, code, wParam, lParam);
}

TEST_F(Hooks, HookThatUnhooksItselfStillPassesOn) {
  olderCalls = 0;
  selfRemovingCalls = 0;
  HHOOK older = SetWindowsHookExW(WH_CBT, OlderCbt, nullptr, 0);
  selfRemoving = SetWindowsHookExW(WH_CBT, SelfRemoving, nullptr, 0);
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(selfRemovingCalls, 1);
  EXPECT_EQ(olderCalls, 1);
  DestroyWindow(hwnd);
  EXPECT_EQ(selfRemovingCalls, 1);
  EXPECT_EQ(olderCalls, 2);
  UnhookWindowsHookEx(older);
}

std::vector<UINT> filtered;
HHOOK filterHook = nullptr;
LRESULT Filter(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_MENU) {
    filtered.push_back(msg->message);
    if (msg->message == WM_USER + 9) {
      EndMenu();
      return 1;  // handled: the menu loop must not process it
    }
  }
  return CallNextHookEx(filterHook, code, wParam, lParam);
}

TEST_F(Hooks, MessageFilterSeesTheMenuLoop) {
  filtered.clear();
  HWND owner = CreateWindowExW(0, RecordingClass(), u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
  filterHook = SetWindowsHookExW(WH_MSGFILTER, Filter, nullptr, GetCurrentThreadId());
  ASSERT_NE(filterHook, nullptr);
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 100, u"&First");
  AppendMenuW(menu, MF_STRING, 101, u"&Second");
  PostMessageW(owner, WM_USER + 8, 0, 0);
  PostMessageW(owner, WM_USER + 9, 0, 0);
  Log().clear();
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 20, 20, 0, owner, nullptr), 0);
  EXPECT_NE(std::find(filtered.begin(), filtered.end(), WM_USER + 8u), filtered.end());
  EXPECT_NE(std::find(filtered.begin(), filtered.end(), WM_USER + 9u), filtered.end());
  // Not handled by the hook: dispatched; handled: not.
  EXPECT_EQ(Filtered(owner, {WM_USER + 8, WM_USER + 9}), std::vector<UINT>{WM_USER + 8});
  // Outside a menu loop the filter hook is not called.
  filtered.clear();
  PostMessageW(owner, WM_USER + 8, 0, 0);
  Pump();
  EXPECT_TRUE(filtered.empty());
  UnhookWindowsHookEx(filterHook);
  DestroyMenu(menu);
}

class Timers : public UserTest {};

int timerProcCalls = 0;
void TimerProc(HWND, UINT msg, UINT_PTR, DWORD) {
  if (msg == WM_TIMER) ++timerProcCalls;
}

void PumpFor(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

TEST_F(Timers, WindowTimerFiresRepeatedlyUntilKilled) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"T", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SetTimer(hwnd, 5, 20, nullptr), 5u);
  PumpFor(130);
  auto timers = Filtered(hwnd, {WM_TIMER});
  EXPECT_GE(timers.size(), 3u);
  EXPECT_LE(timers.size(), 8u);
  for (const Entry& e : Log()) {
    if (e.msg == WM_TIMER) {
      EXPECT_EQ(e.wParam, 5u);
    }
  }
  EXPECT_TRUE(KillTimer(hwnd, 5));
  EXPECT_FALSE(KillTimer(hwnd, 5));
  Log().clear();
  PumpFor(60);
  EXPECT_TRUE(Filtered(hwnd, {WM_TIMER}).empty());
}

TEST_F(Timers, ThreadTimerCallsItsProcedureAndWaitsForTheQueue) {
  timerProcCalls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 15, TimerProc);
  ASSERT_NE(id, 0u);
  // A timer message comes only after everything posted: it waits behind a busy queue.
  for (int i = 0; i < 5; ++i) PostMessageW(nullptr, WM_USER, 0, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  MSG m;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
  }
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  DispatchMessageW(&m);
  EXPECT_EQ(timerProcCalls, 1);
  // Only one WM_TIMER is pending however long the wait.
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(Timers, WhatWasPaintedIsOnTheScreenWhenATimerComes) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"T", WS_POPUP | WS_VISIBLE, 30, 30, 40, 40, nullptr, nullptr,
                              nullptr, nullptr);
  Pump();
  const std::uint32_t before = screen->ScreenPixel(40, 40);
  SetHandler(PaintsIn(hwnd, 40, 40, COLOR_HIGHLIGHT));
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  SetHandler(nullptr);
  ASSERT_NE(before, Pixel(GetSysColor(COLOR_HIGHLIGHT)));
  SetTimer(hwnd, 1, 10, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(screen->ScreenPixel(40, 40), Pixel(GetSysColor(COLOR_HIGHLIGHT)));
  KillTimer(hwnd, 1);
  DestroyWindow(hwnd);
}

TEST_F(Timers, DestroyingTheWindowKillsItsTimers) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"T", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetTimer(hwnd, 1, 10, nullptr);
  DestroyWindow(hwnd);
  EXPECT_FALSE(KillTimer(hwnd, 1));
  EXPECT_EQ(SetTimer(hwnd, 1, 10, nullptr), 0u);  // no timers for dead windows
}

TEST_F(Timers, ResettingATimerRestartsIt) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"T", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetTimer(hwnd, 3, 40, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  auto reset = std::chrono::steady_clock::now();
  SetTimer(hwnd, 3, 40, nullptr);  // same id: replaced, due again in 40 ms
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  MSG m;
  bool beforeDue = std::chrono::steady_clock::now() - reset < std::chrono::milliseconds(38);
  bool waiting = PeekMessageW(&m, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE);
  // On a busy machine the sleep may outlast the new period; only a timely look can tell.
  if (beforeDue) { EXPECT_FALSE(waiting); }
  std::this_thread::sleep_until(reset + std::chrono::milliseconds(60));
  EXPECT_TRUE(PeekMessageW(&m, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

TEST_F(Timers, QuitComesAfterPostedMessages) {
  PostMessageW(nullptr, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  PostMessageW(nullptr, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 1u);
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 2u);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
}

}  // namespace
