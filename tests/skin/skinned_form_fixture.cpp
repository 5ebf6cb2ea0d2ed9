#include "tests/skin/skinned_form_fixture.h"

#include "platform/forms/win/std_controls.h"
#include "platform/user/message_loop.h"

namespace skintest {

namespace {

const char* const kPlainForm =
    "object SkinForm: TForm\n"
    "  Left = 100\n  Top = 80\n  Caption = 'Controls'\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "end\n";

}  // namespace

void SkinnedForm::Show(const char* description) {
  // Raw windows of the common controls are made before any control of the class library.
  RegisterStandardControls();
  ShowForm(description ? description : kPlainForm);
}

HWND SkinnedForm::Make(const char16_t* cls, DWORD style, int x, int y, int w, int h, int id, const char16_t* text) {
  HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, form->Handle(),
                              reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  EXPECT_NE(hwnd, nullptr);
  return hwnd;
}

TColor SkinnedForm::AtWindow(HWND h, int x, int y) {
  RECT r{};
  GetWindowRect(h, &r);
  return ScreenColor(r.left + x, r.top + y);
}

int SkinnedForm::CountColour(HWND h, const RECT& r, TColor c) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += AtWindow(h, x, y) == c;
  return n;
}

void SkinnedForm::MoveTo(HWND h, int x, int y) {
  RECT r{};
  GetWindowRect(h, &r);
  screen->MoveMouse(r.left + x, r.top + y);
  Pump();
}

TColor SkinnedForm::AtWindow(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen(TPoint{x, y});
  return ScreenColor(p.x, p.y);
}

void SkinnedForm::MoveTo(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen(TPoint{x, y});
  screen->MoveMouse(p.x, p.y);
  Pump();
}

void SkinnedForm::ClickWindow(HWND h, int x, int y) {
  RECT r{};
  GetWindowRect(h, &r);
  screen->Click(r.left + x, r.top + y);
  Pump();
}

}  // namespace skintest
