// A form with a menu bar wearing the flat test skin on an X server of the test's own: the bar
// drawn from the skin, a click with XTest (xdotool) opening its first menu skinned, the right
// arrow moving to the next bar menu and Enter choosing an item; screenshots taken while the
// menus are open, probed pixel by pixel.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/display/display.h"
#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/forms/standard_classes.h"
#include "platform/forms/timer.h"
#include "platform/user/message_loop.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using namespace flatskin;
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

void Pump() {
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

uint32_t Rrggbb(TColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

class SkinnedMenuBarX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server.available()) GTEST_SKIP() << "needs Xvfb";
    if (!testsupport::HaveTool("xdotool")) GTEST_SKIP() << "needs xdotool";
    if (!testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "needs python3 for the skin packer";
    RecreateApplication();
    auto x11 = display::OpenX11Display();
    if (!x11) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(UseDisplay(std::move(x11)));
    Application->Initialize();
    Application->SetTitle("Velmora");
    RegisterStandardClasses();
    RegisterSkinClasses();
    UseSkinManage();
    sd = skintest::LoadedSkinData(FlatSkin());
    ASSERT_TRUE(sd->Ready());
    sd->SetActive(true);
    sd->Loaded();
    form = new TForm(Application);
    form->SetDescription(kForm);
    form->AfterConstruction();
    for (const char* name : {"Open1", "Exit1", "About1"})
      dynamic_cast<TMenuItem*>(form->FindComponent(name))->OnClick = [this, name](TObject*) {
        clicks.push_back(name);
      };
    form->Show();
    ServeFor(600, Pump);
    wrapper = SkinManage()->FindForm(form->Handle());
    ASSERT_NE(wrapper, nullptr);
    ASSERT_NE(wrapper->MenuBar, nullptr);
  }
  void TearDown() override {
    timer.reset();
    if (form) form->Free();
    form = nullptr;
    Pump();
    sd.reset();
    FreeSkinManager();
    SetSkinManagerFactory(nullptr);
    UseHeadlessDisplay();
    RecreateApplication();
  }
  // Steps run by a timer inside the menu loop, each with a screenshot of the open menu; what a
  // step answers, xdotool does.
  using Step = std::function<std::string(const displaytest::Screenshot&)>;
  void WhileMenusOpen(std::vector<Step> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    timer.reset(CreateComponent<TTimer>(nullptr));
    timer->SetInterval(700);
    timer->SetOnTimer([this](TObject*) {
      if (next_ >= steps_.size()) {
        timer->SetEnabled(false);
        return;
      }
      auto shot = displaytest::TakeScreenshot();
      std::string action = "key Escape";
      if (shot) action = steps_[next_](*shot);
      ++next_;
      RunWhileServing("xdotool " + action, [] {}, 20000);
    });
    timer->SetEnabled(true);
  }
  HWND OpenMenu() {
    const auto& popups = SkinManage()->Popups();
    return popups.empty() ? nullptr : popups.back()->Window;
  }
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

  displaytest::PrivateXServer server;
  skintest::SkinDataPtr sd;
  TForm* form = nullptr;
  TWinSkinForm* wrapper = nullptr;
  std::vector<std::string> clicks;
  TComponentPtr<TTimer> timer;
  std::vector<Step> steps_;
  size_t next_ = 0;
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
        fileMenu = OpenMenu();
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
        helpMenu = OpenMenu();
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
  EXPECT_EQ(next_, 2u);
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
