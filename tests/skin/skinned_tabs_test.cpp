// Tab controls worn with the flat test skin: the current tab's frame and every other tab's, on
// every side the tabs can stand, lined up with the control's own tab rectangles; the pane, the
// texts' colours, a click changing the frames, the scroll arrows of a narrow control skinned and
// left unpainted over, and the tab pictures handed to a foreign page control.
#include <gtest/gtest.h>

#include "platform/forms/bit_btn.h"
#include "platform/forms/foreign_classes.h"
#include "platform/forms/page_control.h"
#include "platform/forms/rtti.h"
#include "platform/forms/win/common_controls.h"
#include "platform/user/default_proc.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/pen_brush.h"
#include "platform/user/window.h"
#include "skin/controls/skin_header.h"
#include "skin/controls/skin_tab.h"
#include "skin/controls/skin_up_down.h"
#include "skin/skin_manage.h"
#include "tests/skin/skinned_form_fixture.h"

using namespace flatskin;

namespace {

class SkinnedTabs : public skintest::SkinnedForm {
 protected:
  HWND MakeTabs(DWORD style, int count, int id = 70, int width = 300) {
    HWND h = Make(WC_TABCONTROL, style, 20, 20, width, 160, id);
    AddTabs(h, 0, count);
    return h;
  }
  void AddTabs(HWND h, int from, int count) {
    const char16_t* texts[] = {u"One", u"Second", u"Third"};
    for (int i = from; i < from + count; ++i) {
      std::u16string t = texts[i % 3];
      TCITEMW item;
      item.mask = TCIF_TEXT;
      item.pszText = t.data();
      SendMessageW(h, TCM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
  }
  RECT ItemRect(HWND h, int i) {
    RECT r{};
    SendMessageW(h, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  RECT Display(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    SendMessageW(h, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // The frame seen near each corner of a tab's own rectangle (2 pixels in).
  void ExpectTabFrame(HWND h, int i, TColor c, const char* what) {
    const RECT r = ItemRect(h, i);
    EXPECT_EQ(AtWindow(h, r.left + 2, r.top + 2), c) << what << " tab " << i << " top left";
    EXPECT_EQ(AtWindow(h, r.right - 3, r.bottom - 3), c) << what << " tab " << i << " bottom right";
  }
};

TEST_F(SkinnedTabs, RawTabControlsGetTheTabWrapper) {
  Show();
  HWND plain = MakeTabs(0, 2);
  HWND owner = MakeTabs(TCS_OWNERDRAWFIXED, 2, 71);
  Wrapper()->SkinWin32Children(plain);
  Wrapper()->SkinWin32Children(owner);
  TSkinControl* s = Wrapper()->FindSkinner(plain);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->KindName(), "TSkinTab");
  EXPECT_EQ(Wrapper()->FindSkinner(owner), nullptr) << "owner-drawn tabs stay plain";
}

TEST_F(SkinnedTabs, EverySideShowsTheCurrentTabsFrameOverItsOwnRectangle) {
  Show();
  const struct {
    DWORD style;
    uint8_t position;
    const char* side;
  } sides[] = {{0, 0, "top"},
               {TCS_BOTTOM, 1, "bottom"},
               {TCS_VERTICAL, 2, "left"},
               {TCS_VERTICAL | TCS_RIGHT, 3, "right"}};
  for (const auto& side : sides) {
    HWND h = MakeTabs(side.style, 3);
    SendMessageW(h, TCM_SETCURSEL, 1, 0);
    auto* skin = Attach<TSkinTab>(h);
    Pump();
    EXPECT_EQ(skin->TabPosition, side.position) << side.side;
    ExpectTabFrame(h, 0, kTab[0], side.side);
    ExpectTabFrame(h, 1, kTab[1], side.side);
    ExpectTabFrame(h, 2, kTab[0], side.side);
    // The pane covers the display area; the strip beyond the last tab shows the face.
    const RECT d = Display(h);
    EXPECT_EQ(AtWindow(h, (d.left + d.right) / 2, (d.top + d.bottom) / 2), kPane) << side.side;
    const RECT last = ItemRect(h, 2);
    const bool vertical = side.position >= 2;
    EXPECT_EQ(AtWindow(h, vertical ? (last.left + last.right) / 2 : last.right + 4,
                       vertical ? last.bottom + 4 : (last.top + last.bottom) / 2),
              kFace)
        << side.side;
    DestroyWindow(h);
    Wrapper()->PurgeSkinners();
  }
}

TEST_F(SkinnedTabs, TextsTakeTheColoursOfTheirFrames) {
  Show();
  HWND h = MakeTabs(0, 2);
  Attach<TSkinTab>(h);
  Pump();
  const RECT current = ItemRect(h, 0), other = ItemRect(h, 1);
  // The texts are smoothed: count the pixels near each text colour (one strong in blue, the
  // other in green; the tab frames are weak in both).
  auto near = [&](const RECT& r, int shift) {
    int n = 0;
    for (int y = r.top + 2; y < r.bottom - 2; ++y)
      for (int x = r.left + 2; x < r.right - 2; ++x) n += ((AtWindow(h, x, y) >> shift) & 0xFF) > 0xB0;
    return n;
  };
  const int green = 8, blue = 16;
  EXPECT_GT(near(current, green), 3);
  EXPECT_EQ(near(current, blue), 0);
  EXPECT_GT(near(other, blue), 3);
  EXPECT_EQ(near(other, green), 0);
}

TEST_F(SkinnedTabs, AClickMovesTheCurrentFrame) {
  Show();
  HWND h = MakeTabs(0, 3);
  Attach<TSkinTab>(h);
  Pump();
  const RECT r = ItemRect(h, 2);
  ClickWindow(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 2) << "the control keeps its behaviour";
  ExpectTabFrame(h, 0, kTab[0], "after the click");
  ExpectTabFrame(h, 2, kTab[1], "after the click");
}

TEST_F(SkinnedTabs, AnEmptyTabControlShowsOnlyItsStripAndPane) {
  Show();
  HWND h = MakeTabs(0, 0);
  Attach<TSkinTab>(h);
  Pump();
  const RECT d = Display(h);
  EXPECT_EQ(AtWindow(h, 10, 5), kFace);
  EXPECT_EQ(AtWindow(h, 150, d.top + 20), kPane);
  EXPECT_EQ(CountColour(h, RECT{0, 0, 300, d.top - 4}, kTab[0]), 0);
}

// The scroll arrows of a narrow control: the tab control's own up-down child, drawn from an
// "UpDown.Horz" element of eight flat frames (the left arrow's 1 to 4, the right arrow's 5 to 8).
TEST_F(SkinnedTabs, ScrollArrowsAreSkinnedAndNeverPaintedOver) {
  Show();
  const TColor kArrow[8] = {skintest::Rgb(0x9D, 0x11, 0x01), skintest::Rgb(0x9D, 0x12, 0x02),
                            skintest::Rgb(0x9D, 0x13, 0x03), skintest::Rgb(0x9D, 0x14, 0x04),
                            skintest::Rgb(0x9D, 0x15, 0x05), skintest::Rgb(0x9D, 0x16, 0x06),
                            skintest::Rgb(0x9D, 0x17, 0x07), skintest::Rgb(0x9D, 0x18, 0x08)};
  auto element = std::make_unique<TDataSkinBorder>("UpDown.Horz");
  element->Frame = 8;
  element->Bitmap.SetPixelFormat(pf24bit);
  element->Bitmap.SetSize(8 * 10, 10);
  for (int f = 0; f < 8; ++f) {
    element->Bitmap.Canvas().Brush().SetColor(kArrow[f]);
    element->Bitmap.Canvas().FillRect(RECT{f * 10, 0, f * 10 + 10, 10});
  }
  sd->UpDownHorz = std::move(element);
  HWND h = MakeTabs(0, 8, 70, 150);
  HWND arrows = FindWindowExW(h, nullptr, UPDOWN_CLASS, nullptr);
  ASSERT_NE(arrows, nullptr) << "eight tabs do not fit in 150 pixels";
  ASSERT_TRUE(IsWindowVisible(arrows));
  auto* skin = Attach<TSkinTab>(h);
  ASSERT_NE(skin->UpDownSkin, nullptr);
  EXPECT_EQ(skin->UpDownSkin->Handle, arrows);
  const RECT first = ItemRect(h, 0);
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(SendMessageW(arrows, CM_SKINQUERY, 0, 0), 1);
  RECT a{};
  GetClientRect(arrows, &a);
  EXPECT_EQ(AtWindow(arrows, 4, 4), kArrow[0]) << "the strip is not copied over the left arrow";
  EXPECT_EQ(AtWindow(arrows, a.right - 4, a.bottom - 4), kArrow[4]) << "nor over the right one";
  EXPECT_EQ(AtWindow(h, first.left + 20, first.top + 2), kTab[1]) << "beside them it is";
  // The right arrow brings the last tab into view; a click on it makes it current.
  RECT inTabs{};
  GetWindowRect(arrows, &inTabs);
  MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&inTabs), 2);
  for (int i = 0; i < 8 && ItemRect(h, 7).right > inTabs.left; ++i) ClickWindow(arrows, a.right - 4, a.bottom / 2);
  const RECT last = ItemRect(h, 7);
  ASSERT_LE(last.right, inTabs.left);
  ClickWindow(h, (last.left + last.right) / 2, (last.top + last.bottom) / 2);
  EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 7);
  ExpectTabFrame(h, 7, kTab[1], "the last tab");
  EXPECT_EQ(AtWindow(arrows, 4, 4), kArrow[0]) << "the arrows still their own after the strip's repaints";
  EXPECT_EQ(AtWindow(arrows, a.right - 4, a.bottom - 4), kArrow[4]);
}

// A tab control makes its arrows only when its tabs first overflow, which may be long after
// the wrapper was attached: they are skinned all the same.
TEST_F(SkinnedTabs, ArrowsMadeAfterAttachingAreSkinnedToo) {
  Show();
  HWND h = MakeTabs(0, 1, 70, 150);
  auto* skin = Attach<TSkinTab>(h);
  Pump();
  EXPECT_EQ(FindWindowExW(h, nullptr, UPDOWN_CLASS, nullptr), nullptr) << "one tab fits";
  AddTabs(h, 1, 7);
  Pump();
  HWND arrows = FindWindowExW(h, nullptr, UPDOWN_CLASS, nullptr);
  ASSERT_NE(arrows, nullptr);
  ASSERT_NE(skin->UpDownSkin, nullptr);
  EXPECT_EQ(skin->UpDownSkin->Handle, arrows);
  EXPECT_EQ(SendMessageW(arrows, CM_SKINQUERY, 0, 0), 1);
}

TEST_F(SkinnedTabs, ButtonStyleTabsWearTheButtonElement) {
  Show();
  HWND h = MakeTabs(TCS_BUTTONS, 3);
  SendMessageW(h, TCM_SETCURSEL, 2, 0);
  Attach<TSkinTabBtn>(h);
  Pump();
  ExpectTabFrame(h, 0, kPush[0], "buttons");
  ExpectTabFrame(h, 1, kPush[0], "buttons");
  ExpectTabFrame(h, 2, kPush[1], "buttons");
  const RECT last = ItemRect(h, 2);
  EXPECT_EQ(AtWindow(h, last.right + 5, (last.top + last.bottom) / 2), kFace) << "the strip's face";
}

TEST_F(SkinnedTabs, TabSheetsStandOnTheFace) {
  Show();
  auto* pages = AddControl<TPageControl>(form, "Pages", 20, 20, 300, 160);
  auto* sheet = CreateComponent<TTabSheet>(form);
  sheet->SetCaption("Sheet");
  sheet->SetParent(pages);
  Pump();
  HWND h = sheet->Handle();
  auto* skin = Attach<TSkinTabSheet>(h);
  TBitmap out;
  out.SetPixelFormat(pf24bit);
  out.SetSize(20, 20);
  TMessage erase{WM_ERASEBKGND, WPARAM(out.Canvas().Handle()), 0, 0};
  EXPECT_FALSE(skin->BeforeMessage(erase));
  EXPECT_EQ(erase.Result, 1);
  EXPECT_EQ(skintest::PixelOf(out, 5, 5), kFace);
  out.Canvas().Brush().SetColor(clWhite);
  out.Canvas().FillRect(RECT{0, 0, 20, 20});
  TMessage print{WM_PRINTCLIENT, WPARAM(out.Canvas().Handle()), 0, 0};
  EXPECT_FALSE(skin->BeforeMessage(print));
  EXPECT_EQ(skintest::PixelOf(out, 5, 5), kFace);
  // The flag the wrapper shares with other families leaves the page's own painting.
  skin->NoMouseForward = 1;
  TMessage again{WM_ERASEBKGND, WPARAM(out.Canvas().Handle()), 0, 0};
  EXPECT_TRUE(skin->BeforeMessage(again));
}

// A page worn by the sheet wrapper (the program's own choice) still shows the controls on it
// that have no window of their own: a speed button, drawn from the skin's button element.
TEST_F(SkinnedTabs, ASheetShowsItsControlsWithoutAWindow) {
  sd->Skin3rd()->Add("TSpeedButton=speedbutton");
  sd->OnSkinControl = [](TComponent*, TSkinData*, TControl*, TControl*, const std::string& cls,
                         TSkinControl*& chosen) {
    if (cls == "TTABSHEET") chosen = new TSkinTabSheet();
  };
  Show();
  auto* pages = AddControl<TPageControl>(form, "Pages", 20, 20, 300, 160);
  auto* sheet = CreateComponent<TTabSheet>(form);
  sheet->SetCaption("Sheet");
  sheet->SetParent(pages);
  auto* speed = CreateComponent<TSpeedButton>(form);
  speed->SetBounds(30, 20, 60, 30);
  speed->SetParent(sheet);
  Wrapper()->SkinChildren(sheet, form);
  Wrapper()->SkinChildren(speed, sheet);
  ASSERT_NE(dynamic_cast<TSkinTabSheet*>(Wrapper()->FindSkinner(sheet)), nullptr);
  ASSERT_NE(Wrapper()->FindSkinner(speed), nullptr);
  sheet->Invalidate();
  Pump();
  EXPECT_EQ(AtWindow(sheet->Handle(), 5, 5), kFace) << "the page's face";
  EXPECT_EQ(AtWindow(speed, 2, 2), kPush[0]) << "the speed button over it";
  EXPECT_EQ(AtWindow(speed, 57, 27), kPush[0]);
  EXPECT_EQ(AtWindow(sheet->Handle(), 95, 25), kFace) << "beside the button";
}

TEST_F(SkinnedTabs, StripRectanglesTurnIntoTheHorizontalBuffer) {
  // Left tabs: the buffer is as wide as the control is high and turned counter-clockwise
  // afterwards; right tabs: turned clockwise.
  const struct {
    RECT in;
    uint8_t position;
    RECT out;
  } cases[] = {{{2, 2, 40, 20}, 0, {2, 3, 40, 21}},
               {{2, 140, 40, 158}, 1, {2, -2, 40, 16}},
               {{2, 10, 20, 50}, 2, {110, 2, 150, 20}},
               {{280, 10, 298, 50}, 3, {10, 2, 50, 20}}};
  for (const auto& c : cases) {
    const RECT r = TabInStrip(c.in, c.position, 141, 160, 300);
    EXPECT_EQ(r.left, c.out.left) << int(c.position);
    EXPECT_EQ(r.top, c.out.top) << int(c.position);
    EXPECT_EQ(r.right, c.out.right) << int(c.position);
    EXPECT_EQ(r.bottom, c.out.bottom) << int(c.position);
  }
  EXPECT_EQ(TabPositionOfStyle(TCS_BOTTOM | TCS_VERTICAL), 3);
  EXPECT_EQ(TabPositionOfStyle(TCS_BUTTONS), 0);
}

// A foreign page control that draws its tabs from two published pictures.
class TAdvPageControl : public TWinControl {
 public:
  explicit TAdvPageControl(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info =
        TClassBuilder<TAdvPageControl>("TAdvPageControl", &TWinControl::StaticClassInfo())
            .Prop("TabBackGround", &TAdvPageControl::TabBackGround, &TAdvPageControl::SetTabBackGround)
            .Prop("TabBackGroundActive", &TAdvPageControl::TabBackGroundActive,
                  &TAdvPageControl::SetTabBackGroundActive)
            .Creator([](TComponent* o) { return new TAdvPageControl(o); })
            .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TBitmap* TabBackGround() const { return &normal_; }
  void SetTabBackGround(TBitmap* b) {
    if (b) normal_.Assign(*b);
  }
  TBitmap* TabBackGroundActive() const { return &active_; }
  void SetTabBackGroundActive(TBitmap* b) {
    if (b) active_.Assign(*b);
  }

 private:
  mutable TBitmap normal_, active_;
};

TEST_F(SkinnedTabs, AForeignPageControlReceivesTheTabPictures) {
  RegisterClass(TAdvPageControl::StaticClassInfo());
  sd->Skin3rd()->Add("TAdvPageControl=advpagecontrol");
  Show(
      "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 300\n  ClientWidth = 400\n"
      "  object Pages: TAdvPageControl\n    Left = 10\n    Top = 10\n    Width = 200\n    Height = 100\n  end\n"
      "end\n");
  auto* pages = Find<TAdvPageControl>("Pages");
  ASSERT_NE(pages, nullptr);
  TSkinControl* s = Wrapper()->FindSkinner(pages);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->KindName(), "TSkinAdvPage");
  ASSERT_EQ(pages->TabBackGround()->Width(), 100);
  ASSERT_EQ(pages->TabBackGround()->Height(), 21);
  EXPECT_EQ(skintest::PixelOf(*pages->TabBackGround(), 50, 10), kTab[0]);
  EXPECT_EQ(skintest::PixelOf(*pages->TabBackGroundActive(), 50, 10), kTab[1]);
  s->RestoreColor();
  EXPECT_TRUE(pages->TabBackGround()->Empty());
  EXPECT_TRUE(pages->TabBackGroundActive()->Empty());
}

// Paints red over a window's client area, as stale pixels that the next paint must cover.
void Stain(HWND h) {
  HDC dc = GetDC(h);
  RECT all{};
  GetClientRect(h, &all);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  DeleteObject(red);
  ReleaseDC(h, dc);
  FlushWindowPixels(h);
}

constexpr TColor kStain = skintest::Rgb(255, 0, 0);

// Without the pictures a wrapper draws with, the control is not left unpainted: a tab control
// without tab pictures, a button-style one without the button element and a header without
// its picture draw themselves; a tab control with tab pictures but no pane paints its display
// area in its colour.
TEST_F(SkinnedTabs, NothingIsLeftUnpaintedWithoutThePictures) {
  Show();
  HWND tabs = MakeTabs(0, 2);
  HWND buttons = MakeTabs(TCS_BUTTONS, 2, 71);
  HWND header = Make(WC_HEADER, HDS_BUTTONS, 20, 200, 300, 22, 72);
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_WIDTH;
  item.cxy = 100;
  std::u16string text = u"Name";
  item.pszText = text.data();
  SendMessageW(header, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  Attach<TSkinTab>(tabs);
  Attach<TSkinTabBtn>(buttons);
  Attach<TSkinHeader>(header);
  Pump();
  // The tab pictures stay, the pane goes: the display area is painted all the same.
  sd->Tabs->Bitmap2.Assign(TBitmap());
  Stain(tabs);
  RECT d = Display(tabs);
  InvalidateRect(tabs, nullptr, TRUE);
  Pump();
  EXPECT_EQ(AtWindow(tabs, (d.left + d.right) / 2, (d.top + d.bottom) / 2), kFace) << "display area";
  // No tab pictures, no button element, no header picture: each control draws itself.
  sd->Tabs.reset();
  sd->Buttons->Bitmap.Assign(TBitmap());
  sd->Headerbar.reset();
  for (HWND h : {tabs, buttons, header}) {
    Stain(h);
    InvalidateRect(h, nullptr, TRUE);
  }
  Pump();
  const RECT first = ItemRect(tabs, 0);
  EXPECT_NE(AtWindow(tabs, (first.left + first.right) / 2, (first.top + first.bottom) / 2), kStain) << "tabs";
  const RECT firstButton = ItemRect(buttons, 0);
  EXPECT_NE(AtWindow(buttons, (firstButton.left + firstButton.right) / 2, (firstButton.top + firstButton.bottom) / 2),
            kStain)
      << "tab buttons";
  EXPECT_NE(AtWindow(header, 50, 11), kStain) << "header";
}

}  // namespace
