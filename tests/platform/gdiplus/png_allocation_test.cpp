// What libpng allocates in the provider follows the file's bytes: a chunk that states a
// gigabyte in a 131-byte file is never made room for, and a PNG icon inside an ICO behaves
// the same in the graphics layer. Honest files still load.
#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/png_data_limits.h"
#include "tests/platform/gdiplus/provider.h"
#include "tests/support/allocation_watch.h"
#include "tests/support/test_support.h"

namespace gptest {
namespace {

std::string HostilePng() { return testsupport::ReadFile(testsupport::DataPath("hostile/png-chunk-1gib.png")); }

TEST(PngAllocation, AChunkTheFileDoesNotHoldIsNeverMadeRoomFor) {
  REQUIRE_ALLOCATION_WATCH();
  const std::string bytes = HostilePng();
  ASSERT_EQ(bytes.size(), 131u);
  MemoryStream stream(bytes);
  GpImage* image = nullptr;
  GpStatus st = Ok;
  size_t largest = 0;
  {
    testsupport::AllocationWatch watch;
    st = GP(GdipLoadImageFromStream)(&stream, &image);
    largest = watch.Largest();
  }
  EXPECT_NE(st, Ok);
  if (image) GP(GdipDisposeImage)(image);
  // The loader's own buffers, nothing near the stated gigabyte.
  EXPECT_LT(largest, size_t(16) << 20);
}

// The cut comes at the first chunk whose data and CRC are not all there, and never past the
// end chunk; an honest file is read whole.
TEST(PngAllocation, ChunksAreReadOnlyWhereTheDataHoldThem) {
  const std::string hostile = HostilePng();
  auto held = [](const std::string& s) {
    return pngdata::ChunksHeld({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
  };
  EXPECT_EQ(held(hostile), 33u);  // signature, IHDR; the tEXt chunk states 1 GiB + 36 bytes
  const std::string sea = testsupport::ReadFile(testsupport::SourceDir() + "/samples/sea.png");
  EXPECT_EQ(held(sea), sea.size());
  EXPECT_EQ(held(sea + "trailing bytes after the end"), sea.size() + 28);
  EXPECT_EQ(held(sea.substr(0, sea.size() - 1)), sea.size() - 12);  // IEND without its last CRC byte
  EXPECT_EQ(held(sea.substr(0, 20)), 8u);

  MemoryStream stream(sea);
  GpImage* image = nullptr;
  ASSERT_EQ(GP(GdipLoadImageFromStream)(&stream, &image), Ok);
  uint32_t w = 0;
  GP(GdipGetImageWidth)(image, &w);
  EXPECT_EQ(w, 160u);
  GP(GdipDisposeImage)(image);
}

}  // namespace
}  // namespace gptest
