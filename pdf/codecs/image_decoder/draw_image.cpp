// Drawing a decoded image: one encoded picture (PNG, BMP, JPEG) onto three corner points, with
// a mask folded in as alpha, a colour key, or a stencil's fill colour.
#include <algorithm>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"

using namespace imgdec;

void TPDFImageDecoder::DrawImage(TPDFDaubrix& canvas, const std::array<double, 6>& m, COLORREF fillColor) {
  if (!Decoded || Failed) return;
  auto transform = [&](double x, double y) {
    return std::pair{m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
  };
  const auto [x1, y1] = transform(0, 1);  // upper left
  const auto [x2, y2] = transform(1, 1);  // upper right
  const auto [x3, y3] = transform(0, 0);  // lower left
  try {
    if (deferredRows_) {
      if (DrawRows(canvas, x1, y1, x2, y2, x3, y3)) return;
      DecodeDeferredRows();
      if (!Decoded || Failed) {
        // What was taken for an image when it was set turned out not to be one.
        DrawFailed = true;
        return;
      }
    }
    // An unmasked bitmap goes to the canvas as it is where the canvas can take it so.
    const bool plain = MaskKind != kMaskColorKey && MaskKind != kMaskStencil && !(MaskBitmap && !MaskBitmap->Empty());
    if (!DataStream && plain && Bitmap && !Bitmap->Empty() && canvas.DrawDibPoints(Bitmap->SharedDib(), x1, y1, x2, y2, x3, y3))
      return;
    if (!DataStream) MakeDrawData();
    if (!DataStream) return;
    DataStream->SetPosition(0);
    switch (MaskKind) {
      case kMaskColorKey: {
        uint32_t low = 0, high = 0;
        ColorKeyRange(low, high);
        const int32_t w = Bitmap && !Bitmap->Empty() ? Bitmap->Width() : Width;
        const int32_t h = Bitmap && !Bitmap->Empty() ? Bitmap->Height() : Height;
        canvas.DrawImageDataColorKey(*DataStream, w, h, x1, y1, x2, y2, x3, y3, low, high);
        break;
      }
      case kMaskStencil:
        PatchPNGPalette(*DataStream, "SetTrans", fillColor);
        DataStream->SetPosition(0);
        canvas.DrawImageData(*DataStream, x1, y1, x2, y2, x3, y3);
        PatchPNGPalette(*DataStream, "Reset", 0);
        break;
      default:
        canvas.DrawImageData(*DataStream, x1, y1, x2, y2, x3, y3);
    }
  } catch (const std::exception&) {
    DrawFailed = true;
  }
}

void TPDFImageDecoder::RedrawAtSize(TBitmap& bitmap, int32_t width, int32_t height) {
  // The canvas scales the picture as it draws any other; the rectangle reaches one pixel past
  // the target on either axis, so that its last row and column are covered whole.
  auto target = std::make_unique<TBitmap>();
  target->SetPixelFormat(pf24bit);
  target->SetSize(width, height);
  {
    TPDFDaubrix canvas;
    canvas.Setup(&target->Canvas(), GetCanvasSettings());
    canvas.DrawBitmap(bitmap, 0, 0, double(width) + 1, double(height) + 1);
  }
  bitmap.Dib().TakeFrom(target->Dib());
}

void TPDFImageDecoder::MakeDrawData() {
  if (!Bitmap || Bitmap->Empty()) return;
  auto stream = std::make_unique<TMemoryStream>();
  if (MaskBitmap && !MaskBitmap->Empty()) {
    const auto [w, h] = MaskMeetingSize(Bitmap->Width(), Bitmap->Height(), MaskBitmap->Width(), MaskBitmap->Height());
    if (!ImageSizeAccepted(w, h)) {
      DrawFailed = true;
    } else {
      try {
        if (Bitmap->Width() != w || Bitmap->Height() != h) {
          if (Bitmap->Width() == 1 && Bitmap->Height() == 1)
            FillWithItsPixel(*Bitmap, w, h);
          else
            RedrawAtSize(*Bitmap, w, h);
        }
        if (MaskBitmap->Width() != w || MaskBitmap->Height() != h) RedrawAtSize(*MaskBitmap, w, h);
      } catch (const std::exception&) {
        DrawFailed = true;
      }
    }
    const bool invert = (MaskKind == kMaskStencil || MaskKind == kMaskBitmap || MaskKind == kMaskSoft) &&
                        DecodeStartsInverted(MaskDecode);
    // The writer borrows the bitmap and gives it back.
    TPNGWriter writer(std::move(Bitmap));
    writer.StoreOnly = true;
    writer.SetAlphaMask(MaskBitmap.get(), invert);
    try {
      writer.SaveToStream(*stream);
    } catch (...) {
      Bitmap = std::move(writer.Bitmap);
      throw;
    }
    Bitmap = std::move(writer.Bitmap);
  } else {
    Bitmap->SaveToStream(*stream);
  }
  DataStream = std::move(stream);
}

bool TPDFImageDecoder::ColorKeyRange(uint32_t& low, uint32_t& high) {
  low = high = 0;
  const int components = ColorSpace == "DeviceGray"   ? 1
                         : ColorSpace == "DeviceRGB"  ? 3
                         : ColorSpace == "DeviceCMYK" ? 4
                                                      : 0;
  if (components == 0 || int(ColorKey.size()) != 2 * components) return false;
  // Key values are samples of the image's depth; the Decode array maps them as it maps the
  // samples.
  const int bpc = BitsPerComponent >= 1 && BitsPerComponent <= 16 ? BitsPerComponent : 8;
  const double top = double((uint32_t{1} << bpc) - 1);
  const bool withDecode = int(sourceDecode_.size()) >= 2 * components;
  double lo[4], hi[4];
  for (int c = 0; c < components; ++c) {
    const double d0 = withDecode ? sourceDecode_[size_t(2 * c)] : 0.0;
    const double d1 = withDecode ? sourceDecode_[size_t(2 * c + 1)] : 1.0;
    const double a = d0 + ColorKey[size_t(2 * c)] / top * (d1 - d0);
    const double b = d0 + ColorKey[size_t(2 * c + 1)] / top * (d1 - d0);
    lo[c] = std::min(a, b);
    hi[c] = std::max(a, b);
  }
  double lr, lg, lb, hr, hg, hb;
  if (components == 1) {
    lr = lg = lb = lo[0];
    hr = hg = hb = hi[0];
  } else if (components == 3) {
    lr = lo[0], lg = lo[1], lb = lo[2];
    hr = hi[0], hg = hi[1], hb = hi[2];
  } else {
    // More ink is darker: the range's low corner gives the high colour.
    ColorManager->CMYKToRGB(lo[0], lo[1], lo[2], lo[3], hr, hg, hb);
    ColorManager->CMYKToRGB(hi[0], hi[1], hi[2], hi[3], lr, lg, lb);
    if (lr > hr) std::swap(lr, hr);
    if (lg > hg) std::swap(lg, hg);
    if (lb > hb) std::swap(lb, hb);
  }
  // Handed over blue, green, red: red lands in bits 16 to 23, as the canvas takes keys.
  low = ColorManager->RGBToColor(lb, lg, lr);
  high = ColorManager->RGBToColor(hb, hg, hr);
  return true;
}
