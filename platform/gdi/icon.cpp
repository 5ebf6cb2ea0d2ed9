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
