// Inflating a zlib stream a piece at a time, for readers that take what it holds in order (the
// rows of a picture) and need never hold it whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/core/filters/output_limit.h"

// How an inflate ended.
enum class FlateEnd {
  StreamEnd,    // the zlib stream ended properly
  Truncated,    // the input ran out (or zlib could make no further progress) before the end
  Damaged,      // a data error or a preset dictionary: output holds what came before it
  OutputLimit,  // output reached maxOutput and was cut there
};

// Compressed data read a piece at a time where they lie (a file's chunks): each read goes on
// from where the last stopped; a copy goes on from the same place on its own.
class TFlateInput {
 public:
  virtual ~TFlateInput() = default;
  virtual std::unique_ptr<TFlateInput> Clone() const = 0;
  // Up to n next bytes into out; fewer only where the data end.
  virtual int64_t Read(uint8_t* out, int64_t n) = 0;
};

// Ends where the whole inflate ends: at the stream's end, at damaged data or a preset
// dictionary (what came before counts), when zlib can make no progress with the data there
// are, or when maxOutput bytes have come out in all (the ceiling counts bytes passed over too).
// Holds at most one piece of inflated bytes beyond what it is asked for.
class TFlateReader {
 public:
  // data: the zlib stream, held by the caller while the reader lives.
  explicit TFlateReader(std::string_view data, int64_t maxOutput = kDefaultFilterOutputLimit);
  // A temporary string would be gone before the first read.
  explicit TFlateReader(std::string&& data, int64_t maxOutput = kDefaultFilterOutputLimit) = delete;
  // The zlib stream read a piece at a time from input.
  explicit TFlateReader(std::unique_ptr<TFlateInput> input, int64_t maxOutput = kDefaultFilterOutputLimit);
  // A reader that goes on from where other stands, independently of it.
  TFlateReader(const TFlateReader& other);
  TFlateReader& operator=(const TFlateReader&) = delete;
  ~TFlateReader();

  // Copies the next n inflated bytes to out (nullptr: passes over them); answers how many
  // there were, fewer than n only where the stream has ended.
  int64_t Read(uint8_t* out, int64_t n);

  // True when nothing more will come: every byte read out and the stream ended (inflates
  // ahead to know).
  bool Exhausted();
  // How the stream ended so far (Truncated while it has not).
  FlateEnd End() const { return end_; }
  // zlib itself failed (no memory, a broken state): what came before stands, but the inflate
  // is not to be trusted as a decode of the data.
  bool Failed() const { return failed_; }

 private:
  struct TState;
  // Inflates the next piece of bytes for small reads (head_ == tail_ before).
  void FillPiece();
  // One call of inflate into room bytes at to; answers the bytes made.
  int64_t Inflate(uint8_t* to, int64_t room);

  // Hands zlib the next piece of data once it has taken the last.
  void Feed();

  std::string_view data_;
  std::unique_ptr<TFlateInput> input_;
  std::unique_ptr<uint8_t[]> inputPiece_;  // the piece of input zlib reads
  std::unique_ptr<TState> state_;
  int64_t fed_ = 0;      // bytes of data handed to zlib (of data_)
  int64_t left_ = 0;     // bytes the ceiling still allows
  bool ended_ = false;
  bool failed_ = false;
  FlateEnd end_ = FlateEnd::Truncated;
  // Inflated bytes, made on the first small read; [head_, tail_) not yet read.
  std::unique_ptr<uint8_t[]> piece_;
  int64_t pieceSize_ = 0;
  int64_t head_ = 0, tail_ = 0;
};
