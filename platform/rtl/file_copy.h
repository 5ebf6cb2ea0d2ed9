// Copies into a folder that never replace a file there and never leave half a file: each copy
// is written once, on every file system.
#pragma once

#include <string>

class TFolderCopier {
 public:
  // The folder the copies go into (with or without a final "/").
  explicit TFolderCopier(const std::string& folder);

  // Copies `source` into the folder under `name`. A file of that name that is there (a link to
  // nowhere included) is never replaced: false with errno EEXIST, before any byte is written.
  // Any other failure leaves nothing under the name or beside it, with errno saying why and
  // SourceFailed() whether reading the source was what failed (else the copy's side did).
  //
  // The copy is written once, in one of three ways chosen the first time the folder takes a
  // copy: into a hidden file beside it that is then renamed to the name only where no file has
  // it (renameat2 with RENAME_NOREPLACE); where the file system cannot do that, hard-linked to
  // the name; where it has no hard links either (FAT and exFAT cards and sticks, some network
  // and FUSE mounts), written as a new file of the name itself.
  bool Copy(const std::string& source, const std::string& name);
  bool SourceFailed() const { return sourceFailed_; }

  // Takes away the hidden files that copies which ended at once (a second signal, SIGKILL, a
  // power cut) left in the folder; those a copy on its way still holds (another run's) stay.
  void RemoveLeftovers() const;

 private:
  enum class TWay { kUnknown, kRename, kLink, kCreate };

  // The way of this folder, found with an empty hidden file; kUnknown (errno set) when the folder
  // takes no file at all.
  TWay Way();
  bool CopyThroughHiddenFile(int in, const std::string& target, unsigned mode);

  std::string folder_;
  TWay way_ = TWay::kUnknown;
  bool sourceFailed_ = false;
};
