#include "pdf/core/byte_strings.h"

#include <gtest/gtest.h>

#include "platform/rtl/exceptions.h"

TEST(ByteStrings, PositionsAndCopies) {
  EXPECT_EQ(PosA("lo", "hello lo"), 4);
  EXPECT_EQ(PosA("x", "hello"), 0);
  EXPECT_EQ(PosA("", "hello"), 0);
  EXPECT_EQ(CopyA("hello", 2, 3), "ell");
  EXPECT_EQ(CopyA("hello", 0, 2), "he");
  EXPECT_EQ(CopyA("hello", 4, 100), "lo");
  EXPECT_EQ(CopyA("hello", 6, 1), "");
  EXPECT_EQ(CopyA("hello", 2, -1), "");
  EXPECT_EQ(TrimA(" \t a b \r\n"), "a b");
  EXPECT_TRUE(StartsWithA("/Type", "/T"));
  EXPECT_FALSE(StartsWithA("/", "/T"));
  EXPECT_TRUE(EndsWithA("abc", "bc"));
  EXPECT_FALSE(EndsWithA("c", "bc"));
  EXPECT_EQ(UpperCaseA("abc\xE9z"), "ABC\xE9Z");
}

TEST(ByteStrings, Numbers) {
  EXPECT_EQ(StrToIntA("-12"), -12);
  EXPECT_THROW(StrToIntA("1x"), EConvertError);
  EXPECT_EQ(StrToIntDefA("$1F", 0), 31);
  EXPECT_EQ(StrToIntDefA("G1", 5), 5);
  EXPECT_EQ(StrToInt64DefA("123456789012", 0), 123456789012);
  EXPECT_EQ(IntToStrA(-5), "-5");
  EXPECT_EQ(IntToHexA(255, 4), "00FF");
  EXPECT_EQ(FormatFloatA("000", 7), "007");
  EXPECT_EQ(FloatToStrA(0.5), "0.5");
  EXPECT_DOUBLE_EQ(StrToFloatA("2.25"), 2.25);
  EXPECT_EQ(DateTimeToStrA("yyyy-mm-dd", 0), "1899-12-30");
}

TEST(ByteStrings, ReplaceAndCompare) {
  EXPECT_EQ(StringReplaceA("a.b.c", ".", "--", 0), "a--b.c");
  EXPECT_EQ(StringReplaceA("a.b.c", ".", "--", rfReplaceAll), "a--b--c");
  EXPECT_EQ(StringReplaceA("aXbxc", "x", "", rfReplaceAll | rfIgnoreCase), "abc");
  EXPECT_EQ(StringReplaceA("abc", "", "z", rfReplaceAll), "abc");
  EXPECT_EQ(StringReplaceA("aaa", "aa", "a", rfReplaceAll), "aa");
  EXPECT_EQ(CompareStrA("a", "B"), 1);
  EXPECT_EQ(CompareTextA("a", "B"), -1);
  EXPECT_EQ(CompareTextA("ABC", "abc"), 0);
  EXPECT_EQ(CompareStrA("ab", "abc"), -1);
  EXPECT_EQ(CompareTextA("_", "a"), -1);  // punctuation before letters, as the folded bytes order
  EXPECT_EQ(CompareStrA(std::string("a\0b", 3), std::string("a\0c", 3)), -1);
}
