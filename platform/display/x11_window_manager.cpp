#include "platform/display/x11_window_manager.h"

#include <X11/Xatom.h>

namespace display {

namespace {

// The window a property of type WINDOW names, or None.
Window WindowProperty(::Display* dpy, Window w, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window result = None;
  if (XGetWindowProperty(dpy, w, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
          Success &&
      type == XA_WINDOW && format == 32 && count == 1 && data)
    result = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return result;
}

}  // namespace

bool WindowManagerRuns(::Display* dpy, Window root) {
  // A window manager that ended leaves its property on the root behind; the window it names
  // is then gone, or no longer names itself.
  Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
  Window named = WindowProperty(dpy, root, check);
  if (named != None && WindowProperty(dpy, named, check) == named) return true;
  // Only one client can redirect the root's children, and every window manager does.
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy, root, &a) && (a.all_event_masks & SubstructureRedirectMask) != 0;
}

}  // namespace display
