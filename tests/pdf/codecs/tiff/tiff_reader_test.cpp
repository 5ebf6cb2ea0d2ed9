// The reader on hand-made files: tag rules, strip layouts and hostile structures.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <random>

#include "pdf/codecs/tiff/tiff_bits.h"
#include "pdf/codecs/tiff/tiff_page_rows.h"
#include "pdf/codecs/tiff/tiff_piece_feeds.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/core/filters/flate.h"
#include "platform/rtl/file_at.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/image_support/tiff_build.h"
#include "tests/support/allocation_watch.h"
#include "tests/support/limited_child.h"
#include "tests/support/test_support.h"

using tifftest::Builder;
using tifftest::Entry;

namespace {

TPDFTIFF Parse(const std::string& bytes, int32_t page = -1) {
  TPDFTIFF t;
  t.ParseDirectory(bytes, page);
  return t;
}

// A grey 8-bit page of w x h whose strips are given; rows per strip when rps is not 0.
std::vector<Entry> GreyPage(uint32_t w, uint32_t h, const std::vector<uint32_t>& offsets,
                            const std::vector<uint32_t>& counts, uint32_t rps = 0, uint32_t compression = 1) {
  std::vector<Entry> e = {Builder::Long(256, {w}),           Builder::Long(257, {h}),
                          Builder::Short(258, {8}),          Builder::Short(259, {compression}),
                          Builder::Short(262, {1}),          Builder::Long(273, offsets),
                          Builder::Short(277, {1})};
  if (rps) e.push_back(Builder::Long(278, {rps}));
  e.push_back(Builder::Long(279, counts));
  return e;
}

// The bytes of piece i as its decoder is handed them, every window of them.
std::string FedBytes(const TTIFFPieces& pieces, size_t i, bool reversed = false) {
  TTIFFPieceFeeds feeds(pieces, reversed);
  const std::unique_ptr<TByteFeed> feed = feeds.Feed(i);
  std::string all;
  for (std::string_view w = feed->Next(); !w.empty(); w = feed->Next()) all += w;
  return all;
}

// PackBits of the bytes: repeats of 3 to 128 alike, literals of up to 128 between them, and a
// no-op byte (128) now and then.
std::string PackBits(const std::string& data) {
  std::string out;
  for (size_t i = 0; i < data.size();) {
    size_t same = 1;
    while (i + same < data.size() && same < 128 && data[i + same] == data[i]) ++same;
    if (same >= 3) {
      out += char(257 - same);
      out += data[i];
      i += same;
      continue;
    }
    size_t n = 0;
    while (i + n < data.size() && n < 128 && !(i + n + 2 < data.size() && data[i + n] == data[i + n + 1] &&
                                               data[i + n] == data[i + n + 2]))
      ++n;
    if (n == 0) n = std::min<size_t>(data.size() - i, 128);
    out += char(n - 1);
    out += data.substr(i, n);
    if (i % 7 == 0) out += '\x80';
    i += n;
  }
  return out;
}

// The file at `path`, read where it lies (as files past 64 MB are).
TPDFTIFF LoadInPlace(const std::string& path) {
  TFileStream stream(FileNameToWide(path), fmOpenRead);
  TPDFTIFF t;
  t.LoadFromFile(TFileAt::Of(stream), stream.Size(), -1);
  return t;
}

Entry Rational(uint16_t tag, uint32_t num, uint32_t den, bool big) {
  Entry e;
  e.tag = tag;
  e.type = 5;
  auto put = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) e.bytes += char(v >> (big ? 8 * (3 - i) : 8 * i));
  };
  put(num);
  put(den);
  e.count = 1;
  return e;
}

}  // namespace

TEST(TIFFReader, HeaderChecks) {
  for (const char* bad : {"", "I", "II", "II*", "MM*\0\0\0\0\x08", "IM*\0\x08\0\0\0", "II+\0\x08\0\0\0"}) {
    const TPDFTIFF t = Parse(std::string(bad, strlen(bad) + (bad[0] == 'M' ? 6 : 0)));
    EXPECT_FALSE(t.Valid) << bad;
    EXPECT_EQ(t.PageCount, 0);
  }
  // A correct header without a directory is valid and holds no pages.
  const TPDFTIFF empty = Parse(std::string("II*\0\0\0\0\0", 8));
  EXPECT_TRUE(empty.Valid);
  EXPECT_EQ(empty.PageCount, 0);
  EXPECT_EQ(empty.IFDOffsetFields.size(), 1u);
}

// Three big-endian pages: all with -1, one record for an index beyond the chain.
TEST(TIFFReader, BigEndianPagesAndPageIndex) {
  Builder b(true);
  const uint32_t data = b.Data("abcdefghij");
  const uint32_t d3 = b.Directory(GreyPage(3, 1, {data}, {3}));
  const uint32_t d2 = b.Directory(GreyPage(2, 1, {data}, {2}), d3);
  const uint32_t d1 = b.Directory(GreyPage(1, 1, {data}, {1}), d2);
  b.SetFirst(d1);
  const TPDFTIFF all = Parse(b.bytes());
  ASSERT_TRUE(all.Valid);
  ASSERT_EQ(all.PageCount, 3);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(all.Pages[i].Width, i + 1);
    EXPECT_EQ(all.Pages[i].Strips.at(0), std::string("abc").substr(0, i + 1));
    EXPECT_TRUE(all.Pages[i].BigEndian);
  }
  EXPECT_EQ(all.IFDOffsetFields.size(), 4u);
  EXPECT_EQ(all.IFDOffsetFields[0], b.bytes().substr(4, 4));
  EXPECT_EQ(Parse(b.bytes(), 2).Pages.at(0).Width, 3u);
  const TPDFTIFF beyond = Parse(b.bytes(), 5);
  EXPECT_EQ(beyond.PageCount, 1);
  EXPECT_EQ(beyond.Pages.at(0).Width, 1u);
  TPDFTIFFPage copy;
  all.GetTag(2, copy);
  EXPECT_EQ(copy.Width, 2u);
  copy = TPDFTIFFPage{};
  all.GetTag(0, copy);
  all.GetTag(4, copy);
  EXPECT_EQ(copy.Width, 0u);
}

