// The ways the built program ends from outside, each of which saves the settings: the window
// ended by a signal (SIGTERM from the session or a supervisor, SIGHUP at logout, SIGINT from a
// terminal) or by its X server going away, and a batch run stopped by a signal. The program runs
// as a child process in a scratch program folder; the test acts on it while it runs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/support/batch_program.h"
#include "tests/support/limited_child.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ChildEnd;

// Four lines as a person might leave them; the program's save writes all eight.
const std::vector<std::string> kSettings = {"/pictures/m.png", "/pictures/", "", "X"};
const char* kSaved = "/pictures/m.png\r\n/pictures/\r\n\r\nX\r\n---------\r\n4\r\n75\r\n-\r\n";

// Room for the window's libraries, fonts and screen buffers.
constexpr testsupport::ChildLimits kWindowLimits{.address_space = 4ull << 30, .seconds = 90};

struct WindowEnd {
  const char* how;
  int signal;  // 0: the X server is ended instead
  int status;
  const char* line;  // standard error
  // Started with standard input, output and error closed: they are /dev/null while it runs, and
  // nothing of its own (the signal pipe, the display's connection) takes their places.
  bool streamsClosed = false;
};

const WindowEnd kWindowEnds[] = {
    {"SIGTERM", SIGTERM, 143, "Velmora ended on SIGTERM.\n"},
    {"SIGHUP", SIGHUP, 129, "Velmora ended on SIGHUP.\n"},
    {"SIGINT", SIGINT, 130, "Velmora ended on SIGINT.\n"},
    {"SIGQUIT", SIGQUIT, 131, "Velmora ended on SIGQUIT.\n"},
    {"SIGUSR1", SIGUSR1, 138, "Velmora ended on SIGUSR1.\n"},
    {"SIGALRM", SIGALRM, 142, "Velmora ended on SIGALRM.\n"},
    {"the display going away", 0, 5, "The connection to the X display was lost: Velmora ended.\n"},
    {"SIGTERM with the standard streams closed", SIGTERM, 143, "", true},
};

}  // namespace

