// List views ("SysListView32" and TListView) on the headless screen: columns read from a form
// description, the LVM_ messages by table, the geometry of report and list styles worked out
// from the font's height, scroll bars coming with the content, and the mouse and keys.
#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/forms/list_view.h"
#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace {

using formstest::OwnFormTest;

const char* const kForm =
    "object ViewForm: TForm\n"
    "  Left = 50\n  Top = 50\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object View: TListView\n    Left = 10\n    Top = 10\n    Width = 200\n    Height = 160\n"
    "    ViewStyle = vsReport\n"
    "    Columns = <\n      item\n        Caption = 'Name'\n        Width = 80\n      end\n"
    "      item\n        Caption = 'Size'\n        Width = 60\n      end>\n  end\n"
    "end\n";

class ListViewTest : public OwnFormTest {
 protected:
  void Make() {
    ShowDescribed(kForm);
    view = dynamic_cast<TListView*>(form->FindComponent("View"));
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) view->AddItem("file " + std::to_string(i), {std::to_string(i * 10)});
    Pump();
  }
  HWND H() { return view->Handle(); }
  std::string Text(int item, int sub) {
    char16_t buf[64] = {};
    LVITEMW it;
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = 64;
    SendMessageW(H(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return WideToUtf8(buf);
  }
  RECT ItemRect(int i) {
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(H(), LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  int FontHeight() { return stdctl::MeasureFont(H(), reinterpret_cast<HFONT>(SendMessageW(H(), WM_GETFONT, 0, 0))).tmHeight; }
  bool Has(DWORD bits) { return (GetWindowLongPtrW(H(), GWL_STYLE) & bits) == bits; }
  TListView* view = nullptr;
};

TEST_F(ListViewTest, AReportHoldsColumnsItemsAndOneSelection) {
  Make();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Columns()->Count(), 2);
  EXPECT_TRUE(Has(LVS_REPORT));
  Fill(3);
  EXPECT_EQ(SendMessageW(H(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(Text(1, 0), "file 1");
  EXPECT_EQ(Text(2, 1), "20");
  EXPECT_EQ(Text(2, 5), "");  // a sub-item never set
  EXPECT_EQ(SendMessageW(H(), LVM_GETCOLUMNWIDTH, 1, 0), 60);
  view->SetItemIndex(1);
  view->SetItemIndex(2);
  EXPECT_EQ(SendMessageW(H(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(H(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageW(H(), LVM_GETNEXTITEM, 2, LVNI_SELECTED), -1);
  // Rows of the font's height plus 4 under a caption row of its height plus 8.
  const int rh = FontHeight() + 4, hh = FontHeight() + 8;
  EXPECT_EQ(ItemRect(2), (RECT{0, hh + 2 * rh, 140, hh + 3 * rh}));
  SendMessageW(H(), LVM_DELETEITEM, 0, 0);
  EXPECT_EQ(Text(0, 0), "file 1");
  EXPECT_EQ(view->ItemIndex(), 1);
  EXPECT_FALSE(Has(WS_VSCROLL));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  EXPECT_EQ(SendMessageW(H(), LVM_GETHEADER, 0, 0) != 0, GetClassInfoExW(GetModuleHandleW(nullptr), u"SysHeader32", &wc) != 0);
}

TEST_F(ListViewTest, ScrollBarsComeWithTheContent) {
  Make();
  Fill(100);
  EXPECT_TRUE(Has(WS_VSCROLL));
  EXPECT_FALSE(Has(WS_HSCROLL));
  const auto rows = static_cast<int>(SendMessageW(H(), LVM_GETCOUNTPERPAGE, 0, 0));
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(H(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 99);
  EXPECT_EQ(int(si.nPage), rows);
  SendMessageW(H(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(view->TopIndex(), rows);
  EXPECT_EQ(GetScrollPos(H(), SB_VERT), rows);
  // Columns wider than the view bring the horizontal bar.
  static_cast<TListColumn*>(view->Columns()->Items(1))->SetWidth(400);
  Pump();
  EXPECT_TRUE(Has(WS_HSCROLL));
  GetScrollInfo(H(), SB_HORZ, &si);
  EXPECT_EQ(si.nMax, 479);
  SendMessageW(H(), WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(ItemRect(rows).left, -8);
  SendMessageW(H(), LVM_DELETEALLITEMS, 0, 0);
  EXPECT_FALSE(Has(WS_VSCROLL));
}

// A right-to-left report (its BiDiMode set once it shows, its window's styles changed in
// place) has its vertical bar at its left: the header and the rows begin right of it, a press on
// the bar's down arrow scrolls, and a click on a row selects it.
TEST_F(ListViewTest, ARightToLeftReportsBarStandsAtItsLeft) {
  Make();
  Fill(100);
  view->SetBiDiMode(bdRightToLeft);
  Pump();
  EXPECT_TRUE(GetWindowLongPtrW(H(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
  RECT w{}, client{};
  GetWindowRect(H(), &w);
  GetClientRect(H(), &client);
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetScrollBarInfo(H(), OBJID_VSCROLL, &bar));
  const int e = GetSystemMetrics(SM_CXEDGE), sb = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(bar.rcScrollBar.left, w.left + e);
  EXPECT_EQ(bar.rcScrollBar.right, w.left + e + sb);
  POINT origin{0, 0};
  ClientToScreen(H(), &origin);
  EXPECT_EQ(origin.x, bar.rcScrollBar.right);
  EXPECT_EQ(client.right, 200 - 2 * e - sb);
  HWND header = reinterpret_cast<HWND>(SendMessageW(H(), LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr) << "a report has its header";
  RECT hr{};
  GetWindowRect(header, &hr);
  EXPECT_EQ(hr.left, origin.x) << "the header begins right of the bar";
  screen->Click((bar.rcScrollBar.left + bar.rcScrollBar.right) / 2, bar.rcScrollBar.bottom - 3);
  Pump();
  EXPECT_EQ(view->TopIndex(), 1);
  const int rh = FontHeight() + 4, hh = FontHeight() + 8;
  ClickAt(view, 20, hh + rh + rh / 2);
  EXPECT_EQ(view->ItemIndex(), 2) << "the second row shown, the first scrolled away";
}

TEST_F(ListViewTest, AListRunsDownThenAcross) {
  Make();
  view->SetViewStyle(vsList);
  Fill(40);
  EXPECT_TRUE(Has(LVS_LIST));
  const int rh = FontHeight() + 4;
  RECT client{};
  GetClientRect(H(), &client);
  const int rows = client.bottom / rh;
  const auto cw = static_cast<int>(SendMessageW(H(), LVM_GETCOLUMNWIDTH, 0, 0));
  EXPECT_EQ(ItemRect(rows), (RECT{cw, 0, 2 * cw, rh}));
  EXPECT_EQ(ItemRect(rows + 2).top, 2 * rh);
  EXPECT_TRUE(Has(WS_HSCROLL));
  EXPECT_FALSE(Has(WS_VSCROLL));
  SendMessageW(H(), WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(view->TopIndex(), rows);
  EXPECT_EQ(ItemRect(rows).left, 0);
}

TEST_F(ListViewTest, ClicksAndKeysSelectAndKeepInView) {
  Make();
  Fill(60);
  const int rh = FontHeight() + 4, hh = FontHeight() + 8;
  ClickAt(view, 20, hh + rh + rh / 2);
  EXPECT_EQ(view->ItemIndex(), 1);
  EXPECT_EQ(GetFocus(), H());
  Key(VK_DOWN);
  EXPECT_EQ(view->ItemIndex(), 2);
  Key(VK_END);
  EXPECT_EQ(view->ItemIndex(), 59);
  const auto rows = static_cast<int>(SendMessageW(H(), LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_EQ(view->TopIndex(), 60 - rows);
  Key(VK_HOME);
  EXPECT_EQ(view->TopIndex(), 0);
  // The view's own bar scrolls it.
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(H(), OBJID_VSCROLL, &sb));
  screen->Click((sb.rcScrollBar.left + sb.rcScrollBar.right) / 2, sb.rcScrollBar.bottom - 3);
  Pump();
  EXPECT_EQ(view->TopIndex(), 1);
}

}  // namespace
