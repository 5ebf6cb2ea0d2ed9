// The comparison run on a window stand-in: the question, the target folder, copies that never
// overwrite, progress, the summary and the console lines of batch mode.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/compare_run.h"
#include "app/console.h"
#include "app/master_footprint.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/string_list.h"
#include "tests/app/support/fake_sorter_view.h"
#include "tests/app/support/locale_text.h"
#include "tests/support/permissions_apply.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;
using E = TSorterEdit;

namespace {

// Solid pictures made by Pillow: name, width, height, colour.
void MakePictures(const std::string& folder, const std::string& spec) {
  const std::string script = "from PIL import Image\n"
                             "for name, w, h, c in [" + spec + "]:\n"
                             "  Image.new('RGB', (w, h), c).save('" + folder + "/' + name)\n";
  testsupport::WriteFile(folder + "/make.py", script);
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + folder + "/make.py"), 0);
  ::unlink((folder + "/make.py").c_str());
}

class CompareRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "needs python3 with Pillow";
    SetCommandLine({});
    images = dir.File("images");
    ::mkdir(images.c_str(), 0755);
    MakePictures(images, "('master.png', 64, 48, (200, 30, 30)), ('small.bmp', 32, 24, (200, 30, 30)),"
                         "('blue.png', 64, 48, (20, 30, 220)), ('same.jpg', 640, 480, (200, 30, 30))");
    testsupport::WriteFile(images + "/broken.gif", "GIF89a\x01\x00garbage");
    view.SetText(E::Edit1, images + "/master.png");
    view.SetText(E::Edit2, images + "/");
    view.SetChecked(7, true);  // colour distribution only
    ASSERT_FALSE(MasterFootprint(images + "/master.png").empty());
  }
  void TearDown() override { SetCommandLine({}); }

  testsupport::TempDir dir;
  std::string images;
  apptest::FakeSorterView view;
};

}  // namespace

// No, and a question closed without an answer (its close button, Alt+F4, the window manager),
// change nothing.
TEST_F(CompareRunTest, AskedFirstAndNoChangesNothing) {
  view.answer = TInfoAnswer::Closed;
  EXPECT_EQ(CompareRun(images + "/"), "");
  EXPECT_FALSE(testsupport::Run("test -e " + images + "/compared") == 0);
  view.dialogs.clear();
  view.answer = TInfoAnswer::No;
  EXPECT_EQ(CompareRun(images + "/"), "");
  ASSERT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(view.dialogs[0].text, "5 images in " + images + "/\rshall be scanned\rand the matching ones will be copied. Going on?");
  EXPECT_EQ(view.dialogs[0].buttons, TInfoButtons::YesNo);
  EXPECT_EQ(view.dialogs[0].colour, 0xFF0000);
  EXPECT_FALSE(testsupport::Run("test -e " + images + "/compared") == 0);
  EXPECT_EQ(view.Text(E::Edit4), "");
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(CompareRunTest, MatchesAreCopiedAndTheRunReported) {
  view.SetChecked(10, true);
  EXPECT_EQ(CompareRun(images + "/"), "Process ended ...");
  EXPECT_EQ(view.dialogs[0].text, "5 images in " + images +
                                      "/\rand all directories below shall be scanned\rand the matching ones will be "
                                      "copied. Going on?");
  const std::string target = images + "/compared/";
  EXPECT_EQ(view.Text(E::Edit4), target);
  EXPECT_EQ(TargetFolder, target);
  // Search order: png (blue, master), jpg, gif, bmp.
  EXPECT_EQ(view.positions, (std::vector<int>{0, 1, 2, 3, 4, 0}));
  EXPECT_EQ(view.progressMin, 0);
  EXPECT_EQ(view.progressMax, 0);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0], "3 imagefiles out of 5 files\rare matching to the pattern and were copied to ...\r" + target);
  std::string listing;
  testsupport::Run("ls " + target, &listing);
  EXPECT_EQ(listing, "master.png\nsame.jpg\nsmall.bmp\n");
  EXPECT_EQ(MatchCount, 3);
  EXPECT_EQ(FilesFound, 5);
  EXPECT_EQ(view.Text(E::Edit3).substr(0, 30), apptest::Localised("32 - 24 - 1.330 - L - 768 - .B"));  // the last file tested
}

TEST_F(CompareRunTest, ExistingFilesAreNeverOverwritten) {
  const std::string target = dir.File("out/");
  ::mkdir(target.c_str(), 0755);
  testsupport::WriteFile(target + "same.jpg", "mine");
  view.SetText(E::Edit4, dir.File("out"));  // no final "/": one is added and shown
  EXPECT_EQ(CompareRun(images), "Process ended ...");
  EXPECT_EQ(view.Text(E::Edit4), target);
  EXPECT_EQ(testsupport::ReadFile(target + "same.jpg"), "mine");
  EXPECT_EQ(MatchCount, 3);  // the refused copy still counts
  EXPECT_EQ(testsupport::ReadFile(target + "master.png"), testsupport::ReadFile(images + "/master.png"));
  // The summary says the target holds another file under that name.
  EXPECT_EQ(CopyTally.Copied, 2);
  EXPECT_EQ(CopyTally.AlreadyThere, 1);
  EXPECT_EQ(CopyTally.Failed, 0);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0], "3 imagefiles out of 5 files\rare matching to the pattern; 2 of them were copied to ...\r" +
                                  target + "\r1 were not copied: a file of that name was already there.");
}

