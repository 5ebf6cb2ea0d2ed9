// Top-level windows on the display back end: native windows and presenting back buffers.
#include <cstring>

#include "platform/rtl/strings.h"
#include "platform/user/icons.h"
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
  // A captioned window with an owner is a dialog of that window.
  if (w->owner && (w->style & WS_CAPTION) == WS_CAPTION) return display::WindowKind::Dialog;
  return display::WindowKind::Normal;
}

// An owned window whose owner takes no input: a modal dialog.
bool HoldsOwner(const Window* w) {
  const Window* owner = w->owner ? State().Find(w->owner) : nullptr;
  return owner && (owner->style & WS_DISABLED) && (w->style & WS_VISIBLE);
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
    w->nativeMaximized = false;
    d.SetNativeTitle(w->native, WideToUtf8(w->text));
    SyncNativeIcon(w);
    if (w->hasRegion) {
      std::vector<display::Rect> rects;
      for (const RECT& r : w->region.rects()) rects.push_back(ToDisplay(r));
      d.SetNativeShape(w->native, rects, true);
    }
  }
  // A window manager that keeps the maximised state is asked for it, and decides the place; it
  // lets go of the state before the window goes back to its own place.
  const bool zoomed = (w->style & WS_MAXIMIZE) && !(w->style & WS_MINIMIZE);
  if (!zoomed && w->nativeMaximized && !(w->style & WS_MINIMIZE)) {
    d.MaximizeNativeWindow(w->native, false);
    w->nativeMaximized = false;
  }
  // Maximised by the manager, the window is where the manager puts it: a place of its own sent
  // first would be what the manager restores it to.
  if (zoomed && !w->nativeMaximized) w->nativeMaximized = d.MaximizeNativeWindow(w->native, true);
  if (place != w->nativeRect && !(zoomed && w->nativeMaximized)) {
    // Sent once: a place the desktop reported is not sent back to it.
    d.MoveNativeWindow(w->native, ToDisplay(place));
    w->nativeRect = place;
  }
  if (state != w->nativeState) {
    if (state == NativeState::Shown) {
      // The owner's window may have come after this one's.
      if (Window* owner = w->owner ? State().Find(w->owner) : nullptr; owner && owner->native)
        d.SetNativeOwner(w->native, owner->native);
      d.SetNativeModal(w->native, HoldsOwner(w));
    }
    w->nativeState = state;
    if (state == NativeState::Iconic) {
      d.MinimizeNativeWindow(w->native);
    } else {
      d.ShowNativeWindow(w->native, state == NativeState::Shown);
    }
    if (state == NativeState::Shown) w->dirty = RectSet(RECT{0, 0, w->backBuffer->width(), w->backBuffer->height()});
  }
}

void SyncNativeIcon(Window* w) {
  if (!w->native) return;
  HICON icon = w->iconBig ? w->iconBig : w->iconSmall ? w->iconSmall : w->cls->icon ? w->cls->icon : w->cls->iconSmall;
  std::shared_ptr<const GdiBitmap> picture = icon ? IconPicture(icon) : nullptr;
  if (!picture || picture->Empty() || picture->BitsPerPixel() != 32) {
    State().Display().SetNativeIcon(w->native, display::PixelView{});
    return;
  }
  // Rows of 0xAARRGGBB, as the icon keeps them (blue first in memory, straight alpha).
  std::vector<std::uint32_t> argb(static_cast<size_t>(picture->Width()) * static_cast<size_t>(picture->Height()));
  for (int32_t y = 0; y < picture->Height(); ++y)
    std::memcpy(&argb[static_cast<size_t>(y) * static_cast<size_t>(picture->Width())], picture->Row(y),
                static_cast<size_t>(picture->Width()) * 4);
  State().Display().SetNativeIcon(w->native,
                                  display::PixelView{argb.data(), picture->Width(), picture->Height(), picture->Width()});
}

void SyncNativeModal(Window* owner) {
  UserState& s = State();
  for (HWND t : s.topLevels) {
    Window* o = s.Find(t);
    if (o && o->owner == owner->handle && o->native && o->nativeState == Window::NativeState::Shown)
      s.Display().SetNativeModal(o->native, HoldsOwner(o));
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
