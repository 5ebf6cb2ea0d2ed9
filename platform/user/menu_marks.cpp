#include "platform/user/menu_marks.h"

#include "platform/user/internal/back_buffer.h"

using user_internal::FillSolid;

namespace {

POINT Centre(const RECT& r, int w, int h) {
  return POINT{r.left + (r.right - r.left - w) / 2, r.top + (r.bottom - r.top - h) / 2};
}

}  // namespace

void DrawMenuCheck(HDC dc, const RECT& r, COLORREF ink) {
  // Two strokes three pixels thick: down three columns, then up four.
  const POINT o = Centre(r, kMenuMarkSize, kMenuMarkSize);
  for (int i = 0; i < 3; ++i) FillSolid(dc, RECT{o.x + i, o.y + 2 + i, o.x + i + 1, o.y + 5 + i}, ink);
  for (int i = 0; i < 4; ++i) FillSolid(dc, RECT{o.x + 3 + i, o.y + 3 - i, o.x + 4 + i, o.y + 6 - i}, ink);
}

void DrawMenuBullet(HDC dc, const RECT& r, COLORREF ink) {
  // A disc of 7 pixels: rows of widths 3, 5, 7, 7, 7, 5, 3.
  static constexpr int kInset[kMenuMarkSize] = {2, 1, 0, 0, 0, 1, 2};
  const POINT o = Centre(r, kMenuMarkSize, kMenuMarkSize);
  for (int y = 0; y < kMenuMarkSize; ++y)
    FillSolid(dc, RECT{o.x + kInset[y], o.y + y, o.x + kMenuMarkSize - kInset[y], o.y + y + 1}, ink);
}

void DrawMenuArrow(HDC dc, const RECT& r, COLORREF ink, bool left) {
  const POINT o = Centre(r, 4, 7);
  for (int i = 0; i < 4; ++i) {
    const int x = left ? o.x + 3 - i : o.x + i;
    FillSolid(dc, RECT{x, o.y + i, x + 1, o.y + 7 - i}, ink);
  }
}
