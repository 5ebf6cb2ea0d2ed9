#include "skin/controls/skin_button.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"

std::u16string ButtonCaptionText(const std::string& caption) {
  std::string s = caption;
  for (size_t at = s.find("||"); at != std::string::npos; at = s.find("||", at + 2)) s.replace(at, 2, "\r\n");
  return Utf8ToWide(s);
}

int ButtonState(bool focused, bool isDefault, uint8_t mouse, bool enabled) {
  int state = kButtonNormal;
  if (focused || isDefault) state = kButtonFocused;
  if (mouse & kMousePressed)
    state = kButtonPressed;
  else if (mouse & kMouseHot)
    state = kButtonHot;
  if (!enabled) state = kButtonDisabled;
  return state;
}

void TSkinButton::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                int attachData) {
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  const std::string lower = LowerCaseAscii(control ? control->ClassName() : "");
  NoMouseForward = lower.rfind("trz", 0) == 0 || lower.rfind("tel", 0) == 0;
  ParentBackground = (control && control->Tag() == 5555) || InSkinOptions(skinData->Options(), xoTransparent);
}

const TDataSkinButton* TSkinButton::Element() const {
  const TDataSkinButton* e = SkinData ? SkinData->Buttons.get() : nullptr;
  return e && !e->Bitmap.Empty() ? e : nullptr;
}

bool TSkinButton::BeforeMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != Handle) SetFocus(Handle);
      MouseState |= kMousePressed;
      PaintWindow(nullptr);
      if (!NoMouseForward && Control) ForwardMouseDown(message);
      return false;
    case WM_TIMER:
      KillTimer(Handle, 1);
      return false;
    case WM_PAINT:
      if (!Element()) return TSkinControl::BeforeMessage(message);
      PaintMessage(message);
      return false;
    case WM_ERASEBKGND:
      if (!Element()) return TSkinControl::BeforeMessage(message);
      message.Result = 1;
      return false;
    default:
      return TSkinControl::BeforeMessage(message);
  }
}

void TSkinButton::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE: {
      if (!(Style() & WS_DISABLED) && !(MouseState & kMouseHot)) {
        MouseState |= kMouseHot;
        if (FormSkin) FormSkin->SetHotTool(this);
        Repaint();
      }
      TRACKMOUSEEVENT t{sizeof(TRACKMOUSEEVENT), TME_LEAVE, Handle, 0};
      TrackMouseEvent(&t);
      break;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:  // the form wrapper's word that the mouse has gone
      MouseState &= uint8_t(~(kMouseHot | kMousePressed));
      if (FormSkin) FormSkin->ForgetHotTool(this);
      Repaint();
      break;
    case WM_LBUTTONUP:
      if (MouseState & kMousePressed) {
        MouseState &= uint8_t(~kMousePressed);
        Repaint();
        Click();
      }
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (message.WParam == VK_SPACE) {
        if (message.Msg == WM_KEYDOWN)
          MouseState |= kMousePressed;
        else
          MouseState &= uint8_t(~kMousePressed);
        Repaint();
      }
      break;
    case WM_SETTEXT: PaintWindow(nullptr); break;
    case CM_DIALOGKEY: case CM_FOCUSCHANGED: Repaint(); break;
    default: TSkinControl::AfterMessage(message); break;
  }
}

// The native button never saw the press, so the click is made here.
void TSkinButton::Click() {
  if (Control) {
    Control->Click();
    return;
  }
  char name[101] = {};
  GetClassNameA(Handle, name, 100);
  const WPARAM id = LowerCaseAscii(name) == "tbutton" ? 0 : WPARAM(GetDlgCtrlID(Handle));
  PostMessageW(GetParent(Handle), WM_COMMAND, id, LPARAM(Handle));
}

HDC TSkinButton::PaintFace(const RECT& rect, int state, bool element) {
  const TDataSkinButton& e = *Element();
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  Buffer.SetPixelFormat(pf24bit);
  Buffer.SetSize(w, h);
  HDC dc = Buffer.Canvas().Handle();
  const RECT local{0, 0, w, h};
  if (ParentBackground && Control)
    PaintParentBackground(Control, dc);
  else
    FillFace(dc, local);
  if (!element) return dc;
  const int frames = e.Frames();
  DrawSkinElement(dc, TRect(local), const_cast<TBitmap&>(e.Bitmap), false, e.Tile == 1, e.Trans == 1, frames,
                  std::min(state, frames), e.Margins());
  return dc;
}

