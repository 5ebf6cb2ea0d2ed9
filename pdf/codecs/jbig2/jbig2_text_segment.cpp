// Text region segments: the symbols of the dictionaries they refer to placed in a region.
#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"
#include "pdf/codecs/jbig2/jbig2_text.h"

namespace jbig2 {

namespace {

// The symbol-identifier code table that precedes Huffman-coded instances; an empty table
// when the data cannot describe one.
THuffmanTable ReadSymbolCodeTable(TStreamReader& r, THuffmanDecoder& huffman, size_t symbols) {
  r.ConsumeRemainingBits();
  std::vector<THuffmanLine> runs(35);
  for (int i = 0; i < 35; ++i) {
    runs[size_t(i)].PrefixLength = static_cast<int32_t>(r.ReadBits(4));
    runs[size_t(i)].RangeLow = i;
  }
  // Codes 32 to 34 repeat the previous length or zero lengths, counted by the bits after them.
  runs[32].RangeLow = 259, runs[32].RangeLength = 2;
  runs[33].RangeLow = 515, runs[33].RangeLength = 3;
  runs[34].RangeLow = 523, runs[34].RangeLength = 7;
  const THuffmanTable runTable(std::move(runs));
  std::vector<THuffmanLine> lines(symbols);
  size_t i = 0;
  int32_t previous = 0;
  while (i < symbols) {
    const auto v = huffman.DecodeInt(runTable);
    if (!v || r.EndFlag()) return {};
    size_t repeat = 1;
    int32_t length = 0;
    if (*v < 257) {
      length = static_cast<int32_t>(*v);
    } else if (*v <= 512) {
      // A repeat before any length repeats length 0.
      length = previous;
      repeat = size_t(*v - 256);
    } else {
      repeat = size_t(*v - 512);
    }
    for (size_t k = 0; k < repeat && i < symbols; ++k, ++i) {
      lines[i].PrefixLength = length;
      lines[i].RangeLow = int64_t(i);
    }
    previous = length;
  }
  r.ConsumeRemainingBits();
  return THuffmanTable(std::move(lines));
}

}  // namespace

void TTextRegionSegment::ReadSegment() {
  TStreamReader& r = Reader();
  ReadRegionInformation();
  if (GoesNowhere()) return;
  Flags.SetValue(r.ReadUInt16());
  const bool huffman = Flags.GetValue("SB_HUFF") != 0;
  const bool refine = Flags.GetValue("SB_REFINE") != 0;
  if (huffman) HuffmanFlags.SetValue(r.ReadUInt16());
  if (refine && Flags.GetValue("SB_R_TEMPLATE") == 0) {
    RefinementAdaptiveX[0] = r.ReadSignedByte();
    RefinementAdaptiveY[0] = r.ReadSignedByte();
    RefinementAdaptiveX[1] = r.ReadSignedByte();
    RefinementAdaptiveY[1] = r.ReadSignedByte();
  }
  NumberOfInstances = r.ReadUInt32();
  if (r.EndFlag()) return;

  std::vector<TJBIG2Bitmap*> symbols;
  std::vector<const THuffmanTable*> custom;
  for (TSegment* s : ReferredSegments()) {
    if (s->Header().SegmentType == kSymbolDictionary) {
      const auto& exported = static_cast<TSymbolDictionarySegment*>(s)->ExportedSymbols;
      if (int64_t(symbols.size() + exported.size()) > TJBIG2StreamDecoder::MaxSymbols) return;
      symbols.insert(symbols.end(), exported.begin(), exported.end());
    } else if (s->Header().SegmentType == kTables) {
      custom.push_back(&static_cast<TTableSegment*>(s)->Table);
    }
  }

  TTextRegionParams p;
  p.Huffman = huffman;
  p.Refine = refine;
  p.NumInstances = NumberOfInstances;
  p.LogStrips = Flags.GetValue("LOG_SB_STRIPES");
  p.Symbols = symbols;
  p.SymbolCodeLength = CodeLengthFor(symbols.size());
  p.DefaultPixel = Flags.GetValue("SB_DEF_PIXEL");
  p.CombinationOperator = Flags.GetValue("SB_COMB_OP");
  p.Transposed = Flags.GetValue("TRANSPOSED") != 0;
  p.RefCorner = Flags.GetValue("REF_CORNER");
  p.DSOffset = Flags.GetValue("SB_DS_OFFSET");
  p.RefinementTemplate = Flags.GetValue("SB_R_TEMPLATE");
  p.RefinementAdaptiveX = RefinementAdaptiveX;
  p.RefinementAdaptiveY = RefinementAdaptiveY;

  THuffmanTable symbolCodes;
  if (huffman) {
    // Selection 3 (1 for the size) names the next table of the stream's own.
    size_t nextCustom = 0;
    auto pick = [&](const char* field, std::initializer_list<int> standard) -> const THuffmanTable* {
      const int v = HuffmanFlags.GetValue(field);
      if (v < int(standard.size())) return &StandardTable(standard.begin()[v]);
      return nextCustom < custom.size() ? custom[nextCustom++] : nullptr;
    };
    p.FS = pick("SB_HUFF_FS", {6, 7});
    p.DS = pick("SB_HUFF_DS", {8, 9, 10});
    p.DT = pick("SB_HUFF_DT", {11, 12, 13});
    p.RDW = pick("SB_HUFF_RDW", {14, 15});
    p.RDH = pick("SB_HUFF_RDH", {14, 15});
    p.RDX = pick("SB_HUFF_RDX", {14, 15});
    p.RDY = pick("SB_HUFF_RDY", {14, 15});
    p.RSize = pick("SB_HUFF_RSIZE", {1});
    symbolCodes = ReadSymbolCodeTable(r, Huffman(), symbols.size());
    if (symbolCodes.Empty() && !symbols.empty()) return;
    p.SymbolCodes = &symbolCodes;
  } else {
    Arith().ResetIntStats(p.SymbolCodeLength);
    Arith().Start();
  }
  if (refine) Arith().ResetRefinementStats(p.RefinementTemplate, nullptr);

  TJBIG2Bitmap* bitmap = Factory().Create(RegionWidth, RegionHeight);
  if (!bitmap) return;
  ReadTextRegion(*bitmap, decoder_, p);
  Deliver(bitmap);
}

}  // namespace jbig2
