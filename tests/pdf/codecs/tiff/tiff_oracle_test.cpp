// The reader against files written by libtiff's tiffcp (every compression, strip and tile
// layout, byte order and fill order), Pillow, ImageMagick and netpbm, and the pixels libtiff's
// tifftopnm (or Pillow) decodes from the same files.
#include <gtest/gtest.h>

#include "pdf/codecs/ccitt/ccitt_decoder.h"
#include "pdf/codecs/tiff/tiff_bits.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "platform/rtl/file_at.h"
#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/image_support/tiff_build.h"

using rastertest::RasterSet;

namespace {

TPDFTIFF Load(const std::string& bytes, int32_t page = -1) {
  TPDFTIFF t;
  TMemoryStream s(bytes);
  t.LoadFromStream(s, page);
  return t;
}

// The bilevel picture the fax strips of a page code, as RGB: each strip decoded by the fax
// decoder the way a PDF CCITTFaxDecode filter with the writer's parameters would decode it.
std::string FaxPageRGB(const TPDFTIFFPage& p) {
  std::string rgb;
  const uint32_t rps = p.RowsPerStrip;
  for (size_t i = 0; i < p.Strips.size(); ++i) {
    const uint32_t rows = std::min(rps, p.Height - uint32_t(i) * rps);
    std::string data(p.Strips[i]);
    if (p.FillOrder == 2) ReverseBitOrder(data);
    TZRXCCITTDecoder d(int32_t(p.Width), 1, false, p.T4ByteAligned, 1, int32_t(rows));
    std::vector<uint8_t> out;
    bool ok = true;
    if (p.Compression == kTIFFGroup4)
      ok = d.DecodeGroup4(out, data);
    else if (p.Compression == kTIFFGroup3OneD)
      ok = d.DecodeGroup3OneD(out, data);
    else
      d.DecodeGroup3TwoD(out, data);
    EXPECT_TRUE(ok) << "strip " << i;
    const size_t rowBytes = (p.Width + 7) / 8;
    for (uint32_t y = 0; y < rows; ++y)
      for (uint32_t x = 0; x < p.Width; ++x) {
        const size_t at = y * rowBytes + x / 8;
        const bool bit = at < out.size() && ((out[at] >> (7 - x % 8)) & 1);
        // A coded black run is a 1 bit; under min-is-black a 1 bit is white.
        const bool black = bit != p.MinIsBlack;
        rgb.append(3, black ? '\0' : '\xFF');
      }
  }
  return rgb;
}

}  // namespace

// Every page the reader decodes itself comes out as tifftopnm (or Pillow) decodes it, its pieces
// held or read from the file where they lie (as a file past 64 MB is read).
TEST(TIFFReaderOracle, DecodedPagesEqualLibtiff) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  int checked = 0;
  for (const auto& c : set.Cases()) {
    if (c.Get("path") != "decode") continue;
    for (const bool inPlace : {false, true}) {
      SCOPED_TRACE(c.name + (inPlace ? " read where it lies" : ""));
      TPDFTIFF t;
      if (inPlace) {
        TFileStream file(FileNameToWide(set.Path(c.Get("file"))), fmOpenRead);
        t.LoadFromFile(TFileAt::Of(file), file.Size(), -1);
      } else {
        t = Load(set.Read(c.Get("file")));
      }
      ASSERT_TRUE(t.Valid);
      ASSERT_FALSE(t.Unsupported);
      ASSERT_EQ(t.PageCount, c.Int("pages"));
      std::string rgb;
      for (int i = 1; i <= t.PageCount; ++i) {
        ASSERT_TRUE(t.DecodePage(i)) << "page " << i;
        rgb += tifftest::BitmapRGB(*t.Bitmap);
        if (c.name.find("cmyk") != std::string::npos) {
          // The ink samples, C, M, Y, K stored last to first.
          std::string cmyk;
          for (int y = 0; y < t.Bitmap->Height(); ++y)
            for (int x = 0; x < t.Bitmap->Width(); ++x) {
              const uint8_t* px = t.Bitmap->ScanLine(y) + x * 4;
              cmyk += {char(px[3]), char(px[2]), char(px[1]), char(px[0])};
            }
          EXPECT_EQ(tifftest::FirstDifference(cmyk, set.Read(c.name + ".cmyk"), c.Int("width") * 4 / 3), "");
        }
      }
      if (c.name.find("cmyk") == std::string::npos) {
        EXPECT_EQ(tifftest::FirstDifference(rgb, set.Read(c.name + ".rgb"), c.Int("width")), "");
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 200);
}

// JPEG pages of grey or RGB (stored as YCbCr too), with alpha or without, decoded by the reader
// (as a page kept as a bitmap is, or a page of too many pieces to be an image each): their
// colour samples as Pillow reads them, within the two decoders' rounding.
TEST(TIFFReaderOracle, JPEGPagesDecodeAsPillowReadsThem) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  int checked = 0;
  for (const auto& c : set.Cases()) {
    if (c.Get("path") != "jpeg" || c.name.find("cmyk") != std::string::npos) continue;
    SCOPED_TRACE(c.name);
    TPDFTIFF t = Load(set.Read(c.Get("file")));
    ASSERT_EQ(t.PageCount, 1);
    ASSERT_TRUE(t.DecodePage(1));
    const std::string rgb = tifftest::BitmapRGB(*t.Bitmap), expected = set.Read(c.name + ".rgb");
    ASSERT_EQ(rgb.size(), expected.size());
    EXPECT_EQ(tifftest::FirstDifference(rgb, expected, c.Int("width"), 2), "");
    ++checked;
  }
  EXPECT_EQ(checked, 28);
}

