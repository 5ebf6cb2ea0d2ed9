// Image lists (the common controls' HIMAGELIST): pictures of one size kept side by side, each
// with a mask made from a key colour when it is added, drawn with or without that mask.
#pragma once

#include "platform/gdi/gdi_types.h"
#include "platform/user/wintypes.h"

using HIMAGELIST = struct HIMAGELIST__*;

inline constexpr UINT ILC_MASK = 0x0001;
inline constexpr UINT ILC_COLOR = 0x0000, ILC_COLOR4 = 0x0004, ILC_COLOR8 = 0x0008, ILC_COLOR16 = 0x0010,
                      ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020;
inline constexpr UINT ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001, ILD_MASK = 0x0010, ILD_IMAGE = 0x0020;
inline constexpr COLORREF CLR_NONE = 0xFFFFFFFF, CLR_DEFAULT = 0xFF000000;

// A list of cx x cy images (empty at first; `initial` and `grow` only size the storage).
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
// Adds the bitmap's images (its width divided by cx, at least one; the last is cut or padded
// to cx). With ILC_MASK each pixel of the mask colour becomes transparent and black in the
// image. Returns the index of the first new image, -1 on failure.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
BOOL ImageList_Remove(HIMAGELIST list, int index);  // -1 removes every image
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
// Draws image `index` at (x, y). Masked lists draw transparently under ILD_TRANSPARENT, and
// under ILD_NORMAL while the background colour is CLR_NONE; otherwise the masked pixels take
// the background colour. ILD_MASK draws the mask (black where opaque, white elsewhere).
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
