#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/file_copy.h"
#include "platform/rtl/files.h"
#include "platform/rtl/guid.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "tests/support/limited_child.h"
#include "tests/support/permissions_apply.h"
#include "tests/support/test_support.h"

TEST(Strings, FileNamesSurviveAnyBytes) {
  const std::string names[] = {"plain.txt", "caf\xC3\xA9.png", "bad\xFF\xFE.jpg", "\xC3", "\xED\xA0\x80x",
                               "\xF0\x9F\x98\x80.gif"};
  for (const auto& n : names) EXPECT_EQ(WideToFileName(FileNameToWide(n)), n);
  EXPECT_EQ(FileNameToWide("caf\xC3\xA9"), u"caf\u00E9");
}

TEST(Strings, Utf8ReplacesOnlyTheBrokenPart) {
  // A truncated sequence followed by a valid character keeps the valid character.
  EXPECT_EQ(Utf8ToWide("\xE2\x82" "A"), u"\uFFFDA");
  EXPECT_EQ(WideToUtf8(u"\u20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Files, PathPiecesUseTheSlash) {
  EXPECT_EQ(ExtractFilePath(u"/a/b/c.jpg"), u"/a/b/");
  EXPECT_EQ(ExtractFileName(u"/a/b/c.jpg"), u"c.jpg");
  EXPECT_EQ(ExtractFileExt(u"/a.b/c"), u"");
  EXPECT_EQ(ExtractFileExt(u"/a/c.tar.GZ"), u".GZ");
  EXPECT_EQ(ChangeFileExt(u"/a.b/c", u".x"), u"/a.b/c.x");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(ExpandFileName(u"/a/./b/../c"), u"/a/c");
  EXPECT_TRUE(MatchesMask(u"PHOTO.JPG", u"*.jpg", true));
  EXPECT_FALSE(MatchesMask(u"PHOTO.JPG", u"*.jpg", false));
  EXPECT_TRUE(MatchesMask(u"a.tiff", u"*.tif?", false));
  EXPECT_FALSE(MatchesMask(u"a.tif", u"*.tiff", false));
}

TEST(Files, CopyNeverOverwritesWhenAskedNotTo) {
  testsupport::TempDir dir;
  const WideString a = FileNameToWide(dir.File("a")), b = FileNameToWide(dir.File("b"));
  WriteFileBytes(a, "new");
  WriteFileBytes(b, "old");
  errno = 0;
  EXPECT_FALSE(CopyFile(a, b, true));
  EXPECT_EQ(errno, EEXIST);  // told apart from a copy that failed
  EXPECT_EQ(ReadFileBytes(b), "old");
  ASSERT_EQ(::symlink("nowhere", dir.File("dangling").c_str()), 0);  // a name, though it leads nowhere
  EXPECT_FALSE(CopyFile(a, FileNameToWide(dir.File("dangling")), true));
  EXPECT_EQ(errno, EEXIST);
  ::unlink(dir.File("dangling").c_str());
  EXPECT_TRUE(CopyFile(a, FileNameToWide(dir.File("c")), true));
  EXPECT_EQ(ReadFileBytes(FileNameToWide(dir.File("c"))), "new");
  std::vector<TSearchRec> entries;
  ASSERT_TRUE(ListDirectory(FileNameToWide(dir.path()), entries));
  EXPECT_EQ(entries.size(), 3u);  // no temporary copies left behind
  EXPECT_FALSE(CopyFile(FileNameToWide(dir.File("missing")), FileNameToWide(dir.File("d")), false));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(CopyFile(a, FileNameToWide(dir.File("no/d")), true));
  EXPECT_EQ(errno, ENOENT);
}

// Refuses every hard link (or every rename that keeps a file) with the given errno while it
// lives (the test program's link() and renameat2() read the variable at each call).
class Refused {
 public:
  Refused(const char* what, int error) : name_(what) { ::setenv(what, std::to_string(error).c_str(), 1); }
  ~Refused() { ::unsetenv(name_); }

 private:
  const char* name_;
};
struct HardLinksRefused : Refused {
  explicit HardLinksRefused(int error) : Refused("VELMORA_REFUSE_LINK", error) {}
};
struct NoReplaceRenamesRefused : Refused {
  explicit NoReplaceRenamesRefused(int error) : Refused("VELMORA_REFUSE_RENAME2", error) {}
};

// FAT and exFAT cards, many network and FUSE mounts refuse hard links, and some file systems
// cannot rename without replacing: the copy is still made, still never over an existing file,
// and nothing is left beside it.
TEST(Files, CopyWhereTheFileSystemHasNoHardLinks) {
  for (const int renames : {0, EINVAL, ENOSYS, EOPNOTSUPP}) {
    for (const int error : {EPERM, EOPNOTSUPP, EXDEV, EMLINK, ENOSYS}) {
      SCOPED_TRACE("renames " + std::to_string(renames) + ", links " + std::to_string(error));
      testsupport::TempDir dir;
      const WideString a = FileNameToWide(dir.File("a")), b = FileNameToWide(dir.File("b"));
      const WideString c = FileNameToWide(dir.File("caf\xE9.jpg"));
      const std::string bytes = std::string("\0\xFF\r\n", 4) + std::string(200000, 'x');  // past one buffer
      WriteFileBytes(a, bytes);
      ::chmod(dir.File("a").c_str(), 0640);
      WriteFileBytes(b, "old");
      HardLinksRefused refused(error);
      std::unique_ptr<NoReplaceRenamesRefused> noRenames;
      if (renames) noRenames = std::make_unique<NoReplaceRenamesRefused>(renames);
      ASSERT_NE(::link(dir.File("a").c_str(), dir.File("probe").c_str()), 0) << "link() is not the refusing stand-in";
      EXPECT_EQ(errno, error);
      EXPECT_TRUE(CopyFile(a, c, true));
      EXPECT_EQ(ReadFileBytes(c), bytes);
      struct stat st {};
      ASSERT_EQ(::stat(dir.File("caf\xE9.jpg").c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0640u);
      EXPECT_FALSE(CopyFile(a, b, true));
      EXPECT_EQ(errno, EEXIST);
      EXPECT_EQ(ReadFileBytes(b), "old");
      std::vector<TSearchRec> entries;
      ASSERT_TRUE(ListDirectory(FileNameToWide(dir.path()), entries));
      EXPECT_EQ(entries.size(), 3u);  // a, b and the copy: no temporaries left behind
    }
  }
}

// Any other refusal of the link or the rename is a failed copy, as it was: no file under the
// target's name.
TEST(Files, CopyFailsWhenTheLinkIsRefusedForAnotherReason) {
  testsupport::TempDir dir;
  const WideString a = FileNameToWide(dir.File("a")), c = FileNameToWide(dir.File("c"));
  WriteFileBytes(a, "new");
  for (const int error : {EACCES, ENOSPC, EROFS}) {
    {
      NoReplaceRenamesRefused noRenames(EINVAL);
      HardLinksRefused refused(error);
      EXPECT_FALSE(CopyFile(a, c, true)) << error;
      EXPECT_EQ(errno, error);
      EXPECT_FALSE(FileExists(c)) << error;
    }
    NoReplaceRenamesRefused noRenames(error);
    EXPECT_FALSE(CopyFile(a, c, true)) << error;
    EXPECT_EQ(errno, error);
    EXPECT_FALSE(FileExists(c)) << error;
  }
  std::vector<TSearchRec> entries;
  ASSERT_TRUE(ListDirectory(FileNameToWide(dir.path()), entries));
  EXPECT_EQ(entries.size(), 1u);
}

// Copies into one folder: a failure names its side, the picture that cannot be read or the
// folder that takes nothing.
TEST(Files, FolderCopierTellsWhichSideFailed) {
  testsupport::TempDir dir;
  const std::string folder = dir.File("t/");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  WriteFileBytes(FileNameToWide(dir.File("a")), "picture");
  TFolderCopier copier(dir.File("t"));
  EXPECT_FALSE(copier.Copy(dir.File("missing"), "m"));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(copier.SourceFailed());
  EXPECT_FALSE(copier.Copy(dir.File("t"), "d"));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_TRUE(copier.SourceFailed());
  EXPECT_TRUE(copier.Copy(dir.File("a"), "a"));
  EXPECT_FALSE(copier.Copy(dir.File("a"), "a"));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_FALSE(copier.SourceFailed());
  TFolderCopier nowhere(dir.File("gone/"));
  EXPECT_FALSE(nowhere.Copy(dir.File("a"), "a"));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(nowhere.SourceFailed());
  // A program out of file descriptors: with none free the picture cannot be opened, with one
  // free the copy cannot.
  const auto outOfFiles = [&](int spare) {
    return testsupport::RunLimited([&] {
      const int lowest = ::dup(0);
      ::close(lowest);
      const rlimit files{rlim_t(lowest + spare), rlim_t(lowest + spare)};
      ::setrlimit(RLIMIT_NOFILE, &files);
      TFolderCopier full(dir.File("t"));
      const bool copied = full.Copy(dir.File("a"), "x");
      return !copied && errno == EMFILE && full.SourceFailed() == (spare == 0) ? 0 : 1;
    });
  };
  EXPECT_TRUE(outOfFiles(0).Normal());
  EXPECT_TRUE(outOfFiles(1).Normal());
  EXPECT_FALSE(FileExists(FileNameToWide(folder + "x")));

}

// A walk over a tree tells files from other entries and sees a folder reached through a link
// as the folder itself.
TEST(Files, ListingTellsKindsAndIdentities) {
  testsupport::TempDir dir;
  WriteFileBytes(FileNameToWide(dir.File("f")), "x");
  ASSERT_TRUE(CreateDir(FileNameToWide(dir.File("d"))));
  ASSERT_EQ(::symlink("d", dir.File("link").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  std::vector<TSearchRec> entries;
  ASSERT_TRUE(ListDirectory(FileNameToWide(dir.path()), entries));
  std::map<std::string, TSearchRec> byName;
  for (const auto& e : entries) byName[WideToFileName(e.Name)] = e;
  ASSERT_EQ(byName.size(), 4u);
  EXPECT_TRUE(byName["f"].IsRegular);
  EXPECT_FALSE(byName["pipe"].IsRegular);
  EXPECT_FALSE(byName["pipe"].IsDirectory);
  EXPECT_TRUE(byName["link"].IsDirectory && byName["link"].IsSymLink);
  EXPECT_EQ(byName["link"].Inode, byName["d"].Inode);
  EXPECT_EQ(byName["link"].Device, byName["d"].Device);
  EXPECT_NE(byName["f"].Inode, byName["d"].Inode);
  uint64_t device = 0, inode = 0;
  ASSERT_TRUE(GetFileIdentity(FileNameToWide(dir.File("link/")), device, inode));
  EXPECT_EQ(inode, byName["d"].Inode);
  EXPECT_EQ(device, byName["d"].Device);
  EXPECT_FALSE(GetFileIdentity(FileNameToWide(dir.File("missing")), device, inode));

  // A link that leads nowhere is nothing to follow; links in a loop cannot be followed.
  ASSERT_EQ(::symlink("nowhere", dir.File("d/dangling").c_str()), 0);
  ASSERT_EQ(::symlink("l1", dir.File("d/l0").c_str()), 0);
  ASSERT_EQ(::symlink("l0", dir.File("d/l1").c_str()), 0);
  entries.clear();
  ASSERT_TRUE(ListDirectory(FileNameToWide(dir.File("d")), entries));
  byName.clear();
  for (const auto& e : entries) byName[WideToFileName(e.Name)] = e;
  EXPECT_EQ(byName["dangling"].Unreachable, 0);
  EXPECT_EQ(byName["l0"].Unreachable, ELOOP);
  // A folder that may be listed but not entered hides what its entries are: it is one that
  // cannot be read.
  ASSERT_EQ(::chmod(dir.File("d").c_str(), 0644), 0);
  {
    testsupport::PermissionsApply permissions;
    if (::geteuid() == 0 && !permissions.active()) GTEST_SKIP() << "root enters every folder";
    errno = 0;
    EXPECT_FALSE(ListDirectory(FileNameToWide(dir.File("d")), entries));
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(entries.empty());
  }
  ::chmod(dir.File("d").c_str(), 0755);
}

TEST(Files, ForceDirectoriesMakesEveryLevel) {
  testsupport::TempDir dir;
  const WideString deep = FileNameToWide(dir.File("a/b/c/"));
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep));  // already there
  EXPECT_TRUE(DirectoryIsWritable(deep));
  WriteFileBytes(FileNameToWide(dir.File("file")), "x");
  EXPECT_FALSE(ForceDirectories(FileNameToWide(dir.File("file/sub"))));
  EXPECT_FALSE(ForceDirectories(u""));
  EXPECT_FALSE(DirectoryIsWritable(FileNameToWide(dir.File("missing"))));
}

TEST(Streams, MemoryAndFileStreams) {
  TMemoryStream m;
  m.WriteString("hello");
  m.SetPosition(1);
  EXPECT_EQ(m.ReadString(3), "ell");
  EXPECT_EQ(m.ReadString(10), "o");
  char c;
  EXPECT_THROW(m.ReadBuffer(&c, 1), EReadError);
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(m, 0), 5);
  EXPECT_EQ(copy.DataString(), "hello");
  EXPECT_THROW(TFileStream(u"/nonexistent/x", fmOpenRead), EFOpenError);
  try {
    TFileStream(u"/nonexistent/x", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"/nonexistent/x\". ", 0), 0u);
  }
}

// Writes at the end, over the middle, past a reserved size and past the end (the gap reads as
// zeros) leave exactly the bytes written.
TEST(Streams, MemoryStreamWritesAnywhere) {
  TMemoryStream m;
  m.Reserve(64);
  EXPECT_EQ(m.Size(), 0);
  m.WriteString("abcdef");
  m.SetPosition(2);
  m.WriteString("XY");
  EXPECT_EQ(m.Position(), 4);
  m.WriteString("1234");  // over the end: two bytes over, two appended
  EXPECT_EQ(m.DataString(), "abXY1234");
  m.SetPosition(10);
  m.WriteString("z");
  EXPECT_EQ(m.DataString(), std::string("abXY1234\0\0z", 11));
  m.Reserve(4);  // less than it holds: nothing changes
  EXPECT_EQ(m.Size(), 11);
  m.SetPosition(m.Size());
  m.WriteString(std::string(100, 'q'));
  EXPECT_EQ(m.Size(), 111);
  EXPECT_EQ(m.DataString().substr(8), std::string("\0\0z", 3) + std::string(100, 'q'));
}

TEST(DateTime, EncodeDecodeAndFormat) {
  TDateTimeParts p;
  p.Year = 2013; p.Month = 10; p.Day = 13; p.Hour = 14; p.Minute = 30; p.Second = 5;
  const TDateTime t = EncodeDateTime(p);
  EXPECT_DOUBLE_EQ(std::floor(t), 41560.0);
  EXPECT_EQ(FormatDateTime("yyyymmdd", t), "20131013");
  EXPECT_EQ(FormatDateTime("hhmmss", t), "143005");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", t), "14:30:05");
  EXPECT_EQ(&GetLocalTimeZone(), &GetLocalTimeZone());
  EXPECT_NE(CreateGuidBytes(), CreateGuidBytes());
}

TEST(Resources, MissingIdRaises) {
  EXPECT_THROW(FindResourceData(-12345), EResNotFound);
  EXPECT_FALSE(HasResource("no such form"));
}
