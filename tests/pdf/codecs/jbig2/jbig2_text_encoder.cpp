#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"

#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_huffman.h"

namespace jbig2_test {

namespace {

int CodeLength(size_t n) {
  int k = 0;
  while ((size_t{1} << k) < n) ++k;
  return k;
}

// Where the decoder's S and T coordinates of an instance lie.
struct Placed {
  int64_t T, SBefore, SAfter;
};
Placed Coordinates(const TextInstance& in, int64_t w, int64_t h, const TextOptions& o) {
  const bool right = o.RefCorner == 2 || o.RefCorner == 3, bottom = o.RefCorner == 0 || o.RefCorner == 2;
  if (!o.Transposed) return {bottom ? in.Y + h - 1 : in.Y, in.X, in.X + w - 1};
  return {right ? in.X + w - 1 : in.X, in.Y, in.Y + h - 1};
}

struct Writer {
  bool Huffman;
  ArithState* A = nullptr;
  BitWriter* W = nullptr;
  void Int(const std::string& name, int table, std::optional<int64_t> v) {
    if (Huffman)
      PutHuffman(*W, table, v);
    else
      A->E.EncodeInt(A->I(name), v);
  }
};

// Instances in decoding order with their coordinates, grouped into strips.
struct Ordered {
  const TextInstance* In;
  Placed P;
  int64_t Strip, CurT;
};

std::vector<Ordered> Order(const std::vector<Bitmap>& symbols, const std::vector<TextInstance>& instances,
                           const TextOptions& o) {
  const int64_t strips = int64_t{1} << o.LogStrips;
  std::vector<Ordered> out;
  for (const auto& in : instances) {
    const Bitmap& b = in.Refine ? in.Target : symbols.at(in.Id);
    Placed p = Coordinates(in, b.Width, b.Height, o);
    const int64_t strip = (p.T >= 0 ? p.T / strips : -((-p.T + strips - 1) / strips)) * strips;
    out.push_back({&in, p, strip, p.T - strip});
  }
  std::stable_sort(out.begin(), out.end(), [](const Ordered& a, const Ordered& b) {
    return a.Strip != b.Strip ? a.Strip < b.Strip : a.P.SBefore < b.P.SBefore;
  });
  return out;
}

void EncodeRefinement(ArithState& a, const Bitmap& target, const Bitmap& reference, const TextInstance& in,
                      const TextOptions& o) {
  RefinementOptions r;
  r.Template = o.RTemplate;
  std::copy(o.RAT, o.RAT + 4, r.AT);
  const int64_t rdw = target.Width - reference.Width, rdh = target.Height - reference.Height;
  r.DX = int((rdw >> 1) + in.RDX);
  r.DY = int((rdh >> 1) + in.RDY);
  if (a.Refinement.empty()) a.Refinement = RefinementStats(o.RTemplate);
  EncodeRefinementPixels(a.E, a.Refinement, target, reference, r);
}

// The instances of one text region through w (arithmetic state a, or bits).
void EncodeInstances(Writer& w, ArithState& a, const std::vector<Bitmap>& symbols,
                     const std::vector<TextInstance>& instances, const TextOptions& o,
                     const std::vector<jbig2::THuffmanLine>* codes, int codeLength, int rsizeTable) {
  const int64_t strips = int64_t{1} << o.LogStrips;
  const int dtTable = 11 + o.DT, fsTable = 6 + o.FS, dsTable = 8 + o.DS, rdTable = 14 + o.RD;
  const auto order = Order(symbols, instances, o);
  // Huffman strip deltas are positive: the first strip starts below the lowest one used.
  const int64_t lowest = order.empty() ? 0 : order[0].Strip / strips;
  const int64_t dt0 = std::max<int64_t>(1, 1 - lowest);
  w.Int("IADT", dtTable, dt0);
  int64_t stripT = -dt0 * strips, firstS = 0;
  for (size_t i = 0; i < order.size();) {
    const int64_t strip = order[i].Strip;
    w.Int("IADT", dtTable, (strip - stripT) / strips);
    stripT = strip;
    int64_t curS = 0;
    bool first = true;
    for (; i < order.size() && order[i].Strip == strip; ++i) {
      const Ordered& e = order[i];
      if (first) {
        w.Int("IAFS", fsTable, e.P.SBefore - firstS);
        firstS = e.P.SBefore;
        first = false;
      } else {
        w.Int("IADS", dsTable, e.P.SBefore - curS - o.DSOffset);
      }
      if (o.LogStrips) {
        if (w.Huffman)
          w.W->Put(uint64_t(e.CurT), o.LogStrips);
        else
          a.E.EncodeInt(a.I("IAIT"), e.CurT);
      }
      if (w.Huffman) {
        if (codes) {
          const auto& line = (*codes)[e.In->Id];
          w.W->Put(line.Code, line.PrefixLength);
        } else {
          w.W->Put(e.In->Id, codeLength);
        }
      } else {
        if (a.IAID.empty()) a.IAID.resize(size_t{2} << codeLength);
        a.E.EncodeIAID(a.IAID, codeLength, e.In->Id);
      }
      if (o.Refine) {
        if (w.Huffman)
          w.W->Put(e.In->Refine ? 1 : 0, 1);
        else
          a.E.EncodeInt(a.I("IARI"), e.In->Refine ? 1 : 0);
      }
      if (e.In->Refine) {
        const Bitmap& ref = symbols.at(e.In->Id);
        w.Int("IARDW", rdTable, e.In->Target.Width - ref.Width);
        w.Int("IARDH", rdTable, e.In->Target.Height - ref.Height);
        w.Int("IARDX", rdTable, e.In->RDX);
        w.Int("IARDY", rdTable, e.In->RDY);
        if (w.Huffman) {
          // A coder of its own for each piece; the statistics go on across the region.
          ArithState piece;
          piece.Refinement = std::move(a.Refinement);
          EncodeRefinement(piece, e.In->Target, ref, *e.In, o);
          a.Refinement = std::move(piece.Refinement);
          const std::string bytes = piece.E.Finish();
          PutHuffman(*w.W, rsizeTable, int64_t(bytes.size()));
          w.W->Align();
          for (char c : bytes) w.W->Put(uint8_t(c), 8);
        } else {
          EncodeRefinement(a, e.In->Target, ref, *e.In, o);
        }
      }
      curS = e.P.SAfter;
    }
    w.Int("IADS", dsTable, std::nullopt);
  }
}

}  // namespace

Bitmap DrawInstances(uint32_t width, uint32_t height, const std::vector<Bitmap>& symbols,
                     const std::vector<TextInstance>& instances, const TextOptions& o) {
  Bitmap out{int(width), int(height)};
  if (o.DefPixel)
    for (auto& b : out.Bits) b = 0xFF;
  for (const auto& in : instances) {
    CombineAt(out, in.Refine ? in.Target : symbols.at(in.Id), in.X, in.Y, o.CombOp);
  }
  return out;
}

std::string TextRegionData(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t op,
                           const std::vector<Bitmap>& symbols, const std::vector<TextInstance>& instances,
                           const TextOptions& o) {
  std::string s = RegionInfo(width, height, x, y, op);
  const uint16_t flags = uint16_t((o.Huffman ? 1 : 0) | (o.Refine ? 2 : 0) | o.LogStrips << 2 | o.RefCorner << 4 |
                                  (o.Transposed ? 64 : 0) | o.CombOp << 7 | o.DefPixel << 9 |
                                  (o.DSOffset & 31) << 10 | o.RTemplate << 15);
  s += U16(flags);
  if (o.Huffman)
    s += U16(uint16_t(o.FS | o.DS << 2 | o.DT << 4 | o.RD << 6 | o.RD << 8 | o.RD << 10 | o.RD << 12));
  if (o.Refine && o.RTemplate == 0)
    for (int8_t a : o.RAT) s += char(a);
  s += U32(uint32_t(instances.size()));
  const int codeLength = CodeLength(symbols.size());
  ArithState a;
  if (!o.Huffman) {
    Writer w{false, &a, nullptr};
    EncodeInstances(w, a, symbols, instances, o, nullptr, codeLength, 1);
    return s + a.E.Finish();
  }
  BitWriter bits;
  // The symbol code table: every run code 6 bits long, then the symbols' lengths with
  // repeats (code 32) and zero runs (33, 34) where they fit.
  std::vector<int> lengths = o.CodeLengths;
  if (lengths.empty()) lengths.assign(symbols.size(), std::max(codeLength, 1));
  for (int i = 0; i < 35; ++i) bits.Put(6, 4);
  for (size_t i = 0; i < lengths.size();) {
    size_t run = 1;
    while (i + run < lengths.size() && lengths[i + run] == lengths[i]) ++run;
    if (lengths[i] == 0 && run >= 11) {
      const size_t n = std::min<size_t>(run, 138);
      bits.Put(34, 6), bits.Put(n - 11, 7);
      i += n;
    } else if (lengths[i] == 0 && run >= 3) {
      const size_t n = std::min<size_t>(run, 10);
      bits.Put(33, 6), bits.Put(n - 3, 3);
      i += n;
    } else if (i > 0 && lengths[i - 1] == lengths[i] && run >= 3) {
      const size_t n = std::min<size_t>(run, 6);
      bits.Put(32, 6), bits.Put(n - 3, 2);
      i += n;
    } else {
      bits.Put(uint64_t(lengths[i]), 6);
      ++i;
    }
  }
  bits.Align();
  std::vector<jbig2::THuffmanLine> lines(lengths.size());
  for (size_t i = 0; i < lines.size(); ++i) lines[i].PrefixLength = lengths[i];
  jbig2::AssignCodes(lines);
  Writer w{true, nullptr, &bits};
  EncodeInstances(w, a, symbols, instances, o, &lines, codeLength, 1);
  return s + bits.Bytes();
}

std::string SymbolDictionaryData(const std::vector<Bitmap>& inputs, const std::vector<Bitmap>& symbols,
                                 const DictionaryOptions& o, uint32_t* exportedCount) {
  const uint16_t flags = uint16_t((o.Huffman ? 1 : 0) | (o.RefAgg ? 2 : 0) | (o.SignedDeltas ? (1 << 2 | 1 << 4) : 0) |
                                  (o.Used ? 1 << 8 : 0) | (o.Retained ? 1 << 9 : 0) | o.Template << 10 |
                                  o.RTemplate << 12);
  std::string s = U16(flags);
  if (!o.Huffman)
    for (int i = 0; i < (o.Template == 0 ? 8 : 2); ++i) s += char(o.AT[i]);
  if (o.RefAgg && o.RTemplate == 0)
    for (int8_t a : o.RAT) s += char(a);
  std::vector<uint32_t> runs = o.ExportRuns;
  if (runs.empty()) runs = {uint32_t(inputs.size()), uint32_t(symbols.size())};
  uint32_t exported = 0;
  for (size_t i = 1; i < runs.size(); i += 2) exported += runs[i];
  if (exportedCount) *exportedCount = exported;
  s += U32(exported) + U32(uint32_t(symbols.size()));

  const int codeLength = CodeLength(inputs.size() + symbols.size());
  ArithState a;
  a.Generic = GenericStats(o.Template);
  BitWriter bits;
  Writer w{o.Huffman, &a, &bits};
  const int dhTable = o.SignedDeltas ? 5 : 4, dwTable = o.SignedDeltas ? 3 : 2;
  GenericOptions g;
  g.Template = o.Template;
  std::copy(o.AT, o.AT + 8, g.AT);
  std::vector<Bitmap> all = inputs;
  int64_t height = 0;
  for (size_t i = 0; i < symbols.size();) {
    size_t end = i;
    while (end < symbols.size() && symbols[end].Height == symbols[i].Height) ++end;
    w.Int("IADH", dhTable, symbols[i].Height - height);
    height = symbols[i].Height;
    int64_t width = 0, total = 0;
    for (size_t k = i; k < end; ++k) {
      const Bitmap& b = symbols[k];
      w.Int("IADW", dwTable, b.Width - width);
      width = b.Width;
      total += b.Width;
      if (o.RefAgg) {
        const auto& agg = o.Aggregates.at(k);
        w.Int("IAAI", 1, int64_t(agg.size()));
        TextOptions t;
        t.Huffman = o.Huffman;
        t.Refine = true;
        t.RD = 1;  // aggregates use table B.15 for the refinement deltas
        t.RTemplate = o.RTemplate;
        std::copy(o.RAT, o.RAT + 4, t.RAT);
        if (agg.size() == 1 && agg[0].Refine) {
          const TextInstance& in = agg[0];
          if (o.Huffman) {
            bits.Put(in.Id, codeLength);
            PutHuffman(bits, 15, in.RDX);
            PutHuffman(bits, 15, in.RDY);
            ArithState piece;
            RefinementOptions r;
            r.Template = o.RTemplate;
            std::copy(o.RAT, o.RAT + 4, r.AT);
            r.DX = int(in.RDX), r.DY = int(in.RDY);
            if (a.Refinement.empty()) a.Refinement = RefinementStats(o.RTemplate);
            EncodeRefinementPixels(piece.E, a.Refinement, b, all.at(in.Id), r);
            const std::string bytes = piece.E.Finish();
            PutHuffman(bits, 1, int64_t(bytes.size()));
            bits.Align();
            for (char c : bytes) bits.Put(uint8_t(c), 8);
          } else {
            if (a.IAID.empty()) a.IAID.resize(size_t{2} << codeLength);
            a.E.EncodeIAID(a.IAID, codeLength, in.Id);
            a.E.EncodeInt(a.I("IARDX"), in.RDX);
            a.E.EncodeInt(a.I("IARDY"), in.RDY);
            RefinementOptions r;
            r.Template = o.RTemplate;
            std::copy(o.RAT, o.RAT + 4, r.AT);
            r.DX = int(in.RDX), r.DY = int(in.RDY);
            if (a.Refinement.empty()) a.Refinement = RefinementStats(o.RTemplate);
            EncodeRefinementPixels(a.E, a.Refinement, b, all.at(in.Id), r);
          }
        } else {
          std::vector<Bitmap> available(all.begin(), all.end());
          EncodeInstances(w, a, available, agg, t, nullptr, codeLength, 1);
        }
      } else if (!o.Huffman) {
        EncodeGenericPixels(a.E, a.Generic, b, g);
      }
      all.push_back(b);
    }
    w.Int("IADW", dwTable, std::nullopt);
    if (o.Huffman && !o.RefAgg) {
      Bitmap collective{int(total), int(height)};
      int64_t x = 0;
      for (size_t k = i; k < end; ++k) {
        for (int yy = 0; yy < symbols[k].Height; ++yy)
          for (int xx = 0; xx < symbols[k].Width; ++xx) collective.Set(int(x + xx), yy, symbols[k].Get(xx, yy));
        x += symbols[k].Width;
      }
      std::string data = std::string(collective.Bits.begin(), collective.Bits.end());
      if (o.MMR) data = o.MMRWithoutEndOfBlock ? WithoutEndOfBlock(EncodeMMR(collective)) : EncodeMMR(collective);
      PutHuffman(bits, 1, o.MMR ? int64_t(data.size()) : 0);
      bits.Align();
      for (char c : data) bits.Put(uint8_t(c), 8);
    }
    i = end;
  }
  for (uint32_t r : runs) w.Int("IAEX", 1, int64_t(r));
  return s + (o.Huffman ? bits.Bytes() : a.E.Finish());
}

}  // namespace jbig2_test
