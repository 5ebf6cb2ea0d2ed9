#include "skin/menus/win_skin_menu.h"

#include <algorithm>

#include "platform/gdi/blit.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/menus.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

// Where the first button starts: after the bar element's left end (its right end for a
// right-to-left bar), or 6 without the element.
int FirstButtonX(const TSkinData& sd, bool rightToLeft, int barWidth) {
  if (!sd.MenuBar || sd.MenuBar->Bitmap.Empty()) return 6;
  const int x = rightToLeft ? sd.MenuBar->RightWidth + 8 : sd.MenuBar->LeftWidth + 4;
  return x > barWidth ? 12 : x;
}

// The maximised MDI child's buttons the wrapper shows on the bar.
bool IsBarButton(const TWinSysButton& b) {
  return b.Visible && b.Element->Visibility == 100 && !b.Element->Bitmap.Empty();
}

}  // namespace

TWinSkinMenu::TWinSkinMenu(TWinSkinForm* wrapper, TSkinData* skinData)
    : TComponent(nullptr), SkinData(skinData), Wrapper(wrapper) {
  Background.SetPixelFormat(pf24bit);
}

TWinSkinMenu::~TWinSkinMenu() {
  DropButtons();
  SetMainMenu(nullptr);
}

void TWinSkinMenu::SetMainMenu(TMainMenu* menu) {
  if (MainMenu == menu) return;
  if (MainMenu) MainMenu->RemoveFreeNotification(this);
  MainMenu = menu;
  if (MainMenu) MainMenu->FreeNotification(this);
}

void TWinSkinMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || component != MainMenu) return;
  // The items go with their menu: the buttons forget them.
  MainMenu = nullptr;
  for (auto& b : Buttons) b->Item = nullptr;
}

void TWinSkinMenu::DropButtons() {
  for (auto& b : Buttons)
    if (Wrapper->HotElement == b.get()) Wrapper->HotElement = nullptr;
  Buttons.clear();
}

void TWinSkinMenu::BuildMenuBar() {
  if (HMENU current = GetMenu(Wrapper->Window)) WindowMenu = current;
  Build(false);
}

void TWinSkinMenu::RebuildFromFrameMenu(HMENU menu) {
  if (menu) WindowMenu = menu;
  Build(true);
  const int w = Wrapper->WindowWidth > 0 ? Wrapper->WindowWidth : 0;
  Layout(RECT{Wrapper->LeftWidth, Wrapper->CaptionHeight, w - Wrapper->RightWidth,
              Wrapper->CaptionHeight + Wrapper->MenuBarHeight},
         nullptr);
}

// keepWindowText: the window menu's texts stand; its items are looked up in the main menu only
// for buttons without text.
void TWinSkinMenu::Build(bool keepWindowText) {
  if (!WindowMenu || !IsMenu(WindowMenu)) return;
  if (Wrapper->Form && !MainMenu) return;
  DropButtons();
  const int count = GetMenuItemCount(WindowMenu);
  for (int pos = 0; pos < count; ++pos) {
    char text[81] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
    info.dwTypeData = text;
    info.cch = 80;
    if (!GetMenuItemInfoA(WindowMenu, UINT(pos), TRUE, &info)) continue;
    auto b = std::make_unique<TMenuBtn>(Wrapper, this);
    b->Index = int(Buttons.size());
    b->SubMenu = info.hSubMenu;
    b->Enabled = (info.fState & (MFS_GRAYED | MFS_DISABLED)) == 0;
    b->Visible = true;
    b->Command = info.wID;
    b->Caption = Utf8ToWide(text);
    TMenuItem* item = MainMenu && (!keepWindowText || b->Caption.empty()) ? MainMenu->FindItem(info.wID) : nullptr;
    if (item) {
      b->Caption = Utf8ToWide(item->Caption());
      b->Enabled = item->Enabled();
      b->Command = item->Command();
      b->Item = item;
      b->SubMenu = item->Count() > 0 ? item->Handle() : nullptr;
    }
    Buttons.push_back(std::move(b));
  }
  SetMenu(Wrapper->Window, nullptr);
}

bool TWinSkinMenu::RightToLeft() const {
  if (MainMenu) return MainMenu->IsRightToLeft();
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  return WindowMenu && GetMenuItemInfoW(WindowMenu, 0, TRUE, &info) && (info.fType & MFT_RIGHTORDER);
}