// Rows per strip: absent, 1 or 0 with one strip, 2^32 - 1 or beyond the height mean one strip
// of the whole image; 1 with many strips is a page of one-row strips.
TEST(TIFFReader, RowsPerStrip) {
  struct Case {
    uint32_t rps;
    size_t strips;
    uint32_t expected;
  };
  for (const Case c : {Case{0, 1, 5}, Case{1, 1, 5}, Case{4294967295u, 1, 5}, Case{9, 1, 5}, Case{1, 5, 1},
                       Case{2, 3, 2}, Case{5, 1, 5}}) {
    Builder b;
    const uint32_t data = b.Data(std::string(10, 'x'));
    std::vector<uint32_t> offs(c.strips, data), counts(c.strips, 2);
    b.SetFirst(b.Directory(GreyPage(2, 5, offs, counts, c.rps)));
    const TPDFTIFF t = Parse(b.bytes());
    ASSERT_EQ(t.PageCount, 1);
    EXPECT_EQ(t.Pages[0].RowsPerStrip, c.expected) << c.rps << " " << c.strips;
    EXPECT_EQ(t.Pages[0].Strips.size(), c.strips);
  }
}

// A multi-strip page with one row per strip decodes every strip into its own row.
TEST(TIFFReader, OneRowStripsDecodeRowByRow) {
  Builder b;
  std::vector<uint32_t> offs, counts;
  for (int r = 0; r < 4; ++r) {
    offs.push_back(b.Data(std::string(3, char('0' + r))));
    counts.push_back(3);
  }
  b.SetFirst(b.Directory(GreyPage(3, 4, offs, counts, 1)));
  TPDFTIFF t = Parse(b.bytes());
  ASSERT_TRUE(t.DecodePage(1));
  ASSERT_EQ(t.Bitmap->PixelFormat(), pf8bit);
  for (int r = 0; r < 4; ++r) EXPECT_EQ(t.Bitmap->ScanLine(r)[2], '0' + r);
}

