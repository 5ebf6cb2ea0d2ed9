#include "pdf/codecs/image_decoder/sample_rows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kTiffPredictor = 2;
constexpr int kFirstPngPredictor = 10;
// LZW output is decoded a piece of about this size at a time.
constexpr int64_t kLZWPiece = 256 * 1024;

}  // namespace

TSampleRows::TSampleRows(std::string_view bytes, TCoding coding, const FlatePredictorParams& predictor,
                         int64_t rowBytes, int64_t rows, int64_t keepBytes)
    : bytes_(bytes),
      coding_(coding),
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
  if (coding_ == kInflate) inflater_ = std::make_unique<TFlateReader>(bytes_, sized ? samples : kDefaultFilterOutputLimit);
  // Run-length data may be longer than the samples they make: the whole decode's ceiling.
  if (coding_ == kInflateRunLength)
    inflater_ = std::make_unique<TFlateReader>(bytes_, sized ? ImageOutputLimit(samples) : kDefaultFilterOutputLimit);
  if (coding_ == kLZW || coding_ == kLZWLateChange) {
    lzw_ = std::make_unique<TPDFLZWDecompressor>();
    lzw_->EarlyChange = coding_ == kLZW;
    // Room for what the data could plausibly make, and no more than the image's rows (a strip's
    // few kilobytes); the room grows if the data make more.
    int64_t room = std::min<int64_t>(TPDFLZWDecompressor::kKeptHistory, 16 * int64_t(bytes_.size()) + 4096);
    if (rows > 0 && stride_ > 0 && rows <= room / stride_) room = std::min(room, rows * stride_ + 1);
    if (sized) lzw_->MaxOutput = samples;
    lzw_->Open(bytes_, room);
  }
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

int64_t TSampleRows::Fill(int64_t want) {
  if (coding_ == kStored) return std::min<int64_t>(want, int64_t(bytes_.size()) - consumed_);
  return FillLZW(want);
}

bool TSampleRows::Empty() {
  if (done_) return false;
  if (coding_ == kInflateRunLength || coding_ == kPackBits) {
    // Whether the runs make a first byte: looked at on a reader of its own, which leaves this
    // one where it stands.
    TSampleRows probe(bytes_, coding_, FlatePredictorParams{}, 1, 1);
    uint8_t first = 0;
    return probe.ReadDecoded(&first, 1) == 0;
  }
  return inflater_ ? inflater_->Exhausted() : Fill(1) == 0;
}

int64_t TSampleRows::ReadRunBytes(uint8_t* out, int64_t n) {
  if (inflater_) return inflater_->Read(out, n);
  const int64_t k = std::min<int64_t>(n, int64_t(bytes_.size()) - consumed_);
  if (out && k > 0) std::memcpy(out, bytes_.data() + consumed_, size_t(k));
  consumed_ += k;
  return k;
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
  const int64_t have = Fill(stride_);
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
    const int64_t have = Fill(stride_);
    if (have < stride_) done_ = true;
    const auto* from = reinterpret_cast<const uint8_t*>(bytes_.data()) + consumed_;
    consumed_ += have;
    if (have == rowBytes_) return from;
    const int64_t kept = std::min(have, keep_);
    if (kept > 0) std::memcpy(row_.data(), from, size_t(kept));
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
