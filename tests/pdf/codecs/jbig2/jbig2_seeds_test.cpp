// Writes the fuzz entry point's seed files from the test encoder's streams when
// VELMORA_WRITE_JBIG2_SEEDS names the corpus folder; otherwise does nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/pdf/codecs/jbig2/jbig2_halftone_encoder.h"
#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"

using namespace jbig2_test;

TEST(JBIG2Seeds, WriteCorpus) {
  const char* folder = std::getenv("VELMORA_WRITE_JBIG2_SEEDS");
  if (!folder) GTEST_SKIP() << "VELMORA_WRITE_JBIG2_SEEDS not set";
  auto write = [&](const std::string& name, const std::string& globals, const std::string& page) {
    std::string bytes(1, globals.empty() ? '\0' : '\1');
    if (!globals.empty()) bytes += std::string{char(globals.size() & 255), char(globals.size() >> 8)} + globals;
    testsupport::WriteFile(std::string(folder) + "/" + name, bytes + page);
  };
  for (int t = 0; t < 4; ++t) {
    const Bitmap b = TextLike(24, 16, uint32_t(t));
    StreamBuilder s;
    s.Add(48, PageInfo(24, 16));
    s.Add(38, GenericRegionData(b, 0, 0, 0, NominalGeneric(t, t % 2 == 1)));
    write("generic_t" + std::to_string(t), "", s.Bytes);
  }
  {
    const Bitmap b = TextLike(30, 12, 7);
    StreamBuilder s;
    s.Add(48, PageInfo(30, 12));
    s.Add(38, GenericMMRData(b, 0, 0, 0, EncodeMMR(b)));
    write("generic_mmr", "", s.Bytes);
  }
  std::vector<Bitmap> symbols = {TextLike(5, 7, 1), TextLike(6, 7, 2), TextLike(4, 9, 3)};
  std::vector<TextInstance> instances(6);
  for (int i = 0; i < 6; ++i) instances[size_t(i)].Id = uint32_t(i % 3), instances[size_t(i)].X = 6 * i, instances[size_t(i)].Y = i % 2 * 4;
  for (bool huffman : {false, true}) {
    DictionaryOptions d;
    d.Huffman = huffman;
    TextOptions o;
    o.Huffman = huffman;
    o.Refine = true;
    instances[2].Refine = true;
    instances[2].Target = TextLike(6, 8, 9);
    StreamBuilder g;
    g.Add(0, SymbolDictionaryData({}, symbols, d), {}, 0);
    StreamBuilder p;
    p.Next = 1;
    p.Add(48, PageInfo(40, 16));
    p.Add(6, TextRegionData(40, 16, 0, 0, 0, symbols, instances, o), {0});
    write(huffman ? "text_huffman" : "text_arith", g.Bytes, p.Bytes);
  }
  {
    // Halftones with arithmetic-coded skipped cells and with MMR everywhere (pattern
    // dictionary, gray planes closed by end-of-block codes).
    std::vector<Bitmap> patterns;
    for (int i = 0; i < 4; ++i) {
      Bitmap b{4, 4};
      for (int k = 0; k < i * 4; ++k) b.Set(k % 4, k / 4, true);
      patterns.push_back(b);
    }
    for (bool mmr : {false, true}) {
      HalftoneOptions o;
      o.MMR = mmr;
      o.GridWidth = 6, o.GridHeight = 5, o.StepX = 4 * 256, o.Skip = !mmr;
      std::vector<uint32_t> values(30);
      for (size_t i = 0; i < 30; ++i) values[i] = uint32_t(mmr ? i * 3 % 4 : i % 4);
      StreamBuilder s;
      s.Add(48, PageInfo(24, 20));
      const uint32_t dict = s.Add(16, PatternDictionaryData(patterns, mmr, 0));
      s.Add(22, HalftoneRegionData(24, 20, 0, 0, 0, patterns, values, o), {dict});
      write(mmr ? "halftone_mmr" : "halftone", "", s.Bytes);
    }
  }
  {
    // MMR collective bitmaps of a Huffman dictionary (without end-of-block codes), and a
    // generic region of unknown length.
    DictionaryOptions d;
    d.Huffman = true;
    d.MMR = true;
    d.MMRWithoutEndOfBlock = true;
    StreamBuilder t;
    t.Add(48, PageInfo(40, 16));
    const uint32_t symbolDict = t.Add(0, SymbolDictionaryData({}, symbols, d));
    instances[2].Refine = false;
    t.Add(6, TextRegionData(40, 16, 0, 0, 0, symbols, instances, TextOptions{}), {symbolDict});
    write("text_mmr_dictionary", "", t.Bytes);
    const Bitmap b = TextLike(26, 11, 8);
    StreamBuilder g;
    g.Add(48, PageInfo(26, 0xFFFFFFFF, 0, 0x8000 | 16));
    g.Add(38, GenericMMRData(b, 0, 0, 0, EncodeMMR(b)) + std::string("\x00\x00", 2) + U32(11), {}, 1, true);
    write("generic_mmr_unknown_length", "", g.Bytes);
  }
  {
    const Bitmap b = TextLike(20, 9, 4);
    StreamBuilder s;
    s.Add(48, PageInfo(20, 0xFFFFFFFF, 0, 0x8000 | 16));
    s.Add(38, GenericRegionData(b, 0, 0, 0, NominalGeneric(0, false)) + U32(9), {}, 1, true);
    s.Add(50, U32(8));
    write("striped_unknown_length", "", s.Bytes);
  }
}
