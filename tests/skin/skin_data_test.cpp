// The skin component: streamed from a form description with its packed skin as binary data,
// its published properties and defaults, the start of the engine through the skin manager
// (a recording stand-in here), switching, skin files, the window veto; and the skin store.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <fstream>

#include "platform/forms/application.h"
#include "platform/forms/filer.h"
#include "platform/forms/message_dialog.h"
#include "platform/rtl/numbers.h"
#include "platform/user/input.h"
#include "skin/skin_manager_link.h"
#include "skin/skin_reader.h"
#include "skin/skin_store.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skintest;

// Records what the component asks of the manager.
class RecordingManager : public TSkinManagerLink {
 public:
  static inline std::vector<std::string>* log = nullptr;
  static inline bool started = false;
  static std::unique_ptr<TSkinManagerLink> Make() { return std::make_unique<RecordingManager>(); }
  void Log(const std::string& s) {
    if (log) log->push_back(s);
  }
  void AddSkinData(TSkinData* sd) override { Log("add " + sd->Name()); }
  void RemoveSkinData(TSkinData* sd) override { Log("remove " + sd->Name()); }
  void InstallHook() override { Log("hook"); }
  void SwitchSkin(int mode, int interval) override {
    Log("switch " + std::to_string(mode) + " " + std::to_string(interval));
  }
  bool SkinWindow(HWND) override {
    Log("skin window");
    return true;
  }
  void SetPendingSkinData(TSkinData* sd) override { Log("pending " + sd->Name()); }
  void SetEnabled(bool e) override { Log(e ? "enabled" : "disabled"); }
  void MarkStarted() override {
    started = true;
    Log("started");
  }
  bool Started() const override { return started; }
  void ReloadSkinData(TSkinData* sd) override { Log("reload " + sd->Name()); }
};

// A root component that holds a skin component and a skin store, as the main window does.
class TSkinRoot : public TComponent {
 public:
  using TComponent::TComponent;
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info = TClassBuilder<TSkinRoot>("TSkinRoot", &TComponent::StaticClassInfo())
                                       .Field("SkinData1", &TSkinRoot::SkinData1)
                                       .Field("SkinStore1", &TSkinRoot::SkinStore1)
                                       .Method("SkinData1FormSkin", &TSkinRoot::SkinData1FormSkin)
                                       .Build();
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void SkinData1FormSkin(TObject*, const std::string& name, bool& doSkin) { doSkin = name == "SysMonthCal32"; }
  // Written inside it as a data module writes its components.
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
  TSkinData* SkinData1 = nullptr;
  TSkinStore* SkinStore1 = nullptr;
};

std::string Hex(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) out += IntToHex(c, 2);
  return out;
}

// The component as the main window describes it.
std::string Description(const std::string& packed, const std::string& extra = "") {
  return "object Root1: TSkinRoot\n"
         "  object SkinData1: TSkinData\n"
         "    Active = True\n"
         "    DisableTag = 99\n"
         "    SkinControls = [xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcControlbar, xcCombo, xcCheckBox,\n"
         "      xcRadioButton, xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, xcSpeedButton, xcSpin, xcPanel,\n"
         "      xcGroupBox, xcStatusBar, xcTab, xcTrackBar, xcSystemMenu]\n"
         "    Options = [xoMDIScrollbar, xoMenuMerge, xoTransparent, xoPreview, xoParentBackGround, xoNoFocusRect,\n"
         "      xoToolbarBK, xoToolbarButton, xoMDIChildBorder, xoMenuBG, xoFormScrollbar]\n"
         "    SkinStore = '(Good)'\n"
         "    SkinFormtype = sfMainform\n"
         "    Version = '1.0'\n"
         "    MenuUpdate = True\n"
         "    MenuMerge = True\n" +
         extra + "    SkinStream = {" + Hex(LE32(static_cast<uint32_t>(packed.size())) + packed) + "}\n" +
         "  end\n"
         "end\n";
}

