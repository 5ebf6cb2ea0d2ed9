// Top-level windows on the display back end: native windows and presenting back buffers.
#include "platform/rtl/strings.h"
#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

display::Rect ToDisplay(const RECT& r) { return display::Rect{r.left, r.top, r.right, r.bottom}; }

display::WindowKind KindOf(const Window* w) {
  if (w->cls->name == u"#32768") return display::WindowKind::Popup;
  if ((w->style & WS_POPUP) && (w->style & WS_CAPTION) != WS_CAPTION &&
      ((w->exStyle & WS_EX_TOOLWINDOW) || w->owner))
    return display::WindowKind::Popup;
  return display::WindowKind::Normal;
}

}  // namespace

namespace user_internal {

void SyncNative(Window* w) {
  if (w->parent) return;
  display::Display& d = State().Display();
  int width = w->window.right - w->window.left;
  int height = w->window.bottom - w->window.top;
  if (!w->backBuffer) {
    w->backBuffer = std::make_unique<BackBuffer>(width, height);
  } else if (w->backBuffer->width() != width || w->backBuffer->height() != height) {
    w->backBuffer->Resize(width, height);
  }
  using NativeState = Window::NativeState;
  const bool visible = (w->style & WS_VISIBLE) != 0;
  const bool iconic = visible && (w->style & WS_MINIMIZE) && w->minimizedToDesktop;
  const NativeState state = !visible ? NativeState::Hidden : iconic ? NativeState::Iconic : NativeState::Shown;
  // An icon keeps the place the window manager restores it to.
  const RECT place = iconic ? w->normalRect : w->window;
  if (!w->native) {
    if (!visible) return;  // made when first shown
    w->native = d.CreateNativeWindow(ToDisplay(place), KindOf(w));
    w->nativeRect = place;
    if (Window* owner = w->owner ? State().Find(w->owner) : nullptr; owner && owner->native)
      d.SetNativeOwner(w->native, owner->native);
    d.SetNativeTitle(w->native, WideToUtf8(w->text));
    if (w->hasRegion) {
      std::vector<display::Rect> rects;
      for (const RECT& r : w->region.rects()) rects.push_back(ToDisplay(r));
      d.SetNativeShape(w->native, rects, true);
    }
  } else if (place != w->nativeRect) {
    // Sent once: a place the desktop reported is not sent back to it.
    d.MoveNativeWindow(w->native, ToDisplay(place));
    w->nativeRect = place;
  }
  if (state != w->nativeState) {
    w->nativeState = state;
    if (state == NativeState::Iconic) {
      d.MinimizeNativeWindow(w->native);
    } else {
      d.ShowNativeWindow(w->native, state == NativeState::Shown);
    }
    if (state == NativeState::Shown) w->dirty = RectSet(RECT{0, 0, w->backBuffer->width(), w->backBuffer->height()});
  }
}

void DestroyNative(Window* w) {
  if (w->native) State().Display().DestroyNativeWindow(w->native);
  w->native = 0;
  w->nativeState = Window::NativeState::Hidden;
  w->backBuffer.reset();
  w->dirty.Clear();
}

void PresentDirty(Window* top) {
  if (!top || !top->native || top->nativeState != Window::NativeState::Shown || !top->backBuffer ||
      top->dirty.empty())
    return;
  RECT b = top->dirty.Bounds();
  top->dirty.Clear();
  State().Display().Present(top->native, top->backBuffer->View(), ToDisplay(b));
}

void PresentAll() {
  UserState& s = State();
  bool any = false;
  for (HWND t : s.topLevels) {
    Window* w = s.Find(t);
    if (w && !w->dirty.empty()) {
      PresentDirty(w);
      any = true;
    }
  }
  if (any) s.Display().Flush();
}

}  // namespace user_internal
