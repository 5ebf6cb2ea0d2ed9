#include "tests/skin/skin_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/standard_classes.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_manage.h"
#include "skin/skin_manager_link.h"
#include "tests/skin/flat_skin.h"
#include "tests/support/test_support.h"
#include "tests/support/top_windows.h"

namespace skintest {

using testsupport::ReadFile;
using testsupport::Run;
using testsupport::SourceDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Packer() { return std::string(kPython) + " " + SourceDir() + "/tools/skin/pack_skin.py"; }

void MustRun(const std::string& command) {
  std::string out;
  int status = Run(command + " 2>&1", &out);
  if (status != 0) throw std::runtime_error(command + " failed: " + out);
}

// The shipped skin's sources, generated once per test program.
const std::vector<std::string>& SharedSources(std::string& dir) {
  static TempDir folder;
  static std::vector<std::string> files = MakeSkinSources(folder.path());
  dir = folder.path();
  return files;
}

}  // namespace

void SkinFixture::SetUp() {
  RecreateApplication();
  screen = UseHeadlessDisplay();
  ASSERT_NE(screen, nullptr) << "windows of an earlier test are still open";
  Application->SetTitle("Velmora");
  RegisterStandardClasses();
  RegisterSkinClasses();
}

void SkinFixture::TearDown() {
  FreeSkinManager();
  SetSkinManagerFactory(nullptr);
  RecreateApplication();
  testsupport::DestroyTopWindows();
}

SkinDataPtr LoadedSkinData(const std::string& packed) {
  SkinDataPtr sd(CreateComponent<TSkinData>(nullptr));
  sd->PackedSkin().WriteString(packed);
  sd->LoadSkin();
  return sd;
}

TColor PixelOf(const TBitmap& b, int x, int y) { return static_cast<TColor>(b.Dib().GetColor(x, y) & 0xFFFFFF); }

uint32_t U32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | (uint32_t(uint8_t(s[at + 1])) << 8) | (uint32_t(uint8_t(s[at + 2])) << 16) |
         (uint32_t(uint8_t(s[at + 3])) << 24);
}

std::string LE32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string PackEntries(const Entries& entries, uint32_t version) {
  TempDir dir;
  std::string files;
  for (size_t i = 0; i < entries.size(); ++i) {
    // One folder per entry keeps equal names apart.
    std::string sub = dir.File(std::to_string(i));
    std::filesystem::create_directories(sub);
    std::string path = sub + "/" + entries[i].first;
    WriteFile(path, entries[i].second);
    files += " '" + path + "'";
  }
  MustRun(Packer() + " pack " + dir.File("out.skin") + files + " --version " + std::to_string(version));
  return ReadFile(dir.File("out.skin"));
}

std::string PackRaw(const std::string& bytes, std::optional<uint32_t> statedSize) {
  TempDir dir;
  WriteFile(dir.File("in.bin"), bytes);
  std::string cmd = Packer() + " compress " + dir.File("in.bin") + " " + dir.File("out.bin");
  if (statedSize) cmd += " --size " + std::to_string(*statedSize);
  MustRun(cmd);
  return ReadFile(dir.File("out.bin"));
}

std::string RawArchive(uint32_t version, const std::string& names, const std::vector<uint32_t>& sizes,
                       const std::string& data, std::optional<uint32_t> nameListSize) {
  std::string a = LE32(version) + LE32(nameListSize.value_or(static_cast<uint32_t>(names.size()))) + LE32(0) + LE32(0);
  size_t block = version == 30000 ? 256 : version == 40000 ? 80 : version == 50000 ? 48 : 0;
  a += std::string(block, '\0');
  a += names;
  for (uint32_t s : sizes) a += LE32(s);
  return a + data;
}

std::vector<std::string> MakeSkinSources(const std::string& dir) {
  std::string out;
  std::string cmd = std::string(kPython) + " " + SourceDir() + "/tools/skin/make_skin.py --skin " + dir;
  if (Run(cmd + " 2>&1", &out) != 0) throw std::runtime_error("make_skin.py failed: " + out);
  // The generator prints the entry files in pack order.
  std::vector<std::string> files;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) files.push_back(line);
  return files;
}

std::string ShippedSkin() { return ReadFile(SourceDir() + "/resources/skin/velmora.skin"); }

std::string ShippedIni() {
  std::string dir;
  const auto& files = SharedSources(dir);
  for (const std::string& f : files)
    if (f.size() > 4 && f.substr(f.size() - 4) == ".ini") return ReadFile(f);
  return {};
}

std::string ShippedSkinWithIni(const std::string& ini) {
  std::string dir;
  const auto& files = SharedSources(dir);
  Entries entries;
  for (const std::string& f : files) {
    std::string name = std::filesystem::path(f).filename().string();
    bool isIni = name.size() > 4 && name.substr(name.size() - 4) == ".ini";
    entries.emplace_back(name, isIni ? ini : ReadFile(f));
  }
  return PackEntries(entries);
}

void SkinnedFormFixture::SetUp() {
  REQUIRE_PACKER();
  SkinFixture::SetUp();
  UseSkinManage();
  sd = LoadedSkinData(flatskin::FlatSkin());
  ASSERT_TRUE(sd->Ready());
}

void SkinnedFormFixture::TearDown() {
  if (form) form->Free();
  form = nullptr;
  sd.reset();
  SkinFixture::TearDown();
}

void SkinnedFormFixture::SwitchSkinOn() {
  sd->SetActive(true);
  sd->Loaded();
}

void SkinnedFormFixture::ShowForm(const char* description, const std::function<void(TForm*)>& fill) {
  SwitchSkinOn();
  form = new TForm(Application);
  form->SetDescription(description);
  form->AfterConstruction();
  if (fill) fill(form);
  form->Show();
  Pump();
}

void SkinnedFormFixture::Pump() {
  for (int i = 0; i < 6; ++i) Application->ProcessMessages();
}

TWinSkinForm* SkinnedFormFixture::Wrapper() { return form ? SkinManage()->FindForm(form->Handle()) : nullptr; }

TColor SkinnedFormFixture::ScreenColor(int x, int y) const {
  const uint32_t p = screen->ScreenPixel(x, y);
  return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
}

}  // namespace skintest
