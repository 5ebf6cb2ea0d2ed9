// The GDI+ back end: set-up through the run-time binding (with the fall-back to GDI), the
// quality modes, paths and painting, and the clip stack.
#include <algorithm>
#include <cmath>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/gdiplus_host.h"
#include "pdf/render/canvas/image_bytes_adapter.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/dc.h"

using namespace gdiplus;

namespace {

// Coordinates reach GDI+ as 32-bit floats.
REAL F(double v) { return REAL(v); }

constexpr double kPathLimit = 100000.0;

}  // namespace

void TPDFDaubrix::SetTargetDC(int32_t width, int32_t height, HDC dc) {
  dcOutput_ = true;
  dcWidth_ = width;
  dcHeight_ = height;
  targetDC_ = dc;
}

void TPDFDaubrix::SetMetafileStream(int32_t width, int32_t height, TStream* stream) {
  recording_ = stream != nullptr;
  metafileWidth_ = width;
  metafileHeight_ = height;
  metafileAdapter_ = stream ? std::make_unique<TImageBytesStreamAdapter>(*stream) : nullptr;
}

bool TPDFDaubrix::RecordMetafile(HDC dc) {
  if (!gdiplus_ || !gdiplus_->GdipRecordMetafileStream || !metafileAdapter_) return false;
  const GpRectF frame{0, 0, REAL(metafileWidth_), REAL(metafileHeight_)};
  GpMetafile* metafile = nullptr;
  const GpStatus st = gdiplus_->GdipRecordMetafileStream(metafileAdapter_.get(), dc, EmfTypeEmfPlusOnly, &frame,
                                                         MetafileFrameUnitPixel, nullptr, &metafile);
  if (st != Ok || !metafile) {
    RecordError("GDI+ cannot record the metafile (status " + std::to_string(int(st)) + ")");
    return false;
  }
  metafile_ = metafile;
  return true;
}

bool TPDFDaubrix::EndMetafile() {
  if (!metafile_ || !gdiplus_) return true;
  const GpStatus st = gdiplus_->GdipDisposeImage(reinterpret_cast<GpImage*>(metafile_));
  metafile_ = nullptr;
  return st == Ok;
}

void TPDFDaubrix::Setup(TCanvas* canvas, const TGDIPlusSettings& settings) {
  ReleaseGdiplus();
  settings_ = settings;
  graphics_ = nullptr;
  token_ = 0;
  startedHere_ = false;
  gdiplus_ = std::make_unique<TWZRXGDIPlus>();
  target_ = canvas;
  backEnd_ = kBackEndGDIPlus;

  if (gdiplus_->Status() == TWZRXGDIPlus::kNotLoaded) LoadGDIPlusProvider(*gdiplus_, settings);
  if (gdiplus_->Status() != TWZRXGDIPlus::kReady || !GdiplusStart(canvas) || !CreateGraphics(canvas)) {
    FallBackToGdi(canvas);
    return;
  }
  ApplyPathQuality();
  gdiplus_->GdipSetPageUnit(graphics_, UnitPixel);
}

bool TPDFDaubrix::GdiplusStart(TCanvas*) {
  const uint8_t policy = settings_.StartupPolicy;
  startedHere_ = policy == 0 ? false : policy == 1 ? !gdiplus_->Borrowed() : true;
  CLSID probe{};
  // An encoder list means GDI+ already runs in this process (started by its owner).
  if (!startedHere_ && !gdiplus_->GetEncoderClsid(u"image/bmp", probe)) startedHere_ = true;
  if (startedHere_) {
    const bool suppress = settings_.SuppressBackgroundThread != 0;
    const GdiplusStartupInput input{1, nullptr, suppress ? 1 : 0, 0};
    startupOutput_ = {};
    if (gdiplus_->GdiplusStartup(&token_, &input, &startupOutput_) != Ok) {
      token_ = 0;
      startedHere_ = false;
      return false;
    }
    if (suppress) {
      GpStatus hook = startupOutput_.NotificationHook ? startupOutput_.NotificationHook(&notificationToken_)
                                                     : GenericError;
      if (hook != Ok) {
        // A start that cannot be completed is undone, so the fall-back leaves nothing running.
        gdiplus_->GdiplusShutdown(token_);
        token_ = 0;
        startedHere_ = false;
        return false;
      }
      notificationHooked_ = true;
    }
  }
  if (!gdiplus_->GetEncoderClsid(u"image/bmp", BMPEncoder)) BMPEncoder = CLSID{};
  if (!gdiplus_->GetEncoderClsid(u"image/png", PNGEncoder)) PNGEncoder = CLSID{};
  InstallGdiplusHost(*gdiplus_);
  return true;
}

