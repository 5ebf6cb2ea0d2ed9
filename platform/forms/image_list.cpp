#include "platform/forms/image_list.h"

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"

const TClassInfo& TCustomImageList::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCustomImageList>("TCustomImageList", &TComponent::StaticClassInfo())
                                     .Prop("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight,
                                           {.Default = 16})
                                     .Prop("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth,
                                           {.Default = 16})
                                     .Build();
  return info;
}

const TClassInfo& TImageList::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TImageList>("TImageList", &TCustomImageList::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TImageList(o); })
                                     .Build();
  return info;
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
  if (handle_) ImageList_Destroy(handle_);
}

void TCustomImageList::Recreate() {
  if (handle_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TCustomImageList::SetWidth(int w) {
  if (w == width_) return;
  width_ = w;
  Recreate();
}

void TCustomImageList::SetHeight(int h) {
  if (h == height_) return;
  height_ = h;
  Recreate();
}

HIMAGELIST TCustomImageList::Handle() {
  if (!handle_) handle_ = ImageList_Create(width_, height_, ILC_MASK | ILC_COLOR24, 4, 4);
  return handle_;
}

int TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

int TCustomImageList::AddMasked(TBitmap& image, TColor maskColor) {
  if (image.Empty()) return -1;
  return ImageList_AddMasked(Handle(), image.Handle(), ColorToRGB(maskColor));
}

void TCustomImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  if (index < 0 || index >= Count()) return;
  HDC dc = canvas.Handle();
  if (enabled) {
    ImageList_Draw(handle_, index, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  // The mask (black where opaque) becomes the shadow colour over the destination.
  TBitmap mask;
  mask.SetPixelFormat(pf24bit);
  mask.SetSize(width_, height_);
  ImageList_Draw(handle_, index, mask.Canvas().Handle(), 0, 0, ILD_MASK);
  for (int yy = 0; yy < height_; ++yy)
    for (int xx = 0; xx < width_; ++xx)
      if ((mask.Dib().GetColor(xx, yy) & 0xFFFFFF) == 0) SetPixelV(dc, x + xx, y + yy, ColorToRGB(clBtnShadow));
}
