// The skin manager of another module (a shared library linking the engine) joined to the
// program's manager in the same process: the shared lists, one wrapper per window whichever
// hook sees it first, switching on and off together, popup menus left to the program's
// manager; the hook records the wrappers register, gone with the program's manager.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/user/default_proc.h"
#include "platform/user/hooks.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"

namespace {

const char* const kForm =
    "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  Caption = 'Program'\n  ClientHeight = 120\n"
    "  ClientWidth = 200\nend\n";

const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(std::uintptr_t(0x7A000000));

class SkinSubManager : public skintest::SkinnedFormFixture {
 protected:
  void SetUp() override {
    SkinnedFormFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ShowForm(kForm);
    parent = SkinManage();
    ASSERT_NE(parent, nullptr);
    sub = std::make_unique<TSkinManage>(true, kModule);
  }
  void TearDown() override {
    sub.reset();
    SkinnedFormFixture::TearDown();
  }
  // How many wrappers of the shared list wear a window.
  size_t WrappersOf(HWND h) const {
    size_t n = 0;
    for (const auto& f : parent->Forms()) n += f->Window == h && f->SkinPhase != 6;
    return n;
  }
  // A window of the sub-manager's module, without a class-library control.
  static HWND MakeModuleWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"SkinTestModuleWindow";
    RegisterClassExW(&wc);
    return CreateWindowExW(0, u"SkinTestModuleWindow", u"Module", WS_OVERLAPPEDWINDOW, 300, 300, 200, 150, nullptr,
                           nullptr, kModule, nullptr);
  }
  HWND MakePopup() {
    return CreateWindowExW(WS_EX_TOOLWINDOW, u"#32768", u"", WS_POPUP, 10, 10, 60, 40, form->Handle(), nullptr,
                           nullptr, nullptr);
  }

  TSkinManage* parent = nullptr;
  std::unique_ptr<TSkinManage> sub;
};

TEST_F(SkinSubManager, JoinedItSharesTheListsOfTheProgramsManager) {
  EXPECT_TRUE(sub->IsSubManager());
  EXPECT_FALSE(parent->IsSubManager());
  EXPECT_EQ(sub->ModuleHandle, kModule);
  EXPECT_EQ(parent->ModuleHandle, nullptr);
  sub->JoinParent(parent);
  EXPECT_EQ(sub->ParentManager, parent);
  EXPECT_EQ(&sub->Forms(), &parent->Forms());
  EXPECT_EQ(&sub->SkinDatas(), &parent->SkinDatas());
  EXPECT_EQ(&sub->Popups(), &parent->Popups());
  EXPECT_EQ(&sub->Hooks(), &parent->Hooks());
  EXPECT_EQ(parent->SubManagers(), std::vector<TSkinManage*>{sub.get()});
  EXPECT_EQ(&sub->SubManagers(), &parent->SubManagers());
  // What either knows, both know.
  ASSERT_NE(parent->FindForm(form->Handle()), nullptr);
  EXPECT_EQ(sub->FindForm(form->Handle()), parent->FindForm(form->Handle()));
  // A sub-manager that goes leaves the program's manager's list.
  sub.reset();
  EXPECT_TRUE(parent->SubManagers().empty());
  EXPECT_NE(parent->FindForm(form->Handle()), nullptr) << "the program's windows stay skinned";
}

TEST_F(SkinSubManager, AWindowIsSkinnedOnceThoughBothHooksSeeIt) {
  sub->JoinParent(parent);
  sub->InstallHook();
  ASSERT_NE(sub->Hook(), nullptr);
  sub->MarkStarted();
  sub->SetEnabled(true);
  TForm* second = new TForm(Application);
  second->SetDescription(kForm);
  second->AfterConstruction();
  second->SetLeft(320);
  second->Show();
  Pump();
  EXPECT_EQ(WrappersOf(second->Handle()), 1u);
  TWinSkinForm* w = parent->FindForm(second->Handle());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ModuleHandle, nullptr) << "the program's window, skinned by the program's manager";
  // The sub-manager's hook is the newer one: it saw the window first and let it be.
  EXPECT_FALSE(sub->SkinWindow(second->Handle()));
  second->Free();
  Pump();
}

