// Controls of a skinned form on the headless screen, drawn with the flat test skin: which
// wrapper each control gets, each wrapper's frame for every state probed pixel by pixel, the
// mouse and keyboard driving them, switching a control's skinning off and on, and controls
// that die before their wrappers.
#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/check_box.h"
#include "platform/forms/edit.h"
#include "platform/forms/form.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/default_proc.h"
#include "platform/user/painting.h"
#include "platform/user/scroll.h"
#include "platform/user/window.h"
#include "skin/controls/skin_boxes.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_box.h"
#include "skin/controls/skin_up_down.h"
#include "skin/controls/skin_control.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"

using namespace flatskin;
using display::MouseButton;

namespace {

const char* const kForm =
    "object SkinForm: TForm\n"
    "  Left = 100\n  Top = 80\n  Caption = 'Controls'\n  ClientHeight = 240\n  ClientWidth = 320\n"
    "  object Push: TButton\n    Left = 10\n    Top = 10\n    Width = 80\n    Height = 26\n"
    "    Caption = 'Go'\n    TabOrder = 0\n  end\n"
    "  object Other: TButton\n    Left = 100\n    Top = 10\n    Width = 80\n    Height = 26\n"
    "    Caption = 'Other'\n    TabOrder = 1\n  end\n"
    "  object Box: TCheckBox\n    Left = 10\n    Top = 50\n    Width = 120\n    Height = 20\n"
    "    Caption = 'Tick'\n    TabOrder = 2\n  end\n"
    "  object Field: TEdit\n    Left = 10\n    Top = 80\n    Width = 120\n    Height = 22\n    TabOrder = 3\n  end\n"
    "  object Bar: TProgressBar\n    Left = 10\n    Top = 120\n    Width = 200\n    Height = 16\n  end\n"
    "  object Plain: TButton\n    Left = 10\n    Top = 150\n    Width = 80\n    Height = 26\n"
    "    Caption = 'Plain'\n    Tag = 99\n    TabOrder = 4\n  end\n"
    "  object Note: TLabel\n    Left = 220\n    Top = 50\n    Width = 80\n    Height = 16\n    Caption = 'x'\n  end\n"
    "end\n";

class SkinnedControls : public skintest::SkinnedFormFixture {
 protected:
  void Show() { ShowForm(kForm); }
  template <class T>
  T* Find(const char* name) {
    return dynamic_cast<T*>(form->FindComponent(name));
  }
  // A pixel of the screen at a point of a control's window.
  TColor At(TWinControl* c, int x, int y) {
    RECT r{};
    GetWindowRect(c->Handle(), &r);
    return ScreenColor(r.left + x, r.top + y);
  }
  POINT Centre(TWinControl* c) {
    RECT r{};
    GetWindowRect(c->Handle(), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void MoveTo(POINT p) {
    screen->MoveMouse(p.x, p.y);
    Pump();
  }
  std::string KindOf(const char* name) {
    TSkinControl* s = Wrapper()->FindSkinner(Find<TControl>(name));
    return s ? s->KindName() : "-";
  }
};

TEST_F(SkinnedControls, EachControlGetsTheWrapperOfItsKind) {
  Show();
  ASSERT_NE(Wrapper(), nullptr);
  const std::pair<const char*, const char*> expected[] = {
      {"Push", "TSkinButton"}, {"Other", "TSkinButton"},    {"Box", "TSkinCheckBox"},
      {"Field", "TSkinEdit"},  {"Bar", "TSkinProgress"},    {"Plain", "-"},
  };
  for (const auto& [name, kind] : expected) EXPECT_EQ(KindOf(name), kind) << name;
  EXPECT_EQ(SendMessageW(Find<TWinControl>("Push")->Handle(), CM_SKINQUERY, 0, 0), 1);
  EXPECT_NE(SendMessageW(Find<TWinControl>("Plain")->Handle(), CM_SKINQUERY, 0, 0), 1);
  // Walking again skins nothing twice.
  const size_t count = Wrapper()->ControlSkins.size();
  Wrapper()->SkinFormChildren();
  EXPECT_EQ(Wrapper()->ControlSkins.size(), count);
}

TEST_F(SkinnedControls, LabelsStandOnTheSkinsFace) {
  Show();
  EXPECT_EQ(At(Find<TWinControl>("Note"), 70, 8), kFace);
}

TEST_F(SkinnedControls, SkinSwitchedOffAndOnAgainThroughTheTimer) {
  Show();
  auto* push = Find<TButton>("Push");
  auto* bar = Find<TProgressBar>("Bar");
  Find<TButton>("Other")->SetFocus();
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[0]);
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  EXPECT_NE(At(push, 2, 2), kPush[0]);
  EXPECT_NE(At(bar, 1, 8), kProgress[0]);
  EXPECT_NE(SendMessageW(push->Handle(), CM_SKINQUERY, 0, 0), 1);
  sd->SetActive(true);
  SkinManage()->TimerTick();
  Pump();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(KindOf("Push"), "TSkinButton");
  EXPECT_EQ(At(push, 2, 2), kPush[0]);
  EXPECT_EQ(At(bar, 1, 8), kProgress[0]);
}

TEST_F(SkinnedControls, TheControlSetAndSkin3rdKeepControlsPlain) {
  sd->SetSkinControls(sd->SkinControls() & ~SkinBit(xcProgress));
  sd->Skin3rd()->Add("TCheckBox=nil");
  sd->Skin3rd()->Add("tedit=button");
  Show();
  EXPECT_EQ(KindOf("Bar"), "-");
  EXPECT_EQ(KindOf("Box"), "-");
  EXPECT_EQ(KindOf("Field"), "TSkinButton");
  EXPECT_EQ(KindOf("Push"), "TSkinButton");
}

TEST_F(SkinnedControls, ASkin3rdLineWithNoKindKeepsItsClassPlain) {
  // The line names the class, so the built-in rules are not tried for it.
  sd->Skin3rd()->Add("TProgressBar=");
  Show();
  EXPECT_EQ(KindOf("Bar"), "-");
  EXPECT_EQ(KindOf("Push"), "TSkinButton");
}

TEST_F(SkinnedControls, TheUserEventChoosesFirst) {
  std::vector<std::string> asked;
  sd->OnSkinControl = [&](TComponent*, TSkinData*, TControl*, TControl* control, const std::string& cls,
                          TSkinControl*& skinned) {
    asked.push_back(cls);
    if (control->Name() == "Push") skinned = new TSkinRadioButton();
  };
  Show();
  EXPECT_EQ(KindOf("Push"), "TSkinRadioButton");
  EXPECT_EQ(KindOf("Other"), "TSkinButton");
  EXPECT_NE(std::find(asked.begin(), asked.end(), "TPROGRESSBAR"), asked.end());
}

TEST_F(SkinnedControls, TheUserEventIsToldTheFormsWrapper) {
  std::vector<TComponent*> senders;
  std::vector<TControl*> forms;
  sd->OnSkinControl = [&](TComponent* sender, TSkinData*, TControl* f, TControl*, const std::string&,
                          TSkinControl*&) {
    senders.push_back(sender);
    forms.push_back(f);
  };
  Show();
  ASSERT_FALSE(senders.empty());
  for (TComponent* s : senders) EXPECT_EQ(static_cast<void*>(s), static_cast<void*>(Wrapper()));
  for (TControl* f : forms) EXPECT_EQ(f, form);
  ASSERT_NE(senders.front(), nullptr);
  EXPECT_EQ(senders.front()->ClassName(), "TWinSkinForm");
}

TEST_F(SkinnedControls, PushButtonFramesFollowMouseFocusAndState) {
  Show();
  auto* push = Find<TButton>("Push");
  auto* other = Find<TButton>("Other");
  other->SetFocus();
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[0]) << "normal";
  EXPECT_EQ(At(other, 2, 2), kPush[4]) << "focused";
  MoveTo(Centre(push));
  EXPECT_EQ(At(push, 2, 2), kPush[3]) << "hot";
  int clicks = 0;
  push->OnClick = [&](TObject*) { ++clicks; };
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[1]) << "pressed";
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), push->Handle());
  EXPECT_EQ(At(push, 2, 2), kPush[3]) << "hot and focused";
  MoveTo(POINT{Centre(push).x, Centre(push).y + 150});
  SendMessageW(push->Handle(), WM_MOUSELEAVE, 0, 0);
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[4]) << "focused after the mouse left";
  // The space key presses the focused button; the native button clicks it.
  screen->PressKey(VK_SPACE, U' ');
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[1]) << "pressed by the space key";
  screen->ReleaseKey(VK_SPACE);
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[4]);
  EXPECT_EQ(clicks, 2);
  other->SetDefault(true);
  push->SetEnabled(false);
  other->SetEnabled(false);
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[2]) << "disabled";
  EXPECT_EQ(At(other, 2, 2), kPush[2]) << "a disabled default button";
  // The plain button keeps its own look.
  EXPECT_NE(At(Find<TButton>("Plain"), 2, 2), kPush[0]);
}

