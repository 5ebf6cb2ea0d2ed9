#include "pdf/render/colour/lab_color_space.h"

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"

namespace {

// The numbers of an array of exactly count numbers (references resolved), or false.
bool ReadNumbers(const TPDFResolveMethod& resolver, TPDFObject* obj, int count, double* out) {
  auto* array = PDFCast<TPDFArray>(ResolvePDFObject(resolver, obj));
  if (array == nullptr || array->Count() != count) return false;
  for (int i = 0; i < count; ++i) {
    auto* number = PDFCast<TPDFNumeric>(ResolvePDFObject(resolver, array->GetItem(i)));
    if (number == nullptr) return false;
    out[i] = number->AsDouble();
  }
  return true;
}

}  // namespace

void TPDFLabColorSpace::Load(TPDFArray* array) {
  if (array == nullptr || array->Count() < 2) return;
  auto* dict = PDFCast<TPDFDictionary>(ResolvePDFObject(Resolver, array->GetItem(1)));
  if (dict == nullptr) return;
  double white[3];
  if (ReadNumbers(Resolver, dict->GetValue("WhitePoint"), 3, white)) {
    WhitePointX = white[0];
    WhitePointY = white[1];
    WhitePointZ = white[2];
  }
  AMin = -100, AMax = 100, BMin = -100, BMax = 100;
  double range[4];
  if (ReadNumbers(Resolver, dict->GetValue("Range"), 4, range)) {
    AMin = range[0], AMax = range[1], BMin = range[2], BMax = range[3];
  }
}

COLORREF TPDFLabColorSpace::ToColor(double l, double a, double b, TPDFColorManager& manager) const {
  if (auto* simple = dynamic_cast<TPDFSimpleColorManager*>(&manager)) {
    simple->SetWhitePoint(WhitePointX, WhitePointY, WhitePointZ);
    simple->SetRanges(AMin, AMax, BMin, BMax);
  }
  double r = 0, g = 0, bl = 0;
  manager.LabToRGB(l, a, b, r, g, bl);
  return manager.RGBToColor(r, g, bl);
}

double TPDFLabColorSpace::DecodeA(double i, double n) const { return n == 0 ? AMin : AMin + (AMax - AMin) * i / n; }

double TPDFLabColorSpace::DecodeB(double i, double n) const { return n == 0 ? BMin : BMin + (BMax - BMin) * i / n; }
