// Right to left: a form's BiDiMode gives its window the right-to-left extended styles, its main
// menu follows it (items in right order, the bar laid out from its right end) and a right-to-left
// popup menu opens right-aligned at the point, with its items mirrored and its submenus
// cascading to the left. Controls that take their parent's mode (ParentBiDiMode) get the same
// styles, down through containers, and follow the parent when it changes.
#include <gtest/gtest.h>

#include "platform/forms/combo_box.h"
#include "platform/forms/filer.h"
#include "platform/forms/form.h"
#include "platform/forms/list_box.h"
#include "platform/forms/menus.h"
#include "platform/forms/page_control.h"
#include "platform/user/scroll.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

const char* const kForm = R"(object RtlForm: TForm
  Left = 60
  Top = 50
  BiDiMode = bdRightToLeft
  Caption = 'Right'
  ClientHeight = 150
  ClientWidth = 360
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object One1: TMenuItem
      Caption = '&One'
      object Inner1: TMenuItem
        Caption = '&Inner'
      end
    end
    object Two1: TMenuItem
      Caption = '&Two'
    end
  end
end
)";

const char* const kControlsForm = R"(object BidiForm: TForm
  Left = 60
  Top = 50
  BiDiMode = bdRightToLeft
  Caption = 'Controls'
  ClientHeight = 260
  ClientWidth = 420
  object Pick: TComboBox
    Left = 10
    Top = 10
    Width = 150
    Height = 21
  end
  object Own: TEdit
    Left = 10
    Top = 40
    Width = 150
    Height = 21
    BiDiMode = bdRightToLeftReadingOnly
  end
  object Plain: TEdit
    Left = 10
    Top = 70
    Width = 150
    Height = 21
    ParentBiDiMode = False
  end
  object List: TListBox
    Left = 10
    Top = 100
    Width = 150
    Height = 120
  end
  object Pages: TPageControl
    Left = 180
    Top = 10
    Width = 220
    Height = 200
    object Sheet: TTabSheet
      Caption = 'One'
      object Inner: TComboBox
        Left = 10
        Top = 10
        Width = 150
        Height = 21
      end
    end
  end
end
)";

class RightToLeft : public OwnFormTest {};

constexpr LONG_PTR kBiDiStyles = WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;

LONG_PTR BiDiStylesOf(TWinControl* c) { return GetWindowLongPtrW(c->Handle(), GWL_EXSTYLE) & kBiDiStyles; }

// The first menu window of the loop and what the hook saw of it.
struct Seen {
  HWND first = nullptr;
  RECT firstRect{}, secondRect{};
  int inkLeft = 0, inkRight = 0;
};
Seen* seen = nullptr;
display::HeadlessDisplay* shown = nullptr;

