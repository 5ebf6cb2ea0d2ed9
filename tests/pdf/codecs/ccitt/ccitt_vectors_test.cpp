// Small hand-coded streams (bits from the T.4/T.6 code tables) for behaviour that encoders
// rarely produce: uncompressed mode, EOLs inside rows, runs past the last column, and
// every failure the decoder reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "platform/rtl/exceptions.h"
#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"

using namespace ccitt_test;

namespace {

// A bit string with spaces for reading, as bytes padded with 0 bits.
std::string Bits(std::string spaced) {
  std::string bits;
  for (char c : spaced)
    if (c == '0' || c == '1') bits += c;
  return FromBitString(bits);
}

const char* kEOL = "000000000001 ";
const char* kEOFB = "000000000001 000000000001";

std::vector<uint8_t> Bytes(std::initializer_list<int> v) { return std::vector<uint8_t>(v.begin(), v.end()); }

TEST(CCITTVectors, RowLayoutFollowsColumns) {
  // Three all-white Group 4 rows (V0 each) at the fax width: rows of 216 bytes.
  TZRXCCITTDecoder wide(1728, 1, false, false, 1, 3);
  std::vector<uint8_t> out;
  ASSERT_TRUE(wide.DecodeGroup4(out, Bits(std::string("1 1 1 ") + kEOFB)));
  EXPECT_EQ(wide.RowBytes(), 216);
  EXPECT_EQ(out, std::vector<uint8_t>(3 * 216, 0));

  // One column: a black row (white 0, black 1) and a white row (white 1), top bit only.
  TZRXCCITTDecoder narrow(1, 1, false, false, 1, 2);
  ASSERT_TRUE(narrow.DecodeGroup3OneD(out, Bits("00110101 010  000111")));
  EXPECT_EQ(out, Bytes({0x80, 0x00}));

  // The caller's buffer size plays no part: the output is sized from Columns and Rows.
  out.assign(7, 0xAA);
  TZRXCCITTDecoder ten(10, 1, false, false, 1, 1);
  ASSERT_TRUE(ten.DecodeGroup3OneD(out, Bits("00111")));
  EXPECT_EQ(out, Bytes({0x00, 0x00}));
}

TEST(CCITTVectors, UncompressedModeMatchesRunCoding) {
  // Row of 16 pixels, black at 2, 4 and 5, twice (the second row all V0).
  const std::string run_coded = "001 0111 010  001 000111 11  1   11111";
  // Entrance 0000001111; "001" two white and a black; "01" white and black; "1" black;
  // exit "0000001" + tag 0 (white follows); then V0 to the end.
  const std::string uncompressed = "0000001111 001 01 1 0000001 0  1   11111";
  for (const std::string& s : {run_coded, uncompressed}) {
    TZRXCCITTDecoder d(16, 1, false, false, 1, 2);
    std::vector<uint8_t> out;
    ASSERT_TRUE(d.DecodeGroup4(out, Bits(s))) << s;
    EXPECT_EQ(out, Bytes({0x2C, 0x00, 0x2C, 0x00})) << s;
  }
  // Black, five white ("000001"), exit with one white and black next ("00000001" + 1),
  // V0 to the end; then the same row again as four V0 codes.
  TZRXCCITTDecoder d(12, 1, false, false, 1, 2);
  std::vector<uint8_t> out;
  ASSERT_TRUE(d.DecodeGroup4(out, Bits("0000001111 1 000001 00000001 1  1   1111")));
  EXPECT_EQ(out, Bytes({0x81, 0xF0, 0x81, 0xF0}));
}

TEST(CCITTVectors, EOLInsideOneDimensionalRows) {
  // Row 0: white 3, then an EOL where the black run is due: the row ends white and the
  // EOL starts row 1 (white 2, black 8).
  {
    TZRXCCITTDecoder d(10, 1, false, false, 1, 2);
    std::vector<uint8_t> out;
    ASSERT_TRUE(d.DecodeGroup3OneD(out, Bits(std::string("1000 ") + kEOL + "0111 000101")));
    EXPECT_EQ(out, Bytes({0x00, 0x00, 0x3F, 0xC0}));
  }
  // An EOL where a white run is due fails; the rows decoded so far stay.
  {
    TZRXCCITTDecoder d(10, 1, false, false, 1, 2);
    std::vector<uint8_t> out;
    EXPECT_FALSE(d.DecodeGroup3OneD(out, Bits(std::string("1000 11 ") + kEOL + "00111")));
    EXPECT_EQ(out, Bytes({0x18, 0x00, 0x00, 0x00}));
  }
}

TEST(CCITTVectors, RunsAreCutAtColumns) {
  // 1-D: white 3 and black 20 in a row of 10: black 3..9, and row 1 (white 10) is intact.
  {
    TZRXCCITTDecoder d(10, 1, false, false, 1, 2);
    std::vector<uint8_t> out;
    ASSERT_TRUE(d.DecodeGroup3OneD(out, Bits("1000 00001101000  00111")));
    EXPECT_EQ(out, Bytes({0x1F, 0xC0, 0x00, 0x00}));
  }
  // Group 3 2-D: horizontal mode with black 20 from pixel 3 stays within its row.
  {
    TZRXCCITTDecoder d(10, 1, false, false, 1, 3);
    std::vector<uint8_t> out;
    d.DecodeGroup3TwoD(out, Bits(std::string(kEOL) + "1 00111 " + kEOL + "0 001 1000 00001101000 " + kEOL +
                                 "1 00111"));
    EXPECT_EQ(out, Bytes({0x00, 0x00, 0x1F, 0xC0, 0x00, 0x00}));
  }
  // Group 4: a black VR3 from b1 = 4 in a row of 5 ends at the row's end, not at 7.
  {
    TZRXCCITTDecoder d(5, 1, false, false, 1, 2);
    std::vector<uint8_t> out;
    // Row 0: H white 3 black 1, V0 to the end. Row 1: V0 (black from 3), VR3 (4 + 3).
    ASSERT_TRUE(d.DecodeGroup4(out, Bits("001 1000 010 1   1 0000011")));
    EXPECT_EQ(out, Bytes({0x10, 0x18}));
  }
}

TEST(CCITTVectors, EOFBIsNotReadOnceTheRowsAreDone) {
  // Two V0 rows, then an extension code that is not uncompressed mode.
  const std::string data = Bits("1 1 0000001000 1111");
  TZRXCCITTDecoder two(8, 1, false, false, 1, 2);
  std::vector<uint8_t> out;
  EXPECT_TRUE(two.DecodeGroup4(out, data));
  EXPECT_EQ(out.size(), 2u);
  // Asked for a third row, the bad code fails the decode and the output is cleared.
  TZRXCCITTDecoder three(8, 1, false, false, 1, 3);
  EXPECT_FALSE(three.DecodeGroup4(out, Bits("001 0111 010 1 1 0000001000 1111")));
  EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0));
}

