// Loading images from streams and files, saving them with an encoder, and the encoder list.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/gdiplus/codecs.h"
#include "platform/gdiplus/colour_management.h"
#include "platform/gdiplus/gp_internal.h"
#include "platform/rtl/strings.h"

namespace gdiplus {
namespace {

// Streams larger than this are refused rather than read.
constexpr uint64_t kMaxStreamBytes = uint64_t(1) << 31;
constexpr uint32_t kChunk = 1u << 20;

struct EncoderEntry {
  CLSID clsid;
  GUID format;
  const char16_t* name;
  const char16_t* description;
  const char16_t* extensions;
  const char16_t* mime;
};

constexpr EncoderEntry kEncoders[] = {
    {EncoderClsidBMP, ImageFormatBMP, u"Built-in BMP Codec", u"BMP", u"*.BMP;*.DIB;*.RLE", u"image/bmp"},
    {EncoderClsidTIFF, ImageFormatTIFF, u"Built-in TIFF Codec", u"TIFF", u"*.TIF;*.TIFF", u"image/tiff"},
    {EncoderClsidPNG, ImageFormatPNG, u"Built-in PNG Codec", u"PNG", u"*.PNG", u"image/png"},
};

size_t Units(const char16_t* s) { return std::char_traits<char16_t>::length(s) + 1; }

uint32_t EncodersSize() {
  size_t size = sizeof(kEncoders) / sizeof(kEncoders[0]) * sizeof(ImageCodecInfo);
  for (const EncoderEntry& e : kEncoders)
    size += (Units(e.name) + Units(e.description) + Units(e.extensions) + Units(e.mime)) * sizeof(char16_t);
  return uint32_t(size);
}

const EncoderEntry* FindEncoder(const CLSID& clsid) {
  for (const EncoderEntry& e : kEncoders)
    if (e.clsid == clsid) return &e;
  return nullptr;
}

bool ReadThroughImageBytes(IStream* stream, std::vector<uint8_t>& out) {
  void* object = nullptr;
  if (stream->QueryInterface(IID_IImageBytes, &object) != S_OK || !object) return false;
  auto* bytes = static_cast<IImageBytes*>(object);
  bool ok = false;
  uint32_t total = 0;
  if (bytes->CountBytes(&total) == S_OK) {
    uint64_t pos = 0;
    if (stream->Seek(0, STREAM_SEEK_CUR, &pos) != S_OK || pos > total) pos = 0;
    const uint32_t count = uint32_t(total - pos);
    const void* p = nullptr;
    if (count == 0) {
      out.clear();
      ok = true;
    } else if (bytes->LockBytes(count, uint32_t(pos), &p) == S_OK && p) {
      const auto* b = static_cast<const uint8_t*>(p);
      out.assign(b, b + count);
      bytes->UnlockBytes(p, count, uint32_t(pos));
      ok = true;
    }
  }
  bytes->Release();
  return ok;
}

GpStatus LoadFromBytes(std::vector<uint8_t>&& bytes, GpImage** image, bool colourManaged = false) {
  return ImageFromBytes(std::move(bytes), image, colourManaged);
}

bool ParamLong(const EncoderParameter& p, uint32_t& value) {
  if (p.Type != EncoderParameterValueTypeLong || p.NumberOfValues < 1 || !p.Value) return false;
  std::memcpy(&value, p.Value, sizeof(value));
  return true;
}

GpStatus Encode(GpImage* image, const CLSID* encoder, const EncoderParameters* params, std::vector<uint8_t>& out) {
  if (image->type != ImageTypeBitmap || image->data->plane.empty()) return InvalidParameter;
  if (image->lock.locked) return WrongState;
  const EncoderEntry* e = FindEncoder(*encoder);
  if (!e) return FileNotFound;
  TiffOptions options;
  if (params) {
    if (params->Count > 64) return InvalidParameter;
    const auto* list = reinterpret_cast<const EncoderParameter*>(reinterpret_cast<const uint8_t*>(params) +
                                                                 offsetof(EncoderParameters, Parameter));
    for (uint32_t i = 0; i < params->Count; ++i) {
      const EncoderParameter& p = list[i];
      uint32_t v = 0;
      if (p.Guid == EncoderCompression && e->clsid == EncoderClsidTIFF) {
        if (!ParamLong(p, v) || v < EncoderValueCompressionLZW || v > EncoderValueCompressionNone) return InvalidParameter;
        options.compression = int(v);
      } else if (p.Guid == EncoderColorDepth && e->clsid == EncoderClsidTIFF) {
        if (!ParamLong(p, v) || (v != 1 && v != 4 && v != 8 && v != 24 && v != 32)) return InvalidParameter;
        options.colorDepth = int(v);
      }
      // Other parameters (the save flag among them) do not change a single-frame save.
    }
  }
  if (e->clsid == EncoderClsidBMP) return EncodeBmp(*image->data, out);
  if (e->clsid == EncoderClsidPNG) return EncodePng(*image->data, out);
  return EncodeTiff(*image->data, options, out);
}

}  // namespace

std::string FileName(const WCHAR* name) {
  return WideToFileName(std::u16string_view(name, std::char_traits<char16_t>::length(name)));
}

FileKind SniffFileKind(std::span<const uint8_t> b) {
  auto starts = [&](std::initializer_list<uint8_t> sig) {
    return b.size() >= sig.size() && std::equal(sig.begin(), sig.end(), b.begin());
  };
  if (starts({'B', 'M'})) return FileKind::Bmp;
  if (starts({0x89, 'P', 'N', 'G'})) return FileKind::Png;
  if (starts({0xff, 0xd8})) return FileKind::Jpeg;
  if (starts({'G', 'I', 'F', '8'})) return FileKind::Gif;
  if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}) || starts({'I', 'I', 43, 0}) || starts({'M', 'M', 0, 43}))
    return FileKind::Tiff;
  if (starts({0xd7, 0xcd, 0xc6, 0x9a}) || (b.size() >= 44 && starts({1, 0, 0, 0}) && std::memcmp(&b[40], " EMF", 4) == 0))
    return FileKind::Metafile;
  if (starts({0, 0, 1, 0})) return FileKind::Icon;
  return FileKind::Unknown;
}