// The strips of fax pages (Group 3 and 4, every fill order, strip size and byte order) decode
// to libtiff's picture.
TEST(TIFFReaderOracle, FaxStripsDecodeToLibtiffsPicture) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  int checked = 0;
  for (const auto& c : set.Cases()) {
    if (c.Get("path") != "ccitt") continue;
    SCOPED_TRACE(c.name);
    TPDFTIFF t = Load(set.Read(c.Get("file")));
    ASSERT_TRUE(t.Valid);
    ASSERT_EQ(t.PageCount, 1);
    const TPDFTIFFPage& p = t.Pages[0];
    EXPECT_EQ(p.BitsPerSample, 1u);
    EXPECT_FALSE(t.DecodePage(1));  // fax data go to the PDF filter, not to this decoder
    EXPECT_EQ(tifftest::FirstDifference(FaxPageRGB(p), set.Read(c.name + ".rgb"), c.Int("width")), "");
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

// The reader's view of the tags libtiff wrote.
TEST(TIFFReaderOracle, TagsOfLibtiffFiles) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  struct Expect {
    const char* name;
    uint8_t compression;
    uint8_t photometric;
    uint32_t bits, samples, predictor;
    bool tiled;
  };
  const Expect cases[] = {
      {"rgb_none", kTIFFNone, 2, 8, 3, 1, false},      {"rgb_lzw2", kTIFFLZW, 2, 8, 3, 2, false},
      {"grey_zip", kTIFFDeflate, 1, 8, 1, 1, false},   {"pal4_packbits", kTIFFPackBits, 3, 4, 1, 1, false},
      {"rgba_lzw", kTIFFLZW, 2, 8, 4, 1, false},        {"cmyk_none", kTIFFNone, 5, 8, 4, 1, false},
      {"grey16_none_be", kTIFFNone, 1, 16, 1, 1, false}, {"rgb_lzw_tiles", kTIFFLZW, 2, 8, 3, 1, true},
      {"bw_g4", kTIFFGroup4, 1, 1, 1, 1, false},        {"bwwhite_g3", kTIFFGroup3OneD, 0, 1, 1, 1, false},
      {"bw_g3_2d", kTIFFGroup3TwoD, 1, 1, 1, 1, false}, {"rgb_jpeg", kTIFFJPEG, 6, 8, 3, 1, false},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.name);
    const imagetest::ImageCase& c = set.Case(e.name);
    TPDFTIFF t = Load(set.Read(c.Get("file")));
    ASSERT_EQ(t.PageCount, 1);
    const TPDFTIFFPage& p = t.Pages[0];
    EXPECT_EQ(p.Width, uint32_t(c.Int("width")));
    EXPECT_EQ(p.Height, uint32_t(c.Int("height")));
    EXPECT_EQ(p.Compression, e.compression);
    EXPECT_EQ(p.Photometric, e.photometric);
    EXPECT_EQ(p.MinIsBlack, e.photometric == 1);
    EXPECT_EQ(p.BitsPerSample, e.bits);
    EXPECT_EQ(p.SamplesPerPixel, e.samples);
    EXPECT_EQ(p.Predictor, e.predictor);
    EXPECT_EQ(p.Tiled, e.tiled);
    EXPECT_FALSE(p.Strips.empty());
  }
  // Strip layouts.
  EXPECT_EQ(Load(set.Read("rgb_lzw_r1.tif")).Pages[0].Strips.size(), 37u);
  EXPECT_EQ(Load(set.Read("rgb_lzw_r1.tif")).Pages[0].RowsPerStrip, 1u);
  EXPECT_EQ(Load(set.Read("rgb_none_r7.tif")).Pages[0].Strips.size(), 6u);
  EXPECT_EQ(Load(set.Read("rgb_lzw_tiles.tif")).Pages[0].Strips.size(), 4u * 3u);
  EXPECT_TRUE(Load(set.Read("bw_g3_fill.tif")).Pages[0].T4ByteAligned);
  EXPECT_EQ(Load(set.Read("bw_g4_lsb.tif")).Pages[0].FillOrder, 2u);
  EXPECT_TRUE(Load(set.Read("grey16_none_be.tif")).Pages[0].BigEndian);
  EXPECT_EQ(Load(set.Read("rgba_none.tif")).Pages[0].ExtraSampleCount, 1u);
  EXPECT_EQ(Load(set.Read("rgba_none.tif")).Pages[0].ExtraSamples, 2u);  // unassociated alpha
  EXPECT_EQ(Load(set.Read("pal8_none.tif")).Pages[0].ColorMap.size(), 3u * 256u);
}

