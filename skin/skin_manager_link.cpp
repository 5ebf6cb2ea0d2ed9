#include "skin/skin_manager_link.h"

namespace {

// The manager lives at module level, as one per program.
struct ManagerSlot {
  TSkinManagerFactory factory = nullptr;
  std::unique_ptr<TSkinManagerLink> manager;
};
ManagerSlot& Slot() {
  static ManagerSlot slot;
  return slot;
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