GpStatus ImageFromBytes(std::vector<uint8_t>&& bytes, GpImage** image, bool colourManaged) {
  const FileKind kind = SniffFileKind(bytes);
  ImageData data;
  GpStatus st = Ok;
  GUID format{};
  std::unique_ptr<FrameSource> frames;
  switch (kind) {
    case FileKind::Bmp:
      st = DecodeBmp(bytes, data);
      format = ImageFormatBMP;
      break;
    case FileKind::Png:
      st = DecodePng(bytes, data);
      format = ImageFormatPNG;
      break;
    case FileKind::Jpeg:
      st = DecodeJpeg(bytes, data);
      format = ImageFormatJPEG;
      break;
    case FileKind::Gif:
      frames = OpenGif(bytes, st);
      format = ImageFormatGIF;
      break;
    case FileKind::Tiff:
      frames = OpenTiff(std::move(bytes), st);
      format = ImageFormatTIFF;
      break;
    case FileKind::Metafile:
    case FileKind::Icon:
      return NotImplemented;  // read by the graphics layer, not by this provider
    case FileKind::Unknown:
      return UnknownImageFormat;
  }
  if (st != Ok) return st;
  if (frames) {
    st = frames->Decode(0, data);
    if (st != Ok) return st;
  }
  if (colourManaged) ApplyEmbeddedProfile(data);
  GpImage* result = NewBitmapImage(std::move(data), format);
  result->frames = std::move(frames);
  result->colourManaged = colourManaged;
  *image = result;
  return Ok;
}

