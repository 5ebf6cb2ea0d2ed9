// Run-time binding to the GDI+ flat API: the provider library is loaded by name (dlopen) and
// its entry points looked up one by one (dlsym), so that a missing or incomplete provider is a
// state the canvas can see and fall back from, never a start-up failure of the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/rtl/strings.h"

// The provider's entry points in slot order: the slot's member and the function it binds. Every
// slot is bound, also those that no operation calls, and a provider lacking any of them is not
// used. The texture transform has two slots (the second is bound and never called).
#define VELMORA_GDIPLUS_SLOTS(X) \
  X(GdiplusStartup, GdiplusStartup) \
  X(GdiplusShutdown, GdiplusShutdown) \
  X(GdipCreateFromHDC, GdipCreateFromHDC) \
  X(GdipDeleteGraphics, GdipDeleteGraphics) \
  X(GdipSetSmoothingMode, GdipSetSmoothingMode) \
  X(GdipSetPixelOffsetMode, GdipSetPixelOffsetMode) \
  X(GdipSetInterpolationMode, GdipSetInterpolationMode) \
  X(GdipSetCompositingMode, GdipSetCompositingMode) \
  X(GdipSetCompositingQuality, GdipSetCompositingQuality) \
  X(GdipSetPageUnit, GdipSetPageUnit) \
  X(GdipGetImageGraphicsContext, GdipGetImageGraphicsContext) \
  X(GdipGraphicsClear, GdipGraphicsClear) \
  X(GdipCreateRegion, GdipCreateRegion) \
  X(GdipGetClip, GdipGetClip) \
  X(GdipDeleteRegion, GdipDeleteRegion) \
  X(GdipSetClipRegion, GdipSetClipRegion) \
  X(GdipCreatePath, GdipCreatePath) \
  X(GdipDeletePath, GdipDeletePath) \
  X(GdipAddPathLine, GdipAddPathLine) \
  X(GdipClosePathFigure, GdipClosePathFigure) \
  X(GdipAddPathBezier, GdipAddPathBezier) \
  X(GdipFillPath, GdipFillPath) \
  X(GdipDrawPath, GdipDrawPath) \
  X(GdipSetPathFillMode, GdipSetPathFillMode) \
  X(GdipSetClipPath, GdipSetClipPath) \
  X(GdipStartPathFigure, GdipStartPathFigure) \
  X(GdipGetPointCount, GdipGetPointCount) \
  X(GdipGetVisibleClipBounds, GdipGetVisibleClipBounds) \
  X(GdipCreateSolidFill, GdipCreateSolidFill) \
  X(GdipDeleteBrush, GdipDeleteBrush) \
  X(GdipCreateLineBrush, GdipCreateLineBrush) \
  X(GdipSetLinePresetBlend, GdipSetLinePresetBlend) \
  X(GdipSetLineTransform, GdipSetLineTransform) \
  X(GdipCreateTexture2, GdipCreateTexture2) \
  X(GdipSetTextureTransform, GdipSetTextureTransform) \
  X(GdipSetTextureTransformAgain, GdipSetTextureTransform) \
  X(GdipScaleTextureTransform, GdipScaleTextureTransform) \
  X(GdipCreatePen1, GdipCreatePen1) \
  X(GdipDeletePen, GdipDeletePen) \
  X(GdipSetPenDashArray, GdipSetPenDashArray) \
  X(GdipSetPenDashOffset, GdipSetPenDashOffset) \
  X(GdipSetPenLineJoin, GdipSetPenLineJoin) \
  X(GdipSetPenStartCap, GdipSetPenStartCap) \
  X(GdipSetPenEndCap, GdipSetPenEndCap) \
  X(GdipSetPenMiterLimit, GdipSetPenMiterLimit) \
  X(GdipSetPenDashCap197819, GdipSetPenDashCap197819) \
  X(GdipSetPenTransform, GdipSetPenTransform) \
  X(GdipLoadImageFromStream, GdipLoadImageFromStream) \
  X(GdipLoadImageFromStreamICM, GdipLoadImageFromStreamICM) \
  X(GdipSaveImageToStream, GdipSaveImageToStream) \
  X(GdipLoadImageFromFile, GdipLoadImageFromFile) \
  X(GdipSaveImageToFile, GdipSaveImageToFile) \
  X(GdipDisposeImage, GdipDisposeImage) \
  X(GdipDrawImageRect, GdipDrawImageRect) \
  X(GdipDrawImagePoints, GdipDrawImagePoints) \
  X(GdipDrawImagePointsRect, GdipDrawImagePointsRect) \
  X(GdipDrawImageI, GdipDrawImageI) \
  X(GdipDrawImageRectI, GdipDrawImageRectI) \
  X(GdipDrawImagePointRectI, GdipDrawImagePointRectI) \
  X(GdipGetImageDimension, GdipGetImageDimension) \
  X(GdipGetImageWidth, GdipGetImageWidth) \
  X(GdipGetImageHeight, GdipGetImageHeight) \
  X(GdipGetImageHorizontalResolution, GdipGetImageHorizontalResolution) \
  X(GdipGetImageVerticalResolution, GdipGetImageVerticalResolution) \
  X(GdipGetImagePixelFormat, GdipGetImagePixelFormat) \
  X(GdipImageGetFrameDimensionsCount, GdipImageGetFrameDimensionsCount) \
  X(GdipImageGetFrameDimensionsList, GdipImageGetFrameDimensionsList) \
  X(GdipImageGetFrameCount, GdipImageGetFrameCount) \
  X(GdipImageSelectActiveFrame, GdipImageSelectActiveFrame) \
  X(GdipSetImageAttributesColorKeys, GdipSetImageAttributesColorKeys) \
  X(GdipCreateImageAttributes, GdipCreateImageAttributes) \
  X(GdipDisposeImageAttributes, GdipDisposeImageAttributes) \
  X(GdipSetImageAttributesColorMatrix, GdipSetImageAttributesColorMatrix) \
  X(GdipGetImageEncodersSize, GdipGetImageEncodersSize) \
  X(GdipGetImageEncoders, GdipGetImageEncoders) \
  X(GdipGetEncoderParameterListSize, GdipGetEncoderParameterListSize) \
  X(GdipGetEncoderParameterList, GdipGetEncoderParameterList) \
  X(GdipGetPropertyItem, GdipGetPropertyItem) \
  X(GdipSetPropertyItem, GdipSetPropertyItem) \
  X(GdipGetPropertyCount, GdipGetPropertyCount) \
  X(GdipGetAllPropertyItems, GdipGetAllPropertyItems) \
  X(GdipRecordMetafileFileName, GdipRecordMetafileFileName) \
  X(GdipRecordMetafileStream, GdipRecordMetafileStream) \
  X(GdipCreateBitmapFromGraphics, GdipCreateBitmapFromGraphics) \
  X(GdipCreateBitmapFromScan0, GdipCreateBitmapFromScan0) \
  X(GdipCreateBitmapFromGdiDib, GdipCreateBitmapFromGdiDib) \
  X(GdipCreateBitmapFromHBITMAP, GdipCreateBitmapFromHBITMAP) \
  X(GdipBitmapSetResolution, GdipBitmapSetResolution) \
  X(GdipCreateMatrix2, GdipCreateMatrix2) \
  X(GdipInvertMatrix, GdipInvertMatrix)

