// What a window skinning engine relies on: windows lead back to their controls through the
// control atom, published properties are read and written by name, a control's WindowProc can
// be replaced and put back, its window can be subclassed on top, the creation and activation
// hooks see the windows with their control already attached, and mouse enter/leave
// notifications reach the controls.
#include <gmock/gmock.h>

#include "platform/forms/list_box.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/screen.h"
#include "platform/forms/win/std_controls.h"
#include "platform/rtl/numbers.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

TEST_F(FormsTest, WindowsLeadBackToTheirControlsThroughTheControlAtom) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  std::string name = "ControlOfs" + IntToHex(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr)) & 0xFFFFFFFFu, 8) +
                     IntToHex(GetCurrentThreadId(), 8);
  EXPECT_EQ(ControlAtomName(), name);
  ATOM atom = GlobalAddAtomA(name.c_str());  // as another part of the program registers it
  EXPECT_EQ(atom, ControlAtom());
  for (TWinControl* c : std::vector<TWinControl*>{f.get(), f->Button1, f->Edit1, f->Label1, f->ProgressBar1}) {
    EXPECT_EQ(GetPropA(c->Handle(), name.c_str()), c);
    EXPECT_EQ(GetPropW(c->Handle(), MAKEINTRESOURCE(atom)), c);
  }
  EXPECT_EQ(FindControl(nullptr), nullptr);
  EXPECT_EQ(FindVCLWindow(f->Button1->Handle()), f->Button1);
  EXPECT_EQ(Screen->FormCount(), 1);
  EXPECT_EQ(Screen->Forms(0), f.get());
  EXPECT_EQ(Screen->ActiveForm(), f.get());
}

TEST_F(FormsTest, PublishedPropertiesOfEveryControlByName) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  TObjectRef button(f->Button2), check(f->CheckBox2), edit(f->Edit1), label(f->Label1), form(f.get());
  EXPECT_EQ(GetPropValue(button, "Caption"), "Get image properties");
  EXPECT_EQ(LowerCaseAscii(GetPropValue(button, "Default")), "true");
  EXPECT_EQ(GetPropValue(check, "Checked"), "True");
  EXPECT_EQ(GetPropValue(check, "State"), "cbChecked");
  EXPECT_EQ(GetOrdProp(check, "Color"), clBtnFace);  // the form's colour through ParentColor
  EXPECT_EQ(GetOrdProp(edit, "Color"), clWindow);
  EXPECT_EQ(GetOrdProp(label, "Tag"), 0);
  EXPECT_EQ(GetStrProp(edit, "Text"), "C:/images/master.jpg");
  TFont* font = GetObjectPropAs<TFont>(label, "Font");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->Style(), fsBold);
  EXPECT_EQ(GetOrdProp(form, "ClientWidth"), 320);
  EXPECT_EQ(GetPropValue(form, "Menu"), "");
  EXPECT_TRUE(SetPropValue(form, "AutoScroll", "False"));
  EXPECT_FALSE(f->AutoScroll());
  EXPECT_TRUE(SetOrdProp(button, "Color", clWhite));
  EXPECT_EQ(f->Button2->Color(), clWhite);
  EXPECT_TRUE(SetPropValue(label, "Transparent", "True"));
  EXPECT_TRUE(f->Label1->Transparent());
  // Properties a class does not have give their defaults.
  EXPECT_EQ(GetOrdProp(label, "NumGlyphs"), -1);
  EXPECT_EQ(GetPropValue(label, "Glyph"), "");
  EXPECT_EQ(GetObjectPropAs<TFont>(label, "Glyph"), nullptr);
  EXPECT_FALSE(SetPropValue(label, "UseCustomGlyphs", "false"));
  // Class tests as the engine makes them.
  EXPECT_TRUE(f->CheckBox1->InheritsFrom(TCustomCheckBox::StaticClassInfo()));
  EXPECT_TRUE(f->Edit1->ClassInfo().InheritsFrom("TCustomEdit"));
  EXPECT_TRUE(dynamic_cast<TButton*>(static_cast<TControl*>(f->Button1)) != nullptr);
  EXPECT_EQ(UpperCaseAscii(f->ProgressBar1->ClassName()), "TPROGRESSBAR");
}

