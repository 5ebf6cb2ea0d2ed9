// A form read from its description on the headless display: every control kind with its
// properties, real child windows of the standard classes, the component that streams its
// own data, events in order, and input reaching the handlers.
#include <gmock/gmock.h>

#include <signal.h>

#include <algorithm>
#include <functional>

#include "platform/forms/clipboard.h"
#include "platform/forms/hint_window.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/screen.h"
#include "platform/forms/win/std_controls.h"
#include "platform/rtl/end_signals.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

using ::testing::ElementsAre;

std::string ClassOf(HWND h) { return WideToUtf8(GetClassNameString(h)); }

// A form class whose description is its own (as a compiled-in one would be).
class TResourceTestForm : public TTestForm {
 public:
  explicit TResourceTestForm(TComponent* owner) : TTestForm(owner) { SetDescription(kTestFormText); }
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info =
        TClassBuilder<TResourceTestForm>("TResourceTestForm", &TTestForm::StaticClassInfo()).Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

TEST_F(FormsTest, DescriptionCreatesEveryControlWithItsProperties) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  EXPECT_EQ(f->Name(), "TestForm");
  EXPECT_EQ(f->Caption(), "Velmora 1.0");
  EXPECT_EQ(f->ClientWidth(), 320);
  EXPECT_EQ(f->ClientHeight(), 220);
  EXPECT_EQ(f->Position(), poScreenCenter);
  EXPECT_EQ(f->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(f->Font()->Height(), -11);
  ASSERT_NE(f->Label1, nullptr);
  ASSERT_NE(f->Edit1, nullptr);
  ASSERT_NE(f->Button1, nullptr);
  ASSERT_NE(f->CheckBox1, nullptr);
  ASSERT_NE(f->ProgressBar1, nullptr);
  ASSERT_NE(f->OpenDialog1, nullptr);
  ASSERT_NE(f->Widget1, nullptr);
  EXPECT_EQ(f->Label1->Font()->Style(), fsBold);
  EXPECT_FALSE(f->Label1->ParentFont());
  EXPECT_EQ(f->Label2->Font()->Style(), 0);  // the form's font
  EXPECT_TRUE(f->Label2->ParentFont());
  EXPECT_EQ(f->Edit1->Text(), "C:/images/master.jpg");
  EXPECT_EQ(f->Edit1->BoundsRect(), (TRect{8, 26, 228, 47}));
  EXPECT_EQ(f->Button1->Hint(), "select the image master for comparing");
  EXPECT_TRUE(f->Button1->ShowHint());
  EXPECT_TRUE(f->CheckBox2->Checked());
  EXPECT_FALSE(f->CheckBox1->Checked());
  EXPECT_EQ(f->ProgressBar1->Max(), 10);
  EXPECT_EQ(f->ProgressBar1->Position(), 3);
  EXPECT_TRUE(f->ProgressBar1->Smooth());
  EXPECT_TRUE(f->Button2->Default());
  EXPECT_TRUE(f->Button3->Cancel());
  EXPECT_EQ(f->Button3->ModalResult(), mrCancel);
  EXPECT_EQ(f->OpenDialog1->Filter(), "JPG-files|*.JPG|BMP-files|*.BMP|PNG-files|*.PNG");
  EXPECT_EQ(f->OpenDialog1->Options(),
            OpenOption(ofPathMustExist) | OpenOption(ofFileMustExist) | OpenOption(ofEnableSizing));
  EXPECT_EQ(f->OpenDialog1->DesignLeft(), 280);
  EXPECT_EQ(f->Widget1->data, "Velmora skin");
  EXPECT_TRUE(f->Widget1->loadedWithData);
  EXPECT_TRUE(f->Widget1->Active());
  EXPECT_EQ(f->Button1->Parent(), f.get());
  EXPECT_EQ(f->Widget1->Owner(), f.get());
  EXPECT_EQ(log, std::vector<std::string>{"Create"});
  // Nothing has a window before the form is shown.
  EXPECT_FALSE(f->HandleAllocated());
  EXPECT_FALSE(f->Button1->HandleAllocated());
}

TEST_F(FormsTest, ControlsAreChildWindowsOfTheStandardClasses) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  HWND form = f->Handle();
  EXPECT_EQ(ClassOf(form), "TTestForm");
  EXPECT_EQ(FindControl(form), f.get());
  struct Case {
    TWinControl* control;
    const char* cls;
    DWORD typeBits;
  } cases[] = {
      {f->Button1, "Button", BS_PUSHBUTTON},          {f->Button2, "Button", BS_DEFPUSHBUTTON},
      {f->CheckBox1, "Button", BS_CHECKBOX},          {f->Edit1, "Edit", 0},
      {f->Label1, "Static", SS_NOTIFY},               {f->ProgressBar1, "msctls_progress32", PBS_SMOOTH},
  };
  for (const auto& c : cases) {
    HWND h = c.control->Handle();
    ASSERT_TRUE(IsWindow(h)) << c.cls;
    EXPECT_EQ(ClassOf(h), c.cls);
    EXPECT_EQ(GetParent(h), form);
    EXPECT_EQ(FindControl(h), c.control);
    auto style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    if (std::string(c.cls) == "Button") {
      EXPECT_EQ(style & BS_TYPEMASK, c.typeBits) << c.control->Name();
    } else {
      EXPECT_EQ(style & c.typeBits, c.typeBits) << c.control->Name();
    }
    // At its position in the form's client area.
    RECT r;
    GetWindowRect(h, &r);
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    EXPECT_EQ(r.left - origin.x, c.control->Left()) << c.control->Name();
    EXPECT_EQ(r.top - origin.y, c.control->Top()) << c.control->Name();
  }
  EXPECT_EQ(GetWindowTextString(f->Button1->Handle()), u"load ...");
  EXPECT_EQ(SendMessageW(f->CheckBox2->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(f->ProgressBar1->Handle(), PBM_GETPOS, 0, 0), 3);
  EXPECT_EQ(SendMessageW(f->ProgressBar1->Handle(), PBM_GETRANGE, 0, 0), 10);
  // Edits have a sunken border: their client area is smaller than the window.
  RECT wr, cr;
  GetWindowRect(f->Edit1->Handle(), &wr);
  GetClientRect(f->Edit1->Handle(), &cr);
  EXPECT_LT(cr.right, wr.right - wr.left);
  // The window is centred on the screen.
  GetWindowRect(form, &wr);
  EXPECT_NEAR((wr.left + wr.right) / 2, screen->ScreenWidth() / 2, 1);
  EXPECT_NEAR((wr.top + wr.bottom) / 2, screen->ScreenHeight() / 2, 1);
  // The font reaches the windows (the skinning engine reads it back).
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(f->Label1->Handle(), WM_GETFONT, 0, 0)), f->Label1->Font()->Handle());
}

