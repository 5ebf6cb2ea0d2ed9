// The main window on an X server of the test's own: every control at its place with its
// caption, hint and font; "E n d" saving the configuration and ending the program; the file
// and folder dialogs filling the edits; "Compare images" asking, running, moving the progress
// bar and showing the summary. Input comes from xdotool, as a person's would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "app/compare_run.h"
#include "app/config.h"
#include "app/footprint.h"
#include "app/console.h"
#include "app/tarnwick1.h"
#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/check_box.h"
#include "platform/forms/edit.h"
#include "platform/forms/label.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/open_dialog.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/screen.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"
#include "tests/app/support/locale_text.h"
#include "tests/app/support/main_window_on_x.h"
#include "tests/support/permissions_apply.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;
using displaytest::RunWhileServing;
using displaytest::ScreenshotPixel;
using displaytest::ServeFor;

namespace {

// Shell text that waits until a window of that title is on the screen (and has had a moment to
// take the keyboard), for the keys that follow.
std::string Await(const std::string& title) {
  return "; xdotool search --sync --onlyvisible --name '^" + title + "$' >/dev/null; sleep 0.3; ";
}

// Time for a run over a folder of MakeLongRun (many seconds in sanitizer builds).
constexpr int kLongRun = 300000;

class MainWindow : public apptest::MainWindowOnX {
 protected:
  void SetUp() override {
    StartMainWindow(false);
    if (IsSkipped() || HasFatalFailure()) return;
    images = dir.File("images/");
    ::mkdir(images.c_str(), 0755);
  }

  void Open(const std::string& config = {}) {
    Create(config);
    ASSERT_NE(form, nullptr);
    form->Show();
    ServeFor(400, Pump);
  }

  // A click on a control, from xdotool, while the program keeps handling its messages; `then`
  // goes on in the same shell (dialogs the click opens are answered there).
  void Click(TControl* c, const std::string& then = {}, int timeoutMs = 20000) {
    const TPoint p = c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2});
    const std::string cmd = "xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1" + then;
    ASSERT_TRUE(RunWhileServing(cmd, Pump, timeoutMs).has_value()) << cmd;
    ServeFor(200, Pump);
  }

  // Shell text that clicks the control's middle.
  static std::string ClickOn(TControl* c) {
    const TPoint p = c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2});
    return "xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1";
  }

  // A folder that takes a run some seconds: `count` pictures of 800 x 600, red and blue by turns
  // (f000.png red, f001.png blue, ...), beside the red master m.png.
  void MakeLongRun(int count) {
    MakePictures("('m.png', 800, 600, (200, 30, 30)), ('b.png', 800, 600, (20, 30, 220))");
    for (int i = 0; i < count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "f%03d.png", i);
      ASSERT_EQ(::link((images + (i % 2 ? "b.png" : "m.png")).c_str(), (images + name).c_str()), 0);
    }
    ::unlink((images + "b.png").c_str());
  }

  // Shell text that waits until a run has copied a few files into the folder.
  static std::string AfterSomeCopies(const std::string& folder) {
    return "; for i in $(seq 400); do [ $(ls '" + folder + "' 2>/dev/null | wc -l) -ge 5 ] && break; sleep 0.05; done; ";
  }

  // The window on a folder of MakeLongRun(600) with its master analysed and "Colour
  // distribution" ticked; the target folder is returned.
  std::string OpenOnALongRun() {
    MakeLongRun(600);
    const std::string target = dir.File("out/");
    Open(images + "m.png\r\n" + images + "\r\n" + target + "\r\n-\r\n------X--\r\n");
    Click(form->Button2);
    return target;
  }

  // A run that `how` (shell text) stops once it has copied a few files: the program ends with
  // its settings saved, without a summary, some of the matches copied and not all.
  void ExpectRunStoppedBy(const std::string& how, const std::string& target) {
    Click(form->Button4, Await("Information") + "xdotool key Return" + AfterSomeCopies(target) + how, kLongRun);
    EXPECT_TRUE(Application->Terminated());
    const int copied = Copied(target);
    EXPECT_GT(copied, 0);
    EXPECT_LT(copied, 301);
    EXPECT_EQ(form->imgcomp->Text(), "");
    EXPECT_EQ(testsupport::ReadFile(dir.File("Velmora.cfg")),
              images + "m.png\r\n" + images + "\r\n" + target + "\r\n-\r\n------X--\r\n4\r\n75\r\n-\r\n");
  }

  int Copied(const std::string& folder) {
    std::string count;
    testsupport::Run("ls '" + folder + "' 2>/dev/null | wc -l", &count);
    return std::stoi(count);
  }

  void MakePictures(const std::string& spec) {
    testsupport::WriteFile(dir.File("make.py"), "from PIL import Image\nfor name, w, h, c in [" + spec +
                                                    "]:\n  Image.new('RGB', (w, h), c).save('" + images + "' + name)\n");
    ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  }

  std::string images;
};


