#include "skin/controls/skin_edit.h"

#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/strings.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"

void TSkinEdit::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      PaintWindow(HDC(message.WParam));
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
