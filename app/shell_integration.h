// The application's ties to the desktop: display names, long paths, the folder browser and
// the "send to" entry that starts the program with a chosen image.
#pragma once

#include <string>

namespace Tarnwick1 {

// The long form of an existing path (its canonical form, links resolved, a final "/" kept);
// empty when the path does not exist.
std::string LongPath(const std::string& path);
// The name the desktop shows for a file (its name without folder); the path itself when the
// file cannot be found.
std::string DisplayName(const std::string& path);

// Lets the user choose a folder, opening on `folder` when it names one (else `folder` is
// emptied first). True with `folder` set to the choice; false when cancelled.
bool BrowseForFolder(const std::string& caption, const std::u16string& root, std::string& folder, bool showEditBox,
                     bool includeFiles, bool allowNewFolder);

// Opens a file or folder with the desktop's default program.
void OpenInShell(const std::string& path);

// The "send to" counterpart: a desktop entry named after the application's title that starts
// the program with a chosen image. Each reports what it did in a black message; an entry that
// cannot be written (or removed) raises EInOutError instead.
void AddSendToLink();
void RemoveSendToLink();

}  // namespace Tarnwick1
