// Scroll bars and combo boxes wearing the flat test skin on an X server of the test's own,
// driven with XTest (xdotool) as a person would: hovering and dragging a list box's skinned
// thumb, pressing its arrow, dropping a skinned combo's list and picking from it with the mouse
// and the keyboard, and the same on a right-to-left form, where the combo's button and the
// vertical bars stand at the left; screenshots probed pixel by pixel.
#include <gtest/gtest.h>

#include "platform/display/display.h"
#include "platform/forms/application.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/form.h"
#include "platform/forms/list_box.h"
#include "platform/forms/standard_classes.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/scroll.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "skin/controls/skin_combo_box.h"
#include "skin/controls/skin_scroll_bar.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using namespace flatskin;
using skintest::Rrggbb;

namespace {

const char* const kForm =
    "object ListsForm: TForm\n"
    "  Left = 60\n  Top = 60\n  Caption = 'Lists'\n  ClientHeight = 260\n  ClientWidth = 360\n"
    "  object List: TListBox\n    Left = 10\n    Top = 10\n    Width = 150\n    Height = 200\n    TabOrder = 0\n  end\n"
    "  object Pick: TComboBox\n    Left = 180\n    Top = 10\n    Width = 150\n    Height = 21\n"
    "    Style = csDropDownList\n    TabOrder = 1\n  end\n"
    "end\n";

class SkinnedListsX11 : public skintest::SkinnedX11Form {
 protected:
  void SetUp() override { ShowLists(kForm, 6); }
  // Shows a form with a list box "List" of 100 lines and a combo "Pick" of `choices` items.
  void ShowLists(const char* description, int choices) {
    ShowOnX(description, {"TComboBox=combobox"}, [this, choices](TForm* f) {
      list = dynamic_cast<TListBox*>(f->FindComponent("List"));
      pick = dynamic_cast<TComboBox*>(f->FindComponent("Pick"));
      for (int i = 0; i < 100; ++i) list->Items()->Add("line " + std::to_string(i));
      for (int i = 0; i < choices; ++i) pick->Items()->Add("choice " + std::to_string(i));
    });
  }
  // The vertical bar of a window, or of the list box.
  static SCROLLBARINFO Bar(HWND h) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    GetScrollBarInfo(h, OBJID_VSCROLL, &info);
    return info;
  }
  SCROLLBARINFO Bar() { return Bar(list->Handle()); }
  TListBox* list = nullptr;
  TComboBox* pick = nullptr;
};

TEST_F(SkinnedListsX11, AListsSkinnedBarLightsScrollsAndDrags) {
  SCROLLBARINFO bar = Bar();
  const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
  const int down = bar.rcScrollBar.bottom - 4;
  EXPECT_EQ(Shot(x, bar.rcScrollBar.top + 3), Rrggbb(ScrollFrame(9)));
  Xdo("mousemove " + Point(x, down));
  EXPECT_EQ(Shot(x, down), Rrggbb(ScrollFrame(16))) << "the hot down arrow";
  Xdo("click 1");
  EXPECT_EQ(list->TopIndex(), 1);
  // The thumb dragged to the end through the list's own scrolling.
  bar = Bar();
  const int grip = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
  Xdo("mousemove " + Point(x, grip) + " mousedown 1 mousemove " + Point(x, grip + 30) + " mousemove " +
      Point(x, grip + 600) + " mouseup 1");
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(list->Handle(), SB_VERT, &si);
  EXPECT_EQ(list->TopIndex(), si.nMax - int(si.nPage) + 1);
  bar = Bar();
  EXPECT_EQ(Shot(x, bar.rcScrollBar.top + bar.xyThumbTop - 3), Rrggbb(VertTrack(1)));
}

