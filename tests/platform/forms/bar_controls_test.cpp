// Track bars, status bars and header bars of the window layer by their messages, their reports
// to the parent and their custom-draw offers; the class library's track bar over them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/forms/date_time_picker.h"
#include "platform/forms/form.h"
#include "platform/forms/track_bar.h"
#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/trackbar_layout.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "tests/platform/forms/common_controls_fixture.h"

using namespace formstest;

namespace {

class BarControls : public CommonControlsTest {
 protected:
  // The form logs the bars' reports and notifications and asks for every part's custom draw.
  bool ParentMessage(TMessage& m) override {
    if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) scrolls.push_back({m.Msg, m.WParam});
    if (m.Msg == WM_DRAWITEM) {
      // Owner-drawn parts: logged and painted in a colour of their own.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      drawn.push_back(*item);
      HBRUSH b = CreateSolidBrush(RGB(0x12, 0xE4, 0x56));
      FillRect(item->hDC, &item->rcItem, b);
      DeleteObject(b);
      m.Result = TRUE;
      return true;
    }
    if (m.Msg != WM_NOTIFY) return false;
    auto* h = reinterpret_cast<NMHDR*>(m.LParam);
    if (h->code == NM_CUSTOMDRAW) {
      const auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(m.LParam);
      stages.push_back({cd->dwDrawStage, cd->dwItemSpec});
      m.Result = cd->dwDrawStage == CDDS_PREPAINT ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
      return true;
    }
    if (h->code == UDN_DELTAPOS) {
      const auto* n = reinterpret_cast<NMUPDOWN*>(m.LParam);
      deltas.push_back({n->iPos, n->iDelta});
      m.Result = refuseSteps;
      return true;
    }
    if (h->code == HDN_ITEMCLICKW) clicked.push_back(reinterpret_cast<NMHEADERW*>(m.LParam)->iItem);
    if (h->code == DTN_DATETIMECHANGE || h->code == DTN_DROPDOWN || h->code == DTN_CLOSEUP)
      dateCodes.push_back(h->code);
    return false;
  }

  std::vector<DRAWITEMSTRUCT> drawn;
  std::vector<std::pair<UINT, WPARAM>> scrolls;
  std::vector<std::pair<DWORD, UINT_PTR>> stages;
  std::vector<int> clicked;
  std::vector<UINT> dateCodes;
  std::vector<std::pair<int, int>> deltas;  // UDN_DELTAPOS: position and step
  bool refuseSteps = false;
};

