// The decoder against fax data written by independent encoders (netpbm's pbmtog3, libtiff's
// tiffcp) and against their own decoders (g3topbm, tifftopnm).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "platform/rtl/exceptions.h"
#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"
#include "tests/support/test_support.h"

using namespace ccitt_test;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

struct TNamedBitmap {
  std::string Name;
  TBitmap Bitmap;
};

// Text from netpbm's own font: short runs with many colour changes per row.
bool TextBitmap(const TempDir& dir, TBitmap& out) {
  const std::string f = dir.File("text.pbm");
  if (!Shell("pbmtext -builtin fixed 'Sphinx of black quartz, judge my vow. 0123456789' "
             "| pnmenlarge 2 > " + Quote(f)))
    return false;
  return ParsePBM(ReadFile(f), out);
}

std::vector<TNamedBitmap> Bitmaps(const TempDir& dir) {
  std::vector<TNamedBitmap> v = {
      {"random 30%", RandomBitmap(203, 40, 1, 30)},
      {"random 50%", RandomBitmap(64, 31, 2, 50)},
      {"random runs", RandomRunsBitmap(1728, 25, 3, 300)},
      {"all run lengths", AllRunLengthsBitmap()},
      {"checkerboard", Checkerboard(77, 9)},
      {"one column", RandomBitmap(1, 17, 4, 50)},
      {"all black", RandomBitmap(100, 3, 5, 100)},
  };
  TBitmap text;
  if (TextBitmap(dir, text)) v.push_back({"text", text});
  return v;
}

TEST(CCITTOracle, NetpbmGroup3OneD) {
  REQUIRE_TOOL("pbmtog3");
  REQUIRE_TOOL("g3topbm");
  TempDir dir;
  const struct {
    const char* Options;
    bool Align;
    int FillOrder;
  } variants[] = {
      {"", false, 1}, {"-align8", true, 1}, {"-reversebits", false, 2}, {"-align8 -reversebits", true, 2},
      {"-align16", true, 1},
  };
  for (const auto& [name, bitmap] : Bitmaps(dir)) {
    const std::string pbm = dir.File("in.pbm"), g3 = dir.File("out.g3"), back = dir.File("back.pbm");
    WriteFile(pbm, WritePBM(bitmap));
    for (const auto& v : variants) {
      SCOPED_TRACE(name + " " + v.Options);
      ASSERT_TRUE(Shell(std::string("pbmtog3 -nofixedwidth ") + v.Options + " " + Quote(pbm) + " > " + Quote(g3)));
      const std::string data = ReadFile(g3);
      for (int rows : {bitmap.Height, 0}) {
        TZRXCCITTDecoder d(bitmap.Width, 1, false, v.Align, v.FillOrder, rows);
        std::vector<uint8_t> out;
        ASSERT_TRUE(d.DecodeGroup3OneD(out, data)) << "rows " << rows;
        EXPECT_EQ(Difference(bitmap, FromRows(out, bitmap.Width)), "") << "rows " << rows;
      }
      // netpbm's decoder reads the same file back to the source.
      const std::string rev = v.FillOrder == 2 ? "-reversebits " : "";
      ASSERT_TRUE(Shell("g3topbm " + rev + Quote(g3) + " > " + Quote(back)));
      TBitmap oracle;
      ASSERT_TRUE(ParsePBM(ReadFile(back), oracle));
      if (oracle.Width == bitmap.Width) {
        EXPECT_EQ(Difference(bitmap, oracle), "");
      }
    }
  }
}

