// Controls without a window of their own: painted by their parent into its DC (also through
// their canvas outside a paint), handed the mouse messages that fall on them (with the mouse
// held for them while a button is down), told when the mouse comes and goes, and told of their
// end as a window would be.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/graphic_control.h"
#include "platform/gdi/shapes.h"
#include "platform/user/input.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

// A control that fills itself with a colour and notes the messages it gets.
class TProbe : public TGraphicControl {
 public:
  explicit TProbe(TComponent* owner) : TGraphicControl(owner) {}
  TColor Fill = clRed;
  std::vector<UINT>* Log = nullptr;

 protected:
  void Paint() override {
    Canvas()->Brush().SetColor(Fill);
    Canvas()->FillRect(TRect{0, 0, Width(), Height()});
  }
  void WndProc(TMessage& m) override {
    if (Log && m.Msg != WM_PAINT) Log->push_back(m.Msg);
    TGraphicControl::WndProc(m);
  }
};

class GraphicControls : public OwnFormTest {};

TEST_F(GraphicControls, TheParentPaintsThemAndHandsThemTheMouse) {
  NewPlainForm();
  form->Show();
  std::vector<UINT> log;
  auto* probe = AddControl<TProbe>(form.get(), "Probe", 30, 20, 50, 40);
  probe->Log = &log;
  Pump();
  EXPECT_EQ(PixelOf(probe, 0, 0), 0xFF0000u);
  EXPECT_EQ(PixelOf(probe, 49, 39), 0xFF0000u);
  EXPECT_NE(PixelOf(form.get(), 29, 19), 0xFF0000u) << "clipped to the control";
  // It has no window: the form's is the one under it.
  const TPoint centre = probe->ClientToScreen(TPoint{25, 20});
  EXPECT_EQ(WindowFromPoint(POINT{centre.x, centre.y}), form->Handle());
  // Its canvas draws on the form outside a paint.
  TCanvas* canvas = probe->AcquireCanvas();
  ASSERT_NE(canvas, nullptr);
  canvas->Brush().SetColor(clBlue);
  canvas->FillRect(TRect{0, 0, 10, 10});
  probe->ReleaseCanvas();
  EXPECT_EQ(PixelOf(probe, 5, 5), 0x0000FFu);
  // Invalidating repaints it.
  probe->Fill = clLime;
  probe->Invalidate();
  EXPECT_EQ(PixelOf(probe, 5, 5), 0x00FF00u);
  // The mouse: coming, pressing (in its own coordinates), held while it leaves, released.
  log.clear();
  TPoint down{}, up{};
  probe->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { down = TPoint{x, y}; };
  probe->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) { up = TPoint{x, y}; };
  MoveOver(probe);
  screen->PressButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(down, (TPoint{25, 20}));
  EXPECT_EQ(GetCapture(), form->Handle());
  const TPoint outside = probe->ClientToScreen(TPoint{200, 20});
  screen->MoveMouse(outside.x, outside.y);
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_EQ(up, (TPoint{200, 20})) << "the release outside still comes to it";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_NE(std::find(log.begin(), log.end(), UINT(CM_MOUSEENTER)), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), UINT(CM_MOUSELEAVE)), log.end());
  // A disabled one gets no mouse messages.
  probe->SetEnabled(false);
  log.clear();
  ClickOn(probe);
  EXPECT_EQ(std::count(log.begin(), log.end(), UINT(WM_LBUTTONDOWN)), 0);
  // Its end is told as a window's would be.
  probe->Free();
  EXPECT_EQ(log.back(), UINT(WM_NCDESTROY));
  EXPECT_NE(PixelOf(form.get(), 35, 25), 0x00FF00u) << "its place is painted again";
}

}  // namespace
}  // namespace formstest
