#include "pdf/fonts/font_collection.h"

#include <gtest/gtest.h>

#include "platform/rtl/files.h"
#include "tests/support/test_support.h"

TEST(FontCollection, EmptyWithFlagsOff) {
  TPDFFontCollection c;
  EXPECT_FALSE(c.FontPrograms());
  EXPECT_FALSE(c.TextOnly());
  EXPECT_EQ(c.FontCount(), 0);
  EXPECT_EQ(c.Current(), nullptr);
  c.SetFontPrograms(true);
  EXPECT_TRUE(c.FontPrograms());
}

TEST(FontCollection, FreeingDeletesTemporaryFiles) {
  testsupport::TempDir dir;
  const std::string a = dir.File("font-a.ttf"), b = dir.File("font b.ttf");
  testsupport::WriteFile(a, "x");
  testsupport::WriteFile(b, "y");
  {
    TPDFFontCollection c;
    c.TempFiles().Add(a);
    c.TempFiles().Add(b);
    c.TempFiles().Add(dir.File("never-made.ttf"));
  }
  EXPECT_FALSE(FileExists(FileNameToWide(a)));
  EXPECT_FALSE(FileExists(FileNameToWide(b)));
}
