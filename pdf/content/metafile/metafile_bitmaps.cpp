// Bitmap records (placeholder until the platform's DIB decoding is in).
#include "pdf/content/metafile/pdf_metafile.h"

void TPDFMetafile::HandleBitmapRecord(const TMetafileRecord&) {}
void TPDFMetafile::HandleAlphaBlend(const TMetafileRecord&) {}
void TPDFMetafile::CreatePatternBrush(const TMetafileRecord& r, bool) {
  ForgetObject(r.U32(8));
  BrushObjects[r.U32(8)] = TBrush{};
}
void TPDFMetafile::Play(TMetafile&, TPDFStream*) {}
