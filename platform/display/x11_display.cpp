// The X11 back end: undecorated top-level windows drawn from the program's pixels, SHAPE for
// window regions, input events, and the CLIPBOARD selection.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <map>
#include <vector>

#include "platform/display/display.h"
#include "platform/display/x11_keys.h"
#include "platform/display/x11_selection.h"
#include "platform/display/x11_window_manager.h"
#include "platform/rtl/end_signals.h"

namespace display {

namespace {

int IgnoreErrors(::Display*, XErrorEvent*) {
  // Requests on windows that vanished or were not viewable yet fail harmlessly.
  return 0;
}

// A broken connection is reported by ConnectionLost and the program ends in its own order; the
// library's own handler would print its message and exit() from inside whatever call noticed.
int QuietIOError(::Display*) { return 0; }

struct NativeData {
  Rect rect;
  WindowKind kind = WindowKind::Normal;
  GC gc = nullptr;
  bool mapped = false;
  // Maps and unmaps of the program's own whose notifications have not come back yet: any other
  // is the desktop's (a window manager iconifying the window or restoring it, another program).
  int ownMaps = 0;
  int ownUnmaps = 0;
  bool startsIconic = false;  // the window manager was asked to take the next map as an icon
  // Kept maximised by the window manager, as last asked or reported; until `asked` has passed
  // the manager may still report the state from before the program's own request.
  bool maximized = false;
  std::chrono::steady_clock::time_point asked{};
  // The icon for window managers that read WM_HINTS (twm): a picture and its 1-bit mask.
  Pixmap iconPixmap = None;
  Pixmap iconMask = None;
};

class X11Display final : public Display {
 public:
  explicit X11Display(::Display* dpy);
  ~X11Display() override;

  bool IsHeadless() const override { return false; }
  bool ConnectionLost() const override { return lost_; }
  int ScreenWidth() const override { return DisplayWidth(dpy_, screen_); }
  int ScreenHeight() const override { return DisplayHeight(dpy_, screen_); }
  Rect WorkArea(const Rect& near) override {
    return lost_ ? Rect{0, 0, ScreenWidth(), ScreenHeight()} : WorkAreaNear(dpy_, root_, near);
  }

  NativeWindow CreateNativeWindow(const Rect& r, WindowKind kind) override;
  void DestroyNativeWindow(NativeWindow w) override;
  void ShowNativeWindow(NativeWindow w, bool visible) override;
  void MoveNativeWindow(NativeWindow w, const Rect& r) override;
  void RaiseNativeWindow(NativeWindow w) override;
  void MinimizeNativeWindow(NativeWindow w) override;
  bool HasWindowManager() override { return !lost_ && WindowManagerRuns(dpy_, root_); }
  bool MaximizeNativeWindow(NativeWindow w, bool maximized) override;
  void SetNativeModal(NativeWindow w, bool modal) override {
    if (NativeData* d = Find(static_cast<Window>(w)); d && d->kind != WindowKind::Popup)
      RequestModal(dpy_, root_, static_cast<Window>(w), d->mapped, modal);
  }
  void SetNativeIcon(NativeWindow w, const PixelView& argb) override;
  void SetNativeOwner(NativeWindow w, NativeWindow owner) override {
    if (Find(static_cast<Window>(w)) && Find(static_cast<Window>(owner)))
      XSetTransientForHint(dpy_, static_cast<Window>(w), static_cast<Window>(owner));
  }
  void SetNativeTitle(NativeWindow w, std::string_view utf8) override;
  void SetNativeShape(NativeWindow w, std::span<const Rect> rects, bool shaped) override;
  void Present(NativeWindow w, const PixelView& pixels, const Rect& dirty) override;

  void SetKeyboardFocus(NativeWindow w) override;
  void GrabPointer(NativeWindow w) override;
  void UngrabPointer() override;
  void SetCursorShape(NativeWindow w, Cursor c) override;
  void GetPointer(int& x, int& y) override;
  void Beep() override {
    if (!lost_) XBell(dpy_, 0);
  }

  bool NextEvent(Event& e) override;
  void Wait(int timeoutMs) override;
  void Flush() override {
    if (!lost_) XFlush(dpy_);
  }