struct Expected {
  const char* name;
  int left, top, width, height;
  const char* caption;  // nullptr: not checked (edits)
  const char* hint;
  bool bold;
};

const Expected kControls[] = {
    {"Label2", 28, 16, 149, 13, "The selected image-file ...", "", true},
    {"Edit1", 24, 35, 559, 21, nullptr, "", false},
    {"Button1", 589, 34, 60, 21, "load ...", "select the image master for comparing", true},
    {"Label3", 28, 64, 151, 13, "The compared directory ...", "", true},
    {"CheckBox10", 232, 64, 191, 17, "... and Subdirectories", "", true},
    {"Edit2", 24, 83, 559, 21, nullptr, "", false},
    {"Button5", 589, 83, 60, 21, "select ...", "select the directory for the comparison run", true},
    {"Label7", 28, 110, 231, 13, "The directory for the matching images ...", "", true},
    {"Edit4", 24, 129, 559, 21, nullptr, "", false},
    {"Button6", 589, 128, 60, 21, "select ...", "select the directory where the matching images will be copied to ...",
     true},
    {"Button7", 288, 160, 295, 17, "put it into explorer context ... send to",
     "put an Velmora-link in the section \"send to\" of the explorer context menu ...", true},
    {"Button8", 288, 176, 295, 17, "remove from explorer context ... send to",
     "remove the Velmora from the  \"send to\" in the explorer context menu ...", true},
    {"Label5", 24, 169, 63, 13, "value-level", "", true},
    {"edit_pix", 148, 166, 41, 21, nullptr, "", false},
    {"Label4", 200, 169, 75, 13, "pixels square", "", true},
    {"Label1", 24, 188, 102, 13, "precision of result", "", true},
    {"edit_prec", 148, 185, 41, 21, nullptr, "", false},
    {"Label6", 200, 185, 44, 13, "percent", "", true},
    {"imgprop", 24, 207, 625, 21, nullptr, "", true},
    {"Edit3", 24, 228, 625, 21, nullptr, "", true},
    {"imgcomp", 24, 248, 625, 21, nullptr, "", true},
    {"ProgressBar1", 24, 266, 625, 15, nullptr, "", false},
    {"CheckBox11", 24, 294, 273, 17, "Put the result into clipboard", "", true},
    {"imgreset", 24, 321, 149, 25, "Reset image properties", "reset the generated property string", true},
    {"CheckBox9", 208, 325, 153, 17, "A l l    o p t i o n s", "toggle on/off for all checkboxes...", true},
    {"CheckBox1", 208, 342, 153, 17, "Width", "The width of the scanned images will be checked...", true},
    {"CheckBox2", 208, 359, 153, 17, "Height", "the height of the scanned images will be checked ...", true},
    {"CheckBox3", 208, 376, 153, 17, "Aspect ratio", "the relationship between width and height will be checked ...",
     true},
    {"CheckBox4", 208, 393, 153, 17, "Landscape/portrait",
     "the formats square, landscape and portrait will be checked ...", true},
    {"CheckBox5", 376, 342, 161, 17, "Number of pixels", "width * height in pixels will be compared ...", true},
    {"CheckBox6", 376, 359, 161, 17, "Imagetype", "the file-extensions (for example jpg) will be checked ...", true},
    {"CheckBox7", 376, 376, 161, 17, "Colour distribution",
     "the colour distribution on the image surface will be compared ...", true},
    {"CheckBox8", 376, 393, 161, 17, "Colour/grey/bw",
     "if it is a coloured, grey scaled or b/w-image will be checked ...", true},
    {"Button2", 24, 352, 149, 25, "Get image properties", "generate the property string from the image master", true},
    {"Button4", 24, 383, 149, 25, "Compare images", "start with comparison run", true},
    {"Button3", 576, 383, 73, 25, "E n d", "close the program immediately", true},
};

}  // namespace

