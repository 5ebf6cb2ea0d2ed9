#include "platform/rtl/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

std::string Native(const WideString& name) { return WideToFileName(name); }

bool StatOf(const WideString& name, struct stat& st) { return ::stat(Native(name).c_str(), &st) == 0; }

char16_t Fold(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  return c;
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
  int unreachable = 0;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    TSearchRec rec;
    rec.Name = FileNameToWide(name);
    const std::string full = native + (native.back() == '/' ? "" : "/") + name;
    struct stat lst {}, st {};
    if (::lstat(full.c_str(), &lst) != 0) {
      // An entry gone since the listing is no loss; one that cannot be looked at (a folder that
      // may be listed but not entered, a path past the system's limit) hides what it is.
      if (errno == ENOENT) continue;
      unreachable = errno;
      break;
    }
    rec.IsSymLink = S_ISLNK(lst.st_mode);
    if (::stat(full.c_str(), &st) == 0) {
      rec.IsDirectory = S_ISDIR(st.st_mode);
      rec.IsRegular = S_ISREG(st.st_mode);
      rec.Size = static_cast<int64_t>(st.st_size);
      rec.Device = static_cast<uint64_t>(st.st_dev);
      rec.Inode = static_cast<uint64_t>(st.st_ino);
    } else if (errno != ENOENT) {
      rec.Unreachable = errno;  // a link that cannot be followed (a loop, a protected folder)
    }
    entries.push_back(std::move(rec));
  }
  ::closedir(d);
  if (unreachable != 0) {
    entries.clear();
    errno = unreachable;
    return false;
  }
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
