// Bitmap records: each record's device-independent bitmap (decoded by the platform) becomes an
// image XObject placed on the record's destination. Raster operations are applied to every
// source pixel (see metafile_rop.h); pixels that leave the destination alone, transparent
// colours, masks and alpha become the image's soft mask, so masked images stay exact.
#include <algorithm>
#include <cmath>
#include <exception>

#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/metafile_rop.h"
#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/metafile/emf_dib.h"

namespace {

ENHMETARECORD AsEmfRecord(const TMetafileRecord& r) {
  ENHMETARECORD e;
  e.iType = r.Type;
  e.nSize = uint32_t(r.Bytes.size());
  e.bytes = r.Bytes;
  return e;
}

int RopIndex(uint32_t rop) { return int((rop >> 16) & 0xFF); }

uint8_t ToByte(double v) { return uint8_t(std::clamp<long>(std::lround(v), 0, 255)); }

// Images larger than this on both sides are stored as JPEG when nothing of them is transparent.
constexpr int32_t kLosslessSide = 64;

}  // namespace

std::shared_ptr<GdiBitmap> TPDFMetafile::ReadDib(const TMetafileRecord& r, const TDibSource& dib, int64_t rows) {
  if (Stopped || dib.OffBmi == 0 || dib.CbBmi == 0 || dib.OffBits == 0) return nullptr;
  std::shared_ptr<GdiBitmap> bitmap;
  try {
    bitmap = DecodeRecordDib(AsEmfRecord(r), dib.OffBmi, dib.CbBmi, dib.OffBits, dib.CbBits, dib.Usage, {}, rows);
  } catch (const std::exception&) {
    return nullptr;  // a bitmap that cannot be read draws nothing
  }
  // Run-length bitmaps make many pixels of few bytes; every later step works on them all.
  if (bitmap && !Spend(int64_t(bitmap->Width()) * bitmap->Height())) return nullptr;
  return bitmap;
}

bool TPDFMetafile::CropSource(const GdiBitmap& bitmap, double sx, double sy, double sw, double sh, TCorners& dest,
                              TSourceRect& out) const {
  // A negative source size mirrors; the destination's corners swap instead.
  if (sw < 0) {
    sx += sw, sw = -sw;
    std::swap(dest.UL, dest.UR);
    dest.LL = {dest.LL.X + (dest.UL.X - dest.UR.X), dest.LL.Y + (dest.UL.Y - dest.UR.Y)};
  }
  if (sh < 0) {
    sy += sh, sh = -sh;
    const TMetafilePoint ul = dest.UL;
    dest.UL = dest.LL;
    dest.LL = ul;
    dest.UR = {dest.UR.X + (dest.UL.X - ul.X), dest.UR.Y + (dest.UL.Y - ul.Y)};
  }
  if (!(sw > 0 && sh > 0)) return false;
  // Only what lies on the bitmap is drawn: the destination shrinks with the source.
  const double x0 = std::max(sx, 0.0), y0 = std::max(sy, 0.0);
  const double x1 = std::min(sx + sw, double(bitmap.Width())), y1 = std::min(sy + sh, double(bitmap.Height()));
  if (!(x1 > x0 && y1 > y0)) return false;
  auto at = [&](double fx, double fy) {
    return TMetafilePoint{dest.UL.X + (dest.UR.X - dest.UL.X) * fx + (dest.LL.X - dest.UL.X) * fy,
                          dest.UL.Y + (dest.UR.Y - dest.UL.Y) * fx + (dest.LL.Y - dest.UL.Y) * fy};
  };
  const double fx0 = (x0 - sx) / sw, fx1 = (x1 - sx) / sw, fy0 = (y0 - sy) / sh, fy1 = (y1 - sy) / sh;
  dest = {at(fx0, fy0), at(fx1, fy0), at(fx0, fy1)};
  out = {int32_t(std::floor(x0)), int32_t(std::floor(y0)), int32_t(std::ceil(x1) - std::floor(x0)),
         int32_t(std::ceil(y1) - std::floor(y0))};
  return out.W > 0 && out.H > 0;
}

