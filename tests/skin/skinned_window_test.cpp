// Skinned top-level windows on the headless screen, drawn with the flat test skin: attaching,
// applying and detaching, the frame's sizes, region and hit testing, the caption buttons with
// the mouse. (Switching skins is skinned_window_switch_test's.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/forms/message_dialog.h"
#include "platform/gdi/region.h"
#include "platform/gdi/system_metrics.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/scroll.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/skin/skinned_window_fixture.h"
#include "tests/support/limited_child.h"

using namespace flatskin;
using display::MouseButton;

namespace {

using skintest::kFormText;
using skintest::SkinnedWindow;

TEST_F(SkinnedWindow, AttachAppliesTheFrameAndDetachGivesTheWindowBack) {
  std::vector<std::string> log;
  sd->OnBeforeSkinForm = [&](TObject*, HWND, const std::string&) { log.push_back("before"); };
  sd->OnAfterSkinForm = [&](TObject*, HWND, const std::string&) { log.push_back("after"); };
  form = new TForm(Application);
  char text[512];
  snprintf(text, sizeof text, kFormText, "bsSizeable");
  form->SetDescription(text);
  form->AfterConstruction();
  TWndMethod own = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (!log.empty() && (m.Msg == WM_NCCALCSIZE || m.Msg == CM_SKINAPPLIED)) log.push_back(std::to_string(m.Msg));
    own(m);
  };
  const LONG_PTR plainProc = GetWindowLongPtrW(form->Handle(), GWL_WNDPROC);
  form->Show();
  RECT plain = WindowRect();
  Pump();
  // The wrapper is attached on activation; the frame is fitted when CM_SKINAPPLY arrives.
  EXPECT_EQ(log, (std::vector<std::string>{"before", std::to_string(WM_NCCALCSIZE), std::to_string(CM_SKINAPPLIED),
                                           "after"}));
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->SkinPhase, 1);
  EXPECT_EQ(SendMessageW(form->Handle(), CM_SKINQUERY, 0, 0), 1);
  EXPECT_EQ(Width(), 300 + 2 * kBorder);
  EXPECT_EQ(Height(), 200 + kCaption + kBorder);
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_WNDPROC), plainProc);

  int changed = 0;
  sd->OnSkinChanged = [&](TObject*) { ++changed; };
  sd->SetActive(false);
  EXPECT_TRUE(SkinManage()->TimerEnabled());
  SkinManage()->TimerTick();
  EXPECT_FALSE(SkinManage()->TimerEnabled());
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(SkinManage()->FindForm(form->Handle()), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_WNDPROC), plainProc);
  EXPECT_EQ(Width(), plain.right - plain.left);
  EXPECT_EQ(Height(), plain.bottom - plain.top);
  EXPECT_EQ(form->ClientWidth(), 300);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(form->Handle(), r), 0);
  DeleteObject(r);
  form->WindowProc = own;
}

WNDPROC g_below = nullptr;
int g_seen = 0;
LRESULT OnTop(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  ++g_seen;
  return CallWindowProcW(g_below, w, m, wp, lp);
}

TEST_F(SkinnedWindow, AProcedureSubclassedOnTopOutlivesTheWrapper) {
  Show();
  HWND h = form->Handle();
  const int plainWidth = 300 + 2 * GetSystemMetrics(SM_CXFRAME);
  g_below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&OnTop)));
  sd->SetActive(false);
  SkinManage()->TimerTick();
  Pump();
  // The wrapper is gone; what it left in the chain only passes messages on.
  EXPECT_EQ(SkinManage()->FindForm(h), nullptr);
  EXPECT_EQ(SendMessageW(h, CM_SKINQUERY, 0, 0), 0);
  EXPECT_EQ(Width(), plainWidth);
  SetWindowPos(h, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_EQ(form->ClientWidth(), 400 - 2 * GetSystemMetrics(SM_CXFRAME));
  EXPECT_GT(g_seen, 0);
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_below));
}

// A library may end the process with exit() while a window wears the skin (Xlib does when its
// display goes away). The skin manager is module-level; taking the window back then would reach
// the timers and windows that the end of the process has already taken down.
TEST_F(SkinnedWindow, AnExitWithTheSkinOnEndsTheProcessCleanly) {
  Show();
  ASSERT_NE(Wrapper(), nullptr);
  const testsupport::ChildEnd end = testsupport::RunLimited([] {
    std::exit(0);
    return 1;
  });
  EXPECT_EQ(testsupport::Describe(end), "exit 0");
}