TEST_F(SkinnedControls, CheckBoxFramesForEveryState) {
  Show();
  auto* box = Find<TCheckBox>("Box");
  const int mid = (20 - kBox) / 2 + kBox / 2;
  EXPECT_EQ(At(box, kBox / 2, mid), kCheck[0]) << "unchecked";
  EXPECT_EQ(At(box, kBox + 40, 1), kFace) << "the face colour beside the box";
  MoveTo(Centre(box));
  screen->PressButton(MouseButton::Left);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(At(box, kBox / 2, mid), kCheck[1]) << "checked";
  box->SetEnabled(false);
  Pump();
  EXPECT_EQ(At(box, kBox / 2, mid), kCheck[3]) << "checked, disabled";
  box->SetChecked(false);
  Pump();
  EXPECT_EQ(At(box, kBox / 2, mid), kCheck[2]) << "unchecked, disabled";
  box->SetEnabled(true);
  box->SetAllowGrayed(true);
  box->SetState(cbGrayed);
  Pump();
  EXPECT_EQ(At(box, kBox / 2, mid), kCheck[3]) << "grayed";
}

TEST_F(SkinnedControls, ProgressFillFollowsThePositionWithinTheRange) {
  Show();
  auto* bar = Find<TProgressBar>("Bar");
  auto probe = [&](int x) { return At(bar, x, 8); };
  EXPECT_EQ(probe(1), kProgress[0]);
  EXPECT_EQ(probe(198), kProgress[0]);
  bar->SetPosition(50);
  Pump();
  EXPECT_EQ(probe(1), kProgress[1]);
  EXPECT_EQ(probe(98), kProgress[1]);
  EXPECT_EQ(probe(102), kProgress[0]);
  bar->SetMin(40);
  bar->SetMax(60);
  bar->SetPosition(50);
  Pump();
  EXPECT_EQ(probe(98), kProgress[1]) << "half of 40..60";
  EXPECT_EQ(probe(102), kProgress[0]);
  bar->SetPosition(60);
  Pump();
  EXPECT_EQ(probe(198), kProgress[1]) << "full";
}

