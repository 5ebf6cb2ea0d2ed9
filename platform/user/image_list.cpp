#include "platform/user/image_list.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/gdi_object.h"

namespace {

struct ImageList {
  int cx = 0, cy = 0;
  bool masked = false;
  COLORREF bk = CLR_NONE;
  // Each image: its colours (24-bit) and its mask (1 bit, set where transparent).
  std::vector<std::shared_ptr<GdiBitmap>> images, masks;
};

// The handle table of the image lists (the handle is the list's address).
std::map<HIMAGELIST, std::unique_ptr<ImageList>>& Lists() {
  static std::map<HIMAGELIST, std::unique_ptr<ImageList>> lists;
  return lists;
}

ImageList* Find(HIMAGELIST h) {
  auto it = Lists().find(h);
  return it == Lists().end() ? nullptr : it->second.get();
}

// Draws one of a pair of bitmaps (image or mask) through a memory DC.
template <class Fn>
void WithDC(const std::shared_ptr<GdiBitmap>& bitmap, Fn fn) {
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ handle = RegisterGdiObject(bitmap);
  HGDIOBJ old = SelectObject(mem, handle);
  fn(mem, static_cast<HBITMAP>(handle));
  SelectObject(mem, old);
  DeleteDC(mem);
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (cx <= 0 || cy <= 0 || int64_t(cx) * cy > kMaxBitmapPixels) return nullptr;
  auto list = std::make_unique<ImageList>();
  list->cx = cx;
  list->cy = cy;
  list->masked = (flags & ILC_MASK) != 0;
  HIMAGELIST h = reinterpret_cast<HIMAGELIST>(list.get());
  Lists()[h] = std::move(list);
  return h;
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  auto it = Lists().find(list);
  if (it == Lists().end()) return FALSE;
  for (auto& b : it->second->images)
    if (b->Handle()) DeleteObject(b->Handle());
  for (auto& b : it->second->masks)
    if (b->Handle()) DeleteObject(b->Handle());
  Lists().erase(it);
  return TRUE;
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
  ImageList* l = Find(list);
  auto source = LookupGdi<GdiBitmap>(image);
  if (!l || !source || source->Empty()) return -1;
  const int count = std::max(1, source->Width() / l->cx);
  const int first = static_cast<int>(l->images.size());
  const COLORREF key = mask & 0xFFFFFF;
  for (int i = 0; i < count; ++i) {
    auto img = std::make_shared<GdiBitmap>(l->cx, l->cy, 24);
    auto msk = std::make_shared<GdiBitmap>(l->cx, l->cy, 1);
    for (int y = 0; y < l->cy; ++y)
      for (int x = 0; x < l->cx; ++x) {
        const int sx = i * l->cx + x;
        const bool inside = sx < source->Width() && y < source->Height();
        const COLORREF c = inside ? source->GetColor(sx, y) & 0xFFFFFF : 0;
        const bool transparent = l->masked && (!inside || c == key);
        img->SetColor(x, y, transparent ? 0 : c);
        msk->SetRaw(x, y, transparent ? 1 : 0);
      }
    l->images.push_back(std::move(img));
    l->masks.push_back(std::move(msk));
  }
  return first;
}

int ImageList_GetImageCount(HIMAGELIST list) {
  ImageList* l = Find(list);
  return l ? static_cast<int>(l->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  ImageList* l = Find(list);
  if (!l || !cx || !cy) return FALSE;
  *cx = l->cx;
  *cy = l->cy;
  return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  ImageList* l = Find(list);
  if (!l) return FALSE;
  auto drop = [](std::shared_ptr<GdiBitmap>& b) {
    if (b->Handle()) DeleteObject(b->Handle());
  };
  if (index == -1) {
    std::for_each(l->images.begin(), l->images.end(), drop);
    std::for_each(l->masks.begin(), l->masks.end(), drop);
    l->images.clear();
    l->masks.clear();
    return TRUE;
  }
  if (index < 0 || index >= static_cast<int>(l->images.size())) return FALSE;
  drop(l->images[static_cast<size_t>(index)]);
  drop(l->masks[static_cast<size_t>(index)]);
  l->images.erase(l->images.begin() + index);
  l->masks.erase(l->masks.begin() + index);
  return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) {
  ImageList* l = Find(list);
  if (!l) return CLR_NONE;
  COLORREF old = l->bk;
  l->bk = color;
  return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list) {
  ImageList* l = Find(list);
  return l ? l->bk : CLR_NONE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  ImageList* l = Find(list);
  if (!l || index < 0 || index >= static_cast<int>(l->images.size())) return FALSE;
  const auto& img = l->images[static_cast<size_t>(index)];
  const auto& msk = l->masks[static_cast<size_t>(index)];
  if (style & ILD_MASK) {
    // The mask as black (opaque) and white (transparent) pixels.
    WithDC(msk, [&](HDC mem, HBITMAP) { BitBlt(dc, x, y, l->cx, l->cy, mem, 0, 0, SRCCOPY); });
    return TRUE;
  }
  const bool transparent = l->masked && ((style & ILD_TRANSPARENT) || l->bk == CLR_NONE);
  if (!transparent && l->masked) {
    // The masked pixels take the background colour.
    auto filled = std::make_shared<GdiBitmap>();
    filled->CopyFrom(*img);
    for (int yy = 0; yy < l->cy; ++yy)
      for (int xx = 0; xx < l->cx; ++xx)
        if (msk->GetRaw(xx, yy)) filled->SetColor(xx, yy, l->bk & 0xFFFFFF);
    WithDC(filled, [&](HDC mem, HBITMAP h) {
      BitBlt(dc, x, y, l->cx, l->cy, mem, 0, 0, SRCCOPY);
      DeleteObject(h);
    });
    return TRUE;
  }
  WithDC(img, [&](HDC mem, HBITMAP) {
    if (!transparent) {
      BitBlt(dc, x, y, l->cx, l->cy, mem, 0, 0, SRCCOPY);
      return;
    }
    HGDIOBJ maskHandle = RegisterGdiObject(msk);
    // Where the mask is set the destination stays.
    MaskBlt(dc, x, y, l->cx, l->cy, mem, 0, 0, static_cast<HBITMAP>(maskHandle), 0, 0,
            MAKEROP4(0x00AA0029, SRCCOPY));
  });
  return TRUE;
}
