// The class library's file-handle routines (FileOpen, FileCreate, FileRead, ...) on wide names.
// Handles are operating-system file descriptors; -1 is the invalid handle.
#pragma once

#include <cstdint>

#include "platform/rtl/strings.h"

// Access in the low two bits of mode (0 read, 1 write, 2 read and write). Share bits are
// accepted: Linux has no mandatory sharing modes.
int FileOpen(const WideString& name, uint32_t mode);
// Creates or truncates the file for reading and writing.
int FileCreate(const WideString& name);
// Bytes moved, or -1 on failure.
int64_t FileRead(int handle, void* buffer, int64_t count);
int64_t FileWrite(int handle, const void* buffer, int64_t count);
// origin 0 from the start, 1 from the current position, 2 from the end; the new position or -1.
int64_t FileSeek(int handle, int64_t offset, int origin);
bool FileTruncate(int handle, int64_t size);
void FileClose(int handle);