// Copies the target folder refuses are not reported as made: the summary counts them and
// names the first with its cause.
TEST_F(CompareRunTest, CopiesThatFailAreCountedAndShown) {
  const std::string target = dir.File("shut/");
  ::mkdir(target.c_str(), 0555);
  view.SetText(E::Edit4, target);
  {
    testsupport::PermissionsApply permissions;
    if (::geteuid() == 0 && !permissions.active()) GTEST_SKIP() << "root writes into every folder";
    EXPECT_EQ(CompareRun(images + "/"), "Process ended ...");
  }
  EXPECT_EQ(MatchCount, 3);
  EXPECT_EQ(CopyTally.Copied, 0);
  EXPECT_EQ(CopyTally.Failed, 3);
  ASSERT_EQ(view.messages.size(), 1u);
  // The copy's side failed: the copy is named, not the picture.
  EXPECT_EQ(view.messages[0], "3 imagefiles out of 5 files\rare matching to the pattern; 0 of them were copied to ...\r" +
                                  target + "\r3 could not be copied: " + target + "master.png: " + std::strerror(EACCES));
  // A target that goes away during the run (a card pulled out): the copies it should take.
  const std::string gone = dir.File("gone/");
  view.SetText(E::Edit4, gone);
  view.messages.clear();
  view.onPump = [&] { ::rmdir(gone.c_str()); };
  EXPECT_EQ(CompareRun(images + "/"), "Process ended ...");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0], "3 imagefiles out of 5 files\rare matching to the pattern; 0 of them were copied to ...\r" +
                                  gone + "\r3 could not be copied: " + gone + "master.png: " + std::strerror(ENOENT));
}

TEST_F(CompareRunTest, TargetThatCannotBeMade) {
  view.SetText(E::Edit4, dir.File("no/such/parent/"));
  try {
    CompareRun(images + "/");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Error while creating directory " + dir.File("no/such/parent/") + ": " + std::strerror(ENOENT));
  }
  EXPECT_TRUE(view.positions.empty());  // no file was tested
}

// Without a final "/" the empty target becomes a sibling folder "<dir>compared/".
// The target beside a folder named without its final "/" is inside it, not a sibling whose name
// is glued to the folder's.
TEST_F(CompareRunTest, TargetInsideAFolderNamedWithoutItsSeparator) {
  EXPECT_EQ(CompareRun(images), "Process ended ...");
  EXPECT_EQ(view.Text(E::Edit4), images + "/compared/");
  EXPECT_EQ(testsupport::Run("test -d " + images + "/compared"), 0);
  EXPECT_NE(testsupport::Run("test -e " + images + "compared"), 0);
}

TEST_F(CompareRunTest, EmptyFolder) {
  const std::string empty = dir.File("empty/");
  ::mkdir(empty.c_str(), 0755);
  view.SetText(E::Edit4, "");
  EXPECT_EQ(CompareRun(empty), "Process ended ...");
  EXPECT_EQ(view.dialogs[0].text.substr(0, 12), "0 images in ");
  EXPECT_EQ(testsupport::Run("test -d " + empty + "compared"), 0);
  EXPECT_EQ(view.messages[0], "0 imagefiles out of 0 files\rare matching to the pattern and were copied to ...\r" +
                                  empty + "compared/");
}

TEST_F(CompareRunTest, BatchModeLines) {
  SetCommandLine({" X "});
  view.SetText(E::Edit4, dir.File("batch/"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(CompareRun(images + "/"), "Process ended ...");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(view.dialogs.empty());
  EXPECT_TRUE(view.messages.empty());
  std::vector<std::string> lines;
  for (size_t p = 0; p < out.size();) {
    const size_t e = out.find("\r\n", p);
    ASSERT_NE(e, std::string::npos) << "every line ends in CR LF";
    lines.push_back(out.substr(p, e - p));
    p = e + 2;
  }
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0].substr(0, 26), apptest::Localised("64 - 48 - 1.330 - L - 3072"));
  EXPECT_EQ(lines[1], images + "/master.png");
  EXPECT_EQ(lines[3], images + "/same.jpg");
  EXPECT_EQ(lines[5], images + "/small.bmp");
  EXPECT_EQ(lines[6], "3 matching imagefiles out of 5 files were copied to " + dir.File("batch/"));
  EXPECT_EQ(lines[7], "Process ended ...");
}

// The boxes are read again for every file, and the square size too.
TEST_F(CompareRunTest, SettingsAreReadPerFile) {
  view.SetChecked(6, true);  // image type: only .PNG files now
  EXPECT_EQ(CompareRun(images + "/"), "Process ended ...");
  EXPECT_EQ(MatchCount, 1);
  view.SetText(E::EditPix, "");
  view.SetText(E::EditPrec, "");
  EXPECT_EQ(CompareRun(images + "/"), "Process ended ...");
  EXPECT_EQ(view.Text(E::EditPix), "4");
  EXPECT_EQ(view.Text(E::EditPrec), "75");
}