// Bound beyond the slots when the provider has them: matrices are deleted (a provider without
// it draws no texture brush), paths are read back (a provider without it ends square-capped
// dashes flat), the world is moved under pictures placed beyond the floats' whole numbers (a
// provider without it cannot draw them there), and our provider takes the host table of device
// contexts.
#define VELMORA_GDIPLUS_EXTRAS(X) \
  X(GdipDeleteMatrix, GdipDeleteMatrix) \
  X(GdipSetWorldTransform, GdipSetWorldTransform) \
  X(GdipResetWorldTransform, GdipResetWorldTransform) \
  X(GdipGetPathPoints, GdipGetPathPoints) \
  X(GdipGetPathTypes, GdipGetPathTypes) \
  X(VelmoraGdiplusSetHost, VelmoraGdiplusSetHost)

inline constexpr int kGdiplusSlotCount = 90;

class TWZRXGDIPlus {
 public:
  // Load results.
  enum : int32_t { kNotLoaded = 0, kLibraryNotFound = 1, kEntryPointMissing = 2, kReady = 3 };

  TWZRXGDIPlus() = default;
  virtual ~TWZRXGDIPlus();
  TWZRXGDIPlus(const TWZRXGDIPlus&) = delete;
  TWZRXGDIPlus& operator=(const TWZRXGDIPlus&) = delete;

  // Unloads first. An empty path means the default provider. With reuseLoaded a provider that
  // is already mapped into the process is borrowed (and never unloaded by this binding).
  // Without a module the status is kLibraryNotFound; with one, kReady unless one of the slots'
  // entry points is missing (kEntryPointMissing).
  int32_t Load(const WideString& path, bool reuseLoaded);
  void Unload();

  // The identifier of the first encoder whose MIME type equals `mimeType` exactly; false when
  // there is none, or when the provider is not bound or not started.
  bool GetEncoderClsid(const WideString& mimeType, gdiplus::CLSID& clsid) const;
  // The canvas's GDI+ object may be absent (a canvas drawing with GDI): then false.
  static bool GetEncoderClsid(const TWZRXGDIPlus* gdiplus, const WideString& mimeType, gdiplus::CLSID& clsid) {
    return gdiplus && gdiplus->GetEncoderClsid(mimeType, clsid);
  }
  // Selects page n (1-based) of a multi-page image and returns the GDI+ status; for n outside
  // 1..frame count returns 1 (GenericError) without selecting anything.
  int32_t SelectFrame(gdiplus::GpImage* image, int32_t n) const;

  int32_t Status() const { return status_; }
  bool Borrowed() const { return borrowed_; }
  void* Module() const { return module_; }
  // The names that the last Load did not find (slots and extras).
  const std::vector<std::string>& MissingEntryPoints() const { return missing_; }
  // Why the last Load left the provider unusable, for a person: the loader's message, or the
  // first entry point it lacks and how many more; empty when it is ready.
  std::string LoadProblem() const;

#define VELMORA_GDIPLUS_DECLARE_SLOT(member, function) decltype(&gdiplus::function) member = nullptr;
  VELMORA_GDIPLUS_SLOTS(VELMORA_GDIPLUS_DECLARE_SLOT)
  VELMORA_GDIPLUS_EXTRAS(VELMORA_GDIPLUS_DECLARE_SLOT)
#undef VELMORA_GDIPLUS_DECLARE_SLOT

 private:
  void ClearSlots();
  void BindSlots();

  bool borrowed_ = false;
  void* module_ = nullptr;
  int32_t status_ = kNotLoaded;
  std::vector<std::string> missing_;
  std::string loaderMessage_;
};

struct TGDIPlusSettings;
// Loads the provider the settings name (the default one for an empty path) and, when no such
// library is found, the default provider beside the running program. Returns the status.
int32_t LoadGDIPlusProvider(TWZRXGDIPlus& gdiplus, const TGDIPlusSettings& settings);
