// The clipboard writer: one text as 8-bit and UTF-16 text at once, on a headless display; and
// a run in clipboard mode.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/compare_run.h"
#include "app/master_footprint.h"
#include "app/xyl_clipbrd.h"
#include "platform/forms/application.h"
#include "platform/user/clipboard.h"
#include "platform/user/global_memory.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "tests/app/support/fake_sorter_view.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;

namespace {

struct Formats {
  std::string text;       // CF_TEXT bytes, terminator included
  std::u16string wide;    // CF_UNICODETEXT units, terminator included
  std::vector<UINT> all;  // every format offered
};

Formats Read() {
  Formats f;
  EXPECT_TRUE(OpenClipboard(nullptr));
  for (UINT fmt = EnumClipboardFormats(0); fmt != 0; fmt = EnumClipboardFormats(fmt)) f.all.push_back(fmt);
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    f.text.assign(static_cast<const char*>(GlobalLock(h)), GlobalSize(h));
    GlobalUnlock(h);
  }
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    f.wide.assign(static_cast<const char16_t*>(GlobalLock(h)), GlobalSize(h) / 2);
    GlobalUnlock(h);
  }
  CloseClipboard();
  return f;
}

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecreateApplication();
    ASSERT_NE(UseHeadlessDisplay(), nullptr);
  }
  void TearDown() override { RecreateApplication(); }
};

}  // namespace

TEST_F(ClipboardTest, BothFormatsFromOneText) {
  struct Case {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"Text", std::string("Text\0", 5)},
      {u"", std::string("\0", 1)},
      {u"caf\u00e9 \u65e5\u672c\r\n", std::string("caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\r\n\0", 15)},
      // A lone surrogate has no 8-bit form: the 8-bit text holds the substitute character.
      {std::u16string(u"a") + char16_t(0xD800) + u"b", std::string("a\xef\xbf\xbd" "b\0", 6)},
  };
  for (const auto& c : cases) {
    TXylClipboard clipboard;
    clipboard.Clear();
    clipboard.PutWideText(c.text);
    EXPECT_EQ(clipboard.OpenCount(), 0);
    const Formats f = Read();
    EXPECT_EQ(f.text, c.bytes);
    EXPECT_EQ(f.wide, c.text + char16_t(0));
    EXPECT_EQ(f.wide.size() * 2, (c.text.size() + 1) * 2);
    EXPECT_NE(std::find(f.all.begin(), f.all.end(), CF_TEXT), f.all.end());
    EXPECT_NE(std::find(f.all.begin(), f.all.end(), CF_UNICODETEXT), f.all.end());
  }
}

// A second text replaces the first whole: nothing of an earlier, longer text remains.
TEST_F(ClipboardTest, PuttingAgainReplaces) {
  TXylClipboard clipboard;
  clipboard.PutWideText(u"a much longer first text");
  clipboard.PutWideText(u"short");
  const Formats f = Read();
  EXPECT_EQ(f.text, std::string("short\0", 6));
  EXPECT_EQ(f.wide, std::u16string(u"short\0", 6));
}

TEST_F(ClipboardTest, HeldByAnotherWindow) {
  TXylClipboard clipboard;
  clipboard.PutWideText(u"kept");
  HWND other = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_THROW(clipboard.PutWideText(u"lost"), EClipboardException);
  EXPECT_EQ(clipboard.OpenCount(), 0);
  CloseClipboard();
  DestroyWindow(other);
  EXPECT_EQ(Read().text, std::string("kept\0", 5));
}

TEST_F(ClipboardTest, RunInClipboardModeCopiesNothing) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  const std::string images = dir.File("images/");
  ::mkdir(images.c_str(), 0755);
  testsupport::WriteFile(dir.File("make.py"), "from PIL import Image\n"
                                              "Image.new('RGB', (40, 30), (9, 99, 199)).save('" + images + "m.png')\n"
                                              "Image.new('RGB', (40, 30), (9, 99, 199)).save('" + images + "b c.bmp')\n"
                                              "Image.new('RGB', (40, 30), (255, 255, 0)).save('" + images + "y.png')\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  apptest::FakeSorterView view;
  view.SetText(TSorterEdit::Edit1, images + "m.png");
  view.SetChecked(7, true);
  view.SetChecked(11, true);
  view.SetText(TSorterEdit::Edit4, dir.File("target/"));
  ASSERT_FALSE(MasterFootprint(images + "m.png").empty());
  EXPECT_EQ(CompareRun(images), "Process ended ...");
  const std::string expected = "Masterimage: \r\n" + images + "m.png \r\nMatching images: \r\n" + images + "m.png \r\n" +
                               images + "b c.bmp \r\n";
  const Formats f = Read();
  EXPECT_EQ(f.text, expected + '\0');
  EXPECT_EQ(f.wide, Utf8ToWide(expected) + char16_t(0));
  std::string listing;
  testsupport::Run("ls -A " + dir.File("target"), &listing);
  EXPECT_EQ(listing, "");  // the folder is prepared, nothing copied into it
  EXPECT_EQ(view.messages.at(0), "2 imagefiles out of 3 files\rare matching to the pattern and were written into the clipboard ...");
  EXPECT_EQ(view.dialogs.at(0).text.find("and the matching ones will be copied. Going on?") != std::string::npos, true);
}

// The clipboard carries text, not file names: a name whose bytes are not UTF-8 (Latin-1 from an
// old camera card) is listed with U+FFFD in place of each such byte, in both formats alike.
TEST_F(ClipboardTest, ANameThatIsNotUtf8IsListedWithTheReplacementCharacter) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  const std::string images = dir.File("images/");
  ::mkdir(images.c_str(), 0755);
  testsupport::WriteFile(dir.File("make.py"), "import os\nfrom PIL import Image\n"
                                              "Image.new('RGB', (40, 30), (9, 99, 199)).save(os.fsencode('" +
                                                  images + "') + b'caf\\xe9.png', 'PNG')\n");
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("make.py")), 0);
  const std::string master = images + "caf\xE9.png";
  apptest::FakeSorterView view;
  view.SetText(TSorterEdit::Edit1, master);
  view.SetChecked(11, true);
  view.SetText(TSorterEdit::Edit4, dir.File("target/"));
  ASSERT_FALSE(MasterFootprint(master).empty());
  EXPECT_EQ(CompareRun(images), "Process ended ...");
  const std::string shown = images + "caf\xEF\xBF\xBD.png";
  const std::string expected = "Masterimage: \r\n" + shown + " \r\nMatching images: \r\n" + shown + " \r\n";
  const Formats f = Read();
  EXPECT_EQ(f.text, expected + '\0');
  EXPECT_EQ(f.wide, Utf8ToWide(expected) + char16_t(0));
  EXPECT_NE(f.wide.find(u"caf\uFFFD.png"), std::u16string::npos);
}
