#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/codecs/gif/gif_screen_rows.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/image_support/tiff_build.h"

using rastertest::RasterSet;

namespace {

// The picture painted a row at a time, rows one after another.
std::string RowByRow(const TPDFGIFDecoder& d) {
  TPDFGIFScreenRows rows(d);
  std::string out;
  for (int y = 0; y < d.ScreenHeight; ++y) out.append(reinterpret_cast<const char*>(rows.Next()), size_t(d.ScreenWidth) * 3);
  return out;
}

TPDFGIFDecoder Read(const std::string& bytes) {
  TPDFGIFDecoder d;
  TMemoryStream s(bytes);
  d.LoadFromStream(s);
  return d;
}

// A hand-made GIF: screen, global table, and whatever blocks follow.
struct GifBuilder {
  std::string out;
  explicit GifBuilder(uint16_t w, uint16_t h, int tableBits = 1, std::string table = {}, uint8_t aspect = 0,
                      const char* version = "GIF89a") {
    out = version;
    Word(w);
    Word(h);
    const bool global = !table.empty();
    out += char((global ? 0x80 : 0) | 0x70 | (tableBits - 1));
    out += '\0';
    out += char(aspect);
    out += table;
  }
  void Word(uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
  }
  // An image descriptor with optional local table and the data in sub-blocks.
  void Image(uint16_t l, uint16_t t, uint16_t w, uint16_t h, const std::string& lzw, uint8_t minCode = 2,
             bool interlaced = false, const std::string& local = {}, int localBits = 1) {
    out += ',';
    Word(l), Word(t), Word(w), Word(h);
    out += char((local.empty() ? 0 : 0x80 | (localBits - 1)) | (interlaced ? 0x40 : 0));
    out += local;
    out += char(minCode);
    for (size_t i = 0; i < lzw.size(); i += 255) {
      const std::string part = lzw.substr(i, 255);
      out += char(part.size());
      out += part;
    }
    out += '\0';
  }
  void GraphicControl(uint8_t packed, uint16_t delay, uint8_t transparent, uint8_t size = 4, uint8_t term = 0) {
    out += "\x21\xF9";
    out += char(size);
    out += char(packed);
    Word(delay);
    out += char(transparent);
    out += char(term);
  }
  void Comment(const std::string& text) {
    out += "\x21\xFE";
    out += char(text.size());
    out += text;
    out += '\0';
  }
};

// LZW data of pixel indexes, least significant bit first, without compression: a clear code
// before every few codes keeps the code width at minCode + 1.
std::string Uncompressed(const std::vector<uint8_t>& pixels, int minCode = 2) {
  const int clear = 1 << minCode, width = minCode + 1;
  std::string out;
  uint32_t buf = 0;
  int bits = 0;
  auto put = [&](int code) {
    buf |= uint32_t(code) << bits;
    bits += width;
    while (bits >= 8) {
      out += char(buf & 0xFF);
      buf >>= 8;
      bits -= 8;
    }
  };
  const int run = (1 << width) - clear - 3;  // codes before the table would widen
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (i % size_t(run) == 0) put(clear);
    put(pixels[i]);
  }
  put(clear + 1);
  if (bits) out += char(buf & 0xFF);
  return out;
}

const std::string kRGBW = std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);

}  // namespace

