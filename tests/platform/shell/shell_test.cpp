// The shell functions: the "send to" desktop entry written into and removed from a temporary
// XDG_DATA_HOME (checked by desktop-file-validate), display names, long paths, opening a
// file through a stand-in xdg-open, and the folder-browsing call over the folder dialog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/forms/application.h"
#include "platform/forms/folder_dialog.h"
#include "platform/forms/screen.h"
#include "platform/rtl/strings.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/send_to.h"
#include "platform/shell/shell_open.h"
#include "platform/shell/shell_paths.h"
#include "platform/user/input.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "tests/support/test_support.h"

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

std::string Line(const std::string& text, const std::string& key) {
  size_t p = text.find("\n" + key + "=");
  if (p == std::string::npos) return {};
  p += key.size() + 2;
  return text.substr(p, text.find('\n', p) - p);
}

TEST(SendTo, EntryIsWrittenIntoTheApplicationsFolderAndRemoved) {
  testsupport::TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", dir.path().c_str());
  EXPECT_EQ(SendToFolder(), dir.File("applications"));
  std::string path = SendToEntryPath("Velmora");
  EXPECT_EQ(path, dir.File("applications/Velmora.desktop"));
  ASSERT_TRUE(AddSendToEntry("Velmora", "/opt/velmora/velmora"));  // the folder is made
  std::string text = testsupport::ReadFile(path);
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_EQ(Line(text, "Type"), "Application");
  EXPECT_EQ(Line(text, "Name"), "Velmora");
  EXPECT_EQ(Line(text, "Exec"), "\"/opt/velmora/velmora\" %f");
  std::string mime = Line(text, "MimeType");
  for (const char* t : {"image/tiff;", "image/png;", "image/jpeg;", "image/gif;", "image/bmp;", "image/x-wmf;",
                        "image/x-emf;", "image/vnd.microsoft.icon;"})
    EXPECT_NE(mime.find(t), std::string::npos) << t;
  if (testsupport::HaveTool("desktop-file-validate")) {
    std::string out;
    EXPECT_EQ(testsupport::Run("desktop-file-validate '" + path + "' 2>&1", &out), 0) << out;
  }
  // Adding again replaces the entry.
  ASSERT_TRUE(AddSendToEntry("Velmora", "/usr/bin/velmora"));
  EXPECT_EQ(Line(testsupport::ReadFile(path), "Exec"), "\"/usr/bin/velmora\" %f");
  EXPECT_TRUE(RemoveSendToEntry("Velmora"));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(RemoveSendToEntry("Velmora"));  // removing twice: nothing left to delete
}

TEST(SendTo, ExecLineQuotesWhatTheSpecificationReserves) {
  struct Case {
    const char* exe;
    const char* exec;
  } cases[] = {
      {"/opt/my apps/velmora", "\"/opt/my apps/velmora\" %f"},
      {"/opt/a\"b/velmora", "\"/opt/a\\\\\"b/velmora\" %f"},
      {"/opt/$HOME/velmora", "\"/opt/\\\\$HOME/velmora\" %f"},
      {"/opt/100%/velmora", "\"/opt/100%%/velmora\" %f"},
      {"/opt/back\\slash/velmora", "\"/opt/back\\\\\\\\slash/velmora\" %f"},
  };
  testsupport::TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", dir.path().c_str());
  for (const auto& c : cases) {
    ASSERT_TRUE(AddSendToEntry("Velmora", c.exe));
    std::string text = testsupport::ReadFile(SendToEntryPath("Velmora"));
    EXPECT_EQ(Line(text, "Exec"), c.exec);
    if (testsupport::HaveTool("desktop-file-validate")) {
      std::string out;
      EXPECT_EQ(testsupport::Run("desktop-file-validate '" + SendToEntryPath("Velmora") + "' 2>&1", &out), 0)
          << c.exe << ": " << out;
    }
  }
  EXPECT_EQ(QuoteExecArgument("plain"), "\"plain\"");
}

TEST(SendTo, FolderFollowsHomeWithoutXdgDataHome) {
  testsupport::TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", dir.path().c_str());
  EXPECT_EQ(SendToFolder(), dir.File(".local/share/applications"));
  ScopedEnv relative("XDG_DATA_HOME", "relative/path");  // not absolute: ignored
  EXPECT_EQ(SendToFolder(), dir.File(".local/share/applications"));
  ASSERT_TRUE(AddSendToEntry("A/B", "/bin/true"));  // a title cannot leave the folder
  EXPECT_TRUE(std::filesystem::exists(dir.File(".local/share/applications/A_B.desktop")));
  ScopedEnv noHome("HOME", nullptr);
  ScopedEnv noData("XDG_DATA_HOME", nullptr);
  EXPECT_EQ(SendToFolder(), "");
  EXPECT_FALSE(AddSendToEntry("Velmora", "/bin/true"));
}

