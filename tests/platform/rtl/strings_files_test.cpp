#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/guid.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "tests/support/test_support.h"

TEST(Strings, FileNamesSurviveAnyBytes) {
  const std::string names[] = {"plain.txt", "caf\xC3\xA9.png", "bad\xFF\xFE.jpg", "\xC3", "\xED\xA0\x80x",
                               "\xF0\x9F\x98\x80.gif"};
  for (const auto& n : names) EXPECT_EQ(WideToFileName(FileNameToWide(n)), n);
  EXPECT_EQ(FileNameToWide("caf\xC3\xA9"), u"caf\u00E9");
}

TEST(Strings, Utf8ReplacesOnlyTheBrokenPart) {
  // A truncated sequence followed by a valid character keeps the valid character.
  EXPECT_EQ(Utf8ToWide("\xE2\x82" "A"), u"\uFFFDA");
  EXPECT_EQ(WideToUtf8(u"\u20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Files, PathPiecesUseTheSlash) {
  EXPECT_EQ(ExtractFilePath(u"/a/b/c.jpg"), u"/a/b/");
  EXPECT_EQ(ExtractFileName(u"/a/b/c.jpg"), u"c.jpg");
  EXPECT_EQ(ExtractFileExt(u"/a.b/c"), u"");
  EXPECT_EQ(ExtractFileExt(u"/a/c.tar.GZ"), u".GZ");
  EXPECT_EQ(ChangeFileExt(u"/a.b/c", u".x"), u"/a.b/c.x");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(ExpandFileName(u"/a/./b/../c"), u"/a/c");
  EXPECT_TRUE(MatchesMask(u"PHOTO.JPG", u"*.jpg", true));
  EXPECT_FALSE(MatchesMask(u"PHOTO.JPG", u"*.jpg", false));
  EXPECT_TRUE(MatchesMask(u"a.tiff", u"*.tif?", false));
  EXPECT_FALSE(MatchesMask(u"a.tif", u"*.tiff", false));
}

TEST(Files, CopyNeverOverwritesWhenAskedNotTo) {
  testsupport::TempDir dir;
  const WideString a = FileNameToWide(dir.File("a")), b = FileNameToWide(dir.File("b"));
  WriteFileBytes(a, "new");
  WriteFileBytes(b, "old");
  EXPECT_FALSE(CopyFile(a, b, true));
  EXPECT_EQ(ReadFileBytes(b), "old");
  EXPECT_TRUE(CopyFile(a, FileNameToWide(dir.File("c")), true));
  EXPECT_EQ(ReadFileBytes(FileNameToWide(dir.File("c"))), "new");
  std::vector<TSearchRec> entries;
  ASSERT_TRUE(ListDirectory(FileNameToWide(dir.path()), entries));
  EXPECT_EQ(entries.size(), 3u);  // no temporary copies left behind
  EXPECT_FALSE(CopyFile(FileNameToWide(dir.File("missing")), FileNameToWide(dir.File("d")), false));
}

TEST(Streams, MemoryAndFileStreams) {
  TMemoryStream m;
  m.WriteString("hello");
  m.SetPosition(1);
  EXPECT_EQ(m.ReadString(3), "ell");
  EXPECT_EQ(m.ReadString(10), "o");
  char c;
  EXPECT_THROW(m.ReadBuffer(&c, 1), EReadError);
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(m, 0), 5);
  EXPECT_EQ(copy.DataString(), "hello");
  EXPECT_THROW(TFileStream(u"/nonexistent/x", fmOpenRead), EFOpenError);
  try {
    TFileStream(u"/nonexistent/x", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"/nonexistent/x\". ", 0), 0u);
  }
}

TEST(DateTime, EncodeDecodeAndFormat) {
  TDateTimeParts p;
  p.Year = 2013; p.Month = 10; p.Day = 13; p.Hour = 14; p.Minute = 30; p.Second = 5;
  const TDateTime t = EncodeDateTime(p);
  EXPECT_DOUBLE_EQ(std::floor(t), 41560.0);
  EXPECT_EQ(FormatDateTime("yyyymmdd", t), "20131013");
  EXPECT_EQ(FormatDateTime("hhmmss", t), "143005");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", t), "14:30:05");
  EXPECT_EQ(&GetLocalTimeZone(), &GetLocalTimeZone());
  EXPECT_NE(CreateGuidBytes(), CreateGuidBytes());
}

TEST(Resources, MissingIdRaises) {
  EXPECT_THROW(FindResourceData(-12345), EResNotFound);
  EXPECT_FALSE(HasResource("no such form"));
}
