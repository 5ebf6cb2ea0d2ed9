// A form with a menu bar wearing the flat test skin on an X server of the test's own: the bar
// drawn from the skin, a click with XTest (xdotool) opening its first menu skinned, the right
// arrow moving to the next bar menu and Enter choosing an item; screenshots taken while the
// menus are open, probed pixel by pixel.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/forms/timer.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_menu_fixture.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/screen_test_support.h"

using namespace flatskin;
using skintest::Rrggbb;
using displaytest::RunWhileServing;
using displaytest::ServeFor;

namespace {

const char* const kForm = R"(object BarForm: TForm
  Left = 80
  Top = 70
  Caption = 'Menus'
  ClientHeight = 160
  ClientWidth = 340
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open'
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Exit1: TMenuItem
        Caption = 'E&xit'
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
      object About1: TMenuItem
        Caption = '&About'
      end
    end
  end
end
)";

class SkinnedMenuBarX11 : public skintest::SkinnedX11Form {
 protected:
  void SetUp() override {
    ShowOnX(kForm, {}, [this](TForm* f) {
      for (const char* name : {"Open1", "Exit1", "About1"})
        dynamic_cast<TMenuItem*>(f->FindComponent(name))->OnClick = [this, name](TObject*) {
          clicks.push_back(name);
        };
    });
    if (IsSkipped() || HasFatalFailure()) return;
    wrapper = SkinManage()->FindForm(form->Handle());
    ASSERT_NE(wrapper, nullptr);
    ASSERT_NE(wrapper->MenuBar, nullptr);
  }
  void TearDown() override {
    steps_.Stop();
    SkinnedX11Form::TearDown();
  }
  void WhileMenusOpen(std::vector<skintest::MenuLoopSteps::Step> steps) { steps_.Start(std::move(steps)); }
  POINT OnScreen(HWND h, int x, int y, bool client) {
    POINT p{x, y};
    if (client) {
      ClientToScreen(h, &p);
    } else {
      RECT r{};
      GetWindowRect(h, &r);
      p = POINT{r.left + x, r.top + y};
    }
    return p;
  }

  TWinSkinForm* wrapper = nullptr;
  std::vector<std::string> clicks;
  skintest::MenuLoopSteps steps_;
};

TEST_F(SkinnedMenuBarX11, TheBarIsSkinnedAndOpensItsMenusSkinned) {
  TMenuBtn* file = wrapper->MenuBar->Buttons.at(0).get();
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot.has_value());
  const POINT barLeft = OnScreen(form->Handle(), kBorder + 1, kCaption + 3, false);
  EXPECT_EQ(shot->At(barLeft.x, barLeft.y), Rrggbb(kMenuBar[0]));
  bool text = false;
  for (int y = file->Rect.top; y < file->Rect.bottom && !text; ++y)
    for (int x = file->Rect.left; x < file->Rect.right && !text; ++x) {
      const POINT p = OnScreen(form->Handle(), x, y, false);
      text = shot->At(p.x, p.y) != Rrggbb(kMenuBar[0]);
    }
  EXPECT_TRUE(text) << "the caption of the first button";

  HWND fileMenu = nullptr, helpMenu = nullptr;
  uint32_t edge = 0, selected = 0, inside = 0, helpSelected = 0;
  WhileMenusOpen({
      [&](const displaytest::Screenshot& s) {
        fileMenu = skintest::NewestPopup();
        if (!fileMenu) return std::string("key Escape");
        RECT c{};
        GetClientRect(fileMenu, &c);
        POINT p = OnScreen(fileMenu, 1, 1, false);
        edge = s.At(p.x, p.y);
        p = OnScreen(fileMenu, c.right - 8, 4, true);
        selected = s.At(p.x, p.y);
        p = OnScreen(fileMenu, c.right - 8, c.bottom - 5, true);
        inside = s.At(p.x, p.y);
        return std::string("key Right");
      },
      [&](const displaytest::Screenshot& s) {
        helpMenu = skintest::NewestPopup();
        if (!helpMenu) return std::string("key Escape");
        RECT c{};
        GetClientRect(helpMenu, &c);
        const POINT p = OnScreen(helpMenu, c.right - 8, 4, true);
        helpSelected = s.At(p.x, p.y);
        return std::string("key Return");
      },
  });
  const POINT centre = OnScreen(form->Handle(), (file->Rect.left + file->Rect.right) / 2,
                                (file->Rect.top + file->Rect.bottom) / 2, false);
  EXPECT_TRUE(RunWhileServing("xdotool mousemove " + std::to_string(centre.x) + " " + std::to_string(centre.y) +
                                  " click 1",
                              Pump, 30000)
                  .has_value());
  ServeFor(2500, Pump);
  EXPECT_EQ(steps_.Done(), 2u);
  EXPECT_NE(fileMenu, nullptr);
  EXPECT_EQ(edge, Rrggbb(kMenuEdge));
  EXPECT_EQ(selected, Rrggbb(kItemSelected));
  EXPECT_EQ(inside, Rrggbb(kMenuInside));
  EXPECT_NE(helpMenu, nullptr);
  EXPECT_NE(helpMenu, fileMenu);
  EXPECT_EQ(helpSelected, Rrggbb(kItemSelected));
  EXPECT_EQ(clicks, (std::vector<std::string>{"About1"}));
  EXPECT_TRUE(SkinManage()->Popups().empty());
}

}  // namespace