TEST_F(MainWindow, EveryControlAtItsPlace) {
  Open();
  EXPECT_EQ(form->Caption(), "Velmora 1.0");
  EXPECT_EQ(form->ClientWidth(), 676);
  EXPECT_EQ(form->ClientHeight(), 429);
  EXPECT_EQ(form->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(form->Font()->Height(), -11);
  EXPECT_EQ(Application->Title(), "Velmora");
  POINT origin{0, 0};
  ClientToScreen(form->Handle(), &origin);
  for (const auto& e : kControls) {
    auto* c = dynamic_cast<TWinControl*>(form->FindComponent(e.name));
    ASSERT_NE(c, nullptr) << e.name;
    EXPECT_EQ(c->BoundsRect(), (TRect{e.left, e.top, e.left + e.width, e.top + e.height})) << e.name;
    // The window itself, on the screen.
    RECT r;
    ASSERT_TRUE(GetWindowRect(c->Handle(), &r));
    EXPECT_EQ(r.left - origin.x, e.left) << e.name;
    EXPECT_EQ(r.top - origin.y, e.top) << e.name;
    EXPECT_EQ(r.right - r.left, e.width) << e.name;
    EXPECT_TRUE(IsWindowVisible(c->Handle())) << e.name;
    if (e.caption) {
      EXPECT_EQ(c->Caption(), e.caption) << e.name;
    }
    EXPECT_EQ(c->Hint(), e.hint) << e.name;
    EXPECT_EQ(c->ShowHint(), *e.hint != 0) << e.name;
    EXPECT_EQ((c->Font()->Style() & fsBold) != 0, e.bold) << e.name;
    EXPECT_EQ(c->Font()->Name(), "MS Sans Serif") << e.name;
  }
  EXPECT_EQ(form->imgprop->Font()->Color(), clRed);
  EXPECT_EQ(form->Edit3->Font()->Color(), clBlack);
  EXPECT_EQ(form->imgcomp->Font()->Color(), clNavy);
  EXPECT_TRUE(form->ProgressBar1->Smooth());
  EXPECT_EQ(form->OpenDialog1->Filter(),
            "JPG-files|*.JPG|BMP-files|*.BMP|PNG-files|*.PNG|TIF-files|*.TIF|GIF-files|*.GIF|ICO-files|*.ICO|"
            "WMF-files|*.WMF|EMF-files|*.EMF|TIFF-files|*.TIFF|JPEG-files|*.JPEG");
  // Defaults without a configuration file.
  EXPECT_EQ(form->edit_pix->Text(), "4");
  EXPECT_EQ(form->edit_prec->Text(), "75");
  // The window is on the screen: the face colour between the controls, the red of nothing
  // yet, and a check box's box drawn where it belongs.
  if (testsupport::HaveTool("import")) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t facePixel = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    EXPECT_EQ(ScreenshotPixel(origin.x + 660, origin.y + 300).value_or(0), facePixel);
    EXPECT_EQ(ScreenshotPixel(origin.x + 600, origin.y + 60).value_or(0), facePixel);
    EXPECT_NE(ScreenshotPixel(origin.x + 30, origin.y + 45).value_or(facePixel), facePixel);  // Edit1's field
  }
}

// A file handed over on the command line becomes the master, its folder the folder to compare
// and that folder's "compared/" the target. A name relative to the folder the program was
// started in (from a terminal) means the file there.
TEST_F(MainWindow, AFileArgumentFillsThePaths) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('a.png', 4, 3, (200, 30, 30))");
  char* previous = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(images.c_str()), 0);
  for (const std::string& argument : {images + "a.png", std::string("a.png"), std::string("./a.png")}) {
    SetCommandLine({argument});
    Create({});
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Edit1->Text(), images + "a.png") << argument;
    EXPECT_EQ(form->Edit2->Text(), images) << argument;
    EXPECT_EQ(form->Edit4->Text(), images + "compared/") << argument;
    form->Free();
    form = nullptr;
  }
  // A name that is not UTF-8 (Latin-1) reaches the edits with its bytes.
  ASSERT_EQ(::link((images + "a.png").c_str(), (images + "caf\xE9.png").c_str()), 0);
  SetCommandLine({"caf\xE9.png"});
  Create({});
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Edit1->Text(), images + "caf\xE9.png");
  EXPECT_EQ(form->Edit2->Text(), images);
  form->Free();
  form = nullptr;
  SetCommandLine({});
  ASSERT_EQ(::chdir(previous), 0);
  std::free(previous);
}