TEST_F(FormsTest, EventsComeInOrderCreateActivateCloseDestroy) {
  std::vector<std::string> log;
  TTestForm* f = MakeTestForm(&log);
  f->Show();
  Pump();
  f->Close();
  Pump();
  EXPECT_FALSE(f->Visible());
  f->Free();
  EXPECT_THAT(log, ElementsAre("Create", "Activate", "Close", "Destroy"));
}

// The main form closed from outside ends the application after the form's close handler ran:
// the desktop's close request (the close box, the window manager), and the end of the session
// under the program (a signal that ends programs, the display's connection broken), also while a
// modal form is open.
struct OutsideClose {
  const char* how;
  bool modal;  // asked while a modal form of the main form's is open
  std::function<void(TCustomForm* main, display::HeadlessDisplay* screen)> ask;
};

TEST_F(FormsTest, ClosingTheMainFormEndsTheApplication) {
  const OutsideClose closes[] = {
      // The desktop's close request, as the close box or the window manager gives it.
      {"close request", false, [](TCustomForm* f, auto*) { PostMessageW(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"SIGTERM", false, [](auto*, auto*) { raise(SIGTERM); }},
      {"SIGHUP", false, [](auto*, auto*) { raise(SIGHUP); }},
      {"lost display", false, [](auto*, display::HeadlessDisplay* s) { s->LoseConnection(); }},
      {"SIGINT with a modal form open", true, [](auto*, auto*) { raise(SIGINT); }},
      {"lost display with a modal form open", true, [](auto*, display::HeadlessDisplay* s) { s->LoseConnection(); }},
  };
  for (const OutsideClose& c : closes) {
    SCOPED_TRACE(c.how);
    RecreateApplication();
    screen = UseHeadlessDisplay();
    ASSERT_NE(screen, nullptr);
    CatchEndSignals();
    std::vector<std::string> log;
    TResourceTestForm* f = nullptr;
    Application->CreateForm(f);
    f->log = &log;
    EXPECT_EQ(Application->MainForm(), f);
    f->Show();
    Pump();
    TModalResult modal = mrNone;
    if (c.modal) {
      TComponentPtr<TForm> dialog(new TForm(f));
      dialog->OnShow = [&](TObject*) { c.ask(f, screen); };
      modal = dialog->ShowModal();
    } else {
      c.ask(f, screen);
    }
    Pump();
    EXPECT_TRUE(Application->Terminated());
    if (c.modal) { EXPECT_EQ(modal, mrCancel); }
    DoneApplication();  // frees the main form
    ResetEndSignals();
    // The main form is active again once the modal form has gone.
    if (c.modal) {
      EXPECT_EQ(log, (std::vector<std::string>{"Activate", "Close", "Activate", "Destroy"}));
    } else {
      EXPECT_EQ(log, (std::vector<std::string>{"Activate", "Close", "Destroy"}));
    }
  }
}

TEST_F(FormsTest, MouseAndKeysReachTheButtonHandlers) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->Show();
  Pump();
  log.clear();
  ClickOn(f->Button1);
  EXPECT_THAT(log, ElementsAre("Edit1Exit", "Button1Click"));
  EXPECT_TRUE(f->Button1->Focused());
  // A press that leaves the button before the release is no click.
  log.clear();
  TPoint inside = f->Button1->ClientToScreen(TPoint{5, 5});
  screen->MoveMouse(inside.x, inside.y);
  Pump();
  screen->PressButton(display::MouseButton::Left);
  Pump();
  screen->MoveMouse(inside.x + 200, inside.y + 100);
  Pump();
  screen->ReleaseButton(display::MouseButton::Left);
  Pump();
  EXPECT_TRUE(log.empty());
  // Space clicks the focused button; Enter the focused one too.
  Key(VK_SPACE, U' ');
  Key(VK_RETURN, U'\r');
  EXPECT_THAT(log, ElementsAre("Button1Click", "Button1Click"));
  // In an edit, Enter goes to the default button.
  log.clear();
  f->Edit2->SetFocus();
  Pump();
  Key(VK_RETURN, U'\r');
  EXPECT_THAT(log, ElementsAre("Button2Click"));
  // Escape clicks the cancel button, which sets the form's ModalResult.
  Key(VK_ESCAPE, 27);
  EXPECT_EQ(f->ModalResult(), mrCancel);
}

TEST_F(FormsTest, TabMovesThroughTheTabOrderAndArrowsBetweenButtons) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  EXPECT_TRUE(f->Edit1->Focused());  // the first in tab order
  std::vector<std::string> order;
  for (int i = 0; i < 7; ++i) {
    Key(VK_TAB, U'\t');
    order.push_back(f->ActiveControl() ? f->ActiveControl()->Name() : "");
  }
  // Labels and the progress bar never take the focus.
  EXPECT_THAT(order, ElementsAre("Button1", "Edit2", "CheckBox1", "CheckBox2", "Button2", "Button3", "Edit1"));
  ShiftKey(VK_TAB);
  EXPECT_EQ(f->ActiveControl(), f->Button3);
  Key(VK_LEFT);
  EXPECT_EQ(f->ActiveControl(), f->Button2);
  Key(VK_RIGHT);
  EXPECT_EQ(f->ActiveControl(), f->Button3);
}

