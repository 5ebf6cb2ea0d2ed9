// Image XObjects and inline images: decoded through the image decoder (image XObjects once per
// renderer, through the image cache, unless their rows are decoded at each drawing), then drawn
// under the current matrix, or collected.
#include <algorithm>
#include <cmath>
#include <memory>

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/renderer/renderer.h"

namespace {

void FreeDecoder(TPDFImageDecoder* decoder) { delete decoder; }

TPDFImageDecoderOwner NewDecoder() { return TPDFImageDecoderOwner(new TPDFImageDecoder(), &FreeDecoder); }

}  // namespace

void TPDFRenderer::PrepareDecoder(TPDFImageDecoder& decoder, const TPDFContentRun& run) {
  decoder.SetColorManager(colorManager_.get());
  decoder.OnResolve = [this](TPDFIndRef& reference) { return ResolveReference(&reference); };
  auto hand = [](const TPDFRenderStreamEvent& event) -> TPDFImageStreamEvent {
    if (!event) return nullptr;
    return [event](TPDFStream& stream, TPDFObject* reference) { event(&stream, PDFCast<TPDFIndRef>(reference)); };
  };
  decoder.OnBeforeDecode = hand(OnBeforeImage);
  decoder.OnAfterDecode = hand(OnAfterImage);
  decoder.OnImageEvent = hand(OnImageEvent);
  decoder.EPSOutput = Mode == kRenderEPS;
  decoder.FillColor = run.State.FillColor;
  decoder.DrawOnly = Mode == kRenderBitmap;
  decoder.DecodeWhileDrawing = Mode == kRenderBitmap;
  if (Mode == kRenderImageCollection) {
    decoder.PassThrough = true;
    decoder.PassThroughRGBOnly = true;
  }
}

// Draws a decoded image; a decoder or canvas that could not draw it leaves the image's error
// text, so that the page never passes for complete.
void TPDFRenderer::DrawDecodedImage(TPDFContentRun& run, TPDFImageDecoder& decoder) {
  if (decoder.ImageMask == 1 && PaintsNothing(run.State.FillColorSpace)) return;
  const TPDFPoint corners[4] = {TransformPoint(0, 0), TransformPoint(1, 0), TransformPoint(0, 1), TransformPoint(1, 1)};
  double minX = corners[0].X, maxX = corners[0].X, minY = corners[0].Y, maxY = corners[0].Y;
  for (const TPDFPoint& p : corners) {
    minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
  }
  ChargePaint(minX, minY, maxX, maxY);
  TPDFDaubrix& canvas = *run.Canvas;
  if (canvas.BackEnd() == kBackEndHTML5) return DrawHTML5Image(run, decoder);
  canvas.ClearError();
  decoder.DrawFailed = false;
  // The canvas keeps the alpha of the last fill, which a restore since then may have undone.
  canvas.SetFillAlpha(run.State.FillAlpha);
  decoder.DrawImage(canvas, CurrentMatrix, run.State.FillColor);
  if (decoder.DrawFailed || !canvas.LastError().empty()) ErrorText = kImageDrawError;
}

