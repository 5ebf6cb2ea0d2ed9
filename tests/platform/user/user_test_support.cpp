#include "tests/platform/user/user_test_support.h"

#include <map>

#include "platform/gdi/shapes.h"
#include "platform/user/metrics.h"
#include "tests/support/top_windows.h"

namespace usertest {

namespace {

Handler& CurrentHandler() {
  static Handler h;
  return h;
}

const std::map<UINT, const char*>& KnownNames() {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"},
      {WM_SIZE, "WM_SIZE"}, {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"},
      {WM_KILLFOCUS, "WM_KILLFOCUS"}, {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"},
      {WM_GETTEXT, "WM_GETTEXT"}, {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"}, {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"}, {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"}, {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
      {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCPAINT, "WM_NCPAINT"}, {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_TIMER, "WM_TIMER"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_COMMAND, "WM_COMMAND"},
      {kHookBase + HCBT_CREATEWND, "HCBT_CREATEWND"}, {kHookBase + HCBT_DESTROYWND, "HCBT_DESTROYWND"},
      {kHookBase + HCBT_ACTIVATE, "HCBT_ACTIVATE"}, {kHookBase + HCBT_SETFOCUS, "HCBT_SETFOCUS"},
      {kHookBase + HCBT_MINMAX, "HCBT_MINMAX"}, {kHookBase + HCBT_SYSCOMMAND, "HCBT_SYSCOMMAND"},
  };
  return names;
}

}  // namespace

std::uint32_t Pixel(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

std::vector<Entry>& Log() {
  static std::vector<Entry> log;
  return log;
}

std::vector<UINT> MessagesOf(HWND hwnd) {
  std::vector<UINT> out;
  for (const Entry& e : Log())
    if (e.hwnd == hwnd) out.push_back(e.msg);
  return out;
}

std::vector<UINT> Filtered(HWND hwnd, const std::vector<UINT>& keep) {
  std::vector<UINT> out;
  for (const Entry& e : Log())
    if (e.hwnd == hwnd && std::find(keep.begin(), keep.end(), e.msg) != keep.end()) out.push_back(e.msg);
  return out;
}

std::string Names(const std::vector<UINT>& msgs) {
  std::string s;
  for (UINT m : msgs) {
    auto it = KnownNames().find(m);
    if (!s.empty()) s += ' ';
    s += it != KnownNames().end() ? it->second : ("0x" + [&] {
      char buf[16];
      snprintf(buf, sizeof buf, "%X", m);
      return std::string(buf);
    }());
  }
  return s;
}

void SetHandler(Handler h) { CurrentHandler() = std::move(h); }

Handler PaintsIn(HWND target, int w, int h, int sysColor) {
  return [=](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_PAINT || hwnd != target) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, GetSysColorBrush(sysColor));
    EndPaint(hwnd, &ps);
    *r = 0;
    return true;
  };
}

LRESULT CALLBACK_Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Entry{hwnd, msg, wParam, lParam});
  if (CurrentHandler()) {
    LRESULT r = 0;
    Handler h = CurrentHandler();  // the handler may replace itself
    if (h(hwnd, msg, wParam, lParam, &r)) return r;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const char16_t* RecordingClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CALLBACK_Record;
    wc.cbWndExtra = 16;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1));
    wc.lpszClassName = u"RecordingWindow";
    registered = RegisterClassExW(&wc) != 0;
  }
  return u"RecordingWindow";
}

void Pump(int maxMessages) {
  MSG m;
  for (int i = 0; i < maxMessages && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void UserTest::SetUp() {
  screen = UseHeadlessDisplay();
  ASSERT_NE(screen, nullptr) << "windows of an earlier test are still alive";
  RecordingClass();
  Log().clear();
  SetHandler(nullptr);
}

void UserTest::TearDown() {
  SetHandler(nullptr);
  testsupport::DestroyTopWindows();
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  Log().clear();
}

}  // namespace usertest
