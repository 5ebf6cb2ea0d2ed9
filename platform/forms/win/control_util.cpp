#include "platform/forms/win/control_util.h"

#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

namespace stdctl {

void* GetStateSlot(HWND hwnd) { return reinterpret_cast<void*>(GetWindowLongPtrW(hwnd, 0)); }

void SetStateSlot(HWND hwnd, void* state) { SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state)); }

HBRUSH ControlBrush(HWND hwnd, HDC dc, UINT message) {
  HWND parent = GetParent(hwnd);
  LRESULT r = 0;
  if (parent) r = SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
  if (!r) r = DefWindowProcW(hwnd, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
  return reinterpret_cast<HBRUSH>(r);
}

void NotifyParent(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

HFONT FontOr(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

TEXTMETRICW MeasureFont(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, FontOr(font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return tm;
}

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void DrawSizeGrip(HDC dc, const RECT& c) {
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ old = SelectObject(dc, dark);
  for (int d = 3; d <= 12; d += 4) {
    for (int k = 0; k < 2; ++k) {
      SelectObject(dc, k == 0 ? light : dark);
      MoveToEx(dc, c.right - d - k, c.bottom - 1, nullptr);
      LineTo(dc, c.right, c.bottom - d - k - 1);
    }
  }
  SelectObject(dc, old);
  DeleteObject(light);
  DeleteObject(dark);
}

HWND CornerSizedWindow(HWND grip) {
  HWND target = nullptr;
  for (HWND w = GetParent(grip); w; w = GetParent(w)) {
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    if (style & WS_THICKFRAME) {
      if (style & (WS_MAXIMIZE | WS_MINIMIZE)) return nullptr;
      target = w;
      break;
    }
    if (!(style & WS_CHILD)) return nullptr;
  }
  if (!target) return nullptr;
  RECT client{}, box{};
  GetClientRect(target, &client);
  MapWindowPoints(target, nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(grip, &box);
  // The grip covers the client area's last pixel, reaching to its right and bottom edges.
  const bool atCorner = box.left < client.right && client.right <= box.right && box.top < client.bottom &&
                        client.bottom <= box.bottom;
  return atCorner ? target : nullptr;
}

bool SizeFromCorner(HWND grip, LPARAM screenPoint) {
  HWND target = CornerSizedWindow(grip);
  if (!target) return false;
  SendMessageW(target, WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, screenPoint);
  return true;
}

void DrawControlText(HDC dc, const std::u16string& text, RECT rect, UINT format, bool enabled) {
  int oldMode = SetBkMode(dc, TRANSPARENT);
  if (enabled) {
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  } else {
    COLORREF old = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT shifted = rect;
    OffsetRect(shifted, 1, 1);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    SetTextColor(dc, old);
  }
  SetBkMode(dc, oldMode);
}

int DrawItemImage(HDC dc, HIMAGELIST images, int image, int x, const RECT& r) {
  int iw = 0, ih = 0;
  ImageList_GetIconSize(images, &iw, &ih);
  ImageList_Draw(images, image, dc, x, r.top + (r.bottom - r.top - ih) / 2, ILD_TRANSPARENT);
  return iw + 3;
}

LRESULT SwapImageList(HWND hwnd, HIMAGELIST& images, LPARAM lParam) {
  HIMAGELIST old = images;
  images = reinterpret_cast<HIMAGELIST>(lParam);
  InvalidateRect(hwnd, nullptr, FALSE);
  return reinterpret_cast<LRESULT>(old);
}

LRESULT SetFontAndRedraw(HWND hwnd, HFONT& font, WPARAM wParam, LPARAM lParam) {
  font = reinterpret_cast<HFONT>(wParam);
  if (lParam) InvalidateRect(hwnd, nullptr, FALSE);
  return 0;
}

void RegisterControlClass(const char16_t* name, WNDPROC proc, const char16_t* cursor) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  if (GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(void*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace stdctl