TEST_F(MainWindow, AllOptionsSwitchesTheEightTests) {
  Open();
  Click(form->CheckBox9);
  for (TCheckBox* b : {form->CheckBox1, form->CheckBox2, form->CheckBox3, form->CheckBox4, form->CheckBox5,
                       form->CheckBox6, form->CheckBox7, form->CheckBox8})
    EXPECT_TRUE(b->Checked()) << b->Name();
  EXPECT_FALSE(form->CheckBox10->Checked());
  EXPECT_FALSE(form->CheckBox11->Checked());
  Click(form->CheckBox9);
  EXPECT_FALSE(form->CheckBox4->Checked());
}

TEST_F(MainWindow, EndSavesTheConfigurationAndEndsTheProgram) {
  Open("/m/x.png\r\n/pics/\r\n\r\nX\r\nX-X\r\n-\r\n50\r\n-\r\n");
  EXPECT_EQ(form->Edit1->Text(), "/m/x.png");
  EXPECT_TRUE(form->CheckBox10->Checked());
  EXPECT_TRUE(form->CheckBox1->Checked());
  EXPECT_FALSE(form->CheckBox2->Checked());  // loading sets each box on its own
  EXPECT_TRUE(form->CheckBox9->Checked());
  EXPECT_EQ(form->edit_pix->Text(), "4");
  EXPECT_EQ(form->edit_prec->Text(), "50");
  form->edit_pix->SetText("");
  Click(form->Button3);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(testsupport::ReadFile(dir.File("Velmora.cfg")),
            "/m/x.png\r\n/pics/\r\n\r\nX\r\nX-XXXXXXX\r\n-\r\n50\r\n-\r\n");
}

// A Velmora.cfg that cannot be read is an error the window shows, and the window starts with
// its defaults; closing it (Alt+F4, as the caption's close button does) then leaves the file
// as it was, since the settings in it were never the window's.
TEST_F(MainWindow, ClosingLeavesAConfigurationThatCouldNotBeReadAsItIs) {
  const std::string cfg = dir.File("Velmora.cfg"), old = "/m/x.png\r\n/pics/\r\n\r\nX\r\nX-X\r\n8\r\n50\r\n-\r\n";
  testsupport::WriteFile(cfg, old);
  ASSERT_EQ(::chmod(cfg.c_str(), 0), 0);
  std::vector<std::string> errors;
  {
    testsupport::PermissionsApply permissions;
    if (const int fd = ::open(cfg.c_str(), O_RDONLY); fd >= 0) {
      ::close(fd);
      GTEST_SKIP() << "this user reads every file";
    }
    Application->OnException = [&](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    Open();
    Application->OnException = nullptr;
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Edit1->Text(), "");
    EXPECT_EQ(form->edit_prec->Text(), "75");
    Click(form->Edit1, "; sleep 0.3; xdotool key alt+F4");
  }
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Cannot open file \"" + cfg + "\". Permission denied");
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(testsupport::ReadFile(cfg), old);
}

TEST_F(MainWindow, OpenDialogFillsTheEdits) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('master.png', 40, 30, (1, 2, 3))");
  Open(images + "old.png\r\n");
  EXPECT_EQ(form->Edit4->Text(), "");
  Click(form->Button1, Await("Open") + "xdotool type --delay 30 master.png; sleep 0.5; xdotool key Return");
  EXPECT_EQ(form->Edit1->Text(), images + "master.png");
  EXPECT_EQ(form->Edit2->Text(), images);
  EXPECT_EQ(form->Edit4->Text(), images + "compared/");
  // A target already chosen stays.
  form->Edit4->SetText("/elsewhere/");
  Click(form->Button1, Await("Open") + "xdotool key Escape");
  EXPECT_EQ(form->Edit1->Text(), images + "master.png");
  EXPECT_EQ(form->Edit4->Text(), "/elsewhere/");
}