bool TPDFDaubrix::CreateGraphics(TCanvas* canvas) {
  GpStatus st = GenericError;
  if (recording_) {
    memoryDC_ = CreateCompatibleDC(nullptr);
    if (!RecordMetafile(memoryDC_)) return false;
    st = gdiplus_->GdipGetImageGraphicsContext
             ? gdiplus_->GdipGetImageGraphicsContext(reinterpret_cast<GpImage*>(metafile_), &graphics_)
             : GenericError;
  } else if (dcOutput_) {
    st = targetDC_ ? gdiplus_->GdipCreateFromHDC(targetDC_, &graphics_) : InvalidParameter;
  } else {
    st = canvas ? gdiplus_->GdipCreateFromHDC(canvas->Handle(), &graphics_) : InvalidParameter;
  }
  if (st != Ok) {
    graphics_ = nullptr;
    if (recording_) RecordError("GDI+ cannot draw into the metafile (status " + std::to_string(int(st)) + ")");
    return false;
  }
  return true;
}

void TPDFDaubrix::FallBackToGdi(TCanvas* canvas) {
  ReleaseGdiplus();
  target_ = canvas;
  if (!target_ && dcOutput_ && targetDC_) {
    ownCanvas_ = std::make_unique<TCanvas>(targetDC_);
    target_ = ownCanvas_.get();
  }
  backEnd_ = kBackEndGDI;
}

// Everything the GDI+ back end holds, in the order GDI+ needs: objects before the graphics,
// the graphics before the shut-down, the shut-down before the library goes.
void TPDFDaubrix::ReleaseGdiplus() {
  if (gdiplus_ && gdiplus_->Status() == TWZRXGDIPlus::kReady) {
    DeletePath();
    if (metafile_) gdiplus_->GdipDisposeImage(reinterpret_cast<GpImage*>(metafile_));
    DeleteSavedClips();
    if (graphics_) gdiplus_->GdipDeleteGraphics(graphics_);
    if (startedHere_) {
      if (notificationHooked_ && startupOutput_.NotificationUnhook)
        startupOutput_.NotificationUnhook(notificationToken_);
      gdiplus_->GdiplusShutdown(token_);
    }
  }
  metafile_ = nullptr;
  path_ = nullptr;
  graphics_ = nullptr;
  savedClips_.clear();
  currentClip_ = nullptr;
  if (memoryDC_) DeleteDC(memoryDC_);
  memoryDC_ = nullptr;
  token_ = 0;
  notificationToken_ = 0;
  notificationHooked_ = false;
  startedHere_ = false;
  startupOutput_ = {};
  gdiplus_.reset();
  ownCanvas_.reset();
  if (backEnd_ == kBackEndGDIPlus) backEnd_ = kBackEndNone;
}

void TPDFDaubrix::DeleteSavedClips() {
  for (GpRegion* r : savedClips_) gdiplus_->GdipDeleteRegion(r);
  savedClips_.clear();
  currentClip_ = nullptr;
  clipChanged_ = true;
}

void TPDFDaubrix::ApplyPathQuality() {
  if (!graphics_) return;
  SmoothingMode smoothing = SmoothingModeNone;
  InterpolationMode interpolation = InterpolationModeNearestNeighbor;
  PixelOffsetMode offset = PixelOffsetModeHalf;
  if (settings_.HighQualityPaths) {
    smoothing = SmoothingModeHighQuality;
    interpolation = InterpolationModeHighQuality;
    offset = PixelOffsetModeHighQuality;
  } else if (settings_.SmoothPaths) {
    smoothing = SmoothingModeAntiAlias;
    interpolation = InterpolationModeBicubic;
  }
  gdiplus_->GdipSetSmoothingMode(graphics_, smoothing);
  gdiplus_->GdipSetInterpolationMode(graphics_, interpolation);
  gdiplus_->GdipSetPixelOffsetMode(graphics_, offset);
}

void TPDFDaubrix::ApplyImageQuality() {
  if (!graphics_ || settings_.HighQualityPaths) return;
  SmoothingMode smoothing = SmoothingModeHighQuality;
  InterpolationMode interpolation = InterpolationModeBicubic;
  PixelOffsetMode offset = PixelOffsetModeHighQuality;
  if (settings_.HighQualityImages) {
    interpolation = InterpolationModeHighQualityBilinear;
  } else if (settings_.SmoothPaths) {
    smoothing = SmoothingModeNone;
    interpolation = InterpolationModeNearestNeighbor;
    offset = PixelOffsetModeHalf;
  }
  gdiplus_->GdipSetSmoothingMode(graphics_, smoothing);
  gdiplus_->GdipSetInterpolationMode(graphics_, interpolation);
  gdiplus_->GdipSetPixelOffsetMode(graphics_, offset);
}

// Paths.
void TPDFDaubrix::DeletePath() {
  if (path_ && gdiplus_) gdiplus_->GdipDeletePath(path_);
  path_ = nullptr;
}