TEST_F(SkinnedControls, EditsGetTheSkinnedBorder) {
  Show();
  auto* field = Find<TEdit>("Field");
  EXPECT_EQ(At(field, 0, 0), kShadow);
  EXPECT_EQ(At(field, 119, 10), kShadow);
  EXPECT_EQ(At(field, 1, 10), skintest::Rgb(255, 255, 255));
  EXPECT_EQ(At(field, 2, 10), skintest::Rgb(255, 255, 255));
  // Typing goes to the native edit.
  field->SetFocus();
  screen->TypeKey('A', U'a');
  screen->TypeKey('B', U'b');
  Pump();
  EXPECT_EQ(field->Text(), "ab");
  EXPECT_EQ(At(field, 0, 0), kShadow);
  // The form wrapper can have the edit paint itself into a DC of its own.
  TBitmap copy;
  copy.SetPixelFormat(pf24bit);
  copy.SetSize(120, 22);
  copy.Dib().Fill(0x00FF00);
  EXPECT_EQ(SendMessageW(field->Handle(), CM_SKINPAINTDC, WPARAM(copy.Canvas().Handle()), kPaintDCMagic),
            kPaintDCMagic);
  EXPECT_NE(skintest::PixelOf(copy, 10, 10), skintest::Rgb(0, 0xFF, 0)) << "the edit painted its text area";
}

