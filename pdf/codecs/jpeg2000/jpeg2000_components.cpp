#include "pdf/codecs/jpeg2000/jpeg2000_components.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/bitmap.h"

namespace {

// The library marks opacity (1) and premultiplied opacity (2); 0xFFFF is an unspecified
// channel.
bool IsOpacity(const opj_image_comp_t& component) { return component.alpha == 1 || component.alpha == 2; }

std::vector<int32_t> ColourChannels(const opj_image_t& image, bool hasChannelDefinitions) {
  switch (image.color_space) {
    case OPJ_CLRSPC_SRGB:
      return {kChannelRed, kChannelGreen, kChannelBlue};
    case OPJ_CLRSPC_GRAY:
      return {kChannelLuminance};
    case OPJ_CLRSPC_SYCC:
      return {kChannelLuminance, kChannelChromaBlue, kChannelChromaRed};
    default:
      break;
  }
  // A colour space by ICC profile: the channel definitions still say which components are
  // colours and which opacity.
  if (!hasChannelDefinitions) return {};
  int colours = 0;
  for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) colours += IsOpacity(image.comps[i]) ? 0 : 1;
  if (colours == 3) return {kChannelRed, kChannelGreen, kChannelBlue};
  if (colours == 1) return {kChannelLuminance};
  return {};
}

uint8_t* PixelRow(TBitmap& bitmap, int32_t y) { return bitmap.Dib().Row(y); }

int BytesPerPixel(TBitmap& bitmap) { return bitmap.Dib().BitsPerPixel() / 8; }

uint8_t ClampByte(double v) { return uint8_t(std::clamp(std::nearbyint(v), 0.0, 255.0)); }

}  // namespace

std::vector<int32_t> Jpeg2000ChannelTypes(const opj_image_t& image, int used, bool jp2, bool hasChannelDefinitions) {
  std::vector<int32_t> types(size_t(std::max(used, 0)), kChannelUnspecified);
  if (!jp2) return types;
  const std::vector<int32_t> colours = ColourChannels(image, hasChannelDefinitions);
  for (int i = 0; i < used && OPJ_UINT32(i) < image.numcomps; ++i) {
    if (IsOpacity(image.comps[i]))
      types[size_t(i)] = kChannelAlpha;
    else if (size_t(i) < colours.size())
      types[size_t(i)] = colours[size_t(i)];
  }
  return types;
}

int32_t Jpeg2000BytePosition(int32_t channelType, int index, int used, bool sycc) {
  switch (channelType) {
    case kChannelUnspecified:
      return used - 1 - index;
    case kChannelRed:
      return 2;
    case kChannelGreen:
    case kChannelChromaBlue:
      return 1;
    case kChannelBlue:
    case kChannelChromaRed:
      return 0;
    case kChannelLuminance:
      return sycc ? 2 : 0;
    case kChannelAlpha:
      return 3;
    default:
      return 0;
  }
}

void CopyJpeg2000Component(const opj_image_comp_t& component, const TJpeg2000ComponentDescriptor& descriptor,
                           TBitmap& bitmap) {
  const int bpp = BytesPerPixel(bitmap);
  if (component.data == nullptr || descriptor.Position < 0 || descriptor.Position >= bpp ||
      descriptor.MaxValue < 1)
    return;
  const int64_t width = bitmap.Width(), height = bitmap.Height();
  const int64_t dx = std::max<OPJ_UINT32>(component.dx, 1), dy = std::max<OPJ_UINT32>(component.dy, 1);
  // The samples that land inside the bitmap.
  const int64_t columns = std::min<int64_t>(component.w, (width + dx - 1) / dx);
  const int64_t rows = std::min<int64_t>(component.h, (height + dy - 1) / dy);
  const int64_t max = descriptor.MaxValue, offset = descriptor.SignOffset;
  const bool eightBit = max == 255;
  for (int64_t r = 0; r < rows; ++r) {
    const OPJ_INT32* samples = component.data + r * int64_t(component.w);
    const int64_t yEnd = std::min(height, (r + 1) * dy);
    for (int64_t y = r * dy; y < yEnd; ++y) {
      uint8_t* line = PixelRow(bitmap, int32_t(y)) + descriptor.Position;
      for (int64_t c = 0; c < columns; ++c) {
        const int64_t v = std::clamp<int64_t>(int64_t(samples[c]) + offset, 0, max);
        const uint8_t byte = eightBit ? uint8_t(v) : uint8_t(v * 255 / max);
        const int64_t xEnd = std::min(width, (c + 1) * dx);
        for (int64_t x = c * dx; x < xEnd; ++x) line[x * bpp] = byte;
      }
    }
  }
}

void ConvertYCbCrPixels(TBitmap& bitmap) {
  const int bpp = BytesPerPixel(bitmap);
  if (bpp < 3) return;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    uint8_t* p = PixelRow(bitmap, y);
    for (int32_t x = 0; x < bitmap.Width(); ++x, p += bpp) {
      const double luma = p[2], cb = p[1] - 128.0, cr = p[0] - 128.0;
      p[0] = ClampByte(luma + 1.772 * cb);
      p[1] = ClampByte(luma - 0.34414 * cb - 0.71414 * cr);
      p[2] = ClampByte(luma + 1.402 * cr);
    }
  }
}
