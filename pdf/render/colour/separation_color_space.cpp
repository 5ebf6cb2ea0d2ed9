#include "pdf/render/colour/separation_color_space.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/renderer/render_helpers.h"
#include "platform/rtl/numbers.h"

void TPDFSeparationColorSpace::Load(TPDFArray* array, std::string_view key) {
  ResourceKey = std::string(key);
  ColorantName.clear();
  LoadAlternateAndTransform(nullptr, nullptr);
  if (array == nullptr) return;
  if (auto* name = PDFCast<TPDFName>(Resolve(array->GetItem(1)))) ColorantName = name->Name();
  LoadAlternateAndTransform(array->GetItem(2), array->GetItem(3));
}

void TPDFSeparationColorSpace::SetTint(double tint, bool colourOnly) {
  Color = 0;
  ColorText = "0.5 setgray";
  if (!TintTransform || TintTransform->InputCount != 1) return;
  std::vector<double> outputs;
  TintTransform->Evaluate({tint}, outputs);
  if (outputs.size() == 4 && AlternateName == "DeviceCMYK") {
    ColorFromCMYK(outputs);
    if (!colourOnly) {
      std::vector<double> full;
      TintTransform->Evaluate({1.0}, full);
      full.resize(4, 0.0);
      ColorText = NumberText(full[0]) + NumberText(full[1]) + NumberText(full[2]) + NumberText(full[3]) + "(" +
                  ColorantName + ") findcmykcustomcolor " + NumberText(tint) + "setcustomcolor";
    }
  } else if (!ColorFromOutputs(outputs, colourOnly)) {
    Color = 0;
    ColorText = "0.5 setgray";
  }
}
