// Files, folders and path names. The folder separator is "/" (the original's "\" and ":").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"

bool FileExists(const WideString& name);       // exists and is not a folder
bool DirectoryExists(const WideString& name);
bool DeleteFile(const WideString& name);        // true when the file was removed
bool CreateDir(const WideString& name);         // one level; false when it fails or exists
// Creates the folder and every missing folder above it; true when it exists afterwards.
bool ForceDirectories(const WideString& name);
// True when files can be created in the folder.
bool DirectoryIsWritable(const WideString& name);
bool RenameFile(const WideString& from, const WideString& to);
// Copies a file; with failIfExists an existing target is left alone and false is returned
// (TFolderCopier, platform/rtl/file_copy.h, which a series of copies into one folder uses).
// A failed copy leaves nothing under the target's name, and errno says why it failed (EEXIST
// for an existing target).
bool CopyFile(const WideString& source, const WideString& target, bool failIfExists);
int64_t FileSizeOf(const WideString& name);     // -1 when it cannot be read

// The temporary folder with a trailing "/" ($TMPDIR, else /tmp/).
WideString GetTempDir();
// The running executable's full path and its folder (with a trailing "/").
WideString GetExecutablePath();
WideString GetExecutableDir();
// The current working folder (no trailing "/").
WideString GetCurrentDir();

// Path pieces, on "/" only.
WideString ExtractFilePath(const WideString& path);   // up to and including the last "/"
WideString ExtractFileName(const WideString& path);   // after the last "/"
WideString ExtractFileExt(const WideString& path);    // from the last "." of the name, or empty
WideString ChangeFileExt(const WideString& path, const WideString& ext);
WideString IncludeTrailingPathDelimiter(const WideString& path);
WideString ExcludeTrailingPathDelimiter(const WideString& path);
WideString ExpandFileName(const WideString& path);    // absolute, "." and ".." folded

// One directory entry as the file search returns it.
struct TSearchRec {
  WideString Name;          // the entry's name, without its folder
  bool IsDirectory = false;
  bool IsSymLink = false;
  bool IsRegular = false;   // a plain file (through a link: the file it names)
  int64_t Size = 0;
  // The entry's identity (through a link: its target's), so that a walk can recognise a
  // folder it has already seen under another name.
  uint64_t Device = 0;
  uint64_t Inode = 0;
  // A link whose target cannot be looked at (a loop of links, a folder that may not be entered):
  // the error, else 0. A link that leads nowhere is not unreachable: there is nothing there.
  int Unreachable = 0;
};

// The entries of one folder ("." and ".." left out), in the order the file system gives them.
// Returns false when the folder cannot be read (errno says why), and when its entries cannot be
// looked at: a folder that may be listed but not entered (EACCES), entries whose paths pass the
// system's limit (ENAMETOOLONG).
bool ListDirectory(const WideString& dir, std::vector<TSearchRec>& entries);

// The device and inode of what a path names (through links); false when it cannot be read.
bool GetFileIdentity(const WideString& name, uint64_t& device, uint64_t& inode);

// Wildcard match of a name against a mask with "*" and "?".
bool MatchesMask(const WideString& name, const WideString& mask, bool caseInsensitive);
