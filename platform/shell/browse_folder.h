// The folder-browsing call: the folder dialog run modally with the flags the platform's
// folder browser takes.
#pragma once

#include <string>

inline constexpr unsigned BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr unsigned BIF_EDITBOX = 0x0010;
inline constexpr unsigned BIF_NEWDIALOGSTYLE = 0x0040;
inline constexpr unsigned BIF_NONEWFOLDERBUTTON = 0x0200;
inline constexpr unsigned BIF_BROWSEINCLUDEFILES = 0x4000;

// 0x41, plus BIF_EDITBOX, BIF_BROWSEINCLUDEFILES and, when no new folder is allowed,
// BIF_NONEWFOLDERBUTTON.
unsigned BrowseFolderFlags(bool showEditBox, bool includeFiles, bool allowNewFolder);

// Lets the user choose a folder. A folder that does not name an existing directory is emptied
// first; the dialog opens on it (or on the root, or the home folder) and, with a root, cannot
// leave it. True with `folder` set to the chosen one (no trailing "/" except for "/"); false
// when cancelled, `folder` then as the first step left it. The other windows of the program
// are disabled while the dialog is up.
bool BrowseForFolder(const std::string& caption, const std::u16string& root, std::string& folder,
                     bool showEditBox, bool includeFiles, bool allowNewFolder);
