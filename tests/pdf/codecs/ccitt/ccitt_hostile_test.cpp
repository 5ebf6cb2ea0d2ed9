// Hostile parameters and data: everything ends, stays within its buffers and sizes its
// output from Columns and from what the data can hold.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "platform/rtl/exceptions.h"
#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"

using namespace ccitt_test;

namespace {

enum class TProcedure { OneD, TwoD, Group4 };
constexpr TProcedure kProcedures[] = {TProcedure::OneD, TProcedure::TwoD, TProcedure::Group4};

struct TResult {
  bool Ok = false;
  std::string Message;
  std::vector<uint8_t> Output;
  int64_t Rows = 0;
};

TResult Decode(TProcedure p, int columns, int rows, const std::string& data, bool align = false, int fill_order = 1,
               int row_factor = 1) {
  TZRXCCITTDecoder d(columns, row_factor, false, align, fill_order, rows);
  TResult r;
  r.Output.assign(3, 0x55);  // whatever the caller had there is replaced
  try {
    switch (p) {
      case TProcedure::OneD: r.Ok = d.DecodeGroup3OneD(r.Output, data); break;
      case TProcedure::TwoD: d.DecodeGroup3TwoD(r.Output, data); r.Ok = true; break;
      case TProcedure::Group4: r.Ok = d.DecodeGroup4(r.Output, data); break;
    }
  } catch (const EInvalidOperation& e) {
    r.Message = e.Message();
  }
  r.Rows = d.RowsDecoded();
  return r;
}

// The most rows any data of this size can code: every coded row takes a bit.
size_t MaxOutput(const std::string& data, int columns) { return (data.size() * 8 + 1) * ((columns + 7) / 8); }

TEST(CCITTHostile, ColumnsAreCheckedBeforeAnything) {
  const std::string data(64, '\xFF');
  for (int columns : {0, -1, -1728, TZRXCCITTDecoder::MaxColumns + 1, INT_MAX}) {
    for (TProcedure p : kProcedures) {
      const TResult r = Decode(p, columns, 10, data);
      EXPECT_FALSE(r.Ok) << columns;
      EXPECT_TRUE(r.Output.empty()) << columns;
      if (p == TProcedure::TwoD) {
        EXPECT_EQ(r.Message, "Columns out of range.");
      }
    }
  }
  // The largest width is decoded.
  const TResult r = Decode(TProcedure::Group4, TZRXCCITTDecoder::MaxColumns, 1, FromBitString("1"));
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.Output.size(), static_cast<size_t>(TZRXCCITTDecoder::MaxColumns / 8));
}

TEST(CCITTHostile, PixelCountIsCapped) {
  // 1000 rows of 2^20 pixels would be 2^30 pixels.
  const std::string data(200, '\xFF');
  for (TProcedure p : kProcedures) {
    const TResult r = Decode(p, TZRXCCITTDecoder::MaxColumns, 1000, data);
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Output.empty());
    if (p == TProcedure::TwoD) {
      EXPECT_EQ(r.Message, "Image too large.");
    }
  }
  // With the row count open, the rows found in the data count: 64 bytes of V0 codes make
  // 512 rows, too many at this width.
  const TResult open = Decode(TProcedure::Group4, TZRXCCITTDecoder::MaxColumns, 0, std::string(64, '\xFF'));
  EXPECT_FALSE(open.Ok);
}

TEST(CCITTHostile, OutputIsBoundByTheData) {
  // Three V0 rows and EOFB, asked for 2^31 - 1 rows (and with a row factor).
  const std::string data = FromBitString("111000000000001000000000001");
  for (int factor : {1, 8}) {
    const TResult r = Decode(TProcedure::Group4, 1728, INT_MAX, data, false, 1, factor);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Rows, 3);
    EXPECT_LE(r.Output.size(), MaxOutput(data, 1728));
    EXPECT_EQ(r.Output, std::vector<uint8_t>(r.Output.size(), 0));
  }
  // Rows absent: exactly the coded rows.
  const TResult open = Decode(TProcedure::Group4, 1728, 0, data);
  EXPECT_TRUE(open.Ok);
  EXPECT_EQ(open.Output.size(), 3u * 216);
}

