// Files named by wide (UTF-16) strings: a file stream, open/create by mode, and path pieces.
// The folder separator is "/".
#pragma once

#include <cstdint>
#include <memory>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

// The mode that makes TTalvoPDFWideFileStream create (or truncate) its file.
inline constexpr uint16_t kWideFileCreate = 0xFFFF;

// A handle, or -1. Access from mode & 3 (0 read, 1 write, 2 both; 3 is invalid); sharing from
// (mode & 0xF0) >> 4 (0 to 4; higher is invalid). Invalid modes give -1 without touching the file.
int WideFileOpen(const WideString& name, uint16_t mode);
// Creates or truncates the file for reading and writing.
int WideFileCreate(const WideString& name);

class TTalvoPDFWideFileStream : public TStream {
 public:
  // kWideFileCreate creates the file, any other mode opens it (WideFileOpen). Raises
  // EFCreateError "Error" when that fails.
  TTalvoPDFWideFileStream(const WideString& fileName, uint16_t mode);
  ~TTalvoPDFWideFileStream() override;

  int64_t Read(void* buffer, int64_t count) override;    // 0 on failure
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int Handle() const override { return handle_; }

 private:
  int handle_ = -1;
};

// The same as constructing the stream.
inline std::unique_ptr<TTalvoPDFWideFileStream> OpenWideFileStream(const WideString& fileName, uint16_t mode) {
  return std::make_unique<TTalvoPDFWideFileStream>(fileName, mode);
}

bool WideFileExists(const WideString& name);  // exists and is not a folder
bool WideDeleteFile(const WideString& name);
// After / up to and including the last "/"; the whole path (or nothing) when there is none.
WideString WideExtractFileName(const WideString& path);
WideString WideExtractFilePath(const WideString& path);
// The temporary folder, ending in "/".
WideString GetTempDirWide();
