// Invalidation, WM_PAINT and the pixels that reach the (headless) screen.
#include <algorithm>

#include "platform/gdi/shapes.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class Painting : public UserTest {};

const char16_t* GreyClass() {
  static bool done = false;
  if (!done) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CALLBACK_Record;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNSHADOW + 1));
    wc.lpszClassName = u"GreyWindow";
    done = RegisterClassExW(&wc) != 0;
  }
  return u"GreyWindow";
}

std::vector<RECT> PaintRects(HWND hwnd) {
  std::vector<RECT> out;
  SetHandler([&out, hwnd](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_PAINT || h != hwnd) return false;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    out.push_back(ps.rcPaint);
    EndPaint(h, &ps);
    *r = 0;
    return true;
  });
  Pump();
  SetHandler(nullptr);
  return out;
}

TEST_F(Painting, BackgroundAndFrameReachTheScreen) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  Pump();
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 300 - 8);
  EXPECT_EQ(client.bottom, 200 - 8 - GetSystemMetrics(SM_CYCAPTION));
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  EXPECT_EQ(origin.x, 104);
  EXPECT_EQ(origin.y, 50 + 4 + GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(screen->ScreenPixel(origin.x + 10, origin.y + 10), Pixel(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(screen->ScreenPixel(200, 60), Pixel(GetSysColor(COLOR_ACTIVECAPTION)));
  EXPECT_EQ(screen->ScreenPixel(100, 50), Pixel(GetSysColor(COLOR_3DLIGHT)));
  EXPECT_EQ(screen->ScreenPixel(99, 50), 0u);  // the desktop
  // Another window takes the activation: the caption turns inactive.
  HWND other = CreateWindowExW(0, RecordingClass(), u"Other", WS_POPUP | WS_VISIBLE, 600, 600, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
  Pump();
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(screen->ScreenPixel(200, 60), Pixel(GetSysColor(COLOR_INACTIVECAPTION)));
}

TEST_F(Painting, ChildrenPaintAfterTheirParentAndStayClipped) {
  HWND parent = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 200, 200,
                                nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, GreyClass(), u"C", WS_CHILD | WS_VISIBLE, 20, 30, 50, 40, parent, nullptr,
                               nullptr, nullptr);
  Pump();
  EXPECT_EQ(screen->ScreenPixel(25, 35), Pixel(GetSysColor(COLOR_BTNSHADOW)));
  EXPECT_EQ(screen->ScreenPixel(19, 35), Pixel(GetSysColor(COLOR_WINDOW)));
  Log().clear();
  InvalidateRect(parent, nullptr, TRUE);
  Pump();
  // With WS_CLIPCHILDREN the parent repaints around the child, which is left alone.
  EXPECT_EQ(Filtered(child, {WM_PAINT}).size(), 0u);
  EXPECT_EQ(screen->ScreenPixel(25, 35), Pixel(GetSysColor(COLOR_BTNSHADOW)));
  // Without it the parent paints over the child, so the child paints again, after it.
  SetWindowLongPtrW(parent, GWL_STYLE, GetWindowLongPtrW(parent, GWL_STYLE) & ~WS_CLIPCHILDREN);
  Log().clear();
  InvalidateRect(parent, nullptr, TRUE);
  Pump();
  std::vector<HWND> order;
  for (const Entry& e : Log())
    if (e.msg == WM_PAINT) order.push_back(e.hwnd);
  EXPECT_EQ(order, (std::vector<HWND>{parent, child}));
  EXPECT_EQ(screen->ScreenPixel(25, 35), Pixel(GetSysColor(COLOR_BTNSHADOW)));
}

TEST_F(Painting, InvalidRectanglesUniteAndValidateRemoves) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                              nullptr, nullptr);
  Pump();
  RECT a{10, 10, 20, 20}, b{50, 60, 70, 80};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, FALSE);
  RECT u;
  EXPECT_TRUE(GetUpdateRect(hwnd, &u, FALSE));
  EXPECT_EQ(u.left, 10);
  EXPECT_EQ(u.bottom, 80);
  std::vector<RECT> painted = PaintRects(hwnd);
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].left, 10);
  EXPECT_EQ(painted[0].top, 10);
  EXPECT_EQ(painted[0].right, 70);
  EXPECT_EQ(painted[0].bottom, 80);
  InvalidateRect(hwnd, &a, FALSE);
  ValidateRect(hwnd, nullptr);
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  EXPECT_TRUE(PaintRects(hwnd).empty());
  // A hidden window collects no update region.
  ShowWindow(hwnd, SW_HIDE);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
}

