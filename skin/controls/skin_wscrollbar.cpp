#include "skin/controls/skin_wscrollbar.h"

#include <algorithm>
#include <cstdlib>

#include "platform/forms/rtti.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/controls/skin_control.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"
#include "skin/skin_services.h"

namespace {

constexpr int kStripFrames = 23;

bool HasImage(const TDataSkinObject* o) { return o && !o->Bitmap.Empty(); }

// The arrows' size: the skin strip's height unless it is far from the system's arrow size.
int SkinArrowSize(const TBitmap& strip, int arrowSize) {
  return std::abs(strip.Height() - arrowSize) > 2 ? arrowSize : strip.Height();
}

}  // namespace

int BarPartAt(int p, int arrow, int thumbStart, int thumbEnd, int length) {
  if (p < arrow) return kPartArrow1;
  if (p < thumbStart) return kPartTrack1;
  if (p < thumbEnd) return kPartThumb;
  if (p < length - arrow) return kPartTrack2;
  return kPartArrow2;
}

POINT ControlThumb(int length, int arrowSize, int min, int max, int page, int pos) {
  int range = max - min;
  if (range == 0) range = 9999999;
  const int track = length - 2 * arrowSize;
  int size = 0, start = 0;
  if (page > 0) {
    size = SkinMulDiv(track, page - 1, range);
    const bool raised = size < 8;
    if (raised) size = 8;
    start = arrowSize + SkinMulDiv(raised ? track - 8 : track, pos - min, range);
  } else {
    size = arrowSize;
    start = arrowSize + SkinMulDiv(length - 3 * arrowSize, pos - min, range);
  }
  return POINT{start, start + size};
}

int ArrowFrame(bool vertical, int arrow, bool pressed, bool hot) {
  const int base = vertical ? (arrow == 0 ? 9 : 13) : (arrow == 0 ? 1 : 5);
  return base + (pressed ? 1 : hot ? 3 : 0);
}

int ThumbFrame(bool pressed, bool hot) { return 1 + (pressed ? 1 : hot ? 2 : 0); }

int GripFrame(bool vertical, bool pressed, bool hot) { return (vertical ? 20 : 17) + (pressed ? 1 : hot ? 2 : 0); }

const TClassInfo& TWScrollbar::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TWScrollbar>("TWScrollbar", &TWinControl::StaticClassInfo()).Build();
  return info;
}

TWScrollbar::TWScrollbar(TSkinControl* wrapper) : TWinControl(nullptr), Skin(wrapper) {
  ArrowSize = GetSystemMetrics(SM_CXHSCROLL);
  visible_ = false;
}

TWScrollbar::~TWScrollbar() = default;

void TWScrollbar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WndParent = parentWindow_;
  p.Style &= ~WS_TABSTOP;
  p.ExStyle |= WS_EX_TOOLWINDOW;
}

void TWScrollbar::Start(HWND host, int kind) {
  HostHandle = host;
  Kind = kind;
  if (kind != kBarControl) Vertical = kind == kBarVert;
  parentWindow_ = GetParent(host);
  if (!parentWindow_) return;
  HandleNeeded();
  Place();
}

void TWScrollbar::Init(TControl* control, int kind) {
  auto* win = dynamic_cast<TWinControl*>(control);
  if (!win || !Skin || !Skin->SkinData) return;
  HostControl = control;
  const TObjectRef ref(control);
  const TTypeKind colorKind = PropType(ref, "Color");
  SetColor(colorKind == TTypeKind::tkInteger || colorKind == TTypeKind::tkEnumeration
               ? TColor(GetOrdProp(ref, "Color"))
               : Skin->SkinData->Colors.ButtonFace);
  if (kind == kBarControl) Vertical = LowerCaseAscii(GetPropValue(ref, "Kind")) != "sbhorizontal";
  Start(win->Handle(), kind);
}

void TWScrollbar::InitWindow(HWND host, int kind) {
  if (!host || !Skin || !Skin->SkinData) return;
  SetColor(Skin->SkinData->Colors.ButtonFace);
  if (kind == kBarControl) Vertical = (GetWindowLongPtrW(host, GWL_STYLE) & SBS_VERT) != 0;
  Start(host, kind);
}

bool TWScrollbar::ReadGeometry(Geometry& g) const {
  if (!HostHandle || !IsWindow(HostHandle)) return false;
  if (Kind == kBarControl) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    if (!GetWindowRect(HostHandle, &g.screen) || !GetScrollInfo(HostHandle, SB_CTL, &si)) return false;
    const int length = Vertical ? g.screen.bottom - g.screen.top : g.screen.right - g.screen.left;
    const POINT t = ControlThumb(length, ArrowSize, si.nMin, si.nMax, int(si.nPage), si.nPos);
    g.thumbStart = t.x;
    g.thumbEnd = t.y;
    g.visible = IsWindowVisible(HostHandle);
    g.disabled = !IsWindowEnabled(HostHandle);
    return true;
  }
  if (!SkinHasScrollBarInfo()) return false;
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  if (!SkinGetScrollBarInfo(HostHandle, Kind == kBarVert ? OBJID_VSCROLL : OBJID_HSCROLL, &info)) return false;
  g.screen = info.rcScrollBar;
  g.thumbStart = info.xyThumbTop;
  g.thumbEnd = info.xyThumbBottom;
  g.visible = !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
  g.disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
  return true;
}

