// The window layer on a real X server: a top-level window drawn from its back buffer, a click
// from xdotool reaching the window procedure, clipboard text read by xclip, and the window's
// place and minimising with no window manager, with one that adds a frame (twm) and with one
// that honours the no-decoration hint (openbox).
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

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
using displaytest::ServeUntil;

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

// The top-left corner of a window shown on the screen, as another program sees it (xwininfo).
std::optional<POINT> CornerOnScreen(const std::string& title) {
  std::string out;
  if (testsupport::Run("xwininfo -name '" + title + "' 2>/dev/null", &out) != 0) return std::nullopt;
  if (out.find("IsViewable") == std::string::npos) return std::nullopt;
  auto number = [&](const std::string& label) {
    size_t at = out.find(label);
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + label.size());
  };
  return POINT{number("Absolute upper-left X:"), number("Absolute upper-left Y:")};
}

class X11Desktop : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!server.own()) GTEST_SKIP() << "needs an X server of its own";
    for (const char* tool : {"xdotool", "xwininfo", "xprop", "import"})
      if (!testsupport::HaveTool(tool)) GTEST_SKIP() << "needs " << tool;
    if (*GetParam()) {
      wm = std::make_unique<displaytest::PrivateWindowManager>(GetParam());
      if (!wm->running()) GTEST_SKIP() << "needs " << GetParam();
    }
    auto x11 = display::OpenX11Display();
    if (!x11) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(UseDisplay(std::move(x11)));
    RecordingClass();
  }
  void TearDown() override {
    testsupport::DestroyTopWindows();
    Pump();
    UseHeadlessDisplay();
  }
  // Both the screen and the window layer have the window's top-left corner at (x, y).
  bool At(HWND hwnd, const std::string& title, int x, int y) {
    auto p = CornerOnScreen(title);
    RECT r{};
    GetWindowRect(hwnd, &r);
    return p && p->x == x && p->y == y && r.left == x && r.top == y;
  }
  displaytest::PrivateXServer server;  // first made, last gone
  std::unique_ptr<displaytest::PrivateWindowManager> wm;
};

// The user puts the window somewhere, another program moves it, the user moves it with the
// keyboard, minimises it and brings it back: it is always where it was put, never walked down
// by a frame's title bar, and never lost.
TEST_P(X11Desktop, TheWindowStaysWhereItIsPutAndComesBackFromMinimised) {
  const std::string title = "Velmora on the desktop";
  auto serve = [] { Pump(); };
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Velmora on the desktop", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                              284, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(ServeUntil([&] { return At(hwnd, title, 300, 284); }, serve));
  ServeFor(300, serve);
  EXPECT_TRUE(At(hwnd, title, 300, 284));

  ASSERT_TRUE(RunWhileServing("xdotool search --name '^" + title + "$' windowmove 200 150", serve).has_value());
  EXPECT_TRUE(ServeUntil([&] { return At(hwnd, title, 200, 150); }, serve));
  ServeFor(300, serve);
  EXPECT_TRUE(At(hwnd, title, 200, 150));

  // Move from the system menu, then the arrow keys; one command, as the menu and the move run
  // their own loops inside the serving. openbox keeps Alt+Space for a menu of its own: there the
  // menu opens on the caption. twm gives the keyboard to whatever is under the pointer, which the
  // menu opened by the mouse would be.
  const std::string openMenu =
      std::string(GetParam()) == "openbox" ? "mousemove 300 160 click 3" : "mousemove 500 300 key alt+space";
  ASSERT_TRUE(RunWhileServing("xdotool " + openMenu + " sleep 0.3 key m sleep 0.3 key Right Right Down Return", serve)
                  .has_value());
  EXPECT_TRUE(ServeUntil([&] { return At(hwnd, title, 216, 158); }, serve));

  // Minimised with the caption's button.
  ASSERT_TRUE(RunWhileServing("xdotool mousemove 568 171 click 1", serve).has_value());
  ASSERT_TRUE(ServeUntil([&] { return IsIconic(hwnd) != FALSE; }, serve));
  if (*GetParam()) {
    // The window manager keeps it, and gives it back when another program maps it.
    EXPECT_TRUE(ServeUntil(
        [&] {
          std::string state;
          testsupport::Run("xprop -name '" + title + "' WM_STATE 2>/dev/null", &state);
          return state.find("Iconic") != std::string::npos;
        },
        serve));
    ASSERT_TRUE(RunWhileServing("xdotool search --name '^" + title + "$' windowmap", serve).has_value());
  } else {
    // Nobody keeps it: its caption stays at the bottom left of the screen, and a click there
    // brings the window back.
    const int h = GetSystemMetrics(SM_CYSCREEN), cy = GetSystemMetrics(SM_CYMINIMIZED);
    EXPECT_TRUE(ServeUntil([&] { return At(hwnd, title, 0, h - cy); }, serve));
    std::uint32_t caption = GetSysColor(COLOR_INACTIVECAPTION);
    EXPECT_EQ(ScreenshotPixel(8, h - cy / 2).value_or(0),
              (GetRValue(caption) << 16) | (GetGValue(caption) << 8) | GetBValue(caption));
    ASSERT_TRUE(RunWhileServing("xdotool mousemove 80 " + std::to_string(h - cy / 2) + " click 1", serve).has_value());
  }
  EXPECT_TRUE(ServeUntil([&] { return !IsIconic(hwnd) && At(hwnd, title, 216, 158); }, serve));
  // Drawn again, not left black.
  ServeFor(200, serve);
  EXPECT_EQ(ScreenshotPixel(216 + 200, 158 + 150).value_or(0), 0x00ffffffu);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11Desktop, ::testing::Values("", "twm", "openbox"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(*info.param ? info.param : "none");
                         });

}  // namespace