LRESULT CALLBACK_Look(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_MENU && seen) {
    HWND newest = FindWindowExW(nullptr, nullptr, u"#32768", nullptr);  // the topmost
    if (!seen->first && newest) {
      seen->first = newest;
      GetWindowRect(newest, &seen->firstRect);
      FlushWindowPixels(newest);
      // The second item's row (the first opens a submenu): its text's ink in the left and the
      // right third.
      const RECT& r = seen->firstRect;
      const int rowTop = r.top + GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CYMENU) - 2;
      const int third = (r.right - r.left) / 3;
      const std::uint32_t text = (GetSysColor(COLOR_MENUTEXT) & 0xFF) << 16 | (GetSysColor(COLOR_MENUTEXT) & 0xFF00) |
                                 (GetSysColor(COLOR_MENUTEXT) >> 16 & 0xFF);
      for (int y = rowTop; y < rowTop + GetSystemMetrics(SM_CYMENU) - 2; ++y) {
        for (int x = r.left; x < r.left + third; ++x) seen->inkLeft += shown->ScreenPixel(x, y) == text;
        for (int x = r.right - third; x < r.right; ++x) seen->inkRight += shown->ScreenPixel(x, y) == text;
      }
    } else if (newest && newest != seen->first && seen->secondRect.right == 0) {
      GetWindowRect(newest, &seen->secondRect);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(RightToLeft, AFormAndItsMainMenuReadRightToLeft) {
  ShowDescribed(kForm);
  const LONG_PTR ex = GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE);
  EXPECT_EQ(ex & (WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT),
            LONG_PTR(WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT));
  auto* menu = dynamic_cast<TMainMenu*>(form->Menu());
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->IsRightToLeft()) << "it follows its form";
  HMENU bar = GetMenu(form->Handle());
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(bar, 0, TRUE, &info));
  EXPECT_EQ(info.fType & (MFT_RIGHTORDER | MFT_RIGHTJUSTIFY), MFT_RIGHTORDER | MFT_RIGHTJUSTIFY);
  ASSERT_TRUE(GetMenuItemInfoW(GetSubMenu(bar, 0), 0, TRUE, &info));
  EXPECT_EQ(info.fType & MFT_RIGHTORDER, MFT_RIGHTORDER);
  // The bar's first item stands at its right end, the second left of it.
  Pump();
  RECT one{}, two{}, wr{};
  ASSERT_TRUE(GetMenuItemRect(form->Handle(), bar, 0, &one));
  ASSERT_TRUE(GetMenuItemRect(form->Handle(), bar, 1, &two));
  GetWindowRect(form->Handle(), &wr);
  EXPECT_EQ(one.right, wr.right - GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(two.right, one.left);
  // Its menu opens under the item's right edge, aligned to it.
  Seen look;
  seen = &look;
  shown = screen;
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, CALLBACK_Look, nullptr, GetCurrentThreadId());
  screen->Click((one.left + one.right) / 2, (one.top + one.bottom) / 2);
  screen->TypeKey(VK_ESCAPE);
  Pump();
  UnhookWindowsHookEx(hook);
  seen = nullptr;
  EXPECT_EQ(look.firstRect.right, one.right);
  EXPECT_EQ(look.firstRect.top, one.bottom);
  // Menus of the class library with the parent's mode switched off read left to right.
  menu->SetBiDiMode(bdLeftToRight);
  EXPECT_FALSE(menu->IsRightToLeft());
  ASSERT_TRUE(GetMenuItemInfoW(GetMenu(form->Handle()), 0, TRUE, &info));
  EXPECT_EQ(info.fType & MFT_RIGHTORDER, 0u);
}

TEST_F(RightToLeft, APopupMenuOpensRightAlignedMirroredAndCascadesLeft) {
  NewPlainForm();
  form->Show();
  Pump();
  auto* popup = CreateComponent<TPopupMenu>(form.get());
  popup->SetBiDiMode(bdRightToLeft);
  auto* first = CreateComponent<TMenuItem>(popup);
  first->SetCaption("&First item, of a long caption");
  popup->Items()->Add(first);
  auto* inner = CreateComponent<TMenuItem>(popup);
  inner->SetCaption("&Inner");
  first->Add(inner);
  auto* second = CreateComponent<TMenuItem>(popup);
  second->SetCaption("&Two");
  popup->Items()->Add(second);
  Seen look;
  seen = &look;
  shown = screen;
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, CALLBACK_Look, nullptr, GetCurrentThreadId());
  screen->TypeKey(VK_DOWN);
  screen->TypeKey(VK_RIGHT);
  screen->TypeKey(VK_DOWN);
  screen->TypeKey(VK_ESCAPE);
  screen->TypeKey(VK_ESCAPE);
  popup->Popup(400, 200);
  UnhookWindowsHookEx(hook);
  seen = nullptr;
  EXPECT_EQ(look.firstRect.right, 400) << "right-aligned at the point";
  EXPECT_EQ(look.firstRect.top, 200);
  EXPECT_EQ(look.inkLeft, 0) << "no text at the item's left";
  EXPECT_GT(look.inkRight, 5) << "its text at the right";
  EXPECT_GT(look.secondRect.right, 0) << "the submenu opened";
  EXPECT_LE(look.secondRect.right, look.firstRect.left + GetSystemMetrics(SM_CXDLGFRAME)) << "to the left";
}

