#include "platform/shell/send_to.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace {

// Creates a folder and the folders above it that are missing.
bool MakeFolders(const std::string& path) {
  std::string partial;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    partial = path.substr(0, slash == std::string::npos ? path.size() : slash);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A value of a desktop entry line: the characters the format gives a meaning escaped.
std::string EscapeValue(const std::string& v) {
  std::string out;
  for (char c : v) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string SendToFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/applications";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/applications";
  return {};
}

std::string SendToEntryPath(const std::string& title) {
  std::string folder = SendToFolder();
  if (folder.empty()) return {};
  // A title cannot leave the folder.
  std::string name = title;
  for (char& c : name)
    if (c == '/') c = '_';
  return folder + "/" + name + ".desktop";
}

const std::vector<std::string>& SendToMimeTypes() {
  static const std::vector<std::string> types = {
      "image/tiff",  "image/png",   "image/jpeg",        "image/pjpeg",   "image/gif",
      "image/bmp",   "image/x-bmp", "image/x-ms-bmp",    "image/wmf",     "image/x-wmf",
      "image/emf",   "image/x-emf", "image/vnd.microsoft.icon", "image/x-icon"};
  return types;
}

std::string QuoteExecArgument(const std::string& argument) {
  // Inside double quotes: ", `, $ and \ take a backslash; "%" is written "%%".
  std::string q = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
    if (c == '%') q += '%';
    q += c;
  }
  q += '"';
  return q;
}

std::string SendToEntryText(const std::string& title, const std::string& executable) {
  std::string mime;
  for (const std::string& t : SendToMimeTypes()) mime += t + ";";
  std::string text;
  text += "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.0\n";
  text += "Name=" + EscapeValue(title) + "\n";
  text += "Comment=" + EscapeValue("Sort images by their likeness to this master image") + "\n";
  // The general escape rule of string values applies on top of the Exec quoting.
  text += "Exec=" + EscapeValue(QuoteExecArgument(executable)) + " %f\n";
  text += "Terminal=false\n";
  text += "MimeType=" + mime + "\n";
  text += "Categories=Graphics;\n";
  return text;
}

bool AddSendToEntry(const std::string& title, const std::string& executable) {
  std::string folder = SendToFolder();
  if (folder.empty() || !MakeFolders(folder)) return false;
  try {
    WriteFileBytes(FileNameToWide(SendToEntryPath(title)), SendToEntryText(title, executable));
  } catch (const Exception&) {
    return false;
  }
  return true;
}

bool RemoveSendToEntry(const std::string& title) {
  std::string path = SendToEntryPath(title);
  return !path.empty() && DeleteFile(FileNameToWide(path));
}
