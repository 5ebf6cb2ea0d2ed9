// Messages: sending, posting, the message loop and timers. All windows belong to one
// user-interface thread; every call here runs on it.
#pragma once

#include "platform/user/messages.h"
#include "platform/user/wintypes.h"

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessageA(HWND h, UINT m, WPARAM w, LPARAM l) { return SendMessageW(h, m, w, l); }
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessageA(HWND h, UINT m, WPARAM w, LPARAM l) { return PostMessageW(h, m, w, l); }
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Calls a window procedure directly (subclassing passes messages on with it).
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT CallWindowProcA(WNDPROC p, HWND h, UINT m, WPARAM w, LPARAM l) {
  return CallWindowProcW(p, h, m, w, l);
}

inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;

// Order of retrieval: posted messages, input, WM_QUIT once nothing is posted, then WM_PAINT
// for windows with an update region (parents before children), then due WM_TIMER.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
inline BOOL PeekMessageA(MSG* m, HWND h, UINT a, UINT b, UINT f) { return PeekMessageW(m, h, a, b, f); }
// Blocks until a message is there; returns 0 for WM_QUIT, -1 for an invalid window filter.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
inline BOOL GetMessageA(MSG* m, HWND h, UINT a, UINT b) { return GetMessageW(m, h, a, b); }
BOOL WaitMessage();
// Posts WM_CHAR / WM_SYSCHAR for a key-down message that produced a character.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
inline LRESULT DispatchMessageA(const MSG* m) { return DispatchMessageW(m); }
LONG GetMessageTime();
DWORD GetMessagePos();
// Milliseconds since the window layer started.
DWORD GetTickCount();
DWORD GetCurrentThreadId();

// Timers: WM_TIMER when due and nothing else is waiting; one pending message per timer.
inline constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
inline constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
