#include "skin/controls/skin_list_rows.h"

#include <string>

#include "platform/forms/win/std_controls.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/scroll.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"

void PaintSelectedListRow(HWND list, HDC dc, const TSkinColors& colors) {
  const auto selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected < 0 || !dc) return;
  RECT row{}, client{};
  GetClientRect(list, &client);
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&row)) < 0 ||
      row.bottom <= client.top || row.top >= client.bottom)
    return;
  const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
  if (length < 0) return;
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));

  HBRUSH ground = CreateSolidBrush(ColorToRGB(colors.Hilight));
  FillRect(dc, &row, ground);
  DeleteObject(ground);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, ColorToRGB(colors.HilightText));
  // Where the list puts its text: two pixels in, moved by the horizontal scroll.
  const bool scrolled = (GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL) != 0;
  RECT textRect = row;
  textRect.left += 2 - (scrolled ? GetScrollPos(list, SB_HORZ) : 0);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (GetFocus() == list) DrawFocusRect(dc, &row);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}
