// Colour spaces selected by content, and the colour operators that set the fill and stroke
// colours in them. Patterns are looked up by name (pattern_lookup.cpp).
#include <algorithm>
#include <charconv>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "pdf/render/renderer/render_helpers.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/numbers.h"

namespace {

double Unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

// Far more colorants than any device has; the operands a DeviceN colour takes at most.
constexpr size_t kMaxComponents = 256;

// One colour as the fill or the stroke side of the state holds it.
struct TSide {
  uint32_t& Color;
  std::string& Text;
  TZRXPattern*& Pattern;
};

}  // namespace

template <class T>
T* TPDFRenderer::SpaceFromName(const std::vector<std::unique_ptr<T>>& list, std::string_view name,
                               std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return nullptr;
  uint32_t handle = 0;
  const std::string_view digits = name.substr(prefix.size());
  if (std::from_chars(digits.data(), digits.data() + digits.size(), handle).ec != std::errc()) return nullptr;
  void* obj = ObjectFromHandle(handle);
  for (const auto& space : list)
    if (space.get() == obj) return space.get();
  return nullptr;
}

std::string TPDFRenderer::SelectColorSpace(TPDFContentRun& run, std::string_view operand) {
  if (operand == "/DeviceRGB") return "DeviceRGB";
  if (operand == "/DeviceGray") return "DeviceGray";
  if (operand == "/DeviceCMYK") return "DeviceCMYK";
  if (operand == "/Pattern") return "Pattern";
  if (run.Resources == nullptr || operand.empty()) return "DeviceRGB";
  auto* spaces = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue("ColorSpace")));
  if (spaces == nullptr) return "DeviceRGB";
  TPDFObject* value = ResolveReference(spaces->GetValue(operand.substr(1)));
  if (auto* name = PDFCast<TPDFName>(value)) {
    const std::string& n = name->Name();
    if (n == "DeviceRGB" || n == "DeviceGray" || n == "DeviceCMYK") return n;
    return "DeviceRGB";
  }
  auto* array = PDFCast<TPDFArray>(value);
  auto* family = array != nullptr ? PDFCast<TPDFName>(ResolveReference(array->GetItem(0))) : nullptr;
  if (family == nullptr) return "DeviceRGB";
  const std::string& kind = family->Name();
  if (kind == "ICCBased") {
    if (auto* profile = PDFCast<TPDFStream>(ResolveReference(array->GetItem(1)))) {
      TPDFDictionary* dict = profile->Dictionary();
      if (auto* alternate = PDFCast<TPDFName>(ResolveReference(dict->GetValue("Alternate"))))
        return alternate->Name();
      if (auto* n = PDFCast<TPDFNumeric>(ResolveReference(dict->GetValue("N")))) {
        if (n->AsDouble() == 1) return "DeviceGray";
        if (n->AsDouble() == 3) return "DeviceRGB";
        if (n->AsDouble() == 4) return "DeviceCMYK";
      }
    }
    return "DeviceRGB";
  }
  // Spaces are made once per colour-space array: content that selects one space again and
  // again must not make a new object each time.
  if (kind == "Separation") {
    for (const auto& space : SeparationSpaces)
      if (space->Source == array) return "Separation" + IntToStr(RegisterObject(space.get()));
    auto space = std::make_unique<TPDFSeparationColorSpace>(colorManager_.get());
    space->Resolver = Resolver;
    space->Source = array;
    space->Load(array, operand);
    SeparationSpaces.push_back(std::move(space));
    return "Separation" + IntToStr(RegisterObject(SeparationSpaces.back().get()));
  }
  if (kind == "Lab") {
    for (const auto& space : LabSpaces)
      if (space->Source == array) return "Lab" + IntToStr(RegisterObject(space.get()));
    auto space = std::make_unique<TPDFLabColorSpace>();
    space->Resolver = Resolver;
    space->Source = array;
    space->Load(array);
    LabSpaces.push_back(std::move(space));
    return "Lab" + IntToStr(RegisterObject(LabSpaces.back().get()));
  }
  if (kind == "DeviceN") {
    for (const auto& space : DeviceNSpaces)
      if (space->Source == array) return "DeviceN" + IntToStr(RegisterObject(space.get()));
    auto space = std::make_unique<TPDFDeviceNColorSpace>(colorManager_.get());
    space->Resolver = Resolver;
    space->Source = array;
    space->Load(array, operand);
    DeviceNSpaces.push_back(std::move(space));
    return "DeviceN" + IntToStr(RegisterObject(DeviceNSpaces.back().get()));
  }
  if (kind == "CalGray") return "DeviceGray";
  if (kind == "Pattern") return "Pattern";
  return "DeviceRGB";
}

