// Bit buttons and speed buttons worn with the flat test skin: the button element's frame and
// the glyph frame for each state, the greyed disabled glyph, the glyph property of PNG bit
// buttons, and flat speed buttons showing the element only when hot or pressed.
#include <gtest/gtest.h>

#include "platform/forms/bit_btn.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/controls/skin_bit_button.h"
#include "skin/controls/skin_boxes.h"
#include "skin/skin_manage.h"
#include "tests/skin/skinned_form_fixture.h"

using namespace flatskin;
using display::MouseButton;

namespace {

const char* const kButtonsForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object Bit: TBitBtn\n    Left = 10\n    Top = 10\n    Width = 100\n    Height = 30\n    Margin = 4\n  end\n"
    "  object Speed: TSpeedButton\n    Left = 10\n    Top = 60\n    Width = 40\n    Height = 30\n    Flat = True\n"
    "    GroupIndex = 1\n    AllowAllUp = True\n  end\n"
    "end\n";

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kYellow = 0x00FFFF;

class SkinnedGlyphButtons : public skintest::SkinnedForm {
 protected:
  void SetUp() override {
    SkinnedForm::SetUp();
    sd->Skin3rd()->Add("TBitBtn=bitbtn");
    sd->Skin3rd()->Add("TSpeedButton=speedbutton");
  }
  // A strip of frames, each a coloured square on a white key.
  void SetStrip(TGlyphHolder* b, std::initializer_list<TColor> colours) {
    const int frames = int(colours.size());
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(16 * frames, 16);
    strip.Canvas().Brush().SetColor(clWhite);
    strip.Canvas().FillRect(RECT{0, 0, 16 * frames, 16});
    int f = 0;
    for (TColor c : colours) {
      strip.Canvas().Brush().SetColor(c);
      strip.Canvas().FillRect(RECT{f * 16 + 4, 4, f * 16 + 12, 12});
      ++f;
    }
    b->SetGlyph(&strip);
    b->SetNumGlyphs(frames);
  }
  void Refresh(TControl* c) {
    c->Invalidate();
    Pump();
  }
};

TEST_F(SkinnedGlyphButtons, BitButtonsShowTheGlyphFrameOfEachState) {
  Show(kButtonsForm);
  auto* bit = Find<TBitBtn>("Bit");
  ASSERT_NE(bit, nullptr);
  TSkinControl* s = Wrapper()->FindSkinner(bit);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->KindName(), "TSkinBitButton");
  bit->SetCaption("");
  SetStrip(bit, {kRed, kGreen, kBlue});
  Refresh(bit);
  HWND h = bit->Handle();
  // Margin 4 from the left, centred across: the square at 8..16, 11..19.
  EXPECT_EQ(AtWindow(h, 12, 15), kRed);
  EXPECT_EQ(AtWindow(h, 6, 15), AtWindow(h, 2, 2)) << "the key colour shows the element";
  EXPECT_EQ(AtWindow(h, 2, 2), kPush[4]) << "focused";
  MoveTo(h, 50, 15);
  EXPECT_EQ(AtWindow(h, 2, 2), kPush[3]);
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(AtWindow(h, 2, 2), kPush[1]);
  EXPECT_EQ(AtWindow(h, 12, 15), kBlue) << "frame 3 pressed";
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  bit->SetEnabled(false);
  Refresh(bit);
  EXPECT_EQ(AtWindow(h, 2, 2), kPush[2]);
  const TColor grey = AtWindow(h, 12, 15);
  EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF) << "frame 2 greyed";
  EXPECT_EQ(grey & 0xFF, (grey >> 16) & 0xFF);
  EXPECT_NE(grey, kPush[2]);
  // One frame only: the disabled look greys frame 1.
  SetStrip(bit, {kRed});
  Refresh(bit);
  const TColor one = AtWindow(h, 12, 15);
  EXPECT_EQ(one & 0xFF, (one >> 8) & 0xFF);
  EXPECT_NE(one, kRed);
  const struct {
    int state, bit, speed;
  } frames[] = {{kButtonNormal, 1, 1}, {kButtonPressed, 3, 3}, {kButtonDisabled, 2, 2}, {kButtonHot, 1, 1},
                {kButtonFocused, 1, 1}};
  for (const auto& f : frames) {
    EXPECT_EQ(BitButtonGlyphFrame(f.state), f.bit);
    EXPECT_EQ(SpeedButtonGlyphFrame(f.state, false), f.speed);
    EXPECT_EQ(SpeedButtonGlyphFrame(f.state, true), 4);
  }
  EXPECT_EQ(GlyphLayoutOf("BLGLYPHBOTTOM"), blGlyphBottom);
  EXPECT_EQ(GlyphLayoutOf("glyphTop"), blGlyphLeft);
}

TEST_F(SkinnedGlyphButtons, FlatSpeedButtonsAtRestShowOnlyTheBackground) {
  Show(kButtonsForm);
  auto* speed = Find<TSpeedButton>("Speed");
  ASSERT_NE(speed, nullptr);
  TSkinControl* s = Wrapper()->FindSkinner(speed);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->KindName(), "TSkinSpeedButton");
  SetStrip(speed, {kRed, kGreen, kBlue, kYellow});
  Refresh(speed);
  TControl* h = speed;
  EXPECT_EQ(AtWindow(h, 1, 1), kFace) << "flat at rest";
  EXPECT_EQ(AtWindow(h, 20, 15), kRed) << "its glyph";
  MoveTo(h, 20, 15);
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[3]) << "hot";
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[1]) << "pressed";
  EXPECT_EQ(AtWindow(h, 20, 15), kBlue);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_TRUE(speed->Down()) << "the click went to the button";
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[1]) << "down shows the pressed frame";
  EXPECT_EQ(AtWindow(h, 20, 15), kYellow) << "and glyph frame 4";
  MoveTo(h, 200, 200);
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[1]) << "still down";
  speed->SetDown(false);
  Refresh(speed);
  EXPECT_EQ(AtWindow(h, 1, 1), kFace);
}

