#include "pdf/core/filters/flate_reader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Inflated a piece of this size at a time for small reads.
constexpr int64_t kPiece = 128 * 1024;
// Reads at least this long are inflated straight into the caller's memory.
constexpr int64_t kDirectRead = 4 * 1024;
// Input read a piece of this size at a time.
constexpr int64_t kInputPiece = 64 * 1024;

}  // namespace

struct TFlateReader::TState {
  z_stream zs{};
  bool open = false;
  ~TState() {
    if (open) inflateEnd(&zs);
  }
};

TFlateReader::TFlateReader(std::string_view data, int64_t maxOutput)
    : data_(data), state_(std::make_unique<TState>()), left_(std::max<int64_t>(maxOutput, 0)) {
  state_->open = inflateInit(&state_->zs) == Z_OK;
  if (!state_->open) ended_ = failed_ = true;
}

TFlateReader::TFlateReader(std::unique_ptr<TFlateInput> input, int64_t maxOutput)
    : TFlateReader(std::string_view(), maxOutput) {
  input_ = std::move(input);
}

TFlateReader::TFlateReader(const TFlateReader& other)
    : data_(other.data_),
      input_(other.input_ ? other.input_->Clone() : nullptr),
      state_(std::make_unique<TState>()),
      fed_(other.fed_),
      left_(other.left_),
      ended_(other.ended_),
      failed_(other.failed_),
      end_(other.end_) {
  if (other.tail_ > other.head_) {
    pieceSize_ = other.pieceSize_;
    piece_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(pieceSize_));
    tail_ = other.tail_ - other.head_;
    std::memcpy(piece_.get(), other.piece_.get() + other.head_, size_t(tail_));
  }
  if (other.state_->open) {
    state_->open = inflateCopy(&state_->zs, &other.state_->zs) == Z_OK;
    if (!state_->open) ended_ = failed_ = true;
  }
  // What zlib has yet to take of the other's piece of input comes along.
  z_stream& zs = state_->zs;
  if (state_->open && input_ && zs.avail_in > 0) {
    inputPiece_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(kInputPiece));
    std::memcpy(inputPiece_.get(), other.state_->zs.next_in, zs.avail_in);
    zs.next_in = inputPiece_.get();
  }
}

TFlateReader::~TFlateReader() = default;

bool TFlateReader::Exhausted() {
  while (head_ == tail_ && !ended_) FillPiece();
  return head_ == tail_;
}

void TFlateReader::FillPiece() {
  if (!piece_) {
    // Never larger than what the ceiling still lets come out.
    pieceSize_ = std::max<int64_t>(1, std::min(kPiece, left_));
    piece_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(pieceSize_));
  }
  head_ = 0;
  tail_ = Inflate(piece_.get(), pieceSize_);
}

int64_t TFlateReader::Read(uint8_t* out, int64_t n) {
  int64_t done = 0;
  while (done < n) {
    if (head_ == tail_) {
      if (ended_) break;
      if (out && n - done >= kDirectRead) {
        done += Inflate(out + done, n - done);
        continue;
      }
      FillPiece();
      continue;
    }
    const int64_t take = std::min(n - done, tail_ - head_);
    if (out) std::memcpy(out + done, piece_.get() + head_, size_t(take));
    head_ += take;
    done += take;
  }
  return done;
}

void TFlateReader::Feed() {
  z_stream& zs = state_->zs;
  if (input_) {
    if (!inputPiece_) inputPiece_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(kInputPiece));
    zs.next_in = inputPiece_.get();
    zs.avail_in = uInt(std::max<int64_t>(0, input_->Read(inputPiece_.get(), kInputPiece)));
    return;
  }
  if (fed_ >= int64_t(data_.size())) return;
  const int64_t slice = std::min<int64_t>(int64_t(data_.size()) - fed_, UINT_MAX);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data_.data() + fed_));
  zs.avail_in = uInt(slice);
  fed_ += slice;
}

int64_t TFlateReader::Inflate(uint8_t* to, int64_t room) {
  if (left_ == 0) {
    ended_ = true;
    end_ = FlateEnd::OutputLimit;
    return 0;
  }
  z_stream& zs = state_->zs;
  if (zs.avail_in == 0) Feed();
  zs.next_out = to;
  zs.avail_out = uInt(std::min<int64_t>({room, left_, UINT_MAX}));
  const uInt inBefore = zs.avail_in, outBefore = zs.avail_out;
  const int rc = inflate(&zs, Z_NO_FLUSH);
  const int64_t made = int64_t(outBefore - zs.avail_out);
  left_ -= made;
  if (rc == Z_STREAM_END) {
    ended_ = true;
    end_ = FlateEnd::StreamEnd;
  } else if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR) {
    ended_ = true;
    end_ = FlateEnd::Damaged;
  } else if (rc < 0 && rc != Z_BUF_ERROR) {
    ended_ = failed_ = true;
  } else if (zs.avail_in == inBefore && zs.avail_out == outBefore) {
    // With room left and nothing moved, zlib wants input there is not: the data broke off.
    ended_ = true;
  }
  return made;
}
