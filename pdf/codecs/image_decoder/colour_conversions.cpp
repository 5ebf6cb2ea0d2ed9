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
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"

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

// ---- Lab, Separation and DeviceN: the renderer's colour-space objects do the colour maths.

void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFLabColorSpace* space) const { delete space; }
void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFSeparationColorSpace* space) const { delete space; }
void TPDFImageDecoder::TColorSpaceRelease::operator()(TPDFDeviceNColorSpace* space) const { delete space; }

bool TPDFImageDecoder::CreateColorSpaceObject(const std::string& family, TPDFArray& array) {
  const TPDFResolveMethod resolver = [this](TPDFObject* reference) { return ResolveReference(reference); };
  if (family == "Lab") {
    LabSpace.reset(new TPDFLabColorSpace());
    LabSpace->Resolver = resolver;
    LabSpace->Load(&array);
  } else if (family == "Separation") {
    SeparationSpace.reset(new TPDFSeparationColorSpace(ColorManager));
    SeparationSpace->Resolver = resolver;
    SeparationSpace->Load(&array, "");
  } else if (family == "DeviceN") {
    DeviceNSpace.reset(new TPDFDeviceNColorSpace(ColorManager));
    DeviceNSpace->Resolver = resolver;
    DeviceNSpace->Load(&array, "");
  } else {
    return false;
  }
  return true;
}

int TPDFImageDecoder::DeviceNComponents() const { return DeviceNSpace ? DeviceNSpace->ComponentCount : 0; }

COLORREF TPDFImageDecoder::DeviceNColor(const std::vector<double>& tints) {
  if (!DeviceNSpace) return 0;
  DeviceNSpace->SetTints(tints, true);
  return DeviceNSpace->Color;
}

COLORREF TPDFImageDecoder::SeparationColor(double tint) {
  if (!SeparationSpace) return 0;
  SeparationSpace->SetTint(tint, true);
  return SeparationSpace->Color;
}

namespace {

// Replaces every pixel of a 24-bit bitmap by a colour chosen by its first (blue) byte.
void MapFirstByte(TBitmap& bitmap, const std::array<COLORREF, 256>& table) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
      const COLORREF c = table[p[0]];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
}

}  // namespace

void TPDFImageDecoder::ConvertLab() {
  if (BitmapFailed || !LabSpace || !Bitmap || Bitmap->Empty()) return;
  Bitmap->SetPixelFormat(pf24bit);
  std::array<double, 256> l{}, a{}, b{};
  for (int i = 0; i < 256; ++i) {
    l[size_t(i)] = i * 100.0 / 255.0;
    a[size_t(i)] = LabSpace->DecodeA(i, 255.0);
    b[size_t(i)] = LabSpace->DecodeB(i, 255.0);
  }
  // Gives the manager the space's white point and ranges.
  LabSpace->ToColor(0, 0, 0, *ColorManager);
  // The conversion is a pure function of the three bytes: neighbours of one colour share it.
  constexpr size_t kSlots = 4096;
  std::vector<uint32_t> keys(kSlots, 0xFFFFFFFF);
  std::vector<COLORREF> colours(kSlots, 0);
  for (int y = 0; y < Bitmap->Height(); ++y) {
    uint8_t* p = Bitmap->ScanLine(y);
    for (int x = 0; x < Bitmap->Width(); ++x, p += 3) {
      const uint32_t key = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      const size_t slot = (key * 2654435761u) >> 20;
      if (keys[slot] != key) {
        double ll = l[p[2]], aa = a[p[1]], bb = b[p[0]], r, g, bl;
        ColorManager->LabToRGB(ll, aa, bb, r, g, bl);
        keys[slot] = key;
        colours[slot] = RGB(ComponentByte(r), ComponentByte(g), ComponentByte(bl));
      }
      const COLORREF c = colours[slot];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
}

void TPDFImageDecoder::ConvertSeparation() {
  if (BitmapFailed || !SeparationSpace || !Bitmap || Bitmap->Empty()) return;
  Bitmap->SetPixelFormat(pf24bit);
  std::array<COLORREF, 256> table{};
  for (int t = 0; t < 256; ++t) table[size_t(t)] = SeparationColor(t / 255.0);
  MapFirstByte(*Bitmap, table);
}

void TPDFImageDecoder::ConvertDeviceN() {
  if (BitmapFailed || !DeviceNSpace || !Bitmap || Bitmap->Empty()) return;
  Bitmap->SetPixelFormat(pf24bit);
  // The first byte is the first tint, all others 0: one colour per byte value.
  std::vector<double> tints(size_t(std::max(DeviceNComponents(), 1)), 0.0);
  std::array<COLORREF, 256> table{};
  for (int t = 0; t < 256; ++t) {
    tints[0] = t / 255.0;
    table[size_t(t)] = DeviceNColor(tints);
  }
  MapFirstByte(*Bitmap, table);
}
