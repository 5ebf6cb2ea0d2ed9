#include "skin/skin_manager_link.h"

namespace {

// The manager lives at module level, as one per program. The slot is never destroyed: the
// manager is freed by FreeSkinManager at the program's end, and one still alive when the
// process ends otherwise (exit() from deep inside a library) must not restore windows, timers
// and forms that the end of the process has taken down before it.
struct ManagerSlot {
  TSkinManagerFactory factory = nullptr;
  std::unique_ptr<TSkinManagerLink> manager;
};
ManagerSlot& Slot() {
  static auto* slot = new ManagerSlot;
  return *slot;
}

}  // namespace

void SetSkinManagerFactory(TSkinManagerFactory factory) { Slot().factory = factory; }

TSkinManagerLink* SkinManager() { return Slot().manager.get(); }

TSkinManagerLink* EnsureSkinManager() {
  ManagerSlot& s = Slot();
  if (!s.manager && s.factory) s.manager = s.factory();
  return s.manager.get();
}

void FreeSkinManager() {
  // Components unregister while the manager goes; take it out of the slot first.
  std::unique_ptr<TSkinManagerLink> m = std::move(Slot().manager);
  m.reset();
}