class SkinComponent : public SkinFixture {
 protected:
  void SetUp() override {
    SkinFixture::SetUp();
    RegisterClass(TSkinRoot::StaticClassInfo());
    RecordingManager::log = &log;
    RecordingManager::started = false;
    SetSkinManagerFactory(&RecordingManager::Make);
    Application->SetNonInteractive(false);
    // Message boxes are answered at once and remembered.
    Application->OnModalBegin = [this](TObject* form) {
      if (auto* m = dynamic_cast<TMessageForm*>(form)) messages.push_back(m->Message());
      screen->TypeKey(VK_RETURN, U'\r');
    };
  }
  void TearDown() override {
    root.reset();
    RecordingManager::log = nullptr;
    SkinFixture::TearDown();
  }
  TSkinRoot* Read(const std::string& text) {
    root.reset(new TSkinRoot(nullptr));
    ReadComponentFromText(root.get(), text);
    return root.get();
  }
  std::vector<std::string> log, messages;
  TComponentPtr<TSkinRoot> root;
};

TEST_F(SkinComponent, DefaultsWhenCreated) {
  SkinDataPtr sd(CreateComponent<TSkinData>(nullptr));
  EXPECT_FALSE(sd->Active());
  EXPECT_EQ(sd->DisableTag(), 99);
  EXPECT_EQ(sd->SkinControls(), (SkinBit(xcSystemMenu + 1) - 1) & ~SkinBit(xcMenuItem));
  EXPECT_FALSE(InSkinControls(sd->SkinControls(), xcFastReport));
  EXPECT_EQ(sd->Options(), SkinBit(xoPreview) | SkinBit(xoToolbarBK));
  EXPECT_EQ(sd->SkinFormtype(), sfMainform);
  EXPECT_TRUE(sd->MenuUpdate());
  EXPECT_FALSE(sd->MenuMerge());
  EXPECT_EQ(sd->Version(), "4.83.05.18");
  EXPECT_EQ(sd->SkinStore(), "(none)");
  EXPECT_FALSE(sd->Ready());
  ASSERT_EQ(sd->Skin3rd()->Count(), 117);
  EXPECT_EQ(sd->Skin3rd()->Get(0), "TCategoryButtons=scrollbar");
  EXPECT_EQ(sd->Skin3rd()->Get(116), "TOVCDBNUMERICFIELD=Edit");
  EXPECT_EQ(sd->Skin3rd()->Values("TRzGroup"), "panel");
  EXPECT_NE(sd->Top, nullptr);
  EXPECT_NE(sd->Buttons, nullptr);
  EXPECT_EQ(sd->MaxWidth, 1280);
  EXPECT_EQ(sd->MenuGlyphs->Count(), 4);
}

TEST_F(SkinComponent, StreamedInLoadsTheSkinAndStartsTheEngine) {
  REQUIRE_PACKER();
  TSkinRoot* r = Read(Description(skintest::ShippedSkin()));
  TSkinData* sd = r->SkinData1;
  ASSERT_NE(sd, nullptr);
  EXPECT_TRUE(sd->Ready());
  EXPECT_EQ(sd->SkinName, "Velmora");
  EXPECT_TRUE(sd->Active());
  EXPECT_TRUE(sd->MenuMerge());
  EXPECT_EQ(sd->Version(), "4.83.05.18");
  EXPECT_EQ(sd->SkinStore(), "(none)");  // at run time always
  EXPECT_EQ(sd->PackedSkin().Size(), static_cast<int64_t>(skintest::ShippedSkin().size()));
  // With the main menu skinned, menu items are left to the menu bar.
  EXPECT_FALSE(InSkinControls(sd->SkinControls(), xcMenuItem));
  EXPECT_TRUE(InSkinControls(sd->SkinControls(), xcSystemMenu));
  EXPECT_TRUE(InSkinControls(sd->SkinControls(), xcScrollbar)) << "the window layer tells scroll bars' parts";
  EXPECT_EQ(log, (std::vector<std::string>{"add SkinData1", "hook", "switch 1 250"}));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(SkinManager() != nullptr, true);
  log.clear();
  root.reset();
  EXPECT_EQ(log, std::vector<std::string>{"remove SkinData1"});
}

