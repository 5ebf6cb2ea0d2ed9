// Annotations: appearance streams clipped to their Rect, a border for links without one, and
// the built-in picture for stamps without one. Highlights go under the page content, the
// others over it.
#include <algorithm>
#include <cmath>
#include <optional>

#include "pdf/core/annots/stamp_appearances.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/renderer/render_helpers.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/numbers.h"

namespace {

constexpr int32_t kFlagHidden = 2, kFlagPrint = 4, kFlagNoView = 32;
// The stamp pictures are drawn in a box of this size.
constexpr double kStampWidth = 120, kStampHeight = 32;

std::optional<double> Number(TPDFObject* o) {
  const auto* n = PDFCast<TPDFNumeric>(o);
  if (n == nullptr || !std::isfinite(n->Value())) return std::nullopt;
  return n->Value();
}

// An array of exactly count numbers (at least count when atLeast).
bool Numbers(const TPDFArray* a, size_t count, double* out) {
  if (a == nullptr || static_cast<size_t>(a->Count()) < count) return false;
  for (size_t i = 0; i < count; ++i) {
    const auto v = Number(a->GetItem(static_cast<int>(i)));
    if (!v) return false;
    out[i] = *v;
  }
  return true;
}

std::string NameOf(TPDFObject* o) {
  const auto* n = PDFCast<TPDFName>(o);
  return n != nullptr ? n->Name() : std::string();
}

}  // namespace

void TPDFRenderer::DrawAnnotations(TPDFContentRun& run, bool before) {
  auto* page = PDFCast<TPDFDictionary>(run.Content);
  const auto* annots = page != nullptr ? PDFCast<TPDFArray>(ResolveReference(page->GetValue("Annots"))) : nullptr;
  if (annots == nullptr) return;
  for (TPDFObject* item : annots->Items()) {
    // Annotations are indirect objects; a direct dictionary in /Annots is not one.
    if (PDFCast<TPDFIndRef>(item) == nullptr) continue;
    auto* annot = PDFCast<TPDFDictionary>(ResolveReference(item));
    if (annot == nullptr) continue;
    const auto* flagNumber = PDFCast<TPDFNumeric>(annot->GetValue("F", true));
    const int32_t flags = flagNumber != nullptr ? flagNumber->AsInteger() : 0;
    const bool highlight = NameOf(annot->GetValue("Subtype", true)) == "Highlight";
    const bool field = annot->IndexOfKey("FT") >= 0;
    if (field ? Options.DrawFormFields == 0 : Options.DrawAnnotations == 0) continue;
    if ((Options.FormFieldsOnly != 0 && !field) || before != highlight) continue;
    const bool shown = Mode == kRenderPrinter ? (flags & kFlagHidden) == 0 && (flags & kFlagPrint) != 0
                                              : (flags & (kFlagHidden | kFlagNoView)) == 0;
    CurrentMatrix = DeviceMatrix;
    if (shown) DrawAnnotation(run, annot);
    CurrentMatrix = DeviceMatrix;
  }
}

void TPDFRenderer::DrawAnnotation(TPDFContentRun& run, TPDFDictionary* annot) {
  run.State.Matrix = CurrentMatrix;
  if (PDFCast<TPDFDictionary>(ResolveReference(annot->GetValue("AP"))) == nullptr) {
    DrawWithoutAppearance(run, annot);
    return;
  }
  double r[4];
  if (!Numbers(PDFCast<TPDFArray>(ResolveReference(annot->GetValue("Rect"))), 4, r)) return;
  TPDFObject* reference = AppearanceReference(annot);
  auto* appearance = reference != nullptr ? PDFCast<TPDFStream>(ResolveReference(reference)) : nullptr;
  if (appearance == nullptr) return;
  const TPDFDictionary* dict = appearance->Dictionary();
  double box[4];
  if (!Numbers(PDFCast<TPDFArray>(ResolveReference(dict->GetValue("BBox"))), 4, box)) return;
  TPDFMatrix matrix = kIdentityMatrix;
  if (const auto* m = PDFCast<TPDFArray>(ResolveReference(dict->GetValue("Matrix"))); m != nullptr && m->Count() == 6)
    if (!Numbers(m, 6, matrix.data())) matrix = kIdentityMatrix;

  TPDFPoint c1, c2;
  MatrixTransformPoint(matrix, {box[0], box[1]}, c1);
  MatrixTransformPoint(matrix, {box[2], box[3]}, c2);
  const double bx1 = std::min(c1.X, c2.X), by1 = std::min(c1.Y, c2.Y);
  const double bw = std::max(c1.X, c2.X) - bx1, bh = std::max(c1.Y, c2.Y) - by1;
  if (!(bw > 0 && bh > 0)) return;
  const double left = std::min(r[0], r[2]), right = std::max(r[0], r[2]);
  const double bottom = std::min(r[1], r[3]), top = std::max(r[1], r[3]);
  const double sx = (right - left) / bw, sy = (top - bottom) / bh;
  const TPDFMatrix a = {sx, 0, 0, sy, left - bx1 * sx, bottom - by1 * sy};
  TPDFMatrix placed;
  MatrixMultiply(placed, matrix, a);

  SaveState(run);
  ClipToBox(run, left, bottom, right, top);
  const TPDFMatrix before = CurrentMatrix;
  TPDFDictionary* const savedDefaults = DefaultResources;
  MatrixMultiply(CurrentMatrix, placed, CurrentMatrix);
  // EPS output writes the content's own coordinates under its matrices.
  if (run.EPS != nullptr) run.EPS->ConcatMatrix(placed);
  DefaultResources = run.Resources;
  InsideAnnotation = 1;
  RunContentStream(run.Canvas, appearance, reference);
  InsideAnnotation = 0;
  DefaultResources = savedDefaults;
  CurrentMatrix = before;
  RestoreState(run, true);
}