// A control whose ParentBiDiMode is true (the default) takes its parent's BiDiMode, down through
// containers, and its window gets the mode's styles: the combo's button and the list's scroll bar
// stand at the left. A control with a mode of its own, or with ParentBiDiMode false, keeps its
// own. When the parent's mode changes, the controls that follow it change with it, windows and
// all; setting ParentBiDiMode again takes the parent's mode back.
TEST_F(RightToLeft, ControlsTakeTheirParentsModeAndFollowIt) {
  ShowDescribed(kControlsForm);
  Pump();
  auto* pick = dynamic_cast<TComboBox*>(form->FindComponent("Pick"));
  auto* own = dynamic_cast<TWinControl*>(form->FindComponent("Own"));
  auto* plain = dynamic_cast<TWinControl*>(form->FindComponent("Plain"));
  auto* list = dynamic_cast<TListBox*>(form->FindComponent("List"));
  auto* inner = dynamic_cast<TComboBox*>(form->FindComponent("Inner"));
  ASSERT_TRUE(pick && own && plain && list && inner);
  for (int i = 0; i < 40; ++i) list->Items()->Add("row " + std::to_string(i));  // rows enough for a bar
  int told = 0;
  const TWndMethod old = inner->WindowProc;
  inner->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_PARENTBIDIMODECHANGED) ++told;
    old(m);
  };
  const auto buttonLeft = [](TComboBox* c) {
    COMBOBOXINFO i{};
    i.cbSize = sizeof i;
    GetComboBoxInfo(c->Handle(), &i);
    return i.rcButton.left;
  };
  const auto barAtLeft = [list] {
    SCROLLBARINFO b{};
    b.cbSize = sizeof b;
    GetScrollBarInfo(list->Handle(), OBJID_VSCROLL, &b);
    RECT w{};
    GetWindowRect(list->Handle(), &w);
    return b.rcScrollBar.left - w.left < (w.right - w.left) / 2;
  };
  struct Expect {
    TControl* control;
    bool parentMode;
    TBiDiMode mode;
    LONG_PTR styles;
  };
  const auto check = [&](const std::vector<Expect>& all, const char* phase) {
    for (const Expect& e : all) {
      SCOPED_TRACE(phase + std::string(" ") + e.control->Name());
      EXPECT_EQ(e.control->ParentBiDiMode(), e.parentMode);
      EXPECT_EQ(e.control->BiDiMode(), e.mode);
      EXPECT_EQ(BiDiStylesOf(dynamic_cast<TWinControl*>(e.control)), e.styles);
    }
  };
  check({{pick, true, bdRightToLeft, kBiDiStyles},
         {own, false, bdRightToLeftReadingOnly, WS_EX_RTLREADING},
         {plain, false, bdLeftToRight, 0},
         {list, true, bdRightToLeft, kBiDiStyles},
         {inner, true, bdRightToLeft, kBiDiStyles}},
        "read");
  EXPECT_EQ(buttonLeft(pick), 2);
  EXPECT_EQ(buttonLeft(inner), 2);
  EXPECT_TRUE(barAtLeft());
  // Written out, a control stores only a mode of its own: a followed mode is its parent's to say.
  const auto written = [](TComponent* c) {
    const std::string text = ComponentToText(c);
    std::string lines;
    for (const char* key : {"  BiDiMode = ", "  ParentBiDiMode = "}) {
      const size_t at = text.find(key);
      if (at != std::string::npos) lines += text.substr(at + 2, text.find('\n', at) - at - 1);
    }
    return lines;
  };
  EXPECT_EQ(written(pick), "");
  EXPECT_EQ(written(inner), "");
  EXPECT_EQ(written(own), "BiDiMode = bdRightToLeftReadingOnly\nParentBiDiMode = False\n");
  EXPECT_EQ(written(plain), "ParentBiDiMode = False\n");

  form->SetBiDiMode(bdLeftToRight);
  Pump();
  check({{pick, true, bdLeftToRight, 0},
         {own, false, bdRightToLeftReadingOnly, WS_EX_RTLREADING},
         {plain, false, bdLeftToRight, 0},
         {list, true, bdLeftToRight, 0},
         {inner, true, bdLeftToRight, 0}},
        "turned");
  EXPECT_GE(told, 1) << "the page's combo was told through its sheet";
  EXPECT_EQ(buttonLeft(pick), 150 - 2 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_FALSE(barAtLeft());

  form->SetBiDiMode(bdRightToLeftNoAlign);
  own->SetParentBiDiMode(true);
  plain->SetBiDiMode(bdRightToLeft);
  Pump();
  check({{pick, true, bdRightToLeftNoAlign, WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR},
         {own, true, bdRightToLeftNoAlign, WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR},
         {plain, false, bdRightToLeft, kBiDiStyles},
         {inner, true, bdRightToLeftNoAlign, WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR}},
        "again");
  EXPECT_EQ(buttonLeft(inner), 2);
  EXPECT_TRUE(barAtLeft());
  inner->WindowProc = old;
}

}  // namespace
}  // namespace formstest
