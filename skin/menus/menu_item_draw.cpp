#include "skin/menus/menu_item_draw.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/image_list.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/menu_marks.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

constexpr int kFrames = 5;
constexpr int kFrameNormal = 1, kFrameSeparator = 2, kFrameSelected = 4;

const TDataSkinObject* ItemElement(const TSkinData* sd) {
  return sd && sd->MenuItem && !sd->MenuItem->Bitmap.Empty() ? sd->MenuItem.get() : nullptr;
}

int LeftMargin(const TSkinData* sd) {
  const TDataSkinObject* e = ItemElement(sd);
  return e ? e->LeftWidth : 0;
}

COLORREF TextColour(const TSkinData& sd, const TMenuItem& item, bool selected) {
  if (item.Enabled()) return ColorToRGB(selected ? sd.Colors.HilightText : sd.Colors.MenuText);
  if (ColorToRGB(sd.Colors.ButtonShadow) == ColorToRGB(sd.Colors.MenuText)) return GetSysColor(COLOR_BTNSHADOW);
  return ColorToRGB(sd.Colors.ButtonShadow);
}

// A checked item with an image sits in a sunken box on a half-tone of light and face.
void CheckedImageBox(HDC dc, RECT box) {
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) SetPixelV(dc, x, y, ((x + y) & 1) ? face : light);
  DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
}

bool RightToLeftParent(const TMenuItem& item) {
  const TMenu* menu = item.GetParentMenu();
  return menu && menu->IsRightToLeft();
}

// The glyph column and the texts of an item, in the rectangle r of the canvas. An item of a
// right-to-left menu is the mirror image: the glyph at the right, the text right-aligned, the
// keys at the left.
void GlyphAndText(const TMenuItemLook& look, TMenuItem& item, TCanvas& canvas, bool selected, const RECT& r) {
  TSkinData& sd = *look.SkinData;
  HDC dc = canvas.Handle();
  const int height = r.bottom - r.top;
  const bool rtl = RightToLeftParent(item);
  auto mirror = [&](const RECT& a) { return rtl ? RECT{r.left + r.right - a.right, a.top, r.left + r.right - a.left, a.bottom} : a; };
  TCustomImageList* images = item.GetImageList();
  if (!images) images = look.BarImages;
  int glyph = images ? images->Width() : 16;
  if (item.Checked()) glyph = std::max(glyph, 16);
  const RECT box =
      mirror(RECT{r.left + 1 + LeftMargin(&sd), r.top + 1, r.left + 1 + LeftMargin(&sd) + glyph, r.top + 1 + glyph});
  const COLORREF ink = TextColour(sd, item, selected);
  if (images && item.ImageIndex() >= 0 && item.ImageIndex() < images->Count()) {
    if (item.Checked()) CheckedImageBox(dc, box);
    images->Draw(canvas, box.left + (glyph - images->Width()) / 2, r.top + (height - images->Height()) / 2,
                 item.ImageIndex(), item.Enabled());
  } else if (item.Checked()) {
    // The skin shows the one check mark for every checked item, radio items too.
    DrawMenuCheck(dc, box, ink);
  }
  TMenuText& texts = look.Manager->MenuTexts;
  const bool bold = item.Default();
  HGDIOBJ oldFont = SelectObject(dc, texts.Font(bold));
  SetTextColor(dc, ink);
  SetBkMode(dc, TRANSPARENT);
  const std::u16string caption = Utf8ToWide(item.Caption());
  const SIZE extent = texts.Extent(caption, bold);
  const int top = r.top + (height - extent.cy) / 2;
  const int glyphRight = rtl ? r.left + r.right - box.left : box.right;
  RECT textRect = mirror(RECT{glyphRight + 3, top, r.right - 1, top + extent.cy});
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
            DT_SINGLELINE | DT_EXPANDTABS | (rtl ? DT_RIGHT | DT_RTLREADING : 0));
  if (item.ShortCut() != 0) {
    const std::u16string keys = Utf8ToWide(ShortCutToText(item.ShortCut()));
    RECT keyRect = mirror(RECT{glyphRight + 3, top, r.right - 11, top + extent.cy});
    DrawTextW(dc, keys.c_str(), static_cast<int>(keys.size()), &keyRect, DT_SINGLELINE | (rtl ? DT_LEFT : DT_RIGHT));
  }
  SelectObject(dc, oldFont);
}

