// Pattern dictionaries and halftone regions: a grid of gray values, each cell drawn with the
// pattern its value selects.
#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_mmr.h"
#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"
#include "pdf/codecs/jbig2/jbig2_text.h"

namespace jbig2 {

void TPatternDictionarySegment::ReadSegment() {
  TStreamReader& r = Reader();
  Flags.SetValue(r.ReadByte());
  PatternWidth = r.ReadByte();
  PatternHeight = r.ReadByte();
  GrayMax = r.ReadUInt32();
  if (r.EndFlag() || int64_t{GrayMax} + 1 > TJBIG2StreamDecoder::MaxSymbols) return;
  const int64_t count = int64_t{GrayMax} + 1;
  TJBIG2Bitmap* collective = Factory().Create(count * PatternWidth, PatternHeight);
  if (!collective) return;
  if (Flags.GetValue("HD_MMR")) {
    TMMRDecoder::ReadRegion(*collective, r.Rest(), false);
  } else {
    TGenericRegionParams p;
    p.Template = Flags.GetValue("HD_TEMPLATE");
    p.AdaptiveX = {-int32_t(PatternWidth), -3, 2, -2};
    p.AdaptiveY = {0, -1, -2, -2};
    Arith().ResetGenericStats(p.Template, nullptr);
    Arith().Start();
    ReadGenericRegion(*collective, Arith(), p);
  }
  Patterns.reserve(size_t(count));
  for (int64_t i = 0; i < count; ++i) {
    TJBIG2Bitmap* pattern = Factory().Extract(*collective, i * PatternWidth, 0, PatternWidth, PatternHeight);
    if (!pattern) break;
    Patterns.push_back(pattern);
  }
  Factory().Release(collective);
}

void THalftoneRegionSegment::ReadSegment() {
  TStreamReader& r = Reader();
  ReadRegionInformation();
  Flags.SetValue(r.ReadByte());
  const int64_t gridWidth = r.ReadUInt32(), gridHeight = r.ReadUInt32();
  const int64_t gridX = static_cast<int32_t>(r.ReadUInt32()), gridY = static_cast<int32_t>(r.ReadUInt32());
  const int64_t stepX = r.ReadUInt16(), stepY = r.ReadUInt16();
  if (r.EndFlag() || header_->ReferredToSegments.empty()) return;
  TSegment* referred = decoder_.FindReferredSegment(*this, header_->ReferredToSegments[0]);
  if (!referred || referred->Header().SegmentType != kPatternDictionary) return;
  const auto& patterns = static_cast<TPatternDictionarySegment*>(referred)->Patterns;
  if (patterns.empty()) return;
  const int bitsPerPixel = CodeLengthFor(patterns.size());
  const int64_t patternWidth = patterns[0]->Width(), patternHeight = patterns[0]->Height();
  const bool mmr = Flags.GetValue("H_MMR") != 0;
  const int combination = Flags.GetValue("H_COMB_OP");

  // A grid with many more cells than its region has pixels draws nothing a smaller one
  // could not; it is refused before its gray values take memory.
  if (!TJBIG2BitmapFactory::SizeAccepted(RegionWidth, RegionHeight) ||
      !TJBIG2BitmapFactory::SizeAccepted(gridWidth, gridHeight) ||
      gridWidth * gridHeight > 4 * int64_t{RegionWidth} * RegionHeight + (1 << 16))
    return;
  TJBIG2Bitmap* region = Factory().Create(RegionWidth, RegionHeight);
  if (!region) return;
  region->Fill(Flags.GetValue("H_DEF_PIXEL"));
  // A grid without cells draws nothing; its rows are not walked.
  if (gridWidth == 0 || gridHeight == 0) return Deliver(region);
  auto cellX = [&](int64_t mg, int64_t ng) { return gridX + mg * stepY + ng * stepX; };
  auto cellY = [&](int64_t mg, int64_t ng) { return gridY + mg * stepX - ng * stepY; };

  // Cells whose pattern would fall wholly outside the region are not coded.
  TJBIG2Bitmap* skip = nullptr;
  if (Flags.GetValue("H_ENABLE_SKIP")) {
    skip = Factory().Create(gridWidth, gridHeight);
    if (!skip) return Factory().Release(region);
    for (int64_t mg = 0; mg < gridHeight; ++mg)
      for (int64_t ng = 0; ng < gridWidth; ++ng) {
        const int64_t x = cellX(mg, ng) >> 8, y = cellY(mg, ng) >> 8;
        if (x + patternWidth <= 0 || x >= RegionWidth || y + patternHeight <= 0 || y >= RegionHeight)
          skip->SetPixel(ng, mg, 1);
      }
  }

  // The gray values, bit plane by bit plane from the most significant, Gray-coded.
  std::vector<uint32_t> gray(size_t(gridWidth * gridHeight), 0);
  TGenericRegionParams p;
  p.Template = Flags.GetValue("H_TEMPLATE");
  p.AdaptiveX = {p.Template <= 1 ? 3 : 2, -3, 2, -2};
  p.AdaptiveY = {-1, -1, -2, -2};
  p.Skip = skip;
  if (!mmr) {
    Arith().ResetGenericStats(p.Template, nullptr);
    Arith().Start();
  }
  for (int plane = bitsPerPixel - 1; plane >= 0; --plane) {
    TJBIG2Bitmap* bits = Factory().Create(gridWidth, gridHeight);
    if (!bits) break;
    if (mmr)
      r.Skip(int64_t(TMMRDecoder::ReadRegion(*bits, r.Rest(), true)));
    else
      ReadGenericRegion(*bits, Arith(), p);
    size_t i = 0;
    for (int32_t y = 0; y < bits->Height(); ++y)
      for (int32_t x = 0; x < bits->Width(); ++x, ++i)
        gray[i] = (gray[i] << 1) | (uint32_t(bits->GetPixel(x, y)) ^ (gray[i] & 1));
    Factory().Release(bits);
  }

  int64_t work = 0;
  for (int64_t mg = 0; mg < gridHeight && work <= TJBIG2StreamDecoder::MaxCombineWork; ++mg)
    for (int64_t ng = 0; ng < gridWidth; ++ng) {
      if (skip && skip->GetPixel(ng, mg)) continue;
      const int64_t x = cellX(mg, ng) >> 8, y = cellY(mg, ng) >> 8;
      if (x + patternWidth <= 0 || x >= RegionWidth || y + patternHeight <= 0 || y >= RegionHeight) continue;
      // A value past the last pattern draws the last one.
      const size_t value = std::min<size_t>(gray[size_t(mg * gridWidth + ng)], patterns.size() - 1);
      region->Combine(*patterns[value], x, y, combination);
      work += patternHeight * (patternWidth / 8 + 2);
    }
  if (skip) Factory().Release(skip);
  Deliver(region);
}

}  // namespace jbig2
