#include "pdf/render/colour/special_color_space.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/indexed_color_space.h"
#include "pdf/render/renderer/render_helpers.h"
#include "platform/rtl/numbers.h"

namespace {

double Unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

}  // namespace

TPDFSpecialColorSpace::TPDFSpecialColorSpace(TPDFColorManager* manager) : ColorManager(manager) {}

TPDFSpecialColorSpace::~TPDFSpecialColorSpace() = default;

void TPDFSpecialColorSpace::LoadAlternateAndTransform(TPDFObject* alternate, TPDFObject* transform) {
  AlternateName.clear();
  ColorText.clear();
  TintTransform.reset();
  Lab.reset();
  Indexed.reset();
  TPDFObject* alt = Resolve(alternate);
  if (auto* name = PDFCast<TPDFName>(alt)) {
    AlternateName = name->Name();
  } else if (auto* array = PDFCast<TPDFArray>(alt)) {
    if (auto* first = PDFCast<TPDFName>(Resolve(array->GetItem(0)))) AlternateName = first->Name();
    if (AlternateName == "ICCBased" && array->Count() >= 2) {
      TPDFDictionary* profile = nullptr;
      if (auto* stream = PDFCast<TPDFStream>(Resolve(array->GetItem(1)))) profile = stream->Dictionary();
      if (profile != nullptr) {
        if (auto* altName = PDFCast<TPDFName>(Resolve(profile->GetValue("Alternate")))) {
          AlternateName = altName->Name();
        } else if (auto* n = PDFCast<TPDFNumeric>(Resolve(profile->GetValue("N")))) {
          const double count = n->AsDouble();
          if (count == 1) AlternateName = "DeviceGray";
          if (count == 3) AlternateName = "DeviceRGB";
          if (count == 4) AlternateName = "DeviceCMYK";
        }
      }
    } else if (AlternateName == "Lab" && array->Count() >= 2) {
      Lab = std::make_unique<TPDFLabColorSpace>();
      Lab->Resolver = Resolver;
      Lab->Load(array);
    } else if (AlternateName == "Indexed" && Depth == 0) {
      Indexed = std::make_unique<TPDFIndexedColorSpace>(ColorManager);
      Indexed->Resolver = Resolver;
      Indexed->Load(array, Depth + 1);
    }
  }
  if (transform != nullptr) TintTransform = CreatePDFFunction(transform, Resolver);
}

void TPDFSpecialColorSpace::ColorFromCMYK(const std::vector<double>& outputs) {
  // As the transform gives them: the conversion's results are clamped when they are packed.
  for (size_t i = 0; i < 4; ++i) CMYK[i] = outputs[i];
  ColorManager->CMYKToRGB(CMYK[0], CMYK[1], CMYK[2], CMYK[3], RGB[0], RGB[1], RGB[2]);
  Color = ColorManager->RGBToColor(RGB[0], RGB[1], RGB[2]);
}

bool TPDFSpecialColorSpace::ColorFromOutputs(const std::vector<double>& outputs, bool colourOnly) {
  if (outputs.size() == 1 && (AlternateName == "DeviceGray" || AlternateName == "CalGray")) {
    // Clamped first: a grey beyond 1 would spill into the neighbouring colour bytes.
    const double g = Unit(outputs[0]);
    RGB = {g, g, g};
    Color = static_cast<COLORREF>(RoundHalfEven(g * 255) * 0x010101);
  } else if (outputs.size() == 1 && AlternateName == "Indexed" && Indexed) {
    Indexed->SetIndex(outputs[0], true);
    Color = Indexed->Color;
    RGB = Indexed->RGB;
  } else if (outputs.size() != 3) {
    return false;
  } else if (AlternateName == "DeviceRGB" || AlternateName == "CalRGB" || AlternateName == "ICCBased") {
    // Out-of-range outputs would spill into the neighbouring colour bytes.
    for (size_t i = 0; i < 3; ++i) RGB[i] = Unit(outputs[i]);
    Color = static_cast<COLORREF>(RoundHalfEven(RGB[0] * 255) + RoundHalfEven(RGB[1] * 255) * 256 +
                                  RoundHalfEven(RGB[2] * 255) * 65536);
  } else if (AlternateName == "Lab") {
    double l = outputs[0], a = outputs[1], b = outputs[2];
    // The alternate's own white point and ranges when it came with the space.
    if (Lab) {
      Color = Lab->ToColor(l, a, b, *ColorManager);
      ColorManager->LabToRGB(l, a, b, RGB[0], RGB[1], RGB[2]);
    } else {
      ColorManager->LabToRGB(l, a, b, RGB[0], RGB[1], RGB[2]);
      Color = ColorManager->RGBToColor(RGB[0], RGB[1], RGB[2]);
    }
  } else {
    return false;
  }
  if (!colourOnly) ColorText = NumberText(RGB[0]) + NumberText(RGB[1]) + NumberText(RGB[2]) + "setrgbcolor";
  return true;
}
