#include "app/compare_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/candidate_match.h"
#include "app/console.h"
#include "app/file_search.h"
#include "app/heap_settings.h"
#include "app/info_dialog.h"
#include "app/run_summary.h"
#include "app/shell_integration.h"
#include "app/sorter_view.h"
#include "app/xyl_clipbrd.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/string_list.h"
#include "platform/rtl/strings.h"
#include "platform/user/clipboard.h"
#include "platform/user/user_display.h"

namespace Tarnwick1 {

std::unique_ptr<TStringList> FileList;
bool SearchSubfolders = false;
std::string TargetFolder;
int32_t FilesFound = 0;
int32_t MatchCount = 0;
TCopyTally CopyTally;
std::string ClipboardText;

namespace {

constexpr const char* kCR = "\r";
constexpr const char* kCRLF = "\r\n";
constexpr const char* kClipboardNotKept =
    "The list of matching images could not be left on the clipboard (no X display, or no clipboard manager "
    "to keep it after the program ends): the matching images are listed on standard output.";

TSorterView& View() {
  if (!SorterView) throw EInvalidOperation("The comparison run needs the main window");
  return *SorterView;
}

// The target folder's name as the run will use it: the folder's "compared/" when none is given.
// Blanks around the typed name are not part of it: the folder made is the one the files are
// copied to and the one the summary names.
std::string TargetFolderText(const TSorterView& view, const std::string& directory) {
  const std::string typed = view.Text(TSorterEdit::Edit4);
  return Trim(typed.empty() ? directory + "compared/" : typed);
}

// The target folder T, made (one level) when it does not exist yet.
std::string PrepareTargetFolder(const std::string& directory) {
  TSorterView& view = View();
  if (view.Text(TSorterEdit::Edit4).empty()) view.SetText(TSorterEdit::Edit4, directory + "compared/");
  std::string target = TargetFolderText(view, directory);
  if (!DirectoryExists(FileNameToWide(target))) {
    if (!CreateDir(FileNameToWide(target))) throw Exception("Error while creating directory " + target);
    target = LongPath(target);
  }
  if (target.empty() || target.back() != '/') {
    target += "/";
    view.SetText(TSorterEdit::Edit4, target);
  }
  return target;
}

// The program is asked to end (a signal, the display gone) in the middle of a run: the files not
// yet looked at are left alone, and there is nothing more to show or put on the clipboard.
std::string StoppedRun(TSorterView& view, int done) {
  view.SetProgressPosition(0);
  view.SetProgressRange(0, 0);
  FilesFound = FileList->Count();
  if (ConsoleMode())
    WriteConsoleError("The comparison run was stopped after " + IntToStr(done) + " of " + IntToStr(FilesFound) +
                      " files.");
  return {};
}

// Copies one match into the target folder, never over a file of its name, and notes what
// became of it. A copy that fails is told (in batch mode on standard error, one line each).
void CopyMatch(const std::string& file) {
  const std::string copy = TargetFolder + WideToFileName(ExtractFileName(FileNameToWide(file)));
  if (CopyFile(FileNameToWide(file), FileNameToWide(copy), true)) {
    ++CopyTally.Copied;
    return;
  }
  const int error = errno;
  // The file already there stays as it is; the match still counts.
  if (error == EEXIST) {
    ++CopyTally.AlreadyThere;
    return;
  }
  if (++CopyTally.Failed == 1) CopyTally.FirstFailure = file + ": " + std::strerror(error);
  if (ConsoleMode()) WriteConsoleError("The file " + file + " could not be copied to " + copy + ": " + std::strerror(error));
}

}  // namespace

std::string RunQuestion(int count, const std::string& directory, bool subfolders) {
  return IntToStr(count) + " images in " + directory + kCR +
         (subfolders ? "and all directories below shall be scanned" : "shall be scanned") + kCR +
         "and the matching ones will be copied. Going on?";
}

std::string CompareRun(const std::string& directory) {
  TSorterView& view = View();
  FileList = std::make_unique<TStringList>();
  SearchSubfolders = view.Checked(10);
  CheckFolderToCompare(directory);
  TSearchScope scope;
  // The copies of earlier runs are not pictures to compare.
  uint64_t device = 0, inode = 0;
  if (GetFileIdentity(FileNameToWide(TargetFolderText(view, directory)), device, inode))
    scope.LeftOut = TFolderIdentity{device, inode};
  for (const char* mask : kImageMasks) FindImageFiles(directory, mask, *FileList, SearchSubfolders, false, scope);
  for (const auto& [folder, error] : scope.Unlisted)
    WriteConsoleError("The folder " + folder + " could not be searched: " + std::strerror(error));

  if (!ConsoleMode()) {
    if (ShowInfoDialog(RunQuestion(FileList->Count(), directory, SearchSubfolders), TInfoButtons::YesNo, kInfoBlue) ==
        TInfoAnswer::No)
      return {};
    view.RepaintWindow();
  }

  TargetFolder = PrepareTargetFolder(directory);

  MatchCount = 0;
  CopyTally = {};
  view.SetProgressRange(0, std::max(FileList->Count() - 1, 0));
  if (view.Checked(11)) {
    ClipboardText = std::string("Masterimage: ") + kCRLF + view.Text(TSorterEdit::Edit1) + " " + kCRLF +
                    "Matching images:" + " " + kCRLF;
  } else {
    ClipboardText.clear();
  }

  for (int i = 0; i < FileList->Count(); ++i) {
    if (EndRequested()) return StoppedRun(view, i);
    const std::string file = FileList->Get(i);
    view.SetProgressPosition(i);
    view.SetText(TSorterEdit::Edit3, "");
    const std::string properties = CompareImageFile(file);
    view.SetText(TSorterEdit::Edit3, properties);
    view.ProcessMessages();
    view.RepaintEdit(TSorterEdit::Edit3);
    if (properties.empty()) continue;
    if (ConsoleMode()) {
      WriteConsoleLine(properties);
      WriteConsoleLine(file);
    }
    if (!view.Checked(11)) {
      CopyMatch(file);
    } else {
      ClipboardText += Trim(file) + " " + kCRLF;
    }
    ++MatchCount;
  }

  // The window may stay open long after the run: the next run's page need not wait in memory.
  ReturnIdleMemory();
  const bool toClipboard = view.Checked(11);
  if (toClipboard) PutTextOnClipboard(ClipboardText);

  view.SetProgressPosition(0);
  view.SetProgressRange(0, 0);
  FilesFound = FileList->Count();

  if (!ConsoleMode()) {
    view.PlainMessage(RunSummary(MatchCount, FilesFound, toClipboard, TargetFolder, CopyTally));
    return "Process ended ...";
  }
  const std::string count = IntToStr(MatchCount) + " matching imagefiles out of " + IntToStr(FilesFound) + " files";
  if (!toClipboard) {
    WriteConsoleLine(ConsoleCopySummary(MatchCount, FilesFound, CopyTally, TargetFolder));
  } else if (HandClipboardToManager()) {
    // The process ends right after the run: its list stays on the clipboard only where the
    // desktop's clipboard manager takes it over.
    WriteConsoleLine(count + " were written into the clipboard ...");
  } else {
    WriteConsoleLine(count);
    WriteConsoleError(kClipboardNotKept);
  }
  WriteConsoleLine("Process ended ...");
  return "Process ended ...";
}

}  // namespace Tarnwick1