TEST_F(SkinComponent, WithoutTheMainMenuTheSystemMenuIsLeftOut) {
  REQUIRE_PACKER();
  std::string text = Description(skintest::ShippedSkin());
  text.replace(text.find("xcMainMenu, "), 12, "");
  TSkinData* sd = Read(text)->SkinData1;
  EXPECT_TRUE(InSkinControls(sd->SkinControls(), xcMenuItem));
  EXPECT_FALSE(InSkinControls(sd->SkinControls(), xcSystemMenu));
}

TEST_F(SkinComponent, AnUnknownVersionIsReportedOnceAndSwitchesSkinningOff) {
  REQUIRE_PACKER();
  TSkinData* sd = Read(Description(PackRaw(RawArchive(10000, "a.ini\r\n", {0}, ""))))->SkinData1;
  EXPECT_EQ(messages, std::vector<std::string>{"This is Older Skin File\rPlease update to new version !"});
  EXPECT_FALSE(sd->Ready());
  EXPECT_FALSE(sd->Active());
  EXPECT_EQ(log, (std::vector<std::string>{"add SkinData1", "hook"}));
}

// A BMP file of 16384 x 16384 pixels of 8 bits (256 MB once decoded) in a few bytes of RLE8: the
// image ends at once.
std::string HugeRle8Bitmap() {
  const int side = 16384;
  // The RLE reader wants some data for every 1,024 pixels it is to make.
  const std::string runs(size_t(side) * side / 1024 + 16, '\0');
  std::string bits = runs + std::string("\x00\x01", 2);  // (pairs of 0: ends of lines) end of bitmap
  const uint32_t offset = 14 + 40 + 4 * 256;
  std::string f = "BM" + LE32(uint32_t(offset + bits.size())) + LE32(0) + LE32(offset);
  f += LE32(40) + LE32(side) + LE32(side) + std::string("\x01\x00\x08\x00", 4) + LE32(1) + LE32(uint32_t(bits.size())) +
       LE32(2835) + LE32(2835) + LE32(256) + LE32(0);
  f += std::string(4 * 256, '\0');
  return f + bits;
}

// A skin whose reading fails part of the way (here: memory for a picture runs out) leaves the
// model of the skin read before; the component stays not ready until a later load succeeds.
TEST_F(SkinComponent, ASkinThatFailsWhileItIsReadLeavesThePreviousModel) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "a limit on the address space cannot be set under the address sanitizer";
#else
  REQUIRE_PACKER();
  TSkinData* sd = Read(Description(skintest::ShippedSkin()))->SkinData1;
  ASSERT_TRUE(sd->Ready());
  const std::string name = sd->SkinName;
  const int topHeight = sd->Top->Bitmap.Height();
  ASSERT_GT(topHeight, 0);
  const std::string ini = "[TitlebarSkin]\r\nSkinName=Broken\r\n[Personality]\r\nLeft=big.bmp\r\n";
  const std::string big = HugeRle8Bitmap();
  TSkinReader reader;
  reader.Names.Add("b.ini");
  reader.Names.Add("big.bmp");
  reader.Count = 2;
  reader.Sizes[0] = uint32_t(ini.size());
  reader.Sizes[1] = uint32_t(big.size());
  reader.Data.WriteString(ini + big);
  auto child = [&] {
        // Room for what the process holds now and a little more, not for the picture.
        size_t pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
          if (std::fscanf(f, "%zu", &pages) != 1) pages = 0;
          std::fclose(f);
        }
        const rlim_t room = rlim_t(pages) * 4096 + (rlim_t(96) << 20);
        const rlimit limit{room, room};
        if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
        const bool loaded = sd->LoadSkinFrom(reader);
        std::fprintf(stderr, "loaded %d ready %d name '%s' top %d\n", int(loaded), int(sd->Ready()),
                     sd->SkinName.c_str(), sd->Top->Bitmap.Height());
        std::_Exit(!loaded && !sd->Ready() && sd->SkinName == name && sd->Top->Bitmap.Height() == topHeight ? 0 : 1);
  };
  EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "loaded 0 ready 0");
