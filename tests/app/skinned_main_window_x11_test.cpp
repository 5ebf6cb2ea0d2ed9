// The main window, a dialog and a message box wearing the flat test skin on an X server of the
// test's own: screenshots probed pixel by pixel, the corners cut by the window's shape, and the
// caption driven with XTest (xdotool) as a person would: hovering, pressing and releasing the
// close button, maximising, restoring, minimising, moving and sizing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "app/config.h"
#include "app/console.h"
#include "app/tarnwick1.h"
#include "platform/forms/application.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/open_dialog.h"
#include "platform/forms/timer.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "platform/forms/button.h"
#include "platform/forms/check_box.h"
#include "platform/forms/edit.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/shapes.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "skin/controls/skin_control.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/app/support/main_window_on_x.h"
#include "tests/skin/skinned_x11_fixture.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;
using namespace flatskin;
using skintest::Rrggbb;
using displaytest::RunWhileServing;
using displaytest::ServeFor;

namespace {

class SkinnedMainWindow : public apptest::MainWindowOnX {
 protected:
  void SetUp() override {
    StartMainWindow(true);
    if (IsSkipped() || HasFatalFailure()) return;
    UseSkinManage();
    testsupport::WriteFile(dir.File("flat.skin"), FlatSkin());
  }

  // The main window, wearing the flat skin instead of its own.
  void Open(const std::string& config = {}) {
    Create(config);
    ASSERT_NE(form, nullptr);
    auto* sd = dynamic_cast<TSkinData*>(form->SkinData1);
    ASSERT_NE(sd, nullptr);
    sd->SetSkinFile(dir.File("flat.skin"));
    ASSERT_TRUE(sd->Ready());
    form->Show();
    ServeFor(500, Pump);
    ASSERT_NE(SkinManage()->FindForm(form->Handle()), nullptr);
  }

  RECT Rect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
  }
  std::string At(HWND h, int x, int y) {
    const RECT r = Rect(h);
    return Point(r.left + x, r.top + y);
  }
  POINT Button(int fromRight) { return POINT{Width() - fromRight + kButtonW / 2, kButtonTop + kButtonH / 2}; }
  int Width() { return Rect(form->Handle()).right - Rect(form->Handle()).left; }
  int Height() { return Rect(form->Handle()).bottom - Rect(form->Handle()).top; }

  // The frame of a skinned window: borders, the caption's text and its buttons.
  void ExpectSkinnedFrame(HWND h, const std::string& what) {
    auto shot = displaytest::TakeScreenshot();
    ASSERT_TRUE(shot.has_value());
    const RECT r = Rect(h);
    const int w = r.right - r.left, ht = r.bottom - r.top;
    auto px = [&](int x, int y) { return shot->At(r.left + x, r.top + y); };
    EXPECT_EQ(px(1, ht / 2), Rrggbb(kLeft[0])) << what;
    EXPECT_EQ(px(w - 2, ht / 2), Rrggbb(kRight[0])) << what;
    EXPECT_EQ(px(w / 2, ht - 2), Rrggbb(kBottom[0])) << what;
    EXPECT_EQ(px(w - 100, 2), Rrggbb(kTop[0])) << what;
    EXPECT_EQ(px(w - kCloseX + 5, kButtonTop + 5), Rrggbb(kClose[0])) << what;
    bool text = false;
    for (int x = 0; x < w / 2 && !text; ++x)
      for (int y = 0; y < kCaption && !text; ++y) text = px(x, y) == Rrggbb(kTitleText[0]);
    EXPECT_TRUE(text) << what << ": the caption text in the skin's colour";
    // The cut corners show what lies below the window.
    EXPECT_NE(px(0, 0), Rrggbb(kLeft[0])) << what;
    EXPECT_NE(px(w - 1, ht - 1), Rrggbb(kRight[0])) << what;
  }

  std::string Kind(TControl* c) {
    TSkinControl* s = SkinManage()->FindForm(form->Handle())->FindSkinner(c);
    return s ? s->KindName() : "-";
  }
  std::string Centre(TControl* c) { return At(static_cast<TWinControl*>(c)->Handle(), c->Width() / 2, c->Height() / 2); }
  // What the wrapper last drew at a point of a control's window.
  TColor Drawn(TWinControl* c, int x, int y) {
    HDC dc = GetWindowDC(c->Handle());
    const COLORREF p = GetPixel(dc, x, y);
    ReleaseDC(c->Handle(), dc);
    return TColor(p);
  }