void TPDFRenderer::DrawImageXObject(TPDFContentRun& run, TPDFStream* image, TPDFObject* reference) {
  const TPDFPoint c01 = TransformPoint(0, 1), c11 = TransformPoint(1, 1), c00 = TransformPoint(0, 0),
                  c10 = TransformPoint(1, 0);
  run.Canvas->SetMatrix(CurrentMatrix);
  auto* ref = PDFCast<TPDFIndRef>(reference);
  const int64_t key = ref != nullptr ? TPDFImageCache::KeyOf(ref->TargetNumber(), ref->TargetGeneration()) : 0;
  TPDFImageDecoder* decoder = ref != nullptr ? imageCache_.Find(key) : nullptr;
  // An image reached without a reference is drawn once and freed here.
  TPDFImageDecoderOwner uncached(nullptr, &FreeDecoder);
  if (decoder == nullptr) {
    TPDFImageDecoderOwner fresh = NewDecoder();
    fresh->TargetWidth = std::fabs(c01.X - c11.X) / Resolution;
    fresh->TargetHeight = std::fabs(c01.Y - c00.Y) / Resolution;
    PrepareDecoder(*fresh, run);
    if (ref != nullptr && OnBeforeImage) OnBeforeImage(image, ref);
    fresh->SetImage(image);
    if (ref != nullptr && OnAfterImage) OnAfterImage(image, ref);
    if (fresh->Failed || !fresh->Decoded) {
      ErrorText = kImageDrawError;
      return;
    }
    decoder = fresh.get();
    // An image whose rows wait for each drawing is decoded again at each drawing, cached or not:
    // kept, a page of thousands of strips would hold thousands of decoders for nothing.
    if (ref != nullptr && !decoder->RowsWaiting())
      imageCache_.Add(key, reference, std::move(fresh), decoder->GetDataSize());
    else
      uncached = std::move(fresh);
  }
  if (Mode == kRenderImageCollection) {
    TPDFImageRecord record;
    record.Kind = decoder->DataFormat == kDataTIFF ? 3 : decoder->DataFormat == kDataJPEG ? 1 : 2;
    decoder->GetData(record.Data);
    record.Width = decoder->Width;
    record.Height = decoder->Height;
    const int32_t bpc = decoder->BitsPerComponent;
    if (decoder->ColorSpace == "DeviceGray") {
      record.ColorCode = 1;
      record.BitsPerPixel = bpc;
    } else if (decoder->ColorSpace == "DeviceCMYK") {
      record.ColorCode = 3;
      record.BitsPerPixel = 4 * bpc;
    } else {
      record.ColorCode = 2;
      record.BitsPerPixel = 3 * bpc;
      if (decoder->ColorSpace != "DeviceRGB") {
        record.Kind = 2;
        decoder->GetBitmapBytes(record.Data);
      }
    }
    record.Corners = {c01, c11, c00, c10};
    record.Reference = reference;
    ImageRecords.push_back(std::move(record));
    return;
  }
  if (run.EPS != nullptr) {
    // The identity names the image's data in the file: "5 0 R" becomes "5.0.R".
    std::string id = ref != nullptr ? ref->ToString() : std::string();
    std::replace(id.begin(), id.end(), ' ', '.');
    WriteEPSImage(run, *decoder, id, ref != nullptr);
    return;
  }
  DrawDecodedImage(run, *decoder);
  // Placed otherwise than pixel for pixel, its rows were decoded whole after all: kept as any
  // decoded image is.
  if (uncached && ref != nullptr && !uncached->RowsWaiting())
    imageCache_.Add(key, reference, std::move(uncached), decoder->GetDataSize());
}

void TPDFRenderer::OpInlineImage(TPDFContentRun& run) {
  TPDFInlineImage inlineImage;
  int32_t position = static_cast<int32_t>(run.Position + 1);
  const TPDFImageResolveEvent resolver = [this](TPDFIndRef& reference) { return ResolveReference(&reference); };
  if (!ParseInlineImage(run.Text, position, inlineImage, run.Resources, resolver) || position < 1 ||
      size_t(position - 1) < run.Position) {
    // Its data must never reach the tokenizer as operators, and the page is not complete.
    SkipInlineImage(run);
    if (Mode != kRenderTextExtraction && run.Visible) ErrorText = kImageDrawError;
    return;
  }
  run.Position = std::min(size_t(position - 1), run.Text.size());
  if (Mode == kRenderTextExtraction || !run.Visible) return;
  TPDFImageDecoderOwner decoder = NewDecoder();
  PrepareDecoder(*decoder, run);
  decoder->SetInlineImage(inlineImage, Store);
  if (decoder->Failed || !decoder->Decoded) {
    ErrorText = kImageDrawError;
    return;
  }
  if (Mode == kRenderImageCollection) return;
  if (run.EPS != nullptr) {
    // Another stream may hold another inline image at the same position: never reused.
    WriteEPSImage(run, *decoder, "Inline" + std::to_string(run.TokenPosition()), false);
    return;
  }
  run.Canvas->SetMatrix(CurrentMatrix);
  DrawDecodedImage(run, *decoder);
}
