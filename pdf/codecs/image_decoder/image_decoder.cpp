#include "pdf/codecs/image_decoder/image_decoder.h"

#include "pdf/render/colour/color_manager.h"

// Bodies follow; until then every image reports failure.
TPDFImageDecoder::TPDFImageDecoder() : ownManager_(std::make_unique<TPDFSimpleColorManager>()) {
  InitDaubrixOptions(Settings);
  ColorManager = ownManager_.get();
  OwnsColorManager = true;
  Bitmap = std::make_unique<TBitmap>();
}

TPDFImageDecoder::~TPDFImageDecoder() = default;

void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFLabColorSpace*) const {}
void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFSeparationColorSpace*) const {}
void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFDeviceNColorSpace*) const {}

void TPDFImageDecoder::SetImage(TPDFStream* stream) {
  Stream = stream;
  Failed = true;
}
void TPDFImageDecoder::SetInlineImage(const TPDFInlineImage&, TPDFStructure* owner) {
  Owner = owner;
  Failed = true;
}
void TPDFImageDecoder::SetColorManager(TPDFColorManager* manager) {
  ownManager_.reset();
  ColorManager = manager;
  OwnsColorManager = false;
}
void TPDFImageDecoder::DrawImage(TPDFDaubrix&, const std::array<double, 6>&, COLORREF) {}
int64_t TPDFImageDecoder::GetDataSize() const { return DataStream ? DataStream->Size() : int64_t(Data.size()); }
void TPDFImageDecoder::GetData(std::string& bytes) { bytes.clear(); }
void TPDFImageDecoder::GetBitmapBytes(std::string& bytes) { bytes.clear(); }
void TPDFImageDecoder::ReadImageDictionary() {}
std::string TPDFImageDecoder::ResolveColorSpace(TPDFObject*) { return {}; }
void TPDFImageDecoder::ApplyFilters() {}
TPDFObject* TPDFImageDecoder::ResolveReference(TPDFObject* o) { return o; }
int32_t TPDFImageDecoder::GetIntParam(std::string_view, int32_t def) const { return def; }
std::string TPDFImageDecoder::GetParam(std::string_view) const { return {}; }
void TPDFImageDecoder::UnpackSamples() {}
void TPDFImageDecoder::ConvertLab() {}
void TPDFImageDecoder::ConvertSeparation() {}
void TPDFImageDecoder::ConvertDeviceN() {}
void TPDFImageDecoder::ApplyICCProfile() {}
void TPDFImageDecoder::ExpandIndexedBitmap() {}
TGDIPlusSettings TPDFImageDecoder::GetCanvasSettings() const { return Settings; }
void TPDFImageDecoder::DecodeDCT() {}
void TPDFImageDecoder::DecodeCCITT() {}
void TPDFImageDecoder::DecodeJBIG2(TPDFObject*) {}
void TPDFImageDecoder::DecodeJPX() {}
void TPDFImageDecoder::PatchPNGPalette(TMemoryStream&, std::string_view, COLORREF) {}
void TPDFImageDecoder::SaveBitmapToString(std::string& bytes) { bytes.clear(); }

bool ParseInlineImage(std::string_view, int32_t&, TPDFInlineImage& image, TPDFDictionary*,
                      const TPDFImageResolveEvent&) {
  image = TPDFInlineImage{};
  return false;
}
