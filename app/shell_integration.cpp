#include "app/shell_integration.h"

#include "app/info_dialog.h"
#include "platform/forms/application.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/send_to.h"
#include "platform/shell/shell_open.h"
#include "platform/shell/shell_paths.h"

namespace Tarnwick1 {

std::string LongPath(const std::string& path) { return ::LongPath(path); }

std::string DisplayName(const std::string& path) { return ::DisplayName(path); }

bool BrowseForFolder(const std::string& caption, const std::u16string& root, std::string& folder, bool showEditBox,
                     bool includeFiles, bool allowNewFolder) {
  return ::BrowseForFolder(caption, root, folder, showEditBox, includeFiles, allowNewFolder);
}

void OpenInShell(const std::string& path) { ShellOpen(path); }

void AddSendToLink() {
  const std::string title = Application->Title();
  // Saying it is there when it could not be written would send the user looking for it.
  if (!AddSendToEntry(title, Application->ExeName()))
    throw EInOutError("The desktop entry " + SendToEntryPath(title) + " could not be written");
  ShowInfoDialog("The " + title + " is now active\rat the explorer-contextmenu (send to ...)!", TInfoButtons::Ok,
                 kInfoBlack);
}

void RemoveSendToLink() {
  const std::string title = Application->Title();
  const std::string entry = SendToEntryPath(title);
  RemoveSendToEntry(title);
  // An entry that was not there is removed as well; one that is still there (whatever it is)
  // is not.
  if (!entry.empty() && (FileExists(FileNameToWide(entry)) || DirectoryExists(FileNameToWide(entry))))
    throw EInOutError("The desktop entry " + entry + " could not be removed");
  ShowInfoDialog("The " + title + " is now removed\rfrom explorer-contextmenu (send to ...)!", TInfoButtons::Ok,
                 kInfoBlack);
}

}  // namespace Tarnwick1