// Borders that state no frames, or fewer than none: each picture is one frame, drawn whole.
TEST_F(SkinnedWindow, BordersWithoutFramesAreOnePictureEach) {
  sd->Top->Frame = 0;
  sd->Left->Frame = -2;
  Show();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->CaptionHeight, 2 * kCaption);
  EXPECT_EQ(Wrapper()->LeftWidth, 2 * kBorder);
  EXPECT_EQ(Width(), 300 + 2 * kBorder + kBorder);
  EXPECT_EQ(Height(), 200 + 2 * kCaption + kBorder);
  const int w = Width();
  EXPECT_EQ(At(w - 80, 2), kTop[0]);
  EXPECT_EQ(At(w - 80, kCaption + 10), kTop[1]);
  EXPECT_EQ(At(1, 120), kLeft[0]);
  EXPECT_EQ(At(kBorder + 1, 120), kLeft[1]);
}

TEST_F(SkinnedWindow, BorderKindsGiveTheirFrames) {
  struct Case {
    const char* style;
    int kind, width, height;
  };
  const Case cases[] = {{"bsSizeable", 0, 308, 228}, {"bsSingle", 1, 308, 228}, {"bsDialog", 3, 308, 228},
                        {"bsNone", 2, 300, 200}};
  for (const Case& c : cases) {
    Show(c.style);
    ASSERT_NE(Wrapper(), nullptr) << c.style;
    EXPECT_EQ(Wrapper()->BorderKind, c.kind) << c.style;
    EXPECT_EQ(Width(), c.width) << c.style;
    EXPECT_EQ(Height(), c.height) << c.style;
    form->Free();
    form = nullptr;
    Pump();
  }
}

TEST_F(SkinnedWindow, TheRegionCutsTheCornersAndTheFrameIsDrawnFromTheSkin) {
  Show();
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form->Handle(), r), 0);
  const int w = Width(), h = Height();
  for (POINT out : {POINT{0, 0}, POINT{1, 0}, POINT{0, 1}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
    EXPECT_FALSE(PtInRegion(r, out.x, out.y)) << out.x << "," << out.y;
  for (POINT in : {POINT{1, 1}, POINT{2, 0}, POINT{w / 2, 0}, POINT{w - 2, h - 2}, POINT{w / 2, h / 2}})
    EXPECT_TRUE(PtInRegion(r, in.x, in.y)) << in.x << "," << in.y;
  DeleteObject(r);

  EXPECT_EQ(At(1, h / 2), kLeft[0]);
  EXPECT_EQ(At(w - 2, h / 2), kRight[0]);
  EXPECT_EQ(At(w / 2, h - 2), kBottom[0]);
  EXPECT_EQ(At(w - 80, 2), kTop[0]);
  EXPECT_EQ(At(w - kCloseX + 5, kButtonTop + 5), kClose[0]);
  EXPECT_EQ(At(w - kMaxX + 5, kButtonTop + 5), kMax[0]);
  EXPECT_EQ(At(w - kMinX + 5, kButtonTop + 5), kMin[0]);
  bool text = false;
  for (int x = 8; x < 80 && !text; ++x)
    for (int y = 0; y < kCaption && !text; ++y) text = At(x, y) == kTitleText[0];
  EXPECT_TRUE(text) << "caption text in its colour";

  // An inactive frame: the second frame of each border, the caption buttons' fourth.
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  FlushWindowPixels(form->Handle());
  EXPECT_EQ(At(1, h / 2), kLeft[1]);
  EXPECT_EQ(At(w / 2, h - 2), kBottom[1]);
  EXPECT_EQ(At(w - 80, 2), kTop[1]);
  EXPECT_EQ(At(w - kCloseX + 5, kButtonTop + 5), kClose[3]);
}

TEST_F(SkinnedWindow, HitTestingFollowsTheSkinnedFrame) {
  Show();
  const RECT r = WindowRect();
  const int w = Width(), h = Height();
  struct Case {
    int x, y;
    LRESULT hit;
  };
  const Case cases[] = {
      {w / 2, 12, HTCAPTION},              {w / 2, 22, HTCAPTION},  // below the default caption
      {w - kCloseX + 5, 8, HTCAPTION},     {w - 6, 6, HTCAPTION},    // buttons are the skin's own
      {w / 2, 1, HTTOP},                   {1, h / 2, HTLEFT},
      {w - 1, h - 1, HTBOTTOMRIGHT},       {w / 2, h / 2, HTCLIENT},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + c.x, r.top + c.y)), c.hit)
        << c.x << "," << c.y;
}