#endif
}

TEST_F(SkinComponent, EmptySkinStreamLoadsNothingAndWritesBackACountOfZero) {
  std::string text = Description("");
  TSkinData* sd = Read(text)->SkinData1;
  EXPECT_FALSE(sd->Ready());
  EXPECT_FALSE(sd->Active());
  EXPECT_EQ(sd->PackedSkin().Size(), 0);
  TWriter w;
  TFormObject out = w.WriteRootComponent(root.get());
  ASSERT_EQ(out.children.size(), 1u);
  const TFormObject& c = out.children[0];
  std::vector<std::string> names;
  for (const TFormProperty& p : c.props) {
    names.push_back(p.name);
    if (p.name == "SkinStream") {
      EXPECT_EQ(p.value.kind, TFormValue::Kind::Binary);
      EXPECT_EQ(p.value.text, LE32(0));
    }
  }
  // Every published property is written, whatever its value.
  for (const char* n : {"Active", "DisableTag", "SkinControls", "Options", "Skin3rd.Strings", "SkinStore",
                        "SkinFormtype", "Version", "MenuUpdate", "MenuMerge", "SkinStream"})
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
}

TEST_F(SkinComponent, WrittenAndReadBackTheSameSkin) {
  REQUIRE_PACKER();
  Read(Description(skintest::ShippedSkin(), "    OnFormSkin = SkinData1FormSkin\n"));
  root->SkinData1->Skin3rd()->Clear();
  root->SkinData1->Skin3rd()->Add("TMyGrid=scrollbar");
  std::string text = ComponentToText(root.get());
  EXPECT_NE(text.find("Version = '4.83.05.18'"), std::string::npos);
  EXPECT_NE(text.find("'TMyGrid=scrollbar'"), std::string::npos);
  log.clear();
  TSkinData* again = Read(text)->SkinData1;
  EXPECT_TRUE(again->Ready());
  EXPECT_EQ(again->PackedSkin().DataString(), skintest::ShippedSkin());
  EXPECT_EQ(again->Skin3rd()->Text(), "TMyGrid=scrollbar\r\n");
}

TEST_F(SkinComponent, HostileSkinStreams) {
  // A count beyond the data raises the reader's error without making room for it; a negative
  // count leaves the held skin alone.
  std::string text = Description("");
  std::string lying = "SkinStream = {" + Hex(LE32(0x7FFFFFF0u) + "abc") + "}";
  std::string t1 = text;
  t1.replace(t1.find("SkinStream = {00000000}"), 23, lying);
  EXPECT_THROW(Read(t1), EReadError);
  std::string t2 = text;
  t2.replace(t2.find("SkinStream = {00000000}"), 23, "SkinStream = {" + Hex(LE32(0xFFFFFFFFu) + "abc") + "}");
  TSkinData* sd = Read(t2)->SkinData1;
  EXPECT_EQ(sd->PackedSkin().Size(), 0);
  std::string t3 = text;
  t3.replace(t3.find("SkinStream = {00000000}"), 23, "SkinStream = {0100}");
  EXPECT_THROW(Read(t3), EReadError);
}

