// Replacing the whole content of a small file (a settings file) so that a failure never leaves
// a mixture or a stump of it, and the file stays the file it was.
#pragma once

#include <string_view>

#include "platform/rtl/strings.h"

// Makes bytes the file's whole content, creating the file when it is missing.
// - A symbolic link is followed: the file it names gets the content and the link stays.
// - An existing file that may not be written (write-protected, a folder) is left as it is and
//   EFCreateError is raised, as opening it for writing would.
// - The content is written into a new file beside the old one, which gets the old file's mode
//   and owner and is then moved over it. Where that cannot be done (no new file may be made in
//   the folder, the owner cannot be given, the file has other names) the file is rewritten in
//   place: the new content goes past the old one first, so that a full disk shows before any
//   old byte is overwritten, then over it, and the file is cut where it ends.
// - A write that fails raises EWriteError ("Stream write error") and leaves the old content.
// Both errors carry the error number of the call that failed (ErrorCode).
void ReplaceFileContents(const WideString& fileName, std::string_view bytes);
