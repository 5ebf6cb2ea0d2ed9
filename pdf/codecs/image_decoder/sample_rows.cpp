#include "pdf/codecs/image_decoder/sample_rows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kTiffPredictor = 2;
constexpr int kFirstPngPredictor = 10;
// LZW output is decoded a piece of about this size at a time.
constexpr int64_t kLZWPiece = 256 * 1024;

// An inflate of the feed's bytes: read where they lie when they lie whole in memory.
std::unique_ptr<TFlateReader> Inflater(std::unique_ptr<TByteFeed> feed, int64_t limit) {
  if (const auto* held = dynamic_cast<const TViewFeed*>(feed.get()))
    return std::make_unique<TFlateReader>(held->Bytes(), limit);
  return std::make_unique<TFlateReader>(std::make_unique<TFedInput>(std::move(feed)), limit);
}

}  // namespace

TSampleRows::TSampleRows(std::string_view bytes, TCoding coding, const FlatePredictorParams& predictor,
                         int64_t rowBytes, int64_t rows, int64_t keepBytes)
    : TSampleRows(std::make_unique<TViewFeed>(bytes), coding, predictor, rowBytes, rows, keepBytes) {}

TSampleRows::TSampleRows(std::unique_ptr<TByteFeed> feed, TCoding coding, const FlatePredictorParams& predictor,
                         int64_t rowBytes, int64_t rows, int64_t keepBytes)
    : coding_(coding),
      predictor_(predictor),
      png_(coding != kStored && predictor.Predictor >= kFirstPngPredictor),
      tiff_(coding != kStored && predictor.Predictor == kTiffPredictor),
      rowBytes_(rowBytes),
      stride_(rowBytes + (png_ ? 1 : 0)),
      keep_(png_ || tiff_ || keepBytes <= 0 || keepBytes > rowBytes ? rowBytes : keepBytes),
      row_(size_t(keep_)),
      above_(png_ || tiff_ ? size_t(rowBytes) : 0, 0) {
  // The rows never need more than the image holds, however large; unknown sizes take the
  // usual ceiling.
  const bool sized = rows > 0 && stride_ > 0 && rows <= kMaxImageSampleBytes / stride_;
  const int64_t samples = sized ? rows * stride_ : 0;
  const int64_t size = feed->Size();
  if (coding_ == kInflateRunLength || coding_ == kPackBits) start_ = feed->Clone();
  if (coding_ == kInflate) inflater_ = Inflater(std::move(feed), sized ? samples : kDefaultFilterOutputLimit);
  // Run-length data may be longer than the samples they make: the whole decode's ceiling.
  if (coding_ == kInflateRunLength)
    inflater_ = Inflater(std::move(feed), sized ? ImageOutputLimit(samples) : kDefaultFilterOutputLimit);
  if (coding_ == kLZW || coding_ == kLZWLateChange) {
    lzw_ = std::make_unique<TPDFLZWDecompressor>();
    lzw_->EarlyChange = coding_ == kLZW;
    // Room for what the data could plausibly make, and no more than the image's rows (a strip's
    // few kilobytes); the room grows if the data make more.
    int64_t room = std::min<int64_t>(TPDFLZWDecompressor::kKeptHistory, 16 * size + 4096);
    if (rows > 0 && stride_ > 0 && rows <= room / stride_) room = std::min(room, rows * stride_ + 1);
    if (sized) lzw_->MaxOutput = samples;
    lzw_->Open(std::move(feed), room);
  }
  fed_ = TFedInput(std::move(feed));
}

TSampleRows::~TSampleRows() = default;

bool TSampleRows::Supported(TCoding coding, const FlatePredictorParams& p, int64_t rowBytes) {
  if (rowBytes <= 0) return false;
  if (coding == kStored || p.Predictor < kTiffPredictor) return true;
  if (p.Predictor != kTiffPredictor && p.Predictor < kFirstPngPredictor) return false;
  if (!PredictorParamsUsable(p)) return false;
  return (int64_t{p.BitsPerComponent} * p.Colors * p.Columns + 7) / 8 == rowBytes;
}

// LZW output is read where the decoder keeps it: the rows handed out before are let go, then
// about a piece more is decoded when fewer than `want` bytes are left.
int64_t TSampleRows::FillLZW(int64_t want) {
  lzw_->Release(lzwTaken_);
  while (lzwMade_ - lzwTaken_ < want) {
    const int64_t made = lzw_->Produce(lzwTaken_ + std::max(want, kLZWPiece));
    if (made == lzwMade_) break;
    lzwMade_ = made;
  }
  return std::min<int64_t>(want, lzwMade_ - lzwTaken_);
}

bool TSampleRows::Empty() {
  if (done_) return false;
  if (coding_ == kInflateRunLength || coding_ == kPackBits) {
    // Whether the runs make a first byte: looked at on a reader of its own, which leaves this
    // one where it stands.
    TSampleRows probe(start_ ? start_->Clone() : std::make_unique<TViewFeed>(std::string_view()), coding_,
                      FlatePredictorParams{}, 1, 1);
    uint8_t first = 0;
    return probe.ReadDecoded(&first, 1) == 0;
  }
  if (inflater_) return inflater_->Exhausted();
  if (lzw_) return FillLZW(1) == 0;
  // Stored bytes: the window read next holds the first.
  return fed_.Ahead().empty();
}

