// One run of the content interpreter: the content text, the resources, the starting state,
// the loop over tokens, and the clean-up that leaves the canvas as the run found it.
#include <algorithm>
#include <cmath>
#include <exception>

#include "pdf/core/filters/filter_chain.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/numbers.h"

bool TPDFRenderer::RunContentStream(TPDFDaubrix* canvas, TPDFObject* content, TPDFObject* reference,
                                    std::string_view directText) {
  // The error text belongs to the whole render: nested runs add to it, never clear it.
  if (NestingDepth == 0) ErrorText.clear();
  if (NestingDepth >= kRenderNestingLimit) {
    ErrorText = kNestingErrorText;
    return false;
  }
  if (Budget->Runs <= 0 || Budget->ContentBytes <= 0) {
    ErrorText = kBudgetErrorText;
    return false;
  }
  --Budget->Runs;
  TPDFDaubrix idle;  // content drawn nowhere still runs (its state, its images collected)
  TPDFContentRun run;
  run.Canvas = canvas != nullptr ? canvas : &idle;
  if (Mode == kRenderEPS) run.EPS = eps_.get();
  run.Content = content;
  ++NestingDepth;
  try {
    RunContent(run, reference, directText);
  } catch (const std::exception& e) {
    ErrorText = std::string(kRenderExceptionText) + e.what() + "\r\n" + kTokenPositionText +
                IntToStr(int64_t(run.TokenPosition()));
  } catch (...) {
    ErrorText = std::string(kRenderExceptionText) + "unknown error\r\n" + kTokenPositionText +
                IntToStr(int64_t(run.TokenPosition()));
  }
  UnwindSaves(run);
  --NestingDepth;
  return run.PathOpen;
}

void TPDFRenderer::RunContent(TPDFContentRun& run, TPDFObject* reference, std::string_view directText) {
  TPDFObject* content = run.Content;
  if (content == nullptr) return;
  run.Operands.reserve(100);
  run.SaveStack.reserve(100);
  run.Resources = ContentResources(content, directText);
  Store = content->Owner();
  const bool page = PDFCast<TPDFDictionary>(content) != nullptr && directText.empty();
  if (page) DrawAnnotations(run, true);
  run.Text = GetContentText(content, reference, directText);
  run.Position = 0;
  ChargeBudget(int64_t(run.Text.size()));

  if (UseSavedState != 0) {
    UseSavedState = 0;
    run.State = SavedState;
  }
  run.State.TextMatrix = kIdentityMatrix;
  run.State.TextLineMatrix = kIdentityMatrix;
  run.State.Matrix = CurrentMatrix;
  run.BaseMatrix = CurrentMatrix;

  if (!(Options.FormFieldsOnly != 0 && InsideAnnotation == 0)) RunLoop(run);
  if (page && ErrorText.empty()) DrawAnnotations(run, false);
}

void TPDFRenderer::RunLoop(TPDFContentRun& run) {
  const auto& table = OperatorTable();
  for (;;) {
    const std::string_view token = NextToken(run);
    if (token.empty()) break;
    const auto handler = table.find(token);
    if (handler == table.end())
      run.Push(token);
    else
      (this->*(handler->second))(run);
  }
}

void TPDFRenderer::ChargeBudget(int64_t bytes) {
  Budget->ContentBytes -= bytes;
  if (Budget->ContentBytes < 0) throw Exception(kBudgetErrorText);
}

void TPDFRenderer::ChargePaint(double minX, double minY, double maxX, double maxY) {
  if (!(minX <= maxX && minY <= maxY)) return;
  if (RasterWidth > 0 && RasterHeight > 0) {
    minX = std::max(minX, 0.0), minY = std::max(minY, 0.0);
    maxX = std::min(maxX, double(RasterWidth)), maxY = std::min(maxY, double(RasterHeight));
    if (minX > maxX || minY > maxY) return;
  }
  // A line or a point still costs its pixels.
  Budget->PaintedPixels -= (maxX - minX + 1) * (maxY - minY + 1);
  if (!(Budget->PaintedPixels >= 0)) throw Exception(kBudgetErrorText);
}

