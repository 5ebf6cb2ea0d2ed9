// Image operations of the canvas: drawing encoded images, bitmaps and graphics with GDI+ or,
// on the GDI back end, by decoding them here and blitting them onto the target's pixels; the
// cairo back end draws image data (with or without a colour key) only; and the GDI+
// re-encodings (black-and-white TIFF, another format).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/gdi_image_blit.h"
#include "pdf/render/canvas/image_bytes_adapter.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/metafile/metafile_dc.h"
#include "platform/rtl/numbers.h"

using namespace gdiplus;

namespace {

// Two encoder parameters laid out as the flat API's EncoderParameters with two entries.
struct TwoEncoderParameters {
  uint32_t Count;
  EncoderParameter Parameter[2];
};
static_assert(offsetof(TwoEncoderParameters, Parameter) == offsetof(EncoderParameters, Parameter));

// An enhanced metafile or a placeable WMF starts at the stream's position.
bool StartsWithMetafile(TStream& stream) {
  const int64_t at = stream.Position();
  const std::string head = stream.ReadString(44);
  stream.SetPosition(at);
  auto dword = [&](size_t off) {
    return head.size() < off + 4 ? 0u
                                 : uint32_t(uint8_t(head[off])) | uint32_t(uint8_t(head[off + 1])) << 8 |
                                       uint32_t(uint8_t(head[off + 2])) << 16 | uint32_t(uint8_t(head[off + 3])) << 24;
  };
  return dword(0) == 0x9AC6CDD7u || (dword(0) == 1 && dword(40) == 0x464D4520u);
}

}  // namespace

bool TPDFDaubrix::DrawMetafileStream(TStream& stream, int32_t frame, double x, double y, double width,
                                     double height) {
  // Neither back end's image readers take a metafile: the platform's player plays it onto the
  // target's device context, in its own vectors at the rectangle's size. The GDI+ back end
  // shares 24- and 32-bit targets with GDI, so what the player draws stays.
  HDC dc = TargetDC();
  // A metafile DC records what the player draws; GDI+ may have painted its layer before, which
  // must go out first (handing it out says so).
  const bool recording = dc && IsMetafileDC(dc);
  std::shared_ptr<GdiBitmap> surface = dc && (!recording || backEnd_ == kBackEndGDIPlus) ? GetDCBitmap(dc) : nullptr;
  if (frame > 1 || (!surface && !recording) || (surface && backEnd_ == kBackEndGDIPlus && surface->BitsPerPixel() < 24))
    return ImageFailed();
  const double right = x + width, bottom = y + height;
  if (!(std::abs(x) < 1e9 && std::abs(y) < 1e9 && std::abs(right) < 1e9 && std::abs(bottom) < 1e9))
    return ImageFailed();
  try {
    TMetafile metafile;
    metafile.LoadFromStream(stream);
    metafile.Draw(*target_, TRect{int32_t(RoundHalfEven(x)), int32_t(RoundHalfEven(y)), int32_t(RoundHalfEven(right)),
                                  int32_t(RoundHalfEven(bottom))});
  } catch (const std::exception&) {
    return ImageFailed();
  }
  return true;
}

GpImage* TPDFDaubrix::LoadImage(TStream& stream, bool icm) {
  TImageBytesStreamAdapter adapter(stream);
  GpImage* image = nullptr;
  const GpStatus st = icm && gdiplus_->GdipLoadImageFromStreamICM
                          ? gdiplus_->GdipLoadImageFromStreamICM(&adapter, &image)
                          : gdiplus_->GdipLoadImageFromStream(&adapter, &image);
  return st == Ok ? image : nullptr;
}

