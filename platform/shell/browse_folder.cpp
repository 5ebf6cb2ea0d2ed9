#include "platform/shell/browse_folder.h"

#include "platform/forms/application.h"
#include "platform/forms/folder_dialog.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"

unsigned BrowseFolderFlags(bool showEditBox, bool includeFiles, bool allowNewFolder) {
  unsigned flags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  if (showEditBox) flags |= BIF_EDITBOX;
  if (includeFiles) flags |= BIF_BROWSEINCLUDEFILES;
  if (!allowNewFolder) flags |= BIF_NONEWFOLDERBUTTON;
  return flags;
}

bool BrowseForFolder(const std::string& caption, const std::u16string& root, std::string& folder,
                     bool showEditBox, bool includeFiles, bool allowNewFolder) {
  if (!DirectoryExists(FileNameToWide(folder))) folder.clear();
  unsigned flags = BrowseFolderFlags(showEditBox, includeFiles, allowNewFolder);
  TComponentPtr<TBrowseFolderDialog> dialog(CreateComponent<TBrowseFolderDialog>(Application));
  dialog->SetTitle(caption);
  dialog->SetRoot(WideToFileName(root));
  dialog->SetFolder(folder);
  dialog->SetShowEditBox((flags & BIF_EDITBOX) != 0);
  dialog->SetIncludeFiles((flags & BIF_BROWSEINCLUDEFILES) != 0);
  dialog->SetAllowNewFolder((flags & BIF_NONEWFOLDERBUTTON) == 0);
  if (!dialog->Execute()) return false;
  folder = dialog->Folder();
  return true;
}
