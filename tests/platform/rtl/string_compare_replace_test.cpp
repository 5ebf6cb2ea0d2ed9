#include <gtest/gtest.h>

#include "platform/rtl/file_handles.h"
#include "platform/rtl/string_compare.h"
#include "platform/rtl/string_replace.h"
#include "tests/support/test_support.h"

TEST(StringCompare, DeterministicOrder) {
  const struct { const char* a; const char* b; uint32_t flags; int want; } cases[] = {
      {"abc", "abc", 0, CSTR_EQUAL},        {"abc", "ABC", 0, CSTR_GREATER_THAN},
      {"abc", "ABC", NORM_IGNORECASE, CSTR_EQUAL}, {"ab", "abc", NORM_IGNORECASE, CSTR_LESS_THAN},
      {"Z", "a", 0, CSTR_LESS_THAN},        {"Z", "a", NORM_IGNORECASE, CSTR_GREATER_THAN},
      {"[", "a", NORM_IGNORECASE, CSTR_LESS_THAN}, {"\xE9", "\xC9", NORM_IGNORECASE, CSTR_GREATER_THAN},
      {"", "", 0, CSTR_EQUAL},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, c.flags, c.a, c.b), c.want) << c.a << " / " << c.b;
  EXPECT_EQ(CompareAnsi("b", "a", false), 1);
}

TEST(StringReplace, FirstAllAndIgnoreCase) {
  EXPECT_EQ(StringReplace("one two one", "one", "1", 0), "1 two one");
  EXPECT_EQ(StringReplace("one two one", "one", "1", rfReplaceAll), "1 two 1");
  EXPECT_EQ(StringReplace("One two ONE", "one", "1", rfReplaceAll | rfIgnoreCase), "1 two 1");
  EXPECT_EQ(StringReplace("abab", "ab", "abab", rfReplaceAll), "abababab");
  EXPECT_EQ(StringReplace("", "a", "b", rfReplaceAll), "");
}

TEST(FileHandles, ReadWriteSeekTruncate) {
  testsupport::TempDir dir;
  const WideString name = FileNameToWide(dir.File("h.bin"));
  EXPECT_EQ(FileOpen(name, 0), -1);
  const int h = FileCreate(name);
  ASSERT_GE(h, 0);
  EXPECT_EQ(FileWrite(h, "abcdef", 6), 6);
  EXPECT_EQ(FileSeek(h, -2, 2), 4);
  char buf[8] = {};
  EXPECT_EQ(FileRead(h, buf, 8), 2);
  EXPECT_STREQ(buf, "ef");
  EXPECT_TRUE(FileTruncate(h, 3));
  EXPECT_EQ(FileSeek(h, 0, 2), 3);
  EXPECT_EQ(FileSeek(h, 0, 7), -1);
  FileClose(h);
  EXPECT_EQ(FileOpen(name, 3), -1);
  EXPECT_EQ(FileOpen(FileNameToWide(dir.path()), 0), -1);
  EXPECT_EQ(FileRead(-1, buf, 1), -1);
}
