// Frame scroll bars and printing a window into another DC (WM_PRINT).
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/shapes.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class ScrollBars : public UserTest {};
class Printing : public UserTest {};

TEST_F(ScrollBars, RangePositionAndPartsOfAFrameScrollBar) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 100, 100, 200, 217,
                              nullptr, nullptr, nullptr, nullptr);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 25, 500, 0};
  EXPECT_EQ(SetScrollInfo(hwnd, SB_VERT, &si, TRUE), 75);  // clamped to max - page + 1
  EXPECT_EQ(SetScrollPos(hwnd, SB_VERT, -5, TRUE), 75);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 0);
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof sbi;
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi));
  int sb = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(sbi.rcScrollBar.left, 300 - sb);
  EXPECT_EQ(sbi.rcScrollBar.top, 100);
  EXPECT_EQ(sbi.rcScrollBar.bottom, 317);
  EXPECT_EQ(sbi.dxyLineButton, sb);
  EXPECT_EQ(sbi.xyThumbTop, sb);  // at the top
  EXPECT_EQ(sbi.xyThumbBottom - sbi.xyThumbTop, (217 - 2 * sb) * 25 / 100);
  EXPECT_EQ(sbi.rgstate[0], 0u);
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_HSCROLL, &sbi));
  EXPECT_EQ(sbi.rgstate[0], STATE_SYSTEM_INVISIBLE);  // the window has no horizontal bar
  COMBOBOXINFO cbi{};
  cbi.cbSize = sizeof cbi;
  EXPECT_FALSE(GetComboBoxInfo(hwnd, &cbi));
  // Presses on the bar's parts scroll by lines and pages.
  Pump();
  Log().clear();
  screen->Click(300 - sb / 2, 317 - 3);          // down arrow
  screen->Click(300 - sb / 2, 100 + 217 / 2);    // below the thumb
  Pump();
  std::vector<WPARAM> requests;
  for (const Entry& e : Log())
    if (e.msg == WM_VSCROLL) requests.push_back(e.wParam);
  EXPECT_EQ(requests, (std::vector<WPARAM>{SB_LINEDOWN, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL}));
  RECT before;
  GetClientRect(hwnd, &before);
  ShowScrollBar(hwnd, SB_VERT, FALSE);
  RECT after;
  GetClientRect(hwnd, &after);
  EXPECT_EQ(after.right - before.right, sb);
}

