// A form with a menu bar wearing the flat test skin on the headless screen: the bar drawn by
// the wrapper in place of the window's, its buttons opening their menus with the mouse and by
// key, the menus' items drawn by the skin, moving between bar menus with the arrow keys, a
// changed menu building the bar again, the window's menu given back when the skin goes,
// nothing left behind when the window dies with a bar menu open, and a menu given to an MDI
// frame after it was skinned.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/system_metrics.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_menu_fixture.h"

using namespace flatskin;
using display::MouseButton;

namespace {

const char* const kForm = R"(object BarForm: TForm
  Left = 60
  Top = 50
  Caption = 'Bar'
  ClientHeight = 150
  ClientWidth = 320
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
    object Now1: TMenuItem
      Caption = '&Now'
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

class SkinnedMenuBar : public skintest::SkinnedMenuForm {
 protected:
  void SetUp() override {
    SkinnedMenuForm::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ShowForm(kForm, [this](TForm*) {
      for (const char* name : {"Open1", "Exit1", "Now1", "About1"})
        Item(name)->OnClick = [this, name](TObject*) { clicks.push_back(name); };
    });
    menu = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    ASSERT_NE(menu, nullptr);
    wrapper = SkinManage()->FindForm(form->Handle());
    ASSERT_NE(wrapper, nullptr);
    ASSERT_NE(wrapper->MenuBar, nullptr);
  }

  TMenuItem* Item(const char* name) { return dynamic_cast<TMenuItem*>(form->FindComponent(name)); }
  RECT WindowRect() {
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    return r;
  }
  TColor At(int x, int y) { return WindowAt(form->Handle(), x, y); }
  TMenuBtn* Button(int i) { return wrapper->MenuBar->Buttons[size_t(i)].get(); }
  POINT ButtonCentre(int i) {
    const RECT& b = Button(i)->Rect;
    return POINT{WindowRect().left + (b.left + b.right) / 2, WindowRect().top + (b.top + b.bottom) / 2};
  }
  int InkedIn(const RECT& r, TColor ink) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const TColor c = At(x, y);
        int d = 0;
        for (int s : {0, 8, 16}) d += std::abs(int((c >> s) & 0xFF) - int((ink >> s) & 0xFF));
        n += d < 120;
      }
    return n;
  }

  TMainMenu* menu = nullptr;
  TWinSkinForm* wrapper = nullptr;
  std::vector<std::string> clicks;
};

TEST_F(SkinnedMenuBar, TheBarIsDrawnFromTheSkinInsteadOfTheWindows) {
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  const int bar = GetSystemMetrics(SM_CYMENU);
  EXPECT_EQ(wrapper->MenuBarHeight, bar);
  EXPECT_EQ(form->ClientHeight(), 150);
  RECT wr = WindowRect();
  EXPECT_EQ(wr.bottom - wr.top, 150 + kCaption + bar + kBorder);
  ASSERT_EQ(wrapper->MenuBar->Buttons.size(), 3u);
  EXPECT_EQ(Button(0)->Caption, u"&File");
  EXPECT_EQ(Button(0)->SubMenu, Item("File1")->Handle());
  EXPECT_EQ(Button(1)->SubMenu, nullptr);
  // The bar's active frame, with the captions in MenuBarText from the element's left end + 4.
  EXPECT_EQ(At(kBorder + 1, kCaption + bar / 2), kMenuBar[0]);
  EXPECT_EQ(At(WindowRect().right - WindowRect().left - kBorder - 2, kCaption + 1), kMenuBar[0]);
  EXPECT_EQ(Button(0)->Rect.left, kBorder + 2 + 4);
  EXPECT_EQ(Button(1)->Rect.left, Button(0)->Rect.right);
  EXPECT_GT(InkedIn(Button(0)->Rect, kMenuBarText), 10);
  EXPECT_GT(InkedIn(Button(2)->Rect, kMenuBarText), 10);
  // Every paint of the bar measures its captions.
  const int measured = SkinManage()->MenuTexts.Measures();
  for (int i = 0; i < 3; ++i) wrapper->PaintFrame();
  EXPECT_EQ(SkinManage()->MenuTexts.Measures(), measured + 3 * 3);
  // A hit on the bar is a hit on the menu.
  const POINT file = ButtonCentre(0);
  EXPECT_EQ(SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(file.x, file.y)), HTMENU);
}