// While the Open dialog is up it holds the main window: each of the window's controls clicked
// ("Get image properties", "select ...", "load ...", "Put the result into clipboard", "E n d")
// does nothing, the window manager's close of the window is refused, and the keys go to the
// dialog, whose Escape closes it; then the window is the user's again.
TEST_F(MainWindow, TheOpenDialogHoldsTheWindow) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('master.png', 40, 30, (1, 2, 3))");
  Open(images + "master.png\r\n");
  const bool clipboard = form->CheckBox11->Checked();
  const std::string properties = form->imgprop->Text();
  std::string clicks;
  for (TControl* c : std::initializer_list<TControl*>{form->Button2, form->Button5, form->Button1, form->CheckBox11,
                                                       form->Button3}) {
    const TPoint p = c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2});
    clicks += "xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1; sleep 0.3; ";
  }
  Click(form->Button1, Await("Open") + clicks +
                           "wmctrl -F -c 'Velmora 1.0' 2>/dev/null; sleep 0.3; "
                           "xdotool search --onlyvisible --name '^(Open|Browse For Folder)$' | wc -l > " +
                           dir.File("dialogs") + "; xdotool key Escape; sleep 0.5; xdotool key Escape");
  EXPECT_EQ(std::atoi(testsupport::ReadFile(dir.File("dialogs")).c_str()), 1);
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(form->CheckBox11->Checked(), clipboard);
  EXPECT_EQ(form->imgprop->Text(), properties);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  // The window takes its clicks again.
  Click(form->CheckBox11);
  EXPECT_NE(form->CheckBox11->Checked(), clipboard);
}

// Under fluxbox, the window activated from the task bar while the Open dialog is up (focused,
// minimised, activated again): the activation comes to rest at once instead of flipping between
// the window and the dialog, and the dialog still takes the keys.
TEST_F(MainWindow, UnderAWindowManagerTheActivationComesToRestWhileTheOpenDialogIsUp) {
  REQUIRE_TOOL("xprop");
  displaytest::PrivateWindowManager wm("fluxbox");
  if (!wm.running()) GTEST_SKIP() << "needs fluxbox";
  Open();
  // Each round: the manager's activations of the window and the dialog, a few; an exchange
  // between them, hundreds.
  Click(form->Button1, Await("Open") + "w=$(xdotool search --onlyvisible --name '^Velmora 1.0$' | head -1); " +
                           "xprop -root -spy _NET_ACTIVE_WINDOW > " + dir.File("changes") + " & spy=$!; " +
                           "for round in 1 2 3; do xdotool windowactivate $w; sleep 0.3; xdotool windowminimize $w; " +
                           "sleep 0.5; xdotool windowactivate $w; sleep 1; done; kill $spy; xdotool key Escape");
  const std::string changes = testsupport::ReadFile(dir.File("changes"));
  EXPECT_LE(std::count(changes.begin(), changes.end(), '\n'), 20) << changes.size();
  EXPECT_FALSE(Application->Terminated());
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));  // Escape reached the dialog and closed it
}

TEST_F(MainWindow, FolderDialogsFillTheEdits) {
  ::mkdir((images + "sub").c_str(), 0755);
  Open();
  // Accepted: the folder it opened on, with the separator added.
  form->Edit2->SetText(images + "sub/x");
  Click(form->Button5, Await("Browse For Folder") + "xdotool key Return");
  EXPECT_EQ(form->Edit2->Text(), images + "sub/");
  // Cancelled on a folder that does not exist: the edit is emptied.
  form->Edit2->SetText(dir.File("missing/folder/"));
  Click(form->Button5, Await("Browse For Folder") + "xdotool key Escape");
  EXPECT_EQ(form->Edit2->Text(), "");
  // The target: set from the choice, the run's target folder too.
  form->Edit4->SetText(images);
  Click(form->Button6, Await("Browse For Folder") + "xdotool key Return");
  EXPECT_EQ(form->Edit4->Text(), images);
  EXPECT_EQ(TargetFolder + "/", images);
  // Cancelled with nothing to start from: the edit keeps its text.
  form->Edit4->SetText("ab");
  Click(form->Button6, Await("Browse For Folder") + "xdotool key Escape");
  EXPECT_EQ(form->Edit4->Text(), "ab");
}

