#include "app/heap_settings.h"

#include <malloc.h>

namespace Tarnwick1 {

namespace {

// The largest threshold the C library accepts for serving blocks from the heap (32 MiB on
// 64-bit systems): a 10-megapixel page fits below it.
constexpr int kHeapBlockLimit = 32 << 20;
// Freed memory at the heap's top is returned only beyond a few such pages.
constexpr int kKeptFreeMemory = 4 * kHeapBlockLimit;

}  // namespace

void KeepLargeBuffersInHeap() {
  mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit);
  mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

}  // namespace Tarnwick1