TEST_F(SkinnedWindow, CaptionButtonHoverPressAndDragOff) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  ASSERT_NE(wrapper, nullptr);
  const int w = Width();
  const POINT close = ButtonCentre(kCloseX);
  MoveTo(close);
  EXPECT_EQ(At(w - kCloseX + 5, kButtonTop + 5), kClose[2]);
  ASSERT_NE(wrapper->HotElement, nullptr);
  EXPECT_EQ(wrapper->HotElement->State, 3);
  EXPECT_TRUE(wrapper->Hover->Enabled());
  screen->PressButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(wrapper->HotElement->State, 2);
  EXPECT_EQ(At(w - kCloseX + 5, kButtonTop + 5), kClose[1]);
  // Dragged off onto the caption and let go there: nothing is clicked.
  MoveTo(POINT{WindowRect().left + w / 2, close.y});
  EXPECT_EQ(wrapper->HotElement, nullptr);
  EXPECT_TRUE(wrapper->Hover->Enabled()) << "the hover timer runs while the window is active";
  EXPECT_EQ(At(w - kCloseX + 5, kButtonTop + 5), kClose[0]);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // Straight from one button onto the next: the first leaves before the second is hot.
  MoveTo(ButtonCentre(kMinX));
  EXPECT_EQ(At(w - kMinX + 5, kButtonTop + 5), kMin[2]);
  MoveTo(ButtonCentre(kMaxX));
  EXPECT_EQ(At(w - kMinX + 5, kButtonTop + 5), kMin[0]);
  EXPECT_EQ(At(w - kMaxX + 5, kButtonTop + 5), kMax[2]);
  // Pressed and released on the close button, soon after the press above (a double click):
  // the window closes.
  MoveTo(close);
  screen->PressButton(MouseButton::Left);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(SkinnedWindow, MaximiseRestoreAndMinimiseThroughTheCaption) {
  Show();
  const RECT normal = WindowRect();
  screen->Click(ButtonCentre(kMaxX).x, ButtonCentre(kMaxX).y);
  Pump();
  EXPECT_TRUE(IsZoomed(form->Handle()));
  EXPECT_EQ(Wrapper()->WindowState, 1);
  const int w = Width();
  EXPECT_EQ(At(w - kMaxX + 5, kButtonTop + 5), kRestore[0]) << "the restore button where maximise was";
  screen->Click(ButtonCentre(kMaxX).x, ButtonCentre(kMaxX).y);
  Pump();
  EXPECT_FALSE(IsZoomed(form->Handle()));
  EXPECT_EQ(WindowRect().right - WindowRect().left, normal.right - normal.left);
  EXPECT_EQ(WindowRect().bottom - WindowRect().top, normal.bottom - normal.top);
  screen->Click(ButtonCentre(kMinX).x, ButtonCentre(kMinX).y);
  Pump();
  EXPECT_TRUE(IsIconic(form->Handle()));
}

TEST_F(SkinnedWindow, MovesByTheCaptionAndSizesByTheBorders) {
  Show();
  RECT r = WindowRect();
  screen->MoveMouse(r.left + 150, r.top + 20);  // in the skin's caption, below the default one
  screen->PressButton(MouseButton::Left);
  screen->MoveMouse(r.left + 180, r.top + 60);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  RECT moved = WindowRect();
  EXPECT_EQ(moved.left, r.left + 30);
  EXPECT_EQ(moved.top, r.top + 40);
  screen->MoveMouse(moved.right - 2, moved.bottom - 2);  // the very corner is cut away
  screen->PressButton(MouseButton::Left);
  screen->MoveMouse(moved.right + 48, moved.bottom + 18);
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_EQ(Width(), 308 + 50);
  EXPECT_EQ(Height(), 228 + 20);
  EXPECT_EQ(form->ClientWidth(), 350);
  const int w = Width(), h = Height();
  EXPECT_EQ(At(w - 2, h / 2), kRight[0]) << "the frame follows the new size";
  HRGN rg = CreateRectRgn(0, 0, 0, 0);
  GetWindowRgn(form->Handle(), rg);
  EXPECT_FALSE(PtInRegion(rg, w - 1, h - 1));
  EXPECT_TRUE(PtInRegion(rg, w - 2, h - 2));
  DeleteObject(rg);
}