void TPDFRenderer::OpFillSpace(TPDFContentRun& run) {
  run.State.FillColorSpace = SelectColorSpace(run, run.PopString());
}

void TPDFRenderer::OpStrokeSpace(TPDFContentRun& run) {
  run.State.StrokeColorSpace = SelectColorSpace(run, run.PopString());
}

void TPDFRenderer::OpFillGray(TPDFContentRun& run) {
  run.State.FillColorSpace = "DeviceGray";
  SetFillColor(run);
}
void TPDFRenderer::OpFillRGB(TPDFContentRun& run) {
  run.State.FillColorSpace = "DeviceRGB";
  SetFillColor(run);
}
void TPDFRenderer::OpFillCMYK(TPDFContentRun& run) {
  run.State.FillColorSpace = "DeviceCMYK";
  SetFillColor(run);
}
void TPDFRenderer::OpStrokeGray(TPDFContentRun& run) {
  run.State.StrokeColorSpace = "DeviceGray";
  SetStrokeColor(run);
}
void TPDFRenderer::OpStrokeRGB(TPDFContentRun& run) {
  run.State.StrokeColorSpace = "DeviceRGB";
  SetStrokeColor(run);
}
void TPDFRenderer::OpStrokeCMYK(TPDFContentRun& run) {
  run.State.StrokeColorSpace = "DeviceCMYK";
  SetStrokeColor(run);
}
void TPDFRenderer::OpFillColor(TPDFContentRun& run) { SetFillColor(run); }
void TPDFRenderer::OpStrokeColor(TPDFContentRun& run) { SetStrokeColor(run); }

void TPDFRenderer::OpFillColorN(TPDFContentRun& run) {
  std::string& space = run.State.FillColorSpace;
  if (space == "Pattern" || space.starts_with("Pattern:")) space = "Pattern:" + std::string(run.PopString());
  SetFillColor(run);
}

void TPDFRenderer::OpStrokeColorN(TPDFContentRun& run) {
  std::string& space = run.State.StrokeColorSpace;
  if (space == "Pattern" || space.starts_with("Pattern:")) space = "Pattern:" + std::string(run.PopString());
  SetStrokeColor(run);
}


void TPDFRenderer::SetFillColor(TPDFContentRun& run) {
  if (run.ColorLocked || run.State.FillColorLocked != 0) return;
  TPDFGraphicsState& state = run.State;
  run.Canvas->SetBlendMode(state.BlendMode);
  state.FillPattern = nullptr;
  state.FillAlternateSpace.clear();
  const std::string& space = state.FillColorSpace;
  TPDFSimpleColorManager& manager = *colorManager_;
  if (space == "DeviceRGB") {
    double b = run.PopNumber(), g = run.PopNumber(), r = run.PopNumber();
    state.FillColor = manager.RGBToColor(r, g, b);
    state.FillColorText = NumberText(r) + NumberText(g) + NumberText(b) + "setrgbcolor";
  } else if (space == "DeviceCMYK") {
    const double k = Unit(run.PopNumber()), y = Unit(run.PopNumber()), m = Unit(run.PopNumber()),
                 c = Unit(run.PopNumber());
    double r = 0, g = 0, b = 0;
    manager.CMYKToRGB(c, m, y, k, r, g, b);
    state.FillColor = manager.RGBToColor(r, g, b);
    state.FillColorText = NumberText(c) + NumberText(m) + NumberText(y) + NumberText(k) + "setcmykcolor";
    state.FillCMYK = {c, m, y, k};
  } else if (space == "DeviceGray") {
    // Clamped first: 1.5 would spill into the neighbouring colour bytes.
    const double g = Unit(run.PopNumber());
    state.FillColor = uint32_t(RoundHalfEven(g * 255)) * 0x010101u;
    state.FillColorText = NumberText(g) + "setgray";
  } else if (space.starts_with("Separation")) {
    if (auto* sep = SpaceFromName(SeparationSpaces, space, "Separation")) {
      sep->SetTint(run.PopNumber(), false);
      state.FillColor = sep->Color;
      state.FillColorText = sep->ColorText;
      state.FillAlternateSpace = sep->AlternateName;
      if (sep->AlternateName == "DeviceCMYK") state.FillCMYK = sep->CMYK;
    }
  } else if (space.starts_with("DeviceN")) {
    if (auto* devn = SpaceFromName(DeviceNSpaces, space, "DeviceN")) {
      const size_t count = std::min<size_t>(size_t(std::max(0, devn->ComponentCount)), kMaxComponents);
      std::vector<double> values(count);
      for (size_t i = count; i-- > 0;) values[i] = run.PopNumber();
      devn->SetTints(values, false);
      state.FillColor = devn->Color;
      state.FillColorText = devn->ColorText;
    }
  } else if (space.starts_with("Lab")) {
    if (auto* lab = SpaceFromName(LabSpaces, space, "Lab")) {
      const double b = run.PopNumber(), a = run.PopNumber(), l = run.PopNumber();
      state.FillColor = lab->ToColor(l, a, b, manager);
    }
  } else if (space.starts_with("Pattern:")) {
    // A pattern the resources do not hold fills white.
    state.FillPattern = PatternForName(run, std::string_view(space).substr(8));
    if (state.FillPattern == nullptr) state.FillColor = 0xFFFFFF;
  }
}

