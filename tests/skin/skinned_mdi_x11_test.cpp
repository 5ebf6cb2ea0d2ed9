// An MDI frame and its children wearing the program's own skin on an X server of the test's
// own: the maximised child's minimise, restore and close buttons drawn on the frame's skinned
// menu bar from the skin's MDI pictures and clicked with XTest (xdotool), the children's skinned
// frames after restoring, tiling, cascading from the window menu and the Next command, the bar
// built again from a new frame menu, and the client's scroll bars kept or taken by the skin's
// option; screenshots compared with the skin's bitmaps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/menus.h"
#include "platform/gdi/colors.h"
#include "platform/user/mdi.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/scroll.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/screen_test_support.h"

using skintest::Rrggbb;

namespace {

const char* const kFrame = R"(object Frame: TForm
  Left = 40
  Top = 40
  Caption = 'Frame'
  ClientHeight = 380
  ClientWidth = 600
  FormStyle = fsMDIForm
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object New1: TMenuItem
        Caption = '&New'
      end
    end
    object Window1: TMenuItem
      Caption = '&Window'
      object Tile1: TMenuItem
        Caption = '&Tile'
      end
      object Cascade1: TMenuItem
        Caption = '&Cascade'
      end
    end
  end
end
)";

const char* const kChild = R"(object Child: TForm
  Left = %d
  Top = %d
  Caption = '%s'
  ClientHeight = 140
  ClientWidth = 220
  FormStyle = fsMDIChild
  WindowState = %s
  Visible = True
end
)";

constexpr TColor kMagenta = 0xFF00FF;

class SkinnedMdiX11 : public skintest::X11Application {
 protected:
  void TearDown() override {
    if (frame) frame->Free();
    frame = nullptr;
    Pump();
    sd.reset();
    X11Application::TearDown();
  }
  // The frame wearing the program's skin (with extra options), shown.
  void ShowFrame(TSkinOptions extra = 0) {
    StartOnX();
    if (IsSkipped() || HasFatalFailure()) return;
    UseSkinManage();
    sd = skintest::LoadedSkinData(skintest::ShippedSkin());
    ASSERT_TRUE(sd->Ready());
    sd->SetOptions(sd->Options() | extra);
    sd->SetActive(true);
    sd->Loaded();
    frame = new TForm(Application);
    frame->SetDescription(kFrame);
    frame->AfterConstruction();
    frame->Show();
    Serve();
    wrapper = SkinManage()->FindForm(frame->Handle());
    ASSERT_NE(wrapper, nullptr);
    ASSERT_EQ(wrapper->FormKind, 1);
    ASSERT_NE(wrapper->MenuBar, nullptr);
    client = frame->ClientHandle();
  }
  TForm* Child(const char* caption, int x, int y, const char* state = "wsNormal") {
    char text[512];
    snprintf(text, sizeof text, kChild, x, y, caption, state);
    auto* c = new TForm(frame);
    c->SetDescription(text);
    c->AfterConstruction();
    Serve();
    return c;
  }
  void Serve() { displaytest::ServeFor(400, Pump); }
  // The skin's MDI child buttons (minimise, restore, close) as the frame's wrapper holds them.
  std::vector<TWinSysButton*> MdiButtons() {
    std::vector<TWinSysButton*> list;
    for (auto& b : wrapper->CaptionButtons)
      if (b->Element->Visibility == 100) list.push_back(b.get());
    return list;
  }
  TWinSysButton* MdiButton(int action) {
    for (TWinSysButton* b : MdiButtons())
      if (b->Element->Action == action) return b;
    return nullptr;
  }
  // How many pixels of frame 1 of the button's picture, other than its transparent ones, the
  // screen shows at the button's place in the frame window; and how many there are.
  std::pair<int, int> ShownPixels(const displaytest::Screenshot& shot, TWinSysButton* b) {
    TBitmap& picture = b->Element->Bitmap;
    const int w = picture.Width() / std::max(b->Element->Frame, 1), h = picture.Height();
    RECT wr{};
    GetWindowRect(frame->Handle(), &wr);
    int shown = 0, opaque = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const TColor c = skintest::PixelOf(picture, x, y);
        if (c == kMagenta) continue;
        ++opaque;
        shown += shot.At(wr.left + b->Rect.left + x, wr.top + b->Rect.top + y) == Rrggbb(c);
      }
    return {shown, opaque};
  }
  std::string Centre(HWND window, const RECT& r) {
    RECT wr{};
    GetWindowRect(window, &wr);
    return Point(wr.left + (r.left + r.right) / 2, wr.top + (r.top + r.bottom) / 2);
  }
  // The skin's top border as the child's caption shows it: the accent strip of the active look
  // or the strip of the inactive one, a few pixels in from the left border.
  bool CaptionIsSkinned(const displaytest::Screenshot& shot, HWND child, bool active) {
    RECT wr{};
    GetWindowRect(child, &wr);
    TWinSkinForm* w = SkinManage()->FindForm(child);
    if (!w) return false;
    const TBitmap& top = sd->Top->Bitmap;
    const int frameHeight = top.Height() / std::max(sd->Top->Frame, 1);
    const int row = 1 + (active ? 0 : frameHeight);
    const TColor strip = skintest::PixelOf(top, 10, row);
    return shot.At(wr.left + w->LeftWidth + 10, wr.top + 1) == Rrggbb(strip);
  }

  void ChildBeyondTheClient(bool keep);

  skintest::SkinDataPtr sd;
  TForm* frame = nullptr;
  TWinSkinForm* wrapper = nullptr;
  HWND client = nullptr;
};