TEST_F(SkinnedWindow, MessageDialogsWearTheSkin) {
  Show();
  bool checked = false;
  Application->OnModalBegin = [&](TObject* f) {
    auto* m = dynamic_cast<TMessageForm*>(f);
    if (!m) return;
    Pump();
    TWinSkinForm* w = SkinManage()->FindForm(m->Handle());
    checked = w != nullptr;
    if (w) {
      EXPECT_TRUE(w->DialogClass);
      EXPECT_EQ(w->BorderKind, 3);
      EXPECT_EQ(m->ClientWidth() + 2 * kBorder, [&] {
        RECT r{};
        GetWindowRect(m->Handle(), &r);
        return int(r.right - r.left);
      }());
    }
    m->SetModalResult(mrOk);
  };
  MessageDlg("A message", mtInformation, MsgDlgButton(mbOK));
  EXPECT_TRUE(checked);
}

TEST_F(SkinnedWindow, FormsTheFilterRefusesStayPlain) {
  form = new TForm(Application);
  char text[512];
  snprintf(text, sizeof text, kFormText, "bsSizeable");
  form->SetDescription(text);
  form->AfterConstruction();
  form->SetTag(99);
  form->Show();
  Pump();
  EXPECT_EQ(Wrapper(), nullptr);
  form->Free();
  form = nullptr;
  sd->OnFormSkin = [](TObject*, const std::string&, bool& doSkin) { doSkin = false; };
  Show();
  EXPECT_EQ(Wrapper(), nullptr);
}

TEST_F(SkinnedWindow, ItemDrawingSkinsTurnTheFormsAutoScrollOff) {
  Show();
  EXPECT_TRUE(form->AutoScroll()) << "skins without item drawing leave it";
  form->Free();
  form = nullptr;
  sd->SetSkinControls(sd->SkinControls() | SkinBit(xcMenuItem));
  Show();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_FALSE(form->AutoScroll());
}

TEST_F(SkinnedWindow, TheManagerCanAskForFramesWithoutClippedChildren) {
  Show();
  EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
  form->Free();
  form = nullptr;
  SkinManage()->ClipChildrenOff = true;
  Show();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
  // Not for a window without a frame.
  form->Free();
  form = nullptr;
  Show("bsNone");
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
}

TEST_F(SkinnedWindow, AWindowOfAnUnreadableSkinStaysPlain) {
  sd->PackedSkin().Clear();
  sd->PackedSkin().WriteString("not a skin");
  EXPECT_FALSE(sd->LoadSkin());
  Show();
  EXPECT_EQ(Wrapper(), nullptr);
  EXPECT_EQ(Width(), 300 + 2 * GetSystemMetrics(SM_CXFRAME));
}