TEST_F(SkinSubManager, BothSwitchOffAndOnTogether) {
  sub->JoinParent(parent);
  sub->MarkStarted();
  sub->SetEnabled(true);
  int changes = 0;
  sd->OnSkinChanged = [&](TObject*) { ++changes; };
  sd->SetActive(false);
  EXPECT_FALSE(sub->Enabled);
  EXPECT_EQ(sub->PendingSkinData, sd.get());
  parent->TimerTick();
  Pump();
  EXPECT_EQ(WrappersOf(form->Handle()), 0u);
  EXPECT_FALSE(sub->Enabled);
  sd->SetActive(true);
  EXPECT_TRUE(sub->Enabled);
  EXPECT_EQ(sub->PendingSkinData, sd.get());
  EXPECT_TRUE(sub->TimerEnabled()) << "its own switch, 300 ms on";
  parent->TimerTick();
  EXPECT_EQ(sub->PendingSkinData, sd.get()) << "handed on after the program's switch";
  sub->TimerTick();
  Pump();
  EXPECT_EQ(WrappersOf(form->Handle()), 1u);
  EXPECT_EQ(sub->PendingSkinData, nullptr);
  EXPECT_EQ(changes, 3) << "off, then on for each manager";
}

TEST_F(SkinSubManager, PopupMenusAreLeftToTheProgramsManager) {
  sub->JoinParent(parent);
  sub->InstallHook();
  sub->SetEnabled(true);
  parent->SetEnabled(false);
  HWND popup = MakePopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(parent->Popups().empty());
  DestroyWindow(popup);
  parent->SetEnabled(true);
  popup = MakePopup();
  EXPECT_EQ(parent->Popups().size(), 1u);
  DestroyWindow(popup);
  EXPECT_TRUE(parent->Popups().empty());
}

TEST_F(SkinSubManager, ItsWindowsAreItsOwnAndGoWithIt) {
  sub->JoinParent(parent);
  sub->SetEnabled(true);
  sub->MarkStarted();
  HWND own = MakeModuleWindow();
  EXPECT_FALSE(parent->SkinWindow(own)) << "another module's window";
  ASSERT_TRUE(sub->SkinWindow(own));
  Pump();
  TWinSkinForm* w = parent->FindForm(own);
  ASSERT_NE(w, nullptr) << "in the shared list";
  EXPECT_EQ(w->ModuleHandle, kModule);
  const LONG_PTR skinned = GetWindowLongPtrW(own, GWL_WNDPROC);
  sub.reset();
  EXPECT_EQ(parent->FindForm(own), nullptr) << "dropped with its module's manager";
  EXPECT_NE(GetWindowLongPtrW(own, GWL_WNDPROC), skinned) << "its own procedure back";
  EXPECT_NE(parent->FindForm(form->Handle()), nullptr);
  DestroyWindow(own);
}

TEST_F(SkinSubManager, TheProgramsManagerEndingCutsItLoose) {
  sub->JoinParent(parent);
  sub->InstallHook();
  sub->SetEnabled(true);
  sub->MarkStarted();
  HWND own = MakeModuleWindow();
  ASSERT_TRUE(sub->SkinWindow(own));
  FreeSkinManager();
  EXPECT_EQ(sub->ParentManager, nullptr);
  EXPECT_EQ(sub->Hook(), nullptr) << "its hook is removed";
  EXPECT_TRUE(sub->SubManagers().empty());
  ASSERT_EQ(sub->Forms().size(), 1u) << "it keeps its own window's wrapper";
  EXPECT_EQ(sub->Forms().front()->Window, own);
  sub.reset();
  DestroyWindow(own);
}

// ---- Hook records ----

int filterCalls = 0;
LRESULT CountingFilter(int code, WPARAM wParam, LPARAM lParam) {
  ++filterCalls;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SkinSubManager, HookRecordsAreUnhookedWhenTheProgramsManagerEnds) {
  filterCalls = 0;
  HHOOK h = SetWindowsHookExA(WH_MSGFILTER, CountingFilter, nullptr, GetCurrentThreadId());
  ASSERT_NE(h, nullptr);
  parent->RegisterHook(h);
  parent->RegisterHook(h);
  EXPECT_EQ(parent->Hooks().size(), 1u);
  MSG m{};
  CallMsgFilterW(&m, MSGF_MENU);
  EXPECT_EQ(filterCalls, 1);
  sub.reset();
  FreeSkinManager();
  CallMsgFilterW(&m, MSGF_MENU);
  EXPECT_EQ(filterCalls, 1) << "the hook went with the manager";
  EXPECT_FALSE(UnhookWindowsHookEx(h));
}

}  // namespace
