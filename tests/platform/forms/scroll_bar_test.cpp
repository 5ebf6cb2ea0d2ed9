// Scroll bar controls ("ScrollBar" and TScrollBar) and frame scroll bars on the headless screen:
// the SBM_ messages by table, the thumb's geometry worked out by hand, and presses, drags,
// held buttons and keys as the user gives them, seen in the requests the owner receives.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/list_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll_track.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace {

using formstest::OwnFormTest;
using formstest::ScreenColor;
using Requests = std::vector<std::pair<int, int>>;  // scroll code, 16-bit position

class ScrollBarTest : public OwnFormTest {
 protected:
  void Make(TScrollBarKind kind, int width, int height) {
    NewPlainForm();
    bar = AddControl<TScrollBar>(form.get(), "Bar", 20, 20, width, height);
    bar->SetKind(kind);
    bar->SetBounds(20, 20, width, height);
    form->Show();
    Pump();
    const TWndMethod old = bar->WindowProc;
    bar->WindowProc = [this, old](TMessage& m) {
      if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL)
        seen.emplace_back(LOWORD(m.WParam), static_cast<int16_t>(HIWORD(m.WParam)));
      old(m);
    };
  }
  POINT On(int x, int y) {
    TPoint p = bar->ClientToScreen(TPoint{x, y});
    return POINT{p.x, p.y};
  }
  // A press at one point, moves through the others, and the release at the last.
  void Drag(std::initializer_list<POINT> path) {
    const POINT first = *path.begin();
    screen->MoveMouse(first.x, first.y);
    screen->PressButton(display::MouseButton::Left);
    for (const POINT& p : path) screen->MoveMouse(p.x, p.y);
    screen->ReleaseButton(display::MouseButton::Left);
    Pump();
  }
  TScrollBar* bar = nullptr;
  Requests seen;
};

TEST_F(ScrollBarTest, MessagesKeepRangePageAndPosition) {
  Make(sbVertical, 17, 200);
  HWND h = bar->Handle();
  char16_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  EXPECT_EQ(std::u16string(cls), u"ScrollBar");
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & SBS_VERT);
  struct Case {
    int min, max, page, pos, wantPos;
  } cases[] = {
      {0, 99, 10, 45, 45}, {0, 99, 10, 95, 90},   // the last page is out of reach
      {0, 99, 0, 150, 99}, {10, 20, 0, -5, 10},   // held within the range
      {5, 2, 0, 3, 5},                             // a maximum under the minimum is raised to it
      {0, 9, 50, 4, 0},                            // a page over the range is the range
  };
  for (const Case& c : cases) {
    SCROLLINFO in{sizeof in, SIF_ALL, c.min, c.max, UINT(c.page), c.pos, 0};
    EXPECT_EQ(SetScrollInfo(h, SB_CTL, &in, TRUE), c.wantPos) << c.min << ".." << c.max << " at " << c.pos;
    SCROLLINFO out{sizeof out, SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(h, SB_CTL, &out));
    EXPECT_EQ(out.nPos, c.wantPos);
    EXPECT_EQ(GetScrollPos(h, SB_CTL), c.wantPos);
  }
  SCROLLINFO in{sizeof in, SIF_RANGE | SIF_PAGE, 0, 50, 0, 0, 0};
  SetScrollInfo(h, SB_CTL, &in, FALSE);
  EXPECT_EQ(SendMessageW(h, SBM_SETPOS, 30, FALSE), 0);  // the old position
  EXPECT_EQ(SendMessageW(h, SBM_GETPOS, 0, 0), 30);
  int lo = -1, hi = -1;
  SendMessageW(h, SBM_GETRANGE, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(0, 50));
  EXPECT_TRUE(SetScrollRange(h, SB_CTL, 0, 20, FALSE));
  ASSERT_TRUE(GetScrollRange(h, SB_CTL, &lo, &hi));
  EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(0, 20));
  EXPECT_EQ(GetScrollPos(h, SB_CTL), 20);
}

