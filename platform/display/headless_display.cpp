#include "platform/display/headless_display.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/rtl/end_signals.h"

namespace display {

namespace {

// Window pixel buffers are capped like every other image of the program.
constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 26;

bool Inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

HeadlessDisplay::HeadlessDisplay(int screenWidth, int screenHeight)
    : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

HeadlessDisplay::Surface* HeadlessDisplay::Find(NativeWindow w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessDisplay::Surface* HeadlessDisplay::Find(NativeWindow w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

NativeWindow HeadlessDisplay::CreateNativeWindow(const Rect& screenRect, WindowKind kind) {
  NativeWindow id = next_++;
  Surface s;
  s.kind = kind;
  windows_.emplace(id, std::move(s));
  stacking_.push_back(id);
  MoveNativeWindow(id, screenRect);
  return id;
}

void HeadlessDisplay::DestroyNativeWindow(NativeWindow w) {
  windows_.erase(w);
  stacking_.erase(std::remove(stacking_.begin(), stacking_.end(), w), stacking_.end());
  if (focus_ == w) focus_ = 0;
  if (grab_ == w) grab_ = 0;
  std::erase_if(events_, [w](const Event& e) { return e.window == w; });
}

void HeadlessDisplay::ShowNativeWindow(NativeWindow w, bool visible) {
  if (Surface* s = Find(w)) {
    s->visible = visible;
    if (visible) s->minimized = false;
  }
}

void HeadlessDisplay::MoveNativeWindow(NativeWindow w, const Rect& screenRect) {
  Surface* s = Find(w);
  if (!s) return;
  Rect r = screenRect;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  std::int64_t area = std::int64_t{r.width()} * r.height();
  if (area > kMaxSurfacePixels) {
    // Larger than any screen: keep only what a screen could show.
    r.right = r.left + std::min(r.width(), 8192);
    r.bottom = r.top + std::min(r.height(), 8192);
  }
  if (r.width() != s->rect.width() || r.height() != s->rect.height()) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(r.width()) * r.height(), 0);
    int w0 = std::min(r.width(), s->rect.width());
    int h0 = std::min(r.height(), s->rect.height());
    for (int y = 0; y < h0; ++y)
      std::copy_n(&s->pixels[static_cast<size_t>(y) * s->rect.width()], w0,
                  &pixels[static_cast<size_t>(y) * r.width()]);
    s->pixels.swap(pixels);
  }
  s->rect = r;
}

void HeadlessDisplay::RaiseNativeWindow(NativeWindow w) {
  auto it = std::find(stacking_.begin(), stacking_.end(), w);
  if (it == stacking_.end()) return;
  stacking_.erase(it);
  stacking_.push_back(w);
}

void HeadlessDisplay::MinimizeNativeWindow(NativeWindow w) {
  if (Surface* s = Find(w)) s->minimized = true;
}

Rect HeadlessDisplay::WorkArea(const Rect& near) {
  size_t best = monitors_.size();
  long most = -1;
  for (size_t i = 0; i < monitors_.size(); ++i) {
    const Rect& m = monitors_[i];
    long w = std::max(0, std::min(m.right, near.right) - std::max(m.left, near.left));
    long h = std::max(0, std::min(m.bottom, near.bottom) - std::max(m.top, near.top));
    if (w * h > most) {
      most = w * h;
      best = i;
    }
  }
  return best < workAreas_.size() ? workAreas_[best] : Rect{0, 0, screenWidth_, screenHeight_};
}

void HeadlessDisplay::SetWorkAreas(std::vector<Rect> monitors, std::vector<Rect> workAreas) {
  monitors_ = std::move(monitors);
  workAreas_ = std::move(workAreas);
}

bool HeadlessDisplay::MaximizeNativeWindow(NativeWindow w, bool maximized) {
  Surface* s = Find(w);
  if (!s || !windowManager_ || !keepsMaximized_) return false;
  s->maximized = maximized;
  return true;
}

void HeadlessDisplay::MaximizeFromOutside(NativeWindow w, bool maximized, const Rect& rect) {
  Surface* s = Find(w);
  if (!s) return;
  s->maximized = maximized;
  MoveNativeWindow(w, rect);
  Event e{.kind = EventKind::Configured, .window = w};
  e.rect = rect;
  e.maximized = maximized;
  Queue(e);
}

void HeadlessDisplay::SetNativeModal(NativeWindow w, bool modal) {
  if (Surface* s = Find(w)) s->modal = modal;
}

void HeadlessDisplay::SetNativeIcon(NativeWindow w, const PixelView& argb) {
  if (Surface* s = Find(w)) s->icon = argb.pixels ? Rect{0, 0, argb.width, argb.height} : Rect{};
}

void HeadlessDisplay::SetNativeTitle(NativeWindow w, std::string_view utf8) {
  if (Surface* s = Find(w)) s->title = std::string(utf8);
}

void HeadlessDisplay::SetNativeShape(NativeWindow w, std::span<const Rect> rects, bool shaped) {
  Surface* s = Find(w);
  if (!s) return;
  s->shaped = shaped;
  s->shape.assign(rects.begin(), rects.end());
  if (!shaped) s->shape.clear();
}

void HeadlessDisplay::Present(NativeWindow w, const PixelView& view, const Rect& dirty) {
  Surface* s = Find(w);
  if (!s || !view.pixels) return;
  int right = std::min({dirty.right, view.width, s->rect.width()});
  int bottom = std::min({dirty.bottom, view.height, s->rect.height()});
  int left = std::max(dirty.left, 0);
  int top = std::max(dirty.top, 0);
  for (int y = top; y < bottom; ++y) {
    const std::uint32_t* src = view.pixels + static_cast<size_t>(y) * view.stride;
    std::uint32_t* dst = &s->pixels[static_cast<size_t>(y) * s->rect.width()];
    for (int x = left; x < right; ++x) dst[x] = src[x] & 0x00ffffff;
  }
}

void HeadlessDisplay::SetKeyboardFocus(NativeWindow w) {
  // The program's own request: no event comes back for it.
  focus_ = w;
}

void HeadlessDisplay::FocusElsewhere() {
  if (focus_ != 0) Queue(Event{.kind = EventKind::FocusLost, .window = focus_});
  focus_ = 0;
}

void HeadlessDisplay::FocusFromOutside(NativeWindow w) {
  focus_ = w;
  Queue(Event{.kind = EventKind::FocusGained, .window = w});
}

void HeadlessDisplay::GetPointer(int& x, int& y) {
  x = pointerX_;
  y = pointerY_;
}

bool HeadlessDisplay::NextEvent(Event& e) {
  if (events_.empty()) return false;
  e = events_.front();
  events_.pop_front();
  return true;
}

void HeadlessDisplay::Wait(int timeoutMs) {
  ++waits_;
  // Nothing arrives on its own: input comes only from the test that injects it.
  // Waiting without a timeout would wait for ever: sleep a little and let the caller look again.
  if (!events_.empty() || timeoutMs == 0) return;
  int ms = timeoutMs < 0 ? 50 : std::min(timeoutMs, 50);
  // A signal that asks the program to end cuts the wait short.
  pollfd wake{EndSignalWakeFd(), POLLIN, 0};
  if (wake.fd >= 0) {
    poll(&wake, 1, ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

void HeadlessDisplay::KeepClipboardOn(std::function<std::unique_ptr<Display>()> open) {
  openKeeper_ = std::move(open);
  keeper_.reset();
}

void HeadlessDisplay::SetClipboardText(std::string utf8) {
  if (openKeeper_) {
    keeper_ = openKeeper_();
    openKeeper_ = nullptr;
  }
  if (keeper_) keeper_->SetClipboardText(utf8);
  clipboard_ = std::move(utf8);
  owned_ = true;
}

void HeadlessDisplay::ReleaseClipboard() {
  if (keeper_) keeper_->ReleaseClipboard();
  if (owned_) clipboard_.reset();
  owned_ = false;
}

std::optional<std::string> HeadlessDisplay::ClipboardText() { return keeper_ ? keeper_->ClipboardText() : clipboard_; }

bool HeadlessDisplay::PersistClipboard() { return keeper_ && keeper_->PersistClipboard(); }

void HeadlessDisplay::SetForeignClipboardText(std::string utf8) {
  clipboard_ = std::move(utf8);
  owned_ = false;
}

bool HeadlessDisplay::Covers(const Surface& s, int x, int y) const {
  if (!s.visible || s.minimized || !Inside(s.rect, x, y)) return false;
  if (!s.shaped) return true;
  int wx = x - s.rect.left;
  int wy = y - s.rect.top;
  return std::any_of(s.shape.begin(), s.shape.end(),
                     [&](const Rect& r) { return Inside(r, wx, wy); });
}

NativeWindow HeadlessDisplay::WindowAt(int x, int y) const {
  if (grab_ != 0) return grab_;
  for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
    const Surface* s = Find(*it);
    if (s && Covers(*s, x, y)) return *it;
  }
  return 0;
}

std::uint32_t HeadlessDisplay::ScreenPixel(int x, int y) const {
  for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
    const Surface* s = Find(*it);
    if (s && Covers(*s, x, y))
      return s->pixels[static_cast<size_t>(y - s->rect.top) * s->rect.width() + (x - s->rect.left)];
  }
  return 0;
}

std::uint32_t HeadlessDisplay::WindowPixel(NativeWindow w, int x, int y) const {
  const Surface* s = Find(w);
  if (!s || x < 0 || y < 0 || x >= s->rect.width() || y >= s->rect.height()) return 0;
  return s->pixels[static_cast<size_t>(y) * s->rect.width() + x];
}

bool HeadlessDisplay::IsVisible(NativeWindow w) const {
  const Surface* s = Find(w);
  return s && s->visible && !s->minimized;
}

bool HeadlessDisplay::IsMinimized(NativeWindow w) const {
  const Surface* s = Find(w);
  return s && s->minimized;
}

Rect HeadlessDisplay::WindowRect(NativeWindow w) const {
  const Surface* s = Find(w);
  return s ? s->rect : Rect{};
}

std::string HeadlessDisplay::Title(NativeWindow w) const {
  const Surface* s = Find(w);
  return s ? s->title : std::string();
}

size_t HeadlessDisplay::ShapeRectCount(NativeWindow w) const {
  const Surface* s = Find(w);
  return s ? s->shape.size() : 0;
}

WindowKind HeadlessDisplay::Kind(NativeWindow w) const {
  const Surface* s = Find(w);
  return s ? s->kind : WindowKind::Popup;
}

bool HeadlessDisplay::IsModal(NativeWindow w) const {
  const Surface* s = Find(w);
  return s && s->modal;
}

bool HeadlessDisplay::IsMaximized(NativeWindow w) const {
  const Surface* s = Find(w);
  return s && s->maximized;
}

Rect HeadlessDisplay::IconRect(NativeWindow w) const {
  const Surface* s = Find(w);
  return s ? s->icon : Rect{};
}

void HeadlessDisplay::Queue(Event e) {
  clock_ += 1;
  e.time = clock_;
  events_.push_back(e);
}

void HeadlessDisplay::MoveMouse(int x, int y) {
  pointerX_ = x;
  pointerY_ = y;
  Queue(Event{.kind = EventKind::MouseMove, .window = WindowAt(x, y), .x = x, .y = y});
}

void HeadlessDisplay::QueueButton(MouseButton b, bool down) {
  Queue(Event{.kind = down ? EventKind::ButtonDown : EventKind::ButtonUp,
              .window = WindowAt(pointerX_, pointerY_), .x = pointerX_, .y = pointerY_,
              .button = b});
}

void HeadlessDisplay::PressButton(MouseButton b) { QueueButton(b, true); }
void HeadlessDisplay::ReleaseButton(MouseButton b) { QueueButton(b, false); }

void HeadlessDisplay::Click(int x, int y, MouseButton b) {
  MoveMouse(x, y);
  PressButton(b);
  ReleaseButton(b);
}

void HeadlessDisplay::TurnWheel(int delta) {
  Queue(Event{.kind = EventKind::Wheel, .window = WindowAt(pointerX_, pointerY_), .x = pointerX_,
              .y = pointerY_, .wheel = delta});
}

void HeadlessDisplay::PressKey(unsigned virtualKey, char32_t character) {
  Queue(Event{.kind = EventKind::KeyDown, .window = focus_, .x = pointerX_, .y = pointerY_,
              .virtualKey = virtualKey, .character = character});
}

void HeadlessDisplay::ReleaseKey(unsigned virtualKey) {
  Queue(Event{.kind = EventKind::KeyUp, .window = focus_, .x = pointerX_, .y = pointerY_,
              .virtualKey = virtualKey});
}

void HeadlessDisplay::TypeKey(unsigned virtualKey, char32_t character) {
  PressKey(virtualKey, character);
  ReleaseKey(virtualKey);
}

void HeadlessDisplay::RequestClose(NativeWindow w) {
  Queue(Event{.kind = EventKind::CloseRequest, .window = w});
}

}  // namespace display
