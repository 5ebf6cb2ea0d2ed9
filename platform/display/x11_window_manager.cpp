#include "platform/display/x11_window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace display {

namespace {

// The items of a 32-bit property of the given type (at most `limit`); empty when it is missing.
std::vector<long> LongsProperty(::Display* dpy, Window w, Atom property, Atom type, long limit) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> result;
  if (XGetWindowProperty(dpy, w, property, 0, limit, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      actual == type && format == 32 && data)
    result.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  if (data) XFree(data);
  return result;
}

// The window a property of type WINDOW names, or None.
Window WindowProperty(::Display* dpy, Window w, Atom property) {
  std::vector<long> v = LongsProperty(dpy, w, property, XA_WINDOW, 1);
  return v.size() == 1 ? static_cast<Window>(v[0]) : None;
}

Atom Intern(::Display* dpy, const char* name) { return XInternAtom(dpy, name, False); }

long Overlap(const Rect& a, const Rect& b) {
  long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

long long DistanceToCentre(const Rect& monitor, const Rect& r) {
  long long cx = (static_cast<long long>(r.left) + r.right) / 2, cy = (static_cast<long long>(r.top) + r.bottom) / 2;
  long long dx = cx < monitor.left ? monitor.left - cx : cx >= monitor.right ? cx - monitor.right + 1 : 0;
  long long dy = cy < monitor.top ? monitor.top - cy : cy >= monitor.bottom ? cy - monitor.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

// The monitors of the screen: Xinerama's (which RandR also answers), else the root itself.
std::vector<Rect> Monitors(::Display* dpy, Window root) {
  std::vector<Rect> monitors;
  int events = 0, errors = 0;
  if (XineramaQueryExtension(dpy, &events, &errors) && XineramaIsActive(dpy)) {
    int count = 0;
    if (XineramaScreenInfo* info = XineramaQueryScreens(dpy, &count)) {
      for (int i = 0; i < count; ++i)
        if (info[i].width > 0 && info[i].height > 0)
          monitors.push_back(Rect{info[i].x_org, info[i].y_org, info[i].x_org + info[i].width,
                                  info[i].y_org + info[i].height});
      XFree(info);
    }
  }
  if (monitors.empty()) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(dpy, root, &a)) monitors.push_back(Rect{0, 0, a.width, a.height});
  }
  return monitors;
}

bool Supports(::Display* dpy, Window root, std::initializer_list<const char*> names) {
  std::vector<long> supported = LongsProperty(dpy, root, Intern(dpy, "_NET_SUPPORTED"), XA_ATOM, 4096);
  return std::all_of(names.begin(), names.end(), [&](const char* name) {
    return std::find(supported.begin(), supported.end(), static_cast<long>(Intern(dpy, name))) != supported.end();
  });
}

// Adds or removes up to two states: a request to the manager for a mapped window, the property
// itself for a withdrawn one or where no manager runs.
void RequestState(::Display* dpy, Window root, Window w, bool mapped, bool add, Atom first, Atom second) {
  Atom state = Intern(dpy, "_NET_WM_STATE");
  // Without a window manager the property is the window's own to keep.
  if (mapped && WindowManagerRuns(dpy, root)) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = state;
    e.xclient.format = 32;
    e.xclient.data.l[0] = add ? 1 : 0;
    e.xclient.data.l[1] = static_cast<long>(first);
    e.xclient.data.l[2] = static_cast<long>(second);
    e.xclient.data.l[3] = 1;  // from an application
    XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    return;
  }
  std::vector<long> now = LongsProperty(dpy, w, state, XA_ATOM, 64);
  for (Atom a : {first, second}) {
    if (a == None) continue;
    auto it = std::find(now.begin(), now.end(), static_cast<long>(a));
    if (add && it == now.end()) now.push_back(static_cast<long>(a));
    if (!add && it != now.end()) now.erase(it);
  }
  XChangeProperty(dpy, w, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(now.data()),
                  static_cast<int>(now.size()));
}

}  // namespace

bool WindowManagerRuns(::Display* dpy, Window root) {
  // A window manager that ended leaves its property on the root behind; the window it names
  // is then gone, or no longer names itself.
  Atom check = Intern(dpy, "_NET_SUPPORTING_WM_CHECK");
  Window named = WindowProperty(dpy, root, check);
  if (named != None && WindowProperty(dpy, named, check) == named) return true;
  // Only one client can redirect the root's children, and every window manager does.
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy, root, &a) && (a.all_event_masks & SubstructureRedirectMask) != 0;
}

