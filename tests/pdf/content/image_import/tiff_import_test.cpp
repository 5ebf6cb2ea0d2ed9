// TIFF and GIF files imported as XObjects: the objects the page writers make (checked on
// hand-made files), and every generated fixture drawn by poppler equal to libtiff's (or
// giftopnm's) decode.
#include <gtest/gtest.h>


#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/pdf_helpers.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/image_support/api_page.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/image_support/tiff_build.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/pdf/support/pdf_test_writer.h"

using rastertest::RasterSet;
using tifftest::Builder;
using tifftest::Entry;

namespace {

struct Imported : imagetest::ImportedImage {
  // The value as PDF text.
  std::string Text(const std::string& key) const { return image->Dict ? Value(image->Dict, key) : ""; }
  static std::string Value(const TPDFDictionary* d, const std::string& key) {
    std::string s, flat;
    if (const TPDFObject* o = d->GetValue(key, true)) o->WriteToString(s);
    for (char ch : s) {
      const bool space = ch == ' ' || ch == '\n' || ch == '\r';
      if (!space)
        flat += ch;
      else if (!flat.empty() && flat.back() != ' ')
        flat += ' ';
    }
    while (!flat.empty() && flat.back() == ' ') flat.pop_back();
    return flat;
  }
  // The form's content text.
  std::string Content() const {
    std::string s;
    if (Main()) Main()->Decode(s);
    return s;
  }
  // The image XObject named in the form's resources.
  TPDFStream* XObject(const std::string& name) const {
    const auto* res = PDFCast<TPDFDictionary>(image->Dict->GetValue("Resources", true));
    const auto* xo = res ? PDFCast<TPDFDictionary>(res->GetValue("XObject", true)) : nullptr;
    return xo ? PDFCast<TPDFStream>(store->Resolve(xo->GetValue(name))) : nullptr;
  }
};

Imported Import(const std::string& bytes, int options = 1, bool keepSource = false, int32_t compression = 0) {
  return imagetest::ImportImage<Imported>(bytes, options, compression, keepSource);
}

std::vector<Entry> Page(uint32_t w, uint32_t h, uint32_t bits, uint32_t samples, uint32_t photometric,
                        uint32_t compression, const std::vector<uint32_t>& offsets,
                        const std::vector<uint32_t>& counts, uint32_t rps, std::vector<Entry> extra = {}) {
  std::vector<Entry> e = {Builder::Long(256, {w}),
                          Builder::Long(257, {h}),
                          Builder::Short(258, std::vector<uint32_t>(samples, bits)),
                          Builder::Short(259, {compression}),
                          Builder::Short(262, {photometric}),
                          Builder::Long(273, offsets),
                          Builder::Short(277, {samples}),
                          Builder::Long(278, {rps}),
                          Builder::Long(279, counts)};
  for (Entry& x : extra) e.push_back(std::move(x));
  std::stable_sort(e.begin(), e.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  return e;
}

// A file of n strips, each the given bytes.
std::string StripFile(uint32_t w, uint32_t h, uint32_t bits, uint32_t samples, uint32_t photometric,
                      uint32_t compression, uint32_t rps, const std::vector<std::string>& strips,
                      std::vector<Entry> extra = {}, bool big = false) {
  Builder b(big);
  std::vector<uint32_t> offs, counts;
  for (const std::string& s : strips) {
    offs.push_back(b.Data(s));
    counts.push_back(uint32_t(s.size()));
  }
  b.SetFirst(b.Directory(Page(w, h, bits, samples, photometric, compression, offs, counts, rps, std::move(extra))));
  return b.bytes();
}

// A tiled page of the given tiles, grey of 8 bits uncompressed unless told otherwise.
std::string TileFile(uint32_t w, uint32_t h, uint32_t tw, uint32_t tl, const std::vector<std::string>& tiles,
                     uint32_t bits = 8, uint32_t photometric = 1, uint32_t compression = 1) {
  Builder b;
  std::vector<uint32_t> offs, counts;
  for (const std::string& t : tiles) {
    offs.push_back(b.Data(t));
    counts.push_back(uint32_t(t.size()));
  }
  b.SetFirst(b.Directory({Builder::Long(256, {w}), Builder::Long(257, {h}), Builder::Short(258, {bits}),
                          Builder::Short(259, {compression}), Builder::Short(262, {photometric}),
                          Builder::Long(322, {tw}), Builder::Long(323, {tl}), Builder::Long(324, offs),
                          Builder::Long(325, counts)}));
  return b.bytes();
}

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

// A one-strip Group 4 page is one image whose data are the file's strip bytes.
TEST(TIFFImport, SingleFaxStripIsOneImage) {
  const std::string fax = "G4-CODED-BYTES";
  const Imported l = Import(StripFile(1728, 2200, 1, 1, 0, 4, 2200, {fax}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.image->Kind, 3);
  EXPECT_EQ(l.image->Width, 1728);
  EXPECT_EQ(l.Text("Subtype"), "/Image");
  EXPECT_EQ(l.Text("Filter"), "/CCITTFaxDecode");
  EXPECT_EQ(l.Text("DecodeParms"), "<< /K -1 /Columns 1728 /Rows 2200 /BlackIs1 true /EndOfBlock false >>");
  EXPECT_EQ(l.Text("Decode"), "[ 1 0 ]");
  EXPECT_EQ(l.Text("ColorSpace"), "/DeviceGray");
  EXPECT_EQ(l.Main()->Data(), fax);
  // Byte-aligned two-dimensional Group 3 says so to the filter.
  const Imported g3 = Import(StripFile(100, 10, 1, 1, 1, 3, 10, {"x"}, {Builder::Long(292, {5})}));
  ASSERT_TRUE(g3.ok);
  EXPECT_EQ(g3.Text("DecodeParms"), "<< /K 1 /Columns 100 /Rows 10 /BlackIs1 true /EncodedByteAlign true /EndOfLine true /EndOfBlock false >>");
  EXPECT_EQ(g3.Text("Decode"), "");
}

// LZW with predictor 2 in 8 strips of 4 rows of 100 RGB pixels: inline images (1,200 bytes a
// strip), each declaring its filters and predictor.
TEST(TIFFImport, SmallLZWStripsAreInline) {
  const std::vector<std::string> strips(8, "LZWDATA");
  const Imported l = Import(StripFile(100, 32, 8, 3, 2, 5, 4, strips, {Builder::Short(317, {2})}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.Text("Subtype"), "/Form");
  EXPECT_EQ(l.Text("BBox"), "[ 0 0 1 1 ]");
  EXPECT_EQ(l.Text("Resources"), "");
  const std::string c = l.Content();
  EXPECT_EQ(Count(c, "\nBI\n"), 8u);
  EXPECT_EQ(Count(c, " /F [ /Fl /LZW ]"), 8u);
  EXPECT_EQ(Count(c, " /DP [ null << /Predictor 2 /Colors 3 /Columns 100 >> ]"), 8u);
  // The form measures its unit square in billionths.
  EXPECT_EQ(c.substr(0, 35), "0.000000001 0 0 0.000000001 0 0 cm\n");
  EXPECT_NE(c.find("q 1000000000 0 0 125000000 0 875000000 cm\nBI\n/W 100 /H 4 /CS /RGB /BPC 8 /F"), std::string::npos)
      << c;
  // The data are a stored zlib stream of the strip.
  EXPECT_NE(c.find("\nID\n" + FlateStoreString("LZWDATA") + "\nEI\nQ\n"), std::string::npos);
}

// The same page in 4 strips: a form of 4 image XObjects, the first at y = 0.75 (in billionths).
TEST(TIFFImport, LargerStripsAreNamedImages) {
  const std::vector<std::string> strips = {"S0", "S1", "S2", "S3"};
  const Imported l = Import(StripFile(100, 16, 8, 3, 2, 5, 4, strips, {Builder::Short(317, {2})}));
  ASSERT_TRUE(l.ok);
  const std::string c = l.Content();
  EXPECT_EQ(Count(c, " Do Q\n"), 4u);
  const std::string firstPlacement = "0.000000001 0 0 0.000000001 0 0 cm\nq 1000000000 0 0 250000000 0 750000000 cm /";
  ASSERT_EQ(c.substr(0, firstPlacement.size()), firstPlacement);
  const size_t at = firstPlacement.size();
  const std::string name = c.substr(at, c.find(' ', at) - at);
  EXPECT_EQ(name.substr(0, 10), "TalvoPDFIm");
  EXPECT_EQ(name.size(), 18u);
  const TPDFStream* first = l.XObject(name);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Data(), "S0");
  const TPDFDictionary* d = first->Dictionary();
  EXPECT_EQ(Imported::Value(d, "Filter"), "/LZWDecode");
  EXPECT_EQ(Imported::Value(d, "DecodeParms"), "<< /Predictor 2 /Colors 3 /Columns 100 >>");
  EXPECT_EQ(d->GetInteger("Height", 0), 4);
  EXPECT_NE(c.find("q 1000000000 0 0 250000000 0 0 cm"), std::string::npos);
}

// Rows per strip 1 with many strips is a page of one-row strips, not one strip of the image;
// a last strip is as high as the rows left; strips beyond the image are not placed.
TEST(TIFFImport, StripHeightsFollowTheRows) {
  const Imported one = Import(StripFile(10, 3, 8, 1, 1, 1, 1, {"aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc"}));
  ASSERT_TRUE(one.ok);
  EXPECT_EQ(Count(one.Content(), " Do Q\n"), 3u);
  // One row a strip: each strip a third of the page, the first at the top, to nine decimals.
  EXPECT_NE(one.Content().find("q 1000000000 0 0 333333333.333333333 0 666666666.666666667 cm"), std::string::npos)
      << one.Content();
  const Imported last = Import(StripFile(10, 5, 8, 1, 1, 1, 2, {"a", "b", "c", "d", "e"}));
  ASSERT_TRUE(last.ok);
  const std::string c = last.Content();
  EXPECT_EQ(Count(c, " Do Q\n"), 3u);
  EXPECT_NE(c.find("q 1000000000 0 0 200000000 0 0 cm"), std::string::npos) << c;
}

// A page of more than 1,024 strips or tiles (uncompressed, Deflate; one-row strips, 16 x 16
// tiles) is one image whose samples are made from its pieces when they are needed, each row as
// its piece holds it; 1,024 one-row strips are still a form placing each.
TEST(TIFFImport, PagesOfManyPiecesAreOneImageOfTheirSamples) {
  std::vector<std::string> rows;
  std::string samples;
  for (uint32_t y = 0; y < 1025; ++y) {
    rows.push_back({char(y), char(y >> 8), char(y * 7)});
    samples += rows.back();
  }
  std::vector<std::string> deflated;
  for (const std::string& r : rows) deflated.push_back(FlateCompressString(r));
  const Imported form = Import(StripFile(3, 1024, 8, 1, 1, 1, 1, {rows.begin(), rows.begin() + 1024}));
  ASSERT_TRUE(form.ok);
  EXPECT_EQ(form.Text("Subtype"), "/Form");
  EXPECT_EQ(Count(form.Content(), " Do Q\n"), 1024u);
  for (const auto& [what, file] : {std::pair<const char*, std::string>{"uncompressed", StripFile(3, 1025, 8, 1, 1, 1, 1, rows)},
                                   {"Deflate", StripFile(3, 1025, 8, 1, 1, 8, 1, deflated)}}) {
    SCOPED_TRACE(what);
    const Imported l = Import(file);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.Text("Subtype"), "/Image");
    EXPECT_EQ(l.Text("Height"), "1025");
    ASSERT_NE(l.Main()->PendingSource(), nullptr);
    std::string expected;
    for (const char c : samples) expected.append(3, c);
    EXPECT_EQ(imagetest::ImageRGB(*l.Main()), expected);
  }
  // Tiles: a page 32 wide and 8,208 high in 16 x 16 tiles (1,026), each tile of one value.
  std::vector<std::string> pieces;
  for (uint32_t i = 0; i < 1026; ++i) pieces.push_back(std::string(256, char(i * 5)));
  const Imported tiles = Import(TileFile(32, 8208, 16, 16, pieces));
  ASSERT_TRUE(tiles.ok);
  EXPECT_EQ(tiles.Text("Subtype"), "/Image");
  const std::string rgb = imagetest::ImageRGB(*tiles.Main());
  ASSERT_EQ(rgb.size(), size_t(32) * 8208 * 3);
  for (const auto& [x, y] : {std::pair<size_t, size_t>{0, 0}, {16, 0}, {5, 17}, {31, 8207}})
    EXPECT_EQ(uint8_t(rgb[(y * 32 + x) * 3]), uint8_t((y / 16 * 2 + x / 16) * 5)) << x << "," << y;
}

// A palette page of 4 bits: an indexed space of 16 entries, 96 hexadecimal digits.
TEST(TIFFImport, PaletteColourSpace) {
  std::vector<uint32_t> map(48);
  for (uint32_t i = 0; i < 16; ++i) map[i] = i * 0x1100, map[16 + i] = 0xAB00, map[32 + i] = 0x00FF;
  const Imported l = Import(StripFile(4, 1, 4, 1, 3, 1, 1, {"\x01\x23"}, {Builder::Short(320, map)}));
  ASSERT_TRUE(l.ok);
  const std::string cs = l.Text("ColorSpace");
  ASSERT_EQ(cs.substr(0, 26), "[ /Indexed /DeviceRGB 15 <") << cs;
  const std::string hex = cs.substr(26, cs.find('>') - 26);
  EXPECT_EQ(hex.size(), 96u);
  EXPECT_EQ(hex.substr(0, 12), "00AB0011AB00");
  EXPECT_EQ(l.Text("BitsPerComponent"), "4");
}

// FillOrder 2: every byte's bits reversed.
TEST(TIFFImport, FillOrderTwoReversesBits) {
  const Imported l = Import(StripFile(8, 1, 1, 1, 1, 1, 1, {"\x01"}, {Builder::Short(266, {2})}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.Main()->Data(), "\x80");
}

// Tiles of 256 in a page 512 wide: two per row, the third starts the second row.
TEST(TIFFImport, TilesFillRowsLeftToRight) {
  const Imported l = Import(TileFile(512, 300, 256, 256, {"T0", "T1", "T2", "T3"}));
  ASSERT_TRUE(l.ok);
  const std::string c = l.Content();
  // 256 / 300 and 44 / 300 of the page in billionths.
  EXPECT_NE(c.find("q 500000000 0 0 853333333.333333333 0 146666666.666666667 cm"), std::string::npos) << c;
  EXPECT_NE(c.find("q 500000000 0 0 853333333.333333333 500000000 146666666.666666667 cm"), std::string::npos);
  // The second row's tiles stop where the page does: 44 of their 256 rows lie on it.
  EXPECT_NE(c.find("q 500000000 0 0 146666666.666666667 0 0 cm"), std::string::npos) << c;
  EXPECT_NE(c.find("q 500000000 0 0 146666666.666666667 500000000 0 cm"), std::string::npos) << c;
  EXPECT_EQ(c.find(" -"), std::string::npos) << c;
}

// PackBits pages are one image whose samples are made from the strips when they are needed,
// unpacked as their rows are read (no-op bytes passed over, each strip as long as its rows, a
// short strip's rows white), never re-packed for RunLengthDecode and deflated.
TEST(TIFFImport, PackBitsAreUnpackedAsTheirRowsAreRead) {
  // Strip 1: no-op, "AB" literal, no-op, 2 x 'C' -> 4 bytes (2 rows of 2). Strip 2: short.
  const std::string s1("\x80\x01" "AB\x80\xFF" "C", 7);
  const std::string s2("\x00" "D", 2);
  const Imported l = Import(StripFile(2, 4, 8, 1, 1, 32773, 2, {s1, s2}));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.Text("Subtype"), "/Image");
  EXPECT_EQ(l.Text("Filter"), "");
  ASSERT_NE(l.Main()->PendingSource(), nullptr);
  std::string expected;
  for (const char c : std::string("ABCCD\xFF\xFF\xFF", 8)) expected.append(3, c);
  EXPECT_EQ(imagetest::ImageRGB(*l.Main()), expected);
}

// Pages the PDF filters cannot carry as they are go through the reader's decoder: extra
// samples, 16-bit little-endian samples, CMYK PackBits, predictors on 16-bit samples.
TEST(TIFFImport, OtherLayoutsAreDecodedToBitmaps) {
  // RGBA: the alpha dropped.
  const Imported rgba = Import(StripFile(2, 1, 8, 4, 2, 1, 1, {std::string("\x01\x02\x03\xFF\x04\x05\x06\x00", 8)},
                                         {Builder::Short(338, {2})}));
  ASSERT_TRUE(rgba.ok);
  EXPECT_EQ(rgba.Text("ColorSpace"), "/DeviceRGB");
  EXPECT_EQ(imagetest::ImageRGB(*rgba.Main()), "\x01\x02\x03\x04\x05\x06");
  // 16-bit little-endian grey: the high bytes.
  const Imported g16 = Import(StripFile(2, 1, 16, 1, 1, 1, 1, {std::string("\x34\x12\xCD\xAB", 4)}));
  ASSERT_TRUE(g16.ok);
  EXPECT_EQ(imagetest::ImageRGB(*g16.Main()), "\x12\x12\x12\xAB\xAB\xAB");
  // The same big-endian goes as it is, 16 bits a sample.
  const Imported be = Import(StripFile(2, 1, 16, 1, 1, 1, 1, {std::string("\x12\x34\xAB\xCD", 4)}, {}, true));
  ASSERT_TRUE(be.ok);
  EXPECT_EQ(be.Text("BitsPerComponent"), "16");
  // CMYK PackBits: DeviceCMYK samples.
  const Imported cmyk = Import(StripFile(1, 1, 8, 4, 5, 32773, 1, {std::string("\x03\x10\x20\x30\x40", 5)}));
  ASSERT_TRUE(cmyk.ok);
  EXPECT_EQ(cmyk.Text("ColorSpace"), "/DeviceCMYK");
  std::string data;
  ASSERT_TRUE(cmyk.Main()->Decode(data));
  EXPECT_EQ(data, "\x10\x20\x30\x40");
  // Min-is-white grey with an alpha sample: inverted grey.
  const Imported wa = Import(StripFile(1, 1, 8, 2, 0, 1, 1, {std::string("\x10\x99", 2)}, {Builder::Short(338, {1})}));
  ASSERT_TRUE(wa.ok);
  EXPECT_EQ(imagetest::ImageRGB(*wa.Main()), "\xEF\xEF\xEF");
}

// Those pages keep their strips, not their samples, until the samples are needed (the document
// written, or a render that cannot draw them row by row); kept as a BMP source copy, the page
// is decoded whole as before.
TEST(TIFFImport, PagesTheReaderDecodesMakeTheirSamplesWhenNeeded) {
  // 16-bit little-endian RGB, 2 x 3 in strips of two rows, differences left to right.
  std::vector<std::string> strips = {std::string("\x00\x10\x00\x20\x00\x30\x00\x01\x00\x01\x00\x01"
                                                 "\x00\x40\x00\x50\x00\x60\x00\xFF\x00\x00\x00\x01", 24),
                                     std::string("\x34\x12\x78\x56\xBC\x9A\x00\x00\x00\x00\x00\x00", 12)};
  const std::string file = StripFile(2, 3, 16, 3, 2, 1, 2, strips, {Builder::Short(317, {2})});
  const std::string expected("\x10\x20\x30\x11\x21\x31\x40\x50\x60\x3F\x50\x61\x12\x56\x9A\x12\x56\x9A", 18);
  for (const int32_t compression : {0, 1}) {
    const Imported lazy = Import(file, 1, false, compression);
    ASSERT_TRUE(lazy.ok);
    EXPECT_EQ(lazy.image->Kind, 3);
    ASSERT_NE(lazy.Main()->PendingSource(), nullptr);
    EXPECT_EQ(lazy.Text("Length"), "18");
    EXPECT_EQ(lazy.Text("Filter"), compression == 1 ? "/FlateDecode" : "");
    EXPECT_EQ(imagetest::ImageRGB(*lazy.Main()), expected);
    EXPECT_EQ(lazy.Main()->PendingSource(), nullptr);
  }
  const Imported kept = Import(file, 1, true);
  ASSERT_TRUE(kept.ok);
  EXPECT_EQ(kept.Main()->PendingSource(), nullptr);
  EXPECT_EQ(kept.image->SourceData.substr(0, 2), "BM");
  EXPECT_EQ(imagetest::ImageRGB(*kept.Main()), expected);
}

// Files the import does not take.
TEST(TIFFImport, UnusableFilesAreNotLoaded) {
  EXPECT_FALSE(Import(StripFile(0, 5, 8, 1, 1, 1, 1, {"x"})).ok);
  EXPECT_FALSE(Import(StripFile(5, 0, 8, 1, 1, 1, 1, {"x"})).ok);
  EXPECT_FALSE(Import(StripFile(70000, 70000, 8, 1, 1, 1, 1, {"x"})).ok);
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 1, 1, 2, 5, {"x"})).ok);                             // Modified Huffman
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 2, 1, 5, {"x"}, {Builder::Short(284, {2})})).ok);  // planar
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 6, 1, 5, {"x"})).ok);                             // YCbCr samples
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 8, 1, 5, {"x"})).ok);                             // CIELab
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 1, 1, 7, 5, {"x"}, {Builder::Long(519, {0})})).ok);   // old JPEG
  // Fax data are one bit of grey a pixel: pages that say otherwise have no filter to read them.
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 1, 1, 4, 5, {"x"})).ok);
  EXPECT_FALSE(Import(StripFile(5, 5, 1, 1, 3, 4, 5, {"x"}, {Builder::Short(320, {0, 0, 0, 0, 0, 0})})).ok);
  EXPECT_TRUE(Import(StripFile(5, 5, 1, 1, 1, 4, 5, {"x"})).ok);
  EXPECT_FALSE(Import(std::string("II*\0\x08\0\0\0", 8)).ok);
  EXPECT_FALSE(Import("MM").ok);
  // No samples per pixel: no picture, also when drawn by the canvas (which would otherwise
  // draw this fax page of 2^28 pixels that its data back at one bit a row).
  const std::string white(4000, '\xFF');
  for (int options : {1, -1}) EXPECT_FALSE(Import(StripFile(16384, 16384, 1, 0, 0, 4, 16384, {white}), options).ok);
  EXPECT_TRUE(Import(StripFile(5, 5, 8, 1, 1, 1, 5, {"x"})).ok);  // short data read as white
  // JPEG strips that name no picture: no frame header, a frame of no size, a missing strip.
  const std::string sof0 = std::string("\xFF\xD8\xFF\xC0\x00\x11\x08", 7);
  const std::string frame5 = sof0 + std::string("\x00\x05\x00\x05\x03\x01\x11\x00\x02\x11\x01\x03\x11\x01", 14);
  const std::string frame0 = sof0 + std::string("\x00\x00\x00\x05\x03\x01\x11\x00\x02\x11\x01\x03\x11\x01", 14);
  EXPECT_TRUE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {frame5})).ok);
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {frame0})).ok);
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {"\xFF\xD8\xFF\xD9"})).ok);
  EXPECT_TRUE(Import(StripFile(5, 10, 8, 3, 2, 7, 5, {frame5, frame5})).ok);
  EXPECT_FALSE(Import(StripFile(5, 10, 8, 3, 2, 7, 5, {frame5, ""})).ok);
  // A frame larger than its strip (beyond whole blocks of 16) is not drawn into it.
  auto frame = [&](uint16_t w, uint16_t h) {
    const char size[4] = {char(h >> 8), char(h & 0xFF), char(w >> 8), char(w & 0xFF)};
    return sof0 + std::string(size, 4) + frame5.substr(11);
  };
  EXPECT_TRUE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {frame(16, 16)})).ok);
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {frame(17, 5)})).ok);
  EXPECT_FALSE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {frame(16000, 16000)})).ok);
  EXPECT_FALSE(Import(StripFile(5, 10, 8, 3, 2, 7, 5, {frame5, frame(5, 40)})).ok);
  // A strip beyond the page's rows is never placed and does not matter.
  EXPECT_TRUE(Import(StripFile(5, 5, 8, 3, 2, 7, 5, {frame5, ""})).ok);
  // The same for grey and RGB pages with alpha, whose pieces libjpeg decodes: also a frame of
  // another number of components, a progressive frame and 12-bit samples.
  auto coded = [](uint8_t code, uint8_t bits, uint16_t w, uint16_t h, uint32_t components) {
    std::string s = std::string("\xFF\xD8\xFF", 3) + char(code) + '\0' + char(8 + 3 * components) + char(bits) +
                    char(h >> 8) + char(h & 0xFF) + char(w >> 8) + char(w & 0xFF) + char(components);
    for (uint32_t c = 1; c <= components; ++c) s += {char(c), '\x11', '\0'};
    return s;
  };
  for (const auto& [photometric, samples] : {std::pair{1u, 2u}, std::pair{2u, 4u}}) {
    SCOPED_TRACE(samples);
    auto loads = [&](uint32_t h, const std::vector<std::string>& strips) {
      return Import(StripFile(5, h, 8, samples, photometric, 7, 5, strips, {Builder::Short(338, {2})})).ok;
    };
    const std::string five = coded(0xC0, 8, 5, 5, samples);
    EXPECT_TRUE(loads(5, {five}));
    EXPECT_TRUE(loads(5, {coded(0xC1, 8, 16, 16, samples)}));
    EXPECT_TRUE(loads(10, {five, five}));
    EXPECT_TRUE(loads(5, {five, ""}));
    EXPECT_FALSE(loads(5, {coded(0xC0, 8, 0, 5, samples)}));
    EXPECT_FALSE(loads(5, {"\xFF\xD8\xFF\xD9"}));
    EXPECT_FALSE(loads(10, {five, ""}));
    EXPECT_FALSE(loads(5, {coded(0xC0, 8, 17, 5, samples)}));
    EXPECT_FALSE(loads(10, {five, coded(0xC0, 8, 5, 40, samples)}));
    EXPECT_FALSE(loads(5, {coded(0xC2, 8, 5, 5, samples)}));
    EXPECT_FALSE(loads(5, {coded(0xC3, 8, 5, 5, samples)}));
    EXPECT_FALSE(loads(5, {coded(0xC1, 12, 5, 5, samples)}));
    EXPECT_FALSE(loads(5, {coded(0xC0, 8, 5, 5, samples - 1)}));
    EXPECT_FALSE(loads(5, {coded(0xC0, 8, 5, 5, samples + 1)}));
  }
}

