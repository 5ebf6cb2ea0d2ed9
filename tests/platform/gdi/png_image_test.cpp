// PNG pictures inside icons: libpng makes no room for a chunk the data do not hold.
#include "platform/gdi/png_image.h"

#include <gtest/gtest.h>

#include <exception>
#include <string>

#include "tests/support/allocation_watch.h"
#include "tests/support/test_support.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(PngImage, AChunkTheFileDoesNotHoldIsNeverMadeRoomFor) {
  REQUIRE_ALLOCATION_WATCH();
  const std::string hostile = testsupport::ReadFile(testsupport::DataPath("hostile/png-chunk-1gib.png"));
  bool refused = false;
  size_t largest = 0;
  {
    testsupport::AllocationWatch watch;
    try {
      DecodePngToBgra(Bytes(hostile));
    } catch (const std::exception&) {
      refused = true;
    }
    largest = watch.Largest();
  }
  EXPECT_TRUE(refused);
  EXPECT_LT(largest, size_t(1) << 20);
}

TEST(PngImage, AnHonestPictureDecodes) {
  const std::string sea = testsupport::ReadFile(testsupport::SourceDir() + "/samples/sea.png");
  const auto bitmap = DecodePngToBgra(Bytes(sea));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Width(), 160);
  EXPECT_EQ(bitmap->Height(), 120);
}

}  // namespace