TEST_F(FormsTest, AFreedControlLeavesTheTabOrder) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  f->Button1->Free();
  f->Button1 = nullptr;
  std::vector<TWinControl*> list;
  f->GetTabOrderList(list);
  std::vector<std::string> names;
  for (TWinControl* c : list) names.push_back(c->Name());
  EXPECT_EQ(std::count(names.begin(), names.end(), "Button1"), 0);
  Key(VK_TAB, U'\t');
  EXPECT_EQ(f->ActiveControl(), f->Edit2) << "tabbing passes the freed button";
}

TEST_F(FormsTest, EditTypingSelectionClipboardKeysAndEvents) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->Show();
  Pump();
  TEdit* e = f->Edit1;
  EXPECT_TRUE(e->Focused());
  // Entered from the keyboard: all selected, so typing replaces it.
  EXPECT_EQ(e->SelLength(), static_cast<int>(e->Text().size()));
  log.clear();
  Type("abc");
  EXPECT_EQ(e->Text(), "abc");
  EXPECT_THAT(log, ElementsAre("Edit1Change a", "Edit1Change ab", "Edit1Change abc"));
  Key(VK_BACK, 8);
  EXPECT_EQ(e->Text(), "ab");
  Key(VK_HOME);
  Type("X");
  EXPECT_EQ(e->Text(), "Xab");
  ShiftKey(VK_END);
  EXPECT_EQ(e->SelText(), "ab");
  CtrlKey('C');
  EXPECT_EQ(Clipboard()->AsText(), "ab");
  CtrlKey('X');
  EXPECT_EQ(e->Text(), "X");
  EXPECT_EQ(Clipboard()->AsText(), "ab");
  CtrlKey('V');
  CtrlKey('V');
  EXPECT_EQ(e->Text(), "Xabab");
  CtrlKey('A');
  EXPECT_EQ(e->SelLength(), 5);
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), "");
  CtrlKey('Z');
  EXPECT_EQ(e->Text(), "Xabab");
  // A pasted line break ends what a single line takes.
  Clipboard()->SetAsText("first\r\nsecond");
  e->SetText("");
  CtrlKey('V');
  EXPECT_EQ(e->Text(), "first");
  // Another program's text is pasted too.
  screen->SetForeignClipboardText("from elsewhere");
  e->SelectAll();
  CtrlKey('V');
  EXPECT_EQ(e->Text(), "from elsewhere");

  log.clear();
  DoubleClickOn(e);
  EXPECT_NE(std::find(log.begin(), log.end(), "Edit1DblClick"), log.end());
  log.clear();
  MoveOver(f->Edit2);
  MoveOver(e);
  EXPECT_THAT(log, ElementsAre("Edit1MouseMove"));
  EXPECT_EQ(e->Hint(), "from elsewhere");
  log.clear();
  Key(VK_TAB, U'\t');
  EXPECT_THAT(log, ElementsAre("Edit1Exit"));
}

