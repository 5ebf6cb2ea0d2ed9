// The test form on a real X server: a screenshot shows the controls at their positions in the
// classic look, a click from xdotool reaches the button's handler, and text put on the
// clipboard through TClipboard is read by xclip. Skipped without an X server.
#include <gmock/gmock.h>

#include <cstdlib>

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

  displaytest::PrivateXServer server;
};

// Where a control of the test form's description lies on the screen: the form's client origin
// plus the control's Left, Top, Width and Height as the description gives them.
struct Placed {
  int left, top, width, height;
};

TEST_F(X11Form, ScreenshotShowsTheControlsAndAClickReachesItsHandler) {
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("xdotool");
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->ProgressBar1->SetPosition(5);  // half of 10
  f->Show();
  ServeFor(500, Serve);

  // Centred on the screen, as the description asks.
  RECT wr;
  ASSERT_TRUE(GetWindowRect(f->Handle(), &wr));
  EXPECT_NEAR((wr.left + wr.right) / 2, 1280 / 2, 1);
  EXPECT_NEAR((wr.top + wr.bottom) / 2, 1024 / 2, 1);
  TPoint origin = f->ClientToScreen(TPoint{0, 0});
  auto at = [&](int left, int top, int width, int height) {
    return Placed{origin.x + left, origin.y + top, width, height};
  };
  const Placed label1 = at(8, 8, 149, 13), edit2 = at(8, 56, 220, 21), button1 = at(236, 25, 76, 23),
               check1 = at(8, 88, 153, 17), check2 = at(168, 88, 140, 17), progress = at(8, 116, 300, 15);

  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot.has_value());
  if (const char* keep = std::getenv("VELMORA_KEEP_SCREENSHOT")) shot->SavePpm(keep);
  auto px = [&](const Placed& c, int x, int y) { return shot->At(c.left + x, c.top + y); };
  // Ink: pixels of text, smoothed glyph edges included.
  auto ink = [&](const Placed& c) {
    int n = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        std::uint32_t p = px(c, x, y);
        n += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x60;
      }
    return n;
  };
  std::uint32_t face = ScreenColor(clBtnFace), window = ScreenColor(clWindow), bar = ScreenColor(clHighlight),
                caption = ScreenColor(clActiveCaption);
  EXPECT_EQ(shot->At(wr.left + 40, wr.top + 8), caption);
  EXPECT_EQ(shot->At(origin.x + 320 - 4, origin.y + 220 - 4), face);
  // The edit: its sunken border on its first pixels, the window colour inside, the form just outside.
  EXPECT_EQ(px(edit2, edit2.width - 4, 4), window);
  EXPECT_NE(px(edit2, 0, 5), face);
  EXPECT_NE(px(edit2, 0, 5), window);
  EXPECT_EQ(px(edit2, -2, 5), face);
  EXPECT_EQ(px(edit2, edit2.width + 1, 5), face);
  // The button: raised face with its caption's ink in the middle.
  EXPECT_EQ(px(button1, 3, button1.height - 4), face);
  EXPECT_GT(ink(button1), 10);
  // The label's text is drawn inside its box and nowhere below it.
  EXPECT_GT(ink(label1), 40);
  EXPECT_EQ(ink(Placed{label1.left, label1.top + label1.height, label1.width, 4}), 0);
  // The check boxes: white boxes, the second one ticked.
  EXPECT_EQ(px(check1, 4, check1.height / 2), window);
  EXPECT_EQ(ink(Placed{check1.left + 4, check1.top + 4, 7, 7}), 0);
  EXPECT_GT(ink(Placed{check2.left + 4, check2.top + 4, 7, 7}), 10);
  // The smooth progress bar half full.
  EXPECT_EQ(px(progress, progress.width / 4, 7), bar);
  EXPECT_EQ(px(progress, progress.width * 3 / 4, 7), face);

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
