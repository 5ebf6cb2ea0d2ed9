#include "tests/platform/forms/common_controls_fixture.h"

#include "platform/user/message_loop.h"
#include "platform/user/window.h"

namespace formstest {

void CommonControlsTest::SetUp() {
  FormsTest::SetUp();
  RegisterStandardControls();
  form = CreateComponent<TForm>(Application);
  form->SetBounds(50, 50, 420, 300);
  form->Show();
  oldProc_ = form->WindowProc;
  form->WindowProc = [this](TMessage& m) {
    if (!ParentMessage(m)) oldProc_(m);
  };
}

void CommonControlsTest::TearDown() {
  form->WindowProc = oldProc_;
  form->Free();
  FormsTest::TearDown();
}

HWND CommonControlsTest::Make(const char16_t* cls, DWORD style, int x, int y, int w, int h) {
  HWND hwnd = CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, form->Handle(), nullptr,
                              nullptr, nullptr);
  EXPECT_NE(hwnd, nullptr);
  return hwnd;
}

void CommonControlsTest::ClickWindow(HWND h, int x, int y) {
  RECT w{};
  GetWindowRect(h, &w);
  screen->Click(w.left + x, w.top + y);
  Pump();
}

}  // namespace formstest