  void SetClipboardText(std::string utf8) override {
    if (!lost_) selection_->Own(std::move(utf8));
  }
  void ReleaseClipboard() override {
    if (!lost_) selection_->Disown();
  }
  bool OwnsClipboard() const override { return !lost_ && selection_->Owns(); }
  std::optional<std::string> ClipboardText() override;
  bool PersistClipboard() override { return !lost_ && selection_->Persist([this] { Drain(); }); }

 private:
  static void OnConnectionLost(::Display*, void* self) { static_cast<X11Display*>(self)->lost_ = true; }
  void Drain();  // reads every pending X event into events_
  void Translate(XEvent& ev);
  NativeData* Find(Window w);
  Rect RootRect(Window w);
  void SetStartState(Window w, bool iconic);
  void SetSizeHints(Window w, const Rect& r);
  void PutPixels(Drawable target, GC gc, const PixelView& view, const Rect& dirty);
  void FreeIcon(NativeData& d);

  ::Display* dpy_;
  int screen_;
  Window root_;
  Visual* visual_;
  int depth_;
  bool directPixels_ = false;
  bool shape_ = false;
  Atom wmProtocols_, wmDelete_, motifHints_, netWmState_;
  std::map<Window, NativeData> windows_;
  std::map<Cursor, ::Cursor> cursors_;
  std::deque<Event> events_;
  Window focusRequest_ = 0;
  std::unique_ptr<X11Selection> selection_;
  std::vector<std::uint32_t> scratch_;
  // Set by the library when the connection broke; no request is made after that.
  bool lost_ = false;
};

X11Display* liveDisplay = nullptr;

void PersistAtExit() {
  if (liveDisplay) liveDisplay->PersistClipboard();
}

X11Display::X11Display(::Display* dpy) : dpy_(dpy) {
  XSetErrorHandler(IgnoreErrors);
  XSetIOErrorHandler(QuietIOError);
  // Without this the library calls exit() once the handler above returns.
  XSetIOErrorExitHandler(dpy_, &X11Display::OnConnectionLost, this);
  screen_ = DefaultScreen(dpy_);
  root_ = RootWindow(dpy_, screen_);
  visual_ = DefaultVisual(dpy_, screen_);
  depth_ = DefaultDepth(dpy_, screen_);
  directPixels_ = visual_->c_class == TrueColor && (depth_ == 24 || depth_ == 32) &&
                  visual_->red_mask == 0xff0000 && visual_->green_mask == 0xff00 && visual_->blue_mask == 0xff;
  int eventBase = 0, errorBase = 0;
  shape_ = XShapeQueryExtension(dpy_, &eventBase, &errorBase);
  wmProtocols_ = XInternAtom(dpy_, "WM_PROTOCOLS", False);
  wmDelete_ = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
  motifHints_ = XInternAtom(dpy_, "_MOTIF_WM_HINTS", False);
  netWmState_ = XInternAtom(dpy_, "_NET_WM_STATE", False);
  selection_ = std::make_unique<X11Selection>(dpy_);
  if (!liveDisplay) std::atexit(PersistAtExit);
  liveDisplay = this;
}

X11Display::~X11Display() {
  if (liveDisplay == this) liveDisplay = nullptr;
  selection_.reset();
  // A GC is memory of the library's too: it is freed also when the server is gone.
  for (auto& [w, data] : windows_) {
    if (data.gc) XFreeGC(dpy_, data.gc);
    FreeIcon(data);
    if (!lost_) XDestroyWindow(dpy_, w);
  }
  if (!lost_)
    for (auto& [c, xc] : cursors_) XFreeCursor(dpy_, xc);
  XCloseDisplay(dpy_);
}

NativeData* X11Display::Find(Window w) {
  // Every request on a window starts here: none is made once the connection is gone.
  if (lost_) return nullptr;
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

NativeWindow X11Display::CreateNativeWindow(const Rect& r, WindowKind kind) {
  if (lost_) return 0;
  XSetWindowAttributes a{};
  a.override_redirect = kind == WindowKind::Popup ? True : False;
  a.background_pixmap = None;
  a.bit_gravity = NorthWestGravity;
  a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                 KeyReleaseMask | FocusChangeMask | StructureNotifyMask |
                 (kind == WindowKind::Popup ? 0 : PropertyChangeMask);
  Window w = XCreateWindow(dpy_, root_, r.left, r.top, static_cast<unsigned>(std::max(1, r.width())),
                           static_cast<unsigned>(std::max(1, r.height())), 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWOverrideRedirect | CWBackPixmap | CWBitGravity | CWEventMask, &a);
  if (!w) return 0;
  XSetWMProtocols(dpy_, w, &wmDelete_, 1);
  if (kind != WindowKind::Popup) {
    // No decorations: the program draws its own frame.
    long hints[5] = {2, 0, 0, 0, 0};
    XChangeProperty(dpy_, w, motifHints_, motifHints_, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    SetSizeHints(w, r);
    XClassHint cls{const_cast<char*>("velmora"), const_cast<char*>("Velmora")};
    XSetClassHint(dpy_, w, &cls);
    DescribeWindow(dpy_, w, kind);
  }
  NativeData data;
  data.rect = r;
  data.kind = kind;
  data.gc = XCreateGC(dpy_, w, 0, nullptr);
  windows_[w] = data;
  if (kind != WindowKind::Popup) SetStartState(w, false);
  return w;
}

void X11Display::SetSizeHints(Window w, const Rect& r) {
  XSizeHints size{};
  // Positions are the window's own: a window manager that adds a frame puts the frame around
  // the window where it is asked to be, not the frame's corner there.
  size.flags = USPosition | USSize | PWinGravity;
  size.x = r.left;
  size.y = r.top;
  size.width = std::max(1, r.width());
  size.height = std::max(1, r.height());
  size.win_gravity = StaticGravity;
  XSetWMNormalHints(dpy_, w, &size);
}

void X11Display::DestroyNativeWindow(NativeWindow nw) {
  auto w = static_cast<Window>(nw);
  auto it = windows_.find(w);
  if (it == windows_.end()) return;
  if (it->second.gc) XFreeGC(dpy_, it->second.gc);
  FreeIcon(it->second);
  if (!lost_) XDestroyWindow(dpy_, w);
  windows_.erase(it);
  if (focusRequest_ == w) focusRequest_ = 0;
  std::erase_if(events_, [nw](const Event& e) { return e.window == nw; });
}

void X11Display::SetStartState(Window w, bool iconic) {
  XWMHints wm{};
  wm.flags = InputHint | StateHint;
  wm.input = True;
  wm.initial_state = iconic ? IconicState : NormalState;
  if (NativeData* d = Find(w); d && d->iconPixmap != None) {
    wm.flags |= IconPixmapHint | IconMaskHint;
    wm.icon_pixmap = d->iconPixmap;
    wm.icon_mask = d->iconMask;
  }
  XSetWMHints(dpy_, w, &wm);
}

void X11Display::FreeIcon(NativeData& d) {
  if (!lost_) {
    if (d.iconPixmap != None) XFreePixmap(dpy_, d.iconPixmap);
    if (d.iconMask != None) XFreePixmap(dpy_, d.iconMask);
  }
  d.iconPixmap = d.iconMask = None;
}

void X11Display::SetNativeIcon(NativeWindow nw, const PixelView& argb) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  if (!d || d->kind == WindowKind::Popup) return;
  SetNetIcon(dpy_, w, argb);
  FreeIcon(*d);
  if (argb.pixels && argb.width > 0 && argb.height > 0 && argb.width <= 256 && argb.height <= 256) {
    // The picture over black where it is transparent, and the mask of its opaque half.
    std::vector<std::uint32_t> opaque(static_cast<size_t>(argb.width) * static_cast<size_t>(argb.height));
    std::vector<char> bits(static_cast<size_t>((argb.width + 7) / 8) * static_cast<size_t>(argb.height), 0);
    for (int y = 0; y < argb.height; ++y)
      for (int x = 0; x < argb.width; ++x) {
        std::uint32_t p = argb.pixels[static_cast<size_t>(y) * static_cast<size_t>(argb.stride) + x];
        std::uint32_t alpha = p >> 24;
        auto mix = [alpha](std::uint32_t c) { return (c * alpha + 127) / 255; };
        opaque[static_cast<size_t>(y) * static_cast<size_t>(argb.width) + x] =
            (mix((p >> 16) & 0xff) << 16) | (mix((p >> 8) & 0xff) << 8) | mix(p & 0xff);
        if (alpha >= 128) bits[static_cast<size_t>(y) * static_cast<size_t>((argb.width + 7) / 8) + x / 8] |=
            static_cast<char>(1 << (x % 8));
      }
    d->iconMask = XCreateBitmapFromData(dpy_, w, bits.data(), static_cast<unsigned>(argb.width),
                                        static_cast<unsigned>(argb.height));
    d->iconPixmap = XCreatePixmap(dpy_, w, static_cast<unsigned>(argb.width), static_cast<unsigned>(argb.height),
                                  static_cast<unsigned>(depth_));
    PixelView view{opaque.data(), argb.width, argb.height, argb.width};
    PutPixels(d->iconPixmap, d->gc, view, Rect{0, 0, argb.width, argb.height});
  }
  SetStartState(w, d->startsIconic);
}

void X11Display::ShowNativeWindow(NativeWindow nw, bool visible) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  if (!d) return;
  if (visible) {
    if (!d->mapped) {
      d->mapped = true;
      ++d->ownMaps;
      if (d->startsIconic) SetStartState(w, false);
      d->startsIconic = false;
    }
    XMapRaised(dpy_, w);
  } else {
    if (d->mapped) {
      d->mapped = false;
      ++d->ownUnmaps;
    }
    // Withdrawn, also from a window manager that keeps it as an icon.
    XWithdrawWindow(dpy_, w, screen_);
  }
}

void X11Display::MoveNativeWindow(NativeWindow nw, const Rect& r) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  if (!d) return;
  d->rect = r;
  if (d->kind != WindowKind::Popup) SetSizeHints(w, r);
  XMoveResizeWindow(dpy_, w, r.left, r.top, static_cast<unsigned>(std::max(1, r.width())),
                    static_cast<unsigned>(std::max(1, r.height())));
}

bool X11Display::MaximizeNativeWindow(NativeWindow nw, bool maximized) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  if (!d || d->kind == WindowKind::Popup || !ManagerKeepsMaximized(dpy_, root_)) return false;
  d->maximized = maximized;
  d->asked = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  RequestMaximized(dpy_, root_, w, d->mapped, maximized);
  return true;
}