TEST_F(FormsTest, EditMouseSelectionAndProgrammaticSelection) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  TEdit* e = f->Edit2;
  e->SetText("hello world");
  ClickAt(e, 1, e->ClientHeight() / 2);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 0);  // a click places the caret, it selects nothing
  e->SetSelStart(6);
  e->SetSelLength(5);
  EXPECT_EQ(e->SelText(), "world");
  e->SetSelText("there");
  EXPECT_EQ(e->Text(), "hello there");
  e->SetMaxLength(8);
  e->SelectAll();
  Type("0123456789");
  EXPECT_EQ(e->Text(), "01234567");
  e->SetReadOnly(true);
  Key(VK_BACK, 8);
  EXPECT_EQ(e->Text(), "01234567");
}

// File names are bytes: a name that is not UTF-8 (Latin-1 from an old camera card) goes into an
// edit and comes back the same bytes, before and after the edit has its window, through the
// selection and through typing beside it.
TEST_F(FormsTest, EditTextKeepsTheBytesOfFileNames) {
  const std::string latin1 = "/photos/caf\xE9 \xE0 l'\xE9t\xE9.jpg";
  const std::string utf8 = "/photos/caf\xC3\xA9.jpg";
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  TEdit* e = f->Edit2;
  e->SetText(latin1);
  EXPECT_EQ(e->Text(), latin1);
  f->Show();
  Pump();
  EXPECT_EQ(e->Text(), latin1);
  EXPECT_EQ(e->WideText().substr(8, 4), (std::u16string{u'c', u'a', u'f', char16_t(0xDCE9)}));
  e->SetText(utf8);
  EXPECT_EQ(e->Text(), utf8);
  EXPECT_EQ(e->WideText(), u"/photos/caf\u00E9.jpg");
  e->SetText(latin1);
  e->SetSelStart(8);
  e->SetSelLength(4);
  EXPECT_EQ(e->SelText(), "caf\xE9");
  e->SetSelText("th\xE9");
  EXPECT_EQ(e->Text(), "/photos/th\xE9 \xE0 l'\xE9t\xE9.jpg");
  ClickAt(e, e->ClientWidth() - 2, e->ClientHeight() / 2);
  Key(VK_END);
  Type("x");
  EXPECT_EQ(e->Text(), "/photos/th\xE9 \xE0 l'\xE9t\xE9.jpgx");
  f->Label1->SetCaption(latin1);
  EXPECT_EQ(f->Label1->Caption(), latin1);
}

