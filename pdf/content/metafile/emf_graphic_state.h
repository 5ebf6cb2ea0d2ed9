// A graphics-state resource made by the metafile converter (the constant opacity of alpha
// blending), kept in the calling image's list so that equal opacities share one resource.
#pragma once

#include <string>
#include <string_view>

class TPDFIndRef;

class TEMFGraphicState {
 public:
  TEMFGraphicState(double value, std::string_view name, TPDFIndRef* reference, std::string_view kind)
      : Value(value), Name(name), Reference(reference), Kind(kind) {}

  double Value = 1.0;  // the opacity
  std::string Name;    // the resource name
  TPDFIndRef* Reference = nullptr;
  std::string Kind;  // "AlphaBlend"
};
