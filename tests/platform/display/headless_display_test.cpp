// The headless back end: stacking, shapes, presenting and injected input.
#include <gtest/gtest.h>

#include "platform/display/headless_display.h"

using namespace display;

namespace {

std::vector<std::uint32_t> Filled(int w, int h, std::uint32_t c) {
  return std::vector<std::uint32_t>(static_cast<size_t>(w) * h, c);
}

TEST(Headless, TopmostVisibleWindowShowsAndShapesCut) {
  HeadlessDisplay d(200, 100);
  NativeWindow a = d.CreateNativeWindow(Rect{0, 0, 50, 50}, WindowKind::Normal);
  NativeWindow b = d.CreateNativeWindow(Rect{25, 25, 75, 75}, WindowKind::Popup);
  auto pa = Filled(50, 50, 0x111111), pb = Filled(50, 50, 0x222222);
  d.Present(a, PixelView{pa.data(), 50, 50, 50}, Rect{0, 0, 50, 50});
  d.Present(b, PixelView{pb.data(), 50, 50, 50}, Rect{0, 0, 50, 50});
  EXPECT_EQ(d.ScreenPixel(30, 30), 0u);  // nothing shown yet
  d.ShowNativeWindow(a, true);
  d.ShowNativeWindow(b, true);
  EXPECT_EQ(d.ScreenPixel(30, 30), 0x222222u);
  d.RaiseNativeWindow(a);
  EXPECT_EQ(d.ScreenPixel(30, 30), 0x111111u);
  std::vector<Rect> corner{{0, 0, 10, 10}};
  d.SetNativeShape(a, corner, true);
  EXPECT_EQ(d.ScreenPixel(30, 30), 0x222222u);
  EXPECT_EQ(d.ScreenPixel(5, 5), 0x111111u);
  EXPECT_EQ(d.ScreenPixel(20, 5), 0u);
  d.MinimizeNativeWindow(b);
  EXPECT_EQ(d.ScreenPixel(30, 30), 0u);
}

TEST(Headless, PresentStaysInsideBothRectangles) {
  HeadlessDisplay d;
  NativeWindow w = d.CreateNativeWindow(Rect{10, 10, 20, 20}, WindowKind::Normal);
  auto big = Filled(100, 100, 0xabcdef);
  d.Present(w, PixelView{big.data(), 100, 100, 100}, Rect{-50, -50, 500, 500});
  EXPECT_EQ(d.WindowPixel(w, 9, 9), 0xabcdefu);
  EXPECT_EQ(d.WindowPixel(w, 10, 10), 0u);  // outside the window: nothing
  auto small = Filled(2, 2, 0x010203);
  d.Present(w, PixelView{small.data(), 2, 2, 2}, Rect{0, 0, 10, 10});
  EXPECT_EQ(d.WindowPixel(w, 1, 1), 0x010203u);
  EXPECT_EQ(d.WindowPixel(w, 5, 5), 0xabcdefu);
  // Absurd sizes are bounded, not allocated.
  d.MoveNativeWindow(w, Rect{0, 0, 1 << 30, 1 << 30});
  EXPECT_LE(d.WindowRect(w).width(), 8192);
}

TEST(Headless, InjectedInputNamesTheWindowUnderThePointerOrTheGrab) {
  HeadlessDisplay d;
  NativeWindow a = d.CreateNativeWindow(Rect{0, 0, 50, 50}, WindowKind::Normal);
  NativeWindow b = d.CreateNativeWindow(Rect{100, 0, 150, 50}, WindowKind::Normal);
  d.ShowNativeWindow(a, true);
  d.ShowNativeWindow(b, true);
  d.Click(10, 10);
  Event e;
  ASSERT_TRUE(d.NextEvent(e));
  EXPECT_EQ(e.kind, EventKind::MouseMove);
  EXPECT_EQ(e.window, a);
  ASSERT_TRUE(d.NextEvent(e));
  EXPECT_EQ(e.kind, EventKind::ButtonDown);
  ASSERT_TRUE(d.NextEvent(e));
  EXPECT_EQ(e.kind, EventKind::ButtonUp);
  EXPECT_FALSE(d.NextEvent(e));
  d.GrabPointer(a);
  d.MoveMouse(120, 10);
  ASSERT_TRUE(d.NextEvent(e));
  EXPECT_EQ(e.window, a);
  d.UngrabPointer();
  d.MoveMouse(120, 10);
  ASSERT_TRUE(d.NextEvent(e));
  EXPECT_EQ(e.window, b);
  d.DestroyNativeWindow(b);
  d.MoveMouse(120, 10);
  ASSERT_TRUE(d.NextEvent(e));
  EXPECT_EQ(e.window, 0u);
}

TEST(Headless, ClipboardOwnership) {
  HeadlessDisplay d;
  EXPECT_FALSE(d.ClipboardText().has_value());
  d.SetClipboardText("x");
  EXPECT_TRUE(d.OwnsClipboard());
  d.SetForeignClipboardText("y");
  EXPECT_FALSE(d.OwnsClipboard());
  EXPECT_EQ(d.ClipboardText().value_or(""), "y");
  d.ReleaseClipboard();  // not ours: stays
  EXPECT_EQ(d.ClipboardText().value_or(""), "y");
}

}  // namespace
