// Scroll bars under the skin on the headless screen, drawn with the flat test skin: the bar
// windows laid over a list box's bar and over a scroll bar control, each part's frame probed
// pixel by pixel for its state, presses on the bar windows scrolling the control underneath,
// the corner between two bars, and switching the skin off.
#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/form.h"
#include "platform/forms/list_box.h"
#include "platform/forms/list_view.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/scroll.h"
#include "platform/user/input.h"
#include "platform/user/metrics.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/controls/skin_scroll_bar.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"

using namespace flatskin;

namespace {

const char* const kForm =
    "object ScrollForm: TForm\n"
    "  Left = 100\n  Top = 80\n  Caption = 'Scroll'\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object List: TListBox\n    Left = 10\n    Top = 10\n    Width = 150\n    Height = 200\n  end\n"
    "  object Short: TListBox\n    Left = 10\n    Top = 220\n    Width = 150\n    Height = 70\n  end\n"
    "  object Slider: TScrollBar\n    Left = 180\n    Top = 10\n    Width = 200\n    Height = 17\n"
    "    Max = 100\n    Position = 50\n    TabOrder = 1\n  end\n"
    "  object Grid: TListView\n    Left = 180\n    Top = 40\n    Width = 200\n    Height = 150\n"
    "    ViewStyle = vsReport\n"
    "    Columns = <\n      item\n        Caption = 'Name'\n        Width = 120\n      end>\n  end\n"
    "end\n";

constexpr int kFirstRows = 20;

class SkinnedScrollBars : public skintest::SkinnedFormFixture {
 protected:
  void SetUp() override {
    SkinnedFormFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // The program's own choice: list views get the list view wrapper.
    sd->OnSkinControl = [](TComponent*, TSkinData*, TControl*, TControl*, const std::string& cls,
                           TSkinControl*& chosen) {
      if (cls == "TLISTVIEW") chosen = new TSkinListView();
    };
    // The list has a bar when the skin comes, so that it is skinned as a scrolling control.
    ShowForm(kForm, [](TForm* f) {
      for (int i = 0; i < kFirstRows; ++i)
        dynamic_cast<TListBox*>(f->FindComponent("List"))->Items()->Add("first " + std::to_string(i));
    });
    list = dynamic_cast<TListBox*>(form->FindComponent("List"));
    slider = dynamic_cast<TScrollBar*>(form->FindComponent("Slider"));
  }
  TColor Screen(int x, int y) { return ScreenColor(x, y); }
  SCROLLBARINFO VertInfo() {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(list->Handle(), OBJID_VSCROLL, &info);
    return info;
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) list->Items()->Add("row " + std::to_string(i));
    Pump();
  }
  TSkinScrollbar* ListSkin() { return dynamic_cast<TSkinScrollbar*>(Wrapper()->FindSkinner(list)); }

  TListBox* list = nullptr;
  TScrollBar* slider = nullptr;
};

TEST(ScrollBarParts, HitTestAndControlThumb) {
  // Arrows of 16 on a bar of 200 with the thumb at 50..70.
  const std::pair<int, int> hits[] = {{0, kPartArrow1}, {15, kPartArrow1}, {16, kPartTrack1}, {50, kPartThumb},
                                      {69, kPartThumb}, {70, kPartTrack2}, {183, kPartTrack2}, {184, kPartArrow2}};
  for (const auto& [p, part] : hits) EXPECT_EQ(BarPartAt(p, 16, 50, 70, 200), part) << p;
  struct Case {
    int min, max, page, pos, start, end;
  } cases[] = {
      {0, 100, 0, 50, 17 + 75, 17 + 75 + 17},  // no page: an arrow long, 149 * 50 / 100 in
      {0, 0, 0, 0, 17, 34},                      // a zero range stays at the first arrow
      {5, 5, 10, 5, 17, 25},                     // ... and with a page too, at least 8 long
      {0, 99, 10, 45, 17 + 75, 17 + 75 + 15},    // 166 * 9 / 99 long, 166 * 45 / 99 in
      {0, 1000, 2, 500, 17 + 79, 17 + 79 + 8},   // raised to 8: (166 - 8) * 500 / 1000 in
  };
  for (const Case& c : cases) {
    const POINT t = ControlThumb(200, 17, c.min, c.max, c.page, c.pos);
    EXPECT_EQ(t.x, c.start) << c.min << ".." << c.max << " page " << c.page;
    EXPECT_EQ(t.y, c.end) << c.min << ".." << c.max << " page " << c.page;
  }
}