// A frame bar is there while it has something to scroll: a page that covers the range, or a
// range of one position, takes it away and gives its width back to the client area (the
// window hears WM_SIZE); a range that scrolls brings it back; a position alone changes
// nothing. Asked to, the bar stays instead, greyed and deaf to presses.
TEST_F(ScrollBars, ABarWithNothingToScrollGoesOrIsGreyed) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 100, 100, 200, 217,
                              nullptr, nullptr, nullptr, nullptr);
  const int sb = GetSystemMetrics(SM_CXVSCROLL);
  auto shown = [hwnd] { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VSCROLL) != 0; };
  auto clientWidth = [hwnd] {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r.right;
  };
  auto set = [hwnd](UINT mask, int min, int max, int page) {
    SCROLLINFO si{sizeof si, mask, min, max, static_cast<UINT>(page), 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  };
  ASSERT_TRUE(shown());
  ASSERT_EQ(clientWidth(), 200 - sb);
  struct Step {
    UINT mask;
    int min, max, page;
    bool shown;
  } steps[] = {
      {SIF_RANGE | SIF_PAGE, 0, 9, 10, false},   // the page shows every position
      {SIF_RANGE | SIF_PAGE, 0, 10, 10, true},   // one more position than the page
      {SIF_RANGE | SIF_PAGE, 0, 9, 40, false},   // a page past the range
      {SIF_RANGE, 0, 50, 0, true},               // a range under the old page 10
      {SIF_RANGE, 5, 5, 0, false},               // one position
      {SIF_RANGE | SIF_PAGE, 0, 50, 0, true},    // no page: the range scrolls
  };
  for (const Step& st : steps) {
    Log().clear();
    set(st.mask, st.min, st.max, st.page);
    EXPECT_EQ(shown(), st.shown) << st.min << ".." << st.max << " page " << st.page;
    EXPECT_EQ(clientWidth(), st.shown ? 200 - sb : 200) << st.min << ".." << st.max << " page " << st.page;
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi));
    EXPECT_EQ(sbi.rgstate[0], st.shown ? 0u : DWORD(STATE_SYSTEM_INVISIBLE));
  }
  // The change of size reached the window.
  Log().clear();
  set(SIF_RANGE | SIF_PAGE, 0, 9, 10);
  ASSERT_FALSE(shown());
  EXPECT_EQ(Filtered(hwnd, {WM_SIZE}).size(), 1u);
  // A new position leaves a hidden bar hidden.
  SetScrollPos(hwnd, SB_VERT, 3, TRUE);
  EXPECT_FALSE(shown());

  // Greyed instead: shown, unavailable, its arrows in the grey of disabled text, presses unheard.
  set(SIF_RANGE | SIF_PAGE, 0, 50, 10);
  ASSERT_TRUE(shown());
  set(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 10);
  EXPECT_TRUE(shown());
  EXPECT_EQ(clientWidth(), 200 - sb);
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof sbi;
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi));
  EXPECT_EQ(sbi.rgstate[0], DWORD(STATE_SYSTEM_UNAVAILABLE));
  Pump();
  const int cx = 300 - sb + sb / 2, downArrow = 317 - sb / 2;
  // The arrow's glyph is a triangle whose middle row crosses the button's centre.
  EXPECT_EQ(screen->ScreenPixel((300 - sb + 300) / 2, (317 - sb + 317) / 2), Pixel(GetSysColor(COLOR_GRAYTEXT)));
  Log().clear();
  screen->Click(cx, downArrow);
  Pump();
  EXPECT_TRUE(Filtered(hwnd, {WM_VSCROLL}).empty());
  // Something to scroll again: enabled, and the arrows work, each of two quick clicks (a
  // double click) a line.
  set(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 50, 10);
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi));
  EXPECT_EQ(sbi.rgstate[0], 0u);
  Pump();
  EXPECT_EQ(screen->ScreenPixel((300 - sb + 300) / 2, (317 - sb + 317) / 2), Pixel(GetSysColor(COLOR_BTNTEXT)));
  screen->MoveMouse(0, 0);  // no double click with the unheard press
  Pump();
  Log().clear();
  screen->Click(cx, downArrow);
  screen->Click(cx, downArrow);
  Pump();
  std::vector<WPARAM> requests;
  for (const Entry& e : Log())
    if (e.msg == WM_VSCROLL) requests.push_back(e.wParam);
  EXPECT_EQ(requests, (std::vector<WPARAM>{SB_LINEDOWN, SB_ENDSCROLL, SB_LINEDOWN, SB_ENDSCROLL}));
  DestroyWindow(hwnd);
}

