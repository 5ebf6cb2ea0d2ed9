// Skinned top-level windows taking a new skin, or none, through the manager's timer: stored and
// flat skins and back, MDI children and minimised windows fitted to the new frame, switches made
// inside the window's own message or while the application opens and closes forms from the
// skin's events, and a switch for one form alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/form_text.h"
#include "platform/rtl/resources.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_window_fixture.h"

using namespace flatskin;

namespace {

using skintest::kFormText;
using skintest::SkinnedWindow;

TEST_F(SkinnedWindow, SwitchingBetweenSkinsAndBackThroughTheTimer) {
  Show();
  const int h = Height();
  EXPECT_EQ(At(1, h / 2), kLeft[0]);
  const std::string second = FlatSkin(7);
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(second);
  ASSERT_TRUE(sd->LoadSkin());
  sd->ApplySkin();
  EXPECT_TRUE(SkinManage()->TimerEnabled());
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(At(1, h / 2), Shifted(kLeft[0], 7));
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(FlatSkin());
  ASSERT_TRUE(sd->LoadSkin());
  sd->ApplySkin();
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(At(1, h / 2), kLeft[0]);
  EXPECT_FALSE(SkinManage()->TimerEnabled());
}

// The packed skins the main window's skin store holds.
std::vector<std::string> StoredSkins() {
  auto bytes = FindResourceData("TForm1");
  TFormObject root = ParseFormDescription(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::vector<std::string> skins;
  for (const TFormObject& c : root.children)
    if (c.className == "TSkinStore")
      for (const auto& item : c.props.at(0).value.collection)
        for (const TFormProperty& p : item.props)
          if (p.name == "DataStream") skins.push_back(p.value.text);
  return skins;
}

TEST_F(SkinnedWindow, SwitchesBetweenTheStoredSkinsAndBack) {
  std::vector<std::string> skins = StoredSkins();
  ASSERT_EQ(skins.size(), 4u);
  skins.push_back(skins.front());
  Show();
  for (size_t i = 0; i < skins.size(); ++i) {
    sd->PackedSkin().Clear();
    sd->PackedSkin().WriteString(skins[i]);
    ASSERT_TRUE(sd->LoadSkin());
    sd->ApplySkin();
    EXPECT_TRUE(SkinManage()->TimerEnabled());
    SkinManage()->TimerTick();
    Pump();
    // The stored design: a 28-pixel caption, 4-pixel borders, the outer line of its scheme.
    EXPECT_EQ(Width(), 300 + 8) << i;
    EXPECT_EQ(Height(), 200 + 28 + 4) << i;
    EXPECT_EQ(At(0, Height() / 2), skintest::PixelOf(sd->Left->Bitmap, 0, 30)) << i;
    EXPECT_NE(At(0, 0), skintest::PixelOf(sd->Left->Bitmap, 0, 30)) << i << ": the corner is cut";
  }
  EXPECT_FALSE(SkinManage()->TimerEnabled());
}

TEST_F(SkinnedWindow, SwitchingBeforeTheFirstActivationOnlySetsTheFlag) {
  TSkinManage* m = SkinManage();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->State, 0);
  m->SwitchSkin(2, 250);
  EXPECT_FALSE(m->Enabled);
  m->SwitchSkin(1, 250);
  EXPECT_TRUE(m->Enabled);
  EXPECT_FALSE(m->TimerEnabled());
  Show();
  EXPECT_EQ(m->State, 1);
  EXPECT_NE(Wrapper(), nullptr);
}

// Loads a packed skin and applies it at once (by default a stored skin: a 28-pixel caption
// where the flat skin has 24).
void TakeSkin(TSkinData& sd, const std::string& packed = StoredSkins().front()) {
  sd.PackedSkin().Clear();
  sd.PackedSkin().WriteString(packed);
  ASSERT_TRUE(sd.LoadSkin());
  sd.ApplySkin();
  SkinManage()->TimerTick();
}

TEST_F(SkinnedWindow, ANewSkinFitsTheFramesOfMdiChildrenAndOfMinimisedWindows) {
  form = new TForm(Application);
  form->SetDescription(
      "object Frame: TForm\n  Left = 40\n  Top = 40\n  Caption = 'Frame'\n  ClientHeight = 380\n"
      "  ClientWidth = 600\n  FormStyle = fsMDIForm\nend\n");
  form->AfterConstruction();
  form->Show();
  Pump();
  auto* child = new TForm(form);
  child->SetDescription(
      "object Child: TForm\n  Left = 10\n  Top = 10\n  Caption = 'Child'\n  ClientHeight = 140\n"
      "  ClientWidth = 220\n  FormStyle = fsMDIChild\n  Visible = True\nend\n");
  child->AfterConstruction();
  Pump();
  ASSERT_NE(SkinManage()->FindForm(child->Handle()), nullptr);
  TakeSkin(*sd);
  Pump();
  // The child keeps its client area inside the new skin's frame.
  RECT client{}, outer{};
  GetClientRect(child->Handle(), &client);
  GetWindowRect(child->Handle(), &outer);
  EXPECT_EQ(client.right, 220);
  EXPECT_EQ(client.bottom, 140);
  EXPECT_EQ(outer.right - outer.left, 220 + 8);
  EXPECT_EQ(outer.bottom - outer.top, 140 + 28 + 4);

  // A window minimised while the skin changes comes back at the size it had.
  form->Free();
  form = nullptr;
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(FlatSkin());
  ASSERT_TRUE(sd->LoadSkin());
  Show();
  const int width = Width(), height = Height();
  ShowWindow(form->Handle(), SW_MINIMIZE);
  Pump();
  TakeSkin(*sd, FlatSkin(7));
  Pump();
  ShowWindow(form->Handle(), SW_RESTORE);
  Pump();
  EXPECT_EQ(Width(), width);
  EXPECT_EQ(Height(), height);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(At(1, height / 2), Shifted(kLeft[0], 7));
}

// Skinning switched off and on and a new skin taken while the window's own message is being
// handled (a settings dialog run from its menu): the wrapper that let go of the window cannot
// be freed under its own procedure, but it has no part in the new skin.
TEST_F(SkinnedWindow, SwitchesMadeInsideTheWindowsOwnMessageLeaveOneWrapper) {
  const UINT kRun = WM_USER + 77;
  form = new TForm(Application);
  char text[512];
  snprintf(text, sizeof text, kFormText, "bsSizeable");
  form->SetDescription(text);
  form->AfterConstruction();
  const TWndMethod own = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg != kRun) return own(m);
    sd->SetActive(false);
    SkinManage()->TimerTick();
    sd->SetActive(true);
    SkinManage()->TimerTick();
    Application->ProcessMessages();
    TakeSkin(*sd);
  };
  form->Show();
  Pump();
  const RECT plain = [&] {
    RECT r{0, 0, 300, 200};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(form->Handle(), GWL_STYLE)), FALSE, 0);
    return r;
  }();
  SendMessageW(form->Handle(), kRun, 0, 0);
  Pump();
  SkinManage()->Sweep();
  int wrappers = 0;
  for (const auto& f : SkinManage()->Forms()) wrappers += f->Window == form->Handle();
  EXPECT_EQ(wrappers, 1);
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(Height(), 200 + 28 + 4);
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(SkinManage()->FindForm(form->Handle()), nullptr);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(Width(), plain.right - plain.left);
  EXPECT_EQ(Height(), plain.bottom - plain.top);
  form->WindowProc = own;
}

