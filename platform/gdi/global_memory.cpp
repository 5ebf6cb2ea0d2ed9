#include "platform/gdi/global_memory.h"

#include <map>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr std::size_t kMaxBlock = std::size_t{256} << 20;

struct Block {
  std::vector<unsigned char> bytes;
  int locks = 0;
};

std::map<HGLOBAL, std::unique_ptr<Block>>& Blocks() {
  static auto* blocks = new std::map<HGLOBAL, std::unique_ptr<Block>>();
  return *blocks;
}

Block* Find(HGLOBAL h) {
  auto it = Blocks().find(h);
  return it == Blocks().end() ? nullptr : it->second.get();
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, std::size_t bytes) {
  if (bytes > kMaxBlock) return nullptr;
  auto block = std::make_unique<Block>();
  try {
    block->bytes.assign(bytes == 0 ? 1 : bytes, 0);
    block->bytes.resize(bytes);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  // The handle is the block object's address: unique while the block lives.
  auto h = static_cast<HGLOBAL>(block.get());
  Blocks()[h] = std::move(block);
  return h;
}

void* GlobalLock(HGLOBAL h) {
  Block* b = Find(h);
  if (!b) return nullptr;
  ++b->locks;
  return b->bytes.empty() ? static_cast<void*>(b) : b->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL h) {
  Block* b = Find(h);
  if (!b || b->locks == 0) return 0;
  return --b->locks > 0 ? 1 : 0;
}

std::size_t GlobalSize(HGLOBAL h) {
  Block* b = Find(h);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
  if (!h) return nullptr;
  return Blocks().erase(h) ? nullptr : h;
}
