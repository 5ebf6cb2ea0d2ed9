// A footprint is taken over instead of analysing the file again only when the file is provably
// the one analysed: same name, same square side, same identity and times, and times that had
// settled before the analysis began.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>

#include "app/file_stamp.h"
#include "app/footprint.h"
#include "app/footprint_analysis.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;

namespace {

// Sets the file's modification time to `secondsAgo` before now (its change time becomes now).
void Backdate(const std::string& file, time_t secondsAgo) {
  const timespec now = WallClockNow();
  const timespec times[2] = {{now.tv_sec - secondsAgo, 0}, {now.tv_sec - secondsAgo, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

timespec Later(const timespec& t, time_t seconds) { return timespec{t.tv_sec + seconds, t.tv_nsec}; }

// A loaded footprint said to come from `file` as it is now.
TFootprint PrintOf(const std::string& file, int32_t square) {
  TFootprint print;
  print.Width = 640;
  print.ColourClass = "CO";
  print.ColourDistribution[7] = 41;
  print.Loaded = true;
  TFileStamp stamp;
  EXPECT_TRUE(ReadFileStamp(file, stamp));
  print.Source = TFootprintSource{file, square, stamp};
  return print;
}

}  // namespace

TEST(FileStamp, TellsFilesAndChangesApart) {
  testsupport::TempDir dir;
  const std::string a = dir.File("a.bmp"), b = dir.File("b.bmp");
  testsupport::WriteFile(a, "abcd");
  testsupport::WriteFile(b, "abcd");
  TFileStamp sa, sa2, sb;
  ASSERT_TRUE(ReadFileStamp(a, sa));
  ASSERT_TRUE(ReadFileStamp(a, sa2));
  ASSERT_TRUE(ReadFileStamp(b, sb));
  EXPECT_TRUE(sa == sa2);
  EXPECT_FALSE(sa == sb);  // another inode
  EXPECT_EQ(sa.Size, 4);
  Backdate(a, 100);
  ASSERT_TRUE(ReadFileStamp(a, sa2));
  EXPECT_FALSE(sa == sa2);
  EXPECT_FALSE(ReadFileStamp(dir.File("missing.bmp"), sa2));
  EXPECT_FALSE(ReadFileStamp(dir.path(), sa2));  // a folder is no image file
}

TEST(FileStamp, SettledOnlyWellBeforeTheStart) {
  testsupport::TempDir dir;
  const std::string a = dir.File("a.bmp");
  testsupport::WriteFile(a, "abcd");
  TFileStamp s;
  ASSERT_TRUE(ReadFileStamp(a, s));
  const timespec now = WallClockNow();
  // Just written: a write within the same tick of a coarse clock would not show.
  EXPECT_FALSE(SettledBefore(s, now));
  EXPECT_FALSE(SettledBefore(s, Later(now, 1)));
  EXPECT_TRUE(SettledBefore(s, Later(now, 10)));
  // Both times count: an old modification time does not make a fresh change time settled.
  Backdate(a, 100);
  ASSERT_TRUE(ReadFileStamp(a, s));
  EXPECT_FALSE(SettledBefore(s, now));
}

TEST(FootprintReuse, OnlyTheSameUnchangedFileUnderTheSameSquare) {
  testsupport::TempDir dir;
  const std::string file = dir.File("m.bmp"), other = dir.File("o.bmp");
  testsupport::WriteFile(file, "first");
  testsupport::WriteFile(other, "first");
  PixelsSquare = 4;
  TFootprint to;
  EXPECT_TRUE(ReuseFootprint(file, PrintOf(file, 4), to));
  EXPECT_EQ(to.Width, 640);
  EXPECT_EQ(to.ColourDistribution[7], 41);
  EXPECT_EQ(to.ColourClass, "CO");

  struct Case {
    const char* name;
    std::function<TFootprint()> from;
    std::string candidate;
  } cases[] = {
      {"another name", [&] { return PrintOf(file, 4); }, other},
      {"another square side", [&] { return PrintOf(file, 8); }, file},
      {"not loaded", [&] {
         TFootprint p = PrintOf(file, 4);
         p.Loaded = false;
         return p;
       }, file},
      {"no source", [&] {
         TFootprint p = PrintOf(file, 4);
         p.Source.reset();
         return p;
       }, file},
  };
  for (const Case& c : cases) {
    TFootprint target;
    EXPECT_FALSE(ReuseFootprint(c.candidate, c.from(), target)) << c.name;
    EXPECT_FALSE(target.Loaded) << c.name;
  }

  // The file rewritten (its times differ), or replaced by another file under the same name.
  TFootprint before = PrintOf(file, 4);
  testsupport::WriteFile(file, "other");
  Backdate(file, 50);
  EXPECT_FALSE(ReuseFootprint(file, before, to));
  before = PrintOf(file, 4);
  ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
  EXPECT_FALSE(ReuseFootprint(file, before, to));
  before = PrintOf(file, 4);
  std::remove(file.c_str());
  EXPECT_FALSE(ReuseFootprint(file, before, to));
}

// A file written just now carries no source: its analysis cannot prove that a write in the
// same clock tick did not follow.
TEST(FootprintReuse, AFreshFileIsAnalysedEveryTime) {
  testsupport::TempDir dir;
  const std::string file = dir.File("m.bmp");
  // A 2 x 1 BMP: enough for a loaded footprint.
  const std::string bmp = std::string("BM\x3E\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x08\0\0\0"
                                      "\x13\x0B\0\0\x13\x0B\0\0\0\0\0\0\0\0\0\0\x10\x20\x30\x40\x50\x60\0\0",
                                      62);
  testsupport::WriteFile(file, bmp);
  PixelsSquare = 4;
  CellSize = 1;
  TFootprint print;
  AnalyseFootprint(file, print, TUnreadable::Raises);
  ASSERT_TRUE(print.Loaded);
  EXPECT_FALSE(print.Source.has_value());
  TFootprint to;
  EXPECT_FALSE(ReuseFootprint(file, print, to));
}
