#include "pdf/core/filters/flate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

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

// Data deflated as they come, in pieces of any size, are the bytes the whole deflate gives
// (and inflate back to the data), however far the expected size is from the real one.
TEST(Flate, AWriterDeflatesPiecesAsTheWholeDeflateDoes) {
  const std::string inputs[] = {"x", Decoded("flate_mixed_best"), filtertest::Noise(300000, 5),
                                std::string(200000, '\0') + filtertest::Noise(70000, 9)};
  for (const auto& in : inputs) {
    const std::string whole = FlateCompressString(in);
    for (const size_t piece : {size_t(1), size_t(4095), size_t(65536), size_t(1) << 20}) {
      for (const int64_t expected : {int64_t(0), int64_t(in.size()), int64_t(in.size()) * 100}) {
        SCOPED_TRACE(std::to_string(in.size()) + " in pieces of " + std::to_string(piece) + ", expected " +
                     std::to_string(expected));
        TFlateWriter writer(expected);
        for (size_t at = 0; at < in.size(); at += piece) writer.Write(std::string_view(in).substr(at, piece));
        const std::string out = writer.Finish();
        EXPECT_TRUE(filtertest::SameBytes(out, whole));
        EXPECT_LE(out.capacity(), 2 * out.size() + 65536);
      }
    }
  }
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

namespace {

// Data handed over in pieces of a few sizes in turn, as a file's chunks come.
class PiecesInput : public TFlateInput {
 public:
  explicit PiecesInput(std::string_view data) : data_(data) {}
  std::unique_ptr<TFlateInput> Clone() const override { return std::make_unique<PiecesInput>(*this); }
  int64_t Read(uint8_t* out, int64_t n) override {
    static constexpr int64_t kSizes[] = {1, 7, 65537, 3};
    const int64_t take = std::min({n, kSizes[turn_++ % 4], int64_t(data_.size() - at_)});
    std::memcpy(out, data_.data() + at_, size_t(take));
    at_ += size_t(take);
    return take;
  }

 private:
  std::string_view data_;
  size_t at_ = 0;
  int turn_ = 0;
};

// The same data read whole, in pieces and in the windows of a feed.
std::vector<std::unique_ptr<TFlateReader>> Readers(const std::string& in, int64_t maxOutput = kDefaultFilterOutputLimit) {
  std::vector<std::unique_ptr<TFlateReader>> readers;
  readers.push_back(std::make_unique<TFlateReader>(in, maxOutput));
  readers.push_back(std::make_unique<TFlateReader>(std::make_unique<PiecesInput>(in), maxOutput));
  // Handed over by a feed in windows of a few bytes, or of thousands.
  for (const size_t window : {size_t(3), size_t(5000)})
    readers.push_back(std::make_unique<TFlateReader>(
        std::make_unique<TFedInput>(std::make_unique<filtertest::ChoppedFeed>(in, window, uint32_t(window))), maxOutput));
  return readers;
}

// Everything a reader gives, read n bytes at a time.
std::string ReadAll(TFlateReader& reader, int64_t n) {
  std::string all, part(static_cast<size_t>(n), '\0');
  for (int64_t got = n; got == n;) {
    got = reader.Read(reinterpret_cast<uint8_t*>(part.data()), n);
    all.append(part, 0, static_cast<size_t>(got));
  }
  return all;
}

}  // namespace

// The piecewise reader gives the bytes and the end of the whole inflate, whatever the size of
// its reads (small ones come from its piece, large ones are inflated straight into place) and
// whether its data lie whole in memory or come in pieces.
TEST(FlateReader, ReadsWhatTheWholeInflateGivesInPiecesOfAnySize) {
  const std::string mixed = Encoded("flate_mixed_best");
  std::string flushed = Encoded("flate_flushed");
  flushed[flushed.find(Hex("00 00 FF FF")) + 4] = '\xFF';
  const std::string noise = FlateCompressString(filtertest::Noise(300000, 3));
  const std::string inputs[] = {Encoded("flate_text"), mixed, Encoded("flate_one_byte"), noise,
                                mixed.substr(0, mixed.size() / 2), flushed, Encoded("flate_needs_dict"),
                                "not zlib data at all"};
  for (const std::string& in : inputs) {
    std::string whole;
    const FlateEnd end = FlateDecompressBuffer(in, whole);
    for (const int64_t n : {1, 3, 4095, 4096, 70000})
      for (const auto& reader : Readers(in)) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(filtertest::SameBytes(ReadAll(*reader, n), whole));
        EXPECT_EQ(reader->End(), end);
        EXPECT_TRUE(reader->Exhausted());
      }
  }
  // Python's zlib as the oracle for the streams it wrote.
  TFlateReader reader(mixed);
  EXPECT_TRUE(filtertest::SameBytes(ReadAll(reader, 77), Decoded("flate_mixed_best")));
  EXPECT_EQ(reader.End(), FlateEnd::StreamEnd);
}

// A copy goes on from where the original stands (with the piece of data it had not yet taken);
// passing over bytes counts as reading them.
TEST(FlateReader, ACopyGoesOnFromTheSamePlace) {
  const std::string full = filtertest::Noise(200000, 11);
  const std::string in = FlateCompressString(full);
  for (const auto& original : Readers(in)) {
    TFlateReader& reader = *original;
    EXPECT_EQ(reader.Read(nullptr, 1000), 1000);
    uint8_t byte = 0;
    EXPECT_EQ(reader.Read(&byte, 1), 1);
    EXPECT_EQ(byte, static_cast<uint8_t>(full[1000]));
    TFlateReader copy(reader);
    EXPECT_EQ(reader.Read(nullptr, 50000), 50000);
    const std::string rest = full.substr(1001);
    EXPECT_TRUE(filtertest::SameBytes(ReadAll(copy, 999), rest));
    EXPECT_TRUE(filtertest::SameBytes(ReadAll(reader, 20000), full.substr(51001)));
    TFlateReader late(reader);  // a copy of an ended reader has nothing more
    EXPECT_EQ(late.Read(&byte, 1), 0);
    EXPECT_EQ(late.End(), FlateEnd::StreamEnd);
  }
}

// The ceiling counts every byte that comes out, read or passed over; a stream that ends exactly
// there still ends properly.
TEST(FlateReader, StopsAtItsCeiling) {
  const std::string bomb = ZeroBomb(64, 1 << 20);
  TFlateReader reader(bomb, 1000000);
  EXPECT_EQ(reader.Read(nullptr, 600000), 600000);
  EXPECT_EQ(ReadAll(reader, 4096), std::string(400000, '\0'));
  EXPECT_TRUE(reader.Exhausted());
  EXPECT_EQ(reader.End(), FlateEnd::OutputLimit);
  TFlateReader none(bomb, 0);
  EXPECT_TRUE(none.Exhausted());
  EXPECT_EQ(none.End(), FlateEnd::OutputLimit);
  const std::string text = Decoded("flate_text");
  const std::string packed = Encoded("flate_text");
  TFlateReader exact(packed, static_cast<int64_t>(text.size()));
  EXPECT_EQ(ReadAll(exact, 5), text);
}
