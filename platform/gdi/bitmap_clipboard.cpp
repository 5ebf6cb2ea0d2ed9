// A bitmap handed over in the clipboard's bitmap format: copies go both ways, so that the
// clipboard's handles and the bitmap's pixels never share storage.
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/palette.h"

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  const auto source = format == CF_BITMAP ? LookupGdi<GdiBitmap>(data) : nullptr;
  if (!source) throw EInvalidGraphic(SUnknownClipboardFormat);
  dib_->CopyFrom(*source);
  device_ = false;
  if (const auto p = LookupGdi<GdiPalette>(palette); p && dib_->BitsPerPixel() <= 8) {
    std::vector<RGBQUAD> table;
    for (const PALETTEENTRY& e : p->entries) table.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
    dib_->SetColors(table);
  }
  Changed();
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  auto copy = std::make_shared<GdiBitmap>();
  copy->CopyFrom(*dib_);
  std::vector<PALETTEENTRY> entries;
  for (const RGBQUAD& q : dib_->Colors()) entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  format = CF_BITMAP;
  data = RegisterGdiObject(std::move(copy));
  palette = entries.empty() ? nullptr : CreatePalette(entries);
}