// WS_EX_LEFTSCROLLBAR puts the vertical bar between the frame's left edge and the client area:
// the bar's rectangle, the client area, hit testing, the bar's presses and what is painted where
// follow it; the horizontal bar and the corner stay under the client area and the vertical bar.
TEST_F(ScrollBars, ALeftScrollBarStandsBetweenTheLeftEdgeAndTheClientArea) {
  const int sb = GetSystemMetrics(SM_CXVSCROLL), e = GetSystemMetrics(SM_CXEDGE);
  constexpr int kLeft = 100, kTop = 100, kWidth = 200, kHeight = 160;
  for (const bool left : {false, true}) {
    SCOPED_TRACE(left ? "left" : "right");
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE | (left ? WS_EX_LEFTSCROLLBAR : 0), RecordingClass(), u"S",
                                WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, kLeft, kTop, kWidth, kHeight, nullptr,
                                nullptr, nullptr, nullptr);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 99, 25, 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
    const int barLeft = left ? kLeft + e : kLeft + kWidth - e - sb;
    const int clientLeft = left ? kLeft + e + sb : kLeft + e;
    RECT c{};
    GetClientRect(hwnd, &c);
    EXPECT_EQ(c.right, kWidth - 2 * e - sb);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    EXPECT_EQ(origin.x, clientLeft);
    SCROLLBARINFO v{}, h{};
    v.cbSize = h.cbSize = sizeof v;
    ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &v));
    ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_HSCROLL, &h));
    EXPECT_EQ(v.rcScrollBar, (RECT{barLeft, kTop + e, barLeft + sb, kTop + kHeight - e - sb}));
    EXPECT_EQ(h.rcScrollBar, (RECT{clientLeft, kTop + kHeight - e - sb, clientLeft + c.right, kTop + kHeight - e}));
    const int mid = kTop + kHeight / 2, farX = left ? kLeft + kWidth - e - sb / 2 : kLeft + e + sb / 2;
    const struct {
      int x, y;
      LRESULT want;
    } hits[] = {{barLeft + sb / 2, mid, HTVSCROLL},
                {farX, mid, HTCLIENT},  // where the bar stands on the other side
                {barLeft + sb / 2, kTop + kHeight - e - sb / 2, HTNOWHERE},  // the corner
                {clientLeft + 20, kTop + kHeight - e - sb / 2, HTHSCROLL}};
    for (const auto& hit : hits)
      EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(hit.x, hit.y)), hit.want) << hit.x << "," << hit.y;
    // The client area paints where it is; the bar's down arrow scrolls.
    SetHandler(PaintsIn(hwnd, c.right, c.bottom, COLOR_HIGHLIGHT));
    InvalidateRect(hwnd, nullptr, TRUE);
    Pump();
    SetHandler(nullptr);
    EXPECT_EQ(screen->ScreenPixel(farX, mid), Pixel(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_NE(screen->ScreenPixel(barLeft + sb / 2, mid), Pixel(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(screen->ScreenPixel(barLeft + sb / 2, kTop + kHeight - e - sb / 2), Pixel(GetSysColor(COLOR_BTNFACE)))
        << "the corner";
    Log().clear();
    screen->Click(barLeft + sb / 2, v.rcScrollBar.bottom - 3);
    Pump();
    std::vector<WPARAM> requests;
    for (const Entry& en : Log())
      if (en.msg == WM_VSCROLL) requests.push_back(en.wParam);
    EXPECT_EQ(requests, (std::vector<WPARAM>{SB_LINEDOWN, SB_ENDSCROLL}));
    DestroyWindow(hwnd);
  }
  // In a sizing frame the corner sizes from the corner it stands in.
  for (const bool left : {false, true}) {
    HWND hwnd = CreateWindowExW(left ? WS_EX_LEFTSCROLLBAR : 0, RecordingClass(), u"S",
                                WS_POPUP | WS_VISIBLE | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL, kLeft, kTop, kWidth,
                                kHeight, nullptr, nullptr, nullptr, nullptr);
    SCROLLBARINFO v{};
    v.cbSize = sizeof v;
    GetScrollBarInfo(hwnd, OBJID_VSCROLL, &v);
    const LPARAM corner = MAKELPARAM((v.rcScrollBar.left + v.rcScrollBar.right) / 2, v.rcScrollBar.bottom + sb / 2);
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, corner), left ? HTBOTTOMLEFT : HTSIZE);
    DestroyWindow(hwnd);
  }
}

TEST_F(Printing, PrintDrawsFrameBackgroundAndChildrenIntoAnyDC) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"P", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 60, 40, nullptr,
                              nullptr, nullptr, nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = CALLBACK_Record;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_HIGHLIGHT + 1));
  wc.lpszClassName = u"PrintChild";
  RegisterClassExW(&wc);
  CreateWindowExW(0, u"PrintChild", u"c", WS_CHILD | WS_VISIBLE, 10, 10, 20, 10, hwnd, nullptr, nullptr, nullptr);
  HDC screenDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screenDC, 60, 40);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  Log().clear();
  SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(mem),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  EXPECT_EQ(GetPixel(mem, 0, 0), GetSysColor(COLOR_WINDOWFRAME));          // the border
  EXPECT_EQ(GetPixel(mem, 5, 5), GetSysColor(COLOR_WINDOW));               // the background
  EXPECT_EQ(GetPixel(mem, 1 + 10 + 5, 1 + 10 + 5), GetSysColor(COLOR_HIGHLIGHT));  // the child
  EXPECT_FALSE(Filtered(hwnd, {WM_PRINTCLIENT}).empty());
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  DeleteDC(screenDC);
}

}  // namespace
