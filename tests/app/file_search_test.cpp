// The image file search: masks without regard to case, a fixed order, duplicates kept, links
// that lead back not followed, folders that cannot be read skipped.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/file_search.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/string_list.h"
#include "tests/app/support/fake_sorter_view.h"
#include "tests/support/permissions_apply.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;

namespace {

std::vector<std::string> Relative(const TStrings& list, const std::string& root) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) {
    std::string s = list[i];
    EXPECT_EQ(s.rfind(root, 0), 0u) << s;
    out.push_back(s.substr(root.size()));
  }
  return out;
}

class FileSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    root = dir.path() + "/";
    for (const char* f : {"b.JPG", "a.jpg", "c.png", "x.txt", "Z.tif", "sub/d.jpg", "sub/e.PNG", "Sub2/f.jpg",
                          "Sub2/deep/g.jpg", "jpg/h.jpeg", "a.jpg.txt"}) {
      const std::string path = root + f;
      ::mkdir(path.substr(0, path.rfind('/')).c_str(), 0755);
      ::mkdir((root + "Sub2").c_str(), 0755);
      ::mkdir((root + "Sub2/deep").c_str(), 0755);
      testsupport::WriteFile(path, "x");
    }
    ::mkdir((root + "folder.jpg").c_str(), 0755);  // a folder is never a file
    EXPECT_EQ(::symlink("sub", (root + "link").c_str()), 0);
    EXPECT_EQ(::symlink(".", (root + "loop").c_str()), 0);
    EXPECT_EQ(::symlink("..", (root + "Sub2/up").c_str()), 0);
    EXPECT_EQ(::symlink("missing.jpg", (root + "dangling.jpg").c_str()), 0);
    EXPECT_EQ(::mkfifo((root + "pipe.jpg").c_str(), 0600), 0);  // opening it would wait forever
  }

  testsupport::TempDir dir;
  std::string root;
  apptest::FakeSorterView view;
};

}  // namespace

TEST_F(FileSearch, OneFolder) {
  TStringList list;
  FindImageFiles(root, "*.jpg", list, false, false);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"a.jpg", "b.JPG"}));
  // Without the final "/" the folder is searched the same way.
  list.Clear();
  FindImageFiles(dir.path(), "*.JPG", list, false, false);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"a.jpg", "b.JPG"}));
  EXPECT_EQ(view.pumped, 0);
}

TEST_F(FileSearch, TreeDepthFirstAndLinksThatLeadBack) {
  TStringList list;
  FindImageFiles(root, "*.jpg", list, true, false);
  // Own files first, then subfolders in name order; "link" reaches sub before sub itself does,
  // so sub is walked under that name only; "loop" and "Sub2/up" lead back to the start and are
  // not followed.
  EXPECT_EQ(Relative(list, root),
            (std::vector<std::string>{"a.jpg", "b.JPG", "link/d.jpg", "Sub2/f.jpg", "Sub2/deep/g.jpg"}));
  EXPECT_GE(view.pumped, 4);  // before every subfolder
  // The folder a run leaves out (its target) is not walked under any name; the start is.
  uint64_t device = 0, inode = 0;
  ASSERT_TRUE(GetFileIdentity(FileNameToWide(root + "sub"), device, inode));
  TSearchScope scope{.LeftOut = TFolderIdentity{device, inode}, .Unlisted = {}};
  list.Clear();
  FindImageFiles(root, "*.jpg", list, true, false, scope);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"a.jpg", "b.JPG", "Sub2/f.jpg", "Sub2/deep/g.jpg"}));
  list.Clear();
  FindImageFiles(root + "sub/", "*.jpg", list, true, false, scope);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"sub/d.jpg"}));
}

