// A right-to-left form wearing the program's own skin on an X server of the test's own: its
// menu bar laid out from the right end, its menus opened right-aligned under the button's right
// edge with their items mirrored, the arrow keys moving the other way, and its caption's text
// at the right; screenshots probed pixel by pixel.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/forms/timer.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/skinned_menu_fixture.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/screen_test_support.h"

using displaytest::RunWhileServing;
using displaytest::ServeFor;

namespace {

const char* const kForm = R"(object RtlForm: TForm
  Left = 120
  Top = 90
  BiDiMode = bdRightToLeft
  Caption = 'Orders'
  ClientHeight = 220
  ClientWidth = 480
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object One1: TMenuItem
      Caption = '&One'
      object Alpha1: TMenuItem
        Caption = '&Alpha'
      end
      object Beta1: TMenuItem
        Caption = '&Beta'
      end
    end
    object Two1: TMenuItem
      Caption = '&Two'
      object Gamma1: TMenuItem
        Caption = '&Gamma'
      end
    end
    object Three1: TMenuItem
      Caption = 'T&hree'
      object Delta1: TMenuItem
        Caption = '&Delta'
      end
    end
  end
end
)";

// Dark enough to be text on the skin's light faces and items.
bool Ink(uint32_t rgb) { return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF) < 3 * 110; }

class SkinnedRtlX11 : public skintest::X11Application {
 protected:
  void SetUp() override {
    StartOnX();
    if (IsSkipped() || HasFatalFailure()) return;
    UseSkinManage();
    sd = skintest::LoadedSkinData(skintest::ShippedSkin());
    ASSERT_TRUE(sd->Ready());
    sd->SetActive(true);
    sd->Loaded();
    form = new TForm(Application);
    form->SetDescription(kForm);
    form->AfterConstruction();
    form->Show();
    ServeFor(600, Pump);
    wrapper = SkinManage()->FindForm(form->Handle());
    ASSERT_NE(wrapper, nullptr);
    ASSERT_NE(wrapper->MenuBar, nullptr);
    ASSERT_EQ(wrapper->MenuBar->Buttons.size(), 3u);
  }
  void TearDown() override {
    steps_.Stop();
    if (form) form->Free();
    form = nullptr;
    Pump();
    sd.reset();
    X11Application::TearDown();
  }
  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    return r;
  }
  // Dark pixels of a rectangle of the form's window (window coordinates).
  int InkIn(const displaytest::Screenshot& shot, const RECT& r) const {
    const RECT wr = WindowRect();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += Ink(shot.At(wr.left + x, wr.top + y));
    return n;
  }
  void WhileMenusOpen(std::vector<skintest::MenuLoopSteps::Step> steps) { steps_.Start(std::move(steps)); }

  skintest::SkinDataPtr sd;
  TForm* form = nullptr;
  TWinSkinForm* wrapper = nullptr;
  skintest::MenuLoopSteps steps_;
};

TEST_F(SkinnedRtlX11, TheBarRunsFromTheRightAndItsMenusOpenRightAligned) {
  ASSERT_TRUE(wrapper->RightToLeft);
  ASSERT_TRUE(wrapper->MenuBar->RightToLeft());
  const auto& buttons = wrapper->MenuBar->Buttons;
  const RECT wr = WindowRect();
  const int width = wr.right - wr.left;
  // The first button ends where the bar's right end (no end width in this skin) and 8 pixels
  // leave it; the others follow leftwards.
  EXPECT_EQ(buttons[0]->Rect.right, width - wrapper->RightWidth - 8 - sd->MenuBar->RightWidth);
  EXPECT_EQ(buttons[1]->Rect.right, buttons[0]->Rect.left);
  EXPECT_EQ(buttons[2]->Rect.right, buttons[1]->Rect.left);
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  for (const auto& b : buttons) EXPECT_GT(InkIn(*shot, b->Rect), 10) << "a caption on each button";
  const RECT beyond{wrapper->LeftWidth + 2, buttons[2]->Rect.top, buttons[2]->Rect.left - 1, buttons[2]->Rect.bottom};
  EXPECT_EQ(InkIn(*shot, beyond), 0) << "nothing left of the last button";

  // The first menu opens under the first button's right edge; its items are mirrored: the
  // second one's text (the first is selected) at the right. Left moves on to the next button to
  // the left.
  RECT firstMenu{}, secondMenu{};
  int inkLeft = -1, inkRight = -1;
  WhileMenusOpen({
      [&](const displaytest::Screenshot& s) {
        HWND popup = skintest::NewestPopup();
        if (!popup) return std::string("key Escape");
        GetWindowRect(popup, &firstMenu);
        RECT item{};
        GetMenuItemRect(form->Handle(), buttons[0]->SubMenu, 1, &item);
        const int third = (item.right - item.left) / 3;
        inkLeft = inkRight = 0;
        for (int y = item.top; y < item.bottom; ++y) {
          for (int x = item.left; x < item.left + third; ++x) inkLeft += Ink(s.At(x, y));
          for (int x = item.right - third; x < item.right; ++x) inkRight += Ink(s.At(x, y));
        }
        return std::string("key Left");
      },
      [&](const displaytest::Screenshot&) {
        if (HWND popup = skintest::NewestPopup()) GetWindowRect(popup, &secondMenu);
        return std::string("key Escape");
      },
  });
  const POINT centre{wr.left + (buttons[0]->Rect.left + buttons[0]->Rect.right) / 2,
                     wr.top + (buttons[0]->Rect.top + buttons[0]->Rect.bottom) / 2};
  EXPECT_TRUE(RunWhileServing("xdotool mousemove " + std::to_string(centre.x) + " " + std::to_string(centre.y) +
                                  " click 1",
                              Pump, 30000)
                  .has_value());
  ServeFor(2500, Pump);
  EXPECT_EQ(steps_.Done(), 2u);
  EXPECT_EQ(firstMenu.right, wr.left + buttons[0]->Rect.right);
  EXPECT_EQ(firstMenu.top, wr.top + buttons[0]->Rect.bottom);
  EXPECT_EQ(inkLeft, 0) << "no text at the item's left";
  EXPECT_GT(inkRight, 5) << "the item's text at its right";
  EXPECT_EQ(secondMenu.right, wr.left + buttons[1]->Rect.right) << "Left opened the second button's menu";
  EXPECT_TRUE(SkinManage()->Popups().empty());
}

TEST_F(SkinnedRtlX11, TheCaptionsTextStandsAtTheRight) {
  const RECT wr = WindowRect();
  const int width = wr.right - wr.left;
  // Left of the buttons aligned to the right (the widest reserve is the minimise button's 76),
  // moved 10 to the right.
  const int reserve = 76;
  EXPECT_EQ(wrapper->CaptionTextRect.right, width - reserve + 10);
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  int first = width, last = -1;
  for (int y = 4; y < wrapper->CaptionHeight - 4; ++y)
    for (int x = wrapper->LeftWidth + 30; x < width - reserve; ++x)
      if (Ink(shot->At(wr.left + x, wr.top + y))) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  ASSERT_GE(last, 0) << "the caption's text is drawn";
  EXPECT_GT(first, width / 2) << "in the right half";
  EXPECT_LE(last, width - reserve + 10);
  EXPECT_GT(last, width - reserve + 10 - 25) << "ending at the text rectangle's right, less its two blanks";
}

}  // namespace