TEST_F(BarControls, TrackBarRangeAndPositionStayInBounds) {
  HWND h = Make(TRACKBAR_CLASS, TBS_AUTOTICKS, 10, 10, 200, 40);
  const struct {
    UINT msg;
    WPARAM w;
    LPARAM l;
    int low, high, pos;
  } steps[] = {{TBM_SETRANGE, TRUE, MAKELPARAM(0, 10), 0, 10, 0},  {TBM_SETPOS, TRUE, 7, 0, 10, 7},
               {TBM_SETPOS, TRUE, 99, 0, 10, 10},                  {TBM_SETPOS, TRUE, -5, 0, 10, 0},
               {TBM_SETRANGEMIN, TRUE, 4, 4, 10, 4},               {TBM_SETRANGEMAX, TRUE, 6, 4, 6, 4},
               {TBM_SETPOS, FALSE, 5, 4, 6, 5},                    {TBM_SETRANGEMAX, TRUE, 4, 4, 4, 4}};
  for (const auto& s : steps) {
    SendMessageW(h, s.msg, s.w, s.l);
    EXPECT_EQ(SendMessageW(h, TBM_GETRANGEMIN, 0, 0), s.low);
    EXPECT_EQ(SendMessageW(h, TBM_GETRANGEMAX, 0, 0), s.high);
    EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), s.pos);
  }
  EXPECT_TRUE(scrolls.empty()) << "changes by message report nothing";
  // The thumb's middle sits at the position's share of the channel.
  SendMessageW(h, TBM_SETRANGE, TRUE, MAKELPARAM(0, 4));
  for (int pos = 0; pos <= 4; ++pos) {
    SendMessageW(h, TBM_SETPOS, TRUE, pos);
    RECT c{}, t{};
    SendMessageW(h, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
    SendMessageW(h, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
    EXPECT_EQ((t.left + t.right) / 2, c.left + pos * (c.right - c.left) / 4) << pos;
    EXPECT_LT(t.top, c.top);
    EXPECT_GT(t.bottom, c.bottom);
  }
  EXPECT_EQ(SendMessageW(h, TBM_GETNUMTICS, 0, 0), 5);
}

TEST_F(BarControls, TrackBarKeysAndMouseReportToTheParent) {
  HWND h = Make(TRACKBAR_CLASS, 0, 10, 10, 200, 40);
  SendMessageW(h, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
  SendMessageW(h, TBM_SETPAGESIZE, 0, 5);
  SetFocus(h);
  const struct {
    unsigned key;
    WORD code;
    int pos;
  } keys[] = {{VK_RIGHT, TB_LINEDOWN, 1}, {VK_NEXT, TB_PAGEDOWN, 6}, {VK_LEFT, TB_LINEUP, 5},
              {VK_END, TB_BOTTOM, 20},    {VK_PRIOR, TB_PAGEUP, 15}, {VK_HOME, TB_TOP, 0}};
  for (const auto& k : keys) {
    scrolls.clear();
    Key(k.key);
    EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), k.pos) << k.key;
    ASSERT_EQ(scrolls.size(), 2u) << k.key;
    EXPECT_EQ(scrolls[0], (std::pair<UINT, WPARAM>{WM_HSCROLL, k.code}));
    EXPECT_EQ(LOWORD(scrolls[1].second), TB_ENDTRACK);
  }
  // A press beside the thumb moves it a page toward the press.
  RECT c{};
  SendMessageW(h, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
  scrolls.clear();
  ClickWindow(h, c.right - 2, (c.top + c.bottom) / 2);
  EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), 5);
  EXPECT_EQ(LOWORD(scrolls.front().second), TB_PAGEDOWN);
  // Dragging the thumb reports each step and the end position.
  RECT t{};
  SendMessageW(h, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
  RECT w{};
  GetWindowRect(h, &w);
  scrolls.clear();
  screen->MoveMouse(w.left + (t.left + t.right) / 2, w.top + (t.top + t.bottom) / 2);
  screen->PressButton(display::MouseButton::Left);
  Pump();
  screen->MoveMouse(w.left + c.right, w.top + (t.top + t.bottom) / 2);
  Pump();
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(SendMessageW(h, TBM_GETPOS, 0, 0), 20);
  ASSERT_GE(scrolls.size(), 3u);
  EXPECT_EQ(scrolls.front().second, MAKEWPARAM(TB_THUMBTRACK, 20));
  EXPECT_EQ(scrolls[scrolls.size() - 2].second, MAKEWPARAM(TB_THUMBPOSITION, 20));
  EXPECT_EQ(LOWORD(scrolls.back().second), TB_ENDTRACK);
  // A vertical bar reports with WM_VSCROLL.
  HWND v = Make(TRACKBAR_CLASS, TBS_VERT, 250, 10, 40, 200);
  SetFocus(v);
  scrolls.clear();
  Key(VK_DOWN);
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(scrolls.front().first, WM_VSCROLL);
}

TEST_F(BarControls, TrackBarOffersEachPartForCustomDrawing) {
  HWND h = Make(TRACKBAR_CLASS, TBS_AUTOTICKS, 10, 10, 200, 40);
  stages.clear();
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  const std::vector<std::pair<DWORD, UINT_PTR>> expected = {
      {CDDS_PREPAINT, 0}, {CDDS_ITEMPREPAINT, TBCD_TICS}, {CDDS_ITEMPREPAINT, TBCD_CHANNEL},
      {CDDS_ITEMPREPAINT, TBCD_THUMB}};
  EXPECT_EQ(stages, expected);
}

TEST_F(BarControls, TrackBarControlRunsOnChangeForTheUsersMoves) {
  auto* bar = AddControl<TTrackBar>(form, "Track", 10, 10, 200, 40);
  bar->SetMax(10);
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  bar->SetPosition(3);
  EXPECT_EQ(changes, 1);
  bar->SetFocus();
  Key(VK_RIGHT);
  EXPECT_EQ(bar->Position(), 4);
  EXPECT_EQ(changes, 2) << "one change, however many reports";
  bar->SetPosition(50);
  EXPECT_EQ(bar->Position(), 10);
  bar->SetOrientation(trVertical);
  EXPECT_TRUE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBS_VERT);
  EXPECT_EQ(bar->Height(), 200);
}