// The window is up and idle; then the signal comes, or the server ends under it (as at a logout
// or a crash of the server). The program ends through its ordinary end: the settings are saved,
// standard error says why it ended, and the status says so too.
TEST(ProgramEnd, EveryWayOfEndingTheWindowSavesTheSettings) {
  REQUIRE_TOOL("xdotool");
  for (const WindowEnd& e : kWindowEnds) {
    SCOPED_TRACE(e.how);
    displaytest::PrivateXServer server;
    if (!server.own()) GTEST_SKIP() << "needs Xvfb";
    testsupport::TempDir dir;
    apptest::BatchProgram program(dir);
    ASSERT_TRUE(program.ready());
    program.Config(kSettings);
    const int pid = testsupport::StartLimited({program.folder() + "velmora"},
                                              {.cwd = "/",
                                               .stdout_path = dir.File("out"),
                                               .stderr_path = dir.File("err"),
                                               .unset_env = {},
                                               .set_env = {},
                                               .close_standard_streams = e.streamsClosed},
                                              kWindowLimits);
    ASSERT_GT(pid, 0);
    const int shown = testsupport::Run("timeout 30 xdotool search --sync --onlyvisible --name '^Velmora 1.0$' >/dev/null");
    for (int fd = 0; e.streamsClosed && fd <= 2; ++fd) {
      std::string opened;
      testsupport::Run("readlink /proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), &opened);
      EXPECT_EQ(opened, "/dev/null\n") << fd;
    }
    if (e.signal) {
      ::kill(pid, e.signal);
    } else {
      server.Stop();
    }
    const ChildEnd end = testsupport::WaitLimited(pid, kWindowLimits);
    ASSERT_EQ(shown, 0) << "the window never came up";
    EXPECT_EQ(testsupport::Describe(end), "exit " + std::to_string(e.status));
    if (!e.streamsClosed) {
      EXPECT_EQ(testsupport::ReadFile(dir.File("err")), e.line);
    }
    EXPECT_EQ(testsupport::ReadFile(program.folder() + "Velmora.cfg"), kSaved);
  }
}

// A batch run that a signal stops ends after the file in hand: what it copied so far is listed,
// the rest is left alone, the settings are saved and the status is 128 + the signal's number.
TEST(ProgramEnd, ASignalStopsABatchRunAndTheSettingsAreSaved) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  const std::string images = dir.File("images/");
  ::mkdir(images.c_str(), 0755);
  constexpr int kFiles = 400;
  testsupport::WriteFile(dir.File("make.py"), "import sys\nfrom PIL import Image\nfor i in range(" +
                                                  std::to_string(kFiles) +
                                                  "):\n  Image.new('RGB', (640, 480), (i % 256, 90, 40))"
                                                  ".save(sys.argv[1] + 'p%03d.png' % i)\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " " + images), 0);
  apptest::BatchProgram program(dir);
  ASSERT_TRUE(program.ready());
  for (const int signal : {SIGINT, SIGTERM}) {
    const std::string name = signal == SIGINT ? "SIGINT" : "SIGTERM";
    SCOPED_TRACE(name);
    const std::string target = dir.File("out-" + name + "/");
    // Every picture matches by its width alone; the eighth line is the save's to write.
    program.Config({images + "p000.png", images, target, "-", "X--------", "4", "75"});
    const std::string out = dir.File("stdout-" + name), err = dir.File("stderr-" + name);
    const int pid = testsupport::StartLimited({program.folder() + "velmora", "X"},
                                              {.cwd = "/", .stdout_path = out, .stderr_path = err, .unset_env = {"DISPLAY"}},
                                              {.seconds = 300});
    ASSERT_GT(pid, 0);
    // The signal comes once the first match is listed (the master's three lines come first).
    for (int wait = 0; wait < 6000 && apptest::OutputLines(testsupport::ReadFile(out)).size() < 6; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, signal);
    const ChildEnd end = testsupport::WaitLimited(pid, {.seconds = 300});
    EXPECT_EQ(testsupport::Describe(end), "exit " + std::to_string(128 + signal));
    const std::string errors = testsupport::ReadFile(err);
    const std::string stopped = "The comparison run was stopped after ";
    ASSERT_EQ(errors.find(stopped), 0u) << errors;
    const int done = std::stoi(errors.substr(stopped.size()));
    EXPECT_EQ(errors.substr(errors.find(" of ")), " of " + std::to_string(kFiles) + " files.\nVelmora ended on " +
                                                        name + ".\n");
    EXPECT_GT(done, 0);
    EXPECT_LT(done, kFiles) << "the run ended before the signal came";
    const std::string listed = testsupport::ReadFile(out);
    EXPECT_EQ(listed.find("Process ended"), std::string::npos) << listed;
    // What was copied is what was listed, and nothing after the stop.
    const auto matches = apptest::OutputMatches(listed + "\r\n\r\n");
    std::string copied;
    testsupport::Run("ls '" + target + "' | wc -l", &copied);
    EXPECT_EQ(std::stoi(copied), static_cast<int>(matches.size()));
    EXPECT_EQ(static_cast<int>(matches.size()), done);
    EXPECT_EQ(testsupport::ReadFile(program.folder() + "Velmora.cfg"),
              images + "p000.png\r\n" + images + "\r\n" + target + "\r\n-\r\nX--------\r\n4\r\n75\r\n-\r\n");
  }
}

// The window as a person uses it, on the real program: "Compare images" pressed before "Get
// image properties" compares with the master shown (the copies are batch mode's, whose run
// analyses the master first); two runs in clipboard mode leave their list on the clipboard
// after each; and with settings that cannot be saved (a disk that refuses every write of
// Velmora.cfg) both "E n d" and closing the window say so once and end the program, with
// status 3, the old settings whole.
TEST(ProgramEnd, TheWindowComparesWithTheMasterShownAndEndsWhenItsSettingsCannotBeSaved) {
  REQUIRE_TOOL("xdotool");
  REQUIRE_TOOL("xclip");
  REQUIRE_TOOL("/usr/bin/python3");
  displaytest::PrivateXServer server;
  if (!server.available()) GTEST_SKIP() << "needs Xvfb";
  testsupport::TempDir dir;
  const std::string images = dir.File("images/"), target = dir.File("window/"), reference = dir.File("batch/");
  ::mkdir(images.c_str(), 0755);
  testsupport::WriteFile(dir.File("make.py"),
                         "import sys\nfrom PIL import Image\n"
                         "for name, w, h, c in [('m.png', 40, 30, (200, 30, 30)), ('r.bmp', 20, 15, (200, 30, 30)),"
                         " ('b.png', 40, 30, (20, 30, 220)), ('g.jpg', 64, 48, (30, 200, 40)), ('o.png', 50, 50, (210, 40, 25))]:\n"
                         "  Image.new('RGB', (w, h), c).save(sys.argv[1] + name)\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " " + images), 0);
  apptest::BatchProgram program(dir);
  ASSERT_TRUE(program.ready());
  const std::vector<std::string> settings = {images + "m.png", images, "", "-", "------X--", "4", "75", "-"};
  // The reference: batch mode with the same master and settings.
  std::vector<std::string> batch = settings;
  batch[2] = reference;
  program.Config(batch);
  ASSERT_EQ(program.Run().status, 0);
  std::string expected;
  testsupport::Run("ls '" + reference + "'", &expected);
  ASSERT_NE(expected, "");

  const std::string cfg = program.folder() + "Velmora.cfg";
  const std::string shim = testsupport::BinaryDir() + "/test-fixtures/libvelmora-file-faults.so";
  const char* asan = std::getenv("ASAN_OPTIONS");
  const testsupport::ExecOptions options{
      .cwd = "/",
      .stdout_path = dir.File("out"),
      .stderr_path = dir.File("err"),
      .set_env = {"LD_PRELOAD=" + shim, "VELMORA_FAULT_FILE=Velmora.cfg", "VELMORA_FAULT_WRITE_AFTER=0",
                  std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0"}};
  const std::string helpers = apptest::kWindowSteps;
  const struct {
    const char* how;
    std::string steps;  // after the window is up; the last one asks the program to end
    // What standard error holds before the failed save's line; "" when the failure is answered.
    std::string before = "";
  } ends[] = {
      {"\"E n d\"",
       "run\n"
       "ls '" + target + "' > '" + dir.File("copied") + "'\n"
       "click 30 302\n"  // "Put the result into clipboard"
       "run; xclip -o -selection clipboard > '" + dir.File("clip1") + "'\n"
       "run; xclip -o -selection clipboard > '" + dir.File("clip2") + "'\n"
       "click 612 395\n"},
      {"closing the window", "click 300 20; xdotool key alt+F4\n"},
      // The failed save is the first failure: a signal while its message is shown keeps its status.
      {"\"E n d\", then SIGTERM while the failure is shown", "click 612 395; await Velmora; kill -TERM $PID\n",
       "Velmora ended on SIGTERM.\n"},
  };
  for (const auto& end : ends) {
    SCOPED_TRACE(end.how);
    std::vector<std::string> window = settings;
    window[2] = target;
    program.Config(window);
    const std::string old = testsupport::ReadFile(cfg);
    const int pid = testsupport::StartLimited({program.folder() + "velmora"}, options, kWindowLimits);
    ASSERT_GT(pid, 0);
    testsupport::WriteFile(dir.File("steps.sh"), helpers + "await 'Velmora 1.0'\n" + end.steps +
                                                     // The failed save is shown; OK ends the program.
                                                     (end.before.empty() ? "await Velmora; xdotool key Return\n" : ""));
    std::string log;
    testsupport::Run("PID=" + std::to_string(pid) + " timeout 60 sh '" + dir.File("steps.sh") + "' 2>&1", &log);
    const ChildEnd ended = testsupport::WaitLimited(pid, kWindowLimits);
    EXPECT_EQ(testsupport::Describe(ended), "exit 3") << log;
    EXPECT_EQ(testsupport::ReadFile(dir.File("err")),
              end.before + "The settings could not be saved to " + cfg + ": " + std::strerror(ENOSPC) + "\n");
    EXPECT_EQ(testsupport::ReadFile(cfg), old);
  }
  EXPECT_EQ(testsupport::ReadFile(dir.File("copied")), expected);
  std::string list = "Masterimage: \r\n" + images + "m.png \r\nMatching images: \r\n";
  const std::string clip1 = testsupport::ReadFile(dir.File("clip1"));
  EXPECT_EQ(clip1.substr(0, list.size()), list);
  EXPECT_EQ(testsupport::ReadFile(dir.File("clip2")), clip1);
  for (size_t p = 0, e; (e = expected.find('\n', p)) != std::string::npos; p = e + 1)
    EXPECT_NE(clip1.find(images + expected.substr(p, e - p) + " \r\n"), std::string::npos) << clip1;
}

namespace {

// Where a batch run is when a signal comes: the signal is raised as the program first touches a
// file of that phase (the failing disk's stand-in for the C library raises it there).
struct Phase {
  const char* what;
  std::string file;  // a part of the path the program touches
  const char* on;    // "read", "write" or "opendir"
  std::string err;   // what standard error says of the run before the signal's line
  int copies;        // the files in the target afterwards (-1: no target made)
  bool ended;        // the run got to its end ("Process ended ...")
};

}  // namespace

// Every signal whose default action ends a program, at each phase of a batch run (the master's
// analysis, the search for files, a copy, the save on the way out), ends it in order: the
// settings are saved, standard error says what became of the run and which signal ended it,
// and the status is 128 + the signal's number. A second signal of a kind ends the program at
// once and takes away the copy or the settings it was writing: nothing half-written stays.
TEST(ProgramEnd, EverySignalThatEndsAProgramSavesTheSettingsAtEveryPhase) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  const std::string images = dir.File("images/"), target = dir.File("target/");
  ASSERT_EQ(::mkdir(images.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((images + "sub").c_str(), 0755), 0);
  testsupport::WriteFile(dir.File("make.py"), "import sys\nfrom PIL import Image\n"
                                              "for name, w in [('m.png', 30), ('n.png', 40), ('sub/o.png', 50), ('sub/p.png', 60)]:\n"
                                              "  Image.new('RGB', (w, 20), (200, 30, 30)).save(sys.argv[1] + name)\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py") + " " + images), 0);
  apptest::BatchProgram program(dir);
  ASSERT_TRUE(program.ready());
  const std::string cfg = program.folder() + "Velmora.cfg";
  const std::vector<std::string> settings = {images + "m.png", images, target, "X", "---------", "4", "75"};
  std::string saved;
  for (const auto& line : settings) saved += line + "\r\n";
  const std::string fixtures = testsupport::BinaryDir() + "/test-fixtures/";
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::vector<std::string> shim = {
      "LD_PRELOAD=" + fixtures + "libvelmora-file-faults.so:" + fixtures + "libvelmora-refuse-hard-links.so",
      std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0"};
  const Phase phases[] = {
      {"the master's analysis", images + "m.png", "read", "", -1, false},
      {"the search", images + "sub", "opendir", "The comparison run was stopped while it searched for files.\n", -1, false},
      {"a copy", target, "write", "The comparison run was stopped after 1 of 4 files.\n", 1, false},
      {"the save", "Velmora.cfg", "write", "", 4, true},
  };
  const int rt = SIGRTMIN;
  const struct {
    int number;
    std::string name;
  } signals[] = {{SIGTERM, "SIGTERM"},     {SIGHUP, "SIGHUP"},       {SIGINT, "SIGINT"},       {SIGQUIT, "SIGQUIT"},
                 {SIGPIPE, "SIGPIPE"},     {SIGALRM, "SIGALRM"},     {SIGUSR1, "SIGUSR1"},     {SIGUSR2, "SIGUSR2"},
                 {SIGVTALRM, "SIGVTALRM"}, {SIGPROF, "SIGPROF"},     {SIGXCPU, "SIGXCPU"},     {SIGIO, "SIGIO"},
                 {SIGPWR, "SIGPWR"},       {SIGSTKFLT, "SIGSTKFLT"}, {rt, "SIGRTMIN"},         {rt + 3, "SIGRTMIN+3"},
                 {SIGRTMAX, "SIGRTMIN+" + std::to_string(SIGRTMAX - rt)}};
  for (const Phase& phase : phases) {
    for (const auto& s : signals) {
      SCOPED_TRACE(std::string(phase.what) + ", " + s.name);
      testsupport::Run("rm -rf '" + target + "'");
      program.Config(settings);  // the save writes the eighth line
      std::vector<std::string> env = shim;
      env.insert(env.end(), {"VELMORA_FAULT_FILE=" + phase.file, std::string("VELMORA_FAULT_SIGNAL_ON=") + phase.on,
                             "VELMORA_FAULT_SIGNAL=" + std::to_string(s.number)});
      program.SetEnvironment(env);
      const apptest::BatchResult r = program.Run("X", {.seconds = 60});
      EXPECT_EQ(testsupport::Describe(r.end), "exit " + std::to_string(128 + s.number));
      EXPECT_EQ(r.err, phase.err + "Velmora ended on " + s.name + ".\n");
      EXPECT_EQ(r.out.find("Process ended ...") != std::string::npos, phase.ended) << r.out;
      EXPECT_EQ(testsupport::ReadFile(cfg), saved + "-\r\n");
      std::string listing;
      const int listed = testsupport::Run("ls -A '" + target + "' 2>/dev/null", &listing);
      EXPECT_EQ(listed == 0 ? int(std::count(listing.begin(), listing.end(), '\n')) : -1, phase.copies) << listing;
    }
  }

  // A second signal while a copy or the settings are written: the program ends at once (the
  // settings are not saved) and takes what it was writing away, on every way copies are made.
  const struct {
    const char* what;
    std::string file;
    int signal;
    std::vector<std::string> refusals;
    const char* left;  // the program's folder and the target afterwards (the program aside)
  } twice[] = {
      {"a second SIGINT during a copy", target, SIGINT, {}, "Velmora.cfg\n"},
      {"a second SIGTERM during a copy where links and renames that keep a file are refused", target, SIGTERM,
       {"VELMORA_REFUSE_LINK=" + std::to_string(EPERM), "VELMORA_REFUSE_RENAME2=" + std::to_string(EINVAL)},
       "Velmora.cfg\n"},
      {"a second SIGQUIT during the save", "Velmora.cfg", SIGQUIT, {}, "Velmora.cfg\nm.png\nn.png\no.png\np.png\n"},
  };
  for (const auto& t : twice) {
    SCOPED_TRACE(t.what);
    testsupport::Run("rm -rf '" + target + "'");
    program.Config(settings);
    std::vector<std::string> env = shim;
    env.insert(env.end(), {"VELMORA_FAULT_FILE=" + t.file, "VELMORA_FAULT_SIGNAL_ON=write",
                           "VELMORA_FAULT_SIGNAL=" + std::to_string(t.signal), "VELMORA_FAULT_SIGNALS=2"});
    env.insert(env.end(), t.refusals.begin(), t.refusals.end());
    program.SetEnvironment(env);
    const apptest::BatchResult r = program.Run("X", {.seconds = 60});
    EXPECT_EQ(r.end.how, ChildEnd::How::kSignalled) << testsupport::Describe(r.end);
    EXPECT_EQ(r.end.code, t.signal);
    EXPECT_EQ(testsupport::ReadFile(cfg), saved);  // not saved, and not half-written either
    std::string left;
    testsupport::Run("ls -A '" + target + "' '" + program.folder() + "' 2>/dev/null | grep -v '^velmora$\\|gdiplus\\|^$\\|:$'",
                     &left);
    EXPECT_EQ(left, t.left);
  }
  program.SetEnvironment({});

  // A run that waits: its standard output a pipe that is full and never read. SIGTERM ends it
  // within a second as it ends a running one.
  for (int i = 0; i < 60; ++i) ::link((images + "m.png").c_str(), (images + "x" + std::to_string(i) + ".png").c_str());
  testsupport::Run("rm -rf '" + target + "'");
  program.Config(settings);
  const std::string fifo = dir.File("full.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  ASSERT_GE(::fcntl(reader, F_SETPIPE_SZ, 4096), 0);
  const int pid = program.Start(fifo, {.seconds = 60});
  ASSERT_GT(pid, 0);
  // The pipe fills (a page of output) and the program waits on it.
  for (int wait = 0; wait < 400; ++wait) {
    int queued = 0;
    if (::ioctl(reader, FIONREAD, &queued) == 0 && queued >= 4096) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto sent = std::chrono::steady_clock::now();
  ::kill(pid, SIGTERM);
  const apptest::BatchResult r = program.Finish(pid, {.seconds = 60});
  const auto took = std::chrono::steady_clock::now() - sent;
  ::close(reader);
  EXPECT_EQ(testsupport::Describe(r.end), "exit 143");
  EXPECT_LT(took, std::chrono::seconds(2));
  EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), size_t(26))), "Velmora ended on SIGTERM.\n") << r.err;
  EXPECT_EQ(testsupport::ReadFile(cfg), saved + "-\r\n");
}
