// Sending and posting, the message loop and timers.
#include <algorithm>
#include <thread>

#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

constexpr size_t kMaxTimers = 10000;

bool MatchesWindow(HWND msgHwnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return msgHwnd == nullptr;
  return msgHwnd == filter || IsChild(filter, msgHwnd);
}

bool MatchesRange(UINT m, UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  if (lo <= hi) return m >= lo && m <= hi;
  return m >= lo || m <= hi;  // a reversed range selects everything outside it
}

bool TakeFrom(std::deque<MSG>& q, MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (!MatchesWindow(it->hwnd, filter) || !MatchesRange(it->message, lo, hi)) continue;
    *out = *it;
    if (remove) q.erase(it);
    return true;
  }
  return false;
}

bool TakeTimer(MSG* out, HWND filter, bool remove) {
  UserState& s = State();
  std::uint64_t now = s.Now();
  for (Timer& t : s.timers) {
    if (t.due > now || !MatchesWindow(t.hwnd, filter)) continue;
    *out = MakeMessage(t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
    if (remove) t.due = now + t.elapse;
    return true;
  }
  return false;
}

// Milliseconds until the next timer is due (-1 for none).
int NextTimerWait() {
  UserState& s = State();
  if (s.timers.empty()) return -1;
  std::uint64_t now = s.Now();
  std::uint64_t next = UINT64_MAX;
  for (const Timer& t : s.timers) next = std::min(next, t.due);
  return next <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(next - now, 1000000));
}

}  // namespace

namespace user_internal {

MSG MakeMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = GetTickCount();
  m.pt = State().cursorPos;
  return m;
}

void KillWindowTimers(HWND hwnd) {
  std::erase_if(State().timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

}  // namespace user_internal

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops = State().topLevels;
    for (HWND t : tops) Send(t, msg, wParam, lParam);
    return 1;
  }
  return Send(hwnd, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  UserState& s = State();
  if (hwnd == HWND_BROADCAST) {
    for (HWND t : s.topLevels) PostMessageW(t, msg, wParam, lParam);
    return TRUE;
  }
  if (hwnd && !s.Find(hwnd)) return FALSE;
  if (s.posted.size() >= kMaxPostedMessages) return FALSE;
  s.posted.push_back(MakeMessage(hwnd, msg, wParam, lParam));
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (threadId != GetCurrentThreadId()) return FALSE;
  return PostMessageW(nullptr, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  State().quitPending = true;
  State().quitCode = exitCode;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(proc, hwnd, msg, wParam, lParam);
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT lo, UINT hi, UINT removeFlags) {
  if (!msg) return FALSE;
  UserState& s = State();
  bool remove = (removeFlags & PM_REMOVE) != 0;
  PumpDisplayEvents();
  AnnounceEndRequest();
  CheckMouseHover();
  CaretTick();
  if (TakeFrom(s.posted, msg, hwnd, lo, hi, remove)) {
    s.lastMessage = *msg;
    return TRUE;
  }
  for (;;) {
    if (TakeFrom(s.input, msg, hwnd, lo, hi, remove)) {
      if (remove) UpdateKeyStateFor(*msg);
      s.lastMessage = *msg;
      return TRUE;
    }
    if (s.raw.empty()) break;
    display::Event e = s.raw.front();
    s.raw.pop_front();
    ProcessDisplayEvent(e);
  }
  if (s.quitPending && !hwnd && MatchesRange(WM_QUIT, lo, hi)) {
    *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
    if (remove) s.quitPending = false;
    return TRUE;
  }
  if (MatchesRange(WM_PAINT, lo, hi)) {
    while (SendPendingNcPaint()) {
    }
    if (HWND h = FindWindowToPaint(hwnd)) {
      *msg = MakeMessage(h, WM_PAINT, 0, 0);
      if (remove)
        if (Window* w = s.Find(h)) w->internalPaint = false;
      s.lastMessage = *msg;
      return TRUE;
    }
  }
  if (MatchesRange(WM_TIMER, lo, hi) && TakeTimer(msg, hwnd, remove)) {
    // What has been painted is on the screen before a timer's handler runs, as it is where
    // windows draw straight onto the screen.
    PresentAll();
    s.lastMessage = *msg;
    return TRUE;
  }
  PresentAll();
  return FALSE;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT lo, UINT hi) {
  if (!msg) return -1;
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) return -1;
  for (;;) {
    if (PeekMessageW(msg, hwnd, lo, hi, PM_REMOVE)) return msg->message == WM_QUIT ? FALSE : TRUE;
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) return -1;
    WaitMessage();
  }
}

BOOL WaitMessage() {
  UserState& s = State();
  if (!s.posted.empty() || !s.input.empty() || !s.raw.empty() || s.quitPending) return TRUE;
  int wait = NextTimerWait();
  int blink = CaretTick();
  if (blink >= 0) wait = wait < 0 ? blink : std::min(wait, blink);
  if (s.track.hwnd && (s.track.flags & 1)) wait = (wait < 0) ? 50 : std::min(wait, 50);
  s.Display().Flush();
  s.Display().Wait(wait);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
  if ((m == WM_KEYDOWN || m == WM_SYSKEYDOWN) && msg->lPrivate != 0) {
    UINT charMsg = (m == WM_KEYDOWN) ? WM_CHAR : WM_SYSCHAR;
    char32_t c = msg->lPrivate;
    UserState& s = State();
    // The characters come before anything else waiting, as the key produced them now.
    auto post = [&](char16_t unit, size_t at) {
      MSG cm = MakeMessage(msg->hwnd, charMsg, unit, msg->lParam);
      s.posted.insert(s.posted.begin() + static_cast<std::ptrdiff_t>(at), cm);
    };
    if (c > 0xffff) {
      c -= 0x10000;
      post(static_cast<char16_t>(0xd800 + (c >> 10)), 0);
      post(static_cast<char16_t>(0xdc00 + (c & 0x3ff)), 1);
    } else {
      post(static_cast<char16_t>(c), 0);
    }
  }
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    bool exists = std::any_of(State().timers.begin(), State().timers.end(), [&](const Timer& t) {
      return t.hwnd == msg->hwnd && t.id == msg->wParam && t.proc == proc;
    });
    if (exists) proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  Window* w = State().Find(msg->hwnd);
  if (!w) return 0;
  return CallProcedure(w->proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LONG GetMessageTime() { return static_cast<LONG>(State().lastMessage.time); }

DWORD GetMessagePos() {
  const POINT& p = State().lastMessage.pt;
  return static_cast<DWORD>(MAKELPARAM(p.x, p.y));
}

DWORD GetTickCount() { return static_cast<DWORD>(State().Now()); }

DWORD GetCurrentThreadId() {
  static thread_local DWORD id = [] {
    static DWORD next = 1;
    return next++;
  }();
  return id;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  UserState& s = State();
  if (hwnd && !s.Find(hwnd)) return 0;
  elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  for (Timer& t : s.timers) {
    if (t.hwnd == hwnd && t.id == id && (hwnd || id != 0)) {
      t.elapse = elapse;
      t.proc = proc;
      t.due = s.Now() + elapse;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  if (s.timers.size() >= kMaxTimers) return 0;
  if (!hwnd) {
    do {
      id = s.nextTimerId++;
    } while (std::any_of(s.timers.begin(), s.timers.end(),
                         [&](const Timer& t) { return !t.hwnd && t.id == id; }));
  }
  s.timers.push_back(Timer{hwnd, id, elapse, proc, s.Now() + elapse});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = State().timers;
  auto it = std::find_if(timers.begin(), timers.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}