struct TFailure {
  const char* Name;
  std::string Data;
  int Columns;
  int Rows;
  bool FillBits;
  int FillOrder;
  const char* Message;
};

TEST(CCITTVectors, Group3TwoDimensionalFailures) {
  const std::string eol = kEOL;
  const std::string first = eol + "1 10011 ";  // a 1-D white row of 8
  const TFailure cases[] = {
      {"2-D first row", Bits(eol + "0 1 1111"), 8, 2, false, 1, "First scanline must be 1D encoded."},
      {"no EOL", Bits(first + "1111 0110 1"), 8, 3, false, 1, "EOL not found"},
      {"extension code", Bits(first + eol + "0 0000001 111"), 8, 2, false, 1,
       "Invalid code encountered while decoding 2D group 3 compressed data."},
      {"invalid mode", Bits(first + eol + "0 0000000 1111"), 8, 2, false, 1,
       "Invalid code encountered while decoding 2D group 3 compressed data."},
      {"EOL in white run", Bits(first + eol + "0 001 " + eol + "1 1"), 8, 2, false, 1,
       "EOL code word encountered in White run."},
      {"EOL in black run", Bits(first + eol + "0 001 1000 " + eol + "1 1"), 8, 2, false, 1,
       "EOL code word encountered in Black run."},
      {"invalid white code", Bits(first + eol + "0 001 000000001000 1111"), 8, 2, false, 1,
       "Invalid code encountered."},
      {"invalid black code", Bits(first + eol + "0 001 1000 0000000010000 1111"), 8, 2, false, 1,
       "Invalid code encountered."},
      {"fill order", Bits(first), 8, 1, false, 3, "tag must be either 1 or 2."},
      // Fill-bits mode: EOLs end on a byte boundary, with nothing but 0 bits in front.
      {"fill bit set", Bits("0000" + eol + "1 10011 100000" + eol + "1 10011"), 8, 2, true, 1,
       "All fill bits preceding EOL code must be 0."},
      {"EOL off the boundary", Bits("0000" + eol + "1 10011 00" + eol + "1 10011"), 8, 2, true, 1,
       "0 bits expected before EOL"},
      {"no columns", Bits(first), 0, 1, false, 1, "Columns out of range."},
  };
  for (const TFailure& c : cases) {
    TZRXCCITTDecoder d(c.Columns, 1, c.FillBits, false, c.FillOrder, c.Rows);
    std::vector<uint8_t> out;
    try {
      d.DecodeGroup3TwoD(out, c.Data);
      ADD_FAILURE() << c.Name << ": no exception";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), c.Message) << c.Name;
    }
  }
}

