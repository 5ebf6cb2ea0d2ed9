#include "platform/gdi/dib_rows.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/dib.h"

namespace {

// Rows read or decoded at a time: about this many bytes of them.
constexpr int64_t kBlockBytes = 512 * 1024;
// A header larger than this is no header (the largest the formats know is 124 bytes).
constexpr uint32_t kMaxHeaderBytes = 1 << 20;

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

int32_t RowsPerBlock(int64_t stride, int64_t height) {
  return int32_t(std::clamp<int64_t>(kBlockBytes / std::max<int64_t>(stride, 1), 1, height));
}

}  // namespace

TDibRows::TDibRows(TSharedBytes dib, int64_t bitsOffset, bool iconImage) : dib_(std::move(dib)) {
  uint8_t size[4];
  if (dib_->ReadAt(0, size, 4) != 4 || Le32(size) > kMaxHeaderBytes) dib::Invalid();
  // The header, its bit fields and the largest colour table, as far as the data hold them.
  std::string info(size_t(std::min(dib_->Size(), dib::InfoBytesAtMost(Le32(size)))), '\0');
  info.resize(size_t(std::max<int64_t>(0, dib_->ReadAt(0, info.data(), int64_t(info.size())))));
  const dib::Bytes b({reinterpret_cast<const uint8_t*>(info.data()), info.size()});
  h_ = dib::ParseHeader(b, iconImage);
  colors_ = dib::ReadColorTable(b, h_);
  bits_ = dib::BitsStart(h_, bitsOffset, dib_->Size());
  dib::RequireBits(h_, dib_->Size() - bits_);
  layout_ = dib::LayoutOf(h_);
  // Icons whose mask is missing (some PNG-era tools leave it out) count as fully opaque.
  if (iconImage && !h_.RunLength()) {
    const int64_t at = bits_ + DibStride(h_.width, h_.bpp) * h_.height;
    if (at + DibStride(h_.width, 1) * h_.height <= dib_->Size()) maskAt_ = at;
  }
}

TDibRows TDibRows::OfBmpFile(TSharedBytes file) {
  uint8_t head[14];
  if (file->Size() < 18 || file->ReadAt(0, head, 14) != 14 || head[0] != 'B' || head[1] != 'M') dib::Invalid();
  return TDibRows(BytesWindow(file, 14, file->Size() - 14), int64_t(Le32(head + 10)) - 14, false);
}

TDibRows TDibRows::OfIconImage(TSharedBytes dib) { return TDibRows(std::move(dib), -1, true); }

// Uncompressed rows: a block of them read at a time (bottom-up files read backwards), with the
// icon's mask rows beside them.
class TDibRows::TBlockReading : public TDibRows::TReading {
 public:
  explicit TBlockReading(const TDibRows& rows)
      : rows_(rows),
        stride_(DibStride(rows.h_.width, rows.h_.bpp)),
        maskStride_(DibStride(rows.h_.width, 1)),
        block_(RowsPerBlock(stride_, rows.h_.height)),
        bits_(size_t(stride_ * block_)),
        mask_(rows.HasMask() ? size_t(maskStride_ * block_) : 0),
        row_(dib::RowsAsTheyLie(rows.h_) ? 0 : size_t(DibStride(rows.h_.width, rows.layout_.bpp))) {}

  const uint8_t* Next() override {
    const int64_t y = next_++;
    if (y < first_ || y >= first_ + count_) Load(y);
    const int64_t i = Index(y);
    const uint8_t* src = bits_.data() + i * stride_;
    maskRow_ = mask_.empty() ? nullptr : mask_.data() + i * maskStride_;
    if (row_.empty()) return src;
    dib::UnpackRow(rows_.h_, src, row_.data());
    return row_.data();
  }
  const uint8_t* Mask() const override { return maskRow_; }

 private:
  // Where row y (from the top) lies in the block: blocks of bottom-up rows hold them backwards.
  int64_t Index(int64_t y) const { return rows_.h_.topDown ? y - first_ : first_ + count_ - 1 - y; }

