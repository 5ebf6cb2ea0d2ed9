// Hook chains of the user-interface thread.
#include "platform/user/hooks.h"

#include <algorithm>

#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"

using namespace user_internal;

namespace {

// Calls the newest live hook of a kind older than position `before` (exclusive).
LRESULT CallFrom(int kind, size_t before, int code, WPARAM wParam, LPARAM lParam) {
  UserState& s = State();
  for (size_t i = before; i-- > 0;) {
    if (i >= s.hooks.size()) continue;
    Hook h = s.hooks[i];
    if (!h.alive || h.kind != kind) continue;
    ++s.hookCallDepth;
    LRESULT r = h.proc(code, wParam, lParam);
    if (--s.hookCallDepth == 0)
      std::erase_if(s.hooks, [](const Hook& x) { return !x.alive; });
    return r;
  }
  return 0;
}

}  // namespace

namespace user_internal {

bool HasHooks(int kind) {
  const auto& hooks = State().hooks;
  return std::any_of(hooks.begin(), hooks.end(),
                     [kind](const Hook& h) { return h.alive && h.kind == kind; });
}

LRESULT CallCbtHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallFrom(WH_CBT, State().hooks.size(), code, wParam, lParam);
}

}  // namespace user_internal

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId) {
  if (!proc) return nullptr;
  if (idHook != WH_CBT && idHook != WH_MSGFILTER) return nullptr;
  if (threadId != 0 && threadId != GetCurrentThreadId()) return nullptr;
  UserState& s = State();
  if (s.hooks.size() >= 1000) return nullptr;
  Hook h;
  h.kind = idHook;
  h.proc = proc;
  h.handle = reinterpret_cast<HHOOK>(s.nextHook++ << 4);
  s.hooks.push_back(h);
  return h.handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  UserState& s = State();
  for (Hook& h : s.hooks) {
    if (h.handle == hook && h.alive) {
      h.alive = false;
      if (s.hookCallDepth == 0) std::erase_if(s.hooks, [](const Hook& x) { return !x.alive; });
      return TRUE;
    }
  }
  return FALSE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  UserState& s = State();
  for (size_t i = 0; i < s.hooks.size(); ++i) {
    if (s.hooks[i].handle == hook) return CallFrom(s.hooks[i].kind, i, code, wParam, lParam);
  }
  return 0;
}

BOOL CallMsgFilterW(MSG* msg, int code) {
  if (!msg || !HasHooks(WH_MSGFILTER)) return FALSE;
  return CallFrom(WH_MSGFILTER, State().hooks.size(), code, 0, reinterpret_cast<LPARAM>(msg)) ? TRUE
                                                                                            : FALSE;
}
