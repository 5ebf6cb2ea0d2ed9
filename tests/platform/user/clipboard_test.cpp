// The clipboard on the headless display: opening, emptying, the two text formats and text of
// another program.
#include <cstring>

#include "platform/user/clipboard.h"
#include "platform/user/global_memory.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class Clipboard : public UserTest {
 protected:
  HWND Owner() {
    return CreateWindowExW(0, RecordingClass(), u"C", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
};

HGLOBAL Block(const void* data, size_t bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(h), data, bytes);
  GlobalUnlock(h);
  return h;
}

std::string Bytes(HANDLE h) {
  std::string s(static_cast<const char*>(GlobalLock(h)), GlobalSize(h));
  GlobalUnlock(h);
  return s;
}

TEST_F(Clipboard, BothTextFormatsAsTheWriterPutsThem) {
  HWND owner = Owner();
  const std::string text8 = "Gr\xC3\xBC\xC3\x9F" "e";
  const std::u16string text16 = u"Grüße";
  ASSERT_TRUE(OpenClipboard(owner));
  EXPECT_TRUE(OpenClipboard(owner));  // the same window again
  HWND other = Owner();
  EXPECT_FALSE(OpenClipboard(other));  // another window while it is open
  EXPECT_FALSE(SetClipboardData(CF_TEXT, nullptr) == nullptr && false);
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(GetClipboardOwner(), owner);
  ASSERT_NE(SetClipboardData(CF_TEXT, Block(text8.c_str(), text8.size() + 1)), nullptr);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, Block(text16.c_str(), (text16.size() + 1) * 2)), nullptr);
  EXPECT_EQ(CountClipboardFormats(), 2);
  EXPECT_EQ(EnumClipboardFormats(0), CF_TEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_TEXT), CF_UNICODETEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), 0u);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(screen->ClipboardText().value_or(""), text8);
  EXPECT_TRUE(screen->OwnsClipboard());
  // Read back by another window.
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_EQ(Bytes(GetClipboardData(CF_TEXT)), text8 + '\0');
  std::string wide = Bytes(GetClipboardData(CF_UNICODETEXT));
  EXPECT_EQ(wide.size(), (text16.size() + 1) * 2);
  EXPECT_EQ(std::memcmp(wide.data(), text16.c_str(), wide.size()), 0);
  EXPECT_EQ(GetClipboardData(CF_DIB), nullptr);
  CloseClipboard();
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);  // only while open
}

TEST_F(Clipboard, EmptyTextIsOneZeroCharacterInEachFormat) {
  HWND owner = Owner();
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Block("", 1));
  SetClipboardData(CF_UNICODETEXT, Block(u"", 2));
  CloseClipboard();
  ASSERT_TRUE(OpenClipboard(owner));
  EXPECT_EQ(GlobalSize(GetClipboardData(CF_TEXT)), 1u);
  EXPECT_EQ(GlobalSize(GetClipboardData(CF_UNICODETEXT)), 2u);
  CloseClipboard();
  EXPECT_EQ(screen->ClipboardText().value_or("x"), "");
}

TEST_F(Clipboard, OneTextFormatGivesTheOther) {
  HWND owner = Owner();
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  const std::u16string text = u"caf\u00e9 \U0001F600";
  SetClipboardData(CF_UNICODETEXT, Block(text.c_str(), (text.size() + 1) * 2));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(Bytes(GetClipboardData(CF_TEXT)), std::string("caf\xC3\xA9 \xF0\x9F\x98\x80") + '\0');
  EXPECT_EQ(CountClipboardFormats(), 1);  // the derived form is not a format of its own
  CloseClipboard();
  EXPECT_EQ(screen->ClipboardText().value_or(""), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST_F(Clipboard, TextOfAnotherProgramIsReadAndTakesOver) {
  HWND owner = Owner();
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Block("mine", 5));
  CloseClipboard();
  screen->SetForeignClipboardText("theirs \xE2\x82\xAC");
  Log().clear();
  ASSERT_TRUE(OpenClipboard(owner));
  EXPECT_EQ(Names(Filtered(owner, {WM_DESTROYCLIPBOARD})), Names({WM_DESTROYCLIPBOARD}));
  HANDLE h = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(h, nullptr);
  std::string wide = Bytes(h);
  std::u16string expected = u"theirs \u20ac";
  ASSERT_EQ(wide.size(), (expected.size() + 1) * 2);
  EXPECT_EQ(std::memcmp(wide.data(), expected.c_str(), wide.size()), 0);
  CloseClipboard();
}

TEST_F(Clipboard, MalformedBlocksAreReadSafely) {
  HWND owner = Owner();
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  // No terminating zero, and an odd byte count: read up to the block's end only.
  SetClipboardData(CF_UNICODETEXT, Block("a\0b\0c", 5));
  EXPECT_EQ(SetClipboardData(CF_TEXT, reinterpret_cast<HANDLE>(0x1234)), nullptr);  // not a block
  CloseClipboard();
  EXPECT_EQ(screen->ClipboardText().value_or(""), "ab");
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, size_t{1} << 40), nullptr);
  EXPECT_EQ(GlobalLock(reinterpret_cast<HGLOBAL>(0x1234)), nullptr);
}

TEST_F(Clipboard, DestroyingTheOpenerClosesTheClipboard) {
  HWND owner = Owner();
  ASSERT_TRUE(OpenClipboard(owner));
  DestroyWindow(owner);
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  HWND other = Owner();
  EXPECT_TRUE(OpenClipboard(other));
  CloseClipboard();
}

}  // namespace
