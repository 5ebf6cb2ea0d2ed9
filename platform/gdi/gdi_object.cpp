#include "platform/gdi/gdi_object.h"

#include <mutex>
#include <unordered_map>

namespace {

// The platform keeps one handle table per process; so do we.
struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
  uintptr_t next = 0x10000;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

HGDIOBJ RegisterGdiObject(std::shared_ptr<GdiObject> object, bool stock) {
  if (!object) return nullptr;
  if (object->handle_) return object->handle_;
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  const uintptr_t id = t.next;
  t.next += 4;  // handles stay multiples of four, like the platform's
  object->handle_ = reinterpret_cast<HGDIOBJ>(id);
  object->stock_ = stock;
  t.objects.emplace(id, std::move(object));
  return reinterpret_cast<HGDIOBJ>(id);
}

std::shared_ptr<GdiObject> LookupGdiObject(HGDIOBJ handle) {
  if (!handle) return nullptr;
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool DeleteObject(HGDIOBJ handle) {
  if (!handle) return false;
  std::shared_ptr<GdiObject> doomed;  // released outside the lock
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  if (it->second->IsStock()) return true;
  doomed = std::move(it->second);
  t.objects.erase(it);
  return true;
}

uint32_t GetObjectType(HGDIOBJ handle) {
  auto object = LookupGdiObject(handle);
  return object ? object->ObjectType() : 0;
}

size_t GdiHandleCount() {
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  return t.objects.size();
}