  // Arms a timer that fires inside the menu loop of the next menu: it takes a screenshot with
  // the menu open and hands it to `probe` with the menu window; xdotool then does what the
  // probe answers (keys, or a click into the menu).
  void WhileMenuOpen(std::function<std::string(HWND, const displaytest::Screenshot&)> probe) {
    menuTimer.reset(CreateComponent<TTimer>(nullptr));
    menuTimer->SetInterval(700);
    menuTimer->SetOnTimer([this, probe](TObject*) {
      menuTimer->SetEnabled(false);
      const auto& popups = SkinManage()->Popups();
      auto shot = displaytest::TakeScreenshot();
      std::string action = "key Escape";
      if (!popups.empty() && shot) action = probe(popups.front()->Window, *shot);
      // What xdotool does reaches the menu loop that is running here.
      RunWhileServing("xdotool " + action, [] {}, 20000);
    });
    menuTimer->SetEnabled(true);
  }
  POINT CaptionPoint() { return POINT{80, kCaption / 2}; }

  TComponentPtr<TTimer> menuTimer;
};

TEST_F(SkinnedMainWindow, TheMainWindowWearsTheSkinWithItsCornersCut) {
  Open();
  ExpectSkinnedFrame(form->Handle(), "main window");
  EXPECT_EQ(form->ClientWidth(), 676);
  EXPECT_EQ(Width(), 676 + 2 * kBorder);
  EXPECT_EQ(Height(), 429 + kCaption + kBorder);
  if (testsupport::HaveTool("xwininfo")) {
    const std::string id = Xdo("search --onlyvisible --name '^Velmora 1.0$'");
    ASSERT_FALSE(id.empty());
    const std::string shape = Xdo("getwindowname " + id.substr(0, id.find('\n')) + " >/dev/null; xwininfo -shape -id " +
                                  id.substr(0, id.find('\n')));
    EXPECT_NE(shape.find("shape extents"), std::string::npos) << shape;
  }
}

TEST_F(SkinnedMainWindow, TheCloseButtonShowsItsFramesAndEndsTheProgram) {
  Open();
  const POINT close = Button(kCloseX);
  Xdo("mousemove " + At(form->Handle(), close.x, close.y));
  EXPECT_EQ(Shot(form->Handle(), close.x, close.y), Rrggbb(kClose[2])) << "hot";
  Xdo("mousedown 1");
  EXPECT_EQ(Shot(form->Handle(), close.x, close.y), Rrggbb(kClose[1])) << "pressed";
  Xdo("mouseup 1");
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(std::filesystem::exists(dir.File("Velmora.cfg")));
}

TEST_F(SkinnedMainWindow, MaximiseRestoreAndMinimiseThroughTheCaption) {
  Open();
  const RECT normal = Rect(form->Handle());
  POINT max = Button(kMaxX);
  Xdo("mousemove " + At(form->Handle(), max.x, max.y) + " click 1");
  EXPECT_TRUE(IsZoomed(form->Handle()));
  max = Button(kMaxX);
  EXPECT_EQ(Shot(form->Handle(), max.x + 6, max.y), Rrggbb(kRestore[0]))
      << "the restore button where maximise was (the pointer is gone)";
  Xdo("mousemove " + At(form->Handle(), max.x, max.y) + " click 1");
  EXPECT_FALSE(IsZoomed(form->Handle()));
  EXPECT_EQ(Rect(form->Handle()).right - Rect(form->Handle()).left, normal.right - normal.left);
  const POINT min = Button(kMinX);
  Xdo("mousemove " + At(form->Handle(), min.x, min.y) + " click 1");
  EXPECT_TRUE(IsIconic(form->Handle()));
}

