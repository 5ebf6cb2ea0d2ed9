// The run-time binding and the back-end choice: a provider that is present, missing, lacking
// an entry point every drawing needs, or lacking only entry points no drawing needs; start-up
// and shut-down balance; encoders by MIME type.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/gdiplus_binding.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace canvastest;

namespace {

// The functions of the slots in slot order (the texture transform twice), and the extras.
std::vector<std::string> SlotFunctions() {
  std::vector<std::string> names;
#define VELMORA_TEST_NAME(member, function) names.push_back(#function);
  VELMORA_GDIPLUS_SLOTS(VELMORA_TEST_NAME)
#undef VELMORA_TEST_NAME
  return names;
}

std::vector<std::string> ExportedNames(const std::string& map) {
  std::vector<std::string> names;
  const std::string text = testsupport::ReadFile(map);
  for (size_t at = 0; (at = text.find("Gdi", at)) != std::string::npos;) {
    const size_t end = text.find(';', at);
    names.push_back(text.substr(at, end - at));
    at = end;
  }
  return names;
}

std::string ProgramFolder() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path(buffer, n > 0 ? size_t(n) : 0);
  return path.substr(0, path.rfind('/') + 1);
}

// A provider beside the test program is found by every set-up that misses its own: the test
// that puts one there and the tests that need none there hold this lock (CTest runs them in
// parallel processes).
class ProgramFolderLock {
 public:
  ProgramFolderLock() : fd_(open((ProgramFolder() + ".provider-beside.lock").c_str(), O_CREAT | O_RDWR, 0644)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~ProgramFolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  ProgramFolderLock(const ProgramFolderLock&) = delete;
  ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

// The problem a person is told names the file the loader did not find, or the first entry point
// the provider lacks and how many more.
TEST(GdiplusBinding, StatusesForPresentMissingAndBrokenProviders) {
  struct Case {
    std::string path;
    int32_t status;
    std::string problem;  // its beginning
  };
  const Case cases[] = {
      {ProviderPath(), TWZRXGDIPlus::kReady, ""},
      {testsupport::BinaryDir() + "/no-such-provider.so", TWZRXGDIPlus::kLibraryNotFound,
       testsupport::BinaryDir() + "/no-such-provider.so: cannot open shared object file"},
      {"libvelmora-no-such-provider.so", TWZRXGDIPlus::kLibraryNotFound,
       "libvelmora-no-such-provider.so: cannot open shared object file"},
      {BrokenProviderPath(), TWZRXGDIPlus::kEntryPointMissing, "it lacks GdipCreateFromHDC and 92 more entry points"},
      {RequiredOnlyProviderPath(), TWZRXGDIPlus::kEntryPointMissing, "it lacks GdipSetCompositingMode and "},
      {CopyProviderPath(), TWZRXGDIPlus::kReady, ""},
  };
  for (const Case& c : cases) {
    TWZRXGDIPlus gp;
    EXPECT_EQ(gp.Status(), TWZRXGDIPlus::kNotLoaded);
    EXPECT_EQ(gp.Load(Wide(c.path), false), c.status) << c.path;
    EXPECT_EQ(gp.Status(), c.status);
    EXPECT_EQ(gp.Module() != nullptr, c.status != TWZRXGDIPlus::kLibraryNotFound);
    EXPECT_EQ(gp.LoadProblem().substr(0, c.problem.size()), c.problem) << c.path;
    EXPECT_EQ(gp.LoadProblem().empty(), c.problem.empty()) << gp.LoadProblem();
    gp.Unload();
    EXPECT_EQ(gp.Status(), TWZRXGDIPlus::kNotLoaded);
    EXPECT_EQ(gp.Module(), nullptr);
    EXPECT_EQ(gp.GdipCreatePath, nullptr);
  }
}

// Ninety slots, the texture transform twice; every one is bound, and a provider lacking any
// of them, even one that no drawing calls, is not used.
TEST(GdiplusBinding, EverySlotIsBoundAndAnyAbsenceDisablesTheBinding) {
  const std::vector<std::string> slots = SlotFunctions();
  ASSERT_EQ(slots.size(), 90u);
  EXPECT_EQ(slots.front(), "GdiplusStartup");
  EXPECT_EQ(slots.back(), "GdipInvertMatrix");
  EXPECT_EQ(std::count(slots.begin(), slots.end(), "GdipSetTextureTransform"), 2);
  TWZRXGDIPlus full;
  ASSERT_EQ(full.Load(Wide(ProviderPath()), false), TWZRXGDIPlus::kReady);
  EXPECT_TRUE(full.MissingEntryPoints().empty());
  int bound = 0;
#define VELMORA_TEST_BOUND(member, function) bound += full.member != nullptr;
  VELMORA_GDIPLUS_SLOTS(VELMORA_TEST_BOUND)
#undef VELMORA_TEST_BOUND
  EXPECT_EQ(bound, 90);
  EXPECT_EQ(full.GdipSetTextureTransformAgain, full.GdipSetTextureTransform);

  // The fixture exports what every drawing needs, and lacks names that none calls (among
  // them the matrix inversion and the metafile recording to a file).
  TWZRXGDIPlus partial;
  ASSERT_EQ(partial.Load(Wide(RequiredOnlyProviderPath()), false), TWZRXGDIPlus::kEntryPointMissing);
  const std::vector<std::string> exported =
      ExportedNames(testsupport::SourceDir() + "/tests/pdf/render/canvas/fixtures/required_only.map");
  std::vector<std::string> lacking;
  for (const std::string& name : slots)
    if (std::find(exported.begin(), exported.end(), name) == exported.end() &&
        std::find(lacking.begin(), lacking.end(), name) == lacking.end())
      lacking.push_back(name);
  for (const char* extra : {"GdipDeleteMatrix", "GdipSetWorldTransform", "GdipResetWorldTransform", "GdipGetPathPoints",
                            "GdipGetPathTypes"}) lacking.push_back(extra);
  EXPECT_EQ(partial.MissingEntryPoints(), lacking);
  EXPECT_NE(std::find(lacking.begin(), lacking.end(), "GdipInvertMatrix"), lacking.end());
  EXPECT_NE(partial.GdipCreateFromHDC, nullptr);

  // The broken provider lacks GdipCreateFromHDC, which every drawing needs.
  TWZRXGDIPlus broken;
  ASSERT_EQ(broken.Load(Wide(BrokenProviderPath()), false), TWZRXGDIPlus::kEntryPointMissing);
  const auto& missing = broken.MissingEntryPoints();
  EXPECT_NE(std::find(missing.begin(), missing.end(), "GdipCreateFromHDC"), missing.end());
  EXPECT_NE(broken.GdiplusStartup, nullptr);
}

TEST(GdiplusBinding, ReuseLoadedBorrowsAMappedProviderOnly) {
  TWZRXGDIPlus notMapped;
  // A provider that no one has mapped is loaded normally.
  EXPECT_EQ(notMapped.Load(Wide(RequiredOnlyProviderPath()), true), TWZRXGDIPlus::kEntryPointMissing);
  EXPECT_NE(notMapped.Module(), nullptr);
  TWZRXGDIPlus owner;
  ASSERT_EQ(owner.Load(Wide(ProviderPath()), false), TWZRXGDIPlus::kReady);
  EXPECT_FALSE(owner.Borrowed());
  TWZRXGDIPlus borrower;
  ASSERT_EQ(borrower.Load(Wide(ProviderPath()), true), TWZRXGDIPlus::kReady);
  EXPECT_TRUE(borrower.Borrowed());
  EXPECT_EQ(borrower.Module(), owner.Module());
  borrower.Unload();
  EXPECT_FALSE(borrower.Borrowed());
  // The owner's module is untouched.
  EXPECT_NE(dlsym(owner.Module(), "GdipCreatePath"), nullptr);
}

TEST(GdiplusBinding, EncodersByMimeTypeNeedAStartedProvider) {
  TWZRXGDIPlus gp;
  ASSERT_EQ(gp.Load(Wide(ProviderPath()), false), TWZRXGDIPlus::kReady);
  gdiplus::ULONG_PTR token = 0;
  const gdiplus::GdiplusStartupInput input{1, nullptr, 0, 0};
  ASSERT_EQ(gp.GdiplusStartup(&token, &input, nullptr), gdiplus::Ok);
  struct Case {
    const char16_t* mime;
    bool found;
    gdiplus::CLSID clsid;
  };
  const Case cases[] = {
      {u"image/bmp", true, gdiplus::EncoderClsidBMP},  {u"image/png", true, gdiplus::EncoderClsidPNG},
      {u"image/tiff", true, gdiplus::EncoderClsidTIFF}, {u"image/PNG", false, {}},
      {u"image/png ", false, {}},                       {u"image/x-unknown", false, {}},
      {u"", false, {}},
  };
  for (const Case& c : cases) {
    gdiplus::CLSID clsid{};
    EXPECT_EQ(gp.GetEncoderClsid(c.mime, clsid), c.found) << WideToUtf8(c.mime);
    if (c.found) { EXPECT_TRUE(clsid == c.clsid) << WideToUtf8(c.mime); }
  }
  gdiplus::CLSID clsid{};
  EXPECT_FALSE(TWZRXGDIPlus::GetEncoderClsid(nullptr, u"image/png", clsid));
  EXPECT_TRUE(TWZRXGDIPlus::GetEncoderClsid(&gp, u"image/png", clsid));
  gp.GdiplusShutdown(token);
}

TEST(GdiplusBinding, SelectFrameAnswersOneOutsideTheFrames) {
  auto bitmap = WhiteBitmap(4, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  TWZRXGDIPlus& gp = *canvas->GDIPlus();
  // A one-frame image straight from the flat API.
  std::vector<uint8_t> scan(3 * 4 * 2, 0x80);
  auto create = reinterpret_cast<decltype(&gdiplus::GdipCreateBitmapFromScan0)>(
      dlsym(gp.Module(), "GdipCreateBitmapFromScan0"));
  ASSERT_NE(create, nullptr);
  gdiplus::GpBitmap* bmp = nullptr;
  ASSERT_EQ(create(3, 2, 12, gdiplus::PixelFormat32bppRGB, scan.data(), &bmp), gdiplus::Ok);
  gdiplus::GpImage* image = reinterpret_cast<gdiplus::GpImage*>(bmp);
  EXPECT_EQ(gp.SelectFrame(image, 0), 1);
  EXPECT_EQ(gp.SelectFrame(image, 2), 1);
  EXPECT_EQ(gp.SelectFrame(image, -5), 1);
  EXPECT_EQ(gp.SelectFrame(image, 1), 0);
  EXPECT_EQ(gp.SelectFrame(nullptr, 1), 1);
  gp.GdipDisposeImage(image);
}

// Set-up: GDI+ with the provider named in the settings, GDI on the same target otherwise.
TEST(DaubrixSetup, ChoosesGdiplusOrFallsBackToGdiOnTheSameTarget) {
  const ProgramFolderLock lock;
  struct Case {
    std::string path;
    uint8_t useGdiplus;
    uint8_t backEnd;
  };
  const Case cases[] = {
      {ProviderPath(), 1, kBackEndGDIPlus},
      {RequiredOnlyProviderPath(), 1, kBackEndGDI},
      {BrokenProviderPath(), 1, kBackEndGDI},
      {testsupport::BinaryDir() + "/no-such-provider.so", 1, kBackEndGDI},
  };
  for (const Case& c : cases) {
    auto bitmap = WhiteBitmap(8, 8);
    TPDFDaubrix canvas;
    EXPECT_EQ(canvas.BackEnd(), kBackEndNone);
    canvas.Setup(&bitmap->Canvas(), SettingsFor(c.path));
    EXPECT_EQ(canvas.BackEnd(), c.backEnd) << c.path;
    EXPECT_EQ(canvas.Target(), &bitmap->Canvas());
    EXPECT_EQ(canvas.GDIPlus() != nullptr, c.backEnd == kBackEndGDIPlus);
    EXPECT_EQ(canvas.Graphics() != nullptr, c.backEnd == kBackEndGDIPlus);
    // Either way the canvas draws.
    canvas.SetFillColor(RGB(255, 0, 0));
    canvas.NewPath();
    canvas.MoveTo(2, 2);
    canvas.LineTo(6, 2);
    canvas.LineTo(6, 6);
    canvas.LineTo(2, 6);
    canvas.ClosePath();
    canvas.Fill();
    EXPECT_EQ(Pixel(*bitmap, 3, 3), 0xFF0000u) << c.path;
    EXPECT_EQ(Pixel(*bitmap, 7, 7), 0xFFFFFFu) << c.path;
  }
}

TEST(DaubrixSetup, StartsGdiplusWhenItLoadedItAndShutsItDownWithTheCanvas) {
  auto bitmap = WhiteBitmap(4, 4);
  TWZRXGDIPlus probe;
  ASSERT_EQ(probe.Load(Wide(CopyProviderPath()), false), TWZRXGDIPlus::kReady);
  gdiplus::CLSID clsid{};
  ASSERT_FALSE(probe.GetEncoderClsid(u"image/bmp", clsid)) << "the fixture provider is already started";
  {
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), SettingsFor(CopyProviderPath()));
    ASSERT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    EXPECT_TRUE(canvas.StartedHere());
    EXPECT_TRUE(probe.GetEncoderClsid(u"image/bmp", clsid));
    EXPECT_TRUE(canvas.BMPEncoder == gdiplus::EncoderClsidBMP);
    EXPECT_TRUE(canvas.PNGEncoder == gdiplus::EncoderClsidPNG);
  }
  // The canvas's start-up is undone with it.
  EXPECT_FALSE(probe.GetEncoderClsid(u"image/bmp", clsid));

  // Policy 0 does not start GDI+ itself unless nobody has: the encoder probe decides.
  {
    TGDIPlusSettings s = SettingsFor(CopyProviderPath());
    s.StartupPolicy = 0;
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), s);
    EXPECT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    EXPECT_TRUE(canvas.StartedHere());
  }
  gdiplus::ULONG_PTR token = 0;
  const gdiplus::GdiplusStartupInput input{1, nullptr, 0, 0};
  ASSERT_EQ(probe.GdiplusStartup(&token, &input, nullptr), gdiplus::Ok);
  for (uint8_t policy : {0, 1}) {
    TGDIPlusSettings s = SettingsFor(CopyProviderPath());
    s.StartupPolicy = policy;
    s.ReuseLoadedGDIPlus = 1;  // found mapped by the probe: borrowed
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), s);
    EXPECT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    EXPECT_FALSE(canvas.StartedHere()) << int(policy);
  }
  {
    TGDIPlusSettings s = SettingsFor(CopyProviderPath());
    s.StartupPolicy = 2;
    s.ReuseLoadedGDIPlus = 1;
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), s);
    EXPECT_TRUE(canvas.StartedHere());
  }
  // Our own start-up still holds after the canvases shut theirs down.
  EXPECT_TRUE(probe.GetEncoderClsid(u"image/bmp", clsid));
  probe.GdiplusShutdown(token);
}

