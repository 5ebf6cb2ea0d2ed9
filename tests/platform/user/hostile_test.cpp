// Hostile use of the window layer: absurd sizes and coordinates, regions of thousands of
// rectangles, stale and made-up handles, runaway nesting and recursion, flooding queues.
#include <limits>

#include "platform/gdi/region.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/shapes.h"
#include "platform/user/menus.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class Hostile : public UserTest {};

TEST_F(Hostile, AbsurdSizesAreClampedAndStillDraw) {
  const int huge = std::numeric_limits<int>::max();
  HWND popup = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_VISIBLE, -huge, -huge, huge, huge, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  RECT r;
  GetWindowRect(popup, &r);
  EXPECT_GE(r.left, -32767);
  EXPECT_LE(r.right - r.left, 32767);
  HWND frame = CreateWindowExW(0, RecordingClass(), u"F", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1 << 30, -5,
                               nullptr, nullptr, nullptr, nullptr);
  GetWindowRect(frame, &r);
  // A sizable frame is held to the maximum tracking size, and never below its minimum.
  EXPECT_LE(r.right - r.left, std::max(screen->ScreenWidth() + 8, GetSystemMetrics(SM_CXMAXTRACK)));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMINTRACK));
  EXPECT_TRUE(SetWindowPos(popup, nullptr, huge, -huge, huge, huge, SWP_NOZORDER));
  EXPECT_TRUE(MoveWindow(frame, -huge, huge, -huge, huge, TRUE));
  InvalidateRect(popup, nullptr, TRUE);
  Pump();  // painting a window larger than any back buffer stays inside it
  RECT giant{-huge, -huge, huge, huge};
  EXPECT_TRUE(InvalidateRect(frame, &giant, TRUE));
  HDC dc = GetWindowDC(popup);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(FillRect(dc, &giant, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1))));
  ReleaseDC(popup, dc);
  Pump();
}

TEST_F(Hostile, RegionWithThousandsOfRectangles) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"R", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr,
                              nullptr, nullptr);
  // A checkerboard of single pixels: 20000 rectangles.
  std::vector<RECT> cells;
  for (int y = 0; y < 200; ++y)
    for (int x = (y & 1); x < 200; x += 2) cells.push_back(RECT{x, y, x + 1, y + 1});
  ASSERT_EQ(cells.size(), 20000u);
  HRGN rgn = CreateRegionHandle(Region::FromRects(cells));
  ASSERT_EQ(SetWindowRgn(hwnd, rgn, TRUE), 1);  // the window owns it now
  Pump();
  EXPECT_EQ(WindowFromPoint(POINT{0, 0}), hwnd);
  EXPECT_EQ(WindowFromPoint(POINT{1, 0}), nullptr);
  EXPECT_EQ(WindowFromPoint(POINT{300, 300}), nullptr);
  EXPECT_EQ(screen->ShapeRectCount(screen->FocusedWindow()), 20000u);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(hwnd, copy), COMPLEXREGION);
  EXPECT_EQ(RegionOf(copy)->RectCount(), 20000u);
  DeleteObject(copy);
  // One more rectangle than a window shape may have is refused; the old shape stays.
  cells.push_back(RECT{300, 300, 301, 301});
  HRGN tooMany = CreateRegionHandle(Region::FromRects(cells));
  EXPECT_EQ(SetWindowRgn(hwnd, tooMany, TRUE), 0);
  DeleteObject(tooMany);
  EXPECT_EQ(WindowFromPoint(POINT{1, 0}), nullptr);
  EXPECT_EQ(SetWindowRgn(hwnd, nullptr, TRUE), 1);
  EXPECT_EQ(WindowFromPoint(POINT{1, 0}), hwnd);
  EXPECT_EQ(SetWindowRgn(hwnd, reinterpret_cast<HRGN>(0x5678), TRUE), 0);  // not a region
}