// Every GIF written by Pillow and ImageMagick (global and local tables, interlacing, frames
// of their own size and place, a frame past the screen's edge) paints what giftopnm decodes,
// as a bitmap and as samples.
TEST(GIFDecoderOracle, FilesPaintLikeGiftopnm) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("gif");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    TPDFGIFDecoder d = Read(set.Read(c.Get("file")));
    ASSERT_TRUE(d.Valid);
    EXPECT_EQ(d.Frames.size(), size_t(c.Int("frames")));
    TBitmap bmp;
    ASSERT_TRUE(d.GetFrameBitmap(bmp));
    EXPECT_EQ(bmp.Width(), c.Int("width"));
    EXPECT_EQ(bmp.Height(), c.Int("height"));
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(tifftest::FirstDifference(tifftest::BitmapRGB(bmp), set.Read(c.name + ".rgb"), c.Int("width")), "");
    // The same picture made straight into RGB samples, without a bitmap.
    std::string samples;
    ASSERT_TRUE(d.GetFrameSamples(samples));
    EXPECT_EQ(tifftest::FirstDifference(samples, set.Read(c.name + ".rgb"), c.Int("width")), "");
  }
  EXPECT_TRUE(Read(set.Read("interlaced.gif")).Frames[0].Interlaced);
  const TPDFGIFDecoder frames = Read(set.Read("im_frames.gif"));
  EXPECT_EQ(frames.Frames[1].Left, 20);
  EXPECT_EQ(frames.Frames[1].Top, 15);
  EXPECT_TRUE(frames.Frames[1].HasLocalColorTable);
}

TEST(GIFDecoder, ScreenDescriptorFields) {
  struct Case {
    uint8_t aspect;
    double ratio;
  };
  for (const Case c : {Case{49, 1.0}, Case{0, 1.0}, Case{17, 0.5}, Case{255, 270.0 / 64}}) {
    GifBuilder g(3, 2, 2, kRGBW, c.aspect);
    g.out += ';';
    const TPDFGIFDecoder d = Read(g.out);
    EXPECT_DOUBLE_EQ(d.AspectRatio, c.ratio) << int(c.aspect);
    EXPECT_EQ(d.Version, "89a");
    EXPECT_TRUE(d.HasGlobalColorTable);
    EXPECT_EQ(d.GlobalColorTableSize, 4);
    EXPECT_EQ(d.ColorResolution, 256);
    EXPECT_EQ(d.GlobalColorTable.size(), 12u);
  }
  for (const char* bad : {"GIF88a", "GIF8", "PNG89a", ""}) {
    const TPDFGIFDecoder d = Read(bad);
    EXPECT_FALSE(d.Valid) << bad;
    EXPECT_TRUE(d.Frames.empty());
  }
  EXPECT_EQ(Read("GIF88a").Version, "88a");
  EXPECT_EQ(Read("JIF89a").Version, "");
}

// An interlaced frame of height 10 fills rows 0 and 8, then 4, then 2 and 6, then the odd rows.
TEST(GIFDecoder, InterlacedRowOrder) {
  TPDFGIFFrame f;
  f.Height = 10;
  f.Interlaced = true;
  const uint32_t expected[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  for (uint32_t k = 0; k < 10; ++k) EXPECT_EQ(TPDFGIFDecoder::TargetRow(f, k), expected[k]) << k;
  for (uint32_t h : {1u, 2u, 3u, 5u, 9u, 17u}) {  // passes without rows are skipped
    f.Height = uint16_t(h);
    std::vector<bool> seen(h);
    for (uint32_t k = 0; k < h; ++k) seen[TPDFGIFDecoder::TargetRow(f, k)] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), int(h)) << h;
  }
  // An interlaced 1 x 10 frame in hand-made data.
  GifBuilder g(1, 10, 2, kRGBW);
  g.Image(0, 0, 1, 10, Uncompressed({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}), 2, true);
  g.out += ';';
  TPDFGIFDecoder d = Read(g.out);
  TBitmap bmp;
  ASSERT_TRUE(d.GetFrameBitmap(bmp));
  const uint8_t order[10] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
  for (int k = 0; k < 10; ++k) {
    const uint8_t* px = bmp.ScanLine(int(TPDFGIFDecoder::TargetRow(d.Frames[0], uint32_t(k))));
    const auto* c = reinterpret_cast<const uint8_t*>(kRGBW.data()) + order[k] * 3;
    EXPECT_EQ(px[2], c[0]);
    EXPECT_EQ(px[1], c[1]);
    EXPECT_EQ(px[0], c[2]);
  }
}

