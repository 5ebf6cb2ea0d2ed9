#include "pdf/codecs/tiff/tiff_piece_feeds.h"

#include <algorithm>

#include "pdf/codecs/tiff/tiff_bits.h"
#include "pdf/codecs/tiff/tiff_pieces.h"
#include "platform/rtl/file_at.h"

namespace {

// A large piece is read a block of this size at a time.
constexpr uint64_t kBlock = uint64_t(1) << 20;
// A small piece brings some of what follows it into the block (the next pieces, in the usual
// layout), a few times its own size: pieces scattered over the file cost no more than that.
constexpr uint64_t kReadAhead = 16;
constexpr uint64_t kSmallestRead = 4096;

using TBlock = TTIFFPieceFeeds::TBlock;

// The bytes [at, end) of the file through a block of it.
class TFileFeed final : public TByteFeed {
 public:
  TFileFeed(std::shared_ptr<const TFileAt> file, uint64_t at, uint64_t end, std::shared_ptr<TBlock> block)
      : file_(std::move(file)), start_(at), at_(at), end_(end), block_(std::move(block)) {}

  std::string_view Next() override {
    current_ = {};
    if (at_ >= end_) return current_;
    if (at_ < block_->At || at_ >= block_->At + block_->Bytes.size()) Fill();
    const uint64_t held = block_->At + block_->Bytes.size();
    // Past what the file holds (it shrank since it was opened): the piece ends.
    if (at_ < block_->At || at_ >= held) {
      at_ = end_;
      return current_;
    }
    const uint64_t n = std::min(end_, held) - at_;
    current_ = std::string_view(block_->Bytes).substr(size_t(at_ - block_->At), size_t(n));
    at_ += n;
    return current_;
  }
  int64_t Size() const override { return int64_t(end_ - start_); }
  std::unique_ptr<TByteFeed> Clone() const override {
    auto copy = std::make_unique<TFileFeed>(file_, at_ - current_.size(), end_, std::make_shared<TBlock>());
    copy->start_ = start_;
    if (!current_.empty()) copy->Next();
    return copy;
  }
  std::string_view Current() const override { return current_; }

 private:
  void Fill() {
    const uint64_t length = end_ - at_;
    const uint64_t want = std::min(kBlock, std::max({length, kSmallestRead, kReadAhead * length}));
    block_->At = at_;
    // Not cleared before the file is read into it.
    block_->Bytes.resize(size_t(want));
    block_->Bytes.resize(size_t(std::max<int64_t>(0, file_->Read(int64_t(at_), block_->Bytes.data(), int64_t(want)))));
  }

  std::shared_ptr<const TFileAt> file_;
  uint64_t start_, at_, end_;
  std::shared_ptr<TBlock> block_;
  std::string_view current_;
};

// Another feed's windows with every byte's bits in reverse order.
class TReversedFeed final : public TByteFeed {
 public:
  explicit TReversedFeed(std::unique_ptr<TByteFeed> feed) : feed_(std::move(feed)) { Take(feed_->Current()); }
  std::string_view Next() override { return Take(feed_->Next()); }
  int64_t Size() const override { return feed_->Size(); }
  std::unique_ptr<TByteFeed> Clone() const override {
    std::unique_ptr<TByteFeed> inner = feed_->Clone();
    return inner ? std::make_unique<TReversedFeed>(std::move(inner)) : nullptr;
  }
  std::string_view Current() const override { return bytes_; }

 private:
  std::string_view Take(std::string_view window) {
    bytes_.assign(window);
    ReverseBitOrder(bytes_);
    return bytes_;
  }

  std::unique_ptr<TByteFeed> feed_;
  std::string bytes_;
};

}  // namespace

TTIFFPieceFeeds::TTIFFPieceFeeds(const TTIFFPieces& pieces, bool reversed)
    : pieces_(pieces), reversed_(reversed), block_(std::make_shared<TBlock>()) {}

TTIFFPieceFeeds::~TTIFFPieceFeeds() = default;

std::unique_ptr<TByteFeed> TTIFFPieceFeeds::Feed(size_t i) {
  std::unique_ptr<TByteFeed> feed;
  if (pieces_.InFile()) {
    const uint64_t at = pieces_.Place(i);
    feed = std::make_unique<TFileFeed>(pieces_.File(), at, at + pieces_.Length(i), block_);
  } else {
    feed = std::make_unique<TViewFeed>(pieces_[i]);
  }
  return reversed_ ? std::make_unique<TReversedFeed>(std::move(feed)) : std::move(feed);
}
