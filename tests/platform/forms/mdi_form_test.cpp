// MDI forms of the class library: an fsMDIForm read from its description holds its fsMDIChild
// forms in its client window; the children are made by the client, the active one is known,
// a child that starts maximised puts its buttons on the frame's bar, closing a child minimises
// it, and freeing one hands the activation on.
#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/user/mdi.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

const char* const kFrame = R"(object Frame: TForm
  Left = 40
  Top = 30
  Caption = 'Frame'
  ClientHeight = 300
  ClientWidth = 420
  FormStyle = fsMDIForm
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object Window1: TMenuItem
      Caption = '&Window'
      object Tile1: TMenuItem
        Caption = '&Tile'
      end
    end
  end
end
)";

const char* const kChild = R"(object Child: TForm
  Left = 10
  Top = 10
  Caption = '%s'
  ClientHeight = 100
  ClientWidth = 160
  FormStyle = fsMDIChild
  WindowState = %s
  Visible = True
end
)";

class MdiForms : public OwnFormTest {
 protected:
  TForm* Child(const char* caption, const char* state = "wsNormal") {
    char text[512];
    snprintf(text, sizeof text, kChild, caption, state);
    auto* c = new TForm(form.get());
    c->SetDescription(text);
    c->AfterConstruction();
    Pump();
    return c;
  }
};

TEST_F(MdiForms, AnMdiFormHoldsItsChildrenInItsClient) {
  ShowDescribed(kFrame);
  HWND client = form->ClientHandle();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(GetParent(client), form->Handle());
  RECT fc{}, cw{};
  GetClientRect(form->Handle(), &fc);
  GetWindowRect(client, &cw);
  EXPECT_EQ(cw.right - cw.left, fc.right);
  EXPECT_EQ(cw.bottom - cw.top, fc.bottom);
  TForm* a = Child("A");
  TForm* b = Child("B");
  EXPECT_EQ(GetParent(a->Handle()), client);
  EXPECT_TRUE(GetWindowLongPtrW(a->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
  EXPECT_EQ(form->ActiveMDIChild(), b);
  // Closing a child minimises it; freeing one hands the activation on.
  b->Close();
  Pump();
  EXPECT_TRUE(IsIconic(b->Handle()));
  SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b->Handle()), 0);
  EXPECT_EQ(form->ActiveMDIChild(), b);
  b->Free();
  Pump();
  EXPECT_EQ(form->ActiveMDIChild(), a);
  // Without an MDI form no child can be made.
  form.reset();
  auto* orphan = new TForm(nullptr);
  char text[512];
  snprintf(text, sizeof text, kChild, "C", "wsNormal");
  orphan->SetDescription(text);
  EXPECT_THROW(orphan->AfterConstruction(), EInvalidOperation);
  orphan->Free();
}

TEST_F(MdiForms, AChildThatStartsMaximisedPutsItsButtonsOnTheFramesBar) {
  ShowDescribed(kFrame);
  HMENU bar = GetMenu(form->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  TForm* a = Child("A", "wsMaximized");
  EXPECT_TRUE(IsZoomed(a->Handle()));
  EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 5);
  // The frame passes the bar's restore command on to the child.
  SendMessageW(form->Handle(), WM_COMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_FALSE(IsZoomed(a->Handle()));
  EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 1);
  // The frame's own items still reach their menu items.
  bool tiled = false;
  dynamic_cast<TMenuItem*>(form->FindComponent("Tile1"))->OnClick = [&](TObject*) {
    tiled = true;
    form->Tile();
  };
  TForm* b = Child("B");
  SendMessageW(form->Handle(), WM_COMMAND, dynamic_cast<TMenuItem*>(form->FindComponent("Tile1"))->Command(), 0);
  EXPECT_TRUE(tiled);
  RECT ra{}, rb{};
  GetWindowRect(a->Handle(), &ra);
  GetWindowRect(b->Handle(), &rb);
  EXPECT_EQ(ra.top, rb.top);
  EXPECT_EQ(ra.right - ra.left, rb.right - rb.left);
}

}  // namespace
}  // namespace formstest
