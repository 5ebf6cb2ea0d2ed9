// A read-only byte source over a string, a memory block, a byte array or a stream, with a 64-bit
// position and searches for delimiter bytes. The CMap parser and the font engines tokenize text
// from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/streams.h"

using TZRXByteArray = std::vector<uint8_t>;

class TZRXBuffer {
 public:
  // What the buffer reads from.
  static constexpr uint8_t kSourceString = 0;
  static constexpr uint8_t kSourceMemory = 1;
  static constexpr uint8_t kSourceBytes = 2;
  static constexpr uint8_t kSourceStream = 3;

  TZRXBuffer() { Clear(); }
  ~TZRXBuffer() { Clear(); }
  TZRXBuffer(const TZRXBuffer&) = delete;
  TZRXBuffer& operator=(const TZRXBuffer&) = delete;

  // Frees an owned stream and leaves an empty byte-array source at position 0.
  void Clear();
  // The buffer keeps its own copy of s.
  void LoadFromString(std::string s);
  // The block must outlive the buffer's use of it.
  void LoadFromMemory(const void* data, int64_t size);
  void LoadFromBytes(TZRXByteArray bytes);
  // Reads from the stream at its size now; the buffer frees it on Clear when it owns it.
  void LoadFromStream(TStream& stream);
  void LoadFromStream(std::unique_ptr<TStream> stream);

  int64_t Position() const { return position_; }
  int64_t Size() const { return size_; }
  uint8_t SourceKind() const { return sourceKind_; }
  // Ignored when p is negative or beyond Size (Size itself is accepted).
  void SetPosition(int64_t p);

  // Read up to n bytes at Position and move past them; nothing is read for n <= 0 or at the end.
  void ReadBytes(int64_t n, TZRXByteArray& bytes);
  void ReadString(int64_t n, std::string& s);

  // Offset from Position of the next byte equal to b (in set, not in set), or -1. Position does
  // not move.
  int64_t FindByte(uint8_t b);
  int64_t FindAnyOf(const TZRXByteArray& set);
  int64_t FindNoneOf(const TZRXByteArray& set);

 private:
  int64_t Read(int64_t n, void* into);
  // Offset of the first byte from Position for which match(byte) holds, or -1.
  template <typename Match>
  int64_t Scan(Match match);
  const uint8_t* Memory() const;

  int64_t position_ = 0;
  int64_t size_ = 0;
  uint8_t sourceKind_ = kSourceBytes;
  std::string string_;
  TZRXByteArray bytes_;
  TStream* stream_ = nullptr;
  std::unique_ptr<TStream> ownedStream_;
  const uint8_t* memory_ = nullptr;
};
