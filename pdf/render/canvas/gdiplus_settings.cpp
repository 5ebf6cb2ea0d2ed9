#include "pdf/render/canvas/gdiplus_settings.h"

void InitDaubrixOptions(TGDIPlusSettings& Settings) {
  Settings.LibraryPath = kDefaultGDIPlusLibrary;
  Settings.SmoothPaths = 1;
  Settings.UseGDIPlus = 1;
  Settings.ReservedFlag = 1;
  Settings.HighQualityImages = 0;
  Settings.ClipWithPaths = 1;
  Settings.MonochromeThreshold = 0;
  Settings.SuppressBackgroundThread = 1;
  Settings.ReuseLoadedGDIPlus = 0;
  Settings.StartupPolicy = 1;
  Settings.ReservedNumber = 0;
  Settings.DrawFormFields = 1;
  Settings.DrawAnnotations = 1;
  Settings.PolynomialCMYK = 1;
  Settings.FormFieldsOnly = 0;
  Settings.HighQualityPaths = 0;
}