TEST(CCITTHostile, DataWithoutEndMarkersEnds) {
  const std::string zeros(1 << 20, '\0');
  const std::string ones(1 << 16, '\xFF');
  for (TProcedure p : kProcedures) {
    for (bool align : {false, true}) {
      for (int rows : {0, 100, INT_MAX}) {
        const TResult z = Decode(p, 1728, rows, zeros, align);
        EXPECT_EQ(z.Rows, 0) << rows;
        const TResult o = Decode(p, 64, rows, ones, align);
        EXPECT_LE(o.Output.size(), MaxOutput(ones, 64));
      }
    }
  }
  // Only make-up codes of 2560 white pixels, never a terminating one.
  std::string bits;
  for (int i = 0; i < 100000; ++i) bits += "000000011111";
  const TResult r = Decode(TProcedure::OneD, 1728, 0, FromBitString(bits));
  EXPECT_LE(r.Rows, 1);
  // Uncompressed mode with a zero count of millions.
  const std::string uncompressed = FromBitString("0000001111") + std::string(1 << 20, '\0') + "\x80\xFF";
  EXPECT_TRUE(Decode(TProcedure::Group4, 1728, 0, uncompressed).Ok);
}

TEST(CCITTHostile, TruncatedStreamsKeepTheirRows) {
  testsupport::TempDir dir;
  const TBitmap bitmap = RandomRunsBitmap(300, 24, 11, 40);
  std::vector<std::pair<std::string, std::string>> streams;  // options, strip
  streams.push_back({"g4", LibtiffGroup4(dir, bitmap)});
  if (testsupport::HaveTool("tiffcp") && testsupport::HaveTool("pnmtotiff")) {
    for (const char* options : {"-c g3", "-c g3:2d", "-c g3:fill"}) {
      TTiffStrip strip;
      ASSERT_TRUE(MakeFaxTiff(dir, bitmap, false, options, strip));
      streams.push_back({options, strip.Data});
    }
  }
  for (const auto& [name, full] : streams) {
    ASSERT_FALSE(full.empty()) << name;
    TTiffStrip strip;
    strip.Width = bitmap.Width;
    strip.Compression = name == "g4" ? 4 : 3;
    strip.T4Options = name == "-c g3:2d" ? 1 : name == "-c g3:fill" ? 4 : 0;
    int previous_good = 0;
    for (size_t n = 0; n <= full.size(); ++n) {
      strip.Data = full.substr(0, n);
      TBitmap decoded;
      DecodeStrip(strip, bitmap.Height, decoded);
      // The rows that come out right only grow with the data, up to the whole image.
      int good = 0;
      const int rb = TBitmap::RowBytes(bitmap.Width);
      while (good < decoded.Height && good < bitmap.Height &&
             std::equal(bitmap.Bits.begin() + good * rb, bitmap.Bits.begin() + (good + 1) * rb,
                        decoded.Bits.begin() + good * rb))
        ++good;
      EXPECT_GE(good, previous_good - 1) << name << " at " << n;  // the last row may be cut
      previous_good = std::max(previous_good, good);
      if (n == full.size()) {
        EXPECT_EQ(good, bitmap.Height) << name;
      }
    }
  }
}

TEST(CCITTHostile, RandomDataEnds) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 300; ++round) {
    std::string data(1 + rng() % 2000, '\0');
    for (char& c : data) c = static_cast<char>(rng());
    // Bias some rounds towards zero-heavy data, which holds EOLs and long codes.
    if (round % 3 == 0)
      for (char& c : data) c = static_cast<char>(c & rng() & rng());
    const int columns = 1 + static_cast<int>(rng() % 3000);
    const int rows = round % 4 == 0 ? 0 : static_cast<int>(rng() % 5000);
    for (TProcedure p : kProcedures) {
      const TResult r = Decode(p, columns, rows, data, rng() % 2 == 0, 1 + rng() % 2);
      EXPECT_LE(r.Output.size(), MaxOutput(data, columns));
      if (rows > 0) {
        EXPECT_LE(r.Rows, rows);
      }
    }
  }
}

}  // namespace
