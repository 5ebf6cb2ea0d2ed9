// The painting side of the form wrapper: border sides, the title bar with its caption text and
// caption buttons, composed off screen and copied to the window DC.
#include <algorithm>

#include "platform/gdi/blit.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/system_metrics.h"
#include "platform/gdi/text.h"
#include "platform/user/icons.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/forms/win_skin_form.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

// Frame of a caption button: 1 normal, 2 pressed, 3 hot, 4 disabled or inactive; an element
// without a fourth frame shows its first instead.
int ButtonFrame(const TDataSkinSysButton& e, int wanted) { return wanted == 4 && e.Frames() < 4 ? 1 : wanted; }

}  // namespace

void TWinSkinForm::PaintFrame(HDC given) {
  if ((SkinPhase != 1 && SkinPhase != 3) || BorderKind == 2 || (FormKind == 2 && WindowState == 1)) return;
  if (!SkinData || !SkinData->Ready()) return;
  HDC dc = given ? given : GetWindowDC(Window);
  if (!dc) return;
  RECT wr{};
  GetWindowRect(Window, &wr);
  WindowRectLast = wr;
  WindowWidth = wr.right - wr.left;
  WindowHeight = wr.bottom - wr.top;
  const int w = WindowWidth, h = WindowHeight;
  if (WindowState != 2) {
    PaintBorderPart(kPartLeft, RECT{0, 0, LeftWidth, h}, dc);
    PaintBorderPart(kPartRight, RECT{w - RightWidth, 0, w, h}, dc);
    PaintBorderPart(kPartBottom, RECT{LeftWidth, h - BottomHeight, w - RightWidth, h}, dc);
    PaintCaption(dc);
    if (MenuBarHeight > 0) {
      RECT bar{LeftWidth, CaptionHeight, w - RightWidth, CaptionHeight + MenuBarHeight};
      if (MenuBar) MenuBar->Paint(dc, bar);
      else if (SkinData->FaceBrush) FillRect(dc, &bar, SkinData->FaceBrush);
    }
  } else {
    PaintCaption(dc);
  }
  if (!given) ReleaseDC(Window, dc);
  HotElement = nullptr;
}

