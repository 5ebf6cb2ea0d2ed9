// Path construction, painting and clipping (the hand-over of the graphics state to the canvas
// before each paint is in state_handover.cpp).
#include <algorithm>
#include <cmath>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"

namespace {

// Output coordinates without a number would poison the back end's path.
TPDFPoint Finite(TPDFPoint p) {
  if (!std::isfinite(p.X)) p.X = 0;
  if (!std::isfinite(p.Y)) p.Y = 0;
  return p;
}

}  // namespace

// EPS output keeps the content's coordinates: its matrices are written as they come.
TPDFPoint TPDFRenderer::PathPoint(const TPDFContentRun& run, double x, double y) const {
  return Finite(run.EPS != nullptr ? TPDFPoint{x, y} : TransformPoint(x, y));
}

void TPDFRenderer::OpMoveTo(TPDFContentRun& run) {
  const double y = run.PopNumber(), x = run.PopNumber();
  if (!run.PathOpen) {
    run.PathOpen = true;
    run.PathTarget().NewPath();
  }
  const TPDFPoint p = PathPoint(run, x, y);
  run.AddPathPoint(p.X, p.Y);
  run.PathTarget().MoveTo(p.X, p.Y);
  run.State.CurrentX = p.X;
  run.State.CurrentY = p.Y;
}

void TPDFRenderer::OpLineTo(TPDFContentRun& run) {
  const double y = run.PopNumber(), x = run.PopNumber();
  const TPDFPoint p = PathPoint(run, x, y);
  run.AddPathPoint(p.X, p.Y);
  if (p.X == run.State.CurrentX && p.Y == run.State.CurrentY && run.EPS == nullptr) {
    // A line back to its start still leaves a dot. EPS output writes the content's own point:
    // PostScript draws the dot of a line of no length itself.
    const double d = 0.01 * run.State.LineWidth;
    run.PathTarget().LineTo(p.X - d, p.Y - d);
  } else {
    run.PathTarget().LineTo(p.X, p.Y);
  }
  run.State.CurrentX = p.X;
  run.State.CurrentY = p.Y;
}

void TPDFRenderer::OpCurveTo(TPDFContentRun& run) {
  const double y3 = run.PopNumber(), x3 = run.PopNumber();
  const double y2 = run.PopNumber(), x2 = run.PopNumber();
  const double y1 = run.PopNumber(), x1 = run.PopNumber();
  const TPDFPoint p1 = PathPoint(run, x1, y1), p2 = PathPoint(run, x2, y2), p3 = PathPoint(run, x3, y3);
  for (const TPDFPoint& p : {p1, p2, p3}) run.AddPathPoint(p.X, p.Y);
  run.PathTarget().CurveTo(p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y);
  run.State.CurrentX = p3.X;
  run.State.CurrentY = p3.Y;
}

void TPDFRenderer::OpCurveToV(TPDFContentRun& run) {
  const double y3 = run.PopNumber(), x3 = run.PopNumber();
  const double y2 = run.PopNumber(), x2 = run.PopNumber();
  const TPDFPoint p2 = PathPoint(run, x2, y2), p3 = PathPoint(run, x3, y3);
  for (const TPDFPoint& p : {p2, p3}) run.AddPathPoint(p.X, p.Y);
  if (run.EPS != nullptr)
    run.EPS->CurveToV(p2.X, p2.Y, p3.X, p3.Y);
  else
    run.Canvas->CurveTo(run.State.CurrentX, run.State.CurrentY, p2.X, p2.Y, p3.X, p3.Y);
  run.State.CurrentX = p3.X;
  run.State.CurrentY = p3.Y;
}

void TPDFRenderer::OpCurveToY(TPDFContentRun& run) {
  const double y3 = run.PopNumber(), x3 = run.PopNumber();
  const double y1 = run.PopNumber(), x1 = run.PopNumber();
  const TPDFPoint p1 = PathPoint(run, x1, y1), p3 = PathPoint(run, x3, y3);
  for (const TPDFPoint& p : {p1, p3}) run.AddPathPoint(p.X, p.Y);
  run.PathTarget().CurveTo(p1.X, p1.Y, p3.X, p3.Y, p3.X, p3.Y);
  run.State.CurrentX = p3.X;
  run.State.CurrentY = p3.Y;
}

void TPDFRenderer::OpRectangle(TPDFContentRun& run) {
  const double h = run.PopNumber(), w = run.PopNumber();
  const double y = run.PopNumber(), x = run.PopNumber();
  TPDFGenericCanvas& target = run.PathTarget();
  if (!run.PathOpen) {
    run.PathOpen = true;
    target.NewPath();
  }
  const TPDFPoint p0 = PathPoint(run, x, y);
  run.AddPathPoint(p0.X, p0.Y);
  target.MoveTo(p0.X, p0.Y);
  run.State.CurrentX = p0.X;
  run.State.CurrentY = p0.Y;
  for (const TPDFPoint& corner : {TPDFPoint{x + w, y}, TPDFPoint{x + w, y + h}, TPDFPoint{x, y + h}}) {
    const TPDFPoint p = PathPoint(run, corner.X, corner.Y);
    run.AddPathPoint(p.X, p.Y);
    target.LineTo(p.X, p.Y);
  }
  target.ClosePath();
}

