#include "platform/user/icons.h"

#include <algorithm>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/ico_reader.h"
#include "platform/gdi/system_metrics.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/strings.h"

namespace {

constexpr int kMaxIconSide = 1024;

struct Icon {
  std::shared_ptr<GdiBitmap> picture;  // 32 bits, 0xAARRGGBB straight alpha
  bool isIcon = true;
  POINT hotspot{};
  bool shared = false;  // a standard icon: never destroyed
  // The .ico resource it was loaded from: copies at another size read their own image there.
  std::span<const uint8_t> resource;
};

std::map<HICON, Icon>& Icons() {
  static auto* icons = new std::map<HICON, Icon>();
  return *icons;
}

std::uintptr_t nextIcon = 1;

HICON Register(Icon icon) {
  if (Icons().size() >= 100000) return nullptr;
  auto h = reinterpret_cast<HICON>((nextIcon++ << 4) | 0x4);
  Icons()[h] = std::move(icon);
  return h;
}

const Icon* Find(HICON h) {
  auto it = Icons().find(h);
  return it == Icons().end() ? nullptr : &it->second;
}

// Nearest-neighbour scaling of a 32-bit picture.
std::shared_ptr<GdiBitmap> Scaled(const GdiBitmap& src, int w, int h) {
  auto out = std::make_shared<GdiBitmap>(w, h, 32);
  for (int y = 0; y < h; ++y) {
    int sy = static_cast<int>(static_cast<std::int64_t>(y) * src.Height() / h);
    for (int x = 0; x < w; ++x)
      out->SetRaw(x, y, src.GetRaw(static_cast<int>(static_cast<std::int64_t>(x) * src.Width() / w), sy));
  }
  return out;
}

// The image of an .ico resource nearest a size; null when the data is not an icon.
std::shared_ptr<GdiBitmap> FromResource(std::span<const uint8_t> data, int w, int h) {
  try {
    return ReadIcoFile(data, w, h).image;
  } catch (const std::exception&) {
    return nullptr;
  }
}

HBITMAP NewDib(int w, int h, int bits, void** data) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
  if (bits == 1) {
    info.bmiHeader.biClrUsed = 2;
    info.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
  }
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, data, nullptr, 0);
}

}  // namespace

