// TIcon: an icon read from a .ico file. The size set before loading chooses the directory
// entry; Width and Height are then the chosen image's own size.
#pragma once

#include <memory>

#include "platform/gdi/dib.h"
#include "platform/gdi/graphic.h"

class TIcon : public TGraphic {
 public:
  int Width() const override;
  int Height() const override;
  // Before loading: the requested size. After loading the icon keeps its image's size.
  void SetSize(int width, int height) override;
  bool Empty() const override { return !image_; }
  void LoadFromStream(TStream& stream) override;
  // Writes a one-entry .ico with a 32-bit image and its mask.
  void SaveToStream(TStream& stream) override;
  void Assign(const TGraphic& source) override;
  const char* ClassName() const override { return "TIcon"; }
  void Draw(TCanvas& canvas, const TRect& rect) override;
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TIcon>(); }

  // The picture as 32-bit BGRA with straight alpha (null while empty).
  std::shared_ptr<const GdiBitmap> Image() const { return image_; }

 private:
  std::shared_ptr<GdiBitmap> image_;
  int wantWidth_ = 0, wantHeight_ = 0;
};
