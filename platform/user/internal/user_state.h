// The window layer's state: the window table, classes, the message queue, timers, hooks,
// focus, capture and activation. One user-interface thread owns all of it, as the user
// interface layer of Windows keeps it per thread; it lives in one object reached through
// UserState::Get().
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/user/rect_set.h"
#include "platform/user/wintypes.h"

namespace user_internal {

inline constexpr size_t kMaxWindows = 10000;        // like the per-process window quota
inline constexpr size_t kMaxPostedMessages = 10000;  // like the posted-message quota
inline constexpr int kMaxNesting = 100;             // depth of the window tree
inline constexpr int kMaxCoordinate = 32767;        // coordinates fit a 16-bit message field
inline constexpr int kMaxSendDepth = 512;          // nested SendMessage calls

struct WindowClass {
  std::u16string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::u16string menuName;
  std::vector<std::uint8_t> extra;
  bool system = false;
};

class BackBuffer;

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // the parent of a WS_CHILD window
  HWND owner = nullptr;   // the owner of a top-level window
  std::vector<HWND> children;  // z-order, topmost first
  RECT window{};  // in the parent's client coordinates (screen for top-level windows)
  RECT client{};  // same coordinates as `window`
  std::u16string text;
  std::vector<std::pair<std::u16string, HANDLE>> props;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<std::uint8_t> extra;
  HMENU menu = nullptr;
  HMENU systemMenu = nullptr;
  HICON iconSmall = nullptr;
  HICON iconBig = nullptr;

  // Painting: the update area in window coordinates (origin at the window's top-left).
  RectSet update;
  bool erasePending = false;
  bool framePending = false;
  bool internalPaint = false;
  bool inPaint = false;
  bool ncActive = false;  // the frame is drawn in its active colours

  // The window region (window coordinates) and the handle given to SetWindowRgn.
  bool hasRegion = false;
  RectSet region;
  HRGN regionHandle = nullptr;

  struct ScrollState {
    int min = 0, max = 100, page = 0, pos = 0, trackPos = 0;
    bool tracking = false;  // the thumb is being dragged (drawn at trackPos)
    // Shown with nothing to scroll (SIF_DISABLENOSCROLL): drawn greyed, deaf to presses.
    bool disabled = false;
  };
  ScrollState scroll[2];  // SB_HORZ, SB_VERT

  RECT normalRect{};  // restored position (parent coordinates) while minimised or maximised
  bool createSent = false;
  bool destroying = false;
  bool dead = false;  // destroyed: the handle is no longer valid
  int busy = 0;       // procedure calls in progress on this window

  // Top-level windows only.
  display::NativeWindow native = 0;
  std::unique_ptr<BackBuffer> backBuffer;
  RectSet dirty;  // back-buffer area not yet presented (window coordinates)
  // Where the native window is: as last asked of the desktop, or as the desktop reported it.
  RECT nativeRect{};
  enum class NativeState { Hidden, Shown, Iconic } nativeState = NativeState::Hidden;
  // Minimised into a window manager's keeping (an icon) rather than onto the screen.
  bool minimizedToDesktop = false;
  // Kept maximised by the window manager (one that keeps that state), as asked or reported.
  bool nativeMaximized = false;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  std::uint64_t due = 0;
};

struct Hook {
  int kind = 0;
  HOOKPROC proc = nullptr;
  HHOOK handle = nullptr;
  bool alive = true;
};

struct MouseTrack {
  HWND hwnd = nullptr;
  DWORD flags = 0;
  DWORD hoverTime = 0;
  std::uint64_t hoverStart = 0;
  POINT hoverPoint{};
};

class UserState {
 public:
  static UserState& Get();

  display::Display& Display();
  bool HasDisplay() const { return display_ != nullptr; }
  bool ReplaceDisplay(std::unique_ptr<display::Display> d);

  // Window table.
  Window* Find(HWND h) const;  // live windows only
  Window* FindAny(HWND h) const;  // also windows destroyed while a call on them is running
  Window* Allocate();
  void Release(Window* w);  // frees now, or when the last call on it returns
  size_t LiveCount() const { return live_; }

  std::uint64_t Now() const;  // milliseconds since start

  // Classes.
  std::map<std::u16string, std::shared_ptr<WindowClass>> classes;  // by lower-cased name
  std::map<std::u16string, ATOM> atoms;  // global atoms, lower-cased name
  std::map<ATOM, std::u16string> atomNames;
  ATOM nextAtom = 0xC000;

  // The tree of top-level windows, topmost first.
  std::vector<HWND> topLevels;

  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  bool appActive = false;

  // Messages.
  std::deque<MSG> posted;
  std::deque<MSG> input;
  std::deque<display::Event> raw;  // input events not yet turned into messages
  bool quitPending = false;
  int quitCode = 0;
  // WM_ENDSESSION has gone to the top-level windows for the end request now standing.
  bool endAnnounced = false;
  MSG lastMessage{};
  int sendDepth = 0;

  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 1;

  std::vector<Hook> hooks;  // in installation order
  int hookCallDepth = 0;
  std::uintptr_t nextHook = 1;

  BYTE keyState[256] = {};
  POINT cursorPos{};
  HCURSOR cursor = nullptr;
  MouseTrack track;
  HWND lastMouseWindow = nullptr;
  // Double-click detection.
  UINT lastClickMessage = 0;
  HWND lastClickWindow = nullptr;
  std::uint64_t lastClickTime = 0;
  POINT lastClickPoint{};

 private:
  UserState();
  std::unique_ptr<display::Display> display_;
  std::vector<std::unique_ptr<Window>> slots_;
  std::vector<std::uint16_t> generations_;
  std::vector<size_t> free_;
  size_t live_ = 0;
  std::uint64_t start_ = 0;
};

inline UserState& State() { return UserState::Get(); }

// Calls a window procedure with the window kept alive for the call.
LRESULT CallProcedure(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends a message without the public entry's checks (the window is known to be live).
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Geometry helpers.
POINT ClientOriginOnScreen(const Window* w);
RECT WindowRectOnScreen(const Window* w);
Window* TopLevelOf(Window* w);
// Offset of a window's top-left inside its top-level window's back buffer.
POINT OffsetInTopLevel(const Window* w);
bool IsVisibleChain(const Window* w);  // the window and all its ancestors are visible
int Depth(const Window* w);

std::u16string LowerAscii(std::u16string_view s);

// Parts of other files that the core calls.
void OnWindowDestroyed(HWND hwnd);          // input: focus, capture, tracking, timers
// Activates a top-level window (focus_activation.cpp); `reported`: the desktop has activated its
// native window already, and is asked for nothing (no raise, no focus) in return.
void ActivateTopLevel(HWND hwnd, bool mouse, bool reported = false);
// The enabled window that holds a disabled top-level window: its modal dialog, or none.
HWND ModalPopupOf(HWND top);
void DeactivateOnHide(HWND hwnd);           // activate another window when hwnd hides
LRESULT CallCbtHook(int code, WPARAM wParam, LPARAM lParam);
bool HasHooks(int kind);
void SyncNative(Window* w);                 // create/move/show the native window
void SyncNativeIcon(Window* w);             // the picture the desktop shows for the window
void SyncNativeModal(Window* owner);        // dialogs of a disabled owner hold it
void DestroyNative(Window* w);
void PresentDirty(Window* top);             // show back-buffer changes

}  // namespace user_internal
