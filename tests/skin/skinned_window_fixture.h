// The fixture of the skinned top-level window tests: a form of the given border style shown
// under the flat test skin, and its pixels and caption buttons on the headless screen.
#pragma once

#include <cstdio>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/user/window.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skin_test_support.h"

namespace skintest {

inline constexpr const char* kFormText =
    "object SkinForm: TForm\n"
    "  Left = 100\n  Top = 80\n  Caption = 'Skinned'\n  ClientHeight = 200\n  ClientWidth = 300\n"
    "  BorderStyle = %s\nend\n";

class SkinnedWindow : public SkinnedFormFixture {
 protected:
  void SetUp() override {
    SkinnedFormFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    SwitchSkinOn();
  }

  TForm* Show(const char* borderStyle = "bsSizeable") {
    char text[512];
    snprintf(text, sizeof text, kFormText, borderStyle);
    form = new TForm(Application);
    form->SetDescription(text);
    form->AfterConstruction();
    form->Show();
    Pump();
    return form;
  }
  RECT WindowRect() {
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    return r;
  }
  // A pixel of the screen at a point of the window.
  TColor At(int x, int y) {
    const RECT r = WindowRect();
    return ScreenColor(r.left + x, r.top + y);
  }
  int Width() { return WindowRect().right - WindowRect().left; }
  int Height() { return WindowRect().bottom - WindowRect().top; }
  POINT ButtonCentre(int fromRight) {
    const RECT r = WindowRect();
    return POINT{r.right - fromRight + flatskin::kButtonW / 2, r.top + flatskin::kButtonTop + flatskin::kButtonH / 2};
  }
  void MoveTo(POINT p) {
    screen->MoveMouse(p.x, p.y);
    Pump();
  }
};

}  // namespace skintest
