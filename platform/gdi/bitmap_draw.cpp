// TBitmap's canvas, drawing and mask.
#include "platform/gdi/bitmap.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"

namespace {

// The canvas of a bitmap: a memory DC with the bitmap selected, kept for the bitmap's life.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap& owner) : owner_(owner) {}
  ~TBitmapCanvas() override {
    Refresh();
    if (dc_) DeleteDC(dc_);
  }

 protected:
  void CreateHandle() override {
    dc_ = CreateCompatibleDC(nullptr);
    SelectObject(dc_, owner_.Handle());
    SetHandle(dc_);
  }
  void Changed() override { owner_.Modified = true; }

 private:
  TBitmap& owner_;
  HDC dc_ = nullptr;
};

}  // namespace

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
  return *canvas_;
}

HBITMAP TBitmap::MaskHandle() {
  const COLORREF key = ColorToRGB(TransparentColor() & 0xFFFFFF);
  auto mask = LookupGdi<GdiBitmap>(mask_);
  if (!mask) {
    mask = std::make_shared<GdiBitmap>(Width(), Height(), 1);
    mask_ = static_cast<HBITMAP>(RegisterGdiObject(mask));
  } else {
    mask->Reset(Width(), Height(), 1);
  }
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < Width(); ++x) mask->SetRaw(x, y, (dib_->GetColor(x, y) & 0xFFFFFF) == key ? 1 : 0);
  return mask_;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  HDC dst = canvas.Handle();
  HDC src = Canvas().Handle();
  const int saved = GetStretchBltMode(dst);
  // Colour bitmaps stretch by deleting scan lines, as the class library sets it up.
  if (!Monochrome()) SetStretchBltMode(dst, STRETCH_DELETESCANS);
  if (Transparent()) {
    TransparentBlt(dst, rect.left, rect.top, rect.Width(), rect.Height(), src, 0, 0, Width(), Height(),
                   ColorToRGB(TransparentColor() & 0xFFFFFF));
  } else {
    StretchBlt(dst, rect.left, rect.top, rect.Width(), rect.Height(), src, 0, 0, Width(), Height(),
               canvas.CopyMode());
  }
  SetStretchBltMode(dst, saved);
}
