#include "platform/user/caret.h"

#include <algorithm>

#include "platform/gdi/shapes.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

struct Caret {
  HWND hwnd = nullptr;
  int width = 0;
  int height = 0;
  POINT pos{};
  int hidden = 1;       // nesting of HideCaret; visible at 0
  bool drawn = false;   // the pixels are inverted now
  std::uint64_t lastToggle = 0;
  UINT blink = 530;
};

Caret caret;

void Invert() {
  if (!IsWindow(caret.hwnd)) return;
  HDC dc = GetDC(caret.hwnd);
  if (!dc) return;
  RECT r{caret.pos.x, caret.pos.y, caret.pos.x + caret.width, caret.pos.y + caret.height};
  InvertRect(dc, &r);
  ReleaseDC(caret.hwnd, dc);
  caret.drawn = !caret.drawn;
}

void Erase() {
  if (caret.drawn) Invert();
}

void Restart() {
  caret.lastToggle = State().Now();
  if (caret.hidden == 0 && !caret.drawn) Invert();
}

}  // namespace

namespace user_internal {

int CaretTick() {
  if (!caret.hwnd || caret.hidden > 0) return -1;
  std::uint64_t now = State().Now();
  if (now - caret.lastToggle >= caret.blink) {
    Invert();
    caret.lastToggle = now;
  }
  return static_cast<int>(caret.blink - std::min<std::uint64_t>(now - caret.lastToggle, caret.blink));
}

void CaretHideForPaint(HWND hwnd) {
  if (caret.hwnd == hwnd) {
    Erase();
    ++caret.hidden;
  }
}

void CaretShowAfterPaint(HWND hwnd) {
  if (caret.hwnd == hwnd && caret.hidden > 0 && --caret.hidden == 0) Restart();
}

void CaretWindowDestroyed(HWND hwnd) {
  if (caret.hwnd == hwnd) caret = Caret{.blink = caret.blink};
}

}  // namespace user_internal

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!IsWindow(hwnd)) return FALSE;
  DestroyCaret();
  caret.hwnd = hwnd;
  caret.width = std::clamp(width == 0 ? 1 : width, 1, 4096);
  caret.height = std::clamp(height == 0 ? 1 : height, 1, 4096);
  caret.pos = POINT{0, 0};
  caret.hidden = 1;
  caret.drawn = false;
  return TRUE;
}

BOOL DestroyCaret() {
  if (!caret.hwnd) return FALSE;
  Erase();
  caret = Caret{.blink = caret.blink};
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  if (!caret.hwnd || (hwnd && hwnd != caret.hwnd) || caret.hidden == 0) return FALSE;
  if (--caret.hidden == 0) Restart();
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  if (!caret.hwnd || (hwnd && hwnd != caret.hwnd)) return FALSE;
  Erase();
  ++caret.hidden;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  if (!caret.hwnd) return FALSE;
  Erase();
  caret.pos = POINT{std::clamp(x, -32767, 32767), std::clamp(y, -32767, 32767)};
  Restart();
  return TRUE;
}

BOOL GetCaretPos(POINT* pt) {
  if (!pt || !caret.hwnd) return FALSE;
  *pt = caret.pos;
  return TRUE;
}

UINT GetCaretBlinkTime() { return caret.blink; }

BOOL SetCaretBlinkTime(UINT ms) {
  caret.blink = std::clamp<UINT>(ms, 100, 5000);
  return TRUE;
}
