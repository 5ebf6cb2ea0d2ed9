// Buttons with glyphs: the placement rules of glyph and caption worked by hand, the glyph
// frames a bit button and a speed button show, and speed buttons staying down in groups.
#include <gtest/gtest.h>

#include "platform/forms/bit_btn.h"
#include "platform/forms/form.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "tests/platform/forms/common_controls_fixture.h"

using namespace formstest;

namespace {

TEST(GlyphPlacement, MarginAndSpacingGivenOrShared) {
  const RECT client{0, 0, 100, 30};
  const SIZE glyph{16, 16}, text{40, 13};
  const struct {
    TButtonLayout layout;
    int margin, spacing;
    bool centred;
    SIZE glyph;
    POINT g, t;
  } cases[] = {
      {blGlyphLeft, -1, 4, false, glyph, {20, 7}, {40, 9}},    // centred as a block
      {blGlyphRight, 5, -1, false, glyph, {79, 7}, {20, 9}},   // the spacing takes half the rest
      {blGlyphTop, -1, -1, false, glyph, {42, 0}, {30, 16}},   // thirds of nothing left over
      {blGlyphBottom, 2, 3, true, glyph, {42, 14}, {30, -2}},  // centred: the margin follows
      {blGlyphLeft, -1, 4, false, {0, 0}, {30, 15}, {30, 9}},  // no glyph: no spacing
  };
  for (const auto& c : cases) {
    const TGlyphPlace p = PlaceGlyph(client, c.glyph, text, c.layout, c.margin, c.spacing, c.centred);
    if (c.glyph.cx) {
      EXPECT_EQ(p.Glyph.x, c.g.x) << int(c.layout);
      EXPECT_EQ(p.Glyph.y, c.g.y) << int(c.layout);
    }
    EXPECT_EQ(p.Text.left, c.t.x) << int(c.layout);
    EXPECT_EQ(p.Text.top, c.t.y) << int(c.layout);
    EXPECT_EQ(p.Text.right - p.Text.left, 40);
  }
}

TEST(GlyphPlacement, AFrameTheStripLacksGivesTheFirst) {
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(30, 10);
  for (int f = 0; f < 3; ++f) {
    RECT r{f * 10, 0, f * 10 + 10, 10};
    strip.Canvas().Brush().SetColor(TColor(0x10 * (f + 1)));
    strip.Canvas().FillRect(r);
  }
  TBitmap out;
  for (const auto& [frame, colour] : {std::pair{1, 0x10}, {3, 0x30}, {4, 0x10}, {0, 0x10}}) {
    GlyphFrame(strip, 3, frame, out);
    EXPECT_EQ(out.Width(), 10);
    EXPECT_EQ(out.Canvas().Pixel(5, 5), TColor(colour)) << frame;
  }
}

class GlyphButtons : public CommonControlsTest {
 protected:
  // Three frames: red, green, blue, on a white key.
  void SetStrip(TGlyphHolder* b, int frames) {
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(16 * frames, 16);
    const TColor colours[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    strip.Canvas().Brush().SetColor(clWhite);
    strip.Canvas().FillRect(RECT{0, 0, 16 * frames, 16});
    for (int f = 0; f < frames; ++f) {
      strip.Canvas().Brush().SetColor(colours[f]);
      strip.Canvas().FillRect(RECT{f * 16 + 4, 4, f * 16 + 12, 12});
    }
    b->SetGlyph(&strip);
    b->SetNumGlyphs(frames);
  }
};

TEST_F(GlyphButtons, BitButtonShowsTheFrameOfItsState) {
  auto* b = AddControl<TBitBtn>(form, "Bit", 10, 10, 100, 30);
  b->SetCaption("");
  SetStrip(b, 3);
  b->SetMargin(4);
  b->Invalidate();
  // Margin 4 from the left, centred across: the glyph's middle at (12 + 4, 7 + 4 ...).
  EXPECT_EQ(PixelOf(b, 12, 15), 0xFF0000u) << "frame 1";
  EXPECT_EQ(PixelOf(b, 6, 15), ScreenColor(clBtnFace)) << "the key colour is left out";
  TPoint p = b->ClientToScreen(TPoint{50, 15});
  screen->MoveMouse(p.x, p.y);
  screen->PressButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(PixelOf(b, 13, 16), 0x0000FFu) << "frame 3 pressed, shifted by a pixel";
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  b->SetEnabled(false);
  EXPECT_EQ(PixelOf(b, 12, 15), 0x00FF00u) << "frame 2 disabled";
  SetStrip(b, 1);
  b->Invalidate();
  EXPECT_EQ(PixelOf(b, 12, 15), ScreenColor(clBtnShadow)) << "no disabled frame: a shadow of frame 1";
}

TEST_F(GlyphButtons, SpeedButtonsOfAGroupTakeTurnsBeingDown) {
  auto* a = AddControl<TSpeedButton>(form, "A", 10, 10, 30, 30);
  auto* b = AddControl<TSpeedButton>(form, "B", 50, 10, 30, 30);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  ClickOn(a);
  EXPECT_TRUE(a->Down());
  ClickOn(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  ClickOn(b);
  EXPECT_TRUE(b->Down()) << "one of the group stays down";
  EXPECT_EQ(clicks, 2);
  b->SetAllowAllUp(true);
  ClickOn(b);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->CanFocus());
  // A press that leaves the button before its release is no click.
  TPoint p = b->ClientToScreen(TPoint{15, 15});
  screen->MoveMouse(p.x, p.y);
  screen->PressButton(display::MouseButton::Left);
  Pump();
  screen->MoveMouse(p.x + 100, p.y);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(clicks, 3);
}

TEST_F(GlyphButtons, FlatSpeedButtonsShowTheirFaceOnlyUnderTheMouse) {
  auto* s = AddControl<TSpeedButton>(form, "Flat", 10, 10, 40, 30);
  s->SetFlat(true);
  SetStrip(s, 4);
  const std::uint32_t face = ScreenColor(clBtnFace);
  EXPECT_EQ(PixelOf(s, 0, 0), face) << "no edge at rest";
  MoveOver(s);
  EXPECT_NE(PixelOf(s, 0, 0), face) << "raised under the mouse";
  s->SetGroupIndex(2);
  s->SetDown(true);
  EXPECT_EQ(PixelOf(s, 20, 15), 0xFFFF00u) << "frame 4 while down";
}

}  // namespace
