// The canvas options record that travels from the library API through the page render into
// the renderer, the image import and the image decoder. It holds a managed wide string, so it
// is copied as a whole record (field by field), never byte-wise.
#pragma once

#include <cstdint>

#include "platform/rtl/strings.h"

struct TGDIPlusSettings {
  // The GDI+ provider to load; empty means the default provider name.
  WideString LibraryPath;
  uint8_t SmoothPaths = 0;        // anti-aliased GDI+ paths
  uint8_t UseGDIPlus = 0;         // the renderer sets the canvas up with GDI+ (else plain GDI)
  uint8_t ReservedFlag = 0;       // carried, read by nothing
  uint8_t HighQualityImages = 0;  // GDI+ image interpolation
  uint8_t ClipWithPaths = 0;      // a clipping path ended without painting changes the clip
  // Black-and-white TIFF output: a 24-bit pixel whose blue + green + red is below three times
  // this value turns black (0 = none). The canvas itself does not read it.
  int32_t MonochromeThreshold = 0;
  uint8_t SuppressBackgroundThread = 0;  // GDI+ startup without its background thread
  uint8_t ReuseLoadedGDIPlus = 0;        // look the provider up among loaded modules first
  uint8_t StartupPolicy = 0;             // 0 never, 1 when loaded here, 2..255 always start GDI+
  int32_t ReservedNumber = 0;            // carried, read by nothing
  uint8_t DrawFormFields = 0;            // renderer: draw form-field annotations
  uint8_t DrawAnnotations = 0;           // renderer: draw the other annotations
  uint8_t PolynomialCMYK = 0;            // renderer: polynomial CMYK conversion in its colour manager
  uint8_t FormFieldsOnly = 0;            // renderer: skip the page content and non-field annotations
  uint8_t HighQualityPaths = 0;          // GDI+ quality override

  bool operator==(const TGDIPlusSettings&) const = default;
};

// The provider that "gdiplus.dll" stands for on this platform (built beside the program).
inline constexpr const char16_t* kDefaultGDIPlusLibrary = u"libvelmora-gdiplus.so";

// Fills the record with the defaults: the default provider, flags 1 1 1 0 1, threshold 0,
// flags 1 0 1, 0, flags 1 1 1 0 0. Never fails.
void InitDaubrixOptions(TGDIPlusSettings& Settings);