void TPDFDaubrix::GpNewPath() {
  DeletePath();  // a path left unpainted is dropped, not leaked
  const GpFillMode mode = fillRule_ == kFillRuleWinding ? FillModeWinding : FillModeAlternate;
  if (gdiplus_->GdipCreatePath(mode, &path_) != Ok) path_ = nullptr;
  pathWithinLimits_ = true;
}

void TPDFDaubrix::GpMoveTo(double, double) {
  if (path_) gdiplus_->GdipStartPathFigure(path_);
}

void TPDFDaubrix::GpLineTo(double x, double y) {
  if (!path_) return;
  gdiplus_->GdipAddPathLine(path_, F(x_), F(y_), F(x), F(y));
  if (!(std::fabs(x) <= kPathLimit && std::fabs(y) <= kPathLimit)) pathWithinLimits_ = false;
}

void TPDFDaubrix::GpCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  if (path_) gdiplus_->GdipAddPathBezier(path_, F(x_), F(y_), F(x1), F(y1), F(x2), F(y2), F(x3), F(y3));
}

void TPDFDaubrix::GpClosePath() {
  if (path_) gdiplus_->GdipClosePathFigure(path_);
}

// A path of one move and one line would be a lone point to GDI+; a zero-length line at the
// current point makes it a figure that strokes and clips as the content means it.
void TPDFDaubrix::PreparePath() {
  int32_t count = 0;
  if (path_ && gdiplus_->GdipGetPointCount(path_, &count) == Ok && count == 2)
    gdiplus_->GdipAddPathLine(path_, F(x_), F(y_), F(x_), F(y_));
}

void TPDFDaubrix::GpPaint(bool fill, bool stroke) {
  if (!path_) return;
  PreparePath();
  GpBrush* brush = fill ? CreateFillBrush() : nullptr;
  const bool ownDashes = stroke && CutsOwnDashes();
  GpPen* pen = stroke ? CreateStrokePen(!ownDashes) : nullptr;
  if (brush) gdiplus_->GdipFillPath(graphics_, brush, path_);
  if (pen) {
    GpPath* dashed = ownDashes ? DashedPath() : nullptr;
    // The dashes carry their square caps as far as they reach.
    if (dashed != nullptr && lineCap_ == 2) {
      gdiplus_->GdipSetPenStartCap(pen, LineCapFlat);
      gdiplus_->GdipSetPenEndCap(pen, LineCapFlat);
    }
    gdiplus_->GdipDrawPath(graphics_, pen, dashed != nullptr ? dashed : path_);
    if (dashed != nullptr) gdiplus_->GdipDeletePath(dashed);
  }
  if (clipPending_) {
    gdiplus_->GdipSetClipPath(graphics_, path_, CombineModeIntersect);
    // The clip now differs from every saved region: the next save must copy it, and the
    // restore of an earlier one must not be skipped.
    currentClip_ = nullptr;
    clipChanged_ = true;
    clipPending_ = false;
  }
  if (pen) gdiplus_->GdipDeletePen(pen);
  if (brush) gdiplus_->GdipDeleteBrush(brush);
  DeletePath();
}

void TPDFDaubrix::EndPath() {
  if (backEnd_ == kBackEndHTML5) return Html5EndPath();
  if (backEnd_ == kBackEndCairo) CairoEndPath();
  if (backEnd_ != kBackEndGDIPlus) return;
  if (path_) {
    PreparePath();
    if (clipPending_ && settings_.ClipWithPaths && pathWithinLimits_) {
      gdiplus_->GdipSetClipPath(graphics_, path_, CombineModeIntersect);
      currentClip_ = nullptr;
      clipChanged_ = true;
    }
  }
  clipPending_ = false;
  DeletePath();
}

TDaubrixClip TPDFDaubrix::SaveClip() {
  if (backEnd_ == kBackEndHTML5) Html5Save();
  if (backEnd_ != kBackEndGDIPlus) return nullptr;
  if (clipChanged_) {
    GpRegion* region = nullptr;
    if (gdiplus_->GdipCreateRegion(&region) != Ok) return currentClip_;
    if (gdiplus_->GdipGetClip(graphics_, region) != Ok) {
      gdiplus_->GdipDeleteRegion(region);
      return currentClip_;
    }
    clipChanged_ = false;
    if (savedClips_.size() == savedClips_.capacity()) savedClips_.reserve(savedClips_.size() + 100);
    savedClips_.push_back(region);
    currentClip_ = region;
  }
  return currentClip_;
}

void TPDFDaubrix::RestoreClip(TDaubrixClip region) {
  if (backEnd_ == kBackEndHTML5) return Html5Restore();
  if (backEnd_ != kBackEndGDIPlus || !region || region == currentClip_) return;
  // Only a region this canvas saved: a handle from elsewhere (or a state that was never
  // saved) restores nothing.
  if (std::find(savedClips_.begin(), savedClips_.end(), region) == savedClips_.end()) return;
  currentClip_ = region;
  clipChanged_ = false;
  gdiplus_->GdipSetClipRegion(graphics_, region, CombineModeReplace);
}
