// Symbol dictionary segments: height classes of new symbols (generic-coded, refinements or
// aggregates of earlier symbols, or cut from one collective bitmap), then the exported list.
#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"
#include "pdf/codecs/jbig2/jbig2_text.h"

namespace jbig2 {

namespace {

// A collective bitmap stored without compression: rows of whole bytes.
TJBIG2Bitmap* ReadUncompressed(TStreamReader& r, TJBIG2BitmapFactory& factory, int64_t width, int64_t height) {
  TJBIG2Bitmap* b = factory.Create(width, height);
  if (!b || b->LineBytes() == 0) return b;
  for (int32_t y = 0; y < b->Height(); ++y) r.ReadBytes({b->Row(y), size_t(b->LineBytes())});
  // Bits past the width in each row's last byte are not pixels.
  if (width % 8)
    for (int32_t y = 0; y < b->Height(); ++y) b->Row(y)[b->LineBytes() - 1] &= uint8_t(0xFF00u >> (width % 8));
  return b;
}

}  // namespace

void TSymbolDictionarySegment::ReadSegment() {
  TStreamReader& r = Reader();
  Flags.SetValue(r.ReadUInt16());
  const bool huffman = Flags.GetValue("SD_HUFF") != 0;
  const bool refAgg = Flags.GetValue("SD_REF_AGG") != 0;
  const int genericTemplate = Flags.GetValue("SD_TEMPLATE");
  const int refinementTemplate = Flags.GetValue("SD_R_TEMPLATE");
  if (!huffman) {
    const int pairs = genericTemplate == 0 ? 4 : 1;
    for (int i = 0; i < pairs; ++i) {
      AdaptiveX[size_t(i)] = r.ReadSignedByte();
      AdaptiveY[size_t(i)] = r.ReadSignedByte();
    }
  }
  if (refAgg && refinementTemplate == 0) {
    for (int i = 0; i < 2; ++i) {
      RefinementAdaptiveX[size_t(i)] = r.ReadSignedByte();
      RefinementAdaptiveY[size_t(i)] = r.ReadSignedByte();
    }
  }
  NumberOfExportedSymbols = r.ReadUInt32();
  NumberOfNewSymbols = r.ReadUInt32();
  if (r.EndFlag() || NumberOfNewSymbols > TJBIG2StreamDecoder::MaxSymbols) return;

  // Input symbols: the exports of the dictionaries referred to, in order.
  std::vector<TJBIG2Bitmap*> symbols;
  std::vector<const THuffmanTable*> custom;
  TSymbolDictionarySegment* last = nullptr;
  for (TSegment* s : ReferredSegments()) {
    if (s->Header().SegmentType == kSymbolDictionary) {
      last = static_cast<TSymbolDictionarySegment*>(s);
      if (int64_t(symbols.size() + last->ExportedSymbols.size()) > TJBIG2StreamDecoder::MaxSymbols) return;
      symbols.insert(symbols.end(), last->ExportedSymbols.begin(), last->ExportedSymbols.end());
    } else if (s->Header().SegmentType == kTables) {
      custom.push_back(&static_cast<TTableSegment*>(s)->Table);
    }
  }
  const size_t inputCount = symbols.size();
  const int codeLength = CodeLengthFor(uint64_t{inputCount} + NumberOfNewSymbols);

  // Tables: selection 3 (1 for the last two) names the next table of the stream's own.
  size_t nextCustom = 0;
  auto pick = [&](const char* field, std::initializer_list<int> standard) -> const THuffmanTable* {
    const int v = Flags.GetValue(field);
    if (v < int(standard.size())) return &StandardTable(standard.begin()[v]);
    return nextCustom < custom.size() ? custom[nextCustom++] : nullptr;
  };
  const THuffmanTable *dh = nullptr, *dw = nullptr, *bmSize = nullptr, *aggInst = nullptr;
  if (huffman) {
    dh = pick("SD_HUFF_DH", {4, 5});
    dw = pick("SD_HUFF_DW", {2, 3});
    bmSize = pick("SD_HUFF_BM_SIZE", {1});
    aggInst = pick("SD_HUFF_AGG_INST", {1});
    if (!dh || !dw || !bmSize || !aggInst) return;
  }
  const bool reuse = Flags.GetValue("BITMAP_CC_USED") != 0 && last;
  TArithmeticDecoder& arith = Arith();
  if (!huffman) {
    arith.ResetGenericStats(genericTemplate, reuse ? last->KeptGenericStats.get() : nullptr);
    arith.ResetIntStats(codeLength);
    arith.Start();
  } else {
    arith.ResetIntStats(codeLength);
  }
  if (refAgg) arith.ResetRefinementStats(refinementTemplate, reuse ? last->KeptRefinementStats.get() : nullptr);

  auto value = [&](const THuffmanTable* table, TIntStat stat) {
    return huffman ? Huffman().DecodeInt(*table) : arith.DecodeInt(stat);
  };
  auto exhausted = [&] { return huffman ? r.EndFlag() : arith.Exhausted(); };

  TGenericRegionParams generic;
  generic.Template = genericTemplate;
  std::copy(AdaptiveX.begin(), AdaptiveX.end(), generic.AdaptiveX.begin());
  std::copy(AdaptiveY.begin(), AdaptiveY.end(), generic.AdaptiveY.begin());

  symbols.reserve(inputCount + std::min<size_t>(NumberOfNewSymbols, 1u << 16));
  int64_t classHeight = 0;
  std::vector<int64_t> widths;
  bool failed = false;
  while (!failed && symbols.size() - inputCount < NumberOfNewSymbols) {
    const auto dH = value(dh, IADH);
    if (!dH || exhausted()) break;
    classHeight += *dH;
    int64_t symbolWidth = 0, totalWidth = 0;
    widths.clear();
    for (;;) {
      const auto dW = value(dw, IADW);
      if (!dW) break;  // the class ends
      symbolWidth += *dW;
      totalWidth += symbolWidth;
      if (symbols.size() + widths.size() - inputCount >= NumberOfNewSymbols || exhausted() || symbolWidth < 0 ||
          classHeight < 0 || !TJBIG2BitmapFactory::SizeAccepted(totalWidth, classHeight)) {
        failed = true;
        break;
      }
      if (huffman && !refAgg) {
        widths.push_back(symbolWidth);
        continue;
      }
      TJBIG2Bitmap* symbol = nullptr;
      if (!refAgg) {
        symbol = Factory().Create(symbolWidth, classHeight);
        if (symbol) ReadGenericRegion(*symbol, arith, generic);
      } else {
        const auto instances = value(aggInst, IAAI);
        if (!instances || *instances < 1) {
          failed = true;
          break;
        }
        TTextRegionParams p;
        p.Huffman = huffman;
        p.Refine = true;
        p.Symbols = symbols;
        p.SymbolCodeLength = codeLength;
        p.RefinementTemplate = refinementTemplate;
        p.RefinementAdaptiveX = RefinementAdaptiveX;
        p.RefinementAdaptiveY = RefinementAdaptiveY;
        if (*instances > 1) {
          p.NumInstances = static_cast<uint32_t>(std::min<int64_t>(*instances, UINT32_MAX));
          p.FS = &StandardTable(6);
          p.DS = &StandardTable(8);
          p.DT = &StandardTable(11);
          p.RDW = p.RDH = p.RDX = p.RDY = &StandardTable(15);
          p.RSize = &StandardTable(1);
          symbol = Factory().Create(symbolWidth, classHeight);
          if (symbol) ReadTextRegion(*symbol, decoder_, p);
        } else {
          // One instance: a refinement of one symbol by (RDX, RDY).
          int64_t id;
          std::optional<int64_t> rdx, rdy;
          int64_t size = 0;
          if (huffman) {
            id = Huffman().ReadBits(codeLength);
            rdx = Huffman().DecodeInt(StandardTable(15));
            rdy = Huffman().DecodeInt(StandardTable(15));
            size = Huffman().DecodeInt(StandardTable(1)).value_or(-1);
            r.ConsumeRemainingBits();
          } else {
            id = arith.DecodeIAID(codeLength);
            rdx = arith.DecodeInt(IARDX);
            rdy = arith.DecodeInt(IARDY);
          }
          if (!rdx || !rdy || size < 0 || id < 0 || uint64_t(id) >= symbols.size()) {
            failed = true;
            break;
          }
          symbol = Factory().Create(symbolWidth, classHeight);
          if (symbol) {
            TRefinementRegionParams rp;
            rp.Template = refinementTemplate;
            rp.AdaptiveX = RefinementAdaptiveX;
            rp.AdaptiveY = RefinementAdaptiveY;
            rp.Reference = symbols[size_t(id)];
            rp.ReferenceDX = *rdx;
            rp.ReferenceDY = *rdy;
            if (huffman) {
              TStreamReader piece(r.Rest().first(std::min<size_t>(size_t(size), r.Remaining())));
              arith.SetReader(piece);
              arith.Start();
              ReadGenericRefinementRegion(*symbol, arith, rp);
              arith.SetReader(r);
              r.Skip(size);
            } else {
              ReadGenericRefinementRegion(*symbol, arith, rp);
            }
          }
        }
      }
      if (!symbol) {
        failed = true;
        break;
      }
      symbols.push_back(symbol);
    }
    if (failed || !huffman || refAgg || widths.empty()) continue;
    // The class's symbols side by side in one bitmap.
    const int64_t size = Huffman().DecodeInt(*bmSize).value_or(-1);
    r.ConsumeRemainingBits();
    if (size < 0) break;
    TJBIG2Bitmap* collective = nullptr;
    if (size == 0) {
      collective = ReadUncompressed(r, Factory(), totalWidth, classHeight);
    } else {
      collective = Factory().Create(totalWidth, classHeight);
      if (collective) ReadMMRGenericRegion(*collective, Mmr(), size);
    }
    if (!collective) break;
    int64_t x = 0;
    for (int64_t w : widths) {
      TJBIG2Bitmap* symbol = Factory().Extract(*collective, x, 0, w, classHeight);
      if (!symbol) {
        failed = true;
        break;
      }
      symbols.push_back(symbol);
      x += w;
    }
    Factory().Release(collective);
  }

  // Exported symbols: runs over inputs and new symbols, alternately passed over and exported.
  const size_t total = symbols.size();
  size_t index = 0;
  bool exportRun = false;
  for (size_t runs = 0; index < total && runs <= 2 * total + 2; ++runs) {
    const auto length = huffman ? Huffman().DecodeInt(StandardTable(1)) : arith.DecodeInt(IAEX);
    if (!length || *length < 0 || exhausted()) break;
    const size_t n = size_t(std::min<int64_t>(*length, int64_t(total - index)));
    if (exportRun) {
      const size_t room = NumberOfExportedSymbols > ExportedSymbols.size() ? NumberOfExportedSymbols - ExportedSymbols.size() : 0;
      ExportedSymbols.insert(ExportedSymbols.end(), symbols.begin() + std::ptrdiff_t(index),
                             symbols.begin() + std::ptrdiff_t(index + std::min(n, room)));
    }
    index += n;
    exportRun = !exportRun;
  }

  if (Flags.GetValue("BITMAP_CC_RETAINED") && !huffman) {
    KeptGenericStats = std::make_unique<TArithmeticDecoderStats>(arith.GenericStats());
    if (refAgg) KeptRefinementStats = std::make_unique<TArithmeticDecoderStats>(arith.RefinementStats());
  }
}

}  // namespace jbig2