void X11Display::RaiseNativeWindow(NativeWindow w) {
  if (Find(static_cast<Window>(w))) XRaiseWindow(dpy_, static_cast<Window>(w));
}

void X11Display::MinimizeNativeWindow(NativeWindow nw) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  if (!d) return;
  if (d->mapped) {
    // The window manager unmaps it; that unmap is the desktop's, not ours.
    XIconifyWindow(dpy_, w, screen_);
    return;
  }
  // A window not shown yet is mapped as an icon: the window manager keeps it unmapped.
  SetStartState(w, true);
  d->startsIconic = true;
  XMapWindow(dpy_, w);
}

void X11Display::SetNativeTitle(NativeWindow nw, std::string_view utf8) {
  auto w = static_cast<Window>(nw);
  if (Find(w)) NameWindow(dpy_, w, utf8);
}

void X11Display::SetNativeShape(NativeWindow nw, std::span<const Rect> rects, bool shaped) {
  auto w = static_cast<Window>(nw);
  if (!Find(w) || !shape_) return;
  if (!shaped) {
    XShapeCombineMask(dpy_, w, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  // Large shapes go in several requests, the first replacing, the rest adding.
  constexpr size_t kChunk = 8000;
  std::vector<XRectangle> xr;
  size_t done = 0;
  do {
    size_t n = std::min(kChunk, rects.size() - done);
    xr.clear();
    for (size_t i = done; i < done + n; ++i) {
      const Rect& r = rects[i];
      if (r.width() <= 0 || r.height() <= 0) continue;
      xr.push_back(XRectangle{static_cast<short>(std::clamp(r.left, -32768, 32767)),
                              static_cast<short>(std::clamp(r.top, -32768, 32767)),
                              static_cast<unsigned short>(std::min(r.width(), 65535)),
                              static_cast<unsigned short>(std::min(r.height(), 65535))});
    }
    XShapeCombineRectangles(dpy_, w, ShapeBounding, 0, 0, xr.data(), static_cast<int>(xr.size()),
                            done == 0 ? ShapeSet : ShapeUnion, Unsorted);
    done += n;
  } while (done < rects.size());
}

void X11Display::Present(NativeWindow nw, const PixelView& view, const Rect& dirty) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  if (d && view.pixels) PutPixels(w, d->gc, view, dirty);
}

void X11Display::PutPixels(Drawable target, GC gc, const PixelView& view, const Rect& dirty) {
  int left = std::max(dirty.left, 0), top = std::max(dirty.top, 0);
  int right = std::min(dirty.right, view.width), bottom = std::min(dirty.bottom, view.height);
  if (right <= left || bottom <= top) return;
  const std::uint32_t* src = view.pixels;
  int stride = view.stride;
  int srcX = left, srcY = top;
  if (!directPixels_) {
    // Other visuals: convert the dirty part through the visual's masks.
    int width = right - left, height = bottom - top;
    scratch_.assign(static_cast<size_t>(width) * height, 0);
    auto place = [](std::uint32_t v, unsigned long mask) -> unsigned long {
      if (!mask) return 0;
      int shift = 0;
      while (!((mask >> shift) & 1)) ++shift;
      int bits = 0;
      while ((mask >> (shift + bits)) & 1) ++bits;
      return (static_cast<unsigned long>(v >> (8 - std::min(bits, 8))) << shift) & mask;
    };
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        std::uint32_t p = src[static_cast<size_t>(y + top) * stride + x + left];
        scratch_[static_cast<size_t>(y) * width + x] = static_cast<std::uint32_t>(
            place((p >> 16) & 0xff, visual_->red_mask) | place((p >> 8) & 0xff, visual_->green_mask) |
            place(p & 0xff, visual_->blue_mask));
      }
    src = scratch_.data();
    stride = width;
    srcX = srcY = 0;
  }
  XImage* img = XCreateImage(dpy_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                             reinterpret_cast<char*>(const_cast<std::uint32_t*>(src)),
                             static_cast<unsigned>(srcX + (right - left)),
                             static_cast<unsigned>(srcY + (bottom - top)), 32, stride * 4);
  if (!img) return;
  XPutImage(dpy_, target, gc, img, srcX, srcY, left, top, static_cast<unsigned>(right - left),
            static_cast<unsigned>(bottom - top));
  img->data = nullptr;  // the pixels are not Xlib's to free
  XDestroyImage(img);
}

