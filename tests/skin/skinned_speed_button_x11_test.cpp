// A speed button without a window of its own, wearing the program's own skin on an X server of
// the test's own: its form paints it from the skin's button element, and the mouse (xdotool)
// over it and pressing it shows the hot and the pressed frames; screenshots compared with the
// element's bitmap.
#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "platform/forms/bit_btn.h"
#include "platform/forms/form.h"
#include "platform/user/window.h"
#include "skin/controls/skin_bit_button.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/screen_test_support.h"

using displaytest::ServeFor;
using skintest::Rrggbb;

namespace {

const char* const kForm = R"(object SpeedForm: TForm
  Left = 100
  Top = 100
  Caption = 'Speed'
  ClientHeight = 120
  ClientWidth = 240
  object Speed: TSpeedButton
    Left = 40
    Top = 30
    Width = 60
    Height = 30
  end
end
)";

class SkinnedSpeedButtonX11 : public skintest::X11Application {
 protected:
  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    Pump();
    sd.reset();
    X11Application::TearDown();
  }
  // The screen at a point of the button, and the element's frame at the same point.
  uint32_t OnScreen(int x, int y) {
    const TPoint p = speed->ClientToScreen(TPoint{x, y});
    return Shot(p.x, p.y);
  }
  uint32_t Frame(int frame, int x, int y) {
    const TBitmap& b = sd->Buttons->Bitmap;
    const int w = b.Width() / std::max(sd->Buttons->Frame, 1);
    return Rrggbb(skintest::PixelOf(b, (frame - 1) * w + x, y));
  }
  std::string At(int x, int y) {
    const TPoint p = speed->ClientToScreen(TPoint{x, y});
    return Point(p.x, p.y);
  }

  skintest::SkinDataPtr sd;
  TForm* form = nullptr;
  TSpeedButton* speed = nullptr;
};

TEST_F(SkinnedSpeedButtonX11, AButtonWithoutAWindowIsSkinnedHotAndPressed) {
  StartOnX();
  if (IsSkipped() || HasFatalFailure()) return;
  UseSkinManage();
  sd = skintest::LoadedSkinData(skintest::ShippedSkin());
  ASSERT_TRUE(sd->Ready());
  sd->Skin3rd()->Add("TSpeedButton=speedbutton");
  sd->SetActive(true);
  sd->Loaded();
  form = new TForm(Application);
  form->SetDescription(kForm);
  form->AfterConstruction();
  form->Show();
  ServeFor(600, Pump);
  speed = dynamic_cast<TSpeedButton*>(form->FindComponent("Speed"));
  ASSERT_NE(speed, nullptr);
  // The form's window is the one under the button.
  const TPoint centre = speed->ClientToScreen(TPoint{30, 15});
  EXPECT_EQ(WindowFromPoint(POINT{centre.x, centre.y}), form->Handle());
  TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
  ASSERT_NE(wrapper, nullptr);
  auto* skinner = dynamic_cast<TSkinSpeedButton*>(wrapper->FindSkinner(speed));
  ASSERT_NE(skinner, nullptr);
  EXPECT_EQ(skinner->Handle, nullptr);
  EXPECT_EQ(skinner->GraphicControl, speed);
  // A point inside the element's middle, away from the caption (there is none): frame 1 at rest.
  EXPECT_EQ(OnScreen(5, 5), Frame(1, 5, 5));
  Xdo("mousemove " + At(30, 15));
  EXPECT_EQ(OnScreen(5, 5), Frame(4, 5, 5)) << "hot";
  Xdo("mousedown 1");
  EXPECT_EQ(OnScreen(5, 5), Frame(2, 5, 5)) << "pressed";
  int clicks = 0;
  speed->OnClick = [&](TObject*) { ++clicks; };
  Xdo("mouseup 1");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(OnScreen(5, 5), Frame(4, 5, 5)) << "hot again once released";
  Xdo("mousemove " + At(150, 60));
  EXPECT_EQ(OnScreen(5, 5), Frame(1, 5, 5)) << "at rest once the mouse has left";
}

}  // namespace