// The mouse leaves a hot speed button without a move over the program's windows to tell (the
// window turns inactive): the form wrapper's leave reaches the button, which has no window of
// its own, and the mouse coming back makes it hot again.
TEST_F(SkinnedGlyphButtons, AHotSpeedButtonHearsTheLeaveWhenItsWindowTurnsInactive) {
  Show(kButtonsForm);
  auto* speed = Find<TSpeedButton>("Speed");
  ASSERT_NE(speed, nullptr);
  ASSERT_NE(Wrapper()->FindSkinner(speed), nullptr);
  TControl* h = speed;
  MoveTo(h, 20, 15);
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[3]) << "hot";
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  Pump();
  EXPECT_EQ(AtWindow(h, 1, 1), kFace) << "flat at rest again";
  SendMessageW(form->Handle(), WM_NCACTIVATE, TRUE, 0);
  MoveTo(h, 22, 16);
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[3]) << "hot again";
  // Freed while hot: the skin lets go of it.
  speed->Free();
  EXPECT_EQ(Wrapper()->FindSkinner(h), nullptr);
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  SendMessageW(form->Handle(), CM_SKINCOLORS, 0, 0);
  Pump();
}

// Told that it is released (the class library's CM_RELEASE), a speed button gets its own
// WindowProc back: it draws its own look from then on, and the skin never touches it again,
// also once it is gone.
TEST_F(SkinnedGlyphButtons, ASpeedButtonToldItIsReleasedGetsItsOwnWindowProcBack) {
  Show(kButtonsForm);
  auto* speed = Find<TSpeedButton>("Speed");
  ASSERT_NE(speed, nullptr);
  TControl* h = speed;
  MoveTo(h, 20, 15);
  EXPECT_EQ(AtWindow(h, 1, 1), kPush[3]);
  speed->Perform(CM_RELEASE);
  EXPECT_EQ(Wrapper()->FindSkinner(speed), nullptr);
  MoveTo(h, 200, 200);
  MoveTo(h, 20, 15);
  EXPECT_EQ(AtWindow(h, 1, 1), TColor(GetSysColor(COLOR_BTNHIGHLIGHT))) << "the raised edge of its own hot look";
  speed->Free();
  SendMessageW(form->Handle(), CM_SKINCOLORS, 0, 0);
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  Pump();
}

TEST_F(SkinnedGlyphButtons, AGroupBoxPaintsTheButtonsWithoutAWindowOnIt) {
  Show(kButtonsForm);
  auto* group = AddControl<TWinControl>(form, "Group", 150, 100, 160, 90);
  auto* inner = AddControl<TSpeedButton>(group, "Inner", 20, 30, 40, 30);
  SetStrip(inner, {kRed});
  group->SetText("Group");
  auto skinner = std::make_unique<TSkinGroupBox>();
  TSkinGroupBox* s = skinner.get();
  Wrapper()->ControlSkins.push_back(std::move(skinner));
  s->AttachControl(group, Wrapper(), sd.get(), true, 0);
  Refresh(group);
  EXPECT_EQ(AtWindow(group, 5, 60), kFace) << "the group's face";
  // The button's own look (its glyph in the middle) over the group's face.
  EXPECT_EQ(AtWindow(inner, 20, 15), kRed);
}

// A foreign bit button whose glyph is a picture of another property.
class TPngBitBtn : public TButton {
 public:
  explicit TPngBitBtn(TComponent* owner) : TButton(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TPngBitBtn>("TPngBitBtn", &TButton::StaticClassInfo())
                                       .Prop("PngImage", &TPngBitBtn::PngImage, &TPngBitBtn::SetPngImage)
                                       .Creator([](TComponent* o) { return new TPngBitBtn(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TBitmap* PngImage() const { return &png_; }
  void SetPngImage(TBitmap* b) {
    if (b) png_.Assign(*b);
  }

 private:
  mutable TBitmap png_;
};

TEST_F(SkinnedGlyphButtons, PngBitButtonsTakeTheirGlyphFromThePngImage) {
  RegisterClass(TPngBitBtn::StaticClassInfo());
  Show(
      "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 300\n  ClientWidth = 400\n"
      "  object Png: TPngBitBtn\n    Left = 10\n    Top = 10\n    Width = 60\n    Height = 30\n    Caption = ''\n  end\n"
      "end\n");
  auto* png = Find<TPngBitBtn>("Png");
  ASSERT_NE(png, nullptr);
  auto* s = dynamic_cast<TSkinBitButton*>(Wrapper()->FindSkinner(png));
  ASSERT_NE(s, nullptr) << "the default Skin3rd list names TPngBitBtn";
  EXPECT_EQ(s->GlyphProperty, "PngImage");
  png->PngImage()->SetPixelFormat(pf24bit);
  png->PngImage()->SetSize(10, 10);
  png->PngImage()->Canvas().Brush().SetColor(kGreen);
  png->PngImage()->Canvas().FillRect(RECT{0, 0, 10, 10});
  Refresh(png);
  // Centred: (60 - 10 + 1) / 2 = 25 from the left, (30 - 10 + 1) / 2 = 10 from the top.
  EXPECT_EQ(AtWindow(png->Handle(), 30, 15), kGreen);
  EXPECT_EQ(AtWindow(png->Handle(), 22, 15), AtWindow(png->Handle(), 2, 2));
}

}  // namespace