void TWinSkinForm::PaintBorderPart(int part, const RECT& r, HDC dc) {
  if (r.right < r.left || r.bottom < r.top) return;
  const TDataSkinBorder* b = Border(part);
  if (!b || b->Bitmap.Empty()) return;
  const int frame = b->Frames() == 1 ? 1 : (Active ? 1 : 2);
  const bool stacked = part == kPartTop || part == kPartBottom;
  auto scaled = NinePartScale(SIZE{r.right - r.left, r.bottom - r.top}, const_cast<TBitmap&>(b->Bitmap), b->Margins(),
                              stacked, b->Tile != 1, b->Frames(), frame);
  if (scaled->Empty()) return;
  BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, scaled->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TWinSkinForm::PaintCaption(HDC dc) {
  const int w = WindowWidth;
  const RECT title{0, 0, w, CaptionHeight};
  if (WindowState == 2) {
    CaptionBuffer.SetSize(w, WindowHeight);
    CaptionBuffer.Dib().Fill(ColorToRGB(SkinData->Colors.ButtonFace));
    PaintBorderPart(kPartTop, RECT{0, 0, w, CaptionHeight}, CaptionBuffer.Canvas().Handle());
  } else {
    CaptionBuffer.SetSize(w, CaptionHeight);
    BitBlt(CaptionBuffer.Canvas().Handle(), 0, 0, w, CaptionHeight, dc, 0, 0, SRCCOPY);
    PaintBorderPart(kPartTop, RECT{LeftWidth, 0, w - RightWidth, CaptionHeight}, CaptionBuffer.Canvas().Handle());
  }
  TCanvas& canvas = CaptionBuffer.Canvas();
  PaintCaptionText(canvas, title);
  LayoutButtons();
  PaintButtons(canvas);
  BitBlt(dc, 0, 0, CaptionBuffer.Width(), CaptionBuffer.Height(), canvas.Handle(), 0, 0, SRCCOPY);
}

std::u16string TWinSkinForm::CaptionText() const { return u" " + GetWindowTextString(Window) + u"  "; }

void TWinSkinForm::PaintCaptionText(TCanvas& canvas, const RECT& r) {
  const TDataSkinTitle& t = *SkinData->Title;
  std::u16string text = CaptionText();
  int reserve = 0;
  for (size_t i = 0; i < CaptionButtons.size(); ++i) {
    const TDataSkinSysButton& e = *CaptionButtons[i]->Element;
    if (e.Align == 1 && !e.Bitmap.Empty() && ButtonVisible(i)) reserve = std::max(reserve, e.Xcoord);
  }
  ButtonReserve = reserve;
  HDC dc = canvas.Handle();
  HGDIOBJ oldFont = SelectObject(dc, CaptionFont.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(Active ? SkinData->Colors.TitleTextActive : SkinData->Colors.TitleTextNoActive));
  RECT tr = r;
  DrawTextW(dc, text.c_str(), int(text.size()), &tr, DT_CALCRECT | DT_NOCLIP);
  tr.right += t.TXTBackleft + t.TXTBackRight;
  const int rw = r.right - r.left, trw = tr.right - tr.left;
  int x = 0;
  if (!RightToLeft) {
    x = t.TextAlignment == 0 ? t.LeftWidth : t.TextAlignment == 1 ? (rw - trw) / 2
                                         : t.TextAlignment == 2 ? rw - t.RightWidth - trw : 0;
  } else {
    x = t.TextAlignment == 0 ? rw - reserve - trw : t.TextAlignment == 1 ? (rw - trw - reserve) / 2
                                                  : t.TextAlignment == 2 ? t.LeftWidth : 0;
  }
  const int y = (r.bottom - r.top - (tr.bottom - tr.top)) / 2 + t.TopHeight / 2;
  OffsetRect(tr, x, y);
  if (RightToLeft && x <= 0) OffsetRect(tr, t.LeftWidth - tr.left, 0);
  const bool popup = (GetWindowLongPtrW(Window, GWL_STYLE) & WS_POPUP) != 0;
  if (RightToLeft) {
    OffsetRect(tr, 10, 0);
  } else if (!popup) {
    tr.right = std::min<int>(tr.right, r.right - t.RightWidth);
  } else if (reserve >= 6) {
    tr.right = std::min<int>(tr.right, r.right - reserve - 5);
  }
  if (BorderKind == 3 && t.TextAlignment == 0) tr.left -= 16;
  CaptionTextRect = tr;
  if (!t.Bitmap.Empty()) {
    TSkinMargins ends{t.TXTBackleft, 0, t.TXTBackRight, 0};
    DrawHorzBar(canvas, TRect{tr.left, r.top, tr.right, r.bottom}, const_cast<TBitmap&>(t.Bitmap), true, true, 2,
                Active ? 1 : 2, ends);
  }
  tr.left += t.TXTBackleft;
  tr.right -= t.TXTBackRight;
  UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (RightToLeft) format |= DT_RIGHT | DT_RTLREADING;
  DrawTextW(dc, text.c_str(), int(text.size()), &tr, format);
  SelectObject(dc, oldFont);
}

void TWinSkinForm::LayoutButtons() {
  for (size_t i = 0; i < CaptionButtons.size(); ++i) {
    TWinSysButton& b = *CaptionButtons[i];
    b.Visible = ButtonVisible(i);
    const TDataSkinSysButton& e = *b.Element;
    if (!b.Visible || e.Bitmap.Empty()) continue;
    const int bw = e.Bitmap.Width() / e.Frames(), bh = e.Bitmap.Height();
    int left = 0, top = e.Ycoord;
    switch (e.Align) {
      case 0: left = e.Xcoord; break;
      case 1: left = WindowWidth - e.Xcoord; break;
      case 2: case 8: left = CaptionTextRect.left - bw - e.Xcoord; break;
      case 3: case 9: left = CaptionTextRect.right + e.Xcoord; break;
      case 100: {
        left = WindowWidth - e.Xcoord - RightWidth;
        if (SkinData->MenuBar) left -= SkinData->MenuBar->LeftWidth;
        top = CaptionHeight + (MenuBarHeight - bh) / 2;
        break;
      }
      default: top = 0; break;
    }
    b.Rect = RECT{left, top, left + bw, top + bh};
  }
}

void TWinSkinForm::PaintButtons(TCanvas& canvas) {
  for (auto& b : CaptionButtons) {
    const TDataSkinSysButton& e = *b->Element;
    if (!b->Visible || e.Bitmap.Empty() || e.Visibility == 100) continue;
    const RECT& r = b->Rect;
    if (e.Action == 3 || e.Action == 11) {
      DrawIcon(canvas.Handle(), r);
      continue;
    }
    const int frame = ButtonFrame(e, (!Active || !b->Enabled) ? 4 : 1);
    DrawSkinFrame(canvas.Handle(), TRect{r.left, r.top, r.right, r.bottom}, const_cast<TBitmap&>(e.Bitmap), true,
                  e.Frames(), frame);
  }
}

void TWinSkinForm::DrawIcon(HDC dc, const RECT& r) {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_BIG, 0));
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  if (icon) {
    if (HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE))) {
      DrawIconEx(dc, r.left, r.top, copy, cx, cy, 0, nullptr, DI_NORMAL);
      DestroyIcon(copy);
      return;
    }
  }
  if (!IconBitmap.Empty())
    TransparentCopy(dc, TRect{r.left, r.top, r.left + IconBitmap.Width(), r.top + IconBitmap.Height()}, IconBitmap,
                    kSkinKeyColor);
}