// Missing data read as white: a page its strips do not fill loads at the size it claims (strips
// handed on as they are, the run-length writer, pages decoded to bitmaps, fax strips), up to
// the largest bitmap; beyond that nothing loads on any path, the canvas's included. The same holds for a GIF screen its frames do not cover.
TEST(TIFFImport, PagesTheirDataDoNotFillLoadUpToTheLargestBitmap) {
  const std::string four("\x80\0\0\0", 4);
  struct Case {
    const char* what;
    uint32_t bits, samples, photometric, compression;
    std::vector<Entry> extra;
  } cases[] = {
      {"uncompressed grey", 8, 1, 1, 1, {}},
      {"uncompressed RGB", 8, 3, 2, 1, {}},
      {"LZW grey", 8, 1, 1, 5, {}},
      {"LZW RGBA (decoded)", 8, 4, 2, 5, {Builder::Short(338, {2})}},
      {"Deflate grey", 8, 1, 1, 8, {}},
      {"PackBits RGB", 8, 3, 2, 32773, {}},
      {"PackBits CMYK (decoded)", 8, 4, 5, 32773, {}},
      {"Group 4", 1, 1, 0, 4, {}},
      {"Group 3", 1, 1, 0, 3, {}},
      {"Group 3 two-dimensional", 1, 1, 0, 3, {Builder::Long(292, {1})}},
  };
  for (const auto& c : cases) {
    // More pixels than a bitmap may hold (2^28).
    for (auto [w, h] : {std::pair<uint32_t, uint32_t>{20000, 20000}, {65535, 5000}}) {
      EXPECT_FALSE(Import(StripFile(w, h, c.bits, c.samples, c.photometric, c.compression, h, {four}, c.extra)).ok)
          << c.what << " " << w << "x" << h;
      EXPECT_FALSE(Import(StripFile(w, h, c.bits, c.samples, c.photometric, c.compression, h, {four}, c.extra), -1).ok)
          << c.what << " " << w << "x" << h << " drawn by the canvas";
    }
    // Past four million pixels with four bytes of data: read, the rest white.
    for (auto [w, h] : {std::pair<uint32_t, uint32_t>{2100, 2100}, {60000, 80}, {2000, 2000}}) {
      EXPECT_TRUE(Import(StripFile(w, h, c.bits, c.samples, c.photometric, c.compression, h, {four}, c.extra)).ok)
          << c.what << " " << w << "x" << h;
    }
  }
  // A fax page of 16000 rows of 8000 pixels, whole or cut short.
  std::string white((16000 + 7) / 8, '\xFF');  // V0 for every row: a row like the one above
  EXPECT_TRUE(Import(StripFile(8000, 16000, 1, 1, 0, 4, 16000, {white})).ok);
  EXPECT_TRUE(Import(StripFile(8000, 16000, 1, 1, 0, 4, 16000, {white.substr(0, 100)})).ok);

  // GIF: screens with a frame of one pixel.
  auto gif = [](uint16_t w, uint16_t h) {
    std::string g = "GIF89a";
    g += char(w & 0xFF), g += char(w >> 8), g += char(h & 0xFF), g += char(h >> 8);
    g += std::string("\x80\0\0" "\0\0\0\xFF\xFF\xFF" ",\0\0\0\0\x01\0\x01\0\0" "\x02\x02\x44\x01\0;", 24);
    return g;
  };
  EXPECT_FALSE(Import(gif(65535, 65535), 0).ok);
  EXPECT_TRUE(Import(gif(2100, 2100), 0).ok);
  EXPECT_TRUE(Import(gif(65535, 100), 0).ok);
  EXPECT_TRUE(Import(gif(2000, 2000), 0).ok);
}

