// Tabs, track bars, glyph buttons, date pickers and media players wearing the flat test skin
// on an X server of the test's own, driven with XTest (xdotool) as a person would: clicking a
// tab, dragging a track bar's thumb, pressing a bit button and a speed button, opening a
// picker's drop-down through the arrow button and clicking a media player's skinned button;
// screenshots probed pixel by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/bit_btn.h"
#include "platform/forms/date_time_picker.h"
#include "platform/forms/form.h"
#include "platform/forms/media_player.h"
#include "platform/forms/page_control.h"
#include "platform/forms/track_bar.h"
#include "platform/forms/win/common_controls.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/window.h"
#include "skin/controls/skin_date_time.h"
#include "skin/controls/skin_media_player.h"
#include "skin/controls/skin_tab.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_x11_fixture.h"

using namespace flatskin;
using skintest::Rrggbb;

namespace {

const char* const kForm =
    "object BarsForm: TForm\n"
    "  Left = 60\n  Top = 60\n  Caption = 'Bars'\n  ClientHeight = 300\n  ClientWidth = 420\n"
    "  object Pages: TPageControl\n    Left = 10\n    Top = 10\n    Width = 200\n    Height = 100\n  end\n"
    "  object Track: TTrackBar\n    Left = 220\n    Top = 10\n    Width = 180\n    Height = 40\n    Max = 10\n  end\n"
    "  object Bit: TBitBtn\n    Left = 220\n    Top = 60\n    Width = 90\n    Height = 28\n    Caption = 'Go'\n  end\n"
    "  object Speed: TSpeedButton\n    Left = 320\n    Top = 60\n    Width = 40\n    Height = 28\n"
    "    GroupIndex = 1\n    AllowAllUp = True\n  end\n"
    "  object Picker: TDateTimePicker\n    Left = 10\n    Top = 130\n    Width = 160\n    Height = 24\n  end\n"
    "  object Player: TMediaPlayer\n    Left = 10\n    Top = 180\n    Width = 150\n    Height = 30\n"
    "    VisibleButtons = [btPlay, btStop, btEject]\n  end\n"
    "end\n";

class SkinnedBarsX11 : public skintest::SkinnedX11Form {
 protected:
  void SetUp() override {
    ShowOnX(kForm,
            {"TPageControl=tab", "TTrackBar=trackbar", "TBitBtn=bitbtn", "TSpeedButton=speedbutton",
             "TDateTimePicker=datetimepicker"},
            [](TForm* form) {
              auto* pages = dynamic_cast<TPageControl*>(form->FindComponent("Pages"));
              for (const char* caption : {"First", "Second"}) {
                auto* sheet = CreateComponent<TTabSheet>(form);
                sheet->SetCaption(caption);
                sheet->SetParent(pages);
              }
            });
  }
  // A point of a window, in screen coordinates, as xdotool takes it.
  static std::string At(HWND h, int x, int y) {
    RECT r{};
    GetWindowRect(h, &r);
    return Point(r.left + x, r.top + y);
  }
  // A point of a control without a window of its own.
  static std::string At(TControl* c, int x, int y) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    return Point(p.x, p.y);
  }
  uint32_t Shot(TControl* c, int x, int y) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    return X11Application::Shot(p.x, p.y);
  }
  using X11Application::Shot;
};

