// Colour spaces selected by content, and the colour operators that set the fill and stroke
// colours in them. Patterns are looked up by name (pattern_lookup.cpp).
#include <algorithm>
#include <charconv>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/indexed_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "pdf/render/patterns/zrx_pattern.h"
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

// In a pattern space scn and SCN name the pattern last.
void TakePatternName(TPDFContentRun& run, std::string& space) {
  if (space == "Pattern" || space.starts_with("Pattern:")) space = "Pattern:" + std::string(run.PopString());
}

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

// Spaces are made once per colour-space array and kept for the render. A space made at every
// selection would keep its tint transform (a sampled one may hold megabytes) once for each
// time content selects it. Keyed by the array, not by the resource name: a form or a pattern
// cell may give the page's name to a space of its own.
template <class T, class... Made>
std::string TPDFRenderer::KeptSpace(std::vector<std::unique_ptr<T>>& list, std::string_view prefix,
                                    TPDFArray* array, std::string_view operand, Made... made) {
  auto kept = std::find_if(list.begin(), list.end(), [&](const auto& space) { return space->Source == array; });
  if (kept == list.end()) {
    auto space = std::make_unique<T>(made...);
    space->Resolver = Resolver;
    space->Source = array;
    // Lab has no colorants to name, so it loads from the array alone.
    if constexpr (requires { space->Load(array, operand); })
      space->Load(array, operand);
    else
      space->Load(array);
    kept = list.insert(list.end(), std::move(space));
  }
  return std::string(prefix) + IntToStr(RegisterObject(kept->get()));
}

std::string TPDFRenderer::SelectColorSpace(TPDFContentRun& run, std::string_view operand, std::string* patternBase) {
  if (patternBase != nullptr) patternBase->clear();
  if (operand == "/DeviceRGB") return "DeviceRGB";
  if (operand == "/DeviceGray") return "DeviceGray";
  if (operand == "/DeviceCMYK") return "DeviceCMYK";
  if (operand == "/Pattern") return "Pattern";
  if (run.Resources == nullptr || operand.empty()) return "DeviceRGB";
  auto* spaces = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue("ColorSpace")));
  if (spaces == nullptr) return "DeviceRGB";
  return SpaceOfValue(run, ResolveReference(spaces->GetValue(operand.substr(1))), operand, patternBase);
}

std::string TPDFRenderer::SpaceOfValue(TPDFContentRun& run, TPDFObject* value, std::string_view operand,
                                       std::string* patternBase) {
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
  if (kind == "Separation") return KeptSpace(SeparationSpaces, "Separation", array, operand, colorManager_.get());
  if (kind == "Lab") return KeptSpace(LabSpaces, "Lab", array, operand);
  if (kind == "DeviceN") return KeptSpace(DeviceNSpaces, "DeviceN", array, operand, colorManager_.get());
  if (kind == "Indexed") return KeptSpace(IndexedSpaces, "Indexed", array, operand, colorManager_.get());
  if (kind == "CalGray") return "DeviceGray";
  if (kind == "Pattern") {
    // Only one level: a pattern space is no base of another.
    if (patternBase != nullptr && array->Count() > 1)
      *patternBase = SpaceOfValue(run, ResolveReference(array->GetItem(1)), operand, nullptr);
    return "Pattern";
  }
  return "DeviceRGB";
}

bool TPDFRenderer::PaintsNothing(std::string_view space) {
  const auto* separation = SpaceFromName(SeparationSpaces, space, "Separation");
  return separation != nullptr && separation->ColorantName == "None";
}

void TPDFRenderer::OpFillSpace(TPDFContentRun& run) {
  run.State.FillColorSpace = SelectColorSpace(run, run.PopString(), &run.State.FillPatternBase);
}

void TPDFRenderer::OpStrokeSpace(TPDFContentRun& run) {
  run.State.StrokeColorSpace = SelectColorSpace(run, run.PopString(), &run.State.StrokePatternBase);
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
  TakePatternName(run, run.State.FillColorSpace);
  SetFillColor(run);
}

void TPDFRenderer::OpStrokeColorN(TPDFContentRun& run) {
  TakePatternName(run, run.State.StrokeColorSpace);
  SetStrokeColor(run);
}


void TPDFRenderer::SetFillColor(TPDFContentRun& run, const TPDFMatrix* patternBase) {
  if (run.ColorLocked || run.State.FillColorLocked != 0) return;
  run.Canvas->SetBlendMode(run.State.BlendMode);
  run.State.FillAlternateSpace.clear();
  SetColor(run, true, patternBase);
}