TEST_F(Hostile, MadeUpAndStaleHandlesFailQuietly) {
  HWND fake = reinterpret_cast<HWND>(0xdeadbeef);
  RECT r;
  POINT p{};
  EXPECT_EQ(SendMessageW(fake, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessageW(fake, WM_USER, 0, 0));
  EXPECT_FALSE(DestroyWindow(fake));
  EXPECT_FALSE(GetWindowRect(fake, &r));
  EXPECT_FALSE(ClientToScreen(fake, &p));
  EXPECT_EQ(GetWindowLongPtrW(fake, GWL_STYLE), 0);
  EXPECT_EQ(SetWindowLongPtrW(fake, GWL_WNDPROC, 0), 0);
  EXPECT_EQ(GetDC(fake), nullptr);
  EXPECT_FALSE(ShowWindow(fake, SW_SHOW));
  EXPECT_EQ(SetFocus(fake), nullptr);
  EXPECT_EQ(SetTimer(fake, 1, 10, nullptr), 0u);
  EXPECT_EQ(CreateWindowExW(0, RecordingClass(), u"C", WS_CHILD, 0, 0, 1, 1, fake, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"C", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, reinterpret_cast<HDC>(0x1234)), 0);
  EXPECT_EQ(WindowFromDC(reinterpret_cast<HDC>(0x1234)), nullptr);
  EXPECT_FALSE(IsMenu(reinterpret_cast<HMENU>(0x42)));
  EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(0x42)), -1);
  EXPECT_FALSE(UnhookWindowsHookEx(reinterpret_cast<HHOOK>(0x42)));
  EXPECT_EQ(CallNextHookEx(reinterpret_cast<HHOOK>(0x42), 0, 0, 0), 0);
}

TEST_F(Hostile, NestingIsBounded) {
  HWND parent = CreateWindowExW(0, RecordingClass(), u"0", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                nullptr);
  int depth = 0;
  HWND last = parent;
  for (int i = 0; i < 300; ++i) {
    HWND child = CreateWindowExW(0, RecordingClass(), u"c", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, last, nullptr,
                                 nullptr, nullptr);
    if (!child) break;
    last = child;
    ++depth;
  }
  EXPECT_EQ(depth, 100);
  ShowWindow(parent, SW_SHOW);
  Pump();
  EXPECT_TRUE(DestroyWindow(parent));
  EXPECT_FALSE(IsWindow(last));
}

TEST_F(Hostile, RunawaySendRecursionStops) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"R", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  int calls = 0;
  SetHandler([&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_USER) return false;
    ++calls;
    *r = SendMessageW(h, WM_USER, 0, 0) + 1;
    return true;
  });
  LRESULT depth = SendMessageW(hwnd, WM_USER, 0, 0);
  EXPECT_GT(calls, 100);
  EXPECT_LT(calls, 5000);
  EXPECT_EQ(depth, calls);
}

TEST_F(Hostile, PostedQueueIsBounded) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Q", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) accepted += PostMessageW(hwnd, WM_USER, 0, 0) ? 1 : 0;
  EXPECT_EQ(accepted, 10000);
  Pump(30000);
  EXPECT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
}

TEST_F(Hostile, MenusRefuseCyclesAndBoundTheirSize) {
  HMENU a = CreatePopupMenu();
  HMENU b = CreatePopupMenu();
  EXPECT_TRUE(AppendMenuW(a, MF_POPUP, reinterpret_cast<UINT_PTR>(b), u"b"));
  EXPECT_FALSE(AppendMenuW(a, MF_POPUP, reinterpret_cast<UINT_PTR>(a), u"self"));
  EXPECT_FALSE(AppendMenuW(a, MF_POPUP, 0x4242, u"no such menu"));
  int added = 0;
  for (int i = 0; i < 5000; ++i) added += AppendMenuW(b, MF_STRING, 1000 + i, u"x") ? 1 : 0;
  EXPECT_EQ(added, 4096);
  // Searching by command through the tree finds items in submenus.
  EXPECT_EQ(GetMenuState(a, 1005, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_EQ(EnableMenuItem(a, 1005, MF_BYCOMMAND | MF_GRAYED), 0u);
  EXPECT_EQ(GetMenuState(b, 5, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
  EXPECT_TRUE(DestroyMenu(a));
  EXPECT_FALSE(IsMenu(b));  // destroyed with its parent
}

}  // namespace