// A local table wins over the global one; frames paint in file order, later over earlier;
// graphic control values go with the next frame and are not applied; comments change nothing.
TEST(GIFDecoder, TablesFramesAndExtensions) {
  GifBuilder g(4, 2, 2, kRGBW);
  g.Comment("made by hand");
  g.GraphicControl(0x09, 7, 3);  // disposal 2, transparency on index 3
  g.Image(0, 0, 4, 2, Uncompressed({0, 1, 2, 3, 3, 2, 1, 0}));
  g.out += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  const std::string local("\x10\x20\x30\x40\x50\x60", 6);
  g.Image(2, 1, 2, 1, Uncompressed({1, 0}), 2, false, local, 1);
  g.out += ';';
  TPDFGIFDecoder d = Read(g.out);
  ASSERT_EQ(d.Frames.size(), 2u);
  EXPECT_TRUE(d.Frames[0].HasGraphicControl);
  EXPECT_EQ(d.Frames[0].DisposalMethod, 2u);
  EXPECT_TRUE(d.Frames[0].HasTransparency);
  EXPECT_EQ(d.Frames[0].DelayTime, 7);
  EXPECT_EQ(d.Frames[0].TransparentIndex, 3);
  EXPECT_FALSE(d.Frames[1].HasGraphicControl);
  EXPECT_EQ(d.Frames[1].LocalColorTableSize, 2);
  TBitmap bmp;
  ASSERT_TRUE(d.GetFrameBitmap(bmp));
  const std::string rgb = tifftest::BitmapRGB(bmp);
  // Row 0 of frame 1 untouched, transparency not applied (index 3 stays white).
  EXPECT_EQ(rgb.substr(0, 12), kRGBW);
  // Row 1: frame 1's 3, 2, then frame 2's local colours 1, 0.
  EXPECT_EQ(rgb.substr(12, 6), kRGBW.substr(9, 3) + kRGBW.substr(6, 3));
  EXPECT_EQ(rgb.substr(18, 6), local.substr(3, 3) + local.substr(0, 3));
}

// Broken files: what was read before the break stays; nothing is raised.
TEST(GIFDecoder, MalformedFilesEndTheReading) {
  GifBuilder g(2, 1, 2, kRGBW);
  g.Image(0, 0, 2, 1, Uncompressed({1, 2}));
  const std::string good = g.out;
  GifBuilder bad = g;
  bad.GraphicControl(0, 0, 0, 5);  // block size 5
  bad.Image(0, 0, 2, 1, Uncompressed({0, 0}));
  TPDFGIFDecoder d = Read(bad.out + ";");
  EXPECT_TRUE(d.Stop);
  EXPECT_EQ(d.Frames.size(), 1u);
  GifBuilder term = g;
  term.GraphicControl(0, 0, 0, 4, 9);  // non-zero terminator
  term.Image(0, 0, 2, 1, Uncompressed({0, 0}));
  EXPECT_EQ(Read(term.out + ";").Frames.size(), 1u);
  // Truncated anywhere: no crash, frames read so far stay, painting works.
  for (size_t n = 0; n <= good.size(); ++n) {
    TPDFGIFDecoder t = Read(good.substr(0, n));
    TBitmap bmp;
    t.GetFrameBitmap(bmp);
    EXPECT_LE(t.Frames.size(), 1u);
  }
  // Unknown bytes between blocks are skipped.
  EXPECT_EQ(Read(good + "\x00\x07" + good.substr(13) + ";").Frames.size(), 2u);
}

