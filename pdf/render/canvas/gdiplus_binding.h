// Run-time binding to the GDI+ flat API: the provider library is loaded by name (dlopen) and
// its entry points looked up one by one (dlsym), so that a missing or incomplete provider is a
// state the canvas can see and fall back from, never a start-up failure of the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/rtl/strings.h"

// Every entry point the canvas calls, with whether the back end needs it whenever it draws
// (required) or only in one operation that checks for it first (optional). Names that no
// operation calls are not looked up, so their absence cannot disable the back end.
#define VELMORA_GDIPLUS_ENTRY_POINTS(X)          \
  X(GdiplusStartup, true)                        \
  X(GdiplusShutdown, true)                       \
  X(GdipCreateFromHDC, true)                     \
  X(GdipDeleteGraphics, true)                    \
  X(GdipSetSmoothingMode, true)                  \
  X(GdipSetPixelOffsetMode, true)                \
  X(GdipSetInterpolationMode, true)              \
  X(GdipSetPageUnit, true)                       \
  X(GdipGetImageGraphicsContext, false)          \
  X(GdipCreateRegion, true)                      \
  X(GdipGetClip, true)                           \
  X(GdipDeleteRegion, true)                      \
  X(GdipSetClipRegion, true)                     \
  X(GdipCreatePath, true)                        \
  X(GdipDeletePath, true)                        \
  X(GdipAddPathLine, true)                       \
  X(GdipClosePathFigure, true)                   \
  X(GdipAddPathBezier, true)                     \
  X(GdipFillPath, true)                          \
  X(GdipDrawPath, true)                          \
  X(GdipSetPathFillMode, true)                   \
  X(GdipSetClipPath, true)                       \
  X(GdipStartPathFigure, true)                   \
  X(GdipGetPointCount, true)                     \
  X(GdipGetVisibleClipBounds, true)              \
  X(GdipCreateSolidFill, true)                   \
  X(GdipDeleteBrush, true)                       \
  X(GdipCreateLineBrush, false)                  \
  X(GdipSetLinePresetBlend, false)               \
  X(GdipCreateTexture2, false)                   \
  X(GdipSetTextureTransform, false)              \
  X(GdipScaleTextureTransform, false)            \
  X(GdipCreatePen1, true)                        \
  X(GdipDeletePen, true)                         \
  X(GdipSetPenDashArray, true)                   \
  X(GdipSetPenDashOffset, true)                  \
  X(GdipSetPenLineJoin, true)                    \
  X(GdipSetPenStartCap, true)                    \
  X(GdipSetPenEndCap, true)                      \
  X(GdipSetPenMiterLimit, true)                  \
  X(GdipSetPenDashCap197819, true)               \
  X(GdipLoadImageFromStream, true)               \
  X(GdipLoadImageFromStreamICM, false)           \
  X(GdipSaveImageToStream, false)                \
  X(GdipDisposeImage, true)                      \
  X(GdipCreateBitmapFromScan0, false)            \
  X(GdipDrawImageRect, true)                     \
  X(GdipDrawImagePoints, true)                   \
  X(GdipDrawImagePointsRect, false)              \
  X(GdipGetImageWidth, false)                    \
  X(GdipGetImageHeight, false)                   \
  X(GdipImageGetFrameCount, false)               \
  X(GdipImageSelectActiveFrame, false)           \
  X(GdipCreateImageAttributes, false)            \
  X(GdipDisposeImageAttributes, false)           \
  X(GdipSetImageAttributesColorKeys, false)      \
  X(GdipGetImageEncodersSize, true)              \
  X(GdipGetImageEncoders, true)                  \
  X(GdipRecordMetafileStream, false)             \
  X(GdipCreateMatrix2, false)                    \
  X(GdipDeleteMatrix, false)                     \
  X(VelmoraGdiplusSetHost, false)

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
  // Without a module the status is kLibraryNotFound; with one, kReady unless a required entry
  // point is missing (kEntryPointMissing).
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
  // The names that the last Load did not find (required and optional).
  const std::vector<std::string>& MissingEntryPoints() const { return missing_; }

#define VELMORA_GDIPLUS_DECLARE_SLOT(name, required) decltype(&gdiplus::name) name = nullptr;
  VELMORA_GDIPLUS_ENTRY_POINTS(VELMORA_GDIPLUS_DECLARE_SLOT)
#undef VELMORA_GDIPLUS_DECLARE_SLOT

 private:
  void ClearSlots();
  void BindSlots();

  bool borrowed_ = false;
  void* module_ = nullptr;
  int32_t status_ = kNotLoaded;
  std::vector<std::string> missing_;
};