TEST_F(ScrollBarTest, BarInfoPlacesTheThumbByRangeAndPage) {
  Make(sbVertical, 17, 200);
  HWND h = bar->Handle();
  // Arrows 17 high leave 166 of track. Page 10 of 100: 16 long; position 45 of 90 reachable
  // stands 150 * 45 / 90 = 75 into the track. Without a page the thumb is square (17).
  struct Case {
    UINT page;
    int pos, top, bottom;
  } cases[] = {{10, 45, 17 + 75, 17 + 75 + 16}, {10, 0, 17, 33}, {10, 90, 183 - 16, 183},
               {0, 99, 183 - 17, 183},         {1, 0, 17, 25}};  // never under 8
  for (const Case& c : cases) {
    SCROLLINFO in{sizeof in, SIF_ALL, 0, 99, c.page, c.pos, 0};
    SetScrollInfo(h, SB_CTL, &in, FALSE);
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetScrollBarInfo(h, OBJID_CLIENT, &info));
    EXPECT_EQ(info.dxyLineButton, 17);
    EXPECT_EQ(info.xyThumbTop, c.top) << "page " << c.page << " pos " << c.pos;
    EXPECT_EQ(info.xyThumbBottom, c.bottom) << "page " << c.page << " pos " << c.pos;
    RECT wr{};
    GetWindowRect(h, &wr);
    EXPECT_EQ(info.rcScrollBar.top, wr.top);
    EXPECT_EQ(info.rgstate[0], 0u);
  }
  bar->SetEnabled(false);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_CLIENT, &info));
  EXPECT_EQ(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
}

TEST_F(ScrollBarTest, PressesOnArrowsAndTrackSendOneRequestAndEnd) {
  Make(sbHorizontal, 200, 17);
  bar->SetParams(50, 0, 100);
  bar->SetLargeChange(10);
  bar->SetPageSize(0);
  struct Case {
    int x;
    int code, after;
  } cases[] = {{5, SB_LINELEFT, 49}, {195, SB_LINERIGHT, 50}, {40, SB_PAGELEFT, 40}, {180, SB_PAGERIGHT, 50}};
  for (const Case& c : cases) {
    seen.clear();
    const POINT p = On(c.x, 8);
    Drag({p});
    EXPECT_EQ(seen, (Requests{{c.code, 0}, {SB_ENDSCROLL, 0}})) << "at " << c.x;
    EXPECT_EQ(bar->Position(), c.after) << "at " << c.x;
  }
  // Nothing was left holding the mouse.
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenLands) {
  Make(sbHorizontal, 200, 17);
  bar->SetParams(0, 0, 99);
  bar->SetPageSize(10);
  // 166 of track, a thumb of 16, 150 pixels for 90 positions: 5 pixels make 3 positions.
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  GetScrollBarInfo(bar->Handle(), OBJID_CLIENT, &info);
  const int grip = (info.xyThumbTop + info.xyThumbBottom) / 2;
  Drag({On(grip, 8), On(grip + 5, 8), On(grip + 50, 8), On(grip + 500, 8)});
  EXPECT_EQ(seen, (Requests{{SB_THUMBTRACK, 3}, {SB_THUMBTRACK, 30}, {SB_THUMBTRACK, 90},
                            {SB_THUMBPOSITION, 90}, {SB_ENDSCROLL, 0}}));
  EXPECT_EQ(bar->Position(), 90);
}

TEST_F(ScrollBarTest, AHeldArrowRepeatsUntilReleased) {
  Make(sbVertical, 17, 200);
  bar->SetParams(0, 0, 1000);
  const POINT p = On(8, 195);
  screen->MoveMouse(p.x, p.y);
  screen->PressButton(display::MouseButton::Left);
  // The release comes from a timer while the press is held.
  display::HeadlessDisplay* s = screen;
  static display::HeadlessDisplay* releaser = nullptr;
  releaser = s;
  SetTimer(nullptr, 0, 600, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    releaser->ReleaseButton(display::MouseButton::Left);
  });
  PumpFor(900);
  ASSERT_GE(seen.size(), 4u);
  for (size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_EQ(seen[i].first, SB_LINEDOWN);
  EXPECT_EQ(seen.back().first, SB_ENDSCROLL);
  EXPECT_EQ(bar->Position(), int(seen.size()) - 1);
}

TEST_F(ScrollBarTest, KeysScrollWhileFocused) {
  Make(sbVertical, 17, 200);
  bar->SetParams(10, 0, 100);
  bar->SetFocus();
  Pump();
  const std::pair<unsigned, int> keys[] = {{VK_DOWN, SB_LINEDOWN}, {VK_UP, SB_LINEUP}, {VK_NEXT, SB_PAGEDOWN},
                                           {VK_PRIOR, SB_PAGEUP},  {VK_END, SB_BOTTOM}, {VK_HOME, SB_TOP}};
  for (const auto& [vk, code] : keys) {
    seen.clear();
    Key(vk);
    EXPECT_EQ(seen, (Requests{{code, 0}, {SB_ENDSCROLL, 0}})) << vk;
  }
  EXPECT_EQ(bar->Position(), 0);
}