TEST_F(SkinnedScrollBars, AListsBarIsCoveredAndDrawnFromTheSkin) {
  ASSERT_NE(Wrapper(), nullptr);
  TSkinScrollbar* skin = ListSkin();
  ASSERT_NE(skin, nullptr);
  EXPECT_STREQ(skin->KindName(), "TSkinScrollbar");
  Fill(30);
  const SCROLLBARINFO info = VertInfo();
  const RECT& r = info.rcScrollBar;
  ASSERT_TRUE(skin->VertBar->BarVisible);
  EXPECT_FALSE(skin->HorzBar->BarVisible);  // the list has no horizontal bar
  RECT bar{};
  GetWindowRect(skin->VertBar->Handle(), &bar);
  EXPECT_EQ(bar, r);
  const int x = (r.left + r.right) / 2;
  const int top = r.top + info.xyThumbTop, bottom = r.top + info.xyThumbBottom;
  ASSERT_GT(bottom - top, kStrip + 4);  // room for the grip and the thumb beside it
  const int mid = (top + bottom) / 2, gripStart = top + (bottom - top - kStrip) / 2;
  struct Probe {
    int y;
    TColor colour;
    const char* what;
  } probes[] = {
      {r.top + 2, ScrollFrame(9), "up arrow"},       {r.bottom - 3, ScrollFrame(13), "down arrow"},
      {bottom + 4, VertTrack(1), "track"},           {mid, ScrollFrame(20), "grip"},
      {gripStart - 1, VertThumb(1), "thumb"},        {gripStart + kStrip, VertThumb(1), "thumb below the grip"},
  };
  for (const Probe& p : probes) EXPECT_EQ(Screen(x, p.y), p.colour) << p.what;
  // Its border: the skin's shadow outside, the face colour inside it.
  RECT lw{};
  GetWindowRect(list->Handle(), &lw);
  EXPECT_EQ(Screen(lw.left, lw.top + 40), kShadow);
  EXPECT_EQ(Screen(lw.left + 1, lw.top + 40), kFace);
}

TEST_F(SkinnedScrollBars, HoverShowsTheHotFrameOfThePartUnderTheMouse) {
  Fill(30);
  const SCROLLBARINFO info = VertInfo();
  const RECT& r = info.rcScrollBar;
  const int x = (r.left + r.right) / 2, mid = r.top + (info.xyThumbTop + info.xyThumbBottom) / 2;
  screen->MoveMouse(x, r.bottom - 3);
  Pump();
  EXPECT_EQ(Screen(x, r.bottom - 3), ScrollFrame(16));  // the down arrow's hot frame
  EXPECT_EQ(Screen(x, r.top + 2), ScrollFrame(9));
  screen->MoveMouse(x, mid);
  Pump();
  EXPECT_EQ(Screen(x, mid), ScrollFrame(22));  // the hot grip
  EXPECT_EQ(Screen(x, r.top + info.xyThumbTop + 1), VertThumb(3));
  EXPECT_EQ(Screen(x, r.bottom - 3), ScrollFrame(13));
}