void TWinSkinForm::PaintSysButton(TWinSysButton& button, int state) {
  const TDataSkinSysButton& e = *button.Element;
  if (e.Bitmap.Empty()) return;
  int frame = state;
  if (!button.Enabled) frame = e.Frames() >= 4 ? 4 : 1;
  if (e.Visibility == 100 && state == 3) frame = 4;
  frame = std::clamp(frame, 1, e.Frames());
  HDC dc = GetWindowDC(Window);
  if (!dc) return;
  const RECT& r = button.Rect;
  if (e.Action == 3 || e.Action == 11) {
    DrawIcon(dc, r);
  } else {
    DrawSkinFrame(dc, TRect{r.left, r.top, r.right, r.bottom}, const_cast<TBitmap&>(e.Bitmap), true, e.Frames(),
                  frame);
  }
  ReleaseDC(Window, dc);
}

bool TWinSkinForm::ButtonVisible(size_t index) {
  TWinSysButton& b = *CaptionButtons[index];
  const TDataSkinSysButton& e = *b.Element;
  const bool maxBox = BorderIcons & 1, minBox = BorderIcons & 2, help = BorderIcons & 4, sysMenu = BorderIcons & 8;
  auto test = [&](int code, bool first) -> bool {
    switch (code) {
      case -1: return false;
      case 0: return true;
      case 1: return WindowState == 1;
      case 2: return WindowState != 1;
      case 3: return Active;
      case 4: return !Active;
      case 5: return false;
      case 6: case 8: return first ? ((minBox || maxBox) && sysMenu) : (minBox || maxBox);
      case 7: return !maxBox;
      case 9: return !minBox;
      case 10: return first ? (help && !minBox && !maxBox) : help;
      case 100: return FormKind == 1 && MenuBar && ActiveChildMaximized();
      case 200: return !DialogClass && BorderKind == 3;
      default:
        if (code >= 201 && code <= 999) return true;
        if (code >= 1000 && code <= 2000)
          return !first || SendMessageW(Window, CM_SKINBUTTONVISIBLE, WPARAM(code), LPARAM(e.Action)) > 0;
        return false;
    }
  };
  bool visible = test(e.Visibility, true) && test(e.Visibility1, false);
  b.Enabled = true;
  switch (e.Action) {
    case 0: if (!sysMenu) visible = false; break;
    case 1: b.Enabled = maxBox && sysMenu; break;
    case 2: b.Enabled = minBox && sysMenu; break;
    case 3: case 11: case 12: if (BorderKind == 3) visible = false; break;
    default: break;
  }
  b.Visible = visible;
  return visible;
}