TEST_F(SkinnedMdiX11, AMaximisedChildsButtonsStandOnTheFramesBarAndWork) {
  ShowFrame();
  if (IsSkipped() || HasFatalFailure()) return;
  TForm* a = Child("Alpha", 10, 10);
  TForm* b = Child("Beta", 40, 40, "wsMaximized");
  int closed = 0;
  b->OnClose = [&](TObject*, TCloseAction& action) {
    ++closed;
    action = caFree;
  };
  ASSERT_TRUE(IsZoomed(b->Handle()));
  EXPECT_TRUE(SkinManage()->MDIMaximized);
  ASSERT_EQ(MdiButtons().size(), 3u);
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  // Every button is shown on the bar, below the caption, with its picture's first frame.
  for (TWinSysButton* button : MdiButtons()) {
    EXPECT_TRUE(button->Visible);
    EXPECT_GE(button->Rect.top, wrapper->CaptionHeight);
    EXPECT_LE(button->Rect.bottom, wrapper->CaptionHeight + wrapper->MenuBarHeight);
    const auto [shown, opaque] = ShownPixels(*shot, button);
    EXPECT_GT(opaque, 5);
    EXPECT_EQ(shown, opaque) << "the button of action " << button->Element->Action;
  }
  // Restore: the child leaves the maximised state and shows its own skinned frame again; the
  // buttons leave the bar.
  TWinSysButton* restore = MdiButton(8);
  ASSERT_NE(restore, nullptr);
  const RECT restoreRect = restore->Rect;
  Xdo("mousemove " + Centre(frame->Handle(), restoreRect) + " click 1");
  Serve();
  EXPECT_FALSE(IsZoomed(b->Handle()));
  EXPECT_FALSE(SkinManage()->MDIMaximized);
  shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  EXPECT_TRUE(CaptionIsSkinned(*shot, b->Handle(), true));
  EXPECT_FALSE(restore->Visible);
  EXPECT_LT(ShownPixels(*shot, restore).first, ShownPixels(*shot, restore).second / 2);
  // Maximised again, the minimise button minimises it.
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(b->Handle()), 0);
  Serve();
  ASSERT_TRUE(MdiButton(7)->Visible);
  Xdo("mousemove " + Centre(frame->Handle(), MdiButton(7)->Rect) + " click 1");
  Serve();
  EXPECT_TRUE(IsIconic(b->Handle()));
  // And the close button closes it.
  SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b->Handle()), 0);
  SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(b->Handle()), 0);
  Serve();
  ASSERT_TRUE(MdiButton(9)->Visible);
  Xdo("mousemove " + Centre(frame->Handle(), MdiButton(9)->Rect) + " click 1");
  Serve();
  EXPECT_EQ(closed, 1);
  // The next child takes over the maximised state, and its buttons are the bar's.
  EXPECT_EQ(frame->ActiveMDIChild(), a);
  EXPECT_TRUE(IsZoomed(a->Handle()));
  EXPECT_TRUE(SkinManage()->MDIMaximized);
  EXPECT_TRUE(MdiButton(9)->Visible);
}

TEST_F(SkinnedMdiX11, TilingRedrawsTheChildrensSkinnedFrames) {
  ShowFrame();
  if (IsSkipped() || HasFatalFailure()) return;
  TForm* a = Child("Alpha", 10, 10);
  TForm* b = Child("Beta", 40, 40, "wsMaximized");
  ASSERT_TRUE(SkinManage()->MDIMaximized);
  frame->Tile();
  Serve();
  EXPECT_FALSE(SkinManage()->MDIMaximized);
  EXPECT_FALSE(IsZoomed(b->Handle()));
  RECT ra{}, rb{}, area{};
  GetWindowRect(a->Handle(), &ra);
  GetWindowRect(b->Handle(), &rb);
  GetClientRect(client, &area);
  EXPECT_EQ(ra.top, rb.top);
  EXPECT_EQ(ra.right - ra.left, area.right / 2);
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  // Both wear the skin's caption, the active one in the active look; the rounded corners of
  // the skin's border cut the frames (the client's background shows there).
  EXPECT_TRUE(CaptionIsSkinned(*shot, b->Handle(), true));
  EXPECT_TRUE(CaptionIsSkinned(*shot, a->Handle(), false));
  const uint32_t workspace = Rrggbb(TColor(ColorToRGB(clAppWorkSpace)));
  EXPECT_EQ(shot->At(ra.left, ra.top), workspace);
  EXPECT_EQ(shot->At(rb.left, rb.top), workspace);
  EXPECT_NE(shot->At(rb.left + 10, rb.top), workspace);
}

