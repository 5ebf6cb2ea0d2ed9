#include "app/file_search.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "app/sorter_view.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/string_list.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

// One FindImageFiles call: its mask, list and subfolder flag, and the folders it has walked.
class TFolderSearch {
 public:
  TFolderSearch(const std::string& mask, TStrings& list, bool withSubfolders, TSearchScope& scope)
      : mask_(FileNameToWide(mask)), list_(list), withSubfolders_(withSubfolders), scope_(scope) {}

  void SearchFolder(const std::string& folder) {
    std::vector<TSearchRec> entries;
    if (!ListDirectory(FileNameToWide(folder), entries)) {
      Unlisted(folder, errno);
      return;
    }
    SortByName(entries);
    for (const TSearchRec& e : entries) {
      if (e.IsRegular && MatchesMask(e.Name, mask_, true)) list_.Add(folder + WideToFileName(e.Name));
    }
    if (!withSubfolders_) return;
    for (const TSearchRec& e : entries) {
      if (e.Unreachable != 0) Unlisted(folder + WideToFileName(e.Name) + "/", e.Unreachable);
      if (!e.IsDirectory) continue;
      // A folder met again under another name (a link to a sibling or back up the tree) is
      // walked once only, under the name that came first; the target folder not at all.
      const TFolderIdentity id{e.Device, e.Inode};
      if (!visited_.insert(id).second || id == scope_.LeftOut) continue;
      if (SorterView) SorterView->ProcessMessages();
      if (scope_.Stop && scope_.Stop()) scope_.Stopped = true;
      if (scope_.Stopped) return;
      SearchFolder(folder + WideToFileName(e.Name) + "/");
    }
  }

  void MarkStart(const std::string& folder) {
    uint64_t device = 0, inode = 0;
    if (GetFileIdentity(FileNameToWide(folder), device, inode)) visited_.insert({device, inode});
  }

 private:
  // The order a person expects and every run repeats: by name without regard to case, exact
  // bytes deciding between names that differ only in case.
  static void SortByName(std::vector<TSearchRec>& entries) {
    std::sort(entries.begin(), entries.end(), [](const TSearchRec& a, const TSearchRec& b) {
      const WideString ua = UpperCaseWide(a.Name), ub = UpperCaseWide(b.Name);
      return ua != ub ? ua < ub : a.Name < b.Name;
    });
  }

  // Each search of a run meets the same folders: one note for each.
  void Unlisted(const std::string& folder, int error) {
    for (const auto& noted : scope_.Unlisted)
      if (noted.first == folder) return;
    scope_.Unlisted.emplace_back(folder, error);
  }

  WideString mask_;
  TStrings& list_;
  bool withSubfolders_;
  TSearchScope& scope_;
  std::set<TFolderIdentity> visited_;
};

}  // namespace

void FindImageFiles(const std::string& directory, const std::string& mask, TStrings& list, bool withSubfolders,
                    bool clearFirst, TSearchScope& scope) {
  list.BeginUpdate();
  try {
    if (clearFirst) list.Clear();
    if (!directory.empty() && !scope.Stopped) {
      const std::string folder = directory.back() == '/' ? directory : directory + "/";
      TFolderSearch search(mask, list, withSubfolders, scope);
      if (withSubfolders) search.MarkStart(folder);
      search.SearchFolder(folder);
    }
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

void FindImageFiles(const std::string& directory, const std::string& mask, TStrings& list, bool withSubfolders,
                    bool clearFirst) {
  TSearchScope scope;
  FindImageFiles(directory, mask, list, withSubfolders, clearFirst, scope);
}

void CheckFolderToCompare(const std::string& directory) {
  if (Trim(directory).empty()) throw Exception("There is no folder to compare: its field is empty.");
  std::vector<TSearchRec> entries;
  if (ListDirectory(FileNameToWide(directory), entries)) return;
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR) throw Exception("The folder to compare does not exist: " + directory);
  throw Exception("The folder to compare cannot be read: " + directory + ": " + std::strerror(error));
}

}  // namespace Tarnwick1
