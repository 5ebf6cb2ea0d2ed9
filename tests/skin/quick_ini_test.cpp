// The skin INI reader: trimmed lines, comments, sections and keys without regard to case, the
// first occurrence deciding, and integers in decimal or hexadecimal.
#include <gtest/gtest.h>

#include <memory>

#include "skin/quick_ini.h"

namespace {

std::unique_ptr<TQuickIni> Load(const std::string& text) {
  auto ini = std::make_unique<TQuickIni>();
  TMemoryStream s(text);
  ini->LoadFromStream(&s);
  return ini;
}

const char* const kText =
    "Orphan=before any section\r\n"
    "  ; a comment\r\n"
    "[Colours]\r\n"
    "  ButtonFace =  233 233 233  \r\n"
    "Empty=\r\n"
    "Hex=0x10\r"
    "Dollar=$10\n"
    "Word=ten\r\n"
    "Neg=-7\r\n"
    "Big=0xFFFFFFFF\r\n"
    "Repeat=\r\n"
    "repeat=5\r\n"
    "\r\n"
    "[ Spaced ]\r\n"
    "a=1\r\n"
    "[colours]\r\n"
    "Second=2\r\n"
    "[Tail]\r\n"
    "NoEquals\r\n"
    "x = = y \r\n"
    "[Last]";

TEST(QuickIni, Lookups) {
  auto p = Load(kText);
  TQuickIni& ini = *p;
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"Colours", "ButtonFace", "233 233 233"},
      {"COLOURS", "buttonface", "233 233 233"},  // sections and keys in any case
      {"Colours", "Empty", "default"},           // nothing after "="
      {"Colours", "Repeat", "default"},          // the first line of a key decides, even empty
      {"Colours", "Second", "default"},          // a later section of the same name is not searched
      {"Colours", "Orphan", "default"},
      {"", "Orphan", "default"},                 // before the first section: never found
      {"Spaced", "a", "default"},                // headers are looked up as written
      {" Spaced ", "a", "1"},
      {"Tail", "x", "= y"},                      // the value is after the first "="
      {"Tail", "", "NoEquals"},                  // a line without "=" has an empty key
      {"Missing", "a", "default"},
      {"Last", "a", "default"},
  };
  for (const Case& c : cases) {
    std::string v = "junk";
    ini.ReadString(c.section, c.key, v, "default");
    EXPECT_EQ(v, c.expected) << c.section << "/" << c.key;
  }
}

TEST(QuickIni, Integers) {
  auto p = Load(kText);
  TQuickIni& ini = *p;
  EXPECT_EQ(ini.ReadInteger("Colours", "Hex", -1), 16);
  EXPECT_EQ(ini.ReadInteger("Colours", "Dollar", -1), 16);
  EXPECT_EQ(ini.ReadInteger("Colours", "Word", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Colours", "Neg", 0), -7);
  EXPECT_EQ(ini.ReadInteger("Colours", "Big", 0), -1);  // hexadecimal wraps into 32 bits
  EXPECT_EQ(ini.ReadInteger("Colours", "Empty", 42), 42);
  EXPECT_EQ(ini.ReadInteger("Colours", "ButtonFace", 3), 3);
  EXPECT_EQ(Load("[a]\r\nk=99999999999\r\nz=0x\r\n")->ReadInteger("a", "k", 5), 5);
  EXPECT_EQ(Load("[a]\r\nz=0x\r\n")->ReadInteger("a", "z", 5), 5);
}

TEST(QuickIni, KeptLinesAndSections) {
  auto p = Load(kText);
  TQuickIni& ini = *p;
  EXPECT_EQ(ini.Lines.Get(0), "Orphan=before any section");
  EXPECT_EQ(ini.Lines.Get(1), "[Colours]");  // comments and empty lines are dropped
  ASSERT_EQ(ini.Sections.Count(), 5);
  EXPECT_EQ(ini.Sections.Get(1), "[ Spaced ]");
  EXPECT_EQ(ini.Lines.Get(static_cast<int>(reinterpret_cast<intptr_t>(ini.Sections.Objects(1)))), "[ Spaced ]");
  TStringList names;
  names.Add("old");
  ini.ReadSections(names);
  EXPECT_EQ(names.Text(), "Colours\r\nSpaced\r\ncolours\r\nTail\r\nLast\r\n");
  // Loading again starts over; a null stream does nothing.
  TMemoryStream other(std::string("[x]\ny=z"));
  ini.LoadFromStream(&other);
  ini.LoadFromStream(nullptr);
  EXPECT_EQ(ini.ReadString("x", "y", ""), "z");
  EXPECT_EQ(ini.ReadString("Colours", "ButtonFace", "gone"), "gone");
}

TEST(QuickIni, EmptyAndBinaryText) {
  EXPECT_EQ(Load("")->ReadString("a", "b", "d"), "d");
  std::string binary("[a]\0b=\x01\xff\x00 c\r\n", 13);
  auto p = Load(binary);
  TQuickIni& ini = *p;
  EXPECT_EQ(ini.Sections.Count(), 0);  // "[a]" with more on its line is no header
}

}  // namespace