TEST_F(SkinnedMdiX11, CascadingFromTheWindowMenuRedrawsTheChildrensSkinnedFrames) {
  ShowFrame();
  if (IsSkipped() || HasFatalFailure()) return;
  auto* cascade = dynamic_cast<TMenuItem*>(frame->FindComponent("Cascade1"));
  ASSERT_NE(cascade, nullptr);
  cascade->OnClick = [this](TObject*) { SendMessageW(client, WM_MDICASCADE, 0, 0); };
  TForm* a = Child("Alpha", 300, 150);
  TForm* b = Child("Beta", 40, 40, "wsMaximized");
  ASSERT_TRUE(SkinManage()->MDIMaximized);
  // The window menu opened on the skinned bar, its Cascade item chosen by its key.
  TMenuBtn* window = nullptr;
  for (const auto& button : wrapper->MenuBar->Buttons)
    if (button->Caption == u"&Window") window = button.get();
  ASSERT_NE(window, nullptr);
  Xdo("mousemove " + Centre(frame->Handle(), window->Rect) + " click 1 sleep 1 key c");
  Serve();
  EXPECT_FALSE(SkinManage()->MDIMaximized);
  EXPECT_FALSE(IsZoomed(b->Handle()));
  EXPECT_EQ(frame->ActiveMDIChild(), b);
  // Alpha at the client's corner, Beta (the active one) one caption further, both of one size.
  RECT area{};
  GetClientRect(client, &area);
  POINT origin{0, 0};
  ClientToScreen(client, &origin);
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
  const int slots = std::min(area.right, area.bottom) / 2 / step;
  const int w = area.right - step * (slots - 1), h = area.bottom - step * (slots - 1);
  const RECT wantA{origin.x, origin.y, origin.x + w, origin.y + h};
  const RECT wantB{origin.x + step, origin.y + step, origin.x + step + w, origin.y + step + h};
  RECT ra{}, rb{};
  GetWindowRect(a->Handle(), &ra);
  GetWindowRect(b->Handle(), &rb);
  EXPECT_EQ(ra, wantA);
  EXPECT_EQ(rb, wantB);
  // On the screen: each wears the skin's caption at its new place, the active one in the active
  // look, and the skin's rounded corners let the workspace show at its top-left pixel.
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  const TBitmap& top = sd->Top->Bitmap;
  const int frameHeight = top.Height() / std::max(sd->Top->Frame, 1);
  const uint32_t activeStrip = Rrggbb(skintest::PixelOf(top, 10, 1));
  const uint32_t inactiveStrip = Rrggbb(skintest::PixelOf(top, 10, 1 + frameHeight));
  const int left = SkinManage()->FindForm(b->Handle())->LeftWidth;
  EXPECT_EQ(shot->At(wantB.left + left + 10, wantB.top + 1), activeStrip);
  EXPECT_EQ(shot->At(wantA.left + left + 10, wantA.top + 1), inactiveStrip);
  const uint32_t workspace = Rrggbb(TColor(ColorToRGB(clAppWorkSpace)));
  EXPECT_EQ(shot->At(wantA.left, wantA.top), workspace);
  EXPECT_NE(shot->At(wantB.left + 10, wantB.top), workspace);
  // Beta's old place, outside both now, shows the workspace again.
  EXPECT_EQ(shot->At(origin.x + area.right - 3, origin.y + area.bottom - 3), workspace);
}

// The skinned window passes the Next command on as a system command; the child's default
// procedure steps to the next child through its client, and both redraw their skinned captions.
TEST_F(SkinnedMdiX11, TheNextCommandActivatesTheNextChild) {
  ShowFrame();
  if (IsSkipped() || HasFatalFailure()) return;
  TForm* a = Child("Alpha", 10, 10);
  TForm* b = Child("Beta", 260, 120);
  ASSERT_EQ(frame->ActiveMDIChild(), b);
  SendMessageW(b->Handle(), WM_COMMAND, SC_NEXTWINDOW, 0);
  Serve();
  EXPECT_EQ(frame->ActiveMDIChild(), a);
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  EXPECT_TRUE(CaptionIsSkinned(*shot, a->Handle(), true));
  EXPECT_TRUE(CaptionIsSkinned(*shot, b->Handle(), false));
  SendMessageW(a->Handle(), WM_COMMAND, SC_PREVWINDOW, 0);
  Serve();
  EXPECT_EQ(frame->ActiveMDIChild(), b);
}

