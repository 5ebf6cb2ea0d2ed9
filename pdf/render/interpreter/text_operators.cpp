// The text state operators, arrays, and the showing operators (text_showing.cpp draws).
#include "pdf/fonts/font_rasterizer.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/interpreter/content_run.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/numbers.h"

namespace {

void Translate(TPDFGraphicsState& state, double tx, double ty) {
  MatrixMultiply(state.TextLineMatrix, TPDFMatrix{1, 0, 0, 1, tx, ty}, state.TextLineMatrix);
  state.TextMatrix = state.TextLineMatrix;
}

}  // namespace

void TPDFRenderer::OpBeginText(TPDFContentRun& run) {
  run.State.TextMatrix = kIdentityMatrix;
  run.State.TextLineMatrix = kIdentityMatrix;
  run.TextClip.clear();
  run.TextClipPending = false;
}

// The glyphs of the clipping render modes since BT become the clip, all of them together.
void TPDFRenderer::OpEndText(TPDFContentRun& run) {
  if (!run.TextClipPending || run.EPS != nullptr) return;
  run.TextClipPending = false;
  TPDFDaubrix& canvas = *run.Canvas;
  canvas.NewPath();
  for (TPDFContentRun::TClipGlyph& g : run.TextClip) {
    g.Rasterizer->Context = g.RenderMode;
    g.Rasterizer->DrawGlyph(g.X, g.Y, 0, g.Key, g.Matrix, &canvas);
  }
  run.TextClip.clear();
  canvas.SetClip(kFillRuleWinding);
  canvas.EndPath();
  run.PathOpen = false;
}

void TPDFRenderer::OpFont(TPDFContentRun& run) {
  run.State.FontSize = run.PopNumber();
  run.State.FontName = std::string(run.PopString());
  SelectFont(run);
}

void TPDFRenderer::OpTextMatrix(TPDFContentRun& run) {
  TPDFMatrix m;
  for (int i = 5; i >= 0; --i) m[size_t(i)] = run.PopNumber();
  run.State.TextMatrix = m;
  run.State.TextLineMatrix = m;
}

void TPDFRenderer::OpTextMove(TPDFContentRun& run) {
  const double ty = run.PopNumber(), tx = run.PopNumber();
  Translate(run.State, tx, ty);
}

void TPDFRenderer::OpTextMoveLeading(TPDFContentRun& run) {
  const double ty = run.PopNumber(), tx = run.PopNumber();
  run.State.Leading = -ty;
  Translate(run.State, tx, ty);
}

void TPDFRenderer::OpNextLine(TPDFContentRun& run) { Translate(run.State, 0, -run.State.Leading); }

void TPDFRenderer::OpCharSpacing(TPDFContentRun& run) { run.State.CharSpacing = run.PopNumber(); }
void TPDFRenderer::OpWordSpacing(TPDFContentRun& run) { run.State.WordSpacing = run.PopNumber(); }
void TPDFRenderer::OpHorizontalScaling(TPDFContentRun& run) { run.State.HorizontalScaling = run.PopNumber(); }
void TPDFRenderer::OpLeading(TPDFContentRun& run) { run.State.Leading = run.PopNumber(); }
void TPDFRenderer::OpTextRise(TPDFContentRun& run) { run.State.TextRise = run.PopNumber(); }
void TPDFRenderer::OpRenderMode(TPDFContentRun& run) {
  run.State.TextRenderMode = ClampToInt32(RoundHalfEven(run.PopNumber()));
}

void TPDFRenderer::OpShowText(TPDFContentRun& run) {
  run.ItemCount = 1;
  ShowText(run);
}

void TPDFRenderer::OpShowArray(TPDFContentRun& run) {
  if (run.ArrayCount <= 0) return;
  run.ItemCount = run.ArrayCount;
  ShowText(run);
}

void TPDFRenderer::OpNextLineShow(TPDFContentRun& run) {
  OpNextLine(run);
  run.ItemCount = 1;
  ShowText(run);
}

void TPDFRenderer::OpSpacingShow(TPDFContentRun& run) {
  OpNextLine(run);
  const std::string_view text = run.PopString();
  run.State.CharSpacing = run.PopNumber();
  run.State.WordSpacing = run.PopNumber();
  run.Push(text);
  run.ItemCount = 1;
  ShowText(run);
}

void TPDFRenderer::OpArray(TPDFContentRun& run) {
  run.ArrayCount = 0;
  for (;;) {
    const std::string_view token = NextToken(run);
    if (token.empty() || token == "]") break;
    run.Push(token);
    if (run.ArrayCount < INT32_MAX) ++run.ArrayCount;
  }
}