void TSkinButton::PrepareText(int state) {
  const TDataSkinButton& e = *Element();
  TCanvas& canvas = Buffer.Canvas();
  TColor colour = SkinData->Colors.ButtonText;
  if (Control) {
    canvas.Font().Assign(*Control->Font());
    colour = Control->Font()->Color();
  } else if (HFONT f = HFONT(SendMessageW(Handle, WM_GETFONT, 0, 0))) {
    canvas.Font().SetHandle(f);
  }
  if (state == kButtonNormal && e.HasNormalColour2) colour = e.NormalColour2;
  if (state == kButtonHot && e.HasMouseOverColour2) colour = e.MouseOverColour2;
  if (state == kButtonPressed && e.HasPressedColour2) colour = e.PressedColour2;
  if (state == kButtonDisabled) colour = clBtnShadow;
  canvas.Font().SetColor(colour);
}

HGDIOBJ TSkinButton::SelectText(HDC buffer) {
  TCanvas& canvas = Buffer.Canvas();
  SetBkMode(buffer, TRANSPARENT);
  SetTextColor(buffer, ColorToRGB(canvas.Font().Color()));
  return SelectObject(buffer, canvas.Font().Handle());
}

void TSkinButton::PaintControl(HDC dc, const RECT& rect) {
  if (!Element() || rect.right <= rect.left || rect.bottom <= rect.top) return;
  IsFocused = GetFocus() == Handle;
  IsEnabled = !(Style() & WS_DISABLED);
  const bool isDefault = LowerCaseAscii(StrProp("Default")) == "true";
  Caption = ReadCaption();
  const int state = ButtonState(IsFocused, isDefault, MouseState, IsEnabled);
  HDC buffer = PaintFace(rect, state);
  PrepareText(state);
  const HGDIOBJ oldFont = SelectText(buffer);
  const std::u16string text = ButtonCaptionText(Caption);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  RECT textRect{2, 2, w - 2, h - 2};
  const UINT flags = TextFlags(DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS);
  RECT measured = textRect;
  DrawTextW(buffer, text.data(), int(text.size()), &measured, flags | DT_CALCRECT | DT_NOCLIP);
  const int tw = measured.right - measured.left, th = measured.bottom - measured.top;
  RECT placed{textRect.left, textRect.top + ((h - 4) - th) / 2 - 1, textRect.right, 0};
  placed.left = textRect.left + ((w - 4) - tw) / 2;
  placed.right = placed.left + tw;
  placed.bottom = placed.top + th;
  DrawTextW(buffer, text.data(), int(text.size()), &placed, flags);
  if (IsFocused && !InSkinOptions(SkinData->Options(), xoNoFocusRect)) {
    RECT focus = placed;
    InflateRect(focus, 2, 2);
    DrawFocusRect(buffer, &focus);
  }
  SelectObject(buffer, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}

void TSkinMenuButton::PaintControl(HDC dc, const RECT& rect) {
  if (!Element() || rect.right <= rect.left || rect.bottom <= rect.top) return;
  IsFocused = GetFocus() == Handle;
  IsEnabled = !(Style() & WS_DISABLED);
  Caption = ReadCaption();
  int state = ButtonState(false, false, MouseState, IsEnabled);
  if (IsFocused && state == kButtonNormal) state = kButtonHot;
  HDC buffer = PaintFace(rect, state);
  PrepareText(state);
  const HGDIOBJ oldFont = SelectText(buffer);
  const std::u16string text = ButtonCaptionText(Caption);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  RECT measured{0, 0, std::max(w - 17, 0), h};
  const UINT flags = TextFlags(DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS);
  DrawTextW(buffer, text.data(), int(text.size()), &measured, flags | DT_CALCRECT | DT_NOCLIP);
  const int th = measured.bottom - measured.top;
  RECT placed{2, (h - th + 1) / 2, std::max(w - 17, 0) + 2, (h - th + 1) / 2 + th};
  DrawTextW(buffer, text.data(), int(text.size()), &placed, flags);
  const COLORREF arrow = ColorToRGB(IsEnabled ? clWindowText : clBtnShadow);
  HBRUSH brush = CreateSolidBrush(arrow);
  HPEN pen = CreatePen(PS_SOLID, 1, arrow);
  const HGDIOBJ oldBrush = SelectObject(buffer, brush), oldPen = SelectObject(buffer, pen);
  const POINT points[3] = {{w - 12, h / 2 + 2}, {w - 15, h / 2 - 1}, {w - 9, h / 2 - 1}};
  Polygon(buffer, points, 3);
  SelectObject(buffer, oldBrush);
  SelectObject(buffer, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
  SelectObject(buffer, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, buffer, 0, 0, SRCCOPY);
}
