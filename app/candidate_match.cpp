#include "app/candidate_match.h"

#include "app/footprint_analysis.h"
#include "app/master_footprint.h"
#include "app/sorter_view.h"
#include "platform/rtl/numbers.h"

namespace Tarnwick1 {

int32_t Needed = 0;
int32_t ColourNeeded = 0;
int32_t Hits = 0;
int32_t ColourHits = 0;

namespace {

enum Test { kWidth, kHeight, kRatio, kOrientation, kPixels, kImageType, kColourDistribution, kColourClass };

bool Passes(int test, const TFootprint& c, const TFootprint& m, const TMasterBounds& b) {
  switch (test) {
    case kWidth: return b.Width.Contains(c.Width);
    case kHeight: return b.Height.Contains(c.Height);
    case kRatio: {
      int64_t num = 0, den = 1;
      RatioOf(c, num, den);
      return b.Ratio.Contains(num, den);
    }
    case kOrientation: return c.Orientation == m.Orientation;
    case kPixels: return b.Pixels.Contains(PixelCountOf(c));
    case kImageType: return SameImageType(c.ImageType, m.ImageType);
    case kColourClass: return c.ColourClass == m.ColourClass;
    default: return false;
  }
}

}  // namespace

bool MatchesMaster(const TFootprint& candidate, const TFootprint& master, const TMasterBounds& bounds,
                   int32_t precision, const TTestSelection& tests) {
  Needed = ColourNeeded = Hits = ColourHits = 0;
  for (int t : {kWidth, kHeight, kRatio, kOrientation, kPixels, kImageType, kColourClass}) {
    if (!tests[size_t(t)]) continue;
    ++Needed;
    if (Passes(t, candidate, master, bounds)) ++Hits;
  }
  if (tests[kColourDistribution]) {
    ColourNeeded = ClampToInt32(RoundQuotient(__int128(kGridValues) * precision, 100));
    for (int i = 0; i < kGridValues; ++i) {
      if (bounds.Colour[size_t(i)].Contains(candidate.ColourDistribution[size_t(i)])) ++ColourHits;
    }
  }
  if (!candidate.Loaded) return false;
  if (Needed > 0 && Hits != Needed) return false;
  if (ColourNeeded > 0 && ColourHits < ColourNeeded) return false;
  return true;
}

TTestSelection SelectedTests(const TSorterView& view) {
  TTestSelection tests{};
  for (int i = 0; i < 8; ++i) tests[size_t(i)] = view.Checked(i + 1);
  return tests;
}

std::string CompareImageFile(const std::string& fileName) {
  ReadSquareSettings();
  if (SorterView && SorterView->Text(TSorterEdit::EditPrec).empty()) SorterView->SetText(TSorterEdit::EditPrec, "75");
  return CompareImageFile(fileName, SorterView ? SelectedTests(*SorterView) : TTestSelection{});
}

std::string CompareImageFile(const std::string& fileName, const TTestSelection& tests) {
  if (!ReuseFootprint(fileName, MasterPrint, CandidatePrint))
    AnalyseFootprint(fileName, CandidatePrint, TUnreadable::LeavesEmptyFootprint);
  const std::string properties = PropertyString(CandidatePrint);
  return MatchesMaster(CandidatePrint, MasterPrint, MasterBounds, Precision, tests) ? properties : std::string();
}

}  // namespace Tarnwick1
