#include "tests/support/allocation_watch.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<bool> gWatching{false};
std::atomic<size_t> gLargest{0};

}  // namespace

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
bool testsupport::AllocationsWatchable() { return false; }
#else
bool testsupport::AllocationsWatchable() { return true; }

namespace {

void Note(size_t bytes) {
  if (!gWatching.load(std::memory_order_relaxed)) return;
  size_t seen = gLargest.load(std::memory_order_relaxed);
  while (bytes > seen && !gLargest.compare_exchange_weak(seen, bytes)) {
  }
}

}  // namespace

// glibc's own allocation functions, under the names it exports for such wrappers.
extern "C" {
void* __libc_malloc(size_t bytes);
void* __libc_calloc(size_t count, size_t bytes);
void* __libc_realloc(void* block, size_t bytes);

void* malloc(size_t bytes) {
  Note(bytes);
  return __libc_malloc(bytes);
}
void* calloc(size_t count, size_t bytes) {
  Note(count * bytes);
  return __libc_calloc(count, bytes);
}
void* realloc(void* block, size_t bytes) {
  Note(bytes);
  return __libc_realloc(block, bytes);
}
}
#endif

testsupport::AllocationWatch::AllocationWatch() {
  gLargest = 0;
  gWatching = true;
}

testsupport::AllocationWatch::~AllocationWatch() { gWatching = false; }

size_t testsupport::AllocationWatch::Largest() const { return gLargest.load(); }