TEST_F(SkinnedListsX11, ASkinnedCombosListDropsAndTakesAPick) {
  RECT r{};
  GetWindowRect(pick->Handle(), &r);
  const int bx = r.right - 5, by = (r.top + r.bottom) / 2;
  Xdo("mousemove " + Point(bx, by));
  // The composed frame-and-button image does not light under the mouse.
  EXPECT_EQ(Shot(r.right - 1, r.bottom - 1), Rrggbb(ComboButtonFrame(1))) << "the button under the mouse";
  Xdo("click 1");
  ASSERT_TRUE(pick->DroppedDown());
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(pick->Handle(), &info);
  RECT lr{};
  GetWindowRect(info.hwndList, &lr);
  EXPECT_EQ(lr.top, r.bottom);
  const auto ih = static_cast<int>(SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
  Xdo("mousemove " + Point(lr.left + 20, lr.top + 1 + 3 * ih + ih / 2) + " click 1");
  EXPECT_FALSE(pick->DroppedDown());
  EXPECT_EQ(pick->ItemIndex(), 3);
  EXPECT_EQ(pick->Text(), "choice 3");
  // The keyboard: the next item, then the list opened, moved in and taken.
  Xdo("key Down");
  EXPECT_EQ(pick->ItemIndex(), 4);
  Xdo("key F4 key Down key Return");
  EXPECT_EQ(pick->ItemIndex(), 5);
  EXPECT_FALSE(pick->DroppedDown());
}

// A right-to-left form: its editable combo and its list box take its mode.
const char* const kRightToLeftForm =
    "object RtlListsForm: TForm\n"
    "  Left = 60\n  Top = 60\n  BiDiMode = bdRightToLeft\n  Caption = 'Lists'\n  ClientHeight = 260\n"
    "  ClientWidth = 360\n"
    "  object List: TListBox\n    Left = 190\n    Top = 10\n    Width = 150\n    Height = 200\n    TabOrder = 1\n  end\n"
    "  object Pick: TComboBox\n    Left = 20\n    Top = 10\n    Width = 150\n    Height = 21\n    TabOrder = 0\n  end\n"
    "end\n";

class SkinnedRightToLeftListsX11 : public SkinnedListsX11 {
 protected:
  void SetUp() override { ShowLists(kRightToLeftForm, 12); }
};

// The skinned button is drawn at the combo's left end; a click on it drops the list, whose
// skinned scroll bar stands at its left, over the list's own; a click on a row takes it.
TEST_F(SkinnedRightToLeftListsX11, AClickOnTheSkinnedLeftButtonDropsTheList) {
  ASSERT_TRUE(GetWindowLongPtrW(pick->Handle(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
  RECT r{};
  GetWindowRect(pick->Handle(), &r);
  const int bx = r.left + 5, by = (r.top + r.bottom) / 2;
  Xdo("mousemove " + Point(bx, by));
  EXPECT_EQ(Shot(r.left, r.bottom - 1), Rrggbb(ComboButtonFrame(1))) << "the button at the left under the mouse";
  Xdo("click 1");
  ASSERT_TRUE(pick->DroppedDown());
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(pick->Handle(), &info);
  ASSERT_TRUE(IsWindowVisible(info.hwndList));
  RECT lr{};
  GetWindowRect(info.hwndList, &lr);
  EXPECT_EQ(lr.top, r.bottom);
  const SCROLLBARINFO bar = Bar(info.hwndList);
  EXPECT_LT(bar.rcScrollBar.left - lr.left, 3) << "the list's bar at its left";
  const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
  EXPECT_EQ(Shot(x, bar.rcScrollBar.top + 3), Rrggbb(ScrollFrame(9))) << "its up arrow, skinned";
  const auto ih = static_cast<int>(SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
  Xdo("mousemove " + Point(lr.right - 20, lr.top + 1 + 3 * ih + ih / 2) + " click 1");
  EXPECT_FALSE(pick->DroppedDown());
  EXPECT_EQ(pick->ItemIndex(), 3);
  EXPECT_EQ(pick->Text(), "choice 3");
}

// The list box's skinned vertical bar stands at its left, over the list's own, and scrolls it.
TEST_F(SkinnedRightToLeftListsX11, AListsSkinnedBarAtTheLeftScrollsIt) {
  RECT lr{};
  GetWindowRect(list->Handle(), &lr);
  const SCROLLBARINFO bar = Bar(list->Handle());
  EXPECT_LT(bar.rcScrollBar.left - lr.left, 3);
  const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
  EXPECT_EQ(Shot(x, bar.rcScrollBar.top + 3), Rrggbb(ScrollFrame(9)));
  EXPECT_NE(Shot(lr.right - 10, bar.rcScrollBar.top + 3), Rrggbb(ScrollFrame(9))) << "no bar at the right";
  Xdo("mousemove " + Point(x, bar.rcScrollBar.bottom - 4) + " click 1");
  EXPECT_EQ(list->TopIndex(), 1);
}

}  // namespace
