// The packed-skin decoder against the skin packer (an independent Python implementation of
// the encoder): archives of every version decode to the packer's input byte for byte; entry
// lookup by name; and hostile packed skins (cut, lying sizes, huge counts) are refused or
// decoded without reading or allocating beyond what they hold.
#include <gtest/gtest.h>

#include <random>

#include "skin/lzh.h"
#include "skin/skin_reader.h"
#include "tests/skin/skin_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace skintest;

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

// Loads a packed skin, collecting the messages the reader shows.
struct Loaded {
  TSkinReader reader;
  std::vector<std::string> messages;
  bool ok = false;
  explicit Loaded(const std::string& packed) {
    reader.OnMessage = [this](const std::string& m) { messages.push_back(m); };
    TMemoryStream s(packed);
    ok = reader.LoadFromStream(s);
  }
  std::string Get(const std::string& name) {
    TMemoryStream out;
    reader.GetFile(name, out);
    EXPECT_EQ(out.Position(), 0);
    return out.DataString();
  }
};

std::string Unpacked(const std::string& packed, bool* ok = nullptr) {
  TMemoryStream src(packed), dst;
  bool r = TSkinReader::Unpack(src, dst);
  if (ok) *ok = r;
  return dst.DataString();
}

TEST(LzhDecoder, DecodesWhatThePackerEncodes) {
  REQUIRE_PACKER();
  // Literals only, long runs (overlapping matches), text, and data long enough for the tree
  // counts to halve several times.
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "[Section" + std::to_string(i % 37) + "]\r\nKey=" + std::to_string(i) + "\r\n";
  const std::vector<std::string> inputs = {
      "",
      "a",
      "abc",
      std::string(5000, 'x'),
      RandomBytes(40000, 7),
      text,
      RandomBytes(3000, 9) + std::string(20000, '\0') + RandomBytes(3000, 9),
  };
  for (const std::string& in : inputs) {
    bool ok = false;
    EXPECT_EQ(Unpacked(PackRaw(in), &ok), in) << in.size();
    EXPECT_TRUE(ok);
  }
}

TEST(LzhDecoder, InputThatEndsEarlyReadsAsZeroBits) {
  // No input at all: every symbol comes from zero bits, and decoding runs until the size is
  // out (the last match may pass it by less than one match length).
  TLZH lzh;
  std::string out;
  size_t reads = 0;
  lzh.Decode(
      1000, [&](uint8_t b) { out.push_back(static_cast<char>(b)); },
      [&](uint8_t&) {
        ++reads;
        return 0;
      });
  EXPECT_GE(out.size(), 1000u);
  EXPECT_LT(out.size(), 1000u + TLZH::F);
  EXPECT_GT(reads, 0u);
}

class PackedVersions : public ::testing::TestWithParam<uint32_t> {};

TEST_P(PackedVersions, EntriesComeBackAsTheyWentIn) {
  REQUIRE_PACKER();
  const uint32_t version = GetParam();
  Entries entries = {{"Skin.INI", "[TitlebarSkin]\r\nSkinName=Test\r\n"},
                     {"Top.bmp", "BM" + RandomBytes(700, 1)},
                     {"empty.bmp", ""},
                     {"Buttons.BMP", "BM" + std::string(4000, 'z')}};
  Loaded l(PackEntries(entries, version));
  ASSERT_TRUE(l.ok);
  EXPECT_TRUE(l.messages.empty());
  EXPECT_EQ(l.reader.Header.Version, version);
  EXPECT_EQ(l.reader.Count, 4);
  ASSERT_EQ(l.reader.Names.Count(), 4);
  EXPECT_EQ(l.reader.Names.Get(0), "skin.ini");
  EXPECT_EQ(l.reader.Names.Get(3), "buttons.bmp");
  uint64_t sum = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(l.reader.Sizes[i], entries[i].second.size());
    sum += l.reader.Sizes[i];
    EXPECT_EQ(l.Get(entries[i].first), entries[i].second) << entries[i].first;
  }
  EXPECT_EQ(static_cast<uint64_t>(l.reader.Data.Size()), sum);
  // Any case of a name finds the entry.
  EXPECT_EQ(l.Get("TOP.BMP"), entries[1].second);
  EXPECT_EQ(l.Get("buttons.bmp"), entries[3].second);
  std::string found = "unchanged";
  TMemoryStream ini;
  l.reader.FindFile(".ini", ini, found);
  EXPECT_EQ(found, "skin.ini");
  EXPECT_EQ(ini.DataString(), entries[0].second);
  EXPECT_EQ(ini.Position(), 0);
}

INSTANTIATE_TEST_SUITE_P(Versions, PackedVersions, ::testing::Values(20000u, 30000u, 40000u, 50000u));

TEST(SkinReader, VersionBlockSizes) {
  EXPECT_EQ(SkinVersionBlockSize(20000), 0);
  EXPECT_EQ(SkinVersionBlockSize(30000), 256);
  EXPECT_EQ(SkinVersionBlockSize(40000), 80);
  EXPECT_EQ(SkinVersionBlockSize(50000), 48);
  EXPECT_EQ(SkinVersionBlockSize(10000), -1);
}

