// The caret: drawn by inversion, blinking from the message loop, hidden around painting.
#include <chrono>
#include <thread>

#include "platform/user/caret.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class CaretTest : public UserTest {};

TEST_F(CaretTest, BlinksHidesAndSurvivesRepainting) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"E", WS_POPUP | WS_VISIBLE, 10, 10, 100, 40, nullptr, nullptr,
                              nullptr, nullptr);
  Pump();
  const std::uint32_t white = 0xffffff, black = 0;
  ASSERT_EQ(screen->ScreenPixel(16, 16), white);
  ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 12));
  ASSERT_TRUE(SetCaretPos(5, 5));
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), white);  // created hidden
  ASSERT_TRUE(ShowCaret(hwnd));
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), black);
  POINT p;
  ASSERT_TRUE(GetCaretPos(&p));
  EXPECT_EQ(p.x, 5);
  SetCaretBlinkTime(100);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), white);  // blinked off
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), black);  // and on
  // A repaint erases under the caret; the caret comes back after EndPaint, not inverted twice.
  InvalidateRect(hwnd, nullptr, TRUE);
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), black);
  EXPECT_EQ(screen->ScreenPixel(18, 16), white);
  ASSERT_TRUE(HideCaret(hwnd));
  ASSERT_TRUE(HideCaret(hwnd));
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), white);
  EXPECT_TRUE(ShowCaret(hwnd));
  Pump();
  EXPECT_EQ(screen->ScreenPixel(16, 16), white);  // still hidden once
  EXPECT_TRUE(ShowCaret(hwnd));
  EXPECT_FALSE(ShowCaret(hwnd));  // not hidden any more
  DestroyWindow(hwnd);
  EXPECT_FALSE(DestroyCaret());  // went with its window
  SetCaretBlinkTime(530);
}

}  // namespace
