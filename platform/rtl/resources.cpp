#include "platform/rtl/resources.h"

#include <cstddef>
#include <string>

#include "platform/rtl/exceptions.h"

extern "C" {
struct VelmoraResourceEntry {
  int id;
  const char* name;
  const unsigned char* data;
  std::size_t size;
};
extern const VelmoraResourceEntry velmora_resource_table[];
extern const std::size_t velmora_resource_count;
}

namespace {

const VelmoraResourceEntry* Lookup(int id, std::string_view name) {
  for (std::size_t i = 0; i < velmora_resource_count; ++i) {
    const auto& e = velmora_resource_table[i];
    if (name.empty() ? e.id == id : (e.id < 0 && name == e.name)) return &e;
  }
  return nullptr;
}

}  // namespace

std::span<const uint8_t> FindResourceData(int id) {
  if (const auto* e = Lookup(id, {})) return {e->data, e->size};
  throw EResNotFound("Resource " + std::to_string(id) + " not found");
}

std::span<const uint8_t> FindResourceData(std::string_view name) {
  if (const auto* e = name.empty() ? nullptr : Lookup(0, name)) return {e->data, e->size};
  throw EResNotFound("Resource " + std::string(name) + " not found");
}

bool HasResource(int id) { return Lookup(id, {}) != nullptr; }
bool HasResource(std::string_view name) { return !name.empty() && Lookup(0, name) != nullptr; }