HICON CreateIconFromPicture(const GdiBitmap& bgra) {
  if (bgra.Empty() || bgra.Width() > kMaxIconSide || bgra.Height() > kMaxIconSide) return nullptr;
  auto picture = std::make_shared<GdiBitmap>(bgra.Width(), bgra.Height(), 32);
  for (int y = 0; y < bgra.Height(); ++y)
    for (int x = 0; x < bgra.Width(); ++x) {
      std::uint32_t raw;
      if (bgra.BitsPerPixel() == 32) {
        raw = bgra.GetRaw(x, y);
      } else {
        COLORREF c = bgra.GetColor(x, y);
        raw = 0xff000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
      picture->SetRaw(x, y, raw);
    }
  return Register(Icon{picture, true, {}, false, {}});
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return nullptr;
  auto mask = LookupGdi<GdiBitmap>(info->hbmMask);
  auto color = info->hbmColor ? LookupGdi<GdiBitmap>(info->hbmColor) : nullptr;
  if (!mask && !color) return nullptr;
  int w = color ? color->Width() : mask->Width();
  int h = color ? color->Height() : mask->Height() / 2;  // a monochrome icon stacks AND and XOR
  if (w <= 0 || h <= 0 || w > kMaxIconSide || h > kMaxIconSide) return nullptr;
  bool alpha = false;
  if (color && color->BitsPerPixel() == 32)
    for (int y = 0; y < h && !alpha; ++y)
      for (int x = 0; x < w && !alpha; ++x) alpha = (color->GetRaw(x, y) >> 24) != 0;
  auto picture = std::make_shared<GdiBitmap>(w, h, 32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool transparent = mask && x < mask->Width() && y < mask->Height() && mask->GetColor(x, y) != 0;
      COLORREF c;
      if (color) {
        c = color->GetColor(x, y);
      } else {
        c = (mask && y + h < mask->Height() && mask->GetColor(x, y + h) != 0) ? RGB(255, 255, 255) : RGB(0, 0, 0);
      }
      std::uint32_t a = alpha ? (color->GetRaw(x, y) >> 24) : (transparent ? 0u : 255u);
      picture->SetRaw(x, y, (a << 24) | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
  return Register(Icon{picture, info->fIcon != 0, POINT{static_cast<int32_t>(info->xHotspot), static_cast<int32_t>(info->yHotspot)}, false, {}});
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  const Icon* i = Find(icon);
  if (!i || !info) return FALSE;
  int w = i->picture->Width(), h = i->picture->Height();
  void* colorBits = nullptr;
  void* maskBits = nullptr;
  HBITMAP color = NewDib(w, h, 32, &colorBits);
  HBITMAP mask = NewDib(w, h, 1, &maskBits);
  auto c = LookupGdi<GdiBitmap>(color);
  auto m = LookupGdi<GdiBitmap>(mask);
  if (!c || !m) {
    DeleteObject(color);
    DeleteObject(mask);
    return FALSE;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t raw = i->picture->GetRaw(x, y);
      c->SetRaw(x, y, raw);
      m->SetRaw(x, y, (raw >> 24) < 128 ? 1 : 0);
    }
  *info = ICONINFO{i->isIcon ? TRUE : FALSE, static_cast<DWORD>(i->hotspot.x), static_cast<DWORD>(i->hotspot.y),
                   mask, color};
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  auto it = Icons().find(icon);
  if (it == Icons().end()) return FALSE;
  if (!it->second.shared) Icons().erase(it);
  return TRUE;
}

HICON CopyIcon(HICON icon) {
  const Icon* i = Find(icon);
  if (!i) return nullptr;
  Icon copy = *i;
  copy.shared = false;
  return Register(copy);
}

std::shared_ptr<const GdiBitmap> IconPicture(HICON icon) {
  const Icon* i = Find(icon);
  return i ? i->picture : nullptr;
}

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
  if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
    const Icon* i = Find(static_cast<HICON>(image));
    if (!i) return nullptr;
    int w = cx > 0 ? std::min(cx, kMaxIconSide) : i->picture->Width();
    int h = cy > 0 ? std::min(cy, kMaxIconSide) : i->picture->Height();
    Icon copy = *i;
    copy.shared = false;
    std::shared_ptr<GdiBitmap> source = i->picture;
    if ((flags & LR_COPYFROMRESOURCE) && !i->resource.empty()) source = FromResource(i->resource, w, h);
    if (!source) return nullptr;
    copy.picture = (w == source->Width() && h == source->Height()) ? std::make_shared<GdiBitmap>(*source)
                                                                    : Scaled(*source, w, h);
    HICON result = Register(copy);
    if (flags & LR_COPYDELETEORG) DestroyIcon(static_cast<HICON>(image));
    return result;
  }
  if (type == IMAGE_BITMAP) {
    auto src = LookupGdi<GdiBitmap>(static_cast<HBITMAP>(image));
    if (!src || src->Empty()) return nullptr;
    int w = cx > 0 ? cx : src->Width(), h = cy > 0 ? cy : src->Height();
    if (static_cast<std::int64_t>(w) * h > (std::int64_t{1} << 26)) return nullptr;
    void* bits = nullptr;
    HBITMAP copy = NewDib(w, h, 32, &bits);
    auto dst = LookupGdi<GdiBitmap>(copy);
    if (!dst) return nullptr;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        dst->SetColor(x, y, src->GetColor(static_cast<int>(static_cast<std::int64_t>(x) * src->Width() / w),
                                          static_cast<int>(static_cast<std::int64_t>(y) * src->Height() / h)));
    if (flags & LR_COPYDELETEORG) DeleteObject(image);
    return copy;
  }
  return nullptr;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags) {
  const Icon* i = Find(icon);
  if (!i || !dc) return FALSE;
  if (flags & DI_DEFAULTSIZE) cx = cy = 0;
  int w = cx > 0 ? std::min(cx, kMaxIconSide) : i->picture->Width();
  int h = cy > 0 ? std::min(cy, kMaxIconSide) : i->picture->Height();
  std::shared_ptr<GdiBitmap> picture =
      (w == i->picture->Width() && h == i->picture->Height()) ? i->picture : Scaled(*i->picture, w, h);
  // Blend in a scratch bitmap holding what is under the icon, then copy it back: the DC's
  // clip and origin apply as for any blit.
  void* bits = nullptr;
  HBITMAP scratch = NewDib(w, h, 32, &bits);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, scratch);
  BitBlt(mem, 0, 0, w, h, dc, x, y, 0x00CC0020);  // SRCCOPY
  auto target = LookupGdi<GdiBitmap>(scratch);
  if (target) {
    UINT mode = flags & DI_NORMAL;
    for (int yy = 0; yy < h; ++yy)
      for (int xx = 0; xx < w; ++xx) {
        std::uint32_t s = picture->GetRaw(xx, yy);
        std::uint32_t a = s >> 24;
        if (mode == DI_MASK) {
          target->SetRaw(xx, yy, a < 128 ? 0x00ffffff : 0);
          continue;
        }
        if (mode == DI_IMAGE) a = 255;
        std::uint32_t d = target->GetRaw(xx, yy);
        auto mix = [&](int shift) {
          std::uint32_t sc = (s >> shift) & 0xff, dcv = (d >> shift) & 0xff;
          return ((sc * a + dcv * (255 - a) + 127) / 255) << shift;
        };
        target->SetRaw(xx, yy, mix(16) | mix(8) | mix(0));
      }
  }
  BitBlt(dc, x, y, w, h, mem, 0, 0, 0x00CC0020);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(scratch);
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

namespace {

// A small window: a frame, a title bar in the caption colour, a white client area.
HICON StandardIcon() {
  auto picture = std::make_shared<GdiBitmap>(32, 32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      std::uint32_t v = 0;
      if (x >= 2 && x < 30 && y >= 4 && y < 28) {
        bool edge = x == 2 || x == 29 || y == 4 || y == 27;
        v = edge ? 0xff000000u : (y < 10 ? 0xff0a246au : 0xffffffffu);
      }
      picture->SetRaw(x, y, v);
    }
  return Register(Icon{picture, true, {}, true, {}});
}

HICON ResourceIcon(const std::string& name) {
  if (!HasResource(name)) return nullptr;
  const std::span<const uint8_t> data = FindResourceData(name);
  auto picture = FromResource(data, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  return picture ? Register(Icon{picture, true, {}, true, data}) : nullptr;
}

}  // namespace

HICON LoadIconW(HINSTANCE instance, const char16_t* name) {
  // The standard pictures come without a module, the program's own icons by name with it.
  if (!name || (instance != nullptr) == IS_INTRESOURCE(name)) return nullptr;
  const auto id = reinterpret_cast<std::uintptr_t>(name);
  if (IS_INTRESOURCE(name) && (id < 32512 || id > 32517)) return nullptr;
  // What LoadIcon hands out is shared: each icon is made once.
  static std::map<std::u16string, HICON> shared;
  const std::u16string key = IS_INTRESOURCE(name) ? u"#" + Utf8ToWide(std::to_string(id)) : std::u16string(name);
  if (auto it = shared.find(key); it != shared.end()) return it->second;
  HICON h = IS_INTRESOURCE(name) ? StandardIcon() : ResourceIcon(WideToUtf8(name));
  if (h) shared[key] = h;
  return h;
}
