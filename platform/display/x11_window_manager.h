// What the X11 back end asks of a running window manager, and what it tells it about a window,
// as the freedesktop.org window manager hints and the ICCCM define them.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/display/display.h"

namespace display {

// True while a window manager runs on the screen of `root`: one that names itself through
// _NET_SUPPORTING_WM_CHECK, or an older one (twm) that only redirects the root's children.
bool WindowManagerRuns(::Display* dpy, Window root);

// The work area of the monitor that holds most of `near` (the whole screen without Xinerama):
// the monitor less what the running window manager's _NET_WORKAREA leaves out of it.
Rect WorkAreaNear(::Display* dpy, Window root, const Rect& near);

// A window manager that runs and keeps the maximised state of _NET_WM_STATE.
bool ManagerKeepsMaximized(::Display* dpy, Window root);
// Whether the window's _NET_WM_STATE says maximised both ways.
bool ReadMaximized(::Display* dpy, Window w);
// Asks for the maximised state: a request to the manager while the window is mapped, the
// window's own property while it is withdrawn (read when it is mapped).
void RequestMaximized(::Display* dpy, Window root, Window w, bool mapped, bool maximized);
// The same for _NET_WM_STATE_MODAL.
void RequestModal(::Display* dpy, Window root, Window w, bool mapped, bool modal);

// What a managed window says of itself once: its process, its machine and its type (a normal
// window, or a dialog of the window it is transient for, which has no task bar entry).
void DescribeWindow(::Display* dpy, Window w, WindowKind kind);
// _NET_WM_NAME and _NET_WM_ICON_NAME in UTF-8; WM_NAME and WM_ICON_NAME in Latin-1 (STRING)
// where the text allows it, else COMPOUND_TEXT.
void NameWindow(::Display* dpy, Window w, std::string_view utf8);
// _NET_WM_ICON from 0xAARRGGBB pixels; an empty view removes it.
void SetNetIcon(::Display* dpy, Window w, const PixelView& argb);

}  // namespace display
