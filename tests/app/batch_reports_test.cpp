// Batch mode reports only what it did and always ends: the built program run as "velmora X"
// on folders, targets, standard outputs and settings that let it down as a person's machine does.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/support/batch_mode_fixture.h"

using apptest::BatchMode;
using apptest::BatchResult;

namespace {

enum class Output { kFile, kDevFull, kClosedAfterTwoLines, kStreamsClosed };

struct Row {
  std::string what;
  // Makes the row's files and Velmora.cfg; false when the machine cannot give what the row needs
  // (a file system to mount, a user to run as): the row is then left out.
  std::function<bool()> prepare;
  int status;
  std::string err;
  std::string summary{};  // the line before "Process ended ..." ("" when there is none)
  std::string target{};   // a folder whose listing is checked ("" for none)
  std::string listing{};  // "-": the folder must not exist
  Output output = Output::kFile;
  std::function<void(const BatchResult&)> more = [](const BatchResult&) {};
  testsupport::ChildLimits limits = {.seconds = 300};
};

// Standard output into a named pipe that holds one page and is closed after two lines, as
// "| head -n 2" closes it: the program still has more to write when the reader goes.
BatchResult RunIntoClosingPipe(const apptest::BatchProgram& program, const std::string& fifo,
                               const testsupport::ChildLimits& limits) {
  ::unlink(fifo.c_str());
  const int fd = ::mkfifo(fifo.c_str(), 0600) == 0 ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  EXPECT_TRUE(fd >= 0 && ::fcntl(fd, F_SETPIPE_SZ, 4096) >= 0) << std::strerror(errno);
  ::fcntl(fd, F_SETFL, 0);
  const int pid = program.Start(fifo, limits);
  char c = 0;
  for (int lines = 0; lines < 2 && ::read(fd, &c, 1) == 1;) lines += c == '\n';
  ::close(fd);
  return program.Finish(pid, limits);
}

}  // namespace

