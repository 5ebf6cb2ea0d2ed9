// The window layer on a real X server: a top-level window drawn from its back buffer, a click
// from xdotool reaching the window procedure, clipboard text read by xclip, and the window's
// place and minimising with no window manager, with one that adds a frame (twm) and with one
// that honours the no-decoration hint (openbox).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <unistd.h>

#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/clipboard.h"
#include "platform/user/global_memory.h"
#include "platform/user/icons.h"
#include "platform/user/metrics.h"
#include "platform/user/system_params.h"
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

// What the window tells the desktop, as xprop reads it: its names in UTF-8 and, for the old
// readers, in Latin-1 or COMPOUND_TEXT; its process and machine; its icon; whether it is a
// dialog of another window and holds it; its size, also after a resize.
TEST_F(X11Window, TheWindowTellsTheDesktopWhatItIs) {
  REQUIRE_TOOL("xprop");
  REQUIRE_TOOL("xdotool");
  auto serve = [] { Pump(); };
  HWND main = CreateWindowExW(0, RecordingClass(), u"Caf\u00e9 main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 684,
                              461, nullptr, nullptr, nullptr, nullptr);
  GdiBitmap picture(16, 16, 32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) reinterpret_cast<std::uint32_t*>(picture.Row(y))[x] = 0xFF2040C0u;
  HICON icon = CreateIconFromPicture(picture);
  SendMessageW(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  HWND dialog = CreateWindowExW(0, RecordingClass(), u"\u041a\u043b\u044e\u0447 dialog",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 300, 200, main, nullptr, nullptr, nullptr);
  EnableWindow(main, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetWindowPos(main, nullptr, 0, 0, 700, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ServeFor(300, serve);
  auto props = [&](const std::string& name, const std::string& which) {
    std::string out, id = RunWhileServing("xdotool search --name '" + name + "$' | head -1", serve).value_or("");
    id.erase(id.find_last_not_of("\n") + 1);
    if (id.empty()) return out;
    testsupport::Run("xprop -id " + id + " -f WM_NAME 8x -f _NET_WM_NAME 8x " + which + " 2>/dev/null", &out);
    return out;
  };
  const std::string m = props("main", "WM_NAME _NET_WM_NAME _NET_WM_PID WM_CLIENT_MACHINE _NET_WM_WINDOW_TYPE "
                                      "_NET_WM_ICON WM_HINTS WM_NORMAL_HINTS");
  EXPECT_NE(m.find("WM_NAME(STRING) = 0x43, 0x61, 0x66, 0xe9, 0x20, 0x6d"), std::string::npos) << m;
  EXPECT_NE(m.find("_NET_WM_NAME(UTF8_STRING) = 0x43, 0x61, 0x66, 0xc3, 0xa9, 0x20"), std::string::npos) << m;
  EXPECT_NE(m.find("_NET_WM_PID(CARDINAL) = " + std::to_string(getpid()) + "\n"), std::string::npos) << m;
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  EXPECT_NE(m.find("WM_CLIENT_MACHINE(STRING) = \"" + std::string(host) + "\""), std::string::npos) << m;
  EXPECT_NE(m.find("_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL"), std::string::npos) << m;
  EXPECT_NE(m.find("_NET_WM_ICON(CARDINAL) = \tIcon (16 x 16)"), std::string::npos) << m;
  EXPECT_NE(m.find("bitmap id # to use for icon"), std::string::npos) << m;
  EXPECT_NE(m.find("size: 700 by 480"), std::string::npos) << m;
  const std::string d = props("dialog", "WM_NAME _NET_WM_WINDOW_TYPE _NET_WM_STATE WM_TRANSIENT_FOR");
  EXPECT_NE(d.find("WM_NAME(COMPOUND_TEXT)"), std::string::npos) << d;
  EXPECT_NE(d.find("_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DIALOG"), std::string::npos) << d;
  EXPECT_NE(d.find("_NET_WM_STATE(ATOM) = _NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_MODAL"), std::string::npos) << d;
  EXPECT_NE(d.find("WM_TRANSIENT_FOR(WINDOW): window id #"), std::string::npos) << d;
  // The dialog ends: its owner takes input again, and the dialog no longer holds it.
  EnableWindow(main, TRUE);
  ServeFor(200, serve);
  EXPECT_EQ(props("dialog", "_NET_WM_STATE").find("MODAL"), std::string::npos);
  DestroyIcon(icon);
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
  // their own loops inside the serving. openbox, fluxbox and icewm keep Alt+Space for a menu of
  // their own: there the menu opens on the caption. twm gives the keyboard to whatever is under
  // the pointer, which the menu opened by the mouse would be.
  const std::string manager = GetParam();
  const std::string openMenu = manager == "openbox" || manager == "fluxbox" || manager == "icewm"
                                   ? "mousemove 300 160 click 3"
                                   : "mousemove 500 300 key alt+space";
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

// The work area as the window manager states it (_NET_WORKAREA of the first desktop), or none.
std::optional<RECT> StatedWorkArea() {
  std::string out;
  if (testsupport::Run("xprop -root _NET_WORKAREA 2>/dev/null", &out) != 0) return std::nullopt;
  int x = 0, y = 0, w = 0, h = 0;
  size_t at = out.find('=');
  if (at == std::string::npos || std::sscanf(out.c_str() + at + 1, " %d, %d, %d, %d", &x, &y, &w, &h) != 4)
    return std::nullopt;
  return RECT{x, y, x + w, y + h};
}

std::string PropertyOf(const std::string& title, const std::string& property) {
  std::string out;
  testsupport::Run("xprop -name '" + title + "' " + property + " 2>/dev/null", &out);
  return out;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// Maximised, the window fills the work area that the desktop's panels leave (its frame just
// outside where no window manager keeps the state); a manager that keeps the maximised state is
// asked for it, and its own maximising and restoring are the window's, its size kept for restoring.
TEST_P(X11Desktop, MaximisedTheWindowFillsTheWorkAreaAndTheManagersStateIsItsOwn) {
  const std::string title = "Velmora maximised";
  const std::string manager = GetParam();
  const bool keeps = manager == "openbox" || manager == "fluxbox" || manager == "icewm";
  if (keeps && !testsupport::HaveTool("wmctrl")) GTEST_SKIP() << "needs wmctrl";
  auto serve = [] { Pump(); };
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Velmora maximised", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150,
                              684, 461, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(ServeUntil([&] { return At(hwnd, title, 200, 150); }, serve));
  ServeFor(300, serve);
  RECT area{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
  if (auto stated = StatedWorkArea(); stated && !manager.empty()) {
    EXPECT_TRUE(SameRect(area, *stated));
  }
  const RECT original{200, 150, 884, 611};
  auto rect = [&] {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
  };
  const RECT maximised = keeps ? area : RECT{area.left - 4, area.top - 4, area.right + 4, area.bottom + 4};
  PostMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(ServeUntil([&] { return IsZoomed(hwnd) && SameRect(rect(), maximised); }, serve)) << Text(rect()) << " " << Text(area);
  if (keeps) {
    EXPECT_NE(PropertyOf(title, "_NET_WM_STATE").find("_NET_WM_STATE_MAXIMIZED_VERT"), std::string::npos);
  }
  PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(ServeUntil([&] { return !IsZoomed(hwnd) && SameRect(rect(), original); }, serve)) << Text(rect()) << " " << Text(area);
  ServeFor(300, serve);
  EXPECT_TRUE(SameRect(rect(), original));
  EXPECT_NE(PropertyOf(title, "WM_NORMAL_HINTS").find("size: 684 by 461"), std::string::npos);
  if (!keeps) return;
  EXPECT_EQ(PropertyOf(title, "_NET_WM_STATE").find("MAXIMIZED"), std::string::npos);

  // The manager's own maximise (its menu, a key): the window is maximised, and the program's
  // restore gives it its size back.
  const std::string wmctrl = "wmctrl -F -r '" + title + "' -b ";
  ASSERT_TRUE(RunWhileServing(wmctrl + "add,maximized_vert,maximized_horz", serve).has_value());
  EXPECT_TRUE(ServeUntil([&] { return IsZoomed(hwnd) && SameRect(rect(), area); }, serve)) << Text(rect()) << " " << Text(area);
  PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(ServeUntil([&] { return !IsZoomed(hwnd) && SameRect(rect(), original); }, serve)) << Text(rect()) << " " << Text(area);
  // Maximised by the program, restored by the manager.
  PostMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(ServeUntil([&] { return IsZoomed(hwnd) && SameRect(rect(), area); }, serve)) << Text(rect()) << " " << Text(area);
  ServeFor(300, serve);
  ASSERT_TRUE(RunWhileServing(wmctrl + "remove,maximized_vert,maximized_horz", serve).has_value());
  EXPECT_TRUE(ServeUntil([&] { return !IsZoomed(hwnd) && SameRect(rect(), original); }, serve)) << Text(rect()) << " " << Text(area);
}

// A dialog that holds its window: a click on the window brings the dialog up and reaches
// nothing, the manager's close of the window is refused, and where the manager activates the
// window (its task bar: minimised, then activated) the activation comes to rest at once.
TEST_P(X11Desktop, ADialogHoldsItsWindowAndTheActivationComesToRest) {
  auto serve = [] { Pump(); };
  HWND owner = CreateWindowExW(0, RecordingClass(), u"Velmora owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500,
                               400, nullptr, nullptr, nullptr, nullptr);
  HWND dialog = CreateWindowExW(0, RecordingClass(), u"Velmora dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, 300, 300,
                                300, 200, owner, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner && dialog);
  EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  ASSERT_TRUE(ServeUntil([&] { return CornerOnScreen("Velmora dialog").has_value(); }, serve));
  ServeFor(300, serve);
  Log().clear();
  ASSERT_TRUE(RunWhileServing("xdotool mousemove 150 300 click 1", serve).has_value());
  ServeFor(300, serve);
  EXPECT_TRUE(Filtered(owner, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEACTIVATE}).empty());
  EXPECT_EQ(GetActiveWindow(), dialog);
  if (!*GetParam()) return;
  ASSERT_TRUE(RunWhileServing("xdotool search --name '^Velmora owner$' windowminimize", serve).has_value());
  ServeFor(500, serve);
  if (std::string(GetParam()) != "twm")
    ASSERT_TRUE(RunWhileServing("xdotool search --name '^Velmora owner$' windowactivate", serve).has_value());
  else
    ASSERT_TRUE(RunWhileServing("xdotool search --name '^Velmora owner$' windowmap", serve).has_value());
  ServeFor(1000, serve);
  Log().clear();
  ServeFor(1500, serve);
  EXPECT_LE(Filtered(owner, {WM_NCACTIVATE}).size() + Filtered(dialog, {WM_NCACTIVATE}).size(), 2u);
  if (testsupport::HaveTool("wmctrl") && std::string(GetParam()) != "twm") {
    ASSERT_TRUE(RunWhileServing("wmctrl -F -c 'Velmora owner'", serve).has_value());
    ServeFor(500, serve);
    EXPECT_TRUE(IsWindow(owner));
    EXPECT_TRUE(Filtered(owner, {WM_CLOSE}).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11Desktop, ::testing::Values("", "twm", "openbox", "fluxbox", "icewm"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(*info.param ? info.param : "none");
                         });

}  // namespace
