#include "platform/forms/clipboard.h"

#include <cstring>
#include <memory>

#include "platform/forms/application.h"
#include "platform/user/global_memory.h"

namespace {
std::unique_ptr<TClipboard>& Current() {
  static std::unique_ptr<TClipboard> clipboard;
  return clipboard;
}
}  // namespace

TClipboard* Clipboard() {
  if (!Current()) Current() = std::make_unique<TClipboard>();
  return Current().get();
}

TClipboard* SetClipboard(TClipboard* clipboard) {
  TClipboard* old = Current().release();
  Current().reset(clipboard);
  return old;
}

const TClassInfo& TClipboard::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TClipboard>("TClipboard", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TClipboard::~TClipboard() {
  if (openCount_ > 0) CloseClipboard();
}

void TClipboard::Open() {
  if (openCount_ == 0) {
    HWND owner = Application ? Application->Handle() : nullptr;
    if (!OpenClipboard(owner)) throw EClipboardException("Cannot open clipboard");
    emptied_ = false;
  }
  ++openCount_;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  try {
    EmptyClipboard();
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

void TClipboard::Adding() {
  if (openCount_ != 0 && !emptied_) {
    Clear();
    emptied_ = true;
  }
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != 0; }

int TClipboard::FormatCount() const { return CountClipboardFormats(); }

UINT TClipboard::Formats(int index) const {
  UINT f = 0;
  for (int i = 0; i <= index; ++i) {
    f = EnumClipboardFormats(f);
    if (f == 0) return 0;
  }
  return f;
}

HANDLE TClipboard::GetAsHandle(UINT format) {
  Open();
  HANDLE h = nullptr;
  try {
    h = GetClipboardData(format);
  } catch (...) {
    Close();
    throw;
  }
  Close();
  return h;
}

void TClipboard::SetAsHandle(UINT format, HANDLE value) {
  Open();
  try {
    Adding();
    SetClipboardData(format, value);
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

void TClipboard::SetBuffer(UINT format, const void* buffer, std::size_t size) {
  Open();
  try {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!data) throw EOutOfMemory("Out of memory");
    if (size > 0) {
      void* p = GlobalLock(data);
      std::memcpy(p, buffer, size);
      GlobalUnlock(data);
    }
    SetAsHandle(format, data);
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

void TClipboard::SetTextBuf(const char* buffer) { SetBuffer(CF_TEXT, buffer, std::strlen(buffer) + 1); }

void TClipboard::SetAsText(const std::string& text) {
  // The text up to its first zero byte, as a zero-terminated buffer holds it.
  SetTextBuf(text.c_str());
}

std::string TClipboard::AsText() {
  std::string result;
  Open();
  try {
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      std::size_t n = GlobalSize(h);
      if (const char* p = static_cast<const char*>(GlobalLock(h))) {
        std::size_t len = 0;
        while (len < n && p[len]) ++len;
        result.assign(p, len);
        GlobalUnlock(h);
      }
    }
  } catch (...) {
    Close();
    throw;
  }
  Close();
  return result;
}

int TClipboard::GetTextBuf(char* buffer, int size) {
  if (size <= 0) return 0;
  std::string t = AsText();
  std::size_t n = std::min<std::size_t>(t.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, t.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}
