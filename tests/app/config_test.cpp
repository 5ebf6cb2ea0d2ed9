// The configuration file: reading its lines into the window, writing them back, its place.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/config.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/string_list.h"
#include "tests/app/support/fake_sorter_view.h"
#include "tests/support/limited_child.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;
using apptest::FakeSorterView;
using E = TSorterEdit;

namespace {

std::string Boxes(const FakeSorterView& v) {
  std::string s;
  for (int b = 1; b <= 11; ++b) s += v.Checked(b) ? "X" : "-";
  return s;
}

}  // namespace

TEST(Config, LinesAndTheirRules) {
  struct Case {
    const char* name;
    const char* text;
    const char* edit1;
    const char* edit2;
    const char* edit4;
    const char* pix;
    const char* prec;
    const char* boxes;  // CheckBox1 .. CheckBox11
  } cases[] = {
      {"empty file", "", "", "", "", "", "", "-----------"},
      {"one path", "/p/m.jpg\r\n", "/p/m.jpg", "", "", "", "", "-----------"},
      {"untrimmed paths", " /p/m.jpg \r\n /d/ \r\n/t \r\n", " /p/m.jpg ", " /d/ ", "/t ", "", "", "-----------"},
      {"all eight", "/m.png\r\n/d/\r\n/t/\r\nX\r\nX-X-X-X-X\r\n8\r\n90\r\nX\r\n", "/m.png", "/d/", "/t/", "8", "90",
       "X-X-X-X-XXX"},
      {"short flags check the rest", "a\r\nb\r\nc\r\n-\r\nX-X\r\n", "a", "b", "c", "", "", "X-XXXXXXX--"},
      {"blank flags are ignored", "a\r\nb\r\nc\r\n-\r\n   \r\n", "a", "b", "c", "", "", "-----------"},
      {"flags are trimmed", "a\r\nb\r\nc\r\n-\r\n  ---------  \r\n", "a", "b", "c", "", "", "-----------"},
      {"minus and blank on line 3 and 7", "a\r\nb\r\nc\r\n- \r\n---------\r\n-\r\n-\r\n- \r\n", "a", "b", "c", "", "",
       "---------X-"},
      {"dashes keep the numbers", "a\r\nb\r\nc\r\n-\r\n---------\r\n -\r\n- \r\n-\r\n", "a", "b", "c", "", "",
       "-----------"},
      {"numbers trimmed", "a\r\nb\r\nc\r\n-\r\n---------\r\n  12 \r\n 50\t\r\n-\r\n", "a", "b", "c", "12", "50",
       "-----------"},
      {"extra lines ignored", "a\r\nb\r\nc\r\n-\r\n---------\r\n4\r\n75\r\n-\r\nmore\r\nX\r\n", "a", "b", "c", "4",
       "75", "-----------"},
      {"LF and CR line ends", "a\nb\rc\n-\n", "a", "b", "c", "", "", "-----------"},
      {"anything but a dash checks", "a\r\nb\r\nc\r\nyes\r\n\x01\x02\xff-\r\n", "a", "b", "c", "", "", "X-XXXXXXXX-"},
  };
  for (const auto& c : cases) {
    FakeSorterView view;
    ApplyConfigText(c.text, view);
    EXPECT_EQ(view.Text(E::Edit1), c.edit1) << c.name;
    EXPECT_EQ(view.Text(E::Edit2), c.edit2) << c.name;
    EXPECT_EQ(view.Text(E::Edit4), c.edit4) << c.name;
    EXPECT_EQ(view.Text(E::EditPix), c.pix) << c.name;
    EXPECT_EQ(view.Text(E::EditPrec), c.prec) << c.name;
    EXPECT_EQ(Boxes(view), c.boxes) << c.name;
  }
}

// Reading only ever checks boxes and never empties an edit it has no line for.
TEST(Config, LoadingNeverUnchecks) {
  FakeSorterView view;
  for (int b = 1; b <= 11; ++b) view.SetChecked(b, true);
  view.SetText(E::EditPix, "4");
  ApplyConfigText("a\r\nb\r\nc\r\n-\r\n---------\r\n-\r\n-\r\n-\r\n", view);
  EXPECT_EQ(Boxes(view), "XXXXXXXXXXX");
  EXPECT_EQ(view.Text(E::EditPix), "4");
}

TEST(Config, SavedLines) {
  FakeSorterView view;
  view.SetText(E::Edit1, "/m/x.jpg");
  view.SetText(E::Edit2, "/d/");
  view.SetText(E::Edit4, "");
  view.SetText(E::EditPix, "");
  view.SetText(E::EditPrec, "80");
  for (int b : {1, 3, 9, 11}) view.SetChecked(b, true);
  auto lines = ConfigLines(view);
  EXPECT_EQ(lines->Text(), "/m/x.jpg\r\n/d/\r\n\r\n-\r\nX-X-----X\r\n-\r\n80\r\nX\r\n");

  // Saving and loading again gives the same window (with edit_pix back at its default).
  FakeSorterView again;
  again.SetText(E::EditPix, "4");
  ApplyConfigLines(*lines, again);
  EXPECT_EQ(again.Text(E::Edit1), "/m/x.jpg");
  EXPECT_EQ(again.Text(E::EditPix), "4");
  EXPECT_EQ(again.Text(E::EditPrec), "80");
  EXPECT_EQ(Boxes(again), "X-X-----X-X");

  // A line break inside a value would shift every later line.
  view.SetText(E::Edit2, "/d/\nX");
  EXPECT_EQ(ConfigLines(view)->Get(1), "/d/X");
  EXPECT_EQ(ConfigLines(view)->Count(), 8);
}

