// The tab control window class by its messages, and the page and tab controls of the class
// library over it, driven by the mouse and the keyboard on the headless screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/page_control.h"
#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/tab_layout.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "tests/platform/forms/common_controls_fixture.h"

using namespace formstest;

namespace {

class TabControlTest : public CommonControlsTest {
 protected:
  // The form logs the notifications of its tab controls and may refuse a change.
  bool ParentMessage(TMessage& m) override {
    if (m.Msg != WM_NOTIFY) return false;
    const auto* h = reinterpret_cast<const NMHDR*>(m.LParam);
    codes.push_back(h->code);
    if (h->code != TCN_SELCHANGING || !veto) return false;
    m.Result = 1;
    return true;
  }
  HWND MakeTabs(DWORD style, const std::vector<std::u16string>& texts, int width = 300, DWORD exStyle = 0) {
    HWND h = CreateWindowExW(exStyle, WC_TABCONTROL, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, width, 150,
                             form->Handle(), nullptr, nullptr, nullptr);
    for (size_t i = 0; i < texts.size(); ++i) {
      std::u16string t = texts[i];
      TCITEMW item;
      item.mask = TCIF_TEXT | TCIF_PARAM;
      item.pszText = t.data();
      item.lParam = LPARAM(100 + i);
      EXPECT_EQ(SendMessageW(h, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item)), LRESULT(i));
    }
    return h;
  }
  RECT ItemRect(HWND h, int i) {
    RECT r{};
    SendMessageW(h, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // The tab control's scroll arrows and where they stand in its client area.
  HWND Arrows(HWND h) { return FindWindowExW(h, nullptr, UPDOWN_CLASS, nullptr); }
  RECT ArrowsRect(HWND h) {
    RECT r{};
    GetWindowRect(Arrows(h), &r);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  int ArrowsPos(HWND h) { return int(SendMessageW(Arrows(h), UDM_GETPOS32, 0, 0)); }
  // A click on the left (0) or right (1) arrow.
  void ClickArrow(HWND h, int which) {
    const RECT a = ArrowsRect(h);
    const int w = a.right - a.left;
    ClickWindow(Arrows(h), which == 0 ? w / 4 : 3 * w / 4, (a.bottom - a.top) / 2);
  }
  std::vector<UINT> codes;
  bool veto = false;
};

const std::vector<std::u16string> kEight = {u"One", u"Two", u"Three", u"Four", u"Five", u"Six", u"Seven", u"Eight"};

TEST_F(TabControlTest, ItemsAreKeptAndReadInBothCharacterSets) {
  HWND h = MakeTabs(0, {u"One", u"Two", u"Three"});
  EXPECT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 0) << "the first tab inserted becomes current";
  char16_t wide[4] = {};
  TCITEMW w;
  w.mask = TCIF_TEXT | TCIF_PARAM;
  w.pszText = wide;
  w.cchTextMax = 4;
  ASSERT_TRUE(SendMessageW(h, TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&w)));
  EXPECT_EQ(std::u16string(wide), u"Thr") << "cut to the buffer, terminated";
  EXPECT_EQ(w.lParam, 102);
  char narrow[16] = {};
  TCITEMA a;
  a.mask = TCIF_TEXT;
  a.pszText = narrow;
  a.cchTextMax = 16;
  ASSERT_TRUE(SendMessageW(h, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&a)));
  EXPECT_STREQ(narrow, "Two");
  EXPECT_FALSE(SendMessageW(h, TCM_GETITEMW, 3, reinterpret_cast<LPARAM>(&w))) << "past the end";
  // Inserting before the current tab keeps the same tab current; deleting it leaves none.
  SendMessageW(h, TCM_SETCURSEL, 1, 0);
  TCITEMA front;
  front.mask = TCIF_TEXT;
  char zero[] = "Zero";
  front.pszText = zero;
  EXPECT_EQ(SendMessageW(h, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&front)), 0);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(SendMessageW(h, TCM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(SendMessageW(h, TCM_DELETEITEM, 1, 0));
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(SendMessageW(h, TCM_SETCURSEL, 7, 0), -1) << "no such tab";
  EXPECT_TRUE(codes.empty()) << "changes by message notify nobody";
  DestroyWindow(h);
}

TEST_F(TabControlTest, TabsLieAlongTheSideTheStyleNames) {
  struct Case {
    DWORD style;
    TabSide side;
  } cases[] = {{0, TabSide::Top}, {TCS_BOTTOM, TabSide::Bottom}, {TCS_VERTICAL, TabSide::Left},
               {TCS_VERTICAL | TCS_RIGHT, TabSide::Right}};
  for (const Case& c : cases) {
    HWND h = MakeTabs(c.style, {u"Alpha", u"Be"});
    RECT client{};
    GetClientRect(h, &client);
    const RECT a = ItemRect(h, 0), b = ItemRect(h, 1);
    RECT display = client;
    SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    RECT back = display;
    SendMessageW(h, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(back.left, client.left);
    EXPECT_EQ(back.top, client.top);
    EXPECT_EQ(back.right, client.right);
    EXPECT_EQ(back.bottom, client.bottom);
    const bool vertical = c.side == TabSide::Left || c.side == TabSide::Right;
    // The longer caption makes the longer tab; the second tab follows the first.
    EXPECT_GT(vertical ? a.bottom - a.top : a.right - a.left, vertical ? b.bottom - b.top : b.right - b.left);
    EXPECT_EQ(vertical ? b.top : b.left, vertical ? a.bottom : a.right);
    switch (c.side) {
      case TabSide::Top: EXPECT_LE(a.bottom, display.top); break;
      case TabSide::Bottom: EXPECT_GE(a.top, display.bottom); break;
      case TabSide::Left: EXPECT_LE(a.right, display.left); break;
      case TabSide::Right: EXPECT_GE(a.left, display.right); break;
    }
    // Hit testing agrees with the rectangles.
    TCHITTESTINFO hit;
    hit.pt = POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    EXPECT_EQ(SendMessageW(h, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_EQ(hit.flags, TCHT_ONITEM);
    hit.pt = POINT{(display.left + display.right) / 2, (display.top + display.bottom) / 2};
    EXPECT_EQ(SendMessageW(h, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, TCHT_NOWHERE);
    DestroyWindow(h);
  }
}

TEST_F(TabControlTest, ARowScrollsOnlyWhenItsTabsDoNotFit) {
  // Four tabs of 40 in rows of 100: the arrows (34 wide, as high as the row) take the row's
  // right end, or its left end, and the row scrolls until its last tab shows whole.
  const std::vector<int> four = {40, 40, 40, 40};
  const RECT client{0, 0, 100, 120};
  const struct {
    std::vector<int> lengths;
    bool left;
    int first;
    RECT arrows;
    int lastFirst, firstTabLeft, rowEnd;
  } cases[] = {
      {{30, 30}, false, 0, {}, 0, 2, 98},                 // fits: no arrows
      {{48, 48}, false, 0, {}, 0, 2, 98},                 // 2 + 96 reaches the far inset exactly
      {{48, 49}, false, 0, {66, 2, 100, 22}, 1, 2, 66},  // one pixel more
      {four, false, 1, {66, 2, 100, 22}, 3, -38, 66},
      {four, false, 9, {66, 2, 100, 22}, 3, -118, 66},   // held within the range
      {four, true, 1, {0, 2, 34, 22}, 3, -4, 98},        // the row starts after the arrows
  };
  for (const auto& c : cases) {
    TabScroll scroll;
    scroll.first = c.first;
    scroll.arrowsWidth = 34;
    scroll.arrowsLeft = c.left;
    const TabGeometry g = LayTabs(client, TabSide::Top, 20, c.lengths, scroll);
    const std::string what = std::to_string(c.lengths.size()) + " tabs, first " + std::to_string(c.first);
    EXPECT_EQ(g.arrows.left, c.arrows.left) << what;
    EXPECT_EQ(g.arrows.top, c.arrows.top) << what;
    EXPECT_EQ(g.arrows.right, c.arrows.right) << what;
    EXPECT_EQ(g.arrows.bottom, c.arrows.bottom) << what;
    EXPECT_EQ(g.lastFirst, c.lastFirst) << what;
    EXPECT_EQ(g.tabs[0].left, c.firstTabLeft) << what;
    EXPECT_EQ(g.rowEnd, c.rowEnd) << what;
  }
  // Tabs beside the strip never scroll; a row without arrows of any size neither.
  TabScroll scroll;
  scroll.first = 2;
  scroll.arrowsWidth = 34;
  EXPECT_TRUE(IsRectEmpty(LayTabs(RECT{0, 0, 120, 100}, TabSide::Left, 20, four, scroll).arrows));
  EXPECT_EQ(LayTabs(client, TabSide::Top, 20, four).tabs[0].left, 2);
  // Bringing a tab into view moves the row as little as it can.
  scroll.first = 0;
  const TabGeometry g = LayTabs(client, TabSide::Bottom, 20, four, scroll);
  EXPECT_EQ(g.arrows.top, 120 - 22) << "the arrows beside a bottom row";
  EXPECT_EQ(TabFirstShowing(g, 1), 1);
  EXPECT_EQ(TabFirstShowing(g, 3), 3);
  EXPECT_EQ(TabFirstShowing(g, 0), 0);
  scroll.first = 3;
  EXPECT_EQ(TabFirstShowing(LayTabs(client, TabSide::Top, 20, four, scroll), 1), 1);
}

TEST_F(TabControlTest, ANarrowControlsArrowsReachEveryTab) {
  HWND h = MakeTabs(0, kEight, 150);
  Pump();
  HWND arrows = Arrows(h);
  ASSERT_NE(arrows, nullptr) << "eight tabs do not fit in 150 pixels";
  EXPECT_TRUE(IsWindowVisible(arrows));
  EXPECT_TRUE(GetWindowLongPtrW(arrows, GWL_STYLE) & UDS_HORZ);
  RECT client{};
  GetClientRect(h, &client);
  const RECT a = ArrowsRect(h);
  EXPECT_EQ(a.right, client.right) << "at the row's right end";
  RECT display = client;
  SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  EXPECT_LE(a.bottom, display.top) << "within the strip";
  int low = -1, high = -1;
  SendMessageW(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_GT(ItemRect(h, 7).right, a.left) << "the last tab lies beyond the arrows";
  // The right arrow scrolls the row by one tab: the second tab stands where the first stood.
  const RECT first = ItemRect(h, 0);
  ClickArrow(h, 1);
  EXPECT_EQ(ArrowsPos(h), 1);
  EXPECT_EQ(ItemRect(h, 1).left, first.left);
  EXPECT_EQ(ItemRect(h, 0).right, first.left) << "the first tab scrolled off";
  TCHITTESTINFO under;
  under.pt = POINT{(a.left + a.right) / 2, (a.top + a.bottom) / 2};
  EXPECT_EQ(SendMessageW(h, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&under)), -1) << "no tab under the arrows";
  for (int i = 0; i < 8 && ItemRect(h, 7).right > a.left; ++i) ClickArrow(h, 1);
  EXPECT_LE(ItemRect(h, 7).right, a.left) << "the last tab in view";
  EXPECT_EQ(ArrowsPos(h), high) << "the range ends where the last tab shows";
  const RECT last = ItemRect(h, 7);
  ClickArrow(h, 1);
  EXPECT_EQ(ItemRect(h, 7).left, last.left) << "no further";
  codes.clear();
  ClickWindow(h, (last.left + last.right) / 2, (last.top + last.bottom) / 2);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 7);
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  ClickArrow(h, 0);
  EXPECT_EQ(ArrowsPos(h), high - 1) << "the left arrow scrolls back";
  // A tab selected comes into view.
  SendMessageW(h, TCM_SETCURSEL, 0, 0);
  EXPECT_EQ(ItemRect(h, 0).left, first.left);
  EXPECT_EQ(ArrowsPos(h), 0);
  SetFocus(h);
  for (int i = 0; i < 7; ++i) Key(VK_RIGHT);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 7);
  EXPECT_LE(ItemRect(h, 7).right, a.left) << "the arrow keys bring their tab into view";
  // Widened so that all fit, the control drops its arrows and shows its row from the start.
  SetWindowPos(h, nullptr, 0, 0, 600, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  EXPECT_FALSE(IsWindowVisible(arrows));
  EXPECT_EQ(ItemRect(h, 0).left, first.left);
  TCHITTESTINFO hit;
  const RECT eighth = ItemRect(h, 7);
  hit.pt = POINT{(eighth.left + eighth.right) / 2, (eighth.top + eighth.bottom) / 2};
  EXPECT_EQ(SendMessageW(h, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 7);
  // Narrowed again, the arrows come back; tabs beside the strip never scroll.
  SetWindowPos(h, nullptr, 0, 0, 150, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(IsWindowVisible(arrows));
  SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) | TCS_VERTICAL);
  EXPECT_FALSE(IsWindowVisible(arrows));
  DestroyWindow(h);
}

TEST_F(TabControlTest, ARightToLeftRowHasItsArrowsAtItsLeftEnd) {
  HWND h = MakeTabs(TCS_BOTTOM, kEight, 150, WS_EX_LEFTSCROLLBAR);
  Pump();
  ASSERT_NE(Arrows(h), nullptr);
  RECT client{};
  GetClientRect(h, &client);
  const RECT a = ArrowsRect(h);
  EXPECT_EQ(a.left, client.left);
  RECT display = client;
  SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  EXPECT_GE(a.top, display.bottom) << "beside the row below the display area";
  EXPECT_GT(ItemRect(h, 0).left, a.right) << "the row starts after the arrows";
  ClickArrow(h, 1);
  EXPECT_EQ(ArrowsPos(h), 1);
  EXPECT_LT(ItemRect(h, 0).left, a.right) << "the first tab scrolled away behind the arrows";
  DestroyWindow(h);
}

TEST_F(TabControlTest, AClickAsksTheParentAndThenTellsIt) {
  HWND h = MakeTabs(0, {u"One", u"Two", u"Three"});
  const RECT r = ItemRect(h, 2);
  veto = true;
  ClickWindow(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(codes, std::vector<UINT>{TCN_SELCHANGING});
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 0) << "refused";
  veto = false;
  codes.clear();
  ClickWindow(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(GetFocus(), h);
  codes.clear();
  ClickWindow(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_TRUE(codes.empty()) << "the current tab again changes nothing";
  // Arrow keys move between tabs the same way, and stop at the ends.
  Key(VK_LEFT);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 1);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(codes.size(), 4u);
  DestroyWindow(h);
}

TEST_F(TabControlTest, PlainLookShowsTheCurrentTabJoinedToItsPane) {
  HWND h = MakeTabs(0, {u"One", u"Two"});
  Pump();
  const RECT second = ItemRect(h, 1);
  RECT w{};
  GetWindowRect(h, &w);
  // Above the second (not current) tab lies the strip's background; the current tab rises 2
  // pixels higher than the others.
  const std::uint32_t face = ScreenColor(clBtnFace), light = ScreenColor(clBtnHighlight);
  EXPECT_EQ(screen->ScreenPixel(w.left + second.left + 8, w.top + second.top - 1), face);
  const RECT first = ItemRect(h, 0);
  EXPECT_EQ(screen->ScreenPixel(w.left + first.left + 8, w.top + first.top - 2), light);
  DestroyWindow(h);
}

TEST_F(TabControlTest, PageControlShowsTheSheetOfTheChosenTab) {
  auto* pages = AddControl<TPageControl>(form, "Pages", 10, 10, 300, 200);
  auto* first = CreateComponent<TTabSheet>(form);
  first->SetCaption("First");
  first->SetParent(pages);
  auto* second = CreateComponent<TTabSheet>(form);
  second->SetCaption("Second");
  second->SetParent(pages);
  Pump();
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), first);
  EXPECT_TRUE(first->Visible());
  EXPECT_FALSE(second->Visible());
  const TRect area = pages->DisplayRect();
  EXPECT_EQ(first->BoundsRect().left, area.left);
  EXPECT_EQ(first->BoundsRect().bottom, area.bottom);
  std::vector<std::string> log;
  pages->OnChanging = [&](TObject*, bool& allow) {
    log.push_back("changing");
    allow = log.size() > 1;
  };
  pages->OnChange = [&](TObject*) { log.push_back("change"); };
  RECT r{};
  SendMessageW(pages->Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  ClickAt(pages, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(pages->ActivePage(), first) << "OnChanging refused";
  ClickAt(pages, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_TRUE(second->Visible());
  EXPECT_FALSE(first->Visible());
  EXPECT_EQ(log, (std::vector<std::string>{"changing", "changing", "change"}));
  // In code: no events. A sheet freed leaves its control.
  pages->SetActivePageIndex(0);
  EXPECT_EQ(log.size(), 3u);
  EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETCURSEL, 0, 0), 0);
  first->Free();
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(TabControlTest, ANarrowPageControlReachesItsLastSheet) {
  auto* pages = AddControl<TPageControl>(form, "Pages", 10, 10, 150, 120);
  std::vector<TTabSheet*> sheets;
  for (const std::u16string& text : kEight) {
    sheets.push_back(CreateComponent<TTabSheet>(form));
    sheets.back()->SetCaption(WideToUtf8(text));
    sheets.back()->SetParent(pages);
  }
  Pump();
  HWND h = pages->Handle();
  ASSERT_NE(Arrows(h), nullptr);
  const RECT a = ArrowsRect(h);
  for (int i = 0; i < 8 && ItemRect(h, 7).right > a.left; ++i) ClickArrow(h, 1);
  const RECT last = ItemRect(h, 7);
  ASSERT_LE(last.right, a.left);
  ClickAt(pages, (last.left + last.right) / 2, (last.top + last.bottom) / 2);
  EXPECT_EQ(pages->ActivePage(), sheets[7]);
  EXPECT_TRUE(sheets[7]->Visible());
}

TEST_F(TabControlTest, TabControlFollowsItsTabList) {
  auto* tabs = AddControl<TTabControl>(form, "Tabs", 10, 10, 300, 120);
  tabs->Tabs()->Add("Red");
  tabs->Tabs()->Add("Green");
  Pump();
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  tabs->SetTabIndex(1);
  EXPECT_EQ(tabs->TabIndex(), 1);
  tabs->SetTabIndex(5);
  EXPECT_EQ(tabs->TabIndex(), 1) << "out of range is ignored";
  tabs->Tabs()->Delete(1);
  EXPECT_EQ(tabs->TabIndex(), 0);
  tabs->SetTabPosition(tpBottom);
  EXPECT_TRUE(GetWindowLongPtrW(tabs->Handle(), GWL_STYLE) & TCS_BOTTOM);
}

}  // namespace