GpStatus ReadWholeStream(IStream* stream, std::vector<uint8_t>& out) {
  if (ReadThroughImageBytes(stream, out)) return Ok;
  out.clear();
  STATSTG stat{};
  if (stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
    uint64_t pos = 0;
    if (stream->Seek(0, STREAM_SEEK_CUR, &pos) == S_OK && stat.cbSize > pos)
      out.reserve(size_t(std::min<uint64_t>(stat.cbSize - pos, kMaxStreamBytes)));
  }
  std::vector<uint8_t> chunk(kChunk);
  for (;;) {
    uint32_t got = 0;
    const HRESULT hr = stream->Read(chunk.data(), kChunk, &got);
    if (hr != S_OK && hr != S_FALSE) return out.empty() ? Win32Error : Ok;
    got = std::min(got, kChunk);
    if (out.size() + got > kMaxStreamBytes) return OutOfMemory;
    out.insert(out.end(), chunk.begin(), chunk.begin() + got);
    if (got < kChunk) return Ok;
  }
}

GpStatus LoadStream(IStream* stream, GpImage** image, bool colourManaged) {
  if (!stream || !image) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  return Guarded([&] {
    std::vector<uint8_t> bytes;
    const GpStatus st = ReadWholeStream(stream, bytes);
    if (st != Ok) return st;
    return LoadFromBytes(std::move(bytes), image, colourManaged);
  });
}

GpStatus WriteWholeStream(IStream* stream, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const uint32_t n = uint32_t(std::min<size_t>(bytes.size(), kChunk));
    uint32_t written = 0;
    if (stream->Write(bytes.data(), n, &written) != S_OK || written == 0) return Win32Error;
    bytes = bytes.subspan(std::min<size_t>(written, n));
  }
  return Ok;
}

extern "C" {

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image) {
  return LoadStream(stream, image, false);
}

GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image) { return LoadStream(stream, image, true); }

GpStatus GdipLoadImageFromFile(const WCHAR* fileName, GpImage** image) {
  if (!fileName || !image) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  return Guarded([&] {
    FILE* f = std::fopen(FileName(fileName).c_str(), "rb");
    if (!f) return FileNotFound;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> chunk(kChunk);
    size_t n;
    GpStatus st = Ok;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) {
      if (bytes.size() + n > kMaxStreamBytes) {
        st = OutOfMemory;
        break;
      }
      bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + ptrdiff_t(n));
    }
    if (std::ferror(f)) st = Win32Error;
    std::fclose(f);
    if (st != Ok) return st;
    return LoadFromBytes(std::move(bytes), image);
  });
}

GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder, const EncoderParameters* params) {
  if (!image || !stream || !encoder) return InvalidParameter;
  return Guarded([&] {
    std::vector<uint8_t> bytes;
    const GpStatus st = Encode(image, encoder, params, bytes);
    return st == Ok ? WriteWholeStream(stream, bytes) : st;
  });
}

GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* fileName, const CLSID* encoder, const EncoderParameters* params) {
  if (!image || !fileName || !encoder) return InvalidParameter;
  return Guarded([&] {
    std::vector<uint8_t> bytes;
    GpStatus st = Encode(image, encoder, params, bytes);
    if (st != Ok) return st;
    FILE* f = std::fopen(FileName(fileName).c_str(), "wb");
    if (!f) return Win32Error;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) st = Win32Error;
    if (std::fclose(f) != 0) st = Win32Error;
    return st;
  });
}

GpStatus GdipGetImageEncodersSize(uint32_t* count, uint32_t* size) {
  if (!count || !size) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  *count = uint32_t(sizeof(kEncoders) / sizeof(kEncoders[0]));
  *size = EncodersSize();
  return Ok;
}

