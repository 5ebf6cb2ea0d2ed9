// The master analysis: its three checks and their messages, the settings it reads and the
// console lines of batch mode.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

#include "app/console.h"
#include "app/footprint.h"
#include "app/master_footprint.h"
#include "platform/rtl/exceptions.h"
#include "tests/app/support/fake_sorter_view.h"
#include "tests/app/support/locale_text.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;
using E = TSorterEdit;

namespace {

const char* kUnknownPath = "Unknown path for imagefile.\rIt does not exist or is faulty.\rProcess was stopped!";
const char* kNotFound = "Imagefile not found.\rProcess was stopped!";
const char* kNotAllowed =
    "This imagetype is not allowed.\rtif, png, jpg, gif, wmf, bmp\rico and emf can be processed.\rProcess was stopped!";

}  // namespace

TEST(MasterFootprint, ChecksInOrder) {
  testsupport::TempDir dir;
  for (const char* f : {"a.jpeg", "b.Jpg", "c.txt", "noext", "d.TIFF", "e.jpe", "f.JPEG"}) testsupport::WriteFile(dir.File(f), "x");
  ::mkdir(dir.File("folder.png").c_str(), 0755);
  struct Case {
    std::string file;
    const char* problem;
  } cases[] = {
      {"m.jpg", kUnknownPath},                     // a bare name has no folder part
      {dir.File("missing/m.jpg"), kUnknownPath},
      {dir.File("m.jpg"), kNotFound},
      {dir.File("folder.png"), kNotFound},         // a folder is not a file
      {dir.File("e.jpe"), kNotAllowed},
      {dir.File("c.txt"), kNotAllowed},
      {dir.File("noext"), kNotAllowed},
      {dir.File("b.Jpg"), ""},
      {dir.File("d.TIFF"), ""},
      {dir.File("a.jpeg"), ""},  // JPEG files are found as ".jpeg" too
      {dir.File("f.JPEG"), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MasterFileProblem(c.file), c.problem) << c.file;
}

TEST(MasterFootprint, FailedCheckShowsRedMessageAndKeepsTheFootprint) {
  apptest::FakeSorterView view;
  MasterPrint = TFootprint{};
  MasterPrint.Width = 123;
  Precision = 50;
  view.SetText(E::EditPrec, "");
  EXPECT_EQ(MasterFootprint("/no/such/folder/m.png"), "");
  ASSERT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(view.dialogs[0].text, kUnknownPath);
  EXPECT_EQ(view.dialogs[0].colour, 0x0000FF);
  EXPECT_EQ(view.dialogs[0].buttons, TInfoButtons::Ok);
  EXPECT_EQ(MasterPrint.Width, 123);
  EXPECT_EQ(Precision, 75);  // the precision is read before the checks
  EXPECT_EQ(view.Text(E::EditPrec), "75");
  EXPECT_EQ(view.Text(E::EditPix), "");  // not yet read
}

TEST(MasterFootprint, SettingsAndBatchLines) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("make.py"), "from PIL import Image\nImage.new('RGB', (640, 480), (255, 255, 255)).save('" +
                                                  dir.File("m.png") + "')\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  apptest::FakeSorterView view;
  view.SetText(E::Edit1, dir.File("m.png"));
  struct Case {
    const char* pix;
    int32_t square, cell;
  } cases[] = {{"4", 4, 1}, {"8", 8, 2}, {"10", 10, 2}, {"6", 6, 2}, {"2", 2, 0}, {"", 4, 1}, {"14", 14, 4}};
  for (const auto& c : cases) {
    view.SetText(E::EditPix, c.pix);
    view.SetText(E::EditPrec, "75");
    const std::string s = MasterFootprint(dir.File("m.png"));
    EXPECT_EQ(PixelsSquare, c.square);
    EXPECT_EQ(CellSize, c.cell);
    const std::string head = apptest::Localised(c.cell ? "640 - 480 - 1.330 - L - 307200 - .PNG-33"
                                                       : "640 - 480 - 1.330 - L - 307200 - .PNG-0-");
    EXPECT_EQ(s.substr(0, head.size()), head) << c.pix;
    EXPECT_EQ(s.substr(s.size() - 5), " - BW");
  }
  EXPECT_EQ(MasterBounds.Width.Min, 480);
  EXPECT_EQ(MasterBounds.Width.Max, 853);
  EXPECT_EQ(MasterBounds.Height.Min, 360);
  EXPECT_EQ(MasterBounds.Height.Max, 640);

  // Non-numeric settings are errors of their own, not empty footprints.
  view.SetText(E::EditPrec, "7 5");
  EXPECT_THROW(MasterFootprint(dir.File("m.png")), EConvertError);
  view.SetText(E::EditPrec, "75");
  view.SetText(E::EditPix, "four");
  EXPECT_THROW(MasterFootprint(dir.File("m.png")), EConvertError);

  SetCommandLine({"X"});
  view.SetText(E::EditPix, "4");
  testing::internal::CaptureStdout();
  const std::string s = MasterFootprint(dir.File("m.png"));
  const std::string out = testing::internal::GetCapturedStdout();
  SetCommandLine({});
  EXPECT_EQ(out, "Masterfootprint:\r\n" + s + "\r\n" + dir.File("m.png") + "\r\nMatching footprints:...\r\n");
}

