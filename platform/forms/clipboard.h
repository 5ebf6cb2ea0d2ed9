// TClipboard: the class library's clipboard object over the window layer's clipboard.
//
// Open and Close nest (an open count); the clipboard is opened for the application's window
// on the first Open and closed on the last Close. Within one open, the first format put
// empties the clipboard once and later formats are added beside it. Text is 8-bit (UTF-8,
// CF_TEXT); SetBuffer puts any format from bytes.
#pragma once

#include <cstddef>
#include <string>

#include "platform/forms/classes.h"
#include "platform/user/clipboard.h"
#include "platform/user/wintypes.h"

class EClipboardException : public Exception {
  using Exception::Exception;
};

class TClipboard : public TPersistent {
 public:
  TClipboard() = default;
  ~TClipboard() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Raises EClipboardException "Cannot open clipboard" when another window holds it.
  virtual void Open();
  virtual void Close();
  virtual void Clear();
  int OpenCount() const { return openCount_; }

  bool HasFormat(UINT format) const;
  int FormatCount() const;
  UINT Formats(int index) const;

  std::string AsText();
  void SetAsText(const std::string& text);
  void SetTextBuf(const char* buffer);
  // Copies at most size - 1 bytes and a terminating zero; returns the bytes copied.
  int GetTextBuf(char* buffer, int size);
  void SetBuffer(UINT format, const void* buffer, std::size_t size);
  // The block stays the clipboard's (GetAsHandle) or becomes it (SetAsHandle).
  HANDLE GetAsHandle(UINT format);
  void SetAsHandle(UINT format, HANDLE value);

 protected:
  void Adding();

 private:
  int openCount_ = 0;
  bool emptied_ = false;
};

// The program's clipboard object, made on first use.
TClipboard* Clipboard();
// Replaces it and returns the previous one (the caller then owns that one).
TClipboard* SetClipboard(TClipboard* clipboard);