TEST_F(SkinnedScrollBars, PressesOnTheBarWindowScrollTheList) {
  Fill(200);
  SCROLLBARINFO info = VertInfo();
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(list->Handle(), SB_VERT, &si);
  // The track below the thumb: one page down; the thumb follows on the skinned bar.
  screen->Click(x, info.rcScrollBar.top + info.xyThumbBottom + 10);
  Pump();
  EXPECT_EQ(list->TopIndex(), int(si.nPage));
  info = VertInfo();
  EXPECT_EQ(Screen(x, info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2), VertThumb(1));
  // The down arrow: one row.
  screen->Click(x, info.rcScrollBar.bottom - 3);
  Pump();
  EXPECT_EQ(list->TopIndex(), int(si.nPage) + 1);
  // Dragging the thumb far down reaches the end through the list's own scrolling.
  const int y = info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2;
  screen->MoveMouse(x, y);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(x, y + 400);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(list->TopIndex(), si.nMax - int(si.nPage) + 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

// Two quick clicks on an arrow of the bar window are two presses for the list (the second
// reaches the bar window as a double click), as they are on the list's own bar.
TEST_F(SkinnedScrollBars, TwoQuickClicksOnAnArrowScrollTwoRows) {
  Fill(200);
  const SCROLLBARINFO info = VertInfo();
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2, y = info.rcScrollBar.bottom - 3;
  screen->Click(x, y);
  screen->Click(x, y);
  Pump();
  EXPECT_EQ(list->TopIndex(), 2);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(ListSkin()->VertBar->Pressed);
}

// The list's own scroll request shows on its bar (a line down lights the down arrow); one that
// a scroll bar control among its children reports (lParam its window) leaves the bar alone.
TEST_F(SkinnedScrollBars, OnlyTheHostsOwnScrollRequestsShowOnItsBar) {
  Fill(30);
  TSkinScrollbar* skin = ListSkin();
  ASSERT_NE(skin, nullptr);
  const SCROLLBARINFO info = VertInfo();
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2, y = info.rcScrollBar.bottom - 3;
  const struct {
    const char* from;
    LPARAM lParam;
    int hotPart;
    TColor arrow;
  } requests[] = {
      {"a child scroll bar control", reinterpret_cast<LPARAM>(slider->Handle()), -1, ScrollFrame(13)},
      {"the list itself", 0, kPartArrow2, ScrollFrame(16)},
  };
  for (const auto& r : requests) {
    SendMessageW(list->Handle(), WM_VSCROLL, SB_LINEDOWN, r.lParam);
    Pump();
    EXPECT_EQ(skin->VertBar->HotPart, r.hotPart) << r.from;
    EXPECT_EQ(Screen(x, y), r.arrow) << r.from;
  }
}

TEST_F(SkinnedScrollBars, WithoutTheSkinsStripTheSystemsBarShows) {
  Fill(30);
  TSkinScrollbar* skin = ListSkin();
  ASSERT_TRUE(skin->VertBar->BarVisible);
  sd->Scrollbar.reset();
  skin->VertBar->Place();
  EXPECT_FALSE(skin->VertBar->BarVisible);
  EXPECT_FALSE(IsWindowVisible(skin->VertBar->Handle()));
}

TEST_F(SkinnedScrollBars, SwitchingTheSkinOffTakesTheBarWindowsAway) {
  Fill(30);
  auto shown = [this] {
    int n = 0;
    for (HWND c = GetWindow(form->Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      char16_t cls[32] = {};
      GetClassNameW(c, cls, 32);
      if (std::u16string(cls) == u"TWScrollbar" && IsWindowVisible(c)) ++n;
    }
    return n;
  };
  EXPECT_EQ(shown(), 1);
  const SCROLLBARINFO info = VertInfo();
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(shown(), 0);
  EXPECT_NE(Screen(x, info.rcScrollBar.bottom - 3), ScrollFrame(13));  // the list's own arrow
  sd->SetActive(true);
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(shown(), 1);
  EXPECT_EQ(Screen(x, info.rcScrollBar.bottom - 3), ScrollFrame(13));
}

// A list whose rows come to fit loses its bar, and the bar window goes with it; the rows take
// the width back. Filled again, the bar and its skinned window come back.
TEST_F(SkinnedScrollBars, AListThatFitsShowsNoBarUntilItOverflowsAgain) {
  TSkinScrollbar* skin = ListSkin();
  ASSERT_NE(skin, nullptr);
  ASSERT_TRUE(skin->VertBar->BarVisible);
  SCROLLBARINFO info = VertInfo();
  const RECT was = info.rcScrollBar;
  const int x = (was.left + was.right) / 2;
  RECT client{};
  GetClientRect(list->Handle(), &client);
  const int narrow = client.right;
  for (int rows : {3, 0}) {
    list->Clear();
    Fill(rows);
    EXPECT_FALSE(skin->VertBar->BarVisible) << rows;
    EXPECT_FALSE(IsWindowVisible(skin->VertBar->Handle())) << rows;
    EXPECT_TRUE(VertInfo().rgstate[0] & STATE_SYSTEM_INVISIBLE) << rows;
    GetClientRect(list->Handle(), &client);
    EXPECT_EQ(client.right, narrow + GetSystemMetrics(SM_CXVSCROLL)) << rows;
    // Where the bar stood the list's rows show, no arrow of the skin.
    EXPECT_NE(Screen(x, was.bottom - 3), ScrollFrame(13)) << rows;
    EXPECT_NE(Screen(x, was.top + 2), ScrollFrame(9)) << rows;
  }
  Fill(40);
  EXPECT_TRUE(skin->VertBar->BarVisible);
  info = VertInfo();
  EXPECT_EQ(info.rcScrollBar, was);
  RECT bar{};
  GetWindowRect(skin->VertBar->Handle(), &bar);
  EXPECT_EQ(bar, was);
  EXPECT_EQ(Screen(x, was.bottom - 3), ScrollFrame(13));
  GetClientRect(list->Handle(), &client);
  EXPECT_EQ(client.right, narrow);
}

// A list that fits when the skin comes has no bar then; once it overflows its bar is the
// skin's, as a list's that had one from the start, and its border the skin's too.
TEST_F(SkinnedScrollBars, AListThatOverflowsAfterTheSkinCameGetsTheSkinnedBar) {
  auto* later = dynamic_cast<TListBox*>(form->FindComponent("Short"));
  ASSERT_NE(later, nullptr);
  ASSERT_FALSE(GetWindowLongPtrW(later->Handle(), GWL_STYLE) & WS_VSCROLL);
  auto* skin = dynamic_cast<TSkinScrollbar*>(Wrapper()->FindSkinner(later));
  ASSERT_NE(skin, nullptr);
  EXPECT_FALSE(skin->VertBar->BarVisible);
  for (int i = 0; i < 40; ++i) later->Items()->Add("later " + std::to_string(i));
  Pump();
  ASSERT_TRUE(GetWindowLongPtrW(later->Handle(), GWL_STYLE) & WS_VSCROLL);
  ASSERT_TRUE(skin->VertBar->BarVisible);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(later->Handle(), OBJID_VSCROLL, &info));
  const RECT& r = info.rcScrollBar;
  RECT bar{};
  GetWindowRect(skin->VertBar->Handle(), &bar);
  EXPECT_EQ(bar, r);
  const int x = (r.left + r.right) / 2;
  EXPECT_EQ(Screen(x, r.top + 2), ScrollFrame(9));
  EXPECT_EQ(Screen(x, r.bottom - 3), ScrollFrame(13));
  EXPECT_EQ(Screen(x, r.top + info.xyThumbTop + 1), VertThumb(1));
  RECT lw{};
  GetWindowRect(later->Handle(), &lw);
  EXPECT_EQ(Screen(lw.left, lw.top + 20), kShadow);
  EXPECT_EQ(Screen(lw.left + 1, lw.top + 20), kFace);
}

// A raw list that keeps its bar greyed when there is nothing to scroll (LBS_DISABLENOSCROLL):
// the skinned bar shows the track's disabled frame and no thumb.
TEST_F(SkinnedScrollBars, AGreyedBarShowsTheDisabledTrackAndNoThumb) {
  RegisterStandardControls();
  HWND raw = CreateWindowExW(0, WC_LISTBOX, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_DISABLENOSCROLL, 180, 200,
                             150, 90, form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(raw, nullptr);
  for (const char16_t* t : {u"one", u"two", u"three"}) SendMessageW(raw, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  auto owned = std::make_unique<TSkinScrollbarH>();
  TSkinScrollbarH* skin = owned.get();
  Wrapper()->ControlSkins.push_back(std::move(owned));
  skin->AttachWindow(raw, sd.get(), Wrapper(), 0);
  InvalidateRect(raw, nullptr, TRUE);
  Pump();
  ASSERT_TRUE(skin->VertBar->BarVisible);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(raw, OBJID_VSCROLL, &info));
  EXPECT_EQ(info.rgstate[0], DWORD(STATE_SYSTEM_UNAVAILABLE));
  const RECT& r = info.rcScrollBar;
  const int x = (r.left + r.right) / 2;
  for (int y = r.top + kStrip; y < r.bottom - kStrip; y += 7) EXPECT_EQ(Screen(x, y), VertTrack(3)) << y - r.top;
  EXPECT_EQ(Screen(x, r.bottom - 3), ScrollFrame(13));
  DestroyWindow(raw);
  Pump();
}

TEST_F(SkinnedScrollBars, AScrollBarControlGetsOneBarOverItself) {
  auto owned = std::make_unique<TSkinScControl>();
  TSkinScControl* skin = owned.get();
  Wrapper()->ControlSkins.push_back(std::move(owned));
  skin->AttachControl(slider, Wrapper(), sd.get(), false, 0);
  Pump();
  ASSERT_TRUE(skin->Bar && skin->Bar->BarVisible);
  EXPECT_FALSE(skin->Bar->Vertical);
  RECT r{};
  GetWindowRect(slider->Handle(), &r);
  const int y = (r.top + r.bottom) / 2;
  // Position 50 of 0..100 without a page: the thumb (17 long) at 92, its grip from 92 to 108.
  EXPECT_EQ(Screen(r.left + 3, y), ScrollFrame(1));
  EXPECT_EQ(Screen(r.right - 3, y), ScrollFrame(5));
  EXPECT_EQ(Screen(r.left + 100, y), ScrollFrame(17));
  EXPECT_EQ(Screen(r.left + 108, y), HorzThumb(1));
  EXPECT_EQ(Screen(r.left + 60, y), HorzTrack(1));
  // The bar is as thick as the skin's arrows (16, near the system's 17), whatever the control's height.
  RECT bar{};
  GetWindowRect(skin->Bar->Handle(), &bar);
  EXPECT_EQ(bar.bottom - bar.top, kStrip);
  EXPECT_EQ(bar.right - bar.left, r.right - r.left);
  slider->SetHeight(30);
  Pump();
  GetWindowRect(skin->Bar->Handle(), &bar);
  EXPECT_EQ(bar.top, r.top);
  EXPECT_EQ(bar.bottom - bar.top, kStrip);
  EXPECT_EQ(Screen(r.left + 3, r.top + kStrip / 2), ScrollFrame(1));
  slider->SetHeight(17);
  Pump();
  // A press on the right arrow of the bar window moves the control underneath.
  screen->Click(r.right - 3, y);
  Pump();
  EXPECT_EQ(slider->Position(), 51);
  // Its thumb dragged to the end: the control's new position repaints the bar (the thumb, 17
  // long, from 166), where the track now shows at the old place.
  screen->MoveMouse(r.left + 100, y);
  screen->PressButton(display::MouseButton::Left);
  screen->MoveMouse(r.left + 150, y);
  screen->MoveMouse(r.right + 60, y);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(slider->Position(), 100);
  const TColor grip = Screen(r.left + 174, y);
  EXPECT_TRUE(grip == ScrollFrame(17) || grip == ScrollFrame(19)) << grip;
  EXPECT_EQ(Screen(r.left + 100, y), HorzTrack(1));
  screen->MoveMouse(r.left + 60, y);  // the track under the mouse, the thumb no longer hot
  Pump();
  // A zero range keeps the thumb at the first arrow.
  slider->SetParams(0, 0, 0);
  Pump();
  EXPECT_EQ(Screen(r.left + 25, y), ScrollFrame(17));
  // Switched off, the bar goes and the control draws itself.
  skin->RestoreColor();
  EXPECT_EQ(skin->Bar, nullptr);
}

TEST_F(SkinnedScrollBars, AListViewsWrapperCoversItsBarOnceItScrolls) {
  auto* grid = dynamic_cast<TListView*>(form->FindComponent("Grid"));
  auto* skin = dynamic_cast<TSkinListView*>(Wrapper()->FindSkinner(grid));
  ASSERT_NE(skin, nullptr);
  EXPECT_STREQ(skin->KindName(), "TSkinListView");
  // Its header gets a wrapper when the view has one.
  EXPECT_EQ(skin->HeaderSkin != nullptr, SendMessageW(grid->Handle(), LVM_GETHEADER, 0, 0) != 0);
  EXPECT_FALSE(skin->VertBar->BarVisible);
  for (int i = 0; i < 80; ++i) grid->AddItem("row " + std::to_string(i));
  Pump();
  ASSERT_TRUE(skin->VertBar->BarVisible);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(grid->Handle(), OBJID_VSCROLL, &info));
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
  EXPECT_EQ(Screen(x, info.rcScrollBar.bottom - 3), ScrollFrame(13));
  screen->Click(x, info.rcScrollBar.bottom - 3);
  Pump();
  EXPECT_EQ(grid->TopIndex(), 1);
}

TEST_F(SkinnedScrollBars, ARawWindowsTwoBarsAndTheirCorner) {
  RegisterStandardControls();
  HWND host = CreateWindowExW(0, WC_STATIC, u"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 180, 200, 160, 90,
                              form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 50, 10, 0, 0};
    SetScrollInfo(host, bar, &si, TRUE);
  }
  auto owned = std::make_unique<TSkinScrollbarH>();
  TSkinScrollbarH* skin = owned.get();
  Wrapper()->ControlSkins.push_back(std::move(owned));
  skin->AttachWindow(host, sd.get(), Wrapper(), 0);
  InvalidateRect(host, nullptr, TRUE);
  Pump();
  ASSERT_TRUE(skin->HorzBar->BarVisible && skin->VertBar->BarVisible);
  RECT w{};
  GetWindowRect(host, &w);
  const RECT h = skin->HorzBar->BarRect, v = skin->VertBar->BarRect;
  POINT origin{0, 0};
  ClientToScreen(form->Handle(), &origin);
  EXPECT_EQ(Screen(origin.x + h.left + 3, origin.y + h.top + 8), ScrollFrame(1));
  EXPECT_EQ(Screen(origin.x + h.right - 3, origin.y + h.top + 8), ScrollFrame(5));
  // The square between the bars wears the face colour.
  EXPECT_EQ(Screen(origin.x + v.left + 5, origin.y + h.top + 5), kFace);
  EXPECT_EQ(Screen(w.right - 2, w.bottom - 2), kFace);
  // The vertical range comes to fit its page: that bar and its window go, the horizontal one
  // reaches the host's right edge.
  SCROLLINFO fits{sizeof fits, SIF_RANGE | SIF_PAGE, 0, 9, 10, 0, 0};
  SetScrollInfo(host, SB_VERT, &fits, TRUE);
  Pump();
  EXPECT_FALSE(skin->VertBar->BarVisible);
  EXPECT_FALSE(IsWindowVisible(skin->VertBar->Handle()));
  ASSERT_TRUE(skin->HorzBar->BarVisible);
  EXPECT_EQ(skin->HorzBar->BarRect.right - skin->HorzBar->BarRect.left, h.right - h.left + (v.right - v.left));
  EXPECT_EQ(Screen(w.right - 3, origin.y + h.top + 8), ScrollFrame(5));
  DestroyWindow(host);
  Pump();
}

// A control made again (CM_RECREATEWND): its scroll-bar wrapper is replaced by a new one of the
// same family on the new window, and the old one, with its bar windows, goes.
TEST_F(SkinnedScrollBars, AControlMadeAgainGetsANewWrapperOfItsFamily) {
  auto* grid = dynamic_cast<TListView*>(form->FindComponent("Grid"));
  for (int i = 0; i < 80; ++i) grid->AddItem("row " + std::to_string(i));
  Pump();
  auto* old = dynamic_cast<TSkinListView*>(Wrapper()->FindSkinner(grid));
  ASSERT_NE(old, nullptr);
  const HWND oldWindow = grid->Handle();
  const HWND oldBar = old->VertBar->HandleIfAllocated();
  ASSERT_TRUE(oldBar && IsWindow(oldBar));
  const size_t count = Wrapper()->ControlSkins.size();
  // The family is the old wrapper's, whatever the discovery would choose now.
  sd->OnSkinControl = nullptr;
  grid->SetViewStyle(vsList);
  grid->SetViewStyle(vsReport);  // made again twice
  Pump();
  ASSERT_NE(grid->Handle(), oldWindow);
  auto* now = dynamic_cast<TSkinListView*>(Wrapper()->FindSkinner(grid));
  ASSERT_NE(now, nullptr) << "a list view's wrapper again";
  EXPECT_EQ(now->Handle, grid->Handle());
  EXPECT_EQ(Wrapper()->ControlSkins.size(), count) << "the old wrappers are gone";
  EXPECT_FALSE(IsWindow(oldBar)) << "with their bar windows";
  EXPECT_EQ(now->HeaderSkin != nullptr, SendMessageW(grid->Handle(), LVM_GETHEADER, 0, 0) != 0);
  ASSERT_TRUE(now->VertBar->BarVisible);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(grid->Handle(), OBJID_VSCROLL, &info));
  EXPECT_EQ(Screen((info.rcScrollBar.left + info.rcScrollBar.right) / 2, info.rcScrollBar.bottom - 3),
            ScrollFrame(13));
  // Any other scrolling control gets the plain scroll-bar wrapper.
  Fill(40);
  list->RecreateWnd();
  Pump();
  TSkinControl* again = Wrapper()->FindSkinner(list);
  ASSERT_NE(again, nullptr);
  EXPECT_STREQ(again->KindName(), "TSkinScrollbar");
  EXPECT_EQ(again->Handle, list->Handle());
  EXPECT_TRUE(ListSkin()->VertBar->BarVisible);
}

