// Test-side encoding of symbol dictionaries and text regions (arithmetic and Huffman).
#pragma once

#include <array>
#include <map>

#include "tests/pdf/codecs/jbig2/jbig2_test_encoder.h"

namespace jbig2_test {

// All statistics of one arithmetic-coded segment.
struct ArithState {
  MQEncoder E;
  std::map<std::string, std::vector<uint8_t>> Int;  // by procedure name: "IADT", ...
  std::vector<uint8_t> IAID, Generic, Refinement;
  std::vector<uint8_t>& I(const std::string& name) {
    auto& v = Int[name];
    if (v.empty()) v.resize(512);
    return v;
  }
};

struct TextInstance {
  uint32_t Id = 0;
  int64_t X = 0, Y = 0;  // where the symbol's top-left corner lands
  // Refined instances: the picture drawn, refined from the symbol, and the reference offsets.
  bool Refine = false;
  Bitmap Target;
  int64_t RDX = 0, RDY = 0;
};

struct TextOptions {
  bool Huffman = false;
  int LogStrips = 0;
  int RefCorner = 1;  // top-left
  bool Transposed = false;
  int DSOffset = 0;
  int CombOp = 0;
  int DefPixel = 0;
  bool Refine = false;
  int RTemplate = 0;
  int8_t RAT[4] = {-1, -1, -1, -1};
  // Huffman table selections (flag values).
  int FS = 0, DS = 0, DT = 0, RD = 0;
  // Huffman symbol code lengths (one per symbol); empty gives every symbol the same length.
  std::vector<int> CodeLengths;
};

// Text region segment data part (region information included).
std::string TextRegionData(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t op,
                           const std::vector<Bitmap>& symbols, const std::vector<TextInstance>& instances,
                           const TextOptions& o);

// The instances' picture, drawn as the decoder must draw them.
Bitmap DrawInstances(uint32_t width, uint32_t height, const std::vector<Bitmap>& symbols,
                     const std::vector<TextInstance>& instances, const TextOptions& o);

struct DictionaryOptions {
  bool Huffman = false;
  int Template = 0;
  int8_t AT[8] = {3, -1, -3, -1, 2, -2, -2, -2};
  bool Retained = false, Used = false;
  // Huffman: collective bitmaps MMR-coded instead of stored; tables B.5 / B.3 instead of B.4 / B.2.
  bool MMR = false;
  // ... and without the end-of-block code after each.
  bool MMRWithoutEndOfBlock = false;
  bool SignedDeltas = false;
  // Export runs (alternately skip, export), over inputs then new symbols; empty exports the
  // new symbols only.
  std::vector<uint32_t> ExportRuns;
  // Refinement/aggregate coding: each new symbol is an aggregate of instances of earlier
  // symbols (inputs followed by new ones), or one refinement when Aggregates[i] has one
  // instance with Refine set.
  bool RefAgg = false;
  int RTemplate = 0;
  int8_t RAT[4] = {-1, -1, -1, -1};
  std::vector<std::vector<TextInstance>> Aggregates;
};

// Symbol dictionary data part. Symbols go into height classes as they come (heights must not
// fall; with B.2 widths must not fall within a class).
std::string SymbolDictionaryData(const std::vector<Bitmap>& inputs, const std::vector<Bitmap>& symbols,
                                 const DictionaryOptions& o, uint32_t* exportedCount = nullptr);

}  // namespace jbig2_test
