// Symbol dictionaries and text regions written by the test encoder, the dictionaries also in
// globals streams, decoded by jbig2dec as the expected picture and by our decoder.
#include <gtest/gtest.h>

#include <random>

#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"

using namespace jbig2_test;

namespace {

// Glyph-like symbols, heights rising in steps (several symbols per height), widths rising
// within a height.
std::vector<Bitmap> Glyphs(int count, uint32_t seed) {
  std::vector<Bitmap> out;
  std::mt19937 rng(seed);
  int h = 3, w = 2;
  for (int i = 0; i < count; ++i) {
    if (i % 4 == 0) h += 1 + int(rng() % 4), w = 1 + int(rng() % 3);
    w += int(rng() % 4);
    out.push_back(TextLike(w, h, seed * 100 + uint32_t(i)));
  }
  return out;
}

std::vector<TextInstance> Scatter(const std::vector<Bitmap>& symbols, int count, int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<TextInstance> out;
  for (int i = 0; i < count; ++i) {
    TextInstance in;
    in.Id = uint32_t(rng() % symbols.size());
    // Some instances reach over the region's edges on every side.
    in.X = int64_t(rng() % uint32_t(width + 10)) - 6;
    in.Y = int64_t(rng() % uint32_t(height + 10)) - 6;
    out.push_back(in);
  }
  return out;
}

struct Page {
  std::string Globals, Bytes;
};

// Dictionary in the globals, a text region on a page of its own.
Page TextPage(const std::vector<Bitmap>& symbols, const DictionaryOptions& d, const std::vector<TextInstance>& instances,
              const TextOptions& t, uint32_t w, uint32_t h) {
  Page p;
  StreamBuilder globals;
  const uint32_t dict = globals.Add(0, SymbolDictionaryData({}, symbols, d), {}, 0);
  p.Globals = globals.Bytes;
  StreamBuilder page;
  page.Next = dict + 1;
  page.Add(48, PageInfo(w, h));
  page.Add(6, TextRegionData(w, h, 0, 0, 0, symbols, instances, t), {dict});
  page.Add(49, "");
  p.Bytes = page.Bytes;
  return p;
}

}  // namespace

TEST(JBIG2Text, ArithmeticDictionaryAndTextRegionEveryTemplate) {
  REQUIRE_TOOL("jbig2dec");
  for (int t = 0; t < 4; ++t) {
    SCOPED_TRACE("template " + std::to_string(t));
    const auto symbols = Glyphs(13, uint32_t(t + 1));
    DictionaryOptions d;
    d.Template = t;
    if (t) d.AT[0] = 2, d.AT[1] = -1;
    const auto instances = Scatter(symbols, 40, 90, 60, uint32_t(t + 7));
    TextOptions o;
    const Page p = TextPage(symbols, d, instances, o, 90, 60);
    const Bitmap expected = DrawInstances(90, 60, symbols, instances, o);
    ExpectSame(p.Bytes, p.Globals, &expected);
  }
}

TEST(JBIG2Text, CornersTranspositionStripsOffsetsAndOperators) {
  REQUIRE_TOOL("jbig2dec");
  const auto symbols = Glyphs(9, 3);
  DictionaryOptions d;
  int n = 0;
  for (int corner = 0; corner < 4; ++corner) {
    for (bool transposed : {false, true}) {
      for (int logStrips : {0, 2}) {
        SCOPED_TRACE("corner " + std::to_string(corner) + (transposed ? " transposed" : "") + " strips " +
                     std::to_string(1 << logStrips));
        TextOptions o;
        o.RefCorner = corner;
        o.Transposed = transposed;
        o.LogStrips = logStrips;
        o.DSOffset = (n % 5) - 2;
        o.CombOp = n % 5;
        o.DefPixel = n % 3 == 0;
        ++n;
        const auto instances = Scatter(symbols, 25, 70, 50, uint32_t(n));
        const Page p = TextPage(symbols, d, instances, o, 70, 50);
        ExpectSame(p.Bytes, p.Globals);
      }
    }
  }
}