TEST_F(BatchMode, ReportsOnlyWhatItDidAndAlwaysEnds) {
  const std::string cfg = prog + "Velmora.cfg", enospc = std::strerror(ENOSPC), eacces = std::strerror(EACCES);
  auto folder = [&](const std::string& name) {
    const std::string f = dir.File(name + "/");
    ::mkdir(f.c_str(), 0755);
    return f;
  };
  // Three pictures, all matching with no test selected, found in this order.
  auto three = [&](const std::string& f) {
    MakeSolids(f, "('a.png', 30, 20, (200, 30, 30)), ('b.png', 40, 20, (20, 30, 220)), ('c.png', 50, 20, (9, 200, 9))");
  };
  auto settings = [&](const std::string& master, const std::string& f, const std::string& target,
                      const char* subfolders = "-", const char* precision = "75", const char* pixels = "4") {
    Config({master, f, target, subfolders, "---------", pixels, precision, "-"});
    return true;
  };
  auto failed = [](const std::string& f, const std::string& t, const std::string& names, const std::string& why) {
    std::string lines;
    for (char n : names) lines += "The file " + f + n + ".png could not be copied to " + t + n + ".png: " + why + "\n";
    return lines;
  };
  auto asUser = [&] { return AsOrdinaryUser() && ::chown(prog.c_str(), user, group) == 0; };
  // Copies into `t` where hard links (and, when asked, renames that keep a file) are refused, on
  // a disk that takes the three pictures of `f` once and fails any write past them.
  auto onceEach = [&](const std::string& f, const std::string& t, bool noRenames) {
    size_t bytes = 0;
    for (const char* n : {"a.png", "b.png", "c.png"}) bytes += testsupport::ReadFile(f + n).size();
    const std::string fixtures = testsupport::BinaryDir() + "/test-fixtures/";
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> env = {
        "LD_PRELOAD=" + fixtures + "libvelmora-file-faults.so:" + fixtures + "libvelmora-refuse-hard-links.so",
        std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0",
        "VELMORA_REFUSE_LINK=" + std::to_string(EPERM), "VELMORA_FAULT_FILE=" + t,
        "VELMORA_FAULT_WRITE_AFTER=" + std::to_string(bytes)};
    if (noRenames) env.push_back("VELMORA_REFUSE_RENAME2=" + std::to_string(EINVAL));
    program.SetEnvironment(env);
  };
  const std::string full = folder("full"), t1 = dir.File("t1/"), noise = folder("noise"), small = folder("small");
  const std::string shut = folder("shut"), t2 = folder("t2"), taken = folder("taken"), t3 = folder("t3");
  const std::string inside = folder("inside"), closed = folder("closed"), half = folder("half"), many = folder("many");
  const std::string linked = folder("linked"), special = folder("special"), none = dir.File("t0/"), t4 = dir.File("t4/");
  const std::string loop = "Cannot open file \"" + cfg + "\". " + std::strerror(ELOOP) + "\n";
  auto notCopied = [](int n) { return ", " + std::to_string(n) + " were not copied: a file of that name was already there"; };
  struct Mounts {  // the file systems mounted for rows go with the test, however it ends
    std::vector<std::string> at;
    bool Mount(const std::string& where, const char* options, unsigned long flags = 0) {
      if (::mount("tmpfs", where.c_str(), "tmpfs", flags, options) != 0) return false;
      at.push_back(where);
      return true;
    }
    ~Mounts() {
      for (const std::string& where : at) ::umount(where.c_str());
    }
  } mounted;
  const std::string enametoolong = std::strerror(ENAMETOOLONG), eloop = std::strerror(ELOOP);
  const std::string erofs = std::strerror(EROFS), enoent = std::strerror(ENOENT);
  const std::string clipboardNotKept =
      "The list of matching images could not be left on the clipboard (no X display, or no clipboard manager "
      "to keep it after the program ends): the matching images are listed on standard output.\n";
  // A tree of long names: the first of its folders whose entries' paths pass the system's limit.
  const std::string longName(200, 'd');
  std::string deepest = dir.File("deep/");
  while (deepest.size() + longName.size() < PATH_MAX) deepest += longName + "/";
  int held = -1;  // a hidden copy another run is writing

  const Row rows[] = {
      {"a disk that fills during the second copy",
       [&] {
         three(full);
         const size_t a = testsupport::ReadFile(full + "a.png").size(), b = testsupport::ReadFile(full + "b.png").size();
         FailingDisk({"VELMORA_FAULT_FILE=" + t1, "VELMORA_FAULT_WRITE_AFTER=" + std::to_string(a + b / 2)});
         return settings(full + "a.png", full, t1);
       },
       1, failed(full, t1, "bc", enospc),
       "3 matching imagefiles out of 3 files: 1 were copied to " + t1 + ", 2 could not be copied", t1, "a.png\n"},
      {"a 64 KiB file system, room for two pictures of noise",
       [&] {
         if (!mounted.Mount(small, "size=64k")) return false;
         testsupport::WriteFile(dir.File("noise.py"), "import os, sys\nfrom PIL import Image\nfor n in 'abc':\n"
                                                      "  Image.frombytes('RGB', (90, 90), os.urandom(24300)).save(sys.argv[1] + n + '.png')\n");
         return testsupport::Run("/usr/bin/python3 " + dir.File("noise.py") + " " + noise) == 0 &&
                settings(noise + "a.png", noise, small);
       },
       1, failed(noise, small, "c", enospc),
       "3 matching imagefiles out of 3 files: 2 were copied to " + small + ", 1 could not be copied", small, "a.png\nb.png\n"},
      {"a target the user may not write into",
       [&] {
         three(shut);
         ::chmod(t2.c_str(), 0555);
         return asUser() && settings(shut + "a.png", shut, t2) && ::chown(cfg.c_str(), user, group) == 0;
       },
       1, failed(shut, t2, "abc", eacces),
       "3 matching imagefiles out of 3 files: 0 were copied to " + t2 + ", 3 could not be copied", t2, ""},
      {"another picture of a match's name in the target",
       [&] {
         three(taken);
         testsupport::WriteFile(t3 + "b.png", "someone's picture");
         return settings(taken + "a.png", taken, t3);
       },
       0, "", "3 matching imagefiles out of 3 files: 2 were copied to " + t3 + notCopied(1), t3, "a.png\nb.png\nc.png\n",
       Output::kFile, [&](const BatchResult&) { EXPECT_EQ(testsupport::ReadFile(t3 + "b.png"), "someone's picture"); }},
      {"the same run again", [&] { return settings(taken + "a.png", taken, t3); }, 0, "",
       "3 matching imagefiles out of 3 files: 0 were copied to " + t3 + notCopied(3), t3, "a.png\nb.png\nc.png\n"},
      {"a second run with its target inside the folder compared",
       [&] {
         three(inside);
         return settings(inside + "a.png", inside, "", "X") && RunBatch().status == 0;
       },
       0, "", "3 matching imagefiles out of 3 files: 0 were copied to " + inside + "compared/" + notCopied(3),
       inside + "compared", "a.png\nb.png\nc.png\n"},
      {"a folder to compare that is not there (a card not mounted)",
       [&] { return settings(full + "a.png", dir.File("card/DCIM/"), none); }, 1,
       "The folder to compare does not exist: " + dir.File("card/DCIM/") + "\n", "", none, "-"},
      {"no folder to compare", [&] { return settings(full + "a.png", "", none); }, 1,
       "There is no folder to compare: its field is empty.\n", "", none, "-"},
      {"a folder to compare the user may not list",
       [&] {
         three(closed);
         ::chmod(closed.c_str(), 0);
         return asUser() && settings(full + "a.png", closed, none) && ::chown(cfg.c_str(), user, group) == 0;
       },
       1, "The folder to compare cannot be read: " + closed + ": " + eacces + "\n", "", none, "-"},
      {"a subfolder the user may not list",
       [&] {
         three(half);
         MakeSolids(folder("half/shut"), "('d.png', 30, 20, (9, 9, 9))");
         ::chmod((half + "shut").c_str(), 0);
         return asUser() && settings(half + "a.png", half, dir.File("out/"), "X") && ::chown(cfg.c_str(), user, group) == 0;
       },
       0, "The folder " + half + "shut/ could not be searched: " + eacces + "\n",
       "3 matching imagefiles out of 3 files were copied to " + dir.File("out/"), "", ""},
      {"standard output closed after two lines, as by \"| head -n 2\"",
       [&] {
         MakeSolids(many, "('p.png', 30, 20, (200, 30, 30))");
         for (int i = 0; i < 40; ++i) ::link((many + "p.png").c_str(), (many + "q" + std::to_string(i) + ".png").c_str());
         Config({many + "p.png", many, none, "-", "---------", "4", "75"});  // the save adds the eighth line
         return true;
       },
       141, "", "", "", "", Output::kClosedAfterTwoLines,
       [&](const BatchResult& r) {
         // The reader may go while the master's lines are written: then no run starts.
         const std::string end = " of 41 files.\nVelmora ended on SIGPIPE.\n";
         if (r.err != "Velmora ended on SIGPIPE.\n") {
           EXPECT_EQ(r.err.rfind("The comparison run was stopped after ", 0), 0u) << r.err;
           EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), end.size())), end);
         }
         EXPECT_EQ(testsupport::ReadFile(cfg), Saved({many + "p.png", many, none, "-", "---------", "4", "75", "-"}));
       }},
      {"standard output on a full device", [&] { return settings(taken + "a.png", taken, t4); }, 1,
       "Standard output could not be written: " + enospc + "; what follows of it is lost.\n", "", t4, "a.png\nb.png\nc.png\n",
       Output::kDevFull},
      {"standard output into a file that may not grow past 1000 bytes", [&] { return settings(taken + "a.png", taken, t4); },
       1, "Standard output could not be written: " + std::string(std::strerror(EFBIG)) + "; what follows of it is lost.\n",
       "", "", "", Output::kFile, [](const BatchResult& r) { EXPECT_EQ(r.out.size(), 1000u); },
       {.seconds = 300, .file_size = 1000}},
      {"links to a sibling folder, one sorting before it and one after",
       [&] {
         MakeSolids(folder("linked/photos"), "('a.png', 30, 20, (200, 30, 30)), ('b.png', 40, 20, (20, 30, 220))");
         ::symlink("photos", (linked + "album").c_str());
         ::symlink("photos", (linked + "zz").c_str());
         return settings(linked + "photos/a.png", linked, none, "X");
       },
       0, "", "2 matching imagefiles out of 2 files were copied to " + none, "", "", Output::kFile,
       [&](const BatchResult& r) {
         std::string names;
         for (const auto& [file, props] : Matches(r.out)) names += file.substr(linked.size()) + " ";
         EXPECT_EQ(names, "album/a.png album/b.png ");  // each folder under the name that comes first
       }},
      {"a master that is a named pipe",
       [&] { return ::mkfifo((special + "pipe.png").c_str(), 0600) == 0 && settings(special + "pipe.png", special, t1); },
       2, "Imagefile could not be read: " + special + "pipe.png (not a regular file)\n", "", "", "", Output::kFile,
       [](const BatchResult& r) { EXPECT_EQ(r.out, ""); }, {.seconds = 30}},
      {"a master that is a device",
       [&] { return ::symlink("/dev/zero", (special + "zero.png").c_str()) == 0 && settings(special + "zero.png", special, t1); },
       2, "Imagefile could not be read: " + special + "zero.png (not a regular file)\n", "", "", "", Output::kFile,
       [](const BatchResult&) {}, {.seconds = 30}},
      {"a master the user may not read",
       [&] {
         three(folder("secret"));
         ::chmod(dir.File("secret/a.png").c_str(), 0600);
         return asUser() && settings(dir.File("secret/a.png"), dir.File("secret/"), dir.File("out/secret/")) &&
                ::chown(cfg.c_str(), user, group) == 0;
       },
       2, "Imagefile could not be read: " + dir.File("secret/a.png") + " (" + eacces + ")\n", "", dir.File("out/secret"),
       "-"},
      {"a Velmora.cfg that is a link to itself", [&] { return ::symlink("Velmora.cfg", cfg.c_str()) == 0; }, 1, loop},
      {"a Velmora.cfg in a loop of two links",
       [&] { return ::symlink("other.cfg", cfg.c_str()) == 0 && ::symlink("Velmora.cfg", (prog + "other.cfg").c_str()) == 0; },
       1, loop, "", "", "", Output::kFile,
       [&](const BatchResult&) { EXPECT_EQ(::unlink((prog + "other.cfg").c_str()), 0); }},
      {"a folder to compare the user may list but not enter",
       [&] {
         const std::string f = folder("listed");
         three(f);
         ::chmod(f.c_str(), 0644);
         return asUser() && settings(full + "a.png", f, dir.File("t-listed/")) && ::chown(cfg.c_str(), user, group) == 0;
       },
       1, "The folder to compare cannot be read: " + dir.File("listed/") + ": " + eacces + "\n", "", dir.File("t-listed"),
       "-"},
      {"a subfolder the user may list but not enter",
       [&] {
         const std::string f = folder("half644");
         three(f);
         MakeSolids(folder("half644/shut"), "('d.png', 30, 20, (9, 9, 9))");
         ::chmod((f + "shut").c_str(), 0644);
         return asUser() && settings(f + "a.png", f, dir.File("out/644/"), "X") && ::chown(cfg.c_str(), user, group) == 0;
       },
       0, "The folder " + dir.File("half644/shut/") + " could not be searched: " + eacces + "\n",
       "3 matching imagefiles out of 3 files were copied to " + dir.File("out/644/"), dir.File("out/644/"),
       "a.png\nb.png\nc.png\n"},
      {"a tree of long names deeper than the system's path limit",
       [&] {
         const std::string f = folder("deep");
         three(f);
         const std::string& name = longName;
         // Made a level at a time from inside, as no path reaches the bottom.
         testsupport::WriteFile(dir.File("deep.py"), "import os, shutil, sys\nos.chdir(sys.argv[1])\nfor i in range(25):\n"
                                                      "  os.mkdir('" + name + "'); os.chdir('" + name + "')\n"
                                                      "shutil.copy(sys.argv[1] + 'a.png', 'e.png')\n");
         if (testsupport::Run("/usr/bin/python3 " + dir.File("deep.py") + " '" + f + "'") != 0) return false;
         return settings(f + "a.png", f, dir.File("deep-out/"), "X");
       },
       0, "The folder " + deepest + " could not be searched: " + enametoolong + "\n",
       "3 matching imagefiles out of 3 files were copied to " + dir.File("deep-out/"), dir.File("deep-out/"),
       "a.png\nb.png\nc.png\n", Output::kFile,
       [&](const BatchResult&) { testsupport::Run("rm -rf '" + dir.File("deep") + "'"); }},
      {"subfolders behind a loop of links",
       [&] {
         const std::string f = folder("loops");
         three(f);
         return ::symlink("l1", (f + "l0").c_str()) == 0 && ::symlink("l0", (f + "l1").c_str()) == 0 &&
                settings(f + "a.png", f, dir.File("loops-out/"), "X");
       },
       0,
       "The folder " + dir.File("loops/l0/") + " could not be searched: " + eloop + "\nThe folder " +
           dir.File("loops/l1/") + " could not be searched: " + eloop + "\n",
       "3 matching imagefiles out of 3 files were copied to " + dir.File("loops-out/"), "", ""},
      {"a target folder whose parent is missing",
       [&] { return settings(taken + "a.png", taken, dir.File("no/such/out/")); }, 1,
       "Error while creating directory " + dir.File("no/such/out/") + ": " + enoent + "\n", "", dir.File("no"), "-"},
      {"a target folder on a read-only file system",
       [&] { return mounted.Mount(folder("ro"), "size=64k", MS_RDONLY) && settings(taken + "a.png", taken, dir.File("ro/t/")); },
       1, "Error while creating directory " + dir.File("ro/t/") + ": " + erofs + "\n", "", dir.File("ro/t"), "-"},
      {"matches copied onto a read-only file system", [&] { return settings(taken + "a.png", taken, dir.File("ro/")); },
       1, failed(taken, dir.File("ro/"), "abc", erofs),
       "3 matching imagefiles out of 3 files: 0 were copied to " + dir.File("ro/") + ", 3 could not be copied",
       dir.File("ro/"), ""},
      {"a target folder on a file system without a free inode",
       [&] { return mounted.Mount(folder("noinode"), "size=64k,nr_inodes=1") && settings(taken + "a.png", taken, dir.File("noinode/t/")); },
       1, "Error while creating directory " + dir.File("noinode/t/") + ": " + enospc + "\n", "", dir.File("noinode/t"), "-"},
      {"a target folder whose name is too long",
       [&] { return settings(taken + "a.png", taken, dir.File(std::string(300, 't') + "/")); }, 1,
       "Error while creating directory " + dir.File(std::string(300, 't') + "/") + ": " + enametoolong + "\n", "", "", ""},
      {"a target folder behind a loop of links",
       [&] { return ::symlink("tloop", dir.File("tloop").c_str()) == 0 && settings(taken + "a.png", taken, dir.File("tloop/t/")); },
       1, "Error while creating directory " + dir.File("tloop/t/") + ": " + eloop + "\n", "", "", ""},
      {"a target folder in a folder the user may not write",
       [&] {
         ::mkdir(dir.File("locked").c_str(), 0555);
         return asUser() && settings(taken + "a.png", taken, dir.File("locked/t/")) && ::chown(cfg.c_str(), user, group) == 0;
       },
       1, "Error while creating directory " + dir.File("locked/t/") + ": " + eacces + "\n", "", dir.File("locked/t"), "-"},
      {"a folder line without a final \"/\" and no target",
       [&] {
         three(folder("glued"));
         return settings(dir.File("glued/a.png"), dir.File("glued"), "");
       },
       0, "", "3 matching imagefiles out of 3 files were copied to " + dir.File("glued/compared/"),
       dir.File("glued/compared"), "a.png\nb.png\nc.png\n", Output::kFile,
       [&](const BatchResult&) {
         EXPECT_NE(testsupport::Run("test -e '" + dir.File("gluedcompared") + "'"), 0);
         EXPECT_EQ(testsupport::ReadFile(cfg),
                   Saved({dir.File("glued/a.png"), dir.File("glued"), dir.File("glued/compared/"), "-", "---------", "4",
                          "75", "-"}));
       }},
      {"clipboard mode with a target that cannot be made",
       [&] {
         Config({taken + "a.png", taken, dir.File("nowhere/c/"), "-", "---------", "4", "75", "X"});
         return true;
       },
       0, clipboardNotKept, "3 matching imagefiles out of 3 files", dir.File("nowhere"), "-"},
      {"clipboard mode with no target",
       [&] {
         three(folder("clip"));
         Config({dir.File("clip/a.png"), dir.File("clip/"), "", "-", "---------", "4", "75", "X"});
         return true;
       },
       0, clipboardNotKept, "3 matching imagefiles out of 3 files", dir.File("clip/compared"), "-"},
      {"a Velmora.cfg that starts with a byte order mark",
       [&] {
         settings(taken + "a.png", taken, t4);
         testsupport::WriteFile(cfg, "\xEF\xBB\xBF" + testsupport::ReadFile(cfg));
         return true;
       },
       0, "", "3 matching imagefiles out of 3 files: 0 were copied to " + t4 + notCopied(3), t4, "a.png\nb.png\nc.png\n"},
      {"a Velmora.cfg that is a named pipe", [&] { return ::mkfifo(cfg.c_str(), 0600) == 0; }, 1,
       "Cannot open file \"" + cfg + "\". It is not a regular file\n", "", "", "", Output::kFile,
       [&](const BatchResult&) {
         struct stat st {};
         EXPECT_TRUE(::lstat(cfg.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
       },
       {.seconds = 30}},
      {"a JPEG master named .jpeg among .jpg, .jpeg, .tif and .tiff files",
       [&] {
         MakeSolids(folder("types"), "('m.jpeg', 30, 20, (200, 30, 30)), ('n.jpg', 30, 20, (200, 30, 30)), "
                                     "('o.JPEG', 30, 20, (200, 30, 30)), ('p.tif', 30, 20, (200, 30, 30)), "
                                     "('q.tiff', 30, 20, (200, 30, 30)), ('r.png', 30, 20, (200, 30, 30))");
         Config({dir.File("types/m.jpeg"), dir.File("types/"), dir.File("types-jpeg/"), "-", "-----X---", "4", "75", "-"});
         return true;
       },
       0, "", "3 matching imagefiles out of 6 files were copied to " + dir.File("types-jpeg/"), dir.File("types-jpeg/"),
       "m.jpeg\nn.jpg\no.JPEG\n"},
      {"a TIFF master named .tif among the same",
       [&] {
         Config({dir.File("types/p.tif"), dir.File("types/"), dir.File("types-tif/"), "-", "-----X---", "4", "75", "-"});
         return true;
       },
       0, "", "2 matching imagefiles out of 6 files were copied to " + dir.File("types-tif/"), dir.File("types-tif/"),
       "p.tif\nq.tiff\n"},
      {"copies on a file system without hard links, written once each",
       [&] {
         const std::string f = folder("once"), t = folder("once-out");
         three(f);
         onceEach(f, t, false);
         return settings(f + "a.png", f, t);
       },
       0, "", "3 matching imagefiles out of 3 files were copied to " + dir.File("once-out/"), dir.File("once-out/"),
       "a.png\nb.png\nc.png\n"},
      {"copies on a file system without hard links or renames that keep a file, written once each",
       [&] {
         const std::string f = dir.File("once/"), t = folder("once-out2");
         onceEach(f, t, true);
         return settings(f + "a.png", f, t);
       },
       0, "", "3 matching imagefiles out of 3 files were copied to " + dir.File("once-out2/"), dir.File("once-out2/"),
       "a.png\nb.png\nc.png\n"},
      {"hidden copies left by a run that ended at once, and one another run is writing",
       [&] {
         const std::string t = folder("left");
         testsupport::WriteFile(t + ".velmora-copy-0badc0de", "half a picture");
         testsupport::WriteFile(t + ".velmora-copy-00c0ffee", "another run's picture on its way");
         testsupport::WriteFile(t + ".velmora-copy", "not ours");
         held = ::open((t + ".velmora-copy-00c0ffee").c_str(), O_RDONLY | O_CLOEXEC);
         return held >= 0 && ::flock(held, LOCK_EX) == 0 && settings(taken + "a.png", taken, t);
       },
       0, "", "3 matching imagefiles out of 3 files were copied to " + dir.File("left/"), "", "", Output::kFile,
       [&](const BatchResult&) {
         ::close(held);
         const std::string t = dir.File("left/");
         EXPECT_NE(::access((t + ".velmora-copy-0badc0de").c_str(), F_OK), 0);
         EXPECT_EQ(testsupport::ReadFile(t + ".velmora-copy-00c0ffee"), "another run's picture on its way");
         EXPECT_EQ(testsupport::ReadFile(t + ".velmora-copy"), "not ours");
         for (const char* n : {"a.png", "b.png", "c.png"}) EXPECT_EQ(::access((t + n).c_str(), F_OK), 0) << n;
       }},
      {"standard input, output and error closed, and more output than a pipe holds",
       [&] {
         const std::string f = folder("quiet");
         MakeSolids(f, "('p.png', 30, 20, (200, 30, 30))");
         for (int i = 0; i < 300; ++i) ::link((f + "p.png").c_str(), (f + "q" + std::to_string(i) + ".png").c_str());
         return settings(f + "p.png", f, dir.File("quiet-out/"));
       },
       0, "", "", "", "", Output::kStreamsClosed,
       [&](const BatchResult&) {
         std::string count;
         testsupport::Run("ls '" + dir.File("quiet-out/") + "' | wc -l", &count);
         EXPECT_EQ(std::stoi(count), 301);
         EXPECT_EQ(testsupport::ReadFile(cfg).substr(0, dir.File("quiet/p.png").size()), dir.File("quiet/p.png"));
       }},
      {"a precision that is no number", [&] { return settings(taken + "a.png", taken, t3, "-", "abc"); }, 1,
       "The setting \"precision of result\" in " + cfg + " cannot be read: 'abc' is not a valid integer value\n"},
      {"a square size past every integer", [&] { return settings(taken + "a.png", taken, t3, "-", "75", "99999999999"); }, 1,
       "The setting \"pixels square\" in " + cfg + " cannot be read: '99999999999' is not a valid integer value\n"},
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
    const BatchResult r = row.output == Output::kDevFull               ? program.RunInto("/dev/full", row.limits)
                          : row.output == Output::kClosedAfterTwoLines ? RunIntoClosingPipe(program, dir.File("out.fifo"), row.limits)
                          : row.output == Output::kStreamsClosed       ? program.RunWithStreamsClosed(row.limits)
                                                                        : program.Run("X", row.limits);
    EXPECT_EQ(r.status, row.status) << testsupport::Describe(r.end) << "\n" << r.err;
    if (row.output != Output::kClosedAfterTwoLines) { EXPECT_EQ(r.err, row.err); }
    const auto lines = apptest::OutputLines(r.out);
    if (row.output == Output::kFile && row.status != 2) {
      EXPECT_EQ(lines.size() >= 2 && lines.back() == "Process ended ..." ? lines[lines.size() - 2] : "", row.summary);
    }
    struct stat st {};
    if (row.listing == "-") {
      EXPECT_NE(::stat(row.target.c_str(), &st), 0);
    } else if (!row.target.empty()) {
      EXPECT_EQ(Listing(row.target), row.listing);  // nothing half-written there
    }
    row.more(r);
  }
}
