#include "platform/rtl/file_at.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

std::shared_ptr<const TFileAt> TFileAt::Of(TStream& stream) {
  const int handle = stream.Handle();
  if (handle < 0) return nullptr;
  // A file read at any place: a pipe or a terminal is read by the stream alone.
  if (::lseek(handle, 0, SEEK_CUR) < 0) return nullptr;
  const int own = ::fcntl(handle, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return nullptr;
  return std::shared_ptr<const TFileAt>(new TFileAt(own));
}

TFileAt::~TFileAt() { ::close(handle_); }

int64_t TFileAt::Read(int64_t offset, void* buffer, int64_t count) const {
  int64_t done = 0;
  auto* p = static_cast<char*>(buffer);
  while (done < count && offset >= 0) {
    const ssize_t n =
        ::pread(handle_, p + done, size_t(std::min<int64_t>(count - done, 1 << 30)), off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}
