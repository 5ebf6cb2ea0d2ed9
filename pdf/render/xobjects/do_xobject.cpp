// The Do operator: an XObject of the current resources, drawn as an image or run as a form.
#include <algorithm>
#include <cctype>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A name operand with its #xx escapes undone (the slash kept).
std::string UnescapeName(std::string_view operand) {
  std::string name;
  name.reserve(operand.size());
  for (size_t i = 0; i < operand.size(); ++i) {
    if (operand[i] == '#' && i + 2 < operand.size() && HexValue(operand[i + 1]) >= 0 &&
        HexValue(operand[i + 2]) >= 0) {
      name += static_cast<char>(HexValue(operand[i + 1]) * 16 + HexValue(operand[i + 2]));
      i += 2;
    } else {
      name += operand[i];
    }
  }
  return name;
}

// The four numbers of an array of exactly `count` numbers.
bool ReadNumbers(TPDFObject* obj, int count, double* out) {
  auto* array = PDFCast<TPDFArray>(obj);
  if (array == nullptr || array->Count() != count || !array->AllNumeric()) return false;
  for (int i = 0; i < count; ++i) out[i] = PDFCast<TPDFNumeric>(array->GetItem(i))->AsDouble();
  return true;
}

}  // namespace

void TPDFRenderer::OpXObject(TPDFContentRun& run) { DoXObject(run, run.PopString()); }

void TPDFRenderer::DoXObject(TPDFContentRun& run, std::string_view operand) {
  if (!run.Visible || run.Resources == nullptr) return;
  const std::string name = UnescapeName(operand);
  auto* xobjects = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue("XObject")));
  if (xobjects == nullptr || name.size() < 2 || name[0] != '/') return;
  TPDFObject* entry = xobjects->GetValue(std::string_view(name).substr(1));
  TPDFObject* reference = PDFCast<TPDFIndRef>(entry);
  auto* stream = PDFCast<TPDFStream>(ResolveReference(entry));
  if (stream == nullptr) return;
  TPDFDictionary* dict = stream->Dictionary();

  // Optional content attached to the XObject.
  bool visible = true;
  if (auto* ocRef = PDFCast<TPDFIndRef>(dict->GetValue("OC"))) {
    if (auto* group = PDFCast<TPDFDictionary>(ResolveReference(ocRef))) {
      const std::string type = group->GetType();
      if (type == "OCG") {
        const std::string text = ocRef->ToString();
        for (const TPDFOptionalContentState& state : OptionalContentStates)
          if (state.Reference != nullptr && state.Reference->ToString() == text) visible = state.Visible;
      } else if (type == "OCMD") {
        visible = IsOptionalContentVisible(group);
      }
    }
  }
  if (!visible) return;

  auto* subtype = PDFCast<TPDFName>(ResolveReference(dict->GetValue("Subtype")));
  if (subtype == nullptr) return;
  if (subtype->Name() == "Form")
    RunForm(run, stream, reference);
  else if (subtype->Name() == "Image" && Mode != kRenderTextExtraction)
    DrawImageXObject(run, stream, reference);
}

void TPDFRenderer::RunForm(TPDFContentRun& run, TPDFStream* form, TPDFObject* reference) {
  // A form that draws itself, directly or through other forms, is not run again.
  if (std::find(activeForms_.begin(), activeForms_.end(), form) != activeForms_.end()) {
    ErrorText = kNestingErrorText;
    return;
  }
  TPDFDictionary* dict = form->Dictionary();
  double box[4];
  const bool hasBox = ReadNumbers(ResolveReference(dict->GetValue("BBox")), 4, box);
  const TTransparencyGroup group = ReadTransparencyGroup(dict);
  double m[6];
  const TPDFMatrix before = CurrentMatrix;
  const bool hasMatrix = ReadNumbers(ResolveReference(dict->GetValue("Matrix")), 6, m);
  if (hasMatrix) MatrixMultiply(CurrentMatrix, TPDFMatrix{m[0], m[1], m[2], m[3], m[4], m[5]}, CurrentMatrix);
  TPDFDictionary* const defaultsBefore = DefaultResources;
  TPDFStructure* const storeBefore = Store;
  DefaultResources = run.Resources;

  SaveState(run);
  // EPS output draws the form in its own space: its matrix goes inside the save.
  if (run.EPS != nullptr && hasMatrix) run.EPS->ConcatMatrix(TPDFMatrix{m[0], m[1], m[2], m[3], m[4], m[5]});
  UseSavedState = 1;
  SavedState = run.State;
  if (hasBox && run.EPS != nullptr) {
    if (!run.PathOpen) run.EPS->NewPath();
    run.EPS->MoveTo(box[0], box[1]);
    run.EPS->LineTo(box[0], box[3]);
    run.EPS->LineTo(box[2], box[3]);
    run.EPS->LineTo(box[2], box[1]);
    run.EPS->ClosePath();
    run.EPS->Clip(false);
    run.PathOpen = false;
  } else if (hasBox) {
    ClipToBox(run, box[0], box[1], box[2], box[3]);
  }
  activeForms_.push_back(form);
  if (group.Present && (Mode == kRenderCairoDC || Mode == kRenderCairoBitmap) && run.Canvas->BackEnd() == kBackEndCairo)
    RunGroupContent(run, form, reference, group);
  else
    RunContentStream(run.Canvas, form, reference);
  activeForms_.pop_back();
  UseSavedState = 0;
  DefaultResources = defaultsBefore;
  Store = storeBefore;
  RestoreState(run, true);
  // The save may have been dropped (too deep); the form's matrix must not outlive it.
  CurrentMatrix = before;
}