// A run searches once per mask: the list holds all files of the first mask, then the next.
TEST_F(FileSearch, MasksInTurnAndDuplicatesKept) {
  TStringList list;
  for (const char* mask : kImageMasks) FindImageFiles(root, mask, list, false, false);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"Z.tif", "c.png", "a.jpg", "b.JPG"}));
  FindImageFiles(root, "*.tif", list, false, false);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list[4], root + "Z.tif");
  FindImageFiles(root, "*.png", list, false, true);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"c.png"}));
  FindImageFiles("", "*.png", list, true, true);
  EXPECT_EQ(list.Count(), 0);
  FindImageFiles(root + "nothing/", "*.png", list, true, false);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(FileSearch, UnreadableFoldersAreSkipped) {
  ::mkdir((root + "closed").c_str(), 0755);
  testsupport::WriteFile(root + "closed/i.jpg", "x");
  ::mkdir((root + "Sub2/shut").c_str(), 0755);
  testsupport::WriteFile(root + "Sub2/shut/j.jpg", "x");
  ::chmod((root + "closed").c_str(), 0);
  ::chmod((root + "Sub2/shut").c_str(), 0);
  TStringList list;
  TSearchScope scope;
  {
    testsupport::PermissionsApply permissions;
    if (::geteuid() == 0 && !permissions.active()) {
      ::chmod((root + "closed").c_str(), 0755);
      ::chmod((root + "Sub2/shut").c_str(), 0755);
      GTEST_SKIP() << "root reads every folder";
    }
    // Every mask of a run meets them again; each is noted once.
    for (const char* mask : {"*.jpg", "*.png"}) FindImageFiles(root, mask, list, true, false, scope);
  }
  ::chmod((root + "closed").c_str(), 0755);
  ::chmod((root + "Sub2/shut").c_str(), 0755);
  // The rest of the tree, in its order, as if the closed folders were not there.
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"a.jpg", "b.JPG", "link/d.jpg", "Sub2/f.jpg",
                                                             "Sub2/deep/g.jpg", "c.png", "link/e.PNG"}));
  EXPECT_EQ(scope.Unlisted, (std::vector<std::pair<std::string, int>>{{root + "closed/", EACCES},
                                                                      {root + "Sub2/shut/", EACCES}}));
}

// A folder to compare that is not there, or that is no folder, is an error that names it; a
// folder with nothing in it is not (its run reports 0 files).
TEST_F(FileSearch, AFolderToCompareMustBeThere) {
  const struct {
    std::string folder;
    std::string message;  // empty: no error
  } cases[] = {
      {"", "There is no folder to compare: its field is empty."},
      {"  ", "There is no folder to compare: its field is empty."},
      {root + "missing/", "The folder to compare does not exist: " + root + "missing/"},
      {root + "missing/deeper", "The folder to compare does not exist: " + root + "missing/deeper"},
      {root + "a.jpg/", "The folder to compare does not exist: " + root + "a.jpg/"},
      {root + "folder.jpg/", ""},  // empty
      {root + "link", ""},
      {root, ""},
  };
  for (const auto& c : cases) {
    try {
      CheckFolderToCompare(c.folder);
      EXPECT_EQ(c.message, "") << c.folder;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message) << c.folder;
    }
  }
}

// The order does not depend on the order the folder gives its entries in: names created in a
// shuffled order come back by name, case aside.
TEST(FileSearchOrder, ByNameWhateverTheFolderSays) {
  testsupport::TempDir dir;
  const std::string root = dir.path() + "/";
  const char* created[] = {"m.jpg", "C.jpg", "x.JPG", "a.jpg", "q.jpg", "B.jpg", "zz.jpg", "k.jpg", "e.Jpg",
                           "aa.jpg", "y.jpg", "d.jpg", "j.jpg", "A.jpg", "n.jpg", "g.jpg"};
  for (const char* name : created) testsupport::WriteFile(root + name, "x");
  TStringList list;
  FindImageFiles(root, "*.jpg", list, false, false);
  EXPECT_EQ(Relative(list, root), (std::vector<std::string>{"A.jpg", "a.jpg", "aa.jpg", "B.jpg", "C.jpg", "d.jpg",
                                                             "e.Jpg", "g.jpg", "j.jpg", "k.jpg", "m.jpg", "n.jpg",
                                                             "q.jpg", "x.JPG", "y.jpg", "zz.jpg"}));
}

TEST_F(FileSearch, ChangeNotificationsAreHeldBack) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&] { ++changes; };
  FindImageFiles(root, "*.jpg", list, true, false);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list.UpdateCount(), 0);
}
