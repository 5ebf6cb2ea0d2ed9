#include "pdf/core/byte_buffer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
// Streams are searched in slices of this size; memory sources are searched in place.
constexpr int64_t kStreamSlice = 64 * 1024;
}

void TZRXBuffer::Clear() {
  ownedStream_.reset();
  stream_ = nullptr;
  memory_ = nullptr;
  string_.clear();
  bytes_.clear();
  sourceKind_ = kSourceBytes;
  size_ = 0;
  position_ = 0;
}

void TZRXBuffer::LoadFromString(std::string s) {
  Clear();
  string_ = std::move(s);
  sourceKind_ = kSourceString;
  size_ = static_cast<int64_t>(string_.size());
}

void TZRXBuffer::LoadFromMemory(const void* data, int64_t size) {
  Clear();
  sourceKind_ = kSourceMemory;
  memory_ = static_cast<const uint8_t*>(data);
  size_ = data != nullptr ? std::max<int64_t>(size, 0) : 0;
}

void TZRXBuffer::LoadFromBytes(TZRXByteArray bytes) {
  Clear();
  bytes_ = std::move(bytes);
  size_ = static_cast<int64_t>(bytes_.size());
}

void TZRXBuffer::LoadFromStream(TStream& stream) {
  Clear();
  sourceKind_ = kSourceStream;
  stream_ = &stream;
  size_ = std::max<int64_t>(stream.Size(), 0);
}

void TZRXBuffer::LoadFromStream(std::unique_ptr<TStream> stream) {
  if (!stream) {
    Clear();
    return;
  }
  TStream& s = *stream;
  LoadFromStream(s);
  ownedStream_ = std::move(stream);
}

void TZRXBuffer::SetPosition(int64_t p) {
  if (p >= 0 && p <= size_) position_ = p;
}

const uint8_t* TZRXBuffer::Memory() const {
  switch (sourceKind_) {
    case kSourceString: return reinterpret_cast<const uint8_t*>(string_.data());
    case kSourceMemory: return memory_;
    case kSourceBytes: return bytes_.data();
    default: return nullptr;
  }
}

int64_t TZRXBuffer::Read(int64_t n, void* into) {
  n = std::min(n, size_ - position_);
  if (n <= 0) return 0;
  int64_t got = n;
  if (sourceKind_ == kSourceStream) {
    stream_->Seek(position_, TSeekOrigin::soBeginning);
    got = std::max<int64_t>(stream_->Read(into, n), 0);
  } else {
    std::memcpy(into, Memory() + position_, static_cast<size_t>(n));
  }
  position_ += got;
  return got;
}

void TZRXBuffer::ReadBytes(int64_t n, TZRXByteArray& bytes) {
  bytes.assign(static_cast<size_t>(std::clamp<int64_t>(n, 0, std::max<int64_t>(size_ - position_, 0))), 0);
  bytes.resize(static_cast<size_t>(Read(static_cast<int64_t>(bytes.size()), bytes.data())));
}

void TZRXBuffer::ReadString(int64_t n, std::string& s) {
  s.assign(static_cast<size_t>(std::clamp<int64_t>(n, 0, std::max<int64_t>(size_ - position_, 0))), '\0');
  s.resize(static_cast<size_t>(Read(static_cast<int64_t>(s.size()), s.data())));
}

template <typename Match>
int64_t TZRXBuffer::Scan(Match match) {
  if (sourceKind_ != kSourceStream) {
    const uint8_t* begin = Memory() + position_;
    const uint8_t* end = Memory() + size_;
    const uint8_t* hit = std::find_if(begin, end, match);
    return hit == end ? -1 : hit - begin;
  }
  const int64_t start = position_;
  const int64_t sliceSize = std::clamp<int64_t>(size_ - position_, 1, kStreamSlice);
  std::vector<uint8_t> slice(static_cast<size_t>(sliceSize));
  int64_t offset = 0;
  int64_t result = -1;
  for (;;) {
    const int64_t got = Read(sliceSize, slice.data());
    const auto hit = std::find_if(slice.begin(), slice.begin() + got, match);
    if (hit != slice.begin() + got) {
      result = offset + (hit - slice.begin());
      break;
    }
    if (got < sliceSize) break;
    offset += got;
  }
  position_ = start;
  return result;
}

int64_t TZRXBuffer::FindByte(uint8_t b) {
  return Scan([b](uint8_t c) { return c == b; });
}

int64_t TZRXBuffer::FindAnyOf(const TZRXByteArray& set) {
  std::array<bool, 256> in{};
  for (const uint8_t b : set) in[b] = true;
  return Scan([&in](uint8_t c) { return in[c]; });
}

int64_t TZRXBuffer::FindNoneOf(const TZRXByteArray& set) {
  std::array<bool, 256> in{};
  for (const uint8_t b : set) in[b] = true;
  return Scan([&in](uint8_t c) { return !in[c]; });
}
