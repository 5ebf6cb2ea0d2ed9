#include "pdf/render/colour/devicen_color_space.h"

#include <algorithm>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/renderer/render_helpers.h"

void TPDFDeviceNColorSpace::Load(TPDFArray* array, std::string_view key) {
  ResourceKey = std::string(key);
  ColorantText.clear();
  ComponentCount = 0;
  LoadAlternateAndTransform(nullptr, nullptr);
  if (array == nullptr) return;
  if (auto* names = PDFCast<TPDFArray>(Resolve(array->GetItem(1)))) {
    ComponentCount = names->Count();
    ColorantText = "[";
    for (int i = 0; i < names->Count(); ++i) {
      if (i > 0) ColorantText += ",";
      if (auto* name = PDFCast<TPDFName>(Resolve(names->GetItem(i)))) ColorantText += name->Name();
    }
    ColorantText += "]";
  }
  LoadAlternateAndTransform(array->GetItem(2), array->GetItem(3));
}

void TPDFDeviceNColorSpace::SetTints(const std::vector<double>& tints, bool colourOnly) {
  std::string key;
  for (double tint : tints) key += NumberText(tint);
  const bool cached = ComponentCount == 1;
  if (cached) {
    const auto hit = std::find(CacheKeys.begin(), CacheKeys.end(), key);
    if (hit != CacheKeys.end()) {
      const size_t i = size_t(hit - CacheKeys.begin());
      Color = CacheColors[i];
      ColorText = CacheTexts[i];
      return;
    }
  }
  Color = 0;
  ColorText = "0.5 setgray";
  if (TintTransform && TintTransform->InputCount == static_cast<int32_t>(tints.size())) {
    std::vector<double> outputs;
    TintTransform->Evaluate(tints, outputs);
    if (outputs.size() == 4 && AlternateName == "DeviceCMYK") {
      ColorFromCMYK(outputs);
      if (!colourOnly) {
        ColorText = NumberText(outputs[0]) + NumberText(outputs[1]) + NumberText(outputs[2]) +
                    NumberText(outputs[3]) + "(" + ColorantText + ") findcmykcustomcolor ";
        for (double t : tints) ColorText += NumberText(t);
        ColorText += "setcustomcolor";
      }
    } else if (!ColorFromOutputs(outputs, colourOnly)) {
      Color = 0;
      ColorText = "0.5 setgray";
    }
  }
  if (cached && CacheKeys.size() < kCacheLimit) {
    CacheKeys.push_back(key);
    CacheColors.push_back(Color);
    CacheTexts.push_back(ColorText);
  }
}