TEST_F(SkinnedControls, SwitchedOffAControlLooksNativeUntilSwitchedOn) {
  Show();
  auto* push = Find<TButton>("Push");
  Find<TButton>("Other")->SetFocus();
  SendMessageW(push->Handle(), CM_SKINSWITCH, 0, 0);
  push->Invalidate();
  Pump();
  EXPECT_NE(At(push, 2, 2), kPush[0]);
  EXPECT_NE(SendMessageW(push->Handle(), CM_SKINQUERY, 0, 0), 1) << "the old procedure answers";
  SendMessageW(push->Handle(), CM_SKINSWITCH, 1, 0);
  Pump();
  EXPECT_EQ(At(push, 2, 2), kPush[0]);
}

TEST_F(SkinnedControls, AControlDestroyedFirstDetachesItsWrapper) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  auto* push = Find<TButton>("Push");
  TSkinControl* skinner = wrapper->FindSkinner(push);
  ASSERT_NE(skinner, nullptr);
  const size_t before = wrapper->ControlSkins.size();
  push->Free();
  // The wrapper went with its control.
  EXPECT_EQ(wrapper->ControlSkins.size(), before - 1) << "the form wrapper let go of the dead wrapper";
  EXPECT_EQ(wrapper->FindSkinner(push), nullptr);
  // A wrapper freed first gives the control its procedure back.
  auto* other = Find<TButton>("Other");
  std::erase_if(wrapper->ControlSkins, [&](const auto& s) { return s->Control == other; });
  other->Invalidate();
  Pump();
  EXPECT_NE(At(other, 2, 2), kPush[0]);
  EXPECT_NE(SendMessageW(other->Handle(), CM_SKINQUERY, 0, 0), 1);
}

// A wrapper that counts the colour changes reaching it while it is listening.
class ColourListener : public TSkinControl {
 public:
  bool BeforeMessage(TMessage& m) override {
    if (m.Msg == CM_COLORCHANGED) ++heard;
    return TSkinControl::BeforeMessage(m);
  }
  int heard = 0;
};

// The window goes, the control stays: it takes its own colour back, and the wrapper, already
// done with, hears nothing of that change.
TEST_F(SkinnedControls, AControlWhoseWindowGoesTakesItsColourBackPastItsWrapper) {
  Show();
  auto* plain = Find<TButton>("Plain");
  const TColor own = plain->Color();
  auto* s = new ColourListener();
  EXPECT_FALSE(Wrapper()->AddControl(s));
  EXPECT_TRUE(Wrapper()->AddControl(s)) << "listed once";
  s->AttachControl(plain, Wrapper(), sd.get(), true, 0);
  ASSERT_EQ(plain->Color(), kFace);
  const int heard = s->heard;
  plain->DestroyHandle();
  EXPECT_EQ(plain->Color(), own);
  EXPECT_EQ(s->heard, heard);
  EXPECT_FALSE(s->Active);
  EXPECT_EQ(s->AttachState, kAttachDestroyed);
  // Taken off the list, the wrapper is handed over; a second time there is nothing to hand.
  const size_t listed = Wrapper()->ControlSkins.size();
  std::unique_ptr<TSkinControl> taken = Wrapper()->RemoveControl(s);
  EXPECT_EQ(taken.get(), s);
  EXPECT_EQ(Wrapper()->ControlSkins.size(), listed - 1);
  EXPECT_EQ(Wrapper()->RemoveControl(s), nullptr);
}