TEST_F(SkinComponent, DesignTimeShowsWhetherASkinIsHeld) {
  SkinDataPtr sd(CreateComponent<TSkinData>(nullptr));
  sd->SetDesigning(true);
  EXPECT_EQ(sd->SkinStore(), "(none)");
  sd->PackedSkin().WriteString("x");
  EXPECT_EQ(sd->SkinStore(), "(Good)");
  EXPECT_FALSE(sd->LoadSkin());
  sd->SetSkinFile("anything.skn");
  EXPECT_EQ(sd->PackedSkin().Size(), 0);
  sd->SetSkinStore("(Good)");
  sd->SetVersion("9");
  EXPECT_EQ(sd->Version(), "4.83.05.18");
}

TEST_F(SkinComponent, SwitchingThroughTheManager) {
  REQUIRE_PACKER();
  TSkinData* sd = Read(Description(skintest::ShippedSkin()))->SkinData1;
  log.clear();
  sd->SetActive(false);
  sd->SetActive(false);  // no change: nothing
  sd->SetActive(true);
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "switch 2 250", "pending SkinData1", "switch 1 250",
                                           "started"}));
  log.clear();
  sd->SetSkinFormtype(sfOnlyThisForm);
  sd->SetActive(false);
  sd->SetActive(true);
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "switch 2 250", "pending SkinData1", "switch 1 250"}));
  log.clear();
  sd->SetSkinFormtype(sfDialog);
  sd->SetActive(false);
  EXPECT_FALSE(sd->Active());
  EXPECT_TRUE(log.empty());
}

TEST_F(SkinComponent, SkinFilesAreLoadedAndApplied) {
  REQUIRE_PACKER();
  TSkinData* sd = Read(Description(skintest::ShippedSkin()))->SkinData1;
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("other.skin"), PackEntries({{"o.ini", "[TitlebarSkin]\r\nSkinName=Other\r\n"}}));
  log.clear();
  sd->SetSkinFile(dir.File("missing.skin"));
  EXPECT_FALSE(sd->Ready());  // only the name is kept
  EXPECT_EQ(sd->SkinName, "Velmora");
  EXPECT_TRUE(log.empty());
  RecordingManager::started = true;
  sd->SetSkinFile(dir.File("other.skin"));
  EXPECT_TRUE(sd->Ready());
  EXPECT_EQ(sd->SkinName, "Other");
  EXPECT_EQ(sd->SkinFile(), dir.File("other.skin"));
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "reload SkinData1", "switch 3 250"}));
}

TEST_F(SkinComponent, TheWindowVeto) {
  SkinDataPtr sd(CreateComponent<TSkinData>(nullptr));
  auto decide = [&](const std::string& cls) {
    bool doSkin = true;
    sd->DoFormSkin(reinterpret_cast<HWND>(0x1234), cls, doSkin);
    return doSkin;
  };
  EXPECT_FALSE(decide("SysMonthCal32"));
  EXPECT_TRUE(decide("TfrDesigner"));
  EXPECT_TRUE(decide("TForm1"));
  sd->SetSkinControls(sd->SkinControls() | SkinBit(xcFastReport));
  EXPECT_FALSE(decide("TfrDesigner"));
  EXPECT_EQ(sd->LastFormHandle(), reinterpret_cast<HWND>(0x1234));
  // A handler decides alone.
  sd->OnFormSkin = [](TObject*, const std::string& name, bool& doSkin) { doSkin = name == "SysMonthCal32"; };
  EXPECT_TRUE(decide("SysMonthCal32"));
  EXPECT_FALSE(decide("TForm1"));
  int changed = 0;
  sd->OnSkinChanged = [&](TObject* s) { changed += s == sd.get(); };
  sd->DoSkinChanged();
  EXPECT_EQ(changed, 1);
}

TEST_F(SkinComponent, WithoutAManagerSkinsStillLoad) {
  REQUIRE_PACKER();
  SetSkinManagerFactory(nullptr);
  TSkinData* sd = Read(Description(skintest::ShippedSkin()))->SkinData1;
  EXPECT_TRUE(sd->Ready());
  EXPECT_TRUE(sd->Active());
  EXPECT_EQ(SkinManager(), nullptr);
  EXPECT_TRUE(log.empty());
}

