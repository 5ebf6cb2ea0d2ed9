// Combo boxes ("ComboBox", its "ComboLBox" list and TComboBox) on the headless screen: the CB_
// messages by table, and the mouse and keyboard as the user gives them, seen in the CBN_
// notifications the owner receives and in the selection and text.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/forms/combo_box.h"
#include "platform/forms/form.h"
#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll.h"
#include "platform/user/message_loop.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace {

using formstest::OwnFormTest;
using Codes = std::vector<int>;

class ComboBoxTest : public OwnFormTest {
 protected:
  void Make(TComboBoxStyle style, int height = 21, bool sorted = false) {
    NewPlainForm();
    combo = AddControl<TComboBox>(form.get(), "Combo", 20, 20, 150, height);
    combo->SetStyle(style);
    combo->SetSorted(sorted);
    for (const char* s : {"pear", "apple", "cherry", "banana", "citron"}) combo->Items()->Add(s);
    form->Show();
    Pump();
    const TWndMethod old = combo->WindowProc;
    combo->WindowProc = [this, old](TMessage& m) {
      if (m.Msg == CN_COMMAND) seen.push_back(HIWORD(m.WParam));
      old(m);
    };
  }
  HWND H() { return combo->Handle(); }
  COMBOBOXINFO Info() {
    COMBOBOXINFO i{};
    i.cbSize = sizeof i;
    EXPECT_TRUE(GetComboBoxInfo(H(), &i));
    return i;
  }
  std::string ItemText(int i) {
    char16_t buf[64] = {};
    SendMessageW(H(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    return WideToUtf8(buf);
  }
  // A click on a row of the dropped list.
  void ClickRow(int row) {
    HWND list = Info().hwndList;
    const auto ih = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    POINT p{10, (row - top) * ih + ih / 2};
    ClientToScreen(list, &p);
    screen->Click(p.x, p.y);
    Pump();
  }
  TComboBox* combo = nullptr;
  Codes seen;
};

TEST_F(ComboBoxTest, MessagesKeepTheItemsAndTheSelection) {
  Make(csDropDownList, 21, true);
  EXPECT_EQ(SendMessageW(H(), CB_GETCOUNT, 0, 0), 5);
  const char* sorted[] = {"apple", "banana", "cherry", "citron", "pear"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ItemText(i), sorted[i]);
  struct Find {
    UINT msg;
    const char16_t* text;
    LRESULT want;
  } finds[] = {{CB_FINDSTRING, u"c", 2},         {CB_FINDSTRING, u"CIT", 3}, {CB_FINDSTRINGEXACT, u"cher", CB_ERR},
               {CB_FINDSTRINGEXACT, u"Pear", 4}, {CB_FINDSTRING, u"x", CB_ERR}};
  for (const Find& f : finds)
    EXPECT_EQ(SendMessageW(H(), f.msg, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(f.text)), f.want)
        << WideToUtf8(f.text);
  EXPECT_EQ(SendMessageW(H(), CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(combo->Text(), "banana");
  EXPECT_EQ(SendMessageW(H(), CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(combo->ItemIndex(), -1);
  // A drop-down list takes only the text of one of its items.
  EXPECT_EQ(SendMessageW(H(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"citron")), TRUE);
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_EQ(SendMessageW(H(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"plum")), CB_ERR);
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_EQ(SendMessageW(H(), CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"ap")), 0);
  SendMessageW(H(), CB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessageW(H(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_TRUE(seen.empty());  // the program's own changes are not notified
}

TEST_F(ComboBoxTest, InfoNamesThePartsOfEachStyle) {
  struct Case {
    TComboBoxStyle style;
    bool edit, popup;
    DWORD button;
  } cases[] = {{csDropDown, true, true, 0}, {csDropDownList, false, true, 0}, {csSimple, true, false, STATE_SYSTEM_INVISIBLE}};
  for (const Case& c : cases) {
    Make(c.style, c.style == csSimple ? 120 : 21);
    const COMBOBOXINFO i = Info();
    EXPECT_EQ(i.hwndCombo, H());
    EXPECT_EQ(i.hwndItem != H(), c.edit) << c.style;
    EXPECT_EQ((GetWindowLongPtrW(i.hwndList, GWL_STYLE) & WS_POPUP) != 0, c.popup) << c.style;
    EXPECT_EQ(i.stateButton, c.button) << c.style;
    char16_t cls[32] = {};
    GetClassNameW(i.hwndList, cls, 32);
    EXPECT_EQ(std::u16string(cls), u"ComboLBox");
    if (c.style != csSimple) {
      const int b = GetSystemMetrics(SM_CXVSCROLL);
      EXPECT_EQ(i.rcButton.right, 150 - 2);
      EXPECT_EQ(i.rcButton.right - i.rcButton.left, b);
      // The edit of an editable combo is its first child.
      if (c.edit) { EXPECT_EQ(GetWindow(H(), GW_CHILD), i.hwndItem); }
    }
  }
  COMBOBOXINFO none{};
  none.cbSize = sizeof none;
  EXPECT_FALSE(GetComboBoxInfo(form->Handle(), &none));
}

TEST_F(ComboBoxTest, AClickDropsTheListAndAClickOnARowTakesIt) {
  Make(csDropDownList);
  int selects = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  ClickOn(combo);
  const COMBOBOXINFO i = Info();
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_TRUE(IsWindowVisible(i.hwndList));
  RECT cr{}, lr{};
  GetWindowRect(H(), &cr);
  GetWindowRect(i.hwndList, &lr);
  EXPECT_EQ(lr.top, cr.bottom);
  EXPECT_EQ(lr.left, cr.left);
  EXPECT_EQ(i.stateButton, STATE_SYSTEM_PRESSED);
  ClickRow(2);
  EXPECT_EQ(seen, (Codes{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->Text(), "cherry");
  EXPECT_EQ(selects, 1);
  EXPECT_FALSE(IsWindowVisible(i.hwndList));
  EXPECT_EQ(GetCapture(), nullptr);
  // A click outside the list closes it and keeps the selection.
  seen.clear();
  ClickOn(combo);
  screen->Click(390, 340);
  Pump();
  EXPECT_EQ(seen, (Codes{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_FALSE(combo->DroppedDown());
}

// A right-to-left combo (here on a right-to-left form, through ParentBiDiMode) lays its parts out
// from the left: the drop button at the left end, the field or edit beside it, and its list's
// scroll bar at the list's left. A click on the left button drops the list; one on an editable
// combo's edit does not.
TEST_F(ComboBoxTest, ARightToLeftCombosPartsStandFromTheLeft) {
  const int b = GetSystemMetrics(SM_CXVSCROLL);
  for (const TComboBoxStyle style : {csDropDown, csDropDownList}) {
    SCOPED_TRACE(style);
    NewPlainForm();
    form->SetBiDiMode(bdRightToLeft);
    combo = AddControl<TComboBox>(form.get(), "Combo", 20, 20, 150, 21);
    combo->SetStyle(style);
    for (int i = 0; i < 12; ++i) combo->Items()->Add("item " + std::to_string(i));
    form->Show();
    Pump();
    EXPECT_TRUE(GetWindowLongPtrW(H(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
    const COMBOBOXINFO i = Info();
    EXPECT_EQ(i.rcButton, (RECT{2, 2, 2 + b, 19}));
    EXPECT_EQ(i.rcItem, (RECT{2 + b, 2, 148, 19}));
    if (style == csDropDown) {
      RECT e{};
      GetWindowRect(i.hwndItem, &e);
      MapWindowPoints(nullptr, H(), reinterpret_cast<POINT*>(&e), 2);
      EXPECT_GE(e.left, i.rcButton.right);
      EXPECT_LE(e.right, 148);
      EXPECT_GT(e.right - e.left, 150 - b - 8);
      ClickAt(combo, 100, 10);
      EXPECT_FALSE(combo->DroppedDown()) << "a click on the edit";
      ClickAt(combo, 140, 10);
      EXPECT_FALSE(combo->DroppedDown()) << "where a left-to-right combo's button stands";
    }
    ClickAt(combo, 2 + b / 2, 10);
    ASSERT_TRUE(combo->DroppedDown());
    EXPECT_TRUE(IsWindowVisible(i.hwndList));
    RECT lr{};
    GetWindowRect(i.hwndList, &lr);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(i.hwndList, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.rcScrollBar.left, lr.left + GetSystemMetrics(SM_CXBORDER)) << "the list's bar at its left";
    ClickRow(3);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->Text(), "item 3");
  }
}

// A dropped list as long as its rows has no scroll bar and its rows take the whole width; one
// of more rows than it shows has the bar.
TEST_F(ComboBoxTest, OnlyADroppedListOfMoreRowsThanItShowsHasAScrollBar) {
  Make(csDropDownList);
  HWND list = Info().hwndList;
  auto dropped = [&] {
    combo->SetDroppedDown(true);
    Pump();
    EXPECT_TRUE(IsWindowVisible(list));
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    EXPECT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &bar));
    RECT w{}, c{};
    GetWindowRect(list, &w);
    GetClientRect(list, &c);
    combo->SetDroppedDown(false);
    Pump();
    return std::pair<bool, int>{!(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE), (w.right - w.left) - c.right};
  };
  const int border = 2 * GetSystemMetrics(SM_CXBORDER), sb = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(dropped(), (std::pair<bool, int>{false, border})) << "five rows";
  for (int i = 0; i < 10; ++i) combo->Items()->Add("more " + std::to_string(i));
  EXPECT_EQ(dropped(), (std::pair<bool, int>{true, border + sb})) << "fifteen rows";
  combo->Items()->Clear();
  for (const char* s : {"one", "two"}) combo->Items()->Add(s);
  EXPECT_EQ(dropped(), (std::pair<bool, int>{false, border})) << "two rows";
}

TEST_F(ComboBoxTest, PressDragAndReleaseOnARowTakesIt) {
  Make(csDropDownList);
  const TPoint c = combo->ClientToScreen(TPoint{75, 10});
  screen->MoveMouse(c.x, c.y);
  screen->PressButton(display::MouseButton::Left);
  Pump();
  HWND list = Info().hwndList;
  ASSERT_TRUE(IsWindowVisible(list));
  const auto ih = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  POINT p{10, 3 * ih + ih / 2};
  ClientToScreen(list, &p);
  screen->MoveMouse(p.x, p.y);
  Pump();
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 3);  // highlighted while held
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ComboBoxTest, KeysMoveTheSelectionAndOpenAndCloseTheList) {
  Make(csDropDownList);
  combo->SetFocus();
  Pump();
  seen.clear();
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 1);
  Key(VK_END);
  EXPECT_EQ(combo->ItemIndex(), 4);
  Key('C', U'c');  // the next item from the selection on that begins with "c"
  EXPECT_EQ(combo->Text(), "cherry");
  EXPECT_EQ(seen, (Codes{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE}));
  // Open, move, and give up: the selection comes back.
  seen.clear();
  Key(VK_F4);
  Key(VK_DOWN);
  EXPECT_EQ(combo->Text(), "banana");
  Key(VK_ESCAPE);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(seen, (Codes{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  // Open, move, and take it.
  seen.clear();
  Key(VK_F4);
  Key(VK_UP);
  Key(VK_RETURN);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(seen, (Codes{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(ComboBoxTest, AnEditableComboTakesTypingAndArrows) {
  Make(csDropDown);
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  ClickAt(combo, 20, 10);
  EXPECT_FALSE(combo->DroppedDown());  // the edit part does not drop the list
  Type("ki");
  EXPECT_EQ(combo->Text(), "ki");
  EXPECT_EQ(changes, 2);
  Key(VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), "pear");
  EXPECT_EQ(seen, (Codes{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_SELCHANGE}));
  // Its button drops the list.
  const COMBOBOXINFO i = Info();
  ClickAt(combo, (i.rcButton.left + i.rcButton.right) / 2, 10);
  EXPECT_TRUE(combo->DroppedDown());
}

TEST_F(ComboBoxTest, ASimpleCombosListSelectsIntoTheEdit) {
  Make(csSimple, 120);
  const COMBOBOXINFO i = Info();
  EXPECT_TRUE(IsWindowVisible(i.hwndList));
  const auto ih = static_cast<int>(SendMessageW(i.hwndList, LB_GETITEMHEIGHT, 0, 0));
  POINT p{10, ih * 3 + ih / 2};
  ClientToScreen(i.hwndList, &p);
  screen->Click(p.x, p.y);
  Pump();
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_EQ(combo->Text(), "banana");
  EXPECT_NE(std::find(seen.begin(), seen.end(), CBN_SELCHANGE), seen.end());
}

TEST_F(ComboBoxTest, TheDroppedListScrollsWithItsOwnBar) {
  Make(csDropDownList);
  for (int k = 0; k < 20; ++k) combo->Items()->Add("more " + std::to_string(k));
  Pump();
  ClickOn(combo);
  HWND list = Info().hwndList;
  ASSERT_TRUE(IsWindowVisible(list));
  SCROLLBARINFO sb{};
  sb.cbSize = sizeof sb;
  ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &sb));
  screen->Click((sb.rcScrollBar.left + sb.rcScrollBar.right) / 2, sb.rcScrollBar.bottom - 3);
  Pump();
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 1);
  EXPECT_TRUE(combo->DroppedDown());  // still open after scrolling
  ClickRow(8);
  EXPECT_EQ(combo->ItemIndex(), 8);
}

}  // namespace