TEST_F(Painting, UpdateWindowPaintsAtOnceAndEraseIsReported) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  Pump();
  BOOL fErase = -1;
  SetHandler([&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg == WM_ERASEBKGND) {
      *r = 0;  // not erased: BeginPaint must say so
      return true;
    }
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    fErase = ps.fErase;
    EndPaint(h, &ps);
    return true;
  });
  Log().clear();
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  EXPECT_EQ(Names(Filtered(hwnd, {WM_PAINT, WM_ERASEBKGND, WM_NCPAINT})), Names({WM_PAINT, WM_ERASEBKGND}));
  EXPECT_TRUE(fErase);
}

TEST_F(Painting, RedrawWithFrameSendsNcPaint) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"P", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
  Pump();
  Log().clear();
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(Names(Filtered(hwnd, {WM_PAINT, WM_ERASEBKGND, WM_NCPAINT})),
            Names({WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}));  // from inside BeginPaint
  Log().clear();
  // Only the frame: WM_NCPAINT alone, from the message loop.
  RECT outside{0, 0, 0, 0};
  (void)outside;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  ValidateRect(hwnd, nullptr);
  Pump();
  EXPECT_EQ(Names(Filtered(hwnd, {WM_PAINT, WM_NCPAINT})), Names({WM_NCPAINT}));
}

TEST_F(Painting, WindowRegionShapesHitTestingAndPixels) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  RECT parts[2] = {{0, 0, 50, 50}, {50, 50, 100, 100}};
  EXPECT_EQ(SetWindowRegionRects(hwnd, parts, 2, TRUE), 1);
  Pump();
  EXPECT_EQ(WindowFromPoint(POINT{10, 10}), hwnd);
  EXPECT_EQ(WindowFromPoint(POINT{75, 10}), nullptr);
  EXPECT_EQ(screen->ScreenPixel(75, 10), 0u);
  EXPECT_EQ(screen->ScreenPixel(75, 75), Pixel(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(SetWindowRegionRects(hwnd, nullptr, 0, TRUE), 1);
  Pump();
  EXPECT_EQ(WindowFromPoint(POINT{75, 10}), hwnd);
}

TEST_F(Painting, AParentPaintsWhereItsChildsShapeLeavesItUncovered) {
  HWND parent = CreateWindowExW(0, GreyClass(), u"P", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 120, 100,
                                nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, RecordingClass(), u"C", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 20, 20, 60, 40,
                               parent, nullptr, nullptr, nullptr);
  HWND above = CreateWindowExW(0, RecordingClass(), u"S", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 70, 50, 30, 30,
                               parent, nullptr, nullptr, nullptr);
  BringWindowToTop(above);
  Pump();
  const std::uint32_t grey = Pixel(GetSysColor(COLOR_BTNSHADOW)), white = Pixel(GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(screen->ScreenPixel(21, 21), white);
  // The child's shape leaves its top-left corner, and the window above it its own top-left
  // corner: the parent, and the child below, show there.
  RECT childShape[2] = {{10, 0, 60, 10}, {0, 10, 60, 40}};
  RECT aboveShape[2] = {{10, 0, 30, 10}, {0, 10, 30, 30}};
  SetWindowRegionRects(child, childShape, 2, TRUE);
  SetWindowRegionRects(above, aboveShape, 2, TRUE);
  Pump();
  EXPECT_EQ(screen->ScreenPixel(21, 21), grey) << "the parent under the child's cut corner";
  EXPECT_EQ(screen->ScreenPixel(31, 21), white);
  SetHandler(PaintsIn(child, 60, 40, COLOR_HIGHLIGHT));
  InvalidateRect(child, nullptr, TRUE);
  Pump();
  SetHandler(nullptr);
  EXPECT_EQ(screen->ScreenPixel(71, 51), Pixel(GetSysColor(COLOR_HIGHLIGHT))) << "the child under its sibling's cut";
  EXPECT_EQ(screen->ScreenPixel(81, 51), white);
  DestroyWindow(parent);
}

}  // namespace