// A JPEG page's pieces are decoded as whole JPEG files: the page's tables after the start
// marker, then the piece without its own start marker. The tables are kept once for the page,
// not joined into every piece.
TEST(TIFFReaderOracle, JPEGPiecesAreDecodedWithThePagesTables) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const char* name : {"rgb_jpeg", "grey_jpeg_r16", "rgb_jpegrgb", "rgb_jpeg_tiles"}) {
    SCOPED_TRACE(name);
    TPDFTIFF t = Load(set.Read(std::string(name) + ".tif"));
    ASSERT_EQ(t.PageCount, 1);
    EXPECT_FALSE(t.Unsupported);
    const TPDFTIFFPage& p = t.Pages[0];
    EXPECT_NE(p.JPEGTables.find("\xFF\xC4"), std::string::npos);
    for (size_t i = 0; i < p.Strips.size(); ++i) {
      EXPECT_EQ(p.Strips[i].find("\xFF\xC4"), std::string::npos);  // libtiff's pieces are abbreviated
      std::string joined;
      const std::string s(p.PieceData(i, joined));
      ASSERT_GT(s.size(), 4u);
      EXPECT_EQ(s.substr(0, 2), "\xFF\xD8");
      EXPECT_EQ(s.find("\xFF\xD8", 2), std::string::npos);  // one start marker only
      EXPECT_NE(s.find("\xFF\xC4"), std::string::npos);     // Huffman tables from the page's tables
      EXPECT_EQ(s.substr(s.size() - 2), "\xFF\xD9");
    }
  }
  // An RGB (not YCbCr) JPEG page says so to the JPEG decoder with an Adobe marker.
  TPDFTIFF rgb = Load(set.Read("rgb_jpegrgb.tif"));
  std::string joined;
  const std::string adobe("\xFF\xEE\x00\x0E" "Adobe\x00\x64\x80\x00\x00\x00\x00", 16);
  EXPECT_NE(rgb.Pages[0].PieceData(0, joined).find(adobe), std::string::npos);
  TPDFTIFF ycc = Load(set.Read("rgb_jpeg.tif"));
  EXPECT_EQ(ycc.Pages[0].PieceData(0, joined).find("Adobe"), std::string::npos);
}

// Several pages: all of them with page index -1, one of them with its index, the first when
// the index lies beyond the chain.
TEST(TIFFReaderOracle, PagesOfAMultiPageFile) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const char* file : {"pages.tif", "pages_be.tif"}) {
    SCOPED_TRACE(file);
    const std::string bytes = set.Read(file);
    TPDFTIFF all = Load(bytes);
    ASSERT_EQ(all.PageCount, 3);
    EXPECT_EQ(all.Pages[0].Photometric, 2);
    EXPECT_EQ(all.Pages[1].Photometric, 1);
    EXPECT_EQ(all.Pages[2].Width, 203u);
    EXPECT_EQ(all.IFDOffsetFields.size(), 4u);
    TPDFTIFF second = Load(bytes, 1);
    ASSERT_EQ(second.PageCount, 1);
    EXPECT_EQ(second.Pages[0].Photometric, 1);
    EXPECT_EQ(second.Pages[0].Width, 61u);
    TPDFTIFF beyond = Load(bytes, 5);
    ASSERT_EQ(beyond.PageCount, 1);
    EXPECT_EQ(beyond.Pages[0].Photometric, 2);
    EXPECT_TRUE(beyond.ReadCompressedPage(1));
    EXPECT_FALSE(beyond.ReadUncompressedPage(1));  // an LZW page is not an uncompressed one
  }
}

