#include "app/heap_settings.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

#include "platform/rtl/large_blocks.h"

namespace Tarnwick1 {

namespace {

// The largest threshold the C library accepts for serving blocks from the heap (32 MiB on
// 64-bit systems): the libraries' own pictures fit below it.
constexpr int kHeapBlockLimit = 32 << 20;
// Freed memory at the heap's top is returned only beyond a few such pages.
constexpr int kKeptFreeMemory = 4 * kHeapBlockLimit;
// Free memory in the heap, between files, from which it is given back.
constexpr size_t kTrimmedFreeMemory = size_t(2) << 20;

}  // namespace

void KeepLargeBuffersInHeap() {
  mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit);
  mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

void ReturnFreeHeapPages() {
  // Below a few megabytes the pages are worth more to the next file than to the system.
  if (mallinfo2().fordblks >= kTrimmedFreeMemory) malloc_trim(0);
}

void ReturnIdleMemory() {
  LargeBlocks::ReleaseKept();
  ReturnFreeHeapPages();
}

}  // namespace Tarnwick1

// The program's large C++ blocks are large blocks.
#if VELMORA_LARGE_BLOCKS
void* operator new(std::size_t bytes) {
  if (bytes >= LargeBlocks::kMinimum)
    if (void* block = LargeBlocks::Allocate(bytes)) return block;
  for (;;) {
    if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}
void* operator new[](std::size_t bytes) { return ::operator new(bytes); }
void operator delete(void* memory) noexcept {
  if (!LargeBlocks::FreeIfOwned(memory)) std::free(memory);
}
void operator delete[](void* memory) noexcept { ::operator delete(memory); }
void operator delete(void* memory, std::size_t bytes) noexcept {
  if (bytes >= LargeBlocks::kMinimum && LargeBlocks::FreeIfOwned(memory)) return;
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept { ::operator delete(memory); }
#endif
