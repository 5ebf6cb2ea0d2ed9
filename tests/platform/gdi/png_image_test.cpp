// PNG pictures inside icons: libpng makes no room for a chunk the data do not hold.
#include "platform/gdi/png_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <exception>
#include <string>

#include "tests/support/allocation_watch.h"
#include "tests/support/test_support.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

std::string FlateCompress(const std::string& s) {
  uLongf size = compressBound(uLong(s.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(s.data()), uLong(s.size()));
  out.resize(size);
  return out;
}

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

// A header stating 16000 x 16000 pixels over a few bytes of image data: damaged, refused
// before a row is made room for; a large flat picture whose data do fill it decodes.
TEST(PngImage, APictureItsDataCannotFillIsRefused) {
  REQUIRE_ALLOCATION_WATCH();
  auto chunk = [](const std::string& type, const std::string& data) {
    auto be = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    const std::string body = type + data;
    return be(uint32_t(data.size())) + body + be(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
  };
  auto png = [&](uint32_t side, const std::string& idat) {
    std::string ihdr = {char(side >> 24), char(side >> 16), char(side >> 8), char(side)};
    ihdr += ihdr + std::string("\x08\x06\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", idat) + chunk("IEND", "");
  };
  bool refused = false;
  size_t largest = 0;
  {
    testsupport::AllocationWatch watch;
    try {
      DecodePngToBgra(Bytes(png(16000, std::string("\x78\x9C\x63\x00\x00\x00\x01\x00\x01", 9))));
    } catch (const std::exception&) {
      refused = true;
    }
    largest = watch.Largest();
  }
  EXPECT_TRUE(refused);
  EXPECT_LT(largest, size_t(1) << 20);
  // 1500 x 1500 transparent pixels: 9 MB of rows deflated to about 9 KB.
  std::string rows;
  for (int y = 0; y < 1500; ++y) rows += '\0' + std::string(6000, '\0');
  const auto flat = DecodePngToBgra(Bytes(png(1500, FlateCompress(rows))));
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->Width(), 1500);
}

TEST(PngImage, AnHonestPictureDecodes) {
  const std::string sea = testsupport::ReadFile(testsupport::SourceDir() + "/samples/sea.png");
  const auto bitmap = DecodePngToBgra(Bytes(sea));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Width(), 160);
  EXPECT_EQ(bitmap->Height(), 120);
}

}  // namespace