TEST(CCITTOracle, LibtiffGroup3AndGroup4) {
  REQUIRE_TOOL("pnmtotiff");
  REQUIRE_TOOL("tiffcp");
  REQUIRE_TOOL("tifftopnm");
  TempDir dir;
  const char* compressions[] = {"-c g3", "-c g3:2d", "-c g3:fill", "-c g3:2d:fill", "-c g4"};
  const char* fill_orders[] = {"", "-f lsb2msb"};
  for (const auto& [name, bitmap] : Bitmaps(dir)) {
    for (const char* compression : compressions) {
      for (const char* fill_order : fill_orders) {
        for (bool min_is_black : {false, true}) {
          const std::string options = std::string(compression) + " " + fill_order;
          SCOPED_TRACE(name + " " + options + (min_is_black ? " min-is-black" : " min-is-white"));
          TTiffStrip strip;
          std::string tiff;
          ASSERT_TRUE(MakeFaxTiff(dir, bitmap, min_is_black, options, strip, &tiff));
          ASSERT_EQ(strip.Width, bitmap.Width);
          ASSERT_EQ(strip.FillOrder, fill_order[0] ? 2 : 1);
          // The fax codes carry the file's sample bits: in a min-is-black file a "black" code
          // is a white pixel, which is what BlackIs1 false tells a PDF reader.
          const TBitmap coded = min_is_black ? bitmap.Inverted() : bitmap;
          for (int rows : {bitmap.Height, 0}) {
            TBitmap decoded;
            std::string error;
            ASSERT_TRUE(DecodeStrip(strip, rows, decoded, &error)) << error << " rows " << rows;
            EXPECT_EQ(Difference(coded, decoded), "") << "rows " << rows;
          }
          // libtiff's own decoder agrees on the pixels.
          const std::string back = dir.File("back.pbm");
          ASSERT_TRUE(Shell("tifftopnm " + Quote(tiff) + " > " + Quote(back)));
          TBitmap oracle;
          ASSERT_TRUE(ParsePBM(ReadFile(back), oracle));
          TBitmap decoded;
          ASSERT_TRUE(DecodeStrip(strip, bitmap.Height, decoded));
          EXPECT_EQ(Difference(oracle, min_is_black ? decoded.Inverted() : decoded), "");
        }
      }
    }
  }
}

// Concatenates bit strings, padding each piece to a byte boundary first when asked.
std::string Join(const std::vector<std::string>& pieces, const std::function<std::string(size_t)>& before,
                 bool pad_after) {
  std::string bits;
  for (size_t i = 0; i < pieces.size(); ++i) {
    bits += before(i);
    bits += pieces[i];
    if (pad_after) bits.append((8 - bits.size() % 8) % 8, '0');
  }
  return bits;
}

std::string PadToByte(const std::string& bits) { return std::string((8 - bits.size() % 8) % 8, '0'); }

const std::string kEOL = "000000000001";

