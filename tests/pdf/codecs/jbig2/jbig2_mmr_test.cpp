// The MMR decoder on bits written by hand from the fax code tables, and MMR-coded generic
// regions: libtiff's Group 4 data as the coded picture, jbig2dec as the second decoder, and
// damaged rows worked out by hand.
#include <gtest/gtest.h>

#include "pdf/codecs/jbig2/jbig2_bitmap.h"
#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_mmr.h"
#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"

using namespace jbig2_test;
using ccitt::TMode;
using jbig2::TMMRDecoder;
using jbig2::TStreamReader;

namespace {

// Bits given as a string of 0 and 1, padded with zeros to whole bytes.
std::vector<uint8_t> Bits(const std::string& bits) {
  std::vector<uint8_t> out((bits.size() + 7) / 8, 0);
  for (size_t i = 0; i < bits.size(); ++i)
    if (bits[i] == '1') out[i / 8] |= uint8_t(0x80u >> (i % 8));
  return out;
}

std::string OneRegionPage(int w, int h, const std::string& coded) {
  StreamBuilder s;
  s.Add(48, PageInfo(uint32_t(w), uint32_t(h)));
  s.Add(38, RegionInfo(uint32_t(w), uint32_t(h), 0, 0, 0) + '\x01' + coded);
  s.Add(49, "");
  return s.Bytes;
}

}  // namespace

TEST(JBIG2MMRDecoder, ModeCodes) {
  const std::vector<uint8_t> data = Bits("1" "011" "000011" "0000011" "010" "000010" "0000010" "001" "0001");
  TStreamReader r(data);
  TMMRDecoder d(r);
  for (TMode m : {TMode::V0, TMode::VR1, TMode::VR2, TMode::VR3, TMode::VL1, TMode::VL2, TMode::VL3,
                  TMode::Horizontal, TMode::Pass})
    EXPECT_EQ(d.Get2DCode(), m);
  EXPECT_EQ(d.BitsTaken(), 40);
}

TEST(JBIG2MMRDecoder, BitsThatBeginNoModeCodeAnswerPassAndStay) {
  for (const char* bits : {"0000001" "1", "0000000" "1"}) {
    const std::vector<uint8_t> data = Bits(bits);
    TStreamReader r(data);
    TMMRDecoder d(r);
    EXPECT_EQ(d.Get2DCode(), TMode::Pass);
    EXPECT_EQ(d.Get2DCode(), TMode::Pass);
    EXPECT_EQ(d.BitsTaken(), 0);
  }
}

TEST(JBIG2MMRDecoder, RunCodesOfBothColours) {
  // White 0, 63, make-up 64, 1728, the extended 1792 and 2560, EOL; black 0, 2, make-up 64
  // and 1728 (13 bits), the extended 2560, EOL.
  const std::vector<uint8_t> data = Bits("00110101" "00110100" "11011" "010011011" "00000001000" "000000011111"
                                         "000000000001" "0000110111" "11" "0000001111" "0000001100101"
                                         "000000011111" "000000000001");
  TStreamReader r(data);
  TMMRDecoder d(r);
  for (int32_t run : {0, 63, 64, 1728, 1792, 2560, TMMRDecoder::kEOL}) EXPECT_EQ(d.GetWhiteCode(), run);
  for (int32_t run : {0, 2, 64, 1728, 2560, TMMRDecoder::kEOL}) EXPECT_EQ(d.GetBlackCode(), run);
  EXPECT_EQ(d.BitsTaken(), int64_t(8 + 8 + 5 + 9 + 11 + 12 + 12 + 10 + 2 + 10 + 13 + 12 + 12));
}

TEST(JBIG2MMRDecoder, BitsThatBeginNoRunCodeLoseOneBitAndAnswerOne) {
  {
    // Twelve zeros are no EOL; eleven and a 1 are. Past the data come zero bits.
    const std::vector<uint8_t> data = Bits("000000000000" "1" "1000");
    TStreamReader r(data);
    TMMRDecoder d(r);
    EXPECT_EQ(d.GetWhiteCode(), 1);
    EXPECT_EQ(d.BitsTaken(), 1);
    EXPECT_EQ(d.GetWhiteCode(), TMMRDecoder::kEOL);
    EXPECT_EQ(d.GetWhiteCode(), 3);
    EXPECT_EQ(d.BitsTaken(), 17);
    EXPECT_FALSE(r.EndFlag());
    EXPECT_EQ(d.GetBlackCode(), 1);
    EXPECT_EQ(d.BitsTaken(), 18);
    EXPECT_EQ(d.Get2DCode(), TMode::Pass);
    EXPECT_EQ(d.BitsTaken(), 18);
    EXPECT_TRUE(r.EndFlag());
  }
  for (bool black : {false, true}) {
    // 000000001 begins no code of either colour; one zero less, 00000001100 is make-up 1856.
    const std::vector<uint8_t> data = Bits("000000001100");
    TStreamReader r(data);
    TMMRDecoder d(r);
    EXPECT_EQ(black ? d.GetBlackCode() : d.GetWhiteCode(), 1);
    EXPECT_EQ(black ? d.GetBlackCode() : d.GetWhiteCode(), 1856);
    EXPECT_EQ(d.BitsTaken(), 12);
  }
}