TEST(JBIG2Text, HuffmanDictionaryStoredAndMMRWithHuffmanTextRegion) {
  REQUIRE_TOOL("jbig2dec");
  const auto symbols = Glyphs(17, 5);
  int n = 0;
  for (bool mmr : {false, true}) {
    for (int tables = 0; tables < 3; ++tables) {
      SCOPED_TRACE(std::string(mmr ? "MMR" : "stored") + " table set " + std::to_string(tables));
      DictionaryOptions d;
      d.Huffman = true;
      d.MMR = mmr;
      d.SignedDeltas = tables == 1;
      TextOptions o;
      o.Huffman = true;
      o.FS = tables % 2;
      o.DS = tables;
      o.DT = tables;
      o.LogStrips = tables;
      o.DSOffset = tables - 1;
      if (tables == 2) {
        // Uneven code lengths, with repeats and runs of unused symbols.
        o.CodeLengths = {3, 3, 3, 3, 3, 4, 4, 0, 0, 0, 5, 5, 5, 5, 5, 5, 0};
      }
      const auto instances = Scatter(symbols, 60, 120, 80, uint32_t(++n));
      std::vector<TextInstance> used;
      for (const auto& in : instances)
        if (o.CodeLengths.empty() || o.CodeLengths[in.Id] != 0) used.push_back(in);
      const Page p = TextPage(symbols, d, used, o, 120, 80);
      const Bitmap expected = DrawInstances(120, 80, symbols, used, o);
      ExpectSame(p.Bytes, p.Globals, &expected);
    }
  }
}

TEST(JBIG2Text, RefinedInstances) {
  REQUIRE_TOOL("jbig2dec");
  const auto symbols = Glyphs(8, 9);
  for (bool huffman : {false, true}) {
    for (int rt = 0; rt < 2; ++rt) {
      SCOPED_TRACE(std::string(huffman ? "Huffman" : "arithmetic") + " refinement template " + std::to_string(rt));
      auto instances = Scatter(symbols, 20, 80, 60, 3);
      for (size_t i = 0; i < instances.size(); i += 3) {
        TextInstance& in = instances[i];
        in.Refine = true;
        const Bitmap& s = symbols[in.Id];
        // Wider or narrower, taller or shorter by a pixel or two, a few pixels changed.
        in.Target = TextLike(s.Width + int(i % 3) - 1, s.Height + int(i % 2), uint32_t(i + 40));
        for (int y = 0; y < std::min(s.Height, in.Target.Height); ++y)
          for (int x = 0; x < std::min(s.Width, in.Target.Width); ++x)
            if ((x + y + int(i)) % 7) in.Target.Set(x, y, s.Get(x, y));
        in.RDX = int64_t(i % 3) - 1;
        in.RDY = 0;
      }
      DictionaryOptions d;
      d.Huffman = huffman;
      TextOptions o;
      o.Huffman = huffman;
      o.Refine = true;
      o.RTemplate = rt;
      o.RD = 1;
      const Page p = TextPage(symbols, d, instances, o, 80, 60);
      const Bitmap expected = DrawInstances(80, 60, symbols, instances, o);
      if (huffman) {
        // jbig2dec 0.19 reads Huffman-coded refinements otherwise than the standard writes
        // them (it rejects template 0 and draws neither symbol nor target with template 1);
        // the picture is the encoder's, whose refinement and Huffman coding the arithmetic
        // and unrefined cases check against jbig2dec.
        Bitmap ours;
        ASSERT_TRUE(Ours(p.Bytes, p.Globals, ours));
        EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
        continue;
      }
      ExpectSame(p.Bytes, p.Globals, &expected);
    }
  }
}

// An instance whose symbol the region does not have is not drawn, refined or not; the
// instances after it are. The writer's symbol past the dictionary's is empty, so that both
// sides read the refinement against the same (blank) reference and stay in step; the instance
// has a strip of its own, where its width moves no other instance.
TEST(JBIG2Text, InstancesOfSymbolsTheRegionDoesNotHaveAreNotDrawn) {
  // Nine symbols and ten take identifiers of the same four bits.
  const auto symbols = Glyphs(9, 4);
  auto written = symbols;
  written.emplace_back(0, 0);
  auto instances = Scatter(symbols, 12, 60, 40, 5);
  std::erase_if(instances, [](const TextInstance& in) { return in.Y == 12; });
  for (const bool refine : {false, true}) {
    SCOPED_TRACE(refine ? "refined" : "plain");
    TextInstance missing;
    missing.Id = uint32_t(symbols.size());
    missing.X = 10, missing.Y = 12;
    missing.Refine = refine;
    missing.Target = TextLike(9, 7, 77);
    std::vector<TextInstance> coded = instances;
    coded.insert(coded.begin() + 5, missing);
    TextOptions o;
    o.Refine = true;
    StreamBuilder globals;
    const uint32_t dict = globals.Add(0, SymbolDictionaryData({}, symbols, DictionaryOptions{}), {}, 0);
    StreamBuilder page;
    page.Next = dict + 1;
    page.Add(48, PageInfo(60, 40));
    page.Add(6, TextRegionData(60, 40, 0, 0, 0, written, coded, o), {dict});
    page.Add(49, "");
    Bitmap ours;
    ASSERT_TRUE(Ours(page.Bytes, globals.Bytes, ours));
    EXPECT_EQ(ccitt_test::Difference(DrawInstances(60, 40, symbols, instances, o), ours), "");
  }
}

