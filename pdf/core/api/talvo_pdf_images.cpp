// The API's images: loading, the current image and its placement.
#include "pdf/core/api/talvo_pdf.h"

// Bodies follow with the image import.
int32_t TTalvoPDF::SetCurrentImage(int32_t) { return 0; }
int32_t TTalvoPDF::CurrentImageWidth() {
  lastError_ = 0;
  return 0;
}
int32_t TTalvoPDF::CurrentImageHeight() {
  lastError_ = 0;
  return 0;
}
int32_t TTalvoPDF::PlaceImage(double, double, double, double) { return 0; }
int32_t TTalvoPDF::LoadImageFile(const WideString&, int32_t) { return 0; }
int32_t TTalvoPDF::LoadImageStream(TStream&, int32_t) { return 0; }