TEST_F(FormsTest, CheckBoxesToggleByMouseSpaceAndCode) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->Show();
  Pump();
  log.clear();
  ClickOn(f->CheckBox1);
  log.erase(log.begin());  // the edit's exit
  EXPECT_TRUE(f->CheckBox1->Checked());
  EXPECT_EQ(SendMessageW(f->CheckBox1->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  Key(VK_SPACE, U' ');
  EXPECT_FALSE(f->CheckBox1->Checked());
  // Setting Checked in code clicks too, as the class library does.
  f->CheckBox1->SetChecked(true);
  f->CheckBox1->SetChecked(true);  // no change, no click
  EXPECT_THAT(log, ElementsAre("CheckBox1Click on", "CheckBox1Click off", "CheckBox1Click on"));
  f->CheckBox2->SetAllowGrayed(true);
  f->CheckBox2->SetState(cbGrayed);
  EXPECT_EQ(SendMessageW(f->CheckBox2->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
}

TEST_F(FormsTest, ProgressBarPositionRangeAndFill) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  TProgressBar* p = f->ProgressBar1;
  p->SetMin(0);
  p->SetMax(100);
  p->SetPosition(25);
  EXPECT_EQ(p->Position(), 25);
  p->SetPosition(500);
  EXPECT_EQ(p->Position(), 100);
  p->SetPosition(-4);
  EXPECT_EQ(p->Position(), 0);
  p->SetPosition(50);
  Pump();
  std::uint32_t bar = ScreenColor(clHighlight), face = ScreenColor(clBtnFace);
  int w = p->ClientWidth(), y = p->ClientHeight() / 2;
  EXPECT_EQ(PixelOf(p, w / 4, y), bar);
  EXPECT_EQ(PixelOf(p, w * 3 / 4, y), face);
  p->SetMax(0);  // an empty range
  EXPECT_EQ(p->Position(), 0);
  EXPECT_EQ(PixelOf(p, w / 4, y), face);
  p->SetMax(10);
  p->SetStep(4);
  p->StepIt();
  p->StepIt();
  EXPECT_EQ(p->Position(), 8);
  p->StepIt();  // past the end it starts over
  EXPECT_EQ(p->Position(), 2);
}

TEST_F(FormsTest, ControlsPaintTheClassicLook) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  // Form background, edit background, button face and the check box's white box.
  EXPECT_EQ(PixelOf(f.get(), 300, 200), ScreenColor(clBtnFace));
  EXPECT_EQ(PixelOf(f->Edit2, f->Edit2->ClientWidth() - 3, 3), ScreenColor(clWindow));
  EXPECT_EQ(PixelOf(f->Button1, 3, f->Button1->ClientHeight() - 4), ScreenColor(clBtnFace));
  EXPECT_EQ(PixelOf(f->CheckBox1, 3, f->CheckBox1->ClientHeight() / 2 - 2), ScreenColor(clWindow));
  // The checked box shows its mark.
  int y0 = (f->CheckBox2->ClientHeight() - 13) / 2;
  bool mark = false;
  for (int x = 2; x < 11; ++x)
    for (int y = y0 + 2; y < y0 + 11; ++y)
      if (PixelOf(f->CheckBox2, x, y) == ScreenColor(clWindowText)) mark = true;
  EXPECT_TRUE(mark);
  // Label text is drawn in the label's font colour somewhere in its rectangle.
  f->Label1->Font()->SetColor(clRed);
  bool red = false;
  for (int x = 0; x < f->Label1->Width() && !red; ++x) {
    for (int y = 0; y < f->Label1->Height(); ++y) {
      std::uint32_t px = PixelOf(f->Label1, x, y);  // glyph edges are blended
      if ((px >> 16) > 0xB0 && ((px >> 8) & 0xFF) < 0x60 && (px & 0xFF) < 0x60) red = true;
    }
  }
  EXPECT_TRUE(red);
}

TEST_F(FormsTest, ExceptionsInHandlersGoToTheApplication) {
  std::vector<std::string> log;
  TComponentPtr<TTestForm> f(MakeTestForm(&log));
  f->onButton1 = [] { throw Exception("Error while creating directory /x/compared/"); };
  std::string seen;
  Application->OnException = [&](TObject* sender, const std::exception& e) {
    seen = std::string(e.what()) + " from " + static_cast<TComponent*>(sender)->Name();
  };
  f->Show();
  Pump();
  ClickOn(f->Button1);
  // The form handled the button's notification, so the form reports it.
  EXPECT_EQ(seen, "Error while creating directory /x/compared/ from TestForm");
  // The default handler shows a message box: answered here by Enter.
  Application->OnException = nullptr;
  std::string caption, text;
  Application->OnModalBegin = [&](TObject* form) {
    auto* m = dynamic_cast<TMessageForm*>(form);
    if (!m) return;
    caption = m->Caption();
    text = m->Message();
    screen->TypeKey(VK_RETURN, U'\r');
  };
  ClickOn(f->Button1);
  EXPECT_EQ(caption, "Velmora");
  EXPECT_EQ(text, "Error while creating directory /x/compared/.");
  EXPECT_TRUE(f->Visible());  // the window stays usable
}

TEST_F(FormsTest, HintShowsAfterThePauseAndHidesAfterTheHidePause) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  Application->HintPause = 30;
  Application->HintHidePause = 300;
  f->Show();
  Pump();
  MoveOver(f->Button1);
  EXPECT_EQ(Application->MouseControl(), f->Button1);
  PumpFor(150);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(Application->HintWindow()->Showing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "select the image master for comparing");
  PumpFor(400);
  EXPECT_FALSE(Application->HintWindow()->Showing());
  // A control without ShowHint shows none; the edit sets its own in OnMouseMove.
  MoveOver(f->Edit2);
  PumpFor(100);
  EXPECT_FALSE(Application->HintWindow()->Showing());
  f->Edit1->SetText("C:/a/very/long/path.jpg");
  MoveOver(f->Edit1);
  PumpFor(150);
  EXPECT_TRUE(Application->HintWindow()->Showing());
  EXPECT_EQ(Application->HintWindow()->Caption(), "C:/a/very/long/path.jpg");
  // A click hides it at once.
  ClickOn(f->Edit1);
  EXPECT_FALSE(Application->HintWindow()->Showing());
}

