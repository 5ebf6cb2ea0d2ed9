// The X11 back end under a real X server (Xvfb in the test run): windows on the screen,
// shapes, input from xdotool and the CLIPBOARD selection read and written by xclip.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display/display.h"
#include "tests/support/limited_child.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using namespace display;
using displaytest::RunWhileServing;
using displaytest::ScreenshotPixel;
using displaytest::ServeFor;

namespace {

class X11 : public ::testing::Test {
 protected:
  void TearDown() override { x11.reset(); }
  void SetUp() override {
    if (!server.available()) GTEST_SKIP() << "needs an X display";
    x11 = OpenX11Display();
    if (!x11) GTEST_SKIP() << "needs an X display";
  }
  // Reads events, keeping them for the test.
  void Serve() {
    Event e;
    while (x11->NextEvent(e)) events.push_back(e);
  }
  // Shows a window filled with one colour and waits until the server has drawn it.
  NativeWindow ShowFilled(const Rect& r, std::uint32_t color) {
    NativeWindow w = x11->CreateNativeWindow(r, WindowKind::Popup);
    pixels.assign(static_cast<size_t>(r.width()) * r.height(), color);
    x11->ShowNativeWindow(w, true);
    ServeFor(200, [&] { Serve(); });
    x11->Present(w, PixelView{pixels.data(), r.width(), r.height(), r.width()}, Rect{0, 0, r.width(), r.height()});
    x11->Flush();
    ServeFor(100, [&] { Serve(); });
    return w;
  }
  displaytest::PrivateXServer server;  // first made, last gone
  std::unique_ptr<Display> x11;
  std::vector<Event> events;
  std::vector<std::uint32_t> pixels;
};

TEST_F(X11, PresentedPixelsAppearOnTheScreen) {
  REQUIRE_TOOL("import");
  NativeWindow w = ShowFilled(Rect{40, 50, 200, 150}, 0x00ff8000);
  auto inside = ScreenshotPixel(100, 100);
  ASSERT_TRUE(inside.has_value());
  EXPECT_EQ(*inside, 0x00ff8000u);
  // A partial present changes only its part.
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 160; ++x) pixels[static_cast<size_t>(y) * 160 + x] = 0x000000ff;
  x11->Present(w, PixelView{pixels.data(), 160, 100, 160}, Rect{0, 0, 10, 10});
  x11->Flush();
  ServeFor(100, [&] { Serve(); });
  EXPECT_EQ(ScreenshotPixel(45, 55).value_or(0), 0x000000ffu);
  EXPECT_EQ(ScreenshotPixel(100, 100).value_or(0), 0x00ff8000u);
  // Moved: the pixels go with it.
  x11->MoveNativeWindow(w, Rect{300, 50, 460, 150});
  x11->Present(w, PixelView{pixels.data(), 160, 100, 160}, Rect{0, 0, 160, 100});
  x11->Flush();
  ServeFor(150, [&] { Serve(); });
  EXPECT_EQ(ScreenshotPixel(350, 100).value_or(0), 0x000000ffu);
  x11->DestroyNativeWindow(w);
}

TEST_F(X11, ShapeCutsTheWindow) {
  REQUIRE_TOOL("import");
  auto before = ScreenshotPixel(560, 100);
  ASSERT_TRUE(before.has_value());
  NativeWindow w = ShowFilled(Rect{500, 50, 600, 150}, 0x0000ff00);
  std::vector<Rect> left{{0, 0, 50, 100}};
  x11->SetNativeShape(w, left, true);
  x11->Flush();
  ServeFor(150, [&] { Serve(); });
  EXPECT_EQ(ScreenshotPixel(520, 100).value_or(0), 0x0000ff00u);
  EXPECT_EQ(ScreenshotPixel(560, 100).value_or(1), *before);
  // Thousands of rectangles: a comb of one-pixel columns.
  std::vector<Rect> comb;
  for (int x = 0; x < 100; x += 2)
    for (int y = 0; y < 100; ++y) comb.push_back(Rect{x, y, x + 1, y + 1});
  ASSERT_EQ(comb.size(), 5000u);
  x11->SetNativeShape(w, comb, true);
  x11->Flush();
  ServeFor(150, [&] { Serve(); });
  EXPECT_EQ(ScreenshotPixel(500, 60).value_or(0), 0x0000ff00u);
  EXPECT_EQ(ScreenshotPixel(501, 60).value_or(1), ScreenshotPixel(501, 200).value_or(2));
  x11->SetNativeShape(w, {}, false);
  x11->Flush();
  ServeFor(150, [&] { Serve(); });
  x11->Present(w, PixelView{pixels.data(), 100, 100, 100}, Rect{0, 0, 100, 100});
  x11->Flush();
  ServeFor(100, [&] { Serve(); });
  EXPECT_EQ(ScreenshotPixel(560, 100).value_or(0), 0x0000ff00u);
  x11->DestroyNativeWindow(w);
}