TEST_F(SkinnedControls, AControlGivenANewWindowIsSkinnedAgain) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  auto* push = Find<TButton>("Push");
  Find<TButton>("Other")->SetFocus();
  const size_t count = wrapper->ControlSkins.size();
  push->DestroyHandle();
  push->HandleNeeded();
  Pump();
  // The wrapper died with the old window; the new one draws itself until the controls are
  // walked again.
  EXPECT_EQ(KindOf("Push"), "-");
  EXPECT_NE(At(push, 2, 2), kPush[0]);
  wrapper->SkinFormChildren();
  Pump();
  EXPECT_EQ(wrapper->ControlSkins.size(), count) << "the dead wrapper went, a new one came";
  EXPECT_EQ(KindOf("Push"), "TSkinButton");
  EXPECT_EQ(At(push, 2, 2), kPush[0]);
}

// A form whose frame the skin leaves alone (no xcMainMenu): switched off, its controls are
// drawn in their own look again at once.
TEST_F(SkinnedControls, ControlsOfAFormWithoutASkinnedFrameLoseTheSkinWithIt) {
  sd->SetSkinControls(sd->SkinControls() & ~SkinBit(xcMainMenu));
  // The form's own colour is the skin's face: giving it back repaints nothing.
  ShowForm(kForm, [](TForm* f) { f->SetColor(kFace); });
  ASSERT_NE(Wrapper(), nullptr);
  ASSERT_FALSE(Wrapper()->FrameSkinned);
  auto* push = Find<TButton>("Other");
  auto* box = Find<TCheckBox>("Box");
  const int mid = (20 - kBox) / 2 + kBox / 2;
  ASSERT_EQ(At(push, 2, 2), kPush[0]);
  ASSERT_EQ(At(box, kBox / 2, mid), kCheck[0]);
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  ASSERT_EQ(SkinManage()->FindForm(form->Handle()), nullptr);
  EXPECT_NE(At(push, 2, 2), kPush[0]);
  EXPECT_NE(At(box, kBox / 2, mid), kCheck[0]);
}

TEST_F(SkinnedControls, TheFormsWrapperGoesBeforeItsControls) {
  Show();
  auto* push = Find<TButton>("Push");
  SkinManage()->RemoveForm(form->Handle());
  push->Invalidate();
  Pump();
  EXPECT_NE(SendMessageW(push->Handle(), CM_SKINQUERY, 0, 0), 1);
}

