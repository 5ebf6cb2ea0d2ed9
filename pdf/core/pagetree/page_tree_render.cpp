// Image resources and page rendering.
#include <exception>
#include <string>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/emf_graphic_state.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pagetree/page_output.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/gdi/metafile.h"

void TPDFPageTree::AddXObjectResource(TPDFImage& image) { AddXObjectResourceAt(image, 0); }

void TPDFPageTree::AddXObjectResourceAt(TPDFImage& image, int depth) {
  if (depth > kPDFMaxNestingDepth) return;
  for (TPDFFont* font : image.Fonts)
    if (font != nullptr) AddFontResource(*font);
  for (const auto& nested : image.Images)
    if (nested) AddXObjectResourceAt(*nested, depth + 1);
  for (const auto& state : image.GraphicStates)
    if (state) AddExtGStateResource(state->Name, state->Reference);
  for (const auto& pattern : image.Patterns)
    if (pattern) AddPatternResource(pattern->Name, pattern->Ref);
  AddResource("XObject", image.Name, image.Ref);
}

namespace {

// The renderer's output mode for an output format.
uint8_t ModeForFormat(int format) {
  switch (format) {
    case ofWMF: return kRenderWMF;
    case ofEMF: return kRenderEMF;
    case ofEPS: return kRenderEPS;
    case ofGDIPlusEMF: return kRenderGDIPlusEMF;
    case ofHTML5: return kRenderHTML5;
    default: return kRenderBitmap;
  }
}

}  // namespace

bool TPDFPageTree::RenderPage(int page, int format, double dpi, int jpegQuality, const TGDIPlusSettings& settings,
                              TStream& stream, std::string& message, int pageBox,
                              const TPDFOptionalContentStates& states) {
  message.clear();
  TPDFDictionary* pageDict = FindPage(page);
  if (pageDict == nullptr) {
    message = "Page " + std::to_string(page) + " not found";
    return false;
  }
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Options = settings;
  renderer.Resolution = dpi;
  renderer.PageBoxIndex = pageBox;
  renderer.OptionalContentStates = states;
  renderer.Mode = ModeForFormat(format);
  renderer.Page = pageDict;
  const int64_t startSize = stream.Size();
  if (format == ofGDIPlusEMF) renderer.SetMetafileStream(&stream);
  if (format == ofHTML5) renderer.SetHTML5Stream(&stream);
  renderer.RenderPage();
  // This renderer draws no other page: its decoded images need not stay beside the output.
  renderer.ImageCache().Clear();
  message = renderer.ErrorText;
  // A page the renderer could not draw whole is written as far as it got, but not reported
  // as rendered.
  bool ok = message.empty();

  switch (format) {
    case ofBMP:
    case ofJPEG:
    case ofPNG:
    case ofGIF:
    case ofTIFF:
    case ofMonochromeTIFF: {
      std::string writeMessage;
      if (!WritePageBitmap(renderer.Bitmap(), format, dpi, jpegQuality, settings, stream, writeMessage)) {
        if (message.empty()) message = writeMessage;
        ok = false;
      }
      break;
    }
    case ofWMF:
    case ofEMF:
      // A stream that refuses the bytes leaves no picture behind a reported success.
      try {
        renderer.Metafile().SaveToStream(stream);
      } catch (const std::exception&) {
        if (message.empty()) message = kStreamWriteErrorText;
        ok = false;
      }
      if (ok && renderer.Metafile().Document() == nullptr) {
        message = "Output format " + std::to_string(format) + " wrote nothing";
        ok = false;
      }
      break;
    case ofEPS:
      if (!renderer.EPS().SaveToStream(stream)) {
        if (message.empty()) message = kStreamWriteErrorText;
        ok = false;
      }
      break;
    case ofGDIPlusEMF:
    case ofHTML5:
      // The renderer writes these itself; a stream it left untouched holds no page.
      if (stream.Size() == startSize) {
        if (message.empty()) message = "Output format " + std::to_string(format) + " wrote nothing";
        ok = false;
      }
      break;
    default: break;  // other formats write nothing
  }
  return ok;
}
