// Controls that draw themselves from what the skin hands them, and the engine's own media
// player panel: foreign check boxes and radio buttons receiving glyph strips cut from the
// skin's pictures, the class library's tab set drawn whole, and a media player's buttons drawn
// with the button element and passing presses to the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/forms/foreign_classes.h"
#include "platform/forms/media_player.h"
#include "platform/forms/rtti.h"
#include "platform/forms/tab_set.h"
#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/painting.h"
#include "skin/skin_manage.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/controls/skin_media_player.h"
#include "skin/controls/skin_obj_image.h"
#include "skin/controls/skin_tab.h"
#include "tests/skin/skinned_form_fixture.h"

using namespace flatskin;
using display::MouseButton;

namespace {

// A foreign check box (or radio button) that draws itself from custom glyphs.
class TRzCheckBox : public TWinControl {
 public:
  explicit TRzCheckBox(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TRzCheckBox>("TRzCheckBox", &TWinControl::StaticClassInfo())
                                       .Prop("CustomGlyphs", &TRzCheckBox::CustomGlyphs, &TRzCheckBox::SetCustomGlyphs)
                                       .Prop("UseCustomGlyphs", &TRzCheckBox::UseCustomGlyphs,
                                             &TRzCheckBox::SetUseCustomGlyphs)
                                       .Creator([](TComponent* o) { return new TRzCheckBox(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TBitmap* CustomGlyphs() const { return &glyphs_; }
  void SetCustomGlyphs(TBitmap* b) {
    if (b) glyphs_.Assign(*b);
  }
  bool UseCustomGlyphs() const { return use_; }
  void SetUseCustomGlyphs(bool v) {
    use_ = v;
    switches.push_back(v);
  }
  std::vector<bool> switches;

 private:
  mutable TBitmap glyphs_;
  bool use_ = false;
};

class TRzRadioButton : public TRzCheckBox {
 public:
  using TRzCheckBox::TRzCheckBox;
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TRzRadioButton>("TRzRadioButton", &TRzCheckBox::StaticClassInfo())
                                       .Creator([](TComponent* o) { return new TRzRadioButton(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

// A foreign check box whose glyph lives in a properties object.
class TcxCheckBoxProperties : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info =
        TClassBuilder<TcxCheckBoxProperties>("TcxCheckBoxProperties", &TPersistent::StaticClassInfo())
            .Prop("Glyph", &TcxCheckBoxProperties::Glyph, &TcxCheckBoxProperties::SetGlyph)
            .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TBitmap* Glyph() const { return &glyph_; }
  void SetGlyph(TBitmap* b) {
    if (b) glyph_.Assign(*b);
  }

 private:
  mutable TBitmap glyph_;
};

class TcxCheckBox : public TWinControl {
 public:
  explicit TcxCheckBox(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TcxCheckBox>("TcxCheckBox", &TWinControl::StaticClassInfo())
                                       .Prop("Properties", &TcxCheckBox::Properties, &TcxCheckBox::SetProperties)
                                       .Creator([](TComponent* o) { return new TcxCheckBox(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TcxCheckBoxProperties* Properties() const { return &properties_; }
  void SetProperties(TcxCheckBoxProperties*) {}

 private:
  mutable TcxCheckBoxProperties properties_;
};

// A foreign dock: a container that paints itself in its colour.
class TTBDock : public TWinControl {
 public:
  explicit TTBDock(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TTBDock>("TTBDock", &TWinControl::StaticClassInfo())
                                       .Creator([](TComponent* o) { return new TTBDock(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void WndProc(TMessage& m) override {
    if (m.Msg != WM_ERASEBKGND) return TWinControl::WndProc(m);
    RECT r{};
    GetClientRect(HandleIfAllocated(), &r);
    HBRUSH b = CreateSolidBrush(ColorToRGB(Color()));
    FillRect(reinterpret_cast<HDC>(m.WParam), &r, b);
    DeleteObject(b);
    m.Result = 1;
  }
};

// A foreign radio group and the plain buttons it holds.
class TcxRadioGroup : public TWinControl {
 public:
  explicit TcxRadioGroup(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TcxRadioGroup>("TcxRadioGroup", &TWinControl::StaticClassInfo())
                                       .Creator([](TComponent* o) { return new TcxRadioGroup(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

class TGroupButton : public TWinControl {
 public:
  explicit TGroupButton(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TGroupButton>("TGroupButton", &TWinControl::StaticClassInfo())
                                       .Creator([](TComponent* o) { return new TGroupButton(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

// A foreign data-aware check box: a plain check box window whose own "State" property tells
// its state in words (its window is never indeterminate).
class TDBCheckBoxEh : public TWinControl {
 public:
  explicit TDBCheckBoxEh(TComponent* owner) : TWinControl(owner) {}
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TDBCheckBoxEh>("TDBCheckBoxEh", &TWinControl::StaticClassInfo())
                                       .Prop("State", &TDBCheckBoxEh::State, &TDBCheckBoxEh::SetState)
                                       .Creator([](TComponent* o) { return new TDBCheckBoxEh(o); })
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  std::string State() const { return state_; }
  void SetState(const std::string& s) { state_ = s; }

 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    p.WinClassName = WC_BUTTON;
    p.SystemClass = true;
    p.Style |= BS_CHECKBOX;
  }

 private:
  std::string state_ = "cbUnchecked";
};

const char* const kGroupForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 200\n  ClientWidth = 300\n"
    "  object Group: TcxRadioGroup\n    Left = 10\n    Top = 10\n    Width = 150\n    Height = 80\n"
    "    object First: TGroupButton\n      Left = 8\n      Top = 16\n      Width = 100\n      Height = 20\n    end\n"
    "    object Second: TGroupButton\n      Left = 8\n      Top = 44\n      Width = 100\n      Height = 20\n    end\n"
    "  end\n"
    "end\n";

const char* const kForeignForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 300\n  ClientWidth = 400\n"
    "  object Check: TRzCheckBox\n    Left = 10\n    Top = 10\n    Width = 100\n    Height = 20\n  end\n"
    "  object Radio: TRzRadioButton\n    Left = 10\n    Top = 40\n    Width = 100\n    Height = 20\n  end\n"
    "  object Cx: TcxCheckBox\n    Left = 10\n    Top = 70\n    Width = 100\n    Height = 20\n  end\n"
    "  object Set1: TTabSet\n    Left = 10\n    Top = 100\n    Width = 300\n    Height = 22\n"
    "    Tabs.Strings = (\n      'One'\n      'Two')\n    TabIndex = 1\n  end\n"
    "  object Dock: TTBDock\n    Left = 200\n    Top = 10\n    Width = 100\n    Height = 40\n  end\n"
    "  object Player: TMediaPlayer\n    Left = 10\n    Top = 140\n    Width = 150\n    Height = 30\n"
    "    VisibleButtons = [btPlay, btStop, btEject]\n    EnabledButtons = [btPlay, btEject]\n  end\n"
    "end\n";

class SkinnedForeign : public skintest::SkinnedForm {
 protected:
  void SetUp() override {
    SkinnedForm::SetUp();
    for (const TClassInfo* c : {&TRzCheckBox::StaticClassInfo(), &TRzRadioButton::StaticClassInfo(),
                                &TcxCheckBox::StaticClassInfo(), &TTBDock::StaticClassInfo(),
                                &TcxRadioGroup::StaticClassInfo(), &TGroupButton::StaticClassInfo(),
                                &TDBCheckBoxEh::StaticClassInfo()})
      RegisterClass(*c);
  }
  // The colour in the middle of slot k (from 1) of a 9-slot strip.
  TColor Slot(const TBitmap& strip, int k) {
    const int w = strip.Width() / kObjImageSlots;
    return skintest::PixelOf(strip, (k - 1) * w + w / 2, strip.Height() / 2);
  }
};

TEST_F(SkinnedForeign, CheckBoxesAndRadioButtonsReceiveGlyphStrips) {
  Show(kForeignForm);
  auto* check = Find<TRzCheckBox>("Check");
  auto* radio = Find<TRzRadioButton>("Radio");
  auto* cx = Find<TcxCheckBox>("Cx");
  ASSERT_TRUE(check && radio && cx);
  const TBitmap& strip = *check->CustomGlyphs();
  ASSERT_EQ(strip.Width(), kObjImageSlots * kBox);
  const TColor magenta = skintest::Rgb(255, 0, 255);
  const TColor expected[kObjImageSlots] = {kCheck[0], kCheck[1], magenta,   kCheck[0], kCheck[1],
                                           magenta,   kCheck[2], kCheck[3], magenta};
  for (int k = 1; k <= kObjImageSlots; ++k) EXPECT_EQ(Slot(strip, k), expected[k - 1]) << k;
  EXPECT_EQ(strip.TransparentColor(), magenta);
  EXPECT_EQ(check->switches, (std::vector<bool>{false, true})) << "switched off and on to reload";
  EXPECT_EQ(Slot(*radio->CustomGlyphs(), 2), kRadio[1]);
  EXPECT_EQ(Slot(*radio->CustomGlyphs(), 8), kRadio[3]);
  EXPECT_EQ(Slot(*cx->Properties()->Glyph(), 7), kCheck[2]);
  // Given back: the custom glyphs switched off, the properties' glyph cleared.
  Wrapper()->FindSkinner(check)->RestoreColor();
  EXPECT_FALSE(check->UseCustomGlyphs());
  Wrapper()->FindSkinner(cx)->RestoreColor();
  EXPECT_TRUE(cx->Properties()->Glyph()->Empty());
  const struct {
    int slot, frames, frame;
  } slots[] = {{1, 4, 1}, {3, 4, 0}, {3, 5, 5}, {6, 5, 5}, {7, 4, 3}, {8, 4, 4}, {9, 5, 5}, {0, 5, 0}, {10, 5, 0}};
  for (const auto& s : slots) EXPECT_EQ(ObjImageSlotFrame(s.slot, s.frames), s.frame) << s.slot;
}

// A strip of 12 frames: a foreign box whose "State" says gray shows the frame of state 4
// (checked, disabled: 8), and 6 when it is disabled too; its window is not indeterminate.
TEST_F(SkinnedForeign, AGrayStateInWordsIsAStateOfItsOwn) {
  TBitmap& strip = sd->Buttons->CheckBitmap;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(12 * kBox, kBox);
  for (int k = 0; k < 12; ++k)
    for (int y = 0; y < kBox; ++y)
      for (int x = 0; x < kBox; ++x) strip.Dib().SetColor(k * kBox + x, y, RGB(0x80, uint8_t(k + 1), 0x40));
  sd->Buttons->CheckButtonFrame = 12;
  Show(
      "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  ClientHeight = 100\n  ClientWidth = 200\n"
      "  object Box: TDBCheckBoxEh\n    Left = 10\n    Top = 10\n    Width = 100\n    Height = 20\n"
      "    State = 'cbGrayed'\n  end\nend\n");
  auto* box = Find<TDBCheckBoxEh>("Box");
  ASSERT_NE(box, nullptr);
  ASSERT_NE(Wrapper()->FindSkinner(box), nullptr);
  const int mid = (20 - kBox) / 2 + kBox / 2;
  auto frameShown = [&] { return int((AtWindow(box->Handle(), kBox / 2, mid) >> 8) & 0xFF); };
  EXPECT_EQ(frameShown(), 8);
  box->SetEnabled(false);
  Pump();
  EXPECT_EQ(frameShown(), 6);
  // The window's own indeterminate state is the grayed frame.
  box->SetEnabled(true);
  SendMessageW(box->Handle(), BM_SETSTYLE, BS_3STATE, TRUE);
  SendMessageW(box->Handle(), BM_SETCHECK, BST_INDETERMINATE, 0);
  Pump();
  EXPECT_EQ(frameShown(), 9);
}

TEST_F(SkinnedForeign, ASkinSwitchRecoloursContainersTabsAndGlyphs) {
  Show(kForeignForm);
  auto* dock = Find<TTBDock>("Dock");
  auto* check = Find<TRzCheckBox>("Check");
  auto* tabs = Find<TTabSet>("Set1");
  ASSERT_TRUE(dock && check && tabs);
  HWND strip = Make(WC_TABCONTROL, 0, 10, 200, 200, 60, 90);
  std::u16string one = u"One";
  TCITEMW item;
  item.mask = TCIF_TEXT;
  item.pszText = one.data();
  SendMessageW(strip, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  Wrapper()->SkinWin32Children(strip);
  Pump();
  RECT tab{};
  SendMessageW(strip, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  const TRect set = tabs->TabRect(0);
  EXPECT_EQ(AtWindow(dock->Handle(), 50, 20), kFace);
  EXPECT_EQ(AtWindow(tabs->Handle(), set.left + 2, 2), kTab[0]);
  EXPECT_EQ(AtWindow(strip, tab.left + 2, tab.top + 2), kTab[1]);
  EXPECT_EQ(Slot(*check->CustomGlyphs(), 1), kCheck[0]);
  // A skin whose face and control pictures differ: every control takes it with the frame.
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(RecolouredFlatSkin(9));
  ASSERT_TRUE(sd->LoadSkin());
  sd->ApplySkin();
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(AtWindow(dock->Handle(), 50, 20), Shifted(kFace, 9)) << "the dock's face";
  EXPECT_EQ(AtWindow(tabs->Handle(), set.left + 2, 2), Shifted(kTab[0], 9)) << "the tab set's pictures";
  EXPECT_EQ(AtWindow(strip, tab.left + 2, tab.top + 2), Shifted(kTab[1], 9)) << "the tab control's pictures";
  EXPECT_EQ(Slot(*check->CustomGlyphs(), 1), Shifted(kCheck[0], 9)) << "the glyph strip";
  EXPECT_EQ(Slot(*check->CustomGlyphs(), 8), Shifted(kCheck[3], 9));
  EXPECT_EQ(AtWindow(form->Handle(), kBorder + 370, kCaption + 290), Shifted(kFace, 9)) << "the form";
}

TEST_F(SkinnedForeign, ARadioGroupFollowsItsOwnGate) {
  // The buttons' gate is on, the group's is off: neither the group nor its buttons are skinned.
  sd->SetSkinControls(sd->SkinControls() & ~SkinBit(xcGroupBox));
  Show(kGroupForm);
  for (const char* name : {"Group", "First", "Second"})
    EXPECT_EQ(Wrapper()->FindSkinner(Find<TControl>(name)), nullptr) << name;
}

TEST_F(SkinnedForeign, ARadioGroupWithItsGateSkinsItsButtons) {
  Show(kGroupForm);
  const std::pair<const char*, const char*> expected[] = {
      {"Group", "TSkinGroupBox"}, {"First", "TSkinRadioButton"}, {"Second", "TSkinRadioButton"}};
  for (const auto& [name, kind] : expected) {
    TSkinControl* s = Wrapper()->FindSkinner(Find<TControl>(name));
    ASSERT_NE(s, nullptr) << name;
    EXPECT_STREQ(s->KindName(), kind);
  }
  // The buttons are attached first, the group's frame after them.
  const auto& list = Wrapper()->ControlSkins;
  auto at = [&](const char* name) {
    const TSkinControl* s = Wrapper()->FindSkinner(Find<TControl>(name));
    return std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == s; }) - list.begin();
  };
  EXPECT_LT(at("First"), at("Group"));
  EXPECT_LT(at("Second"), at("Group"));
}

TEST_F(SkinnedForeign, TabSetsAreDrawnWholeFromTheTabPictures) {
  Show(kForeignForm);
  auto* tabs = Find<TTabSet>("Set1");
  ASSERT_NE(tabs, nullptr);
  TSkinControl* s = Wrapper()->FindSkinner(tabs);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->KindName(), "TSkinTab31");
  HWND h = tabs->Handle();
  TRect one = tabs->TabRect(0), two = tabs->TabRect(1);
  EXPECT_EQ(AtWindow(h, one.left + 2, 2), kTab[0]);
  EXPECT_EQ(AtWindow(h, two.left + 2, 2), kTab[1]) << "the current tab";
  EXPECT_EQ(AtWindow(h, two.right + 10, 2), kFace);
  ClickWindow(h, one.left + 4, 10);
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(AtWindow(h, one.left + 2, 2), kTab[1]);
  EXPECT_EQ(AtWindow(h, two.left + 2, 2), kTab[0]);
}

TEST_F(SkinnedForeign, MediaPlayerButtonsPassTheirPressesOn) {
  Show(kForeignForm);
  auto* player = Find<TMediaPlayer>("Player");
  ASSERT_NE(player, nullptr);
  auto* s = dynamic_cast<TSkinMP*>(Wrapper()->FindSkinner(player));
  ASSERT_NE(s, nullptr);
  ASSERT_NE(s->Panel, nullptr);
  HWND panel = s->Panel->Handle;
  RECT pr{}, hr{};
  GetWindowRect(panel, &pr);
  GetWindowRect(player->Handle(), &hr);
  EXPECT_EQ(pr.left, hr.left);
  EXPECT_EQ(pr.right, hr.right);
  // Three visible buttons of 50 pixels: play, stop (disabled), eject.
  EXPECT_EQ(AtWindow(panel, 25, 15), kPush[0]);
  EXPECT_EQ(AtWindow(panel, 75, 15), kPush[2]);
  EXPECT_EQ(AtWindow(panel, 125, 15), kPush[0]);
  std::vector<TMPBtnType> clicks;
  player->OnButtonClick = [&](TObject*, TMPBtnType b, bool&) { clicks.push_back(b); };
  MoveTo(panel, 25, 15);
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(AtWindow(panel, 25, 15), kPush[1]) << "pressed";
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(clicks, std::vector<TMPBtnType>{btPlay});
  EXPECT_EQ(AtWindow(panel, 25, 15), kPush[0]);
  // Released over another button: no click.
  screen->PressButton(MouseButton::Left);
  Pump();
  MoveTo(panel, 125, 15);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(clicks.size(), 1u);
  // The panel follows the player's bounds and visibility.
  player->SetBounds(20, 200, 90, 30);
  Pump();
  GetWindowRect(panel, &pr);
  GetWindowRect(player->Handle(), &hr);
  EXPECT_EQ(pr.left, hr.left);
  EXPECT_EQ(pr.top, hr.top);
  EXPECT_EQ(pr.right - pr.left, 90);
  player->Hide();
  Pump();
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_EQ(TWMediaPlayer::ResourceName(0, 0), "EN_MPPLAY");
  EXPECT_EQ(TWMediaPlayer::ResourceName(8, 2), "CL_MPEJECT");
  // Given back, the panel goes.
  s->RestoreColor();
  EXPECT_EQ(s->Panel, nullptr);
  EXPECT_FALSE(IsWindow(panel));
}

}  // namespace
