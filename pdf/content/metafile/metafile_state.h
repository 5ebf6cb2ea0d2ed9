// What SAVEDC keeps of the device-context model and RESTOREDC brings back: as in the player,
// transforms, current position, selected pen and brush, colours, modes and the clip.
#pragma once

#include "pdf/content/metafile/pdf_metafile.h"

struct TPDFMetafile::TSavedState {
  int32_t MapMode = 1;
  TPDFMatrix WorldTransform = kIdentityMatrix;
  int32_t WindowOrgX = 0, WindowOrgY = 0, WindowExtX = 1, WindowExtY = 1;
  int32_t ViewportOrgX = 0, ViewportOrgY = 0, ViewportExtX = 1, ViewportExtY = 1;
  double CurrentLogX = 0, CurrentLogY = 0;
  int32_t PolyFillMode = 1;
  TBrush Brush;
  TPen Pen;
  int32_t ArcDirection = 1;
  int32_t BkMode = 1;
  TMetafileColor BkColor = 0xFFFFFF;
  TMetafileColor TextColor = 0;
  int32_t TextAlign = 0;
  TPDFFont* CurrentFont = nullptr;
  TTextState TextState;
  int32_t ICMMode = 2;
  double MiterLimit = 10.0;
  TClipStack Clip;
  size_t MetaDepth = 0;
  std::string PainterState;
};