TEST_F(SkinnedMainWindow, ARightClickOnTheCaptionOpensTheSkinnedSystemMenu) {
  Open();
  // The menu shows the skin's frame and background; Minimise minimises.
  int kind = -1;
  uint32_t edge = 0, inside = 0;
  WhileMenuOpen(
      [&](HWND menu, const displaytest::Screenshot& shot) {
        kind = SkinManage()->MenuKind;
        RECT r = Rect(menu), client{};
        GetClientRect(menu, &client);
        edge = shot.At(r.left + 1, r.top + 1);
        POINT item{client.right - 6, client.bottom / 2};
        ClientToScreen(menu, &item);
        inside = shot.At(item.x, item.y);
        return "key n";
      });
  const POINT caption = CaptionPoint();
  Xdo("mousemove " + At(form->Handle(), caption.x, caption.y) + " click 3");
  ServeFor(500, Pump);
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(edge, Rrggbb(kMenuEdge));
  EXPECT_EQ(inside, Rrggbb(kMenuInside));
  EXPECT_TRUE(IsIconic(form->Handle()));
  EXPECT_TRUE(SkinManage()->Popups().empty());

  // Restore from the skinned system menu of the minimised window: a click on its first item.
  WhileMenuOpen([](HWND menu, const displaytest::Screenshot&) {
    POINT item{10, 4};
    ClientToScreen(menu, &item);
    return "mousemove " + std::to_string(item.x) + " " + std::to_string(item.y) + " click 1";
  });
  TWinSkinForm* wrapper = SkinManage()->FindForm(form->Handle());
  ASSERT_NE(wrapper, nullptr);
  wrapper->ShowSystemMenu(POINT{200, 200});
  ServeFor(500, Pump);
  EXPECT_FALSE(IsIconic(form->Handle()));
  ExpectSkinnedFrame(form->Handle(), "restored");

  // Close ends the program with its settings saved.
  WhileMenuOpen([](HWND, const displaytest::Screenshot&) { return std::string("key c"); });
  Xdo("mousemove " + At(form->Handle(), caption.x, caption.y) + " click 3");
  ServeFor(500, Pump);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(std::filesystem::exists(dir.File("Velmora.cfg")));
}

// The program's icon stands in the caption of its own skin, pixel for pixel as another reader
// (ImageMagick) decodes the icon file's small image; a click on it opens the skinned system menu.
TEST_F(SkinnedMainWindow, TheProgramsIconInTheCaptionOpensTheSystemMenu) {
  if (!testsupport::HaveTool("convert")) GTEST_SKIP() << "needs ImageMagick";
  std::string rgba;
  ASSERT_EQ(testsupport::Run("convert '" + testsupport::SourceDir() + "/resources/icons/velmora.ico[0]' -depth 8 rgba:-",
                             &rgba),
            0);
  constexpr int kIcon = 16;
  ASSERT_EQ(rgba.size(), size_t(kIcon * kIcon * 4));
  Create({});
  form->Show();
  ServeFor(500, Pump);
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot.has_value());
  const RECT r = Rect(form->Handle());
  auto matchesAt = [&](int left, int top) {
    int opaque = 0;
    for (int y = 0; y < kIcon; ++y)
      for (int x = 0; x < kIcon; ++x) {
        const auto* p = reinterpret_cast<const unsigned char*>(rgba.data()) + (y * kIcon + x) * 4;
        if (p[3] != 255) continue;
        ++opaque;
        if (shot->At(r.left + left + x, r.top + top + y) != (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2])) return false;
      }
    return opaque > kIcon * kIcon / 2;
  };
  std::optional<POINT> icon;
  for (int top = 0; top + kIcon <= 30 && !icon; ++top)
    for (int left = 0; left + kIcon <= 80 && !icon; ++left)
      if (matchesAt(left, top)) icon = POINT{left, top};
  ASSERT_TRUE(icon.has_value()) << "no icon at the caption's left";
  int kind = -1;
  WhileMenuOpen([&](HWND, const displaytest::Screenshot&) {
    kind = SkinManage()->MenuKind;
    return std::string("key n");
  });
  Xdo("mousemove " + At(form->Handle(), icon->x + kIcon / 2, icon->y + kIcon / 2) + " click 1");
  ServeFor(500, Pump);
  EXPECT_EQ(kind, 2);
  EXPECT_TRUE(IsIconic(form->Handle()));
}