TEST_F(ScrollBarTest, AFrameBarsThumbDragScrollsAList) {
  NewPlainForm();
  auto* list = AddControl<TListBox>(form.get(), "List", 10, 10, 150, 200);
  for (int i = 0; i < 200; ++i) list->Items()->Add("item " + std::to_string(i));
  form->Show();
  Pump();
  HWND h = list->Handle();
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &info));
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
  const int y = info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2;
  screen->MoveMouse(x, y);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(x, info.rcScrollBar.bottom + 50);  // far past the end
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &si));
  const int lastTop = si.nMax - int(si.nPage) + 1;
  EXPECT_EQ(list->TopIndex(), lastTop);
  EXPECT_EQ(si.nPos, lastTop);
  // A press in the track above the thumb goes up one page.
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &info));
  screen->Click(x, info.rcScrollBar.top + info.xyThumbTop - 3);
  Pump();
  EXPECT_EQ(list->TopIndex(), lastTop - int(si.nPage));
}

TEST_F(ScrollBarTest, AListBoxShowsItsHorizontalBarOnlyForAWideExtent) {
  NewPlainForm();
  form->Show();
  Pump();
  RegisterStandardControls();
  HWND h = CreateWindowExW(0, WC_LISTBOX, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 10, 10, 120, 100,
                           form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  auto horz = [h] { return (GetWindowLongPtrW(h, GWL_STYLE) & WS_HSCROLL) != 0; };
  EXPECT_FALSE(horz());  // nothing to scroll yet
  SendMessageW(h, LB_SETHORIZONTALEXTENT, 500, 0);
  EXPECT_TRUE(horz());
  EXPECT_EQ(SendMessageW(h, LB_GETHORIZONTALEXTENT, 0, 0), 500);
  RECT client{};
  GetClientRect(h, &client);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(h, SB_HORZ, &si));
  EXPECT_EQ(si.nMax, 499);
  EXPECT_EQ(int(si.nPage), client.right);
  const std::pair<int, int> steps[] = {{SB_LINERIGHT, 8}, {SB_PAGERIGHT, 8 + client.right}, {SB_RIGHT, 500 - client.right},
                                       {SB_LINERIGHT, 500 - client.right}, {SB_LEFT, 0}, {SB_LINELEFT, 0}};
  for (const auto& [code, want] : steps) {
    SendMessageW(h, WM_HSCROLL, static_cast<WPARAM>(code), 0);
    EXPECT_EQ(GetScrollPos(h, SB_HORZ), want) << code;
  }
  SendMessageW(h, LB_SETHORIZONTALEXTENT, 50, 0);
  EXPECT_FALSE(horz());
  DestroyWindow(h);
}