Rect WorkAreaNear(::Display* dpy, Window root, const Rect& near) {
  std::vector<Rect> monitors = Monitors(dpy, root);
  if (monitors.empty()) return near;
  Rect monitor = monitors.front();
  long best = -1;
  for (const Rect& m : monitors) {
    if (long o = Overlap(m, near); o > best) {
      best = o;
      monitor = m;
    }
  }
  if (best == 0) {
    // Off every monitor: the one nearest to its centre.
    monitor = *std::min_element(monitors.begin(), monitors.end(), [&](const Rect& a, const Rect& b) {
      return DistanceToCentre(a, near) < DistanceToCentre(b, near);
    });
  }
  // A work area left behind by a window manager that ended no longer holds.
  if (!WindowManagerRuns(dpy, root)) return monitor;
  std::vector<long> desktop = LongsProperty(dpy, root, Intern(dpy, "_NET_CURRENT_DESKTOP"), XA_CARDINAL, 1);
  std::vector<long> areas = LongsProperty(dpy, root, Intern(dpy, "_NET_WORKAREA"), XA_CARDINAL, 4 * 64);
  size_t index = desktop.size() == 1 && desktop[0] >= 0 ? static_cast<size_t>(desktop[0]) : 0;
  if ((index + 1) * 4 > areas.size()) index = 0;
  if (areas.size() < 4) return monitor;
  const long* a = &areas[index * 4];
  if (a[2] <= 0 || a[3] <= 0 || a[0] < INT_MIN / 2 || a[0] > INT_MAX / 2 || a[1] < INT_MIN / 2 ||
      a[1] > INT_MAX / 2 || a[2] > INT_MAX / 2 || a[3] > INT_MAX / 2)
    return monitor;
  Rect area{static_cast<int>(a[0]), static_cast<int>(a[1]), static_cast<int>(a[0] + a[2]),
            static_cast<int>(a[1] + a[3])};
  Rect r{std::max(monitor.left, area.left), std::max(monitor.top, area.top), std::min(monitor.right, area.right),
         std::min(monitor.bottom, area.bottom)};
  return r.width() > 0 && r.height() > 0 ? r : monitor;
}

bool ManagerKeepsMaximized(::Display* dpy, Window root) {
  return WindowManagerRuns(dpy, root) &&
         Supports(dpy, root, {"_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
}

bool ReadMaximized(::Display* dpy, Window w) {
  std::vector<long> state = LongsProperty(dpy, w, Intern(dpy, "_NET_WM_STATE"), XA_ATOM, 64);
  auto has = [&](const char* name) {
    return std::find(state.begin(), state.end(), static_cast<long>(Intern(dpy, name))) != state.end();
  };
  return has("_NET_WM_STATE_MAXIMIZED_VERT") && has("_NET_WM_STATE_MAXIMIZED_HORZ");
}

void RequestMaximized(::Display* dpy, Window root, Window w, bool mapped, bool maximized) {
  RequestState(dpy, root, w, mapped, maximized, Intern(dpy, "_NET_WM_STATE_MAXIMIZED_VERT"),
               Intern(dpy, "_NET_WM_STATE_MAXIMIZED_HORZ"));
}

void RequestModal(::Display* dpy, Window root, Window w, bool mapped, bool modal) {
  RequestState(dpy, root, w, mapped, modal, Intern(dpy, "_NET_WM_STATE_MODAL"), None);
}

void DescribeWindow(::Display* dpy, Window w, WindowKind kind) {
  long pid = static_cast<long>(getpid());
  XChangeProperty(dpy, w, Intern(dpy, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0 && host[0]) {
    XChangeProperty(dpy, w, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<unsigned char*>(host), static_cast<int>(std::char_traits<char>::length(host)));
  }
  long type = static_cast<long>(
      Intern(dpy, kind == WindowKind::Dialog ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL"));
  XChangeProperty(dpy, w, Intern(dpy, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);
  // A window with an owner has no task bar entry of its own, as an owned window has none.
  if (kind == WindowKind::Dialog) {
    long skip = static_cast<long>(Intern(dpy, "_NET_WM_STATE_SKIP_TASKBAR"));
    XChangeProperty(dpy, w, Intern(dpy, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&skip), 1);
  }
}

void NameWindow(::Display* dpy, Window w, std::string_view utf8) {
  Atom utf8String = Intern(dpy, "UTF8_STRING");
  std::string text(utf8);
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
    XChangeProperty(dpy, w, Intern(dpy, name), utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  // The old names are Latin-1 where every character is one, COMPOUND_TEXT otherwise.
  XTextProperty prop{};
  char* list[] = {text.data()};
  if (Xutf8TextListToTextProperty(dpy, list, 1, XStdICCTextStyle, &prop) < Success || !prop.value) {
    // Not convertible (bytes that are not UTF-8): the Latin-1 of what is, '?' for the rest.
    std::string latin;
    for (size_t i = 0; i < text.size(); ++i) {
      auto c = static_cast<unsigned char>(text[i]);
      if (c < 0x80) {
        latin.push_back(static_cast<char>(c));
      } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() && (text[i + 1] & 0xC0) == 0x80) {
        latin.push_back(static_cast<char>(((c & 0x03) << 6) | (text[++i] & 0x3F)));
      } else if ((c & 0xC0) != 0x80) {
        latin.push_back('?');
      }
    }
    XChangeProperty(dpy, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin.data()), static_cast<int>(latin.size()));
    XChangeProperty(dpy, w, XA_WM_ICON_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin.data()), static_cast<int>(latin.size()));
    return;
  }
  XSetWMName(dpy, w, &prop);
  XSetWMIconName(dpy, w, &prop);
  XFree(prop.value);
}

void SetNetIcon(::Display* dpy, Window w, const PixelView& argb) {
  Atom icon = Intern(dpy, "_NET_WM_ICON");
  if (!argb.pixels || argb.width <= 0 || argb.height <= 0) {
    XDeleteProperty(dpy, w, icon);
    return;
  }
  // Width, height, then the rows; each item a CARDINAL, which Xlib takes as a long.
  std::vector<long> data;
  data.reserve(2 + static_cast<size_t>(argb.width) * static_cast<size_t>(argb.height));
  data.push_back(argb.width);
  data.push_back(argb.height);
  for (int y = 0; y < argb.height; ++y)
    for (int x = 0; x < argb.width; ++x)
      data.push_back(static_cast<long>(argb.pixels[static_cast<size_t>(y) * static_cast<size_t>(argb.stride) + x]));
  XChangeProperty(dpy, w, icon, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

}  // namespace display
