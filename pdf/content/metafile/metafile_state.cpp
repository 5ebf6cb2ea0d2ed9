// SAVEDC and RESTOREDC, and the clip as a stack of nested q levels.
//
// A PDF clip can only shrink until its q level is closed. The converter keeps the player's clip
// as a list of levels, each one q holding a clip path; a clip that is replaced or widened (a
// copy, a restore) closes levels down to what the old and the new clip share and opens the new
// levels again. Saving writes nothing: the saved state holds the list.
#include "pdf/content/metafile/metafile_state.h"

#include <algorithm>

#include "pdf/content/painter/pdf_painter.h"

void TPDFMetafile::SaveDC() {
  if (saved_.size() >= kMaxSaveDepth) {
    // Deeper saves are only counted: restoring one of them changes nothing.
    ++refusedSaves_;
    return;
  }
  TSavedState s;
  s.MapMode = MapMode;
  s.WorldTransform = WorldTransform;
  s.WindowOrgX = WindowOrgX, s.WindowOrgY = WindowOrgY, s.WindowExtX = WindowExtX, s.WindowExtY = WindowExtY;
  s.ViewportOrgX = ViewportOrgX, s.ViewportOrgY = ViewportOrgY;
  s.ViewportExtX = ViewportExtX, s.ViewportExtY = ViewportExtY;
  s.CurrentLogX = CurrentLogX, s.CurrentLogY = CurrentLogY;
  s.PolyFillMode = PolyFillMode;
  s.Brush = Brush;
  s.Pen = Pen;
  s.ArcDirection = ArcDirection;
  s.BkMode = BkMode;
  s.BkColor = BkColor;
  s.TextColor = TextColor;
  s.TextAlign = TextAlign;
  s.CurrentFont = CurrentFont;
  s.TextState = TextState;
  s.ICMMode = ICMMode;
  s.MiterLimit = MiterLimit;
  s.Clip = clip_;
  s.MetaDepth = metaDepth_;
  painter_->MetafileTextAlign = TextAlign;
  s.PainterState = painter_->SaveState();
  saved_.push_back(std::move(s));
}

void TPDFMetafile::RestoreDC(int32_t relative) {
  // As many levels as asked for and saved; a level count beyond them restores what there is.
  uint64_t levels = relative < 0 ? uint64_t(-int64_t(relative)) : uint64_t(relative);
  const uint64_t refused = std::min<uint64_t>(levels, refusedSaves_);
  refusedSaves_ -= refused;
  levels = std::min<uint64_t>(levels - refused, saved_.size());
  if (levels == 0) return;
  const size_t keep = saved_.size() - size_t(levels);
  TSavedState s = std::move(saved_[keep]);
  saved_.resize(keep);
  MapMode = s.MapMode;
  WorldTransform = s.WorldTransform;
  WindowOrgX = s.WindowOrgX, WindowOrgY = s.WindowOrgY, WindowExtX = s.WindowExtX, WindowExtY = s.WindowExtY;
  ViewportOrgX = s.ViewportOrgX, ViewportOrgY = s.ViewportOrgY;
  ViewportExtX = s.ViewportExtX, ViewportExtY = s.ViewportExtY;
  RecomputeTransforms();
  CurrentLogX = s.CurrentLogX, CurrentLogY = s.CurrentLogY;
  PolyFillMode = s.PolyFillMode;
  Brush = std::move(s.Brush);
  Pen = std::move(s.Pen);
  ArcDirection = s.ArcDirection;
  BkMode = s.BkMode;
  BkColor = s.BkColor;
  TextColor = s.TextColor;
  TextAlign = s.TextAlign;
  CurrentFont = s.CurrentFont;
  TextState = std::move(s.TextState);
  ICMMode = s.ICMMode;
  MiterLimit = s.MiterLimit;
  SetClipStack(s.Clip);
  metaDepth_ = s.MetaDepth;
  painter_->RestoreState(s.PainterState);
  TextAlign = painter_->MetafileTextAlign;
}

void TPDFMetafile::WriteQ() {
  // Q brings back the colours and line style of its q: the painter writes them again.
  painter_->RestoreGraphicsState();
}

void TPDFMetafile::SetClipStack(const TClipStack& target) {
  size_t common = 0;
  while (common < clip_.size() && common < target.size() && clip_[common] == target[common]) ++common;
  while (clip_.size() > common) {
    clip_.pop_back();
    WriteQ();
  }
  for (size_t i = common; i < target.size(); ++i) PushClip(target[i]);
}

void TPDFMetafile::PushClip(std::shared_ptr<const TClipLevel> level) {
  if (!level || clip_.size() >= kMaxClipLevels) return;
  painter_->SaveGraphicsState();
  painter_->WriteText(level->Text);
  clip_.push_back(std::move(level));
}