// EPS output closes the subpath too: a closed outline stroked open would lose its last side.
void TPDFRenderer::OpClosePath(TPDFContentRun& run) { run.PathTarget().ClosePath(); }

void TPDFRenderer::OpEndPath(TPDFContentRun& run) {
  run.Canvas->EndPath();
  run.PathOpen = false;
  run.ResetPathBox();
}

void TPDFRenderer::Paint(TPDFContentRun& run, bool fill, bool stroke, uint8_t rule, bool close) {
  // The path still ends, and still becomes the clip it was marked for.
  fill = fill && !PaintsNothing(run.State.FillColorSpace);
  stroke = stroke && !PaintsNothing(run.State.StrokeColorSpace);
  if (run.EPS != nullptr) return PaintEPS(run, fill, stroke, rule, close);
  if (stroke) ApplyStrokeState(run);
  if (fill) ApplyFillState(run, rule);
  if (close) run.Canvas->ClosePath();
  // A stroke reaches half its width beyond the path.
  const double grow = stroke ? run.Canvas->LineWidth() / 2 + 1 : 0;
  const std::array<double, 4> reach = {run.PathMinX - grow, run.PathMinY - grow, run.PathMaxX + grow,
                                       run.PathMaxY + grow};
  if (run.Visible) {
    if (stroke) ChargeDashes(run);
    run.ResetPathBox();
    ChargePaint(reach[0], reach[1], reach[2], reach[3]);
  }
  run.ResetPathBox();
  FinishPaint(run, fill, stroke, reach);
}

void TPDFContentRun::FinishPath(bool fill, bool stroke) {
  if (!Visible || (!fill && !stroke))
    Canvas->EndPath();
  else if (fill && stroke)
    Canvas->FillAndStroke();
  else if (fill)
    Canvas->Fill();
  else
    Canvas->Stroke();
  PathOpen = false;
}

void TPDFRenderer::OpFill(TPDFContentRun& run) { Paint(run, true, false, kFillRuleWinding, false); }
void TPDFRenderer::OpFillEvenOdd(TPDFContentRun& run) { Paint(run, true, false, kFillRuleEvenOdd, false); }
void TPDFRenderer::OpStroke(TPDFContentRun& run) { Paint(run, false, true, kFillRuleNone, false); }
void TPDFRenderer::OpCloseStroke(TPDFContentRun& run) { Paint(run, false, true, kFillRuleNone, true); }
void TPDFRenderer::OpFillStroke(TPDFContentRun& run) { Paint(run, true, true, kFillRuleWinding, false); }
void TPDFRenderer::OpFillStrokeEvenOdd(TPDFContentRun& run) { Paint(run, true, true, kFillRuleEvenOdd, false); }
void TPDFRenderer::OpCloseFillStroke(TPDFContentRun& run) { Paint(run, true, true, kFillRuleWinding, true); }
void TPDFRenderer::OpCloseFillStrokeEvenOdd(TPDFContentRun& run) {
  Paint(run, true, true, kFillRuleEvenOdd, true);
}

// The colours go as the state's colour texts; the writer fills on a copy of the state when it
// strokes too.
void TPDFRenderer::PaintEPS(TPDFContentRun& run, bool fill, bool stroke, uint8_t rule, bool close) {
  TPDFEPSExport& eps = *run.EPS;
  if (close) {
    if (!fill) eps.SetColor(run.State.StrokeColorText);
    eps.ClosePath();
  }
  if (run.Visible) {
    const double minX = run.PathMinX, minY = run.PathMinY, maxX = run.PathMaxX, maxY = run.PathMaxY;
    run.ResetPathBox();
    ChargePaint(minX, minY, maxX, maxY);
    const bool evenOdd = rule == kFillRuleEvenOdd;
    if (fill && PaintsAsPicture(run.State.FillPattern)) {
      // The pattern's picture inside a save: the stroke still has the path.
      PaintEPSPattern(run, *run.State.FillPattern, true, evenOdd);
      fill = false;
    }
    eps.Paint(run.State.FillColorText, run.State.StrokeColorText, fill, stroke, evenOdd);
  }
  run.ResetPathBox();
  run.PathOpen = false;
}

void TPDFRenderer::OpClip(TPDFContentRun& run) {
  if (run.EPS != nullptr) return run.EPS->Clip(false);
  run.Canvas->SetClip(kFillRuleWinding);
}

void TPDFRenderer::OpClipEvenOdd(TPDFContentRun& run) {
  if (run.EPS != nullptr) return run.EPS->Clip(true);
  run.Canvas->SetClip(kFillRuleEvenOdd);
}