void TPDFRenderer::SetStrokeColor(TPDFContentRun& run) {
  if (run.ColorLocked) return;
  TPDFGraphicsState& state = run.State;
  state.StrokePattern = nullptr;
  const std::string& space = state.StrokeColorSpace;
  TPDFSimpleColorManager& manager = *colorManager_;
  if (space == "DeviceRGB") {
    double b = run.PopNumber(), g = run.PopNumber(), r = run.PopNumber();
    state.StrokeColor = manager.RGBToColor(r, g, b);
    state.StrokeColorText = NumberText(r) + NumberText(g) + NumberText(b) + "setrgbcolor";
  } else if (space == "DeviceCMYK") {
    const double k = Unit(run.PopNumber()), y = Unit(run.PopNumber()), m = Unit(run.PopNumber()),
                 c = Unit(run.PopNumber());
    double r = 0, g = 0, b = 0;
    manager.CMYKToRGB(c, m, y, k, r, g, b);
    state.StrokeColor = manager.RGBToColor(r, g, b);
    state.StrokeColorText = NumberText(c) + NumberText(m) + NumberText(y) + NumberText(k) + "setcmykcolor";
  } else if (space == "DeviceGray") {
    const double g = Unit(run.PopNumber());
    state.StrokeColor = uint32_t(RoundHalfEven(g * 255)) * 0x010101u;
    state.StrokeColorText = NumberText(g) + "setgray";
  } else if (space.starts_with("Separation")) {
    if (auto* sep = SpaceFromName(SeparationSpaces, space, "Separation")) {
      sep->SetTint(run.PopNumber(), false);
      state.StrokeColor = sep->Color;
      state.StrokeColorText = sep->ColorText;
    }
  } else if (space.starts_with("DeviceN")) {
    if (auto* devn = SpaceFromName(DeviceNSpaces, space, "DeviceN")) {
      const size_t count = std::min<size_t>(size_t(std::max(0, devn->ComponentCount)), kMaxComponents);
      std::vector<double> values(count);
      for (size_t i = count; i-- > 0;) values[i] = run.PopNumber();
      devn->SetTints(values, false);
      state.StrokeColor = devn->Color;
      state.StrokeColorText = devn->ColorText;
    }
  } else if (space.starts_with("Lab")) {
    if (auto* lab = SpaceFromName(LabSpaces, space, "Lab")) {
      const double b = run.PopNumber(), a = run.PopNumber(), l = run.PopNumber();
      state.StrokeColor = lab->ToColor(l, a, b, manager);
    }
  } else if (space.starts_with("Pattern:")) {
    state.StrokePattern = PatternForName(run, std::string_view(space).substr(8));
  }
}