TEST_F(SkinnedMainWindow, MovesByItsCaptionAndSizesByItsBorders) {
  Open();
  const RECT r = Rect(form->Handle());
  Xdo("mousemove " + At(form->Handle(), 200, 20) + " mousedown 1 mousemove_relative 10 10 mousemove_relative 20 30 "
      "mouseup 1");
  const RECT moved = Rect(form->Handle());
  EXPECT_EQ(moved.left, r.left + 30);
  EXPECT_EQ(moved.top, r.top + 40);
  const int w = Width(), h = Height();
  Xdo("mousemove " + At(form->Handle(), w - 2, h - 2) + " mousedown 1 mousemove_relative 20 10 "
      "mousemove_relative 20 10 mouseup 1");
  EXPECT_EQ(Width(), w + 40);
  EXPECT_EQ(Height(), h + 20);
  EXPECT_EQ(form->ClientWidth(), 676 + 40);
  ExpectSkinnedFrame(form->Handle(), "sized");
}

TEST_F(SkinnedMainWindow, DialogsAndMessageBoxesWearTheSkin) {
  Open();
  int seen = 0;
  Application->OnModalBegin = [&](TObject* f) {
    auto* dialog = dynamic_cast<TCustomForm*>(f);
    if (!dialog) return;
    ServeFor(500, Pump);
    dialog->SetModalResult(mrCancel);  // whatever is found, the dialog ends
    EXPECT_NE(SkinManage()->FindForm(dialog->Handle()), nullptr) << dialog->ClassName();
    ExpectSkinnedFrame(dialog->Handle(), dialog->ClassName());
    ++seen;
    PostMessageW(dialog->Handle(), WM_NULL, 0, 0);  // the modal loop looks at its result again
  };
  ShowMessage("A message");
  form->OpenDialog1->Execute();
  Application->OnModalBegin = nullptr;
  EXPECT_EQ(seen, 2);
}

TEST_F(SkinnedMainWindow, EveryControlOfTheMainWindowWearsTheSkin) {
  Open();
  for (TButton* b : {form->Button1, form->Button2, form->Button3, form->Button4, form->Button5, form->Button6,
                     form->Button7, form->Button8, form->imgreset})
    EXPECT_EQ(Kind(b), "TSkinButton") << b->Name();
  for (int i = 1; i <= 11; ++i) {
    auto* box = dynamic_cast<TControl*>(form->FindComponent("CheckBox" + std::to_string(i)));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Kind(box), "TSkinCheckBox") << box->Name();
  }
  for (TEdit* e : {form->Edit1, form->Edit2, form->Edit4, form->edit_pix, form->edit_prec})
    EXPECT_EQ(Kind(e), "TSkinEdit") << e->Name();
  EXPECT_EQ(Kind(form->ProgressBar1), "TSkinProgress");
  auto shot = displaytest::TakeScreenshot();
  ASSERT_TRUE(shot.has_value());
  auto px = [&](TWinControl* c, int x, int y) {
    RECT r = Rect(c->Handle());
    return shot->At(r.left + x, r.top + y);
  };
  const uint32_t normal = Rrggbb(kPush[0]), focused = Rrggbb(kPush[4]);
  const uint32_t b3 = px(form->Button3, 2, 2);
  EXPECT_TRUE(b3 == normal || b3 == focused) << std::hex << b3;
  EXPECT_EQ(px(form->Edit2, 0, 0), Rrggbb(kShadow));
  EXPECT_EQ(px(form->Edit2, 1, 5), 0xFFFFFFu);
  EXPECT_EQ(px(form->ProgressBar1, 2, form->ProgressBar1->Height() / 2), Rrggbb(kProgress[0]));
  const int mid = (form->CheckBox10->Height() - kBox) / 2 + kBox / 2;
  const uint32_t box = px(form->CheckBox10, kBox / 2, mid);
  EXPECT_TRUE(box == Rrggbb(kCheck[0]) || box == Rrggbb(kCheck[1])) << std::hex << box;
}