void TPDFRenderer::ChargeDashes(const TPDFContentRun& run) {
  const TPDFGraphicsState& state = run.State;
  if (state.DashArray.empty() || !(run.PathLength > 0)) return;
  // The shortest a length can become on the device: the matrix's least stretch.
  const TPDFPoint o = TransformPoint(0, 0), ex = TransformPoint(1, 0), ey = TransformPoint(0, 1);
  const double a = ex.X - o.X, b = ex.Y - o.Y, c = ey.X - o.X, d = ey.Y - o.Y;
  const double frobenius = std::sqrt(a * a + b * b + c * c + d * d);
  const double stretch = frobenius > 0 ? std::fabs(a * d - b * c) / frobenius : 0;
  // The canvas hands dashes over as multiples of the line width (no less than its smallest
  // entry), which the back ends measure by the line's own width (a pixel for the thinnest).
  const double w = state.LineWidth > 0 ? state.LineWidth : 1;
  double period = 0;
  for (double entry : state.DashArray) period += std::max(std::fabs(entry) / w, double(TPDFDaubrix::kMinDashEntry));
  // (A matrix that squeezes the line flat draws nothing.)
  if (state.LineWidth > 0 && state.LineWidth * stretch > 0) period *= state.LineWidth * stretch;
  double dashes = run.PathLength / period;
  if (!(dashes <= kRenderDashesPerStroke)) dashes = kRenderDashesPerStroke;
  Budget->PaintedPixels -= kRenderDashCost * dashes;
  if (!(Budget->PaintedPixels >= 0)) throw Exception(kBudgetErrorText);
}

// Saves the content left open would otherwise leave the caller with its clip (or, on cairo,
// an unbalanced save stack).
void TPDFRenderer::UnwindSaves(TPDFContentRun& run) {
  while (!run.SaveStack.empty()) {
    const TPDFGraphicsState& saved = run.SaveStack.back();
    if (run.EPS != nullptr)
      run.EPS->RestoreState();
    else if (Mode == kRenderCairoDC || Mode == kRenderCairoBitmap)
      run.Canvas->RestoreState();
    else
      run.Canvas->RestoreClip(saved.ClipHandle);
    run.SaveStack.pop_back();
  }
}

TPDFDictionary* TPDFRenderer::ContentResources(TPDFObject* content, std::string_view directText) {
  if (auto* dict = PDFCast<TPDFDictionary>(content)) {
    if (!directText.empty()) {
      if (TPDFObject* own = dict->GetValue("Resources")) return PDFCast<TPDFDictionary>(ResolveReference(own));
      return DefaultResources;
    }
    return PDFCast<TPDFDictionary>(GetInheritedAttribute(dict, "Resources"));
  }
  if (auto* stream = PDFCast<TPDFStream>(content)) {
    TPDFDictionary* dict = stream->Dictionary();
    if (auto* own = PDFCast<TPDFDictionary>(GetInheritedAttribute(dict, "Resources"))) return own;
    const std::string type = dict != nullptr ? dict->GetType() : std::string();
    return type.empty() || type == "XObject" ? DefaultResources : nullptr;
  }
  return DefaultResources;
}

std::string TPDFRenderer::DecodeContentStream(TPDFStream* stream, TPDFIndRef* reference) {
  // Bytes no filter turned into content would be read as operators: the stream is left out
  // and the page says why.
  if (const std::string filter = FirstUndecodableFilter(*stream); !filter.empty()) {
    ErrorText = kContentFilterText + filter;
    return {};
  }
  std::string data;
  if (reference != nullptr && OnBeforeStream) OnBeforeStream(stream, reference);
  if (!stream->Decode(data)) data.clear();
  if (reference != nullptr && OnAfterStream) OnAfterStream(stream, reference);
  return data;
}

std::string TPDFRenderer::GetContentText(TPDFObject* content, TPDFObject* reference, std::string_view directText) {
  if (auto* dict = PDFCast<TPDFDictionary>(content)) {
    if (!directText.empty()) return std::string(directText);
    TPDFObject* contents = dict->GetValue("Contents");
    auto* ref = PDFCast<TPDFIndRef>(contents);
    TPDFObject* value = ResolveReference(contents);
    if (auto* stream = PDFCast<TPDFStream>(value)) return DecodeContentStream(stream, ref);
    std::string text;
    if (auto* array = PDFCast<TPDFArray>(value)) {
      for (TPDFObject* item : array->Items()) {
        auto* stream = PDFCast<TPDFStream>(ResolveReference(item));
        if (stream == nullptr) continue;
        text += DecodeContentStream(stream, PDFCast<TPDFIndRef>(item));
        text += ' ';
        // Many references to one big stream must not build a text past what may be run.
        if (int64_t(text.size()) > Budget->ContentBytes) throw Exception(kBudgetErrorText);
      }
    }
    return text;
  }
  // A stream given without its reference (a direct stream) is still its own content.
  if (auto* stream = PDFCast<TPDFStream>(content)) return DecodeContentStream(stream, PDFCast<TPDFIndRef>(reference));
  if (auto* string = PDFCast<TPDFString>(content)) return string->Value();
  return {};
}
