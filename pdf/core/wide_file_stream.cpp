#include "pdf/core/wide_file_stream.h"

#include "platform/rtl/exceptions.h"
#include "platform/rtl/file_handles.h"
#include "platform/rtl/files.h"

int WideFileOpen(const WideString& name, uint16_t mode) {
  const unsigned access = mode & 3;
  const unsigned share = (mode & 0xF0) >> 4;
  if (access == 3 || share > 4) return -1;
  return FileOpen(name, access);
}

int WideFileCreate(const WideString& name) { return FileCreate(name); }

TTalvoPDFWideFileStream::TTalvoPDFWideFileStream(const WideString& fileName, uint16_t mode) {
  handle_ = mode == kWideFileCreate ? WideFileCreate(fileName) : WideFileOpen(fileName, mode);
  if (handle_ < 0) throw EFCreateError("Error");
}

TTalvoPDFWideFileStream::~TTalvoPDFWideFileStream() { FileClose(handle_); }

int64_t TTalvoPDFWideFileStream::Read(void* buffer, int64_t count) {
  const int64_t n = FileRead(handle_, buffer, count);
  return n < 0 ? 0 : n;
}

int64_t TTalvoPDFWideFileStream::Write(const void* buffer, int64_t count) {
  const int64_t n = FileWrite(handle_, buffer, count);
  return n < 0 ? 0 : n;
}

int64_t TTalvoPDFWideFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? 1 : 2;
  return FileSeek(handle_, offset, whence);
}

void TTalvoPDFWideFileStream::SetSize(int64_t size) {
  Seek(size, TSeekOrigin::soBeginning);
  if (!FileTruncate(handle_, size)) throw EStreamError("Stream write error");
}

bool WideFileExists(const WideString& name) { return FileExists(name); }

bool WideDeleteFile(const WideString& name) { return DeleteFile(name); }

WideString WideExtractFileName(const WideString& path) {
  const size_t slash = path.rfind(u'/');
  return slash == WideString::npos ? path : path.substr(slash + 1);
}

WideString WideExtractFilePath(const WideString& path) {
  const size_t slash = path.rfind(u'/');
  return slash == WideString::npos ? WideString() : path.substr(0, slash + 1);
}

WideString GetTempDirWide() { return IncludeTrailingPathDelimiter(GetTempDir()); }
