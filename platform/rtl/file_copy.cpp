#include "platform/rtl/file_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/rtl/end_signals.h"
#include "platform/rtl/files.h"
#include "platform/rtl/guid.h"

namespace {

constexpr std::string_view kHiddenPrefix = ".velmora-copy-";

// What link() answers on a file system that has no hard links.
bool HardLinksRefused(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == EXDEV || error == EMLINK || error == ENOSYS;
}

// What renameat2() answers where the file system cannot rename without replacing.
bool NoReplaceUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

enum class TCopied { kAll, kReadFailed, kWriteFailed };

// Copies everything from the reading position of `in` to `out`; errno says why it failed.
TCopied CopyBytes(int in, int out) {
  std::vector<char> buf(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return TCopied::kReadFailed;
    if (n == 0) return TCopied::kAll;
    for (ssize_t off = 0; off < n;) {
      const ssize_t w = ::write(out, buf.data() + off, size_t(n - off));
      if (w < 0 && errno == EINTR) continue;
      if (w == 0) errno = EIO;  // no progress and no reason given
      if (w <= 0) return TCopied::kWriteFailed;
      off += w;
    }
  }
}

// Writes `in` into the file just made under `name`; a file left incomplete is taken away again
// (and an end at once meanwhile takes it away too).
TCopied FillNewFile(int in, int out, const std::string& name) {
  SetScratchFile(name);
  TCopied copied = CopyBytes(in, out);
  int error = errno;
  if (::close(out) != 0 && copied == TCopied::kAll) {
    copied = TCopied::kWriteFailed;
    error = errno;
  }
  if (copied != TCopied::kAll) ::unlink(name.c_str());
  ClearScratchFile();
  errno = error;
  return copied;
}

std::string HiddenName(const std::string& folder) {
  const auto guid = CreateGuidBytes();
  char tag[16];
  std::snprintf(tag, sizeof tag, "%02x%02x%02x%02x", guid[0], guid[1], guid[2], guid[3]);
  return folder + std::string(kHiddenPrefix) + tag;
}

bool SameFile(int fd, const std::string& name) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::lstat(name.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// A new hidden file in the folder, held with a lock while this copy writes it so that another
// run's clean-up leaves it alone; -1 (errno set) when the folder takes none.
int MakeHiddenFile(const std::string& folder, mode_t mode, std::string& name) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    name = HiddenName(folder);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // A clean-up that took the file between its making and the lock has removed it: another
    // name. Where the file system has no locks the file is written unlocked.
    if ((::flock(fd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR)) && SameFile(fd, name))
      return fd;
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

std::string WithSeparator(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

}  // namespace

TFolderCopier::TFolderCopier(const std::string& folder) : folder_(WithSeparator(folder)) {}

TFolderCopier::TWay TFolderCopier::Way() {
  if (way_ != TWay::kUnknown) return way_;
  std::string probe;
  const int fd = MakeHiddenFile(folder_, 0600, probe);
  if (fd < 0) return TWay::kUnknown;
  // Held (and locked) until the probe is over.
  const std::string second = HiddenName(folder_);
  int error = 0;
  if (::renameat2(AT_FDCWD, probe.c_str(), AT_FDCWD, second.c_str(), RENAME_NOREPLACE) == 0) {
    way_ = TWay::kRename;
    ::unlink(second.c_str());
  } else if (!NoReplaceUnsupported(errno)) {
    error = errno;
  } else if (::link(probe.c_str(), second.c_str()) == 0) {
    way_ = TWay::kLink;
    ::unlink(second.c_str());
  } else if (HardLinksRefused(errno)) {
    way_ = TWay::kCreate;
  } else {
    error = errno;
  }
  ::unlink(probe.c_str());
  ::close(fd);
  if (error != 0) errno = error;
  return way_;
}

bool TFolderCopier::CopyThroughHiddenFile(int in, const std::string& target, unsigned mode) {
  std::string hidden;
  const int out = MakeHiddenFile(folder_, mode_t(mode), hidden);
  if (out < 0) return false;
  const TCopied copied = FillNewFile(in, out, hidden);
  if (copied != TCopied::kAll) {
    sourceFailed_ = copied == TCopied::kReadFailed;
    return false;
  }
  SetScratchFile(hidden);
  const bool moved = way_ == TWay::kRename
                         ? ::renameat2(AT_FDCWD, hidden.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0
                         : ::link(hidden.c_str(), target.c_str()) == 0;
  const int error = errno;
  if (!moved || way_ == TWay::kLink) ::unlink(hidden.c_str());
  ClearScratchFile();
  errno = error;
  return moved;
}

bool TFolderCopier::Copy(const std::string& source, const std::string& name) {
  sourceFailed_ = false;
  // Every way out restores the error of the step that failed: the caller tells an existing
  // target (EEXIST) from a disk that is full or refuses.
  const auto fail = [this](int in, int error, bool sourceSide) {
    if (in >= 0) ::close(in);
    sourceFailed_ = sourceSide;
    errno = error;
    return false;
  };
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail(-1, errno, true);
  struct stat st {};
  if (::fstat(in, &st) != 0) return fail(in, errno, true);
  if (S_ISDIR(st.st_mode)) return fail(in, EISDIR, true);
  const std::string target = folder_ + name;
  // An existing name is told as such before any byte is written: on a full disk too, and
  // without copying a whole file only to throw it away.
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0) return fail(in, EEXIST, false);
  const TWay way = Way();
  if (way == TWay::kUnknown) return fail(in, errno, false);
  bool copied;
  if (way == TWay::kCreate) {
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) return fail(in, errno, false);
    const TCopied result = FillNewFile(in, out, target);
    sourceFailed_ = result == TCopied::kReadFailed;
    copied = result == TCopied::kAll;
  } else {
    copied = CopyThroughHiddenFile(in, target, st.st_mode & 0777);
  }
  if (!copied) return fail(in, errno, sourceFailed_);
  ::close(in);
  return true;
}

void TFolderCopier::RemoveLeftovers() const {
  DIR* d = ::opendir(folder_.empty() ? "." : folder_.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d)) {
    if (std::string_view(e->d_name).substr(0, kHiddenPrefix.size()) == kHiddenPrefix) names.emplace_back(e->d_name);
  }
  ::closedir(d);
  for (const std::string& n : names) {
    const std::string name = folder_ + n;
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // Only a hidden copy nobody holds, and still the file of that name.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, name))
      ::unlink(name.c_str());
    ::close(fd);
  }
}

bool CopyFile(const WideString& source, const WideString& target, bool failIfExists) {
  const std::string dst = WideToFileName(target);
  const size_t slash = dst.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : dst.substr(0, slash + 1);
  const std::string name = dst.substr(slash == std::string::npos ? 0 : slash + 1);
  if (failIfExists) return TFolderCopier(folder).Copy(WideToFileName(source), name);
  // Replacing: written beside the target and moved over it, so that a failed copy never leaves
  // a truncated file under its name.
  const int in = ::open(WideToFileName(source).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const auto fail = [in](int error) {
    ::close(in);
    errno = error;
    return false;
  };
  struct stat st {};
  if (::fstat(in, &st) != 0) return fail(errno);
  if (S_ISDIR(st.st_mode)) return fail(EISDIR);
  std::string hidden;
  const int out = MakeHiddenFile(folder, st.st_mode & 0777, hidden);
  if (out < 0 || FillNewFile(in, out, hidden) != TCopied::kAll) return fail(errno);
  if (::rename(hidden.c_str(), dst.c_str()) != 0) {
    const int error = errno;
    ::unlink(hidden.c_str());
    return fail(error);
  }
  ::close(in);
  return true;
}