TPDFImage* TPDFMetafile::WriteImage(const TPixels& pixels, bool lossless) {
  if (Owner == nullptr || !Owner->OnMakeIndirect || pixels.W <= 0 || pixels.H <= 0) return nullptr;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(pixels.W, pixels.H);
  for (int32_t y = 0; y < pixels.H; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int32_t x = 0; x < pixels.W; ++x) {
      const uint32_t c = pixels.Color[size_t(y) * size_t(pixels.W) + size_t(x)];
      row[3 * x] = uint8_t(c >> 16), row[3 * x + 1] = uint8_t(c >> 8), row[3 * x + 2] = uint8_t(c);
    }
  }
  auto image = std::make_unique<TPDFImage>(Owner, "TalvoPDFI" + NewUniqueTag());
  image->Compression = 1;
  bool written = false;
  const bool masked = !pixels.Alpha.empty();
  if (lossless || masked || pixels.W <= kLosslessSide || pixels.H <= kLosslessSide) {
    written = image->WriteBitmap(bitmap, nullptr, false, false);
  } else {
    // Large opaque pictures go in as JPEG to keep the output small.
    TPDFJPEGImage jpeg;
    jpeg.Assign(bitmap);
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    stream.SetPosition(0);
    written = image->LoadFromStream(stream, 0);
  }
  if (!written) return nullptr;
  if (masked) {
    TPDFStream* mask =
        Owner->NewStream(FlateCompressString(std::string(pixels.Alpha.begin(), pixels.Alpha.end())), false);
    TPDFDictionary* dict = mask->Dictionary();
    dict->SetValue("Type", Owner->NewName("XObject"));
    dict->SetValue("Subtype", Owner->NewName("Image"));
    dict->SetValue("Width", Owner->NewNumeric(pixels.W));
    dict->SetValue("Height", Owner->NewNumeric(pixels.H));
    dict->SetValue("ColorSpace", Owner->NewName("DeviceGray"));
    dict->SetValue("BitsPerComponent", Owner->NewNumeric(8));
    dict->SetValue("Filter", Owner->NewName("FlateDecode"));
    int objNum = 0, gen = 0;
    if (Owner->MakeIndirect(mask, objNum, gen)) image->SetMaskReference(objNum, gen, 2);
  }
  ImageList->push_back(std::move(image));
  return ImageList->back().get();
}

void TPDFMetafile::PlaceImage(TPDFImage& image, const TCorners& c) {
  // The image's unit square: its top row towards UL-UR, its left column towards UL-LL.
  TPDFPainter& p = *painter_;
  p.SaveGraphicsState();
  p.WriteLine(p.Number(c.UR.X - c.UL.X) + p.Number(c.UR.Y - c.UL.Y) + p.Number(c.UL.X - c.LL.X) +
              p.Number(c.UL.Y - c.LL.Y) + p.Number(c.LL.X) + p.Number(c.LL.Y) + "cm");
  p.WriteLine("/" + image.Name + " Do");
  WriteQ();
}