// A list box shows its vertical bar while it has more rows than fit: filled, the bar comes and
// the rows get narrower; emptied, it goes and they get their width back. With
// LBS_DISABLENOSCROLL the bar stays, greyed while there is nothing to scroll.
TEST_F(ScrollBarTest, AListBoxShowsItsVerticalBarOnlyWhileItsRowsOverflow) {
  NewPlainForm();
  auto* list = AddControl<TListBox>(form.get(), "List", 10, 10, 150, 100);
  RegisterStandardControls();
  form->Show();
  Pump();
  HWND greyed = CreateWindowExW(0, WC_LISTBOX, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_DISABLENOSCROLL, 200, 10,
                                150, 100, form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(greyed, nullptr);
  const int sb = GetSystemMetrics(SM_CXVSCROLL);
  auto bar = [](HWND h) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &info));
    return info.rgstate[0];
  };
  auto width = [](HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r.right;
  };
  HWND plain = list->Handle();
  const int full = width(plain);
  EXPECT_EQ(bar(plain), DWORD(STATE_SYSTEM_INVISIBLE)) << "empty";
  EXPECT_EQ(bar(greyed), DWORD(STATE_SYSTEM_UNAVAILABLE)) << "empty";
  EXPECT_EQ(width(greyed), 150 - sb);  // no border
  const auto rows = static_cast<int>(100 / SendMessageW(plain, LB_GETITEMHEIGHT, 0, 0));
  for (int i = 0; i < rows; ++i) {
    list->Items()->Add("row " + std::to_string(i));
    SendMessageW(greyed, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"row"));
  }
  EXPECT_EQ(bar(plain), DWORD(STATE_SYSTEM_INVISIBLE)) << "as many rows as fit";
  EXPECT_EQ(bar(greyed), DWORD(STATE_SYSTEM_UNAVAILABLE)) << "as many rows as fit";
  list->Items()->Add("one more");
  SendMessageW(greyed, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one more"));
  EXPECT_EQ(bar(plain), 0u) << "one row more than fit";
  EXPECT_EQ(bar(greyed), 0u) << "one row more than fit";
  EXPECT_EQ(width(plain), full - sb);
  // The bar scrolls the list to its last row.
  list->SetItemIndex(rows);
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(GetScrollPos(plain, SB_VERT), 1);
  list->Items()->Delete(0);
  SendMessageW(greyed, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(bar(plain), DWORD(STATE_SYSTEM_INVISIBLE)) << "back to as many as fit";
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(width(plain), full);
  EXPECT_EQ(bar(greyed), DWORD(STATE_SYSTEM_UNAVAILABLE));
  for (int i = 0; i < 30; ++i) list->Items()->Add("again");
  EXPECT_EQ(bar(plain), 0u) << "filled again";
  list->Clear();
  SendMessageW(greyed, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(bar(plain), DWORD(STATE_SYSTEM_INVISIBLE)) << "emptied";
  EXPECT_EQ(width(plain), full);
  EXPECT_EQ(bar(greyed), DWORD(STATE_SYSTEM_UNAVAILABLE)) << "emptied";
  EXPECT_EQ(width(greyed), 150 - sb);  // no border
  DestroyWindow(greyed);
}

// An edit's frame bars stay, greyed while there is nothing to scroll: the horizontal one comes
// alive when the text is wider than the edit, follows the text as the caret moves it, and moves
// the text itself; a single line never scrolls down.
TEST_F(ScrollBarTest, AnEditsBarsFollowItsTextGreyedWhileItFits) {
  NewPlainForm();
  form->Show();
  Pump();
  RegisterStandardControls();
  HWND h = CreateWindowExW(0, WC_EDIT, u"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL, 10, 10,
                           120, 60, form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  auto state = [h](LONG which) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetScrollBarInfo(h, which, &info));
    return info.rgstate[0];
  };
  auto firstX = [h] { return static_cast<int16_t>(LOWORD(SendMessageW(h, EM_POSFROMCHAR, 0, 0))); };
  EXPECT_EQ(state(OBJID_HSCROLL), DWORD(STATE_SYSTEM_UNAVAILABLE)) << "empty";
  EXPECT_EQ(state(OBJID_VSCROLL), DWORD(STATE_SYSTEM_UNAVAILABLE));
  SetWindowTextW(h, u"a line of text far wider than the edit that shows it");
  EXPECT_EQ(state(OBJID_HSCROLL), 0u);
  EXPECT_EQ(state(OBJID_VSCROLL), DWORD(STATE_SYSTEM_UNAVAILABLE));
  RECT client{};
  GetClientRect(h, &client);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(h, SB_HORZ, &si));
  EXPECT_EQ(si.nMin, 0);
  EXPECT_GT(si.nMax + 1, int(si.nPage));
  EXPECT_EQ(int(si.nPage), client.right - 4);  // the width between the margins
  // The caret at the end scrolls the text; the bar shows where.
  SendMessageW(h, EM_SETSEL, 200, 200);
  const int scrolled = 2 - firstX();
  EXPECT_GT(scrolled, 0);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), scrolled);
  // The bar's requests move the text.
  SendMessageW(h, WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(firstX(), 2);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), 0);
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_HSCROLL, &bar));
  screen->Click(bar.rcScrollBar.right - 3, (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2);
  Pump();
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), 8);
  EXPECT_EQ(firstX(), 2 - 8);
  SendMessageW(h, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), si.nMax + 1 - int(si.nPage));
  // Short text again: greyed, still there.
  SetWindowTextW(h, u"ab");
  EXPECT_EQ(state(OBJID_HSCROLL), DWORD(STATE_SYSTEM_UNAVAILABLE));
  EXPECT_EQ(firstX(), 2);
  DestroyWindow(h);
}