// Tiles far larger than their page (65,500 columns on a page 13 wide: a grid beyond the largest
// bitmap) are not loaded on any path, whatever the compression; a small page in one tile of 256
// is, and so is a page of 10,000 x 10 in tiles of 1,024.
TEST(TIFFImport, TilesOutOfProportionAreNotLoaded) {
  auto tiled = [](uint32_t w, uint32_t h, uint32_t tw, uint32_t tl, uint32_t bits, uint32_t photometric,
                  uint32_t compression, const std::string& tile) {
    return TileFile(w, h, tw, tl, {tile}, bits, photometric, compression);
  };
  const std::string few("\xFE\x40\x80\0", 4);
  struct Case {
    const char* what;
    uint32_t bits, photometric, compression;
  } cases[] = {{"uncompressed", 8, 1, 1}, {"LZW", 8, 1, 5},  {"Deflate", 8, 1, 8},
               {"PackBits", 8, 1, 32773}, {"Group 4", 1, 0, 4}, {"palette without its map (decoded)", 8, 3, 32773}};
  for (const Case& c : cases) {
    const std::string wide = tiled(13, 9734, 65500, 9734, c.bits, c.photometric, c.compression, few);
    for (int options : {0, 1, -1}) EXPECT_FALSE(Import(wide, options).ok) << c.what << " options " << options;
    EXPECT_FALSE(Import(tiled(13, 9734, 65500, 16, c.bits, c.photometric, c.compression, few)).ok) << c.what;
  }
  const Imported small = Import(tiled(13, 13, 256, 256, 8, 1, 1, std::string(256 * 256, 'x')));
  ASSERT_TRUE(small.ok);
  EXPECT_EQ(small.image->Width, 13);
  EXPECT_EQ(small.image->Height, 13);
  // The page cuts its one tile as it cuts every tile: the tile's columns at their full width in
  // a form whose box is the page, its rows only down to the page's last (no more of them are
  // read).
  EXPECT_EQ(small.Text("Subtype"), "/Form");
  EXPECT_NE(small.Content().find("q 19692307692.307692308 0 0 1000000000 0 0 cm /TalvoPDFIm"), std::string::npos)
      << small.Content();
  // A wide page ten rows high in tiles of 1,024: the grid covers ten times the page. (The canvas
  // refuses the tile its few bytes cut short.)
  for (const Case& c : cases) {
    const std::string wide = tiled(10000, 10, 1024, 1024, c.bits, c.photometric, c.compression, few);
    for (int options : {0, 1}) {
      const Imported l = Import(wide, options);
      ASSERT_TRUE(l.ok) << c.what << " options " << options;
      EXPECT_EQ(l.image->Width, 10000);
      EXPECT_EQ(l.image->Height, 10);
    }
  }
}

