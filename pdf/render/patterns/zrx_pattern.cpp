// Reading patterns and shadings for the canvas back ends: axial shadings become colour samples
// along their axis, tiling patterns the geometry of their cell.
#include "pdf/render/patterns/zrx_pattern.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "pdf/render/functions/pdf_function.h"

namespace {

// Exactly n numbers, or nothing.
bool Numbers(TPDFObject* obj, const TPDFResolveMethod& resolver, size_t n, std::vector<double>& out) {
  auto* array = PDFCast<TPDFArray>(ResolvePDFObject(resolver, obj));
  if (array == nullptr || size_t(array->Count()) != n) return false;
  out.clear();
  for (int i = 0; i < array->Count(); ++i) {
    auto* number = PDFCast<TPDFNumeric>(ResolvePDFObject(resolver, array->GetItem(i)));
    if (number == nullptr || !std::isfinite(number->AsDouble())) return false;
    out.push_back(number->AsDouble());
  }
  return true;
}

TPDFDictionary* DictionaryOf(TPDFObject* obj) {
  if (auto* stream = PDFCast<TPDFStream>(obj)) return stream->Dictionary();
  return PDFCast<TPDFDictionary>(obj);
}

// Samples along the axis of a shading whose colours are converted into RGB.
constexpr int32_t kConvertedShadingSamples = 256;

double Unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

// A shading's function takes one input and gives the outputs asked for; one without a Range
// is asked at 0.
bool Accepted(TPDFFunction& function, int32_t outputs) {
  if (function.InputCount != 1) return false;
  if (function.OutputCount == outputs) return true;
  if (!function.Range.empty()) return false;
  std::vector<double> out;
  try {
    function.Evaluate({0.0}, out);
  } catch (const std::exception&) {
    return false;
  }
  return int32_t(out.size()) == outputs;
}

}  // namespace

void TZRXPattern::Load(TPDFObject* pattern) {
  PatternObject = pattern;
  Kind = kUnusable;
  Matrix = {1, 0, 0, 1, 0, 0};
  TPDFDictionary* dict = DictionaryOf(ResolvePDFObject(Resolver, pattern));
  if (dict == nullptr) return;
  std::vector<double> m;
  if (Numbers(dict->GetValue("Matrix"), Resolver, 6, m)) std::copy(m.begin(), m.end(), Matrix.begin());
  auto* type = PDFCast<TPDFNumeric>(ResolvePDFObject(Resolver, dict->GetValue("PatternType")));
  if (type == nullptr) {
    if (PDFCast<TPDFNumeric>(ResolvePDFObject(Resolver, dict->GetValue("ShadingType")))) LoadShading(dict);
    return;
  }
  if (type->AsDouble() == 1)
    LoadTiling(dict);
  else if (type->AsDouble() == 2)
    LoadShading(DictionaryOf(ResolvePDFObject(Resolver, dict->GetValue("Shading"))));
}

void TZRXPattern::LoadTiling(TPDFDictionary* dict) {
  if (dict == nullptr) return;
  auto* tiling = PDFCast<TPDFNumeric>(ResolvePDFObject(Resolver, dict->GetValue("TilingType")));
  std::vector<double> box;
  if (tiling == nullptr || (tiling->AsDouble() != 1 && tiling->AsDouble() != 2 && tiling->AsDouble() != 3)) return;
  if (!Numbers(dict->GetValue("BBox"), Resolver, 4, box)) return;
  BBox = {std::min(box[0], box[2]), std::min(box[1], box[3]), std::max(box[0], box[2]), std::max(box[1], box[3])};
  auto step = [&](const char* key, double def) {
    auto* n = PDFCast<TPDFNumeric>(ResolvePDFObject(Resolver, dict->GetValue(key)));
    return n != nullptr && std::isfinite(n->AsDouble()) ? n->AsDouble() : def;
  };
  XStep = step("XStep", BBox[2] - BBox[0]);
  YStep = step("YStep", BBox[3] - BBox[1]);
  PaintType = step("PaintType", 1) == 2 ? 2 : 1;
  // A cell of no size is still a tiling pattern: the renderer draws no image of it, and a fill
  // with it paints nothing.
  Kind = kTiling;
}

