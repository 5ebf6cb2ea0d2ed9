#include "platform/rtl/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/exceptions.h"

namespace {

class TFileBytes : public TByteSource {
 public:
  TFileBytes(int handle, int64_t size) : TByteSource(size), handle_(handle) {}
  ~TFileBytes() override { ::close(handle_); }

  int64_t ReadAt(int64_t offset, void* out, int64_t n) const override {
    if (offset < 0 || n <= 0 || offset >= Size()) return 0;
    n = std::min(n, Size() - offset);
    int64_t done = 0;
    auto* p = static_cast<char*>(out);
    while (done < n) {
      const ssize_t got = ::pread(handle_, p + done, size_t(std::min<int64_t>(n - done, 1 << 30)), off_t(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += got;
    }
    return done;
  }

 private:
  int handle_;
};

class TMemoryBytes : public TByteSource {
 public:
  explicit TMemoryBytes(std::string bytes) : TByteSource(int64_t(bytes.size())), bytes_(std::move(bytes)) {}

  int64_t ReadAt(int64_t offset, void* out, int64_t n) const override {
    if (offset < 0 || n <= 0 || offset >= Size()) return 0;
    n = std::min(n, Size() - offset);
    std::memcpy(out, bytes_.data() + offset, size_t(n));
    return n;
  }
  std::string_view Held() const override { return bytes_; }

 private:
  std::string bytes_;
};

class TWindowBytes : public TByteSource {
 public:
  TWindowBytes(TSharedBytes source, int64_t offset, int64_t size)
      : TByteSource(size), source_(std::move(source)), offset_(offset) {}

  int64_t ReadAt(int64_t offset, void* out, int64_t n) const override {
    if (offset < 0 || n <= 0 || offset >= Size()) return 0;
    return source_->ReadAt(offset_ + offset, out, std::min(n, Size() - offset));
  }
  std::string_view Held() const override {
    const std::string_view all = source_->Held();
    return all.empty() ? all : all.substr(size_t(offset_), size_t(Size()));
  }

 private:
  TSharedBytes source_;
  int64_t offset_;
};

}  // namespace

TSharedBytes FileBytes(int handle) {
  if (handle < 0) return nullptr;
  const int own = ::fcntl(handle, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return nullptr;
  struct stat st {};
  if (::fstat(own, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(own);
    return nullptr;
  }
  return std::make_shared<TFileBytes>(own, int64_t(st.st_size));
}

TSharedBytes MemoryBytes(std::string bytes) { return std::make_shared<TMemoryBytes>(std::move(bytes)); }

TSharedBytes BytesWindow(TSharedBytes source, int64_t offset, int64_t size) {
  if (!source) return nullptr;
  offset = std::clamp<int64_t>(offset, 0, source->Size());
  size = std::clamp<int64_t>(size, 0, source->Size() - offset);
  return std::make_shared<TWindowBytes>(std::move(source), offset, size);
}

TSharedBytes StreamBytes(TStream& stream) {
  if (TSharedBytes file = FileBytes(stream.Handle())) return file;
  stream.SetPosition(0);
  return MemoryBytes(stream.ReadToEnd());
}

int64_t TByteSourceStream::Read(void* buffer, int64_t count) {
  const int64_t got = std::max<int64_t>(0, source_->ReadAt(pos_, buffer, count));
  pos_ += got;
  return got;
}

int64_t TByteSourceStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? pos_ : Size();
  if (base + offset < 0) return -1;
  pos_ = base + offset;
  return pos_;
}

void TByteSourceStream::SetSize(int64_t) { throw EStreamError("Stream write error"); }

TByteCursor::TByteCursor(TSharedBytes source, int64_t offset, int64_t end, int64_t buffer)
    : source_(std::move(source)), end_(std::clamp<int64_t>(end, 0, source_->Size())), held_(source_->Held()) {
  offset = std::clamp<int64_t>(offset, 0, end_);
  if (!held_.empty()) {
    // Bytes in memory are read where they lie.
    data_ = reinterpret_cast<const uint8_t*>(held_.data());
    head_ = offset;
    tail_ = end_;
    return;
  }
  at_ = offset;
  capacity_ = std::max<int64_t>(buffer, 16);
}

TByteCursor::TByteCursor(const TByteCursor& other)
    : source_(other.source_),
      end_(other.end_),
      at_(other.at_),
      held_(other.held_),
      capacity_(other.capacity_),
      head_(other.head_),
      tail_(other.tail_) {
  if (!other.buffer_) {
    data_ = other.data_;
    return;
  }
  buffer_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(capacity_));
  std::memcpy(buffer_.get() + head_, other.buffer_.get() + head_, size_t(tail_ - head_));
  data_ = buffer_.get();
}

bool TByteCursor::Refill() {
  if (!held_.empty() || Offset() >= end_) return false;
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(capacity_));
  data_ = buffer_.get();
  at_ += head_;
  head_ = 0;
  tail_ = source_->ReadAt(at_, buffer_.get(), std::min(capacity_, end_ - at_));
  // A file that has shrunk since ends here.
  if (tail_ <= 0) {
    tail_ = 0;
    end_ = at_;
    return false;
  }
  return true;
}

int64_t TByteCursor::Read(uint8_t* out, int64_t n) {
  int64_t done = 0;
  while (done < n) {
    if (head_ == tail_ && !out && held_.empty()) {
      // Bytes passed over are not read.
      const int64_t skip = std::min(n - done, end_ - Offset());
      at_ += head_ + skip;
      head_ = tail_ = 0;
      done += skip;
      break;
    }
    if (head_ == tail_ && !Refill()) break;
    const int64_t take = std::min(n - done, tail_ - head_);
    if (out) std::memcpy(out + done, data_ + head_, size_t(take));
    head_ += take;
    done += take;
  }
  return done;
}
