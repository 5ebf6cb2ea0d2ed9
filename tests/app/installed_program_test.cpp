// The program and its GDI+ provider as a user gets them: installed with `cmake --install`, and
// copied elsewhere alone. A dashed wide pen in an EMF is drawn by the provider; without it the
// library draws the line with plain GDI, solid, and the footprint changes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <string>

#include "tests/app/support/batch_mode_fixture.h"
#include "tests/app/support/batch_program.h"
#include "tests/support/limited_child.h"
#include "tests/support/screen_test_support.h"
#include "tests/support/test_support.h"

using apptest::BatchMode;

namespace {

// An EMF of 64 x 48 pixels holding one line across it, drawn with a geometric pen 16 units wide
// (round caps and joins, the defaults), red, dashed or solid.
const char* kMakeLines = R"PY(
import struct, sys
def emf(path, style):
    w, h = 64, 48
    recs = [struct.pack('<13I', 95, 52, 1, 0, 0, 0, 0, 0x10000 | style, 16, 0, 0x0000FF, 0, 0),
            struct.pack('<III', 37, 12, 1), struct.pack('<IIii', 27, 16, 4, 24), struct.pack('<IIii', 54, 16, 60, 24),
            struct.pack('<IIIII', 14, 20, 0, 16, 20)]
    body = b''.join(recs)
    hdr = struct.pack('<II4i4iIIIIHHIIIiiii', 1, 88, 0, 0, w - 1, h - 1, 0, 0, w * 2540 // 96, h * 2540 // 96,
                      0x464D4520, 0x10000, 88 + len(body), len(recs) + 1, 2, 0, 0, 0, 0, 1024, 768, 271, 203)
    open(path, 'wb').write(hdr + body)
emf(sys.argv[1] + 'dashed.emf', 1)
emf(sys.argv[1] + 'solid.emf', 0)
)PY";

const char* kNoProvider = "The GDI+ provider could not be loaded (";

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class Provider : public BatchMode {
 protected:
  void SetUp() override {
    BatchMode::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    testsupport::WriteFile(dir.File("lines.py"), kMakeLines);
    ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("lines.py") + " " + images), 0);
  }

  // Every file of the folder with its footprint (no property ticked), the dashed EMF the master.
  void ConfigFor(const std::string& programFolder, const std::string& target) {
    std::string text;
    for (const std::string& l : {images + "dashed.emf", images, target, std::string("-"), std::string("---------"),
                                 std::string("4"), std::string("75"), std::string("-")})
      text += l + "\r\n";
    testsupport::WriteFile(programFolder + "Velmora.cfg", text);
  }
};

}  // namespace

// A program copied without its provider still runs, says once why metafiles come out otherwise,
// and draws the dashed line solid: the dashed and the solid drawing get one footprint.
TEST_F(Provider, AProgramWithoutItsProviderSaysSoOnce) {
  ConfigFor(prog, dir.File("with/"));
  const apptest::BatchResult with = RunBatch();
  ASSERT_EQ(with.status, 0) << with.err;
  EXPECT_EQ(with.err, "");
  const auto drawn = Matches(with.out);
  ASSERT_EQ(drawn.count(images + "dashed.emf"), 1u) << with.out;
  EXPECT_NE(drawn.at(images + "dashed.emf"), drawn.at(images + "solid.emf"));

  ASSERT_EQ(::unlink((prog + "libvelmora-gdiplus.so").c_str()), 0);
  ConfigFor(prog, dir.File("without/"));
  const apptest::BatchResult without = RunBatch();
  ASSERT_EQ(without.status, 0) << without.err;
  EXPECT_EQ(Count(without.err, kNoProvider), 1u) << without.err;
  EXPECT_NE(without.err.find("libvelmora-gdiplus.so"), std::string::npos) << without.err;
  EXPECT_NE(without.err.find("\nlibvelmora-gdiplus.so belongs beside the program.\n"), std::string::npos) << without.err;
  const auto plain = Matches(without.out);
  ASSERT_EQ(plain.size(), drawn.size()) << without.out;
  EXPECT_NE(plain.at(images + "dashed.emf"), drawn.at(images + "dashed.emf"));
  EXPECT_EQ(plain.at(images + "dashed.emf"), plain.at(images + "solid.emf"));
}

