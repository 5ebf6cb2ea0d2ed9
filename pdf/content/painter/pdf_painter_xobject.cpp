// Placing image and form XObjects.
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/painter/pdf_painter.h"

namespace {

// A metafile form's bounding box has its shorter side 1.
constexpr uint8_t kImageKindMetafileForm = 6;

}  // namespace

void TPDFPainter::DrawXObject(TPDFImage& image, double left, double top, double width, double height) {
  WriteLine("q");
  // A stencil mask paints in the pending fill colour.
  if (image.GetMaskKind() == 1 && Pending(TPDFPending::Fill)) WriteLine(FillText);
  if (image.Kind != kImageKindMetafileForm) {
    WriteLine(Number(width) + Number(0) + Number(0) + Number(height) + Number(left) + Number(top - height) + "cm");
  } else {
    const double s = width < height ? width : height;
    WriteLine(Number(s) + Number(0) + Number(0) + Number(s) + Number(left) + Number(top - height) + "cm");
  }
  WriteLine("/" + image.Name + " Do");
  WriteLine("Q");
  Changed();
}

void TPDFPainter::DrawXObjectSkewed(TPDFImage& image, double left, double top, double width, double height,
                                    double b, double c) {
  WriteLine("q");
  WriteLine(Number(1) + Number(-b) + Number(-c) + Number(1) + Number(left) + Number(top - height) + "cm");
  WriteLine(Number(width) + Number(0) + Number(0) + Number(height) + Number(0) + Number(0) + "cm");
  WriteLine("/" + image.Name + " Do");
  WriteLine("Q");
  Changed();
}