// A new skin taken while the application's after-skinning event opens forms and closes one: the
// manager's list of wrappers loses one and grows past its room while the manager walks it.
TEST_F(SkinnedWindow, FormsOpenedAndClosedByTheAfterSkinningEventWhileANewSkinIsTaken) {
  auto open = [](const std::string& name, int left) {
    auto* f = new TForm(Application);
    f->SetDescription("object " + name + ": TForm\n  Left = " + std::to_string(left) +
                      "\n  Top = 40\n  Caption = '" + name + "'\n  ClientHeight = 120\n  ClientWidth = 200\nend\n");
    f->AfterConstruction();
    f->Show();
    return f;
  };
  std::vector<TForm*> forms;
  for (const char* name : {"A", "B", "C", "D"}) forms.push_back(open(name, 20 + 30 * int(forms.size())));
  Pump();
  ASSERT_EQ(SkinManage()->Forms().size(), 4u);
  TForm* closed = forms[2];
  const HWND closedWindow = closed->Handle();
  std::vector<HWND> told;
  std::vector<TForm*> opened;
  sd->OnAfterSkinForm = [&](TObject*, HWND window, const std::string&) {
    told.push_back(window);
    if (!opened.empty()) return;
    // The first window told closes one the walk has still to reach and opens two.
    closed->Free();
    opened.push_back(open("E", 200));
    opened.push_back(open("F", 230));
  };
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString(FlatSkin(7));
  ASSERT_TRUE(sd->LoadSkin());
  sd->ApplySkin();
  SkinManage()->TimerTick();
  // Each window skinned when the skin changed and still open is told once; the closed one is
  // not, nor are those opened meanwhile (they take the skin of the moment by themselves).
  const std::vector<HWND> expected{forms[0]->Handle(), forms[1]->Handle(), forms[3]->Handle()};
  EXPECT_EQ(told, expected);
  EXPECT_EQ(std::count(told.begin(), told.end(), closedWindow), 0);
  Pump();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(told.size(), 5u) << "the opened forms are told when their own skinning is done";
  const std::vector<TForm*> shown{forms[0], forms[1], forms[3], opened[0], opened[1]};
  for (size_t i = 0; i < shown.size(); ++i) {
    ASSERT_NE(SkinManage()->FindForm(shown[i]->Handle()), nullptr) << i;
    // The new skin's border, in its active or inactive frame.
    RECT r{};
    GetWindowRect(shown[i]->Handle(), &r);
    const TColor border = ScreenColor(r.left + 1, (r.top + r.bottom) / 2);
    EXPECT_TRUE(border == Shifted(kLeft[0], 7) || border == Shifted(kLeft[1], 7)) << i << ": " << border;
  }
  EXPECT_EQ(SkinManage()->Forms().size(), 5u);
}

