// Track bars, status bars and header bars worn with the flat test skin: the channel and thumb
// pictures over the bar's own rectangles as the thumb moves, each status part's bevel frame,
// simple mode and the size grip, and the header's hot heading following the mouse.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/track_bar.h"
#include "platform/forms/win/common_controls.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/painting.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/controls/skin_header.h"
#include "skin/controls/skin_status_bar.h"
#include "skin/controls/skin_track_bar.h"
#include "tests/skin/skinned_form_fixture.h"

using namespace flatskin;

namespace {

const char* const kTrackForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object Track: TTrackBar\n    Left = 10\n    Top = 10\n    Width = 200\n    Height = 40\n"
    "    Max = 10\n    Position = 5\n    PageSize = 2\n  end\n"
    "  object Upright: TTrackBar\n    Left = 300\n    Top = 10\n    Width = 40\n    Height = 200\n"
    "    Max = 4\n    Orientation = trVertical\n  end\n"
    "end\n";

class SkinnedBars : public skintest::SkinnedForm {
 protected:
  RECT Part(HWND h, UINT msg, WPARAM w = 0) {
    RECT r{};
    SendMessageW(h, msg, w, reinterpret_cast<LPARAM>(&r));
    return r;
  }
};

TEST_F(SkinnedBars, TrackBarsWearTheChannelAndThumbPictures) {
  sd->Skin3rd()->Add("TTrackBar=trackbar");
  Show(kTrackForm);
  auto* track = Find<TTrackBar>("Track");
  auto* upright = Find<TTrackBar>("Upright");
  ASSERT_NE(track, nullptr);
  TSkinControl* s = Wrapper()->FindSkinner(track);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->KindName(), "TSkinTrackBar");
  HWND h = track->Handle();
  RECT c = Part(h, TBM_GETCHANNELRECT), t = Part(h, TBM_GETTHUMBRECT);
  const int cy = (c.top + c.bottom) / 2;
  EXPECT_EQ(AtWindow(h, c.left + 10, cy), kTrack[0]);
  EXPECT_EQ(AtWindow(h, (t.left + t.right) / 2, (t.top + t.bottom) / 2), kThumb[1]) << "frame 2 of 5";
  // The tics stay the bar's own (not skinned): black marks below the thumb.
  EXPECT_EQ(AtWindow(h, c.left, t.bottom + 3), skintest::Rgb(0, 0, 0));
  // A press beside the thumb moves it; the skin follows it there.
  int changes = 0;
  track->OnChange = [&](TObject*) { ++changes; };
  ClickWindow(h, c.right - 3, cy);
  EXPECT_EQ(track->Position(), 7);
  EXPECT_EQ(changes, 1);
  const RECT moved = Part(h, TBM_GETTHUMBRECT);
  EXPECT_GT(moved.left, t.left);
  EXPECT_EQ(AtWindow(h, (moved.left + moved.right) / 2, (moved.top + moved.bottom) / 2), kThumb[1]);
  EXPECT_EQ(AtWindow(h, (t.left + t.right) / 2, cy), kTrack[0]) << "the old place shows the channel";
  // A vertical bar takes the vertical channel; without a vertical thumb the horizontal one.
  HWND v = upright->Handle();
  c = Part(v, TBM_GETCHANNELRECT);
  t = Part(v, TBM_GETTHUMBRECT);
  EXPECT_EQ(AtWindow(v, (c.left + c.right) / 2, c.bottom - 10), kTrack[1]);
  EXPECT_EQ(AtWindow(v, (t.left + t.right) / 2, (t.top + t.bottom) / 2), kThumb[1]);
}