// Draws a loaded image onto three corner points (a source rectangle and colour keys when
// asked), with the image quality modes, and disposes it.
bool TPDFDaubrix::GpDrawLoaded(GpImage* image, const double* pts, int32_t sourceWidth, int32_t sourceHeight, bool key,
                               uint32_t lowKey, uint32_t highKey) {
  if (!image) return false;
  const GpPointF points[3] = {{REAL(pts[0]), REAL(pts[1])}, {REAL(pts[2]), REAL(pts[3])}, {REAL(pts[4]), REAL(pts[5])}};
  ApplyImageQuality();
  GpStatus st = GenericError;
  // An image is painted with the fill alpha, as a fill is: a colour matrix scales its alpha.
  const double alpha = std::isfinite(fillAlpha_) ? std::clamp(fillAlpha_, 0.0, 1.0) : 1.0;
  const bool translucent = alpha < 1 && gdiplus_->GdipSetImageAttributesColorMatrix;
  if (!key && !translucent) {
    st = gdiplus_->GdipDrawImagePoints(graphics_, image, points, 3);
  } else if (gdiplus_->GdipCreateImageAttributes && (!key || gdiplus_->GdipSetImageAttributesColorKeys) &&
             gdiplus_->GdipDisposeImageAttributes && gdiplus_->GdipDrawImagePointsRect) {
    if (sourceWidth <= 0 && gdiplus_->GdipGetImageWidth) {
      uint32_t w = 0;
      gdiplus_->GdipGetImageWidth(image, &w);
      sourceWidth = int32_t(w);
    }
    if (sourceHeight <= 0 && gdiplus_->GdipGetImageHeight) {
      uint32_t h = 0;
      gdiplus_->GdipGetImageHeight(image, &h);
      sourceHeight = int32_t(h);
    }
    GpImageAttributes* attributes = nullptr;
    if (gdiplus_->GdipCreateImageAttributes(&attributes) == Ok) {
      if (key) gdiplus_->GdipSetImageAttributesColorKeys(attributes, ColorAdjustTypeBitmap, 1, lowKey, highKey);
      if (translucent) {
        ColorMatrix scale = {};
        for (int i = 0; i < 5; ++i) scale.m[i][i] = 1;
        scale.m[3][3] = REAL(alpha);
        gdiplus_->GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, 1, &scale, nullptr,
                                                    ColorMatrixFlagsDefault);
      }
      st = gdiplus_->GdipDrawImagePointsRect(graphics_, image, points, 3, 0, 0, REAL(sourceWidth),
                                             REAL(sourceHeight), UnitPixel, attributes, nullptr, nullptr);
      gdiplus_->GdipDisposeImageAttributes(attributes);
    }
  }
  gdiplus_->GdipDisposeImage(image);
  ApplyPathQuality();
  return st == Ok;
}

bool TPDFDaubrix::GdiDrawImage(TStream* stream, TGraphic* graphic, int32_t sourceWidth, int32_t sourceHeight,
                               const double* pts, bool key, uint32_t lowKey, uint32_t highKey) {
  TDecodedImage image;
  std::string reason;
  const bool decoded = stream ? DecodeImageStream(*stream, image, reason) : GraphicToImage(*graphic, image, reason);
  if (!decoded) return false;
  if (backEnd_ == kBackEndCairo) return CairoDrawImage(image, sourceWidth, sourceHeight, pts, key, lowKey, highKey);
  return GdiBlit(image, sourceWidth, sourceHeight, pts, key, lowKey, highKey);
}

bool TPDFDaubrix::GdiBlit(const TDecodedImage& image, int32_t sourceWidth, int32_t sourceHeight, const double* pts,
                          bool key, uint32_t lowKey, uint32_t highKey) {
  HDC dc = TargetDC();
  if (!dc) return false;
  // The points are logical coordinates of the device context.
  POINT origin{0, 0};
  LPtoDP(dc, &origin, 1);
  TBlitPlacement p;
  p.X1 = pts[0] + origin.x, p.Y1 = pts[1] + origin.y;
  p.X2 = pts[2] + origin.x, p.Y2 = pts[3] + origin.y;
  p.X3 = pts[4] + origin.x, p.Y3 = pts[5] + origin.y;
  p.TargetAlpha = IsMetafileDC(dc);
  // A metafile DC is told where the picture lands, so that only that much is looked at.
  std::shared_ptr<GdiBitmap> surface = p.TargetAlpha ? GetMetafileLayer(dc, PlacementBounds(p)) : GetDCBitmap(dc);
  if (!surface) return false;
  p.SourceWidth = sourceWidth;
  p.SourceHeight = sourceHeight;
  p.Keyed = key;
  p.LowKey = lowKey;
  p.HighKey = highKey;
  AffineBlit(*surface, image, p);
  return true;
}

bool TPDFDaubrix::DrawGraphicPoints(TGraphic& graphic, double x1, double y1, double x2, double y2, double x3,
                                    double y3) {
  const double pts[6] = {x1, y1, x2, y2, x3, y3};
  if (backEnd_ == kBackEndGDI) {
    if (!target_) return false;
    return GdiDrawImage(nullptr, &graphic, 0, 0, pts, false, 0, 0) || ImageFailed();
  }
  if (backEnd_ != kBackEndGDIPlus) return false;
  TMemoryStream data;
  try {
    graphic.SaveToStream(data);
  } catch (const std::exception&) {
    return ImageFailed();
  }
  data.SetPosition(0);
  return GpDrawLoaded(LoadImage(data, false), pts, 0, 0, false, 0, 0) || ImageFailed();
}