// Switched off while the window is maximised, the skin leaves the window as large as a
// maximised window of the system's own frame: the frame changes, the window keeps covering the
// screen.
TEST_F(SkinnedWindow, AMaximisedWindowStaysMaximisedWhenTheSkinGoes) {
  Show();
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  Pump();
  const RECT plain = WindowRect();
  const int plainClientHeight = form->ClientHeight();
  form->Free();
  form = nullptr;
  Pump();
  sd->SetActive(true);
  SkinManage()->TimerTick();
  Show();
  ASSERT_NE(Wrapper(), nullptr);
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  Pump();
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  ASSERT_EQ(SkinManage()->FindForm(form->Handle()), nullptr);
  EXPECT_TRUE(IsZoomed(form->Handle()));
  const RECT now = WindowRect();
  EXPECT_EQ(now.right - now.left, plain.right - plain.left);
  EXPECT_EQ(now.bottom - now.top, plain.bottom - plain.top);
  EXPECT_EQ(form->ClientHeight(), plainClientHeight) << "the client area of the system's maximised frame";
}

// Skinning switched off once the manager has started: it stays on until the timer carries the
// switch out (the sub-managers are told at once).
TEST_F(SkinnedWindow, SwitchingOffTakesEffectWhenTheTimerFires) {
  Show();
  TSkinManage* m = SkinManage();
  ASSERT_EQ(m->State, 1);
  sd->SetActive(false);
  EXPECT_TRUE(m->Enabled);
  EXPECT_TRUE(m->TimerEnabled());
  EXPECT_NE(Wrapper(), nullptr);
  m->TimerTick();
  EXPECT_FALSE(m->Enabled);
  EXPECT_EQ(Wrapper(), nullptr);
}

// Re-skinning one window (mode 7) is carried out for the component a switch is pending for,
// which stays pending; with none pending the tick does nothing.
TEST_F(SkinnedWindow, ReskinningOneWindowNeedsAPendingComponent) {
  Show();
  TSkinManage* m = SkinManage();
  const uint64_t first = Wrapper()->Serial;
  int changed = 0;
  sd->OnSkinChanged = [&](TObject*) { ++changed; };
  ASSERT_EQ(m->PendingSkinData, nullptr);
  m->ReskinWindow(form->Handle(), 250);
  m->TimerTick();
  Pump();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->Serial, first) << "nothing pending: the window keeps its wrapper";
  m->PendingSkinData = sd.get();
  m->ReskinWindow(form->Handle(), 250);
  m->TimerTick();
  Pump();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_NE(Wrapper()->Serial, first) << "a new wrapper";
  EXPECT_EQ(Wrapper()->SkinPhase, 1);
  EXPECT_EQ(m->PendingSkinData, sd.get());
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(Width(), 300 + 2 * kBorder);
}

// A new skin for a component of one form: one wrapper takes it, its frame and its colours.
TEST_F(SkinnedWindow, ANewSkinForOneFormRenewsOneWrapper) {
  Show();
  TForm* first = form;
  auto* second = new TForm(Application);
  second->SetDescription(
      "object Second: TForm\n  Left = 300\n  Top = 300\n  Caption = 'Two'\n  ClientHeight = 100\n  ClientWidth = 200\nend\n");
  second->AfterConstruction();
  second->Show();
  Pump();
  ASSERT_NE(SkinManage()->FindForm(second->Handle()), nullptr);
  int applied = 0;
  sd->OnAfterSkinForm = [&](TObject*, HWND, const std::string&) { ++applied; };
  sd->SetSkinFormtype(sfOnlyThisForm);
  SkinManage()->PendingSkinData = sd.get();
  SkinManage()->SwitchSkin(3, 250);
  SkinManage()->TimerTick();
  Pump();
  EXPECT_EQ(applied, 1);
  second->Free();
  form = first;
}

}  // namespace