// Size boxes and the status bar's grip: drawn as a grip, without a range, and where they cover
// the bottom-right corner of a sizeable form's client area they are the form's corner: the hit
// test says so and a drag there sizes the form as its frame's corner would. Anywhere else, or on
// a maximised form, a press does nothing and asks for no scrolling.
TEST_F(ScrollBarTest, ASizeBoxAtTheClientCornerSizesItsForm) {
  NewPlainForm();
  form->Show();
  Pump();
  RegisterStandardControls();
  HWND f = form->Handle();
  int requests = 0;
  const TWndMethod old = form->WindowProc;
  form->WindowProc = [&requests, old](TMessage& m) {
    if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) ++requests;
    old(m);
  };
  RECT c{};
  GetClientRect(f, &c);
  const int bw = GetSystemMetrics(SM_CXVSCROLL), bh = GetSystemMetrics(SM_CYHSCROLL);
  const RECT none{};
  struct Case {
    const char16_t* cls;
    DWORD style;
    RECT made, placed;  // in the form's client area; placed empty: not checked
    bool corner;
  } cases[] = {
      {u"ScrollBar", SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, c, {c.right - bw, c.bottom - bh, c.right, c.bottom}, true},
      {u"ScrollBar", SBS_SIZEBOX, {c.right - 20, c.bottom - 24, c.right, c.bottom},
       {c.right - 20, c.bottom - 24, c.right, c.bottom}, true},
      {u"ScrollBar", SBS_SIZEGRIP | SBS_SIZEBOXTOPLEFTALIGN, {10, 10, 200, 200}, {10, 10, 10 + bw, 10 + bh}, false},
      {u"ScrollBar", SBS_SIZEGRIP, {c.right - 30, c.bottom - 30, c.right - 10, c.bottom - 10},
       {c.right - 30, c.bottom - 30, c.right - 10, c.bottom - 10}, false},
      {STATUSCLASSNAME, SBARS_SIZEGRIP, none, none, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.style) + (k.corner ? " at the corner" : " elsewhere"));
    form->SetBounds(50, 50, 400, 300);
    Pump();
    HWND box = CreateWindowExW(0, k.cls, u"", WS_CHILD | WS_VISIBLE | k.style, k.made.left, k.made.top,
                               k.made.right - k.made.left, k.made.bottom - k.made.top, f, nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    Pump();
    RECT r{};
    GetWindowRect(box, &r);
    if (!IsRectEmpty(k.placed)) {
      RECT in = r;
      MapWindowPoints(nullptr, f, reinterpret_cast<POINT*>(&in), 2);
      EXPECT_EQ(in, k.placed);
    }
    const POINT p{r.right - 3, r.bottom - 3};
    EXPECT_EQ(SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), k.corner ? HTBOTTOMRIGHT : HTCLIENT);
    if (k.cls == std::u16string_view(u"ScrollBar")) {
      // No range to keep.
      SetScrollRange(box, SB_CTL, 0, 50, FALSE);
      int lo = -1, hi = -1;
      GetScrollRange(box, SB_CTL, &lo, &hi);
      EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(0, 0));
      SetScrollPos(box, SB_CTL, 30, TRUE);
      EXPECT_EQ(GetScrollPos(box, SB_CTL), 0);
      // The grip: ridges of shadow and light in the corner, the face elsewhere.
      EXPECT_EQ(screen->ScreenPixel(r.right - 4, r.bottom - 1), ScreenColor(clBtnShadow));
      EXPECT_EQ(screen->ScreenPixel(r.right - 3, r.bottom - 1), ScreenColor(clBtnHighlight));
      EXPECT_EQ(screen->ScreenPixel(r.left + 1, r.top + 1), ScreenColor(clBtnFace));
    }
    RECT before{};
    GetWindowRect(f, &before);
    screen->MoveMouse(p.x, p.y);
    screen->PressButton(display::MouseButton::Left);
    screen->MoveMouse(p.x + 20, p.y + 10);
    screen->MoveMouse(p.x + 40, p.y + 30);
    screen->ReleaseButton(display::MouseButton::Left);
    Pump();
    RECT after{};
    GetWindowRect(f, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - before.right, k.corner ? 40 : 0);
    EXPECT_EQ(after.bottom - before.bottom, k.corner ? 30 : 0);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(box);
  }
  EXPECT_EQ(requests, 0);
  // A maximised form has no corner to drag.
  ShowWindow(f, SW_MAXIMIZE);
  Pump();
  GetClientRect(f, &c);
  HWND box = CreateWindowExW(0, u"ScrollBar", u"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                             0, 0, c.right, c.bottom, f, nullptr, nullptr, nullptr);
  RECT r{};
  GetWindowRect(box, &r);
  EXPECT_EQ(SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(r.right - 3, r.bottom - 3)), HTCLIENT);
  DestroyWindow(box);
}

}  // namespace
