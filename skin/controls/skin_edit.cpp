#include "skin/controls/skin_edit.h"

#include <string>
#include <vector>

#include "platform/forms/win/std_controls.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"

void TSkinEdit::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      PaintWindow(HDC(message.WParam));
      PaintSelection();
      break;
    case WM_PRINTCLIENT: {
      RECT r{};
      if (!GetWindowRect(Handle, &r)) break;
      HDC dc = message.WParam ? HDC(message.WParam) : GetWindowDC(Handle);
      PrintBorder(dc, RECT{0, 0, r.right - r.left, r.bottom - r.top});
      if (!message.WParam) ReleaseDC(Handle, dc);
      break;
    }
    case CM_SKINPAINTDC:
      if (message.LParam != kPaintDCMagic) break;
      {
        TMessage paint{WM_PAINT, message.WParam, 0, 0};
        CallOldProc(paint);
      }
      message.Result = kPaintDCMagic;
      break;
    default:
      TSkinControl::AfterMessage(message);
      break;
  }
}

namespace {

void Frame(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH b = CreateSolidBrush(colour);
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

}  // namespace

void TSkinEdit::SkinUpDownChild() {
  if (upDown_ || !InSkinControls(SkinData->SkinControls(), xcSpin)) return;
  for (HWND child = GetTopWindow(Handle); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[101] = {};
    GetClassNameA(child, name, 100);
    const std::string lower = LowerCaseAscii(name);
    if (lower != "msctls_updown32" && lower.find("spin") == std::string::npos &&
        lower.find("updown") == std::string::npos)
      continue;
    upDown_ = std::make_unique<TSkinUpDown>();
    upDown_->Embedded = true;
    upDown_->AttachWindow(child, SkinData, FormSkin, AttachData);
    return;
  }
}

void TSkinEdit::PaintControl(HDC dc, const RECT& rect) {
  SkinUpDownChild();
  RECT client{};
  GetClientRect(Handle, &client);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (client.right == w || client.bottom == h) return;  // no border
  RECT r = rect;
  Frame(dc, r, ColorToRGB(SkinData->Colors.ButtonShadow));
  for (int ring = 0; ring < 2; ++ring) {
    InflateRect(r, -1, -1);
    Frame(dc, r, COLORREF(0xFFFFFF));
  }
}

void TSkinEdit::PrintBorder(HDC dc, const RECT& rect) {
  RECT client{};
  GetClientRect(Handle, &client);
  if (rect.right - client.right <= 2 || rect.bottom - client.bottom <= 2) return;
  RECT inner = rect;
  InflateRect(inner, -1, -1);
  FrameRect(dc, &inner, HBRUSH(GetCurrentObject(dc, OBJ_BRUSH)));
  Frame(dc, rect, ColorToRGB(SkinData->Colors.ButtonShadow));
}

void TSkinEdit::PaintSelection() {
  const auto style = GetWindowLongPtrW(Handle, GWL_STYLE);
  if (!SkinData || (style & (ES_MULTILINE | ES_PASSWORD)) || (GetFocus() != Handle && !(style & ES_NOHIDESEL))) return;
  DWORD a = 0, b = 0;
  SendMessageW(Handle, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  const auto length = SendMessageW(Handle, WM_GETTEXTLENGTH, 0, 0);
  if (a >= b || b > DWORD(length)) return;
  std::u16string text(size_t(length) + 1, u'\0');
  SendMessageW(Handle, WM_GETTEXT, WPARAM(text.size()), reinterpret_cast<LPARAM>(text.data()));
  const LRESULT from = SendMessageW(Handle, EM_POSFROMCHAR, a, 0);
  if (from == -1) return;
  HDC dc = GetDC(Handle);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  // Each character where the edit puts it.
  std::vector<int> ends(size_t(length) + 1, 0), dx(b - a);
  GetTextExtentExPointW(dc, text.data(), int(length), 0, nullptr, ends.data() + 1, nullptr);
  for (DWORD i = a; i < b; ++i) dx[i - a] = ends[i + 1] - ends[i];
  const int width = ends[b] - ends[a];
  const int x = short(LOWORD(from)), y = short(HIWORD(from));
  RECT client{};
  GetClientRect(Handle, &client);
  const auto margins = SendMessageW(Handle, EM_GETMARGINS, 0, 0);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, client.left + LOWORD(margins), client.top, client.right - HIWORD(margins), client.bottom);
  // The caret's column stays as the edit drew it, blinking.
  if (GetFocus() == Handle) {
    const LRESULT caret = SendMessageW(Handle, EM_POSFROMCHAR, WPARAM(SendMessageW(Handle, EM_GETCARETINDEX, 0, 0)), 0);
    if (caret != -1) ExcludeClipRect(dc, short(LOWORD(caret)), y, short(LOWORD(caret)) + 1, y + tm.tmHeight);
  }
  HBRUSH ground = CreateSolidBrush(ColorToRGB(SkinData->Colors.Hilight));
  const RECT selected{x, y, x + width, y + tm.tmHeight};
  FillRect(dc, &selected, ground);
  DeleteObject(ground);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(SkinData->Colors.HilightText));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  ExtTextOutW(dc, x, y, 0, nullptr, text.data() + a, UINT(b - a), dx.data());
  RestoreDC(dc, saved);
  SelectObject(dc, oldFont);
  ReleaseDC(Handle, dc);
}