// Without a GDI+ provider it can use the first analysis says why, once: on standard error and on
// the window, in red. The provider the library asks for by name is here one that lacks entry
// points (loaded first, under that name); the analysis still gets through.
TEST(MasterFootprint, TheFirstAnalysisWithoutTheProviderSaysSoOnce) {
  ASSERT_NE(dlopen((testsupport::BinaryDir() + "/test-fixtures/lacking/libvelmora-gdiplus.so").c_str(), RTLD_NOW), nullptr)
      << dlerror();
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("make.py"),
                         "from PIL import Image\nImage.new('RGB', (8, 6)).save('" + dir.File("m.png") + "')\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  apptest::FakeSorterView view;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 2; ++i) EXPECT_NE(MasterFootprint(dir.File("m.png")), "");
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(view.dialogs.size(), 1u);
  const std::string text = view.dialogs[0].text;
  EXPECT_EQ(text.rfind("The GDI+ provider could not be loaded (it lacks GdipCreateFromHDC and ", 0), 0u) << text;
  EXPECT_EQ(view.dialogs[0].colour, 0x0000FF);
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  EXPECT_EQ(err, lines + "\n");
}

// A comparison may use the bounds in memory only while they are those of the master shown at
// the precision shown (an empty precision is the default 75 a run fills in); an analysis that
// did not get through leaves none.
TEST(MasterFootprint, TheBoundsAreKnownForTheMasterAndPrecisionAnalysed) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("make.py"), "from PIL import Image\nfor n in 'ab': Image.new('RGB', (8, 6)).save('" +
                                                  dir.File("") + "' + n + '.png')\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  const std::string a = dir.File("a.png"), b = dir.File("b.png");
  apptest::FakeSorterView view;
  const struct {
    std::string analysed, precision;  // analysed with; "" for no analysis this step
    std::string shown, shownPrecision;
    bool known;
  } steps[] = {
      {"", "", a, "75", false},  // before any analysis
      {a, "75", a, "75", true},   {a, "75", a, "", true},    {a, "75", a, "075", true}, {a, "75", a, "60", false},
      {a, "75", b, "75", false},  {a, "75", a, "7 5", false}, {a, "60", a, "60", true},  {a, "60", a, "75", false},
      {dir.File("c.png"), "75", a, "75", false},  // a master that fails its checks
      {a, "abc", a, "75", false},                 // a precision that is no number
  };
  for (const auto& s : steps) {
    if (!s.analysed.empty()) {
      view.SetText(E::EditPrec, s.precision);
      try {
        MasterFootprint(s.analysed);
      } catch (const EConvertError&) {
      }
    }
    EXPECT_EQ(MasterIsAnalysed(s.shown, s.shownPrecision), s.known)
        << s.analysed << " at " << s.precision << ", shown " << s.shown << " at " << s.shownPrecision;
  }
}

TEST(MasterFootprint, BatchProblemsGoToStandardError) {
  apptest::FakeSorterView view;
  SetCommandLine({"X"});
  testing::internal::CaptureStderr();
  EXPECT_EQ(MasterFootprint("relative.png"), "");
  const std::string err = testing::internal::GetCapturedStderr();
  SetCommandLine({});
  EXPECT_TRUE(view.dialogs.empty());
  EXPECT_EQ(err, "Unknown path for imagefile.\nIt does not exist or is faulty.\nProcess was stopped!\n");
}

TEST(CommandLine, BatchModeIsAnUpperCaseX) {
  struct Case {
    std::vector<std::string> args;
    bool console;
  } cases[] = {{{}, false}, {{"X"}, true}, {{"  X\t"}, true}, {{"x"}, false}, {{"XX"}, false},
               {{"/p/X"}, false}, {{"X", "more"}, true}, {{"", "X"}, false}};
  for (const auto& c : cases) {
    SetCommandLine(c.args);
    EXPECT_EQ(ConsoleMode(), c.console) << (c.args.empty() ? "(none)" : c.args[0]);
  }
  SetCommandLine({});
}
