// Helpers of the skin tests: packed skins written by the skin packer (an independent Python
// program), archives built byte by byte, and the shipped skin's sources.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <memory>

#include "platform/forms/classes.h"
#include "platform/display/headless_display.h"
#include "skin/skin_data.h"
#include "tests/support/test_support.h"

class TForm;
class TWinSkinForm;

// The packer and the skin generator run on Debian's Python.
#define REQUIRE_PACKER() REQUIRE_TOOL("/usr/bin/python3")

namespace skintest {

inline const char* const kPython = "/usr/bin/python3";

// Entries as the packer takes them: file name and bytes.
using Entries = std::vector<std::pair<std::string, std::string>>;

// A packed skin of the entries, written by tools/skin/pack_skin.py.
std::string PackEntries(const Entries& entries, uint32_t version = 50000);
// LZHUF-packs any bytes with the packer, stating `statedSize` (default: the real size).
std::string PackRaw(const std::string& bytes, std::optional<uint32_t> statedSize = std::nullopt);
// An archive laid out by hand: header, version block, names as given, sizes as given, data.
std::string RawArchive(uint32_t version, const std::string& names, const std::vector<uint32_t>& sizes,
                       const std::string& data, std::optional<uint32_t> nameListSize = std::nullopt);
// Generates the shipped skin's sources (tools/skin/make_skin.py) into `dir`; returns the
// entry files in pack order.
std::vector<std::string> MakeSkinSources(const std::string& dir);
// The shipped packed skin (resources/skin/velmora.skin).
std::string ShippedSkin();
// A packed skin made of the shipped skin's sources with the INI replaced.
std::string ShippedSkinWithIni(const std::string& ini);
std::string ShippedIni();

// A fresh application on a headless display, the skin classes registered; the skin manager and
// its factory are cleared afterwards.
class SkinFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  display::HeadlessDisplay* screen = nullptr;
};

using SkinDataPtr = TComponentPtr<TSkinData>;
// A component (owned by nobody) that has read the packed skin; Ready() tells whether it could.
SkinDataPtr LoadedSkinData(const std::string& packed);

// 0x00BBGGRR of red, green and blue.
constexpr TColor Rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
// The colour of a bitmap's pixel (0x00BBGGRR).
TColor PixelOf(const TBitmap& b, int x, int y);

uint32_t U32(const std::string& s, size_t at);
std::string LE32(uint32_t v);

// A form read from its description on the headless screen, wearing the skin component `sd`
// (the skin manager in use; the flat test skin unless the test loads another).
class SkinnedFormFixture : public SkinFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Switches the skin component on, as the form's loading does.
  void SwitchSkinOn();
  // Switches the skin on and shows the form (its controls filled by `fill` first).
  void ShowForm(const char* description, const std::function<void(TForm*)>& fill = {});
  void Pump();
  TWinSkinForm* Wrapper();
  // The colour of a screen pixel (0x00BBGGRR).
  TColor ScreenColor(int x, int y) const;

  SkinDataPtr sd;
  TForm* form = nullptr;
};

}  // namespace skintest
