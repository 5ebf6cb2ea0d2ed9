#include "pdf/content/image_import/pdf_image.h"

#include "pdf/codecs/png/png_reader.h"

// Bodies follow.
int DetectImageFileType(TStream& stream) {
  stream.SetPosition(0);
  return kImageFileUnknown;
}
void ReadJPEGHeader(TStream&, TJPEGHeaderInfo& info) { info = TJPEGHeaderInfo{}; }

TPDFImage::TPDFImage(TPDFStructure* owner, std::string_view name) : Owner(owner), Name(name) {}
TPDFImage::~TPDFImage() = default;
bool TPDFImage::LoadFromStream(TStream&, int32_t) { return false; }
bool TPDFImage::WriteBitmap(TBitmap&, const TPDFImagePageInfo*, bool, bool) { return false; }
void TPDFImage::WriteJPEG(TStream&, int32_t) {}
void TPDFImage::WritePNG(TPNGReader&, int) {}
void TPDFImage::SetColorKeyMask(double, double, double, double, double, double) {}
bool TPDFImage::SetMaskReference(int, int, uint8_t) { return false; }
int TPDFImage::GetMaskKind() const { return 0; }
bool TPDFImage::LoadBMP(TStream&, int32_t) { return false; }
bool TPDFImage::LoadPNG(TStream&, int32_t) { return false; }
bool TPDFImage::LoadJPEG(TStream&) { return false; }
bool TPDFImage::Finish(TPDFStream*) { return false; }
