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

void SkinnedForm::SetUp() {
  REQUIRE_PACKER();
  SkinFixture::SetUp();
  UseSkinManage();
  sd = LoadedSkinData(flatskin::FlatSkin());
  ASSERT_TRUE(sd->Ready());
}

void SkinnedForm::TearDown() {
  if (form) form->Free();
  form = nullptr;
  sd.reset();
  SkinFixture::TearDown();
}

void SkinnedForm::Show(const char* description) {
  RegisterStandardControls();
  sd->SetActive(true);
  sd->Loaded();
  form = new TForm(Application);
  form->SetDescription(description ? description : kPlainForm);
  form->AfterConstruction();
  form->Show();
  Pump();
}

void SkinnedForm::Pump() {
  for (int i = 0; i < 6; ++i) Application->ProcessMessages();
}

TWinSkinForm* SkinnedForm::Wrapper() { return SkinManage()->FindForm(form->Handle()); }

HWND SkinnedForm::Make(const char16_t* cls, DWORD style, int x, int y, int w, int h, int id, const char16_t* text) {
  HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, form->Handle(),
                              reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  EXPECT_NE(hwnd, nullptr);
  return hwnd;
}

TColor SkinnedForm::AtWindow(HWND h, int x, int y) {
  RECT r{};
  GetWindowRect(h, &r);
  const uint32_t p = screen->ScreenPixel(r.left + x, r.top + y);
  return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
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

void SkinnedForm::ClickWindow(HWND h, int x, int y) {
  RECT r{};
  GetWindowRect(h, &r);
  screen->Click(r.left + x, r.top + y);
  Pump();
}

}  // namespace skintest
