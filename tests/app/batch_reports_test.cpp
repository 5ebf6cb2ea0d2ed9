// Batch mode reports only what it did and always ends: the built program run as "velmora X"
// on folders, targets, standard outputs and settings that let it down in the ways a person's
// machine does.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/support/batch_mode_fixture.h"

using apptest::BatchMode;
using apptest::BatchResult;

namespace {

// How a row's standard output goes.
enum class Output { kFile, kDevFull, kClosedAfterTwoLines };

struct Row {
  std::string what;
  // Makes the row's files and writes Velmora.cfg; false when the machine cannot give what the
  // row needs (a file system to mount, a user to run as): the row is then left out.
  std::function<bool()> prepare;
  Output output = Output::kFile;
  std::function<void(const BatchResult&)> check;
  unsigned seconds = 300;
  unsigned long long fileSize = 0;  // the most any file may grow to (0: no ceiling)
};

// The reading end of a named pipe made for the program's standard output, opened before the
// program starts. The pipe holds one page, so a program with more to say is still writing when
// the reader goes.
int OpenSmallPipe(const std::string& fifo) {
  ::unlink(fifo.c_str());
  if (::mkfifo(fifo.c_str(), 0600) != 0) return -1;
  const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 || ::fcntl(fd, F_SETPIPE_SZ, 4096) < 0) return -1;
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Reads until two lines have come, then closes the pipe as "| head -n 2" does.
void ReadTwoLinesAndClose(int fd) {
  int lines = 0;
  char c = 0;
  while (lines < 2 && ::read(fd, &c, 1) == 1) lines += c == '\n';
  ::close(fd);
}

}  // namespace

