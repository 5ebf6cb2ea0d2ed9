#include "platform/rtl/large_blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr size_t kMiB = size_t(1) << 20;

bool OnHugePage(const void* p) { return reinterpret_cast<uintptr_t>(p) % (2 * kMiB) == 0; }

}  // namespace

TEST(LargeBlocks, BlocksAreWholeAlignedAndFreedOnlyOnce) {
  for (size_t bytes : {kMiB, 3 * kMiB + 17, 40 * kMiB}) {
    auto* block = static_cast<uint8_t*>(LargeBlocks::Allocate(bytes));
    ASSERT_NE(block, nullptr) << bytes;
    EXPECT_TRUE(OnHugePage(block)) << bytes;
    std::memset(block, 0xA5, bytes);
    EXPECT_EQ(block[bytes - 1], 0xA5);
    EXPECT_TRUE(LargeBlocks::FreeIfOwned(block)) << bytes;
    EXPECT_FALSE(LargeBlocks::FreeIfOwned(block)) << "a second free of " << bytes;
  }
  int onStack = 0;
  void* fromHeap = std::malloc(2 * kMiB);
  EXPECT_FALSE(LargeBlocks::FreeIfOwned(&onStack));
  EXPECT_FALSE(LargeBlocks::FreeIfOwned(fromHeap));
  EXPECT_FALSE(LargeBlocks::FreeIfOwned(nullptr));
  std::free(fromHeap);
}

// The released block keeps its pages for the next request that needs at least half of it, or
// for the next page of pixels (handed over whole when smaller, grown with its pages moved, not
// faulted in afresh, when larger); a smaller buffer gets a block of its own and leaves it alone.
TEST(LargeBlocks, TheNextLargeRequestTakesTheReleasedBlockWithItsPages) {
  LargeBlocks::ReleaseKept();
  auto* first = static_cast<uint8_t*>(LargeBlocks::Allocate(8 * kMiB));
  ASSERT_NE(first, nullptr);
  for (size_t i = 0; i < 8 * kMiB; i += 4096) first[i] = uint8_t(i >> 12);
  ASSERT_TRUE(LargeBlocks::FreeIfOwned(first));

  auto* same = static_cast<uint8_t*>(LargeBlocks::Allocate(5 * kMiB));
  EXPECT_EQ(same, first);
  EXPECT_EQ(same[8 * kMiB - 4096], uint8_t((8 * kMiB - 4096) >> 12)) << "handed over whole";
  ASSERT_TRUE(LargeBlocks::FreeIfOwned(same));

  auto* small = static_cast<uint8_t*>(LargeBlocks::Allocate(2 * kMiB));
  ASSERT_NE(small, nullptr);
  EXPECT_NE(small, first);
  ASSERT_TRUE(LargeBlocks::FreeIfOwned(small));

  // A small page of pixels takes it all the same: the next page may be large again.
  auto* page = static_cast<uint8_t*>(LargeBlocks::Allocate(2 * kMiB, LargeBlocks::Use::Pixels));
  EXPECT_EQ(page, first);
  ASSERT_TRUE(LargeBlocks::FreeIfOwned(page));

  auto* larger = static_cast<uint8_t*>(LargeBlocks::Allocate(20 * kMiB));
  ASSERT_NE(larger, nullptr);
  EXPECT_TRUE(OnHugePage(larger));
  for (size_t i = 0; i < 8 * kMiB; i += 4096) ASSERT_EQ(larger[i], uint8_t(i >> 12)) << i;
  std::memset(larger, 0, 20 * kMiB);
  ASSERT_TRUE(LargeBlocks::FreeIfOwned(larger));

  LargeBlocks::ReleaseKept();
  auto* fresh = static_cast<uint8_t*>(LargeBlocks::Allocate(20 * kMiB));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh[4096], 0) << "a fresh mapping, not the released pages";
  ASSERT_TRUE(LargeBlocks::FreeIfOwned(fresh));
}

// Past the blocks that can be told apart requests are refused (the caller goes to the heap),
// and every block made is still freed.
TEST(LargeBlocks, ManyLiveBlocksAreRefusedBeyondTheTable) {
  LargeBlocks::ReleaseKept();
  std::vector<void*> blocks;
  for (int i = 0; i < 1100; ++i) blocks.push_back(LargeBlocks::Allocate(kMiB));
  size_t made = 0;
  for (void* b : blocks) made += b != nullptr;
  EXPECT_EQ(made, 1024u);
  EXPECT_EQ(blocks.back(), nullptr);
  for (void* b : blocks)
    if (b) { EXPECT_TRUE(LargeBlocks::FreeIfOwned(b)); }
}

TEST(LargeBlocks, ThreadsAllocateAndFreeTogether) {
  auto work = [](int seed) {
    for (int i = 0; i < 200; ++i) {
      const size_t bytes = kMiB + size_t((seed * 7919 + i * 104729) % 5) * kMiB;
      auto* b = static_cast<uint8_t*>(LargeBlocks::Allocate(bytes));
      if (!b) continue;
      b[0] = b[bytes - 1] = uint8_t(seed);
      if (b[0] != uint8_t(seed) || !LargeBlocks::FreeIfOwned(b)) std::abort();
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(work, t);
  for (auto& t : threads) t.join();
}
