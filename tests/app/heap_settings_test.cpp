#include "app/heap_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/large_blocks.h"

namespace {

bool IsLargeBlock(const void* p) { return reinterpret_cast<uintptr_t>(p) % (uintptr_t(2) << 20) == 0; }

}  // namespace

// The program's own large C++ blocks, however they are made and released (sized, unsized,
// arrays), are large blocks; small ones stay in the heap.
TEST(HeapSettings, LargeCxxBlocksAreLargeBlocks) {
  if (!VELMORA_LARGE_BLOCKS) GTEST_SKIP() << "AddressSanitizer keeps every block in its own heap";
  Tarnwick1::KeepLargeBuffersInHeap();
  std::vector<uint8_t> pixels(3 << 20, 7);
  std::string samples(5 << 20, 'x');
  std::unique_ptr<uint8_t[]> raw(new uint8_t[2 << 20]);
  EXPECT_TRUE(IsLargeBlock(pixels.data()));
  EXPECT_TRUE(IsLargeBlock(samples.data()));
  EXPECT_TRUE(IsLargeBlock(raw.get()));
  samples.resize(9 << 20, 'y');  // grows into a new block, the old one released
  EXPECT_EQ(samples[(5 << 20) - 1], 'x');
  EXPECT_EQ(samples[(9 << 20) - 1], 'y');
  void* released = raw.get();
  raw.reset();
  EXPECT_FALSE(LargeBlocks::FreeIfOwned(released)) << "released once already";
  auto small = std::make_unique<std::vector<uint8_t>>(4096);
  EXPECT_FALSE(LargeBlocks::FreeIfOwned(small->data()));
  Tarnwick1::ReturnFreeHeapPages();
}
