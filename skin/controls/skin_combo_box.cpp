#include "skin/controls/skin_combo_box.h"

#include <algorithm>
#include <cstdlib>

#include "platform/forms/controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/controls/skin_scroll_bar.h"
#include "skin/controls/skin_wscrollbar.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"
#include "skin/skin_services.h"

namespace {

constexpr LONG_PTR kCbsTypeMask = 3, kCbsSimple = 1;
// The list's own end-of-tracking message.
constexpr UINT kListEndTrack = 430;
constexpr WORD kCbnDropDown = 7, kCbnCloseUp = 8;

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool HasImage(const TDataSkinObject* o) { return o && !o->Bitmap.Empty(); }

// A strip mirrored whole holds its frames in the reverse order.
int MirroredFrame(int frames, int frame) { return frames + 1 - std::clamp(frame, 1, frames); }

bool ComboInfoOf(HWND h, COMBOBOXINFO& info) {
  info = COMBOBOXINFO{};
  info.cbSize = sizeof info;
  return GetComboBoxInfo(h, &info) != FALSE;
}

}  // namespace

int ComboButtonState(bool focused, uint8_t mouse, bool disabled) {
  int state = focused ? 4 : 1;
  if (mouse & kMousePressed)
    state = 2;
  else if (mouse & kMouseHot)
    state = 4;
  return disabled ? 3 : state;
}

int ComboFlatState(bool focused, uint8_t mouse, bool disabled) {
  int state = focused ? 4 : disabled ? 3 : 1;
  if (mouse & kMousePressed)
    state = 2;
  else if (mouse & kMouseHot)
    state = 4;
  return state;
}

// ---- TComboxScrollBar ----

TComboxScrollBar::TComboxScrollBar() { ArrowSize = GetSystemMetrics(SM_CXHSCROLL); }

bool TComboxScrollBar::BeforeMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCPAINT:
      return true;
    case WM_NCMOUSEMOVE:
      return m.WParam != HTHSCROLL && m.WParam != HTVSCROLL;
    case WM_NCLBUTTONDOWN:
      if (m.WParam == HTVSCROLL && DragThumb(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)})) {
        m.Result = 0;
        return false;
      }
      return true;
    default:
      return TSkinControl::BeforeMessage(m);
  }
}

void TComboxScrollBar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCPAINT:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case kListEndTrack:
      PaintWindow(nullptr);
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

bool TComboxScrollBar::DragThumb(POINT press) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  if (!SkinGetScrollBarInfo(Handle, OBJID_VSCROLL, &info)) return false;
  const int y = press.y - info.rcScrollBar.top;
  if (y < info.xyThumbTop || y >= info.xyThumbBottom) return false;
  const HWND h = Handle;
  SetCapture(h);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(h, SB_VERT, &si);
  const int track = (info.rcScrollBar.bottom - info.rcScrollBar.top) - 2 * ArrowSize;
  const int thumb = info.xyThumbBottom - info.xyThumbTop;
  const int start = info.xyThumbTop - ArrowSize;
  // The thumb's room maps onto every position it can stand at, the last one included.
  const int page = int(si.nPage);
  const int last = page > 0 ? si.nMax - page + 1 : si.nMax;
  int pos = si.nPos;
  MSG msg;
  while (IsWindow(h)) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the loop outside ends too
      break;
    }
    if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) {
      SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, WORD(pos)), 0);
      PostMessageW(h, WM_VSCROLL, SB_ENDSCROLL, 0);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    POINT cursor{};
    GetCursorPos(&cursor);
    const int offset = std::clamp(start + cursor.y - press.y, 0, std::max(0, track - thumb));
    const int at = si.nMin + SkinMulDiv(offset, last - si.nMin, track - thumb);
    const int next = std::clamp(at, si.nMin, std::max(si.nMin, last));
    if (next != pos && IsWindow(h)) {
      pos = next;
      SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, WORD(pos)), 0);
    }
  }
  if (GetCapture() == h) ReleaseCapture();
  return true;
}