// A cut LZW strip of RGBA samples: the rows its data reach are the picture, the rest reads as
// bytes 255 (white), four samples a pixel.
TEST(TIFFReaderOracle, CutLZWStripOfFourSamples) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  TPDFTIFF source = Load(set.Read("rgba_lzw.tif"));
  const TPDFTIFFPage& p = source.Pages.at(0);
  ASSERT_EQ(p.Strips.size(), 2u);
  tifftest::Builder b;
  const std::string cut(p.Strips[1].substr(0, p.Strips[1].size() / 2));
  const uint32_t first = b.Data(std::string(p.Strips[0]));
  const uint32_t at = b.Data(cut);
  b.SetFirst(b.Directory({tifftest::Builder::Long(256, {p.Width}), tifftest::Builder::Long(257, {p.Height}),
                          tifftest::Builder::Short(258, {8, 8, 8, 8}), tifftest::Builder::Short(259, {5}),
                          tifftest::Builder::Short(262, {2}), tifftest::Builder::Long(273, {first, at}),
                          tifftest::Builder::Short(277, {4}), tifftest::Builder::Long(278, {p.RowsPerStrip}),
                          tifftest::Builder::Long(279, {uint32_t(p.Strips[0].size()), uint32_t(cut.size())}),
                          tifftest::Builder::Short(338, {2})}));
  TPDFTIFF t = Load(b.bytes());
  ASSERT_TRUE(t.DecodePage(1));
  const std::string rgb = tifftest::BitmapRGB(*t.Bitmap), expected = set.Read("rgba_lzw.rgb");
  const size_t row = size_t(p.Width) * 3;
  EXPECT_EQ(rgb.substr(0, row * p.RowsPerStrip), expected.substr(0, row * p.RowsPerStrip));
  EXPECT_EQ(rgb.substr(rgb.size() - row), std::string(row, '\xFF'));
}

// A bilevel page that leaves out BitsPerSample and Compression takes the baseline's defaults
// (one bit a sample, no compression), as libtiff reads it.
TEST(TIFFReaderOracle, MissingTagsTakeTheBaselineDefaults) {
  REQUIRE_TOOL("tifftopnm");
  testsupport::TempDir dir;
  // 10 x 3 pixels, min-is-white: a 1 bit is black.
  const std::string rows("\xF0\x40" "\x0F\x80" "\xAA\xC0", 6);
  tifftest::Builder b;
  const uint32_t data = b.Data(rows);
  b.SetFirst(b.Directory({tifftest::Builder::Long(256, {10}), tifftest::Builder::Long(257, {3}),
                          tifftest::Builder::Short(262, {0}), tifftest::Builder::Long(273, {data}),
                          tifftest::Builder::Long(279, {uint32_t(rows.size())})}));
  const std::string path = dir.File("defaults.tif");
  testsupport::WriteFile(path, b.bytes());
  std::string pbm;
  ASSERT_EQ(testsupport::Run("tifftopnm -byrow " + path + " 2>/dev/null", &pbm), 0);
  ASSERT_EQ(pbm.substr(0, 3), "P4\n") << "libtiff reads a bilevel page";
  ASSERT_EQ(pbm.substr(pbm.size() - rows.size()), rows);

  TPDFTIFF t = Load(b.bytes());
  ASSERT_EQ(t.PageCount, 1);
  EXPECT_EQ(t.Pages[0].Compression, kTIFFNone);
  EXPECT_EQ(t.Pages[0].BitsPerSample, 1u);
  ASSERT_TRUE(t.DecodePage(1));
  std::string expected;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool black = (uint8_t(rows[size_t(2 * y + x / 8)]) >> (7 - x % 8)) & 1;
      expected.append(3, black ? '\0' : '\xFF');
    }
  EXPECT_EQ(tifftest::BitmapRGB(*t.Bitmap), expected);
}
