#include "pdf/render/canvas/gdi_image_blit.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>

#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/graphic.h"
#include "platform/gdi/png_image.h"

namespace {

// Encoded images larger than this are not read into memory for drawing.
constexpr int64_t kMaxEncodedBytes = int64_t(1) << 30;

bool Starts(const std::string& b, std::string_view sig) { return b.size() >= sig.size() && b.compare(0, sig.size(), sig) == 0; }

}  // namespace

uint32_t TDecodedImage::At(int32_t x, int32_t y) const {
  const GdiBitmap& b = *Bitmap;
  const int bpp = b.BitsPerPixel();
  if (bpp == 24 || bpp == 32) {
    const uint8_t* p = b.Row(y) + size_t(x) * size_t(bpp / 8);
    const uint32_t a = bpp == 32 && UseAlpha ? p[3] : 0xFF;
    return a << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  }
  const COLORREF c = b.GetColor(x, y);
  return 0xFF000000u | uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
}

bool DecodeImageStream(TStream& stream, TDecodedImage& image, std::string& reason) {
  const int64_t available = stream.Size() - stream.Position();
  if (available <= 0) {
    reason = "no image data";
    return false;
  }
  if (available > kMaxEncodedBytes) {
    reason = "image data too large";
    return false;
  }
  const std::string bytes = stream.ReadString(available);
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  try {
    if (Starts(bytes, "BM")) {
      image.Bitmap = ReadBmpFile(data);
      image.UseAlpha = false;
      return true;
    }
    if (IsPngSignature(data)) {
      image.Bitmap = DecodePngToBgra(data);
      image.UseAlpha = true;
      return true;
    }
    if (Starts(bytes, "\xFF\xD8")) {
      TPDFJPEGImage jpeg;
      TMemoryStream source(bytes);
      jpeg.LoadFromStream(source);
      TBitmap* decoded = jpeg.Decode();
      if (!decoded || decoded->Empty()) {
        reason = "JPEG data could not be decoded";
        return false;
      }
      image.Bitmap = decoded->SharedDib();
      image.UseAlpha = false;
      return true;
    }
  } catch (const std::exception& e) {
    reason = e.what();
    return false;
  }
  reason = "image format not drawn without GDI+";
  return false;
}

bool GraphicToImage(TGraphic& graphic, TDecodedImage& image, std::string& reason) {
  if (graphic.Empty()) {
    reason = "empty graphic";
    return false;
  }
  try {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&graphic)) {
      image.Bitmap = bitmap->SharedDib();
      image.UseAlpha = false;
      return true;
    }
    TBitmap canvas;
    canvas.SetPixelFormat(pf24bit);
    canvas.SetSize(graphic.Width(), graphic.Height());
    canvas.Dib().Fill(RGB(255, 255, 255));
    graphic.Draw(canvas.Canvas(), TRect{0, 0, graphic.Width(), graphic.Height()});
    image.Bitmap = canvas.SharedDib();
    image.UseAlpha = false;
    return true;
  } catch (const std::exception& e) {
    reason = e.what();
    return false;
  }
}

namespace {

bool InKeyRange(uint32_t c, uint32_t low, uint32_t high) {
  for (int s = 0; s < 24; s += 8) {
    const uint32_t v = (c >> s) & 0xFF;
    if (v < ((low >> s) & 0xFF) || v > ((high >> s) & 0xFF)) return false;
  }
  return true;
}

uint8_t Blend(uint32_t src, uint32_t dst, uint32_t a) { return uint8_t((src * a + dst * (255 - a) + 127) / 255); }

// Source over a straight-alpha pixel.
void PutOverAlpha(uint8_t* p, uint32_t argb) {
  const uint32_t a = argb >> 24, da = p[3];
  const uint32_t outA = a + (da * (255 - a) + 127) / 255;
  if (outA == 0) return;
  for (int c = 0; c < 3; ++c) {
    const uint32_t s = (argb >> (8 * c)) & 0xFF;
    p[c] = uint8_t((s * a * 255 + p[c] * da * (255 - a) + outA * 255 / 2) / (outA * 255));
  }
  p[3] = uint8_t(outA);
}

// Writes one source pixel over target pixel (x, y).
void Put(GdiBitmap& target, int32_t x, int32_t y, uint32_t argb, bool targetAlpha) {
  const uint32_t a = argb >> 24;
  if (a == 0) return;
  if (targetAlpha && target.BitsPerPixel() == 32) {
    PutOverAlpha(target.Row(y) + size_t(x) * 4, argb);
    return;
  }
  const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  const int bpp = target.BitsPerPixel();
  if (bpp == 24 || bpp == 32) {
    uint8_t* p = target.Row(y) + size_t(x) * size_t(bpp / 8);
    if (a == 255) {
      p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r);
    } else {
      p[0] = Blend(b, p[0], a), p[1] = Blend(g, p[1], a), p[2] = Blend(r, p[2], a);
    }
    return;
  }
  if (a != 255) {
    const COLORREF d = target.GetColor(x, y);
    target.SetColor(x, y, RGB(Blend(r, GetRValue(d), a), Blend(g, GetGValue(d), a), Blend(b, GetBValue(d), a)));
  } else {
    target.SetColor(x, y, RGB(uint8_t(r), uint8_t(g), uint8_t(b)));
  }
}

}  // namespace

