#include "pdf/core/filters/flate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Decoded;
using filtertest::Encoded;
using filtertest::Hex;

namespace {

// A zlib stream that inflates to blocks x blockSize zero bytes, built from one fully flushed
// deflate block repeated, so that a huge output costs little to make.
std::string ZeroBomb(int blocks, int blockSize) {
  z_stream zs{};
  EXPECT_EQ(deflateInit(&zs, 9), Z_OK);
  std::string zeros(static_cast<size_t>(blockSize), '\0');
  std::string block(static_cast<size_t>(blockSize), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(zeros.data());
  zs.avail_in = static_cast<uInt>(zeros.size());
  zs.next_out = reinterpret_cast<Bytef*>(block.data());
  zs.avail_out = static_cast<uInt>(block.size());
  EXPECT_EQ(deflate(&zs, Z_FULL_FLUSH), Z_OK);
  block.resize(block.size() - zs.avail_out);
  deflateEnd(&zs);
  std::string header = block.substr(0, 2);
  std::string body = block.substr(2);
  std::string out = header;
  for (int i = 0; i < blocks; ++i) out += body;
  return out + Hex("03 00");  // a final empty block; the checksum is left off
}

}  // namespace

TEST(Flate, DecodesStreamsWrittenByPythonZlib) {
  for (const char* name : {"flate_text", "flate_mixed_best", "flate_mixed_fast", "flate_one_byte",
                           "flate_flushed"}) {
    std::string out;
    EXPECT_EQ(FlateDecompressBuffer(Encoded(name), out), FlateEnd::StreamEnd) << name;
    EXPECT_TRUE(filtertest::SameBytes(out, Decoded(name))) << name;
    EXPECT_TRUE(filtertest::SameBytes(FlateDecompressString(Encoded(name)), Decoded(name))) << name;
  }
}

TEST(Flate, CompressedDataRoundTripsAtEveryLevel) {
  const std::string inputs[] = {"x", Decoded("flate_mixed_best"), filtertest::Noise(300000, 7),
                                std::string(200000, '\0')};
  for (const auto& in : inputs) {
    EXPECT_TRUE(filtertest::SameBytes(FlateDecompressString(FlateCompressString(in)), in));
    for (int level = 0; level <= 3; ++level)
      EXPECT_TRUE(filtertest::SameBytes(FlateDecompressString(FlateCompressToString(in, level)), in)) << level;
  }
  // The zlib header records the level class: default, none/fastest, best.
  EXPECT_EQ(FlateCompressString("abc").substr(0, 2), Hex("78 9C"));
  EXPECT_EQ(FlateCompressToString("abc", 0).substr(0, 2), Hex("78 01"));
  EXPECT_EQ(FlateCompressToString("abc", 3).substr(0, 2), Hex("78 DA"));
  EXPECT_LT(FlateCompressString(std::string(100000, 'a')).size(), 1000u);
  EXPECT_EQ(FlateCompressString(""), "");
}

TEST(Flate, StoredFormIsOneStoredBlockUpTo65535Bytes) {
  EXPECT_EQ(FlateStoreString("abc"), Hex("78 01 01 03 00 FC FF 61 62 63 02 4D 01 27"));
  EXPECT_EQ(FlateStoreString(""), "");
  const std::string max = filtertest::Noise(65535, 3);
  const std::string stored = FlateStoreString(max);
  ASSERT_EQ(stored.size(), 65535u + 11);
  EXPECT_EQ(stored.substr(0, 7), Hex("78 01 01 FF FF 00 00"));
  EXPECT_TRUE(filtertest::SameBytes(FlateDecompressString(stored), max));
  // One byte more needs two stored blocks, which zlib's level 0 writes.
  const std::string over = max + "z";
  const std::string level0 = FlateStoreString(over);
  EXPECT_EQ(level0.substr(0, 2), Hex("78 01"));
  EXPECT_EQ(static_cast<uint8_t>(level0[2]) & 0x07, 0) << "first block stored and not final";
  EXPECT_TRUE(filtertest::SameBytes(FlateDecompressString(level0), over));
}

TEST(Flate, BrokenStreamsGiveWhatCameBeforeTheBreak) {
  const std::string full = Decoded("flate_mixed_best");
  const std::string in = Encoded("flate_mixed_best");
  // Truncated: a prefix of the data, and no endless wait for the missing rest.
  std::string out;
  EXPECT_EQ(FlateDecompressBuffer(in.substr(0, in.size() / 2), out), FlateEnd::Truncated);
  EXPECT_FALSE(out.empty());
  EXPECT_TRUE(filtertest::SameBytes(full.substr(0, out.size()), out));
  // Without the checksum trailer all data is there.
  EXPECT_EQ(FlateDecompressBuffer(in.substr(0, in.size() - 4), out), FlateEnd::Truncated);
  EXPECT_TRUE(filtertest::SameBytes(out, full));
  // A checksum that does not match keeps the data too.
  std::string badSum = in;
  badSum.back() ^= 1;
  EXPECT_EQ(FlateDecompressBuffer(badSum, out), FlateEnd::Damaged);
  EXPECT_TRUE(filtertest::SameBytes(out, full));
  // An invalid block after a full flush: exactly the bytes before the flush point.
  std::string flushed = Encoded("flate_flushed");
  const size_t sync = flushed.find(Hex("00 00 FF FF"));
  ASSERT_NE(sync, std::string::npos);
  flushed[sync + 4] = '\xFF';  // final block of the reserved type 3
  EXPECT_EQ(FlateDecompressBuffer(flushed, out), FlateEnd::Damaged);
  EXPECT_TRUE(filtertest::SameBytes(out, Decoded("flate_flushed").substr(0, 700)));
  EXPECT_TRUE(filtertest::SameBytes(FlateDecompressString(flushed), out));
}

TEST(Flate, NonZlibInputGivesNothing) {
  const std::string cases[] = {"", "x", "not zlib data at all", Hex("78 9C"), Hex("78 9C 03"),
                               Hex("78 01 01 05 00 FA FF 61"),  // stored block cut short
                               Encoded("flate_needs_dict"), Hex("1F 8B 08 00")};
  for (const auto& c : cases) {
    const std::string out = FlateDecompressString(c);
    EXPECT_LE(out.size(), 1u) << "input of " << c.size() << " bytes";
  }
  EXPECT_EQ(FlateDecompressString("not zlib data at all"), "");
  EXPECT_EQ(FlateDecompressString(Encoded("flate_needs_dict")), "");
  std::string out;
  EXPECT_EQ(FlateDecompressBuffer(Encoded("flate_needs_dict"), out), FlateEnd::Damaged);
}

TEST(Flate, CallerCapsTheOutput) {
  const std::string bomb = ZeroBomb(64, 1 << 20);  // 64 MiB of zeros from some kilobytes
  ASSERT_LT(bomb.size(), 200000u);
  std::string out;
  EXPECT_EQ(FlateDecompressBuffer(bomb, out, 0, 1000000), FlateEnd::OutputLimit);
  EXPECT_TRUE(filtertest::SameBytes(out, std::string(1000000, '\0')));
  EXPECT_EQ(FlateDecompressString(bomb, 12345).size(), 12345u);
  EXPECT_EQ(FlateDecompressString(bomb, 0), "");
  EXPECT_EQ(FlateDecompressString(bomb, -5), "");
  // A cap above the data changes nothing; the estimate only sizes the first buffer.
  EXPECT_EQ(FlateDecompressBuffer(Encoded("flate_text"), out, 1, 1 << 20), FlateEnd::StreamEnd);
  EXPECT_TRUE(filtertest::SameBytes(out, Decoded("flate_text")));
  // A cap of exactly the data's size still ends the stream properly.
  EXPECT_EQ(FlateDecompressString(Encoded("flate_text"), static_cast<int64_t>(Decoded("flate_text").size())),
            Decoded("flate_text"));
}

TEST(Flate, DefaultCapStopsADecompressionBomb) {
  const std::string bomb = ZeroBomb(kDefaultFilterOutputLimit / (1 << 20) + 8, 1 << 20);
  std::string out;
  EXPECT_EQ(FlateDecompressBuffer(bomb, out), FlateEnd::OutputLimit);
  EXPECT_EQ(static_cast<int64_t>(out.size()), kDefaultFilterOutputLimit);
}

TEST(Flate, PredictorDecodeUndoesRowsAfterInflating) {
  const struct {
    const char* name;
    FlatePredictorParams params;
  } cases[] = {
      {"png_rgb8_nofilter", {15, 3, 8, 41}}, {"png_rgb8_sub", {11, 3, 8, 41}},
      {"png_rgb8_up", {12, 3, 8, 41}},       {"png_rgb8_avg", {13, 3, 8, 41}},
      {"png_rgb8_paeth", {14, 3, 8, 41}},    {"png_rgb8_adaptive", {15, 3, 8, 41}},
      {"png_rgb8_pillow", {10, 3, 8, 41}},   {"png_rgba8_adaptive", {15, 4, 8, 29}},
      {"png_gray16_sub", {15, 1, 16, 23}},   {"png_gray16_avg", {15, 1, 16, 23}},
      {"png_gray16_paeth", {15, 1, 16, 23}}, {"png_gray1_up", {15, 1, 1, 45}},
      {"png_gray1_paeth", {15, 1, 1, 45}},   {"tiffzip_rgb8_pred2", {2, 3, 8, 41}},
      {"tiffzip_gray16_pred2", {2, 1, 16, 23}},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(filtertest::SameBytes(FlatePredictorDecode(Encoded(c.name), c.params), Decoded(c.name))) << c.name;
  // Unusable parameters decode to nothing rather than to misread rows.
  EXPECT_EQ(FlatePredictorDecode(Encoded("png_rgb8_up"), {12, 0, 8, 41}), "");
  // Predictor 1 is plain Flate.
  EXPECT_TRUE(filtertest::SameBytes(FlatePredictorDecode(Encoded("flate_text"), {1, 0, 0, 0}), Decoded("flate_text")));
}
