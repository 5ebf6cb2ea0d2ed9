// A skinned form on an X server of the test's own, probed in screenshots: a change of skin
// reaching the page control's tabs and the form's face together with the frame; a size grip made
// afterwards drawn from the skin, and one at the client area's corner dragged with the mouse to
// size the form; an owner-drawn status part drawn by its owner inside the skin's bevel.
#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/forms/page_control.h"
#include "platform/forms/win/common_controls.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/message_loop.h"
#include "platform/user/scroll.h"
#include "platform/user/window.h"
#include "skin/controls/skin_status_bar.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_x11_fixture.h"

using namespace flatskin;
using skintest::Rrggbb;

namespace {

const char* const kForm =
    "object SwitchForm: TForm\n"
    "  Left = 80\n  Top = 60\n  Caption = 'Switch'\n  ClientHeight = 260\n  ClientWidth = 400\n"
    "  object Pages: TPageControl\n    Left = 10\n    Top = 10\n    Width = 220\n    Height = 100\n  end\n"
    "end\n";

constexpr TColor kInk = skintest::Rgb(0x12, 0xE4, 0x56);

class SkinnedSwitchX11 : public skintest::SkinnedX11Form {
 protected:
  void SetUp() override {
    ShowOnX(kForm, {"TPageControl=tab"}, [](TForm* form) {
      auto* pages = dynamic_cast<TPageControl*>(form->FindComponent("Pages"));
      for (const char* caption : {"First", "Second"}) {
        auto* sheet = CreateComponent<TTabSheet>(form);
        sheet->SetCaption(caption);
        sheet->SetParent(pages);
      }
    });
  }
  // The form's owner-drawn status parts are painted in kInk.
  void DrawOwnedParts() {
    const TWndMethod old = form->WindowProc;
    form->WindowProc = [old](TMessage& m) {
      if (m.Msg != WM_DRAWITEM) return old(m);
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      HBRUSH b = CreateSolidBrush(ColorToRGB(kInk));
      FillRect(item->hDC, &item->rcItem, b);
      DeleteObject(b);
      m.Result = TRUE;
    };
  }
};

TEST_F(SkinnedSwitchX11, ANewSkinReachesTheTabsAndTheFaceWithTheFrame) {
  HWND pages = Find<TPageControl>("Pages")->Handle();
  RECT first{};
  SendMessageW(pages, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const int faceX = kBorder + 350, faceY = kCaption + 200;
  EXPECT_EQ(Shot(pages, first.left + 2, first.top + 2), Rrggbb(kTab[1]));
  EXPECT_EQ(Shot(form->Handle(), faceX, faceY), Rrggbb(kFace));
  EXPECT_EQ(Shot(form->Handle(), 1, 100), Rrggbb(kLeft[0]));
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(FlatSkinOf(5, 9));
  ASSERT_TRUE(sd->LoadSkin());
  sd->ApplySkin();
  SkinManage()->TimerTick();
  displaytest::ServeFor(400, Pump);
  EXPECT_EQ(Shot(form->Handle(), 1, 100), Rrggbb(Shifted(kLeft[0], 5))) << "the frame";
  EXPECT_EQ(Shot(pages, first.left + 2, first.top + 2), Rrggbb(Shifted(kTab[1], 9))) << "the tabs";
  EXPECT_EQ(Shot(form->Handle(), faceX, faceY), Rrggbb(Shifted(kFace, 9))) << "the face";
}

TEST_F(SkinnedSwitchX11, ASizeGripAndAnOwnerDrawnPartMadeLaterWearTheSkin) {
  DrawOwnedParts();
  HWND grip = CreateWindowExW(0, u"ScrollBar", u"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 370, 120, 16, 16,
                              form->Handle(), nullptr, nullptr, nullptr);
  HWND bar = CreateWindowExW(0, STATUSCLASSNAME, u"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 10,
                             200, 360, 24, form->Handle(), nullptr, nullptr, nullptr);
  const int edges[] = {120, -1};
  SendMessageW(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  SendMessageW(bar, SB_SETTEXTW, 1 | SBT_OWNERDRAW, 7);
  TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
  ASSERT_NE(wrapper, nullptr);
  auto skin = std::make_unique<TSkinStatusBar>();
  TSkinStatusBar* status = skin.get();
  wrapper->ControlSkins.push_back(std::move(skin));
  status->AttachWindow(bar, sd.get(), wrapper, 0);
  displaytest::ServeFor(400, Pump);
  for (const POINT p : {POINT{1, 1}, POINT{8, 8}, POINT{14, 14}}) EXPECT_EQ(Shot(grip, p.x, p.y), Rrggbb(kFace));
  RECT part{};
  SendMessageW(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
  EXPECT_EQ(Shot(bar, part.left + 1, part.top + 1), Rrggbb(kEdge[0])) << "the skin's bevel";
  EXPECT_EQ(Shot(bar, part.left + 2, part.top + 2), Rrggbb(kInk)) << "the owner's drawing inside it";
  EXPECT_EQ(Shot(bar, part.right - 3, part.bottom - 3), Rrggbb(kInk));
  DestroyWindow(bar);
  DestroyWindow(grip);
}

TEST_F(SkinnedSwitchX11, ASkinnedSizeGripAtTheCornerSizesTheForm) {
  RECT client{};
  GetClientRect(form->Handle(), &client);
  HWND grip = CreateWindowExW(0, u"ScrollBar", u"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                              0, 0, client.right, client.bottom, form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(grip, nullptr);
  TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
  ASSERT_NE(wrapper, nullptr);
  ASSERT_NE(wrapper->FindSkinner(grip), nullptr);
  displaytest::ServeFor(400, Pump);
  RECT g{}, before{};
  GetWindowRect(grip, &g);
  GetWindowRect(form->Handle(), &before);
  EXPECT_EQ(Shot(grip, 8, 8), Rrggbb(kFace)) << "the skin's grip";
  const int x = (g.left + g.right) / 2, y = (g.top + g.bottom) / 2;
  Xdo("mousemove " + Point(x, y) + " mousedown 1 mousemove " + Point(x + 30, y + 20) + " mousemove " +
      Point(x + 60, y + 40) + " mouseup 1");
  RECT after{};
  GetWindowRect(form->Handle(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right - after.left, before.right - before.left + 60);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 40);
  // The skinned frame stands at the new edges.
  const int width = after.right - after.left, height = after.bottom - after.top;
  EXPECT_EQ(Shot(form->Handle(), width - 1, height / 2), Rrggbb(kRight[0]));
  EXPECT_EQ(Shot(form->Handle(), width / 2, height - 1), Rrggbb(kBottom[0]));
  EXPECT_EQ(Shot(grip, 8, 8), Rrggbb(kFace));
  DestroyWindow(grip);
}

}  // namespace
