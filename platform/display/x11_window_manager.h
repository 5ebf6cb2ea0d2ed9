// What the X11 back end asks of a running window manager: whether there is one.
#pragma once

#include <X11/Xlib.h>

namespace display {

// True while a window manager runs on the screen of `root`: one that names itself through
// _NET_SUPPORTING_WM_CHECK, or an older one (twm) that only redirects the root's children.
bool WindowManagerRuns(::Display* dpy, Window root);

}  // namespace display
