// Bytes handed over a window at a time: the data of a stream, or of a piece of a file read as
// it is needed, for decoders that read them once, in order, and need never hold them whole.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "pdf/core/filters/flate_reader.h"

class TByteFeed {
 public:
  virtual ~TByteFeed() = default;
  // The next window of bytes, empty once the data have ended; valid until the next call.
  virtual std::string_view Next() = 0;
  // How many bytes the windows hold in all.
  virtual int64_t Size() const = 0;
  // A feed that goes on from where this one stands, independently of it, its current window
  // (the one Next gave last) the same bytes held anew; nullptr where that cannot be.
  virtual std::unique_ptr<TByteFeed> Clone() const = 0;
  // The window Next gave last (empty before the first).
  virtual std::string_view Current() const = 0;
};

// The bytes of one view in one window; the view must outlive the feed.
class TViewFeed final : public TByteFeed {
 public:
  explicit TViewFeed(std::string_view bytes) : bytes_(bytes) {}
  std::string_view Next() override {
    current_ = given_ ? std::string_view() : bytes_;
    given_ = true;
    return current_;
  }
  int64_t Size() const override { return int64_t(bytes_.size()); }
  std::unique_ptr<TByteFeed> Clone() const override { return std::make_unique<TViewFeed>(*this); }
  std::string_view Current() const override { return current_; }
  // All of the bytes, for readers that take them where they lie.
  std::string_view Bytes() const { return bytes_; }

 private:
  std::string_view bytes_, current_;
  bool given_ = false;
};

// A feed read as an inflate's input: its windows' bytes, a copy going on from the same byte.
class TFedInput final : public TFlateInput {
 public:
  explicit TFedInput(std::unique_ptr<TByteFeed> feed) : feed_(std::move(feed)) {}
  std::unique_ptr<TFlateInput> Clone() const override {
    std::unique_ptr<TByteFeed> feed = feed_ ? feed_->Clone() : nullptr;
    if (feed_ && !feed) return nullptr;
    auto copy = std::make_unique<TFedInput>(std::move(feed));
    if (copy->feed_) copy->window_ = copy->feed_->Current();
    copy->at_ = at_;
    return copy;
  }
  // out nullptr: passes over the bytes.
  int64_t Read(uint8_t* out, int64_t n) override {
    int64_t got = 0;
    while (got < n && feed_) {
      if (at_ == window_.size()) {
        window_ = feed_->Next();
        at_ = 0;
        if (window_.empty()) {
          feed_.reset();
          break;
        }
      }
      const size_t k = std::min(size_t(n - got), window_.size() - at_);
      if (out) std::memcpy(out + got, window_.data() + at_, k);
      at_ += k;
      got += int64_t(k);
    }
    return got;
  }
  // The bytes of the current window not yet read (the next window once this one is read to its
  // end; empty once the data have ended), for readers that take them where they lie.
  std::string_view Ahead() {
    if (at_ == window_.size() && feed_) {
      window_ = feed_->Next();
      at_ = 0;
      if (window_.empty()) feed_.reset();
    }
    return window_.substr(at_);
  }
  // Passes over n of the bytes Ahead gave.
  void Skip(size_t n) { at_ += std::min(n, window_.size() - at_); }

 private:
  std::unique_ptr<TByteFeed> feed_;
  std::string_view window_;
  size_t at_ = 0;
};