TEST(DaubrixSetup, MissingProviderIsRetriedInTheProgramFolder) {
  const ProgramFolderLock lock;
  const std::string beside = ProgramFolder() + "libvelmora-gdiplus.so";
  std::remove(beside.c_str());
  auto bitmap = WhiteBitmap(4, 4);
  const std::string missing = testsupport::BinaryDir() + "/no-such-provider.so";
  {
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), SettingsFor(missing));
    EXPECT_EQ(canvas.BackEnd(), kBackEndGDI);
  }
  ASSERT_EQ(testsupport::Run("cp '" + ProviderPath() + "' '" + beside + "'"), 0);
  {
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), SettingsFor(missing));
    EXPECT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    // An empty path means the default name, which the program folder also holds.
    TGDIPlusSettings s = SettingsFor("");
    TPDFDaubrix second;
    second.Setup(&bitmap->Canvas(), s);
    EXPECT_EQ(second.BackEnd(), kBackEndGDIPlus);
  }
  std::remove(beside.c_str());
}

TEST(DaubrixSetup, MetafileRecordingThatTheProviderCannotDoIsReportedNotCrashed) {
  TMemoryStream emf;
  TPDFDaubrix canvas;
  canvas.SetMetafileStream(0, 50, &emf);  // the provider records no picture without a width
  canvas.Setup(nullptr, SettingsFor(ProviderPath()));
  EXPECT_EQ(canvas.BackEnd(), kBackEndGDI);
  EXPECT_NE(canvas.LastError().find("metafile"), std::string::npos) << canvas.LastError();
  // Drawing on the idle fall-back does nothing and does not fail.
  canvas.NewPath();
  canvas.MoveTo(1, 1);
  canvas.LineTo(5, 5);
  canvas.Stroke();
  EXPECT_EQ(emf.Size(), 0);
}

