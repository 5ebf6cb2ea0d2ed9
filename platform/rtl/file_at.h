// A file kept open to read stretches of it at any place (pread), for whoever reads its pieces
// after the stream it was opened through has gone: a picture's rows read from the file as the
// drawing needs them. Shared by every reader of the file, and closed with the last.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/rtl/streams.h"

class TFileAt {
 public:
  // The file the stream reads (a handle of its own), or nullptr for a stream over no file.
  static std::shared_ptr<const TFileAt> Of(TStream& stream);
  ~TFileAt();
  TFileAt(const TFileAt&) = delete;
  TFileAt& operator=(const TFileAt&) = delete;

  // Copies up to count bytes from offset into buffer; answers how many there were (fewer where
  // the file ends, 0 where it cannot be read).
  int64_t Read(int64_t offset, void* buffer, int64_t count) const;

 private:
  explicit TFileAt(int handle) : handle_(handle) {}
  int handle_;
};