TEST(CCITTVectors, FillBitsModeAcceptsPaddedAndSwitchesOffForUnpadded) {
  const std::string eol = kEOL;
  // Padded: each EOL ends on a byte boundary.
  const std::string padded = "0000" + eol + "1 10011 000000" + eol + "0 1";
  // Unpadded from the first EOL on: the mode is left at once.
  const std::string unpadded = eol + "1 10011 " + eol + "0 1";
  for (const std::string& s : {padded, unpadded}) {
    TZRXCCITTDecoder d(8, 1, true, false, 1, 2);
    std::vector<uint8_t> out;
    d.DecodeGroup3TwoD(out, Bits(s));
    EXPECT_EQ(out, Bytes({0x00, 0x00})) << s;
  }
}

TEST(CCITTVectors, FailuresOfTheBooleanProcedures) {
  // Group 3 1-D keeps what it decoded; Group 4 clears it.
  TZRXCCITTDecoder g3(8, 1, false, false, 1, 2);
  std::vector<uint8_t> out;
  EXPECT_FALSE(g3.DecodeGroup3OneD(out, Bits("0111 11 0111 000000001000 1111")));  // invalid white code
  EXPECT_EQ(out, Bytes({0x30, 0x00}));

  TZRXCCITTDecoder order(8, 1, false, false, 0, 2);
  EXPECT_FALSE(order.DecodeGroup3OneD(out, Bits("10011 10011")));
  EXPECT_FALSE(order.DecodeGroup4(out, Bits("1 1")));
}

TEST(CCITTVectors, ReversedFillOrder) {
  // The bytes of two rows of 8 with black at 2 (H white 2 black 1, V0; then three V0),
  // with their bits reversed.
  std::string data = Bits("001 0111 010 1  111");
  for (char& c : data) {
    unsigned char b = static_cast<unsigned char>(c), r = 0;
    for (int i = 0; i < 8; ++i)
      if (b & (1 << i)) r |= static_cast<unsigned char>(0x80 >> i);
    c = static_cast<char>(r);
  }
  TZRXCCITTDecoder d(8, 1, false, false, 2, 2);
  std::vector<uint8_t> out;
  ASSERT_TRUE(d.DecodeGroup4(out, data));
  EXPECT_EQ(out, Bytes({0x20, 0x20}));
}

}  // namespace

// Group 3 data may stop before the image's last row: at the end-of-page sequence (RTC, six
// EOLs) or with nothing but padding left. The rows decoded stand, the others stay white, and
// the decode succeeds.
TEST(CCITTVectors, Group3DataEndingBeforeTheLastRowEndTheImage) {
  const std::string eol = kEOL;
  // The end-of-page sequence: six EOLs, each followed by a tag bit 1 in two-dimensional data.
  std::string rtc, rtc2D;
  for (int i = 0; i < 6; ++i) {
    rtc += eol;
    rtc2D += eol + "1 ";
  }
  // One row: white 2, black 3 (100), white 3 (1000).
  const std::string row = "0111 100 1000 ";
  for (bool end : {false, true}) {
    SCOPED_TRACE(end ? "RTC" : "padding");
    TZRXCCITTDecoder oneD(8, 1, false, false, 1, 3);
    std::vector<uint8_t> out;
    EXPECT_TRUE(oneD.DecodeGroup3OneD(out, Bits(row + (end ? rtc : ""))));
    EXPECT_EQ(out, Bytes({0x38, 0x00, 0x00}));
    TZRXCCITTDecoder twoD(8, 1, false, false, 1, 3);
    out.clear();
    EXPECT_NO_THROW(twoD.DecodeGroup3TwoD(out, Bits(eol + "1 " + row + (end ? rtc2D : ""))));
    EXPECT_EQ(out, Bytes({0x38, 0x00, 0x00}));
  }
}

// A row may change colour at every pixel: its changing elements are as many as its columns,
// and the rows after it are decoded as any others.
TEST(CCITTVectors, ARowChangingAtEveryPixelIsFollowedByTheNextRows) {
  // Row 1: black, white, black, white, coded as two horizontal pairs of one-pixel runs and V0
  // at the row's end (changes at 0, 1, 2, 3 and the end); row 2 copies it (V0 at every
  // change); row 3 is all white (two passes and V0 at the row's end).
  TBitmap expected(4, 3);
  for (int y = 0; y < 2; ++y) {
    expected.Set(0, y, true);
    expected.Set(2, y, true);
  }
  // Horizontal: white 0 (00110101), black 1 (010); horizontal: white 1 (000111), black 1 (010).
  const std::string first = "001 00110101 010 001 000111 010 1 ";
  const std::string copy = "1 1 1 1 1 ";
  // White to the end: pass over (b1, b2) = (0, 1), pass (2, 3), then V0 at the row's end.
  const std::string white = "0001 0001 1 ";
  TZRXCCITTDecoder g4(4, 1, false, false, 1, 3);
  std::vector<uint8_t> out;
  ASSERT_TRUE(g4.DecodeGroup4(out, Bits(first + copy + white)));
  EXPECT_EQ(Difference(expected, FromRows(out, 4)), "");
}