// The file through the API, placed at (1, 1) on a page of its size, drawn by poppler.
testraster::Raster DrawThroughAPI(const std::string& file, int options, const testsupport::TempDir& dir) {
  TOrvanePDFLibrary0915 api;
  if (!imagetest::PlaceFile(api, file, options)) return {};
  const std::string pdf = dir.File("drawn.pdf");
  testpdf::WriteDocument(*api.CurrentDocument(), pdf);
  return testraster::RenderWithPopplerCairo(pdf, dir.File("page"));
}

// Every fixture through the API: the picture libtiff (or Pillow for JPEG pages) decodes,
// shifted one pixel on white. CMYK pages are drawn like the plain CMYK samples Pillow reads
// (the two decoders turn ink into colour differently).
TEST(TIFFImport, FixturesDrawLikeLibtiff) {
  REQUIRE_RASTER_TOOLS();
  REQUIRE_TOOL("pdftocairo");
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  int checked = 0;
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    const std::string expectedAll = set.Read(c.name + ".rgb");
    size_t offset = 0;
    for (int page = 1; page <= c.Int("pages"); ++page) {
      const testraster::Raster drawn = DrawThroughAPI(set.Path(c.Get("file")), page, dir);
      ASSERT_GT(drawn.Width, 0) << "page " << page;
      testraster::Raster expected;
      expected.Width = drawn.Width;
      expected.Height = drawn.Height;
      const size_t bytes = size_t(drawn.Width) * drawn.Height * 3;
      ASSERT_LE(offset + bytes, expectedAll.size());
      expected.RGB.assign(expectedAll.begin() + long(offset), expectedAll.begin() + long(offset + bytes));
      expected = testraster::ShiftedOnWhite(expected);
      offset += bytes;
      if (c.name.find("cmyk") != std::string::npos) {
        const std::string plain = dir.File("plain.tif");
        testsupport::WriteFile(plain, StripFile(uint32_t(drawn.Width), uint32_t(drawn.Height), 8, 4, 5, 1,
                                                uint32_t(drawn.Height), {set.Read(c.name + ".cmyk")}));
        expected = DrawThroughAPI(plain, 1, dir);
      }
      const int tolerance = c.Get("path") == "jpeg" ? 2 : 0;
      EXPECT_LE(testraster::MaxDifference(drawn, expected), tolerance) << "page " << page;
    }
    ++checked;
  }
  EXPECT_GT(checked, 150);
}