bool TPDFMetafile::Pixels(const GdiBitmap& bitmap, const TSourceRect& src, const TRopEvaluator& rop,
                          const TPixelRule& rule, TPixels& out) const {
  out.W = src.W, out.H = src.H;
  const size_t count = size_t(src.W) * size_t(src.H);
  out.Color.assign(count, 0xFFFFFF);
  std::vector<uint8_t> alpha(count, 255);
  bool anyAlpha = false;
  const bool hasAlpha = rule.PerPixelAlpha && bitmap.BitsPerPixel() == 32;
  for (int32_t y = 0; y < src.H; ++y) {
    const int32_t by = std::clamp(src.Y + y, 0, bitmap.Height() - 1);
    for (int32_t x = 0; x < src.W; ++x) {
      const int32_t bx = std::clamp(src.X + x, 0, bitmap.Width() - 1);
      const size_t i = size_t(y) * size_t(src.W) + size_t(x);
      uint32_t color = bitmap.GetColor(bx, by) & 0xFFFFFF;
      uint8_t a = ToByte(rule.ConstantAlpha * 255.0);
      if (hasAlpha) {
        // The player blends premultiplied colours: they are divided out for the soft mask.
        const uint32_t pa = bitmap.GetRaw(bx, by) >> 24;
        a = ToByte(rule.ConstantAlpha * pa);
        if (pa > 0 && pa < 255) {
          uint32_t un = 0;
          for (int c = 0; c < 3; ++c)
            un |= uint32_t(std::min<uint32_t>(255, (((color >> (8 * c)) & 0xFF) * 255 + pa / 2) / pa)) << (8 * c);
          color = un;
        }
      }
      if (rule.KeyColor >= 0 && color == uint32_t(rule.KeyColor)) a = 0;
      const TRopEvaluator* op = &rop;
      if (rule.Mask && rule.MaskRop) {
        const int32_t mx = rule.MaskX + x, my = rule.MaskY + y;
        const bool set = mx >= 0 && my >= 0 && mx < rule.Mask->Width() && my < rule.Mask->Height() &&
                         (rule.Mask->GetColor(mx, my) & 0xFFFFFF) != 0;
        if (!set) op = rule.MaskRop;
      }
      if (!op->Copies()) {
        uint32_t drawn = 0;
        if (op->Apply(color, drawn))
          color = drawn;
        else
          a = 0;
      }
      out.Color[i] = color;
      alpha[i] = a;
      anyAlpha = anyAlpha || a != 255;
    }
  }
  if (anyAlpha) out.Alpha = std::move(alpha);
  return true;
}

void TPDFMetafile::DrawDib(const TMetafileRecord& r, const TDibSource& dib, TCorners dest, double sx, double sy,
                           double sw, double sh, bool dibOrigin, int ropIndex, const TPixelRule& rule) {
  const TRopEvaluator rop(ropIndex, Brush.Color);
  if (rop.KeepsDestination() && !rule.MaskRop) return;  // leaves everything as it was
  std::shared_ptr<GdiBitmap> bitmap = ReadDib(r, dib, rule.Rows);
  if (!bitmap || bitmap->Empty()) return;
  // The device-independent calls count a bottom-up bitmap's rows from its bottom.
  if (dibOrigin && DibBottomUp(r, dib)) sy = bitmap->Height() - sy - sh;
  TSourceRect src;
  if (!CropSource(*bitmap, sx, sy, sw, sh, dest, src)) return;
  if (int64_t(src.W) * src.H > kMaxBitmapPixels) return;
  TPixels pixels;
  Pixels(*bitmap, src, rop, rule, pixels);
  // Transparent colours, masks and alpha stay lossless too: a lossy picture would bleed the
  // colours its mask hides into the pixels it shows.
  const bool lossless = rule.KeyColor >= 0 || rop.MixesWithDestination() || rule.Mask || rule.PerPixelAlpha;
  if (TPDFImage* image = WriteImage(pixels, lossless)) PlaceImage(*image, dest);
}

bool TPDFMetafile::DibBottomUp(const TMetafileRecord& r, const TDibSource& dib) const {
  const uint32_t size = r.U32(dib.OffBmi);
  if (size == 12) return true;  // the old core header has no top-down form
  return r.I32(dib.OffBmi + 8) > 0;
}

TPDFMetafile::TCorners TPDFMetafile::DestRect(double x, double y, double cx, double cy) const {
  return {Map(x, y), Map(x + cx, y), Map(x, y + cy)};
}

void TPDFMetafile::BrushBlit(const TCorners& dest, int ropIndex) {
  // An operation without a source: the brush alone, over what is there.
  const TRopEvaluator rop(ropIndex, Brush.Color);
  if (rop.KeepsDestination()) return;
  TMetafilePath box;
  box.MoveTo(dest.UL);
  box.LineTo(dest.UR);
  box.LineTo({dest.UR.X + dest.LL.X - dest.UL.X, dest.UR.Y + dest.LL.Y - dest.UL.Y});
  box.LineTo(dest.LL);
  box.Close();
  if (ropIndex == 0xF0 && Brush.Style != TBrush::None) {
    PaintPath(box, true, false, false);  // PATCOPY: the brush as it is, pattern or hatch too
    return;
  }
  uint32_t color = 0;
  if (rop.Apply(0, color)) FillWithColor(box, color, false);
}