void X11Display::SetKeyboardFocus(NativeWindow nw) {
  auto w = static_cast<Window>(nw);
  NativeData* d = Find(w);
  focusRequest_ = w;
  if (!d || !d->mapped) return;
  XSetInputFocus(dpy_, w, RevertToParent, CurrentTime);
}

void X11Display::GrabPointer(NativeWindow nw) {
  auto w = static_cast<Window>(nw);
  if (!Find(w)) return;
  XGrabPointer(dpy_, w, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
               GrabModeAsync, None, None, CurrentTime);
}

void X11Display::UngrabPointer() {
  if (!lost_) XUngrabPointer(dpy_, CurrentTime);
}

void X11Display::SetCursorShape(NativeWindow nw, Cursor c) {
  auto w = static_cast<Window>(nw);
  if (!Find(w)) return;
  auto it = cursors_.find(c);
  if (it == cursors_.end()) {
    unsigned shape = XC_left_ptr;
    switch (c) {
      case Cursor::IBeam: shape = XC_xterm; break;
      case Cursor::Wait: case Cursor::AppStarting: shape = XC_watch; break;
      case Cursor::Cross: shape = XC_crosshair; break;
      case Cursor::UpArrow: shape = XC_sb_up_arrow; break;
      case Cursor::SizeNWSE: shape = XC_bottom_right_corner; break;
      case Cursor::SizeNESW: shape = XC_bottom_left_corner; break;
      case Cursor::SizeWE: shape = XC_sb_h_double_arrow; break;
      case Cursor::SizeNS: shape = XC_sb_v_double_arrow; break;
      case Cursor::SizeAll: shape = XC_fleur; break;
      case Cursor::No: shape = XC_X_cursor; break;
      case Cursor::Hand: shape = XC_hand2; break;
      case Cursor::Help: shape = XC_question_arrow; break;
      default: break;
    }
    it = cursors_.emplace(c, XCreateFontCursor(dpy_, shape)).first;
  }
  XDefineCursor(dpy_, w, it->second);
}

