// Image file readers and writers behind the provider's image objects. Every reader takes
// hostile bytes: it checks each length and offset, refuses pictures over the size limits and
// reports a status instead of failing loudly.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {

enum class FileKind { Unknown, Bmp, Png, Jpeg, Gif, Tiff, Metafile, Icon };
FileKind SniffFileKind(std::span<const uint8_t> bytes);

GpStatus DecodeBmp(std::span<const uint8_t> bytes, ImageData& out);
GpStatus DecodePng(std::span<const uint8_t> bytes, ImageData& out);
GpStatus DecodeJpeg(std::span<const uint8_t> bytes, ImageData& out);
// Multi-frame formats keep their data and decode the frame asked for.
std::unique_ptr<FrameSource> OpenTiff(std::vector<uint8_t> bytes, GpStatus& status);
std::unique_ptr<FrameSource> OpenGif(std::span<const uint8_t> bytes, GpStatus& status);

struct TiffOptions {
  int compression = -1;  // an EncoderValue, or -1 for the default (LZW)
  int colorDepth = 0;    // 1, 4, 8, 24, 32, or 0 for the picture's own
};
GpStatus EncodeBmp(const ImageData& image, std::vector<uint8_t>& out);
GpStatus EncodePng(const ImageData& image, std::vector<uint8_t>& out);
GpStatus EncodeTiff(const ImageData& image, const TiffOptions& options, std::vector<uint8_t>& out);

// Little-endian readers over a byte span, bounds-checked by the caller.
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace gdiplus