// A canvas that started GDI+ and then falls back to GDI (here: the provider records no picture
// without a width) shuts its start-up down before the binding goes.
TEST(DaubrixSetup, AFallBackShutsDownTheGdiplusItStarted) {
  TWZRXGDIPlus probe;
  ASSERT_EQ(probe.Load(Wide(CopyProviderPath()), false), TWZRXGDIPlus::kReady);
  gdiplus::CLSID clsid{};
  ASSERT_FALSE(probe.GetEncoderClsid(u"image/bmp", clsid)) << "the fixture provider is already started";
  TMemoryStream emf;
  TPDFDaubrix canvas;
  canvas.SetMetafileStream(0, 50, &emf);
  canvas.Setup(nullptr, SettingsFor(CopyProviderPath()));
  ASSERT_EQ(canvas.BackEnd(), kBackEndGDI);
  EXPECT_FALSE(probe.GetEncoderClsid(u"image/bmp", clsid)) << "GDI+ left started under the fall-back";
}

TEST(DaubrixSetup, MetafileRecordingReachesTheStreamWhenTheCanvasGoes) {
  TMemoryStream emf;
  {
    TPDFDaubrix canvas;
    canvas.SetMetafileStream(100, 50, &emf);
    canvas.Setup(nullptr, SettingsFor(ProviderPath()));
    EXPECT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    canvas.NewPath();
    canvas.MoveTo(1, 1);
    canvas.LineTo(5, 5);
    canvas.Stroke();
    EXPECT_EQ(emf.Size(), 0);
  }
  emf.SetPosition(0);
  const std::string bytes = emf.ReadToEnd();
  ASSERT_GT(bytes.size(), 108u);
  EXPECT_EQ(bytes.substr(40, 4), " EMF");
}

TEST(DaubrixSetup, DeviceContextOutputFallsBackToGdiOnThatDeviceContext) {
  auto bitmap = WhiteBitmap(10, 10);
  HDC dc = bitmap->Canvas().Handle();
  for (const std::string& path : {ProviderPath(), BrokenProviderPath()}) {
    bitmap->Dib().Fill(RGB(255, 255, 255));
    TPDFDaubrix canvas;
    canvas.SetTargetDC(10, 10, dc);
    canvas.Setup(nullptr, SettingsFor(path));
    EXPECT_EQ(canvas.BackEnd(), path == ProviderPath() ? kBackEndGDIPlus : kBackEndGDI);
    canvas.SetFillColor(RGB(0, 0, 255));
    canvas.NewPath();
    canvas.MoveTo(0, 0);
    canvas.LineTo(5, 0);
    canvas.LineTo(5, 5);
    canvas.LineTo(0, 5);
    canvas.ClosePath();
    canvas.Fill();
    EXPECT_EQ(Pixel(*bitmap, 2, 2), 0x0000FFu) << path;
  }
}
