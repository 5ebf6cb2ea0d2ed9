// RenderPage: the page box, the raster, the device matrix, the canvas for the output mode,
// and the run of the page's content.
#include <algorithm>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/funnel/text_funnel.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/metafile_canvas.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/streams.h"

namespace {

constexpr std::string_view kPageBoxNames[5] = {"MediaBox", "CropBox", "BleedBox", "TrimBox", "ArtBox"};

// The canvas of the bitmap stays locked for the whole render, on every path out.
class TCanvasLock {
 public:
  explicit TCanvasLock(TCanvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
  ~TCanvasLock() { canvas_.Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  TCanvas& canvas_;
};

bool Finite(double a, double b, double c, double d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// Round to nearest; one more when that fell short of the exact size.
int64_t CeilRound(double points, double resolution) {
  const double exact = points * resolution / 72;
  if (!std::isfinite(exact) || std::fabs(exact) > 1e12) return exact < 0 ? -1 : int64_t(1) << 40;
  int64_t n = RoundHalfEven(exact);
  if (double(n) * 72 < points * resolution) ++n;
  return n;
}

// Round to nearest, halves to even; a picture has at least one pixel.
int64_t RoundedSize(double points, double resolution) {
  const double exact = points * resolution / 72;
  if (!std::isfinite(exact) || std::fabs(exact) > 1e12) return exact < 0 ? -1 : int64_t(1) << 40;
  return exact > 0 ? std::max<int64_t>(1, RoundHalfEven(exact)) : RoundHalfEven(exact);
}

void Prepend(TPDFMatrix& current, const TPDFMatrix& t) { MatrixMultiply(current, t, current); }

}  // namespace

void TPDFRenderer::RenderPage() {
  TCanvasLock lock(bitmap_->Canvas());
  UseSavedState = 0;
  ErrorText.clear();
  ImageRecords.clear();
  if (Budget == &ownBudget_) ownBudget_ = TPDFRenderBudget{};
  if (fonts_ != nullptr) fonts_->SetTextOnly(Mode == kRenderTextExtraction);
  colorManager_->PolynomialCMYK = Options.PolynomialCMYK;
  if (Resolution == 0) Resolution = 1.0;
  if (Mode == kRenderTextExtraction) {
    funnel_->Clear();
    Resolution = 72;
  }

  // The chosen box, clipped to the media box.
  double x1 = 0, y1 = 0, x2 = 612, y2 = 792;
  double mx1 = 0, my1 = 0, mx2 = 612, my2 = 792;
  const bool known = PageBoxIndex >= 1 && PageBoxIndex <= 5;
  GetPageBox(kPageBoxNames[known ? PageBoxIndex - 1 : 1], x1, y1, x2, y2);
  GetPageBox("MediaBox", mx1, my1, mx2, my2);
  if (!Finite(mx1, my1, mx2, my2)) mx1 = 0, my1 = 0, mx2 = 612, my2 = 792;
  if (!Finite(x1, y1, x2, y2)) x1 = mx1, y1 = my1, x2 = mx2, y2 = my2;
  x1 = std::max(x1, mx1), y1 = std::max(y1, my1), x2 = std::min(x2, mx2), y2 = std::min(y2, my2);
  // A box that lies outside the media box leaves nothing: the media box is the page then. A
  // box of no width or height is a page one point across.
  if (x2 < x1 || y2 < y1) x1 = mx1, y1 = my1, x2 = mx2, y2 = my2;
  double w = x2 - x1, h = y2 - y1;
  if (w == 0) w = 1.0;
  if (h == 0) h = 1.0;

  int32_t rotate = 0;
  if (auto* value = PDFCast<TPDFNumeric>(GetInheritedAttribute(Page, "Rotate"))) rotate = value->AsInteger();
  int32_t rotation = (rotate / 90) % 4 * 90;
  if (rotation < 0) rotation += 360;
  if (rotation == 90 || rotation == 270) std::swap(w, h);
  // Outputs without a picture size themselves by the box's far corner.
  FarCorner = {x2, y2};
  RenderToOutputStream(w, h, x1, y1, rotation);
}

// Sizes the raster; false (with the error text) when it cannot be had.
bool TPDFRenderer::SizeRaster(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxBitmapPixels || height > kMaxBitmapPixels / width) {
    ErrorText = kRasterTooLargeText;
    RasterWidth = RasterHeight = 0;
    return false;
  }
  RasterWidth = static_cast<int32_t>(width);
  RasterHeight = static_cast<int32_t>(height);
  return true;
}

void TPDFRenderer::RenderToOutput(double w, double h, double x1, double y1, int32_t rotation) {
  CurrentMatrix = kIdentityMatrix;
  RasterWidth = RasterHeight = 10;
  const bool metafile = Mode == kRenderWMF || Mode == kRenderEMF;
  const bool drawsRaster = metafile || Mode == kRenderBitmap || Mode == kRenderGDIPlusEMF || Mode == kRenderDeviceContext ||
                           Mode == kRenderCairoDC || Mode == kRenderCairoBitmap || Mode == kRenderHTML5;
  // Text extraction, image collection and EPS draw no picture of their own: device space is
  // the page's own.
  const bool noPicture = Mode == kRenderImageCollection || Mode == kRenderTextExtraction || Mode == kRenderEPS;
  if (!drawsRaster && !noPicture && Mode != kRenderPrinter) {
    ErrorText = kModeUnavailableText + IntToStr(Mode);
    return;
  }
  if (noPicture) {
    // No picture: the raster is the box's far corner, the matrix stays the identity.
    RasterWidth = ClampToInt32(RoundHalfEven(FarCorner.X) + 1);
    RasterHeight = ClampToInt32(RoundHalfEven(FarCorner.Y) + 1);
  } else if (Mode != kRenderPrinter) {
    if ((Mode == kRenderGDIPlusEMF && metafileStream_ == nullptr) || (Mode == kRenderDeviceContext && !targetDC_) ||
        (Mode == kRenderCairoDC && !cairoDC_) || (Mode == kRenderHTML5 && html5Stream_ == nullptr)) {
      ErrorText = kModeUnavailableText + IntToStr(Mode);
      return;
    }
    // A metafile is sized by plain rounding.
    const bool sized = metafile ? SizeRaster(RoundedSize(w, Resolution), RoundedSize(h, Resolution))
                                : SizeRaster(CeilRound(w, Resolution), CeilRound(h, Resolution));
    if (!sized) {
      if (Mode == kRenderBitmap || Mode == kRenderCairoBitmap) bitmap_->SetSize(0, 0);
      if (metafile) metafile_->Clear();
      return;
    }
  }

  // The recording closes when its canvas goes, after the page's canvas has let go of it.
  std::unique_ptr<TMetafileCanvas> recording;
  // A caller's device context is the target of the GDI back end too, should GDI+ not come up.
  std::unique_ptr<TCanvas> callerCanvas;
  TPDFDaubrix canvas;
  canvas.PageHeight = h;
  if (Mode == kRenderPrinter) {
    if (!PreparePrinter(canvas)) return;
  } else if (Mode == kRenderBitmap || Mode == kRenderCairoBitmap) {
    // A bitmap sized from nothing comes out white: it needs no clearing.
    const bool white = bitmap_->Empty();
    try {
      bitmap_->SetPixelFormat(pf24bit);
      bitmap_->SetSize(RasterWidth, RasterHeight);
    } catch (const std::exception&) {
      ErrorText = kRasterTooLargeText;
      return;
    }
    TCanvas& target = bitmap_->Canvas();
    target.Brush().SetStyle(bsSolid);
    target.Brush().SetColor(TColor(0xFFFFFF));
    if (!white) target.FillRect(TRect{0, 0, RasterWidth, RasterHeight});
    if (Mode == kRenderCairoBitmap) {
      if (!canvas.SetupCairo(target.Handle(), cairoPath_, cairoFlag_ != 0)) {
        ErrorText = kModeUnavailableText + IntToStr(Mode);
        return;
      }
    } else if (Options.UseGDIPlus != 0) {
      canvas.Setup(&target, Options);
    } else {
      canvas.SetTarget(&target);
    }
  } else if (metafile) {
    recording = BeginMetafile();
    if (!recording) return;
    if (Options.UseGDIPlus != 0) canvas.Setup(recording.get(), Options);
    else canvas.SetTarget(recording.get());
  } else if (Mode == kRenderGDIPlusEMF) {
    canvas.SetMetafileStream(RasterWidth, RasterHeight, metafileStream_);
    canvas.Setup(&bitmap_->Canvas(), Options);
  } else if (Mode == kRenderDeviceContext) {
    if (clearFirst_) {
      PatBlt(targetDC_, targetX_, targetY_, RasterWidth, RasterHeight, 0x00FF0062);
      Prepend(CurrentMatrix, {1, 0, 0, 1, double(targetX_), double(targetY_)});
    } else {
      TCanvas target(targetDC_);
      target.Brush().SetStyle(bsSolid);
      target.Brush().SetColor(TColor(0xFFFFFF));
      target.FillRect(TRect{0, 0, RasterWidth, RasterHeight});
    }
    canvas.SetTargetDC(RasterWidth, RasterHeight, targetDC_);
    callerCanvas = std::make_unique<TCanvas>(targetDC_);
    canvas.Setup(callerCanvas.get(), Options);
  } else if (Mode == kRenderCairoDC) {
    if (!canvas.SetupCairo(cairoDC_, cairoPath_, cairoFlag_ != 0)) {
      ErrorText = kModeUnavailableText + IntToStr(Mode);
      return;
    }
  } else if (Mode == kRenderHTML5) {
    canvas.BeginHTML5Canvas(html5Stream_);
  } else if (Mode == kRenderEPS) {
    eps_->WriteHeader(x1, y1, FarCorner.X, FarCorner.Y);
    SetEPSBox(x1, y1, FarCorner.X, FarCorner.Y);
  }

  if (!noPicture) {
    // The page's lower edge on the raster's bottom row, y turned downwards.
    if (Mode == kRenderPrinter)
      PrinterDeviceMatrix(w, h, rotation);
    else
      Prepend(CurrentMatrix, {Resolution / 72, 0, 0, -Resolution / 72, 0, double(RasterHeight)});
    switch (rotation) {
      case 90: Prepend(CurrentMatrix, {0, -1, 1, 0, 0, h}); break;
      case 180: Prepend(CurrentMatrix, {-1, 0, 0, -1, w, h}); break;
      case 270: Prepend(CurrentMatrix, {0, 1, -1, 0, w, 0}); break;
      default: break;
    }
    Prepend(CurrentMatrix, {1, 0, 0, 1, -x1, -y1});
  }
  DeviceMatrix = CurrentMatrix;
  if (Budget == &ownBudget_)
    ownBudget_.PaintedPixels =
        std::max(kRenderPaintBudget, kRenderPaintBudgetPages * double(RasterWidth) * double(RasterHeight));
  RunContentStream(&canvas, Page, nullptr);
  if (Mode == kRenderHTML5) {
    canvas.EndHTML5Canvas(RasterWidth, RasterHeight);
    // A page cut short on its stream must not pass for a page.
    if (canvas.HTML5WriteFailed()) ErrorText = kStreamWriteErrorText;
  } else if (Mode == kRenderGDIPlusEMF && canvas.BackEnd() == kBackEndGDIPlus) {
    // A recording the stream would not take whole is no page.
    if (!canvas.EndMetafile()) ErrorText = kStreamWriteErrorText;
  } else if (Mode == kRenderEPS) {
    eps_->WriteTrailer();
  }
}

std::unique_ptr<TMetafileCanvas> TPDFRenderer::BeginMetafile() {
  metafile_->Clear();
  metafile_->SetEnhanced(Mode == kRenderEMF);
  metafile_->SetSize(RasterWidth, RasterHeight);
  std::unique_ptr<TMetafileCanvas> recording;
  try {
    recording = std::make_unique<TMetafileCanvas>(*metafile_, bitmap_->Canvas().Handle());
  } catch (const std::exception&) {
    ErrorText = kModeUnavailableText + IntToStr(Mode);
    return nullptr;
  }
  recording->Brush().SetStyle(bsSolid);
  recording->Brush().SetColor(TColor(0xFFFFFF));
  recording->FillRect(TRect{0, 0, RasterWidth, RasterHeight});
  return recording;
}

void TPDFRenderer::RenderToOutputStream(double w, double h, double x1, double y1, int32_t rotation) {
  const int64_t before = metafileStream_ != nullptr ? metafileStream_->Size() : 0;
  RenderToOutput(w, h, x1, y1, rotation);
  // The recording completes when the canvas goes; a provider that cannot record leaves the
  // stream as it was, and the caller must not take that for a page.
  if (Mode == kRenderGDIPlusEMF && metafileStream_ != nullptr && metafileStream_->Size() == before &&
      ErrorText.empty())
    ErrorText = kModeUnavailableText + IntToStr(Mode);
  // A recording past what a metafile may hold closes into nothing.
  if ((Mode == kRenderWMF || Mode == kRenderEMF) && metafile_->Document() == nullptr && ErrorText.empty())
    ErrorText = kModeUnavailableText + IntToStr(Mode);
}