// Files beyond 64 MiB are read from the stream. When their pieces cover less than half of
// them, the pieces' bytes are read again after the directories (in file order, through a
// window, whatever order the directory names them in); else the copy the directories were read
// from is held. Either way the pieces come out as when cut from the file in memory: clipped to
// the file, empty past it, and the bytes held are those the pieces cover (or the file).
TEST(TIFFReader, StripsOfLargeFilesAreReadAfterTheDirectories) {
  for (const bool mostlyPieces : {false, true}) {
    SCOPED_TRACE(mostlyPieces ? "pieces cover most of the file" : "pieces cover a third of it");
    Builder b;
    std::vector<uint32_t> offs, counts;
    std::mt19937 rng(5);
    // Strips of 64 KB, then one of 2 MiB (larger than the read window), listed backwards; with
    // more than 64 MiB of unused bytes, or more than 64 MiB of strips.
    const int strips = mostlyPieces ? 1100 : 300;
    if (!mostlyPieces) b.Data(std::string(size_t(66) << 20, 'u'));
    for (int i = 0; i <= strips; ++i) {
      std::string strip(i == strips ? size_t(2) << 20 : size_t(64) << 10, '\0');
      for (char& c : strip) c = char(rng());
      offs.insert(offs.begin(), b.Data(strip));
      counts.insert(counts.begin(), uint32_t(strip.size()));
    }
    // A strip past the end of the file and one that runs over it.
    offs.push_back(0x7FFFFFF0u);
    counts.push_back(10);
    b.SetFirst(b.Directory(GreyPage(65536, uint32_t(strips) + 3, offs, counts, 1)));
    std::string bytes = b.bytes();
    // The last strip runs over the end of the file, cut where the directory ends.
    ASSERT_GT(bytes.size(), size_t(64) << 20);
    const TPDFTIFF inMemory = Parse(bytes);
    TMemoryStream stream(bytes);
    TPDFTIFF fromStream;
    fromStream.LoadFromStream(stream, -1);
    ASSERT_EQ(inMemory.Pages.size(), 1u);
    ASSERT_EQ(fromStream.Pages.size(), 1u);
    const auto& a = inMemory.Pages[0].Strips;
    const auto& c = fromStream.Pages[0].Strips;
    ASSERT_EQ(a.size(), c.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(a[i] == c[i]) << "strip " << i;
    EXPECT_EQ(c[0].size(), size_t(2) << 20);
    EXPECT_TRUE(c[c.size() - 1].empty());
    EXPECT_EQ(c.HeldBytes(), mostlyPieces ? int64_t(bytes.size()) : a.HeldBytes());
    EXPECT_LT(a.HeldBytes(), int64_t(bytes.size()));
    EXPECT_EQ(stream.Position(), stream.Size());
    // Read from a file, the pieces stay in it: nothing is held, and their bytes come as their
    // rows need them (the strip of 2 MiB in windows), the same bytes, their bit order reversed
    // on request; read in, they are the same views again.
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("large.tif"), bytes);
    TFileStream file(FileNameToWide(dir.File("large.tif")), fmOpenRead);
    TPDFTIFF inPlace;
    inPlace.LoadFromStream(file, -1);
    ASSERT_EQ(inPlace.Pages.size(), 1u);
    TTIFFPieces& f = inPlace.Pages[0].Strips;
    EXPECT_TRUE(f.InFile());
    EXPECT_EQ(f.HeldBytes(), 0);
    EXPECT_EQ(file.Position(), file.Size());
    ASSERT_EQ(f.size(), a.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(FedBytes(f, i) == a[i]) << "strip " << i;
    std::string reversed(a[0]);
    ReverseBitOrder(reversed);
    EXPECT_TRUE(FedBytes(f, 0, true) == reversed);
    f.ReadIn();
    EXPECT_FALSE(f.InFile());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(f[i] == a[i]) << "strip " << i;
  }
}

// Pages whose pieces are read from the file as their rows need them decode as from memory:
// stored, PackBits and Deflate strips larger than the file's windows (4.2 MB), strips of 7
// rows, tiles (bands of them wider than a chunk of the band held), both fill orders.
TEST(TIFFReader, PagesReadFromTheFileDecodeAsFromMemory) {
  constexpr uint32_t kW = 4200, kH = 1000;
  std::mt19937 rng(9);
  std::string picture(size_t(kW) * kH, '\0');
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = char(i / 3000 % 2 ? rng() : (i / kW) & 0xF0);
  testsupport::TempDir dir;
  for (const uint32_t compression : {1u, 8u, 32773u}) {
    for (const uint32_t rows : {kH, 7u, 0u}) {  // 0: tiles of 256
      for (const uint32_t fill : {1u, 2u}) {
        SCOPED_TRACE(std::to_string(compression) + " rows " + std::to_string(rows) + " fill " + std::to_string(fill));
        std::vector<std::string> pieces;
        const uint32_t tile = 256, across = (kW + tile - 1) / tile;
        if (rows) {
          for (uint32_t y = 0; y < kH; y += rows) pieces.push_back(picture.substr(size_t(y) * kW, size_t(rows) * kW));
        } else {
          for (uint32_t ty = 0; ty < kH; ty += tile)
            for (uint32_t tx = 0; tx < across * tile; tx += tile) {
              std::string t(size_t(tile) * tile, '\0');
              for (uint32_t r = 0; r < tile && ty + r < kH; ++r)
                for (uint32_t c = 0; c < tile && tx + c < kW; ++c) t[r * tile + c] = picture[(ty + r) * size_t(kW) + tx + c];
              pieces.push_back(t);
            }
        }
        Builder b;
        std::vector<uint32_t> offs, counts;
        for (std::string& piece : pieces) {
          if (compression == 8) piece = FlateCompressString(piece);
          if (compression == 32773) piece = PackBits(piece);
          // The fill order is the order of the bits as stored: of the coded bytes.
          if (fill == 2) ReverseBitOrder(piece);
          offs.push_back(b.Data(piece));
          counts.push_back(uint32_t(piece.size()));
        }
        std::vector<Entry> e = {Builder::Long(256, {kW}), Builder::Long(257, {kH}), Builder::Short(258, {8}),
                                Builder::Short(259, {compression}), Builder::Short(262, {1}),
                                Builder::Short(266, {fill})};
        if (rows) {
          e.insert(e.end(), {Builder::Long(273, offs), Builder::Short(277, {1}), Builder::Long(278, {rows}),
                             Builder::Long(279, counts)});
        } else {
          e.insert(e.end(), {Builder::Short(277, {1}), Builder::Long(322, {tile}), Builder::Long(323, {tile}),
                             Builder::Long(324, offs), Builder::Long(325, counts)});
        }
        b.SetFirst(b.Directory(e));
        testsupport::WriteFile(dir.File("page.tif"), b.bytes());
        TPDFTIFF inPlace = LoadInPlace(dir.File("page.tif"));
        ASSERT_EQ(inPlace.PageCount, 1);
        ASSERT_TRUE(inPlace.Pages[0].Strips.InFile());
        ASSERT_TRUE(inPlace.DecodePage(1));
        std::string grey;
        for (uint32_t y = 0; y < kH; ++y) grey.append(reinterpret_cast<const char*>(inPlace.Bitmap->ScanLine(int(y))), kW);
        EXPECT_EQ(tifftest::FirstDifference(grey, picture, int(kW) / 3), "");
      }
    }
  }
}

// Resolution: inches as written, centimetres converted; T4Options; the JPEG tables.
TEST(TIFFReader, ResolutionT4OptionsAndJPEGTables) {
  for (bool big : {false, true}) {
    Builder b(big);
    const uint32_t data = b.Data("\xFF\xD8" "STRIP");
    std::vector<Entry> e = {Builder::Long(256, {4}), Builder::Long(257, {4}), Builder::Short(259, {7}),
                            Builder::Short(262, {2}), Builder::Long(273, {data}), Builder::Short(277, {3}),
                            Builder::Long(279, {7}), Rational(282, 11811, 100, big), Rational(283, 300, 1, big),
                            Builder::Short(296, {3}),
                            Builder::Undefined(347, "\xFF\xD8TABLES\xFF\xD9")};
    b.SetFirst(b.Directory(e));
    const TPDFTIFF t = Parse(b.bytes());
    ASSERT_EQ(t.PageCount, 1);
    const TPDFTIFFPage& p = t.Pages[0];
    EXPECT_EQ(p.ResolutionX, 300u);
    EXPECT_EQ(p.ResolutionY, 762u);
    EXPECT_EQ(p.BitsPerSample, 1u);  // absent: the standard's one bit
    ASSERT_EQ(p.Strips.size(), 1u);
    std::string joined;
    EXPECT_EQ(p.PieceData(0, joined),
              std::string("\xFF\xD8TABLES\xFF\xEE\x00\x0E" "Adobe\x00\x64\x80\x00\x00\x00\x00STRIP", 29));
  }
  Builder b;
  const uint32_t data = b.Data("fax");
  b.SetFirst(b.Directory({Builder::Long(256, {8}), Builder::Long(257, {1}), Builder::Short(259, {3}),
                          Builder::Long(273, {data}), Builder::Long(279, {3}), Builder::Long(292, {5})}));
  const TPDFTIFF g3 = Parse(b.bytes());
  EXPECT_EQ(g3.Pages.at(0).Compression, kTIFFGroup3TwoD);
  EXPECT_TRUE(g3.Pages[0].T4ByteAligned);
  EXPECT_EQ(g3.Pages[0].BitsPerSample, 1u);
  EXPECT_EQ(g3.Pages[0].ResolutionX, 0u);
}

// JPEG variants the PDF side cannot honour are marked, and the rest of the file still read.
TEST(TIFFReader, UnsupportedJPEGVariants) {
  auto flagged = [](const Entry& extra) {
    Builder b;
    const uint32_t data = b.Data("x");
    std::vector<Entry> e = {Builder::Long(256, {1}), Builder::Long(257, {1}), Builder::Short(259, {7}),
                            Builder::Long(273, {data}), Builder::Long(279, {1}), extra};
    std::sort(e.begin(), e.end(), [](const Entry& a, const Entry& c) { return a.tag < c.tag; });
    b.SetFirst(b.Directory(e));
    const TPDFTIFF t = Parse(b.bytes());
    EXPECT_TRUE(t.Valid);
    EXPECT_EQ(t.PageCount, 1);
    return t.Unsupported;
  };
  EXPECT_TRUE(flagged(Builder::Undefined(347, "ab")));
  EXPECT_TRUE(flagged(Builder::Long(519, {0})));
  EXPECT_TRUE(flagged(Builder::Long(521, {0})));
  EXPECT_TRUE(flagged(Builder::Short(530, {4, 2})));
  EXPECT_TRUE(flagged(Builder::Short(530, {2})));
  EXPECT_FALSE(flagged(Builder::Short(530, {2, 1})));
  EXPECT_FALSE(flagged(Builder::Undefined(347, "abc")));
}

// Strip tags on a tiled page, or tile tags after strip tags, make the file unusable.
TEST(TIFFReader, StripAndTileTagsConflict) {
  Builder b;
  const uint32_t data = b.Data("x");
  b.SetFirst(b.Directory({Builder::Long(256, {1}), Builder::Long(273, {data}), Builder::Long(324, {data})}));
  EXPECT_FALSE(Parse(b.bytes()).Valid);
  Builder c;
  c.SetFirst(c.Directory({Builder::Long(256, {1}), Builder::Long(278, {1}), Builder::Long(324, {8}),
                          Builder::Long(325, {1})}));
  const TPDFTIFF tiles = Parse(c.bytes());
  EXPECT_TRUE(tiles.Valid);
  EXPECT_TRUE(tiles.Pages.at(0).Tiled);
  Builder d;
  const uint32_t next = d.Directory(GreyPage(1, 1, {8}, {1}));
  // The second page of the chain clears Valid; its successor is not read.
  std::vector<Entry> bad = {Builder::Long(256, {1}), Builder::Long(324, {8}), Builder::Long(325, {1}),
                            Builder::Long(278, {1})};
  d.SetFirst(d.Directory(GreyPage(1, 1, {8}, {1}), d.Directory(bad, next)));
  const TPDFTIFF chain = Parse(d.bytes());
  EXPECT_FALSE(chain.Valid);
  EXPECT_EQ(chain.PageCount, 2);
}

// A tile size makes a page tiled, as libtiff reads it, also where the tiles' offsets and byte
// counts stand under the strip tags (libtiff's quad-tile.tif): its pieces are tiles left to
// right, row by row, whatever rows per strip say. A tile size that names no tile (a width
// without a length) is refused, never drawn as strips.
TEST(TIFFReader, ATileSizeMakesStripTagsTiles) {
  for (const bool rowsPerStrip : {false, true}) {
    Builder b;
    const uint32_t t0 = b.Data("abcd"), t1 = b.Data("efgh");
    std::vector<Entry> e = GreyPage(4, 2, {t0, t1}, {4, 4}, rowsPerStrip ? 1 : 0);
    e.push_back(Builder::Long(322, {2}));
    e.push_back(Builder::Long(323, {2}));
    b.SetFirst(b.Directory(e));
    TPDFTIFF t = Parse(b.bytes());
    ASSERT_TRUE(t.Valid);
    ASSERT_EQ(t.PageCount, 1);
    EXPECT_TRUE(t.Pages[0].Tiled);
    ASSERT_TRUE(t.DecodePage(1));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.Bitmap->ScanLine(0)), 4), "abef");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.Bitmap->ScanLine(1)), 4), "cdgh");
  }
  Builder b;
  const uint32_t t0 = b.Data("abcd"), t1 = b.Data("efgh");
  std::vector<Entry> e = GreyPage(4, 2, {t0, t1}, {4, 4}, 1);
  e.push_back(Builder::Long(322, {2}));
  b.SetFirst(b.Directory(e));
  TPDFTIFF t = Parse(b.bytes());
  EXPECT_TRUE(t.Pages.at(0).Tiled);
  EXPECT_FALSE(t.DecodePage(1));
}

