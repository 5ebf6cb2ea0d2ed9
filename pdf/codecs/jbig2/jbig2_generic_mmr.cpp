// MMR-coded generic regions: each row coded two-dimensionally against the row above (the
// first row against a white one), with pass, horizontal and vertical modes.
#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_changing_elements.h"
#include "pdf/codecs/jbig2/jbig2_generic.h"
#include "pdf/codecs/jbig2/jbig2_mmr.h"

namespace jbig2 {

namespace {

using ccitt::TMode;

class TMMRRows {
 public:
  TMMRRows(TMMRDecoder& mmr, int32_t width) : mmr_(mmr), width_(width) {}

  // Decodes the next row into row (zero on entry); it becomes the reference of the next.
  void Decode(uint8_t* row);
  // True when the last row decoded holds no black pixel.
  bool LastRowWhite() const { return ref_.empty(); }

 private:
  // A run of the colour: codes added up until one below 64 (an EOL counts -2).
  int64_t Run(bool black);
  // Records a change of colour; two at one place cancel, so the elements stay strictly
  // increasing. A change at the row's end changes no pixel, nor b1 or b2 of the next row
  // (past its elements the reference row ends there anyway): it is not kept.
  void Record(int32_t position) {
    if (position >= width_) return;
    if (!cur_.empty() && cur_.back() == position)
      cur_.pop_back();
    else
      cur_.push_back(position);
  }

  TMMRDecoder& mmr_;
  int32_t width_;
  std::vector<int32_t> ref_, cur_;
};

int64_t TMMRRows::Run(bool black) {
  int64_t total = 0;
  for (;;) {
    const int32_t code = black ? mmr_.GetBlackCode() : mmr_.GetWhiteCode();
    // Runs longer than any row only need to stay longer than the row.
    total = std::min<int64_t>(total + code, int64_t{1} << 40);
    if (code < 64) return total;
  }
}

void TMMRRows::Decode(uint8_t* row) {
  cur_.clear();
  int32_t search = 0;
  // a0 = -1 is the imaginary white element in front of the row.
  int32_t a0 = -1;
  bool black = false;
  // Every mode moves a0 right or takes bits; past the data, only passes come, each of which
  // moves a0 at least to b1.
  while (a0 < width_) {
    const TMode mode = mmr_.Get2DCode();
    const int32_t start = std::max(a0, 0);
    int32_t b1, b2;
    if (mode == TMode::Pass) {
      ccitt::FindChangingElements(ref_, width_, a0, black, search, b1, b2);
      a0 = b2;
    } else if (mode == TMode::Horizontal) {
      const int64_t first = Run(black), second = Run(!black);
      // Runs that would end left of a0 (EOL codes) or past the row are held at those bounds.
      const auto a1 = static_cast<int32_t>(std::clamp<int64_t>(start + first, start, width_));
      const auto a2 = static_cast<int32_t>(std::clamp<int64_t>(a1 + second, a1, width_));
      Record(a1);
      Record(a2);
      a0 = a2;
    } else {
      ccitt::FindChangingElements(ref_, width_, a0, black, search, b1, b2);
      const int32_t a1 = std::clamp(b1 + ccitt::VerticalOffset(mode), start, width_);
      Record(a1);
      a0 = a1;
      black = !black;
    }
  }
  // The row's black runs lie between the even elements and the odd ones after them.
  for (size_t i = 0; i < cur_.size(); i += 2)
    ccitt::FillRun(row, cur_[i], i + 1 < cur_.size() ? cur_[i + 1] : width_);
  std::swap(ref_, cur_);
}

}  // namespace

int64_t ReadMMRGenericRegion(TJBIG2Bitmap& bitmap, TMMRDecoder& mmr, int64_t mmrDataLength) {
  mmr.Reset();
  int32_t y = 0;
  // A bitmap without columns holds nothing to decode.
  if (bitmap.Width() > 0) {
    TMMRRows rows(mmr, bitmap.Width());
    while (y < bitmap.Height()) {
      const bool whiteAbove = rows.LastRowWhite();
      const int64_t before = mmr.BitsTaken();
      rows.Decode(bitmap.Row(y++));
      // A white row under a white row that took no bits leaves everything as it found it:
      // every row after it would be the same (past the data, only zero bits come).
      if (whiteAbove && rows.LastRowWhite() && mmr.BitsTaken() == before) break;
    }
  }
  if (mmrDataLength >= 0)
    mmr.SkipTo(mmrDataLength);
  else
    mmr.Get24Bits();
  return y;
}

}  // namespace jbig2
