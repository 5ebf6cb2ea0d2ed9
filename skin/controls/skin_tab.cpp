#include "skin/controls/skin_tab.h"

#include <algorithm>

#include "platform/forms/rtti.h"
#include "platform/forms/win/common_controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/region.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/controls/skin_icon_text.h"
#include "skin/forms/skin_draw.h"
#include "skin/img_util.h"
#include "skin/skin_data.h"
#include "skin/skin_services.h"

namespace {

constexpr uint8_t kTop = 0, kBottom = 1, kLeft = 2, kRight = 3;
constexpr int kTabTextMax = 80;

// An up-down child of a window ("msctls_updown32"), or null.
HWND UpDownChild(HWND parent) { return parent ? FindWindowExW(parent, nullptr, u"msctls_updown32", nullptr) : nullptr; }

TColor TabTextColour(const TDataSkinObject& e, int frame) { return frame == 2 ? e.PressedColour2 : e.NormalColour2; }

// The window's font selected into the DC; the font it replaced.
HGDIOBJ SelectWindowFont(HDC dc, HWND window, TControl* control) {
  HFONT font = control ? control->Font()->Handle() : HFONT(SendMessageW(window, WM_GETFONT, 0, 0));
  return font ? SelectObject(dc, font) : nullptr;
}

}  // namespace

uint8_t TabPositionOfStyle(LONG_PTR style) {
  const bool bottom = (style & TCS_BOTTOM) != 0, vertical = (style & TCS_VERTICAL) != 0;
  if (vertical) return bottom ? kRight : kLeft;
  return bottom ? kBottom : kTop;
}

RECT TabInStrip(RECT r, uint8_t position, int stripTop, int stripWidth, int right) {
  switch (position) {
    case kTop: OffsetRect(r, 0, 1); return r;
    case kBottom: OffsetRect(r, 0, -(stripTop + 1)); return r;
    // The strip is composed lying down: turned clockwise for left tabs, counter-clockwise for
    // right ones, so that turning it back puts every tab over its own hit area.
    case kLeft: return RECT{stripWidth - r.bottom, r.left, stripWidth - r.top, r.right};
    default: return RECT{r.top, right - r.right, r.bottom, right - r.left};
  }
}

// ---- TSkinTab ----

void TSkinTab::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                             int attachData) {
  if (Attached) return;
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  AfterAttach();
}

void TSkinTab::AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  if (Attached) return;
  TSkinControl::AttachWindow(handle, skinData, formSkin, attachData);
  IsFocused = GetFocus() == Handle;
  AfterAttach();
}

void TSkinTab::AfterAttach() {
  IsEnabled = !(Style() & WS_DISABLED);
  PrepareImages();
  SkinUpDownChild();
  Active = true;
  IsUnicode = Handle && IsWindowUnicode(Handle);
}

void TSkinTab::SkinUpDownChild() {
  if (UpDownSkin) return;
  HWND child = UpDownChild(Handle);
  if (!child) return;
  UpDownSkin = std::make_unique<TSkinUpDown>();
  UpDownSkin->Embedded = true;
  UpDownSkin->AttachWindow(child, SkinData, FormSkin, AttachData);
}

void TSkinTab::ApplyColor() {
  TSkinControl::ApplyColor();
  PrepareImages();
}

bool TSkinTab::HasTabImage() const { return SkinData && SkinData->Tabs && !SkinData->Tabs->Bitmap.Empty(); }

void TSkinTab::PrepareImages() {
  TabPosition = TabPositionOfStyle(Style());
  const TDataSkinBorder* tabs = SkinData ? SkinData->Tabs.get() : nullptr;
  TabImage.Assign(TBitmap());
  PaneImage.Assign(TBitmap());
  if (!tabs) return;
  if (!tabs->Bitmap.Empty()) CopyBitmap(tabs->Bitmap, TabImage);
  if (tabs->Style == 0 && !tabs->Bitmap2.Empty())
    CopyBitmap(tabs->Bitmap2, PaneImage);
  else if (tabs->Style == 1 && SkinData->TabPane && !SkinData->TabPane->Bitmap.Empty())
    CopyBitmap(SkinData->TabPane->Bitmap, PaneImage);
  for (TBitmap* b : {&TabImage, &PaneImage})
    if (!b->Empty()) b->SetPixelFormat(pf24bit);
  if (TabPosition == kBottom) {
    if (!TabImage.Empty()) FlipBitmap(TabImage);
    if (!PaneImage.Empty()) FlipBitmap(PaneImage);
  } else if (TabPosition == kLeft && !PaneImage.Empty()) {
    RotateBitmapLeft(PaneImage);
  } else if (TabPosition == kRight && !PaneImage.Empty()) {
    RotateBitmapRight(PaneImage);
  }
}

