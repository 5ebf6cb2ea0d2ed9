#include "platform/rtl/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/rtl/guid.h"

namespace {

std::string Native(const WideString& name) { return WideToFileName(name); }

bool StatOf(const WideString& name, struct stat& st) { return ::stat(Native(name).c_str(), &st) == 0; }

char16_t Fold(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  return c;
}

// Copies everything from the reading position of `in` to `out`.
bool CopyBytes(int in, int out) {
  std::vector<char> buf(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t off = 0; off < n;) {
      const ssize_t w = ::write(out, buf.data() + off, static_cast<size_t>(n - off));
      if (w < 0 && errno == EINTR) continue;
      if (w == 0) errno = EIO;  // no progress and no reason given
      if (w <= 0) return false;
      off += w;
    }
  }
}

// What link() answers on a file system that has no hard links (FAT and exFAT on memory cards,
// many network and FUSE mounts): the copy is then written under its own name.
bool HardLinksRefused(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == EXDEV || error == EMLINK || error == ENOSYS;
}

// Writes `in` from its reading position into a file of that name that does not exist yet (an
// existing one is never opened); a file left incomplete by a failed write is taken away again.
// errno says why it failed.
bool WriteNewFile(int in, const std::string& name, mode_t mode) {
  const int out = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (out < 0) return false;
  bool ok = CopyBytes(in, out);
  int error = errno;
  if (::close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(name.c_str());
    errno = error;
  }
  return ok;
}

}  // namespace

