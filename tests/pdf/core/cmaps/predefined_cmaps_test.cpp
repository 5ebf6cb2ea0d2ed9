#include "pdf/core/cmaps/predefined_cmaps.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "pdf/core/cmaps/cmap_parser.h"
#include "tests/support/test_support.h"

namespace {

TEST(PredefinedCMaps, NameTable) {
  EXPECT_EQ(PredefinedCMapNames.front(), "78-EUC-H");
  EXPECT_EQ(PredefinedCMapNames.back(), "WP-Symbol");
  EXPECT_EQ(PredefinedCMapPosition("78-EUC-H"), 1);
  EXPECT_EQ(PredefinedCMapPosition("90ms-RKSJ-H"), 10);
  EXPECT_EQ(PredefinedCMapPosition("Identity-H"), 98);
  EXPECT_EQ(PredefinedCMapPosition("WP-Symbol"), 165);
  EXPECT_EQ(PredefinedCMapPosition("identity-h"), 0);
  EXPECT_EQ(PredefinedCMapPosition("Adobe-Japan1-7"), 0);
  EXPECT_EQ(LoadPredefinedCMapText(0), "");
  EXPECT_EQ(LoadPredefinedCMapText(166), "");
  EXPECT_EQ(LoadPredefinedCMap("nope"), nullptr);
}

TEST(PredefinedCMaps, KnownCodes) {
  struct Case {
    const char* name;
    uint32_t code;
    int cid;
  };
  const Case cases[] = {
      {"90ms-RKSJ-H", 0x8140, 633},   {"90ms-RKSJ-H", 0x20, 231},      {"90ms-RKSJ-V", 0x8140, 633},
      {"Identity-H", 0x1234, 0x1234}, {"Identity-V", 0xFFFF, 0xFFFF}, {"Identity-H", 0, 0},
      {"UniJIS-UCS2-H", 0x3042, 843}, {"UniJIS-UCS2-H", 0x3041, 842}, {"UniKS-UCS2-H", 0xAC00, 1086}, {"UniCNS-UCS2-H", 0x4E00, 595},
      {"UniJIS-UTF16-H", 0xD840DC0B, 13839},
  };
  for (const auto& c : cases) {
    const auto chain = LoadPredefinedCMapChain(c.name);
    ASSERT_FALSE(chain.empty()) << c.name;
    EXPECT_EQ(MapCodeThroughChain(chain, c.code), c.cid) << c.name << " " << c.code;
  }
  // The vertical CMap maps the comma to its vertical form itself and the rest through H.
  const auto vertical = LoadPredefinedCMapChain("90ms-RKSJ-V");
  ASSERT_EQ(vertical.size(), 2u);
  EXPECT_EQ(vertical[0]->Name, "90ms-RKSJ-V");
  EXPECT_EQ(vertical[0]->UseCMapName, "90ms-RKSJ-H");
  EXPECT_EQ(vertical[0]->ParentIndex, 1);
  EXPECT_EQ(vertical[1]->ParentIndex, -1);
  EXPECT_EQ(vertical[0]->MapCode(0x8140), -1);
  EXPECT_TRUE(vertical[1]->OneByteCodes);
}

// Every predefined CMap loads, and a sample of its codes maps as an independent reading of the
// same texts says (tests/pdf/core/cmaps/oracle/cmap_samples.py).
TEST(PredefinedCMaps, EveryCMapAgreesWithAnIndependentReading) {
  REQUIRE_TOOL("python3");
  std::string names;
  for (auto n : PredefinedCMapNames) names += " " + std::string(n);
  std::string out;
  const std::string src = testsupport::SourceDir();
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + src + "/tests/pdf/core/cmaps/oracle/cmap_samples.py " + src +
                                 "/resources/cmaps" + names,
                             &out),
            0);
  std::map<std::string, std::vector<std::pair<uint32_t, int>>> samples;
  std::istringstream in(out);
  std::string name, code;
  while (in >> name >> code) {
    auto& list = samples[name];
    if (code == "-") continue;
    int cid;
    in >> cid;
    list.emplace_back(static_cast<uint32_t>(std::stoul(code)), cid);
  }
  for (auto n : PredefinedCMapNames) {
    const std::string cmapName(n);
    const auto chain = LoadPredefinedCMapChain(cmapName);
    ASSERT_FALSE(chain.empty()) << cmapName;
    EXPECT_EQ(chain[0]->Kind, TOrvanePDFLibraryCMap::kKindCID) << cmapName;
    ASSERT_TRUE(samples.count(cmapName)) << cmapName;
    EXPECT_FALSE(samples[cmapName].empty()) << cmapName << " maps nothing";
    for (const auto& [c, cid] : samples[cmapName]) EXPECT_EQ(MapCodeThroughChain(chain, c), cid) << cmapName << " " << c;
  }
}

}  // namespace
