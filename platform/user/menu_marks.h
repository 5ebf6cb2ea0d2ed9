// The marks of menu items as the system draws them: the check mark, the bullet of a checked
// radio item and the arrow of an item that opens a submenu, each centred in a rectangle in
// one colour. Owner-drawn items use them for the system's own marks.
#pragma once

#include "platform/user/wintypes.h"

void DrawMenuCheck(HDC dc, const RECT& r, COLORREF ink);
void DrawMenuBullet(HDC dc, const RECT& r, COLORREF ink);
// The arrow points right, or left for a menu that cascades to the left.
void DrawMenuArrow(HDC dc, const RECT& r, COLORREF ink, bool left = false);
// The size of the check mark and of the bullet (the arrow is 4 x 7).
inline constexpr int kMenuMarkSize = 7;
