// The program's own skin: the committed packed skin and bitmap resources are what the skin
// generator makes today, and every entry decodes to the generator's file byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/forms/form_text.h"
#include "platform/rtl/resources.h"
#include "skin/skin_reader.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skintest;
using testsupport::ReadFile;
using testsupport::SourceDir;

std::string Resource(const char* name) {
  auto data = FindResourceData(name);
  return std::string(reinterpret_cast<const char*>(data.data()), data.size());
}

TEST(ShippedSkinFiles, TheCommittedFilesAreWhatTheGeneratorMakes) {
  REQUIRE_PACKER();
  testsupport::TempDir dir;
  std::string out;
  ASSERT_EQ(testsupport::Run(std::string(kPython) + " " + SourceDir() + "/tools/skin/make_skin.py --pack " +
                                 dir.File("velmora.skin") + " --resources " + dir.path() + " 2>&1",
                             &out),
            0)
      << out;
  EXPECT_EQ(ReadFile(dir.File("velmora.skin")), ShippedSkin());
  // The main window's description, written again, comes out as committed.
  const std::string form = ReadFile(SourceDir() + "/resources/forms/tarnwick1.dfm");
  testsupport::WriteFile(dir.File("form.dfm"), form);
  ASSERT_EQ(testsupport::Run(std::string(kPython) + " " + SourceDir() + "/tools/skin/make_skin.py --form " +
                             dir.File("form.dfm")),
            0);
  EXPECT_EQ(ReadFile(dir.File("form.dfm")), form);
  for (const char* f : {"track.bmp", "trackvert.bmp", "lumbrelmenu.bmp"})
    EXPECT_EQ(ReadFile(dir.File(f)), ReadFile(SourceDir() + "/resources/skin/" + f)) << f;
  // And they are compiled into the program.
  EXPECT_EQ(Resource("VelmoraSkin"), ShippedSkin());
  EXPECT_EQ(Resource("TRACK"), ReadFile(SourceDir() + "/resources/skin/track.bmp"));
  EXPECT_EQ(Resource("LUMBRELMENU"), ReadFile(SourceDir() + "/resources/skin/lumbrelmenu.bmp"));
}

TEST(ShippedSkinFiles, EveryEntryDecodesToTheGeneratorsFile) {
  REQUIRE_PACKER();
  testsupport::TempDir dir;
  const std::vector<std::string> files = MakeSkinSources(dir.path());
  ASSERT_GT(files.size(), 30u);
  TSkinReader reader;
  reader.OnMessage = [](const std::string& m) { ADD_FAILURE() << m; };
  TMemoryStream packed(ShippedSkin());
  ASSERT_TRUE(reader.LoadFromStream(packed));
  EXPECT_EQ(reader.Header.Version, 50000u);
  ASSERT_EQ(reader.Count, static_cast<int>(files.size()));
  uint64_t total = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = std::filesystem::path(files[i]).filename().string();
    EXPECT_EQ(reader.Names.Get(static_cast<int>(i)), name);
    TMemoryStream entry;
    reader.GetFile(name, entry);
    const std::string expected = ReadFile(files[i]);
    EXPECT_EQ(entry.DataString(), expected) << name;
    total += expected.size();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") EXPECT_EQ(expected.substr(0, 2), "BM") << name;
  }
  // The archive is the header, the 48-byte block, the names, the size table and the data.
  uint64_t names = 0;
  for (const std::string& f : files) names += std::filesystem::path(f).filename().string().size() + 2;
  EXPECT_EQ(reader.Header.NameListSize, names);
  EXPECT_EQ(static_cast<uint64_t>(reader.Data.Size()), total);
  std::string found;
  TMemoryStream ini;
  reader.FindFile(".ini", ini, found);
  EXPECT_EQ(found, "velmora.ini");
}

using ShippedSkinForm = SkinFixture;

TEST_F(ShippedSkinForm, TheMainWindowCarriesTheSkinAndFourStoredSkins) {
  // The skin component and the store of the main window's description hold the same packed skin.
  auto bytes = FindResourceData("TForm1");
  TFormObject form = ParseFormDescription(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const std::string packed = Resource("VelmoraSkin");
  int found = 0;
  for (const TFormObject& c : form.children) {
    if (c.className == "TSkinData") {
      EXPECT_EQ(c.name, "SkinData1");
      for (const TFormProperty& p : c.props)
        if (p.name == "SkinStream") EXPECT_EQ(p.value.text, LE32(static_cast<uint32_t>(packed.size())) + packed);
      ++found;
    }
    if (c.className == "TSkinStore") {
      EXPECT_EQ(c.name, "SkinStore1");
      // One design in four colour schemes, the program's own first.
      const auto& items = c.props.at(0).value.collection;
      ASSERT_EQ(items.size(), 4u);
      std::vector<std::string> names;
      std::vector<TColor> accents;
      for (size_t i = 0; i < items.size(); ++i) {
        std::string data, name;
        for (const TFormProperty& p : items[i].props) {
          if (p.name == "DataStream") data = p.value.text;
          if (p.name == "Name") name = p.value.text;
        }
        if (i == 0) EXPECT_EQ(data, packed);
        SkinDataPtr sd = LoadedSkinData(data);
        ASSERT_TRUE(sd->Ready()) << name;
        EXPECT_EQ(sd->SkinName, name);
        names.push_back(name);
        accents.push_back(sd->Colors.Hilight);
        // The same geometry in every scheme: caption, borders with two frames and cut corners,
        // caption buttons in four states.
        EXPECT_EQ(sd->Top->Bitmap.Height() / sd->Top->Frame, 28) << name;
        EXPECT_EQ(sd->Left->Frame, 2) << name;
        EXPECT_EQ(sd->Left->Trans, 1) << name;
        EXPECT_EQ(PixelOf(sd->Left->Bitmap, 0, 0), Rgb(255, 0, 255)) << name;
        EXPECT_FALSE(sd->Buttons->CheckBitmap.Empty()) << name;
        EXPECT_FALSE(sd->Buttons->RadioBitmap.Empty()) << name;
        EXPECT_NE(sd->Progress, nullptr) << name;
        EXPECT_NE(sd->MenuItem, nullptr) << name;
        EXPECT_NE(sd->MenuBackground, nullptr) << name;
        int withFourFrames = 0;
        for (const auto& b : sd->SysButtons)
          if (b->Align == 1 && !b->Bitmap.Empty() && b->Frame == 4) ++withFourFrames;
        EXPECT_EQ(withFourFrames, 4) << name;
      }
      EXPECT_EQ(names, (std::vector<std::string>{"Velmora", "Velmora Sage", "Velmora Plum", "Velmora Amber"}));
      for (size_t i = 0; i < accents.size(); ++i)
        for (size_t j = i + 1; j < accents.size(); ++j) EXPECT_NE(accents[i], accents[j]);
      ++found;
    }
  }
  EXPECT_EQ(found, 2);
}

}  // namespace