void TZRXPattern::LoadShading(TPDFDictionary* shading) {
  if (shading == nullptr) return;
  auto* type = PDFCast<TPDFNumeric>(ResolvePDFObject(Resolver, shading->GetValue("ShadingType")));
  if (type == nullptr || type->AsDouble() != 2) return;  // axial shadings only

  // The colour space decides the components and how they become RGB.
  int32_t components = 0;
  std::unique_ptr<TPDFDeviceNColorSpace> deviceN;
  std::unique_ptr<TPDFSeparationColorSpace> separation;
  TPDFObject* space = ResolvePDFObject(Resolver, shading->GetValue("ColorSpace"));
  std::string family;
  if (auto* name = PDFCast<TPDFName>(space)) family = name->Name();
  auto* array = PDFCast<TPDFArray>(space);
  if (array != nullptr) {
    if (auto* first = PDFCast<TPDFName>(ResolvePDFObject(Resolver, array->GetItem(0)))) family = first->Name();
  }
  if (family == "DeviceRGB")
    components = 3;
  else if (family == "DeviceCMYK")
    components = 4;
  else if (family == "DeviceGray")
    components = 1;
  else if (family == "DeviceN" && array != nullptr) {
    deviceN = std::make_unique<TPDFDeviceNColorSpace>(ColorManager);
    deviceN->Resolver = Resolver;
    deviceN->Load(array, "");
    components = deviceN->ComponentCount;
  } else if (family == "Separation" && array != nullptr) {
    separation = std::make_unique<TPDFSeparationColorSpace>(ColorManager);
    separation->Resolver = Resolver;
    separation->Load(array, "");
    components = 1;
  } else if (family == "ICCBased" && array != nullptr) {
    if (auto* profile = PDFCast<TPDFStream>(ResolvePDFObject(Resolver, array->GetItem(1)))) {
      TPDFDictionary* d = profile->Dictionary();
      auto* alternate = PDFCast<TPDFName>(ResolvePDFObject(Resolver, d->GetValue("Alternate")));
      auto* n = PDFCast<TPDFNumeric>(ResolvePDFObject(Resolver, d->GetValue("N")));
      if (alternate != nullptr && alternate->Name() == "DeviceRGB")
        components = 3;
      else if (alternate != nullptr && alternate->Name() == "DeviceCMYK")
        components = 4;
      else if (alternate != nullptr && alternate->Name() == "DeviceGray")
        components = 1;
      else if (alternate == nullptr && n != nullptr && (n->AsDouble() == 1 || n->AsDouble() == 3 || n->AsDouble() == 4))
        components = int32_t(n->AsDouble());
      if (components == 1)
        family = "DeviceGray";
      else if (components == 4)
        family = "DeviceCMYK";
    }
  }
  if (components < 1 || components > 32) return;

  std::vector<double> coords, domain, values;
  if (!Numbers(shading->GetValue("Coords"), Resolver, 4, coords)) return;
  std::copy(coords.begin(), coords.end(), Coords.begin());
  if (Numbers(shading->GetValue("Domain"), Resolver, 2, domain)) Domain = {domain[0], domain[1]};
  if (auto* extend = PDFCast<TPDFArray>(ResolvePDFObject(Resolver, shading->GetValue("Extend")))) {
    for (int i = 0; i < 2 && i < extend->Count(); ++i)
      if (auto* b = PDFCast<TPDFBoolean>(ResolvePDFObject(Resolver, extend->GetItem(i))))
        Extend[size_t(i)] = b->Value();
  }

  // One function of one input with the space's outputs, or one function per component.
  std::vector<std::unique_ptr<TPDFFunction>> functions;
  TPDFObject* f = ResolvePDFObject(Resolver, shading->GetValue("Function"));
  if (auto* list = PDFCast<TPDFArray>(f)) {
    for (int i = 0; i < list->Count() && i < 32; ++i)
      functions.push_back(CreatePDFFunction(list->GetItem(i), Resolver));
    if (int32_t(functions.size()) != components) return;
  } else {
    functions.push_back(CreatePDFFunction(f, Resolver));
  }
  const int32_t outputsEach = functions.size() == 1 ? components : 1;
  int32_t samples = 2;
  for (const auto& fn : functions) {
    if (!fn || !Accepted(*fn, outputsEach)) return;
    samples = std::max(samples, ShadingSampleCount(*fn));
  }
  // The back ends blend between the samples in RGB. That is the shading's own blending only
  // where its colours are RGB or grey; inks and tints turn into RGB along curves, so each
  // colour between the ends is converted on its own, at as many places as the blend has room
  // for.
  if (deviceN || separation || components == 4) samples = std::max(samples, kConvertedShadingSamples);
  Colors.clear();
  try {
    for (int32_t i = 0; i < samples; ++i) {
      // Along the axis the parameter runs over the shading's domain.
      const double t = Domain[0] + (Domain[1] - Domain[0]) * i / (samples - 1);
      values.clear();
      for (const auto& fn : functions) {
        std::vector<double> out;
        fn->Evaluate({t}, out);
        values.insert(values.end(), out.begin(), out.end());
      }
      if (int32_t(values.size()) < components) return;
      std::array<double, 3> rgb{};
      if (deviceN) {
        deviceN->SetTints(std::vector<double>(values.begin(), values.begin() + components), true);
        rgb = {(deviceN->Color & 0xFF) / 255.0, ((deviceN->Color >> 8) & 0xFF) / 255.0,
               ((deviceN->Color >> 16) & 0xFF) / 255.0};
      } else if (separation) {
        separation->SetTint(values[0], true);
        rgb = {(separation->Color & 0xFF) / 255.0, ((separation->Color >> 8) & 0xFF) / 255.0,
               ((separation->Color >> 16) & 0xFF) / 255.0};
      } else if (components == 1) {
        rgb = {Unit(values[0]), Unit(values[0]), Unit(values[0])};
      } else if (components == 3) {
        rgb = {Unit(values[0]), Unit(values[1]), Unit(values[2])};
      } else if (ColorManager != nullptr) {
        // The inks as the function gives them; the colours are clamped when they are packed.
        ColorManager->CMYKToRGB(values[0], values[1], values[2], values[3], rgb[0], rgb[1], rgb[2]);
        for (double& c : rgb) c = Unit(c);
      } else {
        return;
      }
      Colors.push_back(rgb);
    }
  } catch (const std::exception&) {
    Colors.clear();
    return;
  }
  Kind = kAxial;
}

std::vector<uint32_t> TZRXPattern::CellARGB(uint32_t colour) const {
  std::vector<uint32_t> pixels = CellPixels;
  if (PaintType != 2) return pixels;
  const uint32_t rgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
  for (uint32_t& p : pixels) p = (p & 0xFF000000u) | rgb;
  return pixels;
}
