#include "platform/user/object_instance.h"

#include <array>
#include <memory>
#include <utility>

namespace {

constexpr size_t kInstances = 4096;

struct Slot {
  std::unique_ptr<ObjectWndProc> handler;
  int running = 0;
  bool freed = false;  // released while a call was running
  bool used = false;
};

std::array<Slot, kInstances>& Slots() {
  static auto* slots = new std::array<Slot, kInstances>();
  return *slots;
}

template <size_t N>
LRESULT Trampoline(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Slot& s = Slots()[N];
  if (!s.handler) return 0;
  ++s.running;
  // The handler may free this instance; it stays alive until the last call returns.
  LRESULT r = (*s.handler)(hwnd, msg, wParam, lParam);
  if (--s.running == 0 && s.freed) {
    s.handler.reset();
    s.freed = false;
    s.used = false;
  }
  return r;
}

template <size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeTable(std::index_sequence<I...>) {
  return {&Trampoline<I>...};
}

const std::array<WNDPROC, kInstances>& Table() {
  static const auto table = MakeTable(std::make_index_sequence<kInstances>());
  return table;
}

}  // namespace

WNDPROC MakeObjectInstance(ObjectWndProc handler) {
  if (!handler) return nullptr;
  auto& slots = Slots();
  for (size_t i = 0; i < kInstances; ++i) {
    if (slots[i].used) continue;
    slots[i].used = true;
    slots[i].freed = false;
    slots[i].handler = std::make_unique<ObjectWndProc>(std::move(handler));
    return Table()[i];
  }
  return nullptr;
}

void FreeObjectInstance(WNDPROC instance) {
  const auto& table = Table();
  for (size_t i = 0; i < kInstances; ++i) {
    if (table[i] != instance) continue;
    Slot& s = Slots()[i];
    if (!s.used) return;
    if (s.running > 0) {
      s.freed = true;
    } else {
      s.handler.reset();
      s.used = false;
    }
    return;
  }
}