// Chains that loop or leave the file end; the number of pages is capped.
TEST(TIFFReader, HostileChains) {
  Builder self;
  const uint32_t at = self.Directory(GreyPage(1, 1, {8}, {1}));
  self.Patch(at + 2 + 12 * 8, at);  // next -> itself
  self.SetFirst(at);
  EXPECT_EQ(Parse(self.bytes()).PageCount, 1);

  Builder two;
  const uint32_t a = two.Directory(GreyPage(1, 1, {8}, {1}));
  const uint32_t bdir = two.Directory(GreyPage(2, 1, {8}, {1}), a);
  two.Patch(a + 2 + 12 * 8, bdir);  // a -> b -> a
  two.SetFirst(a);
  EXPECT_EQ(Parse(two.bytes()).PageCount, 2);
  EXPECT_EQ(Parse(two.bytes(), 7).Pages.at(0).Width, 1u);

  Builder past;
  past.SetFirst(past.Directory(GreyPage(1, 1, {8}, {1}), 0x7FFFFFF0));
  EXPECT_EQ(Parse(past.bytes()).PageCount, 1);
  Builder first;
  first.SetFirst(0xFFFFFFFF);
  EXPECT_EQ(Parse(first.bytes()).PageCount, 0);

  // A directory whose entries run past the end keeps the ones inside.
  Builder cut;
  const uint32_t d = cut.Directory(GreyPage(5, 1, {8}, {1}));
  cut.SetFirst(d);
  const TPDFTIFF t = Parse(cut.bytes().substr(0, d + 2 + 12 * 2));
  ASSERT_EQ(t.PageCount, 1);
  EXPECT_EQ(t.Pages[0].Width, 5u);
  EXPECT_EQ(t.Pages[0].Height, 1u);
  EXPECT_TRUE(t.Pages[0].Strips.empty());

  // 70,000 chained one-entry directories: the walk stops at the cap; only the directories
  // within it are parsed and kept.
  std::string bytes("II*\0\x08\0\0\0", 8);
  for (uint32_t i = 0; i < 70000; ++i) {
    const uint32_t next = 8 + 18 * (i + 1);
    bytes += std::string("\x01\x00\x00\x01\x03\x00\x01\x00\x00\x00\x01\x00\x00\x00", 14);
    for (int k = 0; k < 4; ++k) bytes += char(next >> (8 * k));
  }
  const TPDFTIFF many = Parse(bytes);
  EXPECT_EQ(many.PageCount, TPDFTIFF::MaxPages);
  EXPECT_EQ(many.Pages.size(), size_t(TPDFTIFF::MaxPages));
  // The first-directory field and each parsed directory's next field.
  EXPECT_EQ(many.IFDOffsetFields.size(), size_t(TPDFTIFF::MaxPages) + 1);
  EXPECT_EQ(many.Pages.back().Width, 1u);
}