  void Load(int64_t y) {
    const int64_t h = rows_.h_.height;
    first_ = y;
    count_ = std::min<int64_t>(block_, h - y);
    // The rows' place in the file: bottom-up files keep the last row first.
    const int64_t fileRow = rows_.h_.topDown ? y : h - y - count_;
    Read(rows_.bits_ + fileRow * stride_, stride_, bits_);
    // The mask's rows are bottom-up whatever the bits' order.
    if (!mask_.empty()) Read(rows_.maskAt_ + (h - y - count_) * maskStride_, maskStride_, mask_);
    if (!rows_.h_.topDown || mask_.empty()) return;
    // Top-down bits beside bottom-up mask rows: the mask's block turned round.
    for (int64_t i = 0; i < count_ / 2; ++i)
      std::swap_ranges(mask_.begin() + i * maskStride_, mask_.begin() + (i + 1) * maskStride_,
                       mask_.begin() + (count_ - 1 - i) * maskStride_);
  }

  // count_ rows of `stride` bytes from `at`; the last row of the data may lack its padding, and
  // a file that shrank since leaves zeros.
  void Read(int64_t at, int64_t stride, std::vector<uint8_t>& into) const {
    const int64_t want = stride * count_;
    const int64_t got = std::max<int64_t>(0, rows_.dib_->ReadAt(at, into.data(), want));
    std::fill(into.begin() + got, into.begin() + want, uint8_t{0});
  }

  const TDibRows& rows_;
  int64_t stride_, maskStride_;
  int32_t block_;
  std::vector<uint8_t> bits_, mask_, row_;
  const uint8_t* maskRow_ = nullptr;
  int64_t next_ = 0, first_ = 0, count_ = 0;
};

// Run-length rows: the codes are walked once to know where the walk enters each segment of
// rows; a segment's rows are then decoded from there into a block of their own when the first
// of them is asked for. Pixels the codes leave out are index 0.
class TDibRows::TRunReading : public TDibRows::TReading {
 public:
  explicit TRunReading(const TDibRows& rows)
      : rows_(rows),
        stride_(DibStride(rows.h_.width, rows.h_.bpp)),
        block_(RowsPerBlock(stride_, rows.h_.height)),
        segmentRows_(size_t(stride_ * block_)) {
    const int64_t h = rows.h_.height;
    entries_.resize(size_t((h + block_ - 1) / block_));
    TByteCursor in(rows.dib_, rows.bits_, rows.dib_->Size());
    dib::RunState s{0, h - 1};
    Enter(s, in.Offset());
    dib::WalkRuns(
        in, s, rows.h_.width, rows.h_.bpp, 0, [](int64_t, int64_t, uint8_t) {},
        [&](const dib::RunState& now) {
          if (now.y >= 0) Enter(now, in.Offset());
        });
  }

  const uint8_t* Next() override {
    const int64_t y = next_++;
    const int64_t segment = y / block_;
    if (segment != loaded_) Decode(segment);
    return segmentRows_.data() + (y - segment * block_) * stride_;
  }
  const uint8_t* Mask() const override { return nullptr; }

 private:
  struct TEntry {
    bool reached = false;
    int64_t offset = 0;
    dib::RunState state;
  };

  // The walk stands at row now.y: the first time it is in a segment, it enters it there.
  void Enter(const dib::RunState& now, int64_t offset) {
    TEntry& e = entries_[size_t(now.y / block_)];
    if (!e.reached) e = TEntry{true, offset, now};
  }

  void Decode(int64_t segment) {
    loaded_ = segment;
    std::fill(segmentRows_.begin(), segmentRows_.end(), uint8_t{0});
    const TEntry& e = entries_[size_t(segment)];
    if (!e.reached) return;
    const int64_t top = segment * block_;
    const bool eight = rows_.h_.bpp == 8;
    uint8_t* block = segmentRows_.data();
    const int64_t stride = stride_;
    TByteCursor in(rows_.dib_, e.offset, rows_.dib_->Size());
    dib::RunState s = e.state;
    dib::WalkRuns(
        in, s, rows_.h_.width, rows_.h_.bpp, top,
        [&](int64_t x, int64_t y, uint8_t v) {
          uint8_t* row = block + (y - top) * stride;
          if (eight) {
            row[x] = v;
          } else {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | (v << 4));
          }
        },
        [](const dib::RunState&) {});
  }

  const TDibRows& rows_;
  int64_t stride_;
  int32_t block_;
  std::vector<uint8_t> segmentRows_;
  std::vector<TEntry> entries_;
  int64_t next_ = 0, loaded_ = -1;
};

std::unique_ptr<TDibRows::TReading> TDibRows::Open() const {
  if (h_.RunLength()) return std::make_unique<TRunReading>(*this);
  return std::make_unique<TBlockReading>(*this);
}
