// Icons and cursors as pictures (HICON): made from bitmaps, copied at another size, drawn with
// their transparency. An icon holds one 32-bit picture with straight alpha; a classic AND mask
// becomes that alpha when the icon is made.
#pragma once

#include <memory>

#include "platform/gdi/dib.h"
#include "platform/user/wintypes.h"

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;   // 1 bit: set where transparent (with hbmColor), or image and mask stacked
  HBITMAP hbmColor;  // may be nullptr for a monochrome icon
};

HICON CreateIconIndirect(const ICONINFO* info);
// New bitmaps for the caller to delete: a 32-bit colour bitmap and a 1-bit mask.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
BOOL DestroyIcon(HICON icon);
inline BOOL DestroyCursor(HCURSOR c) { return DestroyIcon(c); }
HICON CopyIcon(HICON icon);

inline constexpr UINT IMAGE_BITMAP = 0;
inline constexpr UINT IMAGE_ICON = 1;
inline constexpr UINT IMAGE_CURSOR = 2;
inline constexpr UINT LR_DEFAULTCOLOR = 0x0000;
inline constexpr UINT LR_COPYDELETEORG = 0x0008;
inline constexpr UINT LR_COPYFROMRESOURCE = 0x4000;
// Icons and bitmaps at a new size (0: the same); with LR_COPYDELETEORG the original goes.
HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags);

inline constexpr UINT DI_MASK = 0x0001;
inline constexpr UINT DI_IMAGE = 0x0002;
inline constexpr UINT DI_NORMAL = 0x0003;
inline constexpr UINT DI_DEFAULTSIZE = 0x0008;
// cx, cy 0 (or DI_DEFAULTSIZE): the icon's own size. With DI_NORMAL the picture is blended
// over the DC by its alpha; DI_IMAGE copies it opaque; DI_MASK draws the mask in black and white.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// The standard pictures: LoadIconW(nullptr, IDI_APPLICATION) and its kin. With the program's
// module handle and a name, the .ico resource of that name (at the platform's icon size; copied
// with LR_COPYFROMRESOURCE, the resource's image nearest the new size).
inline const char16_t* const IDI_APPLICATION = MAKEINTRESOURCE(32512);
inline const char16_t* const IDI_ERROR = MAKEINTRESOURCE(32513);
inline const char16_t* const IDI_QUESTION = MAKEINTRESOURCE(32514);
inline const char16_t* const IDI_WARNING = MAKEINTRESOURCE(32515);
inline const char16_t* const IDI_INFORMATION = MAKEINTRESOURCE(32516);
inline const char16_t* const IDI_WINLOGO = MAKEINTRESOURCE(32517);
HICON LoadIconW(HINSTANCE instance, const char16_t* name);

// For the class library's icon class: an icon from a 32-bit picture with straight alpha.
HICON CreateIconFromPicture(const GdiBitmap& bgra);
// The icon's picture (nullptr for a bad handle).
std::shared_ptr<const GdiBitmap> IconPicture(HICON icon);
