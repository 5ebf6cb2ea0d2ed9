// Patterns and shadings by resource name, the tiling cells the GDI+ back end fills with, and
// the sh operator.
#include <algorithm>
#include <array>
#include <cmath>

#include "pdf/core/matrix.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"

namespace {

// A cell's image is kept within this many pixels a side and in all.
constexpr double kMaxCellSide = 3000;
constexpr double kMaxCellPixels = 4.0e6;

bool SameMatrix(const std::array<double, 6>& a, const TPDFMatrix& b) {
  for (size_t i = 0; i < 6; ++i)
    if (std::abs(a[i] - b[i]) > 1e-9 * std::max(1.0, std::abs(b[i]))) return false;
  return true;
}

}  // namespace

TZRXPattern* TPDFRenderer::PatternForName(TPDFContentRun& run, std::string_view name) {
  return PatternPlaced(run, name, run.BaseMatrix);
}

TZRXPattern* TPDFRenderer::PatternPlaced(TPDFContentRun& run, std::string_view name, const TPDFMatrix& base) {
  if (run.Resources == nullptr || name.size() < 2) return nullptr;
  const std::string key(name.substr(1));
  TPDFObject* value = nullptr;
  for (const char* category : {"Pattern", "Shading"}) {
    if (auto* dict = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue(category))))
      value = ResolveReference(dict->GetValue(key));
    if (value != nullptr) break;
  }
  auto* stream = PDFCast<TPDFStream>(value);
  TPDFObject* dict = stream != nullptr ? stream->Dictionary() : PDFCast<TPDFDictionary>(value);
  if (dict == nullptr) return nullptr;
  // One pattern per dictionary and place of use.
  for (const auto& pattern : Patterns)
    if (pattern->PatternObject == dict && SameMatrix(pattern->Base, base)) return pattern.get();
  auto pattern = std::make_unique<TZRXPattern>(colorManager_.get());
  pattern->Resolver = Resolver;
  pattern->Load(dict);
  std::copy(base.begin(), base.end(), pattern->Base.begin());
  if (pattern->Kind == TZRXPattern::kTiling) {
    // The back ends fill with an image of one cell. EPS output paints its patterns as pictures
    // of the page: the cell at their scale. The plain GDI back end has no pattern fill, and
    // outputs without a picture need none. A cell that cannot be drawn (of no size, or nested
    // too deeply) leaves no image, and a fill with it paints nothing.
    TPDFMatrix cellBase = base;
    if (run.EPS != nullptr) MatrixMultiply(cellBase, base, epsDevice_);
    const uint8_t backEnd = run.Canvas != nullptr ? run.Canvas->BackEnd() : uint8_t(kBackEndNone);
    const bool drawn = run.EPS != nullptr || backEnd == kBackEndGDIPlus || backEnd == kBackEndHTML5 ||
                       backEnd == kBackEndCairo;
    if (stream != nullptr && drawn) RenderTilingPattern(stream, *pattern, cellBase);
  }
  Patterns.push_back(std::move(pattern));
  return Patterns.back().get();
}

bool TPDFRenderer::RenderTilingPattern(TPDFStream* stream, TZRXPattern& pattern, const TPDFMatrix& base) {
  // The cell: the step (or the box where it is smaller) from the box's corner.
  const double x0 = pattern.GetBBox(0), y0 = pattern.GetBBox(1);
  const double cw = std::min(std::abs(pattern.GetStep(0)), pattern.GetBBox(2) - x0);
  const double ch = std::min(std::abs(pattern.GetStep(1)), pattern.GetBBox(3) - y0);
  if (!(cw > 0 && ch > 0)) return false;
  // Pattern space to the output; the cell is drawn at the output's own scale.
  TPDFMatrix m;
  const TPDFMatrix pm = {pattern.Matrix[0], pattern.Matrix[1], pattern.Matrix[2],
                         pattern.Matrix[3], pattern.Matrix[4], pattern.Matrix[5]};
  MatrixMultiply(m, pm, base);
  const double sx = std::hypot(m[0], m[1]), sy = std::hypot(m[2], m[3]);
  // A cell a whole number of pixels wide (within rounding) keeps its pixels whole.
  double w = std::ceil(cw * sx - 1e-3), h = std::ceil(ch * sy - 1e-3);
  if (!std::isfinite(w) || !std::isfinite(h)) return false;
  w = std::clamp(w, 1.0, kMaxCellSide), h = std::clamp(h, 1.0, kMaxCellSide);
  if (w * h > kMaxCellPixels) {
    const double f = std::sqrt(kMaxCellPixels / (w * h));
    w = std::max(1.0, std::floor(w * f)), h = std::max(1.0, std::floor(h * f));
  }
  if (NestingDepth >= kRenderNestingLimit) return false;
  // The cell paints only what its content paints: drawn once over white and once over black,
  // a pixel the content left alone differs by the whole range and one it covered not at all,
  // which gives each pixel's alpha and, from the black drawing, its colour.
  std::array<TBitmap, 2> drawn;
  for (const uint8_t backdrop : {uint8_t(255), uint8_t(0)}) {
    TPDFRenderer cell(fonts_);
    cell.Options = Options;
    cell.Resolver = Resolver;
    cell.Budget = Budget;
    cell.NestingDepth = NestingDepth;
    cell.OptionalContentStates = OptionalContentStates;
    cell.RenderPatternCell(stream, int32_t(w), int32_t(h), x0, y0, cw, ch, backdrop);
    if (cell.Bitmap().Empty() || cell.Bitmap().Width() != int32_t(w) || cell.Bitmap().Height() != int32_t(h))
      return false;
    drawn[backdrop == 0 ? 1 : 0].Assign(cell.Bitmap());
    drawn[backdrop == 0 ? 1 : 0].SetPixelFormat(pf24bit);
  }
  pattern.CellImage.Clear();
  pattern.CellWidth = int32_t(w), pattern.CellHeight = int32_t(h);
  pattern.CellPixels.assign(size_t(w) * size_t(h), 0);
  for (int32_t y = 0; y < int32_t(h); ++y) {
    const uint8_t* white = drawn[0].ScanLine(y);
    const uint8_t* black = drawn[1].ScanLine(y);
    uint32_t* out = pattern.CellPixels.data() + size_t(y) * size_t(w);
    for (int32_t x = 0; x < int32_t(w); ++x) {
      int gap = 0;
      for (int c = 0; c < 3; ++c) gap = std::max(gap, int(white[3 * x + c]) - int(black[3 * x + c]));
      const int alpha = 255 - std::clamp(gap, 0, 255);
      if (alpha == 0) continue;
      uint32_t argb = uint32_t(alpha) << 24;
      for (int c = 0; c < 3; ++c)  // blue, green, red
        argb |= uint32_t(std::min(255, (black[3 * x + c] * 255 + alpha / 2) / alpha)) << (8 * c);
      out[x] = argb;
    }
  }
  // The texture's pixels to the output: back to pattern space (rows from the cell's top),
  // then as the pattern lies.
  TPDFMatrix texture;
  MatrixMultiply(texture, {cw / w, 0, 0, -ch / h, x0, y0 + ch}, m);
  std::copy(texture.begin(), texture.end(), pattern.Matrix.begin());
  pattern.Scale = 1.0;
  return true;
}