// CMYK JPEG files, with the Adobe segment (Pillow's, stored inverted) and without it (libtiff's
// strip, the inks as they are), are written so that poppler draws them like the plain CMYK
// samples of the same inks (see RasterRoad.CMYKJPEGFilesRenderLikeTheirInks for our drawing).
TEST(TIFFImport, CMYKJPEGFilesDrawLikeTheirInks) {
  REQUIRE_IMAGE_TOOLS();
  REQUIRE_TOOL("pdftocairo");
  const imagetest::ImageSet& set = imagetest::ImageSet::Get("jpeg");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  for (const char* name : {"cmyk", "cmyk_plain"}) {
    SCOPED_TRACE(name);
    const auto& c = set.Case(name);
    const std::string file = set.Path(c.Get("file")), plain = dir.File("plain.tif");
    testsupport::WriteFile(plain, StripFile(uint32_t(c.Int("width")), uint32_t(c.Int("height")), 8, 4, 5, 1,
                                            uint32_t(c.Int("height")), {set.Read(name + std::string(".cmyk"))}));
    const testraster::Raster expected = DrawThroughAPI(plain, 1, dir), drawn = DrawThroughAPI(file, 1, dir);
    ASSERT_GT(expected.Width, 0);
    EXPECT_LE(testraster::MaxDifference(drawn, expected), 2);
  }
}