TEST_F(SkinnedBarsX11, AClickedTabTakesTheCurrentFrameAndShowsItsSheet) {
  auto* pages = Find<TPageControl>("Pages");
  HWND h = pages->Handle();
  RECT second{};
  SendMessageW(h, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  EXPECT_EQ(Shot(h, second.left + 2, second.top + 2), Rrggbb(kTab[0]));
  Xdo("mousemove " + At(h, (second.left + second.right) / 2, (second.top + second.bottom) / 2) + " click 1");
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_EQ(Shot(h, second.left + 2, second.top + 2), Rrggbb(kTab[1]));
}

TEST_F(SkinnedBarsX11, ADraggedThumbMovesTheTrackBarAndItsPicture) {
  auto* track = Find<TTrackBar>("Track");
  HWND h = track->Handle();
  RECT t{}, c{};
  SendMessageW(h, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
  SendMessageW(h, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
  const int y = (t.top + t.bottom) / 2;
  EXPECT_EQ(Shot(h, (t.left + t.right) / 2, y), Rrggbb(kThumb[1]));
  Xdo("mousemove " + At(h, (t.left + t.right) / 2, y) + " mousedown 1 mousemove " + At(h, c.right - 20, y) +
      " mousemove " + At(h, c.right, y) + " mouseup 1");
  EXPECT_EQ(track->Position(), 10);
  SendMessageW(h, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
  EXPECT_EQ(Shot(h, (t.left + t.right) / 2, y), Rrggbb(kThumb[1]));
  EXPECT_EQ(Shot(h, c.left + 5, (c.top + c.bottom) / 2), Rrggbb(kTrack[0]));
}

TEST_F(SkinnedBarsX11, GlyphButtonsShowTheirPressedFrames) {
  auto* bit = Find<TBitBtn>("Bit");
  auto* speed = Find<TSpeedButton>("Speed");
  int clicks = 0;
  bit->OnClick = [&](TObject*) { ++clicks; };
  Xdo("mousemove " + At(bit->Handle(), 45, 14));
  EXPECT_EQ(Shot(bit->Handle(), 2, 2), Rrggbb(kPush[3])) << "hot";
  Xdo("mousedown 1");
  EXPECT_EQ(Shot(bit->Handle(), 2, 2), Rrggbb(kPush[1])) << "pressed";
  Xdo("mouseup 1");
  EXPECT_EQ(clicks, 1);
  Xdo("mousemove " + At(speed, 20, 14) + " click 1");
  EXPECT_TRUE(speed->Down());
  Xdo("mousemove " + At(bit->Handle(), 45, 14));
  EXPECT_EQ(Shot(speed, 2, 2), Rrggbb(kPush[1])) << "down";
}

TEST_F(SkinnedBarsX11, TheArrowButtonAndThePlayersButtonsPassClicksOn) {
  auto* picker = Find<TDateTimePicker>("Picker");
  auto* arrow = dynamic_cast<TSkinDateTime*>(SkinManage()->FindForm(form->Handle())->FindSkinner(picker));
  ASSERT_TRUE(arrow && arrow->ArrowButton);
  std::vector<UINT> codes;
  TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_NOTIFY) codes.push_back(reinterpret_cast<const NMHDR*>(m.LParam)->code);
    old(m);
  };
  const int size = GetSystemMetrics(SM_CXHSCROLL);
  Xdo("mousemove " + At(arrow->ArrowButton->Handle, size / 2, size / 2) + " click 1");
  EXPECT_EQ(codes, std::vector<UINT>{DTN_DROPDOWN});
  EXPECT_EQ(GetFocus(), picker->Handle());
  form->WindowProc = old;
  auto* player = Find<TMediaPlayer>("Player");
  auto* mp = dynamic_cast<TSkinMP*>(SkinManage()->FindForm(form->Handle())->FindSkinner(player));
  ASSERT_TRUE(mp && mp->Panel);
  std::vector<TMPBtnType> clicked;
  player->OnButtonClick = [&](TObject*, TMPBtnType b, bool&) { clicked.push_back(b); };
  EXPECT_EQ(Shot(mp->Panel->Handle, 75, 15), Rrggbb(kPush[0]));
  Xdo("mousemove " + At(mp->Panel->Handle, 75, 15) + " click 1");
  EXPECT_EQ(clicked, std::vector<TMPBtnType>{btStop});
}

// A page worn by the sheet wrapper (the program's own choice) with a speed button on it: the
// button shows over the page's face, and lights up under the mouse.
class SkinnedSheetX11 : public skintest::SkinnedX11Form {
 protected:
  void SetUp() override {
    ShowOnX(kSheetForm, {"TSpeedButton=speedbutton"}, [this](TForm* f) {
      sd->OnSkinControl = [](TComponent*, TSkinData*, TControl*, TControl*, const std::string& cls,
                             TSkinControl*& chosen) {
        if (cls == "TTABSHEET") chosen = new TSkinTabSheet();
      };
      auto* pages = dynamic_cast<TPageControl*>(f->FindComponent("Pages"));
      auto* sheet = CreateComponent<TTabSheet>(f);
      sheet->SetName("Sheet");
      sheet->SetCaption("First");
      sheet->SetParent(pages);
      auto* speed = CreateComponent<TSpeedButton>(f);
      speed->SetName("Speed");
      speed->SetBounds(20, 15, 60, 30);
      speed->SetParent(sheet);
    });
  }
  static constexpr const char* kSheetForm =
      "object SheetForm: TForm\n"
      "  Left = 60\n  Top = 60\n  Caption = 'Sheet'\n  ClientHeight = 200\n  ClientWidth = 300\n"
      "  object Pages: TPageControl\n    Left = 10\n    Top = 10\n    Width = 260\n    Height = 160\n  end\n"
      "end\n";
};

TEST_F(SkinnedSheetX11, ASpeedButtonOnASkinnedSheetIsSeenAndLightsUp) {
  if (IsSkipped() || HasFatalFailure()) return;
  auto* sheet = Find<TTabSheet>("Sheet");
  auto* speed = Find<TSpeedButton>("Speed");
  ASSERT_TRUE(sheet && speed);
  TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
  ASSERT_NE(dynamic_cast<TSkinTabSheet*>(wrapper->FindSkinner(sheet)), nullptr);
  const TPoint at = speed->ClientToScreen(TPoint{2, 2});
  const TPoint beside = speed->ClientToScreen(TPoint{70, 2});
  EXPECT_EQ(Shot(beside.x, beside.y), Rrggbb(kFace)) << "the page's face";
  EXPECT_EQ(Shot(at.x, at.y), Rrggbb(kPush[0])) << "the speed button over it";
  const TPoint middle = speed->ClientToScreen(TPoint{30, 15});
  Xdo("mousemove " + Point(middle.x, middle.y));
  EXPECT_EQ(Shot(at.x, at.y), Rrggbb(kPush[3])) << "hot";
}

}  // namespace