TEST_F(MainWindow, CompareAsksRunsAndReports) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('a.png', 40, 30, (200, 30, 30)), ('b.png', 40, 30, (20, 30, 220)), ('c.bmp', 20, 15, (200, 30, 30))");
  Open(images + "a.png\r\n" + images + "\r\n\r\n-\r\n------X--\r\n");
  // The master first.
  Click(form->Button2);
  ASSERT_EQ(form->imgprop->Text().substr(0, 27), apptest::Localised("40 - 30 - 1.330 - L - 1200 "));

  std::vector<std::string> dialogs;
  Application->OnModalBegin = [&](TObject*) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* m = dynamic_cast<TMessageForm*>(Screen->Forms(i))) dialogs.push_back(m->Message());
    // While the run is on its way nothing else may start.
    if (dialogs.size() == 2) {
      EXPECT_FALSE(form->Button4->Enabled());
      EXPECT_FALSE(form->Button2->Enabled());
      EXPECT_FALSE(form->imgreset->Enabled());
    }
  };
  std::vector<int> positions;
  TWndMethod original = form->ProgressBar1->WindowProc;
  form->ProgressBar1->WindowProc = [&](TMessage& m) {
    if (m.Msg == PBM_SETPOS) positions.push_back(static_cast<int>(m.WParam));
    original(m);
  };
  // "Yes" is the default button of the question; the summary is closed with Return too.
  Click(form->Button4, Await("Information") + "xdotool key Return" + Await("Velmora") + "xdotool key Return");
  ServeFor(300, Pump);
  form->ProgressBar1->WindowProc = original;
  Application->OnModalBegin = nullptr;
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0], "3 images in " + images + "\rshall be scanned\rand the matching ones will be copied. Going on?");
  EXPECT_EQ(dialogs[1], "2 imagefiles out of 3 files\rare matching to the pattern and were copied to ...\r" + images +
                            "compared/");
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(form->ProgressBar1->Max(), 0);
  EXPECT_EQ(form->imgcomp->Text(), "Process ended ...");
  EXPECT_EQ(form->Edit4->Text(), images + "compared/");
  EXPECT_TRUE(form->Button4->Enabled());
  EXPECT_EQ(Screen->Cursor(), crDefault);
  std::string listing;
  testsupport::Run("ls " + images + "compared", &listing);
  EXPECT_EQ(listing, "a.png\nc.bmp\n");

  // Answering No changes nothing.
  form->imgcomp->SetText("");
  Click(form->Button4, Await("Information") + "xdotool key Escape");
  EXPECT_EQ(form->imgcomp->Text(), "");
  EXPECT_TRUE(form->Button4->Enabled());

  // Subfolders the search cannot enter (two links in a loop) are named in the summary too.
  ASSERT_EQ(::symlink("l1", (images + "l0").c_str()), 0);
  ASSERT_EQ(::symlink("l0", (images + "l1").c_str()), 0);
  form->CheckBox10->SetChecked(true);
  dialogs.clear();
  Application->OnModalBegin = [&](TObject*) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* m = dynamic_cast<TMessageForm*>(Screen->Forms(i))) dialogs.push_back(m->Message());
  };
  Click(form->Button4, Await("Information") + "xdotool key Return" + Await("Velmora") + "xdotool key Return");
  Application->OnModalBegin = nullptr;
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1], "2 imagefiles out of 3 files\rare matching to the pattern; 0 of them were copied to ...\r" + images +
                            "compared/\r2 were not copied: a file of that name was already there.\rThe folder " + images +
                            "l0/ could not be searched: " + std::strerror(ELOOP) + " (and 1 more folders)");
}