// GIF files through the API: giftopnm's frames painted on white, shifted one pixel.
TEST(GIFImport, FixturesDrawLikeGiftopnm) {
  REQUIRE_RASTER_TOOLS();
  REQUIRE_TOOL("pdftocairo");
  const auto& set = RasterSet::Get("gif");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    const Imported l = Import(set.Read(c.Get("file")), 0);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.image->Kind, 2);
    EXPECT_EQ(l.Text("Filter"), "/FlateDecode");
    EXPECT_EQ(imagetest::ImageRGB(*l.Main()), set.Read(c.name + ".rgb"));
    TOrvanePDFLibrary0915 api;
    ASSERT_TRUE(imagetest::PlaceFile(api, set.Path(c.Get("file")), 0));
    const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
    ASSERT_EQ(w, c.Int("width"));
    const std::string pdf = dir.File(c.name + ".pdf");
    testpdf::WriteDocument(*api.CurrentDocument(), pdf);
    testraster::Raster expected;
    expected.Width = w;
    expected.Height = h;
    const std::string rgb = set.Read(c.name + ".rgb");
    expected.RGB.assign(rgb.begin(), rgb.end());
    EXPECT_EQ(testraster::MaxDifference(testraster::RenderWithPopplerCairo(pdf, dir.File("page")),
                                        testraster::ShiftedOnWhite(expected)),
              0);
  }
}