// Nothing to show is "not loaded": an empty screen, no frames, frames of 0 by 0, or only frames
// whose code size lies outside 2 to 8 (those are skipped).
TEST(GIFDecoder, NothingToShowIsNotLoaded) {
  auto paint = [](const std::string& bytes, TBitmap& bmp) {
    TPDFGIFDecoder d = Read(bytes);
    return d.GetFrameBitmap(bmp);
  };
  TBitmap bmp;
  GifBuilder noFrames(5, 5, 2, kRGBW);
  EXPECT_FALSE(paint(noFrames.out + ";", bmp));
  EXPECT_EQ(bmp.Width(), 0);
  GifBuilder emptyScreen(0, 0, 2, kRGBW);
  emptyScreen.Image(0, 0, 1, 1, Uncompressed({1}));
  EXPECT_FALSE(paint(emptyScreen.out + ";", bmp));
  GifBuilder zeroFrame(5, 5, 2, kRGBW);
  zeroFrame.Image(0, 0, 0, 0, Uncompressed({}));
  EXPECT_FALSE(paint(zeroFrame.out + ";", bmp));
  for (uint8_t code : {0, 1, 9, 12, 255}) {
    GifBuilder g(2, 1, 2, kRGBW);
    g.Image(0, 0, 2, 1, Uncompressed({1, 2}), code);
    EXPECT_FALSE(paint(g.out + ";", bmp)) << int(code);
    // Beside a good frame, the bad one is skipped and the good one painted.
    g.Image(0, 0, 2, 1, Uncompressed({1, 2}));
    ASSERT_TRUE(paint(g.out + ";", bmp)) << int(code);
    EXPECT_EQ(tifftest::BitmapRGB(bmp), kRGBW.substr(3, 6));
  }
  EXPECT_FALSE(paint("GIF87a", bmp));
}

// A 65535 x 65535 screen is more than a bitmap may hold; frames that claim the largest size
// decode only what their data hold, and each holds no more room than its data can fill.
TEST(GIFDecoder, HugeSizesAreRefusedOrCheap) {
  TBitmap bmp;
  GifBuilder huge(65535, 65535, 2, kRGBW);
  huge.Image(0, 0, 1, 1, Uncompressed({1}));
  TPDFGIFDecoder d = Read(huge.out + ";");
  EXPECT_FALSE(d.GetFrameBitmap(bmp));
  GifBuilder many(300, 200, 2, kRGBW);
  for (int i = 0; i < 2000; ++i) many.Image(uint16_t(i), 0, 16000, 16000, Uncompressed({1, 2, 3}));
  TPDFGIFDecoder m = Read(many.out + ";");
  ASSERT_EQ(m.Frames.size(), 2000u);
  for (const TPDFGIFFrame& f : m.Frames) {
    const std::string indexes = m.DecodeLZW(f);
    ASSERT_EQ(indexes, std::string("\x01\x02\x03", 3)) << f.Left;
    // A quarter of a gigabyte claimed; room for a few kilobytes taken.
    ASSERT_LT(indexes.capacity(), size_t(1) << 16) << f.Left;
  }
  // The decode budget is charged what was decoded, not what was claimed: every frame on the
  // screen is painted, so each pixel of the top row shows the last frame that starts there.
  ASSERT_TRUE(m.GetFrameBitmap(bmp));
  const std::string rgb = tifftest::BitmapRGB(bmp);
  int painted = 0;
  for (size_t x = 0; x < 300; ++x) painted += rgb.compare(x * 3, 3, kRGBW, 3, 3) == 0 ? 1 : 0;
  EXPECT_EQ(painted, 300);
}

