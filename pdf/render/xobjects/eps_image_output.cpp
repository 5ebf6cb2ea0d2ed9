// Pictures of EPS output: images, and the pattern and shading fills that PostScript gets as
// images. A picture is drawn twice at its own size, once onto white and once onto black; where
// the two agree it is opaque, and how far they differ gives its coverage. The writer gets the
// colours and, when anything is transparent, that coverage as its mask.
#include <algorithm>
#include <cmath>

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"

namespace {

// Pixels of one picture in EPS output at most, and in the HTML5 page (whose script carries four
// bytes a pixel, in base 64); larger ones are written at a reduced size.
constexpr double kEPSPicturePixels = double(1 << 24);
constexpr double kHTML5PicturePixels = double(1 << 22);

// Splits the two drawings into straight colours (into onBlack) and coverage (into mask);
// true when some pixel is not fully covered.
bool SplitCoverage(TBitmap& onWhite, TBitmap& onBlack, TBitmap& mask) {
  const int32_t w = onBlack.Width(), h = onBlack.Height();
  mask.SetPixelFormat(pf24bit);
  mask.SetSize(w, h);
  bool transparent = false;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* white = onWhite.ScanLine(y);
    uint8_t* colour = onBlack.ScanLine(y);
    uint8_t* cover = mask.ScanLine(y);
    for (int32_t x = 0; x < 3 * w; x += 3) {
      int spread = 0;
      for (int c = 0; c < 3; ++c) spread = std::max(spread, int(white[x + c]) - int(colour[x + c]));
      const int alpha = 255 - std::clamp(spread, 0, 255);
      transparent = transparent || alpha < 255;
      for (int c = 0; c < 3; ++c) {
        cover[x + c] = uint8_t(alpha);
        colour[x + c] = alpha == 0 ? 255 : uint8_t(std::min(255, (colour[x + c] * 255 + alpha / 2) / alpha));
      }
    }
  }
  return transparent;
}

}  // namespace

void TPDFRenderer::FitEPSPicture(int64_t& width, int64_t& height, bool html5) {
  const double most = html5 ? kHTML5PicturePixels : kEPSPicturePixels;
  width = std::max<int64_t>(1, width), height = std::max<int64_t>(1, height);
  if (double(width) * double(height) <= most) return;
  const double scale = std::sqrt(most / (double(width) * double(height)));
  width = std::max<int64_t>(1, int64_t(double(width) * scale));
  height = std::max<int64_t>(1, int64_t(double(height) * scale));
}

bool TPDFRenderer::PaintPicture(int32_t width, int32_t height, bool gdiplus, const TEPSPainter& paint,
                                TBitmap& colours, TBitmap& coverage, bool& masked) {
  ChargePaint(0, 0, double(width), double(height));
  TBitmap onWhite;
  try {
    for (auto [bitmap, background] : {std::pair{&onWhite, 0xFFFFFFu}, std::pair{&colours, 0u}}) {
      bitmap->SetPixelFormat(pf24bit);
      bitmap->SetSize(width, height);
      TCanvas& target = bitmap->Canvas();
      target.Brush().SetStyle(bsSolid);
      target.Brush().SetColor(TColor(background));
      target.FillRect(TRect{0, 0, width, height});
      TPDFDaubrix canvas;
      if (gdiplus)
        canvas.Setup(&target, Options);
      else
        canvas.SetTarget(&target);
      if (!paint(canvas)) return false;
    }
    masked = SplitCoverage(onWhite, colours, coverage);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

bool TPDFRenderer::WriteEPSPicture(TPDFContentRun& run, int32_t width, int32_t height, bool gdiplus,
                                   const TEPSPainter& paint, const std::string& id, bool reusable, bool imageMask) {
  TBitmap colours, coverage;
  bool masked = false;
  if (!PaintPicture(width, height, gdiplus, paint, colours, coverage, masked)) return false;
  run.EPS->WriteImage(colours, masked ? &coverage : nullptr, imageMask, id, reusable);
  return true;
}

// The decoder's image at its own size (the finer of the image and its mask, so that neither
// loses detail), reduced to what one picture may have.
void TPDFRenderer::PictureSize(TPDFImageDecoder& decoder, int64_t& w, int64_t& h, bool html5) {
  w = decoder.Width, h = decoder.Height;
  if (decoder.Bitmap && !decoder.Bitmap->Empty()) w = decoder.Bitmap->Width(), h = decoder.Bitmap->Height();
  if (decoder.MaskBitmap && !decoder.MaskBitmap->Empty())
    w = std::max<int64_t>(w, decoder.MaskBitmap->Width()), h = std::max<int64_t>(h, decoder.MaskBitmap->Height());
  if (w > 0 && h > 0) FitEPSPicture(w, h, html5);
}

TPDFRenderer::TEPSPainter TPDFRenderer::DecoderPainter(TPDFImageDecoder& decoder, int64_t w, int64_t h,
                                                       COLORREF fill) {
  return [&decoder, w, h, fill](TPDFDaubrix& canvas) {
    decoder.DrawFailed = false;
    decoder.DrawImage(canvas, {double(w), 0, 0, -double(h), 0, double(h)}, fill);
    return !decoder.DrawFailed && canvas.LastError().empty();
  };
}

void TPDFRenderer::DrawHTML5Image(TPDFContentRun& run, TPDFImageDecoder& decoder) {
  int64_t w = 0, h = 0;
  PictureSize(decoder, w, h, true);
  TBitmap colours, coverage;
  bool masked = false;
  if (w <= 0 || h <= 0 ||
      !PaintPicture(int32_t(w), int32_t(h), false, DecoderPainter(decoder, w, h, run.State.FillColor), colours, coverage,
                    masked)) {
    ErrorText = kImageDrawError;
    return;
  }
  const TPDFPoint ul = TransformPoint(0, 1), ur = TransformPoint(1, 1), ll = TransformPoint(0, 0);
  run.Canvas->DrawHTML5Picture(colours, masked ? &coverage : nullptr, ul.X, ul.Y, ur.X, ur.Y, ll.X, ll.Y);
}

void TPDFRenderer::WriteEPSImage(TPDFContentRun& run, TPDFImageDecoder& decoder, const std::string& id,
                                 bool reusable) {
  if (decoder.ImageMask == 1 && PaintsNothing(run.State.FillColorSpace)) return;
  int64_t w = 0, h = 0;
  PictureSize(decoder, w, h);
  // A stencil takes the fill colour of each showing: its picture is not the same twice.
  const bool stencil = decoder.ImageMask == 1;
  if (w <= 0 || h <= 0 ||
      !WriteEPSPicture(run, int32_t(w), int32_t(h), false, DecoderPainter(decoder, w, h, run.State.FillColor), id,
                       reusable && !stencil, stencil))
    ErrorText = kImageDrawError;
}
