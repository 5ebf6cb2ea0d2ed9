// Date pickers worn with the flat test skin: the framed picker, the arrow button over its
// drop-down button with the combo arrow picture's normal and hot frames, and a press on the
// arrow opening the picker's drop-down.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/date_time_picker.h"
#include "platform/forms/win/common_controls.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/controls/skin_date_time.h"
#include "tests/skin/skinned_form_fixture.h"

using namespace flatskin;

namespace {

const char* const kPickerForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object Picker: TDateTimePicker\n    Left = 20\n    Top = 20\n    Width = 160\n    Height = 24\n  end\n"
    "end\n";

// The same picker on a right-to-left form: the picker takes the form's mode.
const char* const kRightToLeftPickerForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  BiDiMode = bdRightToLeft\n  ClientHeight = 300\n"
    "  ClientWidth = 400\n"
    "  object Picker: TDateTimePicker\n    Left = 20\n    Top = 20\n    Width = 160\n    Height = 24\n  end\n"
    "end\n";

constexpr TColor kArrow[4] = {skintest::Rgb(0xB1, 0x01, 0x01), skintest::Rgb(0xB2, 0x02, 0x02),
                              skintest::Rgb(0xB3, 0x03, 0x03), skintest::Rgb(0xB4, 0x04, 0x04)};

class SkinnedDateTime : public skintest::SkinnedForm {
 protected:
  void SetUp() override {
    SkinnedForm::SetUp();
    sd->Skin3rd()->Add("TDateTimePicker=datetimepicker");
    // The combo arrow picture: four flat frames.
    TBitmap& arrow = sd->ComboxArrow->Bitmap;
    arrow.SetPixelFormat(pf24bit);
    arrow.SetSize(4 * 10, 10);
    for (int f = 0; f < 4; ++f) {
      arrow.Canvas().Brush().SetColor(kArrow[f]);
      arrow.Canvas().FillRect(RECT{f * 10, 0, f * 10 + 10, 10});
    }
    sd->ComboxArrow->Frame = 4;
  }
};

TEST_F(SkinnedDateTime, TheArrowButtonStandsOverTheDropDownButton) {
  Show(kPickerForm);
  auto* picker = Find<TDateTimePicker>("Picker");
  ASSERT_NE(picker, nullptr);
  auto* skin = dynamic_cast<TSkinDateTime*>(Wrapper()->FindSkinner(picker));
  ASSERT_NE(skin, nullptr);
  ASSERT_NE(skin->ArrowButton, nullptr);
  HWND arrow = skin->ArrowButton->Handle, host = picker->Handle();
  EXPECT_EQ(GetParent(arrow), host);
  EXPECT_TRUE(GetWindowLongPtrW(host, GWL_STYLE) & WS_CLIPCHILDREN);
  const int size = GetSystemMetrics(SM_CXHSCROLL);
  RECT a{}, h{};
  GetWindowRect(arrow, &a);
  GetWindowRect(host, &h);
  EXPECT_EQ(a.right - a.left, size);
  EXPECT_EQ(a.bottom - a.top, size + 1);
  // In the client area (inside the 2-pixel edge), 4 pixels short of the window's width.
  EXPECT_EQ(a.left - (h.left + 2), 160 - size - 4);
  // The picker's frame and ring; the arrow's normal, then hot frame.
  EXPECT_EQ(AtWindow(host, 0, 10), kShadow);
  EXPECT_EQ(AtWindow(host, 1, 10), skintest::Rgb(255, 255, 255));
  EXPECT_EQ(AtWindow(arrow, size / 2, size / 2), kArrow[0]);
  MoveTo(arrow, size / 2, size / 2);
  EXPECT_EQ(AtWindow(arrow, size / 2, size / 2), kArrow[3]);
  MoveTo(host, 10, 10);
  EXPECT_EQ(AtWindow(arrow, size / 2, size / 2), kArrow[0]);
  const struct {
    int width;
    DWORD ex;
    int left;
  } places[] = {{100, 0, 100 - size - 4}, {100, WS_EX_LEFTSCROLLBAR, 2}, {40, 0, 40 - size - 4}};
  for (const auto& p : places) EXPECT_EQ(TArrowButton::Place(p.width, p.ex).left, p.left);
}

TEST_F(SkinnedDateTime, APressOnTheArrowOpensThePickersDropDown) {
  Show(kPickerForm);
  auto* picker = Find<TDateTimePicker>("Picker");
  auto* skin = dynamic_cast<TSkinDateTime*>(Wrapper()->FindSkinner(picker));
  ASSERT_NE(skin, nullptr);
  std::vector<UINT> codes;
  TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_NOTIFY) codes.push_back(reinterpret_cast<const NMHDR*>(m.LParam)->code);
    old(m);
  };
  const int size = GetSystemMetrics(SM_CXHSCROLL);
  SetFocus(form->Handle());
  ClickWindow(skin->ArrowButton->Handle, size / 2, size / 2);
  EXPECT_EQ(codes, std::vector<UINT>{DTN_DROPDOWN});
  EXPECT_EQ(GetFocus(), picker->Handle());
  ClickWindow(skin->ArrowButton->Handle, size / 2, size / 2);
  EXPECT_EQ(codes, (std::vector<UINT>{DTN_DROPDOWN, DTN_CLOSEUP}));
  form->WindowProc = old;
  // The arrow goes with the picker.
  picker->Free();
  Pump();
  Wrapper()->PurgeSkinners();
}

// On a right-to-left form the arrow stands at the picker's left end, over the picker's own
// drop-down button there, and a press on it opens the drop-down.
TEST_F(SkinnedDateTime, OnARightToLeftFormTheArrowAtTheLeftOpensTheDropDown) {
  Show(kRightToLeftPickerForm);
  auto* picker = Find<TDateTimePicker>("Picker");
  auto* skin = dynamic_cast<TSkinDateTime*>(Wrapper()->FindSkinner(picker));
  ASSERT_NE(skin, nullptr);
  ASSERT_NE(skin->ArrowButton, nullptr);
  HWND arrow = skin->ArrowButton->Handle, host = picker->Handle();
  ASSERT_TRUE(GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR);
  const int size = GetSystemMetrics(SM_CXHSCROLL);
  RECT a{}, drop = DateTimeDropRect(host);
  GetWindowRect(arrow, &a);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&a), 2);
  EXPECT_EQ(a.left, 2);
  const POINT centre{(a.left + a.right) / 2, (a.top + a.bottom) / 2};
  EXPECT_TRUE(PtInRect(drop, centre)) << "the picker's own button lies under the arrow";
  std::vector<UINT> codes;
  TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_NOTIFY) codes.push_back(reinterpret_cast<const NMHDR*>(m.LParam)->code);
    old(m);
  };
  SetFocus(form->Handle());
  ClickWindow(arrow, size / 2, size / 2);
  EXPECT_EQ(codes, std::vector<UINT>{DTN_DROPDOWN});
  EXPECT_EQ(GetFocus(), host);
  form->WindowProc = old;
}

}  // namespace