TEST_F(X11, SyntheticClickArrivesAsButtonEvents) {
  REQUIRE_TOOL("xdotool");
  NativeWindow w = ShowFilled(Rect{100, 300, 300, 400}, 0x00808080);
  events.clear();
  ASSERT_TRUE(RunWhileServing("xdotool mousemove 150 350 click 1", [&] { Serve(); }).has_value());
  ServeFor(200, [&] { Serve(); });
  bool down = false, up = false;
  for (const Event& e : events) {
    if (e.window != w) continue;
    if (e.kind == EventKind::ButtonDown && e.button == MouseButton::Left) {
      down = true;
      EXPECT_EQ(e.x, 150);
      EXPECT_EQ(e.y, 350);
    }
    if (e.kind == EventKind::ButtonUp && e.button == MouseButton::Left) up = true;
  }
  EXPECT_TRUE(down);
  EXPECT_TRUE(up);
  x11->DestroyNativeWindow(w);
}

TEST_F(X11, ClipboardTextIsServedInEveryTextForm) {
  REQUIRE_TOOL("xclip");
  const std::string text = "Masterimage: \xC3\xA4 \xE2\x9C\x93";  // "Masterimage: ä ✓"
  x11->SetClipboardText(text);
  ASSERT_TRUE(x11->OwnsClipboard());
  auto serve = [&] { Serve(); };
  EXPECT_EQ(RunWhileServing("xclip -o -selection clipboard -t UTF8_STRING", serve).value_or("<timeout>"), text);
  EXPECT_EQ(RunWhileServing("xclip -o -selection clipboard -t STRING", serve).value_or("<timeout>"),
            "Masterimage: \xE4 ?");
  std::string targets = RunWhileServing("xclip -o -selection clipboard -t TARGETS", serve).value_or("");
  EXPECT_NE(targets.find("UTF8_STRING"), std::string::npos);
  EXPECT_NE(targets.find("STRING"), std::string::npos);
  EXPECT_NE(targets.find("TEXT"), std::string::npos);
  EXPECT_EQ(x11->ClipboardText().value_or(""), text);
  // Emptied and filled again, as every run of a program that clears the clipboard first does:
  // the server's notice of the emptying comes after the selection is ours again and takes
  // nothing away.
  for (const std::string next : {"second", "third"}) {
    x11->ReleaseClipboard();
    x11->SetClipboardText(next);
    ServeFor(100, serve);
    EXPECT_TRUE(x11->OwnsClipboard()) << next;
    EXPECT_EQ(RunWhileServing("xclip -o -selection clipboard", serve).value_or("<timeout>"), next);
  }
}

TEST_F(X11, ForeignClipboardTextIsRead) {
  REQUIRE_TOOL("xclip");
  x11->SetClipboardText("ours");
  // xclip takes the selection and keeps serving it in the background.
  for (int attempt = 0; attempt < 4 && x11->OwnsClipboard(); ++attempt) {
    testsupport::Run("printf 'from another program \\303\\251' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &");
    ServeFor(300, [&] { Serve(); });
  }
  EXPECT_FALSE(x11->OwnsClipboard());
  EXPECT_EQ(x11->ClipboardText().value_or("<none>"), "from another program \xC3\xA9");
  x11->SetClipboardText("back");  // takes it over again; xclip ends
  EXPECT_TRUE(x11->OwnsClipboard());
}

// A server that goes away under the program (a logout, a crash of the server) is reported, and
// every call afterwards returns at once: the program then ends in its own order. The library's
// default would print its message and exit() from inside the call that noticed.
TEST_F(X11, AServerThatGoesAwayIsReportedAndEveryCallStillReturns) {
  if (!server.own()) GTEST_SKIP() << "needs a server of its own";
  const NativeWindow w = ShowFilled(Rect{40, 50, 200, 150}, 0x00ff8000);
  x11->SetClipboardText("ours");
  EXPECT_FALSE(x11->ConnectionLost());
  ASSERT_TRUE(server.Stop());
  // In a child, so that an exit() shows as the child's end.
  const testsupport::ChildEnd end = testsupport::RunLimited(
      [&] {
        for (int i = 0; i < 200 && !x11->ConnectionLost(); ++i) {
          x11->Wait(50);
          Serve();
        }
        if (!x11->ConnectionLost()) return 2;
        // Nothing waits for a server that is gone, and nothing is asked of it.
        x11->Wait(-1);
        x11->Present(w, PixelView{pixels.data(), 160, 100, 160}, Rect{0, 0, 160, 100});
        x11->MoveNativeWindow(w, Rect{0, 0, 100, 100});
        x11->ShowNativeWindow(w, false);
        x11->SetCursorShape(w, Cursor::Wait);
        if (x11->CreateNativeWindow(Rect{0, 0, 10, 10}, WindowKind::Normal) != 0) return 3;
        if (x11->OwnsClipboard() || x11->ClipboardText() || x11->PersistClipboard()) return 4;
        int x = 1, y = 1;
        x11->GetPointer(x, y);
        x11->Flush();
        x11->DestroyNativeWindow(w);
        x11.reset();
        return x == 0 && y == 0 ? 0 : 5;
      },
      {.seconds = 30});
  EXPECT_EQ(testsupport::Describe(end), "exit 0");
}

}  // namespace
