#include "app/compare_run.h"

#include <algorithm>

#include "app/candidate_match.h"
#include "app/console.h"
#include "app/file_search.h"
#include "app/heap_settings.h"
#include "app/info_dialog.h"
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

// The target folder T, made (one level) when it does not exist yet.
std::string PrepareTargetFolder(const std::string& directory) {
  TSorterView& view = View();
  std::string target;
  if (view.Text(TSorterEdit::Edit4).empty()) {
    target = directory + "compared/";
    view.SetText(TSorterEdit::Edit4, target);
  } else {
    target = view.Text(TSorterEdit::Edit4);
  }
  // Blanks around the typed name are not part of it: the folder made is the one the files
  // are copied to and the one the summary names.
  target = Trim(target);
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

}  // namespace

std::string RunQuestion(int count, const std::string& directory, bool subfolders) {
  return IntToStr(count) + " images in " + directory + kCR +
         (subfolders ? "and all directories below shall be scanned" : "shall be scanned") + kCR +
         "and the matching ones will be copied. Going on?";
}

std::string RunSummary(int32_t matches, int32_t files, bool toClipboard, const std::string& target) {
  std::string s = IntToStr(matches) + " imagefiles out of " + IntToStr(files) + " files" + kCR;
  if (toClipboard) return s + "are matching to the pattern and were written into the clipboard ...";
  return s + "are matching to the pattern and were copied to ..." + kCR + target;
}

std::string CompareRun(const std::string& directory) {
  TSorterView& view = View();
  FileList = std::make_unique<TStringList>();
  SearchSubfolders = view.Checked(10);
  for (const char* mask : kImageMasks) FindImageFiles(directory, mask, *FileList, SearchSubfolders, false);

  if (!ConsoleMode()) {
    if (ShowInfoDialog(RunQuestion(FileList->Count(), directory, SearchSubfolders), TInfoButtons::YesNo, kInfoBlue) ==
        TInfoAnswer::No)
      return {};
    view.RepaintWindow();
  }

  TargetFolder = PrepareTargetFolder(directory);

  MatchCount = 0;
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
      // An existing file of that name stays as it is; the match still counts.
      CopyFile(FileNameToWide(file), FileNameToWide(TargetFolder + WideToFileName(ExtractFileName(FileNameToWide(file)))),
               true);
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
    view.PlainMessage(RunSummary(MatchCount, FilesFound, toClipboard, TargetFolder));
    return "Process ended ...";
  }
  const std::string count = IntToStr(MatchCount) + " matching imagefiles out of " + IntToStr(FilesFound) + " files";
  if (!toClipboard) {
    WriteConsoleLine(count + " were copied to " + TargetFolder);
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
