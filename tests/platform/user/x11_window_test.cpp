// The window layer on a real X server: a top-level window drawn from its back buffer, a click
// from xdotool reaching the window procedure, and clipboard text read by xclip.
#include <cstring>

#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/clipboard.h"
#include "platform/user/global_memory.h"
#include "platform/user/metrics.h"
#include "tests/support/screen_test_support.h"
#include "tests/platform/user/user_test_support.h"
#include "tests/support/test_support.h"
#include "tests/support/top_windows.h"

using namespace usertest;
using displaytest::RunWhileServing;
using displaytest::ScreenshotPixel;
using displaytest::ServeFor;

namespace {

class X11Window : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server.available()) GTEST_SKIP() << "needs an X display";
    auto x11 = display::OpenX11Display();
    if (!x11) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(UseDisplay(std::move(x11)));
    RecordingClass();
    Log().clear();
  }
  void TearDown() override {
    SetHandler(nullptr);
    testsupport::DestroyTopWindows();
    Pump();
    UseHeadlessDisplay();  // let the X connection go before the server does
  }
  displaytest::PrivateXServer server;
};

TEST_F(X11Window, WindowIsDrawnFromItsBackBufferAndClicksReachItsProcedure) {
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("xdotool");
  SetHandler([](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT band{10, 10, 110, 40};
    HBRUSH red = CreateSolidBrush(RGB(220, 20, 30));
    FillRect(dc, &band, red);
    DeleteObject(red);
    EndPaint(h, &ps);
    *r = 0;
    return true;
  });
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Velmora", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 80, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ServeFor(400, [] { Pump(); });
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  EXPECT_EQ(ScreenshotPixel(origin.x + 50, origin.y + 20).value_or(0), 0x00dc141eu);  // the painted band
  EXPECT_EQ(ScreenshotPixel(origin.x + 50, origin.y + 100).value_or(0), 0x00ffffffu);  // the background
  std::uint32_t caption = GetSysColor(COLOR_ACTIVECAPTION);
  std::uint32_t captionPixel = (GetRValue(caption) << 16) | (GetGValue(caption) << 8) | GetBValue(caption);
  EXPECT_EQ(ScreenshotPixel(60 + 150, 80 + 6).value_or(0), captionPixel);  // the frame is ours too

  Log().clear();
  std::string cmd = "xdotool mousemove " + std::to_string(origin.x + 70) + " " + std::to_string(origin.y + 90) + " click 1";
  ASSERT_TRUE(RunWhileServing(cmd, [] { Pump(); }).has_value());
  ServeFor(300, [] { Pump(); });
  auto down = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.hwnd == hwnd && e.msg == WM_LBUTTONDOWN; });
  ASSERT_NE(down, Log().end());
  EXPECT_EQ(GET_X_LPARAM(down->lParam), 70);
  EXPECT_EQ(GET_Y_LPARAM(down->lParam), 90);
  EXPECT_FALSE(Filtered(hwnd, {WM_LBUTTONUP}).empty());
}

TEST_F(X11Window, ClipboardTextReachesOtherPrograms) {
  REQUIRE_TOOL("xclip");
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"C", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const std::u16string text = u"Matching images: caf\u00e9 \u2713";
  ASSERT_TRUE(OpenClipboard(hwnd));
  ASSERT_TRUE(EmptyClipboard());
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * 2);
  GlobalUnlock(block);
  ASSERT_EQ(SetClipboardData(CF_UNICODETEXT, block), block);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(RunWhileServing("xclip -o -selection clipboard -t UTF8_STRING", [] { Pump(); }).value_or("<timeout>"),
            "Matching images: caf\xC3\xA9 \xE2\x9C\x93");
}

}  // namespace