// The picture goes straight into the samples, or through a bitmap when the source copy (a BMP
// of it) is kept: giftopnm's pixels either way, in any compression setting.
TEST(GIFImport, SamplesAreGiftopnmsPixelsEitherWay) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("gif");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    for (const bool keep : {false, true}) {
      // 0 and 1 compress; any other setting stores the samples as they are.
      for (const int32_t compression : {0, 1, 2}) {
        SCOPED_TRACE(c.name + (keep ? " kept" : " not kept") + " compression " + std::to_string(compression));
        const Imported l = Import(set.Read(c.Get("file")), 0, keep, compression);
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.image->Kind, 2);
        EXPECT_EQ(l.image->Compression, compression);
        EXPECT_EQ(l.image->Width, c.Int("width"));
        EXPECT_EQ(l.image->Height, c.Int("height"));
        EXPECT_EQ(l.image->SourceData.substr(0, 2), keep ? "BM" : "");
        EXPECT_EQ(l.Text("ColorSpace"), "/DeviceRGB");
        EXPECT_EQ(l.Text("Filter"), compression == 2 ? "" : "/FlateDecode");
        // The samples wait for their deflate, or for their source to make them when needed.
        EXPECT_TRUE(l.Main()->PendingSource() != nullptr || (l.Main()->PendingDeflate() != nullptr) == (compression != 2));
        EXPECT_EQ(imagetest::ImageRGB(*l.Main()), set.Read(c.name + ".rgb"));
      }
    }
  }
}