// Random damage to real files never crashes or hangs, and gives the same picture, or the same
// refusal, as samples and as a bitmap (short data, frames past the edges, bad code sizes, lost
// tables; screen pixels no frame paints stay white).
TEST(GIFDecoder, RandomDamage) {
  GifBuilder g(9, 7, 2, kRGBW);
  std::vector<uint8_t> px(63);
  for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 7 % 4);
  g.Image(0, 0, 9, 7, Uncompressed(px), 2, true);
  g.Image(3, 2, 9, 7, Uncompressed(px), 2, false, kRGBW.substr(0, 6), 1);
  GifBuilder edges(11, 6, 2, kRGBW);
  edges.Image(0, 0, 9, 6, Uncompressed(std::vector<uint8_t>(px.begin(), px.begin() + 54)), 2, true);
  edges.Image(4, 3, 9, 6, Uncompressed(std::vector<uint8_t>(px.begin(), px.begin() + 54)), 2, false,
              kRGBW.substr(3, 6), 1);
  std::mt19937 rng(5);
  int painted = 0, byRows = 0;
  for (const std::string& base : {g.out + ";", edges.out + ";"}) {
    for (int round = 0; round < 3000; ++round) {
      std::string s = base;
      const int edits = 1 + int(rng() % 4);
      for (int e = 0; e < edits; ++e) s[rng() % s.size()] = char(rng());
      if (rng() % 4 == 0) s.resize(rng() % s.size());
      TPDFGIFDecoder d = Read(s);
      std::string samples = "stale";
      const bool bySamples = d.GetFrameSamples(samples);
      TBitmap bmp;
      ASSERT_EQ(bySamples, d.GetFrameBitmap(bmp)) << round;
      if (!bySamples) {
        EXPECT_TRUE(samples.empty()) << round;
        continue;
      }
      ++painted;
      ASSERT_EQ(samples, tifftest::BitmapRGB(bmp)) << round;
      // Painted a row at a time: the same rows.
      if (!d.PaintableInRows()) continue;
      ++byRows;
      ASSERT_EQ(RowByRow(d), samples) << round;
    }
  }
  EXPECT_GT(painted, 1000);
  EXPECT_GT(byRows, 1000);
}

// Pictures painted a row at a time come out as painted whole: giftopnm's fixtures (frames
// over frames, local tables, interlaced, transparent), and frames of all sizes and places,
// interlaced or not, over a screen taller than a decoder's kept output.
TEST(GIFDecoder, RowsAreThoseOfTheWholePicture) {
  const auto& set = RasterSet::Get("gif");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    const TPDFGIFDecoder d = Read(set.Read(c.Get("file")));
    std::string whole;
    ASSERT_TRUE(d.GetFrameSamples(whole));
    if (d.PaintableInRows()) { EXPECT_TRUE(RowByRow(d) == whole); }
  }
  std::mt19937 rng(31);
  std::vector<uint8_t> px(1500 * 1500);
  for (uint8_t& p : px) p = uint8_t(rng() % 4);
  GifBuilder g(1500, 1700, 2, kRGBW);
  g.Image(0, 0, 1500, 1500, Uncompressed(px));
  g.Image(100, 700, 700, 900, Uncompressed(std::vector<uint8_t>(px.begin(), px.begin() + 700 * 900)), 2, true,
          kRGBW.substr(3, 6), 1);
  g.Image(900, 1500, 500, 200, Uncompressed(std::vector<uint8_t>(px.begin(), px.begin() + 500 * 200)).substr(0, 9000));
  const TPDFGIFDecoder d = Read(g.out + ";");
  std::string whole;
  ASSERT_TRUE(d.GetFrameSamples(whole));
  ASSERT_TRUE(d.PaintableInRows());
  EXPECT_TRUE(RowByRow(d) == whole);
}