bool FileExists(const WideString& name) {
  struct stat st {};
  return !name.empty() && StatOf(name, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const WideString& name) {
  struct stat st {};
  return !name.empty() && StatOf(name, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(const WideString& name) { return ::unlink(Native(name).c_str()) == 0; }

bool CreateDir(const WideString& name) { return ::mkdir(Native(name).c_str(), 0777) == 0; }

bool ForceDirectories(const WideString& name) {
  const WideString dir = ExcludeTrailingPathDelimiter(name);
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  const WideString parent = ExtractFilePath(dir);
  if (!parent.empty() && parent != dir + u"/" && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

bool DirectoryIsWritable(const WideString& name) {
  return DirectoryExists(name) && ::access(Native(name).c_str(), W_OK | X_OK) == 0;
}

bool RenameFile(const WideString& from, const WideString& to) {
  return ::rename(Native(from).c_str(), Native(to).c_str()) == 0;
}

int64_t FileSizeOf(const WideString& name) {
  struct stat st {};
  return StatOf(name, st) ? static_cast<int64_t>(st.st_size) : -1;
}

bool CopyFile(const WideString& source, const WideString& target, bool failIfExists) {
  // Every way out restores the error of the step that failed: the caller tells an existing
  // target (EEXIST) from a disk that is full or refuses.
  const auto fail = [](int in, int error) {
    if (in >= 0) ::close(in);
    errno = error;
    return false;
  };
  const int in = ::open(Native(source).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail(-1, errno);
  struct stat st {};
  if (::fstat(in, &st) != 0) return fail(in, errno);
  if (S_ISDIR(st.st_mode)) return fail(in, EISDIR);
  const mode_t mode = st.st_mode & 0777;
  const std::string dst = Native(target);
  // An existing name is told as such before any byte is written: on a full disk too, and
  // without copying a whole file only to throw it away.
  struct stat existing {};
  if (failIfExists && ::lstat(dst.c_str(), &existing) == 0) return fail(in, EEXIST);
  // Write to a hidden sibling first, then move it into place, so a failed copy never leaves a
  // truncated file under the target's name.
  const auto guid = CreateGuidBytes();
  char tag[16];
  std::snprintf(tag, sizeof tag, "%02x%02x%02x%02x", guid[0], guid[1], guid[2], guid[3]);
  const size_t slash = dst.rfind('/');
  const std::string tmp = (slash == std::string::npos ? std::string() : dst.substr(0, slash + 1)) + ".velmora-copy-" + tag;
  if (!WriteNewFile(in, tmp, mode)) return fail(in, errno);
  bool ok;
  if (failIfExists) {
    // link() refuses an existing name atomically, so a file that appeared meanwhile survives.
    ok = ::link(tmp.c_str(), dst.c_str()) == 0;
  } else {
    ok = ::rename(tmp.c_str(), dst.c_str()) == 0;
  }
  int error = ok ? 0 : errno;
  ::unlink(tmp.c_str());
  if (!ok && failIfExists && HardLinksRefused(error)) {
    ok = ::lseek(in, 0, SEEK_SET) == 0 && WriteNewFile(in, dst, mode);
    if (!ok) error = errno;
  }
  if (!ok) return fail(in, error);
  ::close(in);
  return true;
}

WideString GetTempDir() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  if (dir.back() != '/') dir += '/';
  return FileNameToWide(dir);
}

WideString GetExecutablePath() {
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  return FileNameToWide(std::string(buf.data(), static_cast<size_t>(n)));
}

WideString GetExecutableDir() { return ExtractFilePath(GetExecutablePath()); }

WideString GetCurrentDir() {
  std::vector<char> buf(PATH_MAX + 1);
  if (!::getcwd(buf.data(), buf.size())) return {};
  return FileNameToWide(buf.data());
}

WideString ExtractFilePath(const WideString& path) {
  const size_t p = path.rfind(u'/');
  return p == WideString::npos ? WideString() : path.substr(0, p + 1);
}

WideString ExtractFileName(const WideString& path) {
  const size_t p = path.rfind(u'/');
  return p == WideString::npos ? path : path.substr(p + 1);
}

WideString ExtractFileExt(const WideString& path) {
  const WideString name = ExtractFileName(path);
  const size_t p = name.rfind(u'.');
  return p == WideString::npos ? WideString() : name.substr(p);
}

WideString ChangeFileExt(const WideString& path, const WideString& ext) {
  const size_t slash = path.rfind(u'/');
  const size_t dot = path.rfind(u'.');
  if (dot == WideString::npos || (slash != WideString::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

WideString IncludeTrailingPathDelimiter(const WideString& path) {
  return (!path.empty() && path.back() == u'/') ? path : path + u"/";
}

WideString ExcludeTrailingPathDelimiter(const WideString& path) {
  WideString p = path;
  while (p.size() > 1 && p.back() == u'/') p.pop_back();
  return p;
}

WideString ExpandFileName(const WideString& path) {
  WideString full = (!path.empty() && path[0] == u'/') ? path : IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
  std::vector<WideString> parts;
  size_t i = 0;
  while (i <= full.size()) {
    size_t j = full.find(u'/', i);
    if (j == WideString::npos) j = full.size();
    WideString part = full.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  WideString out;
  for (const auto& p : parts) out += u"/" + p;
  // (assign() rather than = of a literal: GCC 12 inlines the latter into a copy it wrongly takes
  // for an overlapping one, -Wrestrict.)
  if (out.empty()) out.assign(1, u'/');
  if (full.size() > 1 && full.back() == u'/' && out != u"/") out += u'/';
  return out;
}

bool ListDirectory(const WideString& dir, std::vector<TSearchRec>& entries) {
  const std::string native = Native(dir.empty() ? WideString(u".") : dir);
  DIR* d = ::opendir(native.c_str());
  if (!d) return false;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    TSearchRec rec;
    rec.Name = FileNameToWide(name);
    const std::string full = native + (native.back() == '/' ? "" : "/") + name;
    struct stat lst {}, st {};
    if (::lstat(full.c_str(), &lst) == 0) rec.IsSymLink = S_ISLNK(lst.st_mode);
    if (::stat(full.c_str(), &st) == 0) {
      rec.IsDirectory = S_ISDIR(st.st_mode);
      rec.IsRegular = S_ISREG(st.st_mode);
      rec.Size = static_cast<int64_t>(st.st_size);
      rec.Device = static_cast<uint64_t>(st.st_dev);
      rec.Inode = static_cast<uint64_t>(st.st_ino);
    }
    entries.push_back(std::move(rec));
  }
  ::closedir(d);
  return true;
}

bool GetFileIdentity(const WideString& name, uint64_t& device, uint64_t& inode) {
  struct stat st {};
  if (name.empty() || !StatOf(name, st)) return false;
  device = static_cast<uint64_t>(st.st_dev);
  inode = static_cast<uint64_t>(st.st_ino);
  return true;
}

bool MatchesMask(const WideString& name, const WideString& mask, bool caseInsensitive) {
  // Iterative wildcard match with single backtracking point: linear in practice, never exponential.
  size_t n = 0, m = 0, starM = WideString::npos, starN = 0;
  auto eq = [&](char16_t a, char16_t b) { return caseInsensitive ? Fold(a) == Fold(b) : a == b; };
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == u'?' || (mask[m] != u'*' && eq(mask[m], name[n])))) {
      ++n; ++m;
    } else if (m < mask.size() && mask[m] == u'*') {
      starM = m++;
      starN = n;
    } else if (starM != WideString::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}
