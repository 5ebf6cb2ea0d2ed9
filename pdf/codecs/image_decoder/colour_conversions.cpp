// Conversions of a decoded bitmap that need more than a table: ICC profiles (through the
// canvas's colour management), Indexed pictures from a codec, and the colour-space objects of
// Lab, Separation and DeviceN images.
#include <algorithm>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/colour/color_manager.h"

using namespace imgdec;

TGDIPlusSettings TPDFImageDecoder::GetCanvasSettings() const {
  TGDIPlusSettings s = Settings;
  s.ReuseLoadedGDIPlus = 1;
  s.StartupPolicy = 1;
  return s;
}

void TPDFImageDecoder::ApplyICCProfile() {
  if (BitmapFailed || !Bitmap || Bitmap->Empty()) return;
  TPNGWriter writer(*Bitmap);
  writer.StoreOnly = true;
  writer.SetICCProfile(ICCProfile);
  ICCProfile.clear();
  TMemoryStream png;
  writer.SaveToStream(png);
  png.SetPosition(0);
  TPDFDaubrix canvas;
  canvas.Setup(&Bitmap->Canvas(), GetCanvasSettings());
  canvas.DrawImageStream(png, 1, 0, 0, Bitmap->Width(), Bitmap->Height(), true);
}

void TPDFImageDecoder::ExpandIndexedBitmap() {
  if (!Bitmap || Bitmap->PixelFormat() != pf8bit || ColorSpace != "Indexed" || BitsPerComponent != 8) return;
  const auto* lut = reinterpret_cast<const uint8_t*>(Lookup.data());
  const int64_t size = int64_t(Lookup.size());
  std::array<COLORREF, 256> palette{};
  for (int k = 0; k < 256; ++k) {
    const int64_t j = std::min<int64_t>(k, HiVal);
    COLORREF c = RGB(0, 0, 0);
    if (j >= 0) {
      if (IndexedBase == "DeviceGray" && j + 1 <= size) {
        c = RGB(lut[j], lut[j], lut[j]);
      } else if (IndexedBase == "DeviceRGB" && 3 * j + 3 <= size) {
        c = RGB(lut[3 * j], lut[3 * j + 1], lut[3 * j + 2]);
      } else if (IndexedBase == "DeviceCMYK" && 4 * j + 4 <= size) {
        double r, g, b;
        ColorManager->CMYKToRGB(lut[4 * j] / 255.0, lut[4 * j + 1] / 255.0, lut[4 * j + 2] / 255.0,
                                lut[4 * j + 3] / 255.0, r, g, b);
        c = RGB(ComponentByte(r), ComponentByte(g), ComponentByte(b));
      }
    }
    palette[size_t(k)] = c;
  }
  auto expanded = std::make_unique<TBitmap>();
  expanded->SetPixelFormat(pf24bit);
  expanded->SetSize(Width, Height);
  const int32_t w = std::min(Width, Bitmap->Width()), h = std::min(Height, Bitmap->Height());
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = Bitmap->ScanLine(y);
    uint8_t* dst = expanded->ScanLine(y);
    for (int32_t x = 0; x < w; ++x, dst += 3) {
      const COLORREF c = palette[src[x]];
      dst[0] = GetBValue(c);
      dst[1] = GetGValue(c);
      dst[2] = GetRValue(c);
    }
  }
  Bitmap = std::move(expanded);
}

// ---- Lab, Separation and DeviceN: their space objects come with the renderer's colour
// spaces; until then such images are not decoded. ----

void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFLabColorSpace*) const {}
void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFSeparationColorSpace*) const {}
void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFDeviceNColorSpace*) const {}

bool TPDFImageDecoder::CreateColorSpaceObject(const std::string&, TPDFArray&) { return false; }
int TPDFImageDecoder::DeviceNComponents() const { return 0; }
COLORREF TPDFImageDecoder::DeviceNColor(const std::vector<double>&) { return 0; }
COLORREF TPDFImageDecoder::SeparationColor(double) { return 0; }
void TPDFImageDecoder::ConvertLab() {}
void TPDFImageDecoder::ConvertSeparation() {}
void TPDFImageDecoder::ConvertDeviceN() {}