// The reference of the normal appearance: /N itself, or the state of /N that /AS names.
TPDFObject* TPDFRenderer::AppearanceReference(TPDFDictionary* annot) {
  auto* ap = PDFCast<TPDFDictionary>(ResolveReference(annot->GetValue("AP")));
  TPDFObject* normal = ap->GetValue("N");
  TPDFObject* resolved = ResolveReference(normal);
  TPDFObject* chosen = nullptr;
  if (PDFCast<TPDFStream>(resolved) != nullptr) {
    chosen = normal;
  } else if (auto* states = PDFCast<TPDFDictionary>(resolved)) {
    TPDFObject* as = annot->GetValue("AS");
    if (PDFCast<TPDFIndRef>(as) != nullptr) chosen = as;
    else if (auto* name = PDFCast<TPDFName>(ResolveReference(as))) chosen = states->GetValue(name->Name());
  }
  // An appearance is an indirect stream; anything else draws nothing.
  return PDFCast<TPDFIndRef>(chosen) != nullptr ? chosen : nullptr;
}

void TPDFRenderer::ClipToBox(TPDFContentRun& run, double left, double bottom, double right, double top) {
  if (run.EPS != nullptr) {
    TPDFEPSExport& eps = *run.EPS;
    eps.NewPath();
    eps.MoveTo(left, bottom);
    eps.LineTo(left, top);
    eps.LineTo(right, top);
    eps.LineTo(right, bottom);
    eps.ClosePath();
    eps.Clip(true);
    eps.NewPath();
    run.PathOpen = false;
    return;
  }
  if (!run.PathOpen) run.Canvas->NewPath();
  const TPDFPoint corners[] = {TransformPoint(left, bottom), TransformPoint(left, top), TransformPoint(right, top),
                               TransformPoint(right, bottom)};
  run.Canvas->MoveTo(corners[0].X, corners[0].Y);
  for (int i = 1; i < 4; ++i) run.Canvas->LineTo(corners[i].X, corners[i].Y);
  run.Canvas->ClosePath();
  run.Canvas->SetClip(kFillRuleEvenOdd);
  run.Canvas->EndPath();
  run.PathOpen = false;
}

void TPDFRenderer::DrawWithoutAppearance(TPDFContentRun& run, TPDFDictionary* annot) {
  const auto* subtype = PDFCast<TPDFName>(ResolveReference(annot->GetValue("Subtype")));
  double r[4] = {0, 0, 0, 0};
  if (subtype == nullptr || !Numbers(PDFCast<TPDFArray>(ResolveReference(annot->GetValue("Rect"))), 4, r)) return;
  if (subtype->Name() == "Link") DrawLinkBorder(run, annot, r);
  else if (subtype->Name() == "Stamp") DrawStamp(run, annot, r);
}

