#include "pdf/codecs/jbig2/jbig2_text.h"

#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"

namespace jbig2 {

int CodeLengthFor(uint64_t count) {
  int n = 0;
  while (n < 63 && (uint64_t{1} << n) < count) ++n;
  return n;
}

namespace {

// Reads the values of one text region from Huffman codes or the integer procedures.
class TInstanceReader {
 public:
  TInstanceReader(TJBIG2StreamDecoder& decoder, const TTextRegionParams& p) : d_(decoder), p_(p) {}

  std::optional<int64_t> Value(const THuffmanTable* table, TIntStat stat) {
    if (p_.Huffman) return table ? d_.Huffman().DecodeInt(*table) : std::nullopt;
    return d_.Arith().DecodeInt(stat);
  }
  int64_t CurT() {
    if (p_.LogStrips == 0) return 0;
    if (p_.Huffman) return d_.Huffman().ReadBits(p_.LogStrips);
    return d_.Arith().DecodeInt(IAIT).value_or(0);
  }
  std::optional<int64_t> SymbolID() {
    if (!p_.Huffman) return d_.Arith().DecodeIAID(p_.SymbolCodeLength);
    if (p_.SymbolCodes) return d_.Huffman().DecodeInt(*p_.SymbolCodes);
    return d_.Huffman().ReadBits(p_.SymbolCodeLength);
  }
  int RI() {
    if (!p_.Refine) return 0;
    if (p_.Huffman) return int(d_.Huffman().ReadBit());
    return int(d_.Arith().DecodeInt(IARI).value_or(0) != 0);
  }
  bool Exhausted() { return p_.Huffman ? d_.Reader().EndFlag() : d_.Arith().Exhausted(); }

 private:
  TJBIG2StreamDecoder& d_;
  const TTextRegionParams& p_;
};

// The refined symbol of an instance; nullptr when it cannot be made.
TJBIG2Bitmap* Refine(TJBIG2StreamDecoder& d, TInstanceReader& in, const TTextRegionParams& p,
                     const TJBIG2Bitmap* base) {
  const auto rdw = in.Value(p.RDW, IARDW), rdh = in.Value(p.RDH, IARDH);
  const auto rdx = in.Value(p.RDX, IARDX), rdy = in.Value(p.RDY, IARDY);
  int64_t rsize = 0;
  if (p.Huffman) {
    rsize = p.RSize ? d.Huffman().DecodeInt(*p.RSize).value_or(-1) : -1;
    d.Reader().ConsumeRemainingBits();
  }
  if (!rdw || !rdh || !rdx || !rdy || rsize < 0) return nullptr;
  const int64_t baseW = base ? base->Width() : 0, baseH = base ? base->Height() : 0;
  TJBIG2Bitmap* out = d.Factory().Create(baseW + *rdw, baseH + *rdh);
  if (!out) return nullptr;
  TRefinementRegionParams rp;
  rp.Template = p.RefinementTemplate;
  rp.AdaptiveX = p.RefinementAdaptiveX;
  rp.AdaptiveY = p.RefinementAdaptiveY;
  rp.Reference = base;
  // Halves rounded down, negative ones too.
  rp.ReferenceDX = (*rdw >> 1) + *rdx;
  rp.ReferenceDY = (*rdh >> 1) + *rdy;
  if (!p.Huffman) {
    ReadGenericRefinementRegion(*out, d.Arith(), rp);
    return out;
  }
  // With Huffman coding the refinement is an arithmetic-coded piece of rsize bytes.
  TStreamReader& outer = d.Reader();
  TStreamReader piece(outer.Rest().first(std::min<size_t>(size_t(rsize), outer.Remaining())));
  d.Arith().SetReader(piece);
  d.Arith().Start();
  ReadGenericRefinementRegion(*out, d.Arith(), rp);
  d.Arith().SetReader(outer);
  outer.Skip(rsize);
  return out;
}

}  // namespace

void ReadTextRegion(TJBIG2Bitmap& region, TJBIG2StreamDecoder& d, const TTextRegionParams& p) {
  region.Fill(p.DefaultPixel);
  TInstanceReader in(d, p);
  const int64_t strips = int64_t{1} << p.LogStrips;
  int64_t work = 0;
  const int64_t budget = TJBIG2StreamDecoder::CombineBudget(region.Width(), region.Height());
  auto stripT = in.Value(p.DT, IADT);
  if (!stripT) return;
  int64_t stripT0 = -*stripT * strips;
  int64_t firstS = 0;
  uint32_t instances = 0;
  while (instances < p.NumInstances) {
    const auto dt = in.Value(p.DT, IADT);
    if (!dt || in.Exhausted()) return;
    stripT0 += *dt * strips;
    bool first = true;
    int64_t curS = 0;
    for (;;) {
      if (first) {
        const auto dfs = in.Value(p.FS, IAFS);
        if (!dfs) return;
        firstS += *dfs;
        curS = firstS;
        first = false;
      } else {
        const auto ids = in.Value(p.DS, IADS);
        if (!ids) break;  // out-of-band: the strip ends
        curS += *ids + p.DSOffset;
      }
      if (in.Exhausted()) return;
      const int64_t t = stripT0 + in.CurT();
      const auto id = in.SymbolID();
      const int ri = in.RI();
      const TJBIG2Bitmap* symbol =
          id && *id >= 0 && uint64_t(*id) < p.Symbols.size() ? p.Symbols[size_t(*id)] : nullptr;
      TJBIG2Bitmap* refined = nullptr;
      if (ri) {
        // The refinement of a symbol the region does not have is read, to stay in step with
        // the coding, and not drawn.
        refined = Refine(d, in, p, symbol);
        symbol = symbol ? refined : nullptr;
      }
      ++instances;
      if (symbol) {
        const int64_t w = symbol->Width(), h = symbol->Height();
        if (!p.Transposed && p.RefCorner >= kCornerBottomRight) curS += w - 1;
        if (p.Transposed && (p.RefCorner == kCornerBottomLeft || p.RefCorner == kCornerBottomRight)) curS += h - 1;
        int64_t x, y;
        const bool right = p.RefCorner == kCornerTopRight || p.RefCorner == kCornerBottomRight;
        const bool bottom = p.RefCorner == kCornerBottomLeft || p.RefCorner == kCornerBottomRight;
        if (!p.Transposed) {
          x = right ? curS - w + 1 : curS;
          y = bottom ? t - h + 1 : t;
        } else {
          x = right ? t - w + 1 : t;
          y = bottom ? curS - h + 1 : curS;
        }
        region.Combine(*symbol, x, y, p.CombinationOperator);
        work += std::min<int64_t>(h, region.Height()) * (w / 8 + 2);
        if (!p.Transposed && p.RefCorner <= kCornerTopLeft) curS += w - 1;
        if (p.Transposed && (p.RefCorner == kCornerTopLeft || p.RefCorner == kCornerTopRight)) curS += h - 1;
      }
      if (refined) d.Factory().Release(refined);
      if (work > budget) return;
      if (instances >= p.NumInstances) {
        // The strip's out-of-band end still follows: a dictionary's coding goes on after it.
        in.Value(p.DS, IADS);
        return;
      }
    }
  }
}

}  // namespace jbig2
