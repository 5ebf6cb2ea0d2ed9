// A skinned list box's selected row in the skin's highlight colours (its text in HilightText on
// Hilight), as the skin's menus draw their selected item: the list draws its rows in the
// system's colours, and the selected one is drawn again over them.
#pragma once

#include "platform/gdi/gdi_types.h"
#include "platform/user/wintypes.h"

struct TSkinColors;

// `dc` draws into the list's client area.
void PaintSelectedListRow(HWND list, HDC dc, const TSkinColors& colors);