// The window says it at its first analysis, in a message and on standard error; its second
// analysis says nothing more.
TEST_F(Provider, TheWindowSaysSoAtItsFirstAnalysis) {
  REQUIRE_TOOL("xdotool");
  displaytest::PrivateXServer server;
  if (!server.own()) GTEST_SKIP() << "needs Xvfb";
  ASSERT_EQ(::unlink((prog + "libvelmora-gdiplus.so").c_str()), 0);
  ConfigFor(prog, dir.File("out/"));
  constexpr testsupport::ChildLimits kWindow{.address_space = 4ull << 30, .seconds = 90};
  const int pid = testsupport::StartLimited(
      {prog + "velmora"}, {.cwd = "/", .stdout_path = dir.File("out"), .stderr_path = dir.File("err")}, kWindow);
  ASSERT_GT(pid, 0);
  // "Get image properties" twice: the message comes once and is closed.
  testsupport::WriteFile(dir.File("steps.sh"), std::string(apptest::kWindowSteps) +
                                                   "await 'Velmora 1.0'; click 98 364; await Information\n"
                                                   "xdotool key Return; sleep 0.5; click 98 364; sleep 1\n"
                                                   "xdotool search --onlyvisible --name '^Information$' | wc -l\n");
  std::string shown;
  const int steps = testsupport::Run("timeout 60 sh '" + dir.File("steps.sh") + "'", &shown);
  ::kill(pid, SIGTERM);
  const testsupport::ChildEnd end = testsupport::WaitLimited(pid, kWindow);
  EXPECT_EQ(steps, 0) << "no message came";
  EXPECT_EQ(shown, "0\n");
  EXPECT_EQ(testsupport::Describe(end), "exit 143");
  const std::string err = testsupport::ReadFile(dir.File("err"));
  EXPECT_EQ(Count(err, kNoProvider), 1u) << err;
  EXPECT_EQ(err.substr(err.find(".\nlibvelmora-gdiplus.so belongs beside the program.\n")),
            ".\nlibvelmora-gdiplus.so belongs beside the program.\nVelmora ended on SIGTERM.\n");
}

// `cmake --install` into a prefix (one with a space in it) gives a program that finds its
// provider where the install put it: batch mode on the samples (and the two lines) lists every
// file with the footprint the built program gives. The menu entry names the installed program
// and passes desktop-file-validate; the menu's icons are the program's icon, as Pillow reads
// both.
TEST_F(Provider, AnInstalledProgramDrawsAsTheBuiltOne) {
  REQUIRE_TOOL("cmake");
  const std::string prefix = dir.File("inst dir");
  std::string log;
  ASSERT_EQ(testsupport::Run("cmake --install '" + testsupport::BinaryDir() + "' --prefix '" + prefix + "' 2>&1", &log), 0)
      << log;
  ASSERT_EQ(testsupport::Run("cp '" + testsupport::SourceDir() + "/samples/'* '" + images + "'"), 0);
  const std::string bin = prefix + "/bin/";
  ConfigFor(bin, dir.File("installed/"));
  testsupport::ExecOptions options{.cwd = "/", .stdout_path = dir.File("installed.out"),
                                   .stderr_path = dir.File("installed.err"), .unset_env = {"DISPLAY"}};
  const testsupport::ChildEnd installed = testsupport::ExecLimited({bin + "velmora", "X"}, options, {.seconds = 300});
  EXPECT_TRUE(installed.Normal()) << testsupport::Describe(installed);
  EXPECT_EQ(testsupport::ReadFile(dir.File("installed.err")), "");

  ConfigFor(prog, dir.File("built/"));
  const apptest::BatchResult built = RunBatch();
  ASSERT_EQ(built.status, 0) << built.err;
  const auto expected = Matches(built.out);
  EXPECT_GE(expected.size(), 19u) << built.out;
  EXPECT_EQ(Matches(testsupport::ReadFile(dir.File("installed.out"))), expected);

  const std::string entry = prefix + "/share/applications/velmora.desktop";
  EXPECT_NE(testsupport::ReadFile(entry).find("\nExec=\"" + bin + "velmora\"\n"), std::string::npos)
      << testsupport::ReadFile(entry);
  if (testsupport::HaveTool("desktop-file-validate")) {
    std::string out;
    EXPECT_EQ(testsupport::Run("desktop-file-validate '" + entry + "' 2>&1", &out), 0) << out;
  }
  testsupport::WriteFile(dir.File("icons.py"), R"PY(
import sys
from PIL import Image
ico = Image.open(sys.argv[1])
for s in (16, 32, 48):
    ico.size = (s, s)
    png = Image.open('%s/share/icons/hicolor/%dx%d/apps/velmora.png' % (sys.argv[2], s, s))
    print(s, ico.convert('RGBA').tobytes() == png.convert('RGBA').tobytes())
)PY");
  std::string icons;
  EXPECT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("icons.py") + " '" + testsupport::SourceDir() +
                                 "/resources/icons/velmora.ico' '" + prefix + "'",
                             &icons),
            0);
  EXPECT_EQ(icons, "16 True\n32 True\n48 True\n");
}