// Only a scroll-bar wrapper asks for that: a push button given a new window keeps the wrapper
// that died with the old one, which lets the new window draw itself, until the form's controls
// are walked again.
TEST_F(SkinnedScrollBars, OnlyScrollingControlsAreSkinnedAgainAtOnce) {
  auto* button = CreateComponent<TButton>(form);
  button->SetBounds(10, 220, 80, 24);
  button->SetParent(form);
  Wrapper()->SkinChildren(button, form);
  TSkinControl* first = Wrapper()->FindSkinner(button);
  ASSERT_NE(first, nullptr);
  const size_t count = Wrapper()->ControlSkins.size();
  button->RecreateWnd();
  Pump();
  EXPECT_EQ(Wrapper()->FindSkinner(button), nullptr);
  EXPECT_EQ(Wrapper()->ControlSkins.size(), count);
  EXPECT_EQ(first->AttachState, kAttachDestroyed);
  EXPECT_NE(SendMessageW(button->Handle(), CM_SKINQUERY, 0, 0), 1);
  // Freed, the control takes its wrapper with it.
  button->Free();
  EXPECT_EQ(Wrapper()->ControlSkins.size(), count - 1);
}

// A press on a bar window reaches the list where the list's own bar is now, also after the form
// has been moved (the bar windows move with it and hear nothing of it).
TEST_F(SkinnedScrollBars, PressesReachTheListWhereverTheFormHasMoved) {
  Fill(200);
  form->SetBounds(form->Left() + 150, form->Top() + 90, form->Width(), form->Height());
  Pump();
  const SCROLLBARINFO info = VertInfo();
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
  // The down arrow's first rows: one row down.
  screen->Click(x, info.rcScrollBar.bottom - 15);
  Pump();
  EXPECT_EQ(list->TopIndex(), 1);
  // The up arrow's last rows: back.
  screen->Click(x, info.rcScrollBar.top + 15);
  Pump();
  EXPECT_EQ(list->TopIndex(), 0);
}

}  // namespace