TEST_F(SkinnedMenuBar, AClickOpensTheMenuSkinnedAndTheArrowsMoveAlongTheBar) {
  HWND fileMenu = nullptr, helpMenu = nullptr;
  int kind = -1;
  bool fromBar = false;
  TColor selected = 0, exitItem = 0;
  Schedule({
      [&] {
        fileMenu = skintest::NewestPopup();
        ASSERT_NE(fileMenu, nullptr);
        kind = SkinManage()->MenuKind;
        fromBar = SkinManage()->Popups().back()->FromBar;
      },
      [&] {
        // The first item is selected as the menu opens; the rest wear the background.
        RECT c{};
        GetClientRect(fileMenu, &c);
        selected = ClientAt(fileMenu, c.right - 8, 4);
        exitItem = ClientAt(fileMenu, c.right - 8, c.bottom - 5);
        screen->TypeKey(VK_RIGHT);  // over "Now" (a command) to "Help"
      },
      [] {},
      [&] {
        helpMenu = skintest::NewestPopup();
        screen->TypeKey(VK_LEFT);  // back to "File", wrapping over nothing
      },
      [] {},
      [&] { screen->TypeKey(VK_ESCAPE); },
  });
  const POINT file = ButtonCentre(0);
  screen->Click(file.x, file.y);
  for (int i = 0; i < 5 && !AllStepsRan(); ++i) Pump();
  ASSERT_TRUE(AllStepsRan());
  EXPECT_EQ(kind, 1);
  EXPECT_TRUE(fromBar);
  EXPECT_EQ(selected, kItemSelected);
  EXPECT_EQ(exitItem, kMenuInside);
  EXPECT_NE(helpMenu, nullptr);
  EXPECT_NE(helpMenu, fileMenu);
  EXPECT_FALSE(IsWindow(helpMenu));
  EXPECT_TRUE(clicks.empty()) << "moving along the bar runs no command";
  EXPECT_TRUE(SkinManage()->Popups().empty());
  EXPECT_FALSE(wrapper->MenuTracking);
}

// With a bar menu open the mouse moves over "Now" (a command: passing over it neither runs it
// nor closes the open menu) onto "Help", whose menu takes the open one's place.
TEST_F(SkinnedMenuBar, TheMouseOnAnotherBarButtonOpensItsMenuAndPassesOverCommands) {
  HWND fileMenu = nullptr, overNow = nullptr, helpMenu = nullptr;
  Schedule({
      [&] {
        fileMenu = skintest::NewestPopup();
        const POINT now = ButtonCentre(1);
        screen->MoveMouse(now.x, now.y);
      },
      [] {},
      [&] {
        overNow = skintest::NewestPopup();
        const POINT help = ButtonCentre(2);
        screen->MoveMouse(help.x, help.y);
      },
      [] {},
      [&] {
        helpMenu = skintest::NewestPopup();
        screen->TypeKey(VK_ESCAPE);
      },
  });
  const POINT file = ButtonCentre(0);
  screen->Click(file.x, file.y);
  for (int i = 0; i < 5 && !AllStepsRan(); ++i) Pump();
  ASSERT_TRUE(AllStepsRan());
  ASSERT_NE(fileMenu, nullptr);
  EXPECT_EQ(overNow, fileMenu) << "the open menu stays over a command";
  EXPECT_NE(helpMenu, nullptr);
  EXPECT_NE(helpMenu, fileMenu);
  EXPECT_FALSE(IsWindow(fileMenu));
  EXPECT_FALSE(IsWindow(helpMenu));
  EXPECT_TRUE(clicks.empty()) << "passing over a command runs nothing";
  EXPECT_TRUE(SkinManage()->Popups().empty());
  EXPECT_FALSE(wrapper->MenuTracking);
}

