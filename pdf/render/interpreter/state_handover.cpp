// The hand-over of the graphics state to the canvas before each paint: colours or patterns,
// alphas, fill rule, line width, dashes, caps, joins and miter limit.
#include <algorithm>
#include <cmath>

#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "pdf/render/renderer/renderer.h"

void TPDFRenderer::ApplyFillState(TPDFContentRun& run, uint8_t rule) {
  TPDFDaubrix& canvas = *run.Canvas;
  canvas.SetFillAlpha(run.State.FillAlpha);
  canvas.SetFillRule(rule);
  // The colour goes with a pattern too: an uncoloured cell paints in it.
  canvas.SetFillColor(run.State.FillColor);
  if (run.State.FillPattern != nullptr) {
    // A pattern's space is placed on the default space of the content that names it, not on
    // the current matrix.
    canvas.SetMatrix(run.State.FillPattern->Base);
    canvas.SetFillPattern(run.State.FillPattern);
  }
}

void TPDFRenderer::ApplyStrokeState(TPDFContentRun& run) {
  TPDFDaubrix& canvas = *run.Canvas;
  const TPDFGraphicsState& state = run.State;
  canvas.SetStrokeAlpha(state.StrokeAlpha);
  canvas.SetStrokeColor(state.StrokeColor);
  if (state.StrokePattern != nullptr) {
    canvas.SetMatrix(state.StrokePattern->Base);
    canvas.SetStrokePattern(state.StrokePattern);
  }
  const double w = state.LineWidth;
  const TPDFPoint origin = TransformPoint(0, 0), tip = TransformPoint(0, w);
  double width = std::hypot(tip.X - origin.X, tip.Y - origin.Y);
  if (!std::isfinite(width)) width = 0;
  canvas.SetLineWidth(width);
  TGPDashArray dashes;
  double phase = 0;
  if (!state.DashArray.empty()) {
    dashes.reserve(state.DashArray.size());
    // Multiples of the line width, as the content gives them: the back ends put the line's
    // caps on every dash themselves, centred on its ends.
    for (const double d : state.DashArray) {
      const double entry = w > 0 ? d / w : d;
      dashes.push_back(static_cast<float>(std::isfinite(entry) ? std::clamp(entry, -1e30, 1e30) : 0.0));
    }
    phase = w > 0 ? state.DashPhase / w : state.DashPhase;
    if (!std::isfinite(phase)) phase = 0;
  }
  canvas.SetDash(dashes, phase);
  canvas.SetLineJoin(state.LineJoin);
  canvas.SetLineCap(state.LineCap);
  canvas.SetMiterLimit(state.MiterLimit);
}
