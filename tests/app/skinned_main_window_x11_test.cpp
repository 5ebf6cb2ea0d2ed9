// The main window, a dialog and a message box wearing the flat test skin on an X server of the
// test's own: screenshots probed pixel by pixel, the corners cut by the window's shape, and the
// caption driven with XTest (xdotool) as a person would: hovering, pressing and releasing the
// close button, maximising, restoring, minimising, moving and sizing.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/config.h"
#include "app/console.h"
#include "app/tarnwick1.h"
#include "platform/display/display.h"
#include "platform/forms/application.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/open_dialog.h"
#include "platform/forms/standard_classes.h"
#include "platform/user/message_loop.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;
using namespace flatskin;
using displaytest::RunWhileServing;
using displaytest::ServeFor;

namespace {

void Pump() {
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

// 0x00RRGGBB of a colour, as screenshots give them.
uint32_t Rrggbb(TColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

class SkinnedMainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server.available()) GTEST_SKIP() << "needs Xvfb";
    if (!testsupport::HaveTool("xdotool")) GTEST_SKIP() << "needs xdotool";
    if (!testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "needs python3 for the skin packer";
    RecreateApplication();
    auto x11 = display::OpenX11Display();
    if (!x11) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(UseDisplay(std::move(x11)));
    Application->Initialize();
    Application->SetTitle("Velmora");
    RegisterStandardClasses();
    RegisterSkinClasses();
    UseSkinManage();
    RegisterClass(TForm1::StaticClassInfo());
    SetCommandLine({});
    ProgramFolder = dir.path() + "/";
    testsupport::WriteFile(dir.File("flat.skin"), FlatSkin());
  }

  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    Pump();
    FreeSkinManager();
    SetSkinManagerFactory(nullptr);
    UseHeadlessDisplay();
    RecreateApplication();
    ProgramFolder.clear();
  }

  // The main window, wearing the flat skin instead of its own.
  void Open() {
    Application->CreateForm(form);
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
  // A screen pixel at a point of a window, from a fresh screenshot.
  uint32_t Pixel(HWND h, int x, int y) {
    const RECT r = Rect(h);
    return displaytest::ScreenshotPixel(r.left + x, r.top + y).value_or(0xFF000000u);
  }
  std::string Xdo(const std::string& args) {
    auto out = RunWhileServing("xdotool " + args, Pump, 20000);
    EXPECT_TRUE(out.has_value()) << args;
    ServeFor(300, Pump);
    return out.value_or("");
  }
  std::string At(HWND h, int x, int y) {
    const RECT r = Rect(h);
    return std::to_string(r.left + x) + " " + std::to_string(r.top + y);
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

  displaytest::PrivateXServer server;
  testsupport::TempDir dir;
  TForm1* form = nullptr;
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
  EXPECT_EQ(Pixel(form->Handle(), close.x, close.y), Rrggbb(kClose[2])) << "hot";
  Xdo("mousedown 1");
  EXPECT_EQ(Pixel(form->Handle(), close.x, close.y), Rrggbb(kClose[1])) << "pressed";
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
  EXPECT_EQ(Pixel(form->Handle(), max.x + 6, max.y), Rrggbb(kRestore[0]))
      << "the restore button where maximise was (the pointer is gone)";
  Xdo("mousemove " + At(form->Handle(), max.x, max.y) + " click 1");
  EXPECT_FALSE(IsZoomed(form->Handle()));
  EXPECT_EQ(Rect(form->Handle()).right - Rect(form->Handle()).left, normal.right - normal.left);
  const POINT min = Button(kMinX);
  Xdo("mousemove " + At(form->Handle(), min.x, min.y) + " click 1");
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

}  // namespace
