// A stream that takes its first `room` bytes and then refuses every further byte, as a full
// disk or a closed pipe does; room 0 refuses everything.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/rtl/streams.h"

namespace testsupport {

class FullStream : public TStream {
 public:
  explicit FullStream(int64_t room = 0) : room_(room) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void*, int64_t count) override {
    const int64_t n = std::clamp<int64_t>(count, 0, room_);
    room_ -= n;
    return n;
  }
  int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
  void SetSize(int64_t) override {}

 private:
  int64_t room_;
};

}  // namespace testsupport