TEST(JBIG2Text, DictionaryBuiltOnAnotherWithRefinementsAggregatesAndExportRuns) {
  REQUIRE_TOOL("jbig2dec");
  const auto base = Glyphs(6, 12);
  for (bool huffman : {false, true}) {
    SCOPED_TRACE(huffman ? "Huffman" : "arithmetic");
    // New symbols: refinements of base symbols and aggregates of two or three of them.
    std::vector<Bitmap> symbols;
    DictionaryOptions d2;
    d2.Huffman = huffman;
    d2.SignedDeltas = huffman;
    d2.RefAgg = true;
    d2.RTemplate = huffman ? 1 : 0;
    for (int i = 0; i < 4; ++i) {
      const Bitmap& s = base[size_t(i)];
      // Huffman aggregates hold single refinements only: how jbig2dec reads the symbol codes
      // of larger Huffman aggregates is not what it writes here.
      if (i % 2 == 0 || huffman) {
        Bitmap target = s;
        target.Set(0, 0, !target.Get(0, 0));
        TextInstance in;
        in.Id = uint32_t(i);
        in.Refine = true;
        in.Target = target;
        symbols.push_back(target);
        d2.Aggregates.push_back({in});
      } else {
        const Bitmap& a = base[size_t(i - 1)];
        Bitmap agg(a.Width + s.Width + 1, std::max(a.Height, s.Height));
        std::vector<TextInstance> parts(2);
        parts[0].Id = uint32_t(i - 1);
        parts[1].Id = uint32_t(i);
        parts[1].X = a.Width + 1;
        TextOptions t;
        agg = DrawInstances(uint32_t(agg.Width), uint32_t(agg.Height), base, parts, t);
        symbols.push_back(agg);
        d2.Aggregates.push_back(parts);
      }
    }
    // Heights must not fall from one symbol to the next.
    std::vector<size_t> order = {0, 1, 2, 3};
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return symbols[x].Height < symbols[y].Height; });
    std::vector<Bitmap> sorted;
    std::vector<std::vector<TextInstance>> aggs;
    for (size_t k : order) sorted.push_back(symbols[k]), aggs.push_back(d2.Aggregates[k]);
    d2.Aggregates = aggs;
    // Export two base symbols (skipping the others) and all four new ones.
    d2.ExportRuns = {1, 2, 3, 4};
    StreamBuilder g;
    DictionaryOptions d1;
    d1.Huffman = huffman;
    d1.Retained = true;
    const uint32_t first = g.Add(0, SymbolDictionaryData({}, base, d1), {}, 0);
    uint32_t exported = 0;
    const uint32_t second = g.Add(0, SymbolDictionaryData(base, sorted, d2, &exported), {first}, 0);
    ASSERT_EQ(exported, 6u);
    std::vector<Bitmap> visible = {base[1], base[2]};
    visible.insert(visible.end(), sorted.begin(), sorted.end());
    StreamBuilder page;
    page.Next = second + 1;
    page.Add(48, PageInfo(90, 50));
    TextOptions o;
    o.Huffman = huffman;
    const auto instances = Scatter(visible, 30, 90, 50, 17);
    page.Add(6, TextRegionData(90, 50, 0, 0, 0, visible, instances, o), {second});
    page.Add(49, "");
    const Bitmap expected = DrawInstances(90, 50, visible, instances, o);
    if (huffman) {
      // As with refined text instances, jbig2dec 0.19 does not read Huffman refinements.
      Bitmap ours;
      ASSERT_TRUE(Ours(page.Bytes, g.Bytes, ours));
      EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
      continue;
    }
    ExpectSame(page.Bytes, g.Bytes, &expected);
  }
}