TEST(GIFImport, NothingToShowIsNotLoaded) {
  EXPECT_FALSE(Import("GIF89a\0\0\0\0\0\0\0;").ok);
  EXPECT_FALSE(Import(std::string("GIF89a\x05\0\x05\0\0\0\0;", 14)).ok);
}

// Negative options draw page -options through the canvas's TIFF decoder into a 24-bit bitmap.
TEST(TIFFImport, NegativeOptionsDrawThePageThroughTheCanvas) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  const std::string all = set.Read("pages.rgb");
  const size_t first = 61 * 37 * 3;
  for (int page : {1, 2}) {
    SCOPED_TRACE(page);
    Imported l;
    l.image = std::make_unique<TPDFImage>(&l.store->store, "n");
    l.image->GDIPlusSettings = canvastest::SettingsFor(canvastest::ProviderPath());
    TMemoryStream s(set.Read("pages.tif"));
    ASSERT_TRUE(l.image->LoadFromStream(s, -page));
    EXPECT_EQ(l.image->Kind, 2);
    EXPECT_EQ(l.image->Compression, 0);
    EXPECT_EQ(l.image->Width, 61);
    EXPECT_EQ(l.Text("Filter"), "/FlateDecode");
    EXPECT_EQ(imagetest::ImageRGB(*l.Main()), all.substr(size_t(page - 1) * first, first));
  }
  // A page beyond the file, or the canvas without its provider, draws nothing.
  Imported beyond;
  beyond.image = std::make_unique<TPDFImage>(&beyond.store->store, "n");
  beyond.image->GDIPlusSettings = canvastest::SettingsFor(canvastest::ProviderPath());
  TMemoryStream s(set.Read("pages.tif"));
  EXPECT_FALSE(beyond.image->LoadFromStream(s, -4));
}
