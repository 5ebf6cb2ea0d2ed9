#include "platform/gdi/icon.h"

#include <string>

#include "platform/gdi/ico_reader.h"

int TIcon::Width() const { return image_ ? image_->Width() : wantWidth_; }
int TIcon::Height() const { return image_ ? image_->Height() : wantHeight_; }

void TIcon::SetSize(int width, int height) {
  if (image_) return;  // a loaded icon keeps its own size, as the class library's does
  wantWidth_ = width;
  wantHeight_ = height;
}

void TIcon::LoadFromStream(TStream& stream) {
  const std::string bytes = stream.ReadToEnd();
  IconImage icon = ReadIcoFile({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, wantWidth_, wantHeight_);
  image_ = std::move(icon.image);
  Modified = true;
}

void TIcon::SaveToStream(TStream& stream) {
  if (!image_) return;
  const GdiBitmap& img = *image_;
  const int w = img.Width(), h = img.Height();
  const int64_t maskStride = DibStride(w, 1);
  const uint32_t bytes = uint32_t(40 + img.Stride() * h + maskStride * h);
  std::string s;
  auto put16 = [&](uint32_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
  };
  auto put32 = [&](uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16(0);
  put16(1);
  put16(1);
  s.push_back(char(w >= 256 ? 0 : w));
  s.push_back(char(h >= 256 ? 0 : h));
  s.push_back(0);
  s.push_back(0);
  put16(1);
  put16(32);
  put32(bytes);
  put32(22);
  put32(40);
  put32(uint32_t(w));
  put32(uint32_t(2 * h));
  put16(1);
  put16(32);
  for (int i = 0; i < 6; ++i) put32(0);
  for (int y = h - 1; y >= 0; --y) s.append(reinterpret_cast<const char*>(img.Row(y)), size_t(img.Stride()));
  for (int y = h - 1; y >= 0; --y) {
    std::string row(size_t(maskStride), '\0');
    for (int x = 0; x < w; ++x)
      if (img.Row(y)[4 * x + 3] == 0) row[size_t(x >> 3)] = char(row[size_t(x >> 3)] | (0x80 >> (x & 7)));
    s += row;
  }
  stream.WriteString(s);
}

void TIcon::Assign(const TGraphic& source) {
  const auto* other = dynamic_cast<const TIcon*>(&source);
  if (!other) {
    TGraphic::Assign(source);
    return;
  }
  if (other == this) return;
  image_ = other->image_ ? std::make_shared<GdiBitmap>() : nullptr;
  if (image_) image_->CopyFrom(*other->image_);
  wantWidth_ = other->wantWidth_;
  wantHeight_ = other->wantHeight_;
  Modified = true;
}

#include "platform/gdi/canvas.h"
#include "platform/gdi/dc_internal.h"

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  if (!image_ || rect.IsEmpty()) return;
  auto d = LookupDC(canvas.Handle());
  if (!d || !d->Surface()) return;
  GdiBitmap& dst = *d->Surface();
  const GdiBitmap& img = *image_;
  const RECT dev{int32_t(d->DevX(rect.left)), int32_t(d->DevY(rect.top)), int32_t(d->DevX(rect.right)),
                 int32_t(d->DevY(rect.bottom))};
  const Region area = Region::Combine(Region::FromRect(dev), d->Drawable(), Region::And);
  const int64_t w = dev.right - dev.left, h = dev.bottom - dev.top;
  // Alpha-blended over what is there, stretched by point sampling when sizes differ.
  for (const Region::Band& band : area.Bands())
    for (int32_t y = band.top; y < band.bottom; ++y)
      for (size_t i = 0; i < band.xs.size(); i += 2)
        for (int32_t x = band.xs[i]; x < band.xs[i + 1]; ++x) {
          const int32_t sx = int32_t((int64_t(x - dev.left) * img.Width()) / w);
          const int32_t sy = int32_t((int64_t(y - dev.top) * img.Height()) / h);
          const uint8_t* p = img.Row(sy) + 4 * sx;
          const unsigned a = p[3];
          if (a == 0) continue;
          COLORREF c = RGB(p[2], p[1], p[0]);
          if (a < 255) {
            const COLORREF under = dst.GetColor(x, y);
            auto mix = [a](unsigned s, unsigned u) { return uint8_t((s * a + u * (255 - a) + 127) / 255); };
            c = RGB(mix(p[2], GetRValue(under)), mix(p[1], GetGValue(under)), mix(p[0], GetBValue(under)));
          }
          dst.SetColor(x, y, c);
        }
}