// Raw windows of the standard classes, as inside standard dialogs.
class SkinnedRawWindows : public SkinnedControls {
 protected:
  HWND Make(const char16_t* cls, DWORD style, int x, int y, int w, int h, int id, const char16_t* text = u"Raw") {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, form->Handle(),
                                reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    EXPECT_NE(hwnd, nullptr);
    return hwnd;
  }
  // A window class of plain windows (the default procedure).
  static void RegisterPlain(const char16_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
  TColor AtWindow(HWND h, int x, int y) {
    RECT r{};
    GetWindowRect(h, &r);
    const uint32_t p = screen->ScreenPixel(r.left + x, r.top + y);
    return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }
};

TEST_F(SkinnedRawWindows, StandardWindowsAreSkinnedByClassAndStyle) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  HWND push = Make(u"Button", BS_PUSHBUTTON, 200, 50, 60, 24, 41);
  HWND box = Make(u"Button", BS_AUTOCHECKBOX, 200, 80, 100, 20, 42);
  HWND group = Make(u"Button", BS_GROUPBOX, 200, 110, 100, 40, 43);
  HWND edit = Make(u"Edit", WS_BORDER, 200, 160, 100, 22, 44, u"");
  for (HWND h : {push, box, group, edit}) wrapper->SkinWin32Children(h);
  Pump();
  auto kind = [&](HWND h) {
    TSkinControl* s = wrapper->FindSkinner(h);
    return std::string(s ? s->KindName() : "-");
  };
  EXPECT_EQ(kind(push), "TSkinButton");
  EXPECT_EQ(kind(box), "TSkinCheckBox");
  EXPECT_EQ(kind(group), "-") << "group boxes keep their own look";
  EXPECT_EQ(kind(edit), "TSkinEdit");
  EXPECT_EQ(AtWindow(push, 2, 2), kPush[0]);
  EXPECT_EQ(AtWindow(box, kBox / 2, 10), kCheck[0]);
  EXPECT_EQ(AtWindow(edit, 0, 0), kShadow);
  // A click on the raw push button reaches its parent as a command with its identifier.
  WPARAM command = 0;
  TWndMethod formProc = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_COMMAND && HWND(m.LParam) == push) command = m.WParam;
    formProc(m);
  };
  RECT r{};
  GetWindowRect(push, &r);
  MoveTo(POINT{r.left + 30, r.top + 12});
  EXPECT_EQ(AtWindow(push, 2, 2), kPush[3]);
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(AtWindow(push, 2, 2), kPush[1]);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  form->WindowProc = formProc;
  EXPECT_EQ(command, WPARAM(41));
  // The check box keeps its native behaviour.
  GetWindowRect(box, &r);
  screen->Click(r.left + kBox / 2, r.top + 10);
  Pump();
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), 1);
  EXPECT_EQ(AtWindow(box, kBox / 2, 10), kCheck[1]);
  // A radio button shows the radio picture; checking it by message picks the checked frame.
  HWND radio = Make(u"Button", BS_RADIOBUTTON, 200, 190, 100, 20, 45);
  wrapper->SkinWin32Children(radio);
  Pump();
  EXPECT_EQ(kind(radio), "TSkinRadioButton");
  EXPECT_EQ(AtWindow(radio, kBox / 2, 10), kRadio[0]);
  SendMessageW(radio, BM_SETCHECK, 1, 0);
  Pump();
  EXPECT_EQ(AtWindow(radio, kBox / 2, 10), kRadio[1]);
  EnableWindow(radio, FALSE);
  Pump();
  EXPECT_EQ(AtWindow(radio, kBox / 2, 10), kRadio[3]) << "checked, disabled";
  // A raw window destroyed first leaves a wrapper that never touches it again.
  DestroyWindow(box);
  const size_t before = wrapper->ControlSkins.size();
  wrapper->PurgeSkinners();
  EXPECT_EQ(wrapper->ControlSkins.size(), before - 1);
}

TEST_F(SkinnedRawWindows, ASizeGripMadeOnASkinnedWindowIsDrawnFromTheSkin) {
  Show();
  HWND grip = Make(u"ScrollBar", SBS_SIZEGRIP, 280, 200, 16, 16, 71);
  Pump();
  TSkinControl* s = Wrapper()->FindSkinner(grip);
  ASSERT_NE(s, nullptr) << "skinned as it was made";
  EXPECT_STREQ(s->KindName(), "TSkinSizer");
  for (const POINT p : {POINT{1, 1}, POINT{8, 8}, POINT{14, 14}, POINT{14, 1}}) EXPECT_EQ(AtWindow(grip, p.x, p.y), kFace);
  // A plain scroll bar made there is no size grip: the hook leaves it.
  HWND bar = Make(u"ScrollBar", SBS_VERT, 300, 20, 16, 100, 72);
  EXPECT_EQ(Wrapper()->FindSkinner(bar), nullptr);
  // A size grip of a window without a wrapper keeps its own look.
  RegisterPlain(u"SkinTestGripParent");
  HWND plainParent = CreateWindowExW(0, u"SkinTestGripParent", u"", WS_CHILD | WS_VISIBLE, 200, 150, 60, 60,
                                     form->Handle(), nullptr, nullptr, nullptr);
  HWND plainGrip = CreateWindowExW(0, u"ScrollBar", u"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 20, 20, 16, 16,
                                   plainParent, nullptr, nullptr, nullptr);
  Pump();
  EXPECT_EQ(Wrapper()->FindSkinner(plainGrip), nullptr);
}

