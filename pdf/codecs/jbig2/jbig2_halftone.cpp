// Pattern dictionaries and halftone regions: a grid of gray values, each cell drawn with the
// pattern its value selects.
#include <algorithm>

#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_halftone_grid.h"
#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"
#include "pdf/codecs/jbig2/jbig2_text.h"

namespace jbig2 {

namespace {

// The gray value of cell (ng, mg) from its bit planes (most significant first, Gray-coded); a
// missing plane holds zeros.
uint32_t GrayValue(const std::vector<TJBIG2Bitmap*>& planes, int64_t ng, int64_t mg) {
  uint32_t gray = 0;
  for (const TJBIG2Bitmap* plane : planes) {
    const uint32_t bit = plane ? uint32_t(plane->GetPixel(ng, mg)) : 0;
    gray = (gray << 1) | (bit ^ (gray & 1));
  }
  return gray;
}

}  // namespace

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
    ReadMMRGenericRegion(*collective, Mmr(), int64_t{header_->DataLength} - 7);
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
  if (GoesNowhere()) return;
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
  const THalftoneGrid grid{gridWidth, gridHeight, gridX, gridY, stepX, stepY};
  auto reaching = [&](int64_t mg) {
    return grid.ReachingCells(mg, patternWidth, patternHeight, RegionWidth, RegionHeight);
  };
  const TIndexRange rows = grid.ReachingRows(patternWidth, patternHeight, RegionWidth, RegionHeight);

  // The gray values' bit planes, from the most significant. Cells whose pattern would fall
  // wholly outside the region may be left out of the coding: then the planes hold only the
  // rows that can reach it (rows above them would be all 0 and take no decisions).
  TGenericRegionParams p;
  p.Template = Flags.GetValue("H_TEMPLATE");
  p.AdaptiveX = {p.Template <= 1 ? 3 : 2, -3, 2, -2};
  p.AdaptiveY = {-1, -1, -2, -2};
  const bool skip = Flags.GetValue("H_ENABLE_SKIP") != 0 && !mmr;
  const int64_t planeTop = skip ? rows.Begin : 0, planeHeight = skip ? rows.End - rows.Begin : gridHeight;
  if (skip) p.CodedColumns = [&](int32_t y) { return reaching(planeTop + y); };
  if (!mmr) {
    Arith().ResetGenericStats(p.Template, nullptr);
    Arith().Start();
  }
  std::vector<TJBIG2Bitmap*> planes;
  for (int plane = bitsPerPixel - 1; plane >= 0; --plane) {
    // Once the data has run out the planes left are all 0: they are neither made nor walked.
    if (mmr ? r.AtEnd() : Arith().Exhausted()) {
      planes.push_back(nullptr);
      continue;
    }
    TJBIG2Bitmap* bits = Factory().Create(gridWidth, planeHeight);
    if (!bits) break;
    planes.push_back(bits);
    if (mmr) {
      // Each plane ends with an end-of-block code, which the next plane's reset passes over.
      ReadMMRGenericRegion(*bits, Mmr(), -1);
      CellsDecoded += int64_t{bits->Width()} * bits->Height();
    } else {
      CellsDecoded += ReadGenericRegion(*bits, Arith(), p);
    }
  }

  // Only the cells reaching the region have their gray value assembled and drawn.
  int64_t work = 0;
  const int64_t budget = TJBIG2StreamDecoder::CombineBudget(RegionWidth, RegionHeight);
  for (int64_t mg = rows.Begin; mg < rows.End && work <= budget; ++mg) {
    const TIndexRange cells = reaching(mg);
    for (int64_t ng = cells.Begin; ng < cells.End && work <= budget; ++ng) {
      // A value past the last pattern draws the last one.
      const size_t value = std::min<size_t>(GrayValue(planes, ng, mg - planeTop), patterns.size() - 1);
      region->Combine(*patterns[value], grid.CellX(mg, ng), grid.CellY(mg, ng), combination);
      work += patternHeight * (patternWidth / 8 + 2);
      ++CellsDrawn;
    }
  }
  for (TJBIG2Bitmap* plane : planes)
    if (plane) Factory().Release(plane);
  Deliver(region);
}

}  // namespace jbig2