// Counts and offsets from the file are checked against the data in 64 bits.
TEST(TIFFReader, HostileCountsAndOffsets) {
  // Millions of strip offsets claimed, values outside the file: no strips, no huge allocation.
  Builder b;
  Entry offsets = Builder::Long(273, {});
  offsets.raw = true;
  offsets.count = 0x10000000;
  offsets.offset = 8;
  Entry counts = Builder::Long(279, {});
  counts.raw = true;
  counts.count = 0xFFFFFFFF;
  counts.offset = 0xFFFFFFF0;
  b.SetFirst(b.Directory({Builder::Long(256, {4}), Builder::Long(257, {4}), Builder::Short(258, {8}),
                          Builder::Short(262, {1}), offsets, counts}));
  TPDFTIFF t = Parse(b.bytes());
  ASSERT_EQ(t.PageCount, 1);
  EXPECT_TRUE(t.Pages[0].Strips.empty());
  // With no strips at all the page decodes as missing data: bytes 255.
  ASSERT_TRUE(t.DecodePage(1));
  EXPECT_EQ(t.Bitmap->ScanLine(3)[3], 255);

  // Pieces are views into the file's bytes, held once: strips at one place, strips that follow
  // one another, strips overlapping them, one of no bytes. The bytes held are those the pieces
  // cover, and the page says its pieces share bytes (an image each would copy them again).
  {
    Builder o;
    const uint32_t at = o.Data("0123456789abcdefghij");
    const std::vector<uint32_t> offs = {at, at, at, at + 4, at + 8, at + 2, at + 12, 0};
    const std::vector<uint32_t> counts = {4, 4, 4, 4, 4, 6, 8, 0};
    o.SetFirst(o.Directory(GreyPage(4, 8, offs, counts, 1)));
    const std::string bytes = o.bytes();
    const TPDFTIFF shared = Parse(bytes);
    const TTIFFPieces& pieces = shared.Pages.at(0).Strips;
    ASSERT_EQ(pieces.size(), offs.size());
    for (size_t i = 0; i < offs.size(); ++i) EXPECT_EQ(pieces[i], bytes.substr(offs[i], counts[i])) << i;
    EXPECT_EQ(pieces.HeldBytes(), 20);
    EXPECT_EQ(pieces.ViewedBytes(), 34u);
    EXPECT_TRUE(pieces.Overlapping());
    EXPECT_THROW(pieces.at(offs.size()), std::out_of_range);
  }

  // A strip that starts past the end is empty, one that runs past it is cut.
  Builder s;
  const uint32_t data = s.Data("ABCD");
  s.SetFirst(s.Directory(GreyPage(4, 3, {0x7FFFFFFF, data, data + 2}, {4, 4, 1000}, 1)));
  TPDFTIFF cut = Parse(s.bytes());
  ASSERT_EQ(cut.Pages.at(0).Strips.size(), 3u);
  EXPECT_EQ(cut.Pages[0].Strips[0], "");
  EXPECT_EQ(cut.Pages[0].Strips[1], "ABCD");
  EXPECT_EQ(cut.Pages[0].Strips[2].substr(0, 2), "CD");
  ASSERT_TRUE(cut.DecodePage(1));
  EXPECT_EQ(cut.Bitmap->ScanLine(0)[0], 255);  // missing
  EXPECT_EQ(cut.Bitmap->ScanLine(1)[0], 'A');

  // A few bytes on a page of 2^27 pixels: the page is as large as a bitmap may be, and what its
  // data do not reach is missing (255).
  for (uint32_t compression : {1u, 5u, 8u, 32773u}) {
    Builder big;
    const uint32_t d = big.Data("xxxx");
    big.SetFirst(big.Directory(GreyPage(1u << 14, 1u << 13, {d}, {4}, 0, compression)));
    TPDFTIFF p = Parse(big.bytes());
    ASSERT_TRUE(p.DecodePage(1)) << compression;
    ASSERT_EQ(p.Bitmap->Width(), 1 << 14);
    EXPECT_EQ(p.Bitmap->ScanLine((1 << 13) - 1)[(1 << 14) - 1], 255) << compression;
    EXPECT_EQ(p.Bitmap->ScanLine(1)[0], 255) << compression;
    if (compression == 1) { EXPECT_EQ(p.Bitmap->ScanLine(0)[3], 'x'); }
  }

  // Zero-sized and oversized pages are not decoded.
  for (auto [w, h] : {std::pair<uint32_t, uint32_t>{0, 5}, {5, 0}, {1u << 20, 1u << 20}, {0xFFFFFFFF, 0xFFFFFFFF}}) {
    Builder z;
    z.SetFirst(z.Directory(GreyPage(w, h, {8}, {1})));
    TPDFTIFF p = Parse(z.bytes());
    EXPECT_FALSE(p.DecodePage(1)) << w << "x" << h;
    EXPECT_EQ(p.Bitmap->Width(), 0);
  }
  // Absurd tiles: zero-sized, or more than the decoder takes on.
  for (auto [tw, tl] : {std::pair<uint32_t, uint32_t>{0, 0}, {1, 1}}) {
    Builder z;
    z.SetFirst(z.Directory({Builder::Long(256, {60000}), Builder::Long(257, {4000}), Builder::Short(258, {8}),
                            Builder::Short(262, {1}), Builder::Long(322, {tw}), Builder::Long(323, {tl}),
                            Builder::Long(324, {8, 8}), Builder::Long(325, {1, 1})}));
    TPDFTIFF p = Parse(z.bytes());
    ASSERT_EQ(p.PageCount, 1);
    EXPECT_FALSE(p.DecodePage(1));
  }
}

