// A file's bytes read where they lie, a piece at a time, by readers that may outlive the stream
// that opened the file (the rows of a picture read as a page is drawn long after its import):
// the file through a handle of its own, or bytes held in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/rtl/streams.h"

class TByteSource {
 public:
  virtual ~TByteSource() = default;
  TByteSource(const TByteSource&) = delete;
  TByteSource& operator=(const TByteSource&) = delete;

  // Bytes the source holds, as they were when it was made.
  int64_t Size() const { return size_; }
  // Copies up to n bytes from offset on into out; answers how many there were (fewer only at
  // the end, or where the file has since shrunk or fails).
  virtual int64_t ReadAt(int64_t offset, void* out, int64_t n) const = 0;
  // The bytes where they lie in memory, when the source holds them there (empty for a file):
  // a reader takes them in place.
  virtual std::string_view Held() const { return {}; }

 protected:
  explicit TByteSource(int64_t size) : size_(size < 0 ? 0 : size) {}

 private:
  int64_t size_;
};

using TSharedBytes = std::shared_ptr<const TByteSource>;

// The file open on `handle`, read through a duplicate of the handle; nothing when the handle
// cannot be duplicated or names no plain file.
TSharedBytes FileBytes(int handle);
// Bytes held in memory.
TSharedBytes MemoryBytes(std::string bytes);
// The bytes [offset, offset + size) of another source, cut to what it holds.
TSharedBytes BytesWindow(TSharedBytes source, int64_t offset, int64_t size);
// The bytes of a stream from its start: its file read where it lies when it reads one (a
// handle of its own), else a copy of what it holds.
TSharedBytes StreamBytes(TStream& stream);

// A source read as a stream (reading only), for readers that walk a file's structure through a
// stream while they leave its bulk where it lies.
class TByteSourceStream : public TStream {
 public:
  explicit TByteSourceStream(TSharedBytes source) : source_(std::move(source)) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return source_->Size(); }
  void SetSize(int64_t) override;
  const TSharedBytes& Source() const { return source_; }

 private:
  TSharedBytes source_;
  int64_t pos_ = 0;
};

// Reads a source front to back through a buffer of its own, for readers that take a few bytes
// at a time (run-length codes, chunk headers). A copy goes on from the same place on its own.
class TByteCursor {
 public:
  TByteCursor(TSharedBytes source, int64_t offset, int64_t end, int64_t buffer = 64 * 1024);
  TByteCursor(const TByteCursor& other);
  TByteCursor& operator=(const TByteCursor&) = delete;

  // The place of the next byte in the source.
  int64_t Offset() const { return at_ + head_; }
  // Whether n more bytes lie before the end.
  bool Has(int64_t n) const { return n >= 0 && n <= end_ - Offset(); }
  // Up to n next bytes into out (nullptr: passed over); answers how many there were.
  int64_t Read(uint8_t* out, int64_t n);
  void Skip(int64_t n) { Read(nullptr, n); }
  // The next byte (0 past the end).
  uint8_t Byte() { return head_ < tail_ || Refill() ? data_[head_++] : 0; }

 private:
  // Makes the bytes from Offset() on the buffer's; false when none are left.
  bool Refill();

  TSharedBytes source_;
  int64_t end_;
  int64_t at_ = 0;  // source place of data_[0]
  std::string_view held_;  // the source's bytes, when it holds them in memory
  std::unique_ptr<uint8_t[]> buffer_;
  const uint8_t* data_ = nullptr;  // the held bytes, or the buffer
  int64_t capacity_ = 0, head_ = 0, tail_ = 0;
};