void TPDFMetafile::HandleBitmapRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::BitBlt:
    case emr::StretchBlt:
    case emr::MaskBlt:
    case emr::TransparentBlt: {
      const TDibSource dib{r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80)};
      const double x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
      const bool stretch = r.Type == emr::StretchBlt || r.Type == emr::TransparentBlt;
      const double sw = stretch ? r.I32(100) : cx, sh = stretch ? r.I32(104) : cy;
      const int rop = r.Type == emr::TransparentBlt ? 0xCC : RopIndex(r.U32(40));
      const TCorners dest = DestRect(x, y, cx, cy);
      if (dib.OffBmi == 0 || dib.CbBmi == 0) {
        if (!TRopEvaluator(rop, 0).UsesSource()) BrushBlit(dest, rop);
        return;  // an operation that needs a source draws nothing without one
      }
      TPixelRule rule;
      std::shared_ptr<GdiBitmap> mask;
      std::unique_ptr<TRopEvaluator> background;
      if (r.Type == emr::TransparentBlt) rule.KeyColor = int64_t(r.U32(40) & 0xFFFFFF);
      if (r.Type == emr::MaskBlt) {
        mask = ReadDib(r, {r.U32(112), r.U32(116), r.U32(120), r.U32(124), r.U32(108)});
        if (mask) {
          // Where the mask is clear the operation of the code's high byte applies.
          background = std::make_unique<TRopEvaluator>(int((r.U32(40) >> 24) & 0xFF), Brush.Color);
          rule.Mask = mask.get();
          rule.MaskRop = background.get();
          rule.MaskX = r.I32(100), rule.MaskY = r.I32(104);
        }
      }
      DrawDib(r, dib, dest, r.I32(44), r.I32(48), sw, sh, false, rop, rule);
      return;
    }
    case emr::StretchDIBits: {
      const TDibSource dib{r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64)};
      const int rop = RopIndex(r.U32(68));
      const TCorners dest = DestRect(r.I32(24), r.I32(28), r.I32(72), r.I32(76));
      if (dib.OffBmi == 0 || dib.CbBmi == 0) {
        if (!TRopEvaluator(rop, 0).UsesSource()) BrushBlit(dest, rop);
        return;
      }
      DrawDib(r, dib, dest, r.I32(32), r.I32(36), r.I32(40), r.I32(44), true, rop, {});
      return;
    }
    case emr::SetDIBitsToDevice: {
      // Pixel for pixel on the device, from the destination point on.
      const TDibSource dib{r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64)};
      const double cx = r.I32(40), cy = r.I32(44);
      const TMetafilePoint ul = Map(r.I32(24), r.I32(28));
      const TPDFMatrix& m = DeviceTransform;
      TCorners dest{ul, {ul.X + cx * m[0], ul.Y + cx * m[1]}, {ul.X + cy * m[2], ul.Y + cy * m[3]}};
      TPixelRule rule;
      rule.Rows = int64_t(r.U32(72));
      // The record holds the scan lines from iStartScan on.
      DrawDib(r, dib, dest, r.I32(32), double(r.I32(36)) - r.U32(68), cx, cy, true, 0xCC, rule);
      return;
    }
    case emr::PlgBlt: {
      const TDibSource dib{r.U32(96), r.U32(100), r.U32(104), r.U32(108), r.U32(92)};
      const TCorners dest{Map(r.I32(24), r.I32(28)), Map(r.I32(32), r.I32(36)), Map(r.I32(40), r.I32(44))};
      TPixelRule rule;
      std::shared_ptr<GdiBitmap> mask = ReadDib(r, {r.U32(124), r.U32(128), r.U32(132), r.U32(136), r.U32(120)});
      const TRopEvaluator nothing(0xAA, 0);
      if (mask) rule.Mask = mask.get(), rule.MaskRop = &nothing, rule.MaskX = r.I32(112), rule.MaskY = r.I32(116);
      DrawDib(r, dib, dest, r.I32(48), r.I32(52), r.I32(56), r.I32(60), false, 0xCC, rule);
      return;
    }
    default: return;
  }
}