void TPDFRenderer::RenderPatternCell(TPDFStream* stream, int32_t pixelWidth, int32_t pixelHeight, double x0, double y0,
                                     double width, double height, uint8_t backdrop) {
  try {
    bitmap_->SetPixelFormat(pf24bit);
    bitmap_->SetSize(pixelWidth, pixelHeight);
  } catch (const std::exception&) {
    bitmap_->SetSize(0, 0);
    return;
  }
  if (backdrop != 255)
    for (int32_t y = 0; y < pixelHeight; ++y) std::fill_n(bitmap_->ScanLine(y), size_t(pixelWidth) * 3, backdrop);
  RasterWidth = pixelWidth, RasterHeight = pixelHeight;
  TPDFDaubrix canvas;
  canvas.Setup(&bitmap_->Canvas(), Options);
  // A cell point moves by the box's corner, scales onto the pixels and turns y downwards.
  CurrentMatrix = {pixelWidth / width,
                   0,
                   0,
                   -pixelHeight / height,
                   -x0 * pixelWidth / width,
                   pixelHeight + y0 * pixelHeight / height};
  DeviceMatrix = CurrentMatrix;
  RunContentStream(&canvas, stream, nullptr);
}

void TPDFRenderer::OpShading(TPDFContentRun& run) {
  TPDFGraphicsState& state = run.State;
  // The fill colour operator finds the shading (a pattern of the fill space) and the fill
  // state hands it to the canvas. A shading neither uses nor changes the colour a later fill
  // paints with: the fill side of the state comes back once the shading is painted.
  const TPDFGraphicsState before = state;
  const std::string name(run.PopString());
  state.FillColorSpace = "Pattern:" + name;
  // Its coordinates are those of the current user space.
  SetFillColor(run, &CurrentMatrix);
  // A shading the resources do not hold paints nothing: the white a missing pattern fills
  // with would cover everything inside the clip.
  const bool locked = run.ColorLocked || before.FillColorLocked != 0;
  if (!locked && state.FillPattern == nullptr) {
    ErrorText = kShadingMissingText + name;
  } else {
    ApplyFillState(run, kFillRuleWinding);
    if (run.Visible) PaintShading(run);
  }
  state.FillColor = before.FillColor;
  state.FillColorText = before.FillColorText;
  state.FillCMYK = before.FillCMYK;
  state.FillPattern = before.FillPattern;
  state.FillColorSpace = before.FillColorSpace;
  state.FillAlternateSpace = before.FillAlternateSpace;
}

// The bounds of the clip filled with what the fill state holds: the shading, or the plain
// colour where the colour operator changed nothing (a glyph that takes its caller's colour).
void TPDFRenderer::PaintShading(TPDFContentRun& run) {
  TZRXPattern* pattern = run.State.FillPattern;
  // A shading this renderer cannot draw (radial, function-based, mesh, or of a space or
  // function it does not read) paints nothing: the plain colour is not the shading's, and
  // over the bounds of the clip it would cover what lies there, the whole page where no clip
  // is set.
  if (pattern != nullptr && pattern->Kind == TZRXPattern::kUnusable) return;
  if (run.EPS != nullptr) {
    if (PaintsAsPicture(pattern)) PaintEPSPattern(run, *pattern, false, false);
    return;
  }
  TPDFDaubrix& canvas = *run.Canvas;
  if (canvas.BackEnd() == kBackEndHTML5) {
    if (PaintsAsPicture(pattern))
      PaintHTML5Pattern(run, *pattern, false, {0, 0, double(RasterWidth), double(RasterHeight)});
    return;
  }
  canvas.FillClipBounds();
}