TEST(CCITTOracle, ByteAlignedGroup3Layouts) {
  REQUIRE_TOOL("pbmtog3");
  REQUIRE_TOOL("pnmtotiff");
  REQUIRE_TOOL("tiffcp");
  TempDir dir;
  for (const auto& [name, bitmap] : Bitmaps(dir)) {
    SCOPED_TRACE(name);
    // The coded rows of a one-dimensional stream, cut out at its EOLs.
    const std::string pbm = dir.File("in.pbm"), g3 = dir.File("out.g3");
    WriteFile(pbm, WritePBM(bitmap));
    ASSERT_TRUE(Shell("pbmtog3 -nofixedwidth " + Quote(pbm) + " > " + Quote(g3)));
    std::vector<std::string> rows = SplitAtEOLs(ToBitString(ReadFile(g3)));
    ASSERT_GE(rows.size(), static_cast<size_t>(bitmap.Height));
    rows.resize(bitmap.Height);

    struct TLayout {
      const char* Name;
      std::string Bits;
      bool Align;
    };
    std::string eol_after_pad;  // previous row, 0 bits to the byte, EOL, row (mid-byte)
    for (const std::string& r : rows) {
      eol_after_pad += PadToByte(eol_after_pad) + kEOL;
      eol_after_pad += r;
    }
    const TLayout layouts[] = {
        {"rows on byte boundaries, no EOL", Join(rows, [](size_t) { return ""; }, true), true},
        {"no EOL, no alignment", Join(rows, [](size_t) { return ""; }, false), false},
        {"EOL after the byte boundary", eol_after_pad, true},
    };
    for (const TLayout& l : layouts) {
      for (int height : {bitmap.Height, 0}) {
        TZRXCCITTDecoder d(bitmap.Width, 1, false, l.Align, 1, height);
        std::vector<uint8_t> out;
        ASSERT_TRUE(d.DecodeGroup3OneD(out, FromBitString(l.Bits))) << l.Name;
        EXPECT_EQ(Difference(bitmap, FromRows(out, bitmap.Width)), "") << l.Name << " rows " << height;
      }
    }

    // Two-dimensional rows (tag bit included) from libtiff, re-laid with the EOL after
    // the byte boundary.
    TTiffStrip strip;
    ASSERT_TRUE(MakeFaxTiff(dir, bitmap, false, "-c g3:2d", strip));
    std::vector<std::string> rows2d = SplitAtEOLs(ToBitString(strip.Data));
    ASSERT_GE(rows2d.size(), static_cast<size_t>(bitmap.Height));
    rows2d.resize(bitmap.Height);
    std::string bits;
    for (const std::string& r : rows2d) {
      bits += PadToByte(bits) + kEOL;
      bits += r;
    }
    for (bool align : {true, false}) {
      TZRXCCITTDecoder d(bitmap.Width, 1, false, align, 1, bitmap.Height);
      std::vector<uint8_t> out;
      d.DecodeGroup3TwoD(out, FromBitString(bits));
      EXPECT_EQ(Difference(bitmap, FromRows(out, bitmap.Width)), "") << "2-D, align " << align;
    }
  }
}

TBitmap Rows(const TBitmap& b, int first, int count) {
  TBitmap r(b.Width, count);
  const int rb = TBitmap::RowBytes(b.Width);
  std::copy(b.Bits.begin() + first * rb, b.Bits.begin() + (first + count) * rb, r.Bits.begin());
  return r;
}

TEST(CCITTOracle, ByteAlignedGroup4) {
  TempDir dir;
  for (const TBitmap& bitmap : {RandomBitmap(150, 12, 7, 20), RandomRunsBitmap(2000, 8, 8, 900), Checkerboard(19, 6),
                                RandomBitmap(9, 10, 9, 50)}) {
    // The code of row r is what a two-row image (r - 1, r) adds to the one-row image (r - 1):
    // both start with the same first row against the white reference, and end with EOFB.
    std::vector<std::string> codes;
    size_t previous_end = 0;  // code length of row r - 1 alone
    for (int r = 0; r < bitmap.Height; ++r) {
      const std::string pair = ToBitString(LibtiffGroup4(dir, Rows(bitmap, std::max(r - 1, 0), r == 0 ? 1 : 2)));
      const size_t end = FirstEOLStart(pair);
      ASSERT_NE(end, std::string::npos);
      codes.push_back(pair.substr(r == 0 ? 0 : previous_end, end - (r == 0 ? 0 : previous_end)));
      const std::string alone = ToBitString(LibtiffGroup4(dir, Rows(bitmap, r, 1)));
      previous_end = FirstEOLStart(alone);
    }
    // The cut is right when the unaligned pieces make up libtiff's whole stream.
    std::string joined;
    for (const std::string& c : codes) joined += c;
    const std::string whole = ToBitString(LibtiffGroup4(dir, bitmap));
    ASSERT_EQ(whole.substr(0, joined.size()), joined);

    std::string aligned;
    for (const std::string& c : codes) aligned += c + PadToByte(aligned + c);
    aligned += kEOL + kEOL;
    for (int rows : {bitmap.Height, 0}) {
      TZRXCCITTDecoder d(bitmap.Width, 1, false, true, 1, rows);
      std::vector<uint8_t> out;
      ASSERT_TRUE(d.DecodeGroup4(out, FromBitString(aligned)));
      EXPECT_EQ(Difference(bitmap, FromRows(out, bitmap.Width)), "") << "rows " << rows;
    }
  }
}

}  // namespace
