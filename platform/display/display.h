// The display back end: where top-level windows appear, where input comes from and where
// the clipboard lives. The window layer (platform/user) owns the window model and reaches the
// screen only through this interface; two back ends implement it: X11 and a headless one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace display {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Identifies one native top-level window of a back end; 0 is none.
using NativeWindow = std::uint64_t;

// Pixels presented to the screen: 32 bits each, 0x00RRGGBB in native byte order (blue first in
// memory), rows top-down, stride counted in pixels.
struct PixelView {
  const std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

enum class EventKind {
  MouseMove,
  ButtonDown,
  ButtonUp,
  Wheel,
  KeyDown,
  KeyUp,
  FocusGained,  // the desktop gave the keyboard focus to the window
  FocusLost,    // keyboard focus left the program's windows (to another program or nowhere)
  Exposure,     // part of the window must be presented again
  Configured,   // the window was moved or sized, or maximised or restored, from outside (a window manager)
  ShownFromOutside,  // the window was shown again from outside (restored from an icon, mapped by a tool)
  CloseRequest  // the user asked to close the window through the desktop
};

enum class MouseButton { NoButton = 0, Left = 1, Middle = 2, Right = 3 };

struct Event {
  EventKind kind = EventKind::MouseMove;
  NativeWindow window = 0;
  int x = 0;  // pointer position in screen coordinates (mouse events)
  int y = 0;
  MouseButton button = MouseButton::NoButton;
  int wheel = 0;              // multiples of 120, positive away from the user
  unsigned virtualKey = 0;    // Windows virtual-key code (key events)
  unsigned scanCode = 0;
  bool extendedKey = false;
  char32_t character = 0;     // the character the key produces, 0 for none
  Rect rect{};                // Exposure: area in window coordinates; Configured: new screen rectangle
  std::uint32_t time = 0;     // milliseconds, the back end's clock
  bool maximized = false;     // Configured: the window manager keeps the window maximised
};

enum class Cursor {
  Arrow, IBeam, Wait, Cross, UpArrow, SizeNWSE, SizeNESW, SizeWE, SizeNS, SizeAll, No, Hand,
  AppStarting, Help
};

enum class WindowKind {
  Normal,  // a frame window: taken by the desktop as an application window, without decorations
  Dialog,  // a frame window that belongs to its owner (kept with it, no task bar entry of its own)
  Popup    // a menu, tooltip or drop-down: placed exactly, never decorated or managed
};

class Display {
 public:
  virtual ~Display() = default;

  virtual bool IsHeadless() const = 0;
  // The connection to the screen broke (the X server ended, the session logged out). From then
  // on nothing reaches a screen and no input comes; every call still returns.
  virtual bool ConnectionLost() const = 0;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  // The part of the screen (of the monitor, where there are several) that holds most of `near`
  // which the desktop's panels leave to windows; the whole monitor where no panel takes any.
  virtual Rect WorkArea(const Rect& near) = 0;

  virtual NativeWindow CreateNativeWindow(const Rect& screenRect, WindowKind kind) = 0;
  virtual void DestroyNativeWindow(NativeWindow w) = 0;
  virtual void ShowNativeWindow(NativeWindow w, bool visible) = 0;
  virtual void MoveNativeWindow(NativeWindow w, const Rect& screenRect) = 0;
  // Stacks the window above all others of this program (or below them when top is false).
  virtual void RaiseNativeWindow(NativeWindow w) = 0;
  // Hands the window to the window manager to be kept as an icon (or in a task bar) until it is
  // shown again; a window that is not shown yet starts as an icon.
  virtual void MinimizeNativeWindow(NativeWindow w) = 0;
  // True while a window manager runs that can keep minimised windows. Without one (a kiosk or
  // VNC session) a minimised window has to stay on the screen to be reachable.
  virtual bool HasWindowManager() = 0;
  // Asks the window manager to keep the window maximised (filling its work area), or no longer.
  // False when no window manager that keeps such a state runs: the window's own place is then
  // all there is. Changes the manager makes itself come back as Configured events.
  virtual bool MaximizeNativeWindow(NativeWindow w, bool maximized) = 0;
  // Keeps a window above its owner, as a dialog stays above the window it belongs to.
  virtual void SetNativeOwner(NativeWindow w, NativeWindow owner) = 0;
  // A dialog that holds its owner: the owner takes no input until the dialog ends.
  virtual void SetNativeModal(NativeWindow w, bool modal) = 0;
  virtual void SetNativeTitle(NativeWindow w, std::string_view utf8) = 0;
  // The picture the desktop shows for the window (task bar, icon, switcher): 32-bit pixels with
  // straight alpha in the top byte (0xAARRGGBB); an empty view removes it.
  virtual void SetNativeIcon(NativeWindow w, const PixelView& argb) = 0;
  // Restricts the window to the union of the rectangles (window coordinates); shaped false
  // gives it back its full rectangle.
  virtual void SetNativeShape(NativeWindow w, std::span<const Rect> rects, bool shaped) = 0;
  // Copies the part `dirty` (window coordinates) of the window's pixels to the screen.
  virtual void Present(NativeWindow w, const PixelView& pixels, const Rect& dirty) = 0;

  virtual void SetKeyboardFocus(NativeWindow w) = 0;
  virtual void GrabPointer(NativeWindow w) = 0;
  virtual void UngrabPointer() = 0;
  virtual void SetCursorShape(NativeWindow w, Cursor c) = 0;
  virtual void GetPointer(int& x, int& y) = 0;
  virtual void Beep() = 0;

  // Input: the next queued event without blocking; Wait blocks until one may be there, a
  // signal that asks the program to end arrives, or the timeout (milliseconds, negative for
  // none) passes.
  virtual bool NextEvent(Event& e) = 0;
  virtual void Wait(int timeoutMs) = 0;
  virtual void Flush() = 0;

  // Clipboard text (UTF-8). SetClipboardText makes this program the owner; requests from other
  // programs are answered while events are being read. ClipboardText reads the current owner's
  // text (this program's own without a round trip), or nothing when there is none.
  virtual void SetClipboardText(std::string utf8) = 0;
  virtual void ReleaseClipboard() = 0;
  virtual bool OwnsClipboard() const = 0;
  virtual std::optional<std::string> ClipboardText() = 0;
  // Hands owned clipboard text to the desktop's clipboard keeper before the program ends, so
  // that it outlives the process where such a keeper runs. True when a keeper took it.
  virtual bool PersistClipboard() = 0;
};

// X11 when a display is set and can be opened, else the headless back end.
std::unique_ptr<Display> OpenDisplay();
// The X11 back end on the named display (empty: $DISPLAY); nullptr when it cannot be opened.
std::unique_ptr<Display> OpenX11Display(const std::string& name = {});

}  // namespace display
