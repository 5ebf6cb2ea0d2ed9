// The test form on a real X server: a screenshot shows the controls at their positions in the
// classic look, a click from xdotool reaches the button's handler, and text put on the
// clipboard through TClipboard is read by xclip. Skipped without an X server.
#include <gmock/gmock.h>

#include "platform/forms/clipboard.h"
#include "platform/forms/screen.h"
#include "platform/forms/standard_classes.h"
#include "platform/gdi/colors.h"
#include "platform/user/input.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

namespace formstest {
namespace {

using displaytest::RunWhileServing;
using displaytest::ScreenshotPixel;
using displaytest::ServeFor;

class X11Form : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server.available()) GTEST_SKIP() << "needs an X display";
    RecreateApplication();
    auto x11 = display::OpenX11Display();
    if (!x11) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(UseDisplay(std::move(x11)));
    RegisterStandardClasses();
    RegisterClass(TStreamWidget::StaticClassInfo());
    Application->SetNonInteractive(false);
  }
  void TearDown() override {
    RecreateApplication();
    UseHeadlessDisplay();  // let the X connection go before the server does
  }
  static void Serve() { Application->ProcessMessages(); }
  // The screen colour at a point of a control's client area.
  std::uint32_t Shot(TControl* c, int x, int y) {
    TPoint p = c->ClientToScreen(TPoint{x, y});
    return ScreenshotPixel(p.x, p.y).value_or(0xDEADBEEF);
  }

  displaytest::PrivateXServer server;
};

TEST_F(X11Form, ScreenshotShowsTheControlsAndAClickReachesItsHandler) {
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("xdotool");
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->ProgressBar1->SetPosition(5);  // half of 10
  f->Show();
  ServeFor(500, Serve);

  std::uint32_t face = ScreenColor(clBtnFace), window = ScreenColor(clWindow), bar = ScreenColor(clHighlight);
  EXPECT_EQ(Shot(f.get(), f->ClientWidth() - 4, f->ClientHeight() - 4), face);
  EXPECT_EQ(Shot(f->Edit2, f->Edit2->ClientWidth() - 4, 4), window);
  EXPECT_EQ(Shot(f->Button1, 3, f->Button1->ClientHeight() - 4), face);
  EXPECT_EQ(Shot(f->CheckBox1, 4, f->CheckBox1->ClientHeight() / 2), window);  // the box
  EXPECT_EQ(Shot(f->ProgressBar1, f->ProgressBar1->ClientWidth() / 4, 7), bar);
  EXPECT_EQ(Shot(f->ProgressBar1, f->ProgressBar1->ClientWidth() * 3 / 4, 7), face);
  // Just outside the edit's border the form shows through.
  EXPECT_EQ(Shot(f.get(), f->Edit2->Left() - 2, f->Edit2->Top() + 5), face);
  // The edit's border: a sunken frame, darker than the face at its top-left.
  std::uint32_t border = Shot(f.get(), f->Edit2->Left(), f->Edit2->Top() + 5);
  EXPECT_NE(border, face);
  EXPECT_NE(border, window);

  log.clear();
  TPoint p = f->Button1->ClientToScreen(TPoint{f->Button1->Width() / 2, f->Button1->Height() / 2});
  std::string cmd = "xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1";
  ASSERT_TRUE(RunWhileServing(cmd, Serve).has_value());
  ServeFor(300, Serve);
  EXPECT_NE(std::find(log.begin(), log.end(), "Button1Click"), log.end());

  // Typed keys from the X server reach the focused edit.
  f->Edit2->SetFocus();
  ServeFor(100, Serve);
  ASSERT_TRUE(RunWhileServing("xdotool type --delay 20 abc", Serve).has_value());
  ServeFor(300, Serve);
  EXPECT_EQ(f->Edit2->Text(), "abc");
}

TEST_F(X11Form, ClipboardTextIsReadByOtherPrograms) {
  REQUIRE_TOOL("xclip");
  std::string text = "Masterimage: \r\n/x/caf\xC3\xA9.jpg \r\nMatching images: \r\n";
  Clipboard()->Clear();
  Clipboard()->SetAsText(text);
  EXPECT_EQ(RunWhileServing("xclip -o -selection clipboard -t UTF8_STRING", Serve).value_or("<timeout>"), text);
  // And the edit's copy goes the same way.
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  ServeFor(300, Serve);
  f->Edit2->SetText("copied from an edit");
  f->Edit2->SelectAll();
  f->Edit2->CopyToClipboard();
  EXPECT_EQ(RunWhileServing("xclip -o -selection clipboard -t UTF8_STRING", Serve).value_or("<timeout>"),
            "copied from an edit");
}

}  // namespace
}  // namespace formstest