TEST_F(SkinnedBars, TrackBarsLookPlainWithoutTheGate) {
  sd->Skin3rd()->Add("TTrackBar=trackbar");
  sd->SetSkinControls(sd->SkinControls() & ~SkinBit(xcButton));
  Show(kTrackForm);
  auto* track = Find<TTrackBar>("Track");
  EXPECT_EQ(Wrapper()->FindSkinner(track), nullptr);
  const RECT t = Part(track->Handle(), TBM_GETTHUMBRECT);
  EXPECT_NE(AtWindow(track->Handle(), (t.left + t.right) / 2, (t.top + t.bottom) / 2), kThumb[1]);
}

TEST_F(SkinnedBars, StatusPartsShowTheirBevelFrames) {
  Show();
  HWND h = Make(STATUSCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN, 10, 200, 360, 24, 80);
  const int edges[] = {100, 220, -1};
  SendMessageW(h, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  SendMessageW(h, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u"Lowered"));
  SendMessageW(h, SB_SETTEXTW, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>(u"\tRaised"));
  SendMessageW(h, SB_SETTEXTW, 2 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(u""));
  Attach<TSkinStatusBar>(h);
  Pump();
  for (int i = 0; i < 3; ++i) {
    const RECT r = Part(h, SB_GETRECT, WPARAM(i));
    EXPECT_EQ(AtWindow(h, r.left + 1, r.top + 1), kEdge[i]) << i;
    EXPECT_EQ(AtWindow(h, r.right - 2, r.bottom - 2), kEdge[i]) << i;
  }
  EXPECT_EQ(AtWindow(h, 101, 12), kFace) << "between parts";
  // Simple mode: one lowered part over the whole width.
  SendMessageW(h, SB_SIMPLE, TRUE, 0);
  Pump();
  for (int x : {1, 160, 358}) EXPECT_EQ(AtWindow(h, x, 1), kEdge[0]) << x;
  const struct {
    WPARAM type;
    int frame;
  } bevels[] = {{0, 1}, {SBT_POPOUT, 2}, {SBT_NOBORDERS, 3}, {SBT_NOBORDERS | SBT_POPOUT, 3}};
  for (const auto& b : bevels) EXPECT_EQ(StatusBevelFrame(b.type), b.frame);
}

// A window that draws the owner-drawn parts of its status bars in a colour of its own.
struct TDrawnParts {
  static inline std::vector<DRAWITEMSTRUCT> items;
  static LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg != WM_DRAWITEM) return DefWindowProcW(h, msg, w, l);
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
    items.push_back(*item);
    HBRUSH b = CreateSolidBrush(ColorToRGB(kInk));
    FillRect(item->hDC, &item->rcItem, b);
    DeleteObject(b);
    return TRUE;
  }
  static constexpr TColor kInk = skintest::Rgb(0x12, 0xE4, 0x56);
};