TEST(JBIG2MMRDecoder, TakesBytesOnlyWhenItsBitsDoNotSettleACode) {
  // Four mode codes fill the first byte; a white and a black run the second: a coded bitmap
  // that ends there leaves the byte after it to what follows.
  const std::vector<uint8_t> data = Bits("1" "1" "001" "011" "1000" "11" "00" "11111111");
  TStreamReader r(data);
  TMMRDecoder d(r);
  EXPECT_EQ(d.Get2DCode(), TMode::V0);
  EXPECT_EQ(d.Get2DCode(), TMode::V0);
  EXPECT_EQ(d.Get2DCode(), TMode::Horizontal);
  EXPECT_EQ(d.Get2DCode(), TMode::VR1);
  EXPECT_EQ(r.Position(), 1u);
  EXPECT_EQ(d.GetWhiteCode(), 3);
  EXPECT_EQ(d.GetBlackCode(), 2);
  EXPECT_EQ(r.Position(), 2u);
  EXPECT_EQ(d.BitsTaken(), 14);
}

TEST(JBIG2MMRDecoder, LooksAheadAndPassesOverByCount) {
  const std::vector<uint8_t> data = {0x00, 0x10, 0x01, 0xAB, 0xCD, 0xEF};
  TStreamReader r(data);
  TMMRDecoder d(r);
  EXPECT_EQ(d.Get24Bits(), 0x001001u);
  EXPECT_EQ(d.BitsTaken(), 0);
  d.SkipTo(2);  // three bytes are taken already
  EXPECT_EQ(r.Position(), 3u);
  d.SkipTo(5);
  EXPECT_EQ(r.Position(), 5u);
  d.Reset();
  EXPECT_EQ(d.Get24Bits(), 0xEF0000u);  // zero bytes past the end
  EXPECT_TRUE(r.EndFlag());
  // A length far past the data stops at its end.
  d.SkipTo(int64_t{1} << 40);
  EXPECT_EQ(r.Position(), data.size());
}

TEST(JBIG2MMRRegion, EveryRunLengthAndMakeUpCode) {
  REQUIRE_TOOL("jbig2dec");
  // Runs of every terminating length and every make-up length, past 2560, in both colours.
  const Bitmap b = ccitt_test::AllRunLengthsBitmap();
  const std::string coded = EncodeMMR(b);
  ASSERT_FALSE(coded.empty());
  ExpectSame(OneRegionPage(b.Width, b.Height, coded), "", &b);
  const Bitmap runs = ccitt_test::RandomRunsBitmap(517, 61, 3, 90);
  ExpectSame(OneRegionPage(runs.Width, runs.Height, EncodeMMR(runs)), "", &runs);
}

TEST(JBIG2MMRRegion, DamagedRowsGoOnWithTheDecodersAnswers) {
  struct Case {
    const char* Why;
    std::string Bits;
    uint8_t Row0;
  };
  const Case cases[] = {
      // Horizontal mode: an EOL where the white run is due counts -2, held at a0 (a white run
      // of 0); the black run of 2 follows; V0 then ends the row at b1 = 8.
      {"EOL in a run", "001" "000000000001" "11" "1", 0xC0},
      // Horizontal (white 2, black 3), VL1 at 7 turns black; then the extension code, which
      // answers a pass without taking bits: black up to b2, the row's end.
      {"extension code", "001" "0111" "10" "010" "0000001", 0x39},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Why);
    const std::vector<uint8_t> data = Bits(c.Bits);
    Bitmap ours;
    ASSERT_TRUE(Ours(OneRegionPage(8, 2, std::string(data.begin(), data.end())), "", ours));
    // The second row meets only passes (zero bits, or the same code again): it stays white.
    EXPECT_EQ(ours.Bits, (std::vector<uint8_t>{c.Row0, 0x00}));
  }
}

TEST(JBIG2MMRRegion, CollectiveBitmapsWithoutEndOfBlockLeaveTheNextByteToTheDictionary) {
  REQUIRE_TOOL("jbig2dec");
  // Huffman-coded height classes whose collective bitmaps are MMR data without an
  // end-of-block code: each class's height delta follows its bitmap's last byte directly.
  std::vector<Bitmap> symbols;
  for (int i = 0; i < 24; ++i) symbols.push_back(TextLike(5 + i % 3, 6 + i / 3, uint32_t(40 + i)));
  std::vector<TextInstance> instances;
  for (int i = 0; i < 24; ++i) {
    TextInstance in;
    in.Id = uint32_t(i);
    in.X = 14 * (i % 8);
    in.Y = 16 * (i / 8);
    instances.push_back(in);
  }
  DictionaryOptions d;
  d.Huffman = true;
  d.MMR = true;
  d.MMRWithoutEndOfBlock = true;
  StreamBuilder s;
  s.Add(48, PageInfo(112, 48));
  const uint32_t dict = s.Add(0, SymbolDictionaryData({}, symbols, d));
  s.Add(6, TextRegionData(112, 48, 0, 0, 0, symbols, instances, TextOptions{}), {dict});
  s.Add(49, "");
  const Bitmap expected = DrawInstances(112, 48, symbols, instances, TextOptions{});
  ExpectSame(s.Bytes, "", &expected);
}

TEST(JBIG2MMRRegion, RowsTheDataCannotReachAreNotWalked) {
  // 2^22 rows from three bytes: 24 rows of V0 under the white row above, then zero bits,
  // which answer passes without being taken; the first such row ends the walk. Bits that
  // begin no mode code (the extension code) do the same before the data end.
  struct Case {
    std::vector<uint8_t> Data;
    int64_t Rows;
  };
  const Case cases[] = {{{0xFF, 0xFF, 0xFF}, 25}, {Bits("1" "1" "0000001" "1111111"), 3}};
  for (const Case& c : cases) {
    jbig2::TJBIG2Bitmap bitmap(16, 1 << 22);
    TStreamReader r(c.Data);
    TMMRDecoder d(r);
    EXPECT_EQ(jbig2::ReadMMRGenericRegion(bitmap, d, -1), c.Rows);
    EXPECT_EQ(r.Position(), c.Data.size());
  }
}
