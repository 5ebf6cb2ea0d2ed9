// Window hooks of the user-interface thread: the computer-based-training hook (creation,
// activation, destruction, focus and commands) and the message-filter hook of modal loops.
#pragma once

#include "platform/user/wintypes.h"

inline constexpr int WH_MSGFILTER = -1;
inline constexpr int WH_GETMESSAGE = 3;
inline constexpr int WH_CALLWNDPROC = 4;
inline constexpr int WH_CBT = 5;

inline constexpr int HC_ACTION = 0;

inline constexpr int HCBT_MOVESIZE = 0;
inline constexpr int HCBT_MINMAX = 1;
inline constexpr int HCBT_QS = 2;
inline constexpr int HCBT_CREATEWND = 3;
inline constexpr int HCBT_DESTROYWND = 4;
inline constexpr int HCBT_ACTIVATE = 5;
inline constexpr int HCBT_CLICKSKIPPED = 6;
inline constexpr int HCBT_KEYSKIPPED = 7;
inline constexpr int HCBT_SYSCOMMAND = 8;
inline constexpr int HCBT_SETFOCUS = 9;

// Codes of the message-filter hook: which modal loop retrieved the message.
inline constexpr int MSGF_DIALOGBOX = 0;
inline constexpr int MSGF_MESSAGEBOX = 1;
inline constexpr int MSGF_MENU = 2;
inline constexpr int MSGF_SCROLLBAR = 5;
inline constexpr int MSGF_NEXTWINDOW = 6;
inline constexpr int MSGF_USER = 4096;

struct CBT_CREATEWNDW {
  CREATESTRUCTW* lpcs;
  HWND hwndInsertAfter;
};
using CBT_CREATEWND = CBT_CREATEWNDW;

struct CBTACTIVATESTRUCT {
  BOOL fMouse;
  HWND hWndActive;
};

// Hooks of the user-interface thread only: threadId is that thread's id (GetCurrentThreadId)
// or 0, module may be nullptr. The newest hook of a kind is called first.
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
inline HHOOK SetWindowsHookExA(int id, HOOKPROC p, HINSTANCE m, DWORD t) {
  return SetWindowsHookExW(id, p, m, t);
}
BOOL UnhookWindowsHookEx(HHOOK hook);
// Passes the call on to the next hook of the chain; 0 when there is none.
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
// Gives the message-filter hooks a message of a modal loop; TRUE when a hook handled it.
BOOL CallMsgFilterW(MSG* msg, int code);
