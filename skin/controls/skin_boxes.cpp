#include "skin/controls/skin_boxes.h"

#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"

void TSkinBox::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                             int attachData) {
  if (Attached || !control) return;
  Control = control;
  BeginAttach(skinData, formSkin, attachData);
  TakeFaceColor(control, setColor);
  EndAttach();
}

bool TSkinBoxH::BeforeMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND: {
      RECT r{};
      GetWindowRect(Handle, &r);
      FillFace(HDC(message.WParam), RECT{0, 0, r.right - r.left, r.bottom - r.top});
      message.Result = 0;
      return false;
    }
    case WM_CTLCOLORSTATIC:
      CallOldProc(message);
      message.Result = LRESULT(SkinData->FaceBrush);
      return false;
    default:
      return TSkinControl::BeforeMessage(message);
  }
}

bool TSkinSizer::BeforeMessage(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    PaintMessage(message);
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinSizer::PaintControl(HDC dc, const RECT& rect) { FillFace(dc, rect); }

void TSkinGroupBox::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                  int attachData) {
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  libraryGroup_ = control != nullptr;
}

bool TSkinGroupBox::BeforeMessage(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    PaintMessage(message);
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinGroupBox::PaintControl(HDC dc, const RECT& rect) {
  std::string caption = WindowText();
  if (caption.empty()) caption = StrProp("Caption");
  if (libraryGroup_) {
    FillFace(dc, rect);
  } else {
    RECT r = rect;
    FrameRect(dc, &r, SkinData->FaceBrush);
    InflateRect(r, -1, -1);
    FrameRect(dc, &r, SkinData->FaceBrush);
  }
  HFONT font = HFONT(SendMessageW(Handle, WM_GETFONT, 0, 0));
  if (!font && Control) font = Control->Font()->Handle();
  const HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  if (Control) SetTextColor(dc, ColorToRGB(Control->Font()->Color()));
  SIZE zero{};
  GetTextExtentPoint32W(dc, u"0", 1, &zero);
  const int h = zero.cy;
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colors.ButtonShadow));
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, 1, h / 2 - 1, rect.right - 1, rect.bottom - 1, 5, 5);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  const std::u16string text = Utf8ToWide(caption);
  const COLORREF oldBack = SetBkColor(dc, ColorToRGB(SkinData->Colors.ButtonFace));
  const int oldMode = SetBkMode(dc, OPAQUE);
  const bool right = (GetWindowLongPtrW(Handle, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
  RECT tr{8, 0, rect.right - 8, h};
  DrawTextW(dc, text.data(), int(text.size()), &tr, TextFlags(right ? DT_RIGHT | DT_EXPANDTABS : DT_EXPANDTABS));
  SetBkMode(dc, oldMode);
  SetBkColor(dc, oldBack);
  if (oldFont) SelectObject(dc, oldFont);
  // The group's own paint does not run: its controls without a window are painted here.
  if (auto* group = dynamic_cast<TWinControl*>(Control); group && libraryGroup_) group->PaintControls(dc);
}