TEST_F(BatchMode, ReportsOnlyWhatItDidAndAlwaysEnds) {
  const std::string cfg = prog + "Velmora.cfg";
  const std::string enospc = std::strerror(ENOSPC), eacces = std::strerror(EACCES);
  // Three pictures of different sizes and colours in a folder of their own: with no test
  // selected every one matches, in this order.
  auto three = [&](const std::string& folder) {
    ::mkdir(folder.c_str(), 0755);
    MakeSolids(folder, "('a.png', 30, 20, (200, 30, 30)), ('b.png', 40, 20, (20, 30, 220)), "
                       "('c.png', 50, 20, (20, 200, 30))");
  };
  auto settings = [&](const std::string& master, const std::string& folder, const std::string& target,
                      const char* subfolders = "-", const char* precision = "75", const char* pixels = "4") {
    Config({master, folder, target, subfolders, "---------", pixels, precision, "-"});
  };
  auto summary = [](const BatchResult& r) {
    const auto lines = apptest::OutputLines(r.out);
    return lines.size() >= 2 ? lines[lines.size() - 2] : std::string();
  };
  auto exists = [](const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
  };
  auto copyFailed = [&](const std::string& folder, const std::string& target, const char* name, const std::string& why) {
    return "The file " + folder + name + " could not be copied to " + target + name + ": " + why + "\n";
  };

  const std::string f1 = dir.File("full/"), t1 = dir.File("t1/");
  const std::string f1b = dir.File("tmpfs-pictures/"), t1b = dir.File("tmpfs/");
  const std::string f2 = dir.File("protected/"), t2 = dir.File("t2/");
  const std::string f3 = dir.File("existing/"), t3 = dir.File("t3/");
  const std::string f4 = dir.File("inside/");
  const std::string t5 = dir.File("t5/");
  const std::string f6 = dir.File("closed/"), f6b = dir.File("shut-sub/"), t6 = dir.File("t6/");
  const std::string f7 = dir.File("many/"), t7 = dir.File("t7/");
  const std::string t8 = dir.File("t8/");
  const std::string f9 = dir.File("linked/"), t9 = dir.File("t9/");
  const std::string f10 = dir.File("special/");
  // A file system mounted for a row goes with the test, however it ends.
  struct Mount {
    std::string at;
    ~Mount() {
      if (!at.empty()) ::umount(at.c_str());
    }
  } mounted;

  const Row rows[] = {
      {"a target on a disk that fills during the second copy",
       [&] {
         three(f1);
         const int64_t a = int64_t(testsupport::ReadFile(f1 + "a.png").size());
         const int64_t b = int64_t(testsupport::ReadFile(f1 + "b.png").size());
         settings(f1 + "a.png", f1, t1);
         FailingDisk({"VELMORA_FAULT_FILE=" + t1, "VELMORA_FAULT_WRITE_AFTER=" + std::to_string(a + b / 2)});
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, copyFailed(f1, t1, "b.png", enospc) + copyFailed(f1, t1, "c.png", enospc));
         EXPECT_EQ(summary(r), "3 matching imagefiles out of 3 files: 1 were copied to " + t1 + ", 2 could not be copied");
         EXPECT_EQ(Listing(t1), "a.png\n");  // nothing half-written beside it
       }},
      {"a target on a 64 KiB file system",
       [&] {
         ::mkdir(f1b.c_str(), 0755);
         ::mkdir(t1b.c_str(), 0755);
         if (::mount("tmpfs", t1b.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
         mounted.at = t1b;
         // Noise does not compress: three files of 24 KiB, of which two fit.
         testsupport::WriteFile(dir.File("noise.py"), "import os, sys\nfrom PIL import Image\nfor n in 'abc':\n"
                                                      "  Image.frombytes('RGB', (90, 90), os.urandom(24300)).save(sys.argv[1] + n + '.png')\n");
         EXPECT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("noise.py") + " " + f1b), 0);
         settings(f1b + "a.png", f1b, t1b);
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, copyFailed(f1b, t1b, "c.png", enospc));
         EXPECT_EQ(summary(r), "3 matching imagefiles out of 3 files: 2 were copied to " + t1b + ", 1 could not be copied");
         EXPECT_EQ(Listing(t1b), "a.png\nb.png\n");
         EXPECT_EQ(testsupport::ReadFile(t1b + "b.png"), testsupport::ReadFile(f1b + "b.png"));
       }},
      {"a target the user may not write into",
       [&] {
         three(f2);
         ::mkdir(t2.c_str(), 0555);
         if (!AsOrdinaryUser()) return false;
         // The settings beside the program are the user's.
         settings(f2 + "a.png", f2, t2);
         return ::chown(prog.c_str(), user, group) == 0 && ::chown(cfg.c_str(), user, group) == 0;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, copyFailed(f2, t2, "a.png", eacces) + copyFailed(f2, t2, "b.png", eacces) +
                              copyFailed(f2, t2, "c.png", eacces));
         EXPECT_EQ(summary(r), "3 matching imagefiles out of 3 files: 0 were copied to " + t2 + ", 3 could not be copied");
         EXPECT_EQ(Listing(t2), "");
       }},
      {"a target that holds another picture of a match's name",
       [&] {
         three(f3);
         ::mkdir(t3.c_str(), 0755);
         testsupport::WriteFile(t3 + "b.png", "someone's picture");
         settings(f3 + "a.png", f3, t3);
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 0);
         EXPECT_EQ(r.err, "");
         EXPECT_EQ(summary(r), "3 matching imagefiles out of 3 files: 2 were copied to " + t3 +
                                   ", 1 were not copied: a file of that name was already there");
         EXPECT_EQ(testsupport::ReadFile(t3 + "b.png"), "someone's picture");
       }},
      {"the same run again",
       [&] {
         settings(f3 + "a.png", f3, t3);
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 0);
         EXPECT_EQ(summary(r), "3 matching imagefiles out of 3 files: 0 were copied to " + t3 +
                                   ", 3 were not copied: a file of that name was already there");
         EXPECT_EQ(Listing(t3), "a.png\nb.png\nc.png\n");
       }},
      {"the target inside the folder compared, with its subfolders",
       [&] {
         three(f4);
         ::mkdir((f4 + "sub").c_str(), 0755);
         MakeSolids(f4 + "sub/", "('d.png', 60, 20, (90, 90, 90))");
         settings(f4 + "a.png", f4, "", "X");
         // The first run makes <folder>/compared/ and fills it; the next must not compare it.
         const BatchResult first = RunBatch();
         return first.status == 0;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 0);
         EXPECT_EQ(summary(r), "4 matching imagefiles out of 4 files: 0 were copied to " + f4 +
                                   "compared/, 4 were not copied: a file of that name was already there");
         EXPECT_EQ(Listing(f4 + "compared"), "a.png\nb.png\nc.png\nd.png\n");
       }},
      {"a folder to compare that is not there (a card not mounted)",
       [&] {
         settings(dir.File("m.png"), dir.File("media/card/DCIM/"), t5);
         MakeSolids(dir.path(), "('m.png', 30, 20, (200, 30, 30))");
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "The folder to compare does not exist: " + dir.File("media/card/DCIM/") + "\n");
         EXPECT_EQ(r.out.find("matching imagefiles"), std::string::npos) << r.out;
         EXPECT_FALSE(exists(t5));
       }},
      {"no folder to compare",
       [&] {
         settings(dir.File("m.png"), "", t5);
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "There is no folder to compare: its field is empty.\n");
         EXPECT_FALSE(exists(t5));
       }},
      {"a folder to compare the user may not list, and one with a subfolder it may not",
       [&] {
         three(f6);
         ::mkdir(f6b.c_str(), 0755);
         ::mkdir((f6b + "shut").c_str(), 0755);
         MakeSolids(f6b, "('e.png', 30, 20, (9, 9, 9))");
         MakeSolids(f6b + "shut/", "('f.png', 30, 20, (9, 9, 9))");
         ::chmod(f6.c_str(), 0);
         ::chmod((f6b + "shut").c_str(), 0);
         if (!AsOrdinaryUser()) return false;
         if (::chown(prog.c_str(), user, group) != 0) return false;
         settings(f6b + "e.png", f6, t6, "X");
         if (::chown(cfg.c_str(), user, group) != 0) return false;
         // The first folder fails before anything is made; then the other one is searched.
         const BatchResult closed = RunBatch();
         EXPECT_EQ(closed.status, 1);
         EXPECT_EQ(closed.err, "The folder to compare cannot be read: " + f6 + ": " + eacces + "\n");
         EXPECT_FALSE(exists(t6));
         settings(f6b + "e.png", f6b, dir.File("out/"), "X");
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 0);
         EXPECT_EQ(r.err, "The folder " + f6b + "shut/ could not be searched: " + eacces + "\n");
         EXPECT_EQ(summary(r), "1 matching imagefiles out of 1 files were copied to " + dir.File("out/"));
       }},
      {"standard output closed after two lines, as by \"| head -n 2\"",
       [&] {
         ::mkdir(f7.c_str(), 0755);
         MakeSolids(f7, "('p.png', 30, 20, (200, 30, 30))");
         for (int i = 0; i < 40; ++i)
           ::link((f7 + "p.png").c_str(), (f7 + "q" + std::to_string(100 + i) + ".png").c_str());
         // Seven lines: the save on the way out adds the eighth.
         Config({f7 + "p.png", f7, t7, "-", "---------", "4", "75"});
         return true;
       },
       Output::kClosedAfterTwoLines,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 141);
         const std::string stopped = "The comparison run was stopped after ";
         EXPECT_EQ(r.err.rfind(stopped, 0), 0u) << r.err;
         const std::string end = " of 41 files.\nVelmora ended on SIGPIPE.\n";
         EXPECT_EQ(r.err.size() > end.size() ? r.err.substr(r.err.size() - end.size()) : r.err, end);
         EXPECT_EQ(testsupport::ReadFile(cfg), Saved({f7 + "p.png", f7, t7, "-", "---------", "4", "75", "-"}));
       }},
      {"standard output on a full device",
       [&] {
         three(dir.File("devfull/"));
         settings(dir.File("devfull/a.png"), dir.File("devfull/"), t8);
         return true;
       },
       Output::kDevFull,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "Standard output could not be written: " + enospc + "; what follows of it is lost.\n");
         EXPECT_EQ(Listing(t8), "a.png\nb.png\nc.png\n");  // the run went on
       }},
      {"standard output into a file that may not grow past 1000 bytes (a quota)",
       [&] {
         settings(dir.File("devfull/a.png"), dir.File("devfull/"), t8);
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "Standard output could not be written: " + std::string(std::strerror(EFBIG)) +
                              "; what follows of it is lost.\n");
         EXPECT_EQ(r.out.size(), 1000u);
       },
       300, 1000},
      {"links to a sibling folder, one sorting before it and one after",
       [&] {
         ::mkdir(f9.c_str(), 0755);
         ::mkdir((f9 + "photos").c_str(), 0755);
         MakeSolids(f9 + "photos/", "('a.png', 30, 20, (200, 30, 30)), ('b.png', 40, 20, (20, 30, 220))");
         ::symlink("photos", (f9 + "album").c_str());
         ::symlink("photos", (f9 + "zz").c_str());
         settings(f9 + "photos/a.png", f9, t9, "X");
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 0);
         EXPECT_EQ(summary(r), "2 matching imagefiles out of 2 files were copied to " + t9);
         std::string names;
         for (const auto& [file, props] : Matches(r.out)) names += file.substr(f9.size()) + " ";
         EXPECT_EQ(names, "album/a.png album/b.png ");  // each folder under the name that comes first
       }},
      {"a master that is a named pipe",
       [&] {
         ::mkdir(f10.c_str(), 0755);
         ::mkfifo((f10 + "pipe.png").c_str(), 0600);
         settings(f10 + "pipe.png", f10, dir.File("t10/"));
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 2) << testsupport::Describe(r.end);
         EXPECT_EQ(r.err, "Imagefile could not be read: " + f10 + "pipe.png (not a regular file)\n");
         EXPECT_EQ(r.out, "");
         EXPECT_FALSE(exists(dir.File("t10")));
       },
       30},
      {"a master that is a device",
       [&] {
         ::symlink("/dev/zero", (f10 + "zero.png").c_str());
         settings(f10 + "zero.png", f10, dir.File("t10/"));
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 2) << testsupport::Describe(r.end);
         EXPECT_EQ(r.err, "Imagefile could not be read: " + f10 + "zero.png (not a regular file)\n");
       },
       30},
      {"a Velmora.cfg that is a link to itself",
       [&] { return ::symlink("Velmora.cfg", cfg.c_str()) == 0; },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "Cannot open file \"" + cfg + "\". " + std::strerror(ELOOP) + "\n");
         char target[64] = {};
         EXPECT_EQ(std::string(target, size_t(std::max<ssize_t>(0, ::readlink(cfg.c_str(), target, sizeof target)))),
                   "Velmora.cfg");
       }},
      {"a Velmora.cfg in a loop of two links",
       [&] {
         return ::symlink("other.cfg", cfg.c_str()) == 0 && ::symlink("Velmora.cfg", (prog + "other.cfg").c_str()) == 0;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "Cannot open file \"" + cfg + "\". " + std::strerror(ELOOP) + "\n");
         EXPECT_TRUE(exists(cfg) && exists(prog + "other.cfg"));
       }},
      {"a precision that is no number",
       [&] {
         ::unlink((prog + "other.cfg").c_str());
         settings(f3 + "a.png", f3, t3, "-", "abc");
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "The setting \"precision of result\" in " + cfg +
                              " cannot be read: 'abc' is not a valid integer value\n");
       }},
      {"a square size past every integer",
       [&] {
         settings(f3 + "a.png", f3, t3, "-", "75", "99999999999");
         return true;
       },
       Output::kFile,
       [&](const BatchResult& r) {
         EXPECT_EQ(r.status, 1);
         EXPECT_EQ(r.err, "The setting \"pixels square\" in " + cfg +
                              " cannot be read: '99999999999' is not a valid integer value\n");
       }},
  };

  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // Each row starts from the test's own user and disk, and from no settings.
    ::unlink(cfg.c_str());
    environment.clear();
    program.SetEnvironment({});
    program.RunAs(-1, -1);
    if (!row.prepare()) {
      std::printf("[ left out ] %s: this machine cannot give it\n", row.what.c_str());
      continue;
    }
    if (HasFatalFailure()) return;
    BatchResult r;
    const testsupport::ChildLimits limits{.seconds = row.seconds, .file_size = row.fileSize};
    if (row.output == Output::kDevFull) {
      r = program.RunInto("/dev/full", limits);
    } else if (row.output == Output::kClosedAfterTwoLines) {
      const std::string fifo = dir.File("stdout.fifo");
      const int fd = OpenSmallPipe(fifo);
      ASSERT_GE(fd, 0) << std::strerror(errno);
      const int pid = program.Start(fifo, limits);
      ASSERT_GT(pid, 0);
      ReadTwoLinesAndClose(fd);
      r = program.Finish(pid, limits);
    } else {
      r = program.Run("X", limits);
    }
    row.check(r);
  }
}
