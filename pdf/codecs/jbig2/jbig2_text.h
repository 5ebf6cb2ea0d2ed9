// The text region decoding procedure: symbol instances placed strip by strip, each symbol
// as it is or refined. Text region segments and symbol dictionaries with aggregates use it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "pdf/codecs/jbig2/jbig2_bitmap.h"
#include "pdf/codecs/jbig2/jbig2_huffman.h"

namespace jbig2 {

class TJBIG2StreamDecoder;

// Reference corners.
enum : int { kCornerBottomLeft = 0, kCornerTopLeft = 1, kCornerBottomRight = 2, kCornerTopRight = 3 };

struct TTextRegionParams {
  bool Huffman = false;
  bool Refine = false;
  uint32_t NumInstances = 0;
  int LogStrips = 0;
  std::span<TJBIG2Bitmap* const> Symbols;
  int SymbolCodeLength = 0;
  // Huffman symbol-identifier codes; nullptr reads SymbolCodeLength bits.
  const THuffmanTable* SymbolCodes = nullptr;
  int DefaultPixel = 0;
  int CombinationOperator = kCombineOr;
  bool Transposed = false;
  int RefCorner = kCornerTopLeft;
  int DSOffset = 0;
  const THuffmanTable* FS = nullptr;
  const THuffmanTable* DS = nullptr;
  const THuffmanTable* DT = nullptr;
  const THuffmanTable* RDW = nullptr;
  const THuffmanTable* RDH = nullptr;
  const THuffmanTable* RDX = nullptr;
  const THuffmanTable* RDY = nullptr;
  const THuffmanTable* RSize = nullptr;
  int RefinementTemplate = 0;
  std::array<int8_t, 2> RefinementAdaptiveX{}, RefinementAdaptiveY{};
};

// Decodes the instances onto region (filled with the default pixel first), with the stream
// decoder's current reader and decoders (integer and refinement statistics as they are).
void ReadTextRegion(TJBIG2Bitmap& region, TJBIG2StreamDecoder& decoder, const TTextRegionParams& params);

// The least n with 2^n >= count.
int CodeLengthFor(uint64_t count);

}  // namespace jbig2