TEST(Config, FileIsReplacedWholeAndReadBack) {
  testsupport::TempDir dir;
  ConfigFileName = dir.File("Velmora.cfg");
  FakeSorterView view;
  view.SetText(E::Edit1, "/m.bmp");
  view.SetChecked(10, true);
  SaveConfig(view);
  EXPECT_EQ(testsupport::ReadFile(ConfigFileName), "/m.bmp\r\n\r\n\r\nX\r\n---------\r\n-\r\n-\r\n-\r\n");
  FakeSorterView loaded;
  LoadConfig(loaded);
  EXPECT_EQ(loaded.Text(E::Edit1), "/m.bmp");
  EXPECT_TRUE(loaded.Checked(10));
  EXPECT_EQ(testsupport::Run("ls -A " + dir.path()), 0);
  std::string listing;
  testsupport::Run("ls -A " + dir.path(), &listing);
  EXPECT_EQ(listing, "Velmora.cfg\n");  // nothing left beside it

  // No file: nothing changes.
  ConfigFileName = dir.File("none.cfg");
  FakeSorterView untouched;
  LoadConfig(untouched);
  EXPECT_TRUE(untouched.texts.empty());
}

// Settings that cannot be written whole (no file may grow past 64 bytes here, as on a full disk)
// raise the write error and leave the file that was there as it was, with nothing beside it.
TEST(Config, ASaveThatCannotBeWrittenWholeKeepsTheOldFile) {
  testsupport::TempDir dir;
  ConfigFileName = dir.File("Velmora.cfg");
  const std::string old = "/m.bmp\r\n/pictures/\r\n\r\nX\r\n---------\r\n-\r\n-\r\n-\r\n";
  testsupport::WriteFile(ConfigFileName, old);
  const testsupport::ChildEnd end = testsupport::RunLimited(
      [] {
        FakeSorterView view;
        view.SetText(E::Edit1, "/m.bmp");
        view.SetText(E::Edit2, "/" + std::string(200, 'x') + "/");
        try {
          SaveConfig(view);
        } catch (const EStreamError&) {
          return 0;
        }
        return 1;
      },
      {.file_size = 64});
  EXPECT_TRUE(end.Normal()) << testsupport::Describe(end);
  EXPECT_EQ(testsupport::ReadFile(ConfigFileName), old);
  std::string listing;
  testsupport::Run("ls -A " + dir.path(), &listing);
  EXPECT_EQ(listing, "Velmora.cfg\n");
}

// A link that leads round in a circle names no file: the save fails and writes nothing. A link
// to a device (settings that are never kept) takes the settings and stays a link.
TEST(Config, LinksThatLeadNowhereOrToADevice) {
  testsupport::TempDir dir;
  ConfigFileName = dir.File("Velmora.cfg");
  ASSERT_EQ(::symlink("loop.cfg", ConfigFileName.c_str()), 0);
  ASSERT_EQ(::symlink("Velmora.cfg", dir.File("loop.cfg").c_str()), 0);
  FakeSorterView view;
  try {
    SaveConfig(view);
    ADD_FAILURE() << "saved through a loop";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "The settings could not be saved to " + ConfigFileName + ": " + std::strerror(ELOOP));
  }
  std::string listing;
  testsupport::Run("ls -A " + dir.path(), &listing);
  EXPECT_EQ(listing, "Velmora.cfg\nloop.cfg\n");
  ::unlink(ConfigFileName.c_str());
  ASSERT_EQ(::symlink("/dev/null", ConfigFileName.c_str()), 0);
  SaveConfig(view);
  struct stat st {};
  ASSERT_EQ(::lstat(ConfigFileName.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// Beside the executable when that folder may be written, else in the user's folder.
TEST(Config, Location) {
  testsupport::TempDir dir;
  const std::string writable = dir.File("prog/");
  const std::string locked = dir.File("locked/");
  ASSERT_EQ(::mkdir(writable.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
  EXPECT_EQ(ConfigLocationFor(writable), writable + "Velmora.cfg");
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", dir.File("xdg").c_str(), 1);
  if (::access(locked.c_str(), W_OK) != 0) {  // root may write anywhere
    EXPECT_EQ(ConfigLocationFor(locked), dir.File("xdg") + "/velmora/Velmora.cfg");
  }
  EXPECT_EQ(ConfigLocationFor(dir.File("missing/")), dir.File("xdg") + "/velmora/Velmora.cfg");
  // The folder is made when the file is first saved.
  ConfigFileName = ConfigLocationFor(dir.File("missing/"));
  FakeSorterView view;
  SaveConfig(view);
  EXPECT_TRUE(testsupport::ReadFile(ConfigFileName).size() > 0);
  if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");
  ::chmod(locked.c_str(), 0755);
}