void TPDFRenderer::SetStrokeColor(TPDFContentRun& run) {
  if (run.ColorLocked) return;
  SetColor(run, false);
}

// Only the fill keeps what a CMYK colour was made of and a Separation's alternate space (for
// overprint and output that wants them back), and only a fill turns white on a missing pattern.
void TPDFRenderer::SetColor(TPDFContentRun& run, bool fill, const TPDFMatrix* patternBase) {
  const std::string space = fill ? run.State.FillColorSpace : run.State.StrokeColorSpace;
  SetColorIn(run, fill, space, patternBase);
}

void TPDFRenderer::SetColorIn(TPDFContentRun& run, bool fill, const std::string& space,
                              const TPDFMatrix* patternBase) {
  TPDFGraphicsState& state = run.State;
  TSide side{fill ? state.FillColor : state.StrokeColor, fill ? state.FillColorText : state.StrokeColorText,
             fill ? state.FillPattern : state.StrokePattern};
  side.Pattern = nullptr;
  TPDFSimpleColorManager& manager = *colorManager_;
  if (space == "DeviceRGB") {
    double b = run.PopNumber(), g = run.PopNumber(), r = run.PopNumber();
    side.Color = manager.RGBToColor(r, g, b);
    side.Text = NumberText(r) + NumberText(g) + NumberText(b) + "setrgbcolor";
  } else if (space == "DeviceCMYK") {
    // As given: the conversion's results are clamped when they are packed.
    const double k = run.PopNumber(), y = run.PopNumber(), m = run.PopNumber(), c = run.PopNumber();
    double r = 0, g = 0, b = 0;
    manager.CMYKToRGB(c, m, y, k, r, g, b);
    side.Color = manager.RGBToColor(r, g, b);
    side.Text = NumberText(c) + NumberText(m) + NumberText(y) + NumberText(k) + "setcmykcolor";
    if (fill) state.FillCMYK = {c, m, y, k};
  } else if (space == "DeviceGray") {
    // Clamped first: 1.5 would spill into the neighbouring colour bytes.
    const double g = Unit(run.PopNumber());
    side.Color = uint32_t(RoundHalfEven(g * 255)) * 0x010101u;
    side.Text = NumberText(g) + "setgray";
  } else if (space.starts_with("Separation")) {
    if (auto* sep = SpaceFromName(SeparationSpaces, space, "Separation")) {
      sep->SetTint(run.PopNumber(), false);
      side.Color = sep->Color;
      side.Text = sep->ColorText;
      if (fill) {
        state.FillAlternateSpace = sep->AlternateName;
        if (sep->AlternateName == "DeviceCMYK") state.FillCMYK = sep->CMYK;
      }
    }
  } else if (space.starts_with("DeviceN")) {
    if (auto* devn = SpaceFromName(DeviceNSpaces, space, "DeviceN")) {
      const size_t count = std::min<size_t>(size_t(std::max(0, devn->ComponentCount)), kMaxComponents);
      std::vector<double> values(count);
      for (size_t i = count; i-- > 0;) values[i] = run.PopNumber();
      devn->SetTints(values, false);
      side.Color = devn->Color;
      side.Text = devn->ColorText;
    }
  } else if (space.starts_with("Indexed")) {
    // One component: the index into the space's table.
    if (auto* indexed = SpaceFromName(IndexedSpaces, space, "Indexed")) {
      indexed->SetIndex(run.PopNumber(), false);
      side.Color = indexed->Color;
      side.Text = indexed->ColorText;
    }
  } else if (space.starts_with("Lab")) {
    if (auto* lab = SpaceFromName(LabSpaces, space, "Lab")) {
      const double b = run.PopNumber(), a = run.PopNumber(), l = run.PopNumber();
      side.Color = lab->ToColor(l, a, b, manager);
    }
  } else if (space.starts_with("Pattern:")) {
    const std::string_view name = std::string_view(space).substr(8);
    side.Pattern = patternBase != nullptr ? PatternPlaced(run, name, *patternBase) : PatternForName(run, name);
    // A pattern the resources do not hold fills white.
    if (fill && side.Pattern == nullptr) side.Color = 0xFFFFFF;
    // An uncoloured cell paints in the colour given before the pattern's name, in the space
    // under the pattern space.
    const std::string base = fill ? state.FillPatternBase : state.StrokePatternBase;
    TZRXPattern* pattern = side.Pattern;
    if (pattern != nullptr && pattern->Kind == TZRXPattern::kTiling && pattern->PaintType == 2 && !base.empty() &&
        !base.starts_with("Pattern")) {
      SetColorIn(run, fill, base, nullptr);
      side.Pattern = pattern;
    }
  }
}
