// The largest single block requested from the C allocator (malloc, calloc, realloc) while a
// watch is open, for tests of what a reader allocates for data a file only claims. The watch
// replaces the C library's allocation functions for the whole test program, passing every
// request on; sanitizer builds keep their own allocator and cannot watch.
#pragma once

#include <cstddef>

namespace testsupport {

bool AllocationsWatchable();

// Watches from construction to destruction (one watch at a time).
class AllocationWatch {
 public:
  AllocationWatch();
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;
  // The largest request so far.
  size_t Largest() const;
};

}  // namespace testsupport

#define REQUIRE_ALLOCATION_WATCH()                                                        \
  do {                                                                                    \
    if (!::testsupport::AllocationsWatchable()) GTEST_SKIP() << "the allocator is the sanitizer's"; \
  } while (0)