void RegisterPlainClass(const char16_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

TEST_F(SkinnedWindow, AnMdiFrameAndItsChildren) {
  RegisterPlainClass(u"MDIClient");
  RegisterPlainClass(u"SkinTestMdiChild");
  form = new TForm(Application);
  char text[512];
  snprintf(text, sizeof text, kFormText, "bsSizeable");
  form->SetDescription(text);
  form->AfterConstruction();
  HWND client = CreateWindowExW(0, u"MDIClient", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, form->Handle(),
                                nullptr, nullptr, nullptr);
  form->Show();
  Pump();
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->FormKind, 1);
  EXPECT_EQ(SkinManage()->MDIClient, client);
  // An MDI child is skinned when it is created, not when it is activated.
  HWND child = CreateWindowExW(WS_EX_MDICHILD, u"SkinTestMdiChild", u"Child",
                               WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, 10, 10, 150, 100, client,
                               nullptr, nullptr, nullptr);
  TWinSkinForm* w = SkinManage()->FindForm(child);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->FormKind, 2);
  RECT before{};
  GetClientRect(child, &before);
  Pump();
  EXPECT_EQ(w->SkinPhase, 1);
  RECT after{}, outer{};
  GetClientRect(child, &after);
  GetWindowRect(child, &outer);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(outer.right - outer.left, before.right + 2 * kBorder);
  // Its caption is at least as high as the system's caption and frame: the rest is a bar.
  EXPECT_EQ(w->MenuBarHeight, std::max(0, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME) - kCaption));
  // A child window that is not an MDI child is never skinned by the hook.
  HWND plain = CreateWindowExW(0, u"SkinTestMdiChild", u"Plain", WS_CHILD | WS_VISIBLE | WS_CAPTION, 0, 0, 50, 50,
                               form->Handle(), nullptr, nullptr, nullptr);
  EXPECT_FALSE(SkinManage()->SkinWindow(plain));
  DestroyWindow(child);
  Pump();
  SkinManage()->Sweep();
  EXPECT_EQ(SkinManage()->FindForm(child), nullptr);
}

// The skin's colours asked for before CM_SKINAPPLY has come: the frame is still fitted to the
// form's own client size when it comes, the height of the skinned bar counted once.
TEST_F(SkinnedWindow, ColoursAskedForBeforeTheSkinIsAppliedKeepTheFormsClientSize) {
  form = new TForm(Application);
  form->SetDescription(
      "object BarForm: TForm\n  Left = 60\n  Top = 50\n  Caption = 'Bar'\n  ClientHeight = 150\n"
      "  ClientWidth = 320\n  Menu = MainMenu1\n  object MainMenu1: TMainMenu\n    object File1: TMenuItem\n"
      "      Caption = '&File'\n    end\n  end\nend\n");
  form->AfterConstruction();
  form->Show();
  ASSERT_NE(Wrapper(), nullptr);
  ASSERT_EQ(Wrapper()->SkinPhase, 0);
  ASSERT_NE(Wrapper()->MenuBar, nullptr);
  SendMessageW(form->Handle(), CM_SKINCOLORS, 0, 0);
  Pump();
  EXPECT_EQ(Wrapper()->SkinPhase, 1);
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->ClientHeight(), 150);
  EXPECT_EQ(Height(), 150 + kCaption + kBorder + GetSystemMetrics(SM_CYMENU));
}

// Applying the skin skins the window's controls first and fits the frame afterwards: the
// program's own control event sees the window still in its own frame, the after-skinning event
// in the skinned one.
TEST_F(SkinnedWindow, ControlsAreSkinnedBeforeTheFrameIsFitted) {
  form = new TForm(Application);
  form->SetDescription(
      "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  Caption = 'Skinned'\n  ClientHeight = 200\n"
      "  ClientWidth = 300\n  object Push: TButton\n    Left = 10\n    Top = 10\n    Width = 80\n"
      "    Height = 26\n  end\nend\n");
  form->AfterConstruction();
  std::vector<int> heights;
  sd->OnSkinControl = [&](TComponent*, TSkinData*, TControl*, TControl* c, const std::string&, TSkinControl*&) {
    if (c->Name() == "Push") heights.push_back(Height());
  };
  sd->OnAfterSkinForm = [&](TObject*, HWND, const std::string&) { heights.push_back(Height()); };
  form->Show();
  Pump();
  ASSERT_NE(Wrapper(), nullptr);
  const int own = 200 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
  ASSERT_NE(own, 200 + kCaption + kBorder);
  EXPECT_EQ(heights, (std::vector<int>{own, 200 + kCaption + kBorder}));
}

