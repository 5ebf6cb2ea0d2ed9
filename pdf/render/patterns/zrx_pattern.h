// A pattern or shading of a page as the canvas back ends need it: the pattern matrix and
// either an axial shading reduced to RGB samples along its axis (kind 1) or a tiling cell
// whose encoded image the renderer writes (kind 3). Kind 0 is not usable: the back ends then
// paint with the plain colour.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "pdf/render/functions/pdf_resolve.h"
#include "platform/rtl/streams.h"

class TPDFColorManager;
class TPDFDictionary;
class TPDFObject;
class TPDFStream;

class TZRXPattern {
 public:
  enum : uint8_t { kUnusable = 0, kAxial = 1, kTiling = 3 };

  explicit TZRXPattern(TPDFColorManager* colorManager) : ColorManager(colorManager) {}
  virtual ~TZRXPattern() = default;
  TZRXPattern(const TZRXPattern&) = delete;
  TZRXPattern& operator=(const TZRXPattern&) = delete;

  // Reads a pattern dictionary (or a tiling pattern's stream), or a shading dictionary as the
  // sh operator names it; Kind then says what it became. Nothing raises.
  void Load(TPDFObject* pattern);
  void LoadShading(TPDFDictionary* shading);
  void LoadTiling(TPDFDictionary* dict);

  // Each getter answers 0 (false; 1.0 for the steps) for an index out of range.
  double GetMatrix(int32_t i) const { return i >= 0 && i < 6 ? Matrix[size_t(i)] : 0.0; }
  double GetCoords(int32_t i) const { return i >= 0 && i < 4 ? Coords[size_t(i)] : 0.0; }
  double GetBBox(int32_t i) const { return i >= 0 && i < 4 ? BBox[size_t(i)] : 0.0; }
  bool GetExtend(int32_t i) const { return i >= 0 && i < 2 ? Extend[size_t(i)] : false; }
  double GetStep(int32_t i) const { return i == 0 ? XStep : i == 1 ? YStep : 1.0; }
  // The cell's pixels to fill with; an uncoloured cell's in the colour given (red in the low
  // byte, as the canvas holds colours).
  std::vector<uint32_t> CellARGB(uint32_t colour) const;
  int32_t ColorCount() const { return int32_t(Colors.size()); }
  // Component 0 red, 1 green, 2 blue, each 0..1.
  double GetColor(int32_t index, int32_t component) const {
    if (index < 0 || index >= ColorCount() || component < 0 || component > 2) return 0.0;
    return Colors[size_t(index)][size_t(component)];
  }

  TPDFObject* PatternObject = nullptr;
  TPDFResolveMethod Resolver;  // empty: references resolve through their own store
  // Where the pattern's space lands on the device when the renderer made it (patterns are
  // kept per place they are used from).
  std::array<double, 6> Base = {1, 0, 0, 1, 0, 0};
  uint8_t Kind = kUnusable;
  std::array<double, 6> Matrix = {1, 0, 0, 1, 0, 0};
  TPDFColorManager* ColorManager = nullptr;
  TMemoryStream CellImage;  // encoded image of one tiling cell
  // The cell as the renderer drew it: ARGB words (alpha not premultiplied), rows from the top.
  // What the cell leaves unpainted is clear, so what lies below shows through. Where it is
  // empty the back ends fall back to CellImage.
  int32_t CellWidth = 0, CellHeight = 0;
  std::vector<uint32_t> CellPixels;
  // 2: an uncoloured cell, whose shapes take the colour the pattern is used with.
  uint8_t PaintType = 1;
  std::array<double, 4> Coords = {0, 0, 0, 0};
  std::array<double, 2> Domain = {0, 1};
  std::array<bool, 2> Extend = {false, false};
  std::vector<std::array<double, 3>> Colors;
  std::array<double, 4> BBox = {0, 0, 0, 0};
  double XStep = 0, YStep = 0;
  double Scale = 1.0;
};
