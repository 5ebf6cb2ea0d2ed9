// Window procedures bound to objects. A class that subclasses windows keeps its per-window
// state in an object; MakeObjectInstance gives a plain WNDPROC that calls the object's
// handler, for SetWindowLongPtr(GWL_WNDPROC) and CallWindowProc.
#pragma once

#include <functional>

#include "platform/user/wintypes.h"

using ObjectWndProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// nullptr when all instances are in use (there are 4096).
WNDPROC MakeObjectInstance(ObjectWndProc handler);
// Releases an instance. Safe while the instance's own handler is running (a subclass that
// removes itself inside a message): the handler is destroyed when its last call returns.
void FreeObjectInstance(WNDPROC instance);
