// Malformed BMP input: every case must raise a graphics or memory exception, or decode within
// bounds; none may crash, hang or allocate for sizes the data does not back.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/bmp_writer.h"
#include "platform/gdi/graphics_errors.h"

namespace {

std::span<const uint8_t> AsBytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

std::string ValidFile() {
  GdiBitmap b(5, 4, 24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) b.SetColor(x, y, RGB(uint8_t(x * 40), uint8_t(y * 60), 7));
  return EncodeBmp(b);
}

void Put32(std::string& s, size_t at, uint32_t v) { std::memcpy(&s[at], &v, 4); }
void Put16(std::string& s, size_t at, uint16_t v) { std::memcpy(&s[at], &v, 2); }

enum class Outcome { Invalid, OutOfMemory, Decodes };

struct Hostile {
  const char* name;
  void (*mutate)(std::string&);
  Outcome outcome;
};

const Hostile kCases[] = {
    {"empty", [](std::string& s) { s.clear(); }, Outcome::Invalid},
    {"no_magic", [](std::string& s) { s[0] = 'X'; }, Outcome::Invalid},
    {"header_only", [](std::string& s) { s.resize(20); }, Outcome::Invalid},
    {"truncated_pixels", [](std::string& s) { s.resize(s.size() - 20); }, Outcome::Invalid},
    {"last_row_padding_missing", [](std::string& s) { s.resize(s.size() - 1); }, Outcome::Decodes},
    {"huge_dimensions", [](std::string& s) { Put32(s, 18, 100000); Put32(s, 22, 100000); }, Outcome::OutOfMemory},
    {"width_times_height_overflows_32", [](std::string& s) { Put32(s, 18, 0x10000); Put32(s, 22, 0x10001); },
     Outcome::OutOfMemory},
    {"height_int_min", [](std::string& s) { Put32(s, 22, 0x80000000u); }, Outcome::OutOfMemory},
    {"negative_width", [](std::string& s) { Put32(s, 18, uint32_t(-5)); }, Outcome::Invalid},
    {"zero_height", [](std::string& s) { Put32(s, 22, 0); }, Outcome::Invalid},
    {"offset_past_end", [](std::string& s) { Put32(s, 10, 0x7FFFFFF0); }, Outcome::Decodes},
    {"offset_into_header", [](std::string& s) { Put32(s, 10, 3); }, Outcome::Decodes},
    {"header_size_past_end", [](std::string& s) { Put32(s, 14, 100000); }, Outcome::Invalid},
    {"header_size_tiny", [](std::string& s) { Put32(s, 14, 4); }, Outcome::Invalid},
    {"bit_count_7", [](std::string& s) { Put16(s, 28, 7); }, Outcome::Invalid},
    {"rle8_with_24_bits", [](std::string& s) { Put32(s, 30, BI_RLE8); }, Outcome::Invalid},
    {"jpeg_compression", [](std::string& s) { Put32(s, 30, BI_JPEG); }, Outcome::Invalid},
    {"bitfields_24", [](std::string& s) { Put32(s, 30, BI_BITFIELDS); }, Outcome::Invalid},
    {"palette_count_huge", [](std::string& s) { Put16(s, 28, 8); Put32(s, 46, 0xFFFFFFFF); }, Outcome::Decodes},
};

}  // namespace

class HostileBmp : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileBmp, RefusedOrBounded) {
  std::string s = ValidFile();
  GetParam().mutate(s);
  switch (GetParam().outcome) {
    case Outcome::Invalid: EXPECT_THROW(ReadBmpFile(AsBytes(s)), EInvalidGraphic); break;
    case Outcome::OutOfMemory: EXPECT_THROW(ReadBmpFile(AsBytes(s)), EOutOfMemory); break;
    case Outcome::Decodes: {  // bounded, whatever it decodes to
      std::shared_ptr<GdiBitmap> b;
      try {
        b = ReadBmpFile(AsBytes(s));
      } catch (const EInvalidGraphic&) {
      }
      if (b) {
        EXPECT_LE(int64_t(b->Width()) * b->Height(), kMaxBitmapPixels);
      }
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileBmp, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileBmp, LyingOffsetFallsBackToTheBitsAfterTheHeader) {
  std::string s = ValidFile();
  Put32(s, 10, 0x7FFFFFF0);
  auto b = ReadBmpFile(AsBytes(s));
  EXPECT_EQ(b->GetColor(4, 3), RGB(160, 180, 7));
}

TEST(HostileBmp, RleRunsPastTheEdgesStayInside) {
  // 4 x 2 RLE8 whose runs overshoot the row and whose deltas jump far outside.
  std::string s = "BM";
  s.resize(14);
  std::string dib(40, '\0');
  Put32(dib, 0, 40); Put32(dib, 4, 4); Put32(dib, 8, 2); Put16(dib, 12, 1); Put16(dib, 14, 8);
  Put32(dib, 16, BI_RLE8); Put32(dib, 32, 2);
  dib += std::string("\0\0\0\0\xff\xff\xff\0", 8);
  const unsigned char codes[] = {255, 1, 0, 2, 255, 255, 0, 200, 1, 1, 0, 0, 9, 1, 0, 0, 0, 0, 5, 1};
  dib.append(reinterpret_cast<const char*>(codes), sizeof codes);
  s += dib;
  Put32(s, 10, 14 + 48);
  auto b = ReadBmpFile(AsBytes(s));
  EXPECT_EQ(b->GetColor(0, 1), RGB(255, 255, 255));
}
