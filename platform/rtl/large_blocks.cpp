#include "platform/rtl/large_blocks.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

namespace LargeBlocks {
namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Blocks alive at once that can be told apart by address alone; beyond them requests go to
// the heap (a gigabyte of memory is a thousand such blocks at least).
constexpr size_t kTracked = 1024;

size_t RoundUp(size_t value, size_t to) { return (value + to - 1) / to * to; }

size_t PageBytes(size_t bytes) {
  static const size_t page = size_t(sysconf(_SC_PAGESIZE));
  return RoundUp(bytes, page);
}

struct Block {
  char* at = nullptr;
  size_t bytes = 0;
};

char* MapAligned(size_t bytes) {
  if (bytes > SIZE_MAX - kHugePage) return nullptr;
  const size_t span = bytes + kHugePage;
  void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  char* raw = static_cast<char*>(mapped);
  char* at = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(raw), kHugePage));
  if (at > raw) munmap(raw, size_t(at - raw));
  if (raw + span > at + bytes) munmap(at + bytes, size_t(raw + span - (at + bytes)));
  // Only a hint: without huge pages the memory is used as it is.
  madvise(at, bytes, MADV_HUGEPAGE);
  return at;
}

// The kept block fitted to a request of `bytes`: handed over whole when the request is smaller
// (pages cut off now would be faulted in again for the next larger picture), else grown in
// place or its pages moved onto a fresh aligned range. Nothing when no range can be had (the
// block is released then).
Block Resize(Block block, size_t bytes) {
  if (bytes <= block.bytes) return block;
  void* grown = mremap(block.at, block.bytes, bytes, 0);
  if (grown != MAP_FAILED) return {static_cast<char*>(grown), bytes};
  char* target = MapAligned(bytes);
  if (target && mremap(block.at, block.bytes, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, target) != MAP_FAILED)
    return {target, bytes};
  munmap(block.at, block.bytes);
  return {target, target ? bytes : 0};
}

class Pool {
 public:
  Block Take(size_t bytes, Use use) {
    std::lock_guard<std::mutex> hold(lock_);
    if (use == Use::Buffer && bytes < kept_.bytes / 2) return {};
    return std::exchange(kept_, Block{});
  }
  // Keeps the larger of the kept block and this one; answers the other, to be released.
  // One is enough: the page of one file becomes the page of the next, and a second block
  // would sit idle beside the next file's buffers.
  Block Keep(Block block) {
    std::lock_guard<std::mutex> hold(lock_);
    return kept_.bytes >= block.bytes ? block : std::exchange(kept_, block);
  }
  bool Track(Block block) {
    std::lock_guard<std::mutex> hold(lock_);
    if (liveCount_ == kTracked) return false;
    live_[liveCount_++] = block;
    liveAny_.store(true, std::memory_order_relaxed);
    return true;
  }
  // The live block starting at `at`, no longer tracked; nothing when there is none.
  Block Untrack(const void* at) {
    if (!liveAny_.load(std::memory_order_relaxed)) return {};
    std::lock_guard<std::mutex> hold(lock_);
    for (size_t i = 0; i < liveCount_; ++i) {
      if (live_[i].at != at) continue;
      const Block found = std::exchange(live_[i], live_[--liveCount_]);
      liveAny_.store(liveCount_ > 0, std::memory_order_relaxed);
      return found;
    }
    return {};
  }

 private:
  std::mutex lock_;
  Block kept_;
  std::array<Block, kTracked> live_{};
  size_t liveCount_ = 0;
  std::atomic<bool> liveAny_{false};
};

// The process's, like the heap beside it; never destroyed, as blocks may be freed by the
// destructors of other statics.
Pool& ThePool() {
  static Pool* pool = new Pool;
  return *pool;
}

void Release(Block block) {
  const Block dropped = ThePool().Keep(block);
  if (dropped.at) munmap(dropped.at, dropped.bytes);
}

}  // namespace

void* Allocate(size_t bytes, Use use) noexcept {
  const size_t mapped = PageBytes(std::max(bytes, kMinimum));
  Block block;
  if (const Block kept = ThePool().Take(mapped, use); kept.at) block = Resize(kept, mapped);
  if (!block.at) block = {MapAligned(mapped), mapped};
  if (!block.at) return nullptr;
  if (!ThePool().Track(block)) {
    munmap(block.at, block.bytes);
    return nullptr;
  }
  return block.at;
}

bool FreeIfOwned(void* block) noexcept {
  if (!block) return false;
  const Block found = ThePool().Untrack(block);
  if (!found.at) return false;
  Release(found);
  return true;
}

void ReleaseKept() noexcept {
  const Block kept = ThePool().Take(0, Use::Pixels);
  if (kept.at) munmap(kept.at, kept.bytes);
}

}  // namespace LargeBlocks
