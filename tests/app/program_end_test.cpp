// The ways the built program ends from outside, each of which saves the settings: the window
// ended by a signal (SIGTERM from the session or a supervisor, SIGHUP at logout, SIGINT from a
// terminal) or by its X server going away, and a batch run stopped by a signal. The program runs
// as a child process in a scratch program folder; the test acts on it while it runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

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
};

const WindowEnd kWindowEnds[] = {
    {"SIGTERM", SIGTERM, 143, "Velmora ended on SIGTERM.\n"},
    {"SIGHUP", SIGHUP, 129, "Velmora ended on SIGHUP.\n"},
    {"SIGINT", SIGINT, 130, "Velmora ended on SIGINT.\n"},
    {"the display going away", 0, 5, "The connection to the X display was lost: Velmora ended.\n"},
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
    const int pid = testsupport::StartLimited(
        {program.folder() + "velmora"}, {.cwd = "/", .stdout_path = dir.File("out"), .stderr_path = dir.File("err")},
        kWindowLimits);
    ASSERT_GT(pid, 0);
    const int shown = testsupport::Run("timeout 30 xdotool search --sync --onlyvisible --name '^Velmora 1.0$' >/dev/null");
    if (e.signal) {
      ::kill(pid, e.signal);
    } else {
      server.Stop();
    }
    const ChildEnd end = testsupport::WaitLimited(pid, kWindowLimits);
    ASSERT_EQ(shown, 0) << "the window never came up";
    EXPECT_EQ(testsupport::Describe(end), "exit " + std::to_string(e.status));
    EXPECT_EQ(testsupport::ReadFile(dir.File("err")), e.line);
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