void TComboxScrollBar::PaintControl(HDC dc, const RECT&) {
  if (!SkinData || !HasImage(SkinData->Scrollbar.get())) return;
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  if (!SkinGetScrollBarInfo(Handle, OBJID_VSCROLL, &info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return;
  RECT bar = info.rcScrollBar;
  OffsetRect(bar, -WindowRect.left, -WindowRect.top);
  TrackStart = ArrowSize;
  TrackEnd = bar.bottom - bar.top - ArrowSize;
  ThumbStart = info.xyThumbTop;
  ThumbEnd = info.xyThumbBottom;
  TSkinBarLook look;
  look.vertical = true;
  look.disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
  look.arrowSize = ArrowSize;
  look.thumbStart = ThumbStart;
  look.thumbEnd = ThumbEnd;
  DrawSkinScrollBar(dc, bar, SkinData, look, buffer_);
}

// ---- TSkinComBox ----

TSkinComBox::TSkinComBox() { ComboInfo.cbSize = sizeof ComboInfo; }

TSkinComBox::~TSkinComBox() = default;

void TSkinComBox::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                int attachData) {
  if (Attached) return;
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  if (!Handle) return;
  ComboStyle = Style();
  ListScrollSkin.reset();
  ListSkin.reset();
  COMBOBOXINFO info{};
  if (!ComboInfoOf(Handle, info) || !info.hwndList) return;
  ListHandle = info.hwndList;
  EditHandle = GetWindow(Handle, GW_CHILD);
  if ((ComboStyle & kCbsTypeMask) == kCbsSimple) {
    const LONG_PTR listStyle = GetWindowLongPtrW(ListHandle, GWL_STYLE);
    if ((listStyle & WS_CHILD) && !(listStyle & WS_POPUP) && GetParent(ListHandle) != GetDesktopWindow()) {
      ListSkin = std::make_unique<TSkinScrollbarH>();
      ListSkin->AttachWindow(ListHandle, skinData, formSkin, attachData);
    }
    return;
  }
  ListScrollSkin = std::make_unique<TComboxScrollBar>();
  ListScrollSkin->AttachWindow(ListHandle, skinData, formSkin, attachData);
}

void TSkinComBox::AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  if (Attached) return;
  TSkinControl::AttachWindow(handle, skinData, formSkin, attachData);
  ComboStyle = Style();
  EditHandle = GetWindow(handle, GW_CHILD);
}

void TSkinComBox::RestoreColor() {
  TSkinControl::RestoreColor();
  for (TSkinControl* s : {static_cast<TSkinControl*>(ListSkin.get()), static_cast<TSkinControl*>(ListScrollSkin.get())})
    if (s) s->RestoreColor();
  ListSkin.reset();
  ListScrollSkin.reset();
}

void TSkinComBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseState |= kMousePressed;
      Repaint();
      break;
    case WM_LBUTTONUP:
      MouseState &= uint8_t(~kMousePressed);
      Repaint();
      break;
    case WM_MOUSEMOVE: {
      const bool over = Inside(ButtonRect, POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
      const bool enabled = !(Style() & WS_DISABLED);
      const bool hot = (MouseState & kMouseHot) != 0;
      if (enabled && over != hot) {
        MouseState = over ? uint8_t(MouseState | kMouseHot) : uint8_t(MouseState & ~kMouseHot);
        Repaint();
      }
      // The mouse may leave the button into the edit, a window of its own.
      if (MouseState & kMouseHot) TrackMouseLeave(Handle);
      break;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      if (MouseState & kMouseHot) {
        MouseState &= uint8_t(~kMouseHot);
        Repaint();
      }
      break;
    case WM_NCPAINT:
    case WM_DRAWITEM:
      Repaint();
      break;
    case CN_COMMAND:
      if (HIWORD(m.WParam) == kCbnDropDown) DroppedDown = true;
      if (HIWORD(m.WParam) == kCbnCloseUp) DroppedDown = false;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinComBox::PaintFramed(HDC dc, int w, int h, int state, bool left) {
  const int b = GetSystemMetrics(SM_CXHSCROLL);
  const RECT edit = left ? RECT{b + 4, 2, w - 2, h - 2} : RECT{2, 2, w - b - 4, h - 2};
  const RECT button = left ? RECT{0, 0, b + 2, h} : RECT{w - b - 2, 0, w, h};
  const RECT glyph = left ? RECT{2, 0, b + 2, h} : RECT{w - b - 2, 0, w - 2, h};
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, edit.left, edit.top, edit.right, edit.bottom);
  if (TDataSkinObject* sunk = SkinData->SunkEdge.get(); HasImage(sunk))
    DrawSkinElement(dc, TRect{0, 0, w, h}, sunk->Bitmap, false, sunk->Tile != 0, sunk->Trans == 1,
                    sunk->Frames(), state, sunk->Margins());
  TDataSkinBorder* cb = SkinData->ComboButton.get();
  const bool mirrored = left && !cb->Bitmap2.Empty();
  const int frames = cb->Frames();
  DrawSkinElement(dc, button, mirrored ? cb->Bitmap2 : cb->Bitmap, false, cb->Tile != 0, true, frames,
                  mirrored ? MirroredFrame(frames, state) : state, cb->Margins());
  ButtonRect = button;
  if (TDataSkinObject* extra = SkinData->ExtraImages.get(); HasImage(extra))
    DrawSkinFrameCentred(dc, glyph, extra->Bitmap, true, extra->Frames(), state);
  RestoreDC(dc, saved);
}

void TSkinComBox::PaintFlat(HDC dc, const RECT& rect, bool left) {
  TDataSkinBorder* cb = SkinData->ComboButton.get();
  const int state = ComboFlatState(IsFocused, MouseState, (Style() & WS_DISABLED) != 0);
  const int b = GetSystemMetrics(SM_CYVTHUMB);
  HBRUSH brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
  RECT inner = rect;
  InflateRect(inner, -1, -1);
  FrameRect(dc, &inner, brush);
  RECT strip = inner;
  InflateRect(strip, -1, -1);
  if (left)
    strip.right = strip.left + b;
  else
    strip.left = strip.right - b;
  FillRect(dc, &strip, brush);
  const int frames = cb->Frames();
  const int fw = cb->Bitmap.Width() / frames, fh = cb->Bitmap.Height();
  RECT image = strip;
  if (left)
    image.right = image.left + fw;
  else
    image.left = image.right - fw;
  if (b > fh) {
    image.top = strip.top + (strip.bottom - strip.top - fh) / 2;
    image.bottom = image.top + fh;
  }
  HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colors.ButtonShadow));
  FrameRect(dc, &rect, shadow);
  DeleteObject(shadow);
  ButtonRect = image;
  DrawSkinFrame(dc, image, cb->Bitmap, true, frames, state);
}

void TSkinComBox::PaintControl(HDC dc, const RECT& rect) {
  TDataSkinBorder* cb = SkinData ? SkinData->ComboButton.get() : nullptr;
  if (!HasImage(cb)) return;
  ComboStyle = Style();
  ExStyle = GetWindowLongPtrW(Handle, GWL_EXSTYLE);
  if (!ComboInfoOf(Handle, ComboInfo) || (ComboInfo.stateButton & STATE_SYSTEM_INVISIBLE)) return;
  IsFocused = GetFocus() == Handle;
  IsEnabled = !(ComboStyle & WS_DISABLED);
  const bool left = (ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  const int state = ComboButtonState(IsFocused, MouseState, !IsEnabled);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  switch (cb->Style) {
    case 1:
      PaintFlat(dc, rect, left);
      break;
    case 2: {
      // The composed image: frame and button in one, its inner area magenta, which lets the
      // field show through. It has no button of its own to light under the mouse.
      const bool mirrored = left && SkinData->SunkEdge;
      TDataSkinObject* whole = mirrored ? static_cast<TDataSkinObject*>(SkinData->SunkEdge.get()) : cb;
      const int frames = whole->Frames();
      if (HasImage(whole))
        DrawSkinElement(dc, rect, whole->Bitmap, false, whole->Tile != 0, true, frames,
                        mirrored ? MirroredFrame(frames, state) : state, whole->Margins());
      break;
    }
    default:
      PaintFramed(dc, w, h, state, left);
      break;
  }
}