TEST_F(FormsTest, WindowProcCanBeReplacedAndPutBack) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  TButton* b = f->Button1;
  std::vector<UINT> seen;
  bool swallowQuery = true;
  TWndMethod old = b->WindowProc;
  b->WindowProc = [&](TMessage& m) {
    seen.push_back(m.Msg);
    if (swallowQuery && m.Msg == 0x3523) {  // a private query the wrapper answers itself
      m.Result = 1;
      return;
    }
    old(m);
  };
  EXPECT_EQ(SendMessageW(b->Handle(), 0x3523, 0, 0), 1);
  b->Invalidate();
  Pump();
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_PAINT), seen.end());
  // Clicks still work through the wrapper.
  f->log = &log;
  ClickOn(b);
  EXPECT_EQ(log.back(), "Button1Click");
  b->WindowProc = old;
  seen.clear();
  EXPECT_EQ(SendMessageW(b->Handle(), 0x3523, 0, 0), 0);
  EXPECT_TRUE(seen.empty());
}

struct RawSubclass {
  static inline WNDPROC previous = nullptr;
  static inline int calls = 0;
  static LRESULT CALLBACK_Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    ++calls;
    if (msg == 0x3523) return 1;
    return CallWindowProcW(previous, h, msg, w, l);
  }
};

TEST_F(FormsTest, WindowsCanBeSubclassedOnTopOfTheirControls) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->Show();
  Pump();
  HWND h = f->CheckBox1->Handle();
  RawSubclass::previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&RawSubclass::CALLBACK_Proc)));
  RawSubclass::calls = 0;
  EXPECT_EQ(SendMessageW(h, 0x3523, 0, 0), 1);
  log.clear();
  ClickOn(f->CheckBox1);
  EXPECT_GT(RawSubclass::calls, 1);
  EXPECT_THAT(log, ::testing::Contains("CheckBox1Click on"));
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(RawSubclass::previous));
  EXPECT_EQ(SendMessageW(h, 0x3523, 0, 0), 0);
}

struct HookLog {
  static inline std::vector<std::string> entries;
  static inline HHOOK hook = nullptr;
  static LRESULT CALLBACK_Cbt(int code, WPARAM w, LPARAM l) {
    HWND h = reinterpret_cast<HWND>(w);
    if (code == HCBT_CREATEWND) {
      auto* cw = reinterpret_cast<CBT_CREATEWND*>(l);
      entries.push_back("create " + WideToUtf8(cw->lpcs->lpszClass) +
                        ((cw->lpcs->style & WS_CHILD) ? " child" : " top"));
    } else if (code == HCBT_ACTIVATE) {
      TWinControl* c = FindControl(h);
      entries.push_back("activate " + (c ? c->ClassName() : std::string("?")));
    }
    return CallNextHookEx(hook, code, w, l);
  }
};

TEST_F(FormsTest, CreationAndActivationHooksSeeTheControls) {
  HookLog::entries.clear();
  HookLog::hook = SetWindowsHookExW(WH_CBT, &HookLog::CALLBACK_Cbt, nullptr, GetCurrentThreadId());
  ASSERT_NE(HookLog::hook, nullptr);
  {
    TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
    f->Show();
    Pump();
    Application->OnModalBegin = [&](TObject*) { screen->TypeKey(VK_RETURN, U'\r'); };
    MessageDlg("Going on?", mtConfirmation, mbYesNo);
  }
  UnhookWindowsHookEx(HookLog::hook);
  auto& e = HookLog::entries;
  EXPECT_EQ(e.front(), "create TTestForm top");
  EXPECT_THAT(e, ::testing::Contains("create Button child"));
  EXPECT_THAT(e, ::testing::Contains("create Edit child"));
  EXPECT_THAT(e, ::testing::Contains("create Static child"));
  EXPECT_THAT(e, ::testing::Contains("create msctls_progress32 child"));
  EXPECT_THAT(e, ::testing::Contains("activate TTestForm"));
  EXPECT_THAT(e, ::testing::Contains("create TMessageForm top"));
  EXPECT_THAT(e, ::testing::Contains("activate TMessageForm"));
}

TEST_F(FormsTest, MouseEnterAndLeaveReachTheControls) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  std::vector<std::string> events;
  for (TWinControl* c : std::vector<TWinControl*>{f->Button1, f->Edit2}) {
    TWndMethod old = c->WindowProc;
    c->WindowProc = [&events, c, old](TMessage& m) {
      if (m.Msg == CM_MOUSEENTER) events.push_back("enter " + c->Name());
      if (m.Msg == CM_MOUSELEAVE) events.push_back("leave " + c->Name());
      old(m);
    };
  }
  MoveOver(f->Button1);
  MoveOver(f->Edit2);
  MoveOver(f->Label2);
  EXPECT_THAT(events, ::testing::ElementsAre("enter Button1", "leave Button1", "enter Edit2", "leave Edit2"));
}

}  // namespace
}  // namespace formstest