bool TPDFDaubrix::DrawBitmap(TBitmap& bitmap, double x, double y, double width, double height) {
  if (backEnd_ == kBackEndGDI) {
    if (!target_ || bitmap.Empty()) return false;
    const TRect dest{int(RoundHalfEven(x)), int(RoundHalfEven(y)), int(RoundHalfEven(x + width)),
                     int(RoundHalfEven(y + height))};
    target_->CopyRect(dest, bitmap.Canvas(), TRect{0, 0, bitmap.Width(), bitmap.Height()});
    return true;
  }
  if (backEnd_ != kBackEndGDIPlus || bitmap.Empty()) return false;
  TMemoryStream data;
  try {
    bitmap.SaveToStream(data);
  } catch (const std::exception&) {
    return ImageFailed();
  }
  data.SetPosition(0);
  GpImage* image = LoadImage(data, false);
  if (!image) return ImageFailed();
  const GpStatus st = gdiplus_->GdipDrawImageRect(graphics_, image, REAL(x), REAL(y), REAL(width), REAL(height));
  gdiplus_->GdipDisposeImage(image);
  return st == Ok || ImageFailed();
}

bool TPDFDaubrix::DrawImageStream(TStream& stream, int32_t frame, double x, double y, double width, double height,
                                  bool icm) {
  if ((backEnd_ == kBackEndGDI || backEnd_ == kBackEndGDIPlus) && StartsWithMetafile(stream))
    return DrawMetafileStream(stream, frame, x, y, width, height);
  if (backEnd_ == kBackEndGDI) {
    // Frame 1 of what this back end reads, into the rectangle.
    if (!target_) return false;
    if (frame > 1) return ImageFailed();
    const double pts[6] = {x, y, x + width, y, x, y + height};
    return GdiDrawImage(&stream, nullptr, 0, 0, pts, false, 0, 0) || ImageFailed();
  }
  if (backEnd_ != kBackEndGDIPlus) return false;
  GpImage* image = LoadImage(stream, icm);
  if (!image) return ImageFailed();
  if (frame > 1 && gdiplus_->SelectFrame(image, frame) != Ok) {
    gdiplus_->GdipDisposeImage(image);
    return ImageFailed();
  }
  const GpStatus st = gdiplus_->GdipDrawImageRect(graphics_, image, REAL(x), REAL(y), REAL(width), REAL(height));
  gdiplus_->GdipDisposeImage(image);
  return st == Ok || ImageFailed();
}

bool TPDFDaubrix::DrawImageData(TStream& stream, double x1, double y1, double x2, double y2, double x3, double y3) {
  const double pts[6] = {x1, y1, x2, y2, x3, y3};
  if (backEnd_ == kBackEndCairo) return CairoDrawImageData(stream, pts) || ImageFailed();
  if (DecodesHere()) {
    if (backEnd_ == kBackEndGDI && !target_) return false;
    return GdiDrawImage(&stream, nullptr, 0, 0, pts, false, 0, 0) || ImageFailed();
  }
  if (backEnd_ != kBackEndGDIPlus) return false;
  return GpDrawLoaded(LoadImage(stream, false), pts, 0, 0, false, 0, 0) || ImageFailed();
}

