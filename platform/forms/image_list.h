// TCustomImageList / TImageList: the class library's component over an image list handle.
#pragma once

#include "platform/forms/classes.h"
#include "platform/gdi/bitmap.h"
#include "platform/user/image_list.h"

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int Width() const { return width_; }
  void SetWidth(int w);    // empties the list
  int Height() const { return height_; }
  void SetHeight(int h);   // empties the list
  int Count() const;
  HIMAGELIST Handle();
  // Adds the bitmap's images (its width divided by Width); pixels of the mask colour are
  // transparent. Returns the index of the first, -1 when nothing was added.
  int AddMasked(TBitmap& image, TColor maskColor);
  void Clear();
  // Enabled images draw transparently; disabled ones as a flat shadow of their opaque pixels.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);

 private:
  void Recreate();
  int width_ = 16, height_ = 16;
  HIMAGELIST handle_ = nullptr;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