void TWScrollbar::HideBar() {
  if (HWND h = HandleIfAllocated()) ShowWindow(h, SW_HIDE);
  BarVisible = false;
  SetVisible(false);
}

void TWScrollbar::Place() {
  Geometry g;
  HWND self = HandleIfAllocated();
  if (!self) return;
  // Without the skin's strip the system's own bar stays in sight.
  const bool ok = Skin && Skin->SkinData && HasImage(Skin->SkinData->Scrollbar.get()) && ReadGeometry(g);
  if (!ok || !(GetWindowLongPtrW(HostHandle, GWL_STYLE) & WS_VISIBLE) || !g.visible || g.screen.IsEmpty()) {
    HideBar();
    return;
  }
  BarRect = g.screen;
  MapWindowPoints(nullptr, parentWindow_, reinterpret_cast<POINT*>(&BarRect), 2);
  Length = Vertical ? BarRect.bottom - BarRect.top : BarRect.right - BarRect.left;
  ThumbStart = g.thumbStart;
  ThumbEnd = g.thumbEnd;
  BarLeft = g.screen.left;
  BarTop = g.screen.top;
  visible_ = true;
  ShowWindow(self, SW_SHOWNOACTIVATE);
  BarVisible = true;
  const HWND above = GetWindow(HostHandle, GW_HWNDPREV);
  const int w = BarRect.right - BarRect.left, h = BarRect.bottom - BarRect.top;
  SetWindowPos(self, above ? above : HWND_TOP, BarRect.left, BarRect.top, w, h,
               SWP_NOACTIVATE | (above == self ? SWP_NOZORDER : 0));
  MoveWindow(self, BarRect.left, BarRect.top, w, h, TRUE);
}

void DrawSkinScrollBar(HDC dc, const RECT& bar, TSkinData* sd, const TSkinBarLook& look, TBitmap& buffer) {
  const int w = bar.right - bar.left, h = bar.bottom - bar.top;
  if (!sd || !HasImage(sd->Scrollbar.get()) || w <= 0 || h <= 0) return;
  TBitmap& strip = sd->Scrollbar->Bitmap;
  const bool vertical = look.vertical;
  const int arrow = SkinArrowSize(strip, look.arrowSize);
  const int length = vertical ? h : w;
  buffer.SetPixelFormat(pf24bit);
  buffer.SetSize(w, h);
  HDC b = buffer.Canvas().Handle();
  SetStretchBltMode(b, kSkinStretchMode);
  HBRUSH face = CreateSolidBrush(ColorToRGB(sd->Colors.ButtonFace));
  const RECT all{0, 0, w, h};
  FillRect(b, &all, face);
  DeleteObject(face);
  auto along = [&](int from, int to) { return vertical ? TRect{0, from, w, to} : TRect{from, 0, to, h}; };
  if (TDataSkinObject* track = vertical ? sd->VertScroll.get() : sd->HorzScroll.get(); HasImage(track))
    DrawSkinElement(b, along(arrow, length - arrow), track->Bitmap, false, track->Tile != 0, false, 4,
                    look.disabled ? 3 : 1, track->Margins());
  for (int a = 0; a < 2; ++a) {
    const bool mine = look.hotPart == a;
    const TRect r = a == 0 ? along(0, arrow) : along(length - arrow, length);
    DrawSkinFrame(b, r, strip, true, kStripFrames,
                  ArrowFrame(vertical, a, mine && look.pressed, mine && !look.pressed));
  }
  const int start = look.thumbStart, end = look.thumbEnd, size = end - start;
  const bool onThumb = look.hotPart == kPartThumb;
  if (!look.disabled && size > 0 && start >= 0 && end <= length) {
    if (TDataSkinObject* thumb = vertical ? sd->VertScrollThumb.get() : sd->HorzScrollThumb.get(); HasImage(thumb))
      DrawSkinElement(b, along(start, end), thumb->Bitmap, false, thumb->Tile != 0, true, thumb->Frames(),
                      ThumbFrame(look.pressed && onThumb, onThumb && !look.pressed), thumb->Margins());
    const int grip = strip.Height();
    if (grip < size + 2) {
      const int at = start + (size - grip) / 2;
      DrawSkinFrame(b, along(at, at + grip), strip, true, kStripFrames,
                    GripFrame(vertical, look.pressed && onThumb, onThumb && !look.pressed));
    }
  }
  BitBlt(dc, bar.left, bar.top, w, h, b, 0, 0, SRCCOPY);
}

