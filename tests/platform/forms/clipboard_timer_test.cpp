// The clipboard object over the window layer's clipboard (open count, the first format of an
// open emptying it once, text and buffers, a clipboard held elsewhere) and timers.
#include <cstring>

#include "platform/forms/clipboard.h"
#include "platform/forms/timer.h"
#include "platform/forms/win/std_controls.h"
#include "platform/rtl/strings.h"
#include "platform/user/global_memory.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"

namespace formstest {
namespace {

std::u16string UnicodeText() {
  std::u16string out;
  if (!OpenClipboard(nullptr)) return u"<busy>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    auto* p = static_cast<const char16_t*>(GlobalLock(h));
    out.assign(p, std::char_traits<char16_t>::length(p));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

size_t FormatSize(UINT format) {
  size_t n = 0;
  if (!OpenClipboard(nullptr)) return 0;
  if (HANDLE h = GetClipboardData(format)) n = GlobalSize(h);
  CloseClipboard();
  return n;
}

TEST_F(FormsTest, ClipboardOpenCountNests) {
  TClipboard* c = Clipboard();
  c->Open();
  c->Open();
  EXPECT_EQ(c->OpenCount(), 2);
  EXPECT_NE(GetOpenClipboardWindow(), nullptr);
  c->Close();
  EXPECT_EQ(c->OpenCount(), 1);
  EXPECT_NE(GetOpenClipboardWindow(), nullptr);
  c->Close();
  c->Close();  // one too many does nothing
  EXPECT_EQ(c->OpenCount(), 0);
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
}

TEST_F(FormsTest, ClipboardTextAndTheOtherProgramsView) {
  TClipboard* c = Clipboard();
  c->SetAsText("Masterimage: \r\n/x/master.jpg \r\n");
  EXPECT_EQ(c->AsText(), "Masterimage: \r\n/x/master.jpg \r\n");
  EXPECT_TRUE(c->HasFormat(CF_TEXT));
  EXPECT_EQ(screen->ClipboardText().value_or(""), "Masterimage: \r\n/x/master.jpg \r\n");
  c->Clear();
  EXPECT_FALSE(c->HasFormat(CF_TEXT));
  EXPECT_EQ(c->AsText(), "");
  screen->SetForeignClipboardText("from another program");
  EXPECT_EQ(c->AsText(), "from another program");
  char buf[5];
  EXPECT_EQ(c->GetTextBuf(buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "from");
}

TEST_F(FormsTest, FormatsPutWithinOneOpenStandSideBySide) {
  // The Unicode writer's sequence: clear, open, 8-bit text, UTF-16 text, close.
  TClipboard* c = Clipboard();
  std::u16string wide = u"Matching images: \r\n/x/\u00e9t\u00e9.jpg \r\n";
  std::string narrow = WideToUtf8(wide);
  c->Clear();
  c->Open();
  c->SetTextBuf(narrow.c_str());
  c->SetBuffer(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * 2);
  c->Close();
  EXPECT_EQ(c->AsText(), narrow);
  EXPECT_EQ(UnicodeText(), wide);
  EXPECT_EQ(FormatSize(CF_TEXT), narrow.size() + 1);
  EXPECT_EQ(FormatSize(CF_UNICODETEXT), (wide.size() + 1) * 2);
  // An empty text: one zero byte and one zero code unit.
  c->Clear();
  c->Open();
  c->SetTextBuf("");
  c->SetBuffer(CF_UNICODETEXT, u"", 2);
  c->Close();
  EXPECT_EQ(FormatSize(CF_TEXT), 1u);
  EXPECT_EQ(FormatSize(CF_UNICODETEXT), 2u);
  // Outside an open each put is an open of its own: it replaces what was there.
  UINT mine = RegisterClipboardFormatW(u"Velmora private");
  c->SetBuffer(mine, "abc", 3);
  c->SetAsText("text");
  EXPECT_FALSE(c->HasFormat(mine));
  EXPECT_TRUE(c->HasFormat(CF_TEXT));
}

TEST_F(FormsTest, ClipboardHeldElsewhereCannotBeOpened) {
  RegisterStandardControls();
  HWND other = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(OpenClipboard(other));
  try {
    Clipboard()->SetAsText("lost");
    ADD_FAILURE();
  } catch (const EClipboardException& e) {
    EXPECT_STREQ(e.what(), "Cannot open clipboard");
  }
  EXPECT_EQ(Clipboard()->OpenCount(), 0);
  CloseClipboard();
  DestroyWindow(other);
}

TEST_F(FormsTest, TimersFireWhileEnabled) {
  TComponentPtr<TTimer> t(CreateComponent<TTimer>(Application));
  int fired = 0;
  t->SetInterval(20);
  t->OnTimer = [&](TObject* s) {
    EXPECT_EQ(s, t.get());
    ++fired;
  };
  PumpFor(150);
  EXPECT_GE(fired, 2);
  t->SetEnabled(false);
  int before = fired;
  PumpFor(80);
  EXPECT_EQ(fired, before);
  t->SetEnabled(true);
  t.reset();  // freed while running: never fires again
  PumpFor(60);
  EXPECT_EQ(fired, before);
}

}  // namespace
}  // namespace formstest