namespace {

// A grey page of w x h in tiles of tw x tl, every tile the given data (compression as tag 259).
std::string TiledGreyFile(uint32_t w, uint32_t h, uint32_t tw, uint32_t tl, const std::string& tile,
                          uint32_t compression = 1) {
  Builder b;
  const uint32_t at = b.Data(tile);
  const uint64_t tiles = ((uint64_t(w) + tw - 1) / tw) * ((uint64_t(h) + tl - 1) / tl);
  b.SetFirst(b.Directory({Builder::Long(256, {w}), Builder::Long(257, {h}), Builder::Short(258, {8}),
                          Builder::Short(259, {compression}), Builder::Short(262, {1}), Builder::Long(322, {tw}),
                          Builder::Long(323, {tl}), Builder::Long(324, std::vector<uint32_t>(tiles, at)),
                          Builder::Long(325, std::vector<uint32_t>(tiles, uint32_t(tile.size())))}));
  return b.bytes();
}

}  // namespace

// Tiles reach past the page; they are read as far as the page shows them, so a grid no larger
// than the largest bitmap decodes (a small page in one large tile, in tiles of 16, a wide page
// in tiles far taller than it), while a grid beyond it (tiles 65,500 columns wide on a page of
// 13, or one too many to count in 64 bits) is refused before anything is decoded.
TEST(TIFFReader, TilesOutOfProportionToThePage) {
  std::string ramp(256 * 256, '\0');
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = char(i % 256 + i / 256);
  const std::string packed("\xFE\x40\x80", 3);  // PackBits: three bytes 0x40, then a no-op
  struct Case {
    const char* what;
    uint32_t w, h, tw, tl;
    std::string tile;
    uint32_t compression;
    bool decodes;
  } cases[] = {
      {"13 x 13 in one tile of 256", 13, 13, 256, 256, ramp, 1, true},
      {"300 x 200 in tiles of 16", 300, 200, 16, 16, ramp.substr(0, 256), 1, true},
      {"1000 x 1 in a tile of 1024 x 4096", 1000, 1, 1024, 4096, ramp, 1, true},
      {"13 x 9734 in a tile of 65500 columns", 13, 9734, 65500, 9734, packed, 32773, false},
      {"13 x 9734 in a tile of 65500 x 16", 13, 9734, 65500, 16, packed, 32773, false},
      {"4000 x 4000 in a tile of 16 x 60000", 4000, 4000, 16, 60000, ramp, 1, true},
      {"10000 x 10 in tiles of 1024", 10000, 10, 1024, 1024, ramp, 1, true},
      {"16 x 16 in a tile of 16 x 2^24", 16, 16, 16, 1u << 24, ramp, 1, true},
      {"16 x 16 in a tile of 16 x 2^24 + 16", 16, 16, 16, (1u << 24) + 16, ramp, 1, false},
      {"4294967295 square in tiles of 2^31", 4294967295u, 4294967295u, 1u << 31, 1u << 31, ramp, 1, false},
  };
  for (const Case& c : cases) {
    TPDFTIFF t = Parse(TiledGreyFile(c.w, c.h, c.tw, c.tl, c.tile, c.compression));
    ASSERT_EQ(t.PageCount, 1) << c.what;
    EXPECT_EQ(t.Pages[0].PiecesWithinBitmapLimit(), c.decodes) << c.what;
    ASSERT_EQ(t.DecodePage(1), c.decodes) << c.what;
    if (!c.decodes) continue;
    // Pixel (x, y) of the page is pixel (x mod tw, y mod tl) of its tile; beyond the tile's
    // data it is missing (255).
    for (uint32_t y = 0; y < c.h; y += 7)
      for (uint32_t x = 0; x < c.w; x += 5) {
        const uint64_t i = uint64_t(y % c.tl) * c.tw + x % c.tw;
        const uint8_t expected = i < c.tile.size() ? uint8_t(c.tile[i]) : 255;
        ASSERT_EQ(t.Bitmap->ScanLine(int(y))[x], expected) << c.what << " at " << x << "," << y;
      }
  }
}