void TWScrollbar::PaintBar(HDC dc) {
  TSkinData* sd = Skin ? Skin->SkinData : nullptr;
  Geometry g;
  if (!sd || !HasImage(sd->Scrollbar.get()) || !ReadGeometry(g) || !g.visible) return;
  RECT client{};
  GetClientRect(HandleIfAllocated(), &client);
  const int arrow = SkinArrowSize(sd->Scrollbar->Bitmap, ArrowSize);
  if (Kind == kBarControl && arrow > 0 && (Vertical ? client.right : client.bottom) != arrow) {
    // A scroll-bar control's bar is as thick as the skin's arrows; the control keeps its size.
    SetWindowPos(HandleIfAllocated(), nullptr, 0, 0, Vertical ? arrow : client.right, Vertical ? client.bottom : arrow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(HandleIfAllocated(), &client);
  }
  TSkinBarLook look;
  look.vertical = Vertical;
  look.disabled = g.disabled;
  look.pressed = Pressed;
  look.arrowSize = ArrowSize;
  look.hotPart = HotPart;
  look.thumbStart = g.thumbStart;
  look.thumbEnd = g.thumbEnd;
  if (!Pressed) {
    // The hit test follows the thumb as last drawn.
    ThumbStart = g.thumbStart;
    ThumbEnd = g.thumbEnd;
    Length = Vertical ? client.bottom : client.right;
  }
  if (Pressed && HotPart == kPartThumb) {
    // The thumb follows the cursor, held between the arrows.
    const int size = g.thumbEnd - g.thumbStart, length = Vertical ? client.bottom : client.right;
    POINT cursor{};
    GetCursorPos(&cursor);
    look.thumbStart = std::clamp(DragThumbStart + AlongOf(cursor) - AlongOf(DownPos), arrow,
                                 std::max(arrow, length - arrow - size));
    look.thumbEnd = look.thumbStart + size;
  }
  DrawSkinScrollBar(dc, client, sd, look, buffer_);
}

void TWScrollbar::Press(TMessage& m) {
  GetCursorPos(&DownPos);
  Geometry g;
  if (ReadGeometry(g)) {
    ThumbStart = g.thumbStart;
    ThumbEnd = g.thumbEnd;
    // Where the host's bar is now: the form may have moved since the bar window was placed.
    if (Kind != kBarControl) {
      BarLeft = g.screen.left;
      BarTop = g.screen.top;
    }
  }
  DragThumbStart = ThumbStart;
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  HotPart = BarPartAt(AlongOf(p), ArrowSize, ThumbStart, ThumbEnd, Length);
  if (Kind != kBarControl) {
    p.x += BarLeft;
    p.y += BarTop;
  }
  Pressed = true;
  Invalidate();
  ReleaseCapture();
  const HWND host = HostHandle;
  if (Kind == kBarControl)
    SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  else
    SendMessageW(host, WM_NCLBUTTONDOWN, Kind == kBarVert ? HTVSCROLL : HTHSCROLL, MAKELPARAM(p.x, p.y));
  Pressed = false;
  ReleaseCapture();
  if (Kind == kBarControl) Invalidate();
}

void TWScrollbar::Release(TMessage& m) {
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (Geometry g; Kind != kBarControl && ReadGeometry(g)) {
    BarLeft = g.screen.left;
    BarTop = g.screen.top;
  }
  if (Kind != kBarControl) {
    p.x += BarLeft;
    p.y += BarTop;
  }
  Pressed = false;
  ReleaseCapture();
  if (Kind == kBarControl) {
    PostMessageW(HostHandle, WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    Invalidate();
  } else {
    PostMessageW(HostHandle, WM_NCLBUTTONUP, Kind == kBarVert ? HTVSCROLL : HTHSCROLL, MAKELPARAM(p.x, p.y));
  }
}

void TWScrollbar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = m.WParam ? HDC(m.WParam) : BeginPaint(HandleIfAllocated(), &ps);
      PaintBar(dc);
      if (!m.WParam) EndPaint(HandleIfAllocated(), &ps);
      m.Result = 0;
      return;
    }
    case WM_MOUSEMOVE: {
      TWinControl::WndProc(m);
      const int part = BarPartAt(AlongOf(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}), ArrowSize,
                                 ThumbStart, ThumbEnd, Length);
      if (part != HotPart) {
        HotPart = part;
        Invalidate();
      }
      TRACKMOUSEEVENT t{sizeof(TRACKMOUSEEVENT), TME_LEAVE, HandleIfAllocated(), 0};
      TrackMouseEvent(&t);
      return;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      TWinControl::WndProc(m);
      if (!Pressed) {
        HotPart = kPartNone;
        Invalidate();
      }
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      TWinControl::WndProc(m);
      Press(m);
      return;
    case WM_LBUTTONUP:
      TWinControl::WndProc(m);
      Release(m);
      return;
    default:
      TWinControl::WndProc(m);
      return;
  }
}
