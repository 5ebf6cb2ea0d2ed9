// Functions that the files of the window layer share among themselves.
#pragma once

#include <memory>

#include "platform/user/default_proc.h"
#include "platform/user/internal/user_state.h"
#include "platform/user/scroll.h"

namespace user_internal {

std::shared_ptr<WindowClass> FindClass(const char16_t* name);

// The window procedure of popup menu windows (class "#32768").
LRESULT PopupMenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The window procedure of MDI client windows (class "MDIClient").
LRESULT MDIClientWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A message stamped with the time and the cursor position, as retrieval reports them.
MSG MakeMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Tree maintenance.
void LinkWindow(Window* w, HWND insertAfter);
void UnlinkWindow(Window* w);

// Positioning with the full message sequence (window_pos.cpp).
// Fills the default MINMAXINFO and lets the window change it (WM_GETMINMAXINFO).
MINMAXINFO QueryMinMax(HWND hwnd);
// The work area of the monitor that holds a top-level window (the screen for child windows).
RECT WorkAreaOf(const Window* w);
BOOL SetWindowPosInternal(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Recomputes the client rectangle through WM_NCCALCSIZE for the given window rectangle.
void CalcClientRect(Window* w, const RECT& newWindow, WINDOWPOS* pos);

// Painting (paint.cpp).
void InvalidateWindowArea(Window* w, const RectSet& area, UINT flags);  // window coordinates
void ValidateWindowArea(Window* w, const RectSet* area);               // nullptr: everything
HWND FindWindowToPaint(HWND filter);
bool SendPendingNcPaint();  // sends WM_NCPAINT for a frame-only update; true if one was sent
void DropPaintState(Window* w);
void PresentAll();
// Records the area a device context drew into as not yet presented.
void MarkDirty(HWND hwnd, HDC dc);
// The visible area of a window inside its top-level back buffer (buffer coordinates).
RectSet VisibleArea(Window* w, bool clientOnly, bool clipChildren, bool clipSiblings);

// Menus (menus.cpp).
void DestroyWindowMenus(Window* w);

// Brings a top-level window and the windows it owns to the top (focus_activation.cpp).
void RaiseWithOwned(Window* w);
// Another program took the activation (focus_activation.cpp).
void DeactivateApp();

// Mouse and keyboard (input_events.cpp).
void ProcessDisplayEvent(const display::Event& e);
void UpdateKeyStateFor(const MSG& msg);
void CheckMouseHover();
// Posts WM_ENDSESSION to the top-level windows the first time an end request is seen.
void AnnounceEndRequest();
void SetCursorFromShape(HCURSOR cursor);

// Timers (message_queue.cpp).
void KillWindowTimers(HWND hwnd);

// Default processing helpers (nonclient.cpp, move_size.cpp).
FrameLayout LayoutOf(const Window* w);
void PaintMenuBar(Window* w, HDC dc, const RECT& bar);  // menus.cpp
LRESULT DefaultNcHitTest(Window* w, POINT screen);
void DefaultNcPaint(Window* w);
void PaintFrameInto(Window* w, HDC dc);
// A caption button of the classic frame: glyph 0 close, 1 maximise, 2 restore, 3 minimise.
void PaintCaptionGlyph(HDC dc, const RECT& r, int glyph, bool enabled);  // the non-client area into any DC (window coordinates)
// Parts of a window scroll bar (window coordinates): the two arrow buttons and the thumb, which
// stands at the tracked position while it is dragged.
ScrollBarParts ScrollBarLayout(const Window* w, const RECT& bar, bool vertical);
LRESULT DefaultNcCalcSize(Window* w, WPARAM calcValid, LPARAM lParam);
void DefaultNcMouseDown(HWND hwnd, LRESULT hit, POINT screen);
void DefaultSysCommand(HWND hwnd, WPARAM cmd, LPARAM lParam);
void RunMoveSizeLoop(HWND hwnd, WPARAM cmd, POINT start);

// The caret (caret.cpp): blinking from the message loop (milliseconds to the next blink, -1
// for none), hiding it while a window paints, and its window going away.
int CaretTick();
void CaretHideForPaint(HWND hwnd);
void CaretShowAfterPaint(HWND hwnd);
void CaretWindowDestroyed(HWND hwnd);

// Clipboard (clipboard.cpp): the window owning the clipboard is going.
void ClipboardWindowDestroyed(HWND hwnd);

}  // namespace user_internal
