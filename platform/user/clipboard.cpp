#include "platform/user/clipboard.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/rtl/strings.h"
#include "platform/user/global_memory.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

struct Entry {
  UINT format = 0;
  HANDLE data = nullptr;
  bool synthesized = false;  // made from the other text format on request
};

struct Clipboard {
  bool open = false;
  HWND opener = nullptr;
  HWND owner = nullptr;
  bool changed = false;
  bool published = false;  // the display offers this program's text to others
  std::vector<Entry> entries;  // in the order they were set
};

Clipboard& Board() {
  static auto* board = new Clipboard();
  return *board;
}

Entry* FindEntry(UINT format) {
  for (Entry& e : Board().entries)
    if (e.format == format) return &e;
  return nullptr;
}

void FreeAll() {
  for (Entry& e : Board().entries) GlobalFree(e.data);
  Board().entries.clear();
}

// The text of a block, up to its first zero character.
std::u16string WideFromBlock(HANDLE h) {
  size_t bytes = GlobalSize(h);
  const auto* p = static_cast<const char16_t*>(GlobalLock(h));
  if (!p) return {};
  size_t n = 0, max = bytes / 2;
  while (n < max && p[n] != 0) ++n;
  std::u16string s;
  s.resize(n);
  std::memcpy(s.data(), p, n * 2);
  GlobalUnlock(h);
  return s;
}

std::string BytesFromBlock(HANDLE h) {
  size_t bytes = GlobalSize(h);
  const auto* p = static_cast<const char*>(GlobalLock(h));
  if (!p) return {};
  size_t n = 0;
  while (n < bytes && p[n] != 0) ++n;
  std::string s(p, n);
  GlobalUnlock(h);
  return s;
}

HANDLE BlockOf(const void* data, size_t bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!h) return nullptr;
  if (void* p = GlobalLock(h)) {
    if (bytes) std::memcpy(p, data, bytes);
    GlobalUnlock(h);
  }
  return h;
}

HANDLE WideBlock(const std::u16string& s) { return BlockOf(s.c_str(), (s.size() + 1) * 2); }
HANDLE TextBlock(const std::string& s) { return BlockOf(s.c_str(), s.size() + 1); }

// The text this program put on the clipboard, as UTF-8.
std::optional<std::string> LocalText() {
  if (Entry* e = FindEntry(CF_UNICODETEXT); e && !e->synthesized) return WideToUtf8(WideFromBlock(e->data));
  if (Entry* e = FindEntry(CF_TEXT); e && !e->synthesized) return WideToUtf8(Utf8ToWide(BytesFromBlock(e->data)));
  return std::nullopt;
}

// Another program took the clipboard: what this program had is gone.
void DropIfTakenOver() {
  UserState& s = State();
  Clipboard& b = Board();
  if (!b.published || !s.HasDisplay() || s.Display().OwnsClipboard()) return;
  b.published = false;
  if (Board().owner) Send(Board().owner, WM_DESTROYCLIPBOARD);
  FreeAll();
  Board().owner = nullptr;
}

std::optional<std::string> ForeignText() {
  UserState& s = State();
  if (!Board().entries.empty()) return std::nullopt;
  if (s.Display().OwnsClipboard()) return std::nullopt;
  return s.Display().ClipboardText();
}

}  // namespace

namespace user_internal {

void ClipboardWindowDestroyed(HWND hwnd) {
  Clipboard& b = Board();
  if (b.open && b.opener == hwnd) CloseClipboard();
  if (b.owner == hwnd) b.owner = nullptr;
}

}  // namespace user_internal

BOOL OpenClipboard(HWND owner) {
  Clipboard& b = Board();
  if (owner && !IsWindow(owner)) return FALSE;
  if (b.open) return b.opener == owner ? TRUE : FALSE;
  DropIfTakenOver();
  b.open = true;
  b.opener = owner;
  b.changed = false;
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& b = Board();
  if (!b.open) return FALSE;
  b.open = false;
  b.opener = nullptr;
  if (b.changed) {
    b.changed = false;
    display::Display& d = State().Display();
    if (auto text = LocalText()) {
      d.SetClipboardText(*text);
      b.published = true;
    } else {
      // Nothing others could read: give the selection up.
      d.ReleaseClipboard();
      b.published = false;
    }
  }
  return TRUE;
}

BOOL EmptyClipboard() {
  Clipboard& b = Board();
  if (!b.open) return FALSE;
  if (b.owner && b.owner != b.opener) Send(b.owner, WM_DESTROYCLIPBOARD);
  FreeAll();
  b.owner = b.opener;
  b.changed = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Clipboard& b = Board();
  if (!b.open || format == 0) return nullptr;
  if (data && GlobalSize(data) == 0 && !GlobalLock(data)) return nullptr;
  if (data) GlobalUnlock(data);
  // A text format set explicitly replaces one derived from the other.
  if (Entry* e = FindEntry(format)) {
    if (e->data != data) GlobalFree(e->data);
    e->data = data;
    e->synthesized = false;
  } else {
    b.entries.push_back(Entry{format, data, false});
  }
  b.changed = true;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& b = Board();
  if (!b.open) return nullptr;
  if (Entry* e = FindEntry(format)) return e->data;
  if (format != CF_TEXT && format != CF_UNICODETEXT && format != CF_OEMTEXT) return nullptr;
  std::optional<std::u16string> wide;
  if (Entry* e = FindEntry(CF_UNICODETEXT)) wide = WideFromBlock(e->data);
  else if (Entry* t = FindEntry(CF_TEXT)) wide = Utf8ToWide(BytesFromBlock(t->data));
  else if (auto foreign = ForeignText()) wide = Utf8ToWide(*foreign);
  if (!wide) return nullptr;
  HANDLE h = format == CF_UNICODETEXT ? WideBlock(*wide) : TextBlock(WideToUtf8(*wide));
  if (!h) return nullptr;
  b.entries.push_back(Entry{format, h, true});
  return h;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  DropIfTakenOver();
  bool text = format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT;
  if (FindEntry(format)) return TRUE;
  if (text && (FindEntry(CF_TEXT) || FindEntry(CF_UNICODETEXT))) return TRUE;
  if (text && Board().entries.empty() && State().HasDisplay()) return ForeignText().has_value();
  return FALSE;
}

int CountClipboardFormats() {
  int n = 0;
  for (const Entry& e : Board().entries) n += e.synthesized ? 0 : 1;
  return n;
}

UINT EnumClipboardFormats(UINT format) {
  const auto& entries = Board().entries;
  bool take = format == 0;
  for (const Entry& e : entries) {
    if (e.synthesized) continue;
    if (take) return e.format;
    if (e.format == format) take = true;
  }
  return 0;
}

HWND GetClipboardOwner() { return Board().owner; }

HWND GetOpenClipboardWindow() { return Board().open ? Board().opener : nullptr; }

UINT RegisterClipboardFormatW(const char16_t* name) { return RegisterWindowMessageW(name); }

bool HandClipboardToManager() {
  UserState& s = State();
  return Board().published && s.HasDisplay() && s.Display().PersistClipboard();
}