TEST_F(BarControls, UpDownArrowsStepThroughTheirRangeAndReportToTheParent) {
  using Scroll = std::pair<UINT, WPARAM>;
  using Delta = std::pair<int, int>;
  HWND v = Make(UPDOWN_CLASS, 0, 10, 10, 20, 40);
  EXPECT_EQ(SendMessageW(v, UDM_GETRANGE, 0, 0), MAKELRESULT(0, 100)) << "upper limit 0, lower 100";
  SendMessageW(v, UDM_SETRANGE32, 0, 2);
  int low = -1, high = -1;
  SendMessageW(v, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 2);
  // The top arrow steps up: the parent is asked, then told, and the release ends the press.
  ClickWindow(v, 10, 5);
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS32, 0, 0), 1);
  EXPECT_EQ(deltas, (std::vector<Delta>{{0, 1}}));
  EXPECT_EQ(scrolls, (std::vector<Scroll>{{WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1)},
                                          {WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 1)}}));
  ClickWindow(v, 10, 5);
  deltas.clear();
  scrolls.clear();
  ClickWindow(v, 10, 5);
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS32, 0, 0), 2) << "the range ends the steps";
  EXPECT_TRUE(deltas.empty());
  EXPECT_EQ(scrolls, (std::vector<Scroll>{{WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 2)}}));
  ClickWindow(v, 10, 35);
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS32, 0, 0), 1) << "the bottom arrow steps down";
  // A step the parent refuses leaves the position.
  refuseSteps = true;
  deltas.clear();
  ClickWindow(v, 10, 35);
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS32, 0, 0), 1);
  EXPECT_EQ(deltas, (std::vector<Delta>{{1, -1}}));
  refuseSteps = false;
  // A horizontal pair: the right arrow steps up and reports with WM_HSCROLL; UDS_WRAP carries
  // the position round at the ends.
  HWND h = Make(UPDOWN_CLASS, UDS_HORZ | UDS_WRAP, 40, 10, 40, 20);
  SendMessageW(h, UDM_SETRANGE32, 0, 3);
  SendMessageW(h, UDM_SETPOS32, 0, 3);
  scrolls.clear();
  ClickWindow(h, 30, 10);
  EXPECT_EQ(SendMessageW(h, UDM_GETPOS32, 0, 0), 0);
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(scrolls.front(), (Scroll{WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0)}));
  ClickWindow(h, 10, 10);
  EXPECT_EQ(SendMessageW(h, UDM_GETPOS32, 0, 0), 3);
  // A range whose upper limit lies below the lower: the up arrow lowers the position.
  SendMessageW(v, UDM_SETRANGE, 0, MAKELPARAM(0, 10));
  EXPECT_EQ(SendMessageW(v, UDM_GETRANGE, 0, 0), MAKELRESULT(0, 10));
  SendMessageW(v, UDM_SETPOS, 0, MAKELPARAM(5, 0));
  ClickWindow(v, 10, 5);
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS, 0, 0), MAKELRESULT(4, 0));
  // Positions set are held within the range; the old one is answered.
  EXPECT_EQ(SendMessageW(v, UDM_SETPOS32, 0, 50), 4);
  BOOL error = TRUE;
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 10);
  EXPECT_FALSE(error);
  SendMessageW(v, UDM_SETPOS32, 0, -7);
  EXPECT_EQ(SendMessageW(v, UDM_GETPOS32, 0, 0), 0);
}

