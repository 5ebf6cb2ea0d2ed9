// The back end used without a display and by tests: windows live in memory, input is
// injected by the caller and the screen can be read back pixel by pixel.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "platform/display/display.h"

namespace display {

class HeadlessDisplay final : public Display {
 public:
  explicit HeadlessDisplay(int screenWidth = 1280, int screenHeight = 1024);

  bool IsHeadless() const override { return true; }
  bool ConnectionLost() const override { return lost_; }
  // Behaves from now on as a display whose connection broke (tests of the program's end).
  void LoseConnection() { lost_ = true; }
  int ScreenWidth() const override { return screenWidth_; }
  int ScreenHeight() const override { return screenHeight_; }
  Rect WorkArea(const Rect& near) override;

  NativeWindow CreateNativeWindow(const Rect& screenRect, WindowKind kind) override;
  void DestroyNativeWindow(NativeWindow w) override;
  void ShowNativeWindow(NativeWindow w, bool visible) override;
  void MoveNativeWindow(NativeWindow w, const Rect& screenRect) override;
  void RaiseNativeWindow(NativeWindow w) override;
  void MinimizeNativeWindow(NativeWindow w) override;
  bool HasWindowManager() override { return windowManager_; }
  bool MaximizeNativeWindow(NativeWindow w, bool maximized) override;
  void SetNativeOwner(NativeWindow, NativeWindow) override {}
  void SetNativeModal(NativeWindow w, bool modal) override;
  void SetNativeIcon(NativeWindow w, const PixelView& argb) override;
  void SetNativeTitle(NativeWindow w, std::string_view utf8) override;
  void SetNativeShape(NativeWindow w, std::span<const Rect> rects, bool shaped) override;
  void Present(NativeWindow w, const PixelView& pixels, const Rect& dirty) override;

  void SetKeyboardFocus(NativeWindow w) override;
  void GrabPointer(NativeWindow w) override { grab_ = w; }
  void UngrabPointer() override { grab_ = 0; }
  void SetCursorShape(NativeWindow w, Cursor c) override { cursor_ = c; }
  void GetPointer(int& x, int& y) override;
  void Beep() override { ++beeps_; }

  bool NextEvent(Event& e) override;
  void Wait(int timeoutMs) override;
  void Flush() override {}

  void SetClipboardText(std::string utf8) override;
  void ReleaseClipboard() override;
  bool OwnsClipboard() const override { return keeper_ ? keeper_->OwnsClipboard() : owned_; }
  std::optional<std::string> ClipboardText() override;
  bool PersistClipboard() override;

  // A run without windows may still put text on the desktop's clipboard: `open` gives the back
  // end that holds it (nullptr where there is none), called when the clipboard is first written.
  void KeepClipboardOn(std::function<std::unique_ptr<Display>()> open);

  // Test controls.
  void MoveMouse(int x, int y);
  void PressButton(MouseButton b);
  void ReleaseButton(MouseButton b);
  void Click(int x, int y, MouseButton b = MouseButton::Left);
  void TurnWheel(int delta);
  void PressKey(unsigned virtualKey, char32_t character = 0);
  void ReleaseKey(unsigned virtualKey);
  void TypeKey(unsigned virtualKey, char32_t character = 0);
  void RequestClose(NativeWindow w);
  // Behaves from now on as a screen with a window manager or without one (a kiosk session).
  void SetWindowManager(bool runs) { windowManager_ = runs; }
  // Monitors side by side, each with the work area its panels leave (default: the screen).
  void SetWorkAreas(std::vector<Rect> monitors, std::vector<Rect> workAreas);
  // The window manager keeps the maximised state: asked, it fills the work area itself.
  void SetManagerKeepsMaximized(bool keeps) { keepsMaximized_ = keeps; }
  // The window manager maximises (filling the work area) or restores the window to `rect`.
  void MaximizeFromOutside(NativeWindow w, bool maximized, const Rect& rect);
  // Another program takes the keyboard focus; the desktop gives it to one of ours.
  void FocusElsewhere();
  void FocusFromOutside(NativeWindow w);
  // Another program takes the clipboard with this text.
  void SetForeignClipboardText(std::string utf8);
  // The colour (0x00RRGGBB) shown at a screen point: the topmost visible window that covers
  // it, or the desktop colour 0x00000000.
  std::uint32_t ScreenPixel(int x, int y) const;
  // The last presented colour of a window's own pixel (window coordinates).
  std::uint32_t WindowPixel(NativeWindow w, int x, int y) const;
  bool IsVisible(NativeWindow w) const;
  bool IsMinimized(NativeWindow w) const;
  Rect WindowRect(NativeWindow w) const;
  std::string Title(NativeWindow w) const;
  size_t ShapeRectCount(NativeWindow w) const;
  WindowKind Kind(NativeWindow w) const;
  bool IsModal(NativeWindow w) const;
  bool IsMaximized(NativeWindow w) const;
  // The size of the icon the desktop shows for the window (empty for none).
  Rect IconRect(NativeWindow w) const;
  NativeWindow FocusedWindow() const { return focus_; }
  NativeWindow PointerGrab() const { return grab_; }
  Cursor CurrentCursor() const { return cursor_; }
  int BeepCount() const { return beeps_; }
  // How many times the program has waited for input (Wait).
  int WaitCount() const { return waits_; }
  size_t WindowCount() const { return windows_.size(); }
  std::uint32_t clock() const { return clock_; }
  void AdvanceClock(std::uint32_t ms) { clock_ += ms; }

 private:
  struct Surface {
    Rect rect;
    WindowKind kind = WindowKind::Normal;
    bool visible = false;
    bool minimized = false;
    bool shaped = false;
    bool modal = false;
    bool maximized = false;
    Rect icon;
    std::vector<Rect> shape;
    std::vector<std::uint32_t> pixels;  // rect.width() x rect.height()
    std::string title;
  };
  Surface* Find(NativeWindow w);
  const Surface* Find(NativeWindow w) const;
  bool Covers(const Surface& s, int x, int y) const;
  NativeWindow WindowAt(int x, int y) const;
  void Queue(Event e);
  void QueueButton(MouseButton b, bool down);

  int screenWidth_;
  int screenHeight_;
  std::map<NativeWindow, Surface> windows_;
  std::vector<NativeWindow> stacking_;  // bottom to top
  NativeWindow next_ = 1;
  NativeWindow focus_ = 0;
  NativeWindow grab_ = 0;
  Cursor cursor_ = Cursor::Arrow;
  int beeps_ = 0;
  int waits_ = 0;
  int pointerX_ = 0;
  int pointerY_ = 0;
  std::deque<Event> events_;
  std::uint32_t clock_ = 0;
  bool owned_ = false;
  bool lost_ = false;
  bool windowManager_ = true;
  bool keepsMaximized_ = false;
  std::vector<Rect> monitors_;
  std::vector<Rect> workAreas_;
  std::optional<std::string> clipboard_;
  std::function<std::unique_ptr<Display>()> openKeeper_;
  std::unique_ptr<Display> keeper_;  // holds the clipboard where one was opened
};

}  // namespace display