void X11Display::GetPointer(int& x, int& y) {
  Window rootRet, child;
  int wx, wy;
  unsigned mask;
  if (lost_ || !XQueryPointer(dpy_, root_, &rootRet, &child, &x, &y, &wx, &wy, &mask)) x = y = 0;
}

Rect X11Display::RootRect(Window w) {
  XWindowAttributes a{};
  if (!XGetWindowAttributes(dpy_, w, &a)) return Rect{};
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(dpy_, w, root_, 0, 0, &x, &y, &child);
  return Rect{x, y, x + a.width, y + a.height};
}

void X11Display::Translate(XEvent& ev) {
  if (selection_->Handle(ev)) return;
  Window w = ev.xany.window;
  NativeData* d = Find(w);
  if (!d) return;
  Event e;
  e.window = w;
  switch (ev.type) {
    case ButtonPress:
    case ButtonRelease: {
      e.x = ev.xbutton.x_root;
      e.y = ev.xbutton.y_root;
      e.time = static_cast<std::uint32_t>(ev.xbutton.time);
      unsigned b = ev.xbutton.button;
      if (b == Button4 || b == Button5) {
        if (ev.type == ButtonRelease) return;
        e.kind = EventKind::Wheel;
        e.wheel = b == Button4 ? 120 : -120;
      } else if (b >= 1 && b <= 3) {
        e.kind = ev.type == ButtonPress ? EventKind::ButtonDown : EventKind::ButtonUp;
        e.button = b == 1 ? MouseButton::Left : b == 2 ? MouseButton::Middle : MouseButton::Right;
      } else {
        return;
      }
      break;
    }
    case MotionNotify:
      e.kind = EventKind::MouseMove;
      e.x = ev.xmotion.x_root;
      e.y = ev.xmotion.y_root;
      e.time = static_cast<std::uint32_t>(ev.xmotion.time);
      if (!events_.empty() && events_.back().kind == EventKind::MouseMove && events_.back().window == e.window) {
        events_.back() = e;  // moves coalesce
        return;
      }
      break;
    case KeyPress:
    case KeyRelease: {
      if (ev.type == KeyRelease && XEventsQueued(dpy_, QueuedAfterReading)) {
        // Auto-repeat arrives as release + press at the same time: keep only the press.
        XEvent next;
        XPeekEvent(dpy_, &next);
        if (next.type == KeyPress && next.xkey.keycode == ev.xkey.keycode && next.xkey.time == ev.xkey.time) return;
      }
      KeySym plain = XLookupKeysym(&ev.xkey, 0);
      char buffer[16];
      KeySym typed = 0;
      XLookupString(&ev.xkey, buffer, sizeof buffer, &typed, nullptr);
      bool extended = false;
      e.kind = ev.type == KeyPress ? EventKind::KeyDown : EventKind::KeyUp;
      e.virtualKey = VirtualKeyOfKeysym(plain, &extended);
      if (e.virtualKey == 0) e.virtualKey = VirtualKeyOfKeysym(typed, &extended);
      e.extendedKey = extended;
      e.scanCode = ev.xkey.keycode >= 8 ? ev.xkey.keycode - 8 : 0;
      e.character = ev.type == KeyPress ? CharacterOfKeysym(typed) : 0;
      e.x = ev.xkey.x_root;
      e.y = ev.xkey.y_root;
      e.time = static_cast<std::uint32_t>(ev.xkey.time);
      if (e.virtualKey == 0 && e.character == 0) return;
      break;
    }
    case FocusIn:
      if (ev.xfocus.mode == NotifyGrab || ev.xfocus.mode == NotifyUngrab) return;
      if (ev.xfocus.detail == NotifyInferior || ev.xfocus.detail == NotifyPointer) return;
      if (w == focusRequest_) return;  // the program's own request coming back
      focusRequest_ = w;
      e.kind = EventKind::FocusGained;
      break;
    case FocusOut: {
      if (ev.xfocus.mode == NotifyGrab || ev.xfocus.mode == NotifyUngrab) return;
      if (ev.xfocus.detail == NotifyInferior || ev.xfocus.detail == NotifyPointer) return;
      Window now = 0;
      int revert = 0;
      XGetInputFocus(dpy_, &now, &revert);
      if (Find(now)) return;  // moved to another window of the program
      focusRequest_ = 0;
      e.kind = EventKind::FocusLost;
      break;
    }
    case Expose:
      e.kind = EventKind::Exposure;
      e.rect = Rect{ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width, ev.xexpose.y + ev.xexpose.height};
      break;
    case ConfigureNotify:
    case PropertyNotify: {
      if (ev.type == PropertyNotify && ev.xproperty.atom != netWmState_) return;
      Rect r = ev.type == ConfigureNotify ? RootRect(w) : d->rect;
      // The state is read with the place: a manager may set it before or after it moves the window.
      bool maximized = d->kind != WindowKind::Popup && ReadMaximized(dpy_, w);
      if (maximized != d->maximized && std::chrono::steady_clock::now() < d->asked) maximized = d->maximized;
      if (maximized == d->maximized) d->asked = {};
      if (r.left == d->rect.left && r.top == d->rect.top && r.width() == d->rect.width() &&
          r.height() == d->rect.height() && maximized == d->maximized)
        return;
      d->rect = r;
      d->maximized = maximized;
      e.kind = EventKind::Configured;
      e.rect = r;
      e.maximized = maximized;
      break;
    }
    case MapNotify:
      if (focusRequest_ == w) XSetInputFocus(dpy_, w, RevertToParent, CurrentTime);
      if (d->ownMaps > 0) {
        --d->ownMaps;
        return;
      }
      if (d->mapped) return;  // shown all along (a window manager that came later took it into a frame)
      d->mapped = true;
      e.kind = EventKind::ShownFromOutside;
      break;
    case UnmapNotify:
      if (d->ownUnmaps > 0) {
        --d->ownUnmaps;
      } else {
        d->mapped = false;
      }
      return;
    case ClientMessage:
      if (ev.xclient.message_type != wmProtocols_ || static_cast<Atom>(ev.xclient.data.l[0]) != wmDelete_) return;
      e.kind = EventKind::CloseRequest;
      break;
    default:
      return;
  }
  events_.push_back(e);
}