// The hover timer runs from the moment the skin is applied for as long as the window is active,
// whether or not anything is hot; it stops while the window is inactive.
TEST_F(SkinnedWindow, TheHoverTimerRunsWhileTheWindowIsActive) {
  Show();
  TWinSkinForm* wrapper = Wrapper();
  ASSERT_NE(wrapper, nullptr);
  ASSERT_EQ(wrapper->HotElement, nullptr);
  EXPECT_TRUE(wrapper->Hover->Enabled());
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  EXPECT_FALSE(wrapper->Hover->Enabled());
  SendMessageW(form->Handle(), WM_NCACTIVATE, TRUE, 0);
  EXPECT_TRUE(wrapper->Hover->Enabled());
  // A hot button the mouse has left is let go of by the timer.
  MoveTo(ButtonCentre(kCloseX));
  ASSERT_NE(wrapper->HotElement, nullptr);
  screen->MoveMouse(WindowRect().left + Width() / 2, WindowRect().top + Height() / 2);
  Pump();
  ASSERT_NE(wrapper->HotElement, nullptr) << "the client area tells the frame nothing";
  wrapper->HoverTimer();
  Pump();
  EXPECT_EQ(wrapper->HotElement, nullptr);
  EXPECT_EQ(At(Width() - kCloseX + 5, kButtonTop + 5), kClose[0]);
  // Turning inactive under a hot button: the frame is painted inactive and forgets the button.
  MoveTo(ButtonCentre(kCloseX));
  ASSERT_NE(wrapper->HotElement, nullptr);
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  Pump();
  EXPECT_EQ(wrapper->HotElement, nullptr);
  EXPECT_EQ(At(Width() - kCloseX + 5, kButtonTop + 5), kClose[3]);
  SendMessageW(form->Handle(), WM_NCACTIVATE, TRUE, 0);
  Pump();
  EXPECT_EQ(At(Width() - kCloseX + 5, kButtonTop + 5), kClose[0]);
}

// Where the default procedure finds no part of its own frame below the skin's caption (the
// skin's borders of a single frame are wider than the system's), the point counts as caption.
TEST_F(SkinnedWindow, TheSkinsBordersBelowTheCaptionAreCaption) {
  Show("bsSingle");
  ASSERT_NE(Wrapper(), nullptr);
  const RECT r = WindowRect();
  const int w = Width(), h = Height();
  int checked = 0;
  for (POINT p : {POINT{kBorder - 1, h / 2}, POINT{w - kBorder, h / 2}, POINT{w / 2, h - kBorder}}) {
    const LRESULT own = DefWindowProcW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + p.x, r.top + p.y));
    if (own != HTNOWHERE) continue;  // a system frame as wide as the skin's
    ++checked;
    EXPECT_EQ(SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + p.x, r.top + p.y)), HTCAPTION)
        << p.x << "," << p.y;
  }
  EXPECT_GT(checked, 0);
}

// A window without a form object (a raw dialog) given a new text: the default procedure draws
// its own caption at once, and the skin's frame is painted over it again.
TEST_F(SkinnedWindow, ARawWindowsNewTextKeepsTheSkinnedCaption) {
  RegisterPlainClass(u"SkinTestRawDialog");
  HWND raw = CreateWindowExW(0, u"SkinTestRawDialog", u"Raw", WS_OVERLAPPEDWINDOW, 100, 80, 300, 200, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(raw, nullptr);
  ShowWindow(raw, SW_SHOW);
  SetForegroundWindow(raw);
  Pump();
  TWinSkinForm* w = SkinManage()->FindForm(raw);
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->Form, nullptr);
  RECT r{};
  GetWindowRect(raw, &r);
  const int width = r.right - r.left;
  auto at = [&](int x, int y) { return ScreenColor(r.left + x, r.top + y); };
  ASSERT_EQ(at(width - 80, 10), kTop[0]);
  SetWindowTextW(raw, u"A new caption");
  Pump();
  EXPECT_EQ(at(width - 80, 10), kTop[0]) << "the skin's caption, not the system's";
  EXPECT_EQ(at(1, 40), kLeft[0]);
  DestroyWindow(raw);
  Pump();
}