void PlainDraw(const TMenuItemLook& look, TMenuItem& item, TCanvas& canvas, const TRect& r, bool selected) {
  TSkinData& sd = *look.SkinData;
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(r.Width(), r.Height());
  HDC dc = b.Canvas().Handle();
  const RECT local{0, 0, r.Width(), r.Height()};
  b.Dib().Fill(ColorToRGB(selected && !item.IsLine() ? sd.Colors.Hilight : sd.Colors.Menu));
  if (item.IsLine()) {
    RECT line{0, 4, local.right, local.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  } else {
    GlyphAndText(look, item, b.Canvas(), selected, local);
  }
  BitBlt(canvas.Handle(), r.left, r.top, r.Width(), r.Height(), dc, 0, 0, SRCCOPY);
}

// The popup's background under the item, or the Menu colour.
void ItemBackground(const TMenuItemLook& look, TBitmap& b, const TRect& r) {
  b.Dib().Fill(ColorToRGB(look.SkinData->Colors.Menu));
  TWinSkinPopMenu* popup = look.Manager->FindPopupByOwnerKey(look.OwnerKey);
  if (!popup || popup->Background.Empty()) return;
  RECT wr{};
  GetWindowRect(popup->Window, &wr);
  POINT origin{0, 0};
  ClientToScreen(popup->Window, &origin);
  const int x = r.left + origin.x - wr.left, y = r.top + origin.y - wr.top;
  BitBlt(b.Canvas().Handle(), 0, 0, r.Width(), r.Height(), popup->Background.Canvas().Handle(), x, y, SRCCOPY);
}

// The separator: the bottom rows of the element's second frame as left end, stretched middle
// and right end, without its magenta pixels.
void DrawSeparator(const TDataSkinObject& e, HDC dc, const TRect& r) {
  TBitmap& picture = const_cast<TBitmap&>(e.Bitmap);
  const TRect frame = SkinFrameRect(picture, false, kFrames, kFrameSeparator);
  const int rows = std::min(frame.Height(), r.Height());
  if (rows <= 0 || frame.Width() <= 0) return;
  TBitmap piece;
  piece.SetPixelFormat(pf24bit);
  piece.SetSize(frame.Width(), rows);
  BitBlt(piece.Canvas().Handle(), 0, 0, frame.Width(), rows, picture.Canvas().Handle(), frame.left,
         frame.bottom - rows, SRCCOPY);
  TBitmap line;
  line.SetPixelFormat(pf24bit);
  line.SetSize(r.Width(), rows);
  line.Dib().Fill(ColorToRGB(kSkinKeyColor));
  DrawThreePart(line.Canvas().Handle(), TRect{0, 0, r.Width(), rows}, piece, false, 1, 1,
                TSkinMargins{e.LeftWidth, 0, e.RightWidth, 0});
  TransparentCopy(dc, TRect{r.left, r.top, r.right, r.top + rows}, line, kSkinKeyColor);
}

}  // namespace

void DrawSkinMenuItem(const TMenuItemLook& look, TMenuItem& item, TCanvas& canvas, const TRect& r, bool selected) {
  if (!look.SkinData || !look.Manager || r.IsEmpty()) return;
  look.Manager->RepaintPopups();
  look.Manager->SetPopupOwnerKey(look.OwnerKey);
  const TDataSkinObject* e = ItemElement(look.SkinData);
  if (!e) {
    PlainDraw(look, item, canvas, r, selected);
    return;
  }
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(r.Width(), r.Height());
  ItemBackground(look, b, r);
  HDC dst = canvas.Handle();
  if (item.IsLine()) {
    BitBlt(dst, r.left, r.top, r.Width(), r.Height(), b.Canvas().Handle(), 0, 0, SRCCOPY);
    DrawSeparator(*e, dst, r);
    return;
  }
  DrawSkinElement(b.Canvas().Handle(), TRect{0, 0, r.Width(), r.Height()}, const_cast<TBitmap&>(e->Bitmap), false,
                  e->Tile != 0, e->Trans != 0, kFrames, selected ? kFrameSelected : kFrameNormal, e->Margins());
  GlyphAndText(look, item, b.Canvas(), selected, RECT{0, 0, r.Width(), r.Height()});
  BitBlt(dst, r.left, r.top, r.Width(), r.Height(), b.Canvas().Handle(), 0, 0, SRCCOPY);
}

