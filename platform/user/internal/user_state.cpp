#include "platform/user/internal/user_state.h"

#include <chrono>

#include "platform/display/headless_display.h"
#include "platform/user/internal/back_buffer.h"
#include "platform/user/user_display.h"

namespace user_internal {

namespace {

std::uint64_t SteadyMillis() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Handles: low 16 bits index + 1, next 15 bits a generation, so that a stale handle of a
// destroyed window does not name a new window that took its slot.
HWND MakeHandle(size_t index, std::uint16_t generation) {
  std::uintptr_t v = (static_cast<std::uintptr_t>(generation) << 16) | (index + 1);
  return reinterpret_cast<HWND>(v);
}

}  // namespace

UserState& UserState::Get() {
  static UserState* state = new UserState();  // lives as long as the process
  return *state;
}

UserState::UserState() : start_(SteadyMillis()) {}

display::Display& UserState::Display() {
  if (!display_) display_ = display::OpenDisplay();
  return *display_;
}

bool UserState::ReplaceDisplay(std::unique_ptr<display::Display> d) {
  if (live_ != 0) return false;
  display_ = std::move(d);
  return true;
}

std::uint64_t UserState::Now() const { return SteadyMillis() - start_; }

Window* UserState::FindAny(HWND h) const {
  std::uintptr_t v = reinterpret_cast<std::uintptr_t>(h);
  size_t index = (v & 0xffff);
  if (index == 0 || (v >> 31) != 0) return nullptr;
  index -= 1;
  if (index >= slots_.size() || !slots_[index]) return nullptr;
  if (generations_[index] != ((v >> 16) & 0x7fff)) return nullptr;
  return slots_[index].get();
}

Window* UserState::Find(HWND h) const {
  Window* w = FindAny(h);
  return (w && !w->dead) ? w : nullptr;
}

Window* UserState::Allocate() {
  if (live_ >= kMaxWindows) return nullptr;
  size_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    if (slots_.size() >= 0xfffe) return nullptr;
    index = slots_.size();
    slots_.emplace_back();
    generations_.push_back(0);
  }
  generations_[index] = static_cast<std::uint16_t>((generations_[index] + 1) & 0x7fff);
  if (generations_[index] == 0) generations_[index] = 1;
  slots_[index] = std::make_unique<Window>();
  slots_[index]->handle = MakeHandle(index, generations_[index]);
  ++live_;
  return slots_[index].get();
}

void UserState::Release(Window* w) {
  if (!w->dead) {
    w->dead = true;
    --live_;
  }
  if (w->busy > 0) return;  // freed when the running call returns
  size_t index = (reinterpret_cast<std::uintptr_t>(w->handle) & 0xffff) - 1;
  slots_[index].reset();
  free_.push_back(index);
}

LRESULT CallProcedure(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  UserState& s = State();
  Window* w = s.FindAny(hwnd);
  if (w) ++w->busy;
  LRESULT r = proc(hwnd, msg, wParam, lParam);
  if (w) {
    --w->busy;
    if (w->dead && w->busy == 0) s.Release(w);
  }
  return r;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return 0;
  if (s.sendDepth >= kMaxSendDepth) return 0;  // runaway recursion between procedures
  ++s.sendDepth;
  LRESULT r = CallProcedure(w->proc, hwnd, msg, wParam, lParam);
  --s.sendDepth;
  return r;
}

POINT ClientOriginOnScreen(const Window* w) {
  POINT p{w->client.left, w->client.top};
  const Window* cur = w;
  while (cur->parent) {
    const Window* parent = State().FindAny(cur->parent);
    if (!parent) break;
    p.x += parent->client.left;
    p.y += parent->client.top;
    cur = parent;
  }
  return p;
}

RECT WindowRectOnScreen(const Window* w) {
  if (!w->parent) return w->window;
  const Window* parent = State().FindAny(w->parent);
  if (!parent) return w->window;
  POINT o = ClientOriginOnScreen(parent);
  return OffsetRectBy(w->window, o.x, o.y);
}

Window* TopLevelOf(Window* w) {
  while (w && w->parent) {
    Window* parent = State().FindAny(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w;
}

POINT OffsetInTopLevel(const Window* w) {
  RECT r = WindowRectOnScreen(w);
  const Window* top = TopLevelOf(const_cast<Window*>(w));
  return POINT{r.left - top->window.left, r.top - top->window.top};
}

bool IsVisibleChain(const Window* w) {
  while (w) {
    if (!(w->style & 0x10000000u)) return false;  // WS_VISIBLE
    if (!w->parent) return true;
    w = State().FindAny(w->parent);
  }
  return false;
}

int Depth(const Window* w) {
  int d = 0;
  while (w && w->parent) {
    w = State().FindAny(w->parent);
    ++d;
  }
  return d;
}

std::u16string LowerAscii(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return out;
}

}  // namespace user_internal

using namespace user_internal;

display::Display& CurrentDisplay() { return State().Display(); }

bool UseDisplay(std::unique_ptr<display::Display> backEnd) {
  return State().ReplaceDisplay(std::move(backEnd));
}

display::HeadlessDisplay* UseHeadlessDisplay(int screenWidth, int screenHeight) {
  auto headless = std::make_unique<display::HeadlessDisplay>(screenWidth, screenHeight);
  display::HeadlessDisplay* raw = headless.get();
  if (!State().ReplaceDisplay(std::move(headless))) return nullptr;
  return raw;
}