RECT PlacementBounds(const TBlitPlacement& p) {
  const double x4 = p.X2 + p.X3 - p.X1, y4 = p.Y2 + p.Y3 - p.Y1;
  for (double v : {p.X1, p.Y1, p.X2, p.Y2, p.X3, p.Y3, x4, y4})
    if (!std::isfinite(v)) return RECT{0, 0, 0, 0};
  auto whole = [](double v) { return int32_t(std::clamp(v, -1e9, 1e9)); };
  return RECT{whole(std::floor(std::min({p.X1, p.X2, p.X3, x4}))), whole(std::floor(std::min({p.Y1, p.Y2, p.Y3, y4}))),
              whole(std::ceil(std::max({p.X1, p.X2, p.X3, x4}))), whole(std::ceil(std::max({p.Y1, p.Y2, p.Y3, y4})))};
}

void AffineBlit(GdiBitmap& target, const TDecodedImage& source, const TBlitPlacement& p) {
  // A bitmap drawn onto itself is read from a copy.
  TDecodedImage image = source;
  if (image.Bitmap.get() == &target) {
    auto copy = std::make_shared<GdiBitmap>();
    copy->CopyFrom(target);
    image.Bitmap = copy;
  }
  const double sw = p.SourceWidth > 0 ? p.SourceWidth : image.Width();
  const double sh = p.SourceHeight > 0 ? p.SourceHeight : image.Height();
  if (sw <= 0 || sh <= 0 || image.Width() <= 0 || image.Height() <= 0 || target.Empty()) return;
  const double pts[6] = {p.X1, p.Y1, p.X2, p.Y2, p.X3, p.Y3};
  for (double v : pts)
    if (!std::isfinite(v)) return;
  // Source (u, v) to target: P1 + u (P2 - P1) / sw + v (P3 - P1) / sh.
  const double ax = (p.X2 - p.X1) / sw, ay = (p.Y2 - p.Y1) / sw;
  const double bx = (p.X3 - p.X1) / sh, by = (p.Y3 - p.Y1) / sh;
  const double det = ax * by - bx * ay;
  if (!std::isfinite(det) || std::fabs(det) < 1e-12) return;  // squeezed flat: nothing to draw

  // The parallelogram's bounds, clipped to the target.
  const double x4 = p.X2 + p.X3 - p.X1, y4 = p.Y2 + p.Y3 - p.Y1;
  const double minX = std::min({p.X1, p.X2, p.X3, x4}), maxX = std::max({p.X1, p.X2, p.X3, x4});
  const double minY = std::min({p.Y1, p.Y2, p.Y3, y4}), maxY = std::max({p.Y1, p.Y2, p.Y3, y4});
  const int32_t left = int32_t(std::clamp(std::floor(minX), 0.0, double(target.Width())));
  const int32_t right = int32_t(std::clamp(std::ceil(maxX), 0.0, double(target.Width())));
  const int32_t top = int32_t(std::clamp(std::floor(minY), 0.0, double(target.Height())));
  const int32_t bottom = int32_t(std::clamp(std::ceil(maxY), 0.0, double(target.Height())));

  for (int32_t y = top; y < bottom; ++y) {
    const double dy = y + 0.5 - p.Y1;
    for (int32_t x = left; x < right; ++x) {
      const double dx = x + 0.5 - p.X1;
      const double u = (by * dx - bx * dy) / det, v = (ax * dy - ay * dx) / det;
      if (!(u >= 0 && u < sw && v >= 0 && v < sh)) continue;
      const int64_t sx = int64_t(u), sy = int64_t(v);
      if (sx >= image.Width() || sy >= image.Height()) continue;
      const uint32_t c = image.At(int32_t(sx), int32_t(sy));
      if (p.Keyed && InKeyRange(c, p.LowKey, p.HighKey)) continue;
      Put(target, x, y, c, p.TargetAlpha);
    }
  }
}