int64_t TSampleRows::ReadRunBytes(uint8_t* out, int64_t n) {
  if (inflater_) return inflater_->Read(out, n);
  return fed_.Read(out, n);
}

int64_t TSampleRows::ReadDecoded(uint8_t* out, int64_t n) {
  if (coding_ != kInflateRunLength && coding_ != kPackBits) return inflater_->Read(out, n);
  // A length byte L, then L + 1 literal bytes (L below 128), one byte repeated 257 - L times
  // (L above 128), or the end of the data (L 128), read as RunLengthDecode reads them whole;
  // PackBits passes over L 128.
  int64_t got = 0;
  while (got < n) {
    if (runLeft_ == 0) {
      uint8_t head[2];
      if (runsEnded_ || ReadRunBytes(head, 1) < 1 || (head[0] == 128 && coding_ == kInflateRunLength)) {
        runsEnded_ = true;
        break;
      }
      if (head[0] == 128) continue;
      runRepeats_ = head[0] > 128;
      if (runRepeats_ && ReadRunBytes(&runByte_, 1) < 1) {
        runsEnded_ = true;
        break;
      }
      runLeft_ = runRepeats_ ? 257 - int64_t(head[0]) : int64_t(head[0]) + 1;
    }
    const int64_t k = std::min(runLeft_, n - got);
    int64_t made = k;
    if (runRepeats_) {
      if (out) std::memset(out + got, runByte_, size_t(k));
    } else {
      made = ReadRunBytes(out ? out + got : nullptr, k);
      if (made < k) runsEnded_ = true;
    }
    got += made;
    runLeft_ = runsEnded_ ? 0 : runLeft_ - made;
    if (runsEnded_) break;
  }
  return got;
}

int64_t TSampleRows::Take(uint8_t& tag) {
  const int64_t skip = png_ ? 1 : 0;
  if (inflater_ || coding_ == kPackBits) {
    const int64_t got = skip ? ReadDecoded(&tag, 1) : 0;
    if (got < skip) return got;
    const int64_t kept = ReadDecoded(row_.data(), keep_);
    const int64_t passed = kept == keep_ && keep_ < rowBytes_ ? ReadDecoded(nullptr, rowBytes_ - keep_) : 0;
    return got + kept + passed;
  }
  const int64_t have = FillLZW(stride_);
  const auto* from = reinterpret_cast<const uint8_t*>(lzw_->Window(lzwTaken_).data());
  lzwTaken_ += have;
  if (have > skip) {
    if (skip) tag = from[0];
    std::memcpy(row_.data(), from + skip, size_t(std::min(have - skip, keep_)));
  }
  return have;
}

const uint8_t* TSampleRows::Next() {
  if (done_) {
    // Rows past the data are all alike: a page that claims far more rows than its data hold
    // costs nothing per missing row here.
    if (!onesRow_) std::fill(row_.begin(), row_.end(), uint8_t{0xFF});
    onesRow_ = true;
    return row_.data();
  }
  if (coding_ == kStored) {
    // A row that lies whole in the window is read where it lies.
    if (const std::string_view ahead = fed_.Ahead(); int64_t(ahead.size()) >= stride_) {
      fed_.Skip(size_t(stride_));
      return reinterpret_cast<const uint8_t*>(ahead.data());
    }
    const int64_t kept = fed_.Read(row_.data(), keep_);
    const int64_t have = kept + (kept == keep_ && keep_ < rowBytes_ ? fed_.Read(nullptr, rowBytes_ - keep_) : 0);
    if (have < stride_) done_ = true;
    std::fill(row_.begin() + kept, row_.end(), uint8_t{0xFF});
    return row_.data();
  }
  uint8_t tag = 0;
  const int64_t have = Take(tag);
  if (have < stride_) done_ = true;
  if (have == 0 || (!png_ && !tiff_)) {
    std::fill(row_.begin() + std::min(have, keep_), row_.end(), uint8_t{0xFF});
    return row_.data();
  }
  // Under a predictor a short row is completed with zeros before it is undone.
  const int64_t stored = have - (png_ ? 1 : 0);
  std::fill(row_.begin() + stored, row_.end(), uint8_t{0});
  UndoPredictorRow(predictor_, tag, row_.data(), above_.data(), rowBytes_);
  if (png_) std::copy(row_.begin(), row_.end(), above_.begin());
  return row_.data();
}

const uint8_t* TSampleRows::NextPart(int64_t n) {
  if (partLeft_ == 0) partLeft_ = rowBytes_;
  n = std::clamp<int64_t>(n, 0, std::min(keep_, partLeft_));
  partLeft_ -= n;
  int64_t have = 0;
  if (!done_) {
    if (coding_ == kStored) {
      if (const std::string_view ahead = fed_.Ahead(); int64_t(ahead.size()) >= n) {
        fed_.Skip(size_t(n));
        return reinterpret_cast<const uint8_t*>(ahead.data());
      }
      have = fed_.Read(row_.data(), n);
    } else if (inflater_ || coding_ == kPackBits) {
      have = ReadDecoded(row_.data(), n);
    } else {
      have = FillLZW(n);
      if (have > 0) std::memcpy(row_.data(), lzw_->Window(lzwTaken_).data(), size_t(have));
      lzwTaken_ += have;
    }
    if (have < n) done_ = true;
  }
  std::fill(row_.begin() + have, row_.begin() + n, uint8_t{0xFF});
  return row_.data();
}