// The buttons' rectangles in a bar of the window (window coordinates); with a DC of the bar's
// picture their captions are drawn into it too. A right-to-left bar runs from its right end,
// and in an MDI frame whose active child is maximised it keeps left of that child's buttons.
void TWinSkinMenu::Layout(const RECT& bar, HDC picture) {
  const int w = bar.right - bar.left, h = bar.bottom - bar.top;
  const bool rtl = RightToLeft();
  const int start = FirstButtonX(*SkinData, rtl, w);
  int x = rtl ? w - start : start;
  if (rtl && Wrapper->FormKind == 1 && Wrapper->ActiveChildMaximized())
    for (const auto& b : Wrapper->CaptionButtons)
      if (IsBarButton(*b)) x = std::min<int>(x, b->Rect.left - bar.left - 5);
  TMenuText& texts = Wrapper->Manager->MenuTexts;
  for (auto& b : Buttons) {
    if (!b->Visible) {
      b->Rect = RECT{0, 0, 0, 0};
      continue;
    }
    const int measured = b->Caption.empty() ? 0 : texts.Extent(b->Caption, false).cx;
    b->TextWidth = measured ? measured + 10 : 0;
    const RECT local = rtl ? RECT{x - b->TextWidth, 0, x, h - 1} : RECT{x, 0, x + b->TextWidth, h - 1};
    b->Rect = RECT{bar.left + local.left, bar.top, bar.left + local.right, bar.top + h - 1};
    if (picture) DrawCaption(picture, *b, local);
    x += rtl ? -b->TextWidth : b->TextWidth;
  }
}

void TWinSkinMenu::DrawCaption(HDC dc, const TMenuBtn& button, const RECT& r) {
  HGDIOBJ old = SelectObject(dc, Wrapper->Manager->MenuTexts.Font(false));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, button.Enabled ? ColorToRGB(SkinData->Colors.MenuBarText) : GetSysColor(COLOR_BTNSHADOW));
  RECT box = r;
  DrawTextW(dc, button.Caption.c_str(), int(button.Caption.size()), &box,
            DT_SINGLELINE | DT_EXPANDTABS | DT_CENTER | DT_VCENTER);
  SelectObject(dc, old);
}

void TWinSkinMenu::Paint(HDC dc, const RECT& bar) {
  const int w = bar.right - bar.left, h = bar.bottom - bar.top;
  if (w <= 0 || h <= 0) return;
  Painting = true;
  TBitmap& scratch = SkinScratchBitmap();
  scratch.SetPixelFormat(pf24bit);
  scratch.SetSize(w, h);
  HDC sdc = scratch.Canvas().Handle();
  const TDataSkinObject* e = SkinData->MenuBar && !SkinData->MenuBar->Bitmap.Empty() ? SkinData->MenuBar.get() : nullptr;
  if (e) {
    TBitmap& picture = SkinData->MenuBar->Bitmap;
    const int frame = Wrapper->Active ? 1 : 2;
    if (e->Tile) {
      DrawSkinElement(sdc, TRect{0, 0, w, h}, picture, true, false, false, 2, frame, e->Margins());
    } else {
      DrawHorzBar(scratch.Canvas(), TRect{0, 0, w, h}, picture, true, false, 2, frame, e->Margins());
    }
  } else {
    scratch.Dib().Fill(ColorToRGB(SkinData->Colors.Menubar));
  }
  BarRect = bar;
  Background.Assign(scratch);
  Layout(bar, sdc);
  if (Wrapper->FormKind == 1 && Wrapper->ActiveChildMaximized()) {
    for (const auto& b : Wrapper->CaptionButtons) {
      if (!IsBarButton(*b)) continue;
      const RECT& r = b->Rect;
      DrawSkinFrame(sdc, TRect{r.left - bar.left, r.top - bar.top, r.right - bar.left, r.bottom - bar.top},
                    b->Element->Bitmap, true, b->Element->Frames(), 1);
    }
    if (!Wrapper->Manager->MDIMaximized) Wrapper->Manager->SetMDIMaximized(true);
  }
  BitBlt(dc, bar.left, bar.top, w, h, sdc, 0, 0, SRCCOPY);
  Painting = false;
}

TMenuBtn* TWinSkinMenu::FindButton(POINT p) const {
  for (const auto& b : Buttons)
    if (!b->Caption.empty() && p.x >= b->Rect.left && p.x < b->Rect.right && p.y >= b->Rect.top &&
        p.y < b->Rect.bottom)
      return b.get();
  return nullptr;
}

TMenuBtn* TWinSkinMenu::FindAccelButton(char16_t key) const {
  for (const auto& b : Buttons)
    if (b->Visible && b->Enabled && IsAccel(key, b->Caption)) return b.get();
  return nullptr;
}

void TMenuBtn::Paint() {
  HWND window = Owner->Window;
  if (Bar->Background.Empty() || Rect.right <= Rect.left) return;
  HDC dc = GetWindowDC(window);
  if (!dc) return;
  const RECT& bar = Bar->BarRect;
  // The button's column of the bar comes back from the bar's picture first.
  BitBlt(dc, Rect.left, bar.top, Rect.right - Rect.left, bar.bottom - bar.top, Bar->Background.Canvas().Handle(),
         Rect.left - bar.left, 0, SRCCOPY);
  if (State == 2 || State == 3) {
    HBRUSH frame = CreateSolidBrush(ColorToRGB(Bar->SkinData->Colors.ButtonHilight));
    FrameRect(dc, &Rect, frame);
    DeleteObject(frame);
  }
  Bar->DrawCaption(dc, *this, Rect);
  ReleaseDC(window, dc);
}