// A caption button acts on its release only where it was pressed: pressed on one button and
// let go on another, nothing happens.
TEST_F(SkinnedWindow, AButtonActsOnlyWhereItWasPressed) {
  Show();
  MoveTo(ButtonCentre(kCloseX));
  screen->PressButton(MouseButton::Left);
  Pump();
  MoveTo(ButtonCentre(kMaxX));
  screen->ReleaseButton(MouseButton::Left);
  Pump();
  EXPECT_FALSE(IsZoomed(form->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(At(Width() - kMaxX + 5, kButtonTop + 5), kMax[2]) << "hot, not pressed";
}

// A double click anywhere in the frame but on a button maximises a normal window that has a
// maximize box, and restores it again.
TEST_F(SkinnedWindow, ADoubleClickOnTheFrameMaximisesAndRestores) {
  Show();
  HWND h = form->Handle();
  const RECT r = WindowRect();
  const POINT bottom{(r.left + r.right) / 2, r.bottom - 2};
  ASSERT_EQ(SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(bottom.x, bottom.y)), HTBOTTOM);
  SendMessageW(h, WM_NCLBUTTONDBLCLK, HTBOTTOM, MAKELPARAM(bottom.x, bottom.y));
  Pump();
  EXPECT_TRUE(IsZoomed(h));
  const RECT z = WindowRect();
  SendMessageW(h, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM((z.left + z.right) / 2, z.top + 12));
  Pump();
  EXPECT_FALSE(IsZoomed(h));
}

// The non-client size asked for a rectangle alone (wParam FALSE) is answered 0, the rectangle
// left as it is; an element told the mouse has left it lets go of whatever element was hot.
TEST_F(SkinnedWindow, SmallAnswersOfTheFrame) {
  Show();
  RECT r{10, 20, 300, 200};
  EXPECT_EQ(SendMessageW(form->Handle(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&r)), 0);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 200);
  TWinSkinForm* w = Wrapper();
  MoveTo(ButtonCentre(kCloseX));
  ASSERT_NE(w->HotElement, nullptr);
  TWinSysButton* other = nullptr;
  for (auto& b : w->CaptionButtons)
    if (b.get() != w->HotElement && b->Visible) other = b.get();
  ASSERT_NE(other, nullptr);
  other->MouseLeave();
  EXPECT_EQ(w->HotElement, nullptr);
}

// A caption button's new frame is copied over the button as it stands, its transparent pixels
// leaving what was there: hot after pressed, a hole of the hot frame shows the pressed one.
TEST_F(SkinnedWindow, AButtonsNewFrameGoesOverWhatWasThere) {
  Show();
  TWinSkinForm* w = Wrapper();
  TWinSysButton* close = nullptr;
  for (auto& b : w->CaptionButtons)
    if (b->Element->Action == 0) close = b.get();
  ASSERT_NE(close, nullptr);
  TBitmap& strip = const_cast<TBitmap&>(close->Element->Bitmap);
  const int fw = strip.Width() / std::max(close->Element->Frame, 1);
  for (int y = 6; y < 10; ++y)
    for (int x = 8; x < 12; ++x) strip.Dib().SetColor(2 * fw + x, y, RGB(255, 0, 255));
  MoveTo(ButtonCentre(kCloseX));
  close->MouseDown();
  FlushWindowPixels(form->Handle());
  EXPECT_EQ(At(Width() - kCloseX + 9, kButtonTop + 7), kClose[1]) << "pressed";
  close->MouseUp();
  FlushWindowPixels(form->Handle());
  EXPECT_EQ(At(Width() - kCloseX + 2, kButtonTop + 2), kClose[2]) << "hot";
  EXPECT_EQ(At(Width() - kCloseX + 9, kButtonTop + 7), kClose[1]) << "the pressed frame under the hole";
}

// With item drawing in the skin, the form's main menu is drawn by the skin from the moment the
// wrapper attaches, before the skin is applied.
TEST_F(SkinnedWindow, AMainMenuIsOwnerDrawnFromTheAttaching) {
  sd->SetSkinControls(sd->SkinControls() | SkinBit(xcMenuItem));
  form = new TForm(Application);
  form->SetDescription(
      "object SkinForm: TForm\n  Left = 100\n  Top = 80\n  Caption = 'Skinned'\n  ClientHeight = 200\n"
      "  ClientWidth = 300\n  Menu = MainMenu1\n  object MainMenu1: TMainMenu\n    object File1: TMenuItem\n"
      "      Caption = '&File'\n      object Open1: TMenuItem\n        Caption = '&Open'\n      end\n    end\n"
      "  end\nend\n");
  form->AfterConstruction();
  auto* menu = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
  ASSERT_NE(menu, nullptr);
  ASSERT_FALSE(menu->OwnerDraw());
  ASSERT_TRUE(SkinManage()->SkinWindow(form->Handle()));
  EXPECT_EQ(Wrapper()->SkinPhase, 0) << "not applied yet";
  EXPECT_TRUE(menu->OwnerDraw());
}

}  // namespace
