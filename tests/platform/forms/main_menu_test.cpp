// A form's menu bar read from a form description: the window's menu of the window layer with
// its submenus, the client area below the bar, commands reaching the items, changes building
// the bar again, and the bar opened with the mouse and the keyboard.
#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

const char* const kForm = R"(object BarForm: TForm
  Left = 50
  Top = 40
  Caption = 'Bar'
  ClientHeight = 150
  ClientWidth = 320
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open'
        ShortCut = 16463
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
        Enabled = False
      end
    end
    object Now1: TMenuItem
      Caption = '&Now'
    end
  end
end
)";

class MainMenuTest : public OwnFormTest {
 protected:
  void Make() {
    ShowDescribed(kForm, [this](TForm* f) {
      for (const char* name : {"Open1", "Exit1", "Now1", "About1", "File1"})
        dynamic_cast<TMenuItem*>(f->FindComponent(name))->OnClick = [this, name](TObject*) {
          clicks.push_back(name);
        };
    });
    menu = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    ASSERT_NE(menu, nullptr);
  }
  TMenuItem* Item(const char* name) { return dynamic_cast<TMenuItem*>(form->FindComponent(name)); }
  // Alt held around a key, then Down and Enter (the first item of a menu the key opened).
  void AltKeyThenFirstItem(unsigned vk, char32_t ch) {
    screen->PressKey(VK_MENU);
    screen->TypeKey(vk, ch);
    screen->ReleaseKey(VK_MENU);
    screen->TypeKey(VK_DOWN);
    screen->TypeKey(VK_RETURN);
    Pump();
  }
  std::string Text(HMENU m, int pos) {
    char16_t buffer[80] = {};
    GetMenuStringW(m, UINT(pos), buffer, 80, MF_BYPOSITION);
    return WideToUtf8(buffer);
  }

  TMainMenu* menu = nullptr;
  std::vector<std::string> clicks;
};

TEST_F(MainMenuTest, TheDescriptionsMenuBecomesTheWindowsMenuBar) {
  Make();
  EXPECT_EQ(form->Menu(), menu);
  HMENU bar = GetMenu(form->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar, menu->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  EXPECT_EQ(Text(bar, 0), "&File");
  EXPECT_EQ(Text(bar, 2), "&Now");
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file, Item("File1")->Handle());
  EXPECT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  EXPECT_EQ(GetSubMenu(bar, 2), nullptr);
  EXPECT_EQ(GetMenuItemID(bar, 2), Item("Now1")->Command());
  EXPECT_EQ(Item("Open1")->ShortCut(), TShortCut('O' | scCtrl));
  EXPECT_NE(GetMenuState(GetSubMenu(bar, 1), 0, MF_BYPOSITION) & MF_GRAYED, 0u);
  // The client keeps its size below the bar.
  EXPECT_EQ(form->ClientHeight(), 150);
  RECT wr{}, cr{};
  GetWindowRect(form->Handle(), &wr);
  GetClientRect(form->Handle(), &cr);
  EXPECT_GE((wr.bottom - wr.top) - cr.bottom, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
}

TEST_F(MainMenuTest, CommandsReachTheirItemsAndChangesBuildTheBarAgain) {
  Make();
  SendMessageW(form->Handle(), WM_COMMAND, Item("Exit1")->Command(), 0);
  SendMessageW(form->Handle(), WM_COMMAND, Item("Now1")->Command(), 0);
  SendMessageW(form->Handle(), WM_COMMAND, 0xFFFF, 0);  // no such item
  EXPECT_EQ(clicks, (std::vector<std::string>{"Exit1", "Now1"}));
  HMENU before = GetMenu(form->Handle());
  Item("Now1")->SetCaption("&Later");
  HMENU after = GetMenu(form->Handle());
  EXPECT_NE(after, before);
  EXPECT_FALSE(IsMenu(before));
  EXPECT_EQ(Text(after, 2), "&Later");
  // Setting what an item already shows changes nothing.
  Item("Now1")->SetCaption("&Later");
  EXPECT_EQ(GetMenu(form->Handle()), after);
  // The form without a menu has no bar.
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  form->SetMenu(menu);
  EXPECT_NE(GetMenu(form->Handle()), nullptr);
  menu->Free();
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
}

TEST_F(MainMenuTest, TheBarOpensByKeyAndItsItemsAreChosen) {
  Make();
  SetFocus(form->Handle());
  // Alt+F opens File; Down moves to Open, Enter chooses it.
  AltKeyThenFirstItem('F', U'f');
  EXPECT_EQ(clicks, (std::vector<std::string>{"Open1"}));
}

TEST_F(MainMenuTest, AltWithAKeyGoesToTheFormAsADialogCharacterFirst) {
  Make();
  std::vector<WPARAM> chars;
  const TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    old(m);
    if (m.Msg != CM_DIALOGCHAR) return;
    chars.push_back(m.WParam);
    if (m.WParam == 'n') m.Result = 1;  // the form takes Alt+N itself
  };
  SetFocus(form->Handle());
  screen->PressKey(VK_MENU);
  screen->TypeKey('N', U'n');
  screen->ReleaseKey(VK_MENU);
  Pump();
  EXPECT_EQ(chars, (std::vector<WPARAM>{'n'}));
  EXPECT_TRUE(clicks.empty()) << "a key the form took opens no menu";
  // A key the form leaves goes on to the menu bar.
  AltKeyThenFirstItem('F', U'f');
  EXPECT_EQ(chars, (std::vector<WPARAM>{'n', 'f'}));
  EXPECT_EQ(clicks, (std::vector<std::string>{"Open1"}));
  form->WindowProc = old;
}

}  // namespace
}  // namespace formstest
