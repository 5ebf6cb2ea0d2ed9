#include "platform/gdi/bitmap.h"

#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/bmp_writer.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/palette.h"

int PixelFormatBits(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pfDevice:
    case pf32bit: return 32;
    default: return 0;
  }
}

TBitmap::TBitmap() : dib_(std::make_shared<GdiBitmap>(0, 0, 32)) {}

TBitmap::~TBitmap() {
  canvas_.reset();
  if (mask_) DeleteObject(mask_);
  if (palette_) DeleteObject(palette_);
  if (dib_->Handle()) DeleteObject(dib_->Handle());
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == Width() && height == Height()) return;
  dib_->Resize(width, height, RGB(255, 255, 255));
  Changed();
}

TPixelFormat TBitmap::PixelFormat() const {
  if (device_) return pfDevice;
  switch (dib_->BitsPerPixel()) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return dib_->Is565() ? pf16bit : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfCustom;
  }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == pfDevice || format == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
  if (!device_ && format == PixelFormat()) return;
  dib_->Convert(PixelFormatBits(format), format == pf16bit);
  device_ = false;
  Changed();
}

void TBitmap::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  SetPixelFormat(value ? pf1bit : pf24bit);
}

uint8_t* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= Height()) throw EInvalidGraphic(SScanLine);
  device_ = false;  // the platform turns a device bitmap into a DIB of its depth here
  Changed();
  return dib_->Row(row);
}

HPALETTE TBitmap::Palette() {
  const auto& colors = dib_->Colors();
  if (colors.empty()) return nullptr;
  std::vector<PALETTEENTRY> entries;
  entries.reserve(colors.size());
  for (const RGBQUAD& q : colors) entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  if (auto p = LookupGdi<GdiPalette>(palette_)) {
    p->entries = std::move(entries);
  } else {
    palette_ = CreatePalette(entries);
  }
  return palette_;
}

void TBitmap::SetPalette(HPALETTE palette) {
  // The bitmap takes the palette over, as the class library's bitmap does.
  if (palette == palette_) return;
  auto p = LookupGdi<GdiPalette>(palette);
  if (palette_) DeleteObject(palette_);
  palette_ = palette;
  if (!p || dib_->BitsPerPixel() > 8) return;
  std::vector<RGBQUAD> table;
  for (const PALETTEENTRY& e : p->entries) table.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
  dib_->SetColors(table);
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed) return transparentColor_;
  if (Empty()) return clDefault;
  // The platform marks an automatic transparent colour with bit 25.
  return TColor(dib_->GetColor(0, Height() - 1) | 0x02000000);
}

void TBitmap::SetTransparentColor(TColor color) {
  transparentColor_ = color;
  transparentMode_ = color == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::Assign(const TGraphic& source) {
  if (&source == this) return;
  const auto* other = dynamic_cast<const TBitmap*>(&source);
  if (!other) {
    TGraphic::Assign(source);
    return;
  }
  dib_->CopyFrom(*other->dib_);
  device_ = other->device_;
  transparentMode_ = other->transparentMode_;
  transparentColor_ = other->transparentColor_;
  transparent_ = other->transparent_;
  Changed();
}

void TBitmap::LoadFromStream(TStream& stream) {
  // Bound by what the stream holds: a lying size field cannot make us allocate more.
  const int64_t start = stream.Position();
  const std::string bytes = stream.ReadToEnd();
  auto loaded = ReadBmpFile({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  dib_->TakeFrom(*loaded);
  // Leave the stream after the file when its header tells the size (a BMP may be followed
  // by other data).
  const uint32_t fileSize = uint8_t(bytes[2]) | (uint8_t(bytes[3]) << 8) | (uint8_t(bytes[4]) << 16) |
                            (uint32_t(uint8_t(bytes[5])) << 24);
  if (fileSize >= 26 && fileSize <= bytes.size()) stream.SetPosition(start + fileSize);
  device_ = false;
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
  GdiBitmap& d = *dib_;
  WriteBmp(d, stream);
}

HBITMAP TBitmap::Handle() { return static_cast<HBITMAP>(RegisterGdiObject(dib_)); }
