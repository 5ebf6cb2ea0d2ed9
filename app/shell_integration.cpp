#include "app/shell_integration.h"

#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

std::string LongPath(const std::string& path) {
  const WideString name = FileNameToWide(path);
  return FileExists(name) || DirectoryExists(name) ? path : std::string();
}

std::string DisplayName(const std::string& path) {
  const WideString name = FileNameToWide(path);
  if (!FileExists(name) && !DirectoryExists(name)) return path;
  return WideToFileName(ExtractFileName(ExcludeTrailingPathDelimiter(name)));
}

}  // namespace Tarnwick1