TEST(ShellPaths, LongPathAndDisplayName) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir.File("real/inner"));
  testsupport::WriteFile(dir.File("real/master.jpg"), "x");
  std::filesystem::create_directory_symlink(dir.File("real"), dir.File("link"));
  std::string real = LongPath(dir.path());  // the temporary folder itself may lie behind a link
  ASSERT_FALSE(real.empty());
  EXPECT_EQ(LongPath(dir.File("link/inner")), real + "/real/inner");
  EXPECT_EQ(LongPath(dir.File("link/inner/")), real + "/real/inner/");  // keeps its trailing "/"
  EXPECT_EQ(LongPath(dir.File("real/inner/../master.jpg")), real + "/real/master.jpg");
  EXPECT_EQ(LongPath(dir.File("missing")), "");
  EXPECT_EQ(LongPath(""), "");
  EXPECT_EQ(DisplayName(dir.File("real/master.jpg")), "master.jpg");
  EXPECT_EQ(DisplayName(dir.File("real/inner/")), "inner");
  EXPECT_EQ(DisplayName("/"), "/");
  EXPECT_EQ(DisplayName(dir.File("missing.jpg")), dir.File("missing.jpg"));  // falls back to the path
  std::string name = "untouched";
  EXPECT_FALSE(ShellDisplayName(dir.File("missing.jpg"), name));
  EXPECT_EQ(name, "untouched");
}

TEST(ShellOpenTest, StartsXdgOpenWithTheFileAndReportsFailures) {
  testsupport::TempDir dir;
  std::string bin = dir.File("bin");
  std::filesystem::create_directory(bin);
  std::string record = dir.File("opened.txt");
  testsupport::WriteFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record + ".part'\nmv '" + record +
                                                ".part' '" + record + "'\n");
  std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
  std::string file = dir.File("my image (1).jpg");
  testsupport::WriteFile(file, "x");
  {
    ScopedEnv path("PATH", (bin + ":/usr/bin:/bin").c_str());
    EXPECT_GT(ShellOpen(file), 32);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(testsupport::ReadFile(record), file);
    EXPECT_EQ(ShellOpen(dir.File("missing.jpg")), SE_ERR_FNF);
  }
  ScopedEnv empty("PATH", dir.File("nothing").c_str());
  EXPECT_EQ(ShellOpen(file), SE_ERR_NOASSOC);
}

TEST(BrowseFolderTest, FlagsAsThePlatformTakesThem) {
  EXPECT_EQ(BrowseFolderFlags(false, false, true), 0x41u);
  EXPECT_EQ(BrowseFolderFlags(true, false, true), 0x51u);
  EXPECT_EQ(BrowseFolderFlags(false, true, true), 0x4041u);
  EXPECT_EQ(BrowseFolderFlags(false, false, false), 0x241u);
}

class BrowseFolderDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecreateApplication();
    screen = UseHeadlessDisplay();
    ASSERT_NE(screen, nullptr);
    Application->SetNonInteractive(false);
    Application->OnIdle = [this](TObject*) {
      if (!keys.empty()) {
        auto k = keys.front();
        keys.pop_front();
        if (k.first) screen->TypeKey(k.first, k.second);
      } else if (++idle > 100) {
        ADD_FAILURE() << "the dialog was left open";
        if (Screen->ActiveForm()) Screen->ActiveForm()->SetModalResult(mrCancel);
      }
    };
  }
  void TearDown() override { RecreateApplication(); }
  display::HeadlessDisplay* screen = nullptr;
  std::deque<std::pair<unsigned, char32_t>> keys;
  int idle = 0;
};

TEST_F(BrowseFolderDialogTest, ChosenFolderAndCancel) {
  testsupport::TempDir dir;
  std::filesystem::create_directory(dir.File("photos"));
  std::string folder = dir.path() + "/";
  keys = {{VK_DOWN, 0}, {VK_DOWN, 0}, {VK_RETURN, U'\r'}};  // ../, photos/, OK
  ASSERT_TRUE(BrowseForFolder("Which directory shall be used for comparing images?", u"", folder, false, false, true));
  EXPECT_EQ(folder, dir.File("photos"));
  folder = dir.path();
  keys = {{VK_RETURN, U'\r'}};
  ASSERT_TRUE(BrowseForFolder("?", u"", folder, false, false, true));
  EXPECT_EQ(folder, dir.path());
  // A folder that does not exist is emptied first; cancelled, it stays empty.
  folder = dir.File("nowhere/");
  keys = {{VK_ESCAPE, 27}};
  EXPECT_FALSE(BrowseForFolder("?", u"", folder, false, false, true));
  EXPECT_EQ(folder, "");
  // Cancelled with an existing folder: the folder stays as it was.
  folder = dir.File("photos");
  keys = {{VK_ESCAPE, 27}};
  EXPECT_FALSE(BrowseForFolder("?", u"", folder, false, false, true));
  EXPECT_EQ(folder, dir.File("photos"));
}

}  // namespace
