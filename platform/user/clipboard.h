// The clipboard: text in CF_TEXT (8-bit, UTF-8 here) and CF_UNICODETEXT (UTF-16), each a
// GlobalAlloc block ending in a zero character; other formats are kept inside the program.
// Text put on the clipboard is offered to other programs by the display back end (on X11 as
// UTF8_STRING, STRING and TEXT of the CLIPBOARD selection); text of another program is read
// back from it. Each of the two text formats is derived from the other when only one is set.
#pragma once

#include "platform/user/wintypes.h"

// CF_BITMAP (2) comes with the graphics types.
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_OEMTEXT = 7;
inline constexpr UINT CF_DIB = 8;
inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT CF_LOCALE = 16;

// FALSE while another window has it open.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Only while open: drops every format; the opener becomes the owner.
BOOL EmptyClipboard();
// Only while open: the clipboard takes the block (it frees it when emptied).
HANDLE SetClipboardData(UINT format, HANDLE data);
// Only while open: the block stays the clipboard's.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
UINT RegisterClipboardFormatW(const char16_t* name);

// Not of the Windows API: a program about to end hands the text it put on the clipboard to the
// desktop's clipboard manager, so that it outlives the process. True when a manager took it.
bool HandClipboardToManager();