void SystemMeasureMenuItem(TSkinData* skinData, TMenuItem& item, TCanvas& canvas, int& width, int& height) {
  item.DefaultMeasure(canvas, width, height);
  width += LeftMargin(skinData) + (item.GetImageList() ? 10 : 35);
}

void TSkinMenuItemDraw::operator()(TObject* sender, TCanvas* canvas, TRect rect, bool selected) const {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item || !canvas) return;
  TMenuItemLook look;
  look.SkinData = SkinData;
  look.Manager = SkinManage();
  look.BarImages = BarMenu ? BarMenu->Images() : nullptr;
  look.OwnerKey = item->Parent() ? reinterpret_cast<ULONG_PTR>(item->Parent()->Handle()) : 0;
  DrawSkinMenuItem(look, *item, *canvas, rect, selected);
}

void TSkinMenuItemMeasure::operator()(TObject* sender, TCanvas*, int& width, int&) const {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item) return;
  // The item's own size is already in width and height.
  width += LeftMargin(SkinData) + (item->GetImageList() ? (System ? 10 : 12) : 35);
}

namespace {

template <typename F>
void ForEachItem(TMenuItem& parent, int depth, F&& f) {
  for (int i = 0; i < parent.Count(); ++i) {
    TMenuItem* item = parent.Items(i);
    f(*item, depth);
    ForEachItem(*item, depth + 1, f);
  }
}

bool SkinDraws(const TMenuItem& item) { return item.OnDrawItem.target<TSkinMenuItemDraw>() != nullptr; }
bool SkinMeasures(const TMenuItem& item) { return item.OnMeasureItem.target<TSkinMenuItemMeasure>() != nullptr; }

void TakeSkinHandlers(TMenuItem& item) {
  if (SkinDraws(item)) {
    TMenuDrawItemEvent replaced = item.OnDrawItem.target<TSkinMenuItemDraw>()->Replaced;
    item.OnDrawItem = std::move(replaced);
  }
  if (SkinMeasures(item)) item.OnMeasureItem = nullptr;
}

}  // namespace

void SetMainMenuOwnerDraw(TSkinData* skinData, TMenu& menu, bool on) {
  menu.SetOwnerDraw(on);
  ForEachItem(*menu.Items(), 1, [&](TMenuItem& item, int depth) {
    if (!on) {
      TakeSkinHandlers(item);
      return;
    }
    if (depth < 2 || (item.OnDrawItem && !SkinDraws(item))) return;
    item.OnDrawItem = TSkinMenuItemDraw{skinData, &menu, nullptr};
    item.OnMeasureItem = TSkinMenuItemMeasure{skinData, true};
  });
}

void SetPopupMenuOwnerDraw(TSkinData* skinData, TMenu& menu, TMenu* barMenu, bool on) {
  menu.SetOwnerDraw(on);
  ForEachItem(*menu.Items(), 1, [&](TMenuItem& item, int) {
    if (!on) {
      TakeSkinHandlers(item);
      return;
    }
    if (SkinDraws(item)) return;
    item.OnDrawItem = TSkinMenuItemDraw{skinData, barMenu, item.OnDrawItem};
    if (!item.OnMeasureItem) item.OnMeasureItem = TSkinMenuItemMeasure{skinData, false};
  });
}

void SetFormPopupMenusOwnerDraw(TSkinData* skinData, TCustomForm& form, TMenu* barMenu, bool on) {
  if (!skinData || !InSkinControls(skinData->SkinControls(), xcPopupMenu)) return;
  auto walk = [&](TComponent& owner) {
    for (int i = 0; i < owner.ComponentCount(); ++i) {
      auto* popup = dynamic_cast<TPopupMenu*>(owner.Components(i));
      if (popup && popup->Tag() != skinData->DisableTag()) SetPopupMenuOwnerDraw(skinData, *popup, barMenu, on);
    }
  };
  walk(form);
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* inner = dynamic_cast<TCustomForm*>(form.Components(i));
    if (inner && inner->ClassName() != "TwwRichEditForm") walk(*inner);
  }
}
