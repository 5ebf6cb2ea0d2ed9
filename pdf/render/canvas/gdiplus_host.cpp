#include "pdf/render/canvas/gdiplus_host.h"

#include <memory>
#include <vector>

#include "pdf/render/canvas/gdiplus_binding.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/metafile/metafile_dc.h"

using namespace gdiplus;

namespace {

// What a lock keeps alive until the provider releases it: the bitmap, and for depths the
// provider cannot draw on, a 32-bit copy that is written back when it was changed. The copy
// goes back when the Graphics is deleted, so GDI drawing on such a bitmap in between is not
// seen by GDI+ (24- and 32-bit bitmaps, the renderer's among them, are shared directly).
struct Lock {
  std::shared_ptr<GdiBitmap> bitmap;
  std::vector<uint8_t> copy;
  std::vector<uint32_t> palette;
};

void Release(void* context, int32_t modified) {
  std::unique_ptr<Lock> lock(static_cast<Lock*>(context));
  if (!modified || lock->copy.empty()) return;
  GdiBitmap& b = *lock->bitmap;
  const size_t stride = size_t(b.Width()) * 4;
  for (int32_t y = 0; y < b.Height(); ++y) {
    const uint8_t* row = lock->copy.data() + size_t(y) * stride;
    for (int32_t x = 0; x < b.Width(); ++x, row += 4) b.SetColor(x, y, RGB(row[2], row[1], row[0]));
  }
}

GpStatus Describe(std::shared_ptr<GdiBitmap> bitmap, bool allowIndexed, GpRawSurface* s) {
  if (!bitmap || bitmap->Empty() || !s) return Win32Error;
  auto lock = std::make_unique<Lock>();
  lock->bitmap = bitmap;
  GdiBitmap& b = *bitmap;
  *s = GpRawSurface{};
  s->width = b.Width();
  s->height = b.Height();
  const int bpp = b.BitsPerPixel();
  if (bpp == 24 || bpp == 32 || (allowIndexed && bpp <= 8)) {
    s->scan0 = b.Row(0);
    s->stride = int32_t(b.BottomUp() ? -b.Stride() : b.Stride());
    s->bitsPerPixel = bpp;
    if (bpp <= 8) {
      for (const RGBQUAD& q : b.Colors())
        lock->palette.push_back(uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue);
      s->palette = lock->palette.data();
      s->paletteSize = uint32_t(lock->palette.size());
    }
  } else {
    const size_t stride = size_t(b.Width()) * 4;
    lock->copy.resize(stride * size_t(b.Height()));
    for (int32_t y = 0; y < b.Height(); ++y) {
      uint8_t* row = lock->copy.data() + size_t(y) * stride;
      for (int32_t x = 0; x < b.Width(); ++x, row += 4) {
        const COLORREF c = b.GetColor(x, y);
        row[0] = GetBValue(c), row[1] = GetGValue(c), row[2] = GetRValue(c), row[3] = 0xFF;
      }
    }
    s->scan0 = lock->copy.data();
    s->stride = int32_t(stride);
    s->bitsPerPixel = 32;
  }
  s->context = lock.release();
  s->release = Release;
  return Ok;
}

GpStatus LockDC(GpHDC hdc, GpRawSurface* surface) {
  const GpStatus st = Describe(GetDCBitmap(static_cast<HDC>(hdc)), false, surface);
  // A metafile DC lends a transparent layer: what is drawn there is recorded with its alpha.
  if (st == Ok && IsMetafileDC(static_cast<HDC>(hdc))) surface->hasAlpha = 1;
  return st;
}

GpStatus LockBitmap(GpHBITMAP hbitmap, GpRawSurface* surface) {
  return Describe(LookupGdi<GdiBitmap>(static_cast<HGDIOBJ>(hbitmap)), true, surface);
}

const GpHostTable kHost = {sizeof(GpHostTable), LockDC, LockBitmap};

}  // namespace

const GpHostTable& GdiplusHostTable() { return kHost; }

void InstallGdiplusHost(TWZRXGDIPlus& gdiplus) {
  if (gdiplus.VelmoraGdiplusSetHost) gdiplus.VelmoraGdiplusSetHost(&kHost);
}
