#include "pdf/core/wide_file_stream.h"

#include <gtest/gtest.h>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/file_handles.h"
#include "tests/support/test_support.h"

TEST(WideFileStream, CreateWriteReopenRead) {
  testsupport::TempDir dir;
  const WideString name = FileNameToWide(dir.File("d\xC3\xA9j\xC3\xA0 vu.bin"));
  {
    TTalvoPDFWideFileStream f(name, kWideFileCreate);
    f.WriteString("hello world");
    f.SetSize(5);
    EXPECT_EQ(f.Size(), 5);
  }
  EXPECT_TRUE(WideFileExists(name));
  {
    TTalvoPDFWideFileStream f(name, 0x20);  // read, deny write
    EXPECT_EQ(f.ReadToEnd(), "hello");
    char c;
    EXPECT_EQ(f.Write("x", 1), 0);  // opened for reading only
    f.SetPosition(1);
    EXPECT_EQ(f.Read(&c, 1), 1);
    EXPECT_EQ(c, 'e');
  }
  EXPECT_TRUE(WideDeleteFile(name));
  EXPECT_FALSE(WideFileExists(name));
  EXPECT_FALSE(WideDeleteFile(name));
}

TEST(WideFileStream, BadModesAndMissingFiles) {
  testsupport::TempDir dir;
  const WideString name = FileNameToWide(dir.File("f"));
  testsupport::WriteFile(dir.File("f"), "x");
  EXPECT_EQ(WideFileOpen(name, 3), -1);
  EXPECT_EQ(WideFileOpen(name, 0x50), -1);
  const int h = WideFileOpen(name, 0x42);
  EXPECT_GE(h, 0);
  TTalvoPDFWideFileStream ok(name, 0x40);
  try {
    TTalvoPDFWideFileStream f(FileNameToWide(dir.File("missing")), 0);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_STREQ(e.what(), "Error");
  }
  EXPECT_FALSE(WideFileExists(FileNameToWide(dir.path())));  // a folder is not a file
  FileClose(h);
}

TEST(WideFileStream, PathPieces) {
  EXPECT_EQ(WideExtractFileName(u"/a/b/c.pdf"), u"c.pdf");
  EXPECT_EQ(WideExtractFilePath(u"/a/b/c.pdf"), u"/a/b/");
  EXPECT_EQ(WideExtractFileName(u"c.pdf"), u"c.pdf");
  EXPECT_EQ(WideExtractFilePath(u"c.pdf"), u"");
  EXPECT_EQ(WideExtractFileName(u"/a/"), u"");
  const WideString tmp = GetTempDirWide();
  ASSERT_FALSE(tmp.empty());
  EXPECT_EQ(tmp.back(), u'/');
}