TEST_F(SkinnedMdiX11, ANewFrameMenuBuildsTheBarAgain) {
  ShowFrame();
  if (IsSkipped() || HasFatalFailure()) return;
  Child("Alpha", 10, 10);
  auto* file = dynamic_cast<TMenuItem*>(frame->FindComponent("File1"));
  auto* window = dynamic_cast<TMenuItem*>(frame->FindComponent("Window1"));
  // The window menu's own texts stand; an item without text takes the main menu's.
  HMENU menu = CreateMenu();
  AppendMenuW(menu, MF_STRING, file->Command(), u"&Alpha");
  AppendMenuW(menu, MF_STRING, 7001, u"&Beta");
  AppendMenuW(menu, MF_STRING, window->Command(), u"");
  SendMessageW(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu), 0);
  Serve();
  EXPECT_EQ(GetMenu(frame->Handle()), nullptr) << "the skin draws the bar";
  const auto& buttons = wrapper->MenuBar->Buttons;
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(buttons[0]->Caption, u"&Alpha");
  EXPECT_EQ(buttons[1]->Caption, u"&Beta");
  EXPECT_EQ(buttons[2]->Caption, u"&Window");
  EXPECT_EQ(buttons[2]->Item, window);
  // Laid out and painted: each caption's ink inside its button.
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  RECT wr{};
  GetWindowRect(frame->Handle(), &wr);
  for (const auto& b : buttons) {
    ASSERT_GT(b->Rect.right, b->Rect.left);
    const uint32_t bar = shot->At(wr.left + b->Rect.left, wr.top + b->Rect.top + 1);
    int inked = 0;
    for (int y = b->Rect.top; y < b->Rect.bottom; ++y)
      for (int x = b->Rect.left; x < b->Rect.right; ++x) inked += shot->At(wr.left + x, wr.top + y) != bar;
    EXPECT_GT(inked, 20) << "the caption's ink";
  }
  EXPECT_LT(buttons[0]->Rect.right, buttons[1]->Rect.left + 1);
  DestroyMenu(menu);
}

TEST_F(SkinnedMdiX11, AChildHandsUnansweredDialogCharactersToItsFrame) {
  ShowFrame();
  if (IsSkipped() || HasFatalFailure()) return;
  TForm* a = Child("Alpha", 10, 10);
  std::vector<WPARAM> heard;
  TWndMethod old = frame->WindowProc;
  frame->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
      heard.push_back(m.WParam);
      m.Result = 7;
      return;
    }
    old(m);
  };
  EXPECT_EQ(a->Perform(CM_DIALOGCHAR, 'N', 0), 7);
  EXPECT_EQ(heard, (std::vector<WPARAM>{'N'}));
  frame->WindowProc = old;
}

// A child moved partly beyond the client's right edge: the client shows its horizontal bar only
// when the skin keeps the bars.
void SkinnedMdiX11::ChildBeyondTheClient(bool keep) {
  ShowFrame(keep ? SkinBit(xoMDIScrollbar) : 0);
  if (IsSkipped() || HasFatalFailure()) return;
  TForm* a = Child("Alpha", 10, 10);
  RECT area{};
  GetClientRect(client, &area);
  SetWindowPos(a->Handle(), nullptr, area.right - 60, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Serve();
  EXPECT_EQ((GetWindowLongPtrW(client, GWL_STYLE) & WS_HSCROLL) != 0, keep);
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetScrollBarInfo(client, OBJID_HSCROLL, &info));
  EXPECT_EQ((info.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0, keep);
  RECT after{};
  GetClientRect(client, &after);
  EXPECT_EQ(after.bottom < area.bottom, keep) << "a bar takes the client's bottom rows";
  if (!keep) return;
  // The bar is on the screen: its arrow button, not the workspace, at its left end.
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot);
  const RECT& r = info.rcScrollBar;
  EXPECT_NE(shot->At(r.left + 4, (r.top + r.bottom) / 2), Rrggbb(TColor(ColorToRGB(clAppWorkSpace))));
}

TEST_F(SkinnedMdiX11, TheClientsScrollBarsGoWithoutTheSkinsOption) { ChildBeyondTheClient(false); }

TEST_F(SkinnedMdiX11, TheClientsScrollBarsStayWithTheSkinsOption) { ChildBeyondTheClient(true); }

}  // namespace
