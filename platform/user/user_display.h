// Which display back end the window layer uses. By default the first window opens one: X11
// when DISPLAY names a display that can be opened, the headless back end otherwise.
#pragma once

#include <memory>

#include "platform/display/display.h"
#include "platform/display/headless_display.h"

// The back end in use (opened on first use).
display::Display& CurrentDisplay();
// Replaces the back end; only while no window exists. Returns false otherwise.
bool UseDisplay(std::unique_ptr<display::Display> backEnd);
// Shorthand for tests and batch runs: a fresh headless back end; returns it.
display::HeadlessDisplay* UseHeadlessDisplay(int screenWidth = 1280, int screenHeight = 1024);
// Reads and turns into messages whatever the back end has queued (PeekMessage does this).
void PumpDisplayEvents();
// The program is asked from outside to end: a signal that ends programs arrived (see
// platform/rtl/end_signals.h) or the display's connection broke. The first time message
// retrieval sees such a request, every top-level window is posted WM_ENDSESSION (wParam TRUE),
// as at the end of a session, so that whichever loop is running hears of it.
bool EndRequested();