// A button whose menu closed with the mouse still over it stays the hot element, lit; the
// hover timer takes the light away once the mouse has left it.
TEST_F(SkinnedMenuBar, AButtonWhoseMenuClosedStaysLitUntilTheMouseLeavesIt) {
  Schedule({[&] { screen->TypeKey(VK_ESCAPE); }});
  const POINT file = ButtonCentre(0);
  screen->Click(file.x, file.y);
  for (int i = 0; i < 5 && !AllStepsRan(); ++i) Pump();
  ASSERT_TRUE(AllStepsRan());
  Pump();
  ASSERT_FALSE(wrapper->MenuTracking);
  const RECT b = Button(0)->Rect;
  const int edgeY = (b.top + b.bottom) / 2;
  const TColor lit = TColor(ColorToRGB(sd->Colors.ButtonHilight));
  ASSERT_NE(lit, kMenuBar[0]);
  EXPECT_EQ(wrapper->HotElement, Button(0));
  EXPECT_EQ(At(b.left, edgeY), lit);
  wrapper->HoverTimer();  // the mouse is still over it
  EXPECT_EQ(wrapper->HotElement, Button(0));
  screen->MoveMouse(WindowRect().left + 100, WindowRect().bottom + 40);
  Pump();
  wrapper->HoverTimer();
  Pump();
  EXPECT_EQ(wrapper->HotElement, nullptr);
  EXPECT_EQ(Button(0)->State, 1);
  EXPECT_EQ(At(b.left, edgeY), kMenuBar[0]);
}

TEST_F(SkinnedMenuBar, AltAndTheAccessKeyOpenAMenuWhoseItemIsChosen) {
  Schedule({[&] { screen->TypeKey(VK_RETURN); }});  // the first item, selected on opening
  SetFocus(form->Handle());
  screen->PressKey(VK_MENU);
  screen->TypeKey('F', U'f');
  screen->ReleaseKey(VK_MENU);
  for (int i = 0; i < 5 && !AllStepsRan(); ++i) Pump();
  Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"Open1"}));
  // A button without a menu runs its command.
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'n');
  Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"Open1", "Now1"}));
}

TEST_F(SkinnedMenuBar, TheDialogCharacterWithAltAloneOpensTheBarMenuOfItsKey) {
  HMENU tracked = nullptr;
  Schedule({[&] {
    tracked = wrapper->MenuBar->TrackedMenu;
    screen->TypeKey(VK_ESCAPE);
  }});
  SetFocus(form->Handle());
  // Without Alt the key is no menu's: nothing opens.
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'h', 0), 0);
  screen->PressKey(VK_MENU);
  Pump();
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'q', 0), 0) << "no button has that key";
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'h', 0), 1);
  screen->ReleaseKey(VK_MENU);
  for (int i = 0; i < 5 && !AllStepsRan(); ++i) Pump();
  ASSERT_TRUE(AllStepsRan());
  EXPECT_EQ(tracked, Item("Help1")->Handle()) << "the Help menu, opened by a click at its button";
  EXPECT_TRUE(clicks.empty());
  EXPECT_FALSE(wrapper->MenuTracking);
}

TEST_F(SkinnedMenuBar, AChangedMenuIsGivenToTheWindowWithoutPaintingTheFrame) {
  std::vector<bool> painting;
  const TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_MENUCHANGED) painting.push_back(sd->NonClientPaint);
    old(m);
  };
  Item("Now1")->SetCaption("&Later");
  Pump();
  form->WindowProc = old;
  ASSERT_FALSE(painting.empty());
  for (bool p : painting) EXPECT_FALSE(p);
  EXPECT_TRUE(sd->NonClientPaint) << "painting again afterwards";
  EXPECT_EQ(Button(1)->Caption, u"&Later");
}