// "Compare images" analyses the master again when its file changed since "Get image properties":
// written over in place, or replaced by another file of the same size and times (only its
// identity tells them apart). The run then compares with the new picture, which matches itself.
TEST_F(MainWindow, CompareAnalysesAMasterThatChangedSinceItsAnalysis) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('m.bmp', 40, 30, (200, 30, 30)), ('r.bmp', 40, 30, (200, 30, 30)), ('b.bmp', 40, 30, (20, 30, 220))");
  Open(images + "m.bmp\r\n" + images + "\r\n\r\n-\r\n------X--\r\n");
  const struct {
    const char* how;
    const char* replace;  // Python: m.bmp becomes blue
  } cases[] = {
      {"written over in place", "Image.new('RGB', (40, 30), (20, 30, 220)).save(m)"},
      {"replaced by a file of its size and times",
       "Image.new('RGB', (40, 30), (20, 30, 220)).save(m + '.new', 'BMP'); shutil.copystat(m, m + '.new'); os.rename(m + '.new', m)"},
  };
  int run = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    const std::string target = dir.File("out" + std::to_string(++run) + "/");
    form->Edit4->SetText(target);
    MakePictures("('m.bmp', 40, 30, (200, 30, 30))");
    Click(form->Button2);
    ASSERT_EQ(form->imgprop->Text().substr(0, 27), apptest::Localised("40 - 30 - 1.330 - L - 1200 "));
    const std::string size = std::to_string(testsupport::ReadFile(images + "m.bmp").size());
    testsupport::WriteFile(dir.File("replace.py"), "import os, shutil\nfrom PIL import Image\nm = '" + images + "m.bmp'\n" +
                                                       c.replace + "\n");
    ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("replace.py")), 0);
    ASSERT_EQ(std::to_string(testsupport::ReadFile(images + "m.bmp").size()), size);
    Click(form->Button4, Await("Information") + "xdotool key Return" + Await("Velmora") + "xdotool key Return");
    std::string listing;
    testsupport::Run("ls '" + target + "'", &listing);
    EXPECT_EQ(listing, "b.bmp\nm.bmp\n");
  }
}

// Closing the question before a run without answering it (Alt+F4, the window manager's close)
// is No: nothing is made, copied or shown.
TEST_F(MainWindow, ClosingTheQuestionWithoutAnAnswerCopiesNothing) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('a.png', 40, 30, (200, 30, 30)), ('b.png', 40, 30, (200, 30, 30))");
  Open(images + "a.png\r\n" + images + "\r\n\r\n");
  Click(form->Button2);
  Click(form->Button4, Await("Information") + "xdotool key alt+F4");
  EXPECT_EQ(form->imgcomp->Text(), "");
  EXPECT_NE(::access((images + "compared").c_str(), F_OK), 0);
  EXPECT_TRUE(form->Button4->Enabled());
  if (!testsupport::HaveTool("wmctrl")) return;
  displaytest::PrivateWindowManager manager("openbox");
  if (!manager.running()) return;
  ServeFor(1000, Pump);
  Click(form->Button4, Await("Information") + "wmctrl -c Information");
  EXPECT_EQ(form->imgcomp->Text(), "");
  EXPECT_NE(::access((images + "compared").c_str(), F_OK), 0);
}

// A run compares by the boxes it started with: a box unticked during the run ("Colour
// distribution" here, which keeps the blue pictures out) changes nothing until the next run.
// "E n d" during a run stops it before its next file, saves the settings and ends the program.
TEST_F(MainWindow, ARunKeepsItsBoxesAndStopsAtEnd) {
  REQUIRE_TOOL("/usr/bin/python3");
  const std::string target = OpenOnALongRun();
  Click(form->Button4, Await("Information") + "xdotool key Return" + AfterSomeCopies(target) +
                           ClickOn(form->CheckBox7) + Await("Velmora") + "xdotool key Return",
        kLongRun);
  EXPECT_FALSE(form->CheckBox7->Checked());
  EXPECT_EQ(Copied(target), 301);  // m.png and the red ones
  // Another run, stopped by "E n d".
  ::rename(target.c_str(), dir.File("first").c_str());
  form->CheckBox7->SetChecked(true);
  ExpectRunStoppedBy(ClickOn(form->Button3), target);
}

// The window's close button (Alt+F4) during a run stops it too.
TEST_F(MainWindow, ClosingTheWindowStopsARun) {
  REQUIRE_TOOL("/usr/bin/python3");
  ExpectRunStoppedBy("xdotool key alt+F4", OpenOnALongRun());
}