// ---- The skin store ----

std::string StoreDescription(const std::vector<std::pair<std::string, std::string>>& items) {
  std::string text = "object Root1: TSkinRoot\n  object SkinStore1: TSkinStore\n    Store = <";
  for (const auto& [name, data] : items) {
    text += "\n      item\n        Name = '" + name + "'\n        DataStream = {" + Hex(data) + "}\n      end";
  }
  return text + ">\n  end\nend\n";
}

TEST_F(SkinComponent, TheStoreReadsItsItemsAndWritesThemBack) {
  const std::vector<std::pair<std::string, std::string>> items = {
      {"SkinItem1", "one"}, {"SkinItem2", "second"}, {"SkinItem2", "third!"}, {"SkinItem3", std::string(300, 'x')}};
  TSkinStore* store = Read(StoreDescription(items))->SkinStore1;
  ASSERT_NE(store, nullptr);
  ASSERT_EQ(store->Store()->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    TSkinCollectionItem* item = store->Store()->Item(i);
    EXPECT_EQ(item->Name(), items[static_cast<size_t>(i)].first);
    EXPECT_EQ(item->GetDisplayName(), item->Name());
    EXPECT_EQ(item->DataSize(), static_cast<int>(items[static_cast<size_t>(i)].second.size()));
    EXPECT_EQ(item->Data().DataString(), items[static_cast<size_t>(i)].second);
    EXPECT_EQ(item->SkinData(), "Load Skin");
  }
  try {
    store->Store()->Item(3)->SetName("SkinItem1");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "The name SkinItem1 is already used.");
  }
  store->Store()->Item(3)->SetName("SkinItem3");  // its own name: no change
  store->Store()->Item(3)->SetName("Mine");
  EXPECT_EQ(store->Store()->Item(3)->Name(), "Mine");
  // Written back and read again: the same items; SkinData and DataSize are not written.
  std::string text = ComponentToText(root.get());
  EXPECT_EQ(text.find("SkinData ="), std::string::npos);
  EXPECT_EQ(text.find("DataSize"), std::string::npos);
  TSkinStore* again = Read(text)->SkinStore1;
  ASSERT_EQ(again->Store()->Count(), 4);
  EXPECT_EQ(again->Store()->Item(2)->Data().DataString(), "third!");
  EXPECT_EQ(again->Store()->Item(3)->Name(), "Mine");
}

TEST_F(SkinComponent, StoreItemsAreNamedByTheirIdAndCopiedWhole) {
  TComponentPtr<TSkinStore> a(CreateComponent<TSkinStore>(nullptr));
  auto* i0 = static_cast<TSkinCollectionItem*>(a->Store()->Add());
  auto* i1 = static_cast<TSkinCollectionItem*>(a->Store()->Add());
  EXPECT_EQ(i0->Name(), "SkinItem0");
  EXPECT_EQ(i1->Name(), "SkinItem1");
  i1->Data().WriteString("packed");
  i1->Data().SetPosition(2);
  a->Store()->Clear();
  EXPECT_EQ(static_cast<TSkinCollectionItem*>(a->Store()->Add())->Name(), "SkinItem2");  // ids go on
  auto* src = static_cast<TSkinCollectionItem*>(a->Store()->Add());
  src->Data().WriteString("bytes");
  src->Data().SetPosition(1);
  TComponentPtr<TSkinStore> b(CreateComponent<TSkinStore>(nullptr));
  b->SetStore(a->Store());
  ASSERT_EQ(b->Store()->Count(), 2);
  EXPECT_EQ(b->Store()->Item(1)->Name(), "SkinItem3");
  EXPECT_EQ(b->Store()->Item(1)->Data().DataString(), "bytes");
  EXPECT_EQ(src->Data().Position(), 1);
  EXPECT_EQ(b->Store()->Item(0)->Name(), "SkinItem2");
}

}  // namespace
