#include "pdf/codecs/image_decoder/sample_rows.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr int kTiffPredictor = 2;
constexpr int kFirstPngPredictor = 10;
// Inflated a piece of about this size at a time.
constexpr int64_t kInflatePiece = 256 * 1024;

}  // namespace

// A zlib stream over the data, ended as the whole inflate ends: at the stream's end, at
// damaged data or a preset dictionary (what came before counts), or when zlib can make no
// progress with the data there are.
struct TSampleRows::Inflater {
  z_stream zs{};
  bool open = false;
  bool ended = false;
  Inflater() { open = inflateInit(&zs) == Z_OK; ended = !open; }
  ~Inflater() {
    if (open) inflateEnd(&zs);
  }
};

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
  if (coding_ == kInflate) inflater_ = std::make_unique<Inflater>();
  if (coding_ == kLZW || coding_ == kLZWLateChange) {
    lzw_ = std::make_unique<TPDFLZWDecompressor>();
    lzw_->EarlyChange = coding_ == kLZW;
    // Room for what the data could plausibly make, and no more than the image's rows (a strip's
    // few kilobytes); the room grows if the data make more.
    int64_t room = std::min<int64_t>(TPDFLZWDecompressor::kKeptHistory, 16 * int64_t(bytes_.size()) + 4096);
    if (rows > 0 && stride_ > 0 && rows <= room / stride_) room = std::min(room, rows * stride_ + 1);
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

bool TSampleRows::MoreInflated() {
  Inflater& in = *inflater_;
  if (in.ended) return false;
  const size_t before = decoded_.size();
  decoded_.resize(before + size_t(kInflatePiece));
  if (in.zs.avail_in == 0 && consumed_ < int64_t(bytes_.size())) {
    const int64_t slice = std::min<int64_t>(int64_t(bytes_.size()) - consumed_, UINT_MAX);
    in.zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes_.data() + consumed_));
    in.zs.avail_in = uInt(slice);
    consumed_ += slice;
  }
  in.zs.next_out = decoded_.data() + before;
  in.zs.avail_out = uInt(decoded_.size() - before);
  const uInt inBefore = in.zs.avail_in, room = in.zs.avail_out;
  const int rc = inflate(&in.zs, Z_NO_FLUSH);
  decoded_.resize(before + (room - in.zs.avail_out));
  const bool progress = in.zs.avail_in != inBefore || in.zs.avail_out != room;
  if (rc == Z_STREAM_END || rc == Z_NEED_DICT || (rc < 0 && rc != Z_BUF_ERROR) || !progress) in.ended = true;
  return true;
}

// LZW output is read where the decoder keeps it: the rows handed out before are let go, then
// about a piece more is decoded when fewer than `want` bytes are left.
int64_t TSampleRows::FillLZW(int64_t want) {
  lzw_->Release(lzwTaken_);
  while (lzwMade_ - lzwTaken_ < want) {
    const int64_t made = lzw_->Produce(lzwTaken_ + std::max(want, kInflatePiece));
    if (made == lzwMade_) break;
    lzwMade_ = made;
  }
  return std::min<int64_t>(want, lzwMade_ - lzwTaken_);
}

int64_t TSampleRows::Fill(int64_t want) {
  if (coding_ == kStored) return std::min<int64_t>(want, int64_t(bytes_.size()) - consumed_);
  if (lzw_) return FillLZW(want);
  // Used bytes are dropped before the buffer grows, so it holds about a piece.
  if (head_ > 0 && decoded_.size() - head_ < size_t(want)) {
    decoded_.erase(decoded_.begin(), decoded_.begin() + std::ptrdiff_t(head_));
    head_ = 0;
  }
  while (int64_t(decoded_.size() - head_) < want && MoreInflated()) {
  }
  return std::min<int64_t>(want, int64_t(decoded_.size() - head_));
}

bool TSampleRows::Empty() { return !done_ && Fill(1) == 0; }

const uint8_t* TSampleRows::Next() {
  if (done_) {
    // Rows past the data are all alike: a page that claims far more rows than its data hold
    // costs nothing per missing row here.
    if (!onesRow_) std::fill(row_.begin(), row_.end(), uint8_t{0xFF});
    onesRow_ = true;
    return row_.data();
  }
  const int64_t have = Fill(stride_);
  if (have < stride_) done_ = true;
  if (coding_ == kStored) {
    const auto* from = reinterpret_cast<const uint8_t*>(bytes_.data()) + consumed_;
    consumed_ += have;
    if (have == rowBytes_) return from;
    const int64_t kept = std::min(have, keep_);
    if (kept > 0) std::memcpy(row_.data(), from, size_t(kept));
    std::fill(row_.begin() + kept, row_.end(), uint8_t{0xFF});
    return row_.data();
  }
  const uint8_t* from;
  if (lzw_) {
    from = reinterpret_cast<const uint8_t*>(lzw_->Window(lzwTaken_).data());
    lzwTaken_ += have;
  } else {
    from = decoded_.data() + head_;
    head_ += size_t(have);
  }
  if (have == 0) {
    std::fill(row_.begin(), row_.end(), uint8_t{0xFF});
    return row_.data();
  }
  if (!png_ && !tiff_) {
    const int64_t kept = std::min(have, keep_);
    std::memcpy(row_.data(), from, size_t(kept));
    std::fill(row_.begin() + kept, row_.end(), uint8_t{0xFF});
    return row_.data();
  }
  // Under a predictor a short row is completed with zeros before it is undone.
  const int64_t skip = png_ ? 1 : 0;
  const int64_t stored = have - skip;
  std::memcpy(row_.data(), from + skip, size_t(stored));
  std::fill(row_.begin() + stored, row_.end(), uint8_t{0});
  UndoPredictorRow(predictor_, png_ ? from[0] : 0, row_.data(), above_.data(), rowBytes_);
  if (png_) std::copy(row_.begin(), row_.end(), above_.begin());
  return row_.data();
}