// Pictures of many frames are painted a row at a time too, each frame's reader held only
// while the screen's rows pass over it, and come out as painted whole: frames of every size and
// place, interlaced or not, some cut short, over and beside one another.
TEST(GIFDecoder, ManyFramesArePaintedInRows) {
  std::mt19937 rng(48);
  for (int round = 0; round < 20; ++round) {
    const uint16_t sw = uint16_t(20 + rng() % 200), sh = uint16_t(20 + rng() % 200);
    GifBuilder g(sw, sh, 2, kRGBW);
    const int frames = 17 + int(rng() % 40);
    for (int i = 0; i < frames; ++i) {
      const uint16_t w = uint16_t(1 + rng() % 150), h = uint16_t(1 + rng() % 150);
      std::vector<uint8_t> px(size_t(w) * h);
      for (uint8_t& p : px) p = uint8_t(rng() % 4);
      std::string lzw = Uncompressed(px);
      if (rng() % 4 == 0) lzw.resize(rng() % lzw.size());
      g.Image(uint16_t(rng() % (sw + 20)), uint16_t(rng() % (sh + 20)), w, h, lzw, 2, rng() % 3 == 0);
    }
    const TPDFGIFDecoder d = Read(g.out + ";");
    std::string whole;
    ASSERT_TRUE(d.GetFrameSamples(whole)) << round;
    ASSERT_TRUE(d.PaintableInRows()) << round;
    EXPECT_TRUE(RowByRow(d) == whole) << round;
  }
}

// Frames whose readers would hold more than the rows may hold together, all on one row, are
// not painted a row at a time (the import paints them whole, or refuses a screen too large).
TEST(GIFDecoder, FramesHoldingTooMuchTogetherAreNotPaintedInRows) {
  std::vector<uint8_t> px(4000);
  for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 7 % 4);
  GifBuilder g(2000, 2000, 2, kRGBW);
  // Each interlaced frame keeps four readers (one a pass) of about 450 KB.
  const int frames = 120;
  for (int i = 0; i < frames; ++i) g.Image(0, 0, 2000, 2000, Uncompressed(px), 2, true);
  const TPDFGIFDecoder d = Read(g.out + ";");
  EXPECT_FALSE(d.PaintableInRows());
  EXPECT_GT(d.RowsHeldBytes(), TPDFGIFDecoder::MaxRowsHeldBytes);
  // The same frames one below another share no row.
  GifBuilder apart(2000, 2000, 2, kRGBW);
  for (int i = 0; i < frames; ++i) apart.Image(0, uint16_t(i * 10), 2000, 10, Uncompressed(px), 2, true);
  EXPECT_TRUE(Read(apart.out + ";").PaintableInRows());
  // A hundred frames whose data may reach every row: painted in rows on a screen of 2,000 x
  // 2,000; beside a screen of 16,000 x 16,000 they would hold more than one picture at the size
  // cap leaves (37 MB).
  std::vector<uint8_t> many(30000);
  for (size_t i = 0; i < many.size(); ++i) many[i] = uint8_t(i * 5 % 4);
  for (const uint16_t side : {2000, 16000}) {
    GifBuilder hundred(side, side, 2, kRGBW);
    for (int i = 0; i < 100; ++i) hundred.Image(0, 0, side, side, Uncompressed(many));
    EXPECT_EQ(Read(hundred.out + ";").PaintableInRows(), side == 2000) << side;
  }
}

// Frames as large as the screen over a few bytes each (thousands of them, plain and
// interlaced, as in crafted files): their decoders go once their data end, so together they
// hold no more than one of them, and the rows are those of the whole picture.
TEST(GIFDecoder, FramesOverFewBytesHoldNoDecoderPastTheirData) {
  // One red pixel, then the end: codes clear, 1, end.
  const std::string onePixel = Uncompressed({1});
  for (const bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced ? "interlaced" : "plain");
    GifBuilder g(600, 400, 2, kRGBW);
    for (int i = 0; i < 3000; ++i) g.Image(uint16_t(i % 7), uint16_t(i % 5), 600, 400, onePixel, 2, interlaced);
    const TPDFGIFDecoder d = Read(g.out + ";");
    ASSERT_TRUE(d.PaintableInRows());
    EXPECT_LT(d.RowsHeldBytes(), int64_t(1) << 20);
    std::string whole;
    ASSERT_TRUE(d.GetFrameSamples(whole));
    EXPECT_TRUE(RowByRow(d) == whole);
  }
}
