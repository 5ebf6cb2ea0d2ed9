#include "platform/shell/shell_paths.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>

bool ShellDisplayName(const std::string& path, std::string& name) {
  struct stat st{};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (p == "/") {
    // (assign() rather than = of a literal: GCC 12 inlines the latter into a copy it wrongly
    // takes for an overlapping one, -Wrestrict.)
    name.assign(1, '/');
    return true;
  }
  size_t slash = p.rfind('/');
  name = slash == std::string::npos ? p : p.substr(slash + 1);
  return true;
}

std::string DisplayName(const std::string& path) {
  std::string name;
  return ShellDisplayName(path, name) ? name : path;
}

std::string LongPath(const std::string& path) {
  if (path.empty()) return {};
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) return {};
  std::string out = resolved.get();
  if (path.back() == '/' && out.back() != '/') out += '/';
  return out;
}
