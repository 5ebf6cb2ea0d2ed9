// The "send to" counterpart: a freedesktop desktop entry in the user's applications folder
// ($XDG_DATA_HOME/applications, by default ~/.local/share/applications), named after the
// application's title, whose Exec line starts the program with the chosen file and whose
// MimeType line offers it for the image types the program reads. File managers then list the
// program under "Open With" for those files.
#pragma once

#include <string>
#include <vector>

// The applications folder; empty when neither XDG_DATA_HOME nor HOME says where it is.
std::string SendToFolder();
// The entry's full name: folder + "/" + title + ".desktop"; empty without a folder.
std::string SendToEntryPath(const std::string& title);
// The MIME types of the image files the program reads (TIFF, PNG, JPEG, GIF, BMP, WMF, EMF,
// ICO, with their common aliases).
const std::vector<std::string>& SendToMimeTypes();
// The text of the entry for a title and the program's full name.
std::string SendToEntryText(const std::string& title, const std::string& executable);
// Quotes one argument of an Exec line as the desktop entry specification asks.
std::string QuoteExecArgument(const std::string& argument);
// Writes the entry (creating the folder when needed, replacing an older entry); false when it
// cannot be written.
bool AddSendToEntry(const std::string& title, const std::string& executable);
// Deletes the entry; false when there was none to delete.
bool RemoveSendToEntry(const std::string& title);