TEST_F(BarControls, StatusBarPartsTextsAndBevels) {
  HWND h = Make(STATUSCLASSNAME, 0, 0, 0, 0, 0);
  RECT own{}, parent{};
  GetWindowRect(h, &own);
  GetClientRect(form->Handle(), &parent);
  EXPECT_EQ(own.right - own.left, parent.right) << "the bar takes the parent's width";
  POINT at{own.left, own.bottom};
  ScreenToClient(form->Handle(), &at);
  EXPECT_EQ(at.y, parent.bottom) << "at the parent's bottom";
  const int edges[] = {100, 250, -1};
  EXPECT_TRUE(SendMessageW(h, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
  EXPECT_FALSE(SendMessageW(h, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(edges)));
  EXPECT_FALSE(SendMessageW(h, SB_SETPARTS, 300, reinterpret_cast<LPARAM>(edges)));
  int back[4] = {};
  EXPECT_EQ(SendMessageW(h, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(back)), 3);
  EXPECT_EQ(back[1], 250);
  EXPECT_TRUE(SendMessageW(h, SB_SETTEXTW, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>(u"\tMiddle")));
  EXPECT_TRUE(SendMessageW(h, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>("Last")));
  EXPECT_FALSE(SendMessageW(h, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>("None")));
  char16_t text[16] = {};
  const LRESULT info = SendMessageW(h, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(LOWORD(info), 7);
  EXPECT_EQ(WPARAM(HIWORD(info)) << 8, SBT_POPOUT);
  EXPECT_EQ(std::u16string(text), u"\tMiddle");
  EXPECT_EQ(LOWORD(SendMessageW(h, SB_GETTEXTLENGTHA, 2, 0)), 4);
  const struct {
    int part;
    int left, right;
  } rects[] = {{0, 0, 100}, {1, 102, 250}, {2, 252, int(parent.right)}};
  for (const auto& r : rects) {
    RECT got{};
    ASSERT_TRUE(SendMessageW(h, SB_GETRECT, WPARAM(r.part), reinterpret_cast<LPARAM>(&got)));
    EXPECT_EQ(got.left, r.left);
    EXPECT_EQ(got.right, r.right);
  }
  std::u16string centred = u"\tMiddle", right = u"\t\tEnd", left = u"Begin";
  EXPECT_EQ(StatusTextAlignment(centred), 2);
  EXPECT_EQ(centred, u"Middle");
  EXPECT_EQ(StatusTextAlignment(right), 1);
  EXPECT_EQ(StatusTextAlignment(left), 0);
  SendMessageW(h, SB_SIMPLE, TRUE, 0);
  EXPECT_TRUE(SendMessageW(h, SB_ISSIMPLE, 0, 0));
  RECT whole{};
  EXPECT_TRUE(SendMessageW(h, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&whole)));
  EXPECT_EQ(whole.right, parent.right);
  EXPECT_FALSE(SendMessageW(h, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&whole)));
}

TEST_F(BarControls, OwnerDrawnStatusPartsKeepAValueAndAreDrawnByTheParent) {
  HWND h = Make(STATUSCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN, 10, 200, 300, 24);
  const int edges[] = {100, 200, -1};
  SendMessageW(h, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  SendMessageW(h, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u"Text"));
  // The value is no text: it is never read as one.
  EXPECT_TRUE(SendMessageW(h, SB_SETTEXTW, 1 | SBT_OWNERDRAW, 0x5A5A));
  EXPECT_EQ(SendMessageW(h, SB_GETTEXTW, 1, 0), 0x5A5A);
  EXPECT_EQ(WPARAM(HIWORD(SendMessageW(h, SB_GETTEXTLENGTHW, 1, 0))) << 8, SBT_OWNERDRAW);
  EXPECT_EQ(LOWORD(SendMessageW(h, SB_GETTEXTLENGTHW, 1, 0)), 0);
  drawn.clear();
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  ASSERT_EQ(drawn.size(), 1u);
  RECT part{};
  SendMessageW(h, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
  EXPECT_EQ(drawn[0].itemID, 1u);
  EXPECT_EQ(drawn[0].itemData, 0x5A5Au);
  EXPECT_EQ(drawn[0].hwndItem, h);
  EXPECT_EQ(drawn[0].itemAction, ODA_DRAWENTIRE);
  EXPECT_EQ(drawn[0].rcItem.left, part.left);
  EXPECT_EQ(drawn[0].rcItem.right, part.right);
  // What the parent drew is on the screen.
  Pump();
  RECT w{};
  GetWindowRect(h, &w);
  EXPECT_EQ(screen->ScreenPixel(w.left + (part.left + part.right) / 2, w.top + (part.top + part.bottom) / 2),
            0x12E456u);
  // A text again makes the part the bar's own.
  SendMessageW(h, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(u"Back"));
  drawn.clear();
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  EXPECT_TRUE(drawn.empty());
}

TEST_F(BarControls, HeaderItemsLieSideBySideAndReportClicks) {
  HWND h = Make(WC_HEADER, HDS_BUTTONS, 10, 10, 300, 22);
  const std::pair<const char16_t*, int> items[] = {{u"Name", 120}, {u"Size", 60}, {u"Date", 80}};
  for (size_t i = 0; i < 3; ++i) {
    std::u16string t = items[i].first;
    HDITEMW item;
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = t.data();
    item.cxy = items[i].second;
    item.fmt = HDF_STRING | (i == 1 ? HDF_RIGHT : HDF_LEFT);
    EXPECT_EQ(SendMessageW(h, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item)), LRESULT(i));
  }
  EXPECT_EQ(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0), 3);
  int left = 0;
  for (int i = 0; i < 3; ++i) {
    RECT r{};
    ASSERT_TRUE(SendMessageW(h, HDM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)));
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.right, left + items[i].second);
    EXPECT_EQ(r.bottom, 22);
    left = r.right;
  }
  char narrow[8] = {};
  HDITEMA a;
  a.mask = HDI_TEXT | HDI_FORMAT;
  a.pszText = narrow;
  a.cchTextMax = 8;
  ASSERT_TRUE(SendMessageW(h, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&a)));
  EXPECT_STREQ(narrow, "Size");
  EXPECT_EQ(a.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);
  HDHITTESTINFO hit;
  hit.pt = POINT{150, 10};
  EXPECT_EQ(SendMessageW(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
  hit.pt = POINT{290, 10};
  EXPECT_EQ(SendMessageW(h, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
  EXPECT_EQ(hit.flags, HHT_NOWHERE);
  ClickWindow(h, 200, 10);
  EXPECT_EQ(clicked, std::vector<int>{2});
  // A press carried off its heading before the release is no click.
  RECT w{};
  GetWindowRect(h, &w);
  screen->MoveMouse(w.left + 10, w.top + 10);
  screen->PressButton(display::MouseButton::Left);
  Pump();
  screen->MoveMouse(w.left + 150, w.top + 10);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(clicked, std::vector<int>{2});
  EXPECT_TRUE(SendMessageW(h, HDM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(BarControls, DatePickerKeepsValidDatesAndReportsChanges) {
  HWND h = Make(DATETIMEPICK_CLASS, 0, 10, 10, 160, 22);
  SYSTEMTIME st;
  st.wYear = 2024;
  st.wMonth = 2;
  st.wDay = 29;
  EXPECT_TRUE(SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
  SYSTEMTIME bad = st;
  bad.wMonth = 13;
  EXPECT_FALSE(SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&bad)));
  EXPECT_FALSE(SendMessageW(h, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&st)));
  SYSTEMTIME got;
  EXPECT_EQ(SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got)), GDT_VALID);
  EXPECT_EQ(got.wYear, 2024);
  EXPECT_EQ(got.wDay, 29);
  EXPECT_EQ(got.wDayOfWeek, 4) << "a Thursday";
  SetFocus(h);
  Key(VK_UP);
  SendMessageW(h, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got.wMonth, 3);
  EXPECT_EQ(got.wDay, 1);
  EXPECT_EQ(got.wDayOfWeek, 5);
  const RECT drop = DateTimeDropRect(h);
  ClickWindow(h, 2 + (drop.left + drop.right) / 2, 2 + (drop.top + drop.bottom) / 2);
  ClickWindow(h, 20, 10);  // the text, not the button
  ClickWindow(h, 2 + (drop.left + drop.right) / 2, 2 + (drop.top + drop.bottom) / 2);
  EXPECT_EQ(dateCodes, (std::vector<UINT>{DTN_DATETIMECHANGE, DTN_DROPDOWN, DTN_CLOSEUP}));
  // The class library's picker keeps whole days and runs OnChange for the user's changes.
  auto* picker = AddControl<TDateTimePicker>(form, "Picker", 10, 60, 160, 22);
  int changes = 0;
  picker->OnChange = [&](TObject*) { ++changes; };
  picker->SetDate(45000.75);
  EXPECT_EQ(picker->Date(), 45000.0);
  EXPECT_EQ(changes, 0);
  picker->SetFocus();
  Key(VK_DOWN);
  EXPECT_EQ(picker->Date(), 44999.0);
  EXPECT_EQ(changes, 1);
}

// A right-to-left picker (WS_EX_LEFTSCROLLBAR, here from its form through ParentBiDiMode) has its
// drop-down button at its left end: a press there opens the drop-down, one at the right end does
// nothing. Turned left to right, the button goes back to the right end.
TEST_F(BarControls, ARightToLeftDatePickersButtonStandsAtItsLeftEnd) {
  form->SetBiDiMode(bdRightToLeft);
  auto* picker = AddControl<TDateTimePicker>(form, "Picker", 10, 10, 160, 22);
  HWND h = picker->Handle();
  Pump();
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
  const int w = GetSystemMetrics(SM_CXVSCROLL);
  RECT c{};
  GetClientRect(h, &c);
  EXPECT_EQ(DateTimeDropRect(h), (RECT{0, 0, w, c.bottom}));
  // Window coordinates: the client area lies inside a 2-pixel edge.
  ClickWindow(h, 2 + c.right - w / 2, 11);
  EXPECT_TRUE(dateCodes.empty());
  ClickWindow(h, 2 + w / 2, 11);
  EXPECT_EQ(dateCodes, std::vector<UINT>{DTN_DROPDOWN});
  picker->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(DateTimeDropRect(h), (RECT{c.right - w, 0, c.right, c.bottom}));
  ClickWindow(h, 2 + c.right - w / 2, 11);
  EXPECT_EQ(dateCodes, (std::vector<UINT>{DTN_DROPDOWN, DTN_CLOSEUP}));
}

}  // namespace
