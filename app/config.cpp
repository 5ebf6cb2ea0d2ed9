#include "app/config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/sorter_view.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/file_handles.h"
#include "platform/rtl/file_replace.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/string_list.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

std::string ProgramFolder;
std::string ConfigFileName;
std::unique_ptr<TStringList> ConfigList;
std::string UnreadConfig;

namespace {

constexpr const char* kConfigName = "Velmora.cfg";
// Eight lines of paths and flags; anything past this is not a configuration of ours.
constexpr int64_t kMaxConfigBytes = int64_t(1) << 20;

enum Line { kMasterImage, kCompareDirectory, kTargetDirectory, kSubdirectories, kOptionFlags, kPixelsSquare,
            kPrecision, kToClipboard };

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "") + "/.config";
  }
  if (base.back() != '/') base += '/';
  return base + "velmora/";
}

// The file's bytes (at most the first MiB); a file that cannot be opened or read raises, where
// a short read would pass for a shorter file.
std::string ReadConfigBytes(const WideString& name) {
  const std::string native = WideToFileName(name);
  const auto cannotOpen = [&](const std::string& cause) {
    return EFOpenError("Cannot open file \"" + WideToUtf8(name) + "\". " + cause);
  };
  // Opened without waiting: a named pipe would wait for a writer that may never come, and a
  // terminal for a line; neither is a file of settings.
  const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw cannotOpen(std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode))) {
    const int error = errno;
    FileClose(fd);
    throw cannotOpen(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISBLK(st.st_mode) ? "It is not a regular file"
                                                                                     : std::strerror(error));
  }
  std::string text;
  std::vector<char> chunk(1 << 16);
  while (int64_t(text.size()) < kMaxConfigBytes) {
    const int64_t n = FileRead(fd, chunk.data(), int64_t(chunk.size()));
    if (n < 0) {
      const int error = errno;
      FileClose(fd);
      throw EReadError("Cannot read file \"" + WideToUtf8(name) + "\". " + std::strerror(error));
    }
    if (n == 0) break;
    text.append(chunk.data(), size_t(n));
  }
  FileClose(fd);
  return text;
}

// Only a name that leads to nothing (or a folder) means there are no settings yet: a loop of
// links or a path that may not be looked at is a file that cannot be read.
bool ConfigMissing(const std::string& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  return errno == ENOENT;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string XOrDash(bool checked) { return checked ? "X" : "-"; }

// A value must stay on its own line, or every line after it would shift.
std::string OneLine(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

}  // namespace

std::string ConfigLocationFor(const std::string& programFolder) {
  if (DirectoryIsWritable(FileNameToWide(programFolder))) return programFolder + kConfigName;
  return UserConfigFolder() + kConfigName;
}

void InitConfigLocation() {
  if (ProgramFolder.empty()) ProgramFolder = WideToFileName(GetExecutableDir());
  ConfigFileName = ConfigLocationFor(ProgramFolder);
}

void ApplyConfigLines(const TStrings& lines, TSorterView& view) {
  const int c = lines.Count();
  if (c >= 8 && Trim(lines[kToClipboard]) != "-") view.SetChecked(11, true);
  if (c >= 7) {
    const std::string t = Trim(lines[kPrecision]);
    if (t != "-") view.SetText(TSorterEdit::EditPrec, t);
  }
  if (c >= 6) {
    const std::string t = Trim(lines[kPixelsSquare]);
    if (t != "-") view.SetText(TSorterEdit::EditPix, t);
  }
  if (c >= 5) {
    const std::string flags = Trim(lines[kOptionFlags]);
    if (!flags.empty()) {
      for (size_t i = 0; i < 9; ++i) {
        if (i >= flags.size() || flags[i] != '-') view.SetChecked(int(i) + 1, true);
      }
    }
  }
  if (c >= 4 && lines[kSubdirectories] != "-") view.SetChecked(10, true);
  if (c >= 3) view.SetText(TSorterEdit::Edit4, lines[kTargetDirectory]);
  if (c >= 2) view.SetText(TSorterEdit::Edit2, lines[kCompareDirectory]);
  if (c >= 1) view.SetText(TSorterEdit::Edit1, lines[kMasterImage]);
}

void ApplyConfigText(std::string_view text, TSorterView& view) {
  // Editors that save UTF-8 with a byte order mark put it before the first line.
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  ConfigList = std::make_unique<TStringList>();
  ConfigList->SetText(text.substr(0, size_t(std::min<int64_t>(int64_t(text.size()), kMaxConfigBytes))));
  ApplyConfigLines(*ConfigList, view);
  ConfigList.reset();
}

void LoadConfig(TSorterView& view) {
  if (UnreadConfig == ConfigFileName) UnreadConfig.clear();
  const WideString name = FileNameToWide(ConfigFileName);
  if (ConfigMissing(ConfigFileName)) return;
  std::string text;
  try {
    text = ReadConfigBytes(name);
  } catch (const EStreamError&) {
    UnreadConfig = ConfigFileName;
    throw;
  }
  ApplyConfigText(text, view);
}

std::unique_ptr<TStringList> ConfigLines(const TSorterView& view) {
  std::string flags;
  for (int box = 1; box <= 9; ++box) flags += XOrDash(view.Checked(box));
  const std::string pix = view.Text(TSorterEdit::EditPix), prec = view.Text(TSorterEdit::EditPrec);
  auto lines = std::make_unique<TStringList>();
  // A master whose name begins with the bytes of a byte order mark keeps them: the mark a reader
  // skips goes before them.
  const std::string master = OneLine(view.Text(TSorterEdit::Edit1));
  lines->Add(master.substr(0, kByteOrderMark.size()) == kByteOrderMark ? std::string(kByteOrderMark) + master : master);
  lines->Add(OneLine(view.Text(TSorterEdit::Edit2)));
  lines->Add(OneLine(view.Text(TSorterEdit::Edit4)));
  lines->Add(XOrDash(view.Checked(10)));
  lines->Add(flags);
  lines->Add(pix.empty() ? "-" : OneLine(pix));
  lines->Add(prec.empty() ? "-" : OneLine(prec));
  lines->Add(XOrDash(view.Checked(11)));
  return lines;
}

void SaveConfig(const TSorterView& view) {
  // Settings that were never read are not the window's to write back: the file stays as it is.
  if (!UnreadConfig.empty() && UnreadConfig == ConfigFileName) return;
  ConfigList = ConfigLines(view);
  const std::string text = ConfigList->Text();
  ConfigList.reset();
  const WideString name = FileNameToWide(ConfigFileName);
  const WideString folder = ExtractFilePath(name);
  if (!folder.empty()) ForceDirectories(folder);
  // The person has to find the file and what stands in its way.
  const auto unsaved = [](const EStreamError& e) {
    return "The settings could not be saved to " + ConfigFileName + ": " +
           (e.ErrorCode() != 0 ? std::string(std::strerror(e.ErrorCode())) : std::string(e.what()));
  };
  try {
    ReplaceFileContents(name, text);
  } catch (const EFCreateError& e) {
    throw EFCreateError(unsaved(e), e.ErrorCode());
  } catch (const EStreamError& e) {
    throw EWriteError(unsaved(e), e.ErrorCode());
  }
}

}  // namespace Tarnwick1