TEST_F(SkinnedRawWindows, AHotButtonIsToldTheMouseLeftWhenItsOwnNoticeFails) {
  Show();
  // A dialog without a form object, skinned with its raw push button.
  RegisterPlain(u"SkinTestRawDialog");
  HWND dialog = CreateWindowExW(0, u"SkinTestRawDialog", u"Raw", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 100, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND push = CreateWindowExW(0, u"Button", u"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 80, 26, dialog,
                              reinterpret_cast<HMENU>(intptr_t(61)), nullptr, nullptr);
  Pump();  // skinned as it was activated
  TWinSkinForm* wrapper = SkinManage()->FindForm(dialog);
  ASSERT_NE(wrapper, nullptr);
  ASSERT_NE(wrapper->FindSkinner(push), nullptr);
  RECT r{};
  GetWindowRect(push, &r);
  // The mouse goes over the button and away, but the button's leave notice is lost.
  auto hoverAndSlipAway = [&] {
    MoveTo(POINT{r.left + 40, r.top + 13});
    EXPECT_EQ(AtWindow(push, 2, 2), kPush[3]) << "hot";
    TRACKMOUSEEVENT cancel{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_CANCEL, push, 0};
    TrackMouseEvent(&cancel);
    MoveTo(POINT{r.left + 40, r.bottom + 40});
    EXPECT_EQ(AtWindow(push, 2, 2), kPush[3]) << "still hot without its notice";
  };
  hoverAndSlipAway();
  wrapper->HoverTimer();
  Pump();
  EXPECT_EQ(AtWindow(push, 2, 2), kPush[0]) << "the window's hover timer told it";
  // Deactivating the window tells it too.
  hoverAndSlipAway();
  SendMessageW(dialog, WM_NCACTIVATE, FALSE, 0);
  Pump();
  EXPECT_EQ(AtWindow(push, 2, 2), kPush[0]) << "the window turned inactive";
  DestroyWindow(dialog);
  Pump();
}

TEST_F(SkinnedRawWindows, GroupBoxesMenuButtonsAndPlainAreas) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  HWND group = Make(u"Button", BS_GROUPBOX, 200, 50, 100, 60, 51, u"Group");
  HWND menu = Make(u"Button", BS_PUSHBUTTON, 200, 120, 80, 24, 52, u"");
  HWND area = Make(u"Button", BS_PUSHBUTTON, 200, 150, 40, 24, 53, u"");
  auto attach = [&](std::unique_ptr<TSkinControl> s, HWND h) {
    TSkinControl* raw = s.get();
    wrapper->ControlSkins.push_back(std::move(s));
    raw->AttachWindow(h, sd.get(), wrapper, 0);
  };
  attach(std::make_unique<TSkinGroupBox>(), group);
  attach(std::make_unique<TSkinMenuButton>(), menu);
  attach(std::make_unique<TSkinSizer>(), area);
  Pump();
  EXPECT_EQ(AtWindow(group, 1, 40), kShadow) << "the frame's left edge";
  EXPECT_EQ(AtWindow(group, 98, 40), kShadow) << "the frame's right edge";
  EXPECT_EQ(AtWindow(group, 50, 58), kShadow) << "the frame's bottom edge";
  EXPECT_EQ(AtWindow(menu, 2, 2), kPush[0]);
  EXPECT_EQ(AtWindow(menu, 80 - 12, 12), skintest::Rgb(0, 0, 0)) << "the drop-down arrow";
  SetFocus(menu);
  Pump();
  EXPECT_EQ(AtWindow(menu, 2, 2), kPush[3]) << "a focused menu button shows the hot frame";
  EXPECT_EQ(AtWindow(area, 20, 12), kFace);
}

