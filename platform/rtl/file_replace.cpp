#include "platform/rtl/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/rtl/end_signals.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/guid.h"

namespace {

// As many links as the kernel itself follows before it answers ELOOP.
constexpr int kMaxLinks = 40;

[[noreturn]] void CannotCreate(const WideString& fileName, int error) {
  throw EFCreateError("Cannot create file \"" + WideToUtf8(fileName) + "\". " + std::strerror(error), error);
}

// Called right after the failing call, whose error number goes with the exception.
[[noreturn]] void CannotWrite(int error) { throw EWriteError("Stream write error", error); }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a chain of symbolic links ends at (the path itself when it is no link). A loop or a
// chain too long is left to the open that follows, which answers ELOOP.
std::string FinalTarget(std::string path) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> buffer(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || size_t(n) >= buffer.size()) return path;
    const std::string target(buffer.data(), size_t(n));
    path = target[0] == '/' ? target : FolderOf(path) + target;
  }
  return path;
}

bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;  // no progress and no reason given
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// A new file beside the target, made for this call only; -1 when none may be made there.
int MakeSibling(const std::string& target, mode_t mode, std::string& name) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const auto guid = CreateGuidBytes();
    char tag[16];
    std::snprintf(tag, sizeof tag, "%02x%02x%02x%02x", guid[0], guid[1], guid[2], guid[3]);
    const size_t slash = target.rfind('/') + 1;  // npos + 1 is 0
    name = target.substr(0, slash) + "." + target.substr(slash) + "." + tag;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes the content into a sibling and moves it over the target. False (nothing changed)
// when the sibling cannot be made or given the old file's owner and mode; raises when the
// content cannot be written.
bool ReplaceThroughSibling(const WideString& fileName, const std::string& target, std::string_view bytes,
                           const struct stat* old) {
  std::string sibling;
  const int fd = MakeSibling(target, old ? S_IRUSR | S_IWUSR : 0666, sibling);
  if (fd < 0) return false;
  // Half a settings file is no use to anyone: an end at once takes it away.
  SetScratchFile(sibling);
  const auto give_up = [&] {
    ::close(fd);
    ::unlink(sibling.c_str());
    ClearScratchFile();
  };
  if (!WriteAllAt(fd, bytes, 0) || ::fsync(fd) != 0) {
    const int error = errno;
    give_up();
    CannotWrite(error);
  }
  if (old) {
    struct stat made {};
    // The owner first: changing it clears the set-id bits that the mode then puts back.
    const bool owned = ::fstat(fd, &made) == 0 &&
                       ((made.st_uid == old->st_uid && made.st_gid == old->st_gid) ||
                        ::fchown(fd, old->st_uid, old->st_gid) == 0);
    if (!owned || ::fchmod(fd, old->st_mode & 07777) != 0) {
      give_up();
      return false;
    }
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(sibling.c_str());
    ClearScratchFile();
    CannotWrite(error);
  }
  if (::rename(sibling.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(sibling.c_str());
    ClearScratchFile();
    CannotCreate(fileName, error);
  }
  ClearScratchFile();
  return true;
}

// Rewrites the open file in place, keeping its old content until the new one is all on disk.
void RewriteInPlace(int fd, std::string_view bytes, off_t oldSize) {
  if (!WriteAllAt(fd, bytes, oldSize) || ::fdatasync(fd) != 0) {
    const int error = errno;
    const int ignored = ::ftruncate(fd, oldSize);  // the old content, as it was
    (void)ignored;
    CannotWrite(error);
  }
  if (!WriteAllAt(fd, bytes, 0) || ::ftruncate(fd, off_t(bytes.size())) != 0 || ::fdatasync(fd) != 0) CannotWrite(errno);
}

}  // namespace

void ReplaceFileContents(const WideString& fileName, std::string_view bytes) {
  const std::string target = FinalTarget(WideToFileName(fileName));
  // Opened for writing (never created or cut here): a protected file refuses as it would to
  // any writer, and nothing of it is touched.
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) CannotCreate(fileName, errno);
    if (ReplaceThroughSibling(fileName, target, bytes, nullptr)) return;
    // No file may be added to the folder: the file itself is made, or the folder refuses it.
    const int made = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (made < 0) CannotCreate(fileName, errno);
    const bool written = WriteAll(made, bytes);
    const int writeError = errno;
    if (::close(made) != 0 || !written) {
      const int error = written ? errno : writeError;
      ::unlink(target.c_str());
      CannotWrite(error);
    }
    return;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    CannotCreate(fileName, error);
  }
  try {
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe (/dev/null for settings that are never kept) takes the bytes as
      // they come.
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      if (!WriteAll(fd, bytes)) CannotWrite(errno);
    } else if (st.st_nlink > 1 || !ReplaceThroughSibling(fileName, target, bytes, &st)) {
      // The file's other names would keep the old content after a move.
      RewriteInPlace(fd, bytes, st.st_size);
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}
