#include "pdf/render/colour/indexed_color_space.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "pdf/render/renderer/render_helpers.h"
#include "platform/rtl/numbers.h"

namespace {

// The kinds of base space a table can be written in.
enum class TBase { kNone, kGray, kRGB, kCMYK, kLab, kSeparation, kDeviceN };

TBase BaseOfName(const std::string& name) {
  if (name == "DeviceGray" || name == "CalGray" || name == "G") return TBase::kGray;
  if (name == "DeviceRGB" || name == "CalRGB" || name == "RGB") return TBase::kRGB;
  if (name == "DeviceCMYK" || name == "CMYK") return TBase::kCMYK;
  if (name == "Lab") return TBase::kLab;
  if (name == "Separation") return TBase::kSeparation;
  if (name == "DeviceN") return TBase::kDeviceN;
  return TBase::kNone;
}

COLORREF Gray(double g) { return COLORREF(RoundHalfEven(std::clamp(g, 0.0, 1.0) * 255) * 0x010101); }

}  // namespace

void TPDFIndexedColorSpace::Load(TPDFArray* array, int depth) {
  colours_.clear();
  if (array == nullptr) return;
  auto resolve = [this](TPDFObject* obj) { return ResolvePDFObject(Resolver, obj); };
  // The base: a name, or an array led by its family's name.
  TPDFObject* baseObject = resolve(array->GetItem(1));
  auto* baseArray = PDFCast<TPDFArray>(baseObject);
  auto* baseName = PDFCast<TPDFName>(baseArray != nullptr ? resolve(baseArray->GetItem(0)) : baseObject);
  TBase base = baseName != nullptr ? BaseOfName(baseName->Name()) : TBase::kNone;
  if (baseName != nullptr && baseName->Name() == "ICCBased" && baseArray != nullptr) {
    if (auto* profile = PDFCast<TPDFStream>(resolve(baseArray->GetItem(1)))) {
      auto* alternate = PDFCast<TPDFName>(resolve(profile->Dictionary()->GetValue("Alternate")));
      if (alternate != nullptr) base = BaseOfName(alternate->Name());
      auto* n = PDFCast<TPDFNumeric>(resolve(profile->Dictionary()->GetValue("N")));
      if (base == TBase::kNone && n != nullptr)
        base = n->AsDouble() == 1 ? TBase::kGray : n->AsDouble() == 3 ? TBase::kRGB
                                                 : n->AsDouble() == 4 ? TBase::kCMYK : TBase::kNone;
    }
  }
  // A Separation or DeviceN base inside another special space could name that space again.
  if (depth > 0 && (base == TBase::kSeparation || base == TBase::kDeviceN)) base = TBase::kNone;
  if ((base == TBase::kLab || base == TBase::kSeparation || base == TBase::kDeviceN) && baseArray == nullptr)
    base = TBase::kNone;

  auto* hival = PDFCast<TPDFNumeric>(resolve(array->GetItem(2)));
  if (hival == nullptr) return;
  const double high = hival->AsDouble();
  const int count = std::isnan(high) ? 1 : int(std::clamp(std::round(high), 0.0, double(kMaxEntries - 1))) + 1;
  std::string table;
  TPDFObject* lookup = resolve(array->GetItem(3));
  if (auto* text = PDFCast<TPDFString>(lookup)) table = text->Value();
  if (auto* stream = PDFCast<TPDFStream>(lookup); stream != nullptr && !stream->Decode(table)) table.clear();

  std::unique_ptr<TPDFLabColorSpace> lab;
  std::unique_ptr<TPDFSeparationColorSpace> separation;
  std::unique_ptr<TPDFDeviceNColorSpace> deviceN;
  size_t n = 0;
  switch (base) {
    case TBase::kNone: break;
    case TBase::kGray: n = 1; break;
    case TBase::kRGB: n = 3; break;
    case TBase::kCMYK: n = 4; break;
    case TBase::kLab:
      n = 3;
      lab = std::make_unique<TPDFLabColorSpace>();
      lab->Resolver = Resolver;
      lab->Load(baseArray);
      break;
    case TBase::kSeparation:
      n = 1;
      separation = std::make_unique<TPDFSeparationColorSpace>(ColorManager);
      separation->Resolver = Resolver;
      separation->Depth = depth + 1;
      separation->Load(baseArray, "");
      break;
    case TBase::kDeviceN:
      deviceN = std::make_unique<TPDFDeviceNColorSpace>(ColorManager);
      deviceN->Resolver = Resolver;
      deviceN->Depth = depth + 1;
      deviceN->Load(baseArray, "");
      n = size_t(std::clamp(deviceN->ComponentCount, 0, 32));
      break;
  }
  colours_.assign(size_t(count), 0);
  if (n == 0) return;
  std::vector<double> v(n);
  for (size_t entry = 0; entry < size_t(count); ++entry) {
    // Bytes the table lacks read as 0.
    for (size_t i = 0; i < n; ++i) {
      const size_t at = entry * n + i;
      v[i] = at < table.size() ? uint8_t(table[at]) / 255.0 : 0.0;
    }
    COLORREF& colour = colours_[entry];
    double r = 0, g = 0, b = 0;
    switch (base) {
      case TBase::kNone: break;
      case TBase::kGray: colour = Gray(v[0]); break;
      case TBase::kRGB: colour = ColorManager->RGBToColor(v[0], v[1], v[2]); break;
      case TBase::kCMYK:
        ColorManager->CMYKToRGB(v[0], v[1], v[2], v[3], r, g, b);
        colour = ColorManager->RGBToColor(r, g, b);
        break;
      case TBase::kLab:
        // The bytes span L* 0..100 and the space's a* and b* ranges.
        colour = lab->ToColor(v[0] * 100, lab->DecodeA(v[1] * 255, 255), lab->DecodeB(v[2] * 255, 255), *ColorManager);
        break;
      case TBase::kSeparation:
        separation->SetTint(v[0], true);
        colour = separation->Color;
        break;
      case TBase::kDeviceN:
        deviceN->SetTints(v, true);
        colour = deviceN->Color;
        break;
    }
  }
}

void TPDFIndexedColorSpace::SetIndex(double index, bool colourOnly) {
  Color = 0;
  if (!colours_.empty()) {
    const double at = std::isnan(index) ? 0.0 : std::clamp(std::round(index), 0.0, double(colours_.size() - 1));
    Color = colours_[size_t(at)];
  }
  RGB = {(Color & 0xFF) / 255.0, ((Color >> 8) & 0xFF) / 255.0, ((Color >> 16) & 0xFF) / 255.0};
  if (!colourOnly) ColorText = NumberText(RGB[0]) + NumberText(RGB[1]) + NumberText(RGB[2]) + "setrgbcolor";
}