bool TSkinTab::BeforeMessage(TMessage& message) {
  // Without tab pictures the control paints itself; the pane is drawn over it afterwards.
  if (message.Msg == WM_PAINT && HasTabImage()) {
    PaintMessage(message);
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinTab::PaintControl(HDC dc, const RECT& rect) {
  PrepareImages();
  // The control makes its arrows when its tabs first overflow, often after attaching.
  SkinUpDownChild();
  IsEnabled = !(Style() & WS_DISABLED);
  RECT client{};
  GetClientRect(Handle, &client);
  RECT display = client;
  SendMessageW(Handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  InflateRect(display, 4, 4);
  RECT strip = rect;
  switch (TabPosition) {
    case kTop: strip.bottom = display.top; break;
    case kBottom: display.bottom -= 1; strip.top = display.bottom; break;
    case kLeft: strip.right = display.left; break;
    default: display.right -= 1; strip.left = display.right; break;
  }
  if (HasTabImage() && strip.right > strip.left && strip.bottom > strip.top) {
    const int current = int(SendMessageW(Handle, TCM_GETCURFOCUS, 0, 0));
    const auto images = HIMAGELIST(SendMessageW(Handle, TCM_GETIMAGELIST, 0, 0));
    DrawStrip(dc, strip, current, images);
  }
  DrawPane(dc, display);
}

void TSkinTab::DrawStrip(HDC dc, const RECT& strip, int current, HIMAGELIST images) {
  const TDataSkinBorder& e = *SkinData->Tabs;
  const bool vertical = TabPosition == kLeft || TabPosition == kRight;
  const int sw = strip.right - strip.left, sh = strip.bottom - strip.top;
  Buffer.SetPixelFormat(pf24bit);
  Buffer.SetSize(vertical ? sh : sw, vertical ? sw : sh);
  HDC b = Buffer.Canvas().Handle();
  FillControlColor(b, RECT{0, 0, Buffer.Width(), Buffer.Height()});
  const HGDIOBJ oldFont = SelectWindowFont(b, Handle, Control);
  const int count = int(SendMessageW(Handle, TCM_GETITEMCOUNT, 0, 0));
  RECT window{};
  GetWindowRect(Handle, &window);
  TabRects.assign(size_t(std::max(count, 0)), RECT{});
  for (int i = 0; i < count; ++i) {
    char16_t text[kTabTextMax + 1] = {};
    TCITEMW item;
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
    item.pszText = text;
    item.cchTextMax = kTabTextMax;
    SendMessageW(Handle, TCM_GETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    RECT r{};
    if (!SendMessageW(Handle, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)) || r.right <= r.left) continue;
    r = TabInStrip(r, TabPosition, strip.top, Buffer.Width(), window.right - window.left);
    TabRects[size_t(i)] = r;
    const int frame = i == current ? 2 : 1;
    DrawSkinElement(b, r, TabImage, false, e.Tile == 1, e.Trans == 1, e.Frames(), frame, e.Margins());
    SetTextColor(b, ColorToRGB(TabTextColour(e, frame)));
    DrawIconAndText(b, r, text, images, item.iImage, taCenter, IsEnabled, TextFlags(0));
  }
  if (oldFont) SelectObject(b, oldFont);
  if (TabPosition == kLeft) RotateBitmapLeft(Buffer);
  if (TabPosition == kRight) RotateBitmapRight(Buffer);
  // The scroll arrows keep their own (skinned) look.
  const bool arrows = UpDownSkin && IsWindowVisible(UpDownSkin->Handle);
  if (arrows) {
    RECT a{};
    GetWindowRect(UpDownSkin->Handle, &a);
    OffsetRect(a, -window.left, -window.top);
    SaveDC(dc);
    ExcludeClipRect(dc, a.left, a.top, a.right, a.bottom);
  }
  BitBlt(dc, strip.left, strip.top, sw, sh, Buffer.Canvas().Handle(), 0, 0, SRCCOPY);
  if (arrows) RestoreDC(dc, -1);
}

void TSkinTab::DrawPane(HDC dc, const RECT& display) {
  if (PaneImage.Empty()) {
    // Nothing else paints the display area once the control's own paint is skipped.
    if (HasTabImage()) FillControlColor(dc, display);
    return;
  }
  const TDataSkinBorder& tabs = *SkinData->Tabs;
  const bool fromPane = tabs.Style == 1 && SkinData->TabPane;
  const TSkinMargins margins = fromPane ? SkinData->TabPane->Margins() : TSkinMargins{4, 5, 4, 4};
  const bool tile = fromPane ? SkinData->TabPane->Tile == 1 : tabs.Tile == 1;
  DrawSkinElement(dc, display, PaneImage, false, tile, false, 1, 1, margins);
}

// ---- TSkinTabBtn ----

bool TSkinTabBtn::Skinned() const { return SkinData && SkinData->Buttons && !SkinData->Buttons->Bitmap.Empty(); }

bool TSkinTabBtn::BeforeMessage(TMessage& message) {
  if (message.Msg == WM_PAINT && Skinned()) {
    PaintMessage(message);
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinTabBtn::PaintControl(HDC dc, const RECT& rect) {
  if (!Skinned()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const TDataSkinButton& e = *SkinData->Buttons;
  IsEnabled = !(Style() & WS_DISABLED);
  RECT display{};
  GetClientRect(Handle, &display);
  SendMessageW(Handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  buffer_.SetPixelFormat(pf24bit);
  buffer_.SetSize(w, h);
  HDC b = buffer_.Canvas().Handle();
  FillFace(b, RECT{0, 0, w, h});
  const HGDIOBJ oldFont = SelectWindowFont(b, Handle, Control);
  const int current = int(SendMessageW(Handle, TCM_GETCURFOCUS, 0, 0));
  const auto images = HIMAGELIST(SendMessageW(Handle, TCM_GETIMAGELIST, 0, 0));
  const int count = int(SendMessageW(Handle, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (!SendMessageW(Handle, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)) || r.right <= r.left) continue;
    char16_t text[kTabTextMax + 1] = {};
    TCITEMW item;
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.cchTextMax = kTabTextMax;
    SendMessageW(Handle, TCM_GETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    const int frame = i == current ? 2 : 1;
    DrawSkinElement(b, r, const_cast<TBitmap&>(e.Bitmap), false, e.Tile == 1, e.Trans == 1, e.Frames(),
                    frame, e.Margins());
    TColor colour = SkinData->Colors.ButtonText;
    if (frame == 1 && e.HasNormalColour2) colour = e.NormalColour2;
    if (frame == 2 && e.HasPressedColour2) colour = e.PressedColour2;
    SetTextColor(b, ColorToRGB(colour));
    DrawIconAndText(b, r, text, images, item.iImage, taCenter, IsEnabled, TextFlags(0));
  }
  if (oldFont) SelectObject(b, oldFont);
  // The display area keeps what the pages show.
  SaveDC(dc);
  ExcludeClipRect(dc, display.left, display.top, display.right, display.bottom);
  BitBlt(dc, rect.left, rect.top, w, h, b, 0, 0, SRCCOPY);
  RestoreDC(dc, -1);
}

// ---- TSkinTabSheet ----

bool TSkinTabSheet::BeforeMessage(TMessage& message) {
  if (!TSkinControl::BeforeMessage(message)) return false;
  if (NoMouseForward) return true;
  switch (message.Msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintMessage(message);
      return false;
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(Handle, &r);
      FillRect(HDC(message.WParam), &r, SkinData->FaceBrush ? SkinData->FaceBrush : GetSysColorBrush(COLOR_BTNFACE));
      message.Result = 1;
      return false;
    }
    default: return true;
  }
}

// The face, then the page's controls without a window of their own over it (the page's own
// painting, which would draw them, is left out).
void TSkinTabSheet::PaintControl(HDC dc, const RECT& rect) {
  FillFace(dc, rect);
  auto* page = dynamic_cast<TWinControl*>(Control);
  if (!page) page = FindControlOfWindow(Handle);
  if (page) page->PaintControls(dc);
}

// ---- TSkinTab31 ----

void TSkinTab31::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                               int attachData) {
  auto* win = dynamic_cast<TWinControl*>(control);
  if (Attached || !win) return;
  Control = control;
  TSkinControl::AttachWindow(win->Handle(), skinData, formSkin, attachData);
  PrepareImages();
}

void TSkinTab31::ApplyColor() {
  TSkinControl::ApplyColor();
  PrepareImages();
}

void TSkinTab31::PrepareImages() {
  TabImage.Assign(TBitmap());
  if (!SkinData || !SkinData->Tabs || SkinData->Tabs->Bitmap.Empty()) return;
  CopyBitmap(SkinData->Tabs->Bitmap, TabImage);
  TabImage.SetPixelFormat(pf24bit);
  FlipBitmap(TabImage);
}

bool TSkinTab31::BeforeMessage(TMessage& message) {
  if (message.Msg == WM_PAINT && !TabImage.Empty()) {
    // Painted here, then the set's own paint runs too (it only validates), and the skin's
    // picture is drawn over it afterwards.
    PaintMessage(message);
    return TSkinControl::BeforeMessage(message);
  }
  if (message.Msg == WM_ERASEBKGND) {
    message.Result = 1;
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinTab31::PaintControl(HDC dc, const RECT& rect) {
  if (TabImage.Empty() || !Control) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const TDataSkinBorder& e = *SkinData->Tabs;
  buffer_.SetPixelFormat(pf24bit);
  buffer_.SetSize(w, h);
  HDC b = buffer_.Canvas().Handle();
  FillFace(b, RECT{0, 0, w, h});
  const HGDIOBJ oldFont = SelectObject(b, Control->Font()->Handle());
  TStrings* tabs = GetObjectPropAs<TStrings>(TObjectRef(Control), "Tabs");
  const int64_t selected = OrdProp("TabIndex");
  int x = 0;
  for (int i = 0; tabs && i < tabs->Count(); ++i) {
    const std::u16string text = Utf8ToWide(tabs->Get(i));
    SIZE size{};
    GetTextExtentPoint32W(b, text.data(), int(text.size()), &size);
    const RECT r{x, 0, x + size.cx + 9, h};
    const int frame = i == selected ? 2 : 1;
    DrawSkinElement(b, r, TabImage, false, e.Tile == 1, e.Trans == 1, e.Frames(), frame, e.Margins());
    SetTextColor(b, ColorToRGB(TabTextColour(e, frame)));
    SetBkMode(b, TRANSPARENT);
    RECT t = r;
    DrawTextW(b, text.data(), int(text.size()), &t, TextFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    x = r.right;
  }
  SelectObject(b, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, b, 0, 0, SRCCOPY);
}

// ---- TSkinAdvPage ----

void TSkinAdvPage::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                 int attachData) {
  if (Attached) return;
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  if (Mode == 4) HandOver();
}

void TSkinAdvPage::ApplyColor() {
  TSkinControl::ApplyColor();
  HandOver();
}

void TSkinAdvPage::RestoreColor() {
  const TObjectRef ref(Control);
  for (const char* name : {"TabBackGround", "TabBackGroundActive"})
    if (TBitmap* b = GetObjectPropAs<TBitmap>(ref, name)) b->Assign(TBitmap());
  TSkinControl::RestoreColor();
}

void TSkinAdvPage::HandOver() {
  if (!Control || !SkinData || !SkinData->Tabs || SkinData->Tabs->Bitmap.Empty()) return;
  TDataSkinBorder& e = *SkinData->Tabs;
  const TObjectRef ref(Control);
  const std::pair<const char*, int> targets[] = {{"TabBackGround", 1}, {"TabBackGroundActive", 2}};
  for (const auto& [name, frame] : targets) {
    TBitmap* target = GetObjectPropAs<TBitmap>(ref, name);
    if (!target) continue;
    TBitmap built;
    built.SetPixelFormat(pf24bit);
    built.SetSize(100, 21);
    DrawSkinElement(built.Canvas().Handle(), RECT{0, 0, 100, 21}, e.Bitmap, false, e.Tile == 1, false,
                    e.Frames(), frame, e.Margins());
    target->Assign(built);
  }
  if (!UpDownSkin && Handle)
    if (HWND child = UpDownChild(Handle)) {
      UpDownSkin = std::make_unique<TSkinUpDown>();
      UpDownSkin->Embedded = true;
      UpDownSkin->AttachWindow(child, SkinData, FormSkin, AttachData);
    }
}