TEST_F(SkinnedBars, OwnerDrawnPartsAreDrawnByTheBarsOwnerInsideTheBevel) {
  Show();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TDrawnParts::Proc;
  wc.lpszClassName = u"SkinTestPartOwner";
  RegisterClassExW(&wc);
  HWND owner = CreateWindowExW(0, u"SkinTestPartOwner", u"", WS_CHILD | WS_VISIBLE, 0, 150, 400, 60, form->Handle(),
                               nullptr, nullptr, nullptr);
  HWND h = CreateWindowExW(0, STATUSCLASSNAME, u"", WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 10, 10,
                           360, 24, owner, reinterpret_cast<HMENU>(intptr_t(83)), nullptr, nullptr);
  const int edges[] = {100, 250, -1};
  SendMessageW(h, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  SendMessageW(h, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(u"Text"));
  SendMessageW(h, SB_SETTEXTW, 1 | SBT_OWNERDRAW, 0x77);
  Attach<TSkinStatusBar>(h);
  TDrawnParts::items.clear();
  Pump();
  ASSERT_FALSE(TDrawnParts::items.empty());
  const DRAWITEMSTRUCT& item = TDrawnParts::items.back();
  const RECT part = Part(h, SB_GETRECT, 1);
  EXPECT_EQ(item.itemID, 1u);
  EXPECT_EQ(item.CtlID, 83u);
  EXPECT_EQ(item.itemData, 0x77u);
  EXPECT_EQ(item.rcItem.left, part.left + 2);
  EXPECT_EQ(item.rcItem.top, part.top + 2);
  EXPECT_EQ(item.rcItem.right, part.right - 2);
  EXPECT_EQ(item.rcItem.bottom, part.bottom - 2);
  // The owner's drawing inside, the skin's lowered bevel around it.
  EXPECT_EQ(AtWindow(h, part.left + 2, part.top + 2), TDrawnParts::kInk);
  EXPECT_EQ(AtWindow(h, part.right - 3, part.bottom - 3), TDrawnParts::kInk);
  EXPECT_EQ(AtWindow(h, part.left + 1, part.top + 1), kEdge[0]);
  EXPECT_EQ(AtWindow(h, part.right - 2, part.bottom - 2), kEdge[0]);
  for (const DRAWITEMSTRUCT& i : TDrawnParts::items) EXPECT_EQ(i.itemID, 1u) << "only the owner-drawn part";
  DestroyWindow(owner);
}

TEST_F(SkinnedBars, TheSizeGripComesFromTheExtraImages) {
  Show();
  HWND h = Make(STATUSCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN | SBARS_SIZEGRIP, 10, 200, 300, 24, 81);
  HWND plain = Make(STATUSCLASSNAME, CCS_NORESIZE | CCS_NOPARENTALIGN, 10, 230, 300, 24, 82);
  Attach<TSkinStatusBar>(h);
  Attach<TSkinStatusBar>(plain);
  Pump();
  EXPECT_EQ(AtWindow(h, 300 - kExtraW / 2 - 1, 24 - kExtraH / 2 - 1), ExtraFrame(5)) << "frame 5 in the corner";
  EXPECT_NE(AtWindow(h, 300 - kExtraW - 2, 24 - kExtraH / 2 - 1), ExtraFrame(5));
  EXPECT_NE(AtWindow(plain, 300 - kExtraW / 2 - 1, 24 - kExtraH / 2 - 1), ExtraFrame(5)) << "no grip style";
}

TEST_F(SkinnedBars, TheHeadingUnderTheMouseIsHot) {
  Show();
  HWND h = Make(WC_HEADER, HDS_BUTTONS, 10, 10, 300, 22, 82);
  for (int i = 0; i < 2; ++i) {
    std::u16string t = i ? u"Size" : u"Name";
    HDITEMW item;
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = t.data();
    item.cxy = 100;
    SendMessageW(h, HDM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
  }
  auto* skin = Attach<TSkinHeader>(h);
  Pump();
  EXPECT_EQ(skin->HotItem, -1);
  EXPECT_EQ(AtWindow(h, 2, 2), kHeader[0]);
  EXPECT_EQ(AtWindow(h, 102, 2), kHeader[0]);
  EXPECT_EQ(AtWindow(h, 250, 2), kHeader[0]) << "beyond the last heading";
  ASSERT_EQ(skin->ItemRects.size(), 2u);
  EXPECT_EQ(skin->ItemRects[1].left, 103);
  MoveTo(h, 150, 10);
  EXPECT_EQ(skin->HotItem, 1);
  EXPECT_EQ(AtWindow(h, 102, 2), kHeader[1]);
  EXPECT_EQ(AtWindow(h, 2, 2), kHeader[0]);
  MoveTo(h, 30, 10);
  EXPECT_EQ(AtWindow(h, 2, 2), kHeader[1]);
  EXPECT_EQ(AtWindow(h, 102, 2), kHeader[0]);
  MoveTo(h, 150, 200);  // off the header: the leave notification clears it
  EXPECT_EQ(skin->HotItem, -1);
  EXPECT_EQ(AtWindow(h, 2, 2), kHeader[0]);
}

}  // namespace
