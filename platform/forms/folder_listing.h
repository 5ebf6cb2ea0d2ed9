// What the file and folder dialogs list: the entries of one folder, folders first and then
// files, each group sorted by name without regard to case, files kept when they match one of
// the masks. Names are file-name bytes; the dialogs show them through FileNameToWide.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/string_list.h"

class TFont;

struct TFolderEntry {
  std::string name;  // without the folder
  bool isDirectory = false;
};

struct TFolderListingOptions {
  std::vector<std::string> masks;  // files must match one ("*.JPG"); empty keeps none
  bool includeFiles = true;
  bool showHidden = false;         // names starting with "."
};

// False when the folder cannot be read.
bool ListFolder(std::string_view folder, const TFolderListingOptions& options, std::vector<TFolderEntry>& entries);
// Masks of one filter pattern ("*.JPG;*.JPEG"), blanks around them dropped.
std::vector<std::string> SplitMasks(std::string_view pattern);
// Description and pattern pairs of a filter ("JPG-files|*.JPG|BMP-files|*.BMP"); a description
// without a pattern gets "*".
std::vector<std::pair<std::string, std::string>> ParseFilter(std::string_view filter);
// The folder with exactly one trailing "/" ("/" stays "/"); "." and ".." folded.
std::string NormalizeFolder(std::string_view folder);
// The folder above ("/" for "/").
std::string ParentFolder(std::string_view folder);
std::string HomeFolder();

// What a dialog's list shows of one folder: a "../" entry first unless the folder is the
// topmost one the dialog reaches, then the folder's entries as ListFolder orders them, folders
// with a trailing "/", names shown through FileNameToWide.
class TFolderView {
 public:
  // Lists `folder` and puts what it shows into `items`.
  void Load(std::string_view folder, bool withParent, const TFolderListingOptions& options, TStrings* items);
  const std::vector<std::string>& Shown() const { return shown_; }
  // The entry's name as file-name bytes ("" for the parent entry); nullptr out of range.
  const std::string* Name(int index) const;
  bool IsFolder(int index) const;
  // The index of the entry of that name, -1 when there is none.
  int Find(const std::string& name) const;
  // The width in pixels of the widest entry shown, in the font.
  int ShownWidth(TFont& font) const;

 private:
  std::vector<std::string> shown_;
  std::vector<std::string> names_;
  std::vector<bool> isDir_;
};
