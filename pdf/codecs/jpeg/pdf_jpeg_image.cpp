#include "pdf/codecs/jpeg/pdf_jpeg_image.h"

#include "pdf/render/colour/color_manager.h"

// Bodies follow.
TJPEGDefaults JPEGDefaults;

TPDFJPEGImage::TPDFJPEGImage()
    : Image(std::make_shared<TJPEGData>()), ownManager_(std::make_unique<TPDFSimpleColorManager>()) {
  ColorManager = ownManager_.get();
}
TPDFJPEGImage::~TPDFJPEGImage() = default;
int TPDFJPEGImage::Width() const { return 0; }
int TPDFJPEGImage::Height() const { return 0; }
bool TPDFJPEGImage::Empty() const { return true; }
void TPDFJPEGImage::Draw(TCanvas&, const TRect&) {}
void TPDFJPEGImage::LoadFromStream(TStream&) {}
void TPDFJPEGImage::SaveToStream(TStream&) {}
void TPDFJPEGImage::Assign(const TGraphic& source) { TGraphic::Assign(source); }
void TPDFJPEGImage::AssignTo(TGraphic&) {}
bool TPDFJPEGImage::Equals(const TGraphic&) const { return false; }
void TPDFJPEGImage::ReadData(TStream&) {}
void TPDFJPEGImage::WriteData(TStream&) const {}
TBitmap* TPDFJPEGImage::Decode() { return nullptr; }
void TPDFJPEGImage::DecodeRawCMYK() {}
void TPDFJPEGImage::SaveBitmapToStream(TStream&) {}
void TPDFJPEGImage::Compress() {}
void TPDFJPEGImage::SetColorManager(TPDFColorManager*) {}
void TPDFJPEGImage::LoadBytes(TStream&, int64_t) {}
void TPDFJPEGImage::ReadHeader() {}
void TPDFJPEGImage::ConvertCMYKToRGB() {}
void TPDFJPEGImage::RecalcScaledSize() const {}
void AssignGraphic(TGraphic& dest, const TGraphic& source) { dest.Assign(source); }
