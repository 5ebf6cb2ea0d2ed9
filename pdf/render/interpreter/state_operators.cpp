// q and Q, the matrix, line style and ExtGState operators.
#include <algorithm>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/numbers.h"

namespace {

int32_t ToInt(double v) { return ClampToInt32(RoundHalfEven(v)); }

const std::pair<std::string_view, uint8_t> kBlendModes[] = {
    {"Normal", 0},  {"Compatible", 0}, {"Multiply", 1},   {"Screen", 2},    {"Overlay", 3},
    {"Darken", 4},  {"Lighten", 5},    {"ColorDodge", 6}, {"ColorBurn", 7}, {"HardLight", 8},
    {"SoftLight", 9}, {"Difference", 10}, {"Exclusion", 11}};

}  // namespace

void TPDFRenderer::SaveState(TPDFContentRun& run) {
  if (run.SaveStack.size() >= TPDFContentRun::kSaveLimit) {
    ++run.OverflowSaves;
    return;
  }
  if (run.EPS != nullptr)
    run.EPS->SaveState();
  else if (Mode == kRenderCairoDC || Mode == kRenderCairoBitmap)
    run.Canvas->SaveState();
  else
    run.State.ClipHandle = run.Canvas->SaveClip();
  if (run.SaveStack.size() == run.SaveStack.capacity()) run.SaveStack.reserve(run.SaveStack.size() + 100);
  run.SaveStack.push_back(run.State);
}

void TPDFRenderer::RestoreState(TPDFContentRun& run, bool reselectFont) {
  if (run.OverflowSaves > 0) {
    --run.OverflowSaves;
    return;
  }
  // Without a save there is no back-end state to go back to.
  if (!run.SaveStack.empty()) {
    run.State = std::move(run.SaveStack.back());
    run.SaveStack.pop_back();
    if (run.EPS != nullptr)
      run.EPS->RestoreState();
    else if (Mode == kRenderCairoDC || Mode == kRenderCairoBitmap)
      run.Canvas->RestoreState();
    else
      run.Canvas->RestoreClip(run.State.ClipHandle);
  }
  CurrentMatrix = run.State.Matrix;
  if (reselectFont) SelectFont(run);
}

void TPDFRenderer::OpSave(TPDFContentRun& run) { SaveState(run); }
void TPDFRenderer::OpRestore(TPDFContentRun& run) { RestoreState(run, true); }

void TPDFRenderer::OpConcat(TPDFContentRun& run) {
  TPDFMatrix m;
  for (int i = 5; i >= 0; --i) m[size_t(i)] = run.PopNumber();
  MatrixMultiply(CurrentMatrix, m, CurrentMatrix);
  run.State.Matrix = CurrentMatrix;
  if (run.EPS != nullptr) run.EPS->ConcatMatrix(m);
}

void TPDFRenderer::OpLineWidth(TPDFContentRun& run) {
  const double width = run.PopNumber();
  if (run.EPS != nullptr) run.EPS->SetLineWidth(width);
  // A zero width is one output pixel at unit scale.
  run.State.LineWidth = width == 0 ? 72.0 / Resolution : width;
}

void TPDFRenderer::OpLineCap(TPDFContentRun& run) {
  run.State.LineCap = ToInt(run.PopNumber());
  if (run.EPS != nullptr) run.EPS->SetLineCap(run.State.LineCap);
}

void TPDFRenderer::OpLineJoin(TPDFContentRun& run) {
  run.State.LineJoin = ToInt(run.PopNumber());
  if (run.EPS != nullptr) run.EPS->SetLineJoin(run.State.LineJoin);
}

void TPDFRenderer::OpMiterLimit(TPDFContentRun& run) {
  run.State.MiterLimit = run.PopNumber();
  if (run.EPS != nullptr) run.EPS->SetMiterLimit(run.State.MiterLimit);
}

void TPDFRenderer::OpDash(TPDFContentRun& run) {
  run.State.DashPhase = run.PopNumber();
  const size_t count = std::min(size_t(std::max(0, run.ArrayCount)), run.Operands.size());
  std::vector<double> dashes(count);
  for (size_t i = count; i-- > 0;) dashes[i] = run.PopNumber();
  // An odd count is made even: a single entry twice, a longer array repeated once.
  if (dashes.size() % 2 == 1) {
    const size_t n = dashes.size();
    for (size_t i = 0; i < n; ++i) dashes.push_back(dashes[i]);
  }
  run.State.DashArray = std::move(dashes);
  run.ArrayCount = 0;
}

void TPDFRenderer::OpGlyphMetrics(TPDFContentRun& run) { run.ColorLocked = true; }

void TPDFRenderer::OpExtGState(TPDFContentRun& run) { ApplyExtGState(run, run.PopString()); }

void TPDFRenderer::ApplyExtGState(TPDFContentRun& run, std::string_view name) {
  if (run.Resources == nullptr || name.empty()) return;
  auto* states = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue("ExtGState")));
  if (states == nullptr) return;
  auto* gs = PDFCast<TPDFDictionary>(ResolveReference(states->GetValue(name.substr(1))));
  if (gs == nullptr) return;
  const std::string type = gs->GetType();
  if (!type.empty() && type != "ExtGState") return;
  TPDFGraphicsState& state = run.State;
  auto number = [&](std::string_view key, double& out) {
    auto* value = PDFCast<TPDFNumeric>(ResolveReference(gs->GetValue(key)));
    if (value == nullptr) return false;
    out = value->AsDouble();
    return std::isfinite(out);
  };
  double v = 0;
  if (number("LW", v)) state.LineWidth = v;
  if (number("LC", v)) state.LineCap = ToInt(v);
  if (number("LJ", v)) state.LineJoin = ToInt(v);
  if (number("ML", v)) state.MiterLimit = v;
  if (auto* font = PDFCast<TPDFArray>(ResolveReference(gs->GetValue("Font")))) {
    auto* ref = PDFCast<TPDFIndRef>(font->GetItem(0));
    auto* size = PDFCast<TPDFNumeric>(ResolveReference(font->GetItem(1)));
    if (font->Count() == 2 && ref != nullptr && size != nullptr) {
      state.FontName = ref->ToString();
      state.FontSize = size->AsDouble();
    }
  }
  if (state.FillColorLocked != 0) return;
  if (number("CA", v)) state.StrokeAlpha = v;
  if (number("ca", v)) state.FillAlpha = v > 1 ? v / 100 : v;
  if (auto* blend = PDFCast<TPDFName>(ResolveReference(gs->GetValue("BM")))) {
    for (const auto& [modeName, mode] : kBlendModes)
      if (blend->Name() == modeName) state.BlendMode = mode;
  }
}
