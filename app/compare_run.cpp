#include "app/compare_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/candidate_match.h"
#include "app/console.h"
#include "app/file_search.h"
#include "app/heap_settings.h"
#include "app/info_dialog.h"
#include "app/master_footprint.h"
#include "app/run_summary.h"
#include "app/shell_integration.h"
#include "app/sorter_view.h"
#include "app/xyl_clipbrd.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/file_copy.h"
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

// The folder beside the folder compared that takes the matches when no target is given: inside
// it, whether or not its line ends in "/" (a name glued to the folder's would be a sibling).
std::string DefaultTarget(const std::string& directory) {
  return (directory.empty() || directory.back() == '/' ? directory : directory + "/") + "compared/";
}

// The target folder's name as the run will use it: the folder's "compared/" when none is given.
// Blanks around the typed name are not part of it: the folder made is the one the files are
// copied to and the one the summary names.
std::string TargetFolderText(const TSorterView& view, const std::string& directory) {
  const std::string typed = view.Text(TSorterEdit::Edit4);
  return Trim(typed.empty() ? DefaultTarget(directory) : typed);
}

// The target folder T, made (one level) when it does not exist yet.
std::string PrepareTargetFolder(const std::string& directory) {
  TSorterView& view = View();
  if (view.Text(TSorterEdit::Edit4).empty()) view.SetText(TSorterEdit::Edit4, DefaultTarget(directory));
  std::string target = TargetFolderText(view, directory);
  if (!DirectoryExists(FileNameToWide(target))) {
    if (!CreateDir(FileNameToWide(target)))
      throw Exception("Error while creating directory " + target + ": " + std::strerror(errno));
    target = LongPath(target);
  }
  if (target.empty() || target.back() != '/') {
    target += "/";
    view.SetText(TSorterEdit::Edit4, target);
  }
  return target;
}

// The program is asked to end (a signal, the display gone, "E n d" or the close button during
// the run): the run stops before its next file.
bool RunStopped(const TSorterView& view) { return EndRequested() || view.StopRequested(); }

// The files not yet looked at are left alone, and there is nothing more to show or put on the
// clipboard. `done` is -1 while the files were still being searched for.
std::string StoppedRun(TSorterView& view, int done) {
  view.SetProgressPosition(0);
  view.SetProgressRange(0, 0);
  FilesFound = FileList->Count();
  if (ConsoleMode())
    WriteConsoleError(done < 0 ? std::string("The comparison run was stopped while it searched for files.")
                               : "The comparison run was stopped after " + IntToStr(done) + " of " +
                                     IntToStr(FilesFound) + " files.");
  return {};
}

// Copies one match into the target folder, never over a file of its name, and notes what
// became of it. A copy that fails is told (in batch mode on standard error, one line each),
// naming the file that failed: the picture when it could not be read, else the copy.
void CopyMatch(TFolderCopier& copier, const std::string& file) {
  const std::string name = WideToFileName(ExtractFileName(FileNameToWide(file)));
  const std::string copy = TargetFolder + name;
  if (copier.Copy(file, name)) {
    ++CopyTally.Copied;
    return;
  }
  const int error = errno;
  // The file already there stays as it is; the match still counts.
  if (error == EEXIST) {
    ++CopyTally.AlreadyThere;
    return;
  }
  if (++CopyTally.Failed == 1) CopyTally.FirstFailure = (copier.SourceFailed() ? file : copy) + ": " + std::strerror(error);
  if (ConsoleMode()) WriteConsoleError("The file " + file + " could not be copied to " + copy + ": " + std::strerror(error));
}

// What the window's summary says of the folders the search could not enter: the first, and how
// many more.
std::string UnsearchedNote(const TSearchScope& scope) {
  if (scope.Unlisted.empty()) return {};
  const auto& [folder, error] = scope.Unlisted.front();
  std::string note = "The folder " + folder + " could not be searched: " + std::strerror(error);
  if (scope.Unlisted.size() > 1) note += " (and " + IntToStr(int(scope.Unlisted.size() - 1)) + " more folders)";
  return note;
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
  // The run compares by the settings it started with: boxes ticked or a square size typed
  // meanwhile count from the next run on.
  ReadSquareSettings();
  if (view.Text(TSorterEdit::EditPrec).empty()) view.SetText(TSorterEdit::EditPrec, "75");
  const TTestSelection tests = SelectedTests(view);
  const bool toClipboard = view.Checked(11);
  TSearchScope scope;
  scope.Stop = [&view] { return RunStopped(view); };
  // The copies of earlier runs are not pictures to compare.
  uint64_t device = 0, inode = 0;
  if (GetFileIdentity(FileNameToWide(TargetFolderText(view, directory)), device, inode))
    scope.LeftOut = TFolderIdentity{device, inode};
  for (const char* mask : kImageMasks) FindImageFiles(directory, mask, *FileList, SearchSubfolders, false, scope);
  for (const auto& [folder, error] : scope.Unlisted)
    WriteConsoleError("The folder " + folder + " could not be searched: " + std::strerror(error));
  if (scope.Stopped) return StoppedRun(view, -1);

  if (!ConsoleMode()) {
    // Closing the question without an answer is no answer to go on with.
    if (ShowInfoDialog(RunQuestion(FileList->Count(), directory, SearchSubfolders), TInfoButtons::YesNo, kInfoBlue) !=
        TInfoAnswer::Yes)
      return {};
    view.RepaintWindow();
  }

  // A list for the clipboard needs no target folder.
  if (toClipboard) {
    TargetFolder = TargetFolderText(view, directory);
  } else {
    TargetFolder = PrepareTargetFolder(directory);
  }
  TFolderCopier copier(TargetFolder);
  if (!toClipboard) copier.RemoveLeftovers();

  MatchCount = 0;
  CopyTally = {};
  view.SetProgressRange(0, std::max(FileList->Count() - 1, 0));
  if (toClipboard) {
    ClipboardText = std::string("Masterimage: ") + kCRLF + view.Text(TSorterEdit::Edit1) + " " + kCRLF +
                    "Matching images:" + " " + kCRLF;
  } else {
    ClipboardText.clear();
  }

  for (int i = 0; i < FileList->Count(); ++i) {
    if (RunStopped(view)) return StoppedRun(view, i);
    const std::string file = FileList->Get(i);
    view.SetProgressPosition(i);
    view.SetText(TSorterEdit::Edit3, "");
    const std::string properties = CompareImageFile(file, tests);
    view.SetText(TSorterEdit::Edit3, properties);
    view.ProcessMessages();
    view.RepaintEdit(TSorterEdit::Edit3);
    if (properties.empty()) continue;
    if (ConsoleMode()) {
      WriteConsoleLine(properties);
      WriteConsoleLine(file);
    }
    if (!toClipboard) {
      CopyMatch(copier, file);
    } else {
      ClipboardText += Trim(file) + " " + kCRLF;
    }
    ++MatchCount;
  }

  // The window may stay open long after the run: the next run's page need not wait in memory.
  ReturnIdleMemory();
  if (toClipboard) PutTextOnClipboard(ClipboardText);

  view.SetProgressPosition(0);
  view.SetProgressRange(0, 0);
  FilesFound = FileList->Count();

  if (!ConsoleMode()) {
    view.PlainMessage(RunSummary(MatchCount, FilesFound, toClipboard, TargetFolder, CopyTally, UnsearchedNote(scope)));
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
