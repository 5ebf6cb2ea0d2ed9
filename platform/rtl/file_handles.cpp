#include "platform/rtl/file_handles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

int FileOpen(const WideString& name, uint32_t mode) {
  int flags;
  switch (mode & 3) {
    case 0: flags = O_RDONLY; break;
    case 1: flags = O_WRONLY; break;
    case 2: flags = O_RDWR; break;
    default: return -1;
  }
  const std::string path = WideToFileName(name);
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int FileCreate(const WideString& name) {
  const std::string path = WideToFileName(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd < 0 ? -1 : fd;
}

int64_t FileRead(int handle, void* buffer, int64_t count) {
  if (handle < 0 || count < 0) return -1;
  auto* p = static_cast<char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(handle, p + done, static_cast<size_t>(std::min<int64_t>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done > 0 ? done : -1;
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t FileWrite(int handle, const void* buffer, int64_t count) {
  if (handle < 0 || count < 0) return -1;
  const auto* p = static_cast<const char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(handle, p + done, static_cast<size_t>(std::min<int64_t>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return done > 0 ? done : -1;
    done += n;
  }
  return done;
}

int64_t FileSeek(int handle, int64_t offset, int origin) {
  if (handle < 0) return -1;
  const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
  if (whence < 0) return -1;
  const off_t r = ::lseek(handle, static_cast<off_t>(offset), whence);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

bool FileTruncate(int handle, int64_t size) {
  return handle >= 0 && size >= 0 && ::ftruncate(handle, static_cast<off_t>(size)) == 0;
}

void FileClose(int handle) {
  if (handle >= 0) ::close(handle);
}