TEST(SkinReader, LookupRules) {
  REQUIRE_PACKER();
  // Equal names: the first wins. FindFile takes a case-sensitive piece of the lower-cased name.
  Loaded l(PackEntries({{"a.bmp", "first"}, {"A.BMP", "second"}, {"skin.ini", "ini"}}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.Get("a.bmp"), "first");
  EXPECT_EQ(l.Get("missing.bmp"), "");
  std::string found = "kept";
  TMemoryStream out;
  out.WriteString("old");
  l.reader.FindFile(".INI", out, found);
  EXPECT_EQ(out.Size(), 0);
  EXPECT_EQ(found, "kept");
  l.reader.FindFile("", out, found);
  EXPECT_EQ(found, "kept");
  l.reader.FindFile("n.i", out, found);
  EXPECT_EQ(found, "skin.ini");
  EXPECT_EQ(out.DataString(), "ini");
}

TEST(SkinReader, UnknownVersionIsReportedAndLeavesTheReaderAsItWas) {
  REQUIRE_PACKER();
  Loaded l(PackEntries({{"x.ini", "one"}}));
  ASSERT_TRUE(l.ok);
  for (uint32_t v : {0u, 19999u, 60000u}) {
    TMemoryStream s(PackRaw(RawArchive(v, "y.ini\r\n", {3}, "two")));
    EXPECT_FALSE(l.reader.LoadFromStream(s)) << v;
  }
  EXPECT_EQ(l.messages, std::vector<std::string>(3, "This is Older Skin File\rPlease update to new version !"));
  EXPECT_EQ(l.Get("x.ini"), "one");
  EXPECT_EQ(l.reader.Count, 1);
}

TEST(SkinReader, ArchivesThatDoNotHoldTheirPartsAreRefused) {
  REQUIRE_PACKER();
  struct Case {
    const char* what;
    std::string archive;
    bool message;
  };
  std::string names1002;
  for (int i = 0; i < 1002; ++i) names1002 += "\r\n";
  const std::vector<Case> cases = {
      {"name list beyond the end", RawArchive(50000, "a.bmp\r\n", {1}, "x", 0xFFFFFFF0u), false},
      {"size table beyond the end", RawArchive(20000, "a\r\nb\r\nc\r\n", {}, ""), false},
      {"sizes beyond the data", RawArchive(20000, "a\r\nb\r\n", {2, 0xFFFFFFFFu}, "xyz"), false},
      {"sizes summing past 32 bits", RawArchive(20000, "a\r\nb\r\n", {0x80000000u, 0x80000000u}, "xyz"), false},
      {"more entries than the table holds", RawArchive(20000, names1002, {}, ""), true},
      {"shorter than its header", "\x20\x4e", true},
  };
  for (const Case& c : cases) {
    Loaded l(PackRaw(c.archive));
    EXPECT_FALSE(l.ok) << c.what;
    EXPECT_EQ(l.messages.size(), c.message ? 1u : 0u) << c.what;
    EXPECT_EQ(l.reader.Count, 0) << c.what;
  }
  // 1001 entries fit.
  std::string names1001;
  for (int i = 0; i < 1001; ++i) names1001 += "n" + std::to_string(i) + "\r\n";
  Loaded fits(PackRaw(RawArchive(20000, names1001, std::vector<uint32_t>(1001, 0), "")));
  EXPECT_TRUE(fits.ok);
  EXPECT_EQ(fits.reader.Count, 1001);
}

TEST(SkinReader, StatedSizesBeyondWhatTheDataCanHoldAreRefused) {
  REQUIRE_PACKER();
  const std::string body = RawArchive(20000, "a\r\n", {3}, "abc");
  const std::string packed = PackRaw(body);
  const uint32_t stream = static_cast<uint32_t>(packed.size() - 4);
  for (uint32_t stated : {0xFFFFFFFFu, TSkinReader::kMaxUnpackedSize + 1, stream * 480 + 1}) {
    bool ok = true;
    std::string out = Unpacked(LE32(stated) + packed.substr(4), &ok);
    EXPECT_FALSE(ok) << stated;
    EXPECT_TRUE(out.empty());
  }
  // Within the bound a short stream decodes on zero bits, as far as it is asked to.
  bool ok = false;
  std::string out = Unpacked(LE32(stream * 480) + packed.substr(4), &ok);
  EXPECT_TRUE(ok);
  EXPECT_GE(out.size(), stream * 480u);
  EXPECT_EQ(out.substr(0, body.size()), body);
  // Nothing at all after the size, or not even a size.
  EXPECT_EQ(Unpacked(LE32(0)), "");
  Unpacked(LE32(1), &ok);
  EXPECT_FALSE(ok);
  Unpacked("\x01\x00", &ok);
  EXPECT_FALSE(ok);
}

TEST(SkinReader, EveryCutOfAPackedSkinIsHandled) {
  REQUIRE_PACKER();
  const std::string packed = PackEntries({{"s.ini", "[a]\r\nb=c\r\n"}, {"p.bmp", "BM" + RandomBytes(300, 3)}});
  for (size_t cut = 0; cut < packed.size(); ++cut) {
    Loaded l(packed.substr(0, cut));
    if (l.ok) {
      // What was read stays inside the archive.
      uint64_t sum = 0;
      for (int i = 0; i < l.reader.Count; ++i) sum += l.reader.Sizes[static_cast<size_t>(i)];
      EXPECT_LE(sum, static_cast<uint64_t>(l.reader.Data.Size()));
    }
  }
}

}  // namespace
