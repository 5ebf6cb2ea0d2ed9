// Transparency groups of forms on the cairo back end. A knockout group draws on the target
// through a copy of its backdrop, which each fill puts back under itself first, so that the
// group's objects meet the backdrop and not one another. An isolated group draws on a clear
// surface of its own (its objects meet no backdrop at all), which is then painted over the
// target as one object. A group that is neither runs as plain content.
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/renderer/renderer.h"

namespace {

bool Flag(TPDFObject* value) {
  auto* b = PDFCast<TPDFBoolean>(value);
  return b != nullptr && b->Value();
}

}  // namespace

TPDFRenderer::TTransparencyGroup TPDFRenderer::ReadTransparencyGroup(TPDFDictionary* form) {
  TTransparencyGroup group;
  auto* dict = PDFCast<TPDFDictionary>(ResolveReference(form->GetValue("Group")));
  if (dict == nullptr) return group;
  auto* subtype = PDFCast<TPDFName>(ResolveReference(dict->GetValue("S")));
  if (subtype == nullptr || subtype->Name() != "Transparency") return group;
  group.Present = true;
  auto* space = PDFCast<TPDFName>(ResolveReference(dict->GetValue("CS")));
  group.ColorSpace = space != nullptr ? space->Name() : "DeviceRGB";
  group.Isolated = Flag(ResolveReference(dict->GetValue("I")));
  group.Knockout = Flag(ResolveReference(dict->GetValue("K")));
  return group;
}

void TPDFRenderer::RunGroupContent(TPDFContentRun& run, TPDFStream* form, TPDFObject* reference,
                                   const TTransparencyGroup& group) {
  TPDFDaubrix& canvas = *run.Canvas;
  if (!group.Isolated && !group.Knockout) {
    RunContentStream(&canvas, form, reference);
    return;
  }
  cairo_surface_t *target = nullptr, *own = nullptr;
  cairo_t *targetContext = nullptr, *ownContext = nullptr;
  if (group.Isolated) {
    canvas.BeginGroup(false, target, targetContext, own, ownContext);
    if (own == nullptr) {
      canvas.SetCurrentSurface(target, targetContext);
      RunContentStream(&canvas, form, reference);
      return;
    }
  }
  if (group.Knockout) {
    // A: the backdrop (what the surface drawn on holds now); B: the shape of each fill.
    cairo_surface_t *current = nullptr, *backdrop = nullptr, *shape = nullptr;
    cairo_t *currentContext = nullptr, *backdropContext = nullptr, *shapeContext = nullptr;
    canvas.BeginGroup(false, current, currentContext, backdrop, backdropContext);
    canvas.SetCurrentSurface(current, currentContext);
    canvas.BeginGroup(true, current, currentContext, shape, shapeContext);
    canvas.SetCurrentSurface(current, currentContext);
    const bool knocking = backdrop != nullptr && shape != nullptr;
    if (knocking) canvas.BeginMaskedDrawing(false, backdropContext, shapeContext, shape, backdrop);
    KnockOut = 0;
    RunContentStream(&canvas, form, reference);
    if (knocking) canvas.EndMaskedDrawing(current, currentContext);
    canvas.FreeGroup(shapeContext, shape);
    canvas.FreeGroup(backdropContext, backdrop);
  } else {
    KnockOut = 0;
    RunContentStream(&canvas, form, reference);
  }
  if (group.Isolated) {
    canvas.SetCurrentSurface(target, targetContext);
    canvas.SetBlendMode(run.State.BlendMode);
    canvas.PaintGroup(own);
    canvas.FreeGroup(ownContext, own);
  }
}