void TPDFRenderer::DrawLinkBorder(TPDFContentRun& run, TPDFDictionary* annot, const double* r) {
  SaveState(run);
  double width = 1;
  std::vector<double> dash;
  auto readDash = [&dash](const TPDFArray* a) {
    // Dash items are read as integers (to the nearest, halves to even).
    if (a == nullptr) return;
    for (TPDFObject* item : a->Items()) {
      const double v = Number(item).value_or(0);
      dash.push_back(std::isfinite(v) ? double(RoundHalfEven(std::clamp(v, -1e15, 1e15))) : 0.0);
    }
  };
  if (auto* bs = PDFCast<TPDFDictionary>(ResolveReference(annot->GetValue("BS")))) {
    readDash(PDFCast<TPDFArray>(ResolveReference(bs->GetValue("D"))));
    width = Number(ResolveReference(bs->GetValue("W"))).value_or(width);
  } else if (const auto* border = PDFCast<TPDFArray>(ResolveReference(annot->GetValue("Border")))) {
    if (border->Count() >= 3) width = Number(ResolveReference(border->GetItem(2))).value_or(width);
    if (border->Count() >= 4) readDash(PDFCast<TPDFArray>(ResolveReference(border->GetItem(3))));
  }
  if (!LinkBorderColour(run, annot)) width = 0;  // /C [] asks for no border
  if (dash.size() % 2 == 1) {
    std::vector<double> doubled;
    for (double d : dash) doubled.insert(doubled.end(), {d, d});
    dash.swap(doubled);
  }
  // The canvas takes the width in device units and the dashes in multiples of the width.
  const TPDFPoint o = TransformPoint(0, 0), tip = TransformPoint(0, width);
  double deviceWidth = std::hypot(tip.X - o.X, tip.Y - o.Y);
  if (!std::isfinite(deviceWidth)) deviceWidth = 0;
  TGPDashArray dashes;
  for (double d : dash) dashes.push_back(static_cast<float>(width > 0 ? std::clamp(d / width, -1e6, 1e6) : d));
  if (run.EPS != nullptr) {
    // The border is stroked on EPS output too, as on every other output.
    TPDFEPSExport& eps = *run.EPS;
    eps.SetColor(run.State.StrokeColorText);
    eps.SetLineWidth(width);
    eps.NewPath();
    eps.MoveTo(r[0], r[1]);
    eps.LineTo(r[0], r[3]);
    eps.LineTo(r[2], r[3]);
    eps.LineTo(r[2], r[1]);
    eps.ClosePath();
    // The other outputs clip only after the stroke (the clip takes effect at the paint), and
    // the clip ends with the state right after: the border is simply stroked.
    if (width > 0) eps.Stroke();
    else eps.NewPath();
    run.PathOpen = false;
    RestoreState(run, true);
    return;
  }
  run.Canvas->SetLineWidth(deviceWidth);
  run.Canvas->SetDash(dashes, 0);
  run.Canvas->SetStrokeColor(run.State.StrokeColor);
  const TPDFPoint corners[] = {TransformPoint(r[0], r[1]), TransformPoint(r[0], r[3]), TransformPoint(r[2], r[3]),
                               TransformPoint(r[2], r[1])};
  if (!run.PathOpen) run.Canvas->NewPath();
  run.Canvas->MoveTo(corners[0].X, corners[0].Y);
  for (int i = 1; i < 4; ++i) run.Canvas->LineTo(corners[i].X, corners[i].Y);
  run.Canvas->ClosePath();
  run.Canvas->SetClip(kFillRuleEvenOdd);
  if (width == 0) run.Canvas->EndPath();
  else run.Canvas->Stroke();
  run.PathOpen = false;
  RestoreState(run, true);
}

// The stroke colour from /C; false when /C is an empty array.
bool TPDFRenderer::LinkBorderColour(TPDFContentRun& run, TPDFDictionary* annot) {
  const auto* c = PDFCast<TPDFArray>(ResolveReference(annot->GetValue("C")));
  double rgb[3] = {0, 0, 0};
  if (c != nullptr) {
    double v[4] = {0, 0, 0, 0};
    const int n = c->Count();
    if (n == 0) return false;
    if ((n != 1 && n != 3 && n != 4) || !Numbers(c, static_cast<size_t>(n), v)) return true;
    if (n == 1) rgb[0] = rgb[1] = rgb[2] = v[0];
    else if (n == 3) std::copy_n(v, 3, rgb);
    else ColorManager().CMYKToRGB(v[0], v[1], v[2], v[3], rgb[0], rgb[1], rgb[2]);
  }
  run.State.StrokeColor = ColorManager().RGBToColor(rgb[0], rgb[1], rgb[2]);
  run.State.StrokeColorText = NumberText(rgb[0]) + NumberText(rgb[1]) + NumberText(rgb[2]) + "setrgbcolor";
  return true;
}

// The stamp picture fitted into the Rect, upright and centred.
void TPDFRenderer::DrawStamp(TPDFContentRun& run, TPDFDictionary* annot, const double* r) {
  const auto* name = PDFCast<TPDFName>(ResolveReference(annot->GetValue("Name")));
  const double left = std::min(r[0], r[2]), bottom = std::min(r[1], r[3]);
  const double w = std::fabs(r[2] - r[0]), h = std::fabs(r[3] - r[1]);
  const double s = std::min(w / kStampWidth, h / kStampHeight);
  if (!(s > 0)) return;
  SaveState(run);
  const TPDFMatrix place = {s, 0, 0, s, left + (w - kStampWidth * s) / 2, bottom + (h - kStampHeight * s) / 2};
  MatrixMultiply(CurrentMatrix, place, CurrentMatrix);
  run.State.Matrix = CurrentMatrix;
  if (run.EPS != nullptr) run.EPS->ConcatMatrix(place);
  TPDFString* text = Store->NewString(StampAppearanceStream(name != nullptr ? name->Name() : "Draft"), false);
  RunContentStream(run.Canvas, text, nullptr);
  text->Release();
  RestoreState(run, true);
}
