#include "app/file_search.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "app/sorter_view.h"
#include "platform/rtl/files.h"
#include "platform/rtl/string_list.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

// One FindImageFiles call: its mask, list and subfolder flag, and the folders it has walked.
class TFolderSearch {
 public:
  TFolderSearch(const std::string& mask, TStrings& list, bool withSubfolders)
      : mask_(FileNameToWide(mask)), list_(list), withSubfolders_(withSubfolders) {}

  void SearchFolder(const std::string& folder) {
    std::vector<TSearchRec> entries;
    if (!ListDirectory(FileNameToWide(folder), entries)) return;
    SortByName(entries);
    for (const TSearchRec& e : entries) {
      if (e.IsRegular && MatchesMask(e.Name, mask_, true)) list_.Add(folder + WideToFileName(e.Name));
    }
    if (!withSubfolders_) return;
    for (const TSearchRec& e : entries) {
      if (!e.IsDirectory) continue;
      const bool seen = !visited_.insert({e.Device, e.Inode}).second;
      // Links may lead back up the tree or to a folder walked already; real folders cannot.
      if (seen && e.IsSymLink) continue;
      if (SorterView) SorterView->ProcessMessages();
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

  WideString mask_;
  TStrings& list_;
  bool withSubfolders_;
  std::set<std::pair<uint64_t, uint64_t>> visited_;
};

}  // namespace

void FindImageFiles(const std::string& directory, const std::string& mask, TStrings& list, bool withSubfolders,
                    bool clearFirst) {
  list.BeginUpdate();
  try {
    if (clearFirst) list.Clear();
    if (!directory.empty()) {
      const std::string folder = directory.back() == '/' ? directory : directory + "/";
      TFolderSearch search(mask, list, withSubfolders);
      if (withSubfolders) search.MarkStart(folder);
      search.SearchFolder(folder);
    }
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace Tarnwick1