void TPDFMetafile::HandleAlphaBlend(const TMetafileRecord& r) {
  // The blend's constant and per-pixel opacity go into the image's soft mask, which every
  // renderer applies to an image.
  const TDibSource dib{r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80)};
  const TCorners dest = DestRect(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
  TPixelRule rule;
  rule.ConstantAlpha = r.U8(42) / 255.0;
  rule.PerPixelAlpha = (r.U8(43) & 1) != 0;
  if (rule.ConstantAlpha <= 0) return;
  DrawDib(r, dib, dest, r.I32(44), r.I32(48), r.I32(100), r.I32(104), false, 0xCC, rule);
}

std::string TPDFMetafile::WritePattern(const GdiBitmap& bitmap) {
  TBitmap picture;
  GdiBitmap copy;
  copy.CopyFrom(bitmap);
  picture.Dib().TakeFrom(copy);
  picture.SetPixelFormat(pf24bit);
  // One bitmap pixel is one device pixel, the tiles aligned on the device's origin.
  const double unit = DevicePixel() * 0.001;
  const TMetafilePoint origin = MapDevice(0, 0);
  auto pattern = std::make_unique<TPDFPattern>(Owner, "ZRXP" + NewUniqueTag());
  if (!pattern->WriteBitmapPattern(picture, {unit, 0, 0, unit, origin.X * 0.001, origin.Y * 0.001})) return "";
  std::string name = pattern->Name;
  PatternList->push_back(std::move(pattern));
  return name;
}

std::string TPDFMetafile::MonoPatternName(const TBrush& brush) {
  // A monochrome brush draws its clear bits in the text colour and its set bits in the
  // background colour of the moment it paints, not of the moment it was made.
  const auto key = std::make_tuple(brush.MonoId, TextColor, BkColor);
  if (const auto it = monoPatterns_.find(key); it != monoPatterns_.end()) return it->second;
  // Each colouring writes the picture again.
  if (!Spend(int64_t(brush.Mono->Width()) * brush.Mono->Height())) return "";
  GdiBitmap coloured;
  coloured.CopyFrom(*brush.Mono);
  const RGBQUAD fore{uint8_t(TextColor >> 16), uint8_t(TextColor >> 8), uint8_t(TextColor), 0};
  const RGBQUAD back{uint8_t(BkColor >> 16), uint8_t(BkColor >> 8), uint8_t(BkColor), 0};
  const RGBQUAD table[2] = {fore, back};
  coloured.SetColors(table);
  std::string name = WritePattern(coloured);
  monoPatterns_[key] = name;
  return name;
}

void TPDFMetafile::CreatePatternBrush(const TMetafileRecord& r, bool mono) {
  const uint32_t index = r.U32(8);
  ForgetObject(index);
  TBrush brush;
  brush.Style = TBrush::Patterned;
  brush.Color = 0;
  std::shared_ptr<GdiBitmap> bitmap = ReadDib(r, {r.U32(16), r.U32(20), r.U32(24), r.U32(28), r.U32(12)});
  if (bitmap && !bitmap->Empty() && int64_t(bitmap->Width()) * bitmap->Height() <= (int64_t(1) << 24)) {
    if (mono && bitmap->BitsPerPixel() == 1) {
      brush.Mono = std::move(bitmap);  // coloured when it paints
      brush.MonoId = ++monoBrushes_;
    } else {
      brush.PatternName = WritePattern(*bitmap);
    }
  }
  // A brush whose picture cannot be read or written is no object, as the player's record
  // fails: selecting its index keeps the brush there was.
  if (!brush.PatternName.empty() || brush.Mono) BrushObjects[index] = std::move(brush);
}