// A run that fails leaves the window usable: the error is shown and the buttons come back. With
// no folder to compare nothing is asked, and the target field keeps its text.
TEST_F(MainWindow, FailedRunGivesTheButtonsBack) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('a.png', 4, 3, (200, 30, 30))");
  Open(images + "a.png\r\n" + images + "\r\n" + dir.File("no/such/") + "\r\n");
  std::vector<std::string> dialogs;
  Application->OnModalBegin = [&](TObject*) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* m = dynamic_cast<TMessageForm*>(Screen->Forms(i))) dialogs.push_back(m->Message());
  };
  Click(form->Button4, Await("Information") + "xdotool key Return" + Await("Velmora") + "xdotool key Return");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1], "Error while creating directory " + dir.File("no/such/") + ": " + std::strerror(ENOENT) + ".");
  EXPECT_TRUE(form->Button4->Enabled());
  EXPECT_TRUE(form->Button2->Enabled());
  EXPECT_EQ(Screen->Cursor(), crDefault);

  dialogs.clear();
  form->Edit2->SetText("");
  form->Edit4->SetText("");
  Click(form->Button4, Await("Velmora") + "xdotool key Return");
  Application->OnModalBegin = nullptr;
  EXPECT_EQ(dialogs, (std::vector<std::string>{"There is no folder to compare: its field is empty."}));
  EXPECT_EQ(form->Edit4->Text(), "");
  EXPECT_TRUE(form->Button4->Enabled());
}

// A master that cannot be read is an error the application shows; the window stays usable and
// the next master is analysed as usual.
TEST_F(MainWindow, AMasterThatCannotBeReadIsAnErrorAndTheWindowGoesOn) {
  REQUIRE_TOOL("/usr/bin/python3");
  MakePictures("('a.png', 40, 30, (200, 30, 30))");
  testsupport::WriteFile(images + "bad.ico", "an icon this is not");
  Open(images + "bad.ico\r\n" + images + "\r\n");
  form->imgprop->SetText("the last master");
  std::vector<std::string> dialogs;
  Application->OnModalBegin = [&](TObject*) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* m = dynamic_cast<TMessageForm*>(Screen->Forms(i))) dialogs.push_back(m->Message());
  };
  Click(form->Button2, Await("Velmora") + "xdotool key Return");
  Application->OnModalBegin = nullptr;
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].find("Imagefile could not be read: " + images + "bad.ico"), 0u) << dialogs[0];
  EXPECT_EQ(form->imgprop->Text(), "the last master");
  form->Edit1->SetText(images + "a.png");
  Click(form->Button2);
  EXPECT_EQ(form->imgprop->Text().substr(0, 27), apptest::Localised("40 - 30 - 1.330 - L - 1200 "));
}

// Leaving a folder edit adds the separator (when its text is long enough and does not end in
// one yet); moving the mouse over a path shows the whole path as the hint; "Reset image
// properties" empties the three result texts and keeps the master's bounds.
TEST_F(MainWindow, FolderEditsHintsAndReset) {
  Open();
  struct Case {
    const char* typed;
    const char* left;
  } cases[] = {{"/pics/sub", "/pics/sub/"}, {"ab", "ab"}, {"/pics/ ", "/pics/ "}, {"/pics/", "/pics/"}};
  for (const auto& c : cases) {
    form->Edit2->SetText(c.typed);
    form->Edit4->SetText(c.typed);
    Click(form->Edit2);
    Click(form->Edit4);  // Edit2 loses the focus
    EXPECT_EQ(form->Edit2->Text(), c.left) << c.typed;
    EXPECT_EQ(form->Edit4->Text(), c.typed) << c.typed;
    Click(form->edit_pix);  // and Edit4
    EXPECT_EQ(form->Edit4->Text(), c.left) << c.typed;
  }

  form->Edit1->SetText("/a/rather/long/path/to/the/master.png");
  Click(form->Edit1);
  EXPECT_EQ(form->Edit1->Hint(), "/a/rather/long/path/to/the/master.png");
  EXPECT_TRUE(form->Edit1->ShowHint());

  form->imgprop->SetText("master");
  form->Edit3->SetText("candidate");
  form->imgcomp->SetText("Process ended ...");
  MasterBounds.Width = TIntBounds{12, 34};
  Click(form->imgreset);
  EXPECT_EQ(form->imgprop->Text(), "");
  EXPECT_EQ(form->Edit3->Text(), "");
  EXPECT_EQ(form->imgcomp->Text(), "");
  EXPECT_EQ(MasterBounds.Width.Min, 12);
  EXPECT_EQ(MasterBounds.Width.Max, 34);
}