TEST_F(FormsTest, ScreenCursorShowsTheHourglassEverywhere) {
  TComponentPtr<TTestForm> f(MakeTestForm(nullptr));
  f->Show();
  Pump();
  MoveOver(f->Edit1);
  EXPECT_EQ(screen->CurrentCursor(), display::Cursor::IBeam);
  TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(screen->CurrentCursor(), display::Cursor::Wait);
  MoveOver(f->Button1);
  MoveOver(f->Edit1);
  EXPECT_EQ(screen->CurrentCursor(), display::Cursor::Wait);
  Screen->SetCursor(saved);
  MoveOver(f->Button1);
  EXPECT_EQ(screen->CurrentCursor(), display::Cursor::Arrow);
}

TEST_F(FormsTest, ReleasedFormIsFreedAfterItsMessage) {
  std::vector<std::string> log;
  TTestForm* f = MakeTestForm(&log);
  f->onButton1 = [f] { f->Release(); };
  f->Show();
  Pump();
  int before = Screen->FormCount();
  ClickOn(f->Button1);
  EXPECT_EQ(Screen->FormCount(), before - 1);
  EXPECT_EQ(log.back(), "Destroy");
}

TEST_F(FormsTest, MissingDescriptionAndBadDescriptionsRaise) {
  EXPECT_THROW(CreateComponent<TTestForm>(Application), EResNotFound);
  std::string bad = kTestFormText;
  bad.replace(bad.find("OnClick = Button1Click"), 22, "OnClick = NoSuchMethod");
  try {
    MakeTestForm(nullptr, bad);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("Method NoSuchMethod not found"), std::string::npos);
  }
  EXPECT_EQ(Screen->FormCount(), 0);  // the half-read form is gone
  // A plain form needs no description.
  TComponentPtr<TForm> plain(CreateComponent<TForm>(Application));
  EXPECT_EQ(plain->ComponentCount(), 0);
}

}  // namespace
}  // namespace formstest
