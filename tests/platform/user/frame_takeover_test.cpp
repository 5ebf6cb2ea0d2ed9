// A frame taken over the way a window skinning engine takes it: the window procedure is
// replaced, WM_NCCALCSIZE makes a frame of other sizes from the proposed window position,
// WM_NCHITTEST refines what the default answers, WM_NCPAINT and WM_NCACTIVATE paint through
// the window DC, a window region cuts the corners, and everything is put back afterwards.
#include "platform/gdi/colors.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/region.h"
#include "platform/gdi/shapes.h"
#include "platform/user/metrics.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

constexpr int kLeft = 6, kTop = 30, kRight = 5, kBottom = 4;
constexpr COLORREF kFrameColor = RGB(200, 0, 200);

WNDPROC previous = nullptr;
int framePaints = 0;

void PaintSkinFrame(HWND h) {
  RECT wr;
  GetWindowRect(h, &wr);
  int width = wr.right - wr.left, height = wr.bottom - wr.top;
  HDC dc = GetWindowDC(h);
  HBRUSH b = CreateSolidBrush(kFrameColor);
  RECT sides[4] = {{0, 0, width, kTop},
                   {0, kTop, kLeft, height},
                   {width - kRight, kTop, width, height},
                   {kLeft, height - kBottom, width - kRight, height}};
  for (const RECT& r : sides) FillRect(dc, &r, b);
  DeleteObject(b);
  ReleaseDC(h, dc);
  ++framePaints;
}

LRESULT CALLBACK_Skin(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      LRESULT r = CallWindowProcW(previous, h, msg, wParam, lParam);
      if (!wParam) return r;
      auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
      const WINDOWPOS* pos = p->lppos;
      p->rgrc[0] = RECT{pos->x + kLeft, pos->y + kTop, pos->x + pos->cx - kRight, pos->y + pos->cy - kBottom};
      p->rgrc[1] = p->rgrc[0];
      return WVR_VALIDRECTS;
    }
    case WM_NCHITTEST: {
      LRESULT r = CallWindowProcW(previous, h, msg, wParam, lParam);
      if (r != HTNOWHERE && r != HTCAPTION) return r;
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(h, &pt);
      return pt.y + kTop < kTop ? HTCAPTION : r;
    }
    case WM_NCPAINT:
      PaintSkinFrame(h);
      return 0;
    case WM_NCACTIVATE:
      PaintSkinFrame(h);
      return 1;
    default:
      return CallWindowProcW(previous, h, msg, wParam, lParam);
  }
}

void FrameChanged(HWND h) {
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

class FrameTakeover : public UserTest {};

TEST_F(FrameTakeover, SkinnedFrameSizesHitsPaintsAndComesOff) {
  HWND h = CreateWindowExW(0, RecordingClass(), u"Skinned", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                           nullptr, nullptr, nullptr, nullptr);
  Pump();

  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&CALLBACK_Skin)));
  ASSERT_NE(previous, nullptr);
  // Without WS_SYSMENU the default frame has no caption buttons to offer.
  SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_SYSMENU));
  framePaints = 0;
  FrameChanged(h);
  Pump();
  EXPECT_GT(framePaints, 0);

  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 300 - kLeft - kRight);
  EXPECT_EQ(client.bottom, 200 - kTop - kBottom);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  EXPECT_EQ(origin.x, 100 + kLeft);
  EXPECT_EQ(origin.y, 100 + kTop);

  // The skin's frame reaches the screen; the client area keeps the class background below it.
  EXPECT_EQ(screen->ScreenPixel(101, 101), Pixel(kFrameColor));
  EXPECT_EQ(screen->ScreenPixel(250, 100 + kTop - 2), Pixel(kFrameColor));
  EXPECT_EQ(screen->ScreenPixel(100 + 300 - 2, 250), Pixel(kFrameColor));
  EXPECT_EQ(screen->ScreenPixel(100 + kLeft + 3, 100 + kTop + 3), Pixel(GetSysColor(COLOR_WINDOW)));

  // A point below the default caption but inside the skin's is not client area: the default
  // answers HTNOWHERE there and the skin makes it caption.
  LPARAM inSkinCaption = MAKELPARAM(250, 100 + kTop - 3);
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, inSkinCaption), HTCAPTION);
  EXPECT_EQ(CallWindowProcW(previous, h, WM_NCHITTEST, 0, inSkinCaption), HTNOWHERE);
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(200, 100 + kTop + 1)), HTCLIENT);
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(99, 150)), HTNOWHERE);  // outside

  // Activation elsewhere and back repaints the skin's frame, never the default one.
  HWND other = CreateWindowExW(0, RecordingClass(), u"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 600, 200, 150,
                               nullptr, nullptr, nullptr, nullptr);
  Pump();
  SetActiveWindow(h);
  Pump();
  EXPECT_EQ(screen->ScreenPixel(250, 105), Pixel(kFrameColor));
  DestroyWindow(other);

  // Dragging the skin's caption moves the window through the default move loop.
  screen->MoveMouse(250, 100 + kTop - 3);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(270, 100 + kTop + 17);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  RECT wr;
  GetWindowRect(h, &wr);
  EXPECT_EQ(wr.left, 120);
  EXPECT_EQ(wr.top, 120);
  EXPECT_EQ(screen->ScreenPixel(121, 121), Pixel(kFrameColor));

  // A new size goes through the skin's WM_NCCALCSIZE again.
  SetWindowPos(h, nullptr, 0, 0, 400, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 400 - kLeft - kRight);
  EXPECT_EQ(client.bottom, 250 - kTop - kBottom);

  // The region cuts the top corners as a rounded skin does.
  HRGN shape = CreateRectRgn(0, 0, 400, 250);
  HRGN corner = CreateRectRgn(0, 0, 4, 4);
  CombineRgn(shape, shape, corner, RGN_DIFF);
  DeleteObject(corner);
  corner = CreateRectRgn(396, 0, 400, 4);
  CombineRgn(shape, shape, corner, RGN_DIFF);
  DeleteObject(corner);
  ASSERT_EQ(SetWindowRgn(h, shape, TRUE), 1);
  Pump();
  EXPECT_EQ(WindowFromPoint(POINT{121, 121}), nullptr);
  EXPECT_EQ(WindowFromPoint(POINT{125, 125}), h);
  EXPECT_EQ(screen->ScreenPixel(121, 121), 0u);  // the desktop shows through
  EXPECT_EQ(screen->ScreenPixel(125, 125), Pixel(kFrameColor));

  // Coming off: the old procedure, the system menu, no region, the default frame again.
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) | WS_SYSMENU);
  SetWindowRgn(h, nullptr, TRUE);
  FrameChanged(h);
  Pump();
  RECT expected{0, 0, 400, 250};
  RECT adjust{0, 0, 0, 0};
  AdjustWindowRectEx(&adjust, WS_OVERLAPPEDWINDOW, FALSE, 0);
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, expected.right - (adjust.right - adjust.left));
  EXPECT_EQ(client.bottom, expected.bottom - (adjust.bottom - adjust.top));
  EXPECT_EQ(WindowFromPoint(POINT{121, 121}), h);
  EXPECT_EQ(screen->ScreenPixel(250, 125), Pixel(GetSysColor(COLOR_ACTIVECAPTION)));
  EXPECT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(250, 120 + kTop - 3)),
            HTCLIENT);  // the default client area reaches that high again
}

}  // namespace
