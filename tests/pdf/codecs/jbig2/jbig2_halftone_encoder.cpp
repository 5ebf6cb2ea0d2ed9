#include "tests/pdf/codecs/jbig2/jbig2_halftone_encoder.h"

namespace jbig2_test {

namespace {

int Bits(size_t n) {
  int k = 0;
  while ((size_t{1} << k) < n) ++k;
  return k;
}

int64_t CellX(const HalftoneOptions& o, int64_t mg, int64_t ng) { return o.GridX + mg * o.StepY + ng * o.StepX; }
int64_t CellY(const HalftoneOptions& o, int64_t mg, int64_t ng) { return o.GridY + mg * o.StepX - ng * o.StepY; }

bool Outside(const HalftoneOptions& o, int64_t mg, int64_t ng, int64_t pw, int64_t ph, int64_t w, int64_t h) {
  const int64_t x = CellX(o, mg, ng) >> 8, y = CellY(o, mg, ng) >> 8;
  return x + pw <= 0 || x >= w || y + ph <= 0 || y >= h;
}

}  // namespace

std::string PatternDictionaryData(const std::vector<Bitmap>& patterns, bool mmr, int tmpl) {
  const int pw = patterns[0].Width, ph = patterns[0].Height;
  Bitmap all{int(patterns.size()) * pw, ph};
  for (size_t i = 0; i < patterns.size(); ++i)
    for (int y = 0; y < ph; ++y)
      for (int x = 0; x < pw; ++x) all.Set(int(i) * pw + x, y, patterns[i].Get(x, y));
  std::string s(1, char((mmr ? 1 : 0) | tmpl << 1));
  s += char(pw);
  s += char(ph);
  s += U32(uint32_t(patterns.size() - 1));
  if (mmr) return s + EncodeMMR(all);
  GenericOptions g;
  g.Template = tmpl;
  const int8_t at[8] = {int8_t(-pw), 0, -3, -1, 2, -2, -2, -2};
  std::copy(at, at + 8, g.AT);
  return s + EncodeGeneric(all, g);
}

std::string HalftoneRegionData(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t op,
                               const std::vector<Bitmap>& patterns, const std::vector<uint32_t>& values,
                               const HalftoneOptions& o) {
  std::string s = RegionInfo(width, height, x, y, op);
  s += char((o.MMR ? 1 : 0) | o.Template << 1 | (o.Skip ? 8 : 0) | o.CombOp << 4 | o.DefPixel << 7);
  s += U32(o.GridWidth) + U32(o.GridHeight) + U32(uint32_t(o.GridX)) + U32(uint32_t(o.GridY)) + U16(o.StepX) +
       U16(o.StepY);
  const int bits = Bits(patterns.size());
  // Skipped cells are coded as 0 and not coded at all by the arithmetic coder.
  std::vector<bool> skipped(values.size(), false);
  if (o.Skip)
    for (uint32_t mg = 0; mg < o.GridHeight; ++mg)
      for (uint32_t ng = 0; ng < o.GridWidth; ++ng)
        skipped[mg * o.GridWidth + ng] = Outside(o, mg, ng, patterns[0].Width, patterns[0].Height, width, height);
  MQEncoder e;
  auto stats = GenericStats(o.Template);
  GenericOptions g;
  g.Template = o.Template;
  const int8_t at[8] = {int8_t(o.Template <= 1 ? 3 : 2), -1, -3, -1, 2, -2, -2, -2};
  std::copy(at, at + 8, g.AT);
  std::string coded;
  for (int j = bits - 1; j >= 0; --j) {
    // Gray code: each plane is its bit XOR the bit above it.
    Bitmap plane{int(o.GridWidth), int(o.GridHeight)};
    for (uint32_t mg = 0; mg < o.GridHeight; ++mg)
      for (uint32_t ng = 0; ng < o.GridWidth; ++ng) {
        const size_t i = mg * o.GridWidth + ng;
        if (skipped[i]) continue;
        const uint32_t v = values[i];
        const uint32_t bit = ((v >> j) ^ (j + 1 < bits ? v >> (j + 1) : 0)) & 1;
        plane.Set(int(ng), int(mg), bit != 0);
      }
    if (o.MMR) {
      coded += EncodeMMR(plane);
    } else {
      EncodeGenericPixels(e, stats, plane, g, &skipped);
    }
  }
  return s + (o.MMR ? coded : e.Finish());
}

Bitmap DrawHalftone(uint32_t width, uint32_t height, const std::vector<Bitmap>& patterns,
                    const std::vector<uint32_t>& values, const HalftoneOptions& o) {
  Bitmap out{int(width), int(height)};
  if (o.DefPixel)
    for (auto& b : out.Bits) b = 0xFF;
  for (uint32_t mg = 0; mg < o.GridHeight; ++mg)
    for (uint32_t ng = 0; ng < o.GridWidth; ++ng) {
      if (o.Skip && Outside(o, mg, ng, patterns[0].Width, patterns[0].Height, width, height)) continue;
      const Bitmap& pat = patterns[std::min<size_t>(values[mg * o.GridWidth + ng], patterns.size() - 1)];
      CombineAt(out, pat, CellX(o, mg, ng) >> 8, CellY(o, mg, ng) >> 8, o.CombOp);
    }
  return out;
}

}  // namespace jbig2_test