TEST_F(SkinnedRawWindows, UpDownHalvesHaveTheirOwnStates) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  const DWORD kNotify = 0x100;  // a static window that takes the mouse
  HWND vertical = Make(u"Static", kNotify, 200, 50, 20, 40, 61, u"");
  HWND horizontal = Make(u"Static", kNotify | 0x40, 240, 50, 40, 20, 62, u"");
  for (HWND h : {vertical, horizontal}) {
    auto s = std::make_unique<TSkinUpDown>();
    TSkinUpDown* raw = s.get();
    wrapper->ControlSkins.push_back(std::move(s));
    raw->AttachWindow(h, sd.get(), wrapper, 0);
  }
  Pump();
  // Without an up-down element each half is a framed rectangle: the face colour at rest.
  EXPECT_EQ(AtWindow(vertical, 3, 3), kFace);
  EXPECT_EQ(AtWindow(vertical, 3, 36), kFace);
  RECT r{};
  GetWindowRect(vertical, &r);
  MoveTo(POINT{r.left + 10, r.top + 30});
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(AtWindow(vertical, 3, 36), kShadow) << "the lower half pressed";
  EXPECT_EQ(AtWindow(vertical, 3, 3), kFace) << "the upper half normal";
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  // The window does not repaint itself on the release: the wrapper lets the half go.
  EXPECT_EQ(AtWindow(vertical, 3, 36), kFace) << "the lower half released";
  GetWindowRect(horizontal, &r);
  MoveTo(POINT{r.left + 5, r.top + 10});
  EXPECT_EQ(AtWindow(horizontal, 3, 3), kFace) << "the cursor passing over lights no half";
  EXPECT_EQ(AtWindow(horizontal, 36, 3), kFace);
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(AtWindow(horizontal, 3, 3), kShadow) << "the left half pressed";
  EXPECT_EQ(AtWindow(horizontal, 36, 3), kFace);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EnableWindow(horizontal, FALSE);
  InvalidateRect(horizontal, nullptr, TRUE);
  Pump();
  EXPECT_EQ(AtWindow(horizontal, 3, 3), kFace) << "disabled";
  // An edit's spin child gets an up-down wrapper of its own, flush with the edit's edge.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"TestSpinner";
  RegisterClassExW(&wc);
  auto* field = Find<TEdit>("Field");
  HWND spin = CreateWindowExW(0, u"TestSpinner", u"", WS_CHILD | WS_VISIBLE, 100, 0, 16, 18, field->Handle(), nullptr,
                              nullptr, nullptr);
  ASSERT_NE(spin, nullptr);
  field->Invalidate();
  Pump();
  EXPECT_EQ(SendMessageW(spin, CM_SKINQUERY, 0, 0), 1);
  EXPECT_EQ(AtWindow(spin, 3, 3), kFace);
  const struct {
    bool under;
    uint8_t mouse;
    bool enabled;
    int state;
  } cases[] = {{false, kMousePressed, true, 1}, {true, 0, true, 1},           {true, kMouseHot, true, 4},
               {true, kMousePressed, true, 2},  {true, kMousePressed | kMouseHot, true, 2}, {true, kMouseHot, false, 3}};
  for (const auto& c : cases) EXPECT_EQ(UpDownHalfState(c.under, c.mouse, c.enabled), c.state);
}

WNDPROC g_underneath = nullptr;
int g_passed = 0;
LRESULT SubclassedOnTop(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  ++g_passed;
  return CallWindowProcW(g_underneath, w, m, wp, lp);
}

// A wrapper freed while another procedure has been subclassed over its own leaves that one in
// place: the chain keeps working, the wrapper's procedure only passing messages on.
TEST_F(SkinnedRawWindows, AProcedureSubclassedOverAControlWrapperOutlivesIt) {
  Show();
  HWND h = Make(WC_BUTTON, BS_PUSHBUTTON, 10, 200, 80, 26, 301);
  auto owned = std::make_unique<TSkinButton>();
  TSkinButton* skin = owned.get();
  Wrapper()->ControlSkins.push_back(std::move(owned));
  skin->AttachWindow(h, sd.get(), Wrapper(), 0);
  g_passed = 0;
  g_underneath = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedOnTop)));
  std::erase_if(Wrapper()->ControlSkins, [&](const auto& s) { return s.get() == skin; });
  EXPECT_EQ(GetWindowLongPtrW(h, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&SubclassedOnTop));
  EXPECT_NE(SendMessageW(h, CM_SKINQUERY, 0, 0), 1) << "the wrapper is gone from the chain's work";
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_GT(g_passed, 0);
  EXPECT_NE(AtWindow(h, 2, 2), kPush[0]);
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_underneath));
  DestroyWindow(h);
  Pump();
}

}  // namespace