TEST_F(SkinnedMenuBar, AChangedMenuBuildsTheBarAgainAndTheWindowGetsItBackWithoutTheSkin) {
  Item("Now1")->SetCaption("&Later");
  Pump();
  ASSERT_EQ(wrapper->MenuBar->Buttons.size(), 3u);
  EXPECT_EQ(Button(1)->Caption, u"&Later");
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  Item("Help1")->SetVisible(false);
  Pump();
  EXPECT_EQ(wrapper->MenuBar->Buttons.size(), 2u);
  // Skinning switched off: the window's own bar is back above the same client area.
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  ASSERT_EQ(SkinManage()->FindForm(form->Handle()), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_EQ(form->ClientHeight(), 150);
}

TEST_F(SkinnedMenuBar, AWindowDestroyedWithItsBarMenuOpenLeavesNothingBehind) {
  HWND open = nullptr;
  std::vector<HHOOK> hooks;
  Schedule({[&] {
    open = skintest::NewestPopup();
    hooks = SkinManage()->Hooks();  // the bar's filter, held by the manager too
    DestroyWindow(form->Handle());
  }});
  const POINT file = ButtonCentre(0);
  screen->Click(file.x, file.y);
  for (int i = 0; i < 5 && !AllStepsRan(); ++i) Pump();
  ASSERT_TRUE(AllStepsRan());
  EXPECT_NE(open, nullptr);
  EXPECT_FALSE(IsWindow(open));
  EXPECT_TRUE(SkinManage()->Popups().empty());
  EXPECT_EQ(SkinManage()->MenuKind, 0);
  // No filter of the bar is left: a message offered to the filters reaches nobody.
  MSG m{};
  EXPECT_FALSE(CallMsgFilterW(&m, MSGF_MENU));
  EXPECT_EQ(hooks.size(), 1u);
  EXPECT_TRUE(SkinManage()->Hooks().empty());
}

const char* const kMdiFrame = R"(object Frame: TForm
  Left = 60
  Top = 50
  Caption = 'Frame'
  ClientHeight = 200
  ClientWidth = 360
  FormStyle = fsMDIForm
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open'
      end
    end
    object Window1: TMenuItem
      Caption = '&Window'
    end
  end
end
)";

using SkinnedMdiFrameMenu = skintest::SkinnedMenuForm;

// An MDI frame skinned while it had no menu and given one afterwards (its client takes the
// menu from it): the skin draws a bar for it, and the frame has the menu back without the skin.
TEST_F(SkinnedMdiFrameMenu, AMenuGivenAfterSkinningGetsASkinnedBar) {
  ShowForm(kMdiFrame);
  TWinSkinForm* wrapper = Wrapper();
  ASSERT_NE(wrapper, nullptr);
  ASSERT_EQ(wrapper->FormKind, 1);
  ASSERT_EQ(wrapper->MenuBar, nullptr);
  RECT before{}, after{};
  GetWindowRect(form->Handle(), &before);
  auto* menu = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
  form->SetMenu(menu);
  Pump();
  GetWindowRect(form->Handle(), &after);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr) << "the skin draws the bar";
  const int bar = GetSystemMetrics(SM_CYMENU);
  // As a window given a menu, it keeps its size and the bar takes its height from the client.
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_EQ(form->ClientHeight(), 200 - bar);
  EXPECT_EQ(WindowAt(form->Handle(), kBorder + 1, kCaption + bar / 2), kMenuBar[0]) << "the skin's bar";
  EXPECT_NE(wrapper->MenuBar, nullptr) << "no bar and no menu of its own: the menu is out of reach";
  if (wrapper->MenuBar) {
    ASSERT_EQ(wrapper->MenuBar->Buttons.size(), 2u);
    EXPECT_EQ(wrapper->MenuBar->Buttons[0]->Caption, u"&File");
    EXPECT_EQ(wrapper->MenuBar->Buttons[0]->SubMenu, dynamic_cast<TMenuItem*>(form->FindComponent("File1"))->Handle());
    EXPECT_EQ(wrapper->MenuBarHeight, bar);
  }
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  ASSERT_EQ(SkinManage()->FindForm(form->Handle()), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_EQ(form->ClientHeight(), 200 - bar);
}

}  // namespace
