#include "pdf/codecs/gif/gif_screen_rows.h"

#include <algorithm>

#include "pdf/codecs/gif/gif_frame_rows.h"

TPDFGIFScreenRows::TPDFGIFScreenRows(const TPDFGIFDecoder& gif) : gif_(gif), row_(size_t(gif.ScreenWidth) * 3) {
  for (const TPDFGIFFrame* f : gif.PaintedFrames()) {
    if (!gif.OnScreen(*f)) continue;
    TFrame frame;
    frame.frame = f;
    frame.colours = gif.FrameColours(*f, true);
    frames_.push_back(std::move(frame));
    bottom_ = std::max<int64_t>(bottom_, std::min<int64_t>(int64_t(f->Top) + f->Height, gif.ScreenHeight));
  }
  byTop_.resize(frames_.size());
  for (size_t i = 0; i < byTop_.size(); ++i) byTop_[i] = i;
  std::stable_sort(byTop_.begin(), byTop_.end(),
                   [this](size_t a, size_t b) { return frames_[a].frame->Top < frames_[b].frame->Top; });
}

TPDFGIFScreenRows::~TPDFGIFScreenRows() = default;

const uint8_t* TPDFGIFScreenRows::Next() {
  const int64_t y = next_;
  if (y < gif_.ScreenHeight) ++next_;
  for (; started_ < byTop_.size() && frames_[byTop_[started_]].frame->Top <= y; ++started_) {
    const size_t i = byTop_[started_];
    live_.insert(std::lower_bound(live_.begin(), live_.end(), i), i);
  }
  // White where no frame paints, as a new bitmap is; a row already white stays so.
  if (!white_ || !live_.empty()) std::fill(row_.begin(), row_.end(), uint8_t{0xFF});
  white_ = live_.empty();
  if (y >= gif_.ScreenHeight) return row_.data();
  size_t kept = 0;
  for (const size_t i : live_) {
    TFrame& f = frames_[i];
    const uint32_t r = uint32_t(y - f.frame->Top);
    if (!f.rows) f.rows = std::make_unique<TPDFGIFFrameRows>(gif_, *f.frame);
    const uint8_t* indexes = nullptr;
    const int64_t have = f.rows->Row(r, indexes);
    if (have > 0) gif_.PaintRow(*f.frame, f.colours, indexes, have, row_.data());
    f.rows->ReleaseSpent();
    // Past the frame's last row on the screen, or its data's, its reader goes.
    if (r + 1 >= f.frame->Height || y + 1 >= gif_.ScreenHeight || f.rows->Done())
      f.rows.reset();
    else
      live_[kept++] = i;
  }
  live_.resize(kept);
  return row_.data();
}
