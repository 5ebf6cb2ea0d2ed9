// LZW decoding, for LZWDecode streams (most significant bit first, with or without early
// change) and GIF image data (least significant bit first, variable initial width).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/core/filters/byte_feed.h"
#include "pdf/core/filters/output_limit.h"
#include "pdf/core/filters/predictors.h"

class TPDFLZWDecompressor {
 public:
  // The string table is not filled here (Reset writes what is read of it): a decoder per
  // strip of a page of thousands would otherwise clear 48 KB for each.
  TPDFLZWDecompressor();

  // Output kept before the last position released, and the first room of piecewise decoding.
  static constexpr int64_t kKeptHistory = int64_t(1) << 20;

  // Set by the caller between construction and Decode.
  bool MSBFirst = true;       // false packs codes least significant bit first (GIF)
  bool EarlyChange = false;   // widen codes one entry early, as PDF and TIFF writers do
  int InitialCodeWidth = 9;   // 2 to 12; the clear code is 2^(width - 1)
  int64_t MaxOutput = kDefaultFilterOutputLimit;
  // Output kept before the last position released in piecewise decoding: less keeps less
  // memory, and walks the string table for more of the strings.
  int64_t KeptHistory = kKeptHistory;
  // The output's likely size, for its first allocation (bounded by the input's size); the
  // output grows past it. 0: unknown.
  int64_t ExpectedOutput = 0;

  // Empties the output and the string table and rewinds to the start of the input.
  void Reset();
  // Decodes data up to its end-of-data code (or the end of its bits), then undoes the
  // predictor of params. An initial width outside 2 to 12 gives the empty string.
  std::string Decode(std::string_view data, const FlatePredictorParams& params);
  std::string DecodeDefault(std::string_view data) { return Decode(data, FlatePredictorParams{}); }

  // Piecewise decoding, for output too large to hold whole (no predictor): Open names the
  // data, which must stay valid while decoding (room: the first room for output; it grows as
  // needed); Produce decodes until `until` bytes have come
  // out in all, or the data end, and answers how many have; Window gives the output from
  // position `from` (not yet released) on; Release lets the output before `before` go, but for
  // the last KeptHistory bytes (strings that reach back further are made from the string
  // table, which gives the same bytes). The bytes that come out are those Decode gives.
  void Open(std::string_view data, int64_t room = kKeptHistory);
  // The same for data a feed hands over a window at a time.
  void Open(std::unique_ptr<TByteFeed> feed, int64_t room = kKeptHistory);
  int64_t Produce(int64_t until);
  std::string_view Window(int64_t from) const;
  void Release(int64_t before);

 private:
  static constexpr int kMaxCodeWidth = 12;
  static constexpr int kTableSize = 1 << kMaxCodeWidth;
  static constexpr uint32_t kNotWritten = UINT32_MAX;
  // Strings are copied in blocks of this size; the buffer keeps as much room past the output.
  static constexpr int64_t kCopySlack = 16;

  // A table entry is the string of its prefix entry followed by one byte. An entry made right
  // after its prefix was written whole also lies in the output, from `at` on: it is copied
  // from there instead of walking its prefix chain, and `at` follows the string to where it was
  // written last (a single byte too, once written).
  struct Entry {
    uint32_t at;
    uint16_t prefix;
    uint16_t length;  // 0: not defined yet; at most 4,096
    uint8_t last;
    uint8_t first;
  };

  // True for entries whose bytes are what their fields say: single bytes, and entries copied
  // from the output.
  static bool Copied(const Entry& e) { return e.length == 1 || e.at != kNotWritten; }
  static const Entry kUndefined;
  // The entry of a code; codes at and past filled_ were never defined since the last reset.
  const Entry& At(int code) const { return code < filled_ ? table_[static_cast<size_t>(code)] : kUndefined; }

  // Rewinds to the start of the data with room for `room` bytes and takes the first code;
  // false for an initial width outside 2 to 12.
  bool Begin(std::string_view data, int64_t room);
  // Takes codes until the output reaches `until` bytes or the data end.
  void Run(int64_t until);
  template <bool kMSBFirst, bool kTableFull>
  void RunPlain(int64_t until);
  int ReadCode();
  // Takes whole bytes of the data into the bit buffer while it has room for them (from the
  // feed's next windows where the data run out).
  void Refill();
  void SetWidth(int width);
  // Writes the code's string, as much of it as MaxOutput leaves room for.
  void Append(int code);
  // Append for the strings that are not copied whole from where they lie in the output.
  void AppendWalked(int code, int64_t n);
  void AddEntry(int prefixCode, uint8_t last, uint32_t prefixAt);
  // Makes the output buffer at least `need` bytes long.
  void Grow(int64_t need);

  std::string_view input_;  // the data, or the feed's window being read
  std::unique_ptr<TByteFeed> feed_;
  // Bits of the data not yet read as codes: the next byte to take and up to 64 bits taken
  // (most significant first at the top of the buffer, least significant first at its bottom).
  size_t bytePos_ = 0;
  uint64_t bitBuf_ = 0;
  int bitCount_ = 0;
  int width_ = 9;
  int mask_ = 511;
  int threshold_ = 511;
  int clearCode_ = 256;
  int endCode_ = 257;
  int nextCode_ = 258;
  bool full_ = false;  // output reached MaxOutput
  bool ended_ = true;   // the end-of-data code (or the end of the bits) was read
  int previous_ = 0;    // the code read last
  // The output from position base_ to size_ lies at the start of output_ (base_ stays 0 unless
  // output was released).
  std::string output_;
  int64_t base_ = 0;
  int64_t size_ = 0;
  // Where the string of the code read last began in the output, when it was written whole and
  // is the last thing written there (kNotWritten otherwise).
  uint32_t previousAt_ = kNotWritten;
  std::array<Entry, kTableSize> table_;
  int filled_ = 0;  // entries written since the last reset: the single bytes, then defined codes
};