void X11Display::Drain() {
  // A read that finds the connection broken sets lost_ (through the library) and ends this.
  while (!lost_ && XPending(dpy_)) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    Translate(ev);
  }
}

bool X11Display::NextEvent(Event& e) {
  if (events_.empty()) Drain();
  if (events_.empty()) return false;
  e = events_.front();
  events_.pop_front();
  return true;
}

void X11Display::Wait(int timeoutMs) {
  if (!events_.empty()) return;
  if (!lost_) {
    if (XPending(dpy_)) return;
    XFlush(dpy_);
  }
  // The connection, and the pipe through which a signal that asks the program to end wakes it.
  // Without a connection nothing more comes from the server: the wait is as short as the
  // headless one's, and the caller looks again.
  pollfd p[2] = {{lost_ ? -1 : ConnectionNumber(dpy_), POLLIN, 0}, {EndSignalWakeFd(), POLLIN, 0}};
  if (lost_ && (timeoutMs < 0 || timeoutMs > 50)) timeoutMs = 50;
  poll(p, 2, timeoutMs < 0 ? -1 : timeoutMs);
}

std::optional<std::string> X11Display::ClipboardText() {
  if (lost_) return std::nullopt;
  return selection_->Read([this] { Drain(); });
}

}  // namespace

std::unique_ptr<Display> OpenX11Display(const std::string& name) {
  // A busy server now and then refuses a connection that it accepts a moment later.
  ::Display* dpy = nullptr;
  for (int attempt = 0; attempt < 5 && !dpy; ++attempt) {
    if (attempt > 0) poll(nullptr, 0, 20 * attempt);
    dpy = XOpenDisplay(name.empty() ? nullptr : name.c_str());
  }
  if (!dpy) return nullptr;
  return std::make_unique<X11Display>(dpy);
}

}  // namespace display