GpStatus GdipGetImageEncoders(uint32_t count, uint32_t size, ImageCodecInfo* encoders) {
  if (!encoders) return InvalidParameter;
  if (!Started()) return GdiplusNotInitialized;
  constexpr uint32_t n = uint32_t(sizeof(kEncoders) / sizeof(kEncoders[0]));
  if (count != n) return InvalidParameter;
  if (size < EncodersSize()) return InsufficientBuffer;
  auto* strings = reinterpret_cast<char16_t*>(reinterpret_cast<uint8_t*>(encoders) + n * sizeof(ImageCodecInfo));
  auto put = [&](const char16_t* s) {
    const size_t len = Units(s);
    std::memcpy(strings, s, len * sizeof(char16_t));
    const char16_t* at = strings;
    strings += len;
    return at;
  };
  for (uint32_t i = 0; i < n; ++i) {
    const EncoderEntry& e = kEncoders[i];
    ImageCodecInfo& info = encoders[i];
    info = ImageCodecInfo{};
    info.Clsid = e.clsid;
    info.FormatID = e.format;
    info.CodecName = put(e.name);
    info.DllName = nullptr;
    info.FormatDescription = put(e.description);
    info.FilenameExtension = put(e.extensions);
    info.MimeType = put(e.mime);
    info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsDecoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    info.Version = 1;
  }
  return Ok;
}

}  // extern "C"

namespace {

// The TIFF encoder's parameters: compression, colour depth and the save flag.
constexpr uint32_t kCompressionValues[] = {EncoderValueCompressionLZW, EncoderValueCompressionCCITT3,
                                           EncoderValueCompressionRle, EncoderValueCompressionCCITT4,
                                           EncoderValueCompressionNone};
constexpr uint32_t kDepthValues[] = {1, 4, 8, 24, 32};
constexpr uint32_t kSaveFlagValues[] = {EncoderValueMultiFrame};
constexpr uint32_t kTiffParameterCount = 3;

uint32_t TiffParameterListSize() {
  return uint32_t(offsetof(EncoderParameters, Parameter) + kTiffParameterCount * sizeof(EncoderParameter) +
                  sizeof(kCompressionValues) + sizeof(kDepthValues) + sizeof(kSaveFlagValues));
}

EncoderParameter* ParameterAt(EncoderParameters* list, uint32_t i) {
  return reinterpret_cast<EncoderParameter*>(reinterpret_cast<uint8_t*>(list) + offsetof(EncoderParameters, Parameter)) + i;
}

}  // namespace

extern "C" {

GpStatus GdipGetEncoderParameterListSize(GpImage* image, const CLSID* encoder, uint32_t* size) {
  if (!image || !encoder || !size) return InvalidParameter;
  const EncoderEntry* e = FindEncoder(*encoder);
  if (!e) return FileNotFound;
  if (!(e->clsid == EncoderClsidTIFF)) return NotImplemented;
  *size = TiffParameterListSize();
  return Ok;
}

GpStatus GdipGetEncoderParameterList(GpImage* image, const CLSID* encoder, uint32_t size, EncoderParameters* buffer) {
  if (!image || !encoder || !buffer) return InvalidParameter;
  const EncoderEntry* e = FindEncoder(*encoder);
  if (!e) return FileNotFound;
  if (!(e->clsid == EncoderClsidTIFF)) return NotImplemented;
  if (size < TiffParameterListSize()) return InvalidParameter;
  auto* values = reinterpret_cast<uint8_t*>(buffer) + offsetof(EncoderParameters, Parameter) +
                 kTiffParameterCount * sizeof(EncoderParameter);
  buffer->Count = kTiffParameterCount;
  auto fill = [&](uint32_t i, const GUID& guid, const uint32_t* v, uint32_t n) {
    EncoderParameter& p = *ParameterAt(buffer, i);
    p.Guid = guid;
    p.NumberOfValues = n;
    p.Type = EncoderParameterValueTypeLong;
    p.Value = values;
    std::memcpy(values, v, n * sizeof(uint32_t));
    values += n * sizeof(uint32_t);
  };
  fill(0, EncoderCompression, kCompressionValues, 5);
  fill(1, EncoderColorDepth, kDepthValues, 5);
  fill(2, EncoderSaveFlag, kSaveFlagValues, 1);
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
