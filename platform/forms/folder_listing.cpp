#include "platform/forms/folder_listing.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/canvas.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"

namespace {

bool LessNoCase(const std::string& a, const std::string& b) {
  std::string x = UpperCaseAscii(a), y = UpperCaseAscii(b);
  if (x != y) return x < y;
  return a < b;
}

}  // namespace

bool ListFolder(std::string_view folder, const TFolderListingOptions& options, std::vector<TFolderEntry>& entries) {
  entries.clear();
  std::vector<TSearchRec> recs;
  if (!ListDirectory(FileNameToWide(folder), recs)) return false;
  std::vector<TFolderEntry> dirs, files;
  for (const TSearchRec& r : recs) {
    std::string name = WideToFileName(r.Name);
    if (!options.showHidden && !name.empty() && name[0] == '.') continue;
    if (r.IsDirectory) {
      dirs.push_back({name, true});
      continue;
    }
    if (!options.includeFiles) continue;
    bool match = false;
    for (const std::string& mask : options.masks)
      if (MatchesMask(r.Name, FileNameToWide(mask), true)) match = true;
    if (match) files.push_back({name, false});
  }
  auto byName = [](const TFolderEntry& a, const TFolderEntry& b) { return LessNoCase(a.name, b.name); };
  std::sort(dirs.begin(), dirs.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  entries = std::move(dirs);
  entries.insert(entries.end(), files.begin(), files.end());
  return true;
}

std::vector<std::string> SplitMasks(std::string_view pattern) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= pattern.size()) {
    size_t semi = pattern.find(';', pos);
    std::string m = Trim(pattern.substr(pos, semi == std::string_view::npos ? std::string_view::npos : semi - pos));
    if (!m.empty()) out.push_back(m);
    if (semi == std::string_view::npos) break;
    pos = semi + 1;
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> ParseFilter(std::string_view filter) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= filter.size() && !filter.empty()) {
    size_t bar = filter.find('|', pos);
    parts.emplace_back(filter.substr(pos, bar == std::string_view::npos ? std::string_view::npos : bar - pos));
    if (bar == std::string_view::npos) break;
    pos = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> out;
  for (size_t i = 0; i < parts.size(); i += 2) {
    std::string pattern = i + 1 < parts.size() ? parts[i + 1] : std::string();
    // (assign() rather than = of a literal: GCC 12 inlines the latter into a copy it wrongly
    // takes for an overlapping one, -Wrestrict.)
    if (Trim(pattern).empty()) pattern.assign(1, '*');
    out.emplace_back(parts[i], pattern);
  }
  return out;
}

std::string NormalizeFolder(std::string_view folder) {
  if (folder.empty()) return WideToFileName(IncludeTrailingPathDelimiter(GetCurrentDir()));
  return WideToFileName(IncludeTrailingPathDelimiter(ExpandFileName(FileNameToWide(folder))));
}

std::string ParentFolder(std::string_view folder) {
  std::string f = NormalizeFolder(folder);
  if (f == "/") return f;
  f.pop_back();
  size_t slash = f.rfind('/');
  return slash == std::string::npos ? std::string("/") : f.substr(0, slash + 1);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home && DirectoryExists(FileNameToWide(home))) return NormalizeFolder(home);
  return "/";
}

void TFolderView::Load(std::string_view folder, bool withParent, const TFolderListingOptions& options,
                       TStrings* items) {
  std::vector<TFolderEntry> entries;
  ListFolder(folder, options, entries);
  shown_.clear();
  names_.clear();
  isDir_.clear();
  if (withParent) {
    shown_.push_back("../");
    names_.push_back("");
    isDir_.push_back(true);
  }
  for (const TFolderEntry& e : entries) {
    shown_.push_back(WideToUtf8(FileNameToWide(e.name)) + (e.isDirectory ? "/" : ""));
    names_.push_back(e.name);
    isDir_.push_back(e.isDirectory);
  }
  items->BeginUpdate();
  items->Clear();
  for (const std::string& line : shown_) items->Add(line);
  items->EndUpdate();
}

const std::string* TFolderView::Name(int index) const {
  if (index < 0 || index >= static_cast<int>(names_.size())) return nullptr;
  return &names_[static_cast<size_t>(index)];
}

bool TFolderView::IsFolder(int index) const { return Name(index) && isDir_[static_cast<size_t>(index)]; }

int TFolderView::Find(const std::string& name) const {
  for (size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == name) return static_cast<int>(i);
  return -1;
}

int TFolderView::ShownWidth(TFont& font) const {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  int widest = 0;
  for (const std::string& line : shown_) {
    const std::u16string text = Utf8ToWide(line);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return widest;
}