// Missing data read as white without being made up in memory: a page of four million pixels
// of 32 samples of 32 bits claims 512 MiB of samples in one strip, but four bytes of data
// decode to a bitmap of 4 MiB and little more, well within a ceiling of 1 GiB.
TEST(TIFFReader, MissingDataIsNotMadeUpInMemory) {
  for (uint32_t compression : {1u, 5u, 8u, 32773u}) {
    Builder b;
    const uint32_t at = b.Data(std::string("\x01\x02\x03\x04", 4));
    b.SetFirst(b.Directory({Builder::Long(256, {2048}), Builder::Long(257, {2048}),
                            Builder::Short(258, std::vector<uint32_t>(32, 32)), Builder::Short(259, {compression}),
                            Builder::Short(262, {1}), Builder::Long(273, {at}), Builder::Short(277, {32}),
                            Builder::Long(278, {2048}), Builder::Long(279, {4})}));
    const std::string file = b.bytes();
    const testsupport::ChildEnd end = testsupport::RunLimited([&] {
      TPDFTIFF t = Parse(file);
      return t.DecodePage(1) && t.Bitmap->ScanLine(2047)[2047] == 255 ? 0 : 1;
    });
    EXPECT_TRUE(end.Normal()) << compression << ": " << Describe(end);
  }
  // A tile whose rows are 1 GiB of samples on a page 16 pixels wide: only the page's columns of
  // each row are kept, whatever the row claims.
  for (uint32_t compression : {1u, 5u, 8u, 32773u}) {
    Builder b;
    const uint32_t at = b.Data(std::string("\x01\x02\x03\x04", 4));
    b.SetFirst(b.Directory({Builder::Long(256, {16}), Builder::Long(257, {1}),
                            Builder::Short(258, std::vector<uint32_t>(32, 32)), Builder::Short(259, {compression}),
                            Builder::Short(262, {1}), Builder::Short(277, {32}), Builder::Long(322, {1u << 23}),
                            Builder::Long(323, {1}), Builder::Long(324, {at}), Builder::Long(325, {4})}));
    const std::string file = b.bytes();
    const testsupport::ChildEnd end = testsupport::RunLimited([&] {
      TPDFTIFF t = Parse(file);
      return t.DecodePage(1) && t.Bitmap->Width() == 16 && t.Bitmap->ScanLine(0)[15] == 255 ? 0 : 1;
    });
    EXPECT_TRUE(end.Normal()) << compression << " (tiles): " << Describe(end);
  }
  // Tiles as tall as a page of 4,000 x 16,000 whose data end after three rows (stored, PackBits)
  // or are missing, read a row at a time as the import reads large pages: the band of tiles
  // holds the rows their data reach, not the page again (64 MB).
  for (const auto& [tile, compression] : {std::pair<std::string, uint32_t>{std::string(48, 'x'), 1},
                                          {std::string("\xD1x", 2), 32773}, {std::string(), 1}}) {
    TPDFTIFF t = Parse(TiledGreyFile(4000, 16000, 16, 16000, tile, compression));
    ASSERT_EQ(t.PageCount, 1);
    TTIFFPageRows rows(t.Pages[0]);
    ASSERT_TRUE(rows.Open());
    std::optional<testsupport::AllocationWatch> watch;
    if (testsupport::AllocationsWatchable()) watch.emplace();
    for (uint32_t y = 0; y < 16000; ++y) {
      const uint8_t* line = rows.Next();
      const uint8_t expected = y < 3 && !tile.empty() ? 'x' : 255;
      if (y < 4 || y % 997 == 0) {
        ASSERT_TRUE(line[0] == expected && line[3999] == expected) << compression << " row " << y;
      }
    }
    if (watch) {
      EXPECT_LT(watch->Largest(), size_t(1) << 20) << compression << " " << tile.size();
    }
  }
  // Missing rows under a horizontal predictor: bytes 255 differenced, 255 - x for every row.
  Builder pred;
  const uint32_t row = pred.Data(std::string(300, '\x01'));
  std::vector<Entry> e = GreyPage(300, 4, {row}, {300}, 4);
  e.push_back(Builder::Short(317, {2}));
  pred.SetFirst(pred.Directory(e));
  TPDFTIFF p = Parse(pred.bytes());
  ASSERT_TRUE(p.DecodePage(1));
  for (int y = 1; y < 4; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(p.Bitmap->ScanLine(y)[x], uint8_t(255 - x)) << x << "," << y;
  EXPECT_EQ(p.Bitmap->ScanLine(0)[299], 300 % 256);
  // A tile far taller than its page decodes only the page's rows.
  TPDFTIFF tall = Parse(TiledGreyFile(1000, 1, 1024, 4096, std::string(1024 * 4096, 'x')));
  ASSERT_TRUE(tall.DecodePage(1));
  EXPECT_EQ(tall.Bitmap->ScanLine(0)[999], 'x');
  // Twins: tiles missing or cut short, and the same tiles holding bytes 255 where the data end,
  // are one picture in every format, under a predictor or not, in the last column's narrower
  // width too.
  struct Format {
    uint32_t bits, samples, photometric, predictor;
  };
  const Format formats[] = {{1, 1, 0, 1}, {8, 1, 1, 1}, {8, 1, 1, 2}, {8, 3, 2, 2}, {8, 1, 3, 1}, {4, 1, 3, 1}};
  std::mt19937 rng(48);
  for (const Format& f : formats) {
    const uint32_t w = 40, h = 20, tile = 16, rowBytes = tile * f.bits * f.samples / 8;
    std::vector<std::string> data, full;
    for (int i = 0; i < 6; ++i) {
      std::string t(size_t(rowBytes) * tile, '\0');
      for (char& c : t) c = char(rng());
      const size_t kept = i % 3 == 1 ? 0 : i % 3 == 2 ? rowBytes * 5 + 3 : t.size();
      data.push_back(t.substr(0, kept));
      full.push_back(t.substr(0, kept) + std::string(t.size() - kept, '\xFF'));
    }
    auto file = [&](const std::vector<std::string>& tiles) {
      Builder b;
      std::vector<uint32_t> offsets, counts;
      for (const std::string& t : tiles) {
        offsets.push_back(b.Data(t));
        counts.push_back(uint32_t(t.size()));
      }
      std::vector<Entry> e = {Builder::Long(256, {w}), Builder::Long(257, {h}),
                              Builder::Short(258, std::vector<uint32_t>(f.samples, f.bits)), Builder::Short(259, {1}),
                              Builder::Short(262, {f.photometric}), Builder::Short(277, {f.samples}),
                              Builder::Long(322, {tile}), Builder::Long(323, {tile}), Builder::Long(324, offsets),
                              Builder::Long(325, counts), Builder::Short(317, {f.predictor})};
      if (f.photometric == 3) e.push_back(Builder::Short(320, std::vector<uint32_t>(3u << f.bits, 0x1234)));
      b.SetFirst(b.Directory(e));
      return b.bytes();
    };
    TPDFTIFF missing = Parse(file(data)), twin = Parse(file(full));
    ASSERT_TRUE(missing.DecodePage(1)) << f.bits << "/" << f.photometric;
    ASSERT_TRUE(twin.DecodePage(1));
    for (uint32_t y = 0; y < h; ++y)
      ASSERT_EQ(0, std::memcmp(missing.Bitmap->ScanLine(int(y)), twin.Bitmap->ScanLine(int(y)),
                               size_t((w * PixelFormatBits(twin.Bitmap->PixelFormat()) + 7) / 8)))
          << f.bits << "/" << f.samples << "/" << f.photometric << "/" << f.predictor << " row " << y;
  }
}

// Pages the decoder does not take on answer false: planar data, unknown photometric values,
// floating-point predictors or samples, YCbCr other than JPEG's (libjpeg gives RGB), and fax
// pages.
TEST(TIFFReader, PagesTheDecoderRefuses) {
  auto decodes = [](std::vector<Entry> extra, uint32_t compression = 1) {
    Builder b;
    const uint32_t data = b.Data(std::string(64, 'x'));
    std::vector<Entry> e = {Builder::Long(256, {4}), Builder::Long(257, {2}), Builder::Short(258, {8}),
                            Builder::Short(259, {compression}), Builder::Long(273, {data}),
                            Builder::Long(279, {64})};
    for (Entry& x : extra) e.push_back(std::move(x));
    std::stable_sort(e.begin(), e.end(), [](const Entry& a, const Entry& c) { return a.tag < c.tag; });
    b.SetFirst(b.Directory(e));
    TPDFTIFF t = Parse(b.bytes());
    return t.DecodePage(1);
  };
  EXPECT_TRUE(decodes({Builder::Short(262, {2}), Builder::Short(277, {3})}));
  EXPECT_FALSE(decodes({Builder::Short(262, {2}), Builder::Short(277, {3}), Builder::Short(284, {2})}));
  EXPECT_FALSE(decodes({Builder::Short(262, {2}), Builder::Short(277, {2})}));  // too few samples
  EXPECT_FALSE(decodes({Builder::Short(262, {6}), Builder::Short(277, {3})}));  // YCbCr
  EXPECT_FALSE(decodes({Builder::Short(262, {1}), Builder::Short(317, {3})}));
  EXPECT_FALSE(decodes({Builder::Short(262, {1}), Builder::Short(339, {3})}));
  EXPECT_TRUE(decodes({Builder::Short(262, {6}), Builder::Short(277, {3})}, 7));
  EXPECT_FALSE(decodes({Builder::Short(262, {1})}, 4));
  EXPECT_FALSE(decodes({Builder::Short(262, {1})}, 2));  // Modified Huffman: not supported
  EXPECT_TRUE(decodes({Builder::Short(262, {1}), Builder::Short(277, {300})}) == false);
}

// Random damage to a small real layout never crashes, hangs or allocates beyond the caps.
TEST(TIFFReader, RandomDamage) {
  Builder b;
  std::vector<uint32_t> offs, counts;
  for (int r = 0; r < 3; ++r) {
    offs.push_back(b.Data(std::string("\x80\x02\x01\xFE\x07", 5)));
    counts.push_back(5);
  }
  std::vector<Entry> e = GreyPage(7, 6, offs, counts, 2, 32773);
  b.SetFirst(b.Directory(e, b.Directory(GreyPage(3, 3, offs, counts, 1, 5))));
  const std::string base = b.bytes();
  std::mt19937 rng(11);
  for (int round = 0; round < 1500; ++round) {
    std::string s = base;
    const int edits = 1 + int(rng() % 6);
    for (int k = 0; k < edits; ++k) s[rng() % s.size()] = char(rng());
    if (rng() % 5 == 0) s.resize(rng() % s.size());
    TPDFTIFF t = Parse(s);
    for (int p = 1; p <= t.PageCount; ++p) t.DecodePage(p);
  }
}