bool TPDFDaubrix::DrawDibPoints(const std::shared_ptr<GdiBitmap>& picture, double x1, double y1, double x2, double y2,
                                double x3, double y3) {
  if (!picture || picture->BitsPerPixel() != 24 || picture->Empty()) return false;
  const double pts[6] = {x1, y1, x2, y2, x3, y3};
  if (DecodesHere()) {
    // The blit reads the picture's own pixel store, as it reads a decoded BMP's.
    if (backEnd_ == kBackEndGDI && !target_) return false;
    TDecodedImage image;
    image.Bitmap = picture;
    if (backEnd_ == kBackEndCairo) return CairoDrawImage(image, 0, 0, pts, false, 0, 0) || ImageFailed();
    return GdiBlit(image, 0, 0, pts, false, 0, 0) || ImageFailed();
  }
  GdiBitmap& dib = *picture;
  if (backEnd_ != kBackEndGDIPlus || !gdiplus_->GdipCreateBitmapFromScan0) return false;
  // The provider borrows the rows: the top row first, bottom-up storage by a negative stride.
  const int64_t stride = dib.BottomUp() ? -dib.Stride() : dib.Stride();
  if (stride > INT32_MAX || stride < -INT32_MAX) return false;
  GpBitmap* image = nullptr;
  if (gdiplus_->GdipCreateBitmapFromScan0(dib.Width(), dib.Height(), int32_t(stride), PixelFormat24bppRGB, dib.Row(0),
                                          &image) != Ok)
    return false;
  // The flat API's floats hold every whole pixel only up to 2^24: a band further down (or
  // right) of a picture of up to 2^28 rows is placed from points near a world moved by whole
  // steps of 65,536 pixels, which floats hold exactly.
  constexpr double kExact = double(1 << 24), kStep = 65536;
  double shift[2] = {0, 0}, near[6];
  for (int axis = 0; axis < 2; ++axis) {
    const double least = std::min({pts[axis], pts[2 + axis], pts[4 + axis]});
    const double most = std::max({pts[axis], pts[2 + axis], pts[4 + axis]});
    if (std::max(std::fabs(least), std::fabs(most)) >= kExact && std::fabs(least) < 1e12)
      shift[axis] = std::floor(least / kStep) * kStep;
  }
  for (int i = 0; i < 6; ++i) near[i] = pts[i] - shift[i % 2];
  GpMatrix* world = nullptr;
  const bool moved = (shift[0] != 0 || shift[1] != 0) && gdiplus_->GdipSetWorldTransform &&
                     gdiplus_->GdipResetWorldTransform && gdiplus_->GdipDeleteMatrix &&
                     gdiplus_->GdipCreateMatrix2(1, 0, 0, 1, REAL(shift[0]), REAL(shift[1]), &world) == Ok;
  if (moved && gdiplus_->GdipSetWorldTransform(graphics_, world) != Ok) {
    gdiplus_->GdipDeleteMatrix(world);
    gdiplus_->GdipDisposeImage(reinterpret_cast<GpImage*>(image));
    return ImageFailed();
  }
  // The flat API hands bitmaps on as images.
  const bool drawn = GpDrawLoaded(reinterpret_cast<GpImage*>(image), moved ? near : pts, 0, 0, false, 0, 0);
  if (moved) {
    gdiplus_->GdipResetWorldTransform(graphics_);
    gdiplus_->GdipDeleteMatrix(world);
  }
  return drawn || ImageFailed();
}

bool TPDFDaubrix::DrawImageDataColorKey(TStream& stream, int32_t sourceWidth, int32_t sourceHeight, double x1,
                                        double y1, double x2, double y2, double x3, double y3, uint32_t lowKey,
                                        uint32_t highKey) {
  const double pts[6] = {x1, y1, x2, y2, x3, y3};
  if (DecodesHere()) {
    if (backEnd_ == kBackEndGDI && !target_) return false;
    return GdiDrawImage(&stream, nullptr, sourceWidth, sourceHeight, pts, true, lowKey, highKey) || ImageFailed();
  }
  if (backEnd_ != kBackEndGDIPlus) return false;
  return GpDrawLoaded(LoadImage(stream, false), pts, sourceWidth, sourceHeight, true, lowKey, highKey) ||
         ImageFailed();
}

bool TPDFDaubrix::SaveImageStreamAsTIFF(TStream& source, TStream& target) {
  if (backEnd_ != kBackEndGDIPlus || !gdiplus_->GdipSaveImageToStream) return false;
  CLSID tiff{};
  if (!gdiplus_->GetEncoderClsid(u"image/tiff", tiff)) return false;
  GpImage* image = LoadImage(source, false);
  if (!image) return false;
  uint32_t compression = EncoderValueCompressionCCITT4, depth = 1;
  TwoEncoderParameters params{};
  params.Count = 2;
  params.Parameter[0] = {EncoderCompression, 1, EncoderParameterValueTypeLong, &compression};
  params.Parameter[1] = {EncoderColorDepth, 1, EncoderParameterValueTypeLong, &depth};
  TImageBytesStreamAdapter out(target);
  const GpStatus st =
      gdiplus_->GdipSaveImageToStream(image, &out, &tiff, reinterpret_cast<const EncoderParameters*>(&params));
  gdiplus_->GdipDisposeImage(image);
  return st == Ok;
}

bool TPDFDaubrix::ConvertImageStream(TStream& source, TStream& target, const CLSID& encoder) {
  if (backEnd_ != kBackEndGDIPlus || !gdiplus_->GdipSaveImageToStream) return false;
  GpImage* image = LoadImage(source, false);
  if (!image) return false;
  TImageBytesStreamAdapter out(target);
  const GpStatus st = gdiplus_->GdipSaveImageToStream(image, &out, &encoder, nullptr);
  gdiplus_->GdipDisposeImage(image);
  return st == Ok;
}
