// The "send to" entry: added and removed with their notices, failures reported as failures;
// long paths and display names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "app/shell_integration.h"
#include "platform/forms/application.h"
#include "platform/rtl/exceptions.h"
#include "tests/app/support/fake_sorter_view.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;

namespace {

class SendTo : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_DATA_HOME");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    Application->SetTitle("Velmora");
  }
  void TearDown() override {
    if (hadOld_) ::setenv("XDG_DATA_HOME", old_.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
  }
  testsupport::TempDir dir;
  apptest::FakeSorterView view;
  std::string entry() const { return dir.File("data/applications/Velmora.desktop"); }

 private:
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace

TEST_F(SendTo, AddedAndRemovedWithTheirNotices) {
  AddSendToLink();
  const std::string text = testsupport::ReadFile(entry());
  EXPECT_NE(text.find("Name=Velmora\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=\"" + Application->ExeName() + "\" %f\n"), std::string::npos) << text;
  EXPECT_NE(text.find("image/jpeg;"), std::string::npos);
  ASSERT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(view.dialogs[0].text, "The Velmora is now active\rat the explorer-contextmenu (send to ...)!");
  EXPECT_EQ(view.dialogs[0].colour, 0x000000);
  EXPECT_EQ(view.dialogs[0].buttons, TInfoButtons::Ok);

  // Removing twice: the notice both times.
  RemoveSendToLink();
  RemoveSendToLink();
  EXPECT_NE(testsupport::Run("test -e '" + entry() + "'"), 0);
  ASSERT_EQ(view.dialogs.size(), 3u);
  EXPECT_EQ(view.dialogs[1].text, "The Velmora is now removed\rfrom explorer-contextmenu (send to ...)!");
  EXPECT_EQ(view.dialogs[2].text, view.dialogs[1].text);
}

TEST_F(SendTo, AnEntryThatCannotBeWrittenIsNoSuccess) {
  // The applications folder would have to be made inside a plain file.
  testsupport::WriteFile(dir.File("data"), "not a folder");
  EXPECT_THROW(AddSendToLink(), EInOutError);
  EXPECT_TRUE(view.dialogs.empty());
}

// Deleting a file cannot take away a folder standing at the entry's path: the entry is still
// there, and saying it was removed would be a success that did not happen.
TEST_F(SendTo, AnEntryThatCannotBeRemovedIsNoSuccess) {
  ::mkdir(dir.File("data").c_str(), 0755);
  ::mkdir(dir.File("data/applications").c_str(), 0755);
  ::mkdir(entry().c_str(), 0755);
  testsupport::WriteFile(entry() + "/inside", "x");
  EXPECT_THROW(RemoveSendToLink(), EInOutError);
  EXPECT_TRUE(view.dialogs.empty());
  EXPECT_EQ(testsupport::Run("test -d '" + entry() + "'"), 0);
}

TEST(ShellPaths, LongPathsAndDisplayNames) {
  testsupport::TempDir dir;
  ::mkdir(dir.File("real").c_str(), 0755);
  testsupport::WriteFile(dir.File("real/photo.jpg"), "x");
  ASSERT_EQ(::symlink("real", dir.File("link").c_str()), 0);
  const std::string real = LongPath(dir.File("real/"));
  EXPECT_EQ(real.back(), '/');
  EXPECT_EQ(LongPath(dir.File("link/")), real);
  EXPECT_EQ(LongPath(dir.File("missing/")), "");
  EXPECT_EQ(DisplayName(dir.File("real/photo.jpg")), "photo.jpg");
  EXPECT_EQ(DisplayName(dir.File("real/none.jpg")), dir.File("real/none.jpg"));
}
