// The API's images: loading, the current image and its placement.
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/core/wide_file_stream.h"

namespace {

// Open for reading, others may read but not write.
constexpr uint16_t kOpenReadDenyWrite = 0x20;

}  // namespace

int32_t TTalvoPDF::SetCurrentImage(int32_t handle) {
  TPDFImage* image = ImageFromHandle(handle);
  if (image == nullptr || !currentDocument_->OwnsImage(image)) return 0;
  currentImage_ = image;
  return 1;
}

int32_t TTalvoPDF::CurrentImageWidth() {
  lastError_ = 0;
  return currentImage_ != nullptr ? currentImage_->Width : 0;
}

int32_t TTalvoPDF::CurrentImageHeight() {
  lastError_ = 0;
  return currentImage_ != nullptr ? currentImage_->Height : 0;
}

int32_t TTalvoPDF::PlaceImage(double left, double top, double width, double height) {
  if (currentImage_ == nullptr) return 0;
  TPDFPageTree& tree = PageTree();
  // Without a content stream to draw into the placement would be lost.
  if (!tree.Selected()) return 0;
  tree.AddXObjectResource(*currentImage_);
  Painter().DrawXObject(*currentImage_, ConvertX(left), ConvertY(top), ConvertLength(width), ConvertLength(height));
  return 1;
}

// Steps shared by both loads: the image joins the document, the version follows 16-bit PNG
// samples, and the image becomes current. An image that cannot be read gives 0; exceptions
// of the import pass on.
int32_t TTalvoPDF::AddLoadedImage(TStream& stream, int32_t options) {
  TPDFImage* image = currentDocument_->AddImage(stream, options, currentDocument_->ImageSettings[0]);
  if (image == nullptr) return 0;
  if (image->SixteenBit && currentDocument_->Version() < "1.5") currentDocument_->SetVersion("1.5");
  const int32_t handle = RegisterImage(image);
  currentImage_ = image;
  return handle;
}

int32_t TTalvoPDF::LoadImageFile(const WideString& fileName, int32_t options) {
  if (!WideFileExists(fileName)) return 0;
  int32_t result = 0;
  try {
    TTalvoPDFWideFileStream stream(fileName, kOpenReadDenyWrite);
    if (options == -1) currentDocument_->GDIPlusSettings = GDIPlusSettings;
    result = AddLoadedImage(stream, options);
  } catch (...) {
    // The value reached so far stands.
  }
  return result;
}

// The caller's stream, the caller's failures: exceptions of the import reach the caller.
int32_t TTalvoPDF::LoadImageStream(TStream& stream, int32_t options) { return AddLoadedImage(stream, options); }
