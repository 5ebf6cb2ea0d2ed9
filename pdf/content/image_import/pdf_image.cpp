#include "pdf/content/image_import/pdf_image.h"

#include <algorithm>

#include "pdf/content/metafile/emf_graphic_state.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "platform/rtl/numbers.h"

TPDFImage::TPDFImage(TPDFStructure* owner, std::string_view name) : Owner(owner), Name(name) {}

TPDFImage::~TPDFImage() = default;

bool TPDFImage::LoadFromStream(TStream& stream, int32_t options) {
  if (Owner == nullptr || !Owner->OnMakeIndirect) return false;
  switch (DetectImageFileType(stream) % 128) {
    case kImageFileJPEG: return LoadJPEG(stream);
    case kImageFileBMP: return LoadBMP(stream, options);
    case kImageFilePNG: return LoadPNG(stream, options);
    case kImageFileTIFF: return LoadTIFF(stream, options);
    case kImageFileGIF: return LoadGIF(stream);
    case kImageFileICO: return LoadIcon(stream, options);
    case kImageFileWMF:
    case kImageFileEMF: return LoadMetafile(stream, options);
    default: return false;
  }
}

bool TPDFImage::Finish(TPDFStream* stream) {
  Dict = stream->Dictionary();
  int num = 0, gen = 0;
  if (!Owner->MakeIndirect(stream, num, gen)) return false;
  Ref = Owner->NewIndRef(num, gen);
  return true;
}

void TPDFImage::SetColorKeyMask(double r1, double g1, double b1, double r2, double g2, double b2) {
  if (Dict == nullptr) return;
  auto clamp = [](double v) { return v >= 1 ? 1.0 : (v > 0 ? v : 0.0); };
  r1 = clamp(r1), g1 = clamp(g1), b1 = clamp(b1), r2 = clamp(r2), g2 = clamp(g2), b2 = clamp(b2);
  auto round = [](double v) { return int(RoundHalfEven(v)); };
  const int bits = Dict->GetInteger("BitsPerComponent", 0);
  const auto* space = PDFCast<TPDFName>(Dict->GetValue("ColorSpace", true));
  const std::string spaceName = space ? space->Name() : std::string();
  TPDFArray* mask = nullptr;
  if (bits == 1) {
    mask = Owner->NewIntegerArray({round(r1), round(r2)});
  } else if (bits == 8 && spaceName == "DeviceGray") {
    mask = Owner->NewIntegerArray({round(r1 * 255), round(r2 * 255)});
  } else if (bits == 8 && spaceName == "DeviceRGB") {
    mask = Owner->NewIntegerArray(
        {round(r1 * 255), round(r2 * 255), round(g1 * 255), round(g2 * 255), round(b1 * 255), round(b2 * 255)});
  }
  if (mask) Dict->SetValue("Mask", mask);
}

bool TPDFImage::SetMaskReference(int objNum, int gen, uint8_t maskKind) {
  if (Dict == nullptr || (maskKind != 1 && maskKind != 2)) return false;
  Dict->SetValue(maskKind == 1 ? "Mask" : "SMask", Owner->NewIndRef(objNum, gen));
  return true;
}

namespace {

bool IsTrue(const TPDFObject* o) {
  const auto* b = PDFCast<TPDFBoolean>(o);
  return b != nullptr && b->Value();
}

// Absent, [0 1] or [1 0].
bool IsPlainDecode(const TPDFObject* o) {
  if (o == nullptr) return true;
  const auto* a = PDFCast<TPDFArray>(o);
  if (a == nullptr || a->Count() != 2) return false;
  const auto* x = PDFCast<TPDFNumeric>(a->GetItem(0));
  const auto* y = PDFCast<TPDFNumeric>(a->GetItem(1));
  return x && y && ((x->Value() == 0 && y->Value() == 1) || (x->Value() == 1 && y->Value() == 0));
}

}  // namespace

int TPDFImage::GetMaskKind() const {
  if (Dict == nullptr) return 0;
  const bool imageMask = IsTrue(Dict->GetValue("ImageMask", true));
  const bool noMasks = Dict->GetValue("Mask") == nullptr && Dict->GetValue("SMask") == nullptr;
  const auto* space = PDFCast<TPDFName>(Dict->GetValue("ColorSpace", true));
  if (imageMask && noMasks && space == nullptr && Dict->GetInteger("BitsPerComponent", 1) == 1 &&
      IsPlainDecode(Dict->GetValue("Decode", true))) {
    return 1;
  }
  if (!imageMask && noMasks && space != nullptr && space->Name() == "DeviceGray") return 2;
  return 0;
}
