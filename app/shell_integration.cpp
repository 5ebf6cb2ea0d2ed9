#include "app/shell_integration.h"

#include "app/info_dialog.h"
#include "platform/forms/application.h"
#include "platform/forms/folder_dialog.h"
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

bool BrowseForFolder(const std::string& caption, const std::u16string& root, std::string& folder, bool showEditBox,
                     bool includeFiles, bool allowNewFolder) {
  if (!DirectoryExists(FileNameToWide(folder))) folder.clear();
  TComponentPtr<TBrowseFolderDialog> dialog(CreateComponent<TBrowseFolderDialog>(Application));
  dialog->SetTitle(caption);
  dialog->SetRoot(WideToFileName(root));
  dialog->SetFolder(folder);
  dialog->SetShowEditBox(showEditBox);
  dialog->SetIncludeFiles(includeFiles);
  dialog->SetAllowNewFolder(allowNewFolder);
  if (!dialog->Execute()) return false;
  folder = dialog->Folder();
  return true;
}

void OpenInShell(const std::string& path) { (void)path; }

void AddSendToLink() {
  ShowInfoDialog("The Velmora is now active\rat the explorer-contextmenu (send to ...)!", TInfoButtons::Ok, kInfoBlack);
}

void RemoveSendToLink() {
  ShowInfoDialog("The Velmora is now removed\rfrom explorer-contextmenu (send to ...)!", TInfoButtons::Ok, kInfoBlack);
}

}  // namespace Tarnwick1