TEST_F(SkinnedMainWindow, ControlsAreDrivenWithTheMouseAndTheKeyboard) {
  Open();
  TButton* button = form->Button7;  // "send to": a click only changes a file of the user's
  button->SetEnabled(true);
  Xdo("mousemove " + Centre(button));
  EXPECT_EQ(Shot(button->Handle(), 2, 2), Rrggbb(kPush[3])) << "hot";
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  Xdo("mousedown 1");
  EXPECT_EQ(Shot(button->Handle(), 2, 2), Rrggbb(kPush[1])) << "pressed";
  Xdo("mouseup 1");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), button->Handle());
  Xdo("mousemove " + At(form->Handle(), 5, Height() - 10));
  ServeFor(400, Pump);  // the hover timer or the leave notification
  EXPECT_EQ(Shot(button->Handle(), 2, 2), Rrggbb(kPush[4])) << "focused";
  Xdo("keydown space");
  EXPECT_EQ(Shot(button->Handle(), 2, 2), Rrggbb(kPush[1])) << "pressed by the space key";
  Xdo("keyup space");
  EXPECT_EQ(clicks, 2);

  TCheckBox* box = form->CheckBox10;
  const bool was = box->Checked();
  const int mid = (box->Height() - kBox) / 2 + kBox / 2;
  Xdo("mousemove " + At(box->Handle(), kBox / 2, mid) + " click 1");
  EXPECT_NE(box->Checked(), was);
  EXPECT_EQ(Shot(box->Handle(), kBox / 2, mid), Rrggbb(kCheck[box->Checked() ? 1 : 0]));
  Xdo("key space");
  EXPECT_EQ(box->Checked(), was);
  EXPECT_EQ(Shot(box->Handle(), kBox / 2, mid), Rrggbb(kCheck[was ? 1 : 0]));

  form->Edit2->SetText("");
  Xdo("mousemove " + Centre(form->Edit2) + " click 1");
  Xdo("type --delay 30 skinned");
  EXPECT_EQ(form->Edit2->Text(), "skinned");
  EXPECT_EQ(Shot(form->Edit2->Handle(), 0, 0), Rrggbb(kShadow));
}

TEST_F(SkinnedMainWindow, AComparisonRunMovesTheSkinnedBarToFull) {
  const std::string images = dir.File("images/");
  std::filesystem::create_directory(images);
  testsupport::WriteFile(dir.File("make.py"),
                         "from PIL import Image\nfor name, c in [('a.png', (200, 30, 30)), ('b.png', (20, 30, 220)), "
                         "('c.png', (200, 30, 31))]:\n  Image.new('RGB', (40, 30), c).save('" +
                             images + "' + name)\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  Open(images + "a.png\r\n" + images + "\r\n\r\n-\r\n------X--\r\n");
  Xdo("mousemove " + Centre(form->Button2) + " click 1");
  ASSERT_FALSE(form->imgprop->Text().empty());
  TProgressBar* bar = form->ProgressBar1;
  const int w = bar->Width(), h = bar->Height();
  // The bar's left and right ends as drawn at each position of the run.
  std::map<int, std::pair<TColor, TColor>> ends;
  TWndMethod skinned = bar->WindowProc;
  bar->WindowProc = [&](TMessage& m) {
    skinned(m);
    if (m.Msg == PBM_SETPOS && bar->Max() == 2)
      ends[int(m.WParam)] = {Drawn(bar, 1, h / 2), Drawn(bar, w - 2, h / 2)};
  };
  const std::string answer = "; xdotool search --sync --onlyvisible --name '^Information$' >/dev/null; sleep 0.3; "
                             "xdotool key Return; xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null; "
                             "sleep 0.3; xdotool key Return";
  ASSERT_TRUE(RunWhileServing("xdotool mousemove " + Centre(form->Button4) + " click 1" + answer, Pump, 20000));
  ServeFor(300, Pump);
  bar->WindowProc = skinned;
  ASSERT_EQ(ends.size(), 3u);
  EXPECT_EQ(ends[0], std::make_pair(kProgress[0], kProgress[0])) << "empty at the first file";
  EXPECT_EQ(ends[1], std::make_pair(kProgress[1], kProgress[0])) << "half way";
  EXPECT_EQ(ends[2], std::make_pair(kProgress[1], kProgress[1])) << "full at the last file";
}

}  // namespace
